// A block file whose blocks are allocated by bitmap (index files and work files).
//
// The blocks form groups of G = P * 8 blocks (P = B - 4). Group g starts at block g * G with an
// allocation bitmap block (kind 15) whose payload bit i (bit 0 of a byte is its 0x80 bit) stands
// for block g * G + i; a set bit means in use, and bit 0, the bitmap block itself, is always set.
// The header's group count says how many groups exist. Files never shrink; freed blocks are not
// cleared.
#pragma once

#include "db/store/VCio.h"

class VCioMap : public VCio {
 public:
  static constexpr uint8_t kBitmapKind = 0x0F;

  using VCio::VCio;

  // Looks first in the groups whose bitmap is cached, then in the others (reading their bitmaps),
  // each in group order, for the first clear bit; when every group is full a new group is made and
  // its block 1 returned. 0 when no block can be had (read error, or past the largest u24 block).
  uint32_t AllocBlock() override;
  // Clears the block's bit and drops it from the cache.
  VResult FreeBlock(uint32_t block) override;

  uint32_t GroupBlocks() const { return static_cast<uint32_t>(PayloadSize()) * 8; }
  // Whether the bitmap marks the block in use (false when outside the groups or unreadable).
  bool IsAllocated(uint32_t block);

 private:
  bool TakeFromBitmap(uint32_t group, VCashBffr* bitmap, uint32_t* block);
  uint32_t NewGroup();
};
