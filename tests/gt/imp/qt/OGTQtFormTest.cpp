// Windows and dialogs built from a definition file with every plain control kind, shown on the Qt
// side, used through QTest as a person would, and photographed.
#include <QCheckBox>
#include <QLabel>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>

#include "QtScreens.h"
#include "QtSideFixture.h"
#include "base/VStream.h"
#include "gt/OGTButton.h"
#include "gt/OGTField.h"
#include "gt/OGTList.h"
#include "gt/OGTScrollBar.h"
#include "template/OFTApp.h"
#include "template/OFTBuild.h"
#include "template/OFTForm.h"
#include "template/OFTPool.h"

namespace {

const char* kDefinition = R"([Application]
  Name = "画面試験";
  [Form]
    Name = "顧客登録";
    FormType = 1;  Type = 1;  ID = 100;
    X = 10;  Y = 20;  Width = 420;  Height = 260;
    Visible = 1;  Active = 1;  Enable = 1;
    [Label]
      ID = 1;  X = 10;  Y = 10;  Width = 90;  Height = 20;
      Title = "顧客名";  Visible = 1;  Enable = 1;
    [/Label]
    [Field]
      ID = 2;  X = 110;  Y = 10;  Width = 200;  Height = 22;
      Title = "山田太郎";  Visible = 1;  Active = 1;  Enable = 1;
    [/Field]
    [Button]
      ID = 3;  X = 320;  Y = 10;  Width = 80;  Height = 24;
      Title = "登録";  Visible = 1;  Enable = 1;
    [/Button]
    [Line]
      ID = 4;  X = 10;  Y = 40;  Width = 400;  Height = 2;  Visible = 1;
    [/Line]
    [Plane]
      ID = 5;  X = 10;  Y = 50;  Width = 64;  Height = 60;  Visible = 1;
    [/Plane]
    [Circle]
      ID = 6;  X = 80;  Y = 50;  Width = 30;  Height = 30;  Visible = 1;
    [/Circle]
    [RadioButton]
      ID = 7;  X = 120;  Y = 50;  Width = 70;  Height = 20;
      Title = "法人";  InitiallyOn = 1;  Visible = 1;  Enable = 1;
    [/RadioButton]
    [CheckBox]
      ID = 8;  X = 200;  Y = 50;  Width = 70;  Height = 20;
      Title = "休眠";  InitiallyOn = 0;  Visible = 1;  Enable = 1;
    [/CheckBox]
    [ScrollBar]
      ID = 9;  X = 390;  Y = 50;  Width = 16;  Height = 100;  Type = 1;  Visible = 1;  Enable = 1;
    [/ScrollBar]
    [List]
      ID = 10;  X = 10;  Y = 120;  Width = 300;  Height = 120;
      ListLabel = "コード", 60;
      ListLabel = "名前", 200;
      Visible = 1;  Enable = 1;
    [/List]
  [/Form]
  [Form]
    Name = "登録確認";
    FormType = 2;  Type = 0;  ID = 200;
    X = 60;  Y = 80;  Width = 300;  Height = 150;
    Visible = 1;  Enable = 1;
    [Label]
      ID = 1;  X = 10;  Y = 10;  Width = 280;  Height = 40;
      Title = "登録してよろしいですか？";  Visible = 1;  Enable = 1;
    [/Label]
    [Field]
      ID = 2;  X = 10;  Y = 55;  Width = 280;  Height = 22;  Visible = 1;  Enable = 1;
    [/Field]
    [Button]
      ID = 3;  X = 210;  Y = 115;  Width = 80;  Height = 24;
      Title = "はい";  Visible = 1;  Enable = 1;
    [/Button]
    [Button]
      ID = 4;  X = 10;  Y = 115;  Width = 80;  Height = 24;
      Title = "いいえ";  Visible = 1;  Enable = 1;
    [/Button]
  [/Form]
[/Application]
)";

class FormTest : public QtSideTest {
 protected:
  void SetUp() override {
    QtSideTest::SetUp();
    std::string sjis = Sj(kDefinition);
    VROMStream stream(sjis.data(), static_cast<int64_t>(sjis.size()));
    pool_.ReadDefinition(stream);
    app_ = pool_.FindApp(Sj("画面試験").c_str());
    ASSERT_NE(app_, nullptr);
  }

  static void ExpectBounds(OGTItem* item, int32_t x, int32_t y, int32_t width, int32_t height) {
    ASSERT_NE(item, nullptr);
    OGTRect bounds;
    item->GetBounds(bounds);
    EXPECT_EQ(bounds, OGTRect(y, x, y + height, x + width)) << "item " << item->GetID();
    EXPECT_TRUE(item->IsVisible()) << "item " << item->GetID();
  }

  OFTPool pool_;
  OFTApp* app_ = nullptr;
};

