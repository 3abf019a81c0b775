// The scripted user of the headless platform side. A test acts as a person would: it presses
// buttons, types into fields, presses keys, clicks, scrolls and closes windows. Acting now goes
// through the same paths as the platform's input: the toolkit item sees the key or mouse event
// first, and only what it lets through reaches the control's native behaviour. Inside a dialog the
// platform's dialog keys come first: Tab moves among the dialog's controls, Return presses the
// focused or the default button (a multi-line field keeps its Return), Escape the cancel button.
//
// Modal dialogs and file choosers run while the code under test waits, so the test queues the
// steps beforehand (ThenPress, ThenType, ...). Each modal wait takes steps until one of them makes
// an event; with no step left it throws OGTHeadlessError.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "gt/OGTGraphics.h"

class OGTDialog;
class OGTHeadlessNode;
class OGTHeadlessScreen;
class OGTItem;
class OGTList;

class OGTHeadlessUser {
 public:
  explicit OGTHeadlessUser(std::shared_ptr<OGTHeadlessScreen> screen);

  // A click on a button, radio button or check box: it takes the focus, then does what its
  // native control does. False when a person could not press it (hidden, disabled, behind a
  // modal dialog, or not a pressable control).
  bool Press(OGTItem* control);
  // Focuses the control and types the Shift-JIS text one character at a time; "\r", "\t" and
  // "\b" are typed as the keys Return, Tab and Backspace. False when it cannot take the focus.
  bool Type(OGTItem* control, std::string_view text);
  // A key pressed with the focus where it is (or on the front window when nothing has it).
  // Throws OGTHeadlessError when there is nowhere for the key to go.
  void Key(uint16_t key, int16_t modifiers = 0);
  // Mouse down and up at a point in window coordinates; a count of 2 is a double click (down
  // and up, then down and up again with count 2). False when the item cannot be reached. An item
  // without an implementation of its own (an image field) gets the events itself when the
  // surface it lies on can be reached.
  bool Click(OGTItem* item, const OGTPoint& point, int16_t count = 1, int16_t modifiers = 0);
  // Mouse down at from, moves to to (one event), mouse up at to.
  bool Drag(OGTItem* item, const OGTPoint& from, const OGTPoint& to, int16_t modifiers = 0);
  // Clicks a row of a list (count 2: double-clicks it): a person first scrolls the row into view,
  // then clicks in its text column (column 1 when there are two or more columns, else the middle
  // of the row). False when the row does not exist or the list cannot be reached.
  bool ChooseRow(OGTList* list, int32_t row, int16_t modifiers = 0, int16_t count = 1);
  // Gives the control the focus; false when it cannot take it.
  bool Focus(OGTItem* control);
  // A scroll bar notification (31 to 35); for 35 the thumb is first moved to position.
  bool Scroll(OGTItem* bar, int32_t code, int32_t position = 0);
  // The close box of a window: asks CanClose, then the window and its implementation go. On a
  // modal dialog the close box presses the cancel button instead (nothing without one).
  bool Close(OGTItem* window);

  // Steps for modal waits, taken in order.
  // A button, radio button or check box of the waiting dialog with this Shift-JIS caption.
  OGTHeadlessUser& ThenPress(std::string caption);
  OGTHeadlessUser& ThenPressID(int32_t id);
  // Types into the focused control of the waiting dialog, or its first field.
  OGTHeadlessUser& ThenType(std::string text);
  OGTHeadlessUser& ThenKey(uint16_t key, int16_t modifiers = 0);
  OGTHeadlessUser& ThenClose();
  OGTHeadlessUser& ThenDo(std::string description, std::function<void(OGTDialog&)> act);
  // Answers of file choosers.
  OGTHeadlessUser& ThenChooseFile(std::string path);
  OGTHeadlessUser& ThenCancelChooser();
  // The cancel button of the progress window, pressed at its first update after this step comes
  // up (a window that cannot be cancelled leaves the step waiting).
  OGTHeadlessUser& ThenCancelProgress();
  // The application quits: the wait (and every later one) ends without an event.
  OGTHeadlessUser& ThenQuit();
  size_t Pending() const;

 private:
  void DeliverKey(OGTHeadlessNode* node, uint16_t key, int16_t modifiers);
  // Tab, Return, Enter and Escape inside a dialog; true when the dialog took the key.
  bool DialogKey(OGTHeadlessNode* dialog, OGTHeadlessNode* target, uint16_t key, int16_t modifiers);
  bool PressNode(OGTHeadlessNode* node);
  // One mouse event for the item, with a context on the surface node.
  void Mouse(OGTItem* item, OGTHeadlessNode* surface, int16_t type, const OGTPoint& point,
             int16_t count, int16_t modifiers);
  // The node that takes the item's mouse events: its own, or the surface it is drawn on.
  static OGTHeadlessNode* MouseSurface(OGTItem* item);

  std::shared_ptr<OGTHeadlessScreen> screen_;
};
