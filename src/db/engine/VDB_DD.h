// VDB_DD: the data dictionary (file 30001, "@DDD"). It describes the database and its files in
// records written with the record format language, item 1 being the record code:
//
//   "DDDB"    4 database name, 5 description
//   "DDFILE"  2 file number (4-byte), 4 name, 5 description, 6 label, 7 and 8 the index and data
//             block sizes (2-byte)
//   "DDITEM"  2 file number, 3 item number (2-byte), 4 name, 5 description, 7 value type (2-byte),
//             8 length (4-byte)
//   "DDKEY"   2 file number, 3 key number (2-byte), 4 name, 5 description, 7 the key's type code
//             and attribute flags (1 byte each), 8 one 2-byte item number per bound item (at most
//             five)
//
// The n-byte fields are packed as n-byte binary integers, so each is stored as an Integer value
// holding the decimal text of a signed n-byte number: a block size of 32768 or more, or a flag byte
// with Unique set, is stored as a negative number and taken as unsigned when the schema is rebuilt.
//
// A file's schema is rebuilt from its "DDFILE", "DDITEM" and "DDKEY" records. The dictionary holds
// and reads its records through a user queue of its own ("SYS_VDB_DD"). Its changes are not part
// of any transaction: each command that changes it flushes it.
#pragma once

#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "db/engine/VDB_A.h"

class VPackBlock;

class VDB_DD : public VDB_A {
 public:
  static constexpr int32_t kFileNumber = 30001;

  explicit VDB_DD(VABoss* engine);
  ~VDB_DD() override;

  // 431 "DBD_GetInfo", 432 "DBD_SetInfo", 433 "DBD_Append", 434 "DBD_Fetch", 435 "DBD_Remove".
  VResult ExecuteCommand(VCMD& command) override;

  // The "DDDB" records are replaced by one with the name and description (absent: the defaults
  // "Varnex-Database" and "Varnex Database V415 R1999.10").
  VResult SetInfo(std::string_view name, std::string_view desc);
  // The first "DDDB" record's name and description and the file numbers of the "DDFILE" records.
  VResult GetInfo(std::string* name, std::string* desc, std::vector<uint32_t>* files);
  // One file's schema text: -2173 when it does not parse, is not exactly one file, or the file is
  // already in the dictionary.
  VResult Append(std::span<const uint8_t> text);
  // The schema of a file: -2174 when the dictionary lacks it.
  VResult Fetch(int32_t fileNumber, std::unique_ptr<VSch_DBFile>* schema);
  // Deletes every record of the file.
  VResult Remove(int32_t fileNumber);

  VUQue& Queue() { return *queue_; }

 private:
  VResult AppendFile(const VSch_DBFile& file);
  VResult Insert(std::string_view format, const VPackBlock& block);
  VResult DeleteAll(const std::vector<uint32_t>& records);
  // Holds guard nothing in the dictionary between its commands: they go when a command ends.
  void EndCommand();

  std::unique_ptr<VUQue> queue_;
};
