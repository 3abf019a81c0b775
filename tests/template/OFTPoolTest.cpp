#include "template/OFTPool.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "Definition.h"
#include "Sjis.h"
#include "TempDir.h"
#include "base/VCodePage.h"
#include "base/VFile.h"
#include "base/VPath.h"
#include "template/OFTApp.h"
#include "template/OFTDBItem.h"
#include "template/OFTDump.h"
#include "template/OFTForm.h"
#include "template/OFTItem.h"
#include "template/OFTSearch.h"

namespace {

const std::string kData = OV_TEST_DATA;

std::string U8(const VString& text) { return VSjisToUtf8(text.View()); }
std::string U8(const char* text) { return text != nullptr ? VSjisToUtf8(text) : "(none)"; }

// Every keyword with its value type: the listing of a file that uses them all, checked by hand.
TEST(OFTPool, ReadsEveryKeywordOfTheSampleFile) {
  OFTPool pool;
  VFile file(VPortablePath(kData + "/template/sales.ova"));
  EXPECT_EQ(ReadDefinitionFile(pool, &file), kVOk);
  EXPECT_FALSE(file.IsOpen());
  EXPECT_EQ(VSjisToUtf8(DescribePool(pool)), FileContents(kData + "/template/sales.listing"));

  ASSERT_EQ(pool.AppCount(), 2);
  OFTApp* app = pool.FindApp(Sj("販売管理").c_str());
  ASSERT_NE(app, nullptr);
  EXPECT_EQ(app, pool.AppAt(0));
  EXPECT_TRUE(app->Startup());
  // A Startup of 2 is not a start-up.
  EXPECT_FALSE(pool.AppAt(1)->Startup());
  EXPECT_EQ(pool.AppAt(2), nullptr);
  EXPECT_EQ(pool.AppAt(-1), nullptr);
  EXPECT_EQ(pool.FindApp(Sj("販売").c_str()), nullptr);

  const OFTForm* form = app->FindForm(Sj("顧客一覧").c_str());
  ASSERT_NE(form, nullptr);
  ASSERT_EQ(form->ItemCount(), 16);
  const int32_t kinds[] = {104, 105, 106, 101, 102, 103, 107, 109,
                           112, 113, 116, 117, 118, 119, 120, 121};
  for (int32_t i = 0; i < form->ItemCount(); ++i) {
    EXPECT_EQ(form->ItemAt(i)->Kind(), kinds[i]) << i;
    EXPECT_EQ(form->ItemAt(i)->ID(), i + 1);
  }
  EXPECT_EQ(form->ItemAt(16), nullptr);
  // An item without a Title statement has no title at all.
  EXPECT_EQ(form->ItemAt(3)->Title(), nullptr);
  auto* list = dynamic_cast<const OFTDBList*>(form->ItemAt(15));
  ASSERT_NE(list, nullptr);
  ASSERT_EQ(list->Labels().size(), 2u);
  EXPECT_EQ(U8(list->Labels()[0].heading), "顧客名");
  EXPECT_EQ(list->Labels()[0].second, 0x10002);
  auto* image = dynamic_cast<const OFTDBImageField*>(form->ItemAt(13));
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->OcrNbr(), static_cast<int16_t>(70000));

  const OFTSearch* search = app->FindSearch(Sj("全顧客").c_str());
  ASSERT_NE(search, nullptr);
  EXPECT_EQ(search->DBFileNbr(), 3);
  EXPECT_EQ(app->SearchAt(0), search);
  EXPECT_EQ(app->FindSearch(Sj("顧客一覧").c_str()), nullptr);
}

