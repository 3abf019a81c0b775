#include "gt/imp/qt/OGTQtShared.h"

#include <QCoreApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QMdiArea>
#include <QTimer>

#include "gt/OGTGraphics.h"
#include "gt/imp/qt/OGTQtText.h"

namespace {

// The Qt cursor of a plain shape; false for the arrow and for codes that change nothing.
bool PlainCursor(int32_t shape, Qt::CursorShape& out) {
  switch (shape) {
    case 2:
      out = Qt::IBeamCursor;
      return true;
    case 3:
      out = Qt::CrossCursor;
      return true;
    case 4:
      out = Qt::WaitCursor;
      return true;
    case 11:
    case 12:
      out = Qt::OpenHandCursor;
      return true;
    case 21:
      out = Qt::SizeHorCursor;
      return true;
    case 22:
      out = Qt::SizeVerCursor;
      return true;
    default:
      return false;
  }
}

}  // namespace

OGTQtShared::OGTQtShared(QMdiArea* area) : area_(area) {}

OGTQtShared::~OGTQtShared() {
  if (overriding_ && QGuiApplication::instance() != nullptr) {
    QGuiApplication::restoreOverrideCursor();
  }
}

QWidget* OGTQtShared::Frame() const { return area_ ? area_->window() : nullptr; }

void OGTQtShared::QuitDuringWait(int exitCode) {
  quitting_ = true;
  // Posted, so that it reaches whichever loop runs next, once the wait has returned.
  std::weak_ptr<OGTQtShared> self = weak_from_this();
  QTimer::singleShot(0, QCoreApplication::instance(), [self, exitCode] {
    if (!self.expired()) QCoreApplication::exit(exitCode);
  });
}

void OGTQtShared::SetCursorShape(int32_t shape) {
  Qt::CursorShape ignored;
  if (shape != 0 && shape != 1 && !PlainCursor(shape, ignored)) return;
  cursorShape_ = shape;
  ApplyCursor();
}

void OGTQtShared::BeginCountedWait() {
  ++countedWaits_;
  ApplyCursor();
}

void OGTQtShared::EndCountedWait() {
  if (countedWaits_ > 0) --countedWaits_;
  ApplyCursor();
}

void OGTQtShared::ApplyCursor() {
  Qt::CursorShape shape = Qt::WaitCursor;
  bool wanted = countedWaits_ > 0 || PlainCursor(cursorShape_, shape);
  if (!wanted) {
    if (overriding_) QGuiApplication::restoreOverrideCursor();
    overriding_ = false;
  } else if (overriding_) {
    QGuiApplication::changeOverrideCursor(QCursor(shape));
  } else {
    QGuiApplication::setOverrideCursor(QCursor(shape));
    overriding_ = true;
  }
}

const QFont& OGTQtShared::ControlFont() {
  if (!controlFont_) controlFont_ = std::make_unique<QFont>(OGTQtControlFont(OGTPredefinedFont(0)));
  return *controlFont_;
}
