// Database forms in the player, against a real database through the headless side: the form's
// named search shows the first record and the list's corner, choosing a list row moves the record
// and runs the list's script, buttons run scripts in database forms only, the record-set history
// list moves between sets, "@Quit" ends its script, and a failing search shows its error box.
#include <gtest/gtest.h>

#include "PeopleDatabase.h"
#include "PlayerFixture.h"
#include "app/OvAEnv.h"
#include "app/OvApp.h"
#include "gt/OGTDBField.h"
#include "gt/OGTDBFieldMV.h"
#include "gt/OGTDBHistoryList.h"
#include "gt/OGTDBList.h"
#include "gt/OGTDBWindow.h"

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
      ActionScript = { @ShowRefHistory(Type = prev, SetToCID = 6); };
    [/DBList]
    [DBField]
      ID = 6;  DBItemNbr = 1;  X = 10;  Y = 260;  Width = 200;  Height = 20;  Visible = 1;
    [/DBField]
    [DBHistoryList]
      ID = 7;  X = 420;  Y = 100;  Width = 170;  Height = 150;  Visible = 1;  Enable = 1;
    [/DBHistoryList]
    [Button]
      ID = 8;  Title = "戻る";  Visible = 1;  Enable = 1;
      ActionScript = { @ShowRecSetHistory(Type = prev); };
    [/Button]
    [Button]
      ID = 9;  Title = "終了";  Visible = 1;  Enable = 1;
      ActionScript = { @Quit(); @ShowRecSetHistory(Type = prev); };
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
    [Button]
      ID = 1;  Title = "終了";  Visible = 1;  Enable = 1;  ActionScript = { @Quit(); };
    [/Button]
  [/Form]
[/Application]
)";

class DBFormTest : public PlayerTest {
 protected:
  void SetUp() override {
    PeopleDatabase db;
    db.Insert({"鈴木", "41", "東京", {"友人", "仕事"}});
    db.Insert({"佐藤", "35", "大阪"});
    db.Insert({"田中", "29", "名古屋", {"家族"}});
    db.Close();
    WriteDefinition("forms.ova", kForms);
  }
  OGTDBWindow* Form(const char* title = "連絡先") {
    OvApp* app = runner_->Env()->FindApp(Sj("住所録").c_str());
    return app != nullptr ? dynamic_cast<OGTDBWindow*>(app->FindOpenForm(Sj(title).c_str()))
                          : nullptr;
  }
  std::string TextOf(OGTDBWindow* window, int32_t id) { return window->FindByID(id)->Text(); }
};

TEST_F(DBFormTest, TheFormsSearchShowsTheFirstRecordAndTheListsCorner) {
  OpenAndStart();
  OGTDBWindow* form = Form();
  ASSERT_NE(form, nullptr);
  EXPECT_EQ(TextOf(form, 1), Sj("鈴木"));
  EXPECT_EQ(TextOf(form, 2), "41");
  EXPECT_EQ(TextOf(form, 3), "") << "a search field shows nothing";
  auto* values = dynamic_cast<OGTDBFieldMV*>(form->FindByID(4));
  ASSERT_NE(values, nullptr);
  EXPECT_EQ(values->RowCount(), 2);
  auto* list = dynamic_cast<OGTDBList*>(form->FindByID(5));
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(list->RowCount(), 3);
  EXPECT_EQ(list->PositionText(), "1/3");
  EXPECT_EQ(list->CornerWidth(), 60);
  auto* rows = dynamic_cast<OGTDBListData*>(list->RowData());
  ASSERT_NE(rows, nullptr);
  EXPECT_EQ(rows->CellText(2, 1), Sj("田中"));
  EXPECT_EQ(rows->CellText(1, 2), "35");
  // The first search is the first entry of the record-set history, shown by its list.
  auto* history = dynamic_cast<OGTDBHistoryList*>(form->FindByID(7));
  ASSERT_NE(history, nullptr);
  EXPECT_EQ(history->RowCount(), 1);
  EXPECT_EQ(form->RecSetHistory().Count(), 1);
}

TEST_F(DBFormTest, ChoosingAListRowShowsItsRecordAndRunsTheListsScript) {
  OpenAndStart();
  OGTDBWindow* form = Form();
  ASSERT_NE(form, nullptr);
  auto* list = dynamic_cast<OGTDBList*>(form->FindByID(5));
  ASSERT_TRUE(User().ChooseRow(list, 2));
  EXPECT_EQ(TextOf(form, 1), Sj("田中"));
  EXPECT_EQ(TextOf(form, 2), "29");
  EXPECT_EQ(list->PositionText(), "3/3");
  // The list's script showed the record before this one (the first) in item 6 alone.
  EXPECT_EQ(TextOf(form, 6), Sj("鈴木"));
  EXPECT_EQ(TextOf(form, 1), Sj("田中"));
  EXPECT_EQ(form->RecHistory().Count(), 2);
}

