#include "vtx/VtxStyleStack.h"

#include <algorithm>

void VtxAppendEntry(std::string* style, int16_t kind, std::string_view value) {
  const size_t length = std::min<size_t>(value.size(), 0xFFFF);
  const auto k = static_cast<uint16_t>(kind);
  style->push_back(static_cast<char>(k & 0xFF));
  style->push_back(static_cast<char>(k >> 8));
  style->push_back(static_cast<char>(length & 0xFF));
  style->push_back(static_cast<char>(length >> 8));
  style->append(value.data(), length);
}

bool VtxNextEntry(std::string_view style, size_t* pos, int16_t* kind, std::string_view* value) {
  if (*pos > style.size() || style.size() - *pos < kVtxEntryHeader) return false;
  const auto* bytes = reinterpret_cast<const uint8_t*>(style.data()) + *pos;
  const auto k = static_cast<uint16_t>(bytes[0] | (bytes[1] << 8));
  const size_t length = static_cast<size_t>(bytes[2] | (bytes[3] << 8));
  if (style.size() - *pos - kVtxEntryHeader < length) return false;
  *kind = static_cast<int16_t>(k);
  *value = style.substr(*pos + kVtxEntryHeader, length);
  *pos += kVtxEntryHeader + length;
  return true;
}

bool VtxStyleStack::Push(int16_t kind, std::string_view value, bool effect) {
  const size_t size = kVtxEntryHeader + std::min<size_t>(value.size(), 0xFFFF);
  if (!effect || style_.size() + size > kVtxMaxStyleBytes) {
    levels_.push_back(std::string::npos);
    return false;
  }
  levels_.push_back(style_.size());
  VtxAppendEntry(&style_, kind, value);
  return true;
}

bool VtxStyleStack::Pop() {
  if (levels_.empty()) return false;
  const size_t start = levels_.back();
  levels_.pop_back();
  if (start == std::string::npos) return false;
  style_.resize(start);
  return true;
}

void VtxStyleStack::Clear() {
  levels_.clear();
  style_.clear();
}
