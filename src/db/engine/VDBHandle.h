// VDBHandle: the door to the engine. The player and the tools reach the database only through a
// handle on an engine object (VBSBoss): each operation makes a command, fills its request, has the
// engine execute it, reads the answer and releases the command.
//
// Results. Every operation answers a 16-bit result code: the engine's execution result when it is
// not 0, else the answer's "ECODE", else 0; 1 means the end of a sequential read. When the command
// succeeded but the answer lacks what the operation reads, the operation answers its own code:
// -2110 (a record, set or piece), -2111 (the number of an inserted record), -2120 ("QTY" or "RID"
// of a set), -2151, -2152, -2155 and -2156 (value-file answers). Out-parameters are written only on
// success. The engine's failure exception (VFailure) from a fatal storage error passes through any
// operation; the database then refuses every command but Close (-2145).
//
// Records travel as record images (the 16-bit body length and the body, VRecord's buffer). File
// numbers ("fileNumber") name database files of the data dictionary; a file is opened by the first
// command that names it and stays open until the database is closed.
//
// Users and transactions. Commands run for the engine's user queue, or for the queue given with
// SetQueue (another user of the same engine, with holds and sets of its own). Insert, Delete and
// Update hold the record for the user until Commit, Cancel or Close; a record another user holds
// cannot be deleted or updated (-504). With the transaction log (TLOG on) Cancel undoes the user's
// changes since the last commit, and opening a database undoes whatever a crash left uncommitted;
// without it Commit and Cancel answer -2143 (Commit has flushed the files all the same).
//
// Long data. The handle is the store of long-data values (types 64 and up, VLongDataStore): give it
// to VRecord's Import, Export, SetValueFromText and ValueText, and the data goes to the value file
// in pieces, under the same transaction as the records.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/VBase.h"
#include "db/schema/VLongDataStore.h"

class VBoss;
class VCMD;
class VRecord;
class VSchema;
class VUQue;

// One value of a stored record, for the comparison and text commands: record, item (1 to 255) and
// occurrence (0 and 1 name the first value). On the wire: u24 record, item byte, occurrence byte.
struct VItemRef {
  uint32_t record = 0;
  int32_t item = 0;
  int32_t occurrence = 0;
};

// What the engine tells about one of the user's sets (command 352).
struct VUserSetInfo {
  int32_t fileNumber = 0;
  int32_t setId = 0;
  uint32_t size = 0;
  std::string name;             // "#<id>"
  std::string sortDescription;  // empty when unsorted
  std::string statement;        // the statement that made it
};

class VDBHandle : public VLongDataStore {
 public:
  // engine: not owned; it must outlive the handle.
  explicit VDBHandle(VBoss* engine);
  virtual ~VDBHandle();
  VDBHandle(const VDBHandle&) = delete;
  VDBHandle& operator=(const VDBHandle&) = delete;

  // The raw command interface, passed on to the engine: any command of the command table can be
  // sent with these (fill Request(), Execute, read Answer()).
  virtual std::unique_ptr<VCMD> NewCommand();
  virtual VResult Execute(VCMD& command);
  virtual void ReleaseCommand(std::unique_ptr<VCMD> command);

  VBoss* Engine() const { return engine_; }
  // Commands of this handle run for this queue; null (the default) means the engine's own.
  void SetQueue(VUQue* queue) { queue_ = queue; }
  VUQue* Queue() const { return queue_; }
  // Whether the engine's database is open.
  bool IsOpen() const;

  // ---- the database ----
  // Creates the directories and system files of the configuration and stores the name and
  // description (empty: the defaults). -401 when open; the first failure stops (files made by
  // the call are removed again).
  VResult CreateDatabase(std::string_view name, std::string_view desc);
  // Removes the database's index and data directories. -401 when open; -18 for a directory that
  // holds the working directory or the configuration file.
  VResult EraseDatabase();
  // Opens the database; a name is given to the user queue. The password is not checked. -401 when
  // open.
  VResult Open(std::string_view userName = {}, std::string_view password = {});
  // Commits the user's transaction, drops the sets and holds of every user of the engine and
  // closes; 0 when the database is not open.
  VResult Close();
  // Flushes every open file.
  VResult Flush();
  // Ends the user's transaction: Commit makes the changes durable and releases the holds; Cancel
  // undoes the changes since the last commit and releases the holds.
  VResult Commit();
  VResult Cancel();

