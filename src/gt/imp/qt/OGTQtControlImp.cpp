#include "gt/imp/qt/OGTQtControlImp.h"

#include <algorithm>
#include <cstdlib>

#include <QClipboard>
#include <QGuiApplication>
#include <QStyle>

#include "gt/OGTContext.h"
#include "gt/OGTEvent.h"
#include "gt/OGTItem.h"
#include "gt/OGTList.h"
#include "gt/imp/qt/OGTQtContextImp.h"
#include "gt/imp/qt/OGTQtResourceImp.h"
#include "gt/imp/qt/OGTQtText.h"
#include "gt/imp/qt/OGTQtWidgets.h"

namespace {

// The node of a widget as the implementation class it belongs to, or null once it is gone.
template <class Imp>
Imp* NodeOf(QWidget* widget) {
  return dynamic_cast<Imp*>(OGTQtNode::OfWidget(widget));
}

}  // namespace

QWidget* OGTQtLabelImp::Build(QWidget* parent) {
  auto* label = new OGTQtLabel(parent);
  label->setTextFormat(Qt::PlainText);
  label->setWordWrap(true);
  label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  return label;
}

void OGTQtLabelImp::ApplyText(const QString& text) {
  if (auto* widget = static_cast<QLabel*>(Widget())) widget->setText(text);
}

QWidget* OGTQtFieldImp::Build(QWidget* parent) {
  auto* edit = new OGTQtEdit(parent);
  edit->SetLimit(static_cast<size_t>(limit_));
  edit->onUserChange = [edit] {
    if (auto* field = NodeOf<OGTQtFieldImp>(edit)) field->UserChanged();
  };
  return edit;
}

OGTQtEdit* OGTQtFieldImp::Edit() const { return static_cast<OGTQtEdit*>(Widget()); }

void OGTQtFieldImp::SetText(const char* text) {
  text_ = text != nullptr ? text : "";
  dirty_ = edited_ = false;
  if (OGTQtEdit* edit = Edit()) edit->SetTextQuietly(OGTQtDisplayText(text_));
}

void OGTQtFieldImp::GetText(char* buffer, size_t size) const {
  if (edited_ && Edit() != nullptr) {
    OGTQtCopyOut(OGTQtToolkitText(Edit()->toPlainText()), buffer, size);
  } else {
    OGTQtCopyOut(text_, buffer, size);
  }
}

void OGTQtFieldImp::UserChanged() {
  dirty_ = edited_ = true;
  if (Item() != nullptr) Item()->SetModified(true);
}

void OGTQtFieldImp::FocusLost(Qt::FocusReason reason) {
  // A pop-up menu of the field itself takes the focus only for a moment.
  if (reason == Qt::PopupFocusReason || !dirty_) return;
  dirty_ = false;
  Notify(kOGTEventChanged);
}

void OGTQtFieldImp::HandleKey(OGTEvent* event, bool& handled) {
  handled = false;
  if (event == nullptr || event->Type() != kOGTKeyDown) return;
  switch (event->Key()) {
    case kOGTKeyReturn:
    case kOGTKeyEnter:
      if (variant_ & 1) return;  // the edit inserts the line break
      handled = true;
      Notify(kOGTEventReturn);
      return;
    case kOGTKeyTab:
      handled = true;
      Notify(event->HasModifier(kOGTShift) ? kOGTEventFocusPrevious : kOGTEventFocusNext);
      return;
    default:
      return;
  }
}

void OGTQtFieldImp::SetTextLimit(int32_t n) {
  limit_ = (n <= 0 || n > kMaxTextLimit) ? kMaxTextLimit : n;
  if (OGTQtEdit* edit = Edit()) edit->SetLimit(static_cast<size_t>(limit_));
}

bool OGTQtFieldImp::HasSelection() const {
  return Edit() != nullptr && Edit()->textCursor().hasSelection();
}

