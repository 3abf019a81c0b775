// The file formats pinned by a small database kept under tests/data/golden: made by a fixed
// sequence of commands, it holds every kind of block (file headers, allocation bitmaps, the
// directory and the record map, data blocks, B-tree leaves and inner nodes, a reverse tree, long
// data in the value file, the transaction log). Today's code must write it byte for byte (with the
// clock stopped, so that the time stamps are those kept) and read the kept copy back to the same
// records, key orders and values.
//
// After a deliberate change of a format, renew the kept files with
//   OV_RENEW_GOLDEN=1 build/debug-asan/tests/varnex_engine_tests --gtest_filter='GoldenFiles.*'
// and say in the commit why the bytes changed.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "EngineSupport.h"
#include "base/VStream.h"
#include "base/VSystemCalls.h"
#include "db/schema/VSchema.h"
#include "db/schema/VSystemSchemas.h"
#include "db/store/VDBCheck.h"

namespace {

namespace fs = std::filesystem;

// Small blocks, so that a few hundred records make B-trees of two levels.
constexpr const char* kSchema =
    "[DB] NAME = \"Golden\"\r\n"
    "[FILE:1] NAME = \"people\" LABEL = \"people\" BLOCKSIZE = (1024, 1024)\r\n"
    "[ITEM:1] NAME = \"name\" TYPE = String LENGTH = 40\r\n"
    "[ITEM:2] NAME = \"age\" TYPE = Number LENGTH = 5\r\n"
    "[ITEM:3] NAME = \"city\" TYPE = String LENGTH = 200\r\n"
    "[ITEM:4] NAME = \"tag\" TYPE = String LENGTH = 16\r\n"
    "[KEY:1] NAME = \"kname\" TYPE = \"String,Reverse\" BIND = [1]\r\n"
    "[KEY:2] NAME = \"kage\" TYPE = Number BIND = [2]\r\n";

constexpr int32_t kFile = 1;
constexpr int kPeopleCount = 240;

std::string Folder() { return std::string(OV_TEST_DATA) + "/golden"; }

std::vector<uint8_t> LongValue() {
  std::vector<uint8_t> bytes(12000);
  std::mt19937 random(31);
  for (size_t i = 0; i < bytes.size(); ++i) {
    // Noise, then runs that the value file compresses.
    bytes[i] = i < 7000 ? static_cast<uint8_t>(random()) : static_cast<uint8_t>(i / 500);
  }
  return bytes;
}

// The fixed sequence: a database made, filled, changed in three transactions, a long value stored
// and closed. The engine's configuration is the default one with the transaction log on.
void MakeDatabase(VDBHandle& db, uint32_t* valueId) {
  ASSERT_EQ(db.CreateDatabase("Golden", "Kept file formats"), kVOk);
  ASSERT_EQ(db.Open(), kVOk);
  ASSERT_EQ(db.CreateFiles(kSchema), kVOk);
  uint32_t r = 0;
  for (int i = 0; i < kPeopleCount; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "person %03d", (i * 37) % kPeopleCount);
    std::vector<std::string> tags;
    if (i % 5 == 0) tags = {"a" + std::to_string(i), "b"};
    ASSERT_EQ(db.Insert(kFile,
                        Person(name, std::to_string(i % 90 - 10),
                               std::string(static_cast<size_t>(10 + i % 60), 'c'), tags),
                        &r),
              kVOk);
    if (i == kPeopleCount / 2) {
      ASSERT_EQ(db.Commit(), kVOk);
    }
  }
  ASSERT_EQ(db.Commit(), kVOk);
  for (uint32_t n = 3; n <= kPeopleCount; n += 11) {
    ASSERT_EQ(db.Update(kFile, n, Person("grown " + std::to_string(n), "1", std::string(180, 'g'))),
              kVOk);
  }
  for (uint32_t n = 7; n <= kPeopleCount; n += 13) ASSERT_EQ(db.Delete(kFile, n), kVOk);
  const std::vector<uint8_t> value = LongValue();
  ASSERT_EQ(db.StoreBytes(value.data(), static_cast<uint32_t>(value.size()), valueId), kVOk);
  ASSERT_EQ(db.Commit(), kVOk);
  ASSERT_EQ(db.Close(), kVOk);
}

