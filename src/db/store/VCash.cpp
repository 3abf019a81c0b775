#include "db/store/VCash.h"

#include <algorithm>
#include <atomic>

#include "base/VDebug.h"
#include "base/VEndian.h"
#include "base/VFile.h"
#include "base/VMem.h"
#include "base/VStream.h"
#include "db/store/VCio.h"
#include "db/store/VIOSync.h"
#include "db/store/VWritePoint.h"

namespace {

constexpr int32_t kMaxAge = 0x7FFFFFFF;

std::atomic<uint32_t> gSequence{0};

uint64_t SpaceKey(const VCashBffr& buffer) {
  int32_t free = buffer.Size() - 4 - buffer.InUse();
  free = std::clamp(free, 0, 0xFFFF);
  return (static_cast<uint64_t>(buffer.BlockKind()) << 40) | (static_cast<uint64_t>(free) << 24) |
         buffer.BlockNumber();
}

}  // namespace

VCashBffr::~VCashBffr() { VMemFree(image_); }

// ---- VCashSpaceIndex ----

const VCashSpaceIndex::Tree* VCashSpaceIndex::Find(uint8_t kind) const {
  for (const Tree& tree : trees_) {
    if (tree.kind == kind) return &tree;
  }
  return nullptr;
}

void VCashSpaceIndex::Set(uint8_t kind, uint32_t block, int32_t free) {
  Put(kind, block, std::max(free, 0));
}

void VCashSpaceIndex::Put(uint8_t kind, uint32_t block, int32_t value) {
  Tree* tree = Find(kind);
  if (tree == nullptr) {
    if (value == kNone) return;
    trees_.push_back(Tree{kind, 0, {}});
    tree = &trees_.back();
  }
  if (block >= tree->leaves) {
    if (value == kNone) return;
    // Grows to the next power of two that covers the block; the old leaves keep their values.
    size_t leaves = tree->leaves == 0 ? 64 : tree->leaves;
    while (leaves <= block) leaves *= 2;
    std::vector<int32_t> max(2 * leaves, kNone);
    for (size_t i = 0; i < tree->leaves; ++i) max[leaves + i] = tree->max[tree->leaves + i];
    for (size_t i = leaves - 1; i >= 1; --i) max[i] = std::max(max[2 * i], max[2 * i + 1]);
    tree->leaves = leaves;
    tree->max = std::move(max);
  }
  size_t at = tree->leaves + block;
  tree->max[at] = value;
  for (at /= 2; at >= 1; at /= 2) {
    const int32_t above = std::max(tree->max[2 * at], tree->max[2 * at + 1]);
    if (tree->max[at] == above) break;
    tree->max[at] = above;
  }
}

int64_t VCashSpaceIndex::Search(const Tree& tree, size_t node, size_t low, size_t high,
                                uint32_t from, int32_t bytes) {
  if (high <= from || tree.max[node] < bytes) return -1;
  if (high - low == 1) return static_cast<int64_t>(low);
  const size_t middle = (low + high) / 2;
  const int64_t left = Search(tree, 2 * node, low, middle, from, bytes);
  return left >= 0 ? left : Search(tree, 2 * node + 1, middle, high, from, bytes);
}

int64_t VCashSpaceIndex::FirstWithRoom(uint8_t kind, int32_t bytes, uint32_t from) const {
  const Tree* tree = Find(kind);
  if (tree == nullptr || tree->leaves == 0) return -1;
  return Search(*tree, 1, 0, tree->leaves, from, std::max(bytes, 0));
}

// ---- VCashBlockTable ----

VCashBlockTable::~VCashBlockTable() {
  for (Slot& slot : slots_) delete slot.buffer;
}

void VCashBlockTable::Grow() {
  std::vector<Slot> old = std::move(slots_);
  const size_t capacity = old.empty() ? 16 : old.size() * 2;
  slots_.assign(capacity, Slot{});
  mask_ = capacity - 1;
  shift_ = 32;
  for (size_t c = capacity; c > 1; c >>= 1) --shift_;
  for (const Slot& slot : old) {
    if (slot.buffer == nullptr) continue;
    size_t at = Home(slot.block);
    while (slots_[at].buffer != nullptr) at = (at + 1) & mask_;
    slots_[at] = slot;
  }
}

