// Item kind codes, item event codes and the platform input record. Items report user actions to
// their parent as small event codes; the platform side describes mouse and key input with an
// OGTEvent.
#pragma once

#include <cstdint>

#include "gt/OGTGraphics.h"

class OGTContext;

// The answer of every item's Kind(), and of every implementation's Kind().
enum OGTKind : int32_t {
  kOGTKindItem = 1,
  kOGTKindComposit = 2,
  kOGTKindLine = 3,
  kOGTKindPlane = 4,
  kOGTKindCircle = 5,
  kOGTKindLabel = 11,
  kOGTKindField = 12,
  kOGTKindButton = 13,
  kOGTKindRadioBtn = 14,
  kOGTKindCheckBox = 16,
  kOGTKindScrollBar = 19,
  kOGTKindList = 20,
  kOGTKindStyleEdit = 23,
  kOGTKindImageField = 24,
  kOGTKindWindow = 32,
  kOGTKindDialog = 33,
  kOGTKindDBField = 1001,
  kOGTKindDBList = 1002,
  kOGTKindDBWindow = 1003,
  kOGTKindDBFieldMV = 1004,
  kOGTKindDBStyleEdit = 1005,
  kOGTKindDBImageField = 1006,
  kOGTKindDBHistoryList = 1007,
};

// The second argument of OnEvent.
enum OGTEventCode : int32_t {
  kOGTEventButtonPressed = 11,
  kOGTEventRadioPressed = 12,  // the radio button's value was set to 1 first
  kOGTEventCheckPressed = 13,  // the check box's value was toggled first
  kOGTEventReturn = 21,        // Return pressed and not consumed by the item
  kOGTEventChanged = 22,       // focus lost after the text was modified
  kOGTEventLineBack = 31,
  kOGTEventLineForward = 32,
  kOGTEventPageBack = 33,
  kOGTEventPageForward = 34,
  kOGTEventThumb = 35,
  kOGTEventSelection = 41,
  kOGTEventDoubleClick = 42,
  kOGTEventDestroyed = 61,  // a window is being destroyed; sent to its parent
  kOGTEventFocusPrevious = 71,
  kOGTEventFocusNext = 72,
};

// Types of OGTEvent.
enum OGTEventType : int16_t {
  kOGTMouseDown = 1,
  kOGTMouseUp = 2,
  kOGTMouseMoved = 8,
  kOGTKeyDown = 15,
};

// Modifier bits of OGTEvent.
enum OGTModifier : int16_t {
  kOGTShift = 1,
  kOGTControl = 2,
  kOGTAlt = 8,
  kOGTAltToggle = 16,
};

// Key codes of key events. Printable characters carry their own code; a double-byte character is
// (lead << 8) | trail.
enum OGTKey : uint16_t {
  kOGTKeyHome = 1,
  kOGTKeyEnter = 3,
  kOGTKeyEnd = 4,
  kOGTKeyBackspace = 8,
  kOGTKeyTab = 9,
  kOGTKeyPageUp = 11,
  kOGTKeyPageDown = 12,
  kOGTKeyReturn = 13,
  kOGTKeyEscape = 27,
  kOGTKeyArrowLeft = 28,
  kOGTKeyArrowRight = 29,
  kOGTKeyArrowUp = 30,
  kOGTKeyArrowDown = 31,
  kOGTKeyDelete = 127,
};

// One mouse or key input as the platform reports it. Positions are window coordinates; a key event
// carries the mouse position at the time. The context is valid while the event is handled.
class OGTEvent {
 public:
  int16_t Type() const { return type_; }
  uint32_t Time() const { return time_; }
  const OGTPoint& Point() const { return point_; }
  // Mouse events: 1 single click, 2 double click. Key events: 0.
  int16_t Count() const { return count_; }
  uint16_t Key() const { return key_; }
  int16_t Modifiers() const { return modifiers_; }
  bool HasModifier(int16_t bit) const { return (modifiers_ & bit) != 0; }
  void* PlatformMessage() const { return platformMessage_; }
  OGTContext* Context() const { return context_; }

  void SetType(int16_t type) { type_ = type; }
  void SetTime(uint32_t time) { time_ = time; }
  void SetPoint(const OGTPoint& point) { point_ = point; }
  void SetCount(int16_t count) { count_ = count; }
  void SetKey(uint16_t key) { key_ = key; }
  void SetModifiers(int16_t modifiers) { modifiers_ = modifiers; }
  void SetPlatformMessage(void* message) { platformMessage_ = message; }
  void SetContext(OGTContext* context) { context_ = context; }

 private:
  int16_t type_ = 0;
  uint32_t time_ = 0;
  OGTPoint point_;
  int16_t count_ = 0;
  uint16_t key_ = 0;
  int16_t modifiers_ = 0;
  void* platformMessage_ = nullptr;
  OGTContext* context_ = nullptr;
};
