#include "gt/imp/OGTBmp.h"

#include <fstream>
#include <iterator>

namespace {

constexpr size_t kFileHeaderSize = 14;
constexpr uint32_t kMinInfoSize = 40;
constexpr uint32_t kUncompressed = 0;
constexpr uint32_t kBitFields = 3;

uint16_t Le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

uint32_t Le32(const uint8_t* p) {
  return uint32_t{p[0]} | (uint32_t{p[1]} << 8) | (uint32_t{p[2]} << 16) | (uint32_t{p[3]} << 24);
}

// The channel selected by mask, scaled to 0..255.
uint32_t Channel(uint32_t value, uint32_t mask) {
  if (mask == 0) return 0;
  int shift = 0;
  while (((mask >> shift) & 1) == 0) ++shift;
  uint64_t top = mask >> shift;
  uint64_t channel = (value & mask) >> shift;
  return static_cast<uint32_t>(channel * 255 / top);
}

uint32_t FromMasks(uint32_t value, const uint32_t masks[3]) {
  return 0xFF000000u | (Channel(value, masks[0]) << 16) | (Channel(value, masks[1]) << 8) |
         Channel(value, masks[2]);
}

}  // namespace

void OGTBmp::Reset() {
  width_ = height_ = 0;
  pixels_.clear();
}

bool OGTBmp::Decode(const uint8_t* bytes, size_t length) {
  Reset();
  if (bytes == nullptr || length < kFileHeaderSize + kMinInfoSize) return false;
  if (bytes[0] != 'B' || bytes[1] != 'M') return false;
  uint32_t dataOffset = Le32(bytes + 10);
  uint32_t infoSize = Le32(bytes + 14);
  if (infoSize < kMinInfoSize || kFileHeaderSize + infoSize > length) return false;
  const uint8_t* info = bytes + kFileHeaderSize;
  auto width = static_cast<int32_t>(Le32(info + 4));
  auto height = static_cast<int32_t>(Le32(info + 8));
  int bits = Le16(info + 14);
  uint32_t compression = Le32(info + 16);
  uint32_t colorsUsed = Le32(info + 32);
  if (width <= 0 || height == 0 || height == INT32_MIN) return false;
  bool topDown = height < 0;
  int32_t rows = topDown ? -height : height;
  if (int64_t{width} * rows > kMaxPixels) return false;

  uint32_t masks[3] = {0, 0, 0};
  std::vector<uint32_t> palette;
  if (bits == 1 || bits == 4 || bits == 8) {
    if (compression != kUncompressed) return false;
    uint32_t count = colorsUsed != 0 ? colorsUsed : (1u << bits);
    if (count > (1u << bits)) count = 1u << bits;
    size_t tableAt = kFileHeaderSize + infoSize;
    if (tableAt + size_t{count} * 4 > length) return false;
    for (uint32_t i = 0; i < count; ++i) {
      const uint8_t* entry = bytes + tableAt + size_t{i} * 4;  // blue, green, red, reserved
      palette.push_back(0xFF000000u | (uint32_t{entry[2]} << 16) | (uint32_t{entry[1]} << 8) |
                        entry[0]);
    }
  } else if (bits == 16 || bits == 32) {
    if (compression == kBitFields) {
      // The three masks follow the 40-byte header (larger headers hold them at the same place).
      if (kFileHeaderSize + kMinInfoSize + 12 > length) return false;
      for (int i = 0; i < 3; ++i) masks[i] = Le32(info + kMinInfoSize + 4 * i);
    } else if (compression == kUncompressed) {
      masks[0] = bits == 16 ? 0x7C00 : 0xFF0000;
      masks[1] = bits == 16 ? 0x03E0 : 0x00FF00;
      masks[2] = bits == 16 ? 0x001F : 0x0000FF;
    } else {
      return false;
    }
  } else if (bits != 24 || compression != kUncompressed) {
    return false;
  }
  if (!DecodeRows(bytes, length, dataOffset, bits, palette, masks, topDown)) {
    Reset();
    return false;
  }
  return true;
}

bool OGTBmp::DecodeRows(const uint8_t* bytes, size_t length, uint32_t dataOffset, int bits,
                        const std::vector<uint32_t>& palette, const uint32_t masks[3],
                        bool topDown) {
  const auto* info = bytes + kFileHeaderSize;
  auto width = static_cast<int32_t>(Le32(info + 4));
  auto height = static_cast<int32_t>(Le32(info + 8));
  int32_t rows = topDown ? -height : height;
  uint64_t stride = ((uint64_t(width) * bits + 31) / 32) * 4;
  if (dataOffset > length || stride * uint64_t(rows) > length - dataOffset) return false;
  width_ = width;
  height_ = rows;
  pixels_.assign(size_t(width) * size_t(rows), 0);
  for (int32_t r = 0; r < rows; ++r) {
    const uint8_t* row = bytes + dataOffset + stride * uint64_t(r);
    int32_t y = topDown ? r : rows - 1 - r;
    uint32_t* out = pixels_.data() + size_t(y) * size_t(width);
    for (int32_t x = 0; x < width; ++x) {
      uint32_t pixel = 0;
      switch (bits) {
        case 1:
        case 4:
        case 8: {
          size_t bit = size_t(x) * bits;
          uint32_t index = (row[bit / 8] >> (8 - bits - bit % 8)) & ((1u << bits) - 1);
          pixel = index < palette.size() ? palette[index] : 0xFF000000u;
          break;
        }
        case 16:
          pixel = FromMasks(Le16(row + size_t(x) * 2), masks);
          break;
        case 24: {
          const uint8_t* p = row + size_t(x) * 3;
          pixel = 0xFF000000u | (uint32_t{p[2]} << 16) | (uint32_t{p[1]} << 8) | p[0];
          break;
        }
        default:
          pixel = FromMasks(Le32(row + size_t(x) * 4), masks);
      }
      out[x] = pixel;
    }
  }
  return true;
}

bool OGTBmp::DecodeFile(const std::string& path) {
  Reset();
  std::ifstream file(path, std::ios::binary | std::ios::ate);
  if (!file) return false;
  // Larger than the largest image accepted (and its headers): refused unread.
  std::streamoff size = file.tellg();
  if (size < 0 || size > kMaxPixels * 4 + (int64_t{1} << 20)) return false;
  file.seekg(0);
  std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(file)),
                             std::istreambuf_iterator<char>());
  return Decode(bytes.data(), bytes.size());
}

uint32_t OGTBmp::Pixel(int32_t x, int32_t y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return 0;
  return pixels_[size_t(y) * size_t(width_) + size_t(x)];
}
