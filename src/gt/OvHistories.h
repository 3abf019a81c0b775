// The three bounded histories of a database form: the reference history (each record shown, by
// file and record number), the find history (the words in the form's search fields at each find)
// and the record-set history (a copy of each record set found, each with an engine set of its
// own).
//
// They share one behaviour: entries in order from the oldest; a position (the current entry, 0
// when empty); a capacity (32 when made, negative counts as 0, 0 takes no entries). Adding to a
// full history drops the oldest entry first; adding without keepTail first drops the entries after
// the position; the new entry goes last and becomes current. Going back and forth moves the
// position and never drops anything.
#pragma once

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/VObj.h"
#include "gt/OvRecordSet.h"

// Slot is how an entry is held: the entry itself, or a std::unique_ptr to it.
template <class Entry, class Slot>
class OvHistory {
 public:
  static constexpr int16_t kDefaultCapacity = 32;

  virtual ~OvHistory() = default;

  int32_t Count() const { return static_cast<int32_t>(entries_.size()); }
  int32_t Position() const { return position_; }
  int16_t Capacity() const { return capacity_; }
  void SetCapacity(int16_t capacity) {
    capacity_ = std::max<int16_t>(capacity, 0);
    while (Count() > capacity_) RemoveAt(0);
  }
  // Null outside 0 .. count - 1.
  Entry* EntryAt(int32_t index) const {
    return index >= 0 && index < Count() ? Get(entries_[static_cast<size_t>(index)]) : nullptr;
  }
  Entry* Current() const { return EntryAt(position_); }
  // The entry before (after) the position, which then becomes the position; null when none.
  Entry* Prev() { return Step(-1); }
  Entry* Next() { return Step(+1); }
  // Clamped to 0 .. count - 1.
  void SetPosition(int32_t index) { position_ = std::clamp(index, 0, std::max(Count() - 1, 0)); }
  void RemoveAt(int32_t index) {
    if (index < 0 || index >= Count()) return;
    entries_.erase(entries_.begin() + index);
    if (position_ > index || position_ >= Count()) --position_;
    position_ = std::max(position_, 0);
  }
  void Clear() {
    entries_.clear();
    position_ = 0;
  }

 protected:
  // Answers whether the entry was taken.
  bool PushSlot(Slot slot, bool keepTail) {
    if (capacity_ <= 0) return false;
    if (!keepTail && position_ + 1 < Count()) {
      entries_.erase(entries_.begin() + position_ + 1, entries_.end());
    }
    while (Count() >= capacity_) RemoveAt(0);
    entries_.push_back(std::move(slot));
    position_ = Count() - 1;
    return true;
  }
  const std::vector<Slot>& Entries() const { return entries_; }

 private:
  static Entry* Get(const Entry& entry) { return const_cast<Entry*>(&entry); }
  static Entry* Get(const std::unique_ptr<Entry>& entry) { return entry.get(); }
  Entry* Step(int32_t delta) {
    const int32_t index = position_ + delta;
    if (index < 0 || index >= Count()) return nullptr;
    position_ = index;
    return EntryAt(index);
  }

  std::vector<Slot> entries_;
  int32_t position_ = 0;
  int16_t capacity_ = kDefaultCapacity;
};

// One record shown: its database file and record number.
struct OvRecRef {
  int32_t file = 0;
  uint32_t record = 0;
  bool operator==(const OvRecRef&) const = default;
};

class OvRecHistory : public OvHistory<OvRecRef, OvRecRef> {
 public:
  // A reference equal to the last entry is not added again.
  bool Push(OvRecRef entry, bool keepTail);
};

// The texts of a form's search fields at one find, in item order.
class OvFindHistoryElem : public VObj {
 public:
  static constexpr uint32_t kKindCode = 0x54464845;
  std::vector<std::string> words;
};

class OvFindHistory : public OvHistory<OvFindHistoryElem, std::unique_ptr<OvFindHistoryElem>> {
 public:
  bool Push(std::unique_ptr<OvFindHistoryElem> entry, bool keepTail) {
    return entry != nullptr && PushSlot(std::move(entry), keepTail);
  }
};

class OvRecSetHistory : public OvHistory<OvRecordSet, std::unique_ptr<OvRecordSet>> {
 public:
  // The statement with each history reference replaced: "$0" stands for the newest entry, "$k"
  // (k >= 1) for the k-th from the oldest; each becomes "#" and that entry's set ID, or nothing
  // when there is no such entry. A "$" without digits, and everything in double-byte characters,
  // is copied as it is.
  std::string ResolveRefs(std::string_view statement) const;
  bool Push(std::unique_ptr<OvRecordSet> entry, bool keepTail) {
    return entry != nullptr && PushSlot(std::move(entry), keepTail);
  }
};
