#include "base/VBitArray.h"

#include "base/VMem.h"
#include "base/VSjis.h"

namespace {
constexpr uint32_t kMinimum = 8;
}

VBitArray::VBitArray()
    : capacity_(kMinimum), bits_(static_cast<uint8_t*>(VMemAlloc(kMinimum, true))) {}

VBitArray::~VBitArray() { VMemFree(bits_); }

void VBitArray::Grow(uint32_t n) {
  uint32_t byte = n / 8;
  if (byte >= capacity_) {
    uint32_t capacity = (byte + 8) / 8 * 8;
    bits_ = static_cast<uint8_t*>(VMemResize(bits_, capacity, true));
    capacity_ = capacity;
  }
  if (byte + 1 > used_) used_ = byte + 1;
}

void VBitArray::SetBit(uint32_t n) {
  VCriticalLock hold(lock_);
  Grow(n);
  bits_[n / 8] |= static_cast<uint8_t>(0x80 >> (n % 8));
}

void VBitArray::ClearBit(uint32_t n) {
  VCriticalLock hold(lock_);
  Grow(n);
  bits_[n / 8] &= static_cast<uint8_t>(~(0x80 >> (n % 8)));
}

bool VBitArray::TestBit(uint32_t n) const {
  VCriticalLock hold(lock_);
  if (n / 8 >= used_) return false;
  return (bits_[n / 8] & (0x80 >> (n % 8))) != 0;
}

void VBitArray::Reset() {
  VCriticalLock hold(lock_);
  VMemFree(bits_);
  bits_ = static_cast<uint8_t*>(VMemAlloc(kMinimum, true));
  capacity_ = kMinimum;
  used_ = 0;
}

void VBitArray::Compact() {
  VCriticalLock hold(lock_);
  uint32_t capacity = used_ > kMinimum ? used_ : kMinimum;
  if (capacity < capacity_) {
    bits_ = static_cast<uint8_t*>(VMemResize(bits_, capacity, true));
    capacity_ = capacity;
  }
}

int64_t VBitArray::FirstClearBit() const {
  VCriticalLock hold(lock_);
  return VFirstZeroBit(bits_, used_);
}