void VCashBlockTable::Insert(uint32_t block, std::unique_ptr<VCashBffr> buffer) {
  if (static_cast<size_t>(size_ + 1) * 2 > slots_.size()) Grow();
  size_t at = Home(block);
  while (slots_[at].buffer != nullptr) at = (at + 1) & mask_;
  slots_[at] = Slot{block, buffer.release()};
  ++size_;
}

std::unique_ptr<VCashBffr> VCashBlockTable::Remove(uint32_t block) {
  if (size_ == 0) return nullptr;
  size_t at = Home(block);
  for (;; at = (at + 1) & mask_) {
    if (slots_[at].buffer == nullptr) return nullptr;
    if (slots_[at].block == block) break;
  }
  std::unique_ptr<VCashBffr> removed(slots_[at].buffer);
  slots_[at] = Slot{};
  --size_;
  // Entries after the hole whose probe would now stop at it move back into it.
  size_t hole = at;
  for (size_t next = (hole + 1) & mask_; slots_[next].buffer != nullptr;
       next = (next + 1) & mask_) {
    const size_t home = Home(slots_[next].block);
    // The entry may move to the hole when its home is not cyclically within (hole, next].
    const bool between =
        hole <= next ? (home > hole && home <= next) : (home > hole || home <= next);
    if (!between) {
      slots_[hole] = slots_[next];
      slots_[next] = Slot{};
      hole = next;
    }
  }
  return removed;
}

bool VCashVictimOrder::operator()(const VCashBffr* a, const VCashBffr* b) const {
  if (a->ageBase_ != b->ageBase_) return a->ageBase_ > b->ageBase_;
  if (a->node_->Serial() != b->node_->Serial()) return a->node_->Serial() < b->node_->Serial();
  return a->block_ < b->block_;
}

VCash::VCash(int32_t kilobytes)
    : capacity_(static_cast<int64_t>(std::max(kilobytes, kMinimumKilobytes)) * 1024) {}

VCash::~VCash() {
  for (auto& node : nodes_) {
    if (node->dirtyCount_ > 0) {
      LogFormat("...ERROR... VCash: %d dirty blocks of an open file discarded", node->dirtyCount_);
    }
    node->file_->node_ = nullptr;
  }
  // The buffers go with their nodes; the ordered sets only refer to them.
  for (auto& set : byAge_) set.clear();
}

int VCash::SetOf(const VCashBffr& buffer) const {
  return buffer.dirty_ && buffer.node_->owner_ != nullptr ? kHeldDirty : kMayLeave;
}

int32_t VCash::AgeOf(const VCashBffr& buffer) const {
  int64_t age = buffer.ageBase_ + searches_;
  return static_cast<int32_t>(std::clamp<int64_t>(age, 0, kMaxAge));
}

VCashNode* VCash::Register(VCio& file) {
  if (file.node_ != nullptr) return file.node_;
  nodes_.push_back(std::make_unique<VCashNode>(&file, file.Owner(), nextSerial_++));
  file.node_ = nodes_.back().get();
  return file.node_;
}

void VCash::IndexSpace(VCio& file) {
  VCashNode* node = file.node_;
  if (node == nullptr || node->spaceIndexed_) return;
  node->spaceIndexed_ = true;
  node->buffers_.ForEach([this](VCashBffr* buffer) { NoteSpace(buffer); });
}

VResult VCash::DropFile(VCio& file) {
  if (file.node_ == nullptr) return kVOk;
  VResult result = FlushFile(file);
  if (result != kVOk) {
    LogFormat("...ERROR... VCash::DropFile write ec:%d", result);
  }
  DiscardFile(file);
  return result;
}

