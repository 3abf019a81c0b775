#include "db/store/VPSRead.h"

#include "base/VEndian.h"
#include "db/schema/VRecordView.h"
#include "db/store/VCioFsp.h"
#include "db/store/VRecAcc.h"

VRecSeq::VRecSeq(VCioFsp* data) : data_(data) {}

void VRecSeq::Rewind() {
  group_ = 0;
  entry_ = 1;
  offset_ = 0;
  passed_ = 0;
  record_ = 0;
  hinted_ = false;
}

void VRecSeq::Rebind(VCioFsp* data) {
  if (data == data_) return;
  data_ = data;
  hinted_ = false;
}

VResult VRecSeq::SettleInBlock(uint32_t number, bool* found) {
  *found = false;
  VResult error = kVOk;
  VCashBffr* block = data_->GetBlock(number, &error);
  if (block == nullptr) return error;
  const uint8_t* payload = block->Payload();
  const int32_t inUse = block->InUse();
  if (block->BlockKind() != VRecAcc::kRecordKind || inUse > data_->PayloadSize()) {
    data_->Release(block);
    return kVRecordCorrupt;
  }
  const bool sameImage =
      hinted_ && block->Sequence() == hintSequence_ && block->Version() == hintVersion_;
  int32_t at = sameImage ? offset_ : 0;
  VResult result = kVOk;
  while (at < inUse) {
    if (at + VRecAcc::kEntryHead > inUse) {
      result = kVRecordCorrupt;
      break;
    }
    uint32_t r = VGetU24(payload + at);
    int32_t size = VRecAcc::kEntryHead + VGetU16(payload + at + 3);
    if (at + size > inUse) {
      result = kVRecordCorrupt;
      break;
    }
    if (r > passed_) {
      offset_ = at;
      record_ = r;
      length_ = size;
      *found = true;
      break;
    }
    at += size;
  }
  hinted_ = result == kVOk;
  hintSequence_ = block->Sequence();
  hintVersion_ = block->Version();
  if (!*found) offset_ = at;
  data_->Release(block);
  return result;
}

VResult VRecSeq::Settle() {
  const uint32_t e = data_->GroupBlocks();
  while (group_ < data_->GroupCount()) {
    VResult error = kVOk;
    VCashBffr* map = data_->GetBlock(group_ * e, &error);
    if (map == nullptr) return error;
    for (; entry_ < e; ++entry_) {
      uint16_t entry = VGetU16(map->Payload() + 2 * entry_);
      if (entry != 0xFFFF && (entry >> 12) == (VRecAcc::kRecordKind >> 4)) {
        bool found = false;
        // The map block stays pinned: reading the record block may make room in the cache.
        VResult result = SettleInBlock(group_ * e + entry_, &found);
        if (result != kVOk || found) {
          data_->Release(map);
          return result;
        }
      }
      offset_ = 0;
      passed_ = 0;
      hinted_ = false;
    }
    data_->Release(map);
    ++group_;
    entry_ = 1;
  }
  return kVEnd;
}

bool VRecSeq::HasMore() { return Settle() == kVOk; }

VResult VRecSeq::Current(uint32_t* r, std::vector<uint8_t>* image) {
  VResult settled = Settle();
  if (settled != kVOk) return settled;
  const uint32_t block = group_ * data_->GroupBlocks() + entry_;
  VResult error = kVOk;
  VCashBffr* buffer = data_->GetBlock(block, &error);
  if (buffer == nullptr) return error;
  const uint8_t* at = buffer->Payload() + offset_ + 3;
  *r = record_;
  if (image != nullptr) image->assign(at, at + VGetU16(at) + 2);
  data_->Release(buffer);
  return kVOk;
}

void VRecSeq::Next() {
  if (Settle() != kVOk) return;
  passed_ = record_;
  offset_ += length_;
}

VResult VRecSeq::Read(uint32_t* r, std::vector<uint8_t>* image) {
  VResult result = Current(r, image);
  if (result == kVOk) {
    passed_ = record_;
    offset_ += length_;
  }
  return result;
}
