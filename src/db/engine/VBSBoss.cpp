#include "db/engine/VBSBoss.h"

#include <cstdio>
#include <exception>

#include "base/VDebug.h"
#include "db/engine/VCMD.h"
#include "db/engine/VDB_DD.h"
#include "db/engine/VDB_DM.h"
#include "db/engine/VDB_Tlog.h"
#include "db/engine/VDB_User.h"
#include "db/engine/VDB_Value.h"
#include "db/engine/VEngineCodes.h"
#include "db/engine/VSetAcc.h"
#include "db/engine/VUQue.h"
#include "db/schema/VVM.h"
#include "db/store/VDBCodes.h"

namespace {

bool IsFileCommand(int32_t code) {
  return (code >= VCode::kCreateAllKey && code <= VCode::kDeleteKey) ||
         (code >= VCode::kMaxRNbr && code <= VCode::kPSCancel) ||
         (code >= VCode::kCountRecords && code <= VCode::kRemoveKeyEntry) ||
         (code >= VCode::kItemCount && code <= VCode::kGetItem) || code == VCode::kCompareItems ||
         code == VCode::kItemText;
}

}  // namespace

void VEngineShutdown() { VVM::Shutdown(); }

VBSBoss::VBSBoss(const std::string& configPath) : VABoss(configPath) {}

VBSBoss::~VBSBoss() {
  // The queue's sets refer to the work files: they go before the database and the configuration.
  if (queue_ != nullptr) queue_->DropSets();
}

VUQue* VBSBoss::Queue() {
  if (queue_ == nullptr) {
    queue_ = std::make_unique<VUQue>(kQueueName);
    queue_->SetEngine(this);
  }
  return queue_.get();
}

std::unique_ptr<VCMD> VBSBoss::NewCommand() { return std::make_unique<VCMD>(Queue()); }

VResult VBSBoss::Execute(VCMD& command) {
  if (command.Queue() == nullptr) command.SetQueue(Queue());
  command.Queue()->SetEngine(this);
  int32_t code = 0;
  VResult result;
  if (!command.Request().Get(VDML::kVCODE, &code)) {
    result = kVUnknownCommand;
  } else if (IsStopped() && code != VCode::kClose) {
    result = kVEngineStopped;
  } else {
    // A failure leaving a command stops the engine (every command but "Close" is then refused
    // until the database is opened again) and goes on to the caller.
    try {
      result = Route(command, code);
    } catch (...) {
      Stop();
      throw;
    }
  }
  command.SetResult(result);
  if (LogsCommands()) Internal().LogCommand(command);
  return result;
}

VResult VBSBoss::Route(VCMD& command, int32_t code) {
  VUQue* queue = command.Queue();
  switch (code) {
    case VCode::kTCommit:
      return Commit(queue);
    case VCode::kTCancel:
      return Cancel(queue);
    case VCode::kOpen:
      return Open(command);
    case VCode::kClose:
      return Close(command);
    case VCode::kCreate:
    case VCode::kErase:
    case VCode::kCreateDBFile:
    case VCode::kEraseDBFile:
    case VCode::kFlush:
      return RunDatabaseCommand(command);
    case VCode::kUserSetCount:
    case VCode::kUserSetInfo:
      return UserSets(command, code);
    default:
      break;
  }
  if (IsFileCommand(code)) {
    VResult error = kVOk;
    VDB_DM* file = FileExecutor(command.Request().Value(VDML::kFID), &error);
    return file != nullptr ? file->ExecuteCommand(command) : error;
  }
  VDB_A* target = nullptr;
  if (code >= VCode::kDBV_Length && code <= VCode::kDBV_SCancel) {
    target = ValueFile();
  } else if (code >= VCode::kDBU_Insert && code <= VCode::kDBU_Get) {
    target = UserFile();
  } else if (code >= VCode::kDBD_GetInfo && code <= VCode::kDBD_Remove) {
    target = DataDictionary();
  } else {
    return kVUnknownCommand;
  }
  return target != nullptr ? target->ExecuteCommand(command) : kVTargetUnavailable;
}

VResult VBSBoss::Commit(VUQue* queue) {
  FlushAll();
  VResult result = TransactionLog() != nullptr ? Internal().Commit(queue) : kVTargetUnavailable;
  queue->ReleaseHolds();
  return result;
}

VResult VBSBoss::Cancel(VUQue* queue) {
  VResult result = TransactionLog() != nullptr ? Internal().Cancel(queue) : kVTargetUnavailable;
  queue->ReleaseHolds();
  return result;
}

VResult VBSBoss::Open(VCMD& command) {
  VResult result = RunDatabaseCommand(command);
  if (result != kVOk) return result;
  if (command.Request().Has(VDML::kNAME))
    command.Queue()->SetName(command.Request().Text(VDML::kNAME));
  if (TransactionLog() != nullptr) {
    // Whatever a crash left pending is undone before anyone works on the database.
    result = Internal().Cancel(nullptr);
    if (result != kVOk) LogFormat("...ERROR... VBSBoss::Open undo ec:%d", result);
  }
  return result;
}

VResult VBSBoss::Close(VCMD& command) {
  if (!IsOpen()) return kVFileNotOpen;
  if (!IsStopped()) {
    FlushAll();
    if (TransactionLog() != nullptr) Internal().Commit(command.Queue());
  }
  DropUserState();
  return RunDatabaseCommand(command);
}

VResult VBSBoss::UserSets(VCMD& command, int32_t code) {
  VListMgr& sets = command.Queue()->Sets();
  VDML& answer = command.Answer();
  if (code == VCode::kUserSetCount) {
    answer.Set(VDML::kQTY, sets.CountOf(VSetObj::kSet));
    return kVOk;
  }
  auto* set =
      static_cast<VSetAcc*>(sets.NthOf(VSetObj::kSet, command.Request().Value(VDML::kIDX, -1)));
  if (set == nullptr) return kVNoSuchUserSet;
  answer.Set(VDML::kFID, set->FileNumber());
  answer.Set(VDML::kSID, set->Id());
  answer.Set(VDML::kQTY, static_cast<int32_t>(set->Size()));
  char name[24];
  std::snprintf(name, sizeof name, "#%ld", static_cast<long>(set->Id()));
  answer.SetText(VDML::kNAME, name);
  if (!set->SortDescription().empty()) answer.SetText(VDML::kDESC, set->SortDescription());
  if (!set->Statement().empty()) answer.AddPiece(set->Statement());
  return kVOk;
}
