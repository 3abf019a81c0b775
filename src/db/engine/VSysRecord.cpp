#include "db/engine/VSysRecord.h"

#include <algorithm>
#include <cstring>

#include "db/schema/VRecord.h"

VPackBlock& VPackBlock::Int(int64_t value, int width) {
  const uint64_t bits = static_cast<uint64_t>(value);
  for (int i = 0; i < width; ++i) data_.push_back(static_cast<uint8_t>(bits >> (8 * i)));
  return *this;
}

VPackBlock& VPackBlock::Text(std::string_view text) {
  data_.insert(data_.end(), text.begin(), text.end());
  data_.push_back(0);
  return *this;
}

VPackBlock& VPackBlock::Bytes(std::span<const uint8_t> bytes) {
  data_.insert(data_.end(), bytes.begin(), bytes.end());
  return *this;
}

VResult VPackBlock::PackInto(VRecord& record, std::string_view format) const {
  return record.Pack(format, data_.data(), static_cast<int32_t>(data_.size()));
}

VResult VUnpackBlock::UnpackFrom(const VRecord& record, std::string_view format) {
  // Every field of a system record fits in its record's length plus the terminators and the
  // integers' widths; the margin covers absent fields written as empty ones.
  data_.assign(static_cast<size_t>(record.ImageLength()) + 1024, 0);
  int32_t length = 0;
  VResult result = record.Unpack(format, data_.data(), static_cast<int32_t>(data_.size()), &length);
  data_.resize(static_cast<size_t>(std::max(length, 0)));
  at_ = 0;
  failed_ = result != kVOk;
  return result;
}

VResult VUnpackBlock::UnpackFrom(std::span<const uint8_t> image, std::string_view format) {
  VRecord record;
  VResult result = record.Load(image.data(), static_cast<int32_t>(image.size()));
  if (result != kVOk) {
    failed_ = true;
    return result;
  }
  return UnpackFrom(record, format);
}

int32_t VUnpackBlock::Int(int width) {
  if (at_ + static_cast<size_t>(width) > data_.size()) {
    failed_ = true;
    at_ = data_.size();
    return 0;
  }
  uint32_t u = 0;
  for (int i = width - 1; i >= 0; --i) u = (u << 8) | data_[at_ + static_cast<size_t>(i)];
  at_ += static_cast<size_t>(width);
  const int shift = 32 - 8 * width;
  return shift > 0 ? static_cast<int32_t>(u << shift) >> shift : static_cast<int32_t>(u);
}

std::string VUnpackBlock::Text() {
  auto end = std::find(data_.begin() + static_cast<std::ptrdiff_t>(at_), data_.end(), 0);
  if (end == data_.end()) failed_ = true;
  std::string text(data_.begin() + static_cast<std::ptrdiff_t>(at_), end);
  at_ = end == data_.end() ? data_.size() : static_cast<size_t>(end - data_.begin()) + 1;
  return text;
}

std::span<const uint8_t> VUnpackBlock::Bytes(size_t length) {
  if (at_ + length > data_.size()) {
    failed_ = true;
    at_ = data_.size();
    return {};
  }
  std::span<const uint8_t> bytes(data_.data() + at_, length);
  at_ += length;
  return bytes;
}

std::string VQuoteText(std::string_view text) {
  std::string quoted = "\"";
  for (char c : text) {
    quoted += c;
    if (c == '"') quoted += '"';
  }
  quoted += '"';
  return quoted;
}
