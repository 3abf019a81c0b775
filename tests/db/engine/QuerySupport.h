// Shared helpers of the query and set tests: a record file of people with items and keys of
// several kinds, with the block cache and work files an engine would give it, records built from
// plain values, a user's list of sets, and the members of a set read back through the file's set
// operations.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "TempDir.h"
#include "db/engine/VDBFileSets.h"
#include "db/schema/VConfig.h"
#include "db/schema/VRecord.h"
#include "db/schema/VSchema.h"
#include "db/store/VCash.h"
#include "db/store/VDBFile.h"
#include "db/store/VListMgr.h"
#include "db/store/VWorkFiles.h"

inline std::span<const uint8_t> Bytes(const std::string& text) {
  return {reinterpret_cast<const uint8_t*>(text.data()), text.size()};
}

// Items: 1 name (String), 2 code (String), 3 price (Number), 4 tag (String, several values),
// 5 born (Date), 6 note (String). Keys: 1 "name" over name with Reverse, 2 "kcode" over code with
// IgnoreCase, 3 "kprice" over price, 4 "ktag" over tag. The key named like item 1 makes "[name]"
// the key and "[I:name]" the item.
class PeopleFile {
 public:
  static constexpr int kName = 1;
  static constexpr int kCode = 2;
  static constexpr int kPrice = 3;
  static constexpr int kTag = 4;
  static constexpr int kBorn = 5;
  static constexpr int kNote = 6;

  explicit PeopleFile(int16_t number = 9, int32_t cacheKilobytes = 2000)
      : config_(std::make_unique<VConfig>(dir_ / "Varnex.conf")),
        cache_(cacheKilobytes),
        work_(config_.get(), &cache_) {
    config_->MainSection()->SetDatabasePaths(dir_.Path(), std::nullopt, false);
    config_->MainSection()->SetWorkPath(dir_.Path(), false);
    schema_.SetNumber(number);
    schema_.SetLabel("people" + std::to_string(number));
    const struct {
      int number;
      const char* name;
      uint8_t type;
    } items[] = {{kName, "name", kVTypeString},   {kCode, "code", kVTypeString},
                 {kPrice, "price", kVTypeNumber}, {kTag, "tag", kVTypeString},
                 {kBorn, "born", kVTypeDate},     {kNote, "note", kVTypeString}};
    for (const auto& item : items) {
      VSch_DBItem* added = schema_.AddItem(static_cast<int16_t>(item.number));
      added->SetName(item.name);
      added->SetType(item.type);
    }
    AddKey(1, "name", kVTypeString, kVKeyReverse, kName);
    AddKey(2, "kcode", kVTypeString, kVKeyIgnoreCase, kCode);
    AddKey(3, "kprice", kVTypeNumber, 0, kPrice);
    AddKey(4, "ktag", kVTypeString, 0, kTag);
    file_ = std::make_unique<VDBFile>(&schema_, config_.get(), &cache_);
    EXPECT_EQ(file_->CreateDBFile(), kVOk);
    EXPECT_EQ(file_->Open(), kVOk);
  }
  ~PeopleFile() {
    sets_.Clear();
    file_.reset();
  }

  VDBFile& File() { return *file_; }
  VListMgr& Sets() { return sets_; }
  // The file's sets in the list.
  VDBFileSets FileSets() { return VDBFileSets(file_.get(), &sets_, &work_); }
  VConfig& Config() { return *config_; }
  VCash& Cache() { return cache_; }
  VWorkFiles& Work() { return work_; }
  VSch_DBFile& Schema() { return schema_; }
  const TempDir& Dir() const { return dir_; }

  // A record: values by item, several for a multi-valued item; a Date value as "YYYYMMDD".
  using Values = std::multimap<int, std::string>;
  std::vector<uint8_t> Image(const Values& values) {
    VRecord record;
    for (const auto& [item, text] : values) {
      std::vector<uint8_t> value{schema_.ItemByNumber(item)->Type(),
                                 static_cast<uint8_t>(text.size())};
      value.insert(value.end(), text.begin(), text.end());
      EXPECT_EQ(record.AddValue(item, value.data(), static_cast<int32_t>(value.size())), kVOk);
    }
    return {record.Image(), record.Image() + record.ImageLength()};
  }
  uint32_t Insert(const Values& values) {
    const std::vector<uint8_t> image = Image(values);
    uint32_t r = 0;
    EXPECT_EQ(file_->InsRecord(nullptr, image, &r), kVOk);
    return r;
  }

  // SetMake: the id, or the failure code as a negative number.
  int32_t Make(const std::string& statement, uint32_t* size = nullptr) {
    int32_t id = 0;
    uint32_t count = 0;
    const VResult result = FileSets().SetMake(Bytes(statement), &id, &count);
    if (size != nullptr) *size = count;
    return result == kVOk ? id : static_cast<int32_t>(result);
  }
  // The members of a set in its order, read by position.
  std::vector<uint32_t> Members(int32_t id) {
    std::vector<uint32_t> members;
    uint32_t size = 0;
    EXPECT_EQ(FileSets().SetSize(id, &size), kVOk);
    for (uint32_t i = 0; i < size; ++i) {
      uint32_t r = 0;
      EXPECT_EQ(FileSets().SetRGet(id, i, &r), kVOk);
      members.push_back(r);
    }
    return members;
  }
  // The members of the set a statement makes (the set is dropped again); failed statements give
  // a single 0.
  std::vector<uint32_t> Query(const std::string& statement) {
    const int32_t id = Make(statement);
    if (id <= 0) return {0};
    std::vector<uint32_t> members = Members(id);
    EXPECT_EQ(FileSets().SetCancel(id), kVOk);
    return members;
  }

 private:
  void AddKey(int16_t number, const char* name, uint8_t type, uint16_t flags, int item) {
    VSch_DBKey* key = schema_.AddKey(number);
    key->SetName(name);
    key->SetType(type);
    key->SetFlags(flags);
    key->AddPart(schema_.ItemByNumber(item));
  }

  TempDir dir_;
  std::unique_ptr<VConfig> config_;
  VCash cache_;
  VWorkFiles work_;
  VSch_DBFile schema_;
  std::unique_ptr<VDBFile> file_;
  VListMgr sets_;
};
