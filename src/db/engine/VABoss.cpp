#include "db/engine/VABoss.h"

#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <climits>

#include "base/VDebug.h"
#include "base/VFile.h"
#include "base/VPath.h"
#include "db/engine/VCMD.h"
#include "db/engine/VDB_Clog.h"
#include "db/engine/VDB_DD.h"
#include "db/engine/VDB_DM.h"
#include "db/engine/VDB_Tlog.h"
#include "db/engine/VDB_User.h"
#include "db/engine/VDB_Value.h"
#include "db/engine/VEngineCodes.h"
#include "db/engine/VUQue.h"
#include "db/schema/VConfig.h"
#include "db/schema/VSchema.h"
#include "db/store/VDBCodes.h"
#include "db/store/VDBFile.h"

namespace {

// The real path of a directory, or "" when it has none.
std::string RealPath(const std::string& platformPath) {
  char resolved[PATH_MAX];
  return ::realpath(platformPath.c_str(), resolved) != nullptr ? std::string(resolved) : "";
}

// Whether path is inside (or is) directory.
bool Within(const std::string& path, const std::string& directory) {
  if (path.empty() || directory.empty()) return false;
  if (directory == "/") return true;
  return path == directory ||
         (path.size() > directory.size() && path.compare(0, directory.size(), directory) == 0 &&
          path[directory.size()] == '/');
}

}  // namespace

VABoss::VABoss(const std::string& configPath) : VBoss(configPath), internal_(this) {}

VABoss::~VABoss() {
  // Executors of database files go first: their last flushes still write the transaction log
  // before themselves.
  DropUserState();
  files_.clear();
  valueFile_.reset();
  transactionLog_.reset();
  userFile_.reset();
  dataDictionary_.reset();
  commandLog_.reset();
  // The work files, which hold nothing that outlives the engine, go with VBoss.
}

// ---- system files ----

VDB_DD* VABoss::DataDictionary() {
  // The stored "DDD" switch is kept and written back, but a database always has its dictionary.
  if (!open_ || stopped_) return nullptr;
  if (dataDictionary_ == nullptr) {
    std::unique_ptr<VDB_DD> made = MakeDDExecutor();
    if (made == nullptr || made->Open() != kVOk) return nullptr;
    dataDictionary_ = std::move(made);
  }
  return dataDictionary_.get();
}

VDB_User* VABoss::UserFile() {
  if (!open_ || stopped_ || !Config()->Security()) return nullptr;
  if (userFile_ == nullptr) {
    std::unique_ptr<VDB_User> made = MakeUserExecutor();
    if (made == nullptr || made->Open() != kVOk) return nullptr;
    userFile_ = std::move(made);
  }
  return userFile_.get();
}

VDB_Value* VABoss::ValueFile() { return open_ && !stopped_ ? valueFile_.get() : nullptr; }

VDB_Tlog* VABoss::TransactionLog() { return open_ && !stopped_ ? transactionLog_.get() : nullptr; }

VDB_Clog* VABoss::CommandLog() {
  if (!open_ || !Config()->CommandLog()) return nullptr;
  if (commandLog_ == nullptr) {
    std::unique_ptr<VDB_Clog> made = MakeClogExecutor();
    if (made == nullptr || made->Open() != kVOk) return nullptr;
    commandLog_ = std::move(made);
  }
  return commandLog_.get();
}

VDBFile* VABoss::TransactionLogFile() const {
  return transactionLog_ != nullptr && transactionLog_->IsOpen() ? transactionLog_->File()
                                                                 : nullptr;
}

bool VABoss::LogsCommands() const { return open_ && Config()->CommandLog(); }

std::unique_ptr<VDB_DM> VABoss::MakeFileExecutor(std::unique_ptr<VSch_DBFile> schema) {
  return std::make_unique<VDB_DM>(this, std::move(schema));
}

std::unique_ptr<VDB_DD> VABoss::MakeDDExecutor() { return std::make_unique<VDB_DD>(this); }

std::unique_ptr<VDB_User> VABoss::MakeUserExecutor() { return std::make_unique<VDB_User>(this); }

