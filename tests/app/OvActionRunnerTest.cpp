// Running action files against the player with a real database: checks that hold and checks that
// fail (the line, what was expected, what was seen), dialogs answered, unanswered or answered
// wrongly, actions a person could not take, the end after "@Quit", the exit statuses of the action
// mode, and the transcript of a walk through a database form compared byte for byte with a kept
// one.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "PeopleDatabase.h"
#include "Sjis.h"
#include "TempDir.h"
#include "app/OvActionMode.h"
#include "app/OvActionRunner.h"
#include "app/OvActions.h"
#include "base/VCodePage.h"
#include "base/VFile.h"
#include "db/engine/VBSBoss.h"
#include "db/engine/VCodeTexts.h"
#include "db/engine/VDBHandle.h"
#include "gt/imp/headless/OGTHeadlessScreen.h"

namespace {

const char* kForms = R"([Application]
  Name = "住所録";  Startup = 1;
  [Search]
    Name = "全員";  DBFileNbr = 1;  Statement = "all";
  [/Search]
  [Search]
    Name = "壊れた";  DBFileNbr = 1;  Statement = "[nosuch] = 1";
  [/Search]
  [Form]
    Name = "連絡先";  FormType = 3;  Startup = 1;  Visible = 1;  Enable = 1;
    Width = 600;  Height = 400;  SearchName = "全員";
    [DBField]
      ID = 1;  DBItemNbr = 1;  X = 10;  Y = 10;  Width = 200;  Height = 20;  Visible = 1;  Enable = 1;
    [/DBField]
    [DBField]
      ID = 2;  DBItemNbr = 2;  X = 10;  Y = 40;  Width = 200;  Height = 20;  Visible = 1;  Enable = 1;
    [/DBField]
    [DBField]
      ID = 3;  DBItemNbr = 0;  X = 10;  Y = 70;  Width = 200;  Height = 20;  Visible = 1;  Enable = 1;
    [/DBField]
    [DBMultiValueField]
      ID = 4;  DBItemNbr = 4;  X = 220;  Y = 10;  Width = 150;  Height = 80;  Visible = 1;
      LineWidth = 140;
    [/DBMultiValueField]
    [DBList]
      ID = 5;  X = 10;  Y = 100;  Width = 400;  Height = 150;  Visible = 1;  Enable = 1;
      ListLabelHeight = 18;  ListLineHeight = 16;
      DBListLabel = "名前", 120, 1, 0;
      DBListLabel = "年齢", 60, 2, 0;
    [/DBList]
    [DBHistoryList]
      ID = 7;  X = 420;  Y = 100;  Width = 170;  Height = 150;  Visible = 1;  Enable = 1;
    [/DBHistoryList]
    [Button]
      ID = 8;  Title = "戻る";  Visible = 1;  Enable = 1;
      ActionScript = { @ShowRecSetHistory(Type = prev); };
    [/Button]
    [Button]
      ID = 9;  Title = "終了";  Visible = 1;  Enable = 1;  ActionScript = { @Quit(); };
    [/Button]
    [Button]
      ID = 10;  Title = "検索";  Visible = 1;  Enable = 1;  ActionScript = { @AskFind(Example = no); };
    [/Button]
    [Button]
      ID = 11;  Title = "名前で";  Visible = 1;  Enable = 1;
      ActionScript = { @ExecFieldFind(FieldID = 3, DBItem = 1); };
    [/Button]
    [CheckBox]
      ID = 12;  Title = "印";  Visible = 1;  Enable = 1;
    [/CheckBox]
    [Button]
      ID = 13;  Title = "隠れた";  Enable = 1;
    [/Button]
    [Button]
      ID = 14;  Title = "使えない";  Visible = 1;
    [/Button]
    [Button]
      ID = 15;  Title = "隠す";  Visible = 1;  Enable = 1;
      ActionScript = { @SetVisible(FieldID = 2, 12, visible = no); };
    [/Button]
    [Button]
      ID = 16;  Title = "見せる";  Visible = 1;  Enable = 1;
      ActionScript = { @SetVisible(FieldID = 2, 12, visible = yes); };
    [/Button]
  [/Form]
  [Form]
    Name = "壊れた連絡先";  FormType = 3;  Visible = 1;  SearchName = "壊れた";
    [DBList]
      ID = 5;  Visible = 1;  DBListLabel = "名前", 120, 1, 0;
    [/DBList]
  [/Form]
  [Form]
    Name = "メモ";  FormType = 1;  Visible = 1;  Enable = 1;
    [Field]
      ID = 1;  X = 10;  Y = 10;  Width = 200;  Height = 20;  Visible = 1;  Enable = 1;
    [/Field]
    [RadioButton]
      ID = 2;  Title = "はい";  Visible = 1;  Enable = 1;
    [/RadioButton]
  [/Form]
[/Application]
)";

