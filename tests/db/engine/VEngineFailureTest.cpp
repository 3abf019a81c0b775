// Failures that must reach the caller: a commit that fails inside "Close", a flush of one file
// among several, an undo at "Open" that fails (and the retry that follows), and the stored "DDD"
// and "VALUE" switches, which must never make a database unreachable.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "EngineSupport.h"
#include "base/VStream.h"
#include "db/engine/VCMD.h"
#include "db/engine/VDB_DM.h"
#include "db/engine/VDB_Tlog.h"
#include "db/engine/VEngineCodes.h"
#include "db/schema/VSchema.h"
#include "db/store/VDBCodes.h"

namespace {

// What the failing executors answer; 0 lets them work.
struct Faults {
  VResult commit = kVOk;
  VResult cancel = kVOk;
  VResult sync = kVOk;
  int32_t syncFile = 0;  // the file whose flush fails
};

class FailingLog : public VDB_Tlog {
 public:
  FailingLog(VABoss* engine, const Faults& faults) : VDB_Tlog(engine), faults_(faults) {}
  VResult ExecuteInternal(VCMD& command) override {
    if (command.Code() == VCode::kTCommit && faults_.commit != kVOk) return faults_.commit;
    if (command.Code() == VCode::kTCancel && faults_.cancel != kVOk) return faults_.cancel;
    return VDB_Tlog::ExecuteInternal(command);
  }

 private:
  const Faults& faults_;
};

class FailingFile : public VDB_DM {
 public:
  FailingFile(VABoss* engine, std::unique_ptr<VSch_DBFile> schema, const Faults& faults)
      : VDB_DM(engine, std::move(schema)), faults_(faults) {}
  VResult Sync() override {
    // The real flush runs first, so that only the answer is false.
    VResult result = VDB_DM::Sync();
    if (FileNumber() == faults_.syncFile && faults_.sync != kVOk) return faults_.sync;
    return result;
  }

 private:
  const Faults& faults_;
};

class FailingEngine : public VBSBoss {
 public:
  FailingEngine(const std::string& config, const Faults& faults)
      : VBSBoss(config), faults_(faults) {}
  std::unique_ptr<VDB_Tlog> MakeTlogExecutor() override {
    return std::make_unique<FailingLog>(this, faults_);
  }
  std::unique_ptr<VDB_DM> MakeFileExecutor(std::unique_ptr<VSch_DBFile> schema) override {
    return std::make_unique<FailingFile>(this, std::move(schema), faults_);
  }

