// VBTree: the ordered walk over leaf entries, positioning by key, and the scans that fill record
// bitmaps.
#include <algorithm>
#include <cstring>

#include "base/VEndian.h"
#include "base/VSjis.h"
#include "db/store/VBTree.h"
#include "db/store/VBTreeOperation.h"
#include "db/store/VCioMap.h"
#include "db/store/VDBCodes.h"
#include "db/store/VRio.h"

namespace {

// Runs a scan queues before it adds them to its set.
constexpr size_t kMaxQueuedRuns = 4096;

}  // namespace

// ---- walking ----

VResult VBTree::First() {
  ReleaseStack();
  Prepare();
  VCashBffr* root = ReadNode(root_, true);
  if (root == nullptr) return kVBrokenTree;
  PushNode(root_, root);
  if (InUse(root) == 0) return kVEnd;
  return DescendFirst(ChildAt(root, 0));
}

VResult VBTree::Last() {
  ReleaseStack();
  Prepare();
  VCashBffr* root = ReadNode(root_, true);
  if (root == nullptr) return kVBrokenTree;
  PushNode(root_, root);
  if (InUse(root) == 0) return kVEnd;
  frames_[0].pos = LastEntry();
  return DescendLast(ChildAt(root, frames_[0].pos));
}

VResult VBTree::DescendFirst(uint32_t block) {
  for (;;) {
    if (depth_ >= kMaxDepth) return kVBrokenTree;
    VCashBffr* node = ReadNode(block, false);
    if (node == nullptr) return kVBrokenTree;
    PushNode(block, node);
    if (IsLeaf(node)) return kVOk;
    block = ChildAt(node, 0);
  }
}

VResult VBTree::DescendLast(uint32_t block) {
  for (;;) {
    if (depth_ >= kMaxDepth) return kVBrokenTree;
    VCashBffr* node = ReadNode(block, false);
    if (node == nullptr) return kVBrokenTree;
    PushNode(block, node);
    frames_[0].pos = LastEntry();
    if (IsLeaf(node)) return kVOk;
    block = ChildAt(node, frames_[0].pos);
  }
}

int32_t VBTree::LastEntry() {
  if (depth_ == 0) return 0;
  return PrevOffset(frames_[0].node, InUse(frames_[0].node));
}

VResult VBTree::Settle() {
  while (depth_ > 0) {
    Frame& f = frames_[0];
    if (f.pos < InUse(f.node)) {
      if (IsLeaf(f.node)) return kVOk;
      return DescendFirst(ChildAt(f.node, f.pos));
    }
    if (depth_ == 1) return kVEnd;
    PopNode();
    frames_[0].pos += EntrySize(frames_[0].node, frames_[0].pos);
  }
  return kVEnd;
}

VResult VBTree::Next() {
  if (depth_ == 0) return kVEnd;
  Frame& f = frames_[0];
  if (f.pos < InUse(f.node)) f.pos += EntrySize(f.node, f.pos);
  return Settle();
}

VResult VBTree::Prev() {
  if (depth_ == 0) return kVEnd;
  Frame& f = frames_[0];
  if (f.pos > 0) {
    f.pos = PrevOffset(f.node, f.pos);
    return kVOk;
  }
  for (;;) {
    if (depth_ == 1) return kVEnd;
    PopNode();
    Frame& parent = frames_[0];
    if (parent.pos > 0) {
      parent.pos = PrevOffset(parent.node, parent.pos);
      return DescendLast(ChildAt(parent.node, parent.pos));
    }
  }
}

VBTree::Entry VBTree::Current() const {
  Entry entry;
  if (depth_ == 0) return entry;
  const Frame& f = frames_[0];
  if (!IsLeaf(f.node) || f.pos >= InUse(f.node)) return entry;
  entry.key = f.node->Payload() + f.pos;
  const int32_t keySize = KeyLength(entry.key, payload_ - f.pos);
  if (unique_) {
    entry.count = 1;
    entry.records = entry.key + keySize;
  } else {
    entry.word = VGetU16(entry.key + keySize);
    entry.count = entry.word & kCountMask;
    entry.records = entry.key + keySize + 2;
  }
  return entry;
}

VResult VBTree::Seek(const uint8_t* key, uint32_t record) {
  Prepare();
  switch (Descend(key, record)) {
    case kEmpty:
      ReleaseStack();
      return kVEnd;
    case kBroken:
      ReleaseStack();
      return kVBrokenTree;
    case kNotFound:
      return Settle();
    default:
      break;
  }
  // The search stops on the last part of a list whose first record is not above the sought one;
  // a part that starts below it lies before the sought position.
  if (!unique_ && record > 0 && VGetU24(Current().records) < record) return Next();
  return kVOk;
}

// ---- scans ----

VResult VBTree::AddEntry(VRMap* set) {
  const Entry entry = Current();
  // Consecutive record numbers go in as one range.
  int32_t i = 0;
  while (i < entry.count) {
    const uint32_t first = VGetU24(entry.records + 3 * i);
    uint32_t last = first;
    int32_t j = i + 1;
    while (j < entry.count && VGetU24(entry.records + 3 * j) == last + 1) {
      ++last;
      ++j;
    }
    runs_.emplace_back(first, last);
    i = j;
  }
  // A set's page is reached once for the runs of many entries that fall in it.
  return runs_.size() >= kMaxQueuedRuns ? FlushRuns(set) : kVOk;
}

VResult VBTree::FlushRuns(VRMap* set) {
  VResult result = runs_.empty() ? kVOk : set->AddRuns(runs_);
  runs_.clear();
  return result;
}

