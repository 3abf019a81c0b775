// Editing records from forms, against a real database through the headless side: inserting,
// updating (the values a form does not show stay), deleting with its question, committing and
// cancelling with the transaction log (the database comes back exactly), a record another user
// holds, moving through the set, rebuilding a form in place, sounds, and enabling and hiding
// items by the current record.
#include <gtest/gtest.h>

#include <map>

#include "PeopleDatabase.h"
#include "PlayerFixture.h"
#include "app/OvAEnv.h"
#include "app/OvApp.h"
#include "db/engine/VUQue.h"
#include "db/schema/VConfig.h"
#include "db/store/VDBCheck.h"
#include "gt/OGTDBList.h"
#include "gt/OGTDBWindow.h"

namespace {

const char* kForms = R"([Application]
  Name = "住所録";  Startup = 1;
  [Search]
    Name = "全員";  DBFileNbr = 1;  Statement = "all";
  [/Search]
  [Search]
    Name = "東京";  DBFileNbr = 1;  Statement = { [kcity] = "Tokyo"; };
  [/Search]
  [Form]
    Name = "連絡先";  FormType = 3;  Startup = 1;  Visible = 1;  Enable = 1;  SearchName = "全員";
    UpdateScript = { @SetEnable(DBItem = 5, FieldID = 30, EnableType = number); };
    [DBField]
      ID = 1;  DBItemNbr = 1;  Visible = 1;  Enable = 1;
    [/DBField]
    [DBField]
      ID = 2;  DBItemNbr = 2;  Visible = 1;  Enable = 1;
    [/DBField]
    [DBField]
      ID = 3;  DBItemNbr = 4;  DBItemOcrNbr = 2;  Visible = 1;  Enable = 1;
    [/DBField]
    [DBList]
      ID = 5;  X = 10;  Y = 100;  Width = 300;  Height = 200;  Visible = 1;  Enable = 1;
      ListLabelHeight = 18;  ListLineHeight = 16;  DBListLabel = "名前", 120, 1, 0;
    [/DBList]
    [Button]
      ID = 10;  Visible = 1;  Enable = 1;  ActionScript = { @InsertRec(); };
    [/Button]
    [Button]
      ID = 11;  Visible = 1;  Enable = 1;  ActionScript = { @UpdateRec(Commit = no); };
    [/Button]
    [Button]
      ID = 12;  Visible = 1;  Enable = 1;  ActionScript = { @DeleteRec(Commit = no); };
    [/Button]
    [Button]
      ID = 13;  Visible = 1;  Enable = 1;  ActionScript = { @CommitWork(); };
    [/Button]
    [Button]
      ID = 14;  Visible = 1;  Enable = 1;  ActionScript = { @CancelWork(); };
    [/Button]
    [Button]
      ID = 15;  Visible = 1;  Enable = 1;  ActionScript = { @SelectIdx(Index = next); };
    [/Button]
    [Button]
      ID = 16;  Visible = 1;  Enable = 1;
      ActionScript = { @ShowForm(Form = ask); @ShowForm(Form = "東京の人", Target = self); };
    [/Button]
    [Button]
      ID = 17;  Visible = 1;  Enable = 1;
      ActionScript = { @PlaySound(DBItem = 1, Prefix = "sounds/", Suffix = ".wav"); };
    [/Button]
    [Button]
      ID = 18;  Visible = 1;  Enable = 1;  ActionScript = { @InsertRec(Commit = no); };
    [/Button]
    [Button]
      ID = 19;  Visible = 1;  Enable = 1;  ActionScript = { @SetVisible(FieldID = 1, 2, visible = no); };
    [/Button]
    [Button]
      ID = 30;  Visible = 1;  Enable = 1;
    [/Button]
  [/Form]
  [Form]
    Name = "東京の人";  FormType = 3;  Visible = 1;  Enable = 1;  SearchName = "東京";
    [DBField]
      ID = 1;  DBItemNbr = 1;  Visible = 1;  Enable = 1;
    [/DBField]
    [DBList]
      ID = 5;  X = 10;  Y = 100;  Width = 300;  Height = 200;  Visible = 1;  Enable = 1;
      ListLabelHeight = 18;  ListLineHeight = 16;  DBListLabel = "名前", 120, 1, 0;
    [/DBList]
  [/Form]
[/Application]
)";

