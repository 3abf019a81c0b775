// VBTree: deletion of entries and records, and dropping a whole tree.
#include <cstring>

#include "base/VDebug.h"
#include "base/VEndian.h"
#include "db/store/VBTree.h"
#include "db/store/VBTreeOperation.h"
#include "db/store/VCioMap.h"
#include "db/store/VDBCodes.h"

VResult VBTree::DeleteKey(const uint8_t* value, uint32_t record) {
  Operation operation(this, true);
  uint8_t* key = WorkArea(kMaxDepth);
  MakeKey(key, value);
  return operation.Finish(DeleteMade(key, record));
}

VResult VBTree::DeleteMade(const uint8_t* key, uint32_t record) {
  switch (Descend(key, record)) {
    case kFound:
      break;
    case kNotFound:
      return kVKeyAbsent;
    default:
      return kVTreeUnusable;
  }
  Frame& f = frames_[0];
  uint8_t* payload = f.node->Payload();
  uint8_t* entry = payload + f.pos;
  const int32_t keySize = KeyLength(entry, payload_ - f.pos);
  if (unique_) {
    // The value's entry is only removed for the record that holds it.
    if (VGetU24(entry + keySize) != record) return kVNotInList;
    return RemoveEntry();
  }
  const uint16_t word = VGetU16(entry + keySize);
  const int32_t count = word & kCountMask;
  uint8_t* records = entry + keySize + 2;
  int32_t index = 0;
  while (index < count && VGetU24(records + 3 * index) < record) ++index;
  if (index == count || VGetU24(records + 3 * index) != record) return kVNotInList;
  if (count == 1) {
    VResult result = RemoveEntry();
    if (result != kVOk) return result;
    return MendChain(key, record, word);
  }
  const int32_t used = InUse(f.node);
  const uint32_t before = f.node->Version();
  uint8_t* at = records + 3 * index;
  std::memmove(at, at + 3, static_cast<size_t>(payload + used - at - 3));
  VPutU16(entry + keySize, static_cast<uint16_t>(word - 1));
  f.node->SetBlockHeader(kLeafKind, KeyNumber(), static_cast<uint16_t>(used - 3));
  file_->MarkDirty(f.node);
  KeepOffsets(f.node, before, f.pos, -3, EntryChange::kResized);
  // A continuing list is found by its first record: the separators above follow it.
  if (index == 0 && f.pos == 0 && (word & kContinues)) return FixSeparators(0);
  return kVOk;
}

VResult VBTree::MendChain(const uint8_t* key, uint32_t record, uint16_t word) {
  const bool continued = (word & kContinues) != 0;
  const bool goesOn = (word & kGoesOn) != 0;
  if (continued == goesOn) return kVOk;  // alone, or in the middle of its chain
  if (continued) {
    // The last of a chain went: the entry before it ends the chain now.
    if (Descend(key, record) != kFound) return kVOk;
    Frame& f = frames_[0];
    uint8_t* entry = f.node->Payload() + f.pos;
    const int32_t keySize = KeyLength(entry, payload_ - f.pos);
    const uint16_t previous = VGetU16(entry + keySize);
    if (previous & kGoesOn) {
      VPutU16(entry + keySize, static_cast<uint16_t>(previous & ~kGoesOn));
      file_->MarkDirty(f.node);
    }
    return kVOk;
  }
  // The first of a chain went: the entry after it starts the chain, and when it starts its node
  // the separators above take record 0.
  VResult found = Seek(key, 0);
  if (found != kVOk) return found == kVEnd ? kVOk : kVTreeUnusable;
  Frame& f = frames_[0];
  uint8_t* entry = f.node->Payload() + f.pos;
  const int32_t keySize = KeyLength(entry, payload_ - f.pos);
  if (Compare(entry, key) != 0) return kVOk;
  const uint16_t next = VGetU16(entry + keySize);
  if (!(next & kContinues)) return kVOk;
  VPutU16(entry + keySize, static_cast<uint16_t>(next & ~kContinues));
  file_->MarkDirty(f.node);
  return f.pos == 0 ? FixSeparators(0) : kVOk;
}

