// The one guard between the platform's event loop and everything above it. Every entry from the
// platform into the toolkit (an item event, a mouse or key event, a paint, a user's close request)
// runs inside OGTGuarded: a failure that escapes it - the engine's failure exception, or any
// standard exception - is written to the debug log and shown in the error box with its code, and
// the player goes on. A failure met while painting is shown once the paint is over, since a modal
// box cannot run inside a paint.
//
// Work that must not happen while an event is being handled (deleting the windows of an
// application that quits from a script run by one of them) is handed to OGTRunAfterEvent: it runs
// when the outermost guarded entry returns, or at once outside any.
#pragma once

#include <exception>
#include <functional>
#include <utility>

#include "base/VBase.h"

// A failure that no guard may take: it belongs to whoever drives the player (a test's scripted
// user that has no step left) and must reach them.
class OGTUnguardedError {
 public:
  virtual ~OGTUnguardedError() = default;
};

// Logs the failure and shows the error box (now, or after the current paint when later is set).
void OGTReportFailure(const char* where, int code, const char* what, bool later);
void OGTRunAfterEvent(std::function<void()> task);

// Counts the guarded entries in progress.
class OGTEntryScope {
 public:
  OGTEntryScope();
  ~OGTEntryScope();
  OGTEntryScope(const OGTEntryScope&) = delete;
  OGTEntryScope& operator=(const OGTEntryScope&) = delete;
};

// Outside every guarded entry: runs the tasks left for after the event, each under a guard.
void OGTRunAfterEventTasks();

template <class Body>
void OGTGuarded(const char* where, Body&& body, bool painting = false) {
  {
    OGTEntryScope scope;
    try {
      std::forward<Body>(body)();
    } catch (const VFailure& failure) {
      OGTReportFailure(where, failure.Code(), failure.what(), painting);
    } catch (const std::exception& failure) {
      if (dynamic_cast<const OGTUnguardedError*>(&failure) != nullptr) throw;
      OGTReportFailure(where, -1, failure.what(), painting);
    }
  }
  OGTRunAfterEventTasks();
}
