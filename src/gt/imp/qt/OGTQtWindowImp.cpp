#include "gt/imp/qt/OGTQtWindowImp.h"

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QEventLoop>
#include <QKeyEvent>
#include <QLayout>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QScreen>
#include <QScrollBar>

#include "gt/OGTContext.h"
#include "gt/OGTDialog.h"
#include "gt/OGTSelectedText.h"
#include "gt/imp/OGTControlImp.h"
#include "gt/imp/qt/OGTQtContextImp.h"
#include "gt/imp/qt/OGTQtResourceImp.h"
#include "gt/imp/qt/OGTQtShared.h"
#include "gt/imp/qt/OGTQtText.h"
#include "gt/imp/qt/OGTQtWidgets.h"

namespace {

Qt::WindowFlags WindowFlags(int32_t variant, Qt::WindowType type) {
  if (variant <= 0) return type;
  Qt::WindowFlags flags = type | Qt::CustomizeWindowHint | Qt::WindowTitleHint;
  if (variant == 1) {
    flags |= Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint;
  }
  return flags;
}

}  // namespace

void OGTQtWindowImp::Create(OGTItem* item, int32_t variant) {
  OGTWindowImp::Create(item, variant);
  variant_ = variant;
  if (QMdiArea* area = shared_->Area()) {
    auto* sub = new OGTQtSubWindow(nullptr, WindowFlags(variant, Qt::SubWindow));
    client_ = new OGTQtSurface(nullptr, OGTQtSurface::kWindow, true);
    sub->setWidget(client_);
    area->addSubWindow(sub);
    sub_ = sub;
    Adopt(sub);
  } else {
    auto* top = new OGTQtTopWidget(nullptr, WindowFlags(variant, Qt::Window));
    client_ = new OGTQtSurface(top, OGTQtSurface::kWindow, true);
    top->client = client_;
    Adopt(top);
  }
  Link(client_);
  Widget()->setFont(shared_->ControlFont());
  Widget()->hide();
}

QWidget* OGTQtWindowImp::Client() const { return client_; }
OGTQtSurface* OGTQtWindowImp::Surface() const { return client_; }

QPoint OGTQtWindowImp::AreaScroll() const {
  QMdiArea* area = sub_ ? sub_->mdiArea() : nullptr;
  if (area == nullptr) return QPoint();
  return QPoint(area->horizontalScrollBar()->value(), area->verticalScrollBar()->value());
}

void OGTQtWindowImp::SetPosition(int32_t x, int32_t y, bool) {
  if (QWidget* widget = Widget()) widget->move(QPoint(x, y) - AreaScroll());
}

void OGTQtWindowImp::GetPosition(int32_t& x, int32_t& y) const {
  QWidget* widget = Widget();
  QPoint at = widget != nullptr ? widget->pos() + AreaScroll() : QPoint();
  x = at.x();
  y = at.y();
}

void OGTQtWindowImp::SetSize(int32_t width, int32_t height, bool) {
  QWidget* widget = Widget();
  if (widget == nullptr || !client_) return;
  QSize client(std::max(0, width), std::max(0, height));
  QSize total = client;
  if (sub_) {
    // The sub-window's contents margins are its frame and caption.
    QMargins frame = sub_->contentsMargins();
    total += QSize(frame.left() + frame.right(), frame.top() + frame.bottom());
  }
  if (variant_ >= 1) {
    widget->setFixedSize(total);
  } else {
    widget->resize(total);
  }
  if (sub_ && sub_->layout() != nullptr) {
    sub_->layout()->activate();
  } else {
    client_->setGeometry(QRect(QPoint(), client));
  }
}

void OGTQtWindowImp::GetSize(int32_t& width, int32_t& height) const {
  width = client_ ? client_->width() : 0;
  height = client_ ? client_->height() : 0;
}

bool OGTQtWindowImp::IsActive() const {
  if (sub_) return sub_->mdiArea() != nullptr && sub_->mdiArea()->activeSubWindow() == sub_;
  return Widget() != nullptr && Widget()->isActiveWindow();
}

void OGTQtWindowImp::Activate() {
  if (sub_ && sub_->mdiArea() != nullptr) {
    sub_->mdiArea()->setActiveSubWindow(sub_);
  } else if (QWidget* widget = Widget()) {
    widget->activateWindow();
  }
}

void OGTQtWindowImp::InvalidateAll() {
  if (!client_) return;
  client_->MarkStale();
  client_->update();
}

void OGTQtWindowImp::Update(bool) {
  if (!client_) return;
  client_->MarkStale();
  client_->repaint();
}

void OGTQtWindowImp::BringToFront() {
  QWidget* widget = Widget();
  if (widget == nullptr) return;
  widget->raise();
  Activate();
}

