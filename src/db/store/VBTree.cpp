// VBTree: node layout and checks, search, insertion and splitting.
#include "db/store/VBTree.h"

#include <algorithm>
#include <cstring>

#include "base/VDebug.h"
#include "base/VEndian.h"
#include "db/store/VBTreeOperation.h"
#include "db/store/VCioMap.h"
#include "db/store/VDBCodes.h"

namespace {

// Work areas of one payload each: one per stack level for the entry being put there, then the
// sought key, a second key and a record list being divided.
constexpr int32_t kSoughtSlot = VTree::kMaxDepth;
constexpr int32_t kListSlot = VTree::kMaxDepth + 1;
constexpr int32_t kWorkSlots = VTree::kMaxDepth + 2;
// One change splits a leaf at most twice (a large list entry standing alone) and every other level
// at most once, the root taking two blocks: twice the depth and two more always suffice.
constexpr int32_t kReservePerLevel = 2;

int32_t ListSearch(const uint8_t* records, int32_t count, uint32_t record, bool* present) {
  int32_t low = 0;
  int32_t high = count;
  while (low < high) {
    int32_t mid = (low + high) / 2;
    if (VGetU24(records + 3 * mid) < record) {
      low = mid + 1;
    } else {
      high = mid;
    }
  }
  *present = low < count && VGetU24(records + 3 * low) == record;
  return low;
}

}  // namespace

VBTree::~VBTree() {
  ReturnReserve();
  ReleaseStack();
}

int32_t VBTree::MaxKeySize() const {
  const int32_t payload = file_->PayloadSize();
  int32_t limit = payload / 4 - 6;
  if (!IsUnique()) limit = std::min(limit, payload - 2 - 3 * kMaxList);
  return limit;
}

// ---- node access ----

void VBTree::Prepare() {
  unique_ = IsUnique();
  const int32_t payload = file_->PayloadSize();
  if (payload_ != payload || work_.empty()) {
    payload_ = payload;
    work_.assign(static_cast<size_t>(payload_) * kWorkSlots, 0);
  }
}

int32_t VBTree::InUse(const VCashBffr* node) const { return node->InUse(); }

bool VBTree::IsLeaf(const VCashBffr* node) const { return node->BlockKind() == kLeafKind; }

bool VBTree::IsRootNode(const VCashBffr* node) const { return node->BlockKind() == kRootKind; }

int32_t VBTree::EntrySize(const VCashBffr* node, int32_t at) const {
  const uint8_t* entry = node->Payload() + at;
  const int32_t key = KeyLength(entry, payload_ - at);
  if (!IsLeaf(node)) return key + (unique_ ? 3 : 6);
  if (unique_) return key + 3;
  return key + 2 + 3 * (VGetU16(entry + key) & kCountMask);
}

uint32_t VBTree::ChildAt(const VCashBffr* node, int32_t at) const {
  const uint8_t* entry = node->Payload() + at;
  return VGetU24(entry + KeyLength(entry, payload_ - at) + (unique_ ? 0 : 3));
}

uint32_t VBTree::InnerRecordAt(const VCashBffr* node, int32_t at) const {
  if (unique_) return 0;
  const uint8_t* entry = node->Payload() + at;
  return VGetU24(entry + KeyLength(entry, payload_ - at));
}

uint32_t VBTree::SeparatorRecord(const VCashBffr* node) const {
  if (unique_ || InUse(node) == 0) return 0;
  if (!IsLeaf(node)) return InnerRecordAt(node, 0);
  const uint8_t* entry = node->Payload();
  const int32_t key = KeyLength(entry, payload_);
  return (VGetU16(entry + key) & kContinues) ? VGetU24(entry + key + 2) : 0;
}

int32_t VBTree::PrevOffset(const VCashBffr* node, int32_t pos) const {
  int32_t at = 0;
  int32_t previous = 0;
  while (at < pos) {
    previous = at;
    at += EntrySize(node, at);
  }
  return previous;
}

