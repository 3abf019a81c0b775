// Headless controls. Each keeps the state its native counterpart would keep and does natively what
// a person's press or key would make that control do. Controls start hidden and disabled.
#pragma once

#include <memory>
#include <string>

#include "gt/imp/OGTControlImp.h"
#include "gt/imp/headless/OGTHeadlessImp.h"

class OGTHeadlessLabelImp : public OGTHeadlessImp<OGTLabelImp> {
 public:
  using OGTHeadlessImp::OGTHeadlessImp;
};

// A horizontal line across the item at half its height.
class OGTHeadlessLineImp : public OGTHeadlessImp<OGTLineImp> {
 public:
  using OGTHeadlessImp::OGTHeadlessImp;
  void NativeDraw(OGTContext* context) override;
};

// An ellipse inscribed in the item's bounds.
class OGTHeadlessCircleImp : public OGTHeadlessImp<OGTCircleImp> {
 public:
  using OGTHeadlessImp::OGTHeadlessImp;
  void NativeDraw(OGTContext* context) override;
};

// Its image when one is set, otherwise a frame on its bounds.
class OGTHeadlessPlaneImp : public OGTHeadlessImp<OGTPlaneImp> {
 public:
  using OGTHeadlessImp::OGTHeadlessImp;
  void SetImage(const char* name) override;
  void NativeDraw(OGTContext* context) override;
  const std::string& Image() const { return image_; }

 private:
  std::string image_;
};

// An edit field with a selection and a native modified flag. Typing replaces the selection,
// respects the text limit, marks the item modified and, when the field later loses the focus,
// sends 22. Setting the text programmatically clears the modified flag. Return reaching the
// platform inserts a line break ("\r\n") with variant bit 0, and sends 21 otherwise.
class OGTHeadlessFieldImp : public OGTHeadlessImp<OGTFieldImp> {
 public:
  using OGTHeadlessImp::OGTHeadlessImp;

  bool Focusable() const override { return true; }
  void NativeKey(const OGTEvent& event) override;
  void FocusLost() override;
  void SetText(const char* text) override;

  void SetTextLimit(int32_t n) override;
  int32_t GetTextLimit() const override { return limit_; }
  bool Cut() override;
  bool Copy() override;
  bool Paste() override;
  bool Clear() override;
  bool SelectAll() override;

  // The selection as byte offsets (start <= end); the caret is at the end.
  size_t SelectionStart() const { return selStart_; }
  size_t SelectionEnd() const { return selEnd_; }
  void Select(size_t start, size_t end);
  bool NativeModified() const { return dirty_; }

 private:
  // Replaces the selection by the bytes as the user would; false when the limit forbids it.
  bool ReplaceSelection(std::string_view bytes);
  void UserChanged();

  int32_t limit_ = kInitialTextLimit;
  size_t selStart_ = 0;
  size_t selEnd_ = 0;
  bool dirty_ = false;
};

// Space presses a focused button and Tab moves the focus on, as for radio buttons and check
// boxes. A button with images draws the image its state calls for (the normal one when that
// image is missing).
class OGTHeadlessButtonImp : public OGTHeadlessImp<OGTButtonImp> {
 public:
  using OGTHeadlessImp::OGTHeadlessImp;

  bool Focusable() const override { return true; }
  bool Press() override;
  void NativeKey(const OGTEvent& event) override;
  void NativeDraw(OGTContext* context) override;
  void SetDefault(bool flag) override { default_ = flag; }
  bool IsDefault() const override { return default_; }
  void SetImages(const char* normal, const char* pressed, const char* disabled) override;

  std::string images_[3];  // normal, pressed, disabled; empty when absent

 private:
  bool default_ = false;
};

// Pressing sets the value to 1, then sends 12. The value is the check state: 0 or 1.
class OGTHeadlessRadioBtnImp : public OGTHeadlessImp<OGTRadioBtnImp> {
 public:
  using OGTHeadlessImp::OGTHeadlessImp;
  bool Focusable() const override { return true; }
  void SetValue(int32_t value) override { value_ = value != 0 ? 1 : 0; }
  bool Press() override;
  void NativeKey(const OGTEvent& event) override;
};

// Pressing toggles the value (1 becomes 0, anything else 1), then sends 13. The value is the
// check state: 0 or 1.
class OGTHeadlessCheckBoxImp : public OGTHeadlessImp<OGTCheckBoxImp> {
 public:
  using OGTHeadlessImp::OGTHeadlessImp;
  bool Focusable() const override { return true; }
  void SetValue(int32_t value) override { value_ = value != 0 ? 1 : 0; }
  bool Press() override;
  void NativeKey(const OGTEvent& event) override;
};

// The surface a list draws itself on; it takes the focus.
class OGTHeadlessListImp : public OGTHeadlessImp<OGTListImp> {
 public:
  using OGTHeadlessImp::OGTHeadlessImp;
  bool Focusable() const override { return true; }
};

// The surface a styled-text item draws itself on; it takes the focus.
class OGTHeadlessStyleEditImp : public OGTHeadlessImp<OGTStyleEditImp> {
 public:
  using OGTHeadlessImp::OGTHeadlessImp;
  bool Focusable() const override { return true; }
};

// A scroll bar 14 units thick. The position stays within the range; a range of two equal values
// disables the bar (the range becomes 0, 0).
class OGTHeadlessScrollBarImp : public OGTHeadlessImp<OGTScrollBarImp> {
 public:
  static constexpr int32_t kThickness = 14;

  using OGTHeadlessImp::OGTHeadlessImp;
  int32_t Thickness() const override { return kThickness; }
  void SetScrollPosition(int32_t position) override;
  int32_t GetScrollPosition() const override { return position_; }
  void SetRange(int32_t min, int32_t max) override;
  void GetRange(int32_t& min, int32_t& max) const override;
  void SetLineSteps(int32_t back, int32_t forward) override;
  void GetLineSteps(int32_t& back, int32_t& forward) const override;
  void SetPageSteps(int32_t back, int32_t forward) override;
  void GetPageSteps(int32_t& back, int32_t& forward) const override;
  bool BarEnabled() const { return min_ != max_; }

 private:
  int32_t position_ = 0;
  int32_t min_ = 0;
  int32_t max_ = 0;
  int32_t lineBack_ = 0;
  int32_t lineForward_ = 0;
  int32_t pageBack_ = 0;
  int32_t pageForward_ = 0;
};
