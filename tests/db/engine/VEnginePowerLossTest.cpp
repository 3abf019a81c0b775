// The engine on a simulated disk that loses power after every system call in turn, or fails any
// chosen call: a transaction's commit and cancel (with the transaction log), the creation of a
// database and its files, and the rewrite of the configuration. After each cut the next start
// must find every committed change and no uncommitted one, files that VDBCheck finds sound, and a
// configuration that is the old one or the new one.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <functional>
#include <iostream>
#include <map>
#include <random>

#include "EngineSupport.h"
#include "SimulatedDisk.h"
#include "TempDir.h"
#include "base/VStream.h"
#include "db/engine/VEngineCodes.h"
#include "db/schema/VSchema.h"
#include "db/schema/VSystemSchemas.h"
#include "db/store/VDBCheck.h"

namespace {

using Keep = SimulatedDisk::Keep;
using Fault = SimulatedDisk::Fault;
using Image = std::shared_ptr<const SimulatedDisk::Image>;

constexpr const auto& kAllKeeps = SimulatedDisk::kAllKeeps;

// One run's folder (the current directory while it lasts), its simulated disk and an engine on
// it with the transaction log on.
class EngineRun {
 public:
  explicit EngineRun(const Image& image = nullptr, int32_t cacheKilobytes = 300)
      : dir_(true), disk_(dir_.Path()), cacheKilobytes_(cacheKilobytes) {
    if (image != nullptr) disk_.Restore(image);
    Start();
  }
  ~EngineRun() { Stop(); }

  void Start() {
    engine_ = std::make_unique<VBSBoss>(dir_ / "Varnex.conf");
    VMSD* main = engine_->Config()->MainSection();
    main->SetTransactionLog(true, false);
    main->SetCommandLog(false, false);
    main->SetCacheSize(cacheKilobytes_, false);
    handle_ = std::make_unique<VDBHandle>(engine_.get());
  }
  // The engine goes without closing its database, as a process that dies.
  void Stop() {
    handle_.reset();
    engine_.reset();
  }
  void Restart() {
    Stop();
    Start();
  }

  SimulatedDisk& Disk() { return disk_; }
  VDBHandle& Db() { return *handle_; }
  VBSBoss& Engine() { return *engine_; }
  const TempDir& Dir() const { return dir_; }

