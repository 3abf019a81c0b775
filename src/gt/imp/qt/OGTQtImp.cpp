#include "gt/imp/qt/OGTQtImp.h"

#include <algorithm>

#include <QApplication>
#include <QCursor>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleHints>
#include <QWidget>

#include "gt/OGTCompositItem.h"
#include "gt/OGTContext.h"
#include "gt/OGTEvent.h"
#include "gt/OGTGraphics.h"
#include "gt/imp/OGTControlImp.h"
#include "gt/imp/OGTGuard.h"
#include "gt/imp/OGTWindowImp.h"
#include "gt/imp/qt/OGTQtContextImp.h"
#include "gt/imp/qt/OGTQtInput.h"
#include "gt/imp/qt/OGTQtShared.h"
#include "gt/imp/qt/OGTQtText.h"
#include "gt/imp/qt/OGTQtWidgets.h"

OGTQtNode::OGTQtNode(std::shared_ptr<OGTQtShared> shared) : shared_(std::move(shared)) {}

OGTQtNode::~OGTQtNode() {
  *alive_ = false;
  for (const QPointer<QWidget>& widget : linked_) {
    if (auto* linked = dynamic_cast<OGTQtLinked*>(widget.data())) linked->SetNode(nullptr);
  }
  if (widget_) {
    widget_->hide();
    widget_->deleteLater();
  }
}

void OGTQtNode::Adopt(QWidget* widget) {
  widget_ = widget;
  Link(widget);
}

void OGTQtNode::Link(QWidget* widget) {
  if (auto* linked = dynamic_cast<OGTQtLinked*>(widget)) linked->SetNode(this);
  linked_.emplace_back(widget);
}

OGTQtNode* OGTQtNode::Of(const OGTItem* item) {
  return item != nullptr ? Of(item->Imp()) : nullptr;
}

OGTQtNode* OGTQtNode::Of(OGTItemImp* imp) { return dynamic_cast<OGTQtNode*>(imp); }

OGTQtNode* OGTQtNode::OfWidget(QWidget* widget) {
  auto* linked = dynamic_cast<OGTQtLinked*>(widget);
  return linked != nullptr ? linked->Node() : nullptr;
}

QWidget* OGTQtNode::ParentClient() const {
  const OGTItem* item = const_cast<OGTQtNode*>(this)->NodeItem();
  if (item == nullptr) return nullptr;
  for (const OGTItem* up = item->Parent(); up != nullptr; up = up->Parent()) {
    if (OGTQtNode* node = Of(up)) return node->Client();
  }
  return nullptr;
}

QPoint OGTQtNode::MouseInWindow() const {
  OGTQtSurface* client = widget_ ? OGTQtClientOf(Client()) : nullptr;
  return client != nullptr ? client->mapFromGlobal(QCursor::pos()) : QPoint();
}

std::unique_ptr<OGTContext> OGTQtNode::EventContext() {
  auto imp = std::make_unique<OGTQtContextImp>(shared_);
  OGTQtSurface* surface = Surface();
  if (surface == nullptr && widget_) surface = OGTQtClientOf(widget_);
  imp->AttachSurface(surface);
  return std::make_unique<OGTContext>(std::move(imp));
}

bool OGTQtNode::KeyPressed(QKeyEvent* event) {
  // Modifier keys alone are no input for the toolkit; they reach it as modifier bits.
  switch (event->key()) {
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Alt:
    case Qt::Key_AltGr:
    case Qt::Key_Meta:
    case Qt::Key_CapsLock:
    case Qt::Key_NumLock:
      return false;
    default:
      break;
  }
  OGTEvent key;
  OGTQtKeyEvent(key, *event, MouseInWindow());
  std::unique_ptr<OGTContext> context = EventContext();
  key.SetContext(context.get());
  bool handled = false;
  AsImp().KeyCallback(&key, handled);
  return handled;
}

bool OGTQtNode::TranslateMouse(QWidget* receiver, QMouseEvent* event, OGTEvent& out) {
  QPoint at = OGTQtWindowOrigin(receiver) + event->position().toPoint();
  int16_t count = 1;
  if (event->type() == QEvent::MouseButtonDblClick) {
    // Qt follows the second press with a double-click event; the press already counted. Without
    // that press (events made by a program) the double click stands for it.
    bool counted = secondPressSeen_;
    secondPressSeen_ = false;
    lastPressSingle_ = false;
    pressCount_ = 2;
    if (counted) return false;
    return OGTQtMouseEvent(out, *event, at, 2);
  }
  if (event->type() == QEvent::MouseButtonPress) {
    uint64_t now = event->timestamp();
    int distance = QApplication::styleHints()->mouseDoubleClickDistance();
    bool second = lastPressSingle_ &&
                  now - lastPress_ <= static_cast<uint64_t>(QApplication::doubleClickInterval()) &&
                  (at - lastPressAt_).manhattanLength() <= distance;
    count = second ? 2 : 1;
    lastPress_ = now;
    lastPressAt_ = at;
    lastPressSingle_ = !second;
    secondPressSeen_ = second;
    pressCount_ = count;
  } else {
    // The moves and the release of a press belong to it: the release that ends a double click
    // counts 2.
    count = pressCount_;
  }
  return OGTQtMouseEvent(out, *event, at, count);
}

