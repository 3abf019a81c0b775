// Holds and transactions through the handle: records another user holds, "TCancel" undoing a
// user's changes exactly, a crash leaving uncommitted changes that the next open undoes, and a
// fatal storage error stopping the database instead of letting it write on.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <map>

#include "EngineSupport.h"
#include "db/engine/VEngineCodes.h"
#include "db/engine/VUQue.h"
#include "db/store/VDBCodes.h"
#include "db/store/VWritePoint.h"

namespace {

// Every record of a file by number, and every entry of both keys: what "exactly the state" means.
struct FileState {
  std::map<uint32_t, std::vector<uint8_t>> records;
  std::vector<std::pair<std::string, std::vector<uint32_t>>> keys[2];
  bool operator==(const FileState& other) const {
    return records == other.records && keys[0] == other.keys[0] && keys[1] == other.keys[1];
  }
};

void PrintTo(const FileState& state, std::ostream* out) {
  for (const auto& [r, image] : state.records) {
    *out << "\n  " << r << ": ";
    for (uint8_t b : image) *out << (b >= 32 && b < 127 ? static_cast<char>(b) : '.');
  }
  for (int k = 0; k < 2; ++k) {
    *out << "\n  key " << k + 1 << ":";
    for (const auto& [value, numbers] : state.keys[k]) {
      *out << " " << value << "(";
      for (uint32_t r : numbers) *out << r << ",";
      *out << ")";
    }
  }
}

FileState StateOf(VDBHandle& db) {
  FileState state;
  int32_t read = 0;
  EXPECT_EQ(db.PhysicalLocate(kPeople, &read), kVOk);
  uint32_t r = 0;
  VRecord record;
  VResult result;
  while ((result = db.PhysicalRead(kPeople, read, &r, &record)) == kVOk) {
    state.records[r] = ImageOf(record);
  }
  EXPECT_EQ(result, kVEnd);
  EXPECT_EQ(db.PhysicalCancel(kPeople, read), kVOk);
  for (int key = 1; key <= 2; ++key) {
    int32_t sequence = 0;
    result = db.KeyLocate(kPeople, key, "", &sequence);
    std::string value;
    std::vector<uint32_t> numbers;
    while (result == kVOk && (result = db.KeyRead(kPeople, sequence, &value, &numbers)) == kVOk) {
      state.keys[key - 1].emplace_back(value, numbers);
    }
    EXPECT_EQ(result, kVEnd);
    EXPECT_EQ(db.KeyCancel(kPeople, sequence), kVOk);
  }
  return state;
}

// The record of person i, some with a long city so that records fill blocks quickly.
VRecord Numbered(int i, int cityLength = 0) {
  std::string city = "city" + std::to_string(i % 7);
  if (cityLength > 0) city.append(static_cast<size_t>(cityLength), static_cast<char>('a' + i % 26));
  return Person("p" + std::to_string(i), std::to_string(i % 50), city);
}

EngineOptions WithLog(int32_t cacheKilobytes = 300) {
  EngineOptions options;
  options.transactionLog = true;
  options.cacheKilobytes = cacheKilobytes;
  return options;
}

}  // namespace