void OGTQtWindowImp::SetBackgroundImage(const char* name) {
  background_ = OGTQtLoadImage(name);
  InvalidateAll();
}

void OGTQtWindowImp::ApplyText(const QString& text) {
  if (QWidget* widget = Widget()) widget->setWindowTitle(text);
}

void OGTQtWindowImp::NativeDraw(OGTContext* context) {
  auto* qt = context != nullptr ? dynamic_cast<OGTQtContextImp*>(context->Imp()) : nullptr;
  if (qt != nullptr && !background_.isNull()) {
    qt->DrawImage(background_, OGTRect(0, 0, background_.height(), background_.width()));
  }
}

void OGTQtWindowImp::PaintItems(OGTContext* context) { PaintWithOwnerless(context); }

OGTItem* OGTQtWindowImp::FocusedItem() const {
  QWidget* focus = QApplication::focusWidget();
  if (focus == nullptr || !client_ || !client_->isAncestorOf(focus)) return nullptr;
  for (QWidget* w = focus; w != nullptr && w != client_; w = w->parentWidget()) {
    if (OGTQtNode* node = OfWidget(w)) return node->NodeItem();
  }
  return nullptr;
}

OGTFieldImp* OGTQtWindowImp::FocusedField() const {
  OGTItem* focused = FocusedItem();
  return focused != nullptr ? dynamic_cast<OGTFieldImp*>(focused->Imp()) : nullptr;
}

OGTSelectedText* OGTQtWindowImp::FocusedText() const {
  return dynamic_cast<OGTSelectedText*>(FocusedItem());
}

bool OGTQtWindowImp::Cut() {
  if (OGTSelectedText* text = FocusedText()) return Copy() && text->DeleteSelectedText();
  OGTFieldImp* field = FocusedField();
  return field != nullptr && field->Cut();
}

bool OGTQtWindowImp::Copy() {
  if (OGTSelectedText* text = FocusedText()) {
    std::string selected;
    if (!text->SelectedText(&selected)) return false;
    QGuiApplication::clipboard()->setText(OGTQtDisplayText(selected));
    return true;
  }
  OGTFieldImp* field = FocusedField();
  return field != nullptr && field->Copy();
}

bool OGTQtWindowImp::Paste() {
  if (OGTSelectedText* text = FocusedText()) {
    const std::string pasted = OGTQtToolkitText(QGuiApplication::clipboard()->text());
    return !pasted.empty() && text->ReplaceSelectedText(pasted);
  }
  OGTFieldImp* field = FocusedField();
  return field != nullptr && field->Paste();
}

bool OGTQtWindowImp::Clear() {
  if (OGTSelectedText* text = FocusedText()) return text->DeleteSelectedText();
  OGTFieldImp* field = FocusedField();
  return field != nullptr && field->Clear();
}

bool OGTQtWindowImp::SelectAll() {
  if (OGTSelectedText* text = FocusedText()) return text->SelectWholeText();
  OGTFieldImp* field = FocusedField();
  return field != nullptr && field->SelectAll();
}

bool OGTQtWindowImp::MouseEvent(QWidget* receiver, QMouseEvent* event) {
  // The frame and caption of the sub-window stay the platform's.
  if (receiver != client_) return false;
  return MouseWithOwnerless(receiver, event);
}

void OGTQtWindowImp::CloseRequested() { OGTItemImp::CloseAtUserRequest(this); }

OGTQtDialogImp::~OGTQtDialogImp() {
  // A wait in progress ends; it learns from the node's token that the dialog is gone.
  if (loop_ != nullptr) loop_->exit(0);
}

