// Builds small BMP files for image tests. Pixels are given top row first: RGB values for 24 and
// 32 bits, raw values for 16 bits, palette indices for 1, 4 and 8 bits. A negative height writes
// the rows top-down, a positive one bottom-up as most files do.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <vector>

inline void PutLe(std::vector<uint8_t>& out, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

inline std::vector<uint8_t> BuildBmp(int32_t width, int32_t height, int bits,
                                     const std::vector<uint32_t>& pixels,
                                     const std::vector<uint32_t>& palette = {}) {
  int32_t rows = std::abs(height);
  uint32_t stride = ((uint32_t(width) * bits + 31) / 32) * 4;
  uint32_t dataOffset = 14 + 40 + uint32_t(palette.size()) * 4;
  std::vector<uint8_t> out;
  out.push_back('B');
  out.push_back('M');
  PutLe(out, dataOffset + stride * rows, 4);
  PutLe(out, 0, 4);
  PutLe(out, dataOffset, 4);
  PutLe(out, 40, 4);
  PutLe(out, uint32_t(width), 4);
  PutLe(out, uint32_t(height), 4);
  PutLe(out, 1, 2);
  PutLe(out, uint32_t(bits), 2);
  PutLe(out, 0, 4);  // uncompressed
  PutLe(out, stride * rows, 4);
  PutLe(out, 2835, 4);
  PutLe(out, 2835, 4);
  PutLe(out, uint32_t(palette.size()), 4);
  PutLe(out, 0, 4);
  for (uint32_t color : palette) PutLe(out, color & 0xFFFFFF, 4);  // blue, green, red, 0
  for (int32_t r = 0; r < rows; ++r) {
    int32_t y = height < 0 ? r : rows - 1 - r;  // the image row stored at file row r
    std::vector<uint8_t> row(stride, 0);
    for (int32_t x = 0; x < width; ++x) {
      uint32_t value = pixels[size_t(y) * size_t(width) + size_t(x)];
      if (bits <= 8) {
        size_t bit = size_t(x) * bits;
        row[bit / 8] |= static_cast<uint8_t>(value << (8 - bits - bit % 8));
      } else {
        for (int i = 0; i < bits / 8; ++i) {
          row[size_t(x) * (bits / 8) + i] = static_cast<uint8_t>(value >> (8 * i));
        }
      }
    }
    out.insert(out.end(), row.begin(), row.end());
  }
  return out;
}