std::unique_ptr<VDB_Value> VABoss::MakeValueExecutor() { return std::make_unique<VDB_Value>(this); }

std::unique_ptr<VDB_Tlog> VABoss::MakeTlogExecutor() { return std::make_unique<VDB_Tlog>(this); }

std::unique_ptr<VDB_Clog> VABoss::MakeClogExecutor() { return std::make_unique<VDB_Clog>(this); }

VDB_DM* VABoss::FileExecutor(int32_t fileNumber, VResult* error) {
  *error = kVOk;
  for (const auto& file : files_) {
    if (file->FileNumber() == fileNumber) return file.get();
  }
  *error = kVTargetUnavailable;
  VDB_DD* dictionary = DataDictionary();
  if (dictionary == nullptr || fileNumber <= 0) return nullptr;
  std::unique_ptr<VSch_DBFile> schema;
  if (dictionary->Fetch(fileNumber, &schema) != kVOk) return nullptr;
  std::unique_ptr<VDB_DM> executor = MakeFileExecutor(std::move(schema));
  VResult opened = executor->Open();
  if (opened != kVOk) {
    LogFormat("...ERROR... VABoss::FileExecutor %d ec:%d", fileNumber, opened);
    return nullptr;
  }
  *error = kVOk;
  files_.push_back(std::move(executor));
  return files_.back().get();
}

// ---- database-level commands ----

VResult VABoss::RunDatabaseCommand(VCMD& command) {
  switch (command.Code()) {
    case VCode::kCreate:
      return CreateDatabase(command);
    case VCode::kErase:
      return EraseDatabase(command);
    case VCode::kCreateDBFile:
    case VCode::kEraseDBFile: {
      const int32_t fileNumber = command.Request().Value(VDML::kFID);
      for (const auto& file : files_) {
        if (file->FileNumber() == fileNumber) return kVFileAlreadyOpen;
      }
      VDB_DD* dictionary = DataDictionary();
      if (dictionary == nullptr) return kVTargetUnavailable;
      std::unique_ptr<VSch_DBFile> schema;
      VResult result = dictionary->Fetch(fileNumber, &schema);
      if (result != kVOk) return result;
      std::unique_ptr<VDB_DM> executor = MakeFileExecutor(std::move(schema));
      return command.Code() == VCode::kCreateDBFile ? executor->CreateDBFile()
                                                    : executor->EraseDBFile();
    }
    case VCode::kOpen:
      return OpenDatabase(command);
    case VCode::kClose:
      return CloseDatabase(command);
    case VCode::kFlush:
      return open_ ? FlushAll() : kVFileNotOpen;
    default:
      return kVUnknownCommand;
  }
}

VResult VABoss::CreateSystemFiles(std::vector<std::unique_ptr<VDB_A>>* made) {
  std::vector<std::unique_ptr<VDB_A>> wanted;
  wanted.push_back(MakeDDExecutor());
  wanted.push_back(MakeValueExecutor());
  if (Config()->Security()) wanted.push_back(MakeUserExecutor());
  if (Config()->TransactionLog()) wanted.push_back(MakeTlogExecutor());
  if (Config()->CommandLog()) wanted.push_back(MakeClogExecutor());
  for (auto& executor : wanted) {
    if (executor == nullptr || executor->Schema() == nullptr) return kVTargetUnavailable;
    VResult result = executor->CreateDBFile();
    if (result != kVOk) return result;
    made->push_back(std::move(executor));
  }
  return kVOk;
}

