// VTree: the walker of one B-tree kept in a bitmap block file (an index file or a work file).
//
// A tree is a root block that never moves and nodes below it, each one block: block header byte 0
// is the node kind (5 root, 6 inner node below the root, 7 leaf), byte 1 the key number, bytes 2-3
// the payload bytes in use. The walker holds the root block and a stack of at most five levels,
// each a node's block number, a byte position in the node's payload and the node's image pinned in
// the cache. Level 0 is the node the walker stands in; each level above it is that node's parent,
// the root being the highest. Leaving a node releases its image; every tree operation starts by
// releasing the whole stack, so no image stays pinned between operations.
//
// A stack that would need a sixth level is fatal: the debug log gets "...ERROR... VTree::PushNode
// Btree Stack overflow:%d" (or PushRoot) and VFailure(-1) is raised.
#pragma once

#include <cstdint>

#include "base/VBase.h"

class VCashBffr;
class VCioMap;

class VTree {
 public:
  static constexpr int32_t kMaxDepth = 5;
  static constexpr uint8_t kRootKind = 5;
  static constexpr uint8_t kInnerKind = 6;
  static constexpr uint8_t kLeafKind = 7;

  // root: the tree's root block, 0 for a tree whose root CreateRoot will allocate.
  VTree(VCioMap* file, uint32_t root) : file_(file), root_(root) {}
  virtual ~VTree();
  VTree(const VTree&) = delete;
  VTree& operator=(const VTree&) = delete;

  virtual uint8_t KeyNumber() const = 0;
  // Allocates an empty root (kind 5, in use 0) and makes it the tree's root.
  virtual VResult CreateRoot() = 0;
  // Frees every node of the tree, the root included.
  virtual VResult Drop() = 0;
  virtual bool IsPositioned() const { return depth_ > 0; }
  // Walking the leaf entries in order. Each answers 0 when positioned on an entry, kVEnd when there
  // is none (before the first or after the last), kVBrokenTree for a node that cannot be read.
  virtual VResult First() = 0;
  virtual VResult Last() = 0;
  virtual VResult Next() = 0;
  virtual VResult Prev() = 0;
  // From a position past the end of its node, moves on to the next leaf entry.
  virtual VResult Settle() = 0;
  // Pushes the block and goes down its first (last) entries to a leaf.
  virtual VResult DescendFirst(uint32_t block) = 0;
  virtual VResult DescendLast(uint32_t block) = 0;
  // One step of the post-order walk that frees the tree's nodes.
  virtual VResult DropStep() = 0;
  // Payload offset of the last entry of the current node (0 when it is empty).
  virtual int32_t LastEntry() = 0;
  // Splits the node at a stack level in two; see VBTree.
  virtual VResult Split(int32_t level, bool keepAtEnd) = 0;
  virtual int32_t SplitPoint(int32_t level) = 0;
  // Inserts an entry for a new child after the current entry of the node at the level.
  virtual VResult InsertSeparator(int32_t level, const uint8_t* key, uint32_t record,
                                  uint32_t block, bool moveTo) = 0;
  // Rewrites the key (and record number) of the current entry of the node at the level.
  virtual VResult ReplaceSeparator(int32_t level, const uint8_t* key, uint32_t record) = 0;
  // Removes the current leaf entry, freeing nodes that become empty (the root stays).
  virtual VResult RemoveEntry() = 0;

  uint32_t Root() const { return root_; }
  VCioMap* File() const { return file_; }
  // Levels on the stack.
  int32_t Depth() const { return depth_; }
  void ReleaseStack();

 protected:
  struct Frame {
    uint32_t block = 0;
    int32_t pos = 0;  // byte offset of the current entry in the payload
    VCashBffr* node = nullptr;
  };

  // Puts a pinned node at level 0, the others moving one level up.
  void PushNode(uint32_t block, VCashBffr* node, int32_t pos = 0);
  // Puts the root above the levels in use (after a root split).
  void PushRoot(VCashBffr* node, int32_t pos);
  // Releases the node at level 0; the others move one level down.
  void PopNode();
  // Raises the fatal overflow when a push would need a sixth level.
  void CheckRoom(const char* where) const;
  [[noreturn]] static void RaiseOverflow(const char* where, int32_t depth);

  VCioMap* file_;
  uint32_t root_;
  Frame frames_[kMaxDepth];
  int32_t depth_ = 0;
};