  // ---- files ----
  // Enters the files of a schema text (a database's files, or one file) in the data dictionary
  // and creates their record files, file by file; the first failure stops. -2000 for a text that
  // is neither a database nor a file.
  VResult CreateFiles(std::string_view schemaText);
  VResult CreateFiles(const VSchema& schema);
  // Creates / deletes the record files of a file of the dictionary (-401 when it is open).
  VResult CreateFile(int32_t fileNumber);
  VResult EraseFile(int32_t fileNumber);
  // Builds all keys / drops all keys / builds or drops one key.
  VResult CreateAllKeys(int32_t fileNumber);
  VResult DeleteAllKeys(int32_t fileNumber);
  VResult CreateKey(int32_t fileNumber, int32_t key);
  VResult DeleteKey(int32_t fileNumber, int32_t key);
  // The last record number handed out ("MaxRNbr"; "FileSize" answers the same number, which stays
  // when records are deleted).
  VResult MaxRNbr(int32_t fileNumber, uint32_t* record);
  VResult FileSize(int32_t fileNumber, uint32_t* size);
  // The next value of serial counter 0..3 of the file (0 for any other counter).
  VResult GetUnique(int32_t fileNumber, int32_t counter, uint32_t* value);
  // Record bodies of this many bytes or more are refused.
  VResult MacRLength(int32_t fileNumber, int32_t* length);

  // ---- records ----
  // Stores a record; record receives its number.
  VResult Insert(int32_t fileNumber, const VRecord& record, uint32_t* r);
  VResult Insert(int32_t fileNumber, std::span<const uint8_t> image, uint32_t* r);
  VResult Delete(int32_t fileNumber, uint32_t r);
  VResult Update(int32_t fileNumber, uint32_t r, const VRecord& record);
  VResult Update(int32_t fileNumber, uint32_t r, std::span<const uint8_t> image);
  // Reads record r (-201 when there is none).
  VResult Read(int32_t fileNumber, uint32_t r, VRecord* record);
  VResult Read(int32_t fileNumber, uint32_t r, std::vector<uint8_t>* image);
  // Adds a value (at most 255 bytes) of record r to key k; -101 when the key is unique and the
  // value belongs to another record. Remove takes the value away, or with an empty value every
  // entry of record r.
  VResult AddKeyEntry(int32_t fileNumber, uint32_t r, int32_t key, std::string_view value);
  VResult RemoveKeyEntry(int32_t fileNumber, uint32_t r, int32_t key, std::string_view value);
  // Counts the records of a query statement without keeping a set; first receives the lowest
  // record number (0 when none).
  VResult CountRecords(int32_t fileNumber, std::string_view statement, uint32_t* count,
                       uint32_t* first);

  // ---- sets (kept in the user's list until dropped or until Close) ----
  // Makes a set from a query statement (-2114 for a statement that fails).
  VResult MakeSet(int32_t fileNumber, std::string_view statement, int32_t* set, uint32_t* size);
  VResult DropSet(int32_t fileNumber, int32_t set);
  VResult SetSize(int32_t fileNumber, int32_t set, uint32_t* size);
  // The record number at a position from 0 (sorted order when sorted; -2121 outside the set) and,
  // when record is given, the record.
  VResult SetGet(int32_t fileNumber, int32_t set, uint32_t index, uint32_t* r,
                 VRecord* record = nullptr);
  VResult SetAdd(int32_t fileNumber, int32_t set, uint32_t r);
  VResult SetAdd(int32_t fileNumber, int32_t set, std::span<const uint32_t> records);
  VResult SetRemove(int32_t fileNumber, int32_t set, uint32_t r);
  VResult SetRemove(int32_t fileNumber, int32_t set, std::span<const uint32_t> records);
  // Sorts by a sort description ("[age]%D [name]" ...); SortCancel returns to record-number order.
  VResult SortSet(int32_t fileNumber, int32_t set, std::string_view description);
  VResult SortCancel(int32_t fileNumber, int32_t set);
  // The user's sets (of every file), and the one at a position among them (-2133 when none).
  VResult UserSetCount(int32_t* count);
  VResult UserSetInfo(int32_t index, VUserSetInfo* info);

  // ---- sequential reads ----
  // A key sequence on key k from the first entry not below value (empty: from the first entry);
  // 1 when no entry is at or after it. KeyRead gives the entry's key bytes and record numbers and
  // moves on (1 past the end).
  VResult KeyLocate(int32_t fileNumber, int32_t key, std::string_view value, int32_t* sequence);
  VResult KeyRead(int32_t fileNumber, int32_t sequence, std::string* value,
                  std::vector<uint32_t>* records);
  VResult KeyCancel(int32_t fileNumber, int32_t sequence);
  // A physical sequential read: every record in storage order; PhysicalRead answers 1 past the
  // last record.
  VResult PhysicalLocate(int32_t fileNumber, int32_t* read);
  VResult PhysicalRead(int32_t fileNumber, int32_t read, uint32_t* r, VRecord* record);
  VResult PhysicalCancel(int32_t fileNumber, int32_t read);

