#include "db/store/VRBCvt.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "base/VDebug.h"
#include "base/VEndian.h"
#include "db/store/VCioMap.h"
#include "db/store/VDBCodes.h"
#include "db/store/VRio.h"

namespace {

constexpr int32_t kLastOffset = 7;
constexpr int32_t kCountOffset = 10;
constexpr uint32_t kMaxRecordNumber = 0xFFFFFF;

// Entries of a node that its in-use count covers (never more than fit in the payload).
uint32_t UsedEntries(const VCashBffr* node, uint32_t entries) {
  return std::min<uint32_t>(node->InUse() / 3u, entries);
}

uint32_t EntryAt(const VCashBffr* node, uint32_t i, uint32_t entries) {
  return i < UsedEntries(node, entries) ? VGetU24(node->Payload() + 3 * i) : 0;
}

}  // namespace

VRBCvt::VRBCvt(VCioMap* index, uint32_t root, uint32_t last, uint32_t count)
    : index_(index),
      root_(root),
      last_(last),
      count_(count),
      entries_(static_cast<uint32_t>(index->PayloadSize()) / 3) {}

VCashBffr* VRBCvt::GetNode(uint32_t block, int level) {
  if (block == 0 || block > kVMaxBlockNumber) return nullptr;
  VCashBffr* node = index_->GetBlock(block);
  if (node == nullptr) return nullptr;
  bool sound = node->BlockKind() == kNodeKind && node->Level() <= kMaxLevel &&
               (level < 0 || node->Level() == level) &&
               node->InUse() <= static_cast<uint32_t>(index_->PayloadSize());
  if (!sound) {
    index_->Release(node);
    return nullptr;
  }
  return node;
}

VResult VRBCvt::CheckRoot() {
  VCashBffr* root = GetNode(root_, -1);
  if (root == nullptr) return kVMapNodeUnreadable;
  index_->Release(root);
  return kVOk;
}

uint32_t VRBCvt::Capacity(int level) const {
  uint64_t capacity = entries_;
  for (int i = 0; i < level; ++i) capacity *= entries_;
  return static_cast<uint32_t>(std::min<uint64_t>(capacity, 0xFFFFFFFFu));
}

VResult VRBCvt::WriteCounts() {
  VResult error = kVOk;
  VCashBffr* directory = index_->GetBlock(1, &error);
  if (directory == nullptr) return error;
  VPutU24(directory->Data() + kLastOffset, last_);
  VPutU24(directory->Data() + kCountOffset, count_);
  index_->MarkDirty(directory);
  index_->Release(directory);
  return kVOk;
}

uint32_t VRBCvt::NewNumber() {
  if (last_ >= kMaxRecordNumber) return 0;
  ++last_;
  ++count_;
  if (WriteCounts() != kVOk) {
    --last_;
    --count_;
    return 0;
  }
  return last_;
}

void VRBCvt::UndoNumber(uint32_t r) {
  if (r != last_ || last_ == 0) return;
  --last_;
  if (count_ > 0) --count_;
  // The counts in memory are right; a directory block that cannot be reached now gets them with
  // the next change that writes the counts.
  if (WriteCounts() != kVOk)
    Log("...ERROR... VRBCvt::UndoNumber the counts wait for a later write");
}

void VRBCvt::NoteKeptNumber(uint32_t r) {
  ++count_;
  last_ = std::max(last_, r);
  // As in UndoNumber: the counts in memory are right and are written with the next change.
  if (WriteCounts() != kVOk) {
    Log("...ERROR... VRBCvt::NoteKeptNumber the counts wait for a later write");
  }
}

uint32_t VRBCvt::BlockOf(uint32_t r) {
  if (r == 0) return 0;
  VCashBffr* node = GetNode(root_, -1);
  if (node == nullptr) return 0;
  int level = node->Level();
  if (r >= Capacity(level)) {
    index_->Release(node);
    return 0;
  }
  uint32_t rel = r;
  for (; level > 0; --level) {
    uint32_t d = Capacity(level - 1);
    uint32_t child = EntryAt(node, rel / d, entries_);
    rel %= d;
    index_->Release(node);
    node = GetNode(child, level - 1);
    if (node == nullptr) return 0;
  }
  uint32_t block = EntryAt(node, rel, entries_);
  index_->Release(node);
  return block;
}

uint32_t VRBCvt::NewNode(int level) {
  uint32_t block = index_->AllocBlock();
  if (block == 0) return 0;
  VCashBffr* node = index_->NewBlock(block);
  if (node == nullptr) {
    // A block that cannot be given back is only lost space; the failure to take it is the answer.
    (void)index_->FreeBlock(block);
    return 0;
  }
  node->SetBlockHeader(kNodeKind, static_cast<uint8_t>(level), 0);
  index_->MarkDirty(node);
  index_->Release(node);
  return block;
}

VResult VRBCvt::Grow(VCashBffr* root) {
  uint32_t copy = index_->AllocBlock();
  if (copy == 0) return kVNoRecordBlock;
  VCashBffr* moved = index_->NewBlock(copy);
  if (moved == nullptr) {
    // A block that cannot be given back is only lost space; the failure to take it is the answer.
    (void)index_->FreeBlock(copy);
    return kVNoRecordBlock;
  }
  std::memcpy(moved->Data(), root->Data(), static_cast<size_t>(moved->Size()));
  index_->MarkDirty(moved);
  index_->Release(moved);
  uint8_t level = root->Level();
  std::memset(root->Data(), 0, static_cast<size_t>(root->Size()));
  root->SetBlockHeader(kNodeKind, static_cast<uint8_t>(level + 1), 3);
  VPutU24(root->Payload(), copy);
  index_->MarkDirty(root);
  return kVOk;
}

