#include "base/OvNamedObj.h"

#include <cstring>

#include "base/VSjis.h"

namespace {

// One character of a name reduced to what a comparison with the given folding looks at.
uint32_t FoldedChar(const uint8_t* text, size_t length, size_t& pos, bool ignoreCase,
                    bool ignoreWidth) {
  size_t n = VCharLength(text, length, pos);
  uint32_t c;
  if (n == 2) {
    uint8_t first = text[pos];
    uint8_t second = text[pos + 1];
    c = (static_cast<uint32_t>(first) << 8) | second;
    if (ignoreWidth) {
      if (first == 0x81 && second == 0x40) {
        c = ' ';
      } else if (first == 0x82 && second >= 0x4F && second <= 0x58) {
        c = '0' + (second - 0x4F);
      } else if (first == 0x82 && second >= 0x60 && second <= 0x79) {
        c = 'A' + (second - 0x60);
      } else if (first == 0x82 && second >= 0x81 && second <= 0x9A) {
        c = 'a' + (second - 0x81);
      }
    }
  } else {
    c = text[pos];
  }
  if (ignoreCase && c < 0x80) c = VToUpper(static_cast<uint8_t>(c));
  pos += n;
  return c;
}

}  // namespace

OvNamedObj::OvNamedObj(const char* name) { SetName(name); }

OvNamedObj::OvNamedObj(const void* bytes, int32_t length) { SetName(bytes, length); }

OvNamedObj::~OvNamedObj() = default;

uint32_t OvNamedObj::KindCode() const { return kKindCode; }

void OvNamedObj::SetName(const char* name) {
  SetName(name, name != nullptr ? static_cast<int32_t>(std::strlen(name)) : 0);
}

void OvNamedObj::SetName(const void* bytes, int32_t length) {
  name_.reset();
  nameLength_ = 0;
  if (bytes == nullptr || length <= 0) return;
  name_ = std::make_unique<char[]>(static_cast<size_t>(length) + 1);
  std::memcpy(name_.get(), bytes, static_cast<size_t>(length));
  name_[length] = 0;
  nameLength_ = static_cast<uint32_t>(length);
}

void OvNamedObj::GetName(char* buffer, size_t size) const {
  if (buffer == nullptr || size == 0) return;
  size_t n = 0;
  if (name_ != nullptr) {
    const auto* text = reinterpret_cast<const uint8_t*>(name_.get());
    // Take whole characters while they fit.
    while (n < nameLength_) {
      size_t step = VCharLength(text, nameLength_, n);
      if (n + step > size - 1) break;
      n += step;
    }
    std::memcpy(buffer, text, n);
  }
  buffer[n] = 0;
}

bool OvNamedObj::EqualsCountedName(const void* bytes, int32_t length, bool ignoreCase,
                                   bool ignoreWidth) const {
  if (name_ == nullptr || bytes == nullptr || length < 0) return false;
  const auto* a = reinterpret_cast<const uint8_t*>(name_.get());
  const auto* b = static_cast<const uint8_t*>(bytes);
  size_t bLength = static_cast<size_t>(length);
  if (!ignoreCase && !ignoreWidth) {
    return nameLength_ == bLength && std::memcmp(a, b, bLength) == 0;
  }
  size_t i = 0;
  size_t j = 0;
  while (i < nameLength_ && j < bLength) {
    if (FoldedChar(a, nameLength_, i, ignoreCase, ignoreWidth) !=
        FoldedChar(b, bLength, j, ignoreCase, ignoreWidth)) {
      return false;
    }
  }
  return i == nameLength_ && j == bLength;
}

bool OvNamedObj::EqualsName(const char* name, bool ignoreCase, bool ignoreWidth) const {
  if (name == nullptr) return false;
  return EqualsCountedName(name, static_cast<int32_t>(std::strlen(name)), ignoreCase, ignoreWidth);
}
