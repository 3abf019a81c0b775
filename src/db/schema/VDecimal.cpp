#include "db/schema/VDecimal.h"

#include <cstring>

#include "base/VSjis.h"

void VDecimal::Parse(const uint8_t* text, size_t length) {
  negative_ = false;
  integer_ = fraction_ = text;
  integerLength_ = fractionLength_ = 0;
  size_t i = 0;
  while (i < length && text[i] == ' ') ++i;
  if (i < length && (text[i] == '+' || text[i] == '-')) {
    negative_ = text[i] == '-';
    ++i;
    while (i < length && text[i] == ' ') ++i;
  }
  while (i < length && text[i] == '0') ++i;
  integer_ = text + i;
  while (i < length && VIsDigit(text[i])) ++i;
  integerLength_ = static_cast<size_t>(text + i - integer_);
  fraction_ = text + i;
  if (i < length && text[i] == '.') {
    ++i;
    fraction_ = text + i;
    while (i < length && VIsDigit(text[i])) ++i;
    fractionLength_ = static_cast<size_t>(text + i - fraction_);
    while (fractionLength_ > 0 && fraction_[fractionLength_ - 1] == '0') --fractionLength_;
  }
  if (integerLength_ == 0 && fractionLength_ == 0) negative_ = false;
}

int VDecimal::Compare(const VDecimal& other) const {
  if (negative_ != other.negative_) return negative_ ? -1 : 1;
  int result = 0;
  if (integerLength_ != other.integerLength_) {
    result = integerLength_ < other.integerLength_ ? -1 : 1;
  } else {
    int c = integerLength_ ? std::memcmp(integer_, other.integer_, integerLength_) : 0;
    if (c == 0) {
      size_t common =
          fractionLength_ < other.fractionLength_ ? fractionLength_ : other.fractionLength_;
      c = common ? std::memcmp(fraction_, other.fraction_, common) : 0;
      if (c == 0 && fractionLength_ != other.fractionLength_) {
        c = fractionLength_ < other.fractionLength_ ? -1 : 1;
      }
    }
    result = c < 0 ? -1 : (c > 0 ? 1 : 0);
  }
  return negative_ ? -result : result;
}

size_t VDecimal::CanonicalLength() const {
  return (negative_ ? 1 : 0) + (integerLength_ ? integerLength_ : 1) +
         (fractionLength_ ? fractionLength_ + 1 : 0);
}

size_t VDecimal::WriteCanonical(uint8_t* out, size_t capacity) const {
  size_t n = 0;
  auto put = [&](const uint8_t* bytes, size_t count) {
    size_t room = capacity - n;
    if (count > room) count = room;
    if (count) std::memcpy(out + n, bytes, count);
    n += count;
  };
  static const uint8_t kMinus = '-', kZero = '0', kPoint = '.';
  if (negative_) put(&kMinus, 1);
  if (integerLength_) {
    put(integer_, integerLength_);
  } else {
    put(&kZero, 1);
  }
  if (fractionLength_) {
    put(&kPoint, 1);
    put(fraction_, fractionLength_);
  }
  return n;
}

std::string VDecimal::Canonical() const {
  std::string text(CanonicalLength(), '\0');
  WriteCanonical(reinterpret_cast<uint8_t*>(text.data()), text.size());
  return text;
}

int64_t VDecimal::IntegerValue() const {
  uint64_t value = 0;
  for (size_t i = 0; i < integerLength_; ++i) value = value * 10 + (integer_[i] - '0');
  if (negative_) value = 0 - value;
  return static_cast<int64_t>(value);
}

int VCompareDecimalText(const uint8_t* a, size_t aLength, const uint8_t* b, size_t bLength) {
  // Two texts that begin with a significant digit (no space, sign or leading zero) - every
  // positive key - are compared in one pass: the integer part is the leading run of digits, so
  // the longer run is the larger number, and runs of one length differ where their bytes first do.
  if (aLength > 0 && bLength > 0 && a[0] >= '1' && a[0] <= '9' && b[0] >= '1' && b[0] <= '9') {
    int first = 0;
    size_t i = 0;
    for (;; ++i) {
      const bool moreA = i < aLength && VIsDigit(a[i]);
      const bool moreB = i < bLength && VIsDigit(b[i]);
      if (moreA != moreB) return moreA ? 1 : -1;
      if (!moreA) break;
      if (first == 0 && a[i] != b[i]) first = a[i] < b[i] ? -1 : 1;
    }
    if (first != 0) return first;
    if (i == aLength && i == bLength) return 0;
    // Equal integer parts: the fractions decide, as the full comparison reads them.
  }
  return VDecimal(a, aLength).Compare(VDecimal(b, bLength));
}
