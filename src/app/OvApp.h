// A running application: one application of the template pool whose forms the user has open. Its
// form windows are its children, in the order they were opened; a window that closes leaves it by
// itself. Showing a form that is already open only brings its window to the front, so each form
// has one window unless its title was changed since.
#pragma once

#include <cstdint>

#include "app/OvNamedObj.h"
#include "gt/OGTCompositItem.h"
#include "gt/OGTDBWindow.h"
#include "script/OvScript.h"

class OFTApp;
class OGTWindow;
class OvAEnv;
class VDBHandle;

class OvApp : public OvNamedObj, public OGTCompositItem, public OGTDBApp, public OvScriptApp {
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
  // A database window is then bound to the application and the database handle: it runs its
  // form's named search and shows the first record.
  // The first open plain, dialog or database window whose title equals the form name exactly;
  // null when none (a window whose title is empty is never found).
  virtual OGTWindow* FindOpenForm(const char* formName) const;
  // This application's template in the environment's pool (by name); null when it is gone.
  OFTApp* Template() const;

  // Runs a script for a database window of this application, to its end.
  void RunScript(const VString& script, OGTDBWindow* window) override;
  bool FormSearch(const char* formName, int32_t* file, std::string* statement) const override;
  const OFTApp* AppTemplate() const override { return Template(); }
  VDBHandle* DBHandle() const override { return handle_; }
  // Closes this application through its environment (see OvAEnv::CloseApp).
  void Quit() override;

  OvAEnv* Env() const { return env_; }
  VDBHandle* Handle() const { return handle_; }
  void SetHandle(VDBHandle* handle) { handle_ = handle; }

  // Titles are read into buffers of this size when forms are looked up.
  static constexpr size_t kTitleSize = 256;

 private:
  OvAEnv* env_;
  VDBHandle* handle_ = nullptr;
};