int32_t VBTree::ParseNode(const VCashBffr* node) {
  VCashBffr::Entries& known = node->EntryOffsets();
  std::vector<uint16_t>& offsets = known.offsets;
  offsets_ = &offsets;
  const uint8_t form = Form();
  if (known.form == form && known.version == node->Version()) {
    return static_cast<int32_t>(offsets.size());
  }
  known.form = 0;
  offsets.clear();
  const int32_t used = InUse(node);
  if (used > payload_) return -1;
  const bool leaf = IsLeaf(node);
  const uint8_t* payload = node->Payload();
  int32_t at = 0;
  while (at < used) {
    offsets.push_back(static_cast<uint16_t>(at));
    const int32_t room = used - at;
    const int32_t key = KeyLength(payload + at, room);
    if (key < 1) return -1;
    int32_t size;
    if (!leaf) {
      size = key + (unique_ ? 3 : 6);
    } else if (unique_) {
      size = key + 3;
    } else {
      if (key + 2 > room) return -1;
      const uint16_t word = VGetU16(payload + at + key);
      const int32_t count = word & kCountMask;
      if (count < 1 || count > kMaxList || (word & 0x3000) != 0) return -1;
      size = key + 2 + 3 * count;
    }
    if (size > room) return -1;
    at += size;
  }
  known.form = form;
  known.version = node->Version();
  return static_cast<int32_t>(offsets.size());
}

void VBTree::KeepOffsets(const VCashBffr* node, uint32_t before, int32_t pos, int32_t delta,
                         EntryChange change) {
  VCashBffr::Entries& known = node->EntryOffsets();
  if (known.form != Form() || known.version != before) return;
  std::vector<uint16_t>& offsets = known.offsets;
  const uint16_t at = static_cast<uint16_t>(pos);
  auto first = std::lower_bound(offsets.begin(), offsets.end(), at);
  if (change == EntryChange::kAdded) {
    first = offsets.insert(first, at) + 1;
  } else {
    if (first == offsets.end() || *first != at) {
      known.form = 0;  // not an entry boundary: walk the node again next time
      return;
    }
    first = change == EntryChange::kRemoved ? offsets.erase(first) : first + 1;
  }
  // The entries after the change move by delta.
  for (auto it = first; it != offsets.end(); ++it) *it = static_cast<uint16_t>(*it + delta);
  known.version = node->Version();
}

bool VBTree::CheckNode(const VCashBffr* node, bool root) {
  const uint8_t kind = node->BlockKind();
  if (root ? kind != kRootKind : (kind != kInnerKind && kind != kLeafKind)) return false;
  if (node->Level() != KeyNumber()) return false;
  if (!root && InUse(node) == 0) return false;
  return ParseNode(node) >= 0;
}

VCashBffr* VBTree::ReadNode(uint32_t block, bool root) {
  if (block == 0 || block > kVMaxBlockNumber) return nullptr;
  // A node met twice on one path is a cycle: the tree is broken.
  for (int32_t level = 0; level < depth_; ++level) {
    if (frames_[level].block == block) return nullptr;
  }
  VResult error = kVOk;
  VCashBffr* node = file_->GetBlock(block, &error);
  if (node == nullptr) return nullptr;
  if (!CheckNode(node, root)) {
    file_->Release(node);
    return nullptr;
  }
  return node;
}

int VBTree::CompareInner(const VCashBffr* node, int32_t at, const uint8_t* key,
                         uint32_t record) const {
  int c = Compare(node->Payload() + at, key);
  if (c != 0 || unique_) return c;
  const uint32_t own = InnerRecordAt(node, at);
  return own < record ? -1 : (own > record ? 1 : 0);
}

// ---- search ----

