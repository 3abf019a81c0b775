// Data input, output and database creation from a form, against a real database through the
// headless side: a 100,000-record output read back into another file record by record; the
// commit modes after a failure (the database exactly as before under "end", the records before
// the failing one under "record", the question without a transaction log); quoted values, tags,
// sub-schemes and keywords found through their key afterwards; the progress window and its
// cancel; the exact bytes of an output and an output that leaves its file alone when it stops;
// the file choosers; the debug log; and "@CreateDB" with a good, a bad and an existing database.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "PlayerFixture.h"
#include "app/OvAEnv.h"
#include "app/OvApp.h"
#include "db/engine/VBSBoss.h"
#include "db/engine/VDBHandle.h"
#include "db/schema/VConfig.h"
#include "db/schema/VRecord.h"
#include "db/schema/VValue.h"
#include "gt/OGTDBList.h"
#include "gt/OGTDBWindow.h"
#include "gt/OGTEvent.h"
#include "script/OvScript.h"

namespace {

// Files 1 and 2 alike: 1 code (unique key 1), 2 name, 3 price (key 2), 4 added (Date), 5 tags,
// 6 words; key 3 has no items and holds the keywords an input adds by hand.
std::string FileSchema(int number, const char* label) {
  const std::string n = std::to_string(number);
  return "[FILE:" + n + "] NAME = \"" + label + "\" LABEL = \"" + label +
         "\" BLOCKSIZE = (4096, 8192)\r\n"
         "[ITEM:1] NAME = \"code\" TYPE = String LENGTH = 16\r\n"
         "[ITEM:2] NAME = \"name\" TYPE = String LENGTH = 64\r\n"
         "[ITEM:3] NAME = \"price\" TYPE = Number LENGTH = 10\r\n"
         "[ITEM:4] NAME = \"added\" TYPE = Date LENGTH = 10\r\n"
         "[ITEM:5] NAME = \"tags\" TYPE = String LENGTH = 16\r\n"
         "[ITEM:6] NAME = \"words\" TYPE = String LENGTH = 16\r\n"
         "[KEY:1] NAME = \"kcode\" TYPE = \"String,Unique\" BIND = [1]\r\n"
         "[KEY:2] NAME = \"kprice\" TYPE = Number BIND = [3]\r\n"
         "[KEY:3] NAME = \"kword\" TYPE = String BIND = NONE\r\n";
}

const char* kForms = R"([Application]
  Name = "在庫";  Startup = 1;
  [Search]
    Name = "全部";  DBFileNbr = 1;  Statement = "all";
  [/Search]
  [Search]
    Name = "写し";  DBFileNbr = 2;  Statement = "all";
  [/Search]
  [Form]
    Name = "品目";  FormType = 3;  Startup = 1;  Visible = 1;  Enable = 1;  SearchName = "全部";
    [DBList]
      ID = 5;  X = 10;  Y = 10;  Width = 300;  Height = 200;  Visible = 1;  Enable = 1;
      ListLabelHeight = 18;  ListLineHeight = 16;  DBListLabel = "コード", 120, 1, 0;
    [/DBList]
  [/Form]
  [Form]
    Name = "写し";  FormType = 3;  Startup = 1;  Visible = 1;  Enable = 1;  SearchName = "写し";
  [/Form]
[/Application]
)";

class DataFormTest : public PlayerTest {
 protected:
  // Makes the database (with or without the transaction log), then starts the player on it.
  void Start(bool transactionLog, const std::vector<std::vector<std::string>>& rows = {}) {
    MakeDatabase(transactionLog, [&](VDBHandle& db) {
      for (const auto& row : rows) Insert(db, 1, row);
    });
    StartPlayer();
  }