int32_t VCash::DiscardFile(VCio& file) {
  VCashNode* node = file.node_;
  if (node == nullptr) return 0;
  int32_t dirty = node->dirtyCount_;
  std::vector<VCashBffr*> buffers;
  buffers.reserve(static_cast<size_t>(node->buffers_.Size()));
  node->buffers_.ForEach([&buffers](VCashBffr* buffer) { buffers.push_back(buffer); });
  for (VCashBffr* buffer : buffers) Recycle(Leave(buffer));
  auto at = std::find_if(nodes_.begin(), nodes_.end(),
                         [node](const std::unique_ptr<VCashNode>& n) { return n.get() == node; });
  nodes_.erase(at);
  file.node_ = nullptr;
  return dirty;
}

VCashNode* VCash::NodeOf(VCio& file, VResult* error) const {
  if (file.node_ == nullptr && error != nullptr) *error = kVNotOpen;
  return file.node_;
}

void VCash::Touch(VCashBffr* buffer) {
  if (!IsFull() || AgeOf(*buffer) <= 0) return;
  if (ordered_) byAge_[SetOf(*buffer)].erase(buffer);
  --buffer->ageBase_;
  if (ordered_) byAge_[SetOf(*buffer)].insert(buffer);
}

VCashBffr* VCash::Get(VCio& file, uint32_t block, VResult* error) {
  VCashNode* node = NodeOf(file, error);
  if (node == nullptr) return nullptr;
  ++counters_.gets;
  if (VCashBffr* cached = node->Lookup(block)) {
    ++counters_.hits;
    Touch(cached);
    ++cached->pins_;
    return cached;
  }
  ++counters_.misses;
  std::unique_ptr<VCashBffr> buffer = TakeBuffer(file.BlockSize(), false);
  VResult result = file.ReadBlock(block, buffer->image_);
  if (result != kVOk) {
    used_ -= buffer->size_;
    Recycle(std::move(buffer));
    if (error != nullptr) *error = result;
    return nullptr;
  }
  VCashBffr* entered = Enter(node, block, std::move(buffer));
  ++entered->pins_;
  return entered;
}

VCashBffr* VCash::Peek(VCio& file, uint32_t block) {
  VCashNode* node = file.node_;
  if (node == nullptr) return nullptr;
  VCashBffr* cached = node->Lookup(block);
  if (cached != nullptr) ++cached->pins_;
  return cached;
}

VCashBffr* VCash::New(VCio& file, uint32_t block) {
  VCashNode* node = file.node_;
  if (node == nullptr) return nullptr;
  ++counters_.news;
  VCashBffr* buffer = node->Lookup(block);
  if (buffer != nullptr) {
    std::fill(buffer->image_, buffer->image_ + buffer->size_, 0);
  } else {
    buffer = Enter(node, block, TakeBuffer(file.BlockSize(), true));
  }
  ++buffer->pins_;
  MarkDirty(buffer);
  return buffer;
}

void VCash::SetDirty(VCashBffr* buffer, bool dirty) {
  if (buffer->dirty_ == dirty) return;
  // A record file's block changes set as it becomes dirty or clean.
  const bool moves = ordered_ && buffer->node_->owner_ != nullptr;
  if (moves) byAge_[SetOf(*buffer)].erase(buffer);
  buffer->dirty_ = dirty;
  if (moves) byAge_[SetOf(*buffer)].insert(buffer);
  int32_t step = dirty ? 1 : -1;
  dirtyCount_ += step;
  VCashNode* node = buffer->node_;
  node->dirtyCount_ += step;
  std::vector<VCashBffr*>& list = node->dirty_;
  if (dirty) {
    buffer->dirtyAt_ = static_cast<int32_t>(list.size());
    list.push_back(buffer);
  } else {
    // The last entry takes the place of the one leaving.
    VCashBffr* last = list.back();
    list[static_cast<size_t>(buffer->dirtyAt_)] = last;
    last->dirtyAt_ = buffer->dirtyAt_;
    list.pop_back();
    buffer->dirtyAt_ = -1;
  }
}

