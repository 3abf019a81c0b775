// One tree operation's scope, shared by the VBTree sources: it starts with an empty stack and the
// node layout known; a changing operation runs inside a cache update bracket. At its end the blocks
// taken for splits and not used go back to the file and the stack is released, also when a fatal
// failure unwinds it.
#pragma once

#include <optional>

#include "db/store/VBTree.h"
#include "db/store/VCash.h"
#include "db/store/VCioMap.h"

class VBTree::Operation {
 public:
  Operation(VBTree* tree, bool change) : tree_(tree), hadKeptPath_(tree->kept_.valid) {
    tree_->kept_.valid = false;
    tree_->ReleaseStack();
    tree_->Prepare();
    if (change) bracket_.emplace(tree_->File()->Cache());
  }
  ~Operation() {
    tree_->ReturnReserve();
    tree_->ReleaseStack();
  }
  Operation(const Operation&) = delete;
  Operation& operator=(const Operation&) = delete;

  // Whether the tree held the path of a lookup that missed when the operation began.
  bool HadKeptPath() const { return hadKeptPath_; }

  // Ends the operation with its result; a write-back failing at the bracket's end is reported when
  // the operation itself succeeded.
  VResult Finish(VResult result) {
    tree_->ReturnReserve();
    tree_->ReleaseStack();
    if (!bracket_) return result;
    VResult ended = bracket_->End();
    return result == kVOk ? ended : result;
  }

 private:
  VBTree* tree_;
  bool hadKeptPath_;
  std::optional<VCashUpdate> bracket_;
};