// Every record of file 1 by number, and every entry of keys 1 to 4.
std::map<std::string, std::string> Dump(VDBHandle& db) {
  std::map<std::string, std::string> out;
  int32_t read = 0;
  EXPECT_EQ(db.PhysicalLocate(1, &read), kVOk);
  uint32_t r = 0;
  VRecord record;
  while (db.PhysicalRead(1, read, &r, &record) == kVOk) {
    out["r" + std::to_string(r)] =
        std::string(reinterpret_cast<const char*>(record.Image()), record.ImageLength());
  }
  EXPECT_EQ(db.PhysicalCancel(1, read), kVOk);
  for (int key = 1; key <= 4; ++key) {
    int32_t sequence = 0;
    VResult result = db.KeyLocate(1, key, "", &sequence);
    std::string value;
    std::vector<uint32_t> numbers;
    std::string entries;
    while (result == kVOk && (result = db.KeyRead(1, sequence, &value, &numbers)) == kVOk) {
      entries += value + ":";
      for (uint32_t n : numbers) entries += std::to_string(n) + ",";
    }
    if (sequence != 0) {
      EXPECT_EQ(db.KeyCancel(1, sequence), kVOk);
    }
    out["k" + std::to_string(key)] = entries;
  }
  return out;
}

class EditFormTest : public PlayerTest {
 protected:
  void Start(bool transactionLog = false) {
    {
      PeopleDatabase db("./Varnex.conf", transactionLog);
      db.Insert({"Sato", "41", "Tokyo", {"a", "b", "c"}});
      db.Insert({"Ito", "35", "Osaka"});
      db.Insert({"Abe", "29", "Tokyo"});
    }
    WriteDefinition("forms.ova", kForms);
    OpenAndStart();
    form_ = dynamic_cast<OGTDBWindow*>(App()->FindOpenForm(Sj("連絡先").c_str()));
    ASSERT_NE(form_, nullptr);
  }
  OvApp* App() { return runner_->Env()->FindApp(Sj("住所録").c_str()); }
  OGTItem* Item(int32_t id) { return form_->FindByID(id); }
  VDBHandle& Db() { return *runner_->Env()->Handle(); }
  std::string Value(uint32_t r, int item, int occurrence = 1) {
    VRecord record;
    if (Db().Read(1, r, &record) != kVOk) return "<none>";
    VValueRef ref;
    if (record.ValueRef(item, occurrence, &ref) != kVOk) return "<absent>";
    return std::string(reinterpret_cast<const char*>(ref.bytes), ref.length);
  }
  const OGTSeen* LastBox() { return Screen().LastModal(); }

  OGTDBWindow* form_ = nullptr;
};

