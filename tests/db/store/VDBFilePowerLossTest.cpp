// Record files on a simulated disk that loses power after every system call in turn, or fails any
// chosen call: the flush, the cache's own write-backs in the middle of record operations, the
// replay of a backup at Open, the creation of the files and the building of keys. After each cut
// the disk keeps what was made durable and a chosen share of the rest; reopening must recover to
// exactly the state of a complete flush (never a mixture), never lose what a flush that answered
// 0 wrote, and leave files that VDBCheck finds sound.
#include <gtest/gtest.h>

#include <functional>
#include <iostream>
#include <random>

#include "RecordFileSupport.h"
#include "SimulatedDisk.h"
#include "db/store/VDBCheck.h"
#include "db/store/VDBFile.h"

namespace {

using Keep = SimulatedDisk::Keep;
using Fault = SimulatedDisk::Fault;
using Image = std::shared_ptr<const SimulatedDisk::Image>;

constexpr const auto& kAllKeeps = SimulatedDisk::kAllKeeps;

// Inserts (55%), updates that grow or shrink (30%) and deletes, of records named from a small set
// of names (so that the key trees hold lists); the same seed gives the same steps.
class Steps {
 public:
  Steps(uint32_t seed, int32_t largest) : random_(seed), largest_(largest) {}

  // One step, applied to the model and, when given, to the file; false when the file does not do
  // as the model.
  bool Step(VDBFile* file) {
    ++count_;
    const uint32_t choice = random_() % 100;
    const int32_t size = 60 + static_cast<int32_t>(random_() % static_cast<uint32_t>(largest_));
    const std::string name = "n" + std::to_string(random_() % 40);
    if (model_.empty() || choice < 55) {
      const uint32_t r = ++last_;
      model_[r] = RecordImage(size, static_cast<uint32_t>(count_), name);
      uint32_t got = 0;
      return file == nullptr ||
             (file->InsRecord(nullptr, Span(model_[r]), &got) == kVOk && got == r);
    }
    auto it = std::next(model_.begin(), static_cast<long>(random_() % model_.size()));
    const uint32_t r = it->first;
    if (choice < 85) {
      it->second = RecordImage(size, static_cast<uint32_t>(count_), name);
      return file == nullptr || file->UpdRecord(nullptr, r, Span(it->second)) == kVOk;
    }
    model_.erase(it);
    return file == nullptr || file->DelRecord(nullptr, r) == kVOk;
  }

  const Expected& Model() const { return model_; }
  int32_t Count() const { return count_; }

 private:
  static std::span<const uint8_t> Span(const std::vector<uint8_t>& v) {
    return {v.data(), v.size()};
  }