int VBTree::Descend(const uint8_t* key, uint32_t record) {
  ReleaseStack();
  VCashBffr* node = ReadNode(root_, true);
  if (node == nullptr) return kBroken;
  PushNode(root_, node);
  if (InUse(node) == 0) return kEmpty;
  for (;;) {
    // Offsets of the node just read.
    const uint16_t* offsets = offsets_->data();
    const int32_t count = static_cast<int32_t>(offsets_->size());
    if (!IsLeaf(node)) {
      if (count == 0) return kBroken;
      // The last entry not above (key, record); the first entry takes everything below it.
      int32_t low = 1;
      int32_t high = count;
      while (low < high) {
        int32_t mid = (low + high) / 2;
        if (CompareInner(node, offsets[mid], key, record) <= 0) {
          low = mid + 1;
        } else {
          high = mid;
        }
      }
      frames_[0].pos = offsets[low - 1];
      const uint32_t child = ChildAt(node, frames_[0].pos);
      if (depth_ >= kMaxDepth) return kBroken;
      node = ReadNode(child, false);
      if (node == nullptr) return kBroken;
      PushNode(child, node);
      continue;
    }
    // Leaf: the first entry whose key is not below the sought key.
    int32_t low = 0;
    int32_t high = count;
    while (low < high) {
      int32_t mid = (low + high) / 2;
      if (Compare(node->Payload() + offsets[mid], key) < 0) {
        low = mid + 1;
      } else {
        high = mid;
      }
    }
    if (low == count) {
      frames_[0].pos = InUse(node);
      return kNotFound;
    }
    if (Compare(node->Payload() + offsets[low], key) != 0) {
      frames_[0].pos = offsets[low];
      return kNotFound;
    }
    if (!unique_) {
      while (low + 1 < count) {
        const uint8_t* next = node->Payload() + offsets[low + 1];
        const int32_t size = KeyLength(next, payload_ - offsets[low + 1]);
        if (!(VGetU16(next + size) & kContinues) || VGetU24(next + size + 2) > record) break;
        ++low;
      }
    }
    frames_[0].pos = offsets[low];
    return kFound;
  }
}

bool VBTree::Lookup(const uint8_t* value, uint32_t* record) {
  Operation operation(this, false);
  uint8_t* key = WorkArea(kSoughtSlot);
  MakeKey(key, value);
  const int found = Descend(key, 0);
  if (found == kNotFound && unique_) KeepPath(key);
  if (found != kFound) return false;
  *record = VGetU24(Current().records);
  return true;
}

void VBTree::KeepPath(const uint8_t* key) {
  const int32_t size = KeyLength(key, payload_);
  if (size < 0) return;
  kept_.depth = depth_;
  for (int32_t level = 0; level < depth_; ++level) {
    kept_.blocks[level] = frames_[level].block;
    kept_.positions[level] = frames_[level].pos;
    kept_.versions[level] = frames_[level].node->Version();
  }
  kept_.key.assign(key, key + size);
  kept_.valid = true;
}

bool VBTree::Revisit(const uint8_t* key) {
  const int32_t size = KeyLength(key, payload_);
  if (size < 0 || static_cast<size_t>(size) != kept_.key.size() ||
      std::memcmp(key, kept_.key.data(), kept_.key.size()) != 0) {
    return false;
  }
  ReleaseStack();
  // From the root down, each node as the lookup left it.
  for (int32_t level = kept_.depth - 1; level >= 0; --level) {
    VCashBffr* node = ReadNode(kept_.blocks[level], level == kept_.depth - 1);
    if (node == nullptr || node->Version() != kept_.versions[level]) {
      file_->Release(node);
      ReleaseStack();
      return false;
    }
    PushNode(kept_.blocks[level], node, kept_.positions[level]);
  }
  return true;
}

// ---- reserve of blocks for splits ----

VResult VBTree::Reserve() {
  if (reserved_) return kVOk;
  reserved_ = true;
  for (int32_t level = 0; level < depth_; ++level) {
    const VCashBffr* node = frames_[level].node;
    saved_.emplace_back(frames_[level].block,
                        std::vector<uint8_t>(node->Data(), node->Data() + node->Size()));
  }
  const size_t wanted = static_cast<size_t>(kReservePerLevel * depth_ + 2);
  while (reserve_.size() < wanted) {
    uint32_t block = file_->AllocBlock();
    if (block == 0) return kVNoRecordBlock;
    reserve_.push_back(block);
  }
  return kVOk;
}