VResult VRBCvt::SetBlock(uint32_t r, uint32_t b) {
  if (r == 0) return kVNoRecordBlock;
  VCashBffr* node = GetNode(root_, -1);
  if (node == nullptr) return kVMapNodeUnreadable;
  while (r >= Capacity(node->Level())) {
    VResult grown = node->Level() >= kMaxLevel ? kVNoRecordBlock : Grow(node);
    if (grown != kVOk) {
      index_->Release(node);
      return grown;
    }
  }
  uint32_t rel = r;
  for (int level = node->Level(); level > 0; --level) {
    uint32_t d = Capacity(level - 1);
    uint32_t i = rel / d;
    const uint32_t relAtNode = rel;
    rel %= d;
    uint32_t child = EntryAt(node, i, entries_);
    if (child == 0) {
      // A missing child (beyond the in-use entries, or a gap left by a number proposed out of
      // order) is made now.
      uint32_t used = UsedEntries(node, entries_);
      child = NewNode(level - 1);
      if (child == 0) {
        index_->Release(node);
        return kVNoRecordBlock;
      }
      VPutU24(node->Payload() + 3 * i, child);
      used = std::max(used, i + 1);
      if (level == 1 && i + 1 < entries_ && relAtNode > kPreallocateAbove && used == i + 1) {
        uint32_t next = NewNode(0);
        if (next != 0) {
          VPutU24(node->Payload() + 3 * (i + 1), next);
          used = i + 2;
        }
      }
      node->SetBlockHeader(kNodeKind, node->Level(), static_cast<uint16_t>(3 * used));
      index_->MarkDirty(node);
    }
    VCashBffr* next = GetNode(child, level - 1);
    index_->Release(node);
    if (next == nullptr) return kVMapNodeUnreadable;
    node = next;
  }
  VPutU24(node->Payload() + 3 * rel, b);
  if (node->InUse() < 3 * rel + 3) {
    node->SetBlockHeader(kNodeKind, 0, static_cast<uint16_t>(3 * rel + 3));
  }
  index_->MarkDirty(node);
  index_->Release(node);
  return kVOk;
}

VResult VRBCvt::Unmap(uint32_t r) {
  if (r == 0) return kVMapNodeUnreadable;
  VCashBffr* node = GetNode(root_, -1);
  if (node == nullptr) return kVMapNodeUnreadable;
  int level = node->Level();
  if (r >= Capacity(level)) {
    index_->Release(node);
    return kVOk;
  }
  uint32_t rel = r;
  for (; level > 0; --level) {
    uint32_t d = Capacity(level - 1);
    uint32_t child = EntryAt(node, rel / d, entries_);
    rel %= d;
    index_->Release(node);
    if (child == 0) return kVOk;
    node = GetNode(child, level - 1);
    if (node == nullptr) return kVMapNodeUnreadable;
  }
  bool mapped = EntryAt(node, rel, entries_) != 0;
  if (mapped) {
    VPutU24(node->Payload() + 3 * rel, 0);
    index_->MarkDirty(node);
  }
  index_->Release(node);
  if (!mapped) return kVOk;
  if (count_ > 0) --count_;
  return WriteCounts();
}

VResult VRBCvt::Enumerate(uint32_t block, int level, uint32_t base, VRMap* set, uint32_t* runStart,
                          uint32_t* runEnd) {
  VCashBffr* node = GetNode(block, level);
  if (node == nullptr) return kVMapNodeMissing;
  const uint32_t used = UsedEntries(node, entries_);
  VResult result = kVOk;
  if (level == 0) {
    for (uint32_t i = 0; i < used && result == kVOk; ++i) {
      uint32_t r = base + i;
      if (r == 0 || VGetU24(node->Payload() + 3 * i) == 0) continue;
      if (*runEnd != 0 && r == *runEnd + 1) {
        *runEnd = r;
        continue;
      }
      if (*runEnd != 0) result = set->AddRange(*runStart, *runEnd);
      *runStart = *runEnd = r;
    }
  } else {
    const uint32_t d = Capacity(level - 1);
    // The children are read one after another; copying the entries keeps this node unpinned.
    std::vector<uint32_t> children(used);
    for (uint32_t i = 0; i < used; ++i) children[i] = VGetU24(node->Payload() + 3 * i);
    index_->Release(node);
    node = nullptr;
    for (uint32_t i = 0; i < used && result == kVOk; ++i) {
      uint64_t childBase = base + static_cast<uint64_t>(i) * d;
      if (children[i] == 0 || childBase > kMaxRecordNumber) continue;
      result = Enumerate(children[i], level - 1, static_cast<uint32_t>(childBase), set, runStart,
                         runEnd);
    }
  }
  if (node != nullptr) index_->Release(node);
  return result;
}

VResult VRBCvt::EnumerateAll(VRMap* set) {
  VCashBffr* root = GetNode(root_, -1);
  if (root == nullptr) return kVMapNodeMissing;
  int level = root->Level();
  index_->Release(root);
  uint32_t runStart = 0;
  uint32_t runEnd = 0;
  VResult result = Enumerate(root_, level, 0, set, &runStart, &runEnd);
  if (result == kVOk && runEnd != 0) result = set->AddRange(runStart, runEnd);
  return result;
}