TEST(OFTPool, EveryFieldNotSetIsZeroEmptyOrFalse) {
  OFTPool pool;
  ReadText(pool, "[Application]\n[Form]\n[Label]\n[/Label]\n[Search]\n[/Search]\n[/Form]\n");
  ASSERT_EQ(pool.AppCount(), 1);
  OFTApp* app = pool.AppAt(0);
  EXPECT_FALSE(app->HasName());
  EXPECT_FALSE(app->Startup());
  ASSERT_EQ(app->FormCount(), 1);
  // The search tag inside the form is not recognised there: skipped by itself, its end tag ends
  // the form.
  EXPECT_EQ(app->SearchCount(), 0);
  const OFTForm* form = app->FormAt(0);
  EXPECT_EQ(form->FormType(), 0);
  EXPECT_EQ(form->Width(), 0);
  EXPECT_FALSE(form->Visible() || form->Active() || form->Enable() || form->Startup());
  EXPECT_TRUE(form->SearchName().IsEmpty() && form->UpdateScript().IsEmpty());
  ASSERT_EQ(form->ItemCount(), 1);
  const OFTItem* label = form->ItemAt(0);
  EXPECT_FALSE(label->Visible() || label->Active() || label->Enable());
  EXPECT_EQ(label->Title(), nullptr);
  EXPECT_TRUE(label->Script().IsEmpty());
  EXPECT_EQ(OFTItem().Kind(), -1);
}

TEST(OFTPool, ValuesThatAreNotNumbersKeepThePreviousValue) {
  OFTPool pool;
  ReadText(pool,
           "[Application]\n[Form]\n"
           "  X = 10;\n  X = abc;\n  Y = 5;\n  Y = \"7\";\n  Width = 1.9;\n"
           "  Type = 2;\n  Type=3;\n  Type =4;\n"
           "  Visible = 1;\n  Visible = yes;\n  Active = 7;\n  Enable = 1;\n  Enable = 0;\n"
           "  Startup = 1;\n  Startup = 2;\n"
           "  [Field]\n    ID = 4;\n    ID = ;\n    Visible = -1;\n    Title = \"a\";\n"
           "    Title = \"\";\n  [/Field]\n"
           "[/Form]\n[/Application]\n");
  const OFTForm* form = pool.AppAt(0)->FormAt(0);
  EXPECT_EQ(form->X(), 10);
  EXPECT_EQ(form->Y(), 5);
  EXPECT_EQ(form->Width(), 1);
  // Without blanks around "=" the statement changes nothing.
  EXPECT_EQ(form->Type(), 2);
  EXPECT_TRUE(form->Visible());
  EXPECT_TRUE(form->Active());
  EXPECT_FALSE(form->Enable());
  EXPECT_FALSE(form->Startup());
  const OFTItem* field = form->ItemAt(0);
  EXPECT_EQ(field->ID(), 4);
  EXPECT_TRUE(field->Visible());
  // An empty title is no title.
  EXPECT_EQ(field->Title(), nullptr);
}

TEST(OFTPool, LaterApplicationsFormsAndSearchesReplaceEarlierOnesOfTheSameName) {
  OFTPool pool;
  ReadText(pool,
           "[Application]\n Name = \"販売\";\n Startup = 1;\n[/Application]\n"
           "[Application]\n Name = \"在庫\";\n[/Application]\n"
           "[Application]\n Name = \"販売\";\n"
           " [Form]\n  Name = \"一覧\";\n  ID = 1;\n [/Form]\n"
           " [Form]\n  Name = \"明細\";\n [/Form]\n"
           " [Form]\n  Name = \"一覧\";\n  ID = 2;\n [/Form]\n"
           " [Search]\n  Name = \"全件\";\n  DBFileNbr = 1;\n [/Search]\n"
           " [Search]\n  Name = \"全件\";\n  DBFileNbr = 2;\n [/Search]\n"
           "[/Application]\n");
  ASSERT_EQ(pool.AppCount(), 2);
  // The replaced application is removed; the new one joins at the end.
  EXPECT_EQ(U8(pool.AppAt(0)->Name()), "在庫");
  OFTApp* app = pool.AppAt(1);
  EXPECT_EQ(U8(app->Name()), "販売");
  EXPECT_FALSE(app->Startup());
  ASSERT_EQ(app->FormCount(), 2);
  EXPECT_EQ(U8(app->FormAt(0)->Name()), "明細");
  EXPECT_EQ(app->FindForm(Sj("一覧").c_str())->ID(), 2);
  ASSERT_EQ(app->SearchCount(), 1);
  EXPECT_EQ(app->SearchAt(0)->DBFileNbr(), 2);

  // A second file replaces an application of the first.
  ReadText(pool, "[Application]\n Name = \"在庫\";\n Startup = 1;\n[/Application]\n");
  ASSERT_EQ(pool.AppCount(), 2);
  EXPECT_EQ(U8(pool.AppAt(1)->Name()), "在庫");
  EXPECT_TRUE(pool.AppAt(1)->Startup());
  // Applications without names replace nothing.
  ReadText(pool, "[Application]\n[/Application]\n[Application]\n[/Application]\n");
  EXPECT_EQ(pool.AppCount(), 4);
}

