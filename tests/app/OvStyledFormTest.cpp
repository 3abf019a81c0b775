// Styled-text fields in a database form, against a real database through the headless side: the
// record's markup shown, the words of a field find marked and unmarked, a find on the selected
// text only, Return running the field's script, and inserts and updates that keep the record's
// styles and leave alone what the field did not change.
#include <gtest/gtest.h>

#include "PeopleDatabase.h"
#include "PlayerFixture.h"
#include "app/OvAEnv.h"
#include "app/OvApp.h"
#include "gt/OGTDBWindow.h"
#include "gt/OGTEvent.h"
#include "vtx/OGTDBStyleEdit.h"

namespace {

const char* kForms = R"([Application]
  Name = "メモ";  Startup = 1;
  [Search]
    Name = "全員";  DBFileNbr = 1;  Statement = "all";
  [/Search]
  [Form]
    Name = "メモ帳";  FormType = 3;  Startup = 1;  Visible = 1;  Enable = 1;  SearchName = "全員";
    [DBField]
      ID = 1;  DBItemNbr = 0;  Visible = 1;  Enable = 1;
    [/DBField]
    [DBStyleEdit]
      ID = 2;  DBItemNbr = 3;  X = 10;  Y = 40;  Width = 300;  Height = 120;
      Visible = 1;  Enable = 1;  ActionScript = { @SetVisible(FieldID = 3, visible = no); };
    [/DBStyleEdit]
    [DBField]
      ID = 3;  DBItemNbr = 1;  Visible = 1;  Enable = 1;
    [/DBField]
    [Button]
      ID = 10;  Visible = 1;  Enable = 1;
      ActionScript = { @ExecFieldFind(FieldID = 1, DBItem = 3, IMatch = 0, Mid, Mid);
                       @SelectFindWord(FieldID = 2, 3, 99); };
    [/Button]
    [Button]
      ID = 11;  Visible = 1;  Enable = 1;  ActionScript = { @SelectFindWord(FieldID = 2, Type = clear); };
    [/Button]
    [Button]
      ID = 12;  Visible = 1;  Enable = 1;
      ActionScript = { @ExecFieldFind(FieldID = 2, DBItem = 3, IMatch = 0, Mid, Mid,
                        UseSelection = yes); };
    [/Button]
    [Button]
      ID = 13;  Visible = 1;  Enable = 1;  ActionScript = { @UpdateRec(Commit = no); };
    [/Button]
    [Button]
      ID = 14;  Visible = 1;  Enable = 1;  ActionScript = { @InsertRec(Commit = no); };
    [/Button]
  [/Form]
[/Application]
)";

const char* kRedNote = "<B>red</B> apple, <COLOR \"red\">RED</COLOR> wine";

class StyledFormTest : public PlayerTest {
 protected:
  void SetUp() override {
    {
      PeopleDatabase db;
      Note(db, "Sato", kRedNote);
      Note(db, "Ito", "blue <I>sky</I>");
      db.Insert({"Abe", "29"});
    }
    WriteDefinition("forms.ova", kForms);
    OpenAndStart();
    OvApp* app = runner_->Env()->FindApp(Sj("メモ").c_str());
    form_ = dynamic_cast<OGTDBWindow*>(app->FindOpenForm(Sj("メモ帳").c_str()));
    ASSERT_NE(form_, nullptr);
    note_ = dynamic_cast<OGTDBStyleEdit*>(form_->FindByID(2));
    ASSERT_NE(note_, nullptr);
  }

  // The notes are kept in item 3, a String item with a key, so that a field find can look in them.
  static void Note(PeopleDatabase& db, const char* name, const std::string& markup) {
    VRecord record = PeopleDatabase::Record({name});
    ASSERT_EQ(
        record.SetValueFromText(3, kVTypeString, reinterpret_cast<const uint8_t*>(markup.data()),
                                static_cast<int32_t>(markup.size())),
        kVOk);
    db.Insert(record);
  }

  OGTItem* Item(int32_t id) { return form_->FindByID(id); }
  std::string Value(uint32_t r, int item) {
    VRecord record;
    if (runner_->Env()->Handle()->Read(1, r, &record) != kVOk) return "<none>";
    VValueRef ref;
    if (record.ValueRef(item, 1, &ref) != kVOk) return "<absent>";
    return std::string(reinterpret_cast<const char*>(ref.bytes), ref.length);
  }
  std::vector<std::pair<uint32_t, uint32_t>> Marks() {
    std::vector<std::pair<uint32_t, uint32_t>> marks;
    for (int32_t i = 0; i < note_->MarkCount(); ++i) {
      uint32_t start = 0;
      uint32_t end = 0;
      EXPECT_TRUE(note_->GetMark(i, &start, &end));
      marks.emplace_back(start, end);
    }
    return marks;
  }