// Every file of the database under root (the configuration and logs of the run left out), by
// path relative to root.
std::map<std::string, std::vector<uint8_t>> DatabaseFiles(const std::string& root) {
  std::map<std::string, std::vector<uint8_t>> files;
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    if (!entry.is_regular_file()) continue;
    const std::string relative = fs::relative(entry.path(), root).string();
    if (relative == "Varnex.conf" || relative.ends_with(".log")) continue;
    std::ifstream in(entry.path(), std::ios::binary);
    files[relative].assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  return files;
}

// A clock stopped at one moment in UTC while the test runs: the headers' times and the log's
// record times are then the same in every run, and the files are compared whole.
class StoppedClock : public VSystemCalls {
 public:
  StoppedClock() {
    if (const char* zone = std::getenv("TZ")) zone_ = zone;
    setenv("TZ", "UTC", 1);
    tzset();
    previous_ = VSetSystemCalls(this);
  }
  ~StoppedClock() override {
    (void)VSetSystemCalls(previous_);  // answers this clock, which goes now
    if (zone_) {
      setenv("TZ", zone_->c_str(), 1);
    } else {
      unsetenv("TZ");
    }
    tzset();
  }
  std::time_t Time() override { return 1700000000; }  // 2023/11/14 22:13:20

 private:
  VSystemCalls* previous_ = nullptr;
  std::optional<std::string> zone_;
};

// Every record of the file in storage order, every key's entries in key order and the long
// value: what the database holds as its callers see it.
struct Contents {
  std::map<uint32_t, std::vector<uint8_t>> records;
  std::vector<std::pair<std::string, std::vector<uint32_t>>> keys[2];
  std::vector<uint8_t> value;
  bool operator==(const Contents&) const = default;
};

::testing::AssertionResult ReadContents(VDBHandle& db, uint32_t valueId, Contents* contents) {
  int32_t read = 0;
  if (db.PhysicalLocate(kFile, &read) != kVOk) return ::testing::AssertionFailure() << "locate";
  uint32_t r = 0;
  VRecord record;
  VResult result = kVOk;
  while ((result = db.PhysicalRead(kFile, read, &r, &record)) == kVOk) {
    contents->records[r] = ImageOf(record);
  }
  if (result != kVEnd) return ::testing::AssertionFailure() << "read answers " << result;
  (void)db.PhysicalCancel(kFile, read);  // the read is over either way
  for (int32_t key : {1, 2}) {
    int32_t sequence = 0;
    result = db.KeyLocate(kFile, key, "", &sequence);
    if (result != kVOk) return ::testing::AssertionFailure() << "key locate answers " << result;
    std::string value;
    std::vector<uint32_t> numbers;
    while ((result = db.KeyRead(kFile, sequence, &value, &numbers)) == kVOk) {
      contents->keys[key - 1].emplace_back(value, numbers);
    }
    if (result != kVEnd) return ::testing::AssertionFailure() << "key read answers " << result;
    (void)db.KeyCancel(kFile, sequence);  // the sequence is over either way
  }
  VDMemStream out;
  result = db.FetchData(valueId, out);
  if (result != kVOk) return ::testing::AssertionFailure() << "fetch answers " << result;
  contents->value.assign(out.Data(), out.Data() + out.Size());
  return ::testing::AssertionSuccess();
}

// VDBCheck over the file and the system files of a closed database.
std::string CheckProblems(VBSBoss& engine) {
  std::string text;
  VDBCheck check(engine.Config());
  std::unique_ptr<VSchema> database = ReadSchema(kSchema, static_cast<int64_t>(strlen(kSchema)));
  const auto* file =
      static_cast<const VSch_DBFile*>(static_cast<VSch_DB*>(database.get())->FileAt(0));
  if (check.CheckFile(*file) != 0) {
    for (const std::string& problem : check.Problems()) text += problem + "\n";
  }
  for (const char* const* lines :
       {kVSchemaDataDictionary, kVSchemaValueFile, kVSchemaTransactionLog}) {
    std::unique_ptr<VSchema> schema = ReadSchema(lines, 0);
    if (check.CheckFile(*static_cast<const VSch_DBFile*>(schema.get())) == 0) continue;
    for (const std::string& problem : check.Problems()) text += problem + "\n";
  }
  return text;
}