bool OGTQtFieldImp::Cut() {
  if (!HasSelection()) return false;
  Edit()->cut();
  return true;
}

bool OGTQtFieldImp::Copy() {
  if (!HasSelection()) return false;
  Edit()->copy();
  return true;
}

bool OGTQtFieldImp::Paste() {
  if (Edit() == nullptr || QGuiApplication::clipboard()->text().isEmpty()) return false;
  Edit()->paste();
  return true;
}

bool OGTQtFieldImp::Clear() {
  if (!HasSelection()) return false;
  QTextCursor cursor = Edit()->textCursor();
  cursor.removeSelectedText();
  Edit()->setTextCursor(cursor);
  return true;
}

bool OGTQtFieldImp::SelectAll() {
  if (Edit() == nullptr) return false;
  Edit()->selectAll();
  Edit()->ensureCursorVisible();
  return true;
}

QWidget* OGTQtButtonImp::Build(QWidget* parent) {
  auto* button = new OGTQtButton(parent);
  button->variant = variant_;
  QObject::connect(button, &QAbstractButton::clicked, button, [button] {
    if (auto* imp = NodeOf<OGTQtButtonImp>(button)) imp->Notify(kOGTEventButtonPressed);
  });
  return button;
}

void OGTQtButtonImp::ApplyText(const QString& text) {
  if (auto* widget = static_cast<QPushButton*>(Widget())) widget->setText(text);
}

void OGTQtButtonImp::SetValue(int32_t value) {
  value_ = value;
  if (auto* button = static_cast<OGTQtButton*>(Widget())) {
    button->value = value;
    button->update();
  }
}

void OGTQtButtonImp::SetDefault(bool flag) {
  if (auto* button = static_cast<QPushButton*>(Widget())) button->setDefault(flag);
}

bool OGTQtButtonImp::IsDefault() const {
  auto* button = static_cast<QPushButton*>(Widget());
  return button != nullptr && button->isDefault();
}

void OGTQtButtonImp::SetImages(const char* normal, const char* pressed, const char* disabled) {
  auto* button = static_cast<OGTQtButton*>(Widget());
  if (button == nullptr) return;
  button->images[0] = OGTQtLoadImage(normal);
  button->images[1] = OGTQtLoadImage(pressed);
  button->images[2] = OGTQtLoadImage(disabled);
  button->update();
}

QWidget* OGTQtRadioBtnImp::Build(QWidget* parent) {
  auto* radio = new OGTQtRadio(parent);
  QObject::connect(radio, &QAbstractButton::clicked, radio, [radio] {
    if (auto* imp = NodeOf<OGTQtRadioBtnImp>(radio)) imp->Notify(kOGTEventRadioPressed);
  });
  return radio;
}

void OGTQtRadioBtnImp::ApplyText(const QString& text) {
  if (auto* widget = static_cast<QRadioButton*>(Widget())) widget->setText(text);
}

void OGTQtRadioBtnImp::SetValue(int32_t value) {
  if (auto* radio = static_cast<QRadioButton*>(Widget())) radio->setChecked(value != 0);
}

void OGTQtRadioBtnImp::GetValue(int32_t& value) const {
  auto* radio = static_cast<QRadioButton*>(Widget());
  value = radio != nullptr && radio->isChecked() ? 1 : 0;
}

QWidget* OGTQtCheckBoxImp::Build(QWidget* parent) {
  auto* check = new OGTQtCheck(parent);
  QObject::connect(check, &QAbstractButton::clicked, check, [check] {
    if (auto* imp = NodeOf<OGTQtCheckBoxImp>(check)) imp->Notify(kOGTEventCheckPressed);
  });
  return check;
}

void OGTQtCheckBoxImp::ApplyText(const QString& text) {
  if (auto* widget = static_cast<QCheckBox*>(Widget())) widget->setText(text);
}

void OGTQtCheckBoxImp::SetValue(int32_t value) {
  if (auto* check = static_cast<QCheckBox*>(Widget())) check->setChecked(value != 0);
}

