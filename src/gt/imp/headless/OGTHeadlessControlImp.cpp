#include "gt/imp/headless/OGTHeadlessControlImp.h"

#include <algorithm>

#include "base/VSjis.h"
#include "gt/OGTContext.h"
#include "gt/OGTEvent.h"
#include "gt/OGTItem.h"
#include "gt/imp/OGTPlatformRules.h"
#include "gt/imp/headless/OGTHeadlessScreen.h"

namespace {

constexpr uint16_t kSpace = 32;

OGTRect Bounds(const OGTHeadlessNode& node) {
  return OGTRect(node.y_, node.x_, node.y_ + node.height_, node.x_ + node.width_);
}

const uint8_t* Bytes(const std::string& text) {
  return reinterpret_cast<const uint8_t*>(text.data());
}

// The start of the character before pos.
size_t PreviousChar(const std::string& text, size_t pos) {
  return pos == 0 ? 0 : VLastCharStart(Bytes(text), pos);
}

size_t NextChar(const std::string& text, size_t pos) {
  return pos + VCharLength(Bytes(text), text.size(), pos);
}

// The native keys of the pressable controls: Tab moves the focus on (back with Shift); answers
// whether the key is Space, which presses the control.
bool PressOrTab(OGTHeadlessNode& node, const OGTEvent& event) {
  if (event.Key() == kOGTKeyTab) {
    node.Screen().StepFocus(&node, event.HasModifier(kOGTShift));
    return false;
  }
  return event.Key() == kSpace;
}

}  // namespace

void OGTHeadlessLineImp::NativeDraw(OGTContext* context) {
  if (context == nullptr) return;
  int32_t y = y_ + height_ / 2;
  context->DrawLine(OGTPoint(x_, y), OGTPoint(x_ + width_, y));
}

void OGTHeadlessCircleImp::NativeDraw(OGTContext* context) {
  if (context != nullptr) context->FrameFillEllipse(Bounds(*this));
}

void OGTHeadlessPlaneImp::SetImage(const char* name) { image_ = name != nullptr ? name : ""; }

void OGTHeadlessPlaneImp::NativeDraw(OGTContext* context) {
  if (context == nullptr) return;
  if (image_.empty()) {
    context->FrameRect(Bounds(*this));
    return;
  }
  OGTDrawCall call;
  call.op = OGTDrawCall::kImage;
  call.item = Item();
  call.rect = Bounds(*this);
  call.text = image_;
  screen_->RecordDraw(std::move(call));
}

void OGTHeadlessFieldImp::SetText(const char* text) {
  OGTHeadlessImp::SetText(text);
  selStart_ = selEnd_ = 0;
  dirty_ = false;
}

void OGTHeadlessFieldImp::Select(size_t start, size_t end) {
  start = std::min(start, text_.size());
  end = std::min(end, text_.size());
  if (start > end) std::swap(start, end);
  if (!VIsCharBoundary(Bytes(text_), text_.size(), start)) start = PreviousChar(text_, start);
  if (!VIsCharBoundary(Bytes(text_), text_.size(), end)) end = NextChar(text_, end);
  selStart_ = start;
  selEnd_ = end;
}

bool OGTHeadlessFieldImp::ReplaceSelection(std::string_view bytes) {
  size_t after = text_.size() - (selEnd_ - selStart_) + bytes.size();
  if (!bytes.empty() && after > static_cast<size_t>(limit_)) return false;
  text_.replace(selStart_, selEnd_ - selStart_, bytes);
  selStart_ = selEnd_ = selStart_ + bytes.size();
  UserChanged();
  return true;
}

void OGTHeadlessFieldImp::UserChanged() {
  dirty_ = true;
  if (Item() != nullptr) Item()->SetModified(true);
}

void OGTHeadlessFieldImp::NativeKey(const OGTEvent& event) {
  uint16_t key = event.Key();
  switch (key) {
    case kOGTKeyReturn:
    case kOGTKeyEnter:
      if (variant_ & 1) {
        ReplaceSelection("\r\n");
      } else {
        Notify(kOGTEventReturn);
      }
      return;
    case kOGTKeyBackspace:
      if (selStart_ == selEnd_) selStart_ = PreviousChar(text_, selStart_);
      if (selStart_ != selEnd_) ReplaceSelection("");
      return;
    case kOGTKeyDelete:
      if (selStart_ == selEnd_) selEnd_ = NextChar(text_, selEnd_);
      if (selStart_ != selEnd_) ReplaceSelection("");
      return;
    case kOGTKeyArrowLeft:
      selStart_ = selEnd_ = PreviousChar(text_, selStart_);
      return;
    case kOGTKeyArrowRight:
      selStart_ = selEnd_ = NextChar(text_, selEnd_);
      return;
    case kOGTKeyHome:
      selStart_ = selEnd_ = 0;
      return;
    case kOGTKeyEnd:
      selStart_ = selEnd_ = text_.size();
      return;
    default:
      break;
  }
  if (key < kSpace) return;
  if (key > 0xFF) {
    char pair[2] = {static_cast<char>(key >> 8), static_cast<char>(key & 0xFF)};
    if (VIsLeadByte(static_cast<uint8_t>(pair[0]))) ReplaceSelection(std::string_view(pair, 2));
    return;
  }
  char single = static_cast<char>(key);
  if (!VIsLeadByte(static_cast<uint8_t>(single))) ReplaceSelection(std::string_view(&single, 1));
}

