// A growable bit set. Bit n lives in byte n/8 under the mask 0x80 >> (n mod 8), so the most
// significant bit of byte 0 is bit 0. Bits beyond the used range read as 0.
#pragma once

#include <cstdint>

#include "base/VBase.h"

class VBitArray {
 public:
  VBitArray();
  ~VBitArray();
  VBitArray(const VBitArray&) = delete;
  VBitArray& operator=(const VBitArray&) = delete;

  void SetBit(uint32_t n);
  void ClearBit(uint32_t n);
  bool TestBit(uint32_t n) const;
  void Reset();
  void Compact();
  // The first clear bit, or -1 when every bit of the used bytes is set.
  int64_t FirstClearBit() const;

  uint32_t Capacity() const { return capacity_; }
  uint32_t UsedBytes() const { return used_; }
  const uint8_t* Data() const { return bits_; }

 private:
  void Grow(uint32_t n);

  uint32_t capacity_;
  uint32_t used_ = 0;
  uint8_t* bits_;
  mutable VCritical lock_;
};