void OGTQtCheckBoxImp::GetValue(int32_t& value) const {
  auto* check = static_cast<QCheckBox*>(Widget());
  value = check != nullptr && check->isChecked() ? 1 : 0;
}

QWidget* OGTQtScrollBarImp::Build(QWidget* parent) {
  auto* bar = new OGTQtScrollBar(Qt::Vertical, parent);
  bar->setRange(0, 0);
  bar->setFocusPolicy(Qt::NoFocus);
  QObject::connect(bar, &QAbstractSlider::actionTriggered, bar, [bar](int action) {
    if (auto* imp = NodeOf<OGTQtScrollBarImp>(bar)) imp->Acted(action);
  });
  return bar;
}

void OGTQtScrollBarImp::Create(OGTItem* item, int32_t variant) {
  OGTQtImp::Create(item, variant);
  listsBar_ = item != nullptr && dynamic_cast<OGTList*>(item->Parent()) != nullptr;
}

void OGTQtScrollBarImp::Show() {
  shown_ = true;
  ApplyShown();
}

void OGTQtScrollBarImp::Hide() {
  shown_ = false;
  ApplyShown();
}

void OGTQtScrollBarImp::ApplyShown() {
  auto* bar = static_cast<QScrollBar*>(Widget());
  if (bar == nullptr) return;
  // The list is asked each time: while it is being deleted it is a list no more.
  OGTItem* item = Item();
  auto* list = item != nullptr ? dynamic_cast<OGTList*>(item->Parent()) : nullptr;
  bool needed =
      !listsBar_ || (list != nullptr && list->RowCount() > 0 && bar->maximum() > bar->minimum());
  bar->setVisible(shown_ && needed);
}

void OGTQtScrollBarImp::Acted(int action) {
  auto* bar = static_cast<QScrollBar*>(Widget());
  int32_t code = 0;
  switch (action) {
    case QAbstractSlider::SliderSingleStepSub:
      code = kOGTEventLineBack;
      break;
    case QAbstractSlider::SliderSingleStepAdd:
      code = kOGTEventLineForward;
      break;
    case QAbstractSlider::SliderPageStepSub:
      code = kOGTEventPageBack;
      break;
    case QAbstractSlider::SliderPageStepAdd:
      code = kOGTEventPageForward;
      break;
    case QAbstractSlider::SliderMove:
    case QAbstractSlider::SliderToMinimum:
    case QAbstractSlider::SliderToMaximum:
      Notify(kOGTEventThumb);
      return;
    default:
      return;
  }
  // Steps move the content: the toolkit sets the position that goes with it.
  bar->setSliderPosition(bar->value());
  Notify(code);
}

void OGTQtScrollBarImp::SetSize(int32_t width, int32_t height, bool redraw) {
  if (auto* bar = static_cast<QScrollBar*>(Widget())) {
    bar->setOrientation(height > width ? Qt::Vertical : Qt::Horizontal);
  }
  OGTQtImp::SetSize(width, height, redraw);
}

int32_t OGTQtScrollBarImp::Thickness() const {
  QWidget* bar = Widget();
  int extent =
      bar != nullptr ? bar->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, bar) : 0;
  return extent > 0 ? extent : kDefaultThickness;
}

void OGTQtScrollBarImp::SetScrollPosition(int32_t position) {
  if (auto* bar = static_cast<QScrollBar*>(Widget())) bar->setValue(position);
}

int32_t OGTQtScrollBarImp::GetScrollPosition() const {
  // While the user drags, the thumb's position is ahead of the bar's value.
  auto* bar = static_cast<QScrollBar*>(Widget());
  return bar != nullptr ? bar->sliderPosition() : 0;
}

void OGTQtScrollBarImp::SetRange(int32_t min, int32_t max) {
  auto* bar = static_cast<QScrollBar*>(Widget());
  if (bar == nullptr) return;
  if (max <= min) min = max = 0;
  bar->setRange(min, max);
  ApplyShown();
}