bool OGTQtNode::MouseEvent(QWidget* receiver, QMouseEvent* event) {
  bool drawn = Surface() != nullptr;
  OGTEvent mouse;
  if (!TranslateMouse(receiver, event, mouse)) return drawn;
  std::unique_ptr<OGTContext> context = EventContext();
  mouse.SetContext(context.get());
  AsImp().MouseCallback(&mouse);
  return drawn;
}

void OGTQtNode::PaintSurface(QPainter& painter, OGTQtSurface* surface) {
  painter.translate(-OGTQtWindowOrigin(surface));
  auto imp = std::make_unique<OGTQtContextImp>(shared_);
  imp->AttachPainter(&painter, surface);
  OGTContext context(std::move(imp));
  PaintItems(&context);
}

void OGTQtNode::PaintItems(OGTContext* context) { AsImp().PaintCallback(context); }

namespace {

void DrawOwnerless(OGTItem* item, OGTContext* context) {
  auto* composite = dynamic_cast<OGTCompositItem*>(item);
  if (composite == nullptr) return;
  for (int32_t i = 0; i < composite->ChildCount(); ++i) {
    OGTItem* child = composite->ChildAt(i);
    if (child->Imp() != nullptr) continue;
    child->Draw(context);
    DrawOwnerless(child, context);
  }
}

// The topmost, innermost item without a platform side whose bounds hold the point.
OGTItem* OwnerlessAt(OGTItem* item, const OGTPoint& point) {
  auto* composite = dynamic_cast<OGTCompositItem*>(item);
  if (composite == nullptr) return nullptr;
  for (int32_t i = composite->ChildCount() - 1; i >= 0; --i) {
    OGTItem* child = composite->ChildAt(i);
    if (child->Imp() != nullptr) continue;
    if (OGTItem* inner = OwnerlessAt(child, point)) return inner;
    OGTRect bounds;
    child->GetBounds(bounds);
    if (!bounds.IsEmpty(true) && bounds.Contains(point)) return child;
  }
  return nullptr;
}

}  // namespace

void OGTQtNode::PaintWithOwnerless(OGTContext* context) {
  AsImp().PaintCallback(context);
  if (OGTItem* item = NodeItem()) {
    OGTGuarded(
        "paint", [&] { DrawOwnerless(item, context); }, true);
  }
}

bool OGTQtNode::MouseWithOwnerless(QWidget* receiver, QMouseEvent* event) {
  OGTEvent mouse;
  if (!TranslateMouse(receiver, event, mouse)) return true;
  std::unique_ptr<OGTContext> context = EventContext();
  mouse.SetContext(context.get());
  OGTItem* target = NodeItem() != nullptr ? OwnerlessAt(NodeItem(), mouse.Point()) : nullptr;
  if (target != nullptr) {
    OGTGuarded("mouse", [&] { target->OnMouse(&mouse); });
  } else {
    AsImp().MouseCallback(&mouse);
  }
  return true;
}

template <class Interface>
void OGTQtImp<Interface>::Create(OGTItem* item, int32_t variant) {
  Interface::Create(item, variant);
  variant_ = variant;
  QWidget* widget = Build(ParentClient());
  Adopt(widget);
  widget->setFont(shared_->ControlFont());
  widget->hide();
  widget->setEnabled(false);
}

template <class Interface>
OGTRect OGTQtImp<Interface>::Bounds() const {
  int32_t x, y, width, height;
  GetPosition(x, y);
  GetSize(width, height);
  return OGTRect(y, x, y + height, x + width);
}

template <class Interface>
void OGTQtImp<Interface>::SetPosition(int32_t x, int32_t y, bool) {
  QWidget* widget = Widget();
  if (widget == nullptr) return;
  QWidget* parent = widget->parentWidget();
  QPoint origin = parent != nullptr ? OGTQtWindowOrigin(parent) : QPoint();
  widget->move(QPoint(x, y) - origin);
}

template <class Interface>
void OGTQtImp<Interface>::GetPosition(int32_t& x, int32_t& y) const {
  QWidget* widget = Widget();
  QPoint at;
  if (widget != nullptr) {
    at = OGTQtClientOf(widget) != nullptr ? OGTQtWindowOrigin(widget) : widget->pos();
  }
  x = at.x();
  y = at.y();
}

template <class Interface>
void OGTQtImp<Interface>::SetSize(int32_t width, int32_t height, bool) {
  if (QWidget* widget = Widget()) widget->resize(std::max(0, width), std::max(0, height));
}

template <class Interface>
void OGTQtImp<Interface>::GetSize(int32_t& width, int32_t& height) const {
  QWidget* widget = Widget();
  width = widget != nullptr ? widget->width() : 0;
  height = widget != nullptr ? widget->height() : 0;
}

