// Crash tests: a child process changes a record file and is killed at a chosen write point of a
// flush; reopening in the parent must find exactly the state of the last complete flush.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <random>

#include "RecordFileSupport.h"
#include "db/store/VDBFile.h"
#include "db/store/VWritePoint.h"

namespace {

// A sequence of inserts, updates (growing and shrinking) and deletes that the child applies to
// the file and the parent replays on a model alone: both see the same steps.
class Workload {
 public:
  Workload(uint32_t seed, int32_t largest) : random_(seed), largest_(largest) {}

  // One step; with a file, applied to it too. False when the file does not do as the model.
  bool Step(VDBFile* file) {
    ++steps_;
    const uint32_t choice = random_() % 100;
    const int32_t size = 40 + static_cast<int32_t>(random_() % static_cast<uint32_t>(largest_));
    if (model_.empty() || choice < 55) {
      const uint32_t r = ++last_;
      model_[r] = RecordImage(size, static_cast<uint32_t>(steps_));
      uint32_t got = 0;
      return file == nullptr ||
             (file->InsRecord(nullptr, {model_[r].data(), model_[r].size()}, &got) == kVOk &&
              got == r);
    }
    auto it = std::next(model_.begin(), static_cast<long>(random_() % model_.size()));
    const uint32_t r = it->first;
    if (choice < 85) {
      it->second = RecordImage(size, static_cast<uint32_t>(steps_));
      return file == nullptr ||
             file->UpdRecord(nullptr, r, {it->second.data(), it->second.size()}) == kVOk;
    }
    model_.erase(it);
    return file == nullptr || file->DelRecord(nullptr, r) == kVOk;
  }

  const Expected& Model() const { return model_; }
  int32_t Steps() const { return steps_; }

 private:
  std::mt19937 random_;
  int32_t largest_;
  Expected model_;
  uint32_t last_ = 0;
  int32_t steps_ = 0;
};

// The child's kill switch. After each flush's completion mark, the first write in place reports
// the step whose changes that flush holds (so the parent knows which flush became durable).
struct KillSwitch {
  bool armed = false;
  VWritePoint point = VWritePoint::kBlockWrite;
  int occurrence = 0;
  int seen = 0;
  int reportFd = -1;
  bool markPassed = false;
  int32_t step = 0;
};
KillSwitch gKill;

void KillAtPoint(VWritePoint point, const VFile&, uint32_t) {
  if (!gKill.armed) return;
  if (point == VWritePoint::kBackupMark) gKill.markPassed = true;
  const bool inPlace = point == VWritePoint::kBlockWrite || point == VWritePoint::kHeaderWrite ||
                       point == VWritePoint::kFileSync;
  if (inPlace && gKill.markPassed) {
    gKill.markPassed = false;
    if (write(gKill.reportFd, &gKill.step, sizeof gKill.step) != sizeof gKill.step) _exit(12);
  }
  if (point == gKill.point && ++gKill.seen == gKill.occurrence) kill(getpid(), SIGKILL);
}

enum class After { kFirstFlush, kSecondFlush, kLastReport };

struct Crash {
  const char* name;
  int32_t cacheKilobytes;
  int32_t largest;      // record bodies are 40 .. 40 + largest bytes
  int32_t firstSteps;   // then a flush, before the switch is armed
  int32_t secondSteps;  // then a flush, during which the switch fires
  VWritePoint point;
  int occurrence;
  After expect;
};

void PrintTo(const Crash& crash, std::ostream* out) { *out << crash.name; }

class RecordFileCrash : public ::testing::TestWithParam<Crash> {};

[[noreturn]] void RunChild(RecordFileEnv& env, const Crash& crash, int reportFd) {
  auto file = env.NewFile();
  if (file->Open() != kVOk) _exit(10);
  Workload work(99, crash.largest);
  for (int32_t i = 0; i < crash.firstSteps; ++i) {
    if (!work.Step(file.get())) _exit(11);
  }
  if (crash.firstSteps > 0 && file->Flush() != kVOk) _exit(12);
  gKill = KillSwitch{true, crash.point, crash.occurrence, 0, reportFd, false, 0};
  VSetWritePointHook(KillAtPoint);
  for (int32_t i = 0; i < crash.secondSteps; ++i) {
    // A flush the cache starts at the end of this step holds this step's changes.
    gKill.step = work.Steps() + 1;
    if (!work.Step(file.get())) _exit(11);
  }
  gKill.step = work.Steps();
  if (file->Flush() != kVOk) _exit(12);
  _exit(20);  // the switch never fired
}

TEST_P(RecordFileCrash, ReopeningFindsTheLastCompleteFlush) {
  const Crash& crash = GetParam();
  RecordFileEnv env(false, crash.cacheKilobytes);
  ASSERT_EQ(env.NewFile()->CreateDBFile(), kVOk);
  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    close(fds[0]);
    RunChild(env, crash, fds[1]);
  }
  close(fds[1]);
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  std::vector<int32_t> reports;
  int32_t report = 0;
  while (read(fds[0], &report, sizeof report) == sizeof report) reports.push_back(report);
  close(fds[0]);
  ASSERT_TRUE(WIFSIGNALED(status)) << "child exit code " << WEXITSTATUS(status);
  ASSERT_EQ(WTERMSIG(status), SIGKILL);

