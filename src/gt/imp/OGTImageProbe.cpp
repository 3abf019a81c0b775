#include "gt/imp/OGTImageProbe.h"

#include <cstring>

#include "gt/imp/OGTResourceImp.h"

namespace {

uint32_t Big32(const uint8_t* p) {
  return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}
uint16_t Big16(const uint8_t* p) { return static_cast<uint16_t>((p[0] << 8) | p[1]); }
uint16_t Little16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

bool Png(const uint8_t* b, size_t n, OGTImageProbe* out) {
  static const uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  // The signature, then the IHDR chunk: length 13, "IHDR", width, height.
  if (n < 24 || std::memcmp(b, kSignature, 8) != 0 || std::memcmp(b + 12, "IHDR", 4) != 0) {
    return false;
  }
  const uint32_t width = Big32(b + 16);
  const uint32_t height = Big32(b + 20);
  if (width == 0 || height == 0 || width > 0x7FFFFFFF || height > 0x7FFFFFFF) return false;
  *out = {kOGTImageFormatPng, static_cast<int32_t>(width), static_cast<int32_t>(height)};
  return true;
}

bool Gif(const uint8_t* b, size_t n, OGTImageProbe* out) {
  if (n < 10 || (std::memcmp(b, "GIF87a", 6) != 0 && std::memcmp(b, "GIF89a", 6) != 0)) {
    return false;
  }
  const uint16_t width = Little16(b + 6);
  const uint16_t height = Little16(b + 8);
  if (width == 0 || height == 0) return false;
  *out = {kOGTImageFormatGif, width, height};
  return true;
}

bool Jpeg(const uint8_t* b, size_t n, OGTImageProbe* out) {
  if (n < 4 || b[0] != 0xFF || b[1] != 0xD8) return false;
  // Segments after the start marker, up to a start-of-frame marker that carries the size.
  size_t at = 2;
  while (at + 4 <= n) {
    if (b[at] != 0xFF) return false;
    const uint8_t marker = b[at + 1];
    if (marker == 0xFF) {  // fill byte
      ++at;
      continue;
    }
    const uint16_t length = Big16(b + at + 2);
    if (length < 2) return false;
    const bool frame =
        marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
    if (frame) {
      if (at + 9 > n || length < 7) return false;
      const uint16_t height = Big16(b + at + 5);
      const uint16_t width = Big16(b + at + 7);
      if (width == 0 || height == 0) return false;
      *out = {kOGTImageFormatJpeg, width, height};
      return true;
    }
    at += 2 + static_cast<size_t>(length);
  }
  return false;
}

}  // namespace

bool OGTProbeImage(const uint8_t* bytes, size_t length, int32_t expected, OGTImageProbe* out) {
  *out = OGTImageProbe();
  if (bytes == nullptr) return false;
  OGTImageProbe found;
  const bool known =
      Png(bytes, length, &found) || Gif(bytes, length, &found) || Jpeg(bytes, length, &found);
  if (!known || (expected != 0 && found.format != expected)) return false;
  *out = found;
  return true;
}