TEST_F(DBFormTest, ButtonsRunScriptsInDatabaseFormsOnlyAndTheHistoryListMovesBetweenSets) {
  OpenAndStart();
  OGTDBWindow* form = Form();
  ASSERT_NE(form, nullptr);
  ASSERT_EQ(form->ExecFind("[kage] = 29 - 35;", nullptr, true), kVOk);
  auto* list = dynamic_cast<OGTDBList*>(form->FindByID(5));
  EXPECT_EQ(list->PositionText(), "1/2");
  EXPECT_EQ(TextOf(form, 1), Sj("佐藤"));
  auto* history = dynamic_cast<OGTDBHistoryList*>(form->FindByID(7));
  ASSERT_EQ(history->RowCount(), 2);
  // "戻る" goes back to the set of the first search.
  ASSERT_TRUE(User().Press(form->FindByID(8)));
  EXPECT_EQ(list->PositionText(), "1/3");
  EXPECT_EQ(TextOf(form, 1), Sj("鈴木"));
  // Again: nothing before the first entry, so the alert sounds.
  const int32_t beeps = Screen().Beeps();
  ASSERT_TRUE(User().Press(form->FindByID(8)));
  EXPECT_EQ(Screen().Beeps(), beeps + 1);
  // Choosing the second row of the history list shows that set again.
  ASSERT_TRUE(User().ChooseRow(history, 1));
  EXPECT_EQ(list->PositionText(), "1/2");
  // Activating a row asks; "いいえ" keeps the entry, "はい" removes it.
  User().ThenPress(Sj("いいえ"));
  ASSERT_TRUE(User().ChooseRow(history, 0, 0, 2));
  EXPECT_EQ(form->RecSetHistory().Count(), 2);
  User().ThenPress(Sj("はい"));
  ASSERT_TRUE(User().ChooseRow(history, 0, 0, 2));
  EXPECT_EQ(form->RecSetHistory().Count(), 1);
  EXPECT_EQ(history->RowCount(), 1);

  // A button with a script does nothing in a plain form.
  runner_->Env()->FindApp(Sj("住所録").c_str())->ShowForm(Sj("メモ").c_str());
  OvApp* app = runner_->Env()->FindApp(Sj("住所録").c_str());
  OGTWindow* memo = app->FindOpenForm(Sj("メモ").c_str());
  ASSERT_NE(memo, nullptr);
  ASSERT_TRUE(User().Press(memo->FindByID(1)));
  EXPECT_EQ(runner_->Env()->AppCount(), 1);
}

TEST_F(DBFormTest, QuitEndsItsScriptAndTheApplicationAfterTheEvent) {
  OpenAndStart();
  OGTDBWindow* form = Form();
  ASSERT_NE(form, nullptr);
  const int32_t beeps = Screen().Beeps();
  ASSERT_TRUE(User().Press(form->FindByID(9)));
  // The statement after "@Quit" found no window: no alert for the missing history entry.
  EXPECT_EQ(Screen().Beeps(), beeps);
  EXPECT_EQ(runner_->Env()->AppCount(), 0);
  EXPECT_TRUE(runner_->IsQuitRequested());
  EXPECT_TRUE(WindowTitles().empty()) << "the windows went once the press was handled";
}

TEST_F(DBFormTest, AFailingSearchShowsItsErrorBoxAndAnEmptyList) {
  OpenAndStart();
  User().ThenPress(Sj("了解"));
  runner_->Env()->FindApp(Sj("住所録").c_str())->ShowForm(Sj("壊れた連絡先").c_str());
  const OGTSeen* box = Screen().LastModal();
  ASSERT_NE(box, nullptr);
  ASSERT_FALSE(box->TextsOf(11).empty());
  EXPECT_EQ(box->TextsOf(11)[0], Sj("エラー：-2114\r検索できませんでした。"));
  OGTDBWindow* form = Form("壊れた連絡先");
  ASSERT_NE(form, nullptr);
  auto* list = dynamic_cast<OGTDBList*>(form->FindByID(5));
  EXPECT_EQ(list->RowCount(), 0);
  EXPECT_EQ(list->PositionText(), "0");
  EXPECT_EQ(form->RecSetHistory().Count(), 0) << "a failed search leaves no set to remember";
}

}  // namespace
