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
  if (LogsCommands()) LogCommandOf(command);
  return result;
}

void VBSBoss::LogCommandOf(const VCMD& command) {
  // A command log that cannot be written does not undo the command; the debug log says so.
  VResult logged = Internal().LogCommand(command);
  if (logged != kVOk) {
    LogFormat("...ERROR... VBSBoss::Execute command log ec:%d", static_cast<int>(logged));
  }
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
  VResult result = FlushAll();
  // The log is committed only over files that reached the disk: a failed flush leaves the
  // changes pending, so that the next open undoes them instead of keeping half of them.
  if (result == kVOk) {
    result = TransactionLog() != nullptr ? Internal().Commit(queue) : kVTargetUnavailable;
  }
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
    // Whatever a crash left pending is undone before anyone works on the database. When that
    // fails the database is closed again, without committing, so that the caller sees the
    // failure and a later "Open" tries the undo anew (the undone steps are already gone from the
    // log; the rest stays pending).
    result = Internal().Cancel(nullptr);
    if (result != kVOk) {
      LogFormat("...ERROR... VBSBoss::Open undo ec:%d", static_cast<int>(result));
      DropUserState();
      VResult closed = CloseDatabase(command);
      if (closed != kVOk) {
        LogFormat("...ERROR... VBSBoss::Open close after undo ec:%d", static_cast<int>(closed));
      }
    }
  }
  return result;
}

VResult VBSBoss::Close(VCMD& command) {
  if (!IsOpen()) return kVFileNotOpen;
  VResult result = kVOk;
  if (!IsStopped()) {
    // What the caller did since the last commit is committed; a failure of that is the answer
    // of "Close" (the database still closes: its log keeps the changes pending for the next open).
    result = FlushAll();
    if (result == kVOk && TransactionLog() != nullptr) result = Internal().Commit(command.Queue());
    if (result != kVOk) {
      LogFormat("...ERROR... VBSBoss::Close commit ec:%d", static_cast<int>(result));
      // The command log closes with the database: the failing "Close" is written to it now.
      command.SetResult(result);
      if (LogsCommands()) LogCommandOf(command);
    }
  }
  DropUserState();
  VResult closed = RunDatabaseCommand(command);
  return result != kVOk ? result : closed;
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