void VCash::MarkDirty(VCashBffr* buffer) {
  if (buffer == nullptr || buffer->node_ == nullptr) return;
  ++counters_.dirties;
  ++buffer->version_;
  SetDirty(buffer, true);
  if (buffer->node_->owner_ != nullptr) buffer->node_->owner_->SetChanged(true);
  NoteSpace(buffer);
}

VResult VCash::Free(VCio& file, uint32_t block) {
  VCashNode* node = file.node_;
  if (node == nullptr) return kVNotOpen;
  ++counters_.frees;
  VCashBffr* buffer = node->Lookup(block);
  if (buffer == nullptr) return kVOk;
  // A block allocated at the end of the file may never have been written: the file must still
  // reach it, as the allocation maps say the file holds it.
  VResult result = buffer->dirty_ ? file.ExtendTo(block) : kVOk;
  Recycle(Leave(buffer));
  return result;
}

void VCash::Pin(VCashBffr* buffer) {
  if (buffer != nullptr) ++buffer->pins_;
}

void VCash::Release(VCashBffr* buffer) {
  if (buffer != nullptr && buffer->pins_ > 0) --buffer->pins_;
}

void VCash::NoteSpace(VCashBffr* buffer) {
  VCashNode* node = buffer->node_;
  if (!node->spaceIndexed_ || buffer->block_ > 0xFFFFFF) return;
  uint64_t key = SpaceKey(*buffer);
  if (buffer->spaceIndexed_) {
    if (buffer->spaceKey_ == key) return;
    const uint8_t kind = static_cast<uint8_t>(buffer->spaceKey_ >> 40);
    if (kind != buffer->BlockKind()) node->space_.Clear(kind, buffer->block_);
  }
  node->space_.Set(buffer->BlockKind(), buffer->block_, static_cast<int32_t>((key >> 24) & 0xFFFF));
  buffer->spaceKey_ = key;
  buffer->spaceIndexed_ = true;
}

VCashBffr* VCash::FindSpace(VCio& file, uint8_t kind, uint32_t bytes) {
  VCashNode* node = file.node_;
  if (node == nullptr) return nullptr;
  ++counters_.findSpaces;
  auto fits = [&](const VCashBffr& buffer) {
    return buffer.BlockKind() == kind &&
           static_cast<int64_t>(buffer.size_) - 4 - buffer.InUse() >= static_cast<int64_t>(bytes);
  };
  VCashBffr* found = nullptr;
  if (node->spaceIndexed_) {
    // The first block in block order whose recorded room is enough. An image changed without
    // MarkDirty may have a stale record, so each candidate is checked against the image itself
    // and the search goes on after one that does not fit.
    const int32_t wanted = static_cast<int32_t>(std::min<uint32_t>(bytes, 0xFFFF));
    for (int64_t block = node->space_.FirstWithRoom(kind, wanted, 0); block >= 0;
         block = node->space_.FirstWithRoom(kind, wanted, static_cast<uint32_t>(block) + 1)) {
      VCashBffr* buffer = node->Lookup(static_cast<uint32_t>(block));
      if (buffer != nullptr && fits(*buffer)) {
        found = buffer;
        break;
      }
    }
  } else {
    node->buffers_.ForEach([&](VCashBffr* buffer) {
      if (fits(*buffer) && (found == nullptr || buffer->block_ < found->block_)) found = buffer;
    });
  }
  if (found == nullptr) return nullptr;
  Touch(found);
  ++found->pins_;
  return found;
}

std::vector<VCashBffr*> VCash::DirtyBuffers(VCashNode* node) const {
  std::vector<VCashBffr*> dirty;
  if (node->dirtyCount_ == 0) return dirty;
  dirty = node->dirty_;
  std::sort(dirty.begin(), dirty.end(),
            [](const VCashBffr* a, const VCashBffr* b) { return a->block_ < b->block_; });
  return dirty;
}