VResult VABoss::CreateDatabase(VCMD& command) {
  if (open_) return kVFileAlreadyOpen;
  VConfig& config = *Config();
  for (int32_t i = 0; i < config.SectionCount(); ++i) {
    VMSD* section = config.Section(i);
    const std::string& base = config.DirectoryPath();
    for (VDir* folder : {section->IndexDirectory(base), section->DataDirectory(base)}) {
      if (folder == nullptr) return kVNoParent;
      if (!folder->Exists()) {
        VResult result = folder->Create(true);
        if (result != kVOk) return result;
      }
    }
  }
  if (VDir* work = config.WorkDirectory(); work != nullptr && !work->Exists()) {
    VResult result = work->Create(true);
    if (result != kVOk) return result;
  }
  std::vector<std::unique_ptr<VDB_A>> made;
  VResult result = CreateSystemFiles(&made);
  if (result == kVOk) {
    // The dictionary is opened for the name and description alone.
    open_ = true;
    VDB_DD* dictionary = DataDictionary();
    const VDML& request = command.Request();
    result = dictionary != nullptr
                 ? dictionary->SetInfo(request.Text(VDML::kNAME), request.Text(VDML::kDESC))
                 : kVTargetUnavailable;
    if (dataDictionary_ != nullptr) {
      VResult closed = dataDictionary_->Close();
      if (result == kVOk) result = closed;
    }
    dataDictionary_.reset();
    open_ = false;
  }
  if (result != kVOk) {
    // A database half made is no database: the files this call made go again.
    for (auto& executor : made) {
      VResult erased = executor->EraseDBFile();
      if (erased != kVOk) {
        LogFormat("...ERROR... VABoss::CreateDatabase could not remove a half-made file ec:%d",
                  static_cast<int>(erased));
      }
    }
  }
  // The work files hold nothing that outlives the command; one left behind is made afresh.
  (void)CloseWorkFiles();
  return result;
}

VResult VABoss::CheckErasable() const {
  char cwd[PATH_MAX];
  const std::string here = ::getcwd(cwd, sizeof cwd) != nullptr ? RealPath(cwd) : "";
  std::string configDirectory;
  std::string platform;
  if (VPlatformPath(Config()->DirectoryPath().empty() ? "." : Config()->DirectoryPath(),
                    &platform) == kVOk) {
    configDirectory = RealPath(platform);
  }
  VConfig& config = *Config();
  for (int32_t i = 0; i < config.SectionCount(); ++i) {
    VMSD* section = config.Section(i);
    for (VDir* folder : {section->IndexDirectory(config.DirectoryPath()),
                         section->DataDirectory(config.DirectoryPath())}) {
      if (folder == nullptr || !folder->Exists()) continue;
      std::string path;
      if (folder->PlatformPath(&path) != kVOk) return kVInvalidPath;
      const std::string real = RealPath(path);
      if (real.empty() || Within(here, real) || Within(configDirectory, real)) {
        LogFormat("...ERROR... VABoss::Erase refuses %s", path);
        return kVRmdirFailed;
      }
    }
  }
  return kVOk;
}

VResult VABoss::EraseDatabase(VCMD&) {
  if (open_) return kVFileAlreadyOpen;
  VResult result = CheckErasable();
  if (result != kVOk) return result;
  VConfig& config = *Config();
  for (int32_t i = 0; i < config.SectionCount(); ++i) {
    VMSD* section = config.Section(i);
    for (VDir* folder : {section->IndexDirectory(config.DirectoryPath()),
                         section->DataDirectory(config.DirectoryPath())}) {
      if (!folder->Exists()) continue;
      result = folder->Remove();
      if (result != kVOk) return result;
    }
  }
  return kVOk;
}

VResult VABoss::OpenDatabase(VCMD&) {
  if (open_) return kVFileAlreadyOpen;
  stopped_ = false;
  open_ = true;
  VResult result = kVOk;
  if (Config()->TransactionLog()) {
    transactionLog_ = MakeTlogExecutor();
    result = transactionLog_->Schema() != nullptr ? OpenLog() : kVTargetUnavailable;
  }
  // The stored "VALUE" switch is kept and written back, but long data always has its value file.
  if (result == kVOk) {
    valueFile_ = MakeValueExecutor();
    result = valueFile_->Schema() != nullptr ? valueFile_->Open() : kVTargetUnavailable;
  }
  if (result != kVOk) {
    // The open has failed already; the log was only opened, so its close has nothing to keep.
    if (transactionLog_ != nullptr && transactionLog_->IsOpen()) (void)transactionLog_->Close();
    valueFile_.reset();
    transactionLog_.reset();
    open_ = false;
  }
  return result;
}

