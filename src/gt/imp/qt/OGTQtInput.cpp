#include "gt/imp/qt/OGTQtInput.h"

#include <time.h>

#include <QKeyEvent>
#include <QMouseEvent>

#include "gt/OGTEvent.h"
#include "gt/imp/qt/OGTQtText.h"

namespace {

uint16_t NamedKey(int key, bool keypad) {
  switch (key) {
    case Qt::Key_Return:
      return kOGTKeyReturn;
    case Qt::Key_Enter:
      return keypad ? kOGTKeyEnter : kOGTKeyReturn;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
      return kOGTKeyTab;
    case Qt::Key_Backspace:
      return kOGTKeyBackspace;
    case Qt::Key_Delete:
      return kOGTKeyDelete;
    case Qt::Key_Home:
      return kOGTKeyHome;
    case Qt::Key_End:
      return kOGTKeyEnd;
    case Qt::Key_PageUp:
      return kOGTKeyPageUp;
    case Qt::Key_PageDown:
      return kOGTKeyPageDown;
    case Qt::Key_Left:
      return kOGTKeyArrowLeft;
    case Qt::Key_Right:
      return kOGTKeyArrowRight;
    case Qt::Key_Up:
      return kOGTKeyArrowUp;
    case Qt::Key_Down:
      return kOGTKeyArrowDown;
    case Qt::Key_Escape:
      return kOGTKeyEscape;
    default:
      return 0;
  }
}

}  // namespace

uint16_t OGTQtKeyCode(const QKeyEvent& event) {
  uint16_t named = NamedKey(event.key(), event.modifiers() & Qt::KeypadModifier);
  if (named != 0) return named;
  QString text = event.text();
  if (text.isEmpty() || text.at(0).isNull() || text.at(0).unicode() < 0x20 ||
      text.at(0).unicode() == 0x7F) {
    return 0;
  }
  // One character: a surrogate pair stays whole.
  int length = text.at(0).isHighSurrogate() && text.size() > 1 ? 2 : 1;
  std::string sjis = OGTQtSjis(text.left(length));
  if (sjis.size() == 1) return static_cast<uint8_t>(sjis[0]);
  if (sjis.size() == 2) {
    return static_cast<uint16_t>((static_cast<uint8_t>(sjis[0]) << 8) |
                                 static_cast<uint8_t>(sjis[1]));
  }
  return 0;
}

int16_t OGTQtModifiers(Qt::KeyboardModifiers modifiers) {
  int16_t bits = 0;
  if (modifiers & Qt::ShiftModifier) bits |= kOGTShift;
  if (modifiers & Qt::ControlModifier) bits |= kOGTControl;
  if (modifiers & Qt::AltModifier) bits |= kOGTAlt;
  return bits;
}

uint32_t OGTQtTick() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<uint32_t>(static_cast<uint64_t>(now.tv_sec) * 1000u +
                               static_cast<uint64_t>(now.tv_nsec) / 1000000u);
}

void OGTQtKeyEvent(OGTEvent& out, QKeyEvent& event, const QPoint& mouse) {
  out.SetType(kOGTKeyDown);
  out.SetTime(OGTQtTick());
  out.SetPoint(OGTPoint(mouse.x(), mouse.y()));
  out.SetCount(0);
  out.SetKey(OGTQtKeyCode(event));
  int16_t modifiers = OGTQtModifiers(event.modifiers());
  // Qt reports Shift+Tab as its own key; the toolkit sees Tab with Shift held.
  if (event.key() == Qt::Key_Backtab) modifiers |= kOGTShift;
  out.SetModifiers(modifiers);
  out.SetPlatformMessage(&event);
}

bool OGTQtMouseEvent(OGTEvent& out, QMouseEvent& event, const QPoint& at, int16_t count) {
  switch (event.type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
      out.SetType(kOGTMouseDown);
      break;
    case QEvent::MouseButtonRelease:
      out.SetType(kOGTMouseUp);
      break;
    case QEvent::MouseMove:
      // Only moves while a button holds the mouse captured.
      if (event.buttons() == Qt::NoButton) return false;
      out.SetType(kOGTMouseMoved);
      break;
    default:
      return false;
  }
  out.SetCount(count);
  out.SetTime(OGTQtTick());
  out.SetPoint(OGTPoint(at.x(), at.y()));
  out.SetKey(0);
  out.SetModifiers(OGTQtModifiers(event.modifiers()));
  out.SetPlatformMessage(&event);
  return true;
}