VResult VCash::WriteToBackup(VCio& file, VStream& backup) {
  VCashNode* node = file.node_;
  if (node == nullptr) return kVNotOpen;
  for (VCashBffr* buffer : DirtyBuffers(node)) {
    VReachWritePoint(VWritePoint::kBackupEntry, file, buffer->block_);
    uint8_t entry[12];
    VPutU32(entry, file.FileKind());
    VPutU32(entry + 4, buffer->block_);
    VPutU32(entry + 8, static_cast<uint32_t>(buffer->size_));
    if (backup.Write(entry, 12) != 12) return kVWriteFailed;
    if (backup.Write(buffer->image_, buffer->size_) != buffer->size_) return kVWriteFailed;
  }
  return kVOk;
}

VResult VCash::FlushFile(VCio& file) {
  VCashNode* node = file.node_;
  if (node == nullptr) return kVNotOpen;
  // Runs of consecutive blocks go out in one write each.
  const std::vector<VCashBffr*> dirty = DirtyBuffers(node);
  std::vector<const uint8_t*> images;
  for (size_t start = 0; start < dirty.size();) {
    size_t end = start + 1;
    while (end < dirty.size() && dirty[end]->block_ == dirty[end - 1]->block_ + 1 &&
           dirty[end]->size_ == dirty[start]->size_) {
      ++end;
    }
    images.clear();
    for (size_t i = start; i < end; ++i) images.push_back(dirty[i]->image_);
    VResult result = file.WriteBlocks(dirty[start]->block_, images);
    if (result != kVOk) return result;
    for (size_t i = start; i < end; ++i) SetDirty(dirty[i], false);
    start = end;
  }
  return kVOk;
}

VResult VCash::WriteBack(VCashNode* node) {
  if (node->owner_ != nullptr) {
    // The owner may already be clean although its node is not, when a block was dirtied through
    // another path; it must write, or the block could never leave.
    if (node->dirtyCount_ > 0) node->owner_->SetChanged(true);
    return node->owner_->Sync();
  }
  return FlushFile(*node->file_);
}

void VCash::BeginUpdate() { ++updateDepth_; }

void VCash::CancelUpdate() {
  if (updateDepth_ > 0) --updateDepth_;
}

VResult VCash::EndUpdate() {
  if (updateDepth_ == 0) return kVOk;
  if (--updateDepth_ > 0) return kVOk;
  if (flushNeeded_) {
    // The operation held more changed blocks than the cache can: every file is written back now
    // that the operation is complete, record files through their owners' whole flush.
    VResult result = kVOk;
    for (size_t i = 0; i < nodes_.size(); ++i) {
      VCashNode* node = nodes_[i].get();
      if (node->dirtyCount_ == 0) continue;
      VResult r = WriteBack(node);
      if (result == kVOk) result = r;
    }
    if (result == kVOk) flushNeeded_ = false;
    return result;
  }
  int32_t clean = bufferCount_ - dirtyCount_;
  if (IsFull() && clean < std::max(bufferCount_ / 10, 8)) {
    VCashBffr* victim = ChooseVictim();
    if (victim != nullptr && victim->dirty_) return WriteBack(victim->node_);
  }
  return kVOk;
}

VCashBffr* VCash::FirstUnpinned(int set) {
  for (VCashBffr* buffer : byAge_[set]) {
    if (buffer->pins_ == 0) return buffer;
    ++counters_.passedOver;
  }
  return nullptr;
}

VCashBffr* VCash::ChooseVictim() {
  ++counters_.victimSearches;
  if (!ordered_) {
    for (auto& node : nodes_) {
      node->buffers_.ForEach([this](VCashBffr* b) { byAge_[SetOf(*b)].insert(b); });
    }
    ordered_ = true;
  }
  // Inside a record operation a changed block of a record file must stay until the operation
  // ends; a work file's block may go, dirty or not. Otherwise the oldest of all goes: the first,
  // in the one order, of the two sets' first candidates.
  VCashBffr* victim = FirstUnpinned(kMayLeave);
  if (updateDepth_ == 0) {
    VCashBffr* held = FirstUnpinned(kHeldDirty);
    if (victim == nullptr || (held != nullptr && VCashVictimOrder()(held, victim))) victim = held;
  }
  ++searches_;  // every buffer grows one older
  return victim;
}