VResult VBTree::AddValueEntries(const uint8_t* key, VRMap* set) {
  VResult result = Seek(key, 0);
  while (result == kVOk) {
    const Entry entry = Current();
    if (Compare(entry.key, key) != 0) break;
    result = AddEntry(set);
    if (result != kVOk || unique_ || !(entry.word & kGoesOn)) break;
    result = Next();
  }
  return result == kVEnd ? kVOk : result;
}

VResult VBTree::FinishScan(VRMap* set, VResult result) {
  ReleaseStack();
  if (result == kVEnd) result = kVOk;
  if (result == kVOk) {
    result = FlushRuns(set);
  } else {
    runs_.clear();
  }
  if (result != kVOk) {
    set->Clear();
    return result;
  }
  // The set was emptied and then only added to: its counts are exact and no page is empty, so
  // finishing it leaves nothing to recount.
  return kVOk;
}

VResult VBTree::EqualScan(const uint8_t* value, VRMap* set) {
  Operation operation(this, false);
  set->Clear();
  runs_.clear();
  uint8_t* key = WorkArea(kMaxDepth);
  MakeKey(key, value);
  return FinishScan(set, AddValueEntries(key, set));
}

VResult VBTree::RangeScan(const uint8_t* from, const uint8_t* to, VRMap* set) {
  Operation operation(this, false);
  set->Clear();
  runs_.clear();
  uint8_t* low = WorkArea(kMaxDepth);
  uint8_t* high = WorkArea(kMaxDepth + 1);
  MakeKey(low, from);
  MakeKey(high, to);
  if (Compare(low, high) > 0) return FinishScan(set, kVOk);
  VResult result = Seek(low, 0);
  while (result == kVOk && Compare(Current().key, high) <= 0) {
    result = AddEntry(set);
    if (result == kVOk) result = Next();
  }
  return FinishScan(set, result);
}

VResult VBTree::ListScan(std::span<const uint8_t* const> values, VRMap* set) {
  Operation operation(this, false);
  set->Clear();
  runs_.clear();
  // The made values in ascending order, each once; each is found by its own descent.
  std::vector<uint8_t> made;
  std::vector<size_t> at(values.size());
  uint8_t* key = WorkArea(kMaxDepth);
  for (size_t i = 0; i < values.size(); ++i) {
    at[i] = made.size();
    MakeKey(key, values[i]);
    made.insert(made.end(), key, key + KeyLength(key, payload_));
  }
  std::sort(at.begin(), at.end(),
            [&](size_t a, size_t b) { return Compare(made.data() + a, made.data() + b) < 0; });
  at.erase(std::unique(
               at.begin(), at.end(),
               [&](size_t a, size_t b) { return Compare(made.data() + a, made.data() + b) == 0; }),
           at.end());
  VResult result = kVOk;
  for (size_t i = 0; i < at.size() && result == kVOk; ++i) {
    result = AddValueEntries(made.data() + at[i], set);
  }
  return FinishScan(set, result);
}

bool VBTree::Passes(int32_t kind, bool swapped, const uint8_t* key, const uint8_t* value) const {
  const uint8_t* text = swapped ? value : key;
  const uint8_t* pattern = swapped ? key : value;
  return VMatchRun(kind, text + 1, text[0], pattern + 1, pattern[0], true, false, nullptr);
}

VResult VBTree::OpScan(int32_t op, const uint8_t* value, VRMap* set) {
  Operation operation(this, false);
  set->Clear();
  runs_.clear();
  uint8_t* key = WorkArea(kMaxDepth);
  MakeKey(key, value);
  const int32_t kind = op & 7;
  const bool swapped = (op & 8) != 0;
  VResult result;
  if (kind == kVMatchStarts && !swapped && KeepsPrefixesTogether()) {
    // The entries that begin with the value follow it; the first that does not ends them.
    result = Seek(key, 0);
    while (result == kVOk && Passes(kind, swapped, Current().key, key)) {
      result = AddEntry(set);
      if (result == kVOk) result = Next();
    }
  } else if (kind == kVMatchStarts && swapped && KeepsPrefixesTogether()) {
    // The beginnings of the value lie at or before it and share its first character: the walk
    // runs backwards from the value's last entry and stops at another first character.
    switch (Descend(key, kMaxRecord)) {
      case kFound:
        result = kVOk;
        break;
      case kNotFound:
        result = Prev();
        break;
      case kEmpty:
        result = kVEnd;
        break;
      default:
        result = kVBrokenTree;
        break;
    }
    const size_t lead = VCharLength(key + 1, key[0], 0);
    while (result == kVOk) {
      const uint8_t* stored = Current().key;
      if (VCharLength(stored + 1, stored[0], 0) != lead ||
          std::memcmp(stored + 1, key + 1, lead) != 0) {
        break;
      }
      if (Passes(kind, swapped, stored, key)) result = AddEntry(set);
      if (result == kVOk) result = Prev();
    }
    // An empty value begins every value but has no first character: its entries lie first in
    // the tree, where the walk back stops short of them.
    if (result == kVOk || result == kVEnd) {
      uint8_t* empty = WorkArea(kMaxDepth + 1);
      empty[0] = 0;
      result = AddValueEntries(empty, set);
    }
  } else {
    result = First();
    while (result == kVOk) {
      if (Passes(kind, swapped, Current().key, key)) result = AddEntry(set);
      if (result == kVOk) result = Next();
    }
  }
  return FinishScan(set, result);
}
