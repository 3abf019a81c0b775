// A small Varnex database for the player's tests: the configuration "Varnex.conf" in a folder
// (the test's current one by default), a database with one file "people" and records made from
// texts. The engine is closed again once the records are in, so that the player can open it.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "Sjis.h"
#include "db/engine/VBSBoss.h"
#include "db/engine/VDBHandle.h"
#include "db/schema/VConfig.h"
#include "db/schema/VRecord.h"
#include "db/schema/VSchema.h"
#include "db/schema/VValue.h"

// File 1 "people": 1 name (String), 2 age (Number), 3 city (String), 4 tag (String, several
// values), 5 member (Flag), 6 points (Integer), 7 picture (PNG), 8 photo file (String); keys 1 over
// name, 2 over age, 3 over city, 4 over tag (a bare "[n]" in a statement names key n).
inline const char* kPeopleSchema =
    "[DB] NAME = \"people\"\r\n"
    "[FILE:1] NAME = \"people\" LABEL = \"people\" BLOCKSIZE = (4096, 4096)\r\n"
    "[ITEM:1] NAME = \"name\" TYPE = String LENGTH = 64\r\n"
    "[ITEM:2] NAME = \"age\" TYPE = Number LENGTH = 5\r\n"
    "[ITEM:3] NAME = \"city\" TYPE = String LENGTH = 64\r\n"
    "[ITEM:4] NAME = \"tag\" TYPE = String LENGTH = 16\r\n"
    "[ITEM:5] NAME = \"member\" TYPE = Flag LENGTH = 1\r\n"
    "[ITEM:6] NAME = \"points\" TYPE = Integer LENGTH = 4\r\n"
    "[ITEM:7] NAME = \"picture\" TYPE = PNG LENGTH = 0\r\n"
    "[ITEM:8] NAME = \"photo\" TYPE = String LENGTH = 200\r\n"
    "[KEY:1] NAME = \"kname\" TYPE = String BIND = [1]\r\n"
    "[KEY:2] NAME = \"kage\" TYPE = Number BIND = [2]\r\n"
    "[KEY:3] NAME = \"kcity\" TYPE = String BIND = [3]\r\n"
    "[KEY:4] NAME = \"ktag\" TYPE = String BIND = [4]\r\n";

struct Person {
  Person(std::string name, std::string age = "", std::string city = "",
         std::vector<std::string> tags = {})
      : name(std::move(name)), age(std::move(age)), city(std::move(city)), tags(std::move(tags)) {}
  std::string name;  // UTF-8, stored as Shift-JIS
  std::string age;
  std::string city;
  std::vector<std::string> tags;
};

class PeopleDatabase {
 public:
  // Makes the database described by the configuration at configPath (in the current directory by
  // default) and keeps the engine open for more records.
  // With transactionLog the configuration written back switches the log on for every engine
  // made on it later.
  explicit PeopleDatabase(const std::string& configPath = "./Varnex.conf",
                          bool transactionLog = false)
      : engine_(std::make_unique<VBSBoss>(configPath)),
        handle_(std::make_unique<VDBHandle>(engine_.get())) {
    if (transactionLog) engine_->Config()->MainSection()->SetTransactionLog(true, true);
    EXPECT_EQ(handle_->CreateDatabase("people", "test"), kVOk);
    EXPECT_EQ(handle_->Open(), kVOk);
    EXPECT_EQ(handle_->CreateFiles(kPeopleSchema), kVOk);
  }
  ~PeopleDatabase() { Close(); }

  static VRecord Record(const Person& person) {
    VRecord record;
    auto add = [&record](int item, uint8_t type, const std::string& utf8) {
      if (utf8.empty()) return;
      const std::string text = Sj(utf8.c_str());
      EXPECT_EQ(record.SetValueFromText(item, type, reinterpret_cast<const uint8_t*>(text.data()),
                                        static_cast<int32_t>(text.size())),
                kVOk);
    };
    add(1, kVTypeString, person.name);
    add(2, kVTypeNumber, person.age);
    add(3, kVTypeString, person.city);
    for (const std::string& tag : person.tags) add(4, kVTypeString, tag);
    return record;
  }

  // The description of file 1, for the integrity check.
  static VSch_DBFile* FileSchema() {
    static std::unique_ptr<VSchema> schema =
        ReadSchema(kPeopleSchema, static_cast<int64_t>(std::strlen(kPeopleSchema)));
    return static_cast<VSch_DB&>(*schema).FileAt(0);
  }

  uint32_t Insert(const Person& person) { return Insert(Record(person)); }
  uint32_t Insert(const VRecord& record) {
    uint32_t r = 0;
    EXPECT_EQ(handle_->Insert(1, record, &r), kVOk);
    return r;
  }
  VDBHandle& Handle() { return *handle_; }

  // Commits and closes; the engine goes, so that another can open the database.
  void Close() {
    if (handle_ == nullptr) return;
    if (handle_->IsOpen()) {
      EXPECT_EQ(handle_->Close(), kVOk);
    }
    handle_.reset();
    engine_.reset();
  }

 private:
  std::unique_ptr<VBSBoss> engine_;
  std::unique_ptr<VDBHandle> handle_;
};
