// Sorting sets: the sort description, the sort keys made from records and their comparison, the
// in-memory sort of small sets (VSortMember) and the work-file B-tree of large ones (VSorter).
//
// Sort description: entries separated by spaces, control bytes or commas, each an item reference
// ("[" [letter ":"] name-or-number "]" or a bare name or number 0..255), then optionally
// "(" first "-" last ")" (1-based byte positions of the value; 0 or last below first: the whole
// value), then optionally "%" with "A"/"a" ascending (the default) or "D"/"d" descending, and then
// "I"/"i" exact (the default) or "S"/"s" ignoring ASCII case. Reading stops at the first entry that
// does not parse.
//
// Sort key of a record: per entry the first value's type byte, a length byte and its bytes (the
// chosen byte range, at most 255 bytes; with ignore-case single-byte capitals become small
// letters, double-byte characters left whole); a missing value is type 0 and length 0. Parts are
// compared in turn: Number and Integer as decimals, others bytewise with a prefix first, a missing
// value before any other; a descending entry turns its part's result round. Equal keys keep their
// records in ascending record number, in memory and in the tree alike.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "base/VBase.h"
#include "base/VObj.h"
#include "db/store/VBTree.h"

class VCioMap;
class VDBFile;
class VRecordView;
class VSch_DBFile;
class VSetAcc;

struct VSortEntry {
  int16_t item = 0;
  uint16_t first = 0;
  uint16_t last = 0;
  uint8_t descending = 0;
  uint8_t ignoreCase = 0;
};

class VSortDescription {
 public:
  static constexpr int32_t kMaxEntries = 64;
  // Sort keys are cut to this many bytes, so that every key fits a work-file tree.
  static constexpr int32_t kMaxKey = 1000;

  // 0, kVSortItemUnknown for a name the schema lacks, kVSortDescriptionBad when no entry parses.
  VResult Parse(std::span<const uint8_t> text, const VSch_DBFile& schema);
  int32_t Count() const { return static_cast<int32_t>(entries_.size()); }
  const VSortEntry& At(int32_t index) const { return entries_[static_cast<size_t>(index)]; }
  void Add(const VSortEntry& entry) { entries_.push_back(entry); }

  // The sort key of a record, at most limit bytes (parts beyond the limit lose their last bytes).
  void MakeKey(const VRecordView& record, int32_t limit, std::vector<uint8_t>* key) const;
  // Bytes of a key of which available may be read; -1 when it does not fit.
  int32_t KeySize(const uint8_t* key, int32_t available) const;
  // -1, 0 or 1.
  int Compare(const uint8_t* a, const uint8_t* b) const;

 private:
  std::vector<VSortEntry> entries_;
};

// One distinct sort key of an in-memory sort and its records in the order met.
class VSortMember : public VSortObj {
 public:
  VSortMember(const VSortDescription* description, std::vector<uint8_t> key)
      : description_(description), key_(std::move(key)) {}
  int CompareKey(const void* key) const override {
    return description_->Compare(key_.data(), static_cast<const uint8_t*>(key));
  }
  const void* Key() const override { return key_.data(); }
  std::vector<uint32_t>& Records() { return records_; }

 private:
  const VSortDescription* description_;
  std::vector<uint8_t> key_;
  std::vector<uint32_t> records_;
};

// The tree of a large sort, in the work file "@Worktree": sort keys (as MakeKey gives them) with
// the records of equal keys gathered in one entry. It is not unique and folds nothing.
class VSorter : public VBTree {
 public:
  VSorter(VCioMap* work, const VSortDescription* description)
      : VBTree(work, 0), description_(description) {}
  ~VSorter() override;

  uint8_t KeyNumber() const override { return 0; }
  bool IsUnique() const override { return false; }
  bool IsNullOmit() const override { return false; }
  bool IsIgnoreCase() const override { return false; }
  bool IsIgnoreJCase() const override { return false; }
  int32_t KeySize(const uint8_t* key, int32_t available) const override {
    return description_->KeySize(key, available);
  }
  int CompareKeys(const uint8_t* a, const uint8_t* b) const override {
    return description_->Compare(a, b);
  }
  void MakeKey(uint8_t* out, const uint8_t* value) const override;

 private:
  const VSortDescription* description_;
};

// Sorts a set of the file by a description: up to kVMemorySort records in memory one member per
// distinct key; more in memory as well while their keys and record numbers take at most
// memoryBudget bytes, beyond that through a VSorter in workTree (in memory whatever their size
// when there is no work tree). Every way gives the same order. Any order is dropped first;
// on success the set holds the new order and remembers the description text. A description of 3
// bytes or fewer changes nothing. -501 file not open, -1207, -1209, -506 empty set, record read
// errors (the set is then left unsorted), work-file errors.
constexpr uint32_t kVMemorySort = 3000;
constexpr size_t kVSortMemoryBudget = size_t{64} << 20;
VResult VSortSet(VDBFile& file, VSetAcc* set, std::span<const uint8_t> description,
                 VCioMap* workTree, size_t memoryBudget = kVSortMemoryBudget);
