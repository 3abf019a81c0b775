#include "db/engine/VSorter.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "base/VEndian.h"
#include "base/VList.h"
#include "base/VSjis.h"
#include "db/engine/VSetAcc.h"
#include "db/schema/VDecimal.h"
#include "db/schema/VRecordView.h"
#include "db/schema/VSchema.h"
#include "db/store/VDBFile.h"

namespace {

bool IsSeparator(uint8_t b) { return b == ' ' || b == ',' || b < 0x20 || b == 0x7F; }
bool IsNumeric(uint8_t type) { return type == kVTypeNumber || type == kVTypeInteger; }

// Reads a decimal number of at most max; false when there is none or it is larger.
bool ReadNumber(const uint8_t*& p, const uint8_t* end, uint32_t max, uint32_t* number) {
  const uint8_t* start = p;
  uint64_t value = 0;
  while (p < end && VIsDigit(*p)) {
    value = value * 10 + (*p++ - '0');
    if (value > max) return false;
  }
  *number = static_cast<uint32_t>(value);
  return p != start;
}

void SkipSpaces(const uint8_t*& p, const uint8_t* end) {
  while (p < end && *p == ' ') ++p;
}

// One entry at p: 0 read (p after it), kVEnd when it does not parse, kVSortItemUnknown.
VResult ReadEntry(const uint8_t*& p, const uint8_t* end, const VSch_DBFile& schema,
                  VSortEntry* entry) {
  const uint8_t* start;
  const uint8_t* stop;
  if (*p == '[') {
    start = ++p;
    while (p < end && *p != ']') p += VCharLength(p, static_cast<size_t>(end - p), 0);
    if (p >= end) return kVEnd;
    stop = p++;
  } else {
    start = p;
    while (p < end && !IsSeparator(*p) && *p != '(' && *p != '%') {
      p += VCharLength(p, static_cast<size_t>(end - p), 0);
    }
    stop = p;
  }
  if (stop - start >= 2 && start[1] == ':') start += 2;
  const size_t length = static_cast<size_t>(stop - start);
  if (length == 0 || length > 31 || *start == ':') return kVEnd;
  const std::string name(reinterpret_cast<const char*>(start), length);
  if (std::all_of(name.begin(), name.end(), [](char c) { return VIsDigit(c); })) {
    const uint8_t* digits = start;
    uint32_t number = 0;
    if (!ReadNumber(digits, stop, 255, &number)) return kVEnd;
    entry->item = static_cast<int16_t>(number);
  } else {
    const int number = schema.ItemNumberByName(name);
    if (number < 0) return kVSortItemUnknown;
    entry->item = static_cast<int16_t>(number);
  }
  if (p < end && *p == '(') {
    ++p;
    uint32_t first = 0;
    uint32_t last = 0;
    SkipSpaces(p, end);
    if (!ReadNumber(p, end, 0xFFFF, &first)) return kVEnd;
    SkipSpaces(p, end);
    if (p >= end || *p++ != '-') return kVEnd;
    SkipSpaces(p, end);
    if (!ReadNumber(p, end, 0xFFFF, &last)) return kVEnd;
    SkipSpaces(p, end);
    if (p >= end || *p++ != ')') return kVEnd;
    entry->first = static_cast<uint16_t>(first);
    entry->last = static_cast<uint16_t>(last);
  }
  if (p < end && *p == '%') {
    ++p;
    if (p < end && (*p == 'A' || *p == 'a' || *p == 'D' || *p == 'd')) {
      entry->descending = *p == 'D' || *p == 'd';
      ++p;
    }
    if (p < end && (*p == 'I' || *p == 'i' || *p == 'S' || *p == 's')) {
      entry->ignoreCase = *p == 'S' || *p == 's';
      ++p;
    }
  }
  return p >= end || IsSeparator(*p) ? kVOk : kVEnd;
}

}  // namespace

// ---- VSortDescription ----