uint32_t VBTree::TakeBlock() {
  if (reserve_.empty()) return file_->AllocBlock();
  // Lowest first, so that a tree grows in file order as it would block by block.
  auto lowest = std::min_element(reserve_.begin(), reserve_.end());
  uint32_t block = *lowest;
  reserve_.erase(lowest);
  taken_.push_back(block);
  return block;
}

void VBTree::FreeNode(uint32_t block) {
  VResult freed = file_->FreeBlock(block);
  if (freed != kVOk) {
    LogFormat("...ERROR... VBTree::FreeNode block %u of key %d ec:%d", block, KeyNumber(),
              static_cast<int>(freed));
  }
}

void VBTree::ReturnReserve() {
  for (uint32_t block : reserve_) FreeNode(block);
  reserve_.clear();
  reserved_ = false;
  taken_.clear();
  saved_.clear();
}

void VBTree::Overflow() {
  ReleaseStack();
  for (const auto& [block, image] : saved_) {
    VCashBffr* node = file_->GetBlock(block);
    if (node == nullptr) continue;
    std::memcpy(node->Data(), image.data(), image.size());
    file_->MarkDirty(node);
    file_->Release(node);
  }
  for (uint32_t block : taken_) FreeNode(block);
  ReturnReserve();
  RaiseOverflow("PushRoot", kMaxDepth);
}

// ---- insertion ----

VResult VBTree::CreateRoot() {
  Operation operation(this, true);
  const uint32_t block = file_->AllocBlock();
  if (block == 0) return operation.Finish(kVNoRecordBlock);
  VCashBffr* node = file_->NewBlock(block);
  node->SetBlockHeader(kRootKind, KeyNumber(), 0);
  file_->MarkDirty(node);
  file_->Release(node);
  root_ = block;
  return operation.Finish(kVOk);
}

VResult VBTree::InsertKey(const uint8_t* value, uint32_t record) {
  Operation operation(this, true);
  if (record == 0 || record > kMaxRecord) return operation.Finish(kVTreeUnusable);
  uint8_t* key = WorkArea(kSoughtSlot);
  MakeKey(key, value);
  if (KeyLength(key, payload_) > MaxKeySize()) return operation.Finish(kVTreeUnusable);
  VResult result;
  // A unique check that has just missed this key left its path: the insert goes where it ended.
  const bool revisited = unique_ && operation.HadKeptPath() && Revisit(key);
  switch (revisited ? static_cast<int>(kNotFound) : Descend(key, record)) {
    case kFound:
      result = unique_ ? kVUniqueTaken : AddToList(record);
      break;
    case kNotFound:
      result = InsertNew(key, record);
      break;
    case kEmpty:
      result = InsertFirst(key, record);
      break;
    default:
      result = kVTreeUnusable;
      break;
  }
  return operation.Finish(result);
}

namespace {

// Writes a leaf entry for one record: key, then the record (unique) or a list of one.
int32_t WriteLeafEntry(uint8_t* out, const uint8_t* key, int32_t keySize, bool unique,
                       uint32_t record) {
  std::memcpy(out, key, static_cast<size_t>(keySize));
  if (unique) {
    VPutU24(out + keySize, record);
    return keySize + 3;
  }
  VPutU16(out + keySize, 1);
  VPutU24(out + keySize + 2, record);
  return keySize + 5;
}

int32_t WriteInnerEntry(uint8_t* out, const uint8_t* key, int32_t keySize, bool unique,
                        uint32_t record, uint32_t child) {
  std::memcpy(out, key, static_cast<size_t>(keySize));
  if (unique) {
    VPutU24(out + keySize, child);
    return keySize + 3;
  }
  VPutU24(out + keySize, record);
  VPutU24(out + keySize + 3, child);
  return keySize + 6;
}

}  // namespace

