// The runner ties the player together: it owns the platform factory, the application environment
// and the application list window. It opens the database and the application folder, opens the
// start-up forms or else shows the application list, and runs the form the user picks there.
//
// Deleting the runner closes, in this order, the application list window, the environment (the
// running applications with their windows, then the database) and the factory. The user may close
// the list window at any time; the window tells the runner, which then forgets it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "base/VBase.h"

class OFTPool;
class OGTImpFactory;
class OvAEnv;
class OvARunAppList;
struct OvFolderReport;

class OvARunner {
 public:
  // The size of the form-name buffer AskFormName fills.
  static constexpr size_t kFormNameSize = 256;

  OvARunner();
  virtual ~OvARunner();
  OvARunner(const OvARunner&) = delete;
  OvARunner& operator=(const OvARunner&) = delete;

  // Releases the factory held, then adopts this one (null adopts none) and initialises it.
  virtual VResult SetImpFactory(std::unique_ptr<OGTImpFactory> factory);
  virtual VResult ReleaseImpFactory();
  // Makes a new environment, opens the database from the configuration file and reads the
  // application folder (even when the database did not open). Answers the database's code.
  virtual VResult Open(const char* configPath, const char* folderPath);
  virtual VResult Close();
  // Runs every start-up form of every start-up application, in pool and template order; shows
  // the application list when there is none.
  virtual void Start();
  // Builds the list window the first time; later only brings it to the front.
  virtual void ShowAppList();
  virtual void CloseAppList();
  // The modal form chooser for one application. True with the chosen form's name in formName
  // (kFormNameSize bytes), false when the user cancelled or nothing could be chosen.
  virtual bool AskFormName(const char* appName, char* formName);
  // Makes the application running when it is not, then shows the form.
  virtual void RunForm(const char* appName, const char* formName);

  // The environment's quit flag; false without an environment.
  bool IsQuitRequested() const;
  // Null without an environment.
  OFTPool* GetTemplatePool() const;

  OGTImpFactory* ImpFactory() const { return factory_.get(); }
  OvAEnv* Env() const { return env_.get(); }
  OvARunAppList* AppList() const { return appList_; }
  // Called by the list window while it is being deleted, whoever deletes it.
  void AppListDeleted(const OvARunAppList* list);

 private:
  std::unique_ptr<OGTImpFactory> factory_;
  std::unique_ptr<OvAEnv> env_;
  // Owned, but the platform may delete it when the user closes it (see AppListDeleted).
  OvARunAppList* appList_ = nullptr;
};

// The player's start-up once its frame exists: makes the runner, adopts the factory, opens the
// configuration and the folder and starts. When the database does not open it shows the error
// box, with a line under the engine's code that says what the code means; when the folder could
// not be used, or definition files in it could not be read, one message box says so. Start-up
// goes on all the same. Null when the runner cannot be made.
std::unique_ptr<OvARunner> OvStartRunner(std::unique_ptr<OGTImpFactory> factory,
                                         const char* configPath, const char* folderPath);

// What start-up tells the user once the runner opened (opened is Open's answer): the database
// error box when the database did not open, then the folder report when there is one. Both the
// player and its action mode tell it, each before Start.
void OvTellOpenProblems(OvARunner& runner, VResult opened, const char* folderPath);

// The database error box's message: the fixed text, then on a line of its own what the code
// means and what to do (Shift-JIS).
std::string OvDatabaseErrorText(VResult code);
// What the start-up tells of the application folder (portable path): Shift-JIS lines separated by
// "\r", or empty when every definition file of the folder was read.
std::string OvFolderReportText(const OvFolderReport& report, const char* folderPath);

// Copies the zero-terminated Shift-JIS text into out (size bytes, size > 0): whole characters
// while they fit, then a zero byte.
void OvCopyWhole(const char* text, char* out, size_t size);
