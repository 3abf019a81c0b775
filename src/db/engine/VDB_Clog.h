// VDB_Clog: the command log (file 30005), made when CLOG is on. It keeps no record file: opening it
// starts the debug log "varnex_log" (numbered: the first free "varnex_log.logN"), closing it stops
// that log, and each "iCLOG" command writes one line for the command it carries:
//
//   CMD:%-10s Q[%s] A[%s] UQ[%s]
//
// with the command's name, the request's fields, the answer's fields (without the command code)
// and the user queue's description.
#pragma once

#include "db/engine/VDB_A.h"

class VDB_Clog : public VDB_A {
 public:
  static constexpr int32_t kFileNumber = 30005;
  static constexpr const char* kLogName = "varnex_log";

  explicit VDB_Clog(VABoss* engine);
  ~VDB_Clog() override;

  // Creating and erasing the command log touch no file.
  VResult CreateDBFile() override;
  VResult EraseDBFile() override;
  VResult Open() override;
  VResult Close() override;
  VResult Sync() override { return kVOk; }
  // 1011 writes the command's line; any other code -2140.
  VResult ExecuteInternal(VCMD& command) override;

 private:
  bool startedLog_ = false;
};
