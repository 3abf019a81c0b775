#include "gt/imp/headless/OGTHeadlessResourceImp.h"

#include <sys/stat.h>

#include "base/VString.h"
#include "gt/OGTGraphics.h"
#include "gt/imp/OGTPlatformRules.h"
#include "gt/imp/headless/OGTHeadlessContextImp.h"
#include "gt/imp/headless/OGTHeadlessScreen.h"

namespace {

bool IsPlainShape(int32_t shape) {
  switch (shape) {
    case 0:
    case 1:
    case 2:
    case 3:
    case 4:
    case 11:
    case 12:
    case 21:
    case 22:
      return true;
    default:
      return false;
  }
}

bool IsCountedWait(int32_t shape) { return shape == 51 || shape == 52; }

}  // namespace

OGTHeadlessCursorImp::OGTHeadlessCursorImp(std::shared_ptr<OGTHeadlessScreen> screen)
    : screen_(std::move(screen)) {}

OGTHeadlessCursorImp::~OGTHeadlessCursorImp() {
  if (counted_) screen_->EndCountedWait();
}

void OGTHeadlessCursorImp::SetShape(int32_t shape) {
  if (IsPlainShape(shape)) {
    screen_->SetCursorShape(shape);
  } else if (IsCountedWait(shape) && !counted_) {
    counted_ = true;
    screen_->BeginCountedWait();
  }
}

void OGTHeadlessImageImp::Draw(OGTContextImp* context, const OGTRect& rect) {
  auto* headless = dynamic_cast<OGTHeadlessContextImp*>(context);
  if (headless != nullptr && IsLoaded()) {
    headless->RecordImage(rect, bmp_.Width(), bmp_.Height());
  }
}

bool OGTHeadlessImageImp::LoadFromMemory(const uint8_t* bytes, size_t length, int32_t format) {
  if (format != kOGTImageFormatBmp) {
    bmp_.Reset();
    return false;
  }
  return bmp_.Decode(bytes, length);
}

bool OGTHeadlessImageImp::LoadFromFile(const char* name) {
  std::string path;
  if (name == nullptr || OGTToNativePath(name, &path) != kVOk) {
    bmp_.Reset();
    return false;
  }
  return bmp_.DecodeFile(path);
}

void OGTHeadlessImageImp::GetSize(int32_t& width, int32_t& height) const {
  width = bmp_.Width();
  height = bmp_.Height();
}

OGTHeadlessSoundImp::OGTHeadlessSoundImp(std::shared_ptr<OGTHeadlessScreen> screen)
    : screen_(std::move(screen)) {}

bool OGTHeadlessSoundImp::Play(const char* name) {
  OGTSeen seen;
  seen.what = OGTSeen::kSound;
  seen.path = name != nullptr ? name : "";
  std::string path;
  struct stat info {};
  seen.played = name != nullptr && OGTToNativePath(name, &path) == kVOk &&
                stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
  bool played = seen.played;
  screen_->Record(std::move(seen));
  return played;
}

void OGTHeadlessSoundImp::Beep() { screen_->CountBeep(); }

OGTHeadlessUDlogImp::OGTHeadlessUDlogImp(std::shared_ptr<OGTHeadlessScreen> screen)
    : screen_(std::move(screen)) {}

bool OGTHeadlessUDlogImp::ChooseOpenFile(VString& path) {
  OGTSeen seen;
  seen.what = OGTSeen::kOpenChooser;
  screen_->Record(std::move(seen));
  return Answer(path, "the file chooser for opening");
}

bool OGTHeadlessUDlogImp::ChooseSaveFile(VString& path, const char* suggestedName) {
  OGTSeen seen;
  seen.what = OGTSeen::kSaveChooser;
  seen.path = suggestedName != nullptr ? suggestedName : "";
  screen_->Record(std::move(seen));
  return Answer(path, "the file chooser for saving");
}

bool OGTHeadlessUDlogImp::Answer(VString& path, const std::string& waiting) {
  if (screen_->Quitting()) return false;
  OGTHeadlessAction action = screen_->NextAction(waiting);
  switch (action.kind) {
    case OGTHeadlessAction::kChooseFile:
      path = action.path.c_str();
      return true;
    case OGTHeadlessAction::kCancelChooser:
      return false;
    case OGTHeadlessAction::kQuit:
      screen_->SetQuitting(true);
      return false;
    default:
      throw OGTHeadlessError("The scripted user's next step (" + action.description +
                             ") acts on a dialog, but " + waiting + " is waiting");
  }
}
