#include "gt/imp/qt/OGTQtWidgets.h"

#include <algorithm>
#include <vector>

#include <QApplication>
#include <QCloseEvent>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPen>
#include <QScrollBar>
#include <QTextCursor>

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
    case QEvent::FocusIn:
      // Controls show that they have the focus (a frame around a check box's or radio button's
      // text) however it came to them: Tab is handled by the toolkit, and Qt would otherwise
      // show the mark only after its own keyboard navigation.
      widget->window()->setAttribute(Qt::WA_KeyboardFocusChange);
      return false;
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
  if (listSurface_ && hasFocus()) {
    // A frame in the highlight colour along the edge, over what the item drew; the style's own
    // focus mark would tint the whole list.
    painter.setPen(QPen(palette().color(QPalette::Active, QPalette::Highlight), 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
  }
}

void OGTQtSurface::focusInEvent(QFocusEvent* event) {
  QWidget::focusInEvent(event);
  update();
}

void OGTQtSurface::focusOutEvent(QFocusEvent* event) {
  QWidget::focusOutEvent(event);
  update();
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
  // The edit scrolls with its caret, without bars, so that small fields keep their size.
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
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
  FollowHeight();
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
    // A change that passed the limit by another road than typing or pasting: the text goes back
    // to what it was, the caret to where the change began.
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

size_t OGTQtEdit::Room() const {
  size_t used = OGTQtToolkitLength(toPlainText());
  size_t replaced = OGTQtToolkitLength(textCursor().selectedText());
  size_t kept = used > replaced ? used - replaced : 0;
  return limit_ > kept ? limit_ - kept : 0;
}

QString OGTQtEdit::FittingPart(const QString& text, size_t room) {
  if (OGTQtToolkitLength(text) <= room) return text;
  // Where each character ends (a surrogate pair is one character); the longest run of whole
  // characters that fits is found by halving.
  std::vector<qsizetype> ends;
  for (qsizetype i = 0; i < text.size();) {
    bool pair = text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate();
    i += pair ? 2 : 1;
    ends.push_back(i);
  }
  size_t low = 0;
  size_t high = ends.size();
  while (low < high) {
    size_t middle = (low + high + 1) / 2;
    if (OGTQtToolkitLength(text.left(ends[middle - 1])) <= room) {
      low = middle;
    } else {
      high = middle - 1;
    }
  }
  return low == 0 ? QString() : text.left(ends[low - 1]);
}

void OGTQtEdit::keyPressEvent(QKeyEvent* event) {
  QString typed = event->text();
  bool inserts = !typed.isEmpty() && (typed[0].isPrint() || typed == QStringLiteral("\r")) &&
                 !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
  if (inserts && !isReadOnly()) {
    // A line break is "\r\n" in the toolkit's text.
    size_t needed = typed == QStringLiteral("\r") ? 2 : OGTQtToolkitLength(typed);
    if (needed > Room()) {
      QApplication::beep();
      event->accept();
      return;
    }
  }
  QPlainTextEdit::keyPressEvent(event);
}

void OGTQtEdit::inputMethodEvent(QInputMethodEvent* event) {
  const QString& commit = event->commitString();
  if (commit.isEmpty() || isReadOnly()) {
    QPlainTextEdit::inputMethodEvent(event);
    return;
  }
  QString fitting = FittingPart(commit, Room());
  if (fitting.size() == commit.size()) {
    QPlainTextEdit::inputMethodEvent(event);
    return;
  }
  QApplication::beep();
  QInputMethodEvent cut(event->preeditString(), event->attributes());
  cut.setCommitString(fitting, event->replacementStart(), event->replacementLength());
  QPlainTextEdit::inputMethodEvent(&cut);
}

void OGTQtEdit::insertFromMimeData(const QMimeData* source) {
  if (source == nullptr || !source->hasText() || isReadOnly()) return;
  QString text = source->text();
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  QString fitting = FittingPart(text, Room());
  if (fitting.size() < text.size()) QApplication::beep();
  if (fitting.isEmpty()) return;
  // One insertion: one step of the undo history.
  QTextCursor cursor = textCursor();
  cursor.beginEditBlock();
  cursor.insertText(fitting);
  cursor.endEditBlock();
  setTextCursor(cursor);
  ensureCursorVisible();
}

void OGTQtEdit::FollowHeight() {
  // Room for two lines of text inside the document's margins means the field wraps.
  int lines = fontMetrics().lineSpacing();
  int inside = contentsRect().height() - 2 * static_cast<int>(document()->documentMargin());
  QPlainTextEdit::LineWrapMode mode =
      inside >= 2 * lines ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap;
  if (mode == lineWrapMode()) return;
  setLineWrapMode(mode);
  if (mode == QPlainTextEdit::WidgetWidth) horizontalScrollBar()->setValue(0);
  ensureCursorVisible();
}

void OGTQtEdit::resizeEvent(QResizeEvent* event) {
  QPlainTextEdit::resizeEvent(event);
  FollowHeight();
}

void OGTQtEdit::changeEvent(QEvent* event) {
  QPlainTextEdit::changeEvent(event);
  if (event->type() == QEvent::FontChange) FollowHeight();
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
