// An image loaded from a file or from memory and drawn through a drawing context. The
// platform implementation is made on first load; without a factory nothing loads.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

class OGTContext;
class OGTImageImp;
class OGTRect;

class OGTImage {
 public:
  // Formats of image data in memory.
  static constexpr int32_t kFormatJPEG = 1;
  static constexpr int32_t kFormatGIF = 2;
  static constexpr int32_t kFormatPNG = 3;
  static constexpr int32_t kFormatPICT = 4;
  static constexpr int32_t kFormatBMP = 5;

  OGTImage();
  virtual ~OGTImage();
  OGTImage(const OGTImage&) = delete;
  OGTImage& operator=(const OGTImage&) = delete;

  // An image file named by a portable path (BMP everywhere; PNG, JPEG and GIF where the platform
  // reads them).
  bool LoadFromFile(const char* name);
  // Image data of one of the formats above; false when the platform cannot read it.
  bool LoadFromMemory(const uint8_t* bytes, size_t length, int32_t format);
  // Unscaled at the rectangle's top left, cut to its size.
  void Draw(OGTContext* context, const OGTRect& rect);
  bool IsLoaded() const;
  // The natural size (0, 0 when nothing is loaded).
  void GetSize(int32_t& width, int32_t& height) const;

 private:
  OGTImageImp* MakeImp();

  std::unique_ptr<OGTImageImp> imp_;
};