TEST_F(EditFormTest, AnUpdateKeepsWhatTheFormDoesNotShow) {
  Start();
  // The form shows the name, the age and the second tag of record 1; the city and the other
  // tags are not on it.
  EXPECT_EQ(Item(3)->Text(), "b");
  Item(1)->SetText("Satou");
  Item(3)->SetText("B");
  ASSERT_TRUE(User().Press(Item(11)));
  EXPECT_EQ(Value(1, 1), "Satou");
  EXPECT_EQ(Value(1, 2), "41");
  EXPECT_EQ(Value(1, 3), "Tokyo") << "an item the form does not show";
  EXPECT_EQ(Value(1, 4, 1), "a");
  EXPECT_EQ(Value(1, 4, 2), "B");
  EXPECT_EQ(Value(1, 4, 3), "c") << "an occurrence the form does not show";
  // An emptied field removes the value it showed, and only that one.
  Item(2)->SetText("");
  ASSERT_TRUE(User().Press(Item(11)));
  EXPECT_EQ(Value(1, 2), "<absent>");
  EXPECT_EQ(Value(1, 3), "Tokyo");
  // A number field holding no number refuses the update and changes nothing.
  Item(2)->SetText("forty");
  User().ThenPress(Sj("了解"));
  ASSERT_TRUE(User().Press(Item(11)));
  EXPECT_EQ(LastBox()->TextsOf(11)[0], Sj("エラー：-210\r更新できませんでした。"));
  EXPECT_EQ(Value(1, 1), "Satou");
}

TEST_F(EditFormTest, InsertShowsTheNewRecordLastAndAnEmptyFormInsertsNothing) {
  Start();
  auto* list = dynamic_cast<OGTDBList*>(Item(5));
  for (int id : {1, 2, 3}) Item(id)->SetText("");
  ASSERT_TRUE(User().Press(Item(10)));
  EXPECT_EQ(list->PositionText(), "1/3") << "nothing was inserted";
  Item(1)->SetText("Ueda");
  Item(2)->SetText("52");
  ASSERT_TRUE(User().Press(Item(10)));
  EXPECT_EQ(list->PositionText(), "4/4");
  EXPECT_EQ(Item(1)->Text(), "Ueda");
  EXPECT_EQ(Value(4, 1), "Ueda");
  // Next on the last record does nothing, not even the update script's work.
  ASSERT_TRUE(User().Press(Item(15)));
  EXPECT_EQ(list->PositionText(), "4/4");
}

TEST_F(EditFormTest, DeleteAsksFirstAndShowsTheNewLastRecord) {
  Start();
  auto* list = dynamic_cast<OGTDBList*>(Item(5));
  ASSERT_TRUE(User().ChooseRow(list, 2));
  User().ThenPress(Sj("いいえ"));
  ASSERT_TRUE(User().Press(Item(12)));
  EXPECT_EQ(Value(3, 1), "Abe") << "answered no: nothing changed";
  User().ThenPress(Sj("はい"));
  ASSERT_TRUE(User().Press(Item(12)));
  EXPECT_EQ(Value(3, 1), "<none>");
  EXPECT_EQ(list->PositionText(), "2/2");
  EXPECT_EQ(Item(1)->Text(), "Ito");
  for (int i = 0; i < 2; ++i) {
    User().ThenPress(Sj("はい"));
    ASSERT_TRUE(User().Press(Item(12)));
  }
  EXPECT_EQ(list->PositionText(), "0");
  EXPECT_EQ(Item(1)->Text(), "") << "the only record went: the items are cleared";
  EXPECT_EQ(form_->CurrentRecord(), nullptr);
}

