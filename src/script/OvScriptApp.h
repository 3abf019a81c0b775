// The running application as the script commands see it: they open forms, find open ones, read
// the application's template (its named searches), reach the database handle and end the
// application. The running application is built on the script engine, so scripts hold it only
// through this interface.
#pragma once

class OFTApp;
class OGTWindow;
class VDBHandle;

class OvScriptApp {
 public:
  virtual ~OvScriptApp();

  // Brings the open window of the form to the front, or opens one.
  virtual void ShowForm(const char* formName) = 0;
  // The open window of the form, or null.
  virtual OGTWindow* FindOpenForm(const char* formName) const = 0;
  // The application's template; null when it is gone from the pool.
  virtual OFTApp* Template() const = 0;
  // The player's database handle; null without a database.
  virtual VDBHandle* Handle() const = 0;
  // Closes the application; it and its windows are deleted once the current event has been
  // handled, so the caller must not reach them after its own work is done.
  virtual void Quit() = 0;
};
