// VBTree: a B-tree of key values and record numbers, with the node layouts, search, insertion with
// splits, deletion, the ordered walk and the scans that fill record bitmaps.
//
// Node payloads hold entries packed from offset 0 in ascending order of (key value, record number):
//
//   leaf, unique key        key, u24 record                          (K + 3 bytes)
//   leaf, non-unique key    key, u16 list word, c x u24 records      (K + 2 + 3c bytes)
//   root or inner, unique   key, u24 child block                     (K + 3 bytes)
//   root or inner, other    key, u24 record, u24 child block         (K + 6 bytes)
//
// K is the stored key's size (KeySize: a length byte and its bytes for the keys of record files).
// A list word holds the count c (1..512) in its low 12 bits; 0x8000 marks an entry that continues
// the list of the entry before it (same key), 0x4000 one whose list goes on in the entry after it.
// Record lists are ascending, and ascending across the entries of one chain.
//
// Invariants: the root never moves; every other node holds at least one entry; all leaves lie at
// the same depth; an inner entry's key is its child's first key, and in a non-unique tree its
// record number is the child's separator number: the first record of the child's first entry when
// that entry continues a list, else 0 (an inner node's separator number is that of its first
// entry), so a search for any record of a value lands where the value's list starts. Nodes are
// never merged: a node is freed when it becomes empty.
//
// Bad input: every node is checked when it is read (kind, key number, in-use count within the
// payload, entries that fill it exactly, list counts 1..512); a node that fails is a broken tree
// (kVBrokenTree, -230) and nothing outside its block is read. A tree deeper than five levels is
// broken as well. Changes run inside a cache update bracket, so a flush never sees half of one, and
// the blocks a change may need are taken before anything is changed.
#pragma once

#include <cstdint>
#include <cstring>
#include <span>
#include <utility>
#include <vector>

#include "db/schema/VDecimal.h"
#include "db/store/VTree.h"

class VRMap;

class VBTree : public VTree {
 public:
  static constexpr uint32_t kMaxRecord = 0xFFFFFF;
  static constexpr int32_t kMaxList = 512;
  static constexpr uint16_t kContinues = 0x8000;
  static constexpr uint16_t kGoesOn = 0x4000;
  static constexpr uint16_t kCountMask = 0x0FFF;

  using VTree::VTree;
  ~VBTree() override;

  virtual bool IsUnique() const = 0;
  virtual bool IsNullOmit() const = 0;
  virtual bool IsIgnoreCase() const = 0;
  virtual bool IsIgnoreJCase() const = 0;
  // Bytes of the stored key at key, of which at most available may be read; -1 when it does not
  // fit.
  virtual int32_t KeySize(const uint8_t* key, int32_t available) const = 0;
  virtual int CompareKeys(const uint8_t* a, const uint8_t* b) const = 0;
  // The stored key of a value; out has room for a payload's bytes.
  virtual void MakeKey(uint8_t* out, const uint8_t* value) const = 0;

  VResult CreateRoot() override;
  // A broken part of the tree is left allocated rather than followed: a broken key can always be
  // dropped and made again.
  VResult Drop() override;
  VResult First() override;
  VResult Last() override;
  VResult Next() override;
  VResult Prev() override;
  VResult Settle() override;
  VResult DescendFirst(uint32_t block) override;
  VResult DescendLast(uint32_t block) override;
  VResult DropStep() override;
  int32_t LastEntry() override;
  // Splits the node at the level at the boundary nearest to half the payload. A root stays where
  // it is: its entries go to two new inner nodes and it keeps one entry for each. Another node
  // gives its entries from the split point on to a new node of its kind, whose separator goes into
  // the parent. The position follows its entry; one exactly at the split point stays at the end
  // of the old node when keepAtEnd is set.
  VResult Split(int32_t level, bool keepAtEnd) override;
  int32_t SplitPoint(int32_t level) override;
  VResult InsertSeparator(int32_t level, const uint8_t* key, uint32_t record, uint32_t block,
                          bool moveTo) override;
  VResult ReplaceSeparator(int32_t level, const uint8_t* key, uint32_t record) override;
  VResult RemoveEntry() override;

  // value: a length byte and the bytes, made into a stored key first (MakeKey).
  // 0; kVUniqueTaken; kVTreeUnusable for a broken tree or a key too large; kVNoRecordBlock when
  // no block can be had (nothing changed). A record already in the value's list changes nothing.
  VResult InsertKey(const uint8_t* value, uint32_t record);
  // 0; kVKeyAbsent; kVNotInList (also for a unique entry of another record); kVTreeUnusable.
  VResult DeleteKey(const uint8_t* value, uint32_t record);
  // Removes the record from every entry (a walk over the whole tree): 0 or kVBrokenTree.
  VResult DeleteRecord(uint32_t record);
  // Whether the value is present; record receives the first record number of its list.
  bool Lookup(const uint8_t* value, uint32_t* record);