VResult VSortDescription::Parse(std::span<const uint8_t> text, const VSch_DBFile& schema) {
  entries_.clear();
  const uint8_t* p = text.data();
  const uint8_t* end = p + text.size();
  while (Count() < kMaxEntries) {
    while (p < end && IsSeparator(*p)) ++p;
    if (p >= end) break;
    VSortEntry entry;
    const VResult read = ReadEntry(p, end, schema, &entry);
    if (read == kVSortItemUnknown) return read;
    if (read != kVOk) break;
    entries_.push_back(entry);
  }
  return entries_.empty() ? kVSortDescriptionBad : kVOk;
}

void VSortDescription::MakeKey(const VRecordView& record, int32_t limit,
                               std::vector<uint8_t>* key) const {
  key->clear();
  // Every part keeps its two header bytes; the rest of the limit goes to the bytes in turn.
  int32_t room = limit - 2 * Count();
  for (const VSortEntry& entry : entries_) {
    VValueRef ref;
    VValueBytes bytes{nullptr, 0};
    uint8_t type = 0;
    if (entry.item > 0 && record.ValueRef(entry.item, 1, &ref) == kVOk) {
      type = ref.type;
      if (!VKeyBytesOf(ref.value, &bytes)) bytes = VBytesOf(ref.value);
      if (entry.first > 0 && entry.last >= entry.first) {
        const uint32_t from = std::min<uint32_t>(entry.first - 1u, bytes.length);
        const uint32_t to = std::min<uint32_t>(entry.last, bytes.length);
        bytes = {bytes.bytes + from, to - from};
      }
    }
    uint32_t length = std::min<uint32_t>(bytes.length, 255);
    length = std::min<uint32_t>(length, static_cast<uint32_t>(std::max(room, 0)));
    room -= static_cast<int32_t>(length);
    key->push_back(type);
    key->push_back(static_cast<uint8_t>(length));
    const size_t at = key->size();
    if (length > 0) key->insert(key->end(), bytes.bytes, bytes.bytes + length);
    if (entry.ignoreCase && !IsNumeric(type)) {
      uint8_t* text = key->data() + at;
      for (size_t i = 0; i < length;) {
        if (VIsLeadByte(text[i]) && i + 1 < length) {
          i += 2;
          continue;
        }
        // Folded up, as the foundation's comparisons fold: "[", "\\", "]", "^", "_" and "`" then
        // sort after the letters, as they do in a case-blind comparison.
        text[i] = VToUpper(text[i]);
        ++i;
      }
    }
  }
}

int32_t VSortDescription::KeySize(const uint8_t* key, int32_t available) const {
  int32_t size = 0;
  for (int32_t i = 0; i < Count(); ++i) {
    if (available - size < 2) return -1;
    size += 2 + key[size + 1];
    if (size > available) return -1;
  }
  return size;
}

int VSortDescription::Compare(const uint8_t* a, const uint8_t* b) const {
  for (const VSortEntry& entry : entries_) {
    const uint8_t typeA = a[0];
    const uint8_t typeB = b[0];
    const uint8_t lengthA = a[1];
    const uint8_t lengthB = b[1];
    int c;
    if (typeA == 0 || typeB == 0) {
      c = (typeA != 0) - (typeB != 0);
    } else if (IsNumeric(typeA) && IsNumeric(typeB)) {
      c = VCompareDecimalText(a + 2, lengthA, b + 2, lengthB);
    } else {
      const size_t common = std::min(lengthA, lengthB);
      c = common ? std::memcmp(a + 2, b + 2, common) : 0;
      if (c == 0) c = (lengthA > lengthB) - (lengthA < lengthB);
    }
    if (c != 0) {
      c = c < 0 ? -1 : 1;
      return entry.descending ? -c : c;
    }
    a += 2 + lengthA;
    b += 2 + lengthB;
  }
  return 0;
}

// ---- VSorter ----

VSorter::~VSorter() = default;

void VSorter::MakeKey(uint8_t* out, const uint8_t* value) const {
  std::memcpy(out, value, static_cast<size_t>(description_->KeySize(value, INT32_MAX)));
}

