// The format and size of PNG, GIF and JPEG data, read from their headers alone. A platform side
// without image readers uses it to accept exactly the data that a reader would start on; it never
// reads past the data it is given.
#pragma once

#include <cstddef>
#include <cstdint>

struct OGTImageProbe {
  int32_t format = 0;  // kOGTImageFormatJpeg, Gif or Png; 0 when not recognised
  int32_t width = 0;
  int32_t height = 0;
};

// Recognises the data when its header is complete and gives a size of at least 1 x 1. With
// expected != 0 only that format is accepted.
bool OGTProbeImage(const uint8_t* bytes, size_t length, int32_t expected, OGTImageProbe* out);
