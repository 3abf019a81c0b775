// The record map: record number -> data block holding the record, kept in the index file.
//
// A radix tree of record-map nodes (block kind 3). A node's level is its block header byte 1
// (0 leaf, at most 2); its payload is N = P / 3 u24 entries, of which the header's in-use count
// covers the first in-use / 3. Leaf entry i holds the data block of record number base + i (0:
// none); an entry of a level-L node holds the node covering the next N^L numbers. The root never
// moves (its block is in the directory) and covers N^(L+1) numbers; it grows a level by moving
// its content into a new block. Above record number 10000 a level-1 node takes the next leaf
// together with the one it needs, saving an allocation every N inserts of a growing file.
//
// The map also keeps the last record number handed out and the record count, and writes both into
// the directory block (offsets 7 and 10) whenever they change. Record numbers are never handed
// out twice: NewNumber always continues from the last number.
//
// Every node is checked before use (kind, level, in-use within the payload), so a garbage block
// reads as a missing node and nothing outside a block is read.
#pragma once

#include <cstdint>

#include "base/VBase.h"

class VCioMap;
class VCashBffr;
class VRMap;

class VRBCvt {
 public:
  static constexpr uint8_t kNodeKind = 3;
  static constexpr uint8_t kMaxLevel = 2;
  // Above this relative record number a level-1 node allocates the following leaf in advance.
  static constexpr uint32_t kPreallocateAbove = 10000;

  VRBCvt(VCioMap* index, uint32_t root, uint32_t last, uint32_t count);

  // Checks the root node: 0 or kVMapNodeUnreadable.
  VResult CheckRoot();

  uint32_t Root() const { return root_; }
  uint32_t Last() const { return last_; }
  uint32_t Count() const { return count_; }
  uint32_t EntriesPerNode() const { return entries_; }

  // last + 1, counted (last and count grow by one); 0 when the u24 numbers are used up.
  uint32_t NewNumber();
  // Gives back a number just taken whose record could not be stored: last and count go back by one
  // when r is the last number.
  void UndoNumber(uint32_t r);
  // Counts a record stored under a number the caller chose; raises last to it when above.
  void NoteKeptNumber(uint32_t r);
  // The data block of record r; 0 when none or when a node on the way is missing or malformed.
  uint32_t BlockOf(uint32_t r);
  // Maps record r to block b, growing the tree as needed: 0, kVMapNodeUnreadable, or
  // kVNoRecordBlock when no node can be allocated.
  VResult SetBlock(uint32_t r, uint32_t b);
  // The leaf entry of r becomes 0 and the count drops by one.
  VResult Unmap(uint32_t r);
  // Adds every mapped record number to the set, each run of consecutive numbers as one range:
  // 0 or kVMapNodeMissing.
  VResult EnumerateAll(VRMap* set);

 private:
  // The node at block, pinned, when it is a record-map node of the level; else null.
  VCashBffr* GetNode(uint32_t block, int level);
  uint32_t Capacity(int level) const;
  VResult Grow(VCashBffr* root);
  uint32_t NewNode(int level);
  VResult WriteCounts();
  VResult Enumerate(uint32_t block, int level, uint32_t base, VRMap* set, uint32_t* runStart,
                    uint32_t* runEnd);

  VCioMap* index_;
  uint32_t root_;
  uint32_t last_;
  uint32_t count_;
  uint32_t entries_;
};
