#include "db/store/VRecAcc.h"

#include <cstring>

#include "base/VDebug.h"
#include "base/VEndian.h"
#include "db/schema/VRecordView.h"
#include "db/store/VCioFsp.h"
#include "db/store/VDBCodes.h"
#include "db/store/VRBCvt.h"

VResult VLocateRecord(const uint8_t* payload, int32_t inUse, uint32_t r, int32_t* offset) {
  int32_t at = 0;
  uint32_t previous = 0;
  while (at < inUse) {
    if (at + VRecAcc::kEntryHead > inUse) return kVRecordCorrupt;
    uint32_t number = VGetU24(payload + at);
    int32_t n = VGetU16(payload + at + 3);
    if (at + VRecAcc::kEntryHead + n > inUse || number <= previous) return kVRecordCorrupt;
    if (number >= r) {
      *offset = at;
      return number == r ? kVOk : kVEnd;
    }
    previous = number;
    at += VRecAcc::kEntryHead + n;
  }
  *offset = inUse;
  return kVEnd;
}

VRecAcc::VRecAcc(VCioFsp* data, VRBCvt* map) : data_(data), map_(map) {}

int32_t VRecAcc::MaxLength() const { return (data_->PayloadSize() - kEntryHead) & ~15; }

bool VRecAcc::IsRecordBlock(const VCashBffr* block) const {
  return block->BlockKind() == kRecordKind && block->InUse() <= data_->PayloadSize();
}

void VRecAcc::InsertEntry(VCashBffr* block, int32_t offset, uint32_t r, const uint8_t* image) {
  uint8_t* payload = block->Payload();
  const int32_t inUse = block->InUse();
  const int32_t imageLength = VGetU16(image) + 2;
  const int32_t size = imageLength + 3;
  std::memmove(payload + offset + size, payload + offset, static_cast<size_t>(inUse - offset));
  VPutU24(payload + offset, r);
  std::memcpy(payload + offset + 3, image, static_cast<size_t>(imageLength));
  block->SetBlockHeader(kRecordKind, 0, static_cast<uint16_t>(inUse + size));
  data_->MarkDirty(block);
}

void VRecAcc::RemoveEntry(VCashBffr* block, int32_t offset) {
  uint8_t* payload = block->Payload();
  const int32_t inUse = block->InUse();
  const int32_t size = VGetU16(payload + offset + 3) + kEntryHead;
  std::memmove(payload + offset, payload + offset + size,
               static_cast<size_t>(inUse - offset - size));
  block->SetBlockHeader(kRecordKind, 0, static_cast<uint16_t>(inUse - size));
  data_->MarkDirty(block);
}

VResult VRecAcc::Find(uint32_t r, VResult notFound, VCashBffr** block, int32_t* offset) {
  *block = nullptr;
  uint32_t number = map_->BlockOf(r);
  if (number == 0) return notFound;
  VCashBffr* found = data_->GetBlock(number);
  if (found == nullptr) return notFound;
  if (!IsRecordBlock(found)) {
    data_->Release(found);
    return kVRecordCorrupt;
  }
  VResult located = VLocateRecord(found->Payload(), found->InUse(), r, offset);
  if (located != kVOk) {
    data_->Release(found);
    return located == kVEnd ? notFound : located;
  }
  *block = found;
  return kVOk;
}

VResult VRecAcc::AddRecord(uint32_t* r, const uint8_t* image, bool keepNumber, bool* numberKept) {
  const int32_t n = VGetU16(image);
  if (n == 0) return kVEmptyImage;
  const int32_t size = n + kEntryHead;
  if (size > data_->PayloadSize()) return kVNoRecordBlock;
  VResult error = kVOk;
  VCashBffr* block = data_->AllocSpace(kRecordKind, static_cast<uint32_t>(size), &error);
  if (block == nullptr) return error != kVOk ? error : kVNoRecordBlock;
  if (!IsRecordBlock(block) || data_->PayloadSize() - block->InUse() < size) {
    data_->Release(block);
    return kVRecordCorrupt;
  }
  uint32_t number = keepNumber ? *r : 0;
  const bool kept = number != 0 && number <= 0xFFFFFF && map_->BlockOf(number) == 0;
  if (!kept) number = map_->NewNumber();
  if (number == 0) {
    data_->Release(block);
    return kVNoRecordBlock;
  }
  int32_t offset = 0;
  VResult located = VLocateRecord(block->Payload(), block->InUse(), number, &offset);
  if (located != kVEnd) {
    data_->Release(block);
    if (!kept) map_->UndoNumber(number);
    return located == kVOk ? kVRecordPresent : located;
  }
  InsertEntry(block, offset, number, image);
  VResult mapped = map_->SetBlock(number, block->BlockNumber());
  if (mapped != kVOk) {
    RemoveEntry(block, offset);
    data_->Release(block);
    if (!kept) map_->UndoNumber(number);
    return mapped;
  }
  data_->Release(block);
  if (kept) map_->NoteKeptNumber(number);
  *r = number;
  if (numberKept != nullptr) *numberKept = kept;
  return kVOk;
}