TEST(VTransactionTest, AnotherUserCannotChangeWhatAUserHoldsUntilItsTransactionEnds) {
  EngineEnv env(WithLog());
  env.CreateShop();
  VDBHandle& first = env.Handle();
  VUQue otherUser("Other");
  VDBHandle second(&env.Engine());
  second.SetQueue(&otherUser);

  uint32_t mine = 0;
  uint32_t held = 0;
  ASSERT_EQ(first.Insert(kPeople, Person("Sato", "1"), &mine), kVOk);
  ASSERT_EQ(first.Insert(kPeople, Person("Ito", "2"), &held), kVOk);
  // The user who inserted may delete at once; the other may read but not change.
  EXPECT_EQ(first.Delete(kPeople, mine), kVOk);
  VRecord record;
  EXPECT_EQ(second.Read(kPeople, held, &record), kVOk);
  EXPECT_EQ(second.Delete(kPeople, held), kVNotHolder);
  EXPECT_EQ(second.Update(kPeople, held, Person("Ito", "3")), kVNotHolder);
  ASSERT_EQ(first.Read(kPeople, held, &record), kVOk);
  EXPECT_EQ(Text(record, 2), "2");
  ASSERT_EQ(first.Commit(), kVOk);
  EXPECT_EQ(second.Update(kPeople, held, Person("Ito", "3")), kVOk);
  // Now the second user holds it, until its cancel, which also undoes its update.
  EXPECT_EQ(first.Delete(kPeople, held), kVNotHolder);
  ASSERT_EQ(second.Cancel(), kVOk);
  ASSERT_EQ(first.Read(kPeople, held, &record), kVOk);
  EXPECT_EQ(Text(record, 2), "2");
  EXPECT_EQ(first.Delete(kPeople, held), kVOk);
  // Closing the database ends every user's holds.
  ASSERT_EQ(first.Insert(kPeople, Person("Kato", "4"), &held), kVOk);
  ASSERT_EQ(first.Close(), kVOk);
  ASSERT_EQ(first.Open(), kVOk);
  EXPECT_EQ(second.Delete(kPeople, held), kVOk);
  EXPECT_EQ(second.Commit(), kVOk);
}

TEST(VTransactionTest, AHandleThatChangesItsQueueRunsEachCommandForTheQueueSetThen) {
  EngineEnv env(WithLog());
  env.CreateShop();
  VDBHandle& db = env.Handle();
  VUQue otherUser("Other");
  uint32_t r = 0;
  ASSERT_EQ(db.Insert(kPeople, Person("Sato", "1"), &r), kVOk);
  int32_t set = 0;
  uint32_t size = 0;
  ASSERT_EQ(db.MakeSet(kPeople, "all;", &set, &size), kVOk);
  db.SetQueue(&otherUser);
  int32_t count = -1;
  ASSERT_EQ(db.UserSetCount(&count), kVOk);
  EXPECT_EQ(count, 0);  // the engine's user's set is not the other's
  EXPECT_EQ(db.Delete(kPeople, r), kVNotHolder);
  db.SetQueue(nullptr);
  ASSERT_EQ(db.UserSetCount(&count), kVOk);
  EXPECT_EQ(count, 1);
  EXPECT_EQ(db.DropSet(kPeople, set), kVOk);
  EXPECT_EQ(db.Delete(kPeople, r), kVOk);
}

TEST(VTransactionTest, CancelRestoresExactlyTheStateOfTheLastCommit) {
  EngineEnv env(WithLog());
  env.CreateShop();
  VDBHandle& db = env.Handle();
  uint32_t r = 0;
  for (int i = 1; i <= 6; ++i) ASSERT_EQ(db.Insert(kPeople, Numbered(i), &r), kVOk);
  ASSERT_EQ(db.Commit(), kVOk);
  const FileState committed = StateOf(db);
  ASSERT_EQ(committed.records.size(), 6u);

  // Insert two, delete one of the old and one of the new, update twice and then delete a third.
  uint32_t seventh = 0;
  uint32_t eighth = 0;
  ASSERT_EQ(db.Insert(kPeople, Numbered(7), &seventh), kVOk);
  ASSERT_EQ(db.Insert(kPeople, Numbered(8), &eighth), kVOk);
  ASSERT_EQ(db.Delete(kPeople, 2), kVOk);
  ASSERT_EQ(db.Delete(kPeople, eighth), kVOk);
  ASSERT_EQ(db.Update(kPeople, 3, Person("changed", "99", "elsewhere")), kVOk);
  ASSERT_EQ(db.Update(kPeople, 3, Person("again", "98")), kVOk);
  ASSERT_EQ(db.Update(kPeople, 4, Person("gone", "97")), kVOk);
  ASSERT_EQ(db.Delete(kPeople, 4), kVOk);
  EXPECT_NE(StateOf(db), committed);

  ASSERT_EQ(db.Cancel(), kVOk);
  EXPECT_EQ(StateOf(db), committed);
  int32_t set = 0;
  uint32_t size = 0;
  ASSERT_EQ(db.MakeSet(kPeople, "[kname] = \"p2\";", &set, &size), kVOk);
  EXPECT_EQ(size, 1u);
  // The numbers handed out stay handed out.
  ASSERT_EQ(db.Insert(kPeople, Numbered(9), &r), kVOk);
  EXPECT_EQ(r, eighth + 1);
  ASSERT_EQ(db.Commit(), kVOk);
  // Nothing committed is undone by a later cancel, nor by the next open.
  ASSERT_EQ(db.Cancel(), kVOk);
  FileState after = StateOf(db);
  EXPECT_EQ(after.records.size(), 7u);
  env.Restart();
  ASSERT_EQ(env.Handle().Open(), kVOk);
  EXPECT_EQ(StateOf(env.Handle()), after);
}