VResult VBTree::InsertFirst(const uint8_t* key, uint32_t record) {
  const uint32_t block = file_->AllocBlock();
  if (block == 0) return kVNoRecordBlock;
  const int32_t keySize = KeyLength(key, payload_);
  VCashBffr* leaf = file_->NewBlock(block);
  const int32_t size = WriteLeafEntry(leaf->Payload(), key, keySize, unique_, record);
  leaf->SetBlockHeader(kLeafKind, KeyNumber(), static_cast<uint16_t>(size));
  file_->MarkDirty(leaf);
  file_->Release(leaf);
  VCashBffr* root = frames_[0].node;
  const int32_t rootSize = WriteInnerEntry(root->Payload(), key, keySize, unique_, 0, block);
  root->SetBlockHeader(kRootKind, KeyNumber(), static_cast<uint16_t>(rootSize));
  file_->MarkDirty(root);
  return kVOk;
}

VResult VBTree::InsertNew(const uint8_t* key, uint32_t record) {
  // A new first entry changes the separators above, which may need room: blocks are taken first.
  if (frames_[0].pos == 0) {
    VResult reserved = Reserve();
    if (reserved != kVOk) return reserved;
  }
  uint8_t* entry = WorkArea(0);
  const int32_t size = WriteLeafEntry(entry, key, KeyLength(key, payload_), unique_, record);
  VResult result = PutEntry(0, entry, size, true);
  if (result == kVOk && frames_[0].pos == 0) result = FixSeparators(0);
  return result;
}

VResult VBTree::AddToList(uint32_t record) {
  Frame* f = &frames_[0];
  uint8_t* entry = f->node->Payload() + f->pos;
  int32_t keySize = KeyLength(entry, payload_ - f->pos);
  const int32_t count = VGetU16(entry + keySize) & kCountMask;
  bool present = false;
  const int32_t index = ListSearch(entry + keySize + 2, count, record, &present);
  if (present) return kVOk;
  if (count >= kMaxList) return DivideList(record, index);
  VResult result = GrowEntry(0, 3);
  if (result != kVOk) return result;
  f = &frames_[0];
  const uint32_t before = f->node->Version();
  uint8_t* payload = f->node->Payload();
  entry = payload + f->pos;
  const int32_t used = InUse(f->node);
  uint8_t* at = entry + keySize + 2 + 3 * index;
  std::memmove(at + 3, at, static_cast<size_t>(payload + used - at));
  VPutU24(at, record);
  VPutU16(entry + keySize, static_cast<uint16_t>(VGetU16(entry + keySize) + 1));
  f->node->SetBlockHeader(kLeafKind, KeyNumber(), static_cast<uint16_t>(used + 3));
  file_->MarkDirty(f->node);
  KeepOffsets(f->node, before, f->pos, 3, EntryChange::kResized);
  // A list that continues another is found by its first record: when that changed, so does the
  // separator above a node that starts with it.
  if (index == 0 && f->pos == 0) return FixSeparators(0);
  return kVOk;
}

