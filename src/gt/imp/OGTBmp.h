// A BMP image decoded into 0xAARRGGBB pixels, rows from the top. Both platform sides use it for
// images and background pictures, so that every side accepts the same files: a 14-byte file
// header beginning "BM", an information header of at least 40 bytes, a colour table for 1, 4 and
// 8 bits per pixel, and uncompressed pixels (or bit fields for 16 and 32 bits) from the data
// offset of the file header, bottom-up or top-down. Anything else, or data that runs short, is
// refused; a refused decode leaves the image empty.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class OGTBmp {
 public:
  bool Decode(const uint8_t* bytes, size_t length);
  // Reads and decodes a file of this machine.
  bool DecodeFile(const std::string& path);
  void Reset();

  bool IsEmpty() const { return pixels_.empty(); }
  int32_t Width() const { return width_; }
  int32_t Height() const { return height_; }
  // Pixel (x, y) from the top left; 0 outside the image.
  uint32_t Pixel(int32_t x, int32_t y) const;

  // Images beyond this many pixels are refused rather than allocated.
  static constexpr int64_t kMaxPixels = int64_t{1} << 26;

 private:
  bool DecodeRows(const uint8_t* bytes, size_t length, uint32_t dataOffset, int bits,
                  const std::vector<uint32_t>& palette, const uint32_t masks[3], bool topDown);

  int32_t width_ = 0;
  int32_t height_ = 0;
  std::vector<uint32_t> pixels_;
};
