// A record file: one file of a database schema stored as an index file ("%s.idx": allocation
// bitmaps, the directory, the record map and the key trees), a data file ("%s.dat": free-space
// maps and record blocks) and, only while a flush is being written or after a crash during one, a
// backup file ("%s.bup"). "%s" is the schema file's storage name (its label, else "@f%03d").
//
// Directory block (index block 1): block header (kind 1), u24 record-map root, u24 last record
// number handed out, u24 record count, 7 zero bytes, four u32 serial counters, then from offset 36
// one 8-byte slot per key number k (u24 root, low attribute byte, u24 reverse root, high attribute
// byte); K = min(255, (B - 36) / 8) slots fit, so keys 1..K-1 exist.
//
// Backup file: u32 completion mark (0 while being written, then the file's length), then entries of
// u32 file kind (1 index, 2 data), u32 block number (0xFFFFFFFF for the 512-byte header), u32 image
// length and the image.
//
// Durability: changed blocks stay in the block cache until Flush, the only path by which they reach
// the record files. Flush writes every changed block and header into the backup and makes it
// durable, then writes the completion mark and makes that durable, then writes in place and makes
// the record files durable, then removes the backup. After a crash, Open replays a complete backup
// and discards an incomplete one, so the files always hold the state of the last complete flush.
// Record operations are bracketed in the cache so that no flush ever sees half an operation.
//
// Where the backup lives: in the configured work directory when WORKPATH is set, else beside the
// index file. A work directory made up for one run would be a different folder in the next run,
// where the replay could never find the backup.
//
// Failures: operations answer result codes (VDBCodes.h). A failure of Flush, or of a key update
// after the record itself changed, is logged and raised as VFailure(-1).
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "base/VObj.h"
#include "db/store/VDBCodes.h"
#include "db/store/VIOSync.h"
#include "db/store/VKeyList.h"

class VCash;
class VCioFsp;
class VCioMap;
class VConfig;
class VDir;
class VFile;
class VHolder;
class VListMgr;
class VRBCvt;
class VRecAcc;
class VSch_DBFile;
class VSch_DBKey;

class VDBFile : public VIOSync, public VObj {
 public:
  static constexpr int32_t kMinIndexBlock = 2048;
  static constexpr int32_t kMinDataBlock = 4096;
  static constexpr uint8_t kDirectoryKind = 1;
  static constexpr int32_t kSerialCounters = 4;

  // The schema file belongs to the owning database; the configuration and the block cache belong
  // to the engine. All three outlive this object.
  VDBFile(VSch_DBFile* schema, VConfig* config, VCash* cache);
  // Closes an open file; a flush that fails here is logged and its changes are left to the
  // backup's replay.
  ~VDBFile() override;
  VDBFile(const VDBFile&) = delete;
  VDBFile& operator=(const VDBFile&) = delete;

  int32_t FileNumber() const;
  const std::string& StorageName() const { return name_; }
  bool IsOpen() const { return open_; }
  bool IsReadOnly() const;

  // Creates the index file (bitmap, directory, empty record-map root and a root per key) and the
  // data file (its header only): -401, -510, -513 when either exists, -503 for a key outside the
  // directory's slots. Nothing is left behind on failure.
  VResult CreateDBFile();
  // Deletes both files (and any backup of them): -401, -510, -410, -411.
  VResult EraseDBFile();
  // Opens both files, replays or drops a backup, reads the directory and opens the keys: -401,
  // file errors, -38 for a complete backup that does not fit the files (kept, nothing touched),
  // -510 for a read-only file with a backup to replay, -37 / -230 for a broken directory or map.
  VResult Open();
  // Flushes and closes: -501 when not open; -29 when an earlier flush failed after its backup was
  // complete (the files are closed and the next Open replays the backup).
  VResult Close();
  // Writes every changed block through the backup; raises VFailure(-1) on any failure.
  VResult Flush() override;
  // Closes without writing anything: the changes since the last complete flush are dropped and the
  // files keep (or, with a backup left to replay, regain at the next Open) that flush's state.
  // For a file whose state in memory can no longer be trusted. Nothing when not open.
  void Abandon();
  // A file whose changes must be durable before any of this file's: every flush of this file
  // (Flush, a write-back the cache asks for, Close) first flushes that one, and fails when it
  // fails. The transaction log is made the predecessor of the files whose changes it records, so
  // that no change reaches the disk before the record that undoes it. Null: none.
  void SetFlushFirst(VDBFile* first) { flushFirst_ = first; }
  VDBFile* FlushFirst() const { return flushFirst_; }