std::unique_ptr<VCashBffr> VCash::TakeBuffer(int32_t size, bool zero) {
  ++counters_.bufferAllocations;
  std::unique_ptr<VCashBffr> buffer;
  if (capacity_ < used_ + size) {
    reserve_ = std::max(reserve_, size);
    int64_t freed = 0;
    int64_t target = size + used_ - capacity_;
    while (freed < target) {
      VCashBffr* victim = ChooseVictim();
      if (victim != nullptr && victim->dirty_) {
        VResult result = WriteBack(victim->node_);
        if (result != kVOk) {
          LogFormat("...ERROR... VCash write-back ec:%d", result);
          victim = nullptr;
        } else if (victim->dirty_ || victim->pins_ > 0) {
          victim = nullptr;  // never drop what was not written or what a writer pinned
        }
      }
      if (victim == nullptr) {
        flushNeeded_ = true;
        break;
      }
      freed += victim->size_;
      ++counters_.evictions;
      std::unique_ptr<VCashBffr> left = Leave(victim);
      if (buffer == nullptr) {
        buffer = std::move(left);
      } else {
        Recycle(std::move(left));
      }
    }
  }
  if (buffer == nullptr && !pool_.empty()) {
    buffer = std::move(pool_.back());
    pool_.pop_back();
  }
  if (buffer == nullptr) buffer = std::make_unique<VCashBffr>();
  if (buffer->size_ != size || buffer->image_ == nullptr) {
    buffer->image_ = static_cast<uint8_t*>(VMemResize(buffer->image_, size, false));
    buffer->size_ = size;
  }
  if (zero) std::fill(buffer->image_, buffer->image_ + size, 0);
  used_ += size;
  return buffer;
}

VCashBffr* VCash::Enter(VCashNode* node, uint32_t block, std::unique_ptr<VCashBffr> buffer) {
  VCashBffr* entered = buffer.get();
  entered->node_ = node;
  entered->block_ = block;
  entered->ageBase_ = VCashBffr::kFreshAge - searches_;
  entered->sequence_ = ++gSequence;
  entered->pins_ = 0;
  entered->dirty_ = false;
  entered->spaceIndexed_ = false;
  entered->entries_.form = 0;
  node->buffers_.Insert(block, std::move(buffer));
  if (ordered_) byAge_[SetOf(*entered)].insert(entered);
  ++bufferCount_;
  NoteSpace(entered);
  return entered;
}

std::unique_ptr<VCashBffr> VCash::Leave(VCashBffr* buffer) {
  VCashNode* node = buffer->node_;
  if (ordered_) byAge_[SetOf(*buffer)].erase(buffer);
  if (buffer->spaceIndexed_) {
    node->space_.Clear(static_cast<uint8_t>(buffer->spaceKey_ >> 40), buffer->block_);
  }
  // Out of its set already: becoming clean must not put it into the other one.
  const bool ordered = ordered_;
  ordered_ = false;
  SetDirty(buffer, false);
  ordered_ = ordered;
  std::unique_ptr<VCashBffr> owned = node->buffers_.Remove(buffer->block_);
  --bufferCount_;
  used_ -= buffer->size_;
  // Far from full again: the order is dropped until the next victim search needs it.
  if (ordered_ && used_ * 2 < capacity_) {
    for (auto& set : byAge_) set.clear();
    ordered_ = false;
  }
  buffer->node_ = nullptr;
  buffer->pins_ = 0;
  buffer->spaceIndexed_ = false;
  return owned;
}

void VCash::Recycle(std::unique_ptr<VCashBffr> buffer) {
  if (static_cast<int32_t>(pool_.size()) < kPoolLimit) pool_.push_back(std::move(buffer));
}
