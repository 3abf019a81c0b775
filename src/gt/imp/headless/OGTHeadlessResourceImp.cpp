#include "gt/imp/headless/OGTHeadlessResourceImp.h"

#include <sys/stat.h>

#include <fstream>
#include <vector>

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
    int32_t width = 0;
    int32_t height = 0;
    GetSize(width, height);
    headless->RecordImage(rect, width, height);
  }
}

void OGTHeadlessImageImp::Reset() {
  bmp_.Reset();
  probe_ = OGTImageProbe();
}

bool OGTHeadlessImageImp::Load(const uint8_t* bytes, size_t length, int32_t format) {
  Reset();
  if (format == kOGTImageFormatBmp) return bmp_.Decode(bytes, length);
  if (format == 0 && bmp_.Decode(bytes, length)) return true;
  return OGTProbeImage(bytes, length, format, &probe_);
}

bool OGTHeadlessImageImp::LoadFromMemory(const uint8_t* bytes, size_t length, int32_t format) {
  if (format != kOGTImageFormatBmp && format != kOGTImageFormatPng &&
      format != kOGTImageFormatJpeg && format != kOGTImageFormatGif) {
    Reset();
    return false;
  }
  return Load(bytes, length, format);
}

bool OGTHeadlessImageImp::LoadFromFile(const char* name) {
  std::string path;
  Reset();
  if (name == nullptr || OGTToNativePath(name, &path) != kVOk) return false;
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  // Image files are read whole; one beyond this size is refused rather than read.
  constexpr std::streamsize kMaxFile = 256 << 20;
  in.seekg(0, std::ios::end);
  const std::streamsize size = in.tellg();
  if (size <= 0 || size > kMaxFile) return false;
  in.seekg(0);
  std::vector<uint8_t> bytes(static_cast<size_t>(size));
  if (!in.read(reinterpret_cast<char*>(bytes.data()), size)) return false;
  return Load(bytes.data(), bytes.size(), 0);
}

void OGTHeadlessImageImp::GetSize(int32_t& width, int32_t& height) const {
  if (probe_.format != 0) {
    width = probe_.width;
    height = probe_.height;
    return;
  }
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

OGTHeadlessProgressImp::OGTHeadlessProgressImp(std::shared_ptr<OGTHeadlessScreen> screen)
    : screen_(std::move(screen)) {}

uint64_t OGTHeadlessProgressImp::Milliseconds() { return screen_->ProgressClock(); }

void OGTHeadlessProgressImp::Open(const char* title, bool cancellable) {
  title_ = title != nullptr ? title : "";
  cancellable_ = cancellable;
  OGTSeen seen;
  seen.what = OGTSeen::kProgress;
  seen.title = title_;
  seen.cancellable = cancellable;
  screen_->Record(std::move(seen));
}

void OGTHeadlessProgressImp::Update(const char* text, int32_t perMille) {
  OGTSeen seen;
  seen.what = OGTSeen::kProgress;
  seen.title = title_;
  seen.cancellable = cancellable_;
  seen.text = text != nullptr ? text : "";
  seen.share = perMille;
  screen_->Record(std::move(seen));
  // The person presses the button once the window is there to be pressed.
  const OGTHeadlessAction* next = screen_->PeekAction();
  if (cancellable_ && next != nullptr && next->kind == OGTHeadlessAction::kCancelProgress) {
    (void)screen_->NextAction("the progress window");  // the step just looked at
    cancelled_ = true;
  }
}

void OGTHeadlessProgressImp::Close() {
  OGTSeen seen;
  seen.what = OGTSeen::kProgressEnd;
  seen.title = title_;
  screen_->Record(std::move(seen));
}