VResult VBTree::DivideList(uint32_t record, int32_t index) {
  // The 513 records in order: the entry keeps the first 256, a new entry after it the other 257.
  VResult result = Reserve();
  if (result != kVOk) return result;
  Frame& f = frames_[0];
  uint8_t* payload = f.node->Payload();
  uint8_t* entry = payload + f.pos;
  const int32_t keySize = KeyLength(entry, payload_ - f.pos);
  const uint16_t word = VGetU16(entry + keySize);
  uint8_t* merged = WorkArea(kListSlot);
  uint8_t* records = entry + keySize + 2;
  std::memcpy(merged, records, static_cast<size_t>(3 * index));
  VPutU24(merged + 3 * index, record);
  std::memcpy(merged + 3 * index + 3, records + 3 * index,
              static_cast<size_t>(3 * (kMaxList - index)));
  constexpr int32_t kKept = kMaxList / 2;
  constexpr int32_t kMoved = kMaxList + 1 - kKept;
  std::memcpy(records, merged, 3 * kKept);
  const int32_t used = InUse(f.node);
  uint8_t* tail = records + 3 * kMaxList;
  std::memmove(records + 3 * kKept, tail, static_cast<size_t>(payload + used - tail));
  VPutU16(entry + keySize, static_cast<uint16_t>((word & kContinues) | kGoesOn | kKept));
  f.node->SetBlockHeader(kLeafKind, KeyNumber(),
                         static_cast<uint16_t>(used - 3 * (kMaxList - kKept)));
  file_->MarkDirty(f.node);
  if (index == 0 && f.pos == 0) result = FixSeparators(0);
  if (result != kVOk) return result;

  uint8_t* added = WorkArea(0);
  std::memcpy(added, entry, static_cast<size_t>(keySize));
  VPutU16(added + keySize, static_cast<uint16_t>(kContinues | (word & kGoesOn) | kMoved));
  std::memcpy(added + keySize + 2, merged + 3 * kKept, 3 * kMoved);
  frames_[0].pos += keySize + 2 + 3 * kKept;
  result = PutEntry(0, added, keySize + 2 + 3 * kMoved, true);
  if (result == kVOk && frames_[0].pos == 0) result = FixSeparators(0);
  return result;
}

// ---- room and splits ----

VResult VBTree::PutEntry(int32_t level, const uint8_t* entry, int32_t size, bool keepAtEnd) {
  for (int32_t attempt = 0; attempt < 4 * kMaxDepth; ++attempt) {
    Frame& f = frames_[level];
    const int32_t used = InUse(f.node);
    if (used + size <= payload_) {
      const uint32_t before = f.node->Version();
      uint8_t* at = f.node->Payload() + f.pos;
      std::memmove(at + size, at, static_cast<size_t>(used - f.pos));
      std::memcpy(at, entry, static_cast<size_t>(size));
      f.node->SetBlockHeader(f.node->BlockKind(), KeyNumber(), static_cast<uint16_t>(used + size));
      file_->MarkDirty(f.node);
      KeepOffsets(f.node, before, f.pos, size, EntryChange::kAdded);
      return kVOk;
    }
    VResult result = Reserve();
    if (result != kVOk) return result;
    const int32_t point = SplitPoint(level);
    const bool left = f.pos < point || (f.pos == point && keepAtEnd);
    const int32_t target = left ? point : used - point;
    if (target + size <= payload_ || IsRootNode(f.node)) {
      result = SplitAt(level, point, keepAtEnd);
    } else if (f.pos == used) {
      // Large list entries leave no half with room: the entry starts a node of its own.
      return AppendSibling(level, entry, size);
    } else {
      // Split where the entry goes; at the start of the node, every entry moves on.
      result = SplitAt(level, f.pos, true);
    }
    if (result != kVOk) return result;
  }
  return kVTreeUnusable;
}

VResult VBTree::GrowEntry(int32_t level, int32_t delta) {
  for (int32_t attempt = 0; attempt < 4 * kMaxDepth; ++attempt) {
    Frame& f = frames_[level];
    const int32_t used = InUse(f.node);
    if (used + delta <= payload_) return kVOk;
    VResult result = Reserve();
    if (result != kVOk) return result;
    int32_t point = SplitPoint(level);
    const int32_t target = f.pos < point ? point : used - point;
    if (target + delta > payload_ && !IsRootNode(f.node)) {
      // Set the entry apart: it starts the new node, or stays alone in this one.
      point = f.pos > 0 ? f.pos : EntrySize(f.node, f.pos);
    }
    result = SplitAt(level, point, false);
    if (result != kVOk) return result;
  }
  return kVTreeUnusable;
}

int32_t VBTree::SplitPoint(int32_t level) {
  const VCashBffr* node = frames_[level].node;
  const int32_t used = InUse(node);
  const int32_t half = payload_ / 2;
  int32_t first = 0;  // end of the first entry
  int32_t last = 0;   // start of the last entry
  int32_t point = -1;
  for (int32_t at = 0; at < used;) {
    const int32_t size = EntrySize(node, at);
    if (at == 0) first = size;
    last = at;
    if (point < 0 && at + size >= half) point = (half - at) < (at + size - half) ? at : at + size;
    at += size;
  }
  if (point < 0) point = used;
  // Both halves keep an entry when there are two.
  if (first < used) point = std::clamp(point, first, last);
  return point;
}