  // ---- items of a stored record, read in place ----
  // Items in the record (-2181 none); the item number at a position from 0 (-2182); the values of
  // an item (-2183 none); the length, type code and bytes of one value (occurrence 0 or 1 the
  // first; -2184 absent).
  VResult ItemCount(int32_t fileNumber, uint32_t r, int32_t* count);
  VResult ItemNumberAt(int32_t fileNumber, uint32_t r, int32_t index, int32_t* item);
  VResult ValueCount(int32_t fileNumber, uint32_t r, int32_t item, int32_t* count);
  VResult ValueLength(int32_t fileNumber, uint32_t r, int32_t item, int32_t occurrence,
                      int32_t* length);
  VResult ValueType(int32_t fileNumber, uint32_t r, int32_t item, int32_t occurrence,
                    int32_t* type);
  VResult GetItem(int32_t fileNumber, uint32_t r, int32_t item, int32_t occurrence,
                  std::vector<uint8_t>* bytes);
  // Compares two stored values (Number and Integer as decimals, others bytewise): -1, 0 or 1.
  VResult CompareItems(int32_t fileNumber, const VItemRef& a, const VItemRef& b, int32_t* order);
  // One stored value as text.
  VResult ItemText(int32_t fileNumber, const VItemRef& ref, std::string* text);

  // ---- data dictionary ----
  // The database's name and description and its file numbers.
  VResult GetInfo(std::string* name, std::string* desc, std::vector<uint32_t>* files);
  VResult SetInfo(std::string_view name, std::string_view desc);
  // Enters one file's schema text (-2173 for a text that does not parse, is not one file, or names
  // a file already entered); the schema text of a file (-2174 when not entered); removes a file's
  // entries.
  VResult AppendSchema(std::string_view fileSchemaText);
  VResult FetchSchema(int32_t fileNumber, std::string* text);
  VResult RemoveSchema(int32_t fileNumber);

  // ---- user file (SECURITY on; -2143 otherwise) ----
  VResult AddUser(std::string_view name, std::string_view password, int32_t access, int32_t update);
  VResult DeleteUser(std::string_view name);
  // -2163 for an unknown name.
  VResult GetUser(std::string_view name, std::string* password, int32_t* access, int32_t* update);

  // ---- value file (long values in pieces) ----
  // The largest piece; a new value id; a piece appended to a value; a value's pieces deleted; a
  // set of a value's pieces and its piece count; one piece (from 0) of such a set; the set dropped.
  VResult ValuePieceLength(int32_t* length);
  VResult NewValue(int32_t* valueId);
  VResult InsertValuePiece(int32_t valueId, std::span<const uint8_t> piece);
  VResult DeleteValue(int32_t valueId);
  VResult MakeValueSet(int32_t valueId, int32_t* set, uint32_t* pieces);
  VResult GetValuePiece(int32_t set, uint32_t index, std::vector<uint8_t>* piece);
  VResult CancelValueSet(int32_t set);

  // ---- VLongDataStore: long data in the value file ----
  // Stores the stream from its position to its end in pieces under a new value id (a 24-bit
  // identifier; kVLongDataFull when ids run out). Nothing is left behind on failure.
  VResult StoreData(VStream& source, uint32_t* id, uint32_t* size) override;
  // Writes every piece of the value, in order, to the sink (nothing for a value without pieces).
  VResult FetchData(uint32_t id, VStream& sink) override;
  VResult FreeData(uint32_t id) override;

 private:
  template <class FillFn, class ReadFn>
  VResult Run(int16_t code, FillFn fill, ReadFn read);
  template <class FillFn>
  VResult Run(int16_t code, FillFn fill);
  // The command of the next operation: the one kept from the last operation, made new, or one
  // from the engine when none is kept (the first time, or while an operation runs inside another).
  std::unique_ptr<VCMD> TakeCommand();
  // Keeps the command for the next operation (the engine's ReleaseCommand gets it when the handle
  // goes).
  void KeepCommand(std::unique_ptr<VCMD> command);

  VBoss* engine_;
  VUQue* queue_ = nullptr;
  std::unique_ptr<VCMD> spare_;
  // The queue the engine gave its last new command, for a kept command when no queue is set.
  VUQue* engineQueue_ = nullptr;
};