// ---- sorting a set ----

namespace {

// The records of the set in ascending number with their keys, handed to sink(key, r) one by one.
// Starts after record number after (0: from the first); stops at the first result of sink that is
// not 0 and answers it.
template <class Sink>
VResult ReadKeys(VDBFile& file, const VSetAcc& set, const VSortDescription& description,
                 int32_t limit, uint32_t after, Sink sink) {
  std::vector<uint8_t> image;
  std::vector<uint8_t> key;
  const VRMap& map = set.Map();
  for (uint32_t r = map.Next(after); r != 0; r = map.Next(r)) {
    VResult result = file.GetRecord(r, &image);
    if (result != kVOk) return result;
    description.MakeKey(VRecordView(image.data(), image.size()), limit, &key);
    result = sink(key, r);
    if (result != kVOk) return result;
  }
  return kVOk;
}

// The members of an in-memory sort, deleted with the list.
class MemberList : public VSortList {
 public:
  ~MemberList() override { DeleteAll(); }
};

VResult SortInMemory(VDBFile& file, const VSetAcc& set, const VSortDescription& description,
                     VRList* order) {
  MemberList members;
  VResult result = ReadKeys(file, set, description, VSortDescription::kMaxKey, 0,
                            [&](std::vector<uint8_t>& key, uint32_t r) {
                              int32_t position = 0;
                              if (members.Search(key.data(), &position)) {
                                members.AtAs<VSortMember>(position)->Records().push_back(r);
                                return kVOk;
                              }
                              auto member = std::make_unique<VSortMember>(&description, key);
                              member->Records().push_back(r);
                              members.InsertAt(position, member.release());
                              return kVOk;
                            });
  for (int32_t i = 0; result == kVOk && i < members.Count(); ++i) {
    for (uint32_t r : members.AtAs<VSortMember>(i)->Records()) {
      result = order->Append(r);
      if (result != kVOk) break;
    }
  }
  return result;
}

// Without a work tree: the keys of all records sorted at once, ties in record order.
VResult SortKeysInMemory(VDBFile& file, const VSetAcc& set, const VSortDescription& description,
                         VRList* order) {
  std::vector<std::vector<uint8_t>> keys;
  std::vector<uint32_t> records;
  VResult result = ReadKeys(file, set, description, VSortDescription::kMaxKey, 0,
                            [&](std::vector<uint8_t>& key, uint32_t r) {
                              keys.push_back(key);
                              records.push_back(r);
                              return kVOk;
                            });
  if (result != kVOk) return result;
  std::vector<uint32_t> index(keys.size());
  for (uint32_t i = 0; i < index.size(); ++i) index[i] = i;
  std::stable_sort(index.begin(), index.end(), [&](uint32_t a, uint32_t b) {
    return description.Compare(keys[a].data(), keys[b].data()) < 0;
  });
  for (uint32_t i : index) {
    result = order->Append(records[i]);
    if (result != kVOk) return result;
  }
  return kVOk;
}

// Keys gathered in one block of bytes with their records, sorted by key and then by record number:
// the order the work-file tree gives, as the tree orders equal keys by record number.
struct KeyRun {
  std::vector<uint8_t> bytes;
  std::vector<std::pair<uint32_t, uint32_t>> entries;  // (offset in bytes, record)