TEST(VTransactionTest, ChangesLeftUncommittedAreUndoneWhenTheDatabaseIsOpenedAgain) {
  EngineEnv env(WithLog());
  env.CreateShop();
  VDBHandle& db = env.Handle();
  uint32_t r = 0;
  for (int i = 1; i <= 5; ++i) ASSERT_EQ(db.Insert(kPeople, Numbered(i), &r), kVOk);
  ASSERT_EQ(db.Commit(), kVOk);
  const FileState committed = StateOf(db);
  ASSERT_EQ(db.Insert(kPeople, Numbered(6), &r), kVOk);
  ASSERT_EQ(db.Delete(kPeople, 1), kVOk);
  ASSERT_EQ(db.Update(kPeople, 2, Numbered(20)), kVOk);
  // The engine goes away without a close: its files are flushed, the transaction is not ended.
  env.Restart(false);
  ASSERT_EQ(env.Handle().Open(), kVOk);
  EXPECT_EQ(StateOf(env.Handle()), committed);
}

namespace {

struct CrashCase {
  const char* name;
  bool flushFirst;  // the child flushes before it dies
  int32_t cacheKilobytes;
  int32_t uncommitted;  // records inserted after the commit
  int32_t cityLength;
  // The child dies in that flush as soon as the log is durable and the file's own backup begins:
  // the log then undoes changes that never reached the file.
  bool dieInFileFlush = false;
};

void DieAtFileBackup(VWritePoint point, const VFile& file, uint32_t) {
  // The entries of a backup name the block file they come from.
  const bool people = file.Name() == "people.dat" || file.Name() == "people.idx";
  if (point == VWritePoint::kBackupEntry && people) kill(getpid(), SIGKILL);
}

void PrintTo(const CrashCase& crash, std::ostream* out) { *out << crash.name; }

class CrashedTransaction : public ::testing::TestWithParam<CrashCase> {};

// The child's work: a committed part, then uncommitted inserts, deletes and updates of committed
// records; then it dies without ending the transaction.
[[noreturn]] void RunChild(EngineEnv& env, const CrashCase& crash) {
  VDBHandle& db = env.Handle();
  if (db.Open() != kVOk) _exit(10);
  uint32_t r = 0;
  for (int i = 1; i <= 40; ++i) {
    if (db.Insert(kPeople, Numbered(i, crash.cityLength), &r) != kVOk) _exit(11);
  }
  if (db.Commit() != kVOk) _exit(12);
  for (int i = 41; i < 41 + crash.uncommitted; ++i) {
    if (db.Insert(kPeople, Numbered(i, crash.cityLength), &r) != kVOk) _exit(13);
  }
  for (uint32_t old = 1; old <= 40; old += 3) {
    if (db.Delete(kPeople, old) != kVOk) _exit(14);
    if (db.Update(kPeople, old + 1, Numbered(1000 + static_cast<int>(old))) != kVOk) _exit(15);
  }
  if (crash.dieInFileFlush) VSetWritePointHook(DieAtFileBackup);
  if (crash.flushFirst && db.Flush() != kVOk) _exit(16);
  kill(getpid(), SIGKILL);
  _exit(17);
}

TEST_P(CrashedTransaction, TheNextOpenFindsOnlyWhatWasCommitted) {
  const CrashCase& crash = GetParam();
  EngineEnv env(WithLog(crash.cacheKilobytes));
  env.CreateShop();
  ASSERT_EQ(env.Handle().Close(), kVOk);
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) RunChild(env, crash);
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL)
      << "child ended with " << (WIFEXITED(status) ? WEXITSTATUS(status) : -1);

  env.Restart();
  VDBHandle& db = env.Handle();
  ASSERT_EQ(db.Open(), kVOk);
  FileState found = StateOf(db);
  // The committed part alone, as it was written.
  ASSERT_EQ(found.records.size(), 40u);
  for (int i = 1; i <= 40; ++i) {
    EXPECT_EQ(found.records[static_cast<uint32_t>(i)], ImageOf(Numbered(i, crash.cityLength)))
        << "record " << i;
  }
  uint32_t size = 0;
  int32_t set = 0;
  ASSERT_EQ(db.MakeSet(kPeople, "[kname] = \"p1\", \"p2\", \"p41\", \"p1001\";", &set, &size),
            kVOk);
  EXPECT_EQ(size, 2u);
  // The database goes on normally: new numbers follow every number the child handed out.
  uint32_t r = 0;
  ASSERT_EQ(db.Insert(kPeople, Numbered(5000), &r), kVOk);
  EXPECT_GT(r, 40u);
  ASSERT_EQ(db.Commit(), kVOk);
}

