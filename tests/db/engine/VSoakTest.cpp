// A long run of random operations against a model kept in memory: inserts, updates that change
// key values, deletes, commits, cancels, sets made from conditions, inserts refused by a unique
// key, and every so often a restart (a clean close, or the engine simply gone with the transaction
// under way). The database must hold exactly the model's records at every restart, its keys must
// order them as the model does, and VDBCheck must find its files sound at the end.
//
// The size is OV_SOAK_OPERATIONS (10000 when unset); the full soak is
//   OV_SOAK_OPERATIONS=1000000 build/debug-asan/tests/varnex_engine_tests --gtest_filter='Soak.*'
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <iostream>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "EngineSupport.h"
#include "db/schema/VSchema.h"
#include "db/schema/VSystemSchemas.h"
#include "db/store/VDBCheck.h"
#include "db/store/VDBCodes.h"

namespace {

struct Someone {
  std::string name;
  int age = 0;
  std::vector<std::string> tags;
};

using Files = std::map<uint32_t, Someone>;  // people by record number
using Orders = std::map<uint32_t, std::string>;

VRecord RecordOf(const Someone& person) {
  return Person(person.name, std::to_string(person.age), "", person.tags);
}

VRecord OrderRecord(const std::string& item) {
  VRecord record;
  EXPECT_EQ(record.SetValueFromText(1, kVTypeString, reinterpret_cast<const uint8_t*>(item.data()),
                                    static_cast<int32_t>(item.size())),
            kVOk);
  return record;
}

class Soak {
 public:
  explicit Soak(uint32_t seed) : random_(seed) {
    EngineOptions options;
    options.transactionLog = true;
    options.cacheKilobytes = 200;  // small enough that the cache writes back mid-transaction
    env_ = std::make_unique<EngineEnv>(options);
    env_->CreateShop();
  }

  // One random operation; false (with a failure recorded) when the database and the model part.
  void Step() {
    VDBHandle& db = env_->Handle();
    const uint32_t choice = Next(1000);
    if (pending_.empty() || choice < 300) {
      Someone person = RandomPerson();
      uint32_t r = 0;
      ASSERT_EQ(db.Insert(kPeople, RecordOf(person), &r), kVOk);
      ASSERT_EQ(pending_.count(r), 0u) << "record " << r << " handed out twice";
      pending_[r] = person;
      ++counts_["insert"];
    } else if (choice < 550) {
      auto it = Pick(pending_);
      it->second = RandomPerson();
      ASSERT_EQ(db.Update(kPeople, it->first, RecordOf(it->second)), kVOk);
      ++counts_["update"];
    } else if (choice < 700) {
      auto it = Pick(pending_);
      ASSERT_EQ(db.Delete(kPeople, it->first), kVOk);
      pending_.erase(it);
      ++counts_["delete"];
    } else if (choice < 780) {
      // An order whose item may be taken already: the unique key refuses it and nothing changes.
      const std::string item = "item" + std::to_string(Next(400));
      bool taken = false;
      for (const auto& [r, held] : pendingOrders_) taken = taken || held == item;
      uint32_t r = 0;
      const VResult result = db.Insert(kOrders, OrderRecord(item), &r);
      if (taken) {
        ASSERT_EQ(result, kVUniqueTaken) << item;
        ++counts_["refused insert"];
      } else {
        ASSERT_EQ(result, kVOk) << item;
        pendingOrders_[r] = item;
        ++counts_["order insert"];
      }
    } else if (choice < 800 && !pendingOrders_.empty()) {
      auto it = Pick(pendingOrders_);
      ASSERT_EQ(db.Delete(kOrders, it->first), kVOk);
      pendingOrders_.erase(it);
      ++counts_["order delete"];
    } else if (choice < 870) {
      CheckSet();
      ++counts_["set"];
    } else if (choice < 950) {
      ASSERT_EQ(db.Commit(), kVOk);
      committed_ = pending_;
      committedOrders_ = pendingOrders_;
      ++counts_["commit"];
    } else {
      ASSERT_EQ(db.Cancel(), kVOk);
      pending_ = committed_;
      pendingOrders_ = committedOrders_;
      ++counts_["cancel"];
    }
  }

  // A restart: a clean close keeps the transaction under way (the close commits it); an engine
  // that simply goes loses it. Then everything is compared with the model.
  void Restart() {
    const bool clean = Next(2) == 0;
    if (clean) {
      ASSERT_EQ(env_->Handle().Close(), kVOk);
      committed_ = pending_;
      committedOrders_ = pendingOrders_;
    } else {
      pending_ = committed_;
      pendingOrders_ = committedOrders_;
    }
    env_->Restart(false);
    ASSERT_EQ(env_->Handle().Open(), kVOk);
    ++counts_[clean ? "close and open" : "restart without close"];
    CheckAll();
  }

