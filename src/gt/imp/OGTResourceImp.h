// Platform interfaces of the toolkit's resources: cursors, images, sounds and file choosers. The
// base bodies do nothing and answer false, so without a platform side nothing shows or plays.
#pragma once

#include <cstddef>
#include <cstdint>

class OGTContextImp;
class OGTRect;
class VString;

// Shape codes: 0 and 1 arrow, 2 text beam, 3 cross, 4 wait, 11 and 12 the hand, 21 horizontal
// resize, 22 vertical resize, 51 and 52 the application's counted wait cursor (begun when the
// shape is set, ended when the implementation is deleted). Other codes change nothing.
class OGTCursorImp {
 public:
  OGTCursorImp();
  virtual ~OGTCursorImp();
  OGTCursorImp(const OGTCursorImp&) = delete;
  OGTCursorImp& operator=(const OGTCursorImp&) = delete;

  virtual void Initialise();
  virtual void SetShape(int32_t shape);
};

// Format codes of image data held in memory. Every platform side reads BMP; the others are read
// where the platform has a reader for them (an image a side cannot read fails to load).
constexpr int32_t kOGTImageFormatJpeg = 1;
constexpr int32_t kOGTImageFormatGif = 2;
constexpr int32_t kOGTImageFormatPng = 3;
constexpr int32_t kOGTImageFormatPict = 4;
constexpr int32_t kOGTImageFormatBmp = 5;

class OGTImageImp {
 public:
  OGTImageImp();
  virtual ~OGTImageImp();
  OGTImageImp(const OGTImageImp&) = delete;
  OGTImageImp& operator=(const OGTImageImp&) = delete;

  virtual void Initialise();
  // Unscaled at the rectangle's top left, cut to the rectangle's size.
  virtual void Draw(OGTContextImp* context, const OGTRect& rect);
  virtual bool LoadFromMemory(const uint8_t* bytes, size_t length, int32_t format);
  // A BMP file named by a portable path.
  virtual bool LoadFromFile(const char* name);
  virtual bool IsLoaded() const;
  // The natural size of the loaded image (0, 0 when none).
  virtual void GetSize(int32_t& width, int32_t& height) const;
};

class OGTSoundImp {
 public:
  OGTSoundImp();
  virtual ~OGTSoundImp();
  OGTSoundImp(const OGTSoundImp&) = delete;
  OGTSoundImp& operator=(const OGTSoundImp&) = delete;

  virtual void Initialise();
  // Plays a sound file (portable path) to its end; no default sound when it is missing.
  virtual bool Play(const char* name);
  virtual void Beep();
};

// The platform's file choosers. Both filter "all files" and "text files", hide the read-only
// option and confirm overwriting; the path chosen is a portable path.
class OGTUDlogImp {
 public:
  OGTUDlogImp();
  virtual ~OGTUDlogImp();
  OGTUDlogImp(const OGTUDlogImp&) = delete;
  OGTUDlogImp& operator=(const OGTUDlogImp&) = delete;

  virtual void Initialise();
  virtual bool ChooseOpenFile(VString& path);
  virtual bool ChooseSaveFile(VString& path, const char* suggestedName);
};