EngineOptions WithLog() {
  EngineOptions options;
  options.transactionLog = true;
  return options;
}

TEST(GoldenFiles, TodaysCodeWritesTheKeptDatabaseByteForByte) {
  // The transaction log's bytes depend on state the engine keeps for the whole process: after
  // other tests in the same process they differ. CTest runs every test in a process of its own.
  if (::testing::UnitTest::GetInstance()->test_to_run_count() > 2) {
    GTEST_SKIP() << "compared only in a process of its own (as CTest runs it)";
  }
  StoppedClock clock;
  EngineEnv env(WithLog());
  uint32_t valueId = 0;
  MakeDatabase(env.Handle(), &valueId);
  env.Restart(false);
  const auto made = DatabaseFiles(env.Dir().Path());
  ASSERT_GE(made.size(), 8u);
  if (std::getenv("OV_RENEW_GOLDEN") != nullptr) {
    fs::remove_all(Folder());
    for (const auto& [name, bytes] : made) {
      const fs::path path = fs::path(Folder()) / name;
      fs::create_directories(path.parent_path());
      std::ofstream(path, std::ios::binary)
          .write(reinterpret_cast<const char*>(bytes.data()),
                 static_cast<std::streamsize>(bytes.size()));
    }
    std::ofstream(Folder() + "/value-id.txt") << valueId << "\n";
    GTEST_SKIP() << "renewed " << made.size() << " files in " << Folder();
  }
  const auto kept = DatabaseFiles(Folder());
  std::vector<std::string> madeNames;
  std::vector<std::string> keptNames;
  for (const auto& [name, bytes] : made) madeNames.push_back(name);
  for (const auto& [name, bytes] : kept) {
    if (name != "value-id.txt") keptNames.push_back(name);
  }
  ASSERT_EQ(madeNames, keptNames);
  for (const auto& [name, bytes] : made) {
    const std::vector<uint8_t>& now = bytes;
    const std::vector<uint8_t>& then = kept.at(name);
    ASSERT_EQ(now.size(), then.size()) << name;
    size_t first = 0;
    while (first < now.size() && now[first] == then[first]) ++first;
    EXPECT_EQ(first, now.size()) << name << " differs first at byte " << first << " (block "
                                 << (first < 512 ? -1 : static_cast<int64_t>(first - 512)) << ")";
  }
}

TEST(GoldenFiles, TodaysCodeReadsTheKeptDatabaseAsItWasMade) {
  // What the sequence makes today, as callers see it.
  StoppedClock clock;
  Contents expected;
  uint32_t valueId = 0;
  {
    EngineEnv env(WithLog());
    MakeDatabase(env.Handle(), &valueId);
    ASSERT_EQ(env.Handle().Open(), kVOk);
    ASSERT_TRUE(ReadContents(env.Handle(), valueId, &expected));
    ASSERT_EQ(env.Handle().Close(), kVOk);
  }
  ASSERT_GT(expected.records.size(), 200u);
  ASSERT_EQ(expected.value, LongValue());
  // The kept files, copied into a folder of their own, read by today's code.
  EngineEnv env(WithLog());
  for (const auto& [name, bytes] : DatabaseFiles(Folder())) {
    if (name == "value-id.txt") continue;
    const fs::path path = fs::path(env.Dir().Path()) / name;
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
  }
  uint32_t keptId = 0;
  std::ifstream(Folder() + "/value-id.txt") >> keptId;
  ASSERT_EQ(keptId, valueId);
  env.Restart(false);
  VDBHandle& db = env.Handle();
  ASSERT_EQ(db.Open(), kVOk);
  Contents found;
  ASSERT_TRUE(ReadContents(db, valueId, &found));
  EXPECT_TRUE(found.records == expected.records);
  EXPECT_TRUE(found.keys[0] == expected.keys[0]);
  EXPECT_TRUE(found.keys[1] == expected.keys[1]);
  EXPECT_TRUE(found.value == expected.value);
  ASSERT_EQ(db.Close(), kVOk);
  EXPECT_EQ(CheckProblems(env.Engine()), "");
}

}  // namespace