 private:
  TempDir dir_;
  SimulatedDisk disk_;
  int32_t cacheKilobytes_;
  std::unique_ptr<VBSBoss> engine_;
  std::unique_ptr<VDBHandle> handle_;
};

// Every record of both files, and the long values a test keeps track of.
struct State {
  std::map<int32_t, std::map<uint32_t, std::vector<uint8_t>>> records;
  std::map<uint32_t, std::vector<uint8_t>> values;
  bool operator==(const State& other) const {
    return records == other.records && values == other.values;
  }
};

std::vector<uint8_t> Noise(size_t size, uint32_t seed) {
  std::mt19937 random(seed);
  std::vector<uint8_t> bytes(size);
  for (uint8_t& b : bytes) b = static_cast<uint8_t>(random() % 7);  // compressible in part
  return bytes;
}

::testing::AssertionResult ReadState(VDBHandle& db, const std::vector<uint32_t>& valueIds,
                                     State* state) {
  for (int32_t file : {kPeople, kOrders}) {
    int32_t read = 0;
    VResult result = db.PhysicalLocate(file, &read);
    if (result != kVOk) return ::testing::AssertionFailure() << "locate answers " << result;
    uint32_t r = 0;
    VRecord record;
    while ((result = db.PhysicalRead(file, read, &r, &record)) == kVOk) {
      state->records[file][r] = ImageOf(record);
    }
    if (result != kVEnd) return ::testing::AssertionFailure() << "read answers " << result;
    if (db.PhysicalCancel(file, read) != kVOk) return ::testing::AssertionFailure() << "cancel";
  }
  for (uint32_t id : valueIds) {
    // A value that is not stored (not yet, or no longer) is left out of the state.
    VDMemStream out;
    if (db.FetchData(id, out) != kVOk || out.Size() == 0) continue;
    state->values[id].assign(out.Data(), out.Data() + out.Size());
  }
  return ::testing::AssertionSuccess();
}

// VDBCheck over every record file of the database (the database must be closed): empty when
// sound.
std::string CheckProblems(VBSBoss& engine) {
  std::string text;
  VDBCheck check(engine.Config());
  auto checkAll = [&](const VSchema* schema) {
    if (schema == nullptr) return;
    const auto* file = static_cast<const VSch_DBFile*>(schema);
    if (check.CheckFile(*file) == 0) return;
    for (const std::string& problem : check.Problems()) text += problem + "\n";
  };
  std::unique_ptr<VSchema> files = ReadSchema(kTwoFiles, static_cast<int64_t>(strlen(kTwoFiles)));
  auto* database = static_cast<VSch_DB*>(files.get());
  for (int i = 0; i < database->FileCount(); ++i) checkAll(database->FileAt(i));
  for (const char* const* lines :
       {kVSchemaDataDictionary, kVSchemaValueFile, kVSchemaTransactionLog}) {
    std::unique_ptr<VSchema> schema = ReadSchema(lines, 0);
    checkAll(schema.get());
  }
  return text;
}

// The database starts again after the power came back: it opens (undoing what was left pending),
// holds exactly one of the allowed states (its index goes to which), closes, and its files are
// sound.
::testing::AssertionResult StartsAgainInOneOf(EngineRun& run, const std::vector<uint32_t>& valueIds,
                                              const std::vector<const State*>& allowed,
                                              size_t* which = nullptr) {
  run.Restart();
  VDBHandle& db = run.Db();
  VResult result = db.Open();
  if (result != kVOk) return ::testing::AssertionFailure() << "the open answers " << result;
  State found;
  ::testing::AssertionResult read = ReadState(db, valueIds, &found);
  if (!read) return read;
  size_t index = 0;
  while (index < allowed.size() && !(*allowed[index] == found)) ++index;
  if (index == allowed.size()) {
    return ::testing::AssertionFailure()
           << "the database holds none of the allowed states (" << found.records[kPeople].size()
           << " people, " << found.records[kOrders].size() << " orders)";
  }
  result = db.Close();
  if (result != kVOk) return ::testing::AssertionFailure() << "the close answers " << result;
  const std::string problems = CheckProblems(run.Engine());
  if (!problems.empty()) return ::testing::AssertionFailure() << problems;
  if (which != nullptr) *which = index;
  return ::testing::AssertionSuccess();
}

struct Figures {
  const char* what;
  int64_t points = 0;
  int64_t runs = 0;
  ~Figures() {
    std::cout << "[ figures  ] " << what << ": " << points << " points, " << runs << " runs\n";
  }
};

// ---- transactions ----

class TransactionPowerLoss : public ::testing::Test {
 protected:
  // The starting database: both files with committed records and a long value, closed, all of it
  // durable; then the state before and after the transaction of Work, found by a run without a
  // cut.
  void SetUp() override {
    {
      EngineRun run;
      VDBHandle& db = run.Db();
      ASSERT_EQ(db.CreateDatabase("Shop", "Power"), kVOk);
      ASSERT_EQ(db.Open(), kVOk);
      ASSERT_EQ(db.CreateFiles(kTwoFiles), kVOk);
      uint32_t r = 0;
      for (int i = 0; i < 30; ++i) {
        ASSERT_EQ(db.Insert(kPeople,
                            Person("p" + std::to_string(i), std::to_string(20 + i),
                                   std::string(40 + i * 7, 'c')),
                            &r),
                  kVOk);
      }
      for (int i = 0; i < 10; ++i) {
        ASSERT_EQ(db.Insert(kOrders, Order("item" + std::to_string(i), i), &r), kVOk);
      }
      const std::vector<uint8_t> value = Noise(6000, 1);
      uint32_t id = 0;
      ASSERT_EQ(db.StoreBytes(value.data(), static_cast<uint32_t>(value.size()), &id), kVOk);
      valueIds_.push_back(id);
      ASSERT_EQ(db.Commit(), kVOk);
      ASSERT_EQ(db.Close(), kVOk);
      run.Stop();
      run.Disk().SyncEverything();
      base_ = run.Disk().Save();
    }
    {
      EngineRun run(base_);
      ASSERT_EQ(run.Db().Open(), kVOk);
      ASSERT_TRUE(Work(run.Db()));
      ASSERT_EQ(run.Db().Commit(), kVOk);
      ASSERT_TRUE(ReadState(run.Db(), valueIds_, &after_));
    }
    // Read once every value the work touches is known.
    EngineRun run(base_);
    ASSERT_EQ(run.Db().Open(), kVOk);
    ASSERT_TRUE(ReadState(run.Db(), valueIds_, &before_));
    ASSERT_FALSE(before_ == after_);
    ASSERT_EQ(before_.values.size(), 1u);
    ASSERT_EQ(after_.values.size(), 1u);
  }