struct Outcome {
  bool held = false;
  int32_t line = 0;
  std::string failure;
  std::string transcript;
};

class ActionRunTest : public ::testing::Test {
 protected:
  ActionRunTest() : dir_(true) {
    std::filesystem::create_directory(dir_ / "OVAFolder");
    std::ofstream(dir_ / "OVAFolder/forms.ova", std::ios::binary) << Sj(kForms);
    PeopleDatabase db;
    db.Insert({"鈴木", "41", "東京", {"友人", "仕事"}});
    db.Insert({"佐藤", "35", "大阪"});
    db.Insert({"田中", "29", "名古屋", {"家族"}});
  }

  // Reads the action file (which must read) and runs it in the test's folder.
  static Outcome Run(const std::string& text, const char* folder = "./OVAFolder") {
    std::vector<OvAction> actions;
    std::vector<OvActionFileError> errors;
    bool read = OvReadActions(text, OvActionRunner::Table(), &actions, &errors);
    EXPECT_TRUE(read) << (errors.empty() ? "" : errors.front().message);
    Outcome outcome;
    if (!read) return outcome;
    OvActionRunner runner("./Varnex.conf", folder);
    runner.SetTranscript([&outcome](const std::string& line) { outcome.transcript += line; });
    outcome.held = runner.Run(actions);
    outcome.line = runner.FailedLine();
    outcome.failure = runner.Failure();
    EXPECT_TRUE(runner.Screen().ModalStack().empty()) << "a dialog outlived its action";
    return outcome;
  }

  TempDir dir_;
};

TEST_F(ActionRunTest, ChecksHoldThroughAWalkInADatabaseForm) {
  Outcome outcome = Run(R"(start
check window 連絡先
check text 1 鈴木
check rows 5 3
check corner 5 1/3
check cell 5 3 1 田中
check cell 5 2 2 35
check rows 4 2
check cell 4 2 1 仕事
check visible 1
check hidden 13
check disabled 14
check enabled 8
check unticked 12
check no message
choose 5 3
check text 1 田中
check corner 5 3/3
# A search that fails: its error box, then the search dialog again, cancelled.
press 10
answer text "[nosuch] = 1;"
answer ok
answer cancel
check message "エラー：-2114\r検索できませんでした。"
check corner 5 0
press 8
check beep
check corner 5 0
type 3 佐
append 3 藤
press 11
check corner 5 1/1
check text 2 35
check no beep
tick 12
check ticked 12
untick 12
tick 12
check ticked 12
activate 7 1
answer no
check rows 7 2
check count 1 "[kage] = 29 - 35" 2
check count people all 3
open 住所録 メモ
check window メモ
tick 2
check ticked 2
key 1 Return
window 連絡先
check window 連絡先
close メモ
close
)");
  EXPECT_TRUE(outcome.held) << outcome.line << ": " << outcome.failure;
}

TEST_F(ActionRunTest, AFailingCheckNamesItsLineWhatWasExpectedAndWhatWasSeen) {
  struct Case {
    const char* check;
    const char* failure;
  };
  const Case cases[] = {
      {"check text 1 佐藤", "check text 1 佐藤: expected \"佐藤\", saw \"鈴木\""},
      {"check rows 5 4", "check rows 5 4: expected 4 rows, saw 3"},
      {"check cell 5 4 1 x", "check cell 5 4 1 x: the record list 5 of \"連絡先\" has 3 rows"},
      {"check cell 5 1 3 x", "check cell 5 1 3 x: the record list 5 of \"連絡先\" has 2 columns"},
      {"check corner 1 1/3",
       "check corner 1 1/3: the record field 1 of \"連絡先\" is not a record list"},
      {"check visible 13",
       "check visible 13: expected the button 13 of \"連絡先\" to be visible, it is hidden"},
      {"check window メモ", "check window メモ: expected \"メモ\", saw \"連絡先\""},
      {"check message 何か",
       "check message 何か: expected a box \"何か\", the last action showed none"},
      {"check beep", "check beep: expected the alert sound, the last action made none"},
      {"check count 1 \"[kage] = 30 - 50\" 1",
       "check count 1 \"[kage] = 30 - 50\" 1: expected 1 records, saw 2"},
      {"check count 1 \"[nosuch] = 1\" 0",
       "check count 1 \"[nosuch] = 1\" 0: the engine answered -2115 for the statement in the file "
       "1"},
      {"check count shop all 0",
       "check count shop all 0: the database has no file named \"shop\"; its files are \"people\""},
      {"check text 99 x", "check text 99 x: the window \"連絡先\" has no item 99"},
  };
  for (const Case& one : cases) {
    Outcome outcome = Run(std::string("start\ncheck rows 5 3\n") + one.check + "\npress 8\n");
    EXPECT_FALSE(outcome.held) << one.check;
    EXPECT_EQ(outcome.line, 3) << one.check;
    EXPECT_EQ(outcome.failure, one.failure);
    // Nothing after the failed check ran.
    EXPECT_EQ(outcome.transcript.find("press 8"), std::string::npos) << one.check;
  }
}