void OGTHeadlessFieldImp::FocusLost() {
  if (!dirty_) return;
  dirty_ = false;
  Notify(kOGTEventChanged);
}

void OGTHeadlessFieldImp::SetTextLimit(int32_t n) {
  limit_ = (n <= 0 || n > kMaxTextLimit) ? kMaxTextLimit : n;
}

bool OGTHeadlessFieldImp::Cut() {
  if (selStart_ == selEnd_) return false;
  screen_->Clipboard() = text_.substr(selStart_, selEnd_ - selStart_);
  return ReplaceSelection("");
}

bool OGTHeadlessFieldImp::Copy() {
  if (selStart_ == selEnd_) return false;
  screen_->Clipboard() = text_.substr(selStart_, selEnd_ - selStart_);
  return true;
}

bool OGTHeadlessFieldImp::Paste() {
  const std::string& clip = screen_->Clipboard();
  return !clip.empty() && ReplaceSelection(clip);
}

bool OGTHeadlessFieldImp::Clear() { return selStart_ != selEnd_ && ReplaceSelection(""); }

bool OGTHeadlessFieldImp::SelectAll() {
  selStart_ = 0;
  selEnd_ = text_.size();
  return true;
}

bool OGTHeadlessButtonImp::Press() {
  Notify(kOGTEventButtonPressed);
  return true;
}

void OGTHeadlessButtonImp::NativeKey(const OGTEvent& event) {
  if (PressOrTab(*this, event)) Press();
}

void OGTHeadlessButtonImp::NativeDraw(OGTContext* context) {
  if (context == nullptr) return;
  int32_t index = OGTButtonImageIndex(variant_, false, enabled_, value_, !images_[2].empty());
  const std::string& name = images_[index].empty() ? images_[0] : images_[index];
  if (name.empty()) return;
  OGTDrawCall call;
  call.op = OGTDrawCall::kImage;
  call.item = Item();
  call.rect = Bounds(*this);
  call.text = name;
  screen_->RecordDraw(std::move(call));
}

void OGTHeadlessButtonImp::SetImages(const char* normal, const char* pressed,
                                     const char* disabled) {
  images_[0] = normal != nullptr ? normal : "";
  images_[1] = pressed != nullptr ? pressed : "";
  images_[2] = disabled != nullptr ? disabled : "";
}

bool OGTHeadlessRadioBtnImp::Press() {
  value_ = 1;
  Notify(kOGTEventRadioPressed);
  return true;
}

void OGTHeadlessRadioBtnImp::NativeKey(const OGTEvent& event) {
  if (PressOrTab(*this, event)) Press();
}

bool OGTHeadlessCheckBoxImp::Press() {
  value_ = value_ == 1 ? 0 : 1;
  Notify(kOGTEventCheckPressed);
  return true;
}

void OGTHeadlessCheckBoxImp::NativeKey(const OGTEvent& event) {
  if (PressOrTab(*this, event)) Press();
}

void OGTHeadlessScrollBarImp::SetScrollPosition(int32_t position) {
  position_ = std::clamp(position, min_, max_);
}

void OGTHeadlessScrollBarImp::SetRange(int32_t min, int32_t max) {
  if (min == max || max < min) {
    min_ = max_ = 0;
  } else {
    min_ = min;
    max_ = max;
  }
  position_ = std::clamp(position_, min_, max_);
}

void OGTHeadlessScrollBarImp::GetRange(int32_t& min, int32_t& max) const {
  min = min_;
  max = max_;
}

void OGTHeadlessScrollBarImp::SetLineSteps(int32_t back, int32_t forward) {
  lineBack_ = back;
  lineForward_ = forward;
}

void OGTHeadlessScrollBarImp::GetLineSteps(int32_t& back, int32_t& forward) const {
  back = lineBack_;
  forward = lineForward_;
}

void OGTHeadlessScrollBarImp::SetPageSteps(int32_t back, int32_t forward) {
  pageBack_ = back;
  pageForward_ = forward;
}

void OGTHeadlessScrollBarImp::GetPageSteps(int32_t& back, int32_t& forward) const {
  back = pageBack_;
  forward = pageForward_;
}
