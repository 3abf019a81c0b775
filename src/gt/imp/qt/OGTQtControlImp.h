// Qt controls. Labels, fields, buttons, radio buttons, check boxes and scroll bars wrap native
// widgets; lines, planes, circles and lists are drawn surfaces that their items paint through a
// drawing context. What a press or a key does natively becomes the toolkit's item events:
// - a button press sends 11;
// - a radio button press sets the button (it never clears it) and sends 12; Qt never groups
//   radio buttons (the toolkit item turns the others of its group off);
// - a check box press toggles it and sends 13;
// - Return that the field's item passes on inserts a line break with variant bit 0, else sends
//   21; Tab passed on sends 72 (71 with Shift); a field that loses the focus after the user
//   changed it sends 22;
// - a scroll bar's arrows and track send 31 to 34 and leave the position to the toolkit; dragging
//   the thumb (or Home and End) sends 35 with the new position.
#pragma once

#include <string>

#include <QImage>

#include "gt/imp/OGTControlImp.h"
#include "gt/imp/qt/OGTQtImp.h"

class OGTQtSurface;

class OGTQtLabelImp : public OGTQtImp<OGTLabelImp> {
 public:
  using OGTQtImp::OGTQtImp;

 protected:
  QWidget* Build(QWidget* parent) override;
  void ApplyText(const QString& text) override;
};

class OGTQtFieldImp : public OGTQtImp<OGTFieldImp> {
 public:
  using OGTQtImp::OGTQtImp;

  void SetText(const char* text) override;
  void GetText(char* buffer, size_t size) const override;
  void HandleKey(OGTEvent* event, bool& handled) override;
  void FocusLost(Qt::FocusReason reason) override;

  void SetTextLimit(int32_t n) override;
  int32_t GetTextLimit() const override { return limit_; }
  bool Cut() override;
  bool Copy() override;
  bool Paste() override;
  bool Clear() override;
  bool SelectAll() override;

  // The user changed the text: the item is modified and, on leaving, 22 follows.
  void UserChanged();

 protected:
  QWidget* Build(QWidget* parent) override;

 private:
  class OGTQtEdit* Edit() const;
  bool HasSelection() const;

  int32_t limit_ = kInitialTextLimit;
  bool dirty_ = false;   // changed since the last 22 (or since the text was set)
  bool edited_ = false;  // changed since the text was set: the widget holds the text
};

class OGTQtButtonImp : public OGTQtImp<OGTButtonImp> {
 public:
  using OGTQtImp::OGTQtImp;

  void SetValue(int32_t value) override;
  void SetDefault(bool flag) override;
  bool IsDefault() const override;
  void SetImages(const char* normal, const char* pressed, const char* disabled) override;

 protected:
  QWidget* Build(QWidget* parent) override;
  void ApplyText(const QString& text) override;
};

// Value 1 when checked, 0 otherwise; any non-zero value checks it.
class OGTQtRadioBtnImp : public OGTQtImp<OGTRadioBtnImp> {
 public:
  using OGTQtImp::OGTQtImp;
  void SetValue(int32_t value) override;
  void GetValue(int32_t& value) const override;

 protected:
  QWidget* Build(QWidget* parent) override;
  void ApplyText(const QString& text) override;
};

class OGTQtCheckBoxImp : public OGTQtImp<OGTCheckBoxImp> {
 public:
  using OGTQtImp::OGTQtImp;
  void SetValue(int32_t value) override;
  void GetValue(int32_t& value) const override;

 protected:
  QWidget* Build(QWidget* parent) override;
  void ApplyText(const QString& text) override;
};

// Vertical when taller than wide, else horizontal. A range of two equal values leaves no range
// (0, 0) and so no thumb. A list's own bar stays out of sight while the list has no rows or the
// bar has no range (an empty list shows no bars), though the toolkit sees it shown as it asked; a
// form's scroll bar always shows.
class OGTQtScrollBarImp : public OGTQtImp<OGTScrollBarImp> {
 public:
  static constexpr int32_t kDefaultThickness = 14;

  using OGTQtImp::OGTQtImp;
  void Create(OGTItem* item, int32_t variant) override;
  bool IsVisible() const override { return shown_; }
  void Show() override;
  void Hide() override;
  void SetSize(int32_t width, int32_t height, bool redraw) override;
  int32_t Thickness() const override;
  void SetScrollPosition(int32_t position) override;
  int32_t GetScrollPosition() const override;
  void SetRange(int32_t min, int32_t max) override;
  void GetRange(int32_t& min, int32_t& max) const override;
  void SetLineSteps(int32_t back, int32_t forward) override;
  void GetLineSteps(int32_t& back, int32_t& forward) const override;
  void SetPageSteps(int32_t back, int32_t forward) override;
  void GetPageSteps(int32_t& back, int32_t& forward) const override;

  // An action of the user on the bar.
  void Acted(int action);

 protected:
  QWidget* Build(QWidget* parent) override;

 private:
  // Shows the widget when the toolkit wants it shown and, for a list's bar, it has a range.
  void ApplyShown();

  bool shown_ = false;
  // A list's own bar rather than a form's scroll bar.
  bool listsBar_ = false;
  int32_t lineBack_ = 0;
  int32_t lineForward_ = 0;
  int32_t pageBack_ = 0;
  int32_t pageForward_ = 0;
};

// The part of the drawn controls: a surface that the item paints.
template <class Interface>
class OGTQtDrawnImp : public OGTQtImp<Interface> {
 public:
  using OGTQtImp<Interface>::OGTQtImp;
  OGTQtSurface* Surface() const override;

 protected:
  QWidget* Build(QWidget* parent) override;
  // Opaque surfaces start white and take the focus; the others are transparent.
  virtual bool Opaque() const { return false; }
};

// A horizontal line across the item at half its height.
class OGTQtLineImp : public OGTQtDrawnImp<OGTLineImp> {
 public:
  using OGTQtDrawnImp::OGTQtDrawnImp;

 protected:
  void NativeDraw(OGTContext* context) override;
};

// An ellipse inscribed in the item's bounds.
class OGTQtCircleImp : public OGTQtDrawnImp<OGTCircleImp> {
 public:
  using OGTQtDrawnImp::OGTQtDrawnImp;

 protected:
  void NativeDraw(OGTContext* context) override;
};

// Its image at its top left, in its natural size and cut to the plane; without one a frame on
// its bounds.
class OGTQtPlaneImp : public OGTQtDrawnImp<OGTPlaneImp> {
 public:
  using OGTQtDrawnImp::OGTQtDrawnImp;
  void SetImage(const char* name) override;

 protected:
  void NativeDraw(OGTContext* context) override;

 private:
  QImage image_;
};

// The surface a styled-text item draws itself on; it takes the focus and the item handles its keys.
class OGTQtStyleEditImp : public OGTQtDrawnImp<OGTStyleEditImp> {
 public:
  using OGTQtDrawnImp::OGTQtDrawnImp;

 protected:
  bool Opaque() const override { return true; }
};

// The surface a list draws itself on; it takes the focus. Tab passed on sends 72 (71 with Shift).
// The rows it inverts are shown in the highlight colours of a selection.
class OGTQtListImp : public OGTQtDrawnImp<OGTListImp> {
 public:
  using OGTQtDrawnImp::OGTQtDrawnImp;
  void HandleKey(OGTEvent* event, bool& handled) override;

 protected:
  QWidget* Build(QWidget* parent) override;
  bool Opaque() const override { return true; }
};
