// Keys of record files: key sequences kept among a user's sets, reverse trees fed from records,
// builds that fail or are cut short by a crash, and keys that stay in step with their records
// through crashes during flushes.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <random>

#include "BTreeSupport.h"
#include "RecordFileSupport.h"
#include "StoreTestSupport.h"
#include "db/store/VDBFile.h"
#include "db/store/VListMgr.h"
#include "db/store/VPSRead.h"
#include "db/store/VWritePoint.h"

namespace {

std::span<const uint8_t> Span(const std::vector<uint8_t>& v) { return {v.data(), v.size()}; }

uint32_t Insert(VDBFile& file, const std::string& name, uint32_t seed = 1) {
  uint32_t r = 0;
  std::vector<uint8_t> image = RecordImage(80, seed, name);
  EXPECT_EQ(file.InsRecord(nullptr, Span(image), &r), kVOk);
  return r;
}

std::vector<uint8_t> Stored(const std::string& text) {
  std::vector<uint8_t> value(1 + text.size());
  value[0] = static_cast<uint8_t>(text.size());
  std::copy(text.begin(), text.end(), value.begin() + 1);
  return value;
}

// Reads a sequence to its end: each entry as "key:r,r,...".
std::vector<std::string> ReadAll(VDBFile& file, VListMgr& sets, int32_t id) {
  std::vector<std::string> entries;
  std::vector<uint8_t> key;
  std::vector<uint32_t> records;
  VResult result;
  while ((result = file.KSRead(&sets, id, &key, &records)) == kVOk) {
    std::string entry(key.begin() + 1, key.end());
    entry += ':';
    for (size_t i = 0; i < records.size(); ++i)
      entry += (i ? "," : "") + std::to_string(records[i]);
    entries.push_back(entry);
  }
  EXPECT_EQ(result, kVEnd);
  EXPECT_EQ(file.KSRead(&sets, id, &key, &records), kVEnd);
  return entries;
}

// The (name, record) pairs the records of a file give a key over item 1.
TreeMap NamesOf(VDBFile& file) {
  TreeMap names;
  for (uint32_t r = 1; r <= file.MaxRNbr(); ++r) {
    std::vector<uint8_t> bytes;
    if (file.GetItem(r, 1, 0, &bytes) == kVOk)
      names.emplace(std::string(bytes.begin(), bytes.end()), r);
  }
  return names;
}

std::set<uint32_t> IndexBlocksInUse(VDBFile& file) {
  std::set<uint32_t> blocks;
  VCioMap* index = file.IndexFile();
  for (uint32_t b = 0; b < index->GroupCount() * index->GroupBlocks(); ++b) {
    if (index->IsAllocated(b)) blocks.insert(b);
  }
  return blocks;
}

TEST(VDBFileKeys, KeySequencesReadEntriesInOrderUnderIdsSharedWithOtherObjects) {
  RecordFileEnv env;
  env.AddNameKey(2, 0);
  env.AddNameKey(3, kVKeyUnique);
  auto file = env.CreateAndOpen();
  ASSERT_EQ(file->DeleteKey(3), kVOk);
  const uint32_t pear = Insert(*file, "pear");
  const uint32_t apple = Insert(*file, "apple");
  const uint32_t fig = Insert(*file, "fig");
  const uint32_t apple2 = Insert(*file, "apple");

  VListMgr sets;
  // Another kind of object takes the first id: ids are shared.
  EXPECT_EQ(sets.Add(std::make_unique<VPSRead>(file->DataFile())), 1);
  int32_t id = 0;
  ASSERT_EQ(file->KSLocate(&sets, 2, {}, &id), kVOk);
  EXPECT_EQ(id, 2);
  std::vector<uint8_t> key;
  std::vector<uint32_t> records;
  EXPECT_EQ(file->KSRead(&sets, 1, &key, &records), kVNoSuchSet);
  EXPECT_EQ(
      ReadAll(*file, sets, id),
      (std::vector<std::string>{"apple:" + std::to_string(apple) + "," + std::to_string(apple2),
                                "fig:" + std::to_string(fig), "pear:" + std::to_string(pear)}));

  // From a value, compared as stored: "b" starts at fig, "fig" at fig, "zz" finds nothing.
  ASSERT_EQ(file->KSLocate(&sets, 2, Stored("b"), &id), kVOk);
  EXPECT_EQ(id, 3);
  EXPECT_EQ(ReadAll(*file, sets, id).front(), "fig:" + std::to_string(fig));
  EXPECT_EQ(file->KSLocate(&sets, 2, Stored("zz"), &id), kVEnd);
  EXPECT_EQ(sets.Count(), 3);
  EXPECT_EQ(file->KSLocate(&sets, 3, {}, &id), kVKeyNotOpen);
  EXPECT_EQ(file->KSCancel(&sets, 3), kVOk);
  EXPECT_EQ(file->KSCancel(&sets, 3), kVNoSuchSet);
  EXPECT_EQ(file->KSRead(&sets, 3, &key, &records), kVNoSuchSet);
  EXPECT_EQ(file->KSCancel(&sets, 1), kVNoSuchSet);  // a physical read, not a sequence
  EXPECT_EQ(sets.Count(), 2);

  // A sequence belongs to its file.
  RecordFileEnv otherEnv(false, 200, "other");
  otherEnv.AddNameKey(2, 0);
  auto other = otherEnv.CreateAndOpen();
  ASSERT_EQ(file->KSLocate(&sets, 2, {}, &id), kVOk);
  EXPECT_EQ(other->KSRead(&sets, id, &key, &records), kVNoSuchSet);
  EXPECT_EQ(other->KSCancel(&sets, id), kVNoSuchSet);
  EXPECT_EQ(file->KSRead(&sets, id, &key, &records), kVOk);
}

TEST(VDBFileKeys, ASequenceFollowsChangesBetweenReadsAndEndsWithItsKey) {
  RecordFileEnv env;
  env.AddNameKey(2, kVKeyUnique);
  auto file = env.CreateAndOpen();
  std::vector<uint32_t> r(6);
  for (int i = 0; i < 6; ++i) r[i] = Insert(*file, std::string(1, static_cast<char>('b' + 2 * i)));
  // b d f h j l
  VListMgr sets;
  int32_t id = 0;
  ASSERT_EQ(file->KSLocate(&sets, 2, Stored("c"), &id), kVOk);
  std::vector<uint8_t> key;
  std::vector<uint32_t> records;
  ASSERT_EQ(file->KSRead(&sets, id, &key, &records), kVOk);
  EXPECT_EQ(key, Stored("d"));
  EXPECT_EQ(records, std::vector<uint32_t>{r[1]});
  // Next would be f: it goes, e comes before it (behind the position), g after it.
  ASSERT_EQ(file->DelRecord(nullptr, r[2]), kVOk);
  Insert(*file, "e");
  const uint32_t g = Insert(*file, "g");
  ASSERT_EQ(file->KSRead(&sets, id, &key, &records), kVOk);
  EXPECT_EQ(key, Stored("g"));
  EXPECT_EQ(records, std::vector<uint32_t>{g});
  ASSERT_EQ(file->KSRead(&sets, id, &key, &records), kVOk);
  EXPECT_EQ(key, Stored("h"));
  // The position is at j now: a value inserted before it is behind the sequence. Many values
  // after it split the nodes under the sequence without losing its place.
  Insert(*file, "i");
  for (int i = 0; i < 2000; ++i) Insert(*file, "m" + std::to_string(10000 + i), i);
  ASSERT_EQ(file->KSRead(&sets, id, &key, &records), kVOk);
  EXPECT_EQ(key, Stored("j"));
  ASSERT_EQ(file->KSRead(&sets, id, &key, &records), kVOk);
  EXPECT_EQ(key, Stored("l"));
  ASSERT_EQ(file->KSRead(&sets, id, &key, &records), kVOk);
  EXPECT_EQ(key, Stored("m10000"));
  // The key dropped, or the file reopened: the sequence has no key to read any more.
  ASSERT_EQ(file->Close(), kVOk);
  ASSERT_EQ(file->Open(), kVOk);
  EXPECT_EQ(file->KSRead(&sets, id, &key, &records), kVKeyNotOpen);
  ASSERT_EQ(file->KSLocate(&sets, 2, {}, &id), kVOk);
  ASSERT_EQ(file->DeleteKey(2), kVOk);
  EXPECT_EQ(file->KSRead(&sets, id, &key, &records), kVKeyNotOpen);
  ASSERT_EQ(file->CreateKey(2), kVOk);
  EXPECT_EQ(file->KSRead(&sets, id, &key, &records), kVKeyNotOpen);
  EXPECT_EQ(file->KSCancel(&sets, id), kVOk);
}

TEST(VDBFileKeys, ReverseTreesTakeRecordValuesWithoutTheirTrailingSpaces) {
  RecordFileEnv env;
  env.AddNameKey(4, kVKeyReverse | kVKeyIgnoreCase);
  auto file = env.CreateAndOpen();
  const uint32_t a = Insert(*file, "Tokyo  ");
  const uint32_t b = Insert(*file, " Kyoto");
  EXPECT_EQ(TreeContents(*file->Keys().Key(4)), (TreeMap{{" kyoto", b}, {"tokyo", a}}));
  EXPECT_EQ(TreeContents(*file->Keys().Reverse(4)), (TreeMap{{"otoyk ", b}, {"oykot", a}}));
  // A suffix search through the reverse tree finds the value that ends with it.
  VRMap set;
  std::vector<uint8_t> suffix = Stored("KYO");
  ASSERT_EQ(file->Keys().Reverse(4)->OpScan(1, suffix.data(), &set), kVOk);
  EXPECT_EQ(Members(set), std::set<uint32_t>{a});
  // Hand-made entries reach both trees in the same way, and leave them again.
  std::vector<uint8_t> value = Stored("Osaka ");
  ASSERT_EQ(file->AddKeyEntry(4, a, Span(value)), kVOk);
  EXPECT_EQ(TreeContents(*file->Keys().Reverse(4)).count("akaso"), 1u);
  ASSERT_EQ(file->RemoveKeyEntry(4, a, Span(value)), kVOk);
  EXPECT_EQ(TreeContents(*file->Keys().Reverse(4)).count("akaso"), 0u);
  ASSERT_EQ(file->DelRecord(nullptr, a), kVOk);
  EXPECT_EQ(TreeContents(*file->Keys().Reverse(4)), (TreeMap{{"otoyk ", b}}));
}

TEST(VDBFileKeys, AFailedBuildLeavesNoKeyAndNoBlockBehind) {
  RecordFileEnv env;
  auto file = env.CreateAndOpen();
  for (uint32_t i = 1; i <= 300; ++i) Insert(*file, "n" + std::to_string(i % 250), i);
  const std::set<uint32_t> before = IndexBlocksInUse(*file);
  env.AddNameKey(2, 0);
  env.AddNameKey(3, kVKeyUnique | kVKeyReverse);
  // Key 3 is unique but names repeat from record 251 on.
  EXPECT_EQ(file->CreateAllKey(), kVUniqueTaken);
  EXPECT_EQ(file->Keys().Count(), 0);
  EXPECT_EQ(IndexBlocksInUse(*file), before);
  EXPECT_EQ(file->CreateKey(3), kVUniqueTaken);
  EXPECT_EQ(file->Keys().Count(), 0);
  EXPECT_EQ(IndexBlocksInUse(*file), before);
  ASSERT_EQ(file->CreateKey(2), kVOk);
  EXPECT_EQ(TreeContents(*file->Keys().Key(2)), NamesOf(*file));
  ASSERT_EQ(file->Close(), kVOk);
  const std::vector<uint8_t> directory = RawBlock(env.IndexPath(), 1, 2048);
  EXPECT_NE(VGetU24(&directory[36 + 8 * 2]), 0u);
  EXPECT_EQ(VGetU24(&directory[36 + 8 * 3]), 0u);
}

// A child process builds a key over many records with a small cache, so that the cache flushes
// the file several times during the build, and is killed at a chosen write in place.
struct BuildKill {
  int after = 0;
  int seen = 0;
};
BuildKill gBuildKill;

void KillAtWrite(VWritePoint point, const VFile&, uint32_t) {
  if (point == VWritePoint::kBlockWrite && ++gBuildKill.seen == gBuildKill.after) {
    kill(getpid(), SIGKILL);
  }
}

TEST(VDBFileKeys, ACrashDuringABuildLeavesTheKeyAbsentOrWhole) {
  RecordFileEnv env(false, 100);
  {
    auto file = env.CreateAndOpen();
    for (uint32_t i = 1; i <= 3000; ++i) Insert(*file, "name" + std::to_string(i * 7919 % 3001), i);
    ASSERT_EQ(file->Close(), kVOk);
  }
  env.AddNameKey(2, 0);
  bool sawAbsent = false;
  bool sawWhole = false;
  for (int after : {40, 400, 100000}) {
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      auto file = env.NewFile();
      if (file->Open() != kVOk) _exit(10);
      gBuildKill = BuildKill{after, 0};
      VSetWritePointHook(KillAtWrite);
      if (file->CreateKey(2) != kVOk) _exit(11);
      if (file->Close() != kVOk) _exit(12);
      _exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status) || (WIFEXITED(status) && WEXITSTATUS(status) == 0));
    auto file = env.NewFile();
    ASSERT_EQ(file->Open(), kVOk) << after;
    if (file->Keys().Key(2) == nullptr) {
      sawAbsent = true;
      ASSERT_EQ(file->CreateKey(2), kVOk);
    } else {
      sawWhole = true;
    }
    EXPECT_EQ(TreeContents(*file->Keys().Key(2)), NamesOf(*file)) << after;
    ASSERT_EQ(file->DeleteKey(2), kVOk);
    ASSERT_EQ(file->Close(), kVOk);
  }
  EXPECT_TRUE(sawAbsent);
  EXPECT_TRUE(sawWhole);
}