TEST(OFTPool, AnUnrecognisedBeginTagIsSkippedByItselfAndItsEndTagEndsTheEnclosingBlock) {
  OFTPool pool;
  ReadText(pool,
           "[Application]\n Name = \"販売\";\n"
           " [Form]\n  Name = \"注文\";\n  FormType = 1;\n"
           "  [CheckBoxGroup]\n"
           "   [CheckBox]\n    ID = 1;\n    Title = \"現金\";\n   [/CheckBox]\n"
           "   [CheckBox]\n    ID = 2;\n    Title = \"振込\";\n   [/CheckBox]\n"
           "  [/CheckBoxGroup]\n"
           // Read by the application's reader: the form keeps its size 0.
           "  Width = 300;\n  Startup = 1;\n"
           // This end tag now ends the application, and the next one the file.
           " [/Form]\n"
           " [Search]\n  Name = \"失われる\";\n [/Search]\n"
           "[/Application]\n"
           "[Application]\n Name = \"読まれない\";\n[/Application]\n");
  ASSERT_EQ(pool.AppCount(), 1);
  OFTApp* app = pool.AppAt(0);
  EXPECT_TRUE(app->Startup());
  EXPECT_EQ(app->SearchCount(), 0);
  ASSERT_EQ(app->FormCount(), 1);
  const OFTForm* form = app->FormAt(0);
  EXPECT_EQ(form->Width(), 0);
  ASSERT_EQ(form->ItemCount(), 2);
  EXPECT_EQ(form->ItemAt(0)->Kind(), 109);
  EXPECT_EQ(form->ItemAt(1)->ID(), 2);

  // Inside a form, an unknown kind's properties become the form's; inside an item, a begin tag
  // changes nothing.
  OFTPool other;
  ReadText(other,
           "Name = \"top level properties are ignored\";\n"
           "[Application]\n [Form]\n  [PopupMenu]\n  ID = 9;\n  [Label]\n   [Button]\n   ID = 4;\n"
           "  [/Label]\n  [/PopupMenu]\n  ID = 1;\n [/Form]\n[/Application]\n");
  ASSERT_EQ(other.AppCount(), 1);
  ASSERT_EQ(other.AppAt(0)->FormCount(), 1);
  form = other.AppAt(0)->FormAt(0);
  EXPECT_EQ(form->ID(), 9);
  ASSERT_EQ(form->ItemCount(), 1);
  EXPECT_EQ(form->ItemAt(0)->Kind(), 104);
  EXPECT_EQ(form->ItemAt(0)->ID(), 4);
  EXPECT_FALSE(other.AppAt(0)->HasName());

  // At the top level any end tag ends the file.
  OFTPool third;
  ReadText(third, "[/Stop]\n[Application]\n Name = \"a\";\n[/Application]\n");
  EXPECT_EQ(third.AppCount(), 0);
}