TEST_F(ActionRunTest, AnUnansweredDialogFailsAtOnceNamingTheDialogAndItsText) {
  Outcome outcome = Run("start\npress 10\ncheck rows 5 3\n");
  EXPECT_FALSE(outcome.held);
  EXPECT_EQ(outcome.line, 2);
  EXPECT_EQ(outcome.failure.rfind("press 10: the dialog \"検索\" (", 0), 0u) << outcome.failure;
  EXPECT_NE(outcome.failure.find(" waits for an answer, and no answer is left; write its answer "
                                 "after line 2"),
            std::string::npos)
      << outcome.failure;

  // An error box nobody expected, after the answers given ran out: its text is in the failure,
  // and the transcript shows the box.
  outcome = Run("start\nopen 住所録 壊れた連絡先\n");
  EXPECT_FALSE(outcome.held);
  EXPECT_EQ(outcome.line, 2);
  EXPECT_EQ(
      outcome.failure,
      "open 住所録 壊れた連絡先: the dialog \"確認...\" (\"エラー：-2114\\r検索できませんでした"
      "。\") waits for an answer, and no answer is left; write its answer after line 2");
  EXPECT_NE(outcome.transcript.find(
                "2 open 住所録 壊れた連絡先\n  beep\n  box \"確認...\" \"エラー：-2114"),
            std::string::npos)
      << outcome.transcript;

  outcome = Run("start\npress 10\nanswer text \"[nosuch] = 1;\"\nanswer ok\n");
  EXPECT_FALSE(outcome.held);
  EXPECT_EQ(outcome.line, 2);
  EXPECT_NE(outcome.failure.find("write one more answer after line 4"), std::string::npos)
      << outcome.failure;
}

TEST_F(ActionRunTest, AnswersThatDoNotFitTheirDialogFailOnTheirOwnLine) {
  struct Case {
    const char* actions;
    int32_t line;
    const char* failure;
  };
  const Case cases[] = {
      {"start\nchoose 5 2\nanswer ok\n", 3, "answer ok: no dialog came for this answer"},
      {"start\npress 10\nanswer cancel\nanswer ok\n", 4,
       "answer ok: no dialog came for this answer"},
      {"start\nopen 住所録 壊れた連絡先\nanswer yes\n", 3,
       "answer yes: the dialog \"確認...\" asks no question that yes answers; answer ok, answer "
       "cancel or answer button CAPTION"},
      {"start\npress 10\nanswer button 了解\n", 3,
       "answer button 了解: the dialog \"検索\" has no button \"了解\"; its buttons are \"実行\", "
       "\"キャンセル\""},
  };
  for (const Case& one : cases) {
    Outcome outcome = Run(one.actions);
    EXPECT_FALSE(outcome.held) << one.actions;
    EXPECT_EQ(outcome.line, one.line) << one.actions;
    EXPECT_EQ(outcome.failure, one.failure);
  }
}