  // Builds every key of the schema (all keys are dropped first) / one key from the records. A key
  // enters the directory only once it is complete: a failed build drops what it made and answers
  // the failure, and after a crash during a build the key is absent, not partly built (the blocks
  // the build had taken stay allocated). -501, -510, -502 (CreateKey: already open), -503.
  VResult CreateAllKey();
  VResult DeleteAllKey();
  VResult CreateKey(int32_t keyNumber);
  VResult DeleteKey(int32_t keyNumber);

  uint32_t MaxRNbr() const;
  uint32_t RecordCount() const;
  // Increments serial counter n (0..3) and answers its new value; 0 for any other n, and when the
  // file is not open or read-only.
  uint32_t GetUnique(int32_t n);
  // Bodies of this many bytes or more are refused.
  int32_t MacRLength() const { return macRLength_; }

  // Record images are the u16 body length followed by the body (a record buffer).
  VResult GetRecord(uint32_t r, std::vector<uint8_t>* image);
  // user: the calling user's holds (null: no holds are kept).
  VResult InsRecord(VHolder* user, std::span<const uint8_t> image, uint32_t* r);
  VResult DelRecord(VHolder* user, uint32_t r);
  VResult UpdRecord(VHolder* user, uint32_t r, std::span<const uint8_t> image);
  // The same without length, uniqueness and hold checks (replays and undo steps). I_InsRecord
  // stores under the proposed *r unless that number is taken (0: a new number); r receives the
  // number used.
  VResult I_InsRecord(std::span<const uint8_t> image, uint32_t* r);
  VResult I_DelRecord(uint32_t r);
  VResult I_UpdRecord(uint32_t r, std::span<const uint8_t> image);

  // Adds a value (a length byte and the bytes) for record r to key k and its reverse tree: -101
  // when the key is unique and the value belongs to another record, -502 when k is not open.
  VResult AddKeyEntry(int32_t keyNumber, uint32_t r, std::span<const uint8_t> value);
  // Removes the value, or with an empty value every entry of record r, from key k and its reverse
  // tree.
  VResult RemoveKeyEntry(int32_t keyNumber, uint32_t r, std::span<const uint8_t> value);

  // Key sequences, kept in the calling user's list of sets. KSLocate positions a sequence on key
  // k at the first entry not below value (a stored key value, compared as it is; empty: from the
  // first entry) and adds it to the list: 0 with its id, 1 (and no sequence) when no entry is at or
  // after the value, -501, -502 key not open, -230. KSRead gives the entry's key value and record
  // numbers and moves on: 0, 1 past the end, -506 no such sequence of this file, -502 the key was
  // dropped or reopened since, -230. KSCancel removes and deletes it: 0 or -506.
  VResult KSLocate(VListMgr* sets, int32_t keyNumber, std::span<const uint8_t> value, int32_t* id);
  VResult KSRead(VListMgr* sets, int32_t id, std::vector<uint8_t>* key,
                 std::vector<uint32_t>* records);
  VResult KSCancel(VListMgr* sets, int32_t id);

  // Physical sequential reads, kept in the calling user's list like key sequences (the file's sets
  // are made and used through VDBFileSets, in the engine). Every id must name a read of this file,
  // else -506.
  // PSLocate adds a read at the start of the data file (-501); PSRead gives the next record in
  // physical order (1 past the last) and moves on; PSCancel drops the read.
  VResult PSLocate(VListMgr* sets, int32_t* id);
  VResult PSRead(VListMgr* sets, int32_t id, uint32_t* r, std::vector<uint8_t>* image);
  VResult PSCancel(VListMgr* sets, int32_t id);

  // Items of a stored record, read in place in its block (items numbered 1..255, occurrences from
  // 1, 0 naming the first). -201 record not found, -212 the record cannot be read, -2116 no value.
  VResult ItemCount(uint32_t r, int32_t* count);
  // The item number at position index (from 0) in the record.
  VResult ItemNumberAt(uint32_t r, int32_t index, int32_t* item);
  VResult ValueCount(uint32_t r, int32_t item, int32_t* count);
  VResult ValueLength(uint32_t r, int32_t item, int32_t occurrence, int32_t* length);
  VResult ValueType(uint32_t r, int32_t item, int32_t occurrence, int32_t* type);
  // The bytes the value hands out.
  VResult GetItem(uint32_t r, int32_t item, int32_t occurrence, std::vector<uint8_t>* bytes);
  // Compares two stored values: Number and Integer values as decimals, others bytewise (a prefix
  // first); order receives -1, 0 or 1.
  VResult CompareItems(uint32_t r1, int32_t item1, int32_t occurrence1, uint32_t r2, int32_t item2,
                       int32_t occurrence2, int32_t* order);

