// VABoss: one database. It creates, erases, opens and closes the database, keeps the executors of
// its open files and of its system files, and runs the internal commands.
//
// System files (each an executor made when first needed, and only when the configuration enables
// it): the data dictionary (DDD), the user file (SECURITY), the value file (VALUE), the transaction
// log (TLOG) and the command log (CLOG). The value file and the transaction log are opened with the
// database; the others when first needed. Database files are opened on first use: the schema is
// fetched from the data dictionary, an executor made and opened, and it stays open until the
// database is closed.
//
// A fatal storage error stops the database (Stop): every open file is closed without writing
// anything, so nothing continues on a state that may be corrupt; the disk keeps the state of the
// last complete flushes, and the next open undoes through the transaction log what was not
// committed.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "db/engine/VBoss.h"
#include "db/engine/VDIHandle.h"

class VDB_A;
class VDB_Clog;
class VDB_DD;
class VDB_DM;
class VDB_Tlog;
class VDB_User;
class VDB_Value;
class VDBFile;
class VSch_DBFile;
class VUQue;

class VABoss : public VBoss {
 public:
  explicit VABoss(const std::string& configPath);
  // Closes an open database without committing: what was not committed is undone at its next
  // open. Never raises.
  ~VABoss() override;

  bool IsOpen() const override { return open_; }

  // Database-level commands.
  // "Create": the directories of every storage section and the work directory when missing, then
  // the system files (a failure removes the files this call made), then the name and description
  // ("NAME", "DESC") in the data dictionary. -401 when open.
  virtual VResult CreateDatabase(VCMD& command);
  // "Erase": removes each existing index and data directory of every section; -401 when open. A
  // directory that holds the working directory or the configuration file is refused (-18) before
  // anything is removed.
  virtual VResult EraseDatabase(VCMD& command);
  // "Open": the transaction log (TLOG; made first when the database has none yet) and the value
  // file (VALUE); -401 when open.
  virtual VResult OpenDatabase(VCMD& command);
  // "Close": every open file is flushed and closed, then the system files; -501 when closed.
  virtual VResult CloseDatabase(VCMD& command);
  // Flushes every open database file and the value file.
  virtual VResult FlushAll();
  virtual std::unique_ptr<VDB_DM> MakeFileExecutor(std::unique_ptr<VSch_DBFile> schema);
  virtual std::unique_ptr<VDB_DD> MakeDDExecutor();
  virtual std::unique_ptr<VDB_User> MakeUserExecutor();
  virtual std::unique_ptr<VDB_Value> MakeValueExecutor();
  virtual std::unique_ptr<VDB_Tlog> MakeTlogExecutor();
  virtual std::unique_ptr<VDB_Clog> MakeClogExecutor();
  // 201 to 204 and 301 to 303; any other code -2140.
  virtual VResult RunDatabaseCommand(VCMD& command);
  virtual std::unique_ptr<VCMD> NewInternalCommand(VUQue* queue);
  // 101, 102 and 1001 to the transaction log, 1011 to the command log, 1021 to 1023 to the
  // executor of file "FID" (-1 data dictionary, -2 user file, -3 value file); -2140 for other
  // codes, -2143 when the target is not available.
  virtual VResult ExecuteInternal(VCMD& command);
  virtual void ReleaseInternalCommand(std::unique_ptr<VCMD> command);

  // The executor of an open database file, opened on first use: null with *error -2143 when the
  // file is not in the dictionary, its schema does not parse or it cannot be opened.
  VDB_DM* FileExecutor(int32_t fileNumber, VResult* error);
  // The system files, made and opened when first needed; null when not available (database
  // closed, switched off, or failing to open).
  VDB_DD* DataDictionary();
  VDB_User* UserFile();
  VDB_Value* ValueFile();
  VDB_Tlog* TransactionLog();
  VDB_Clog* CommandLog();
  // The open transaction log's record file, or null.
  VDBFile* TransactionLogFile() const;
  // Whether commands are logged (CLOG on, database open).
  bool LogsCommands() const;
  VDIHandle& Internal() { return internal_; }

  bool IsStopped() const { return stopped_; }
  // Closes every file without writing (never raises); the database stays open but refuses
  // commands until it is closed.
  void Stop();

 protected:
  // Closes the files in the order that keeps the transaction log last among the changed files;
  // raises the engine's failure when a flush fails.
  VResult CloseFiles();
  // Forgets every executor without writing (after Stop) and marks the database closed.
  void DropAll();
  // Drops the sets and holds of every queue that ran commands on this engine.
  void DropUserState();

 private:
  VResult CreateSystemFiles(std::vector<std::unique_ptr<VDB_A>>* made);
  // Opens the transaction log, creating it first when neither of its files exists.
  VResult OpenLog();
  VResult CheckErasable() const;

  bool open_ = false;
  bool stopped_ = false;
  std::unique_ptr<VDB_DD> dataDictionary_;
  std::unique_ptr<VDB_User> userFile_;
  std::unique_ptr<VDB_Value> valueFile_;
  std::unique_ptr<VDB_Tlog> transactionLog_;
  std::unique_ptr<VDB_Clog> commandLog_;
  std::vector<std::unique_ptr<VDB_DM>> files_;
  VDIHandle internal_;
};