  OGTDBWindow* form_ = nullptr;
  OGTDBStyleEdit* note_ = nullptr;
};

TEST_F(StyledFormTest, TheRecordsMarkupShowsAsStyledText) {
  EXPECT_EQ(note_->Text(), "red apple, RED wine");
  EXPECT_EQ(note_->Markup(), kRedNote);
  // The template makes the styled field with variant 1.
  EXPECT_EQ(note_->Variant(), 1);
  EXPECT_NE(note_->VerticalBar(), nullptr);
}

TEST_F(StyledFormTest, TheFoundWordsAreMarkedAndUnmarked) {
  Item(1)->SetText("red");
  ASSERT_TRUE(User().Press(Item(10)));
  EXPECT_EQ(form_->RecordSet().Statement(), "[3]=?\"red\"?;");
  EXPECT_EQ(form_->FindWords(), (std::vector<std::string>{"red"}));
  // The word is found in the markup of the first record; its marks ignore letter case.
  EXPECT_EQ(note_->Text(), "red apple, RED wine");
  using Marks_ = std::vector<std::pair<uint32_t, uint32_t>>;
  EXPECT_EQ(Marks(), (Marks_{{0, 3}, {11, 14}}));
  ASSERT_TRUE(User().Press(Item(11)));
  EXPECT_TRUE(Marks().empty());
  // Marking again replaces the marks rather than adding to them.
  ASSERT_TRUE(User().Press(Item(10)));
  ASSERT_TRUE(User().Press(Item(10)));
  EXPECT_EQ(Marks().size(), 2u);
}

TEST_F(StyledFormTest, AFindCanTakeOnlyTheSelectedText) {
  note_->SetSelection(4, 9);
  ASSERT_TRUE(User().Press(Item(12)));
  EXPECT_EQ(form_->RecordSet().Statement(), "[3]=?\"apple\"?;");
  EXPECT_EQ(form_->RecordSet().StoredCount(), 1);
  // Without a selection the field gives nothing, and the find does not run.
  note_->SetSelection(0, 0);
  const int32_t beeps = Screen().Beeps();
  ASSERT_TRUE(User().Press(Item(12)));
  EXPECT_EQ(Screen().Beeps(), beeps + 1);
  EXPECT_EQ(form_->RecordSet().Statement(), "[3]=?\"apple\"?;");
}

TEST_F(StyledFormTest, ReturnInTheStyledFieldRunsItsScript) {
  ASSERT_TRUE(Item(3)->IsVisible());
  ASSERT_TRUE(User().Focus(note_));
  User().Key(kOGTKeyReturn);
  EXPECT_FALSE(Item(3)->IsVisible());
  EXPECT_EQ(note_->Text(), "red apple, RED wine") << "Return is not typed";
}

TEST_F(StyledFormTest, UpdatesKeepTheStylesAndWhatTheFieldDidNotChange) {
  // The name changes; the note, shown but unchanged, is stored exactly as it was.
  Item(3)->SetText("Satou");
  ASSERT_TRUE(User().Press(Item(13)));
  EXPECT_EQ(Value(1, 1), "Satou");
  EXPECT_EQ(Value(1, 3), kRedNote);
  // Typing into the note stores its markup, styles and all.
  note_->SetSelection(0, 0);
  ASSERT_TRUE(User().Type(note_, "a "));
  ASSERT_TRUE(User().Press(Item(13)));
  EXPECT_EQ(Value(1, 3), std::string("<B>a red</B> apple, <COLOR \"red\">RED</COLOR> wine"));
  EXPECT_EQ(Value(1, 1), "Satou");
  // An emptied note removes its value.
  note_->SelectAllText();
  ASSERT_TRUE(User().Type(note_, "\b"));
  ASSERT_EQ(note_->TextLength(), 0u);
  ASSERT_TRUE(User().Press(Item(13)));
  EXPECT_EQ(Value(1, 3), "<absent>");
  EXPECT_EQ(Value(1, 1), "Satou");
}

TEST_F(StyledFormTest, AnInsertStoresTheNotesMarkup) {
  Item(3)->SetText("Ueda");
  ASSERT_TRUE(User().Press(Item(14)));
  EXPECT_EQ(Value(4, 1), "Ueda");
  EXPECT_EQ(Value(4, 3), kRedNote) << "the styles of the note shown are not lost";
}

}  // namespace