TEST_F(EditFormTest, CancelWorkRestoresTheDatabaseExactlyAfterAnyMixOfChanges) {
  Start(true);
  const std::map<std::string, std::string> before = Dump(Db());
  Item(1)->SetText("Ueda");
  ASSERT_TRUE(User().Press(Item(18)));  // insert without commit
  Item(1)->SetText("Sakai");
  ASSERT_TRUE(User().Press(Item(18)));
  auto* list = dynamic_cast<OGTDBList*>(Item(5));
  ASSERT_TRUE(User().ChooseRow(list, 0));
  Item(1)->SetText("Sato2");
  Item(3)->SetText("");
  ASSERT_TRUE(User().Press(Item(11)));  // update, no commit
  ASSERT_TRUE(User().ChooseRow(list, 1));
  User().ThenPress(Sj("はい"));
  ASSERT_TRUE(User().Press(Item(12)));  // delete, no commit
  EXPECT_NE(Dump(Db()), before);
  ASSERT_TRUE(User().Press(Item(14)));
  EXPECT_EQ(Dump(Db()), before);
  EXPECT_EQ(list->PositionText(), "1/3");
  EXPECT_EQ(Item(1)->Text(), "Sato");
  // And once committed, a change stays.
  Item(1)->SetText("Sato3");
  ASSERT_TRUE(User().Press(Item(11)));
  ASSERT_TRUE(User().Press(Item(13)));
  ASSERT_TRUE(User().Press(Item(14)));
  EXPECT_EQ(Value(1, 1), "Sato3");
  // The integrity check reads the files while no engine holds them.
  ASSERT_TRUE(User().Close(form_));
  form_ = nullptr;
  ASSERT_EQ(runner_->Env()->CloseDatabase(), kVOk);
  VConfig config("./Varnex.conf");
  VDBCheck check(&config);
  EXPECT_EQ(check.CheckFile(*PeopleDatabase::FileSchema()), 0)
      << (check.Problems().empty() ? "" : check.Problems()[0]);
}

TEST_F(EditFormTest, ARecordAnotherUserHoldsRefusesTheUpdateAndLosesNothing) {
  Start(true);
  VUQue other("other");
  VDBHandle second(runner_->Env()->Engine());
  second.SetQueue(&other);
  ASSERT_EQ(second.Update(1, 1, PeopleDatabase::Record({"Held", "1"})), kVOk);
  Item(1)->SetText("Mine");
  User().ThenPress(Sj("了解"));
  ASSERT_TRUE(User().Press(Item(11)));
  EXPECT_EQ(LastBox()->TextsOf(11)[0], Sj("エラー：-504\r更新できませんでした。"));
  ASSERT_EQ(second.Commit(), kVOk);
  EXPECT_EQ(Value(1, 1), "Held");
  EXPECT_EQ(Item(1)->Text(), "Mine") << "what was typed is still there to try again";
}

TEST_F(EditFormTest, ClosingAWindowCommitsWhatIsOpen) {
  Start(true);
  Item(1)->SetText("Closed");
  ASSERT_TRUE(User().Press(Item(11)));
  ASSERT_TRUE(User().Close(form_));
  form_ = nullptr;
  // Cancelling now has nothing left to undo.
  ASSERT_EQ(Db().Cancel(), kVOk);
  EXPECT_EQ(Value(1, 1), "Closed");
}

TEST_F(EditFormTest, FormCommandsRebuildPlayEnableAndHide) {
  std::filesystem::create_directory("sounds");
  std::ofstream("sounds/Sato.wav") << "RIFF....WAVEfmt ";
  Start();
  // The update script enabled item 30 only when item 5 holds a number: record 1 has none.
  EXPECT_FALSE(Item(30)->IsEnabled());
  ASSERT_TRUE(User().Press(Item(17)));
  ASSERT_FALSE(Screen().Seen().empty());
  EXPECT_EQ(Screen().Seen().back().what, OGTSeen::kSound);
  EXPECT_EQ(Screen().Seen().back().path, "sounds/Sato.wav");
  EXPECT_TRUE(Screen().Seen().back().played);
  ASSERT_TRUE(User().Press(Item(19)));
  EXPECT_FALSE(Item(1)->IsVisible());
  EXPECT_FALSE(Item(2)->IsVisible());
  // "ask" does nothing; "self" rebuilds this window from the other form, with its search.
  ASSERT_TRUE(User().Press(Item(16)));
  EXPECT_EQ(form_->Text(), Sj("東京の人"));
  EXPECT_EQ(form_->ChildCount(), 2);
  auto* list = dynamic_cast<OGTDBList*>(form_->FindByID(5));
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(list->PositionText(), "1/2");
  EXPECT_EQ(form_->FindByID(1)->Text(), "Sato");
  EXPECT_EQ(App()->ChildCount(), 1) << "in place, no second window";
}

}  // namespace
