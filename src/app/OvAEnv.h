// The application environment: the template pool read from the application folder, the running
// applications, the quit flag, and the database engine with the player's handle on it. It lives
// from the runner's Open to its Close; destroying it deletes the running applications (and with
// them their windows) first, then closes the database.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "base/OvNamedList.h"
#include "base/VBase.h"
#include "template/OFTPool.h"

class OvApp;
class VBSBoss;
class VDBHandle;

// What reading the application folder could not use: the folder itself, or definition files that
// could not be read. The player tells the user once at start-up.
struct OvFolderReport {
  enum Folder { kNotRead, kListed, kMissing, kNotFolder, kDenied };
  struct Skipped {
    std::string name;  // the file's name as the folder lists it
    VResult code;      // why ReadDefinitionFile could not read it
    bool denied;       // the system refused to let the player read it
  };

  Folder folder = kNotRead;
  // Entries whose names end in ".ova", read or not.
  int32_t definitionFiles = 0;
  std::vector<Skipped> skipped;

  // Nothing to tell: the folder was listed, holds definitions and every one of them was read.
  bool AllRead() const { return folder == kListed && definitionFiles > 0 && skipped.empty(); }
};

class OvAEnv {
 public:
  OvAEnv();
  ~OvAEnv();
  OvAEnv(const OvAEnv&) = delete;
  OvAEnv& operator=(const OvAEnv&) = delete;

  // Closes any open database, makes the engine from the configuration file (portable path) and
  // opens its database. A failed open keeps the engine and handle until the next close. -1 for a
  // null path; a fatal storage error during the open answers the engine's failure code.
  VResult OpenDatabase(const char* configPath);
  // Closes the database when it is open (a refused close is answered and changes nothing), then
  // deletes the handle and the engine (which writes its configuration back when it changed) and
  // releases the engine's process-wide state.
  VResult CloseDatabase();
  bool IsDatabaseOpen() const { return open_; }
  // Null until OpenDatabase made it; kept after a failed open until the next close.
  VDBHandle* Handle() const { return handle_.get(); }
  VBSBoss* Engine() const { return engine_.get(); }

  // Reads every definition file of the folder (portable path) whose name ends in ".ova" into the
  // pool, in the byte order of the names. Nothing is read for a null path or a folder that cannot
  // be listed. What could not be read is kept in FolderReport.
  void ReadFolder(const char* folderPath);
  const OvFolderReport& FolderReport() const { return folderReport_; }
  OFTPool& Pool() { return pool_; }
  const OFTPool& Pool() const { return pool_; }

  // Makes the application of that name running, with the environment's handle. Nothing happens
  // for a null name, a running application or a name without a template.
  void OpenApp(const char* appName);
  // The running application of exactly that name, or null.
  OvApp* FindApp(const char* appName) const;
  // Takes the running application out of the list and hides its windows; the application and its
  // windows are deleted once the current event has been handled (a script of one of its windows
  // may be running). When that leaves no running application the quit flag is set.
  void CloseApp(const char* appName);
  int32_t AppCount() const { return apps_.Count(); }
  OvApp* AppAt(int32_t index) const;
  bool IsQuitRequested() const { return quit_; }

 private:
  OFTPool pool_;
  OvFolderReport folderReport_;
  OvNamedList apps_;
  // Closed applications waiting to be deleted after the current event.
  std::vector<std::unique_ptr<OvApp>> closing_;
  // Lets a deferred deletion know whether this environment still exists.
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
  bool quit_ = false;
  std::unique_ptr<VBSBoss> engine_;
  std::unique_ptr<VDBHandle> handle_;
  bool open_ = false;
};

// Whether a directory entry's name ends in ".ova", compared exactly, the suffix starting on a
// character boundary of the Shift-JIS name.
bool OvIsDefinitionFileName(const char* name, size_t length);
