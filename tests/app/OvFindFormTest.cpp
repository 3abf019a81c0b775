// Finding from forms, against a real database through the headless side: the statements the field
// find builds (the example of two fields and two items, byte for byte; switches, history
// references, half-width katakana), named finds and sub-finds, the search dialog's loop after a
// failing find, and the histories after a failed find.
#include <gtest/gtest.h>

#include "PeopleDatabase.h"
#include "PlayerFixture.h"
#include "app/OvAEnv.h"
#include "app/OvApp.h"
#include "gt/OGTDBList.h"
#include "gt/OGTDBWindow.h"
#include "gt/OGTDialog.h"

namespace {

// ---- commands in a form ----

const char* kForms = R"([Application]
  Name = "住所録";  Startup = 1;
  [Search]
    Name = "全員";  DBFileNbr = 1;  Statement = "all";
  [/Search]
  [Search]
    Name = "若い人";  DBFileNbr = 1;  Statement = { [kage] = 20 - 30 };
  [/Search]
  [Form]
    Name = "連絡先";  FormType = 3;  Startup = 1;  Visible = 1;  Enable = 1;  SearchName = "全員";
    [DBField]
      ID = 1;  DBItemNbr = 0;  Visible = 1;  Enable = 1;
    [/DBField]
    [DBField]
      ID = 2;  DBItemNbr = 0;  Visible = 1;  Enable = 1;
    [/DBField]
    [DBField]
      ID = 3;  DBItemNbr = 1;  Visible = 1;  Enable = 1;
    [/DBField]
    [CheckBox]
      ID = 4;  Visible = 1;  Enable = 1;
    [/CheckBox]
    [DBList]
      ID = 5;  Visible = 1;  DBListLabel = "名前", 120, 1, 0;
    [/DBList]
    [Button]
      ID = 10;  Visible = 1;  Enable = 1;
      ActionScript = { @ExecFieldFind(FieldID = 1, 2, DBItem = 3, 1); };
    [/Button]
    [Button]
      ID = 11;  Visible = 1;  Enable = 1;
      ActionScript = { @ExecFieldFind(FieldID = 1, DBItem = 3, 1, DelDBItem = 4, 3,
                        IMatch = 4, Eq, Fore); };
    [/Button]
    [Button]
      ID = 12;  Visible = 1;  Enable = 1;
      ActionScript = { @ExecFieldFind(FieldID = 1, DBItem = 1, UseRecSetHstIdx = yes,
                        ConvHankana = yes); };
    [/Button]
    [Button]
      ID = 13;  Visible = 1;  Enable = 1;  ActionScript = { @AskFind(Example = no); };
    [/Button]
    [Button]
      ID = 14;  Visible = 1;  Enable = 1;
      ActionScript = { @ExecFind(FindName = "若い人"); @ExecFind(FindName = "ない"); };
    [/Button]
    [Button]
      ID = 15;  Visible = 1;  Enable = 1;
      ActionScript = { @ExecSubFind(FieldID = 1, DBItem = 1, SetToCID = 3); };
    [/Button]
  [/Form]
[/Application]
)";

class FindTest : public PlayerTest {
 protected:
  void SetUp() override {
    PeopleDatabase db;
    db.Insert({"abc", "25"});
    db.Insert({"x y", "31"});
    db.Insert({"ガッコウ", "27"});
    db.Insert({"パン", "40"});
    db.Close();
    WriteDefinition("forms.ova", kForms);
    OpenAndStart();
    OvApp* app = runner_->Env()->FindApp(Sj("住所録").c_str());
    form_ = dynamic_cast<OGTDBWindow*>(app->FindOpenForm(Sj("連絡先").c_str()));
    ASSERT_NE(form_, nullptr);
  }
  OGTItem* Item(int32_t id) { return form_->FindByID(id); }
  const std::string& Statement() { return form_->RecordSet().Statement(); }

  OGTDBWindow* form_ = nullptr;
};

TEST_F(FindTest, TheFieldFindBuildsTheStatementOfTwoFieldsAndTwoItems) {
  Item(1)->SetText("abc");
  Item(2)->SetText("x y");
  ASSERT_TRUE(User().Press(Item(10)));
  EXPECT_EQ(Statement(),
            "([3]=\"abc\" OR [1]=\"abc\") AND "
            "(([3]=\"x\" OR [1]=\"x\") AND ([3]=\"y\" OR [1]=\"y\"));");
  EXPECT_EQ(form_->FindWords(), (std::vector<std::string>{"abc", "x", "y"}));
  // Item 3 holds nothing, item 1 the names: "abc" matches, and "x y" is not one word.
  EXPECT_EQ(form_->RecordSet().StoredCount(), 0) << "abc and x and y are never all true";
  EXPECT_EQ(form_->FindHistory().Current()->words, (std::vector<std::string>{"abc", "x y"}));

  // With no text at all: the alert, and nothing runs.
  Item(1)->SetText("");
  Item(2)->SetText("");
  const int32_t beeps = Screen().Beeps();
  const int32_t finds = form_->FindHistory().Count();
  ASSERT_TRUE(User().Press(Item(10)));
  EXPECT_EQ(Screen().Beeps(), beeps + 1);
  EXPECT_EQ(form_->FindHistory().Count(), finds);
}