  // Every record and every key's order as the model has them.
  void CheckAll() {
    VDBHandle& db = env_->Handle();
    std::map<uint32_t, std::vector<uint8_t>> found;
    int32_t read = 0;
    ASSERT_EQ(db.PhysicalLocate(kPeople, &read), kVOk);
    uint32_t r = 0;
    VRecord record;
    VResult result = kVOk;
    while ((result = db.PhysicalRead(kPeople, read, &r, &record)) == kVOk)
      found[r] = ImageOf(record);
    ASSERT_EQ(result, kVEnd);
    (void)db.PhysicalCancel(kPeople, read);  // the read is over either way
    ASSERT_EQ(found.size(), pending_.size());
    for (const auto& [number, person] : pending_) {
      ASSERT_EQ(found.count(number), 1u) << "record " << number << " lost";
      ASSERT_EQ(found[number], ImageOf(RecordOf(person))) << "record " << number;
    }
    // The name key: every name once, in byte order, with the records that hold it.
    std::map<std::string, std::set<uint32_t>> names;
    for (const auto& [number, person] : pending_) names[person.name].insert(number);
    int32_t sequence = 0;
    result = db.KeyLocate(kPeople, 1, "", &sequence);
    std::map<std::string, std::set<uint32_t>> walked;
    std::string value;
    std::vector<uint32_t> numbers;
    std::string last;
    while (result == kVOk && (result = db.KeyRead(kPeople, sequence, &value, &numbers)) == kVOk) {
      ASSERT_TRUE(walked.empty() || last < value) << "the key is out of order at " << value;
      last = value;
      walked[value].insert(numbers.begin(), numbers.end());
    }
    ASSERT_EQ(result, kVEnd);
    (void)db.KeyCancel(kPeople, sequence);  // the walk is over either way
    ASSERT_TRUE(walked == names) << walked.size() << " names in the key, " << names.size()
                                 << " in the model";
  }

  // A set from a condition on the age key holds exactly the model's records of that age, in
  // record-number order.
  void CheckSet() {
    VDBHandle& db = env_->Handle();
    const int age = static_cast<int>(Next(50));
    std::vector<uint32_t> expected;
    for (const auto& [r, person] : pending_) {
      if (person.age == age) expected.push_back(r);
    }
    int32_t set = 0;
    uint32_t size = 0;
    ASSERT_EQ(db.MakeSet(kPeople, "[kage] = " + std::to_string(age) + ";", &set, &size), kVOk);
    std::vector<uint32_t> members;
    for (uint32_t i = 0; i < size; ++i) {
      uint32_t r = 0;
      ASSERT_EQ(db.SetGet(kPeople, set, i, &r), kVOk);
      members.push_back(r);
    }
    ASSERT_EQ(db.DropSet(kPeople, set), kVOk);
    ASSERT_EQ(members, expected) << "age " << age;
  }

  std::string CheckFiles() {
    std::string text;
    VDBCheck check(env_->Engine().Config());
    std::unique_ptr<VSchema> files =
        ReadSchema(kTwoFiles, static_cast<int64_t>(std::strlen(kTwoFiles)));
    auto* database = static_cast<VSch_DB*>(files.get());
    std::vector<std::unique_ptr<VSchema>> system;
    for (const char* const* lines :
         {kVSchemaDataDictionary, kVSchemaValueFile, kVSchemaTransactionLog}) {
      system.push_back(ReadSchema(lines, 0));
    }
    std::vector<const VSchema*> all;
    for (int i = 0; i < database->FileCount(); ++i) all.push_back(database->FileAt(i));
    for (const auto& schema : system) all.push_back(schema.get());
    for (const VSchema* schema : all) {
      if (check.CheckFile(*static_cast<const VSch_DBFile*>(schema)) == 0) continue;
      for (const std::string& problem : check.Problems()) text += problem + "\n";
    }
    return text;
  }

  void Close() { ASSERT_EQ(env_->Handle().Close(), kVOk); }
  const std::map<std::string, int64_t>& Counts() const { return counts_; }
  size_t Records() const { return pending_.size(); }

 private:
  uint32_t Next(uint32_t bound) { return static_cast<uint32_t>(random_() % bound); }
  template <typename Map>
  typename Map::iterator Pick(Map& map) {
    return std::next(map.begin(), static_cast<long>(Next(static_cast<uint32_t>(map.size()))));
  }
  Someone RandomPerson() {
    Someone person;
    person.name = "n" + std::to_string(Next(3000));
    person.age = static_cast<int>(Next(50));
    for (uint32_t t = Next(4); t > 0; --t) person.tags.push_back("t" + std::to_string(Next(9)));
    if (Next(20) == 0) person.tags.push_back(std::string(200, static_cast<char>('a' + Next(26))));
    return person;
  }

  std::mt19937 random_;
  std::unique_ptr<EngineEnv> env_;
  Files committed_;
  Files pending_;
  Orders committedOrders_;
  Orders pendingOrders_;
  std::map<std::string, int64_t> counts_;
};

TEST(Soak, RandomOperationsKeepTheDatabaseEqualToTheModelThroughRestarts) {
  int64_t operations = 10000;
  if (const char* size = std::getenv("OV_SOAK_OPERATIONS")) operations = std::atoll(size);
  const int64_t restartEvery = std::max<int64_t>(500, operations / 40);
  const auto start = std::chrono::steady_clock::now();
  Soak soak(2026);
  for (int64_t i = 1; i <= operations; ++i) {
    soak.Step();
    if (HasFatalFailure()) FAIL() << "at operation " << i;
    if (i % restartEvery == 0) {
      soak.Restart();
      if (HasFatalFailure()) FAIL() << "at the restart after operation " << i;
    }
  }
  soak.Restart();
  soak.Close();
  EXPECT_EQ(soak.CheckFiles(), "");
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::cout << "[ figures  ] soak: " << operations << " operations in " << seconds << " s, "
            << soak.Records() << " records at the end;";
  for (const auto& [what, count] : soak.Counts()) std::cout << " " << what << " " << count << ",";
  std::cout << "\n";
}

}  // namespace
