// The database form window against a real database, with a recording application: the update
// script after every show and clear, button and field scripts, values shown and gathered by type
// (flags, integers, long text, images), an item that cannot show a record, and a failure in a
// script caught at the platform's entry.
#include "gt/OGTDBWindow.h"

#include <gtest/gtest.h>

#include <fstream>
#include <stdexcept>

#include "PeopleDatabase.h"
#include "TempDir.h"
#include "TinyPng.h"
#include "base/VStream.h"
#include "db/schema/VValue.h"
#include "gt/OGTButton.h"
#include "gt/OGTDBField.h"
#include "gt/OGTDBFieldMV.h"
#include "gt/OGTDBImageField.h"
#include "gt/OGTDBList.h"
#include "gt/OGTDBValue.h"
#include "gt/OGTEvent.h"
#include "gt/OGTImage.h"
#include "gt/imp/headless/OGTHeadlessFactory.h"
#include "gt/imp/headless/OGTHeadlessScreen.h"
#include "gt/imp/headless/OGTHeadlessUser.h"

namespace {

// Records the scripts the window asks it to run; a script "throw" throws the engine's failure.
class RecordingApp : public OGTDBApp {
 public:
  void RunScript(const VString& script, OGTDBWindow*) override {
    runs.push_back(script.ToStdString());
    if (script.ToStdString() == "throw") throw VFailure(-2199);
    if (script.ToStdString() == "throw std") throw std::runtime_error("broken");
  }
  bool FormSearch(const char*, int32_t* file, std::string* statement) const override {
    if (search.empty()) return false;
    *file = 1;
    *statement = search;
    return true;
  }
  std::vector<std::string> runs;
  std::string search = "all;";
};

class DBWindowTest : public ::testing::Test {
 protected:
  DBWindowTest() : dir_(true) {
    db_.Insert({"one", "1"});
    db_.Insert({"two", "2", "", {"a", "b", "c"}});
    window_.Create(0, nullptr);
    window_.SetText("form");
    window_.SetUpdateScript("update");
    window_.Show();
    name_ = Add<OGTDBField>(1);
    name_->SetItemNumber(1);
    values_ = Add<OGTDBFieldMV>(2);
    values_->SetItemNumber(4);
    list_ = Add<OGTDBList>(3);
    list_->AddColumn("name", 80, 1);
    list_->SetScript("list script");
    button_ = Add<OGTButton>(4);
    button_->SetScript("button script");
    search_ = Add<OGTDBField>(5);
    search_->SetItemNumber(0);
    search_->SetScript("field script");
  }

  template <class Item>
  Item* Add(int32_t id) {
    auto made = std::make_unique<Item>();
    made->Create(0, &window_);
    auto* item = static_cast<Item*>(window_.AddChild(std::move(made), -1));
    item->SetID(id);
    item->SetSize(100, 60, false);
    item->Enable();
    item->Show();
    return item;
  }
  size_t Updates() const { return std::count(app_.runs.begin(), app_.runs.end(), "update"); }

