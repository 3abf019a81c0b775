// The engine end to end through its handle: a database made with the default configuration, files
// entered by schema text and opened on first use, records, the dictionary, the command log, and the
// failures a caller meets.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "EngineSupport.h"
#include "db/engine/VCMD.h"
#include "db/engine/VEngineCodes.h"
#include "db/schema/VSchema.h"
#include "db/store/VDBCodes.h"

namespace {

// Sends a raw command with a code (none when code is 0) and answers the result.
VResult RawCommand(VDBHandle& db, int32_t code, int32_t fileNumber = 0) {
  std::unique_ptr<VCMD> command = db.NewCommand();
  if (code != 0) command->Request().Set(VDML::kVCODE, code);
  if (fileNumber != 0) command->Request().Set(VDML::kFID, fileNumber);
  VResult result = db.Execute(*command);
  EXPECT_EQ(command->Answer().Value(VDML::kECODE, 12345), result);
  db.ReleaseCommand(std::move(command));
  return result;
}

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

TEST(VDBHandleTest, DefaultConfigurationMakesTheDictionaryAndTheValueFileOnly) {
  EngineOptions options;
  options.commandLog = true;  // as the default section has it
  EngineEnv env(options);
  VDBHandle& db = env.Handle();
  ASSERT_EQ(db.CreateDatabase("Shop", "Goods and prices"), kVOk);
  for (const char* made :
       {"INDEX/@DDD.idx", "DATA/@DDD.dat", "INDEX/@Value.idx", "DATA/@Value.dat"}) {
    EXPECT_TRUE(env.Exists(made)) << made;
  }
  for (const char* absent : {"INDEX/@USER.idx", "INDEX/@Tlog.idx", "INDEX/@Clog.idx"}) {
    EXPECT_FALSE(env.Exists(absent)) << absent;
  }
  EXPECT_TRUE(env.Exists("WORK"));
  EXPECT_FALSE(db.IsOpen());
  // A second creation finds the files and leaves the first database whole.
  EXPECT_EQ(db.CreateDatabase("Other", ""), kVFilesExist);
  ASSERT_EQ(db.Open("clerk"), kVOk);
  EXPECT_EQ(db.Open(), kVFileAlreadyOpen);
  EXPECT_EQ(db.CreateDatabase("Again", ""), kVFileAlreadyOpen);
  std::string name;
  std::string desc;
  std::vector<uint32_t> files;
  ASSERT_EQ(db.GetInfo(&name, &desc, &files), kVOk);
  EXPECT_EQ(name, "Shop");
  EXPECT_EQ(desc, "Goods and prices");
  EXPECT_TRUE(files.empty());
  // Without a transaction log commit and cancel answer that it is missing.
  EXPECT_EQ(db.Commit(), kVTargetUnavailable);
  EXPECT_EQ(db.Cancel(), kVTargetUnavailable);
  // The user file is off.
  EXPECT_EQ(db.AddUser("clerk", "pw", 1, 2), kVTargetUnavailable);
  ASSERT_EQ(db.Close(), kVOk);
  EXPECT_EQ(RawCommand(db, VCode::kClose), kVFileNotOpen);
  EXPECT_EQ(db.Close(), kVOk);  // the handle sends no close to a closed database
  EXPECT_TRUE(env.Exists("varnex_log.log1"));
}

TEST(VDBHandleTest, DictionaryNamesDefaultAndFilesComeBackAsEntered) {
  EngineEnv env;
  VDBHandle& db = env.Handle();
  ASSERT_EQ(db.CreateDatabase("", ""), kVOk);
  ASSERT_EQ(db.Open(), kVOk);
  std::string name;
  std::string desc;
  std::vector<uint32_t> files;
  ASSERT_EQ(db.GetInfo(&name, &desc, &files), kVOk);
  EXPECT_EQ(name, "Varnex-Database");
  EXPECT_EQ(desc, "Varnex Database V415 R1999.10");
  ASSERT_EQ(db.SetInfo("Renamed", "Now"), kVOk);
  ASSERT_EQ(db.CreateFiles(kTwoFiles), kVOk);
  ASSERT_EQ(db.GetInfo(&name, &desc, &files), kVOk);
  EXPECT_EQ(name, "Renamed");
  EXPECT_EQ(files, (std::vector<uint32_t>{1, 2}));

  // The schema read back is the schema entered: every item and key with its attributes.
  std::unique_ptr<VSchema> entered = ReadSchema(kTwoFiles, static_cast<int64_t>(strlen(kTwoFiles)));
  ASSERT_NE(entered, nullptr);
  const auto& database = static_cast<const VSch_DB&>(*entered);
  for (int i = 0; i < database.FileCount(); ++i) {
    const VSch_DBFile& file = *database.FileAt(i);
    std::string text;
    ASSERT_EQ(db.FetchSchema(file.Number(), &text), kVOk);
    EXPECT_EQ(text, file.Text());
  }
  std::string text;
  EXPECT_EQ(db.FetchSchema(7, &text), kVNoSuchDictionaryFile);

  // A file entered twice, a text that is no file, and a name of the system files are refused.
  const std::string people = database.FileAt(0)->Text();
  EXPECT_EQ(db.AppendSchema(people), kVDictionaryRefused);
  EXPECT_EQ(db.AppendSchema("[FILE:1"), kVDictionaryRefused);
  EXPECT_EQ(db.AppendSchema(kTwoFiles), kVDictionaryRefused);
  EXPECT_EQ(db.AppendSchema("[FILE:9] LABEL = \"@DDD\" [ITEM:1]"), kVDictionaryRefused);
  EXPECT_EQ(db.AppendSchema("[FILE:30003] [ITEM:1]"), kVDictionaryRefused);
  EXPECT_EQ(db.CreateFiles("[ITEM:1] NAME = \"x\""), kVSchemaNotDBOrFile);

  // A removed file is gone from the dictionary and may be entered anew.
  ASSERT_EQ(db.RemoveSchema(kOrders), kVOk);
  EXPECT_EQ(db.FetchSchema(kOrders, &text), kVNoSuchDictionaryFile);
  ASSERT_EQ(db.GetInfo(&name, &desc, &files), kVOk);
  EXPECT_EQ(files, (std::vector<uint32_t>{1}));
  ASSERT_EQ(db.FetchSchema(kPeople, &text), kVOk);
  EXPECT_EQ(text, people);
  EXPECT_EQ(db.AppendSchema(database.FileAt(1)->Text()), kVOk);

  // The dictionary survives closing and a new engine.
  env.Restart();
  ASSERT_EQ(env.Handle().Open(), kVOk);
  ASSERT_EQ(env.Handle().FetchSchema(kPeople, &text), kVOk);
  EXPECT_EQ(text, people);
}

TEST(VDBHandleTest, RecordsLiveInTheirFilesAndNumbersAreNeverGivenTwice) {
  EngineEnv env;
  env.CreateShop();
  VDBHandle& db = env.Handle();
  EXPECT_TRUE(env.Exists("INDEX/people.idx"));
  EXPECT_TRUE(env.Exists("DATA/orders.dat"));
  // Entering a file again after its record files exist fails at the dictionary.
  EXPECT_EQ(db.CreateFiles(kTwoFiles), kVDictionaryRefused);

  std::vector<uint32_t> numbers;
  for (const char* name : {"Sato", "Ito", "Kato", "Abe"}) {
    uint32_t r = 0;
    ASSERT_EQ(db.Insert(kPeople, Person(name, "30", "Nara", {"a", "b"}), &r), kVOk);
    numbers.push_back(r);
  }
  EXPECT_EQ(numbers, (std::vector<uint32_t>{1, 2, 3, 4}));
  uint32_t order = 0;
  VRecord item;
  ASSERT_EQ(item.SetValueFromText(1, kVTypeString, reinterpret_cast<const uint8_t*>("tea"), 3),
            kVOk);
  ASSERT_EQ(db.Insert(kOrders, item, &order), kVOk);
  EXPECT_EQ(order, 1u);
  // The unique key of the second file refuses a second "tea".
  uint32_t refused = 0;
  EXPECT_EQ(db.Insert(kOrders, item, &refused), kVUniqueTaken);
  EXPECT_EQ(refused, 0u);

  VRecord back;
  ASSERT_EQ(db.Read(kPeople, 3, &back), kVOk);
  EXPECT_EQ(ImageOf(back), ImageOf(Person("Kato", "30", "Nara", {"a", "b"})));
  ASSERT_EQ(db.Update(kPeople, 3, Person("Kato", "31", "Osaka")), kVOk);
  ASSERT_EQ(db.Read(kPeople, 3, &back), kVOk);
  EXPECT_EQ(Text(back, 2), "31");
  EXPECT_EQ(Text(back, 3), "Osaka");
  EXPECT_EQ(back.OccurrenceCount(4), 0);

  ASSERT_EQ(db.Delete(kPeople, 2), kVOk);
  EXPECT_EQ(db.Read(kPeople, 2, &back), kVRecordNotFound);
  EXPECT_EQ(db.Delete(kPeople, 2), kVDeleteNotFound);
  EXPECT_EQ(db.Update(kPeople, 2, Person("Ito", "1")), kVUpdateNotFound);
  uint32_t last = 0;
  uint32_t size = 0;
  ASSERT_EQ(db.MaxRNbr(kPeople, &last), kVOk);
  ASSERT_EQ(db.FileSize(kPeople, &size), kVOk);
  EXPECT_EQ(last, 4u);
  EXPECT_EQ(size, last);
  uint32_t r = 0;
  ASSERT_EQ(db.Insert(kPeople, Person("Mori", "5"), &r), kVOk);
  EXPECT_EQ(r, 5u);
  ASSERT_EQ(db.FileSize(kPeople, &size), kVOk);
  EXPECT_EQ(size, 5u);

  uint32_t serial = 0;
  ASSERT_EQ(db.GetUnique(kPeople, 1, &serial), kVOk);
  EXPECT_EQ(serial, 1u);
  ASSERT_EQ(db.GetUnique(kPeople, 1, &serial), kVOk);
  EXPECT_EQ(serial, 2u);
  int32_t longest = 0;
  ASSERT_EQ(db.MacRLength(kPeople, &longest), kVOk);
  EXPECT_GT(longest, 3000);

  // Everything is on the disk for a new engine.
  env.Restart();
  VDBHandle& again = env.Handle();
  ASSERT_EQ(again.Open(), kVOk);
  ASSERT_EQ(again.Read(kPeople, 3, &back), kVOk);
  EXPECT_EQ(Text(back, 3), "Osaka");
  EXPECT_EQ(again.Read(kPeople, 2, &back), kVRecordNotFound);
  ASSERT_EQ(again.Read(kOrders, 1, &back), kVOk);
  EXPECT_EQ(Text(back, 1), "tea");
  ASSERT_EQ(again.MaxRNbr(kPeople, &last), kVOk);
  EXPECT_EQ(last, 5u);
}

TEST(VDBHandleTest, RecordFilesAreMadeAndErasedOnlyWhileClosed) {
  EngineEnv env;
  env.CreateShop();
  VDBHandle& db = env.Handle();
  uint32_t r = 0;
  ASSERT_EQ(db.Insert(kPeople, Person("Sato", "1"), &r), kVOk);
  // The file is open now: its record files stay.
  EXPECT_EQ(db.EraseFile(kPeople), kVFileAlreadyOpen);
  EXPECT_EQ(db.CreateFile(kPeople), kVFileAlreadyOpen);
  // The second file was never used, so it is closed.
  EXPECT_EQ(db.CreateFile(kOrders), kVFilesExist);
  ASSERT_EQ(db.EraseFile(kOrders), kVOk);
  EXPECT_FALSE(env.Exists("INDEX/orders.idx"));
  EXPECT_EQ(db.Insert(kOrders, Person("x", "1"), &r), kVTargetUnavailable);
  ASSERT_EQ(db.CreateFile(kOrders), kVOk);
  ASSERT_EQ(db.Insert(kOrders, Person("x", "1"), &r), kVOk);
  EXPECT_EQ(db.CreateFile(99), kVNoSuchDictionaryFile);
}

TEST(VDBHandleTest, KeysCanBeDroppedRebuiltAndGivenEntriesByHand) {
  EngineEnv env;
  env.CreateShop();
  VDBHandle& db = env.Handle();
  uint32_t r = 0;
  for (const char* name : {"Sato", "Ito", "Kato"}) {
    ASSERT_EQ(db.Insert(kPeople, Person(name, "30"), &r), kVOk);
  }
  int32_t set = 0;
  uint32_t size = 0;
  ASSERT_EQ(db.DeleteKey(kPeople, 1), kVOk);
  EXPECT_EQ(db.MakeSet(kPeople, "[K:kname] = \"Ito\";", &set, &size), kVStatementFailed);
  ASSERT_EQ(db.CreateKey(kPeople, 1), kVOk);
  ASSERT_EQ(db.MakeSet(kPeople, "[K:kname] = \"Ito\";", &set, &size), kVOk);
  EXPECT_EQ(size, 1u);
  ASSERT_EQ(db.DeleteAllKeys(kPeople), kVOk);
  ASSERT_EQ(db.CreateAllKeys(kPeople), kVOk);
  ASSERT_EQ(db.MakeSet(kPeople, "[kage] = 30;", &set, &size), kVOk);
  EXPECT_EQ(size, 3u);

  // A keyword entered by hand finds its record through the key; removing it, or every entry of
  // the record, takes it away again.
  ASSERT_EQ(db.AddKeyEntry(kPeople, 2, 1, "keyword"), kVOk);
  ASSERT_EQ(db.MakeSet(kPeople, "[kname] = \"keyword\";", &set, &size), kVOk);
  EXPECT_EQ(size, 1u);
  ASSERT_EQ(db.RemoveKeyEntry(kPeople, 2, 1, "keyword"), kVOk);
  ASSERT_EQ(db.MakeSet(kPeople, "[kname] = \"keyword\";", &set, &size), kVOk);
  EXPECT_EQ(size, 0u);
  ASSERT_EQ(db.RemoveKeyEntry(kPeople, 3, 1, ""), kVOk);
  ASSERT_EQ(db.MakeSet(kPeople, "[kname] = \"Kato\";", &set, &size), kVOk);
  EXPECT_EQ(size, 0u);
  EXPECT_EQ(db.AddKeyEntry(kPeople, 2, 9, "x"), kVKeyNotOpen);
  EXPECT_EQ(db.AddKeyEntry(kPeople, 2, 1, std::string(256, 'x')), kVKeyAddNoValue);
}

TEST(VDBHandleTest, CommandsWithoutAnAnswerOrATargetFail) {
  EngineEnv env;
  VDBHandle& db = env.Handle();
  // No code, a code the log names but nobody answers, a code nobody knows.
  EXPECT_EQ(RawCommand(db, 0), kVUnknownCommand);
  EXPECT_EQ(RawCommand(db, VCode::kTestEcho), kVUnknownCommand);
  EXPECT_EQ(RawCommand(db, 7777), kVUnknownCommand);
  // Before the database exists or is open nothing is available.
  uint32_t r = 0;
  EXPECT_EQ(db.Insert(kPeople, Person("a", "1"), &r), kVTargetUnavailable);
  EXPECT_EQ(db.AppendSchema("[FILE:1] [ITEM:1]"), kVTargetUnavailable);
  int32_t length = 0;
  EXPECT_EQ(db.ValuePieceLength(&length), kVTargetUnavailable);
  EXPECT_LT(db.Open(), 0);
  EXPECT_FALSE(db.IsOpen());
  env.CreateShop();
  EXPECT_EQ(db.Insert(99, Person("a", "1"), &r), kVTargetUnavailable);
  EXPECT_EQ(RawCommand(db, VCode::kTestEcho), kVUnknownCommand);
  // File-level commands without the pieces they need.
  EXPECT_EQ(RawCommand(db, VCode::kInsRecord, kPeople), kVInsertNoRecord);
  EXPECT_EQ(RawCommand(db, VCode::kUpdRecord, kPeople), kVUpdateNoRecord);
  EXPECT_EQ(RawCommand(db, VCode::kSetMake, kPeople), kVNoStatement);
  EXPECT_EQ(RawCommand(db, VCode::kSetSort, kPeople), kVNoSortDescription);
  EXPECT_EQ(RawCommand(db, VCode::kCountRecords, kPeople), kVCountNoStatement);
  EXPECT_EQ(RawCommand(db, VCode::kAddKeyEntry, kPeople), kVKeyAddNoValue);
  EXPECT_EQ(RawCommand(db, VCode::kRemoveKeyEntry, kPeople), kVKeyRemoveNoValue);
  EXPECT_EQ(RawCommand(db, VCode::kUserSetInfo), kVNoSuchUserSet);
}

TEST(VDBHandleTest, TheCommandLogShowsEachCommandOnOneLine) {
  EngineOptions options;
  options.commandLog = true;
  EngineEnv env(options);
  env.CreateShop();
  VDBHandle& db = env.Handle();
  uint32_t r = 0;
  const VRecord record = Person("Sato", "42");
  ASSERT_EQ(db.Insert(kPeople, record, &r), kVOk);
  VRecord back;
  EXPECT_EQ(db.Read(kPeople, 99, &back), kVRecordNotFound);
  EXPECT_EQ(RawCommand(db, VCode::kTestEcho), kVUnknownCommand);
  ASSERT_EQ(db.Close(), kVOk);  // stops the log, which writes its last lines out

  const std::string log = ReadAll(env.Dir() / "varnex_log.log1");
  const std::string body = std::to_string(record.AreaLength());
  const std::string insert =
      "CMD:InsRecord  Q[VCODE=316 FID=1 BFL=" + body + "] A[ECODE=0 RID=1] UQ[UID/NAME:";
  const size_t at = log.find(insert);
  ASSERT_NE(at, std::string::npos) << log;
  const std::string line = log.substr(at, log.find('\r', at) - at);
  // The queue: its id, its name in 16 columns, one hold (the new record), no sets.
  EXPECT_NE(line.find("/Guest/VBSBoss    N-HOLD:1, N-iSET:0]"), std::string::npos) << line;
  EXPECT_NE(log.find("CMD:GetRecord  Q[VCODE=315 FID=1 RID=99] A[ECODE=-201] UQ["),
            std::string::npos);
  EXPECT_NE(log.find("CMD:TEST-Echo  Q[VCODE=9001] A[ECODE=-2140] UQ["), std::string::npos);
  EXPECT_NE(log.find("CMD:DBD_Append Q[VCODE=433 BFL="), std::string::npos);
  // The log belongs to the open database: it starts with the open and ends with the close.
  EXPECT_EQ(log.find("CMD:Create     Q"), std::string::npos);
  EXPECT_EQ(log.find("CMD:Close"), std::string::npos);
}