  int32_t steps = crash.firstSteps;
  if (crash.expect == After::kSecondFlush) steps += crash.secondSteps;
  if (crash.expect == After::kLastReport && !reports.empty()) steps = reports.back();
  Workload model(99, crash.largest);
  while (model.Steps() < steps) model.Step(nullptr);

  auto file = env.NewFile();
  ASSERT_EQ(file->Open(), kVOk);
  EXPECT_FALSE(std::filesystem::exists(env.BackupPath()));
  EXPECT_TRUE(HoldsExactly(*file, model.Model()))
      << "expected the state after " << steps << " steps, " << reports.size() << " flushes";
  // The file goes on working from there.
  uint32_t r = 0;
  std::vector<uint8_t> image = RecordImage(500, 1);
  EXPECT_EQ(file->InsRecord(nullptr, {image.data(), image.size()}, &r), kVOk);
  EXPECT_EQ(file->Close(), kVOk);
  if (crash.expect == After::kLastReport) {
    EXPECT_GE(reports.size(), 2u);  // the kill came after earlier flushes had completed
  }
}

// With a large cache nothing is flushed but by the explicit flushes.
constexpr int32_t kLarge = 4000;
constexpr int32_t kSmall = 100;

INSTANTIATE_TEST_SUITE_P(
    KillPoints, RecordFileCrash,
    ::testing::Values(Crash{"WhileWritingTheBackup", kLarge, 500, 150, 150,
                            VWritePoint::kBackupEntry, 3, After::kFirstFlush},
                      Crash{"BeforeTheBackupIsSynced", kLarge, 500, 150, 150,
                            VWritePoint::kBackupSync, 1, After::kFirstFlush},
                      Crash{"BeforeTheMark", kLarge, 500, 150, 150, VWritePoint::kBackupMark, 1,
                            After::kFirstFlush},
                      Crash{"AfterTheMarkBeforeItsSync", kLarge, 500, 150, 150,
                            VWritePoint::kBackupSync, 2, After::kSecondFlush},
                      Crash{"BeforeTheFirstWriteInPlace", kLarge, 500, 150, 150,
                            VWritePoint::kBlockWrite, 1, After::kSecondFlush},
                      Crash{"AmongTheWritesInPlace", kLarge, 500, 150, 150,
                            VWritePoint::kBlockWrite, 7, After::kSecondFlush},
                      Crash{"BeforeTheDataHeader", kLarge, 500, 150, 150, VWritePoint::kHeaderWrite,
                            1, After::kSecondFlush},
                      Crash{"BeforeTheIndexSync", kLarge, 500, 150, 150, VWritePoint::kFileSync, 2,
                            After::kSecondFlush},
                      Crash{"BeforeTheBackupIsRemoved", kLarge, 500, 150, 150,
                            VWritePoint::kBackupRemove, 1, After::kSecondFlush},
                      // A small cache flushes by itself at the end of record operations.
                      Crash{"CacheFlushBeforeItsMark", kSmall, 1500, 0, 600,
                            VWritePoint::kBackupEntry, 200, After::kLastReport},
                      Crash{"CacheFlushInPlace", kSmall, 1500, 0, 600, VWritePoint::kBlockWrite,
                            150, After::kLastReport}),
    [](const ::testing::TestParamInfo<Crash>& info) { return std::string(info.param.name); });

}  // namespace
