#include "db/engine/VDB_Clog.h"

#include "base/VDebug.h"
#include "db/engine/VCMD.h"
#include "db/engine/VEngineCodes.h"
#include "db/schema/VSchema.h"
#include "db/schema/VSystemSchemas.h"
#include "db/store/VDBCodes.h"

VDB_Clog::VDB_Clog(VABoss* engine) : VDB_A(engine, VSystemSchema(kVSchemaCommandLog)) {}

VDB_Clog::~VDB_Clog() {
  // The command log is closed explicitly with the database; this is the last resort.
  if (open_) (void)Close();
}

VResult VDB_Clog::CreateDBFile() { return kVOk; }

VResult VDB_Clog::EraseDBFile() { return kVOk; }

VResult VDB_Clog::Open() {
  if (open_) return kVFileAlreadyOpen;
  // A log someone else started stays theirs: it is written to but not stopped here.
  startedLog_ = VDebugActive() == nullptr;
  if (startedLog_) StartLog(kLogName, true);
  open_ = true;
  return kVOk;
}

VResult VDB_Clog::Close() {
  if (!open_) return kVFileNotOpen;
  if (startedLog_) StopLog();
  startedLog_ = false;
  open_ = false;
  return kVOk;
}

VResult VDB_Clog::ExecuteInternal(VCMD& command) {
  if (!open_) return kVFileNotOpen;
  if (command.Code() != VCode::kiCLOG || command.Subject() == nullptr) return kVUnknownCommand;
  Log(command.Subject()->LogLine().c_str());
  return kVOk;
}
