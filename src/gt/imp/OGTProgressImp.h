// The platform interface of the progress window (OGTProgress): a modal window with a text, a bar
// of the share done and, when the work can be stopped, a cancel button. The base bodies show
// nothing, never report a cancel, and read the system's steady clock.
#pragma once

#include <cstdint>

class OGTProgressImp {
 public:
  OGTProgressImp();
  virtual ~OGTProgressImp();
  OGTProgressImp(const OGTProgressImp&) = delete;
  OGTProgressImp& operator=(const OGTProgressImp&) = delete;

  virtual void Initialise();
  // Milliseconds of a clock that never goes back.
  virtual uint64_t Milliseconds();
  // Shows the window (title Shift-JIS) over the application, taking every input until Close.
  virtual void Open(const char* title, bool cancellable);
  // Shows a new text (Shift-JIS) and share done in per mille (-1: not known, the bar only moves),
  // and lets the window be drawn and its button be pressed.
  virtual void Update(const char* text, int32_t perMille);
  // Whether the person pressed the cancel button (or closed the window) since it opened.
  virtual bool CancelRequested();
  virtual void Close();
};