template <class Interface>
bool OGTQtImp<Interface>::IsVisible() const {
  return Widget() != nullptr && !Widget()->isHidden();
}

template <class Interface>
void OGTQtImp<Interface>::Show() {
  if (QWidget* widget = Widget()) widget->show();
}

template <class Interface>
void OGTQtImp<Interface>::Hide() {
  if (QWidget* widget = Widget()) widget->hide();
}

template <class Interface>
bool OGTQtImp<Interface>::IsEnabled() const {
  return Widget() != nullptr && !Widget()->testAttribute(Qt::WA_ForceDisabled);
}

template <class Interface>
void OGTQtImp<Interface>::Enable() {
  if (QWidget* widget = Widget()) widget->setEnabled(true);
}

template <class Interface>
void OGTQtImp<Interface>::Disable() {
  if (QWidget* widget = Widget()) widget->setEnabled(false);
}

template <class Interface>
void OGTQtImp<Interface>::SetText(const char* text) {
  text_ = text != nullptr ? text : "";
  ApplyText(OGTQtDisplayText(text_));
}

template <class Interface>
void OGTQtImp<Interface>::GetText(char* buffer, size_t size) const {
  OGTQtCopyOut(text_, buffer, size);
}

template <class Interface>
void OGTQtImp<Interface>::SetFont(const OGTFont& font) {
  Interface::SetFont(font);
  QWidget* widget = Widget();
  if (widget == nullptr) return;
  widget->setFont(OGTQtControlFont(font));
  QPalette colours = widget->palette();
  QColor text = QColor::fromRgb(font.Color().Value() & 0xFFFFFFu);
  for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}) {
    colours.setColor(role, text);
  }
  widget->setPalette(colours);
}

template <class Interface>
void OGTQtImp<Interface>::Invalidate(const OGTRect&) {
  InvalidateAll();
}

template <class Interface>
void OGTQtImp<Interface>::InvalidateAll() {
  if (OGTQtSurface* surface = Surface()) surface->MarkStale();
  if (QWidget* widget = Widget()) widget->update();
}

template <class Interface>
void OGTQtImp<Interface>::Update(bool) {
  if (OGTQtSurface* surface = Surface()) surface->MarkStale();
  if (QWidget* widget = Widget()) widget->repaint();
}

template <class Interface>
void OGTQtImp<Interface>::ScrollContents(const OGTRect&, int32_t, int32_t, bool) {
  // The picture is drawn anew from the item's own state, which already holds the new offsets.
  InvalidateAll();
}

template <class Interface>
bool OGTQtImp<Interface>::CanTakeFocus() const {
  QWidget* widget = Widget();
  if (widget == nullptr || widget->focusPolicy() == Qt::NoFocus) return false;
  if (!widget->isEnabled() || !widget->isVisible()) return false;
  // Only the innermost modal dialog takes input.
  QWidget* modal = QApplication::activeModalWidget();
  return modal == nullptr || modal == widget->window() || modal->isAncestorOf(widget);
}

template <class Interface>
void OGTQtImp<Interface>::TakeFocus() {
  if (CanTakeFocus()) Widget()->setFocus(Qt::OtherFocusReason);
}

template <class Interface>
void OGTQtImp<Interface>::ChildAdded(OGTItemImp* child, int32_t position) {
  OGTQtNode* node = Of(child);
  QWidget* client = Client();
  QWidget* widget = node != nullptr ? node->Widget() : nullptr;
  if (widget == nullptr || client == nullptr || node->IsTopLevel()) return;
  if (widget->parentWidget() != client) {
    // The child keeps its place in window coordinates.
    QPoint at = widget->parentWidget() != nullptr ? OGTQtWindowOrigin(widget) : widget->pos();
    bool hidden = widget->isHidden();
    widget->setParent(client);
    widget->move(at - OGTQtWindowOrigin(client));
    if (!hidden) widget->show();
  }
  // Later children lie above earlier ones.
  auto* composite = dynamic_cast<OGTCompositItem*>(this->Item());
  OGTQtNode* next = composite != nullptr ? Of(composite->ChildAt(position + 1)) : nullptr;
  if (next != nullptr && next->Widget() != nullptr && next->Widget()->parentWidget() == client) {
    widget->stackUnder(next->Widget());
  } else {
    widget->raise();
  }
}

template class OGTQtImp<OGTWindowImp>;
template class OGTQtImp<OGTDialogImp>;
template class OGTQtImp<OGTLineImp>;
template class OGTQtImp<OGTPlaneImp>;
template class OGTQtImp<OGTCircleImp>;
template class OGTQtImp<OGTLabelImp>;
template class OGTQtImp<OGTFieldImp>;
template class OGTQtImp<OGTButtonImp>;
template class OGTQtImp<OGTRadioBtnImp>;
template class OGTQtImp<OGTCheckBoxImp>;
template class OGTQtImp<OGTListImp>;
template class OGTQtImp<OGTStyleEditImp>;
template class OGTQtImp<OGTScrollBarImp>;