VResult VBTree::Split(int32_t level, bool keepAtEnd) {
  if (level < 0 || level >= depth_) return kVTreeUnusable;
  VResult result = Reserve();
  if (result != kVOk) return result;
  return SplitAt(level, SplitPoint(level), keepAtEnd);
}

VResult VBTree::SplitAt(int32_t level, int32_t at, bool keepAtEnd) {
  Frame& f = frames_[level];
  if (IsRootNode(f.node)) return SplitRoot(level, at, keepAtEnd);
  const int32_t used = InUse(f.node);
  const uint32_t block = TakeBlock();
  if (block == 0) return kVNoRecordBlock;
  VCashBffr* added = file_->NewBlock(block);
  const uint8_t kind = f.node->BlockKind();
  std::memcpy(added->Payload(), f.node->Payload() + at, static_cast<size_t>(used - at));
  added->SetBlockHeader(kind, KeyNumber(), static_cast<uint16_t>(used - at));
  f.node->SetBlockHeader(kind, KeyNumber(), static_cast<uint16_t>(at));
  file_->MarkDirty(added);
  file_->MarkDirty(f.node);
  const bool moveTo = f.pos > at || (f.pos == at && !keepAtEnd);
  const uint32_t separator = SeparatorRecord(added);
  if (moveTo) {
    file_->Release(f.node);
    f = Frame{block, f.pos - at, added};
  }
  VResult result = InsertSeparator(level + 1, added->Payload(), separator, block, moveTo);
  if (!moveTo) file_->Release(added);
  return result;
}

VResult VBTree::SplitRoot(int32_t level, int32_t at, bool keepAtEnd) {
  Frame& f = frames_[level];
  VCashBffr* root = f.node;
  const int32_t used = InUse(root);
  if (at <= 0 || at >= used) return kVTreeUnusable;
  // The stack must take the root above the new level: a sixth level is never built, and the
  // splits below that led here are undone first.
  if (depth_ >= kMaxDepth) Overflow();
  const uint32_t leftBlock = TakeBlock();
  const uint32_t rightBlock = leftBlock == 0 ? 0 : TakeBlock();
  if (rightBlock == 0) {
    if (leftBlock != 0) FreeNode(leftBlock);
    return kVNoRecordBlock;
  }
  VCashBffr* left = file_->NewBlock(leftBlock);
  VCashBffr* right = file_->NewBlock(rightBlock);
  std::memcpy(left->Payload(), root->Payload(), static_cast<size_t>(at));
  std::memcpy(right->Payload(), root->Payload() + at, static_cast<size_t>(used - at));
  left->SetBlockHeader(kInnerKind, KeyNumber(), static_cast<uint16_t>(at));
  right->SetBlockHeader(kInnerKind, KeyNumber(), static_cast<uint16_t>(used - at));
  uint8_t* payload = root->Payload();
  const int32_t leftSize =
      WriteInnerEntry(payload, left->Payload(), KeyLength(left->Payload(), payload_), unique_,
                      SeparatorRecord(left), leftBlock);
  const int32_t rightSize =
      WriteInnerEntry(payload + leftSize, right->Payload(), KeyLength(right->Payload(), payload_),
                      unique_, SeparatorRecord(right), rightBlock);
  root->SetBlockHeader(kRootKind, KeyNumber(), static_cast<uint16_t>(leftSize + rightSize));
  file_->MarkDirty(left);
  file_->MarkDirty(right);
  file_->MarkDirty(root);
  const bool stay = f.pos < at || (f.pos == at && keepAtEnd);
  if (stay) {
    file_->Release(right);
    f = Frame{leftBlock, f.pos, left};
  } else {
    file_->Release(left);
    f = Frame{rightBlock, f.pos - at, right};
  }
  PushRoot(root, stay ? 0 : leftSize);
  return kVOk;
}

