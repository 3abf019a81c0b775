// Qt cursors, images, sounds and file choosers.
// - A cursor shows its shape through the factory's one override cursor; the counted wait cursors
//   (51, 52) last until their implementation goes.
// - Images: a file that begins "BM" is read by the toolkit's BMP decoder, so that every platform
//   side accepts the same bitmaps; PNG, JPEG and GIF files are read by Qt. From memory only BMP
//   file images are accepted.
// - Sounds: WAV files play through Qt Multimedia's sound effect, each in an object of its own
//   that goes when it has played; the beep is the system's.
// - File choosers: Qt's own dialog with the toolkit's filter ("*.*" matches every file name, as
//   the user of the filter means); it confirms overwriting. Chosen paths are the file system's
//   bytes as a portable path.
#pragma once

#include <memory>

#include <QImage>

#include "gt/imp/OGTResourceImp.h"

class OGTBmp;
class OGTQtShared;

// An image file named by a portable path; a null image when it cannot be read.
QImage OGTQtLoadImage(const char* name);
QImage OGTQtImageFromBmp(const OGTBmp& bmp);

class OGTQtCursorImp : public OGTCursorImp {
 public:
  explicit OGTQtCursorImp(std::shared_ptr<OGTQtShared> shared);
  ~OGTQtCursorImp() override;
  void SetShape(int32_t shape) override;

 private:
  std::shared_ptr<OGTQtShared> shared_;
  bool counted_ = false;
};

class OGTQtImageImp : public OGTImageImp {
 public:
  void Draw(OGTContextImp* context, const OGTRect& rect) override;
  bool LoadFromMemory(const uint8_t* bytes, size_t length, int32_t format) override;
  bool LoadFromFile(const char* name) override;
  bool IsLoaded() const override { return !image_.isNull(); }
  void GetSize(int32_t& width, int32_t& height) const override;

  const QImage& Image() const { return image_; }

 private:
  QImage image_;
};

class OGTQtSoundImp : public OGTSoundImp {
 public:
  bool Play(const char* name) override;
  void Beep() override;
};

class OGTQtUDlogImp : public OGTUDlogImp {
 public:
  explicit OGTQtUDlogImp(std::shared_ptr<OGTQtShared> shared);
  bool ChooseOpenFile(VString& path) override;
  bool ChooseSaveFile(VString& path, const char* suggestedName) override;

 private:
  bool Choose(VString& path, bool save, const char* suggestedName);

  std::shared_ptr<OGTQtShared> shared_;
};

// The chooser's filters made from the toolkit's filter text ("label|pattern|...||").
QStringList OGTQtChooserFilters();