 private:
  const Faults& faults_;
};

class EngineFailures : public ::testing::Test {
 protected:
  EngineOptions Options(bool log) {
    EngineOptions options;
    options.transactionLog = log;
    options.commandLog = true;
    options.makeEngine = [this](const std::string& config) {
      return std::make_unique<FailingEngine>(config, faults_);
    };
    return options;
  }
  std::string CommandLog(const EngineEnv& env) {
    std::ifstream in(env.Dir() / "varnex_log.log1", std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }

  Faults faults_;
};

TEST_F(EngineFailures, ACloseWhoseCommitFailsSaysSoClosesAndLeavesTheChangePending) {
  EngineEnv env(Options(true));
  env.CreateShop();
  VDBHandle& db = env.Handle();
  uint32_t r = 0;
  ASSERT_EQ(db.Insert(kPeople, Person("Sato", "42"), &r), kVOk);
  faults_.commit = -2199;
  EXPECT_EQ(db.Close(), -2199);
  EXPECT_FALSE(db.IsOpen());
  EXPECT_NE(CommandLog(env).find("CMD:Close"), std::string::npos);
  EXPECT_NE(CommandLog(env).find("A[ECODE=-2199"), std::string::npos) << CommandLog(env);
  // The change was never committed: the next open undoes it instead of keeping it silently.
  faults_.commit = kVOk;
  ASSERT_EQ(db.Open(), kVOk);
  VRecord back;
  EXPECT_EQ(db.Read(kPeople, r, &back), kVRecordNotFound);
}

TEST_F(EngineFailures, AFlushAnswersTheFirstFailureOfItsFilesAndStillFlushesTheOthers) {
  EngineEnv env(Options(false));
  env.CreateShop();
  VDBHandle& db = env.Handle();
  uint32_t r = 0;
  ASSERT_EQ(db.Insert(kPeople, Person("Sato", "42"), &r), kVOk);
  ASSERT_EQ(db.Insert(kOrders, Person("nails", "3"), &r), kVOk);
  faults_.syncFile = kPeople;
  faults_.sync = -2198;
  EXPECT_EQ(db.Flush(), -2198);
  faults_.syncFile = kOrders;
  EXPECT_EQ(db.Flush(), -2198);
  faults_.sync = kVOk;
  EXPECT_EQ(db.Flush(), kVOk);
  // Without a log, "Commit" flushes and reports the flush's failure before the missing log.
  faults_.syncFile = kPeople;
  faults_.sync = -2198;
  EXPECT_EQ(db.Commit(), -2198);
}

TEST_F(EngineFailures, AnOpenWhoseUndoFailsClosesAgainAndARetryUndoes) {
  EngineEnv env(Options(true));
  env.CreateShop();
  uint32_t kept = 0;
  uint32_t pending = 0;
  ASSERT_EQ(env.Handle().Insert(kPeople, Person("Sato", "42"), &kept), kVOk);
  ASSERT_EQ(env.Handle().Commit(), kVOk);
  ASSERT_EQ(env.Handle().Insert(kPeople, Person("Suzuki", "30"), &pending), kVOk);
  env.Restart(false);  // as after a crash: the insert stays pending

  faults_.cancel = -2197;
  VDBHandle& db = env.Handle();
  EXPECT_EQ(db.Open(), -2197);
  EXPECT_FALSE(db.IsOpen());
  EXPECT_FALSE(env.Engine().IsOpen());
  // The retry is not refused as "already open", and undoes what the crash left.
  faults_.cancel = kVOk;
  ASSERT_EQ(db.Open(), kVOk);
  VRecord back;
  EXPECT_EQ(db.Read(kPeople, kept, &back), kVOk);
  EXPECT_EQ(db.Read(kPeople, pending, &back), kVRecordNotFound);
}

// Records with a long value, through the dictionary and the value file, with both stored switches
// off: everything works as with them on, and the switches are written back as they were.
TEST_F(EngineFailures, DictionaryAndValueFileSwitchesNeverMakeADatabaseUnreachable) {
  EngineOptions options;
  options.dataDictionaryFlag = false;
  options.valueFileFlag = false;
  EngineEnv env(options);
  env.CreateShop();
  VDBHandle& db = env.Handle();
  std::vector<uint8_t> data(20000);
  for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<uint8_t>(i * 7);
  VRecord record = Person("Sato", "42");
  ASSERT_EQ(
      record.SetValueFromText(5, kVTypeJPEG, data.data(), static_cast<int32_t>(data.size()), &db),
      kVOk);
  uint32_t r = 0;
  ASSERT_EQ(db.Insert(kPeople, record, &r), kVOk);
  std::string name;
  std::string desc;
  std::vector<uint32_t> files;
  ASSERT_EQ(db.GetInfo(&name, &desc, &files), kVOk);
  EXPECT_EQ(name, "Shop");
  EXPECT_EQ(files.size(), 2u);

  env.Restart();
  VDBHandle& again = env.Handle();
  ASSERT_EQ(again.Open(), kVOk);
  VRecord back;
  ASSERT_EQ(again.Read(kPeople, r, &back), kVOk);
  VDMemStream out;
  ASSERT_EQ(back.Export("[5] %o;", out, &again), kVOk);
  ASSERT_EQ(out.Size(), static_cast<int64_t>(data.size()));
  EXPECT_TRUE(std::equal(data.begin(), data.end(), out.Data()));
  EXPECT_FALSE(env.Engine().Config()->DataDictionary());
  EXPECT_FALSE(env.Engine().Config()->ValueFile());
}

}  // namespace
