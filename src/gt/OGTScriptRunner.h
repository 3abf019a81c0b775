// What a database form window is bound to: the running application, which runs the scripts of the
// window's items and of the window itself. The window turns events into script texts; running them
// takes the script engine, which is built on the toolkit, so the window reaches it only through
// this interface and never includes it.
#pragma once

class OGTWindow;
class VString;

class OGTScriptRunner {
 public:
  virtual ~OGTScriptRunner() = default;

  // Runs a script text (Shift-JIS) to its end for the window on which the event happened. Failures
  // are reported to the user by the commands themselves; nothing is answered.
  virtual void RunScript(const VString& script, OGTWindow* window) = 0;
};
