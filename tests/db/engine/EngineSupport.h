// Shared helpers of the engine tests: an engine with its handle in a folder of its own (the
// current directory while the test runs, so that the default configuration's relative folders and
// the command log land there), a schema text of two database files, and records built from texts.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "TempDir.h"
#include "db/engine/VBSBoss.h"
#include "db/engine/VDBHandle.h"
#include "db/schema/VConfig.h"
#include "db/schema/VRecord.h"

// File 1 "people": 1 name (String), 2 age (Number), 3 city (String), 4 tag (String, several
// values); keys 1 over name, 2 over age. File 2 "orders": 1 item (String), 2 count (Number); key 1
// over item.
inline const char* kTwoFiles =
    "[DB] NAME = \"Shop\"\r\n"
    "[FILE:1] NAME = \"people\" LABEL = \"people\" BLOCKSIZE = (4096, 4096)\r\n"
    "[ITEM:1] NAME = \"name\" TYPE = String LENGTH = 32\r\n"
    "[ITEM:2] NAME = \"age\" TYPE = Number LENGTH = 5\r\n"
    "[ITEM:3] NAME = \"city\" TYPE = String LENGTH = 32\r\n"
    "[ITEM:4] NAME = \"tag\" TYPE = String LENGTH = 16\r\n"
    "[KEY:1] NAME = \"kname\" TYPE = String BIND = [1]\r\n"
    "[KEY:2] NAME = \"kage\" TYPE = Number BIND = [2]\r\n"
    "[FILE:2] NAME = \"orders\" LABEL = \"orders\" BLOCKSIZE = (2048, 4096)\r\n"
    "[ITEM:1] NAME = \"item\" TYPE = String LENGTH = 32\r\n"
    "[ITEM:2] NAME = \"count\" TYPE = Number LENGTH = 5\r\n"
    "[KEY:1] NAME = \"kitem\" TYPE = \"String,Unique\" BIND = [1]\r\n";

constexpr int32_t kPeople = 1;
constexpr int32_t kOrders = 2;

struct EngineOptions {
  bool transactionLog = false;
  bool commandLog = false;
  bool security = false;
  int32_t cacheKilobytes = 300;
  bool dataDictionaryFlag = true;  // the stored "DDD" switch
  bool valueFileFlag = true;       // the stored "VALUE" switch
  // Makes the engine from the configuration's path; a plain VBSBoss when empty.
  std::function<std::unique_ptr<VBSBoss>(const std::string&)> makeEngine;
};

class EngineEnv {
 public:
  // The default configuration (no "Varnex.conf"), with the switches of the options.
  explicit EngineEnv(EngineOptions options = EngineOptions()) : dir_(true), options_(options) {
    Start();
  }
  ~EngineEnv() { Stop(true); }

  // A new engine and handle on the same folder, as after a restart; without closeFirst the old
  // engine goes without closing its database.
  void Restart(bool closeFirst = true) {
    Stop(closeFirst);
    Start();
  }

  VBSBoss& Engine() { return *engine_; }
  VDBHandle& Handle() { return *handle_; }
  const TempDir& Dir() const { return dir_; }
  bool Exists(const std::string& relative) const {
    return std::filesystem::exists(dir_ / relative);
  }

  // Creates the database, opens it and creates the two files.
  void CreateShop() {
    ASSERT_EQ(handle_->CreateDatabase("Shop", "Two files"), kVOk);
    ASSERT_EQ(handle_->Open(), kVOk);
    ASSERT_EQ(handle_->CreateFiles(kTwoFiles), kVOk);
  }

 private:
  void Start() {
    const std::string config = dir_ / "Varnex.conf";
    engine_ = options_.makeEngine ? options_.makeEngine(config) : std::make_unique<VBSBoss>(config);
    VMSD* main = engine_->Config()->MainSection();
    main->SetTransactionLog(options_.transactionLog, false);
    main->SetCommandLog(options_.commandLog, false);
    main->SetSecurity(options_.security, false);
    main->SetCacheSize(options_.cacheKilobytes, false);
    main->SetDataDictionary(options_.dataDictionaryFlag, false);
    main->SetValueFile(options_.valueFileFlag, false);
    handle_ = std::make_unique<VDBHandle>(engine_.get());
  }
  void Stop(bool closeFirst) {
    // A test that checks the close calls it itself; here it only must not be skipped.
    if (handle_ != nullptr && closeFirst) (void)handle_->Close();
    handle_.reset();
    engine_.reset();
  }

  TempDir dir_;
  EngineOptions options_;
  std::unique_ptr<VBSBoss> engine_;
  std::unique_ptr<VDBHandle> handle_;
};

// A record of people from texts: name, age, city and any number of tags; empty texts are left out.
inline VRecord Person(const std::string& name, const std::string& age, const std::string& city = "",
                      std::vector<std::string> tags = {}) {
  VRecord record;
  auto add = [&record](int item, uint8_t type, const std::string& text) {
    if (text.empty()) return;
    EXPECT_EQ(record.SetValueFromText(item, type, reinterpret_cast<const uint8_t*>(text.data()),
                                      static_cast<int32_t>(text.size())),
              kVOk);
  };
  add(1, kVTypeString, name);
  add(2, kVTypeNumber, age);
  add(3, kVTypeString, city);
  for (const std::string& tag : tags) add(4, kVTypeString, tag);
  return record;
}

inline std::string Text(const VRecord& record, int item, int occurrence = 1) {
  VValueRef ref;
  if (record.ValueRef(item, occurrence, &ref) != kVOk) return "<absent>";
  return std::string(reinterpret_cast<const char*>(ref.bytes), ref.length);
}

inline std::vector<uint8_t> ImageOf(const VRecord& record) {
  return std::vector<uint8_t>(record.Image(), record.Image() + record.ImageLength());
}
