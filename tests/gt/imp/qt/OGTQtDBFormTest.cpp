// A database form on the Qt side, over a real database: fields, a record list with its corner,
// a multi-value field and an image field holding PNG data, drawn by Qt; a click on a list row
// shows that record. The screenshot is kept under screens/ for a person to look at.
#include <QTest>

#include "PeopleDatabase.h"
#include "QtScreens.h"
#include "QtSideFixture.h"
#include "TempDir.h"
#include "TinyPng.h"
#include "gt/OGTDBField.h"
#include "gt/OGTDBFieldMV.h"
#include "gt/OGTDBImageField.h"
#include "gt/OGTDBList.h"
#include "gt/OGTDBWindow.h"

namespace {

class AllRecords : public OGTDBApp {
 public:
  void RunScript(const VString&, OGTDBWindow*) override {}
  bool FormSearch(const char*, int32_t* file, std::string* statement) const override {
    *file = 1;
    *statement = "all;";
    return true;
  }
};

using DBFormTest = QtSideTest;

TEST_F(DBFormTest, ADatabaseFormShowsItsRecordsThroughQt) {
  TempDir dir(true);
  PeopleDatabase db;
  for (int i = 1; i <= 30; ++i) {
    VRecord record = PeopleDatabase::Record(
        {"山田 " + std::to_string(i), std::to_string(20 + i), "東京", {"友人", "仕事"}});
    ASSERT_EQ(record.SetValueFromText(7, kVTypePNG, TinyPng().data(),
                                      static_cast<int32_t>(TinyPng().size()), &db.Handle()),
              kVOk);
    db.Insert(record);
  }
  auto window = MakeWindow<OGTDBWindow>(0, 520, 300, Sj("連絡先"));
  auto* name = Place<OGTDBField>(*window, 10, 10, 200, 22);
  name->SetItemNumber(1);
  auto* age = Place<OGTDBField>(*window, 10, 40, 80, 22);
  age->SetItemNumber(2);
  auto* tags = Place<OGTDBFieldMV>(*window, 230, 10, 120, 60);
  tags->SetItemNumber(4);
  auto* picture = Place<OGTDBImageField>(*window, 370, 10, 60, 40);
  picture->SetItemNumber(7);
  auto* list = Place<OGTDBList>(*window, 10, 80, 480, 200);
  list->SetHeaderHeight(18);
  list->SetRowHeight(18);
  list->AddColumn(Sj("氏名").c_str(), 200, 1);
  list->AddColumn(Sj("年齢").c_str(), 60, 2);
  AllRecords app;
  window->Bind(&app, &db.Handle());
  ShowAndSettle(*window);
  QImage image = SaveScreen(ClientOf(window.get()), "database-form");

  EXPECT_EQ(name->Text(), Sj("山田 1"));
  EXPECT_GT(InkIn(image, QRect(12, 12, 100, 18)), 30) << "the name field's text";
  EXPECT_GT(InkIn(image, QRect(235, 12, 80, 40)), 30) << "the tags";
  // The PNG picture: red pixels in the image field.
  int red = 0;
  for (int y = 10; y < 50; ++y) {
    for (int x = 370; x < 430; ++x) {
      if (image.valid(x, y) && image.pixel(x, y) == qRgb(255, 0, 0)) ++red;
    }
  }
  EXPECT_EQ(red, 6) << "the 3 x 2 picture, unscaled";
  EXPECT_GT(InkIn(image, QRect(15, 100, 150, 60)), 100) << "the rows";
  EXPECT_EQ(list->PositionText(), "1/30");

  // A click on the third row shows that record.
  QWidget* surface = WidgetOf(list);
  QTest::mouseClick(surface, Qt::LeftButton, {}, QPoint(40, 18 + 18 * 2 + 5));
  QApplication::processEvents();
  EXPECT_EQ(list->FirstSelected(), 2);
  EXPECT_EQ(name->Text(), Sj("山田 3"));
  EXPECT_EQ(age->Text(), "23");
  EXPECT_EQ(list->PositionText(), "3/30");
  SaveScreen(ClientOf(window.get()), "database-form-third-row");
  window.reset();
  db.Close();
}

}  // namespace
