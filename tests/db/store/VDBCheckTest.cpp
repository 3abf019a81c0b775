// The integrity check over record files written by the engine: clean after a busy history, each
// kind of damage named, and never a read outside the files whatever the bytes say.
#include "db/store/VDBCheck.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "RecordFileSupport.h"
#include "base/VEndian.h"
#include "db/schema/VConfig.h"
#include "db/schema/VRecord.h"
#include "db/schema/VSchema.h"
#include "db/store/VCash.h"

namespace {

std::string Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

void Spill(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

size_t Block(uint32_t b) { return 512 + static_cast<size_t>(b) * 4096; }

// The file "people": 1 name (String), 2 age (Number), 3 city (String), 4 tag (String, several
// values); keys 1 over name, 2 over age.
const char kPeopleSchema[] =
    "[DB] NAME = \"Shop\"\r\n"
    "[FILE:1] NAME = \"people\" LABEL = \"people\" BLOCKSIZE = (4096, 4096)\r\n"
    "[ITEM:1] NAME = \"name\" TYPE = String LENGTH = 32\r\n"
    "[ITEM:2] NAME = \"age\" TYPE = Number LENGTH = 5\r\n"
    "[ITEM:3] NAME = \"city\" TYPE = String LENGTH = 32\r\n"
    "[ITEM:4] NAME = \"tag\" TYPE = String LENGTH = 16\r\n"
    "[KEY:1] NAME = \"kname\" TYPE = String BIND = [1]\r\n"
    "[KEY:2] NAME = \"kage\" TYPE = Number BIND = [2]\r\n";

// A record image of people from texts; empty texts are left out.
std::vector<uint8_t> Person(const std::string& name, const std::string& age,
                            const std::string& city = "", std::vector<std::string> tags = {}) {
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
  return std::vector<uint8_t>(record.Image(), record.Image() + record.ImageLength());
}

class VDBCheckTest : public ::testing::Test {
 protected:
  // "people" with 1500 records (tags of several values), a third deleted and some grown so that
  // they move to other blocks; the file closed. The configuration is the default one: index, data
  // and work folders beside it.
  void SetUp() override {
    schema_ = ReadSchema(kPeopleSchema, static_cast<int64_t>(std::strlen(kPeopleSchema)));
    ASSERT_NE(schema_, nullptr);
    people_ = static_cast<VSch_DB&>(*schema_).FileAt(0);
    for (const char* folder : {"INDEX", "DATA", "WORK"}) {
      std::filesystem::create_directories(dir_ / folder);
    }
    config_ = std::make_unique<VConfig>(dir_ / "Varnex.conf");
    VDBFile file(people_, config_.get(), &cache_);
    ASSERT_EQ(file.CreateDBFile(), kVOk);
    ASSERT_EQ(file.Open(), kVOk);
    for (int i = 1; i <= 1500; ++i) {
      uint32_t r = 0;
      ASSERT_EQ(
          file.InsRecord(nullptr,
                         Person("name" + std::to_string(i % 300), std::to_string(i % 50),
                                "city" + std::to_string(i), {"t" + std::to_string(i % 3), "u"}),
                         &r),
          kVOk);
    }
    for (uint32_t r = 2; r <= 1500; r += 3) ASSERT_EQ(file.DelRecord(nullptr, r), kVOk);
    for (uint32_t r = 1; r <= 1500; r += 9) {
      ASSERT_EQ(file.UpdRecord(nullptr, r,
                               Person("moved" + std::to_string(r), "7", std::string(200, 'y'))),
                kVOk);
    }
    ASSERT_EQ(file.Close(), kVOk);
    index_ = dir_ / "INDEX/people.idx";
    data_ = dir_ / "DATA/people.dat";
  }

  // Checks "people"; answers all problems as one text.
  std::string Check(int32_t* found = nullptr) {
    VDBCheck check(config_.get());
    const int32_t n = check.CheckFile(*people_);
    if (found) *found = n;
    std::string text;
    for (const std::string& p : check.Problems()) text += p + "\n";
    return text;
  }
  uint32_t U24(const std::string& bytes, size_t at) {
    return VGetU24(reinterpret_cast<const uint8_t*>(bytes.data()) + at);
  }

  TempDir dir_;
  std::unique_ptr<VConfig> config_;
  VCash cache_{300};
  std::unique_ptr<VSchema> schema_;
  VSch_DBFile* people_ = nullptr;
  std::string index_;
  std::string data_;
};

TEST_F(VDBCheckTest, CleanAfterInsertsDeletesAndMovingUpdates) {
  VDBCheck check(config_.get());
  EXPECT_EQ(check.CheckFile(*people_), 0) << (check.Problems().empty() ? "" : check.Problems()[0]);
  EXPECT_EQ(check.LastSummary().records, 1000u);
  EXPECT_EQ(check.LastSummary().lastRecord, 1500u);
  EXPECT_EQ(check.LastSummary().keys, 2);
  EXPECT_TRUE(check.Notes().empty());
}

TEST_F(VDBCheckTest, NamesEachKindOfDamage) {
  const std::string index = Slurp(index_);
  const std::string data = Slurp(data_);
  auto with = [&](const std::string& path, const std::string& original, size_t at, uint8_t value) {
    std::string bytes = original;
    bytes[at] = static_cast<char>(value);
    Spill(path, bytes);
    const std::string problems = Check();
    Spill(path, original);
    return problems;
  };
  // The directory's record count.
  EXPECT_NE(with(index_, index, Block(1) + 12, static_cast<uint8_t>(index[Block(1) + 12] + 1))
                .find("the directory counts"),
            std::string::npos);
  // The allocation bit of the record-map root.
  const uint32_t mapRoot = U24(index, Block(1) + 4);
  const size_t bit = Block(0) + 4 + mapRoot / 8;
  EXPECT_NE(with(index_, index, bit, static_cast<uint8_t>(index[bit] & ~(0x80 >> (mapRoot % 8))))
                .find("which the allocation bitmap marks free"),
            std::string::npos);
  // A free-space figure of the first record block (map entry 1 of data block 0).
  EXPECT_NE(with(data_, data, Block(0) + 4 + 2 + 1, static_cast<uint8_t>(data[Block(0) + 7] ^ 0x01))
                .find("the free-space map gives data block 1"),
            std::string::npos);
  // A record's body length inside its block.
  EXPECT_NE(
      with(data_, data, Block(1) + 4 + 4, static_cast<uint8_t>(data[Block(1) + 8] + 7)).size(), 0u);
  // The chain flags of a list: the first leaf entry of key 2 claims to continue a list.
  const uint32_t root = U24(index, Block(1) + 36 + 16);
  const size_t rootAt = Block(root) + 4;
  const uint32_t leaf = U24(index, rootAt + 1 + static_cast<uint8_t>(index[rootAt]) + 3);
  const size_t word = Block(leaf) + 4 + 1 + static_cast<uint8_t>(index[Block(leaf) + 4]);
  EXPECT_NE(
      with(index_, index, word, static_cast<uint8_t>(index[word] | 0x80)).find("continues a list"),
      std::string::npos);
  // After all that the files are as they were.
  EXPECT_EQ(Check(), "");
}

TEST_F(VDBCheckTest, CompleteBackupIsReadAsTheNextOpenReplaysIt) {
  // A backup that writes back a stale directory (record count 0): the check must see it.
  const std::string index = Slurp(index_);
  std::string directory = index.substr(Block(1), 4096);
  VPutU24(reinterpret_cast<uint8_t*>(directory.data()) + 10, 0);
  std::string backup(4, '\0');
  uint8_t head[12];
  VPutU32(head, 1);
  VPutU32(head + 4, 1);
  VPutU32(head + 8, 4096);
  backup += std::string(reinterpret_cast<char*>(head), 12) + directory;
  VPutU32(reinterpret_cast<uint8_t*>(backup.data()), static_cast<uint32_t>(backup.size()));
  Spill(dir_ / "WORK/people.bup", backup);
  VDBCheck check(config_.get());
  EXPECT_GT(check.CheckFile(*people_), 0);
  ASSERT_EQ(check.Notes().size(), 1u);
  EXPECT_NE(check.Notes()[0].find("complete backup"), std::string::npos);
  // An incomplete one is ignored.
  VPutU32(reinterpret_cast<uint8_t*>(backup.data()), 0);
  Spill(dir_ / "WORK/people.bup", backup);
  EXPECT_EQ(check.CheckFile(*people_), 0);
}

TEST_F(VDBCheckTest, RandomDamageIsReportedNeverFollowed) {
  const std::string index = Slurp(index_);
  const std::string data = Slurp(data_);
  std::mt19937 random(1234);
  int reported = 0;
  constexpr int kRounds = 100;
  for (int round = 0; round < kRounds; ++round) {
    const bool inIndex = round % 2 == 0;
    std::string bytes = inIndex ? index : data;
    // A few bytes of one block's header or payload, or a cut.
    if (round % 10 == 9) {
      bytes.resize(std::uniform_int_distribution<size_t>(0, bytes.size() - 1)(random));
    } else {
      const size_t blocks = (bytes.size() - 512) / 4096;
      const size_t block = std::uniform_int_distribution<size_t>(0, blocks - 1)(random);
      for (int k = 0; k < 3; ++k) {
        const size_t at = Block(static_cast<uint32_t>(block)) +
                          std::uniform_int_distribution<size_t>(0, 63)(random);
        bytes[at] = static_cast<char>(random());
      }
    }
    Spill(inIndex ? index_ : data_, bytes);
    int32_t found = 0;
    Check(&found);
    reported += found > 0;
    Spill(inIndex ? index_ : data_, inIndex ? index : data);
  }
  // Damage in unused bytes goes unseen; most lands where it matters.
  EXPECT_GT(reported, kRounds / 2);
  EXPECT_EQ(Check(), "");
}

}  // namespace

namespace {

// Fills an open record file with small records numbered from to to.
void FillTo(std::unique_ptr<VDBFile>& file, uint32_t from, uint32_t to) {
  for (uint32_t i = from; i <= to; ++i) {
    uint32_t r = 0;
    ASSERT_EQ(file->InsRecord(nullptr, RecordImage(8, i), &r), kVOk);
    ASSERT_EQ(r, i);
  }
}

std::string Problems(RecordFileEnv& env) {
  VDBCheck check(&env.Config());
  std::string text;
  if (check.CheckFile(env.Schema()) != 0) {
    for (const std::string& p : check.Problems()) text += p + "\n";
  }
  return text;
}

// Once record numbers pass 10000 within a leaf's reach, the record map allocates the next leaf
// ahead: an empty leaf above the last number is a normal state at every index block size, after
// imports of 10,500 to 100,000 records, while a leaf above the last number that sends a record
// somewhere is still found.
TEST(VDBCheckRecordMap, LeavesAllocatedAheadAreSoundAndRecordsAboveTheLastAreNot) {
  for (uint16_t block : {2048, 4096, 8192, 16384, 32768}) {
    SCOPED_TRACE("index blocks of " + std::to_string(block) + " bytes");
    RecordFileEnv env(false, 2000);
    env.Schema().SetBlockSizes(block, 4096);
    std::unique_ptr<VDBFile> file = env.CreateAndOpen();
    uint32_t last = 0;
    for (uint32_t count : {10500u, 30000u, block == 2048 ? 100000u : 30000u}) {
      if (count == last) continue;
      FillTo(file, last + 1, count);
      last = count;
      ASSERT_EQ(file->Close(), kVOk);
      EXPECT_EQ(Problems(env), "") << count << " records";
      ASSERT_EQ(file->Open(), kVOk);
    }
    ASSERT_EQ(file->Close(), kVOk);
  }
  // Record 10,500 with 2048-byte blocks lies in leaf 15 of a level-1 root; leaf 16 is allocated
  // ahead. Sending its first number to a data block is a record above the last number.
  RecordFileEnv env(false, 2000);
  std::unique_ptr<VDBFile> file = env.CreateAndOpen();
  FillTo(file, 1, 10500);
  ASSERT_EQ(file->Close(), kVOk);
  ASSERT_EQ(Problems(env), "");
  std::string index = Slurp(env.IndexPath());
  auto at = [](uint32_t b) { return 512 + static_cast<size_t>(b) * 2048; };
  const uint32_t root = VGetU24(reinterpret_cast<const uint8_t*>(index.data()) + at(1) + 4);
  ASSERT_EQ(static_cast<uint8_t>(index[at(root) + 1]), 1) << "a level-1 root";
  const uint32_t ahead =
      VGetU24(reinterpret_cast<const uint8_t*>(index.data()) + at(root) + 4 + 48);
  ASSERT_NE(ahead, 0u) << "leaf 16 allocated ahead";
  // Its first entry, counted in use, sends record 10896 to data block 1.
  index[at(ahead) + 2] = 0;
  index[at(ahead) + 3] = 3;
  index[at(ahead) + 4 + 2] = 1;
  Spill(env.IndexPath(), index);
  EXPECT_NE(Problems(env).find("the record map sends record 10896"), std::string::npos)
      << Problems(env);
}

}  // namespace