  // Scans: each empties the set, adds the records of the entries it selects and finishes the set
  // (recounts it). 0, or kVBrokenTree with the set left empty (or a work-file error).
  VResult EqualScan(const uint8_t* value, VRMap* set);
  // Every entry from the first not below from up to and including to; nothing when from > to.
  VResult RangeScan(const uint8_t* from, const uint8_t* to, VRMap* set);
  // Every entry equal to one of the values.
  VResult ListScan(std::span<const uint8_t* const> values, VRMap* set);
  // op's low three bits: 1 begins with, 2 ends with, 3 contains (the entry tested against the
  // value); bit 8 swaps the operands.
  VResult OpScan(int32_t op, const uint8_t* value, VRMap* set);

  // The leaf entry at the position (after a walk or Seek answered 0).
  struct Entry {
    const uint8_t* key = nullptr;
    uint16_t word = 0;  // list word; 0 in a unique key
    int32_t count = 0;
    const uint8_t* records = nullptr;  // count u24 record numbers
  };
  Entry Current() const;
  // Positions at the first leaf entry whose (key, first record) is not below (key, record); the
  // key is in stored form. 0, kVEnd or kVBrokenTree.
  VResult Seek(const uint8_t* key, uint32_t record);
  // The largest stored key this tree takes: a quarter of the payload less an inner entry's fixed
  // part, and for non-unique keys room beside a full list of 512 records.
  int32_t MaxKeySize() const;

 protected:
  enum Found : int { kFound = 0, kNotFound = 1, kEmpty = 2, kBroken = 3 };

  // Whether all keys that begin with the same bytes lie together in the tree's order (false for
  // keys compared as numbers).
  virtual bool KeepsPrefixesTogether() const { return true; }

  // Declares that keys are a length byte and that many bytes (KeySize is that length), and
  // whether they compare bytewise (CompareKeys is then a byte comparison, a prefix first): the
  // node walks use the known forms without a call per entry.
  // A tree may instead declare length-prefixed decimal texts (CompareKeys is then
  // VCompareDecimalText over the texts).
  void SetKeyForm(bool lengthPrefixed, bool bytewise, bool decimal = false) {
    lengthPrefixed_ = lengthPrefixed;
    bytewise_ = lengthPrefixed && bytewise;
    decimal_ = lengthPrefixed && !bytewise && decimal;
  }
  int32_t KeyLength(const uint8_t* key, int32_t available) const {
    if (lengthPrefixed_) return available >= 1 && key[0] < available ? key[0] + 1 : -1;
    return KeySize(key, available);
  }
  int Compare(const uint8_t* a, const uint8_t* b) const {
    if (decimal_) return VCompareDecimalText(a + 1, a[0], b + 1, b[0]);
    if (!bytewise_) return CompareKeys(a, b);
    const size_t common = a[0] < b[0] ? a[0] : b[0];
    const int c = common ? std::memcmp(a + 1, b + 1, common) : 0;
    if (c != 0) return c < 0 ? -1 : 1;
    return a[0] < b[0] ? -1 : (a[0] > b[0] ? 1 : 0);
  }

  // From the root to a leaf: 0 the key is at the position, 1 not present (the position is the
  // insertion point), 2 the tree is empty, 3 broken. In a non-unique tree the position moves on
  // through the entries that continue the key's list while their first record is not above record.
  int Descend(const uint8_t* key, uint32_t record);

 private:
  class Operation;
  friend class Operation;