TEST(OFTPool, ARadioButtonGroupNumbersItsButtonsAndItsEndTagClosesOnlyTheGroup) {
  OFTPool pool;
  ReadText(pool,
           "[Application]\n Name = \"販売\";\n"
           " [Form]\n  Name = \"注文\";\n  FormType = 1;\n"
           "  [RadioButton]\n   ID = 1;\n  [/RadioButton]\n"
           "  [RadioButtonGroup]\n   Name = \"支払い\";\n   Width = 999;\n"
           "   [RadioButton]\n    ID = 2;\n    InitiallyOn = 1;\n   [/RadioButton]\n"
           "   [Label]\n    ID = 3;\n   [/Label]\n"
           "   [RadioButton]\n    ID = 4;\n   [/RadioButton]\n"
           "  [/RadioButtonGroup]\n"
           "  [RadioButtonGroup]\n"
           "   [RadioButton]\n    ID = 5;\n   [/RadioButton]\n"
           "   [RadioButtonGroup]\n    [RadioButton]\n     ID = 6;\n    [/RadioButton]\n"
           "   [/RadioButtonGroup]\n"
           "   [RadioButton]\n    ID = 7;\n   [/RadioButton]\n"
           "  [/RadioButtonGroup]\n"
           // Still the form's: the groups' end tags closed the groups only.
           "  Width = 300;\n  Startup = 1;\n"
           " [/Form]\n"
           " [Search]\n  Name = \"全件\";\n [/Search]\n"
           "[/Application]\n");
  ASSERT_EQ(pool.AppCount(), 1);
  OFTApp* app = pool.AppAt(0);
  EXPECT_FALSE(app->Startup());
  EXPECT_EQ(app->SearchCount(), 1);
  ASSERT_EQ(app->FormCount(), 1);
  const OFTForm* form = app->FormAt(0);
  EXPECT_EQ(form->Width(), 300);  // the group's own Width is not the form's
  EXPECT_TRUE(form->Startup());
  EXPECT_EQ(form->GroupCount(), 3);
  ASSERT_EQ(form->ItemCount(), 7);
  std::vector<std::pair<int32_t, int32_t>> groups;
  for (int32_t i = 0; i < form->ItemCount(); ++i) {
    const auto* radio = dynamic_cast<const OFTRadioBtn*>(form->ItemAt(i));
    groups.emplace_back(form->ItemAt(i)->ID(), radio != nullptr ? radio->Group() : -1);
  }
  EXPECT_EQ(groups, (std::vector<std::pair<int32_t, int32_t>>{
                        {1, 0}, {2, 1}, {3, -1}, {4, 1}, {5, 2}, {6, 3}, {7, 2}}));
  EXPECT_TRUE(dynamic_cast<const OFTRadioBtn*>(form->ItemAt(1))->InitiallyOn());

  // A group cut off by the end of the file keeps what it read.
  OFTPool cut;
  ReadText(cut, "[Application]\n [Form]\n  [RadioButtonGroup]\n   [RadioButton]\n    ID = 8;\n");
  ASSERT_EQ(cut.AppCount(), 1);
  ASSERT_EQ(cut.AppAt(0)->FormAt(0)->ItemCount(), 1);
  EXPECT_EQ(dynamic_cast<const OFTRadioBtn*>(cut.AppAt(0)->FormAt(0)->ItemAt(0))->Group(), 1);
}

TEST(OFTPool, ALabelEntryForTheOtherListKindLosesTheNextLine) {
  OFTPool pool;
  ReadText(pool,
           "[Application]\n[Form]\n"
           " [Field]\n  ListLabel = \"名前\", 120;\n  X = 5;\n  Y = 6;\n [/Field]\n"
           " [List]\n  DBListLabel = \"名前\", 120, 1, 0;\n  Width = 80;\n"
           "  ListLabel = \"名前\", 120;\n  Height = 40;\n [/List]\n"
           " [DBList]\n  ListLabel = \"x\";\nTitle\n  DBListLabel = \"顧客\", 60, 2, 0;\n"
           "  Y = 7;\n [/DBList]\n"
           " [Label]\n  ListLabel = \"x\";\nListLabel\nActionScript\n  X = 3;\n [/Label]\n"
           "[/Form]\n[/Application]\n");
  const OFTForm* form = pool.AppAt(0)->FormAt(0);
  ASSERT_EQ(form->ItemCount(), 4);
  EXPECT_EQ(form->ItemAt(0)->X(), 0);
  EXPECT_EQ(form->ItemAt(0)->Y(), 6);
  auto* list = dynamic_cast<const OFTList*>(form->ItemAt(1));
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(list->Width(), 0);
  EXPECT_EQ(list->Height(), 40);
  ASSERT_EQ(list->Labels().size(), 1u);
  EXPECT_EQ(list->Labels()[0].first, 120);
  // The next line is taken as the property name, with the entry's value.
  auto* dbList = dynamic_cast<const OFTDBList*>(form->ItemAt(2));
  ASSERT_NE(dbList, nullptr);
  ASSERT_NE(dbList->Title(), nullptr);
  EXPECT_EQ(dbList->Title()->ToStdString(), "x");
  ASSERT_EQ(dbList->Labels().size(), 1u);
  EXPECT_EQ(dbList->Labels()[0].second, 2);
  EXPECT_EQ(dbList->Y(), 7);
  // A lost line that is itself a misplaced entry passes the value on to the line after it.
  EXPECT_EQ(form->ItemAt(3)->Script().ToStdString(), "x");
  EXPECT_EQ(form->ItemAt(3)->X(), 3);
}