VResult VABoss::OpenLog() {
  // A database made while TLOG was off gets its log when TLOG is switched on: an empty log has
  // nothing pending. A log with one of its two files missing is a damaged log and is not replaced.
  const std::string name = transactionLog_->Schema()->StorageName();
  const VFile index(name + ".idx", Config()->IndexDirectory(VDB_Tlog::kFileNumber));
  const VFile data(name + ".dat", Config()->DataDirectory(VDB_Tlog::kFileNumber));
  if (!index.Exists() && !data.Exists()) {
    VResult made = transactionLog_->CreateDBFile();
    if (made != kVOk) return made;
  }
  return transactionLog_->Open();
}

VResult VABoss::CloseFiles() {
  VResult result = kVOk;
  auto close = [&result](VDB_A* executor) {
    if (executor == nullptr || !executor->IsOpen()) return;
    VResult closed = executor->Close();
    if (result == kVOk) result = closed;
  };
  for (auto& file : files_) close(file.get());
  files_.clear();
  close(valueFile_.get());
  close(transactionLog_.get());
  close(userFile_.get());
  close(dataDictionary_.get());
  close(commandLog_.get());
  return result;
}

VResult VABoss::CloseDatabase(VCMD&) {
  if (!open_) return kVFileNotOpen;
  VResult result = stopped_ ? kVOk : CloseFiles();
  DropAll();
  return result;
}

void VABoss::DropAll() {
  DropUserState();
  files_.clear();
  valueFile_.reset();
  transactionLog_.reset();
  userFile_.reset();
  dataDictionary_.reset();
  commandLog_.reset();
  // The work files hold sets and sorts only, which go with the database; a failure to remove
  // them leaves nothing behind that a later open would read.
  (void)CloseWorkFiles();
  open_ = false;
  stopped_ = false;
}

void VABoss::DropUserState() {
  VUQue::ForEach([this](VUQue& queue) {
    if (queue.Engine() != this) return;
    queue.DropSets();
    queue.ReleaseHolds();
  });
}

VResult VABoss::FlushAll() {
  // Every file is flushed even after one fails; the first failure is the answer.
  VResult result = kVOk;
  for (auto& file : files_) {
    VResult synced = file->Sync();
    if (result == kVOk) result = synced;
  }
  if (valueFile_ != nullptr) {
    VResult synced = valueFile_->Sync();
    if (result == kVOk) result = synced;
  }
  return result;
}

void VABoss::Stop() {
  if (stopped_) return;
  stopped_ = true;
  Log("...ERROR... VABoss::Stop the database stopped after a fatal error");
  for (auto& file : files_) file->Abandon();
  for (VDB_A* executor :
       {static_cast<VDB_A*>(valueFile_.get()), static_cast<VDB_A*>(transactionLog_.get()),
        static_cast<VDB_A*>(userFile_.get()), static_cast<VDB_A*>(dataDictionary_.get())}) {
    if (executor != nullptr) executor->Abandon();
  }
  // Sets refer to work pages that may be half written: they go too.
  DropUserState();
}

// ---- internal commands ----

std::unique_ptr<VCMD> VABoss::NewInternalCommand(VUQue* queue) {
  return std::make_unique<VCMD>(queue);
}

void VABoss::ReleaseInternalCommand(std::unique_ptr<VCMD> command) { command.reset(); }

VResult VABoss::ExecuteInternal(VCMD& command) {
  VDB_A* target = nullptr;
  switch (command.Code()) {
    case VCode::kTCommit:
    case VCode::kTCancel:
    case VCode::kiTLOG:
      target = TransactionLog();
      break;
    case VCode::kiCLOG:
      target = CommandLog();
      break;
    case VCode::kiInsert:
    case VCode::kiDelete:
    case VCode::kiUpdate: {
      const int32_t fileNumber = command.Request().Value(VDML::kFID);
      VResult error = kVOk;
      if (fileNumber >= 1) {
        target = FileExecutor(fileNumber, &error);
      } else if (fileNumber == -1) {
        target = DataDictionary();
      } else if (fileNumber == -2) {
        target = UserFile();
      } else if (fileNumber == VDB_Value::kInternalNumber) {
        target = ValueFile();
      }
      break;
    }
    default:
      return kVUnknownCommand;
  }
  if (target == nullptr) return kVTargetUnavailable;
  return target->ExecuteInternal(command);
}