TEST_F(ActionRunTest, ActionsAPersonCouldNotTakeFail) {
  struct Case {
    const char* action;
    const char* failure;
  };
  const Case cases[] = {
      {"press 13", "press 13: the button 13 of \"連絡先\" is hidden"},
      {"press 14", "press 14: the button 14 of \"連絡先\" is disabled"},
      {"press 1", "press 1: the record field 1 of \"連絡先\" cannot be pressed"},
      {"type 5 x", "type 5 x: the record list 5 of \"連絡先\" is not a field to type in"},
      {"choose 5 4", "choose 5 4: the record list 5 of \"連絡先\" has 3 rows"},
      {"choose 1 1", "choose 1 1: the record field 1 of \"連絡先\" is not a list"},
      {"window メモ", "window メモ: no window is titled \"メモ\"; the open windows are \"連絡先\""},
      {"open 住所録 なし",
       "open 住所録 なし: the application \"住所録\" has no form \"なし\"; it has \"連絡先\", "
       "\"壊れた連絡先\", \"メモ\""},
      {"open 名簿 メモ",
       "open 名簿 メモ: the folder has no application \"名簿\"; it has \"住所録\""},
  };
  for (const Case& one : cases) {
    Outcome outcome = Run(std::string("start\n") + one.action + "\n");
    EXPECT_FALSE(outcome.held) << one.action;
    EXPECT_EQ(outcome.line, 2) << one.action;
    EXPECT_EQ(outcome.failure, one.failure);
  }
  Outcome outcome = Run("press 1\n");
  EXPECT_EQ(outcome.failure, "press 1: no window is open");
  outcome = Run("open 住所録 メモ\nuntick 2\ntick 2\nuntick 2\n");
  EXPECT_EQ(outcome.line, 4);
  EXPECT_EQ(outcome.failure,
            "untick 2: the radio button 2 of \"メモ\" is on, and a person cannot clear a radio "
            "button by clicking it; tick another one of its group");
}

TEST_F(ActionRunTest, TheTranscriptTellsWhatGoesOutOfSightAndWhatChangedThereWhenItComesBack) {
  Outcome outcome = Run(R"(start
press 15
check hidden 2
choose 5 2
press 12
press 16
press 16
)");
  EXPECT_FALSE(outcome.held) << "a hidden check box cannot be pressed";
  EXPECT_EQ(outcome.line, 5);
  outcome = Run("start\npress 15\nchoose 5 2\npress 16\npress 16\n");
  EXPECT_TRUE(outcome.held) << outcome.line << ": " << outcome.failure;
  const std::string tail = outcome.transcript.substr(outcome.transcript.find("2 press 15"));
  EXPECT_EQ(tail,
            "2 press 15\n"
            "  hidden \"連絡先\" 2\n"
            "  hidden \"連絡先\" 12\n"
            "3 choose 5 2\n"
            "  field \"連絡先\" 1 \"佐藤\"\n"
            "  list \"連絡先\" 4 0 rows\n"
            "  list \"連絡先\" 5 3 rows, row 2 \"佐藤\\t35\", corner \"2/3\"\n"
            "4 press 16\n"
            "  shown \"連絡先\" 2\n"
            "  field \"連絡先\" 2 \"35\"\n"
            "  shown \"連絡先\" 12\n"
            "5 press 16\n");
}

TEST_F(ActionRunTest, NothingCanBeDoneAfterTheApplicationQuits) {
  Outcome outcome = Run("start\npress 9\ncheck count 1 all 3\nstart\n");
  EXPECT_FALSE(outcome.held);
  EXPECT_EQ(outcome.line, 4);
  EXPECT_EQ(outcome.failure,
            "start: the player was asked to end at line 2; nothing can be done in it after that");
  EXPECT_NE(outcome.transcript.find("2 press 9\n  close \"連絡先\"\n  quit\n"), std::string::npos)
      << outcome.transcript;
}

TEST_F(ActionRunTest, TheStartTellsWhatThePlayerTellsOfItsDatabaseAndFolder) {
  // A folder that is not there: the start waits on the folder report as the player's does.
  Outcome outcome = Run("start\n", "./Missing");
  EXPECT_FALSE(outcome.held);
  EXPECT_EQ(outcome.line, 1);
  EXPECT_NE(outcome.failure.find("アプリケーションフォルダ「./Missing」がありません。"),
            std::string::npos)
      << outcome.failure;
  outcome = Run("start\nanswer ok\ncheck window アプリケーションリスト\n", "./Missing");
  EXPECT_TRUE(outcome.held) << outcome.failure;

  // With the database in use by another player the error box carries the code's line under
  // the fixed text.
  VBSBoss other("./Varnex.conf");
  VDBHandle holder(&other);
  ASSERT_EQ(holder.Open(), kVOk);
  outcome = Run("start\n");
  EXPECT_FALSE(outcome.held);
  EXPECT_NE(outcome.failure.find("データベースを開けませんでした。\\r" +
                                 VSjisToUtf8(VJapaneseCodeText(kVOpenFailed))),
            std::string::npos)
      << outcome.failure;
  EXPECT_EQ(holder.Close(), kVOk);
}