VResult VBTree::AppendSibling(int32_t level, const uint8_t* entry, int32_t size) {
  Frame& f = frames_[level];
  const uint32_t block = TakeBlock();
  if (block == 0) return kVNoRecordBlock;
  VCashBffr* added = file_->NewBlock(block);
  std::memcpy(added->Payload(), entry, static_cast<size_t>(size));
  added->SetBlockHeader(f.node->BlockKind(), KeyNumber(), static_cast<uint16_t>(size));
  file_->MarkDirty(added);
  file_->Release(f.node);
  f = Frame{block, 0, added};
  return InsertSeparator(level + 1, added->Payload(), SeparatorRecord(added), block, true);
}

VResult VBTree::InsertSeparator(int32_t level, const uint8_t* key, uint32_t record, uint32_t block,
                                bool moveTo) {
  if (level < 1 || level >= depth_) return kVTreeUnusable;
  uint8_t* entry = WorkArea(level);
  const int32_t size =
      WriteInnerEntry(entry, key, KeyLength(key, payload_), unique_, record, block);
  Frame& parent = frames_[level];
  const int32_t current = EntrySize(parent.node, parent.pos);
  parent.pos += current;
  VResult result = PutEntry(level, entry, size, true);
  if (result != kVOk || moveTo) return result;
  // Inner entries are small enough that the entry it follows always shares its node.
  if (frames_[level].pos < current) return kVTreeUnusable;
  frames_[level].pos -= current;
  return kVOk;
}

VResult VBTree::ReplaceSeparator(int32_t level, const uint8_t* key, uint32_t record) {
  if (level < 1 || level >= depth_) return kVTreeUnusable;
  const int32_t newKey = KeyLength(key, payload_);
  int32_t oldKey;
  {
    const Frame& f = frames_[level];
    oldKey = KeyLength(f.node->Payload() + f.pos, payload_ - f.pos);
  }
  if (newKey > oldKey) {
    VResult result = GrowEntry(level, newKey - oldKey);
    if (result != kVOk) return result;
  }
  Frame& f = frames_[level];
  uint8_t* payload = f.node->Payload();
  uint8_t* entry = payload + f.pos;
  const uint32_t child = ChildAt(f.node, f.pos);
  const int32_t used = InUse(f.node);
  const int32_t oldSize = EntrySize(f.node, f.pos);
  const int32_t newSize = oldSize + newKey - oldKey;
  std::memmove(entry + newSize, entry + oldSize, static_cast<size_t>(used - f.pos - oldSize));
  WriteInnerEntry(entry, key, newKey, unique_, record, child);
  f.node->SetBlockHeader(f.node->BlockKind(), KeyNumber(),
                         static_cast<uint16_t>(used + newSize - oldSize));
  file_->MarkDirty(f.node);
  return kVOk;
}

VResult VBTree::FixSeparators(int32_t level) {
  for (int32_t l = level; l + 1 < depth_; ++l) {
    const VCashBffr* child = frames_[l].node;
    if (InUse(child) == 0) return kVOk;
    const uint8_t* key = child->Payload();
    const uint32_t record = SeparatorRecord(child);
    const Frame& parent = frames_[l + 1];
    const uint8_t* current = parent.node->Payload() + parent.pos;
    const int32_t size = KeyLength(key, payload_);
    if (KeyLength(current, payload_ - parent.pos) == size &&
        std::memcmp(current, key, static_cast<size_t>(size)) == 0 &&
        InnerRecordAt(parent.node, parent.pos) == record) {
      return kVOk;  // the separators above are right already
    }
    VResult result = ReplaceSeparator(l + 1, key, record);
    if (result != kVOk) return result;
    if (frames_[l + 1].pos != 0 || IsRootNode(frames_[l + 1].node)) return kVOk;
  }
  return kVOk;
}