void OGTQtDialogImp::Create(OGTItem* item, int32_t variant) {
  OGTDialogImp::Create(item, variant);
  variant_ = variant;
  auto* top =
      new OGTQtTopWidget(shared_->Frame(), Qt::Dialog | Qt::CustomizeWindowHint |
                                               Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
  client_ = new OGTQtSurface(top, OGTQtSurface::kWindow, true);
  top->client = client_;
  Adopt(top);
  Link(client_);
  top->setFont(shared_->ControlFont());
  top->hide();
}

QWidget* OGTQtDialogImp::Client() const { return client_; }
OGTQtSurface* OGTQtDialogImp::Surface() const { return client_; }

void OGTQtDialogImp::Centre() {
  QWidget* dialog = Widget();
  if (dialog == nullptr) return;
  QWidget* frame = shared_->Frame();
  QRect over;
  if (frame != nullptr && frame->isVisible()) {
    over = frame->frameGeometry();
  } else if (QScreen* screen = QGuiApplication::primaryScreen()) {
    over = screen->availableGeometry();
  }
  QSize size = dialog->frameGeometry().size();
  dialog->move(over.center() - QPoint(size.width() / 2, size.height() / 2));
}

void OGTQtDialogImp::SetPosition(int32_t x, int32_t y, bool) {
  QWidget* dialog = Widget();
  if (dialog == nullptr) return;
  if (variant_ & 2) {
    centred_ = true;
    Centre();
  } else {
    dialog->move(x, y);
  }
}

void OGTQtDialogImp::SetSize(int32_t width, int32_t height, bool) {
  QWidget* dialog = Widget();
  if (dialog == nullptr || !client_) return;
  QSize size(std::max(0, width), std::max(0, height));
  dialog->setFixedSize(size);
  client_->setGeometry(QRect(QPoint(), size));
  if (centred_) Centre();
}

void OGTQtDialogImp::GetPosition(int32_t& x, int32_t& y) const {
  QWidget* dialog = Widget();
  x = dialog != nullptr ? dialog->x() : 0;
  y = dialog != nullptr ? dialog->y() : 0;
}

void OGTQtDialogImp::GetSize(int32_t& width, int32_t& height) const {
  width = client_ ? client_->width() : 0;
  height = client_ ? client_->height() : 0;
}

bool OGTQtDialogImp::IsActive() const { return Widget() != nullptr && Widget()->isActiveWindow(); }

void OGTQtDialogImp::Activate() {
  if (QWidget* dialog = Widget()) {
    dialog->raise();
    dialog->activateWindow();
  }
}

void OGTQtDialogImp::InvalidateAll() {
  if (!client_) return;
  client_->MarkStale();
  client_->update();
}

void OGTQtDialogImp::Update(bool) {
  if (!client_) return;
  client_->MarkStale();
  client_->repaint();
}

void OGTQtDialogImp::ApplyText(const QString& text) {
  if (QWidget* dialog = Widget()) dialog->setWindowTitle(text);
}

void OGTQtDialogImp::PaintItems(OGTContext* context) { PaintWithOwnerless(context); }

void OGTQtDialogImp::BeginModal() {
  QWidget* dialog = Widget();
  if (modal_ || dialog == nullptr) return;
  modal_ = true;
  previousFocus_ = QApplication::focusWidget();
  // Qt changes the modality of a window only while it is hidden.
  bool shown = !dialog->isHidden();
  if (shown) dialog->hide();
  dialog->setWindowModality(Qt::ApplicationModal);
  if (shown) {
    dialog->show();
    Activate();
  }
}

bool OGTQtDialogImp::RunUntilEvent() {
  if (shared_->Quitting()) return false;
  std::shared_ptr<OGTQtShared> shared = shared_;
  std::weak_ptr<bool> alive = AliveToken();
  QEventLoop loop;
  stopped_ = false;
  loop_ = &loop;
  int exitCode = loop.exec();
  if (alive.expired()) return false;  // the dialog went during the wait
  loop_ = nullptr;
  if (stopped_) return true;
  shared->QuitDuringWait(exitCode);
  return false;
}

void OGTQtDialogImp::StopWaiting() {
  stopped_ = true;
  if (loop_ != nullptr) loop_->exit(0);
}

void OGTQtDialogImp::EndModal() {
  QWidget* dialog = Widget();
  if (!modal_ || dialog == nullptr) return;
  modal_ = false;
  bool wasActive = dialog->isActiveWindow();
  dialog->hide();
  dialog->setWindowModality(Qt::NonModal);
  if (wasActive) {
    if (QWidget* owner = shared_->Frame()) owner->activateWindow();
  }
  if (previousFocus_) previousFocus_->setFocus(Qt::OtherFocusReason);
  previousFocus_ = nullptr;
}

void OGTQtDialogImp::BringToFront() { Activate(); }

bool OGTQtDialogImp::Press(OGTItem* button) {
  OGTQtNode* node = Of(button);
  auto* native = node != nullptr ? dynamic_cast<QAbstractButton*>(node->Widget()) : nullptr;
  if (native == nullptr || !native->isEnabled() || !native->isVisible()) return false;
  native->click();
  return true;
}

bool OGTQtDialogImp::DialogKey(QKeyEvent* event) {
  auto* dialog = dynamic_cast<OGTDialog*>(Item());
  if (dialog == nullptr) return false;
  switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
      return Press(dialog->DefaultButton());
    case Qt::Key_Escape:
      return Press(dialog->CancelButton());
    default:
      return false;
  }
}

bool OGTQtDialogImp::MouseEvent(QWidget* receiver, QMouseEvent* event) {
  if (receiver != client_) return false;
  return MouseWithOwnerless(receiver, event);
}

void OGTQtDialogImp::CloseRequested() {
  // The maker of a modal dialog owns it: closing it means cancelling it.
  auto* dialog = dynamic_cast<OGTDialog*>(Item());
  if (dialog != nullptr && Press(dialog->CancelButton())) return;
  if (!modal_) OGTItemImp::CloseAtUserRequest(this);
}
