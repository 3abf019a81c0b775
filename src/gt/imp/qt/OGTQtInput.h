// Qt's mouse and key events as the toolkit's OGTEvent. Keys become the toolkit's key codes (Return
// 13, keypad Enter 3, Tab 9, Backspace 8, Delete 127, Home 1, End 4, Page Up 11, Page Down 12,
// arrows 28 to 31, Escape 27); a typed character becomes its Shift-JIS code, a double-byte one
// (lead << 8) | trail; anything else is 0. Modifier bits: 1 Shift, 2 Control, 8 Alt.
#pragma once

#include <cstdint>

#include <QPoint>
#include <Qt>

class OGTEvent;
class QKeyEvent;
class QMouseEvent;

uint16_t OGTQtKeyCode(const QKeyEvent& event);
int16_t OGTQtModifiers(Qt::KeyboardModifiers modifiers);
// Milliseconds since the system started.
uint32_t OGTQtTick();
// A key-down event; mouse is the mouse position in window coordinates.
void OGTQtKeyEvent(OGTEvent& out, QKeyEvent& event, const QPoint& mouse);
// A button down, button up or captured move; at is the position in window coordinates, count 2
// for the second press of a double click (Qt's double-click event is a press). False for moves
// with no button held and for other events.
bool OGTQtMouseEvent(OGTEvent& out, QMouseEvent& event, const QPoint& at, int16_t count);
