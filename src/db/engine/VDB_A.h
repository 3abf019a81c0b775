// VDB_A: the executor of one record file of a database, the base of the executors of the database
// files (VDB_DM) and of the system files (VDB_DD, VDB_User, VDB_Value, VDB_Tlog, VDB_Clog).
//
// It holds the engine, the file's schema (parsed from built-in text for a system file, from the
// data dictionary for a database file), the record file while open, and an internal handle through
// which it sends internal commands (transaction-log records, undo steps).
//
// Every executor answers the common internal commands, the undo steps of the transaction log:
// 1021 "iInsert" stores the record image of the data piece under record number "RID", 1022
// "iDelete" removes record "RID", 1023 "iUpdate" writes the image back over record "RID". The
// steps bring the record to the state asked for whatever state it is found in (a record already
// present is written over by "iInsert", a record already gone is no failure of "iDelete"), so that
// undoing changes of which only some reached the disk before a crash restores them exactly.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "base/VObj.h"
#include "db/engine/VDBFileSets.h"
#include "db/engine/VDIHandle.h"

class VABoss;
class VCMD;
class VConfig;
class VDBFile;
class VListMgr;
class VSch_DBFile;
class VUQue;

class VDB_A : public VObj {
 public:
  VDB_A(VABoss* engine, std::unique_ptr<VSch_DBFile> schema);
  // Closes an open file without raising: a flush that fails is logged and its changes are left to
  // the backup's replay.
  ~VDB_A() override;
  VDB_A(const VDB_A&) = delete;
  VDB_A& operator=(const VDB_A&) = delete;

  virtual VSch_DBFile* Schema() const { return schema_.get(); }
  virtual VConfig* Config() const;
  virtual bool IsOpen() const { return open_; }
  virtual int32_t FileNumber() const;
  // Creates / deletes the record files: -401 when open, then the record file's codes.
  virtual VResult CreateDBFile();
  virtual VResult EraseDBFile();
  // -401 when open, then the record file's codes.
  virtual VResult Open();
  // Flushes and closes: -501 when closed. A failed flush raises the engine's failure.
  virtual VResult Close();
  // Flushes the open file (raises on failure); 0 when closed.
  virtual VResult Sync();
  // 1021 to 1023; any other code -2140.
  virtual VResult ExecuteInternal(VCMD& command);
  // The base answers no command: -2140.
  virtual VResult ExecuteCommand(VCMD& command);

  VDBFile* File() const { return file_.get(); }
  // Closes without writing anything (after a fatal error).
  void Abandon();

 protected:
  // The record numbers of a query statement over the file, in set order, made with the queue's
  // list of sets and dropped again: 0 or the statement's failure.
  VResult Query(VUQue& queue, std::string_view statement, std::vector<uint32_t>* records);
  // The open file's sets in a user's list (sets: the list).
  VDBFileSets FileSets(VListMgr* sets) const;

  VABoss* engine_;
  std::unique_ptr<VSch_DBFile> schema_;
  std::unique_ptr<VDBFile> file_;
  bool open_ = false;
  VDIHandle internal_;
};

// The schema of a system file from its built-in lines (VSystemSchemas.h).
std::unique_ptr<VSch_DBFile> VSystemSchema(const char* const* lines);
