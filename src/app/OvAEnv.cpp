#include "app/OvAEnv.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "app/OvApp.h"
#include "base/VDebug.h"
#include "base/VFile.h"
#include "base/VSjis.h"
#include "db/engine/VBSBoss.h"
#include "db/engine/VDBHandle.h"
#include "gt/imp/OGTGuard.h"
#include "template/OFTApp.h"

bool OvIsDefinitionFileName(const char* name, size_t length) {
  static constexpr char kSuffix[] = ".ova";
  if (name == nullptr) return false;
  size_t offset = 0;
  return VMatchRun(kVMatchEnds, reinterpret_cast<const uint8_t*>(name), length,
                   reinterpret_cast<const uint8_t*>(kSuffix), sizeof kSuffix - 1, true, false,
                   &offset);
}

OvAEnv::OvAEnv() = default;

OvAEnv::~OvAEnv() {
  closing_.clear();
  apps_.DeleteAll();
  // CloseDatabase writes a failure to the debug log; at exit there is no one else to tell.
  (void)CloseDatabase();
  // A close the engine refused leaves the handle; it goes all the same, before its engine.
  handle_.reset();
  engine_.reset();
}

VResult OvAEnv::OpenDatabase(const char* configPath) {
  if (configPath == nullptr) return -1;
  VResult closed = CloseDatabase();
  if (closed != 0) return closed;
  try {
    engine_ = std::make_unique<VBSBoss>(configPath);
    handle_ = std::make_unique<VDBHandle>(engine_.get());
  } catch (const std::bad_alloc&) {
    return -1;
  }
  VResult opened;
  try {
    opened = handle_->Open();
  } catch (const VFailure& failure) {
    // A fatal storage error while opening: the engine has stopped the database and logged it.
    // The player reports it like any other failed open and goes on without a database.
    opened = failure.Code() != 0 ? static_cast<VResult>(failure.Code()) : VResult{-1};
  }
  if (opened != 0) return opened;
  open_ = true;
  return 0;
}

VResult OvAEnv::CloseDatabase() {
  if (handle_ != nullptr) {
    if (open_) {
      VResult closed;
      try {
        closed = handle_->Close();
      } catch (const VFailure& failure) {
        closed = static_cast<VResult>(failure.Code());
      }
      if (closed != 0) {
        LogFormat("...ERROR... OvAEnv: closing the database ec:%d", closed);
        return closed;
      }
      open_ = false;
    }
    handle_.reset();
  }
  engine_.reset();
  VEngineShutdown();
  return 0;
}

namespace {

// Whether the system refuses the player the access to the element.
bool Denied(const VDirElement& element, int mode) {
  std::string native;
  if (element.PlatformPath(&native) != kVOk) return false;
  return ::access(native.c_str(), mode) != 0 && errno == EACCES;
}

// Where the folder stands before it is listed.
OvFolderReport::Folder FolderState(const VDir& folder) {
  std::string native;
  if (folder.PlatformPath(&native) != kVOk) return OvFolderReport::kMissing;
  struct stat st;
  if (::stat(native.c_str(), &st) != 0) {
    return errno == EACCES ? OvFolderReport::kDenied : OvFolderReport::kMissing;
  }
  if (!S_ISDIR(st.st_mode)) return OvFolderReport::kNotFolder;
  if (::access(native.c_str(), R_OK | X_OK) != 0) return OvFolderReport::kDenied;
  return OvFolderReport::kListed;
}

}  // namespace

void OvAEnv::ReadFolder(const char* folderPath) {
  folderReport_ = OvFolderReport();
  if (folderPath == nullptr) return;
  VDir folder(folderPath);
  folderReport_.folder = FolderState(folder);
  if (folderReport_.folder != OvFolderReport::kListed) return;
  folder.List(3);
  // Directory listings come in no useful order; names in byte order make the pool's order (and
  // with it the order of start-up forms and of the application list) the same on every machine.
  std::vector<VDirElement*> entries;
  for (int32_t i = 0; i < folder.ChildCount(); ++i) {
    VDirElement* entry = folder.ChildAt(i);
    if (OvIsDefinitionFileName(entry->Name().data(), entry->Name().size())) {
      entries.push_back(entry);
    }
  }
  std::stable_sort(entries.begin(), entries.end(),
                   [](VDirElement* a, VDirElement* b) { return a->Name() < b->Name(); });
  for (VDirElement* entry : entries) {
    // A folder named like a definition file is no definition and not worth a word.
    if (!entry->IsFile()) continue;
    ++folderReport_.definitionFiles;
    VResult read = ReadDefinitionFile(pool_, entry);
    if (read != kVOk) {
      folderReport_.skipped.push_back({entry->Name(), read, Denied(*entry, R_OK)});
    }
  }
}

void OvAEnv::OpenApp(const char* appName) {
  if (appName == nullptr || FindApp(appName) != nullptr) return;
  OFTApp* app = pool_.FindApp(appName);
  if (app == nullptr) return;
  auto made = std::make_unique<OvApp>(this);
  OvApp* running = made.get();
  running->SetName(app->Name());
  apps_.Add(std::move(made), true);
  running->SetHandle(Handle());
}

OvApp* OvAEnv::FindApp(const char* appName) const {
  return dynamic_cast<OvApp*>(apps_.FindByName(appName));
}

OvApp* OvAEnv::AppAt(int32_t index) const { return dynamic_cast<OvApp*>(apps_.NamedAt(index)); }

void OvAEnv::CloseApp(const char* appName) {
  OvApp* app = FindApp(appName);
  if (app == nullptr || !apps_.Remove(app)) return;
  for (int32_t i = 0; i < app->ChildCount(); ++i) app->ChildAt(i)->Hide();
  closing_.emplace_back(app);
  if (apps_.Count() == 0) quit_ = true;
  std::weak_ptr<bool> alive = alive_;
  OGTRunAfterEvent([this, alive] {
    if (alive.expired()) return;
    closing_.clear();
  });
}