// Records with a unique key and a reverse key change under a small cache until a kill during a
// flush; whatever flush the reopened file holds, its keys agree with its records.
TEST(VDBFileKeys, KeysAgreeWithTheirRecordsAfterACrash) {
  for (int after : {150, 900}) {
    RecordFileEnv env(false, 100);
    env.AddNameKey(2, kVKeyUnique);
    env.AddNameKey(3, kVKeyReverse);
    ASSERT_EQ(env.NewFile()->CreateDBFile(), kVOk);
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      auto file = env.NewFile();
      if (file->Open() != kVOk) _exit(10);
      gBuildKill = BuildKill{after, 0};
      VSetWritePointHook(KillAtWrite);
      std::mt19937 random(after);
      std::vector<uint32_t> live;
      for (int step = 0; step < 6000; ++step) {
        const std::string name = "n" + std::to_string(step) + std::string(random() % 60, 'x');
        const std::vector<uint8_t> image = RecordImage(100 + static_cast<int32_t>(random() % 300),
                                                       static_cast<uint32_t>(step), name);
        const uint32_t choice = random() % 10;
        uint32_t r = 0;
        if (live.empty() || choice < 6) {
          if (file->InsRecord(nullptr, Span(image), &r) != kVOk) _exit(11);
          live.push_back(r);
        } else if (choice < 8) {
          if (file->UpdRecord(nullptr, live[random() % live.size()], Span(image)) != kVOk)
            _exit(12);
        } else {
          const size_t at = random() % live.size();
          if (file->DelRecord(nullptr, live[at]) != kVOk) _exit(13);
          live[at] = live.back();
          live.pop_back();
        }
      }
      _exit(20);  // never killed
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status)) << WEXITSTATUS(status);
    auto file = env.NewFile();
    ASSERT_EQ(file->Open(), kVOk);
    const TreeMap names = NamesOf(*file);
    EXPECT_GT(names.size(), 0u);
    EXPECT_EQ(TreeContents(*file->Keys().Key(2)), names);
    TreeMap reversed;
    for (const auto& [name, r] : names)
      reversed.emplace(std::string(name.rbegin(), name.rend()), r);
    EXPECT_EQ(TreeContents(*file->Keys().Reverse(3)), reversed);
    ASSERT_EQ(file->Close(), kVOk);
  }
}

}  // namespace