  TempDir dir_;
  PeopleDatabase db_;
  OGTHeadlessFactory factory_;
  RecordingApp app_;
  OGTDBWindow window_;
  OGTDBField* name_ = nullptr;
  OGTDBFieldMV* values_ = nullptr;
  OGTDBList* list_ = nullptr;
  OGTButton* button_ = nullptr;
  OGTDBField* search_ = nullptr;
};

TEST_F(DBWindowTest, TheUpdateScriptRunsAfterEveryShowAndClear) {
  window_.Bind(&app_, &db_.Handle());
  EXPECT_EQ(name_->Text(), "one");
  EXPECT_EQ(Updates(), 1u);
  // A move, a find that finds nothing, a failing find (with its error box): each runs it.
  ASSERT_TRUE(factory_.User().ChooseRow(list_, 1));
  EXPECT_EQ(name_->Text(), "two");
  EXPECT_EQ(values_->RowCount(), 3);
  EXPECT_EQ(app_.runs.back(), "list script");
  EXPECT_EQ(Updates(), 2u);
  ASSERT_EQ(window_.ExecFind("[kage] = 99;", nullptr, true), kVOk);
  EXPECT_EQ(name_->Text(), "") << "cleared";
  EXPECT_EQ(values_->RowCount(), 0);
  EXPECT_EQ(window_.CurrentRecord(), nullptr);
  EXPECT_EQ(list_->PositionText(), "0");
  EXPECT_EQ(Updates(), 3u);
  factory_.User().ThenPress(Sj("了解"));
  EXPECT_EQ(window_.ExecFind("[nosuch] = 1;", "typed", true), -2114);
  EXPECT_EQ(Updates(), 4u);
  EXPECT_EQ(window_.FindHistory().Count(), 2) << "the histories grow after a failed find too";
  EXPECT_EQ(window_.ExecFind("", nullptr, true), -1);
  EXPECT_EQ(Updates(), 4u);
}

TEST_F(DBWindowTest, ScriptsOfButtonsAndFieldsRunThroughTheApplication) {
  window_.Bind(&app_, &db_.Handle());
  app_.runs.clear();
  ASSERT_TRUE(factory_.User().Press(button_));
  ASSERT_TRUE(factory_.User().Type(search_, "x\r"));
  EXPECT_EQ(app_.runs, (std::vector<std::string>{"button script", "field script"}));
  // The find words of the search field are kept with the find.
  ASSERT_EQ(window_.ExecFind("all;", nullptr, false), kVOk);
  ASSERT_NE(window_.FindHistory().Current(), nullptr);
  EXPECT_EQ(window_.FindHistory().Current()->words, (std::vector<std::string>{"x"}));
  // A window without an application runs nothing.
  OGTDBWindow alone;
  alone.OnEvent(button_, kOGTEventButtonPressed);
}

TEST_F(DBWindowTest, AFailureInAScriptIsShownAndThePlayerGoesOn) {
  window_.Bind(&app_, &db_.Handle());
  button_->SetScript("throw");
  factory_.User().ThenPress(Sj("了解"));
  ASSERT_TRUE(factory_.User().Press(button_));
  const OGTSeen* box = factory_.Screen().LastModal();
  ASSERT_NE(box, nullptr);
  ASSERT_FALSE(box->TextsOf(11).empty());
  EXPECT_EQ(box->TextsOf(11)[0].rfind(Sj("エラー：-2199\r"), 0), 0u) << box->TextsOf(11)[0];
  button_->SetScript("throw std");
  factory_.User().ThenPress(Sj("了解"));
  ASSERT_TRUE(factory_.User().Press(button_));
  EXPECT_EQ(factory_.Screen().LastModal()->TextsOf(11)[0].rfind(Sj("エラー：-1\r"), 0), 0u);
  // The window still works.
  ASSERT_TRUE(factory_.User().ChooseRow(list_, 1));
  EXPECT_EQ(name_->Text(), "two");
}

TEST_F(DBWindowTest, FlagsCharsIntegersAndLongTextShowAndGatherAsTheyWereWritten) {
  VRecord record;
  const auto put = [&record](int item, uint8_t type, const std::string& text) {
    ASSERT_EQ(record.SetValueFromText(item, type, reinterpret_cast<const uint8_t*>(text.data()),
                                      static_cast<int32_t>(text.size()), nullptr),
              kVOk);
  };
  put(6, kVTypeInteger, "-123456");
  const uint8_t flag[2] = {kVTypeFlag, 1};
  ASSERT_EQ(record.AddValue(5, flag, 2), kVOk);
  const uint8_t letter[2] = {kVTypeChar, 'A'};
  ASSERT_EQ(record.AddValue(3, letter, 2), kVOk);
  const std::string text(5000, 'x');
  ASSERT_EQ(record.SetValueFromText(8, kVTypeText, reinterpret_cast<const uint8_t*>(text.data()),
                                    static_cast<int32_t>(text.size()), &db_.Handle()),
            kVOk);
  auto* points = Add<OGTDBField>(10);
  points->SetItemNumber(6);
  auto* member = Add<OGTDBField>(11);
  member->SetItemNumber(5);
  auto* initial = Add<OGTDBField>(12);
  initial->SetItemNumber(3);
  auto* note = Add<OGTDBField>(13);
  note->SetItemNumber(8);
  db_.Insert(record);
  window_.Bind(&app_, &db_.Handle());
  ASSERT_TRUE(window_.RecordSet().Goto(2));
  window_.ShowCurrentRecord();
  EXPECT_EQ(points->Text(), "-123456");
  EXPECT_EQ(member->Text(), "1");
  EXPECT_EQ(initial->Text(), "A");
  EXPECT_EQ(note->Text(), text);

  // Gathered back they give the same values: shown, then gathered, a record is unchanged.
  VRecord gathered;
  name_->SetItemNumber(0);  // the other fields are left out of the comparison
  ASSERT_TRUE(window_.GatherRecord(&gathered));
  uint8_t type = 0;
  std::string bytes;
  ASSERT_EQ(OGTDBReadValue(gathered, 6, 1, &db_.Handle(), 100, &type, &bytes), kVOk);
  EXPECT_EQ(type, kVTypeInteger);
  EXPECT_EQ(bytes, "-123456");
  ASSERT_EQ(OGTDBReadValue(gathered, 5, 1, &db_.Handle(), 100, &type, &bytes), kVOk);
  EXPECT_EQ(bytes, std::string(1, '\1'));
  ASSERT_EQ(OGTDBReadValue(gathered, 3, 1, &db_.Handle(), 100, &type, &bytes), kVOk);
  EXPECT_EQ(bytes, "A");
  ASSERT_EQ(OGTDBReadValue(gathered, 8, 1, &db_.Handle(), 10000, &type, &bytes), kVOk);
  EXPECT_EQ(bytes, text);
  // Typed values: a flag is on for any non-zero number or "true", off otherwise; an integer that
  // is no number gives no value.
  VRecord typed;
  EXPECT_TRUE(OGTDBPutText(&typed, 1, kVTypeFlag, "0002", nullptr));
  EXPECT_TRUE(OGTDBPutText(&typed, 2, kVTypeFlag, "0.0", nullptr));
  EXPECT_TRUE(OGTDBPutText(&typed, 3, kVTypeFlag, "TRUE", nullptr));
  EXPECT_FALSE(OGTDBPutText(&typed, 4, kVTypeInteger, "twelve", nullptr));
  EXPECT_FALSE(OGTDBPutText(&typed, 4, kVTypeString, "", nullptr));
  EXPECT_FALSE(OGTDBPutText(&typed, 4, kVTypeBinary, "x", nullptr));
  VValueRef ref;
  ASSERT_EQ(typed.ValueRef(1, 1, &ref), kVOk);
  EXPECT_EQ(ref.bytes[0], 1);
  ASSERT_EQ(typed.ValueRef(2, 1, &ref), kVOk);
  EXPECT_EQ(ref.bytes[0], 0);
  ASSERT_EQ(typed.ValueRef(3, 1, &ref), kVOk);
  EXPECT_EQ(ref.bytes[0], 1);
  EXPECT_EQ(typed.OccurrenceCount(4), 0);
}

TEST_F(DBWindowTest, ImagesShowFromDataAndFilesAndAFailingItemNeverMixesTwoRecords) {
  auto* picture = Add<OGTDBImageField>(20);
  picture->SetItemNumber(7);
  auto* photo = Add<OGTDBImageField>(21);
  photo->SetItemNumber(8);
  auto* last = Add<OGTDBField>(22);
  last->SetItemNumber(1);
  // Record 3: PNG data and a PNG file; record 4: a file that is missing.
  {
    std::ofstream(dir_ / "pic.png", std::ios::binary)
        .write(reinterpret_cast<const char*>(TinyPng().data()),
               static_cast<std::streamsize>(TinyPng().size()));
  }
  VRecord good = PeopleDatabase::Record({"three"});
  ASSERT_EQ(good.SetValueFromText(7, kVTypePNG, TinyPng().data(),
                                  static_cast<int32_t>(TinyPng().size()), &db_.Handle()),
            kVOk);
  const std::string file = dir_ / "pic.png";
  ASSERT_EQ(good.SetValueFromText(8, kVTypeString, reinterpret_cast<const uint8_t*>(file.data()),
                                  static_cast<int32_t>(file.size())),
            kVOk);
  db_.Insert(good);
  VRecord bad = PeopleDatabase::Record({"four"});
  const std::string missing = dir_ / "missing.png";
  ASSERT_EQ(bad.SetValueFromText(8, kVTypeString, reinterpret_cast<const uint8_t*>(missing.data()),
                                 static_cast<int32_t>(missing.size())),
            kVOk);
  db_.Insert(bad);

  window_.Bind(&app_, &db_.Handle());
  ASSERT_TRUE(window_.RecordSet().Goto(2));
  window_.ShowCurrentRecord();
  EXPECT_TRUE(picture->IsLoaded());
  EXPECT_TRUE(photo->IsLoaded());
  int32_t width = 0;
  int32_t height = 0;
  picture->Image()->GetSize(width, height);
  EXPECT_EQ(width, 3);
  EXPECT_EQ(height, 2);
  EXPECT_EQ(window_.ShowFailures(), 0);

  // The next record's photo cannot be loaded: that field is emptied, the items after it still show
  // the new record, and the failure is told once.
  const int32_t beeps = factory_.Screen().Beeps();
  ASSERT_TRUE(window_.RecordSet().Next());
  window_.ShowCurrentRecord();
  EXPECT_FALSE(picture->IsLoaded()) << "no picture in this record";
  EXPECT_FALSE(photo->IsLoaded());
  EXPECT_EQ(last->Text(), "four");
  EXPECT_EQ(name_->Text(), "four");
  EXPECT_EQ(window_.ShowFailures(), 1);
  EXPECT_EQ(factory_.Screen().Beeps(), beeps + 1);
  // Data of the wrong kind is refused rather than taken for an image.
  EXPECT_FALSE(picture->LoadFromMemory(TinyPng().data(), TinyPng().size(), 1));
}

}  // namespace
