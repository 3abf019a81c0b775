#include "gt/imp/qt/OGTQtWidgets.h"

#include <algorithm>

#include <QApplication>
#include <QCloseEvent>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include "gt/imp/OGTPlatformRules.h"
#include "gt/imp/qt/OGTQtImp.h"
#include "gt/imp/qt/OGTQtText.h"

bool OGTQtFilterEvent(QWidget* widget, OGTQtLinked* linked, QEvent* event) {
  OGTQtNode* node = linked->Node();
  if (node == nullptr) return false;
  switch (event->type()) {
    case QEvent::KeyPress:
      // A key a control left alone travels up to the window; only controls see keys.
      if (widget->focusPolicy() == Qt::NoFocus || node->IsTopLevel()) return false;
      return node->KeyPressed(static_cast<QKeyEvent*>(event));
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseMove:
      return node->MouseEvent(widget, static_cast<QMouseEvent*>(event));
    case QEvent::FocusOut:
      node->FocusLost(static_cast<QFocusEvent*>(event)->reason());
      return false;
    default:
      return false;
  }
}

OGTQtSurface::OGTQtSurface(QWidget* parent, Fill fill, bool client)
    : OGTQtWidget(parent), fill_(fill), client_(client) {
  setAttribute(Qt::WA_OpaquePaintEvent, fill != kTransparent);
}

QImage& OGTQtSurface::Picture() {
  QSize pixels = size() * devicePixelRatioF();
  if (stale_ || picture_.size() != pixels) Redraw();
  return picture_;
}

void OGTQtSurface::Redraw() {
  if (drawing_) return;  // an item that asks for a repaint while it draws gets this one
  drawing_ = true;
  stale_ = false;
  qreal ratio = devicePixelRatioF();
  QSize pixels = size() * ratio;
  if (pixels.isEmpty()) {
    picture_ = QImage();
    drawing_ = false;
    return;
  }
  if (picture_.size() != pixels) {
    picture_ = QImage(pixels, QImage::Format_ARGB32_Premultiplied);
  }
  picture_.setDevicePixelRatio(ratio);
  switch (fill_) {
    case kTransparent:
      picture_.fill(Qt::transparent);
      break;
    case kWhite:
      picture_.fill(Qt::white);
      break;
    case kWindow:
      picture_.fill(palette().color(QPalette::Window));
      break;
  }
  if (OGTQtNode* node = Node()) {
    QPainter painter(&picture_);
    node->PaintSurface(painter, this);
  }
  drawing_ = false;
}

void OGTQtSurface::paintEvent(QPaintEvent*) {
  QImage& picture = Picture();
  if (picture.isNull()) return;
  QPainter painter(this);
  painter.drawImage(QPoint(0, 0), picture);
}

void OGTQtSurface::resizeEvent(QResizeEvent* event) {
  stale_ = true;
  QWidget::resizeEvent(event);
}

OGTQtSurface* OGTQtClientOf(QWidget* widget) {
  for (QWidget* w = widget; w != nullptr; w = w->parentWidget()) {
    auto* surface = dynamic_cast<OGTQtSurface*>(w);
    if (surface != nullptr && surface->IsClient()) return surface;
  }
  return nullptr;
}

QPoint OGTQtWindowOrigin(QWidget* widget) {
  OGTQtSurface* client = OGTQtClientOf(widget);
  if (client == nullptr || client == widget) return QPoint();
  return widget->mapTo(client, QPoint());
}

OGTQtEdit::OGTQtEdit(QWidget* parent) : OGTQtWidget(parent) {
  setLineWrapMode(QPlainTextEdit::WidgetWidth);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  // The edit scrolls with its caret, without a bar, so that one-line fields stay one line high.
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  document()->setDocumentMargin(2);
  setTabChangesFocus(false);
  // The selection stays visible when the field loses the focus.
  QPalette colours = palette();
  for (QPalette::ColorRole role : {QPalette::Highlight, QPalette::HighlightedText}) {
    colours.setColor(QPalette::Inactive, role, colours.color(QPalette::Active, role));
  }
  setPalette(colours);
  connect(this, &QPlainTextEdit::textChanged, this, [this] { Changed(); });
}

void OGTQtEdit::SetTextQuietly(const QString& text) {
  quiet_ = true;
  setPlainText(text);
  accepted_ = text;
  quiet_ = false;
}

void OGTQtEdit::Changed() {
  if (quiet_) return;
  QString now = toPlainText();
  if (OGTQtToolkitLength(now) > limit_) {
    // The change would pass the limit: the text goes back to what it was, the caret to where
    // the change began.
    int caret = textCursor().position() - static_cast<int>(now.size() - accepted_.size());
    quiet_ = true;
    setPlainText(accepted_);
    QTextCursor cursor = textCursor();
    cursor.setPosition(std::clamp(caret, 0, static_cast<int>(accepted_.size())));
    setTextCursor(cursor);
    quiet_ = false;
    QApplication::beep();
    return;
  }
  accepted_ = now;
  if (onUserChange) onUserChange();
}

bool OGTQtEdit::viewportEvent(QEvent* event) {
  if (OGTQtFilterEvent(viewport(), this, event)) return true;
  return QPlainTextEdit::viewportEvent(event);
}

void OGTQtButton::paintEvent(QPaintEvent* event) {
  int32_t index = OGTButtonImageIndex(variant, isDown(), isEnabled(), value, !images[2].isNull());
  const QImage* chosen = !images[index].isNull() ? &images[index] : &images[0];
  if (chosen->isNull()) {
    QPushButton::paintEvent(event);
    return;
  }
  QPainter painter(this);
  painter.drawImage(QPoint(0, 0), *chosen);
}

OGTQtRadio::OGTQtRadio(QWidget* parent) : OGTQtWidget(parent) { setAutoExclusive(false); }

void OGTQtSubWindow::closeEvent(QCloseEvent* event) {
  // The node decides; when the close goes ahead it deletes the window itself.
  event->ignore();
  if (OGTQtNode* node = Node()) node->CloseRequested();
}

void OGTQtTopWidget::closeEvent(QCloseEvent* event) {
  event->ignore();
  if (OGTQtNode* node = Node()) node->CloseRequested();
}

void OGTQtTopWidget::keyPressEvent(QKeyEvent* event) {
  OGTQtNode* node = Node();
  if (node != nullptr && node->DialogKey(event)) return;
  if (event->key() == Qt::Key_Escape) return;  // Escape never closes by itself
  QDialog::keyPressEvent(event);
}

void OGTQtTopWidget::resizeEvent(QResizeEvent* event) {
  if (client != nullptr) client->setGeometry(rect());
  QDialog::resizeEvent(event);
}