TEST_F(ActionRunTest, WithoutStartUpFormsTheApplicationListAndTheFormChooserAreAnswered) {
  std::filesystem::create_directory(dir_ / "ListFolder");
  std::string forms = kForms;
  forms.replace(forms.find("Startup = 1;"), 12, "Startup = 0;");
  std::ofstream(dir_ / "ListFolder/forms.ova", std::ios::binary) << Sj(forms.c_str());
  Outcome outcome = Run(R"(start
check window アプリケーションリスト
check rows 8003 1
check cell 8003 1 2 住所録
press 8002
answer text 名簿
)",
                        "./ListFolder");
  EXPECT_FALSE(outcome.held);
  EXPECT_EQ(outcome.line, 6);
  EXPECT_EQ(
      outcome.failure,
      "answer text 名簿: the dialog \"アプリケーション：住所録\" has no row \"名簿\"; its rows "
      "are \"連絡先\", \"壊れた連絡先\", \"メモ\"");

  outcome = Run(R"(start
press 8002
answer text メモ
check window メモ
window アプリケーションリスト
activate 8003 1
answer cancel
check window アプリケーションリスト
)",
                "./ListFolder");
  EXPECT_TRUE(outcome.held) << outcome.line << ": " << outcome.failure;
  EXPECT_NE(outcome.transcript.find("2 press 8002\n  box \"アプリケーション：住所録\" "
                                    "\"フォームを選んで下さい。\"\n  open \"メモ\"\n"),
            std::string::npos)
      << outcome.transcript;
}

TEST_F(ActionRunTest, ADatabaseThatDoesNotOpenShowsItsBoxAtStart) {
  std::filesystem::remove_all(dir_ / "INDEX");
  std::filesystem::remove_all(dir_ / "DATA");
  Outcome outcome = Run("start\nanswer ok\ncheck window 連絡先\ncheck count 1 all 3\n");
  EXPECT_FALSE(outcome.held);
  EXPECT_EQ(outcome.line, 4);
  EXPECT_EQ(outcome.failure, "check count 1 all 3: the database is not open");
  EXPECT_NE(outcome.transcript.find("1 start\n  beep\n  box \"確認...\" \"エラー：-"),
            std::string::npos)
      << outcome.transcript;
}

// The kept walk and its transcript live in tests/data/actions. When the player's behaviour changes
// on purpose, read the difference this test shows, then replace the kept transcript with the new
// one (ovplayer --actions people-walk.actions --transcript OUT, in a folder holding kForms and the
// three people of the fixture).
TEST_F(ActionRunTest, TheTranscriptOfAWalkIsTheKeptOneByteForByte) {
  auto read = [](const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
  };
  const std::string walk = read(OV_TEST_DATA "/actions/people-walk.actions");
  const std::string kept = read(OV_TEST_DATA "/actions/people-walk.transcript");
  ASSERT_FALSE(walk.empty());
  ASSERT_FALSE(kept.empty());
  Outcome outcome = Run(walk);
  EXPECT_TRUE(outcome.held) << outcome.line << ": " << outcome.failure;
  EXPECT_EQ(outcome.transcript, kept);
}

TEST_F(ActionRunTest, TheActionModeEndsWithZeroOrOneAndWritesTheTranscript) {
  std::ofstream(dir_ / "good.actions") << "start\ncheck rows 5 3\npress 8\ncheck beep\n";
  std::ofstream(dir_ / "bad.actions") << "start\ncheck rows 5 2\n";
  std::FILE* out = std::tmpfile();
  std::FILE* err = std::tmpfile();
  EXPECT_EQ(OvRunActionMode({"--actions", "good.actions", "--transcript", "-"}, out, err), 0);
  EXPECT_EQ(OvRunActionMode({"--actions", "bad.actions", "--config", "Varnex.conf", "--folder",
                             "OVAFolder", "--transcript", "bad.transcript"},
                            out, err),
            1);
  auto drain = [](std::FILE* file) {
    std::rewind(file);
    std::string text(4096, '\0');
    text.resize(std::fread(text.data(), 1, text.size(), file));
    std::fclose(file);
    return text;
  };
  std::string outText = drain(out);
  std::string errText = drain(err);
  EXPECT_EQ(outText.rfind("1 start\n  open \"連絡先\"\n", 0), 0u) << outText;
  EXPECT_NE(outText.find("3 press 8\n  beep\n"), std::string::npos) << outText;
  EXPECT_EQ(errText,
            "good.actions: 2 actions run, 2 checks held\n"
            "bad.actions:2: check rows 5 2: expected 2 rows, saw 3\n");
  std::ifstream transcript(dir_ / "bad.transcript");
  std::string first;
  std::getline(transcript, first);
  EXPECT_EQ(first, "1 start");
}

}  // namespace