void OGTQtScrollBarImp::GetRange(int32_t& min, int32_t& max) const {
  auto* bar = static_cast<QScrollBar*>(Widget());
  min = bar != nullptr ? bar->minimum() : 0;
  max = bar != nullptr ? bar->maximum() : 0;
}

void OGTQtScrollBarImp::SetLineSteps(int32_t back, int32_t forward) {
  lineBack_ = back;
  lineForward_ = forward;
  if (auto* bar = static_cast<QScrollBar*>(Widget()))
    bar->setSingleStep(std::max(1, std::abs(forward)));
}

void OGTQtScrollBarImp::GetLineSteps(int32_t& back, int32_t& forward) const {
  back = lineBack_;
  forward = lineForward_;
}

void OGTQtScrollBarImp::SetPageSteps(int32_t back, int32_t forward) {
  pageBack_ = back;
  pageForward_ = forward;
  if (auto* bar = static_cast<QScrollBar*>(Widget()))
    bar->setPageStep(std::max(1, std::abs(forward)));
}

void OGTQtScrollBarImp::GetPageSteps(int32_t& back, int32_t& forward) const {
  back = pageBack_;
  forward = pageForward_;
}

template <class Interface>
OGTQtSurface* OGTQtDrawnImp<Interface>::Surface() const {
  return static_cast<OGTQtSurface*>(this->Widget());
}

template <class Interface>
QWidget* OGTQtDrawnImp<Interface>::Build(QWidget* parent) {
  auto* surface =
      new OGTQtSurface(parent, Opaque() ? OGTQtSurface::kWhite : OGTQtSurface::kTransparent, false);
  surface->setFocusPolicy(Opaque() ? Qt::StrongFocus : Qt::NoFocus);
  return surface;
}

template class OGTQtDrawnImp<OGTLineImp>;
template class OGTQtDrawnImp<OGTCircleImp>;
template class OGTQtDrawnImp<OGTPlaneImp>;
template class OGTQtDrawnImp<OGTListImp>;
template class OGTQtDrawnImp<OGTStyleEditImp>;

void OGTQtLineImp::NativeDraw(OGTContext* context) {
  if (context == nullptr) return;
  OGTRect bounds = Bounds();
  int32_t y = bounds.Top() + bounds.Height() / 2;
  context->DrawLine(OGTPoint(bounds.Left(), y), OGTPoint(bounds.Right(), y));
}

void OGTQtCircleImp::NativeDraw(OGTContext* context) {
  if (context != nullptr) context->FrameFillEllipse(Bounds());
}

void OGTQtPlaneImp::SetImage(const char* name) {
  image_ = OGTQtLoadImage(name);
  InvalidateAll();
}

void OGTQtPlaneImp::NativeDraw(OGTContext* context) {
  if (context == nullptr) return;
  auto* qt = dynamic_cast<OGTQtContextImp*>(context->Imp());
  if (image_.isNull() || qt == nullptr) {
    context->FrameRect(Bounds());
    return;
  }
  qt->DrawImage(image_, Bounds());
}

QWidget* OGTQtListImp::Build(QWidget* parent) {
  QWidget* widget = OGTQtDrawnImp::Build(parent);
  // Only the toolkit's list gives inverting the meaning of a selection.
  static_cast<OGTQtSurface*>(widget)->SetListSurface(dynamic_cast<OGTList*>(Item()) != nullptr);
  return widget;
}

void OGTQtListImp::HandleKey(OGTEvent* event, bool& handled) {
  handled = false;
  if (event == nullptr || event->Type() != kOGTKeyDown || event->Key() != kOGTKeyTab) return;
  handled = true;
  Notify(event->HasModifier(kOGTShift) ? kOGTEventFocusPrevious : kOGTEventFocusNext);
}