  template <class Fill>
  void MakeDatabase(bool transactionLog, Fill fill) {
    VBSBoss engine("./Varnex.conf");
    VDBHandle db(&engine);
    if (transactionLog) engine.Config()->MainSection()->SetTransactionLog(true, true);
    // Without the command log the input starts a debug log of its own, "DataInput.log".
    engine.Config()->MainSection()->SetCommandLog(false, true);
    ASSERT_EQ(db.CreateDatabase("shop", "test"), kVOk);
    ASSERT_EQ(db.Open(), kVOk);
    ASSERT_EQ(
        db.CreateFiles("[DB] NAME = \"shop\"\r\n" + FileSchema(1, "items") + FileSchema(2, "copy")),
        kVOk);
    fill(db);
    ASSERT_EQ(db.Close(), kVOk);
  }

  void StartPlayer() {
    WriteDefinition("forms.ova", kForms);
    OpenAndStart();
    app_ = runner_->Env()->FindApp(Sj("在庫").c_str());
    ASSERT_NE(app_, nullptr);
    items_ = dynamic_cast<OGTDBWindow*>(app_->FindOpenForm(Sj("品目").c_str()));
    copy_ = dynamic_cast<OGTDBWindow*>(app_->FindOpenForm(Sj("写し").c_str()));
    ASSERT_TRUE(items_ != nullptr && copy_ != nullptr);
  }

  // A record of file 1 or 2 from values in item order (UTF-8; "" for none; "a|b" for two).
  static void Insert(VDBHandle& db, int32_t file, const std::vector<std::string>& values) {
    static const uint8_t kTypes[] = {kVTypeString, kVTypeString, kVTypeNumber,
                                     kVTypeDate,   kVTypeString, kVTypeString};
    VRecord record;
    for (size_t i = 0; i < values.size(); ++i) {
      std::stringstream parts(Sj(values[i].c_str()));
      for (std::string part; std::getline(parts, part, '|');) {
        if (part.empty()) continue;
        ASSERT_EQ(record.SetValueFromText(static_cast<int>(i + 1), kTypes[i],
                                          reinterpret_cast<const uint8_t*>(part.data()),
                                          static_cast<int32_t>(part.size())),
                  kVOk);
      }
    }
    uint32_t r = 0;
    ASSERT_EQ(db.Insert(file, record, &r), kVOk);
  }

  // Runs a script (UTF-8) on a form, as a button of the form would.
  void Run(OGTDBWindow* form, const std::string& script) {
    const std::string text = Sj(script.c_str());
    OvScript run(app_, form);
    run.Run(text.data(), text.size());
  }