  // Node access.
  void Prepare();
  int32_t InUse(const VCashBffr* node) const;
  bool IsLeaf(const VCashBffr* node) const;
  bool IsRootNode(const VCashBffr* node) const;
  int32_t EntrySize(const VCashBffr* node, int32_t at) const;
  uint32_t ChildAt(const VCashBffr* node, int32_t at) const;
  uint32_t InnerRecordAt(const VCashBffr* node, int32_t at) const;
  uint32_t SeparatorRecord(const VCashBffr* node) const;
  int32_t PrevOffset(const VCashBffr* node, int32_t pos) const;
  // Checks a node's layout and lists its entry offsets (offsets_); -1 when malformed.
  int32_t ParseNode(const VCashBffr* node);
  // After a change of a node whose offsets were current at version before: an entry of delta
  // bytes put at offset pos, the entry at pos resized by delta bytes, or the entry at pos (of
  // -delta bytes) removed. Keeps the offsets current, so that the changed node need not be walked
  // again.
  enum class EntryChange { kAdded, kResized, kRemoved };
  void KeepOffsets(const VCashBffr* node, uint32_t before, int32_t pos, int32_t delta,
                   EntryChange change);
  bool CheckNode(const VCashBffr* node, bool root);
  // How entries are sized, as the tag of the offsets kept with node images: uniqueness, and
  // whether key lengths are a length byte or the tree's own KeySize.
  uint8_t Form() const {
    return static_cast<uint8_t>(1 | (unique_ ? 2 : 0) | (lengthPrefixed_ ? 4 : 0));
  }
  VCashBffr* ReadNode(uint32_t block, bool root);
  int CompareInner(const VCashBffr* node, int32_t at, const uint8_t* key, uint32_t record) const;
  uint8_t* WorkArea(int32_t slot) { return work_.data() + static_cast<size_t>(slot) * payload_; }

  // Changes.
  // Before the first split of a change: takes the blocks it may need and keeps copies of the
  // nodes on the stack, so that a split refused for want of a sixth level can put them back.
  VResult Reserve();
  uint32_t TakeBlock();
  void ReturnReserve();
  // Frees a node's block. A block that cannot be freed is only lost space (the tree no longer
  // refers to it), so the failure is logged for the integrity check rather than undoing the change.
  void FreeNode(uint32_t block);
  // Puts the tree back as it was when the blocks were reserved and frees the nodes made since;
  // then raises the fatal overflow.
  [[noreturn]] void Overflow();
  VResult PutEntry(int32_t level, const uint8_t* entry, int32_t size, bool keepAtEnd);
  VResult GrowEntry(int32_t level, int32_t delta);
  VResult SplitAt(int32_t level, int32_t at, bool keepAtEnd);
  VResult SplitRoot(int32_t level, int32_t at, bool keepAtEnd);
  VResult AppendSibling(int32_t level, const uint8_t* entry, int32_t size);
  VResult FixSeparators(int32_t level);
  VResult InsertFirst(const uint8_t* key, uint32_t record);
  VResult InsertNew(const uint8_t* key, uint32_t record);
  VResult AddToList(uint32_t record);
  VResult DivideList(uint32_t record, int32_t index);
  VResult DeleteMade(const uint8_t* key, uint32_t record);
  VResult MendChain(const uint8_t* key, uint32_t record, uint16_t word);

  // Scans.
  // Queues the current entry's record numbers for the set (runs of consecutive numbers as one);
  // FlushRuns adds what is queued.
  VResult AddEntry(VRMap* set);
  VResult FlushRuns(VRMap* set);
  VResult AddValueEntries(const uint8_t* key, VRMap* set);
  VResult FinishScan(VRMap* set, VResult result);
  bool Passes(int32_t kind, bool swapped, const uint8_t* key, const uint8_t* value) const;

  // The path of the last lookup in a unique tree that missed: a unique check followed by the
  // insert of the same key (a new record) then skips the second search. Every other operation on
  // the tree forgets it, and each node's version is checked before it is used.
  struct KeptPath {
    bool valid = false;
    int32_t depth = 0;
    uint32_t blocks[kMaxDepth] = {};
    int32_t positions[kMaxDepth] = {};
    uint32_t versions[kMaxDepth] = {};
    std::vector<uint8_t> key;
  };
  void KeepPath(const uint8_t* key);
  // Puts the kept path of this key back on the stack; false (stack empty) when it cannot.
  bool Revisit(const uint8_t* key);

  KeptPath kept_;
  bool unique_ = false;
  bool lengthPrefixed_ = false;
  bool bytewise_ = false;
  bool decimal_ = false;
  int32_t payload_ = 0;
  std::vector<uint8_t> work_;
  // Record-number runs a scan found and has not yet added to its set.
  std::vector<std::pair<uint32_t, uint32_t>> runs_;
  // Node images keep the entry offsets found for them (VCashBffr::Entries), so that an unchanged
  // node is checked once however often it is read. offsets_ are those of the node checked last.
  const std::vector<uint16_t>* offsets_ = nullptr;
  std::vector<uint32_t> reserve_;
  bool reserved_ = false;
  std::vector<uint32_t> taken_;
  std::vector<std::pair<uint32_t, std::vector<uint8_t>>> saved_;
};