  static VRecord Order(const std::string& item, int count) {
    VRecord record;
    EXPECT_EQ(
        record.SetValueFromText(1, kVTypeString, reinterpret_cast<const uint8_t*>(item.data()),
                                static_cast<int32_t>(item.size())),
        kVOk);
    const std::string number = std::to_string(count);
    EXPECT_EQ(
        record.SetValueFromText(2, kVTypeNumber, reinterpret_cast<const uint8_t*>(number.data()),
                                static_cast<int32_t>(number.size())),
        kVOk);
    return record;
  }

  // The transaction: inserts, growing and shrinking updates and deletes in both files, a new long
  // value and the old one freed. The new value's id is tracked too.
  ::testing::AssertionResult Work(VDBHandle& db) {
    uint32_t r = 0;
    const std::string kept(250, 'k');
    const struct {
      const char* what;
      std::function<VResult()> change;
    } changes[] = {
        {"insert", [&] { return db.Insert(kPeople, Person("new0", "7", kept), &r); }},
        {"insert",
         [&] {
           return db.Insert(kPeople, Person("new1", "8", kept, {"a", "b"}), &r);
         }},
        {"insert", [&] { return db.Insert(kPeople, Person("new2", "9"), &r); }},
        {"growing update",
         [&] {
           return db.Update(kPeople, 3, Person("p3", "99", kept, {kept, kept, kept}));
         }},
        {"shrinking update", [&] { return db.Update(kPeople, 8, Person("p8", "1")); }},
        {"delete", [&] { return db.Delete(kPeople, 5); }},
        {"delete", [&] { return db.Delete(kPeople, 12); }},
        {"order insert", [&] { return db.Insert(kOrders, Order("itemX", 5), &r); }},
        {"order update", [&] { return db.Update(kOrders, 2, Order("item1", 200)); }},
        {"order delete", [&] { return db.Delete(kOrders, 4); }},
    };
    for (const auto& change : changes) {
      const VResult result = change.change();
      if (result != kVOk) {
        return ::testing::AssertionFailure() << "the " << change.what << " answers " << result;
      }
    }
    const std::vector<uint8_t> value = Noise(9000, 2);
    uint32_t id = 0;
    if (db.StoreBytes(value.data(), static_cast<uint32_t>(value.size()), &id) != kVOk ||
        db.FreeData(valueIds_[0]) != kVOk) {
      return ::testing::AssertionFailure() << "long values";
    }
    if (valueIds_.size() == 1) valueIds_.push_back(id);
    return ::testing::AssertionSuccess();
  }

  // Opens, makes the changes and ends the transaction with the power going after cut calls of the
  // end (none when negative) or the chosen call failing; answers whether the end answered 0 and,
  // in calls, how many calls it made.
  bool End(EngineRun& run, bool commit, int64_t cut, int64_t* calls = nullptr,
           const std::function<void(SimulatedDisk&)>& fault = {}, bool* stopped = nullptr) {
    VDBHandle& db = run.Db();
    EXPECT_EQ(db.Open(), kVOk);
    EXPECT_TRUE(Work(db));
    run.Disk().ResetCount();
    if (cut >= 0) run.Disk().CutPowerAfter(cut);
    if (fault) fault(run.Disk());
    bool ended = false;
    try {
      ended = (commit ? db.Commit() : db.Cancel()) == kVOk;
    } catch (const VFailure&) {
      // A fatal storage error stops the database: nothing but Close is taken until it opens
      // again.
      uint32_t r = 0;
      EXPECT_EQ(db.Insert(kPeople, Person("late", "1"), &r), kVEngineStopped);
      if (stopped != nullptr) *stopped = true;
    }
    if (calls != nullptr) *calls = run.Disk().Calls();
    return ended;
  }

