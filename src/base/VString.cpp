#include "base/VString.h"

#include <cstring>

#include "base/VSjis.h"

VString::VString() : VByteArray(32), delimiterCount_(2) {
  delimiters_[0] = ' ';
  delimiters_[1] = ',';
}

VString::VString(const char* text) : VString() {
  if (text) AppendCString(text);
}

VString::VString(const void* bytes, uint32_t length) : VString() { Append(bytes, length); }

VString::VString(std::string_view text) : VString() {
  Append(text.data(), static_cast<uint32_t>(text.size()));
}

VString::VString(const VString& other) : VByteArray(other), delimiterCount_(other.delimiterCount_) {
  std::memcpy(delimiters_, other.delimiters_, sizeof delimiters_);
}

VString& VString::operator=(const VString& other) {
  if (this != &other) {
    Assign(other.Data(), other.Length());
    std::memcpy(delimiters_, other.delimiters_, sizeof delimiters_);
    delimiterCount_ = other.delimiterCount_;
  }
  return *this;
}

VString& VString::operator=(const char* text) {
  Assign(text, text ? static_cast<uint32_t>(std::strlen(text)) : 0);
  return *this;
}

void VString::SetDelimiters(const void* bytes, uint32_t length) {
  if (length > sizeof delimiters_) length = sizeof delimiters_;
  std::memcpy(delimiters_, bytes, length);
  delimiterCount_ = length;
}

void VString::SetDelimiters(const char* text) {
  SetDelimiters(text, static_cast<uint32_t>(std::strlen(text)));
}

bool VString::IsDelimiter(uint8_t byte) const {
  return std::memchr(delimiters_, byte, delimiterCount_) != nullptr;
}

int VString::Compare(const char* text) const {
  return CompareWith(text, static_cast<uint32_t>(std::strlen(text)), false, false);
}

int VString::Compare(const void* bytes, uint32_t length) const {
  return CompareWith(bytes, length, false, false);
}

int VString::Compare(const VString& other) const {
  return CompareWith(other.Data(), other.Length(), false, false);
}

int VString::CompareWith(const void* bytes, uint32_t length, bool raw, bool ignoreCase) const {
  VCriticalLock hold(lock_);
  return VCompareRuns(data_, length_, static_cast<const uint8_t*>(bytes), length, raw, ignoreCase);
}

int VString::CompareWith(const VString& other, bool raw, bool ignoreCase) const {
  return CompareWith(other.Data(), other.Length(), raw, ignoreCase);
}

bool VString::operator==(const char* text) const {
  return CompareWith(text, static_cast<uint32_t>(std::strlen(text)), true, false) == 0;
}

bool VString::Match(int mode, const VString& pattern, uint32_t* offset, bool raw,
                    bool ignoreCase) const {
  VCriticalLock hold(lock_);
  size_t at = 0;
  bool found =
      VMatchRun(mode, data_, length_, pattern.Data(), pattern.Length(), raw, ignoreCase, &at);
  if (found && offset) *offset = static_cast<uint32_t>(at);
  return found;
}

int32_t VString::ToInteger() const {
  VCriticalLock hold(lock_);
  uint32_t i = 0;
  while (i < length_ && data_[i] == ' ') ++i;
  bool negative = false;
  if (i < length_ && data_[i] == '-') {
    negative = true;
    ++i;
  }
  int64_t value = 0;
  for (; i < length_ && VIsDigit(data_[i]); ++i) {
    value = value * 10 + (data_[i] - '0');
    if (value > 0x80000000LL) value = 0x80000000LL;  // saturate instead of overflowing
  }
  if (negative) value = -value;
  if (value > 0x7FFFFFFF) value = 0x7FFFFFFF;
  return static_cast<int32_t>(value);
}

void VString::CopyOutPascal(uint8_t* out) const {
  VCriticalLock hold(lock_);
  uint32_t n = length_ > 255 ? 255 : length_;
  // Never leave half a double-byte character at the cut.
  if (n < length_ && !VIsCharBoundary(data_, length_, n)) --n;
  out[0] = static_cast<uint8_t>(n);
  std::memcpy(out + 1, data_, n);
}

void VString::SkipDelimiters(uint32_t& position) const {
  VCriticalLock hold(lock_);
  while (position < length_ && (data_[position] < 0x20 || IsDelimiter(data_[position]))) {
    ++position;
  }
}

int32_t VString::ReadDigits(uint32_t& position, VString& out, int32_t count) const {
  VCriticalLock hold(lock_);
  int32_t taken = 0;
  while (position < length_ && VIsDigit(data_[position]) && (count < 0 || taken < count)) {
    out.AppendChar(data_[position++]);
    ++taken;
  }
  return taken;
}

int32_t VString::ReadNumber(uint32_t& position, VString& out) const {
  VCriticalLock hold(lock_);
  uint32_t at = position;
  SkipDelimiters(at);
  uint32_t start = at;
  if (at < length_ && (data_[at] == '+' || data_[at] == '-')) ++at;
  uint32_t digits = 0;
  while (at < length_ && VIsDigit(data_[at])) ++at, ++digits;
  if (at < length_ && data_[at] == '.') {
    uint32_t point = at++;
    uint32_t fraction = 0;
    while (at < length_ && VIsDigit(data_[at])) ++at, ++fraction;
    digits += fraction;
    if (fraction == 0) at = point;  // a point without digits after it is not taken
  }
  if (digits == 0) return 0;
  out.Append(data_ + start, at - start);
  position = at;
  return static_cast<int32_t>(at - start);
}

namespace {

uint8_t Escaped(uint8_t b) {
  switch (b) {
    case 'n':
      return '\n';
    case 't':
      return '\t';
    case 'v':
      return '\v';
    case 'b':
      return '\b';
    case 'r':
      return '\r';
    case 'f':
      return '\f';
    case 'a':
      return '\a';
    case '0':
      return 0;
    default:
      return b;  // backslash, ?, ' and " stand for themselves, as does any other byte
  }
}

}  // namespace

bool VString::ReadToken(uint32_t& position, VString& out) const {
  VCriticalLock hold(lock_);
  uint32_t at = position;
  SkipDelimiters(at);
  if (at >= length_) return false;
  uint8_t quote = data_[at];
  if (quote == '"' || quote == '\'') {
    ++at;
    while (at < length_) {
      uint8_t b = data_[at];
      if (b == quote) {
        if (at + 1 < length_ && data_[at + 1] == quote) {
          out.AppendChar(quote);
          at += 2;
          continue;
        }
        ++at;
        break;
      }
      if (b == '\\' && at + 1 < length_) {
        out.AppendChar(Escaped(data_[at + 1]));
        at += 2;
        continue;
      }
      // A double-byte character is copied whole: its trail byte may look like a backslash.
      size_t n = VCharLength(data_, length_, at);
      out.Append(data_ + at, static_cast<uint32_t>(n));
      at += static_cast<uint32_t>(n);
    }
  } else {
    while (at < length_ && data_[at] >= 0x20 && !IsDelimiter(data_[at])) {
      size_t n = VCharLength(data_, length_, at);
      out.Append(data_ + at, static_cast<uint32_t>(n));
      at += static_cast<uint32_t>(n);
    }
  }
  position = at;
  return true;
}