  std::mt19937 random_;
  int32_t largest_;
  Expected model_;
  uint32_t last_ = 0;
  int32_t count_ = 0;
};

// One run's folder: the record file's configuration and cache, and the simulated disk under it,
// loaded with an image when one is given. The file has a key over the name and a reverse key.
struct DiskRun {
  explicit DiskRun(int32_t cacheKilobytes, const Image& image = nullptr)
      : env(false, cacheKilobytes), disk(env.Dir().Path()) {
    env.AddNameKey(1, 0);
    env.AddNameKey(2, kVKeyReverse);
    if (image != nullptr) disk.Restore(image);
  }
  RecordFileEnv env;
  SimulatedDisk disk;
};

// VDBCheck's verdict on the files as they lie on the disk: empty when sound.
std::string CheckProblems(RecordFileEnv& env) {
  VDBCheck check(&env.Config());
  if (check.CheckFile(env.Schema()) == 0) return "";
  std::string text;
  for (const std::string& problem : check.Problems()) text += problem + "\n";
  return text;
}

// The files on the disk recover, at Open, to exactly one of the allowed states (the index of the
// one found goes to which), and the files VDBCheck reads are sound before and after.
::testing::AssertionResult RecoversToOneOf(RecordFileEnv& env,
                                           const std::vector<const Expected*>& allowed,
                                           size_t* which = nullptr) {
  std::string problems = CheckProblems(env);
  if (!problems.empty()) return ::testing::AssertionFailure() << "before the open:\n" << problems;
  auto file = env.NewFile();
  const VResult opened = file->Open();
  if (opened != kVOk) return ::testing::AssertionFailure() << "the open answers " << opened;
  size_t found = allowed.size();
  for (size_t i = 0; i < allowed.size() && found == allowed.size(); ++i) {
    if (HoldsExactly(*file, *allowed[i])) found = i;
  }
  if (found == allowed.size()) {
    std::string why;
    for (const Expected* state : allowed) {
      why += std::string(HoldsExactly(*file, *state).message()) + "; ";
    }
    return ::testing::AssertionFailure() << "the file holds none of the allowed states: " << why;
  }
  const VResult closed = file->Close();
  if (closed != kVOk) return ::testing::AssertionFailure() << "the close answers " << closed;
  problems = CheckProblems(env);
  if (!problems.empty()) return ::testing::AssertionFailure() << "after the open:\n" << problems;
  if (which != nullptr) *which = found;
  return ::testing::AssertionSuccess();
}

// Makes the starting image: the file created and opened, steps applied, flushed and closed, every
// byte made durable. The model after those steps goes to steps.
Image StartingImage(int32_t cacheKilobytes, int32_t count, Steps* steps) {
  DiskRun run(cacheKilobytes);
  auto file = run.env.NewFile();
  EXPECT_EQ(file->CreateDBFile(), kVOk);
  EXPECT_EQ(file->Open(), kVOk);
  for (int32_t i = 0; i < count; ++i) EXPECT_TRUE(steps->Step(file.get()));
  EXPECT_EQ(file->Close(), kVOk);
  run.disk.SyncEverything();
  return run.disk.Save();
}

// What one attempt at an operation did.
struct Outcome {
  bool succeeded = false;  // the operation answered success before the power went or the disk
                           // failed it
  int64_t calls = 0;       // system calls the operation made
};

// Counts for the closing figures of the run.
struct Figures {
  const char* what;
  int64_t points = 0;
  int64_t runs = 0;
  ~Figures() {
    std::cout << "[ figures  ] " << what << ": " << points << " points, " << runs << " runs\n";
  }
};

// ---- the flush ----

constexpr int32_t kLargeCache = 4000;
constexpr int32_t kBaseSteps = 60;
constexpr int32_t kFlushSteps = 60;

class FlushPowerLoss : public ::testing::Test {
 protected:
  void SetUp() override {
    Steps steps(11, 900);
    base_ = StartingImage(kLargeCache, kBaseSteps, &steps);
    before_ = steps.Model();
    steps_ = std::make_unique<Steps>(steps);
    for (int32_t i = 0; i < kFlushSteps; ++i) steps.Step(nullptr);
    after_ = steps.Model();
  }

  // Opens the file on the run's disk, applies the steps since the starting image without any
  // write reaching the disk (the cache holds them all), and flushes with the power going after
  // cut calls (no cut when negative) or the chosen call failing.
  Outcome Flush(DiskRun& run, int64_t cut, const std::function<void(SimulatedDisk&)>& fault = {}) {
    Outcome outcome;
    auto file = run.env.NewFile();
    EXPECT_EQ(file->Open(), kVOk);
    Steps steps = *steps_;
    for (int32_t i = 0; i < kFlushSteps; ++i) EXPECT_TRUE(steps.Step(file.get()));
    run.disk.ResetCount();
    if (cut >= 0) run.disk.CutPowerAfter(cut);
    if (fault) fault(run.disk);
    try {
      outcome.succeeded = file->Flush() == kVOk;
    } catch (const VFailure&) {
      outcome.succeeded = false;
    }
    outcome.calls = run.disk.Calls();
    return outcome;
  }