  Image base_;
  std::vector<uint32_t> valueIds_;
  State before_;
  State after_;
};

TEST_F(TransactionPowerLoss, ACutDuringACommitKeepsAllOrNothingAndACommitThatAnsweredIsKept) {
  int64_t calls = 0;
  {
    EngineRun run(base_);
    ASSERT_TRUE(End(run, true, -1, &calls));
  }
  Figures figures{"commit power cuts"};
  for (int64_t cut = 0; cut <= calls; ++cut) {
    ++figures.points;
    for (Keep keep : kAllKeeps) {
      ++figures.runs;
      EngineRun run(base_);
      const bool committed = End(run, true, cut);
      run.Stop();
      run.Disk().PowerCut(keep, static_cast<uint32_t>(cut));
      size_t which = 0;
      ASSERT_TRUE(StartsAgainInOneOf(run, valueIds_, {&before_, &after_}, &which))
          << "cut after call " << cut << " of " << calls << ", keep rule "
          << static_cast<int>(keep);
      if (committed) {
        EXPECT_EQ(which, 1u) << "a commit that answered 0 was lost, cut " << cut;
      }
    }
  }
}

TEST_F(TransactionPowerLoss, ACutDuringACancelNeverLetsTheCancelledChangesSurvive) {
  int64_t calls = 0;
  {
    EngineRun run(base_);
    ASSERT_TRUE(End(run, false, -1, &calls));
  }
  Figures figures{"cancel power cuts"};
  for (int64_t cut = 0; cut <= calls; ++cut) {
    ++figures.points;
    // One keep rule a point, in turn: the points are many.
    for (Keep keep : {kAllKeeps[cut % 4]}) {
      ++figures.runs;
      EngineRun run(base_);
      (void)End(run, false, cut);
      run.Stop();
      run.Disk().PowerCut(keep, static_cast<uint32_t>(cut));
      ASSERT_TRUE(StartsAgainInOneOf(run, valueIds_, {&before_}))
          << "cut after call " << cut << " of " << calls << ", keep rule "
          << static_cast<int>(keep);
    }
  }
}

// A small cache writes the transaction's blocks back while it runs, so the log and the files reach
// the disk in the cache's order: a cut anywhere in the work and its commit still finds all or
// nothing.
TEST_F(TransactionPowerLoss, ACutWhileASmallCacheWritesBackMidTransactionFindsAllOrNothing) {
  auto work = [&](EngineRun& run, int64_t cut) {
    VDBHandle& db = run.Db();
    EXPECT_EQ(db.Open(), kVOk);
    run.Disk().ResetCount();
    if (cut >= 0) run.Disk().CutPowerAfter(cut);
    try {
      return Work(db) && db.Commit() == kVOk;
    } catch (const VFailure&) {
      return false;
    }
  };
  int64_t calls = 0;
  {
    EngineRun run(base_, 40);
    ASSERT_TRUE(work(run, -1));
    calls = run.Disk().Calls();
  }
  Figures figures{"small-cache transaction power cuts"};
  for (int64_t cut = 0; cut <= calls; ++cut) {
    ++figures.points;
    for (Keep keep : {cut % 2 == 0 ? Keep::kNothing : Keep::kRandom}) {
      ++figures.runs;
      EngineRun run(base_, 40);
      const bool committed = work(run, cut);
      run.Stop();
      run.Disk().PowerCut(keep, static_cast<uint32_t>(cut));
      size_t which = 0;
      ASSERT_TRUE(StartsAgainInOneOf(run, valueIds_, {&before_, &after_}, &which))
          << "cut after call " << cut << " of " << calls;
      if (committed) {
        EXPECT_EQ(which, 1u) << "cut " << cut;
      }
    }
  }
}

// Every call of a commit fails in turn, once or for good: a commit that answers 0 is durable, a
// failing one is answered as a failure (a fatal one stops the database), and the next start finds
// all or nothing.
TEST_F(TransactionPowerLoss, AFailingCallDuringACommitIsAnsweredAndTheNextStartRecovers) {
  std::vector<SimulatedDisk::Call> trace;
  {
    EngineRun run(base_);
    ASSERT_TRUE(End(run, true, -1));
    trace = run.Disk().Trace();
  }
  Figures figures{"commit failures"};
  for (int64_t n = 0; n < static_cast<int64_t>(trace.size()); ++n) {
    for (Fault fault : {Fault::kEIO, Fault::kENOSPC, Fault::kShortWrite}) {
      if (!SimulatedDisk::Applies(fault, trace[static_cast<size_t>(n)])) continue;
      for (bool persistent : {false, true}) {
        ++figures.points;
        ++figures.runs;
        EngineRun run(base_);
        bool stopped = false;
        const bool committed = End(
            run, true, -1, nullptr,
            [&](SimulatedDisk& disk) { disk.FailCall(n, fault, persistent); }, &stopped);
        if (fault == Fault::kShortWrite) {
          EXPECT_TRUE(committed) << "call " << n;
        }
        run.Stop();
        run.Disk().Heal();
        run.Disk().PowerCut(Keep::kNothing);
        size_t which = 0;
        ASSERT_TRUE(StartsAgainInOneOf(run, valueIds_, {&before_, &after_}, &which))
            << "fault " << static_cast<int>(fault) << (persistent ? " for good" : " once")
            << " at call " << n;
        if (committed) {
          EXPECT_EQ(which, 1u) << "call " << n << " failed unseen";
        }
      }
    }
  }
}

// ---- creating a database ----

// Creating a database and its files: a cut after any call leaves a database that opens and is
// sound, or one whose leftovers an erase clears for a new creation; once every step answered 0 the
// database is there whole.
TEST(DatabaseCreationPowerLoss, ACutLeavesAWholeDatabaseOrOneThatCanBeMadeAgain) {
  auto create = [](EngineRun& run) {
    VDBHandle& db = run.Db();
    try {
      return db.CreateDatabase("Shop", "Power") == kVOk && db.Open() == kVOk &&
             db.CreateFiles(kTwoFiles) == kVOk && db.Close() == kVOk;
    } catch (const VFailure&) {
      return false;
    }
  };
  int64_t calls = 0;
  {
    EngineRun run;
    run.Disk().ResetCount();
    ASSERT_TRUE(create(run));
    calls = run.Disk().Calls();
  }
  const State empty;
  Figures figures{"database creation power cuts"};
  for (int64_t cut = 0; cut <= calls; ++cut) {
    ++figures.points;
    // One keep rule a point, in turn: each run makes a whole database.
    for (Keep keep : {kAllKeeps[cut % 4]}) {
      ++figures.runs;
      EngineRun run;
      run.Disk().ResetCount();
      run.Disk().CutPowerAfter(cut);
      const bool created = create(run);
      run.Stop();
      run.Disk().PowerCut(keep, static_cast<uint32_t>(cut));
      if (created) {
        ASSERT_TRUE(StartsAgainInOneOf(run, {}, {&empty})) << "cut after call " << cut;
        continue;
      }
      run.Restart();
      VDBHandle& db = run.Db();
      if (db.Open() == kVOk) {
        int32_t size = 0;
        if (db.MacRLength(kOrders, &size) == kVOk) {
          // The files were made: the database is whole.
          ASSERT_EQ(db.Close(), kVOk);
          ASSERT_TRUE(StartsAgainInOneOf(run, {}, {&empty})) << "cut after call " << cut;
          continue;
        }
        ASSERT_EQ(db.Close(), kVOk);
      }
      // Whatever was left goes, and the database is made again from the start. The erase refuses
      // folders it cannot resolve on the real disk, where the simulated ones have a stand-in.
      for (const std::string& name : run.Disk().Names(run.Dir().Path())) {
        if (!run.Disk().Contents(run.Dir() / name))
          std::filesystem::create_directory(run.Dir() / name);
      }
      EXPECT_EQ(db.EraseDatabase(), kVOk) << "cut after call " << cut;
      ASSERT_TRUE(create(run)) << "cut after call " << cut << ", keep rule "
                               << static_cast<int>(keep);
      ASSERT_TRUE(StartsAgainInOneOf(run, {}, {&empty})) << "cut after call " << cut;
    }
  }
}

// ---- the configuration ----

// The configuration is rewritten when the engine goes after a setting changed: a cut after any
// call of that leaves the old text or the new one, whole.
TEST(ConfigurationPowerLoss, ACutWhileTheConfigurationIsRewrittenLeavesTheOldOrTheNewFile) {
  TempDir dir(true);
  SimulatedDisk disk(dir.Path());
  const std::string path = dir / "Varnex.conf";
  { VBSBoss engine(path); }  // writes the defaults
  disk.SyncEverything();
  const Image image = disk.Save();
  const std::vector<uint8_t> old = *disk.Contents(path);
  auto rewrite = [&](int64_t cut) {
    VBSBoss engine(path);
    engine.Config()->MainSection()->SetCacheSize(2000, true);
    disk.ResetCount();
    if (cut >= 0) disk.CutPowerAfter(cut);
  };  // the engine goes here and writes the file
  rewrite(-1);
  const int64_t calls = disk.Calls();
  const std::vector<uint8_t> rewritten = *disk.Contents(path);
  ASSERT_NE(old, rewritten);
  Figures figures{"configuration power cuts"};
  for (int64_t cut = 0; cut <= calls; ++cut) {
    ++figures.points;
    for (Keep keep : kAllKeeps) {
      ++figures.runs;
      disk.Restore(image);
      rewrite(cut);
      disk.PowerCut(keep, static_cast<uint32_t>(cut));
      const auto text = disk.Contents(path);
      ASSERT_TRUE(text.has_value()) << "cut after call " << cut;
      EXPECT_TRUE(*text == old || *text == rewritten) << "cut after call " << cut;
      if (cut == calls) {
        EXPECT_EQ(*text, rewritten);
      }
    }
  }
}

}  // namespace