  // The parts a set, a sequential read or a check works with; null while closed.
  VCioMap* IndexFile() const { return index_.get(); }
  VCioFsp* DataFile() const { return data_.get(); }
  VRBCvt* RecordMap() const { return map_.get(); }
  const VKeyList& Keys() const { return keys_; }
  VSch_DBFile* Schema() const { return schema_; }
  VConfig* Config() const { return config_; }
  VCash* Cache() const { return cache_; }
  // Slots in the directory block of this file's index block size: keys 1..KeySlots()-1.
  int32_t KeySlots() const { return keySlots_; }

 private:
  // Lifecycle (VDBFile.cpp).
  VDir* IndexDirectory() const;
  VDir* DataDirectory() const;
  VDir* BackupDirectory() const;
  std::string BackupName() const { return name_ + ".bup"; }
  VResult RemoveBackup();
  VResult BuildIndex(VCioMap& index);
  VResult Recover();
  VResult CheckBackup(VFile& backup, uint32_t mark);
  VResult ReplayBackup(VFile& backup, uint32_t mark);
  VResult ReadDirectory();
  VResult UpgradeDirectory();
  bool NeedsFlush() const;
  // The flush steps; step names the one that failed, marked tells whether the completion mark
  // was already durable.
  VResult FlushFiles(const char** step, bool* marked);
  VResult WriteBackup(VFile& backup, const char** step, bool* marked);
  // Flushes the predecessor (SetFlushFirst) when it has changes: 0 or its failure.
  VResult FlushPredecessor();
  VResult CloseFiles(bool discard);
  [[noreturn]] void Fatal(const char* where, VResult code) const;

  // Records (VDBFileRecords.cpp).
  // Checks an image's framing (and, strictly, its record buffer): 0, -206 or -209.
  VResult CheckImage(std::span<const uint8_t> image, bool strict) const;
  // Runs read(view) over record r's buffer in its block: read's result, -201 or -212.
  template <class Read>
  VResult ReadInPlace(uint32_t r, Read read);

  // Keys (VDBFileKeys.cpp).
  VResult OpenKey(int32_t keyNumber, uint16_t attributes, uint32_t root, uint32_t reverseRoot);
  // Allocates the empty trees of a schema key (and its reverse tree).
  VResult MakeTrees(VCioMap* index, const VSch_DBKey& desc, std::unique_ptr<VKeyObject>* key,
                    std::unique_ptr<VKeyObject>* reverse);
  VResult WriteKeySlot(VCioMap* index, int32_t keyNumber, uint32_t root, uint16_t attributes,
                       uint32_t reverseRoot);
  // Makes and opens the trees of the schema keys numbered, without entering them in the directory.
  VResult MakeOpenKeys(const std::vector<int32_t>& numbers);
  // Enters the open keys numbered in the directory / drops them unentered.
  VResult EnterKeys(const std::vector<int32_t>& numbers);
  void DropUnentered(const std::vector<int32_t>& numbers);
  VResult CheckUnique(const uint8_t* image, uint32_t except);
  VResult UpdateKeys(uint32_t r, const uint8_t* oldImage, const uint8_t* newImage);
  VResult UpdateKey(VKeyObject* key, uint32_t r, const uint8_t* oldImage, const uint8_t* newImage);
  // The key values of an image for a key: a run of (length byte, bytes) in buffer.
  VResult KeyValues(const VSch_DBKey* desc, const uint8_t* image, std::vector<uint8_t>* buffer,
                    int32_t* length);
  VResult BuildKeys(VKeyObject* only);
  VResult ValidateSchemaKey(const VSch_DBKey& desc) const;

  VSch_DBFile* schema_;
  VConfig* config_;
  VCash* cache_;
  std::string name_;
  bool open_ = false;
  bool readOnly_ = false;
  // A flush failed after its backup was complete: the backup must be replayed, not replaced.
  bool replayPending_ = false;
  VDBFile* flushFirst_ = nullptr;
  std::unique_ptr<VCioMap> index_;
  std::unique_ptr<VCioFsp> data_;
  std::unique_ptr<VRBCvt> map_;
  VKeyList keys_;
  std::unique_ptr<VRecAcc> access_;
  int32_t macRLength_ = 0;
  int32_t keySlots_ = 0;
  std::vector<uint8_t> oldImage_;
  std::vector<uint8_t> oldKeys_;
  std::vector<uint8_t> newKeys_;
};
