// A bitmap image (BMP) loaded from a file or from memory and drawn through a drawing context. The
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
  OGTImage();
  virtual ~OGTImage();
  OGTImage(const OGTImage&) = delete;
  OGTImage& operator=(const OGTImage&) = delete;

  // A BMP file named by a portable path.
  bool LoadFromFile(const char* name);
  // Format 5 (a BMP file image) is the one format accepted.
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