  void WriteFile(const std::string& name, const std::string& bytes) {
    std::ofstream(dir_ / name, std::ios::binary) << bytes;
  }
  std::string ReadFile(const std::string& name) {
    std::ifstream in(dir_ / name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }

  VDBHandle& Db() { return *runner_->Env()->Handle(); }
  uint32_t Count(int32_t file, const std::string& statement = "all") {
    uint32_t count = 0;
    uint32_t first = 0;
    EXPECT_EQ(Db().CountRecords(file, Sj(statement.c_str()), &count, &first), kVOk) << statement;
    return count;
  }
  // Every record of a file by number, and every entry of its keys.
  std::map<std::string, std::string> Dump(int32_t file) {
    std::map<std::string, std::string> out;
    int32_t read = 0;
    EXPECT_EQ(Db().PhysicalLocate(file, &read), kVOk);
    uint32_t r = 0;
    VRecord record;
    while (Db().PhysicalRead(file, read, &r, &record) == kVOk) {
      out["r" + std::to_string(r)] =
          std::string(reinterpret_cast<const char*>(record.Image()), record.ImageLength());
    }
    EXPECT_EQ(Db().PhysicalCancel(file, read), kVOk);
    for (int key = 1; key <= 3; ++key) {
      int32_t sequence = 0;
      VResult result = Db().KeyLocate(file, key, "", &sequence);
      std::string value;
      std::vector<uint32_t> numbers;
      std::string entries;
      while (result == kVOk && (result = Db().KeyRead(file, sequence, &value, &numbers)) == kVOk) {
        entries += value + ":";
        for (uint32_t n : numbers) entries += std::to_string(n) + ",";
      }
      if (sequence != 0) {
        EXPECT_EQ(Db().KeyCancel(file, sequence), kVOk);
      }
      out["k" + std::to_string(key)] = entries;
    }
    return out;
  }
  // The text of the last message or error box (Shift-JIS), or "" when none showed.
  std::string LastBoxText() {
    const OGTSeen* box = Screen().LastModal();
    return box != nullptr && !box->TextsOf(kOGTKindLabel).empty() ? box->TextsOf(kOGTKindLabel)[0]
                                                                  : std::string();
  }
  std::vector<const OGTSeen*> ProgressTexts() {
    std::vector<const OGTSeen*> texts;
    for (const OGTSeen& seen : Screen().Seen()) {
      if (seen.what == OGTSeen::kProgress && !seen.text.empty()) texts.push_back(&seen);
    }
    return texts;
  }

  OvApp* app_ = nullptr;
  OGTDBWindow* items_ = nullptr;
  OGTDBWindow* copy_ = nullptr;
};

constexpr const char* kAllFormats =
    "DataFormat = [DBItem = 1], [DBItem = 2], [DBItem = 3], [DBItem = 4], [DBItem = 5]";

TEST_F(DataFormTest, AHundredThousandRecordsGoOutAndComeBackRecordByRecord) {
  constexpr int kRecords = 100000;
  MakeDatabase(false, [](VDBHandle& db) {
    for (int i = 0; i < kRecords; ++i) {
      // Names hold the item terminator, quotes and the repeat terminator's neighbours; every
      // tenth record lacks its price, every seventh has two tags.
      const std::string n = std::to_string(i);
      Insert(db, 1,
             {"C" + n, "品物 \"" + n + "\", 特選", i % 10 == 0 ? "" : n + ".25",
              "2026/" + std::to_string(1 + i % 12) + "/" + std::to_string(1 + i % 28),
              i % 7 == 0 ? "赤|青" : "白"});
    }
  });
  StartPlayer();
  Screen().SetProgressClockStep(1);  // a millisecond for each record: the window shows
  Run(items_, std::string("@DataOutput(OutputFile = \"all.dat\", ") + kAllFormats + ");");
  EXPECT_EQ(LastBoxText(), "");
  ASSERT_FALSE(ProgressTexts().empty());
  EXPECT_EQ(ProgressTexts().back()->title, Sj("データ書き出し"));
  // No transaction log: the all-or-nothing input asks first.
  User().ThenPress(Sj("はい"));
  Screen().ClearSeen();
  Run(copy_,
      std::string("@DataInput(InputFile = \"all.dat\", Commit = end, ") + kAllFormats + ");");
  EXPECT_EQ(Screen().LastModal()->title, Sj("質問..."));
  const std::vector<const OGTSeen*> progress = ProgressTexts();
  ASSERT_GE(progress.size(), 2u);
  EXPECT_LT(progress.front()->share, progress.back()->share);
  EXPECT_EQ(Count(2), static_cast<uint32_t>(kRecords));
  // Record by record, under the same numbers, the same bytes.
  VRecord a;
  VRecord b;
  for (uint32_t r = 1; r <= kRecords; ++r) {
    ASSERT_EQ(Db().Read(1, r, &a), kVOk);
    ASSERT_EQ(Db().Read(2, r, &b), kVOk) << "record " << r;
    ASSERT_EQ(std::string(reinterpret_cast<const char*>(a.Image()), a.ImageLength()),
              std::string(reinterpret_cast<const char*>(b.Image()), b.ImageLength()))
        << "record " << r;
  }
  // The log counted the records as they went.
  const std::string log = ReadFile("DataInput.log");
  EXPECT_NE(log.find("DataInput start."), std::string::npos);
  EXPECT_NE(log.find("Record Count : 100000"), std::string::npos);
  EXPECT_NE(log.find("Result code : 0"), std::string::npos);
  EXPECT_NE(log.find("DataInput end."), std::string::npos);
}

TEST_F(DataFormTest, CommitRecordKeepsTheFiveRecordsBeforeAFailure) {
  Start(true);
  // The sixth record repeats the first one's code, which a unique key refuses.
  WriteFile("in.dat", "A1,one\r\nA2,two\r\nA3,three\r\nA4,four\r\nA5,five\r\nA1,again\r\nA7,x\r\n");
  User().ThenPress(Sj("了解"));
  Run(items_,
      "@DataInput(InputFile = \"in.dat\", Commit = record, DataFormat = [DBItem = 1], [DBItem = "
      "2]);");
  EXPECT_EQ(LastBoxText(), Sj("エラー：-101\r読み込み処理でエラーが起こりました。\r5件のレコードは"
                              "登録されたまま残っています。"));
  EXPECT_EQ(Count(1), 5u);
  EXPECT_EQ(Count(1, "[kcode] = \"A1\";"), 1u);
  // The form shows the new state: its list found its records again.
  EXPECT_EQ(dynamic_cast<OGTDBList*>(items_->FindByID(5))->PositionText(), "1/5");
  const std::string log = ReadFile("DataInput.log");
  EXPECT_NE(log.find("Record 6 : error -101"), std::string::npos) << log;
  EXPECT_NE(log.find("Result code : -101"), std::string::npos);
}

TEST_F(DataFormTest, CommitEndLeavesTheDatabaseExactlyAsItWasAndKeepsWorkOpenBefore) {
  Start(true, {{"K1", "kept", "10", "2026/1/1"}, {"K2", "also", "20", ""}});
  // An insert of the player's left open before the input: the input commits it first, so that
  // the input's failure takes back the input alone.
  VRecord pending;
  ASSERT_EQ(pending.SetValueFromText(1, kVTypeString, reinterpret_cast<const uint8_t*>("P1"), 2),
            kVOk);
  uint32_t r = 0;
  ASSERT_EQ(Db().Insert(1, pending, &r), kVOk);
  const std::map<std::string, std::string> before = Dump(1);
  // Records with keywords for key 3, then on the fourth line a code the unique key already holds.
  WriteFile("in.dat", Sj("N1,東京 大阪,2026/2/3\r\nN2,名古屋,2026/2/4\r\nN3,x,2026/2/5\r\n"
                         "K1,y,2026/2/6\r\nN5,z,2026/2/7\r\n"));
  User().ThenPress(Sj("了解"));
  Run(items_,
      "@DataInput(InputFile = \"in.dat\", DataFormat = [DBItem = 1], [DBItem = 6, ExtKwdKey = 3],"
      " [DBItem = 4]);");
  EXPECT_EQ(LastBoxText().rfind(Sj("エラー：-"), 0), 0u);
  EXPECT_NE(LastBoxText().find(Sj("\r読み込み処理でエラーが起こりました。")), std::string::npos);
  EXPECT_EQ(LastBoxText().find(Sj("残っています")), std::string::npos) << "nothing stays";
  EXPECT_EQ(Dump(1), before);
  EXPECT_EQ(Count(1, "[K:kword] = \"東京\";"), 0u);
  EXPECT_EQ(Db().Cancel(), kVOk);  // nothing was left open: the pending insert was committed
  EXPECT_EQ(Dump(1), before);
}

TEST_F(DataFormTest, WithoutATransactionLogAnAllOrNothingInputAsksFirstAndSaysWhatStays) {
  Start(false);
  WriteFile("in.dat", "A1\r\nA2\r\nA3\r\n\"A4\r\n");
  User().ThenPress(Sj("いいえ"));
  Run(items_, "@DataInput(InputFile = \"in.dat\", Commit = file, DataFormat = [DBItem = 1]);");
  EXPECT_EQ(Count(1), 0u);
  EXPECT_FALSE(std::filesystem::exists(dir_ / "DataInput.log")) << "nothing started";
  User().ThenPress(Sj("はい")).ThenPress(Sj("了解"));
  Run(items_, "@DataInput(InputFile = \"in.dat\", Commit = file, DataFormat = [DBItem = 1]);");
  // The unmatched quote of the fourth line fails it; the three before cannot be taken back.
  EXPECT_EQ(LastBoxText(), Sj("エラー：-215\r読み込み処理でエラーが起こりました。\r3件のレコードは"
                              "登録されたまま残っています。"));
  EXPECT_EQ(Count(1), 3u);
}

TEST_F(DataFormTest, ARecordThatFailsHalfReadLeavesNoLongDataBehind) {
  Start(false);
  // The second record's text goes to the value file before its third item turns out not to be
  // Shift-JIS.
  WriteFile("in.dat", "T1,first text,1\r\nT2,second text,\x81\x20\r\n");
  User().ThenPress(Sj("了解"));
  Run(items_,
      "@DataInput(InputFile = \"in.dat\", Commit = no, DataFormat = [DBItem = 1], "
      "[DBItem = 2, Type = text], [DBItem = 3]);");
  EXPECT_EQ(LastBoxText().rfind(Sj("エラー：-216"), 0), 0u);
  EXPECT_EQ(Count(1), 1u);
  // Only the stored record's text is left in the value file.
  uint32_t pieces = 0;
  for (int32_t id = 1; id <= 4; ++id) {
    int32_t set = 0;
    uint32_t count = 0;
    if (Db().MakeValueSet(id, &set, &count) != kVOk) continue;
    pieces += count;
    EXPECT_EQ(Db().CancelValueSet(set), kVOk);
  }
  EXPECT_EQ(pieces, 1u);
}

TEST_F(DataFormTest, QuotedValuesTagsSubSchemesAndKeywordsArriveWhereTheyBelong) {
  Start(true);
  WriteFile("in.dat", Sj("\"Q,1\",\"<em>東京タワー</em> 見物\",\"赤;青\"\r\n"
                         "'Q2','大阪;城',緑\r\n"));
  Run(items_,
      "@DataInput(InputFile = \"in.dat\", DataFormat = [DBItem = 1], "
      "[DBItem = 2, Tag = 'em>', 6, ExtKwd = 6, ExtKwdKey = 3], "
      "[ItemTerm = ';', DataFormat = [[DBItem = 5]]]);");
  EXPECT_EQ(LastBoxText(), "");
  EXPECT_EQ(Count(1), 2u);
  EXPECT_EQ(Count(1, "[kcode] = \"Q,1\";"), 1u) << "the quoted item terminator is in the value";
  EXPECT_EQ(Count(1, "[I:5] = \"青\";"), 1u) << "the sub-scheme split the tags";
  // The tag sent the first record's text to item 6; the second record's text stayed in item 2.
  EXPECT_EQ(Count(1, "[I:6] = \"東京タワー 見物\";"), 1u);
  EXPECT_EQ(Count(1, "[I:2] = \"大阪;城\";"), 1u);
  // The keywords of each record's item went to key 3 and find it there.
  EXPECT_EQ(Count(1, "[K:kword] = \"見物\";"), 1u);
  EXPECT_EQ(Count(1, "[K:kword] = \"城\";"), 1u);
  EXPECT_EQ(Count(1, "[K:kword] = \"東京タワー\";"), 1u);
  EXPECT_EQ(dynamic_cast<OGTDBList*>(items_->FindByID(5))->PositionText(), "1/2");
}

TEST_F(DataFormTest, CancellingTheProgressWindowTakesBackAnAllOrNothingInput) {
  Start(true);
  std::string data;
  for (int i = 0; i < 3000; ++i) data += "C" + std::to_string(i) + "\r\n";
  WriteFile("in.dat", data);
  Screen().SetProgressClockStep(1);
  User().ThenCancelProgress().ThenPress(Sj("了解"));
  Run(items_, "@DataInput(InputFile = \"in.dat\", DataFormat = [DBItem = 1]);");
  EXPECT_EQ(LastBoxText(), Sj("読み込みを中止しました。"));
  EXPECT_EQ(Count(1), 0u);
  EXPECT_NE(ReadFile("DataInput.log").find("cancelled"), std::string::npos);
}

TEST_F(DataFormTest, OutputQuotesTextsAndWritesTheTerminatorsOfTheScript) {
  Start(false, {{"A", "say \"hi\"", "12.5", "2026/12/9", "x|y"}, {"B", "", "", "", ""}});
  Run(items_, std::string("@DataOutput(OutputFile = \"out.dat\", ") + kAllFormats + ");");
  EXPECT_EQ(ReadFile("out.dat"),
            "\"A\",\"say \"\"hi\"\"\",12.5,\"2026/12/09\",\"x\"\t\"y\"\r\n"
            "\"B\",,,,\r\n");
  Run(items_,
      "@DataOutput(OutputFile = \"out.dat\", RecordTerm = LF, ItemTerm = '|', RepeatTerm = ';', "
      "DataFormat = [DBItem = 5], [DBItem = 3]);");
  EXPECT_EQ(ReadFile("out.dat"), "\"x\";\"y\"|12.5\n|\n");
  // What was written reads back as it was.
  Run(copy_,
      "@DataInput(InputFile = \"out.dat\", Commit = no, RecordTerm = LF, ItemTerm = '|', "
      "RepeatTerm = ';', DataFormat = [DBItem = 5], [DBItem = 3]);");
  EXPECT_EQ(Count(2, "[I:5] = \"y\" and [I:3] = 12.5;"), 1u);
}

TEST_F(DataFormTest, AStoppedOutputLeavesItsFileAsItWas) {
  Start(false);
  for (int i = 0; i < 2000; ++i) {
    VRecord record;
    const std::string code = "C" + std::to_string(i);
    ASSERT_EQ(
        record.SetValueFromText(1, kVTypeString, reinterpret_cast<const uint8_t*>(code.data()),
                                static_cast<int32_t>(code.size())),
        kVOk);
    uint32_t r = 0;
    ASSERT_EQ(Db().Insert(1, record, &r), kVOk);
  }
  Run(items_, "@ExecFind(FindStmt = 'all');");
  WriteFile("out.dat", "OLD");
  Screen().SetProgressClockStep(1);
  User().ThenCancelProgress().ThenPress(Sj("了解"));
  Run(items_, "@DataOutput(OutputFile = \"out.dat\", DataFormat = [DBItem = 1]);");
  EXPECT_EQ(LastBoxText(), Sj("書き出しを中止しました。ファイルには何も書き込まれていません。"));
  EXPECT_EQ(ReadFile("out.dat"), "OLD");
  for (const auto& entry : std::filesystem::directory_iterator(dir_.Path())) {
    EXPECT_EQ(entry.path().filename().string().find(".part"), std::string::npos)
        << "a partly written file stayed";
  }
}

TEST_F(DataFormTest, FileChoosersAndFilesThatCannotBeUsed) {
  Start(false);
  // Asked: the save chooser proposes output.dat; cancelling ends silently.
  Screen().ClearSeen();
  User().ThenCancelChooser();
  Run(items_, "@DataOutput(DataFormat = [DBItem = 1]);");
  ASSERT_FALSE(Screen().Seen().empty());
  EXPECT_EQ(Screen().Seen().front().what, OGTSeen::kSaveChooser);
  EXPECT_EQ(Screen().Seen().front().path, "output.dat");
  EXPECT_EQ(LastBoxText(), "");
  User().ThenChooseFile(dir_ / "chosen.dat");
  Run(items_, "@DataOutput(OutputFile = ask, DataFormat = [DBItem = 1]);");
  EXPECT_TRUE(std::filesystem::exists(dir_ / "chosen.dat"));
  // The open chooser for input; a file that is not there.
  Screen().ClearSeen();
  User().ThenCancelChooser();
  Run(items_, "@DataInput(Commit = no);");
  EXPECT_EQ(Screen().Seen().front().what, OGTSeen::kOpenChooser);
  EXPECT_EQ(LastBoxText(), "");
  User().ThenPress(Sj("了解"));
  Run(items_, "@DataInput(InputFile = \"missing.dat\", Commit = no);");
  EXPECT_EQ(LastBoxText(), Sj("読み込むデータファイルを指定して下さい。"));
  User().ThenPress(Sj("了解"));
  Run(items_, "@DataOutput(OutputFile = \"nodir/out.dat\");");
  EXPECT_EQ(LastBoxText(), Sj("書き出しデータファイルを指定して下さい。"));
}

TEST_F(DataFormTest, CreateDBMakesADatabaseFromASchemaAndRefusesToTouchAnExistingOne) {
  Start(false, {{"K1", "kept"}});
  const std::map<std::string, std::string> before = Dump(1);
  WriteFile("bad.sch", "[FILE:1] NAME = \"x\" [ITEM:999]");
  User().ThenPress(Sj("了解"));
  Run(items_, "@CreateDB(SchemeFile = \"bad.sch\");");
  EXPECT_EQ(LastBoxText(), Sj("スキーマが不正です。スキーマを確認して下さい。"));
  User().ThenPress(Sj("了解"));
  Run(items_, "@CreateDB();");
  EXPECT_EQ(LastBoxText(), Sj("スキーマファイルを指定して下さい。"));
  // The player's own database lives where "./Varnex.conf" says: it is not made again.
  WriteFile("good.sch", "[DB] NAME = \"new\"\r\n" + FileSchema(7, "seven"));
  User().ThenPress(Sj("了解"));
  Run(items_, "@CreateDB(SchemeFile = \"good.sch\");");
  EXPECT_EQ(LastBoxText().substr(0, 6), Sj("エラー"));
  EXPECT_NE(LastBoxText().find(Sj("データベース作成中にエラーが起こりました。")),
            std::string::npos);
  EXPECT_EQ(Dump(1), before);
  std::string name;
  std::string desc;
  std::vector<uint32_t> files;
  ASSERT_EQ(Db().GetInfo(&name, &desc, &files), kVOk);
  EXPECT_EQ(name, "shop");
}

// A player started where there is no database yet: "@CreateDB" makes one under the name "DB",
// which the next start of the player opens.
TEST_F(PlayerTest, CreateDBMakesTheDatabaseTheNextStartOpens) {
  WriteDefinition("forms.ova", R"([Application]
  Name = "作成";  Startup = 1;
  [Form]
    Name = "作る";  FormType = 3;  Startup = 1;  Visible = 1;  Enable = 1;
  [/Form]
[/Application]
)");
  OpenAndStart();
  OvApp* app = runner_->Env()->FindApp(Sj("作成").c_str());
  ASSERT_NE(app, nullptr);
  auto* form = dynamic_cast<OGTDBWindow*>(app->FindOpenForm(Sj("作る").c_str()));
  ASSERT_NE(form, nullptr);
  std::ofstream(dir_ / "shop.sch", std::ios::binary)
      << "[DB] NAME = \"x\"\r\n" + FileSchema(1, "items") + FileSchema(2, "copy");
  User().ThenChooseFile("shop.sch").ThenPress(Sj("了解"));
  const std::string script = "@CreateDB(SchemeFile = ask);";
  OvScript(app, form).Run(script.data(), script.size());
  const OGTSeen* box = Screen().LastModal();
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(box->TextsOf(kOGTKindLabel)[0],
            Sj("データベースの作成が完了しました。新しいデータベースを有効にするには、Orvelを再起"
               "動してください。"));
  runner_.reset();  // the player ends
  VBSBoss engine("./Varnex.conf");
  VDBHandle db(&engine);
  ASSERT_EQ(db.Open(), kVOk);
  std::string name;
  std::string desc;
  std::vector<uint32_t> files;
  ASSERT_EQ(db.GetInfo(&name, &desc, &files), kVOk);
  EXPECT_EQ(name, "DB");
  EXPECT_EQ(desc, "Memo");
  EXPECT_EQ(files, (std::vector<uint32_t>{1, 2}));
  uint32_t r = 0;
  VRecord record;
  ASSERT_EQ(record.SetValueFromText(1, kVTypeString, reinterpret_cast<const uint8_t*>("x"), 1),
            kVOk);
  EXPECT_EQ(db.Insert(2, record, &r), kVOk) << "the record files were made";
  EXPECT_EQ(db.Close(), kVOk);
}

}  // namespace