VResult VRecAcc::RemoveRecord(uint32_t r, std::vector<uint8_t>* out) {
  VCashBffr* block = nullptr;
  int32_t offset = 0;
  VResult found = Find(r, kVDeleteNotFound, &block, &offset);
  if (found != kVOk) return found;
  const uint8_t* image = block->Payload() + offset + 3;
  if (out != nullptr) out->assign(image, image + VGetU16(image) + 2);
  RemoveEntry(block, offset);
  const uint32_t number = block->BlockNumber();
  const bool empty = block->InUse() == 0;
  data_->Release(block);
  if (empty && data_->FreeBlock(number) != kVOk) {
    // The record is gone either way; an empty block that stays allocated is only lost space.
    LogFormat("...ERROR... VRecAcc::RemoveRecord empty block %u stays allocated", number);
  }
  return map_->Unmap(r);
}

VResult VRecAcc::Place(uint32_t r, const uint8_t* image, VResult present) {
  const int32_t size = VGetU16(image) + kEntryHead;
  VResult error = kVOk;
  VCashBffr* block = data_->AllocSpace(kRecordKind, static_cast<uint32_t>(size), &error);
  if (block == nullptr) return error != kVOk ? error : kVNoRecordBlock;
  int32_t offset = 0;
  VResult located = kVRecordCorrupt;
  if (IsRecordBlock(block) && data_->PayloadSize() - block->InUse() >= size) {
    located = VLocateRecord(block->Payload(), block->InUse(), r, &offset);
  }
  if (located != kVEnd) {
    data_->Release(block);
    return located == kVOk ? present : located;
  }
  InsertEntry(block, offset, r, image);
  VResult mapped = map_->SetBlock(r, block->BlockNumber());
  if (mapped != kVOk) RemoveEntry(block, offset);
  data_->Release(block);
  return mapped;
}

VResult VRecAcc::ReplaceRecord(uint32_t r, const uint8_t* image, std::vector<uint8_t>* oldOut) {
  const int32_t n = VGetU16(image);
  if (n == 0) return kVEmptyImage;
  if (n + kEntryHead > data_->PayloadSize()) return kVNoRecordBlock;
  VCashBffr* block = nullptr;
  int32_t offset = 0;
  VResult found = Find(r, kVUpdateNotFound, &block, &offset);
  if (found != kVOk) return found;
  uint8_t* payload = block->Payload();
  const uint8_t* old = payload + offset + 3;
  const int32_t oldN = VGetU16(old);
  if (oldOut != nullptr) oldOut->assign(old, old + oldN + 2);
  const int32_t inUse = block->InUse();
  if (inUse - oldN + n <= data_->PayloadSize()) {
    const int32_t tail = offset + kEntryHead + oldN;
    std::memmove(payload + tail + (n - oldN), payload + tail, static_cast<size_t>(inUse - tail));
    std::memcpy(payload + offset + 3, image, static_cast<size_t>(n) + 2);
    block->SetBlockHeader(kRecordKind, 0, static_cast<uint16_t>(inUse - oldN + n));
    data_->MarkDirty(block);
    data_->Release(block);
    return kVOk;
  }
  // The record moves. Its old entry leaves its block (which stays allocated even when empty); when
  // no other block can take the new image, the old entry goes back where it was.
  std::vector<uint8_t> previous(old, old + oldN + 2);
  const uint32_t oldBlock = block->BlockNumber();
  RemoveEntry(block, offset);
  data_->Release(block);
  VResult placed = Place(r, image, kVUpdateNotFound);
  if (placed != kVOk) {
    VCashBffr* back = data_->GetBlock(oldBlock);
    if (back != nullptr) {
      InsertEntry(back, offset, r, previous.data());
      data_->Release(back);
    }
  }
  return placed;
}

VResult VRecAcc::ReadRecord(uint32_t r, std::vector<uint8_t>* out) {
  VCashBffr* block = nullptr;
  int32_t offset = 0;
  VResult found = Find(r, kVRecordNotFound, &block, &offset);
  if (found != kVOk) return found;
  const uint8_t* image = block->Payload() + offset + 3;
  out->assign(image, image + VGetU16(image) + 2);
  data_->Release(block);
  return kVOk;
}

VResult VRecAcc::PinRecord(uint32_t r, VResult notFound, VCashBffr** block, const uint8_t** image,
                           int32_t* length) {
  int32_t offset = 0;
  VResult found = Find(r, notFound, block, &offset);
  if (found != kVOk) return found;
  *image = (*block)->Payload() + offset + 3;
  *length = VGetU16(*image) + 2;
  return kVOk;
}
