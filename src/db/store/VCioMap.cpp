#include "db/store/VCioMap.h"

#include <vector>

#include "base/VSjis.h"

bool VCioMap::TakeFromBitmap(uint32_t group, VCashBffr* bitmap, uint32_t* block) {
  uint8_t* bits = bitmap->Payload();
  int64_t bit = VFirstZeroBit(bits, static_cast<size_t>(PayloadSize()));
  if (bit < 0) return false;
  uint64_t number = static_cast<uint64_t>(group) * GroupBlocks() + static_cast<uint64_t>(bit);
  if (number > kVMaxBlockNumber) return false;
  bits[bit / 8] |= static_cast<uint8_t>(0x80 >> (bit % 8));
  MarkDirty(bitmap);
  *block = static_cast<uint32_t>(number);
  return true;
}

uint32_t VCioMap::NewGroup() {
  uint32_t groups = GroupCount();
  uint64_t start = static_cast<uint64_t>(groups) * GroupBlocks();
  if (groups >= 0xFFFF || start + 1 > kVMaxBlockNumber) return 0;
  VCashBffr* bitmap = NewBlock(static_cast<uint32_t>(start));
  if (bitmap == nullptr) return 0;
  bitmap->SetBlockHeader(kBitmapKind, 0, 0);
  bitmap->Payload()[0] = 0xC0;  // the bitmap block and the block handed out
  MarkDirty(bitmap);
  Release(bitmap);
  SetGroupCount(static_cast<uint16_t>(groups + 1));
  return static_cast<uint32_t>(start + 1);
}

uint32_t VCioMap::AllocBlock() {
  if (!IsOpen() || IsReadOnly()) return 0;
  const uint32_t groups = GroupCount();
  const uint32_t g = GroupBlocks();
  uint32_t block = 0;
  // The bitmaps in the cache first; then those that must be read.
  for (uint32_t group = 0; group < groups; ++group) {
    VCashBffr* bitmap = PeekBlock(group * g);
    if (bitmap == nullptr) continue;
    bool taken = TakeFromBitmap(group, bitmap, &block);
    Release(bitmap);
    if (taken) return block;
  }
  for (uint32_t group = 0; group < groups; ++group) {
    // A bitmap in the cache now was looked at above and had no free block.
    if (VCashBffr* cached = PeekBlock(group * g)) {
      Release(cached);
      continue;
    }
    VCashBffr* bitmap = GetBlock(group * g);
    if (bitmap == nullptr) return 0;
    bool taken = TakeFromBitmap(group, bitmap, &block);
    Release(bitmap);
    if (taken) return block;
  }
  return NewGroup();
}

VResult VCioMap::FreeBlock(uint32_t block) {
  if (!IsOpen()) return kVNotOpen;
  const uint32_t g = GroupBlocks();
  uint32_t group = block / g;
  uint32_t bit = block % g;
  if (bit == 0 || group >= GroupCount()) return kVBadBlockNumber;
  VResult error = kVOk;
  VCashBffr* bitmap = GetBlock(group * g, &error);
  if (bitmap == nullptr) return error;
  bitmap->Payload()[bit / 8] &= static_cast<uint8_t>(~(0x80 >> (bit % 8)));
  MarkDirty(bitmap);
  Release(bitmap);
  return VCio::FreeBlock(block);
}

bool VCioMap::IsAllocated(uint32_t block) {
  const uint32_t g = GroupBlocks();
  uint32_t group = block / g;
  uint32_t bit = block % g;
  if (!IsOpen() || group >= GroupCount()) return false;
  VCashBffr* bitmap = GetBlock(group * g);
  if (bitmap == nullptr) return false;
  bool set = (bitmap->Payload()[bit / 8] & (0x80 >> (bit % 8))) != 0;
  Release(bitmap);
  return set;
}