  size_t Footprint() const { return bytes.size() + entries.size() * sizeof(entries[0]); }
  void Add(const std::vector<uint8_t>& key, uint32_t r) {
    entries.emplace_back(static_cast<uint32_t>(bytes.size()), r);
    bytes.insert(bytes.end(), key.begin(), key.end());
  }
  void Sort(const VSortDescription& description) {
    std::sort(entries.begin(), entries.end(), [&](const auto& a, const auto& b) {
      const int c = description.Compare(bytes.data() + a.first, bytes.data() + b.first);
      return c != 0 ? c < 0 : a.second < b.second;
    });
  }
  void Clear() {
    bytes.clear();
    entries.clear();
  }
};

// Feeds the tree with the keys read so far (run) and the rest of the set, then reads its order.
// The keys go into the tree a batch at a time, each batch in key order: consecutive inserts then
// follow one path down the tree, which stays in the processor's caches, instead of each descending
// to a random leaf.
VResult SortInTree(VDBFile& file, const VSetAcc& set, const VSortDescription& description,
                   VSorter& sorter, int32_t limit, uint32_t after, KeyRun& run, VRList* order) {
  VResult result = sorter.CreateRoot();
  if (result != kVOk) return result;
  constexpr size_t kBatchBytes = 1 << 20;
  auto insertBatch = [&]() -> VResult {
    run.Sort(description);
    for (const auto& [at, r] : run.entries) {
      const VResult inserted = sorter.InsertKey(run.bytes.data() + at, r);
      if (inserted != kVOk) return inserted;
    }
    run.Clear();
    return kVOk;
  };
  result = insertBatch();
  if (result == kVOk) {
    result =
        ReadKeys(file, set, description, limit, after, [&](std::vector<uint8_t>& key, uint32_t r) {
          run.Add(key, r);
          return run.bytes.size() >= kBatchBytes ? insertBatch() : kVOk;
        });
  }
  if (result == kVOk) result = insertBatch();
  if (result == kVOk) result = sorter.First();
  while (result == kVOk) {
    const VBTree::Entry entry = sorter.Current();
    for (int32_t i = 0; i < entry.count && result == kVOk; ++i) {
      result = order->Append(VGetU24(entry.records + 3 * i));
    }
    if (result == kVOk) result = sorter.Next();
  }
  sorter.ReleaseStack();
  const VResult dropped = sorter.Drop();
  if (result == kVEnd) result = dropped;
  return result;
}

// A large set: its keys are gathered in memory while they fit the budget and sorted there; the
// work-file tree takes over only when they outgrow it. Keys are cut to what the tree can hold
// either way, so the order does not depend on which of the two sorted.
VResult SortLarge(VDBFile& file, const VSetAcc& set, const VSortDescription& description,
                  VCioMap* workTree, size_t budget, VRList* order) {
  VSorter sorter(workTree, &description);
  const int32_t limit = std::min(VSortDescription::kMaxKey, sorter.MaxKeySize());
  KeyRun run;
  uint32_t stoppedAfter = 0;
  VResult result =
      ReadKeys(file, set, description, limit, 0, [&](std::vector<uint8_t>& key, uint32_t r) {
        run.Add(key, r);
        if (run.Footprint() < budget) return kVOk;
        stoppedAfter = r;
        return kVEnd;
      });
  if (result == kVEnd) {
    return SortInTree(file, set, description, sorter, limit, stoppedAfter, run, order);
  }
  if (result != kVOk) return result;
  run.Sort(description);
  for (const auto& [at, r] : run.entries) {
    result = order->Append(r);
    if (result != kVOk) return result;
  }
  return kVOk;
}

}  // namespace

VResult VSortSet(VDBFile& file, VSetAcc* set, std::span<const uint8_t> description,
                 VCioMap* workTree, size_t memoryBudget) {
  if (!file.IsOpen()) return kVFileNotOpen;
  if (description.size() <= 3) return kVOk;
  VSortDescription parsed;
  VResult result = parsed.Parse(description, *file.Schema());
  if (result != kVOk) return result;
  if (set == nullptr) return kVSortDescriptionBad;
  set->SortCancel();
  if (set->Size() == 0) return kVNoSuchSet;
  auto order = std::make_unique<VRList>(set->WorkFile());
  if (set->Size() <= kVMemorySort) {
    result = SortInMemory(file, *set, parsed, order.get());
  } else if (workTree != nullptr) {
    result = SortLarge(file, *set, parsed, workTree, memoryBudget, order.get());
  } else {
    result = SortKeysInMemory(file, *set, parsed, order.get());
  }
  if (result != kVOk) return result;
  set->SetOrder(std::move(order),
                std::string(reinterpret_cast<const char*>(description.data()), description.size()));
  return kVOk;
}