TEST_F(FindTest, ASwitchedOffItemLeavesNoLeadingConnectiveAndSwitchesTheMatch) {
  Item(1)->SetText("ab");
  ASSERT_TRUE(User().Press(Item(11)));
  EXPECT_EQ(Statement(), "[3]=\"ab\" OR [1]=\"ab\";");
  ASSERT_TRUE(User().Press(Item(4)));  // on: item 3 goes, and the match is "begins with"
  ASSERT_TRUE(User().Press(Item(11)));
  EXPECT_EQ(Statement(), "[1]=\"ab\"?;");
  EXPECT_EQ(form_->RecordSet().StoredCount(), 1);
}

TEST_F(FindTest, HistoryReferencesAndHalfWidthKatakana) {
  ASSERT_EQ(form_->ExecFind("[kage] = 25 - 30;", nullptr, true), kVOk);
  const int32_t newest =
      form_->RecSetHistory().EntryAt(form_->RecSetHistory().Count() - 1)->SetID();
  Item(1)->SetText("$0");
  ASSERT_TRUE(User().Press(Item(12)));
  EXPECT_EQ(Statement(), "(#" + std::to_string(newest) + ");");
  EXPECT_EQ(form_->RecordSet().StoredCount(), 2);
  Item(1)->SetText(Sj("ｶﾞｯｺｳ").c_str());
  ASSERT_TRUE(User().Press(Item(12)));
  EXPECT_EQ(Statement(), Sj("[1]=\"ガッコウ\";"));
  EXPECT_EQ(form_->RecordSet().StoredCount(), 1);
}

TEST_F(FindTest, AFailingAskFindShowsTheErrorAndTheDialogAgainWithTheTypedText) {
  const std::string bad = "[nosuch] = 1;";
  User().ThenDo("type a statement that fails", [this, bad](OGTDialog& dialog) {
    // The dialog's prompt, then its statement field (which starts with the last statement).
    dialog.ChildAt(1)->SetText("");
    EXPECT_TRUE(User().Type(dialog.ChildAt(1), bad));
  });
  User().ThenPress(Sj("実行"));
  User().ThenPress(Sj("了解"));  // the error box
  User().ThenDo("see the typed text again",
                [this, bad](OGTDialog& dialog) { EXPECT_EQ(dialog.ChildAt(1)->Text(), bad); });
  User().ThenPress(Sj("キャンセル"));
  const int32_t finds = form_->FindHistory().Count();
  const int32_t sets = form_->RecSetHistory().Count();
  ASSERT_TRUE(User().Press(Item(13)));
  // The failed find left an empty set, and both histories took it.
  EXPECT_EQ(form_->RecordSet().SetID(), 0);
  auto* list = dynamic_cast<OGTDBList*>(Item(5));
  EXPECT_EQ(list->PositionText(), "0");
  EXPECT_EQ(form_->FindHistory().Count(), finds + 1);
  EXPECT_EQ(form_->RecSetHistory().Count(), sets) << "no set to copy";
  bool sawError = false;
  for (const OGTSeen& seen : Screen().Seen()) {
    if (seen.what == OGTSeen::kModal && !seen.TextsOf(11).empty() &&
        seen.TextsOf(11)[0] == Sj("エラー：-2114\r検索できませんでした。")) {
      sawError = true;
    }
  }
  EXPECT_TRUE(sawError);
}

TEST_F(FindTest, NamedFindsAndSubFinds) {
  ASSERT_TRUE(User().Press(Item(14)));
  EXPECT_EQ(Statement(), "[kage] = 20 - 30");
  EXPECT_EQ(form_->RecordSet().StoredCount(), 2) << "the missing search ran nothing";
  // A sub-find shows its first record in the listed items and leaves the set as it was.
  Item(1)->SetText("x y");
  ASSERT_TRUE(User().Press(Item(15)));
  EXPECT_EQ(Item(3)->Text(), "x y");
  EXPECT_EQ(form_->RecordSet().StoredCount(), 2);
  EXPECT_EQ(form_->FindWords(), (std::vector<std::string>{"x y"}));
}

}  // namespace