INSTANTIATE_TEST_SUITE_P(
    VTransactionTest, CrashedTransaction,
    ::testing::Values(CrashCase{"FlushedThenKilled", true, 300, 30, 0},
                      // A small cache writes changes back while the transaction runs: data
                      // blocks and log records reach the disk in whatever order the cache needs.
                      CrashCase{"WrittenBackByTheCache", false, 100, 400, 240},
                      CrashCase{"KilledBetweenTheLogAndTheFile", true, 300, 30, 0, true}),
    [](const ::testing::TestParamInfo<CrashCase>& info) { return info.param.name; });

void FailAtBackupSync(VWritePoint point, const VFile&, uint32_t) {
  if (point == VWritePoint::kBackupSync) throw VFailure(-1);
}

}  // namespace

TEST(VTransactionTest, AFatalStorageErrorStopsTheDatabaseUntilItIsOpenedAgain) {
  EngineEnv env(WithLog());
  env.CreateShop();
  VDBHandle& db = env.Handle();
  uint32_t r = 0;
  for (int i = 1; i <= 3; ++i) ASSERT_EQ(db.Insert(kPeople, Numbered(i), &r), kVOk);
  ASSERT_EQ(db.Commit(), kVOk);
  const FileState committed = StateOf(db);
  ASSERT_EQ(db.Insert(kPeople, Numbered(4), &r), kVOk);
  ASSERT_EQ(db.Delete(kPeople, 1), kVOk);

  VSetWritePointHook(FailAtBackupSync);
  EXPECT_THROW((void)db.Flush(), VFailure);
  VSetWritePointHook(nullptr);
  VRecord record;
  EXPECT_EQ(db.Read(kPeople, 2, &record), kVEngineStopped);
  EXPECT_EQ(db.Insert(kPeople, Numbered(5), &r), kVEngineStopped);
  EXPECT_EQ(db.Commit(), kVEngineStopped);
  EXPECT_TRUE(db.IsOpen());
  ASSERT_EQ(db.Close(), kVOk);
  ASSERT_EQ(db.Open(), kVOk);
  EXPECT_EQ(StateOf(db), committed);
}