TEST_F(FormTest, APlainWindowFormShowsEveryControlKindWhereItsDefinitionPutsIt) {
  // The items are built into a window that records the events they send.
  RecordingWindow window;
  window.Create(1, nullptr);
  BuildFormItems(&window, app_->FindForm(Sj("顧客登録").c_str()), false);
  QApplication::processEvents();

  auto* sub = As<QMdiSubWindow>(&window);
  ASSERT_NE(sub, nullptr);
  EXPECT_EQ(sub->windowTitle(), Q("顧客登録"));
  EXPECT_EQ(ClientOf(&window)->size(), QSize(420, 260));
  EXPECT_EQ(window.GetID(), 100);
  ASSERT_EQ(window.ChildCount(), 10);
  const int32_t kinds[] = {11, 12, 13, 3, 4, 5, 14, 16, 19, 20};
  for (int32_t i = 0; i < 10; ++i) EXPECT_EQ(window.ChildAt(i)->Kind(), kinds[i]);
  ExpectBounds(window.FindByID(1), 10, 10, 90, 20);
  ExpectBounds(window.FindByID(3), 320, 10, 80, 24);
  ExpectBounds(window.FindByID(9), 390, 50, 16, 100);
  ExpectBounds(window.FindByID(10), 10, 120, 300, 120);
  EXPECT_EQ(As<QLabel>(window.FindByID(1))->text(), Q("顧客名"));
  EXPECT_EQ(window.FindByID(2)->Text(), Sj("山田太郎"));
  EXPECT_EQ(As<QRadioButton>(window.FindByID(7))->text(), Q("法人"));
  EXPECT_TRUE(As<QRadioButton>(window.FindByID(7))->isChecked());
  EXPECT_FALSE(As<QCheckBox>(window.FindByID(8))->isChecked());
  EXPECT_EQ(As<QScrollBar>(window.FindByID(9))->orientation(), Qt::Vertical);
  EXPECT_EQ(window.FocusedItem(), window.FindByID(2));  // the first control that takes the focus

  QImage image = SaveScreen(ClientOf(&window), "definition_plain_form");
  EXPECT_GT(InkIn(image, QRect(10, 10, 90, 20)), 30);   // the label's text
  EXPECT_GT(InkIn(image, QRect(120, 52, 70, 16)), 30);  // the radio button and its text
  // A plain list keeps a header height of 0 and has no rows: its bars stand at its edges.
  auto* list = dynamic_cast<OGTList*>(window.FindByID(10));
  ASSERT_NE(list, nullptr);
  ASSERT_NE(list->VerticalBar(), nullptr);
  ExpectBounds(list->VerticalBar(), 310 - list->VerticalBar()->Thickness(), 120,
               list->VerticalBar()->Thickness(), 120 - list->HorizontalBar()->Thickness());
  EXPECT_GT(InkIn(image, QRect(320, 10, 80, 24)), 30);  // the button

  // A person types into the field and presses the button, the radio button and the check box.
  OGTItem* field = window.FindByID(2);
  QWidget* edit = WidgetOf(field);
  edit->setFocus();
  QTest::keyClick(edit, Qt::Key_End, Qt::ControlModifier);
  QTest::keyClicks(edit, "-san");
  QTest::keyClick(edit, Qt::Key_Return);
  QTest::mouseClick(WidgetOf(window.FindByID(3)), Qt::LeftButton);
  QTest::mouseClick(WidgetOf(window.FindByID(8)), Qt::LeftButton, {}, QPoint(6, 10));
  EXPECT_EQ(field->Text(), Sj("山田太郎-san"));
  EXPECT_TRUE(field->IsModified());
  std::vector<std::pair<int32_t, int32_t>> events;
  for (const RecordedEvent& e : window.events) events.emplace_back(e.item->GetID(), e.code);
  // Return, then the field left changed as the button takes the focus, the press, the check.
  EXPECT_EQ(events, (std::vector<std::pair<int32_t, int32_t>>{{2, 21}, {2, 22}, {3, 11}, {8, 13}}));
  int32_t checked = 0;
  window.FindByID(8)->GetValue(checked);
  EXPECT_EQ(checked, 1);
}

TEST_F(FormTest, ADialogFormWaitsForItsButtonsAndTakesWhatIsTyped) {
  std::unique_ptr<OGTWindow> built = BuildWindow(app_, Sj("登録確認").c_str());
  auto* dialog = dynamic_cast<OGTDialog*>(built.get());
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(dialog->Text(), Sj("登録確認"));
  int32_t x, y, width, height;
  dialog->GetPosition(x, y);
  dialog->GetSize(width, height);
  EXPECT_EQ(std::make_tuple(x, y, width, height), std::make_tuple(60, 80, 300, 150));

  bool photographed = false;
  WhenModal([&](QWidget* modal) {
    QImage image = SaveScreen(modal, "definition_dialog_form");
    EXPECT_GT(InkIn(image, QRect(10, 10, 280, 40)), 30);
    photographed = true;
    auto* edit = modal->findChild<QPlainTextEdit*>();
    ASSERT_NE(edit, nullptr);
    edit->setFocus();
    QTest::keyClicks(edit, "memo");
    for (QPushButton* button : modal->findChildren<QPushButton*>()) {
      if (button->text() == Q("はい")) QTest::mouseClick(button, Qt::LeftButton);
    }
  });
  dialog->BeginModal();
  OGTItem* pressed = nullptr;
  while (pressed == nullptr && !dialog->WaitOver()) {
    OGTItem* item = dialog->WaitForEvent();
    if (item != nullptr && dialog->LastEventCode() == 11) pressed = item;
  }
  dialog->EndModal();
  EXPECT_TRUE(photographed);
  ASSERT_NE(pressed, nullptr);
  EXPECT_EQ(pressed->GetID(), 3);
  EXPECT_EQ(dialog->FindByID(2)->Text(), "memo");
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

}  // namespace
