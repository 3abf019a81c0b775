#include "db/store/VTree.h"

#include "base/VDebug.h"
#include "db/store/VCioMap.h"

VTree::~VTree() { ReleaseStack(); }

void VTree::ReleaseStack() {
  for (int32_t level = 0; level < depth_; ++level) {
    file_->Release(frames_[level].node);
    frames_[level] = Frame();
  }
  depth_ = 0;
}

void VTree::CheckRoom(const char* where) const {
  if (depth_ >= kMaxDepth) RaiseOverflow(where, depth_);
}

void VTree::RaiseOverflow(const char* where, int32_t depth) {
  LogFormat("...ERROR... VTree::%s Btree Stack overflow:%d", where, depth);
  throw VFailure(-1);
}

void VTree::PushNode(uint32_t block, VCashBffr* node, int32_t pos) {
  CheckRoom("PushNode");
  for (int32_t level = depth_; level > 0; --level) frames_[level] = frames_[level - 1];
  frames_[0] = Frame{block, pos, node};
  ++depth_;
}

void VTree::PushRoot(VCashBffr* node, int32_t pos) {
  CheckRoom("PushRoot");
  frames_[depth_] = Frame{root_, pos, node};
  ++depth_;
}

void VTree::PopNode() {
  if (depth_ == 0) return;
  file_->Release(frames_[0].node);
  for (int32_t level = 0; level + 1 < depth_; ++level) frames_[level] = frames_[level + 1];
  --depth_;
  frames_[depth_] = Frame();
}
