#include "template/OFTBuild.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "Definition.h"
#include "Sjis.h"
#include "base/VFile.h"
#include "base/VPath.h"
#include "gt/OGTButton.h"
#include "gt/OGTDBField.h"
#include "gt/OGTDBFieldMV.h"
#include "gt/OGTDBImageField.h"
#include "gt/OGTDBList.h"
#include "gt/OGTDBWindow.h"
#include "gt/OGTDialog.h"
#include "gt/OGTList.h"
#include "gt/OGTPlane.h"
#include "gt/OGTWindow.h"
#include "gt/imp/headless/OGTHeadlessFactory.h"
#include "template/OFTApp.h"
#include "template/OFTForm.h"
#include "vtx/OGTDBStyleEdit.h"

namespace {

const char* kForms =
    "[Application]\n"
    "  Name = \"販売管理\";\n"
    "  [Form]\n"
    "    Name = \"顧客一覧\";\n"
    "    FormType = 1;  Type = 1;  ID = 100;\n"
    "    X = 10;  Y = 20;  Width = 400;  Height = 300;\n"
    "    Visible = 1;  Active = 1;  Enable = 1;\n"
    "    ImageName = \"背景.bmp\";\n"
    "    UpdateScript = { @SelectIdx(Index=first); };\n"
    "    [Label]\n"
    "      ID = 1;  X = 10;  Y = 10;  Width = 80;  Height = 20;\n"
    "      Title = \"顧客名\";  Visible = 1;  Enable = 1;\n"
    "    [/Label]\n"
    "    [Field]\n"
    "      ID = 2;  X = 100;  Y = 10;  Width = 200;  Height = 20;  Type = 1;\n"
    "      Title = \"山田\";  Visible = 1;  Active = 1;  Enable = 1;\n"
    "    [/Field]\n"
    "    [DBField]\n"
    "      ID = 3;  Visible = 1;  DBItemNbr = 2;\n"
    "    [/DBField]\n"
    "    [Button]\n"
    "      ID = 4;  X = 310;  Y = 10;  Width = 60;  Height = 24;\n"
    "      Title = \"検索\";  Visible = 1;  Enable = 1;\n"
    "      ImageName = \"通常.bmp\", \"押下.bmp\";\n"
    "      ActionScript = { @AskFind(); @ShowForm(Form=\"顧客明細\"); };\n"
    "    [/Button]\n"
    "    [Label]\n"
    "      ID = 5;  Title = \"隠れた\";  Active = 1;\n"
    "    [/Label]\n"
    "    [Button]\n"
    "      ID = 6;  Title = \"無効\";  Visible = 1;\n"
    "    [/Button]\n"
    "  [/Form]\n"
    "  [Form]\n"
    "    Name = \"顧客明細\";  FormType = 2;  Type = 2;  ID = 200;\n"
    "    X = 50;  Y = 60;  Width = 300;  Height = 200;  Enable = 1;\n"
    "    [Field]\n"
    "      ID = 7;  X = 1;  Y = 2;  Width = 3;  Height = 4;  Visible = 1;\n"
    "    [/Field]\n"
    "  [/Form]\n"
    "  [Form]\n    Name = \"在庫一覧\";  FormType = 3;  Visible = 1;\n  [/Form]\n"
    "  [Form]\n    Name = \"型なし\";  Visible = 1;\n  [/Form]\n"
    "  [Form]\n    Name = \"型七\";  FormType = 7;\n  [/Form]\n"
    "[/Application]\n";

class BuildTest : public ::testing::Test {
 protected:
  BuildTest() {
    ReadText(pool_, kForms);
    app_ = pool_.FindApp(Sj("販売管理").c_str());
  }

  OGTSeenItem SeenItem(const OGTSeen& seen, int32_t id) {
    for (const OGTSeenItem& item : seen.items) {
      if (item.id == id) return item;
    }
    ADD_FAILURE() << "no item " << id;
    return OGTSeenItem();
  }

