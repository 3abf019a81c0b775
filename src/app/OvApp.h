// A running application: one application of the template pool whose forms the user has open. Its
// form windows are its children, in the order they were opened; a window that closes leaves it by
// itself. Showing a form that is already open only brings its window to the front, so each form
// has one window unless its title was changed since. Scripts reach it as their OvScriptApp.
#pragma once

#include <cstdint>

#include "base/OvNamedObj.h"
#include "gt/OGTCompositItem.h"
#include "script/OvScriptApp.h"

class OFTApp;
class OGTWindow;
class OvAEnv;
class VDBHandle;

class OvApp : public OvNamedObj, public OGTCompositItem, public OvScriptApp {
 public:
  static constexpr uint32_t kKindCode = OvKindCode("OVAp");

  explicit OvApp(OvAEnv* env);
  ~OvApp() override;

  uint32_t KindCode() const override;
  // Events from the application's windows (a window being deleted sends one) are ignored.
  void OnEvent(OGTItem* item, int32_t code) override;

  // Brings the open window of the form to the front, or builds one from the form template of that
  // name and appends it. A name that matches no form, or a form that cannot be built, opens
  // nothing.
  void ShowForm(const char* formName) override;
  // The first open plain, dialog or database window whose title equals the form name exactly;
  // null when none (a window whose title is empty is never found).
  OGTWindow* FindOpenForm(const char* formName) const override;
  // This application's template in the environment's pool (by name); null when it is gone.
  OFTApp* Template() const override;

  // Removes the application from its environment, which deletes it (and its windows) and sets the
  // quit flag when no application is left running. Without an environment nothing happens.
  void Quit() override;

  OvAEnv* Env() const { return env_; }
  VDBHandle* Handle() const override { return handle_; }
  void SetHandle(VDBHandle* handle) { handle_ = handle; }

  // Titles are read into buffers of this size when forms are looked up.
  static constexpr size_t kTitleSize = 256;

 private:
  OvAEnv* env_;
  VDBHandle* handle_ = nullptr;
};