TEST(OFTPool, LabelEntriesCutTheirHeadingsAndNumbers) {
  OFTListLabel label = ParseListLabel(VString(Sj("\"氏 名\", 120, 0").c_str()));
  EXPECT_EQ(U8(label.heading), "氏");
  EXPECT_EQ(label.first, 0);
  label = ParseListLabel(VString(Sj("\"電話\" 80 abc").c_str()));
  EXPECT_EQ(U8(label.heading), "電話");
  EXPECT_EQ(label.first, 80);
  EXPECT_EQ(label.second, 0);
  label = ParseDBListLabel(VString("\"a\", 5, 70001, 2"));
  EXPECT_EQ(label.first, 5);
  EXPECT_EQ(label.second, 2 * 65536 + (70001 - 65536));
  label = ParseDBListLabel(VString("\"a\", 5, -1, -1"));
  EXPECT_EQ(static_cast<uint32_t>(label.second), 0xFFFFFFFFu);
  label = ParseListLabel(VString(""));
  EXPECT_TRUE(label.heading.IsEmpty());
}

TEST(OFTPool, ButtonImageNamesSplitAtCommas) {
  OFTPool pool;
  ReadText(pool,
           "[Application]\n[Form]\n"
           " [Button]\n  ImageName = \"通常.bmp\";\n [/Button]\n"
           " [Button]\n  ImageName = \" a.bmp \" ,\"\", c.bmp, d.bmp;\n [/Button]\n"
           "[/Form]\n[/Application]\n");
  const OFTForm* form = pool.AppAt(0)->FormAt(0);
  auto* first = dynamic_cast<const OFTButton*>(form->ItemAt(0));
  auto* second = dynamic_cast<const OFTButton*>(form->ItemAt(1));
  ASSERT_TRUE(first != nullptr && second != nullptr);
  EXPECT_EQ(U8(first->NormalImage()), "通常.bmp");
  EXPECT_TRUE(first->PressedImage().IsEmpty() && first->DisabledImage().IsEmpty());
  EXPECT_EQ(second->NormalImage().ToStdString(), "a.bmp");
  EXPECT_TRUE(second->PressedImage().IsEmpty());
  EXPECT_EQ(second->DisabledImage().ToStdString(), "c.bmp");
}

TEST(OFTPool, FilesThatCannotBeReadAreSkipped) {
  TempDir dir;
  OFTPool pool;
  EXPECT_EQ(ReadDefinitionFile(pool, nullptr), kVOpenFailed);
  VFile missing(VPortablePath(dir / "missing.ova"));
  EXPECT_EQ(ReadDefinitionFile(pool, &missing), kVOpenFailed);
  VDir folder(VPortablePath(dir.Path()));
  EXPECT_EQ(ReadDefinitionFile(pool, &folder), kVOpenFailed);
  EXPECT_EQ(pool.AppCount(), 0);

  // A file that is already open stays open and is read from its start.
  std::ofstream(dir / "a.ova", std::ios::binary) << Sj("[Application]\nName = \"甲\";\n");
  VFile file(VPortablePath(dir / "a.ova"));
  ASSERT_EQ(file.Open(true), kVOk);
  EXPECT_EQ(ReadDefinitionFile(pool, &file), kVOk);
  EXPECT_EQ(ReadDefinitionFile(pool, &file), kVOk);
  EXPECT_TRUE(file.IsOpen());
  ASSERT_EQ(pool.AppCount(), 1);
  EXPECT_EQ(U8(pool.AppAt(0)->Name()), "甲");
}

}  // namespace