  OGTHeadlessFactory factory_;
  OFTPool pool_;
  OFTApp* app_ = nullptr;
};

TEST_F(BuildTest, APlainWindowGetsTheFormsSettingsAndItsItemsInOrder) {
  ASSERT_NE(app_, nullptr);
  std::unique_ptr<OGTWindow> window = BuildWindow(app_, Sj("顧客一覧").c_str());
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(window->Kind(), 32);
  EXPECT_EQ(window->Variant(), 1);
  EXPECT_EQ(window->GetID(), 100);
  EXPECT_EQ(window->Parent(), nullptr);
  // The title is the form name, by which an open form is found again.
  char title[256];
  window->GetText(title, sizeof title);
  EXPECT_EQ(std::string(title), Sj("顧客一覧"));
  ASSERT_NE(window->ImageName(), nullptr);
  EXPECT_EQ(window->ImageName()->ToStdString(), Sj("背景.bmp"));
  EXPECT_EQ(window->UpdateScript().ToStdString(), "@SelectIdx(Index=first);");
  EXPECT_TRUE(window->IsVisible());
  EXPECT_TRUE(window->IsActive());
  EXPECT_TRUE(window->IsEnabled());

  OGTSeen seen = factory_.Screen().Snapshot(window.get());
  EXPECT_EQ(seen.title, Sj("顧客一覧"));
  EXPECT_EQ(seen.x, 10);
  EXPECT_EQ(seen.y, 20);
  EXPECT_EQ(seen.width, 400);
  EXPECT_EQ(seen.height, 300);

  // A database field is built in a plain window as well; every item keeps file order.
  ASSERT_EQ(window->ChildCount(), 6);
  const int32_t ids[] = {1, 2, 3, 4, 5, 6};
  const int32_t kinds[] = {11, 12, 1001, 13, 11, 13};
  for (int32_t i = 0; i < 6; ++i) {
    EXPECT_EQ(window->ChildAt(i)->GetID(), ids[i]);
    EXPECT_EQ(window->ChildAt(i)->Kind(), kinds[i]);
    EXPECT_EQ(window->ChildAt(i)->Parent(), window.get());
  }
  OGTSeenItem label = SeenItem(seen, 1);
  EXPECT_EQ(label.text, Sj("顧客名"));
  EXPECT_EQ(label.x, 10);
  EXPECT_EQ(label.y, 10);
  EXPECT_EQ(label.width, 80);
  EXPECT_EQ(label.height, 20);
  EXPECT_TRUE(label.visible && label.enabled);

  OGTItem* field = window->FindByID(2);
  EXPECT_EQ(field->Variant(), 1);
  EXPECT_EQ(field->Text(), Sj("山田"));
  EXPECT_TRUE(field->IsActive());
  EXPECT_EQ(SeenItem(seen, 2).width, 200);

  auto* button = dynamic_cast<OGTButton*>(window->FindByID(4));
  ASSERT_NE(button, nullptr);
  EXPECT_EQ(button->Script().ToStdString(), Sj("@AskFind(); @ShowForm(Form=\"顧客明細\");"));
  VString normal;
  VString pressed;
  VString disabled;
  button->GetImageNames(normal, pressed, disabled);
  EXPECT_EQ(normal.ToStdString(), Sj("通常.bmp"));
  EXPECT_EQ(pressed.ToStdString(), Sj("押下.bmp"));
  EXPECT_TRUE(disabled.IsEmpty());
  EXPECT_EQ(SeenItem(seen, 4).text, Sj("検索"));

  // Without "Visible" an item is hidden, and without "Enable" it is not enabled.
  OGTSeenItem hidden = SeenItem(seen, 5);
  EXPECT_FALSE(hidden.visible);
  EXPECT_FALSE(hidden.enabled);
  EXPECT_TRUE(window->FindByID(5)->IsActive());
  OGTSeenItem disabledButton = SeenItem(seen, 6);
  EXPECT_TRUE(disabledButton.visible);
  EXPECT_FALSE(disabledButton.enabled);
  EXPECT_FALSE(factory_.User().Press(window->FindByID(6)));
  EXPECT_TRUE(factory_.User().Press(button));
}

TEST_F(BuildTest, FormTypesChooseTheWindowAndUnbuildableFormsGiveNothing) {
  std::unique_ptr<OGTWindow> dialog = BuildWindow(app_, Sj("顧客明細").c_str());
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(dialog->Kind(), 33);
  EXPECT_NE(dynamic_cast<OGTDialog*>(dialog.get()), nullptr);
  EXPECT_EQ(dialog->Variant(), 2);
  EXPECT_EQ(dialog->GetID(), 200);
  // A form without "Visible" is built but not shown.
  EXPECT_FALSE(dialog->IsVisible());
  EXPECT_TRUE(dialog->IsEnabled());
  ASSERT_EQ(dialog->ChildCount(), 1);
  OGTSeen seen = factory_.Screen().Snapshot(dialog.get());
  EXPECT_EQ(seen.items[0].id, 7);
  EXPECT_EQ(seen.items[0].height, 4);

  // FormType 3 is a database window; other form types name no window.
  std::unique_ptr<OGTWindow> database = BuildWindow(app_, Sj("在庫一覧").c_str());
  ASSERT_NE(database, nullptr);
  EXPECT_EQ(database->Kind(), 1003);
  EXPECT_NE(dynamic_cast<OGTDBWindow*>(database.get()), nullptr);
  EXPECT_EQ(BuildWindow(app_, Sj("型なし").c_str()), nullptr);
  EXPECT_EQ(BuildWindow(app_, Sj("型七").c_str()), nullptr);
  EXPECT_EQ(BuildWindow(app_, Sj("ない").c_str()), nullptr);
  EXPECT_EQ(BuildWindow(app_, nullptr), nullptr);
  EXPECT_EQ(BuildWindow(nullptr, "a"), nullptr);
  size_t windows = factory_.Screen().TopLevels().size();
  EXPECT_EQ(windows, 2u);
}

TEST_F(BuildTest, RebuildingAWindowReplacesItsItemsAndMayKeepItsPosition) {
  std::unique_ptr<OGTWindow> window = BuildWindow(app_, Sj("顧客一覧").c_str());
  ASSERT_NE(window, nullptr);
  OGTItem* oldField = window->FindByID(2);
  ASSERT_NE(oldField, nullptr);
  window->SetPosition(77, 88, false);

  const OFTForm* other = app_->FindForm(Sj("顧客明細").c_str());
  BuildFormItems(window.get(), other, true);
  OGTSeen seen = factory_.Screen().Snapshot(window.get());
  EXPECT_EQ(seen.x, 77);
  EXPECT_EQ(seen.y, 88);
  EXPECT_EQ(seen.width, 300);
  EXPECT_EQ(seen.title, Sj("顧客明細"));
  EXPECT_EQ(window->GetID(), 200);
  ASSERT_EQ(window->ChildCount(), 1);
  EXPECT_EQ(window->ChildAt(0)->GetID(), 7);
  EXPECT_EQ(window->FindByID(2), nullptr);
  // The new form has no background image and no update script.
  EXPECT_EQ(window->ImageName(), nullptr);
  EXPECT_TRUE(window->UpdateScript().IsEmpty());

  BuildFormItems(window.get(), app_->FindForm(Sj("顧客一覧").c_str()), false);
  seen = factory_.Screen().Snapshot(window.get());
  EXPECT_EQ(seen.x, 10);
  EXPECT_EQ(seen.y, 20);
  EXPECT_EQ(window->ChildCount(), 6);
  BuildFormItems(nullptr, other, false);
  BuildFormItems(window.get(), nullptr, false);
  EXPECT_EQ(window->ChildCount(), 6);
}

TEST_F(BuildTest, EveryPlainItemKindOfTheSampleFileIsBuiltWithItsOwnSettings) {
  OFTPool sample;
  VFile file(VPortablePath(std::string(OV_TEST_DATA) + "/template/sales.ova"));
  ASSERT_EQ(ReadDefinitionFile(sample, &file), kVOk);
  OFTApp* app = sample.FindApp(Sj("販売管理").c_str());
  ASSERT_NE(app, nullptr);
  std::unique_ptr<OGTWindow> window = BuildWindow(app, Sj("顧客一覧").c_str());
  ASSERT_NE(window, nullptr);
  // Items 1 to 10 are plain kinds; 11 to 16 are bound to the database, built in any window.
  const int32_t kinds[] = {11, 12, 13, 3, 4, 5, 14, 16, 19, 20, 1001, 1004, 1005, 1006, 1007, 1002};
  const int32_t ids[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
  ASSERT_EQ(window->ChildCount(), 16);
  for (int32_t i = 0; i < 16; ++i) {
    EXPECT_EQ(window->ChildAt(i)->GetID(), ids[i]);
    EXPECT_EQ(window->ChildAt(i)->Kind(), kinds[i]) << i;
    if (i < 10) {
      EXPECT_TRUE(window->ChildAt(i)->IsVisible()) << i;
    }
  }
  // The bound items carry their database items and occurrences.
  auto* field = dynamic_cast<OGTDBField*>(window->FindByID(11));
  ASSERT_NE(field, nullptr);
  EXPECT_EQ(field->ItemNumber(), 2);
  EXPECT_EQ(field->Occurrence(), 1);
  auto* values = dynamic_cast<OGTDBFieldMV*>(window->FindByID(12));
  ASSERT_NE(values, nullptr);
  EXPECT_EQ(values->ItemNumber(), 5);
  EXPECT_EQ(values->ColumnWidth(), 150);
  EXPECT_EQ(values->RowHeight(), 18);
  EXPECT_EQ(values->HeaderHeight(), 0);
  // The styled-text field is made with variant 1 whatever its Type says.
  auto* styled = dynamic_cast<OGTDBStyleEdit*>(window->FindByID(13));
  ASSERT_NE(styled, nullptr);
  EXPECT_EQ(styled->ItemNumber(), 6);
  EXPECT_EQ(styled->Occurrence(), 2);
  EXPECT_EQ(styled->Variant(), 1);
  auto* image = dynamic_cast<OGTDBImageField*>(window->FindByID(14));
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->ItemNumber(), 7);
  auto* records = dynamic_cast<OGTDBList*>(window->FindByID(16));
  ASSERT_NE(records, nullptr);
  EXPECT_GT(records->ColumnCount(), 0);
  EXPECT_EQ(records->PositionText(), Sj("検索結果なし"));
  OGTSeen seen = factory_.Screen().Snapshot(window.get());
  OGTSeenItem line = SeenItem(seen, 4);
  EXPECT_EQ(line.y, 40);
  EXPECT_EQ(line.width, 380);
  EXPECT_FALSE(line.enabled);

  auto* plane = dynamic_cast<OGTPlane*>(window->FindByID(5));
  ASSERT_NE(plane, nullptr);
  ASSERT_NE(plane->ImageName(), nullptr);
  EXPECT_EQ(plane->ImageName()->ToStdString(), Sj("ロゴ.bmp"));

  // The radio button starts on, the check box (InitiallyOn = 0) off.
  int32_t value = -1;
  window->FindByID(7)->GetValue(value);
  EXPECT_EQ(value, 1);
  window->FindByID(8)->GetValue(value);
  EXPECT_EQ(value, 0);
  EXPECT_EQ(SeenItem(seen, 8).text, Sj("休眠"));
  EXPECT_EQ(window->FindByID(9)->Variant(), 1);

  // A plain list shows the headings of its file as columns.
  auto* list = dynamic_cast<OGTList*>(window->FindByID(10));
  ASSERT_NE(list, nullptr);
  ASSERT_EQ(list->ColumnCount(), 2);
  VString heading;
  int16_t width = 0;
  int32_t binding = 0;
  ASSERT_TRUE(list->GetColumn(1, heading, width, binding));
  EXPECT_EQ(heading.ToStdString(), Sj("名前"));
  EXPECT_EQ(width, 150);
  EXPECT_EQ(binding, 7);
  EXPECT_EQ(list->HeaderHeight(), 0);
  EXPECT_EQ(list->RowHeight(), 15);
  EXPECT_TRUE(factory_.User().Press(window->FindByID(8)));
  window->FindByID(8)->GetValue(value);
  EXPECT_EQ(value, 1);
}

TEST(BuildGroups, TheRadioButtonsOfAGroupExcludeEachOtherOnTheBuiltForm) {
  OGTHeadlessFactory factory;
  OFTPool pool;
  ReadText(pool,
           "[Application]\n Name = \"注文\";\n"
           " [Form]\n  Name = \"支払い\";  FormType = 1;  Width = 200;  Height = 100;\n"
           "  Visible = 1;  Enable = 1;\n"
           "  [RadioButtonGroup]\n"
           "   [RadioButton]\n    ID = 1;  Y = 0;  Width = 80;  Height = 16;  InitiallyOn = 1;\n"
           "    Visible = 1;  Enable = 1;\n   [/RadioButton]\n"
           "   [RadioButton]\n    ID = 2;  Y = 20;  Width = 80;  Height = 16;\n"
           "    Visible = 1;  Enable = 1;\n   [/RadioButton]\n"
           "  [/RadioButtonGroup]\n"
           "  [RadioButton]\n   ID = 3;  Y = 40;  Width = 80;  Height = 16;  InitiallyOn = 1;\n"
           "   Visible = 1;  Enable = 1;\n  [/RadioButton]\n"
           " [/Form]\n[/Application]\n");
  std::unique_ptr<OGTWindow> window =
      BuildWindow(pool.FindApp(Sj("注文").c_str()), Sj("支払い").c_str());
  ASSERT_NE(window, nullptr);
  auto value = [&window](int32_t id) {
    int32_t v = -1;
    window->FindByID(id)->GetValue(v);
    return v;
  };
  ASSERT_TRUE(factory.User().Press(window->FindByID(2)));
  EXPECT_EQ(value(1), 0);
  EXPECT_EQ(value(2), 1);
  EXPECT_EQ(value(3), 1);  // outside the group
  ASSERT_TRUE(factory.User().Press(window->FindByID(1)));
  EXPECT_EQ(value(1), 1);
  EXPECT_EQ(value(2), 0);
}

}  // namespace