VResult VBTree::RemoveEntry() {
  while (depth_ > 0) {
    Frame& f = frames_[0];
    const int32_t used = InUse(f.node);
    if (f.pos >= used) return kVNotInList;
    const int32_t size = EntrySize(f.node, f.pos);
    const uint32_t before = f.node->Version();
    uint8_t* at = f.node->Payload() + f.pos;
    std::memmove(at, at + size, static_cast<size_t>(used - f.pos - size));
    const int32_t left = used - size;
    f.node->SetBlockHeader(f.node->BlockKind(), KeyNumber(), static_cast<uint16_t>(left));
    file_->MarkDirty(f.node);
    KeepOffsets(f.node, before, f.pos, -size, EntryChange::kRemoved);
    if (left == 0 && !IsRootNode(f.node)) {
      // An empty node is freed and its entry leaves the parent in the same way.
      const uint32_t block = f.block;
      PopNode();
      FreeNode(block);
      continue;
    }
    if (f.pos == 0 && left > 0 && !IsRootNode(f.node)) return FixSeparators(0);
    return kVOk;
  }
  return kVTreeUnusable;
}

VResult VBTree::DeleteRecord(uint32_t record) {
  Operation operation(this, true);
  // The keys holding the record are gathered first, then deleted one by one.
  std::vector<uint8_t> keys;
  VResult result = First();
  while (result == kVOk) {
    const Entry entry = Current();
    bool holds = false;
    for (int32_t i = 0; i < entry.count && !holds; ++i) {
      holds = VGetU24(entry.records + 3 * i) == record;
    }
    if (holds) {
      const int32_t size = KeyLength(entry.key, payload_);
      keys.insert(keys.end(), entry.key, entry.key + size);
    }
    result = Next();
  }
  if (result != kVEnd) return operation.Finish(kVBrokenTree);
  for (size_t at = 0; at < keys.size();) {
    const int32_t size = KeyLength(keys.data() + at, static_cast<int32_t>(keys.size() - at));
    result = DeleteMade(keys.data() + at, record);
    // A chain holds a record once: the entries of its other parts no longer have it.
    if (result != kVOk && result != kVKeyAbsent && result != kVNotInList) {
      return operation.Finish(kVBrokenTree);
    }
    at += static_cast<size_t>(size);
  }
  return operation.Finish(kVOk);
}

// ---- dropping ----

VResult VBTree::Drop() {
  Operation operation(this, true);
  if (root_ == 0) return operation.Finish(kVOk);
  VResult error = kVOk;
  VCashBffr* root = file_->GetBlock(root_, &error);
  if (root == nullptr || root->BlockKind() != kRootKind || root->Level() != KeyNumber()) {
    // Not this tree's root: nothing of it can be trusted, nothing is freed.
    if (root != nullptr) file_->Release(root);
    LogFormat("...ERROR... VBTree::Drop root %d of key %d unreadable", root_, KeyNumber());
    root_ = 0;
    return operation.Finish(kVOk);
  }
  PushNode(root_, root, CheckNode(root, true) ? 0 : InUse(root));
  // Each step answers only kVOk (a node left alone or freed) until the stack is empty.
  while (depth_ > 0) (void)DropStep();
  root_ = 0;
  return operation.Finish(kVOk);
}

VResult VBTree::DropStep() {
  if (depth_ == 0) return kVEnd;
  Frame& f = frames_[0];
  if (!IsLeaf(f.node) && f.pos < InUse(f.node)) {
    const uint32_t child = ChildAt(f.node, f.pos);
    f.pos += EntrySize(f.node, f.pos);
    VResult error = kVOk;
    VCashBffr* node = depth_ < kMaxDepth && child != 0 ? file_->GetBlock(child, &error) : nullptr;
    if (node == nullptr) return kVOk;
    const uint8_t kind = node->BlockKind();
    if ((kind != kInnerKind && kind != kLeafKind) || node->Level() != KeyNumber()) {
      file_->Release(node);  // not a node of this tree: left alone
      return kVOk;
    }
    // A malformed node is freed without following its entries.
    PushNode(child, node, CheckNode(node, false) ? 0 : InUse(node));
    return kVOk;
  }
  const uint32_t block = f.block;
  PopNode();
  FreeNode(block);
  return kVOk;
}
