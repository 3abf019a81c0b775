// Headless cursors, images, sounds, file choosers and progress windows. Cursors change the screen's
// visible cursor; images decode BMP files and record where they are drawn; sounds play when their
// file exists and beeps are counted, both recorded; a file chooser records that it was shown and
// takes its answer from the scripted user; a progress window records its opening, every text it
// shows and its closing, reads the screen's progress clock, and is cancelled by the scripted user's
// step for it.
#pragma once

#include <memory>
#include <string>

#include "gt/imp/OGTBmp.h"
#include "gt/imp/OGTImageProbe.h"
#include "gt/imp/OGTProgressImp.h"
#include "gt/imp/OGTResourceImp.h"

class OGTHeadlessScreen;

class OGTHeadlessCursorImp : public OGTCursorImp {
 public:
  explicit OGTHeadlessCursorImp(std::shared_ptr<OGTHeadlessScreen> screen);
  ~OGTHeadlessCursorImp() override;
  void SetShape(int32_t shape) override;

 private:
  std::shared_ptr<OGTHeadlessScreen> screen_;
  bool counted_ = false;
};

class OGTHeadlessImageImp : public OGTImageImp {
 public:
  void Draw(OGTContextImp* context, const OGTRect& rect) override;
  bool LoadFromMemory(const uint8_t* bytes, size_t length, int32_t format) override;
  bool LoadFromFile(const char* name) override;
  bool IsLoaded() const override { return !bmp_.IsEmpty() || probe_.format != 0; }
  void GetSize(int32_t& width, int32_t& height) const override;

  const OGTBmp& Bitmap() const { return bmp_; }
  // The format of a loaded PNG, JPEG or GIF image (whose pixels this side does not decode); 0
  // for a BMP image or none.
  int32_t ProbedFormat() const { return probe_.format; }

 private:
  void Reset();
  // BMP data is decoded; PNG, JPEG and GIF data is accepted by its header.
  bool Load(const uint8_t* bytes, size_t length, int32_t format);

  OGTBmp bmp_;
  OGTImageProbe probe_;
};

class OGTHeadlessSoundImp : public OGTSoundImp {
 public:
  explicit OGTHeadlessSoundImp(std::shared_ptr<OGTHeadlessScreen> screen);
  bool Play(const char* name) override;
  void Beep() override;

 private:
  std::shared_ptr<OGTHeadlessScreen> screen_;
};

class OGTHeadlessUDlogImp : public OGTUDlogImp {
 public:
  explicit OGTHeadlessUDlogImp(std::shared_ptr<OGTHeadlessScreen> screen);
  bool ChooseOpenFile(VString& path) override;
  bool ChooseSaveFile(VString& path, const char* suggestedName) override;

 private:
  bool Answer(VString& path, const std::string& waiting);

  std::shared_ptr<OGTHeadlessScreen> screen_;
};

class OGTHeadlessProgressImp : public OGTProgressImp {
 public:
  explicit OGTHeadlessProgressImp(std::shared_ptr<OGTHeadlessScreen> screen);
  uint64_t Milliseconds() override;
  void Open(const char* title, bool cancellable) override;
  void Update(const char* text, int32_t perMille) override;
  bool CancelRequested() override { return cancelled_; }
  void Close() override;

 private:
  std::shared_ptr<OGTHeadlessScreen> screen_;
  std::string title_;
  bool cancellable_ = false;
  bool cancelled_ = false;
};