  Image base_;
  std::unique_ptr<Steps> steps_;
  Expected before_;
  Expected after_;
};

TEST_F(FlushPowerLoss, ACutAfterAnyCallRecoversToTheOldOrTheNewStateAndNeverLosesAFinishedFlush) {
  int64_t calls = 0;
  {
    DiskRun run(kLargeCache, base_);
    const Outcome clean = Flush(run, -1);
    ASSERT_TRUE(clean.succeeded);
    calls = clean.calls;
    ASSERT_GT(calls, 10);
  }
  Figures figures{"flush power cuts"};
  for (int64_t cut = 0; cut <= calls; ++cut) {
    ++figures.points;
    for (Keep keep : kAllKeeps) {
      ++figures.runs;
      DiskRun run(kLargeCache, base_);
      const Outcome outcome = Flush(run, cut);
      // The file object goes as a process would die: whatever it still tries fails.
      run.disk.PowerCut(keep, static_cast<uint32_t>(cut));
      size_t which = 0;
      ASSERT_TRUE(RecoversToOneOf(run.env, {&before_, &after_}, &which))
          << "power cut after call " << cut << " of " << calls << ", keep rule "
          << static_cast<int>(keep);
      if (outcome.succeeded) {
        EXPECT_EQ(which, 1u) << "a flush that answered 0 was lost, cut after call " << cut;
      }
    }
  }
}

// A cut while a complete backup is replayed at Open, after every call of the replay: the next
// open replays it again and reaches the flushed state.
TEST_F(FlushPowerLoss, ACutDuringTheReplayOfABackupIsRecoveredByTheNextOpen) {
  // The crash images with a complete backup: the cut falls after its completion mark is durable.
  std::vector<Image> crashed;
  int64_t calls = 0;
  {
    DiskRun run(kLargeCache, base_);
    calls = Flush(run, -1).calls;
  }
  for (int64_t cut = 0; cut <= calls && crashed.size() < 2; ++cut) {
    DiskRun run(kLargeCache, base_);
    (void)Flush(run, cut);
    run.disk.PowerCut(Keep::kRandom, static_cast<uint32_t>(cut));
    auto backup = run.disk.Contents(run.env.BackupPath());
    if (backup && backup->size() >= 4 && VGetU32(backup->data()) != 0) {
      crashed.push_back(run.disk.Save());
      cut += calls / 3;  // spread over the writes in place
    }
  }
  ASSERT_FALSE(crashed.empty());
  Figures figures{"replay power cuts"};
  for (const Image& image : crashed) {
    int64_t replayCalls = 0;
    {
      DiskRun run(kLargeCache, image);
      run.disk.ResetCount();
      auto file = run.env.NewFile();
      ASSERT_EQ(file->Open(), kVOk);
      replayCalls = run.disk.Calls();
      ASSERT_TRUE(HoldsExactly(*file, after_));
    }
    for (int64_t cut = 0; cut <= replayCalls; ++cut) {
      ++figures.points;
      for (Keep keep : {kAllKeeps[cut % 4]}) {
        ++figures.runs;
        DiskRun run(kLargeCache, image);
        run.disk.ResetCount();
        run.disk.CutPowerAfter(cut);
        {
          auto file = run.env.NewFile();
          (void)file->Open();  // the power goes during it
        }
        run.disk.PowerCut(keep, static_cast<uint32_t>(cut));
        EXPECT_TRUE(RecoversToOneOf(run.env, {&after_}))
            << "power cut after call " << cut << " of the replay";
      }
    }
  }
}

// Every call of the flush fails in turn, once or for good, with each fault that can hit it: the
// flush never answers 0 unless its state is durable, the file refuses to go on as if nothing had
// happened, and a reopen (with the disk working again, after a power cut or without one) finds the
// old or the new state.
TEST_F(FlushPowerLoss, AFailingCallNeverPassesAsSuccessAndAReopenRecovers) {
  std::vector<SimulatedDisk::Call> trace;
  {
    DiskRun run(kLargeCache, base_);
    ASSERT_TRUE(Flush(run, -1).succeeded);
    trace = run.disk.Trace();
  }
  Figures figures{"flush failures"};
  for (int64_t n = 0; n < static_cast<int64_t>(trace.size()); ++n) {
    for (Fault fault : {Fault::kEIO, Fault::kENOSPC, Fault::kShortWrite}) {
      if (!SimulatedDisk::Applies(fault, trace[static_cast<size_t>(n)])) continue;
      for (bool persistent : {false, true}) {
        ++figures.points;
        for (bool cutAfter : {false, true}) {
          ++figures.runs;
          DiskRun run(kLargeCache, base_);
          const Outcome outcome =
              Flush(run, -1, [&](SimulatedDisk& disk) { disk.FailCall(n, fault, persistent); });
          if (fault == Fault::kShortWrite) {
            EXPECT_TRUE(outcome.succeeded) << "a short write at call " << n << " is completed";
          }
          run.disk.Heal();
          if (cutAfter) run.disk.PowerCut(Keep::kNothing);
          size_t which = 0;
          ASSERT_TRUE(RecoversToOneOf(run.env, {&before_, &after_}, &which))
              << "fault " << static_cast<int>(fault) << (persistent ? " for good" : " once")
              << " at call " << n;
          if (outcome.succeeded) {
            EXPECT_EQ(which, 1u) << "call " << n << " failed unseen";
          }
        }
      }
    }
  }
}

// After a failed flush the file takes no more changes as if they could be made durable: a second
// flush raises too, and closing answers the failure.
TEST_F(FlushPowerLoss, AFileWhoseFlushFailedAfterItsBackupWasCompleteStopsAndReplaysAtTheNextOpen) {
  std::vector<SimulatedDisk::Call> trace;
  {
    DiskRun run(kLargeCache, base_);
    ASSERT_TRUE(Flush(run, -1).succeeded);
    trace = run.disk.Trace();
  }
  // The last sync of the flush is the one of the index file written in place.
  int64_t lastSync = -1;
  for (size_t i = 0; i < trace.size(); ++i) {
    if (trace[i] == SimulatedDisk::Call::kSync) lastSync = static_cast<int64_t>(i);
  }
  ASSERT_GE(lastSync, 0);
  DiskRun run(kLargeCache, base_);
  auto file = run.env.NewFile();
  ASSERT_EQ(file->Open(), kVOk);
  Steps steps = *steps_;
  for (int32_t i = 0; i < kFlushSteps; ++i) ASSERT_TRUE(steps.Step(file.get()));
  run.disk.ResetCount();
  run.disk.FailCall(lastSync, Fault::kEIO, false);
  EXPECT_THROW((void)file->Flush(), VFailure);
  EXPECT_THROW((void)file->Flush(), VFailure);
  EXPECT_EQ(file->Close(), kVWriteFailed);
  // The disk lost the index file's writes in place; the backup brings them back.
  run.disk.PowerCut(Keep::kNothing);
  EXPECT_TRUE(RecoversToOneOf(run.env, {&after_}));
}

// ---- write-backs the cache starts by itself ----

// A cache too small for the work flushes at the end of record operations (and before them, when a
// lookup needs room); a cut after any call of the whole workload finds the state after some step,
// never older than the last write-back that finished and never newer than the step under way.
TEST(CacheWriteBackPowerLoss, ACutAnywhereInAWorkloadFindsTheStateOfAWholeStep) {
  constexpr int32_t kSmallCache = 40;
  constexpr int32_t kSeed = 5;
  constexpr int32_t kCount = 80;
  Steps base(kSeed, 1800);
  const Image image = StartingImage(kSmallCache, 0, &base);
  // The model after every step, and the calls made by the end of each step in a run without a cut.
  std::vector<Expected> models{base.Model()};
  std::vector<int64_t> callsAfter;
  std::vector<int64_t> flushedAt;  // calls made when each write-back had finished
  {
    DiskRun run(kSmallCache, image);
    auto file = run.env.NewFile();
    ASSERT_EQ(file->Open(), kVOk);
    run.disk.ResetCount();
    Steps steps = base;
    for (int32_t i = 0; i < kCount; ++i) {
      ASSERT_TRUE(steps.Step(file.get()));
      models.push_back(steps.Model());
      callsAfter.push_back(run.disk.Calls());
    }
    // A write-back is durable once its files are synced in place: the removal of its backup, the
    // only removal of the workload, comes next.
    const std::vector<SimulatedDisk::Call>& trace = run.disk.Trace();
    for (size_t i = 0; i < trace.size(); ++i) {
      if (trace[i] == SimulatedDisk::Call::kUnlink) flushedAt.push_back(static_cast<int64_t>(i));
    }
    ASSERT_GE(flushedAt.size(), 3u) << "the workload must make the cache write back";
  }
  // The number of steps complete after `calls` calls.
  auto stepAt = [&](int64_t calls) {
    size_t step = 0;
    while (step < callsAfter.size() && callsAfter[step] <= calls) ++step;
    return step;
  };
  Figures figures{"write-back power cuts"};
  const int64_t total = callsAfter.back();
  for (int64_t cut = 0; cut <= total; ++cut) {
    ++figures.points;
    // One keep rule a point, in turn: the points are many.
    for (Keep keep : {kAllKeeps[cut % 4]}) {
      ++figures.runs;
      DiskRun run(kSmallCache, image);
      {
        auto file = run.env.NewFile();
        ASSERT_EQ(file->Open(), kVOk);
        run.disk.ResetCount();
        run.disk.CutPowerAfter(cut);
        Steps steps = base;
        try {
          while (steps.Count() < kCount && steps.Step(file.get())) {
          }
        } catch (const VFailure&) {
        }
      }
      run.disk.PowerCut(keep, static_cast<uint32_t>(cut));
      // The newest state that can be durable is that after the step under way; the oldest, that
      // before the step in which the last finished write-back ran (it holds that step's changes
      // when it ran at the step's end, not when a lookup at its start needed room).
      const size_t newest = std::min(stepAt(cut) + 1, models.size() - 1);
      size_t oldest = 0;
      for (int64_t at : flushedAt) {
        if (at <= cut) oldest = stepAt(at);
      }
      std::vector<const Expected*> allowed;
      for (size_t s = oldest; s <= newest; ++s) allowed.push_back(&models[s]);
      ASSERT_TRUE(RecoversToOneOf(run.env, allowed))
          << "power cut after call " << cut << " of " << total << ", steps " << oldest << ".."
          << newest;
    }
  }
}

// ---- creating files and building keys ----

// A cut during CreateDBFile leaves either no file (it can be made again) or a sound empty one;
// one after it finished leaves the sound empty file.
TEST(CreationPowerLoss, ACutWhileTheFilesAreMadeLeavesThemWholeOrRemakeable) {
  int64_t calls = 0;
  {
    DiskRun run(kLargeCache);
    run.disk.SyncEverything();
    run.disk.ResetCount();
    ASSERT_EQ(run.env.NewFile()->CreateDBFile(), kVOk);
    calls = run.disk.Calls();
  }
  const Expected empty;
  Figures figures{"creation power cuts"};
  for (int64_t cut = 0; cut <= calls; ++cut) {
    ++figures.points;
    for (Keep keep : kAllKeeps) {
      ++figures.runs;
      DiskRun run(kLargeCache);
      run.disk.ResetCount();
      run.disk.CutPowerAfter(cut);
      const bool made = run.env.NewFile()->CreateDBFile() == kVOk;
      run.disk.PowerCut(keep, static_cast<uint32_t>(cut));
      auto file = run.env.NewFile();
      if (file->Open() == kVOk) {
        ASSERT_TRUE(HoldsExactly(*file, empty));
        ASSERT_EQ(file->Close(), kVOk);
        EXPECT_EQ(CheckProblems(run.env), "") << "cut after call " << cut;
        continue;
      }
      EXPECT_FALSE(made) << "a creation that answered 0 was lost, cut after call " << cut;
      // What is left is erased (either file may be missing) and the file made anew.
      (void)file->EraseDBFile();
      ASSERT_EQ(file->CreateDBFile(), kVOk)
          << "cut after call " << cut << " left " << run.disk.Names(run.env.Dir().Path()).size()
          << " names";
      ASSERT_EQ(file->Open(), kVOk);
      ASSERT_EQ(file->Close(), kVOk);
    }
  }
}

// Building every key of a file with records: a cut anywhere leaves the records as they were and
// the keys either complete or absent (VDBCheck compares every tree with the records).
TEST(CreationPowerLoss, ACutWhileKeysAreBuiltLeavesEachKeyWholeOrAbsent) {
  Steps steps(3, 600);
  const Image image = StartingImage(kLargeCache, 80, &steps);
  auto build = [&](DiskRun& run, int64_t cut) {
    auto file = run.env.NewFile();
    EXPECT_EQ(file->Open(), kVOk);
    run.disk.ResetCount();
    if (cut >= 0) run.disk.CutPowerAfter(cut);
    try {
      if (file->CreateAllKey() != kVOk) return false;
      return file->Close() == kVOk;
    } catch (const VFailure&) {
      return false;
    }
  };
  int64_t calls = 0;
  {
    DiskRun run(kLargeCache, image);
    ASSERT_TRUE(build(run, -1));
    calls = run.disk.Calls();
  }
  Figures figures{"key-building power cuts"};
  for (int64_t cut = 0; cut <= calls; ++cut) {
    ++figures.points;
    for (Keep keep : {Keep::kNothing, Keep::kEverything, Keep::kRandom}) {
      ++figures.runs;
      DiskRun run(kLargeCache, image);
      (void)build(run, cut);
      run.disk.PowerCut(keep, static_cast<uint32_t>(cut));
      ASSERT_TRUE(RecoversToOneOf(run.env, {&steps.Model()})) << "cut after call " << cut;
    }
  }
}

}  // namespace
