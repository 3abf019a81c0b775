// The runner's start-up cases, the application list window and the form chooser, driven through
// the headless platform side as a person would use them.
#include "app/OvARunner.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "PlayerFixture.h"
#include "app/OvAEnv.h"
#include "app/OvApp.h"
#include "base/VCodePage.h"
#include "base/VFile.h"
#include "db/engine/VCodeTexts.h"
#include "gt/OGTButton.h"
#include "gt/OGTDialog.h"
#include "gt/OGTEvent.h"
#include "gt/OGTWindow.h"
#include "template/OFTApp.h"
#include "template/OFTPool.h"

namespace {

// Two files: "a.ova" holds a start-up application with one start-up form, and an application
// whose start-up form does not count because the application is not marked; "b.ova" holds a
// second start-up application with a start-up dialog form.
const char* kFileA = R"([Application]
  Name = "受付";  Startup = 1;
  [Form]
    Name = "受付票";  FormType = 1;  Type = 0;  ID = 10;
    X = 10;  Y = 10;  Width = 300;  Height = 200;
    Visible = 1;  Active = 1;  Enable = 1;  Startup = 1;
    [Button]
      ID = 1;  X = 10;  Y = 10;  Width = 80;  Height = 24;  Title = "登録";
      Visible = 1;  Active = 1;  Enable = 1;
    [/Button]
  [/Form]
  [Form]
    Name = "受付一覧";  FormType = 1;  Width = 200;  Height = 100;  Visible = 1;  Enable = 1;
  [/Form]
[/Application]
[Application]
  Name = "在庫";
  [Form]
    Name = "在庫票";  FormType = 1;  Width = 200;  Height = 100;  Visible = 1;  Startup = 1;
  [/Form]
[/Application]
)";

const char* kFileB = R"([Application]
  Name = "会計";  Startup = 1;
  [Form]
    Name = "伝票";  FormType = 2;  Type = 1;  ID = 20;
    X = 40;  Y = 40;  Width = 250;  Height = 150;  Visible = 1;  Enable = 1;  Startup = 1;
  [/Form]
[/Application]
)";

// Applications without a start-up form: one marked for start-up whose forms are not, one not
// marked at all.
const char* kNoStartupForms = R"([Application]
  Name = "住所録";  Startup = 1;
  [Form]
    Name = "連絡先";  FormType = 1;  Width = 300;  Height = 200;  Visible = 1;  Enable = 1;
  [/Form]
  [Form]
    Name = "メモ";  FormType = 1;  Width = 200;  Height = 100;  Visible = 1;  Enable = 1;
  [/Form]
  [Form]
    Name = "台帳";  FormType = 3;  Visible = 1;
  [/Form]
[/Application]
[Application]
  Name = "日報";
  [Form]
    Name = "日報入力";  FormType = 1;  Width = 300;  Height = 200;  Visible = 1;  Enable = 1;
  [/Form]
[/Application]
)";

using StartUpTest = PlayerTest;

TEST_F(StartUpTest, StartUpFormsOfStartUpApplicationsOpenInPoolOrderWithoutTheList) {
  // Written in the opposite order: the folder is read in the names' byte order.
  WriteDefinition("b.ova", kFileB);
  WriteDefinition("a.ova", kFileA);
  OpenAndStart();

  OFTPool* pool = runner_->GetTemplatePool();
  ASSERT_NE(pool, nullptr);
  ASSERT_EQ(pool->AppCount(), 3);
  EXPECT_EQ(std::string(pool->AppAt(0)->Name()), Sj("受付"));
  EXPECT_EQ(std::string(pool->AppAt(2)->Name()), Sj("会計"));

  EXPECT_EQ(WindowTitles(), Sjs({"受付票", "伝票"}));
  EXPECT_EQ(runner_->AppList(), nullptr);
  OvAEnv* env = runner_->Env();
  ASSERT_EQ(env->AppCount(), 2);
  EXPECT_EQ(std::string(env->AppAt(0)->Name()), Sj("受付"));
  EXPECT_EQ(std::string(env->AppAt(1)->Name()), Sj("会計"));
  // The application not marked for start-up is not running.
  EXPECT_EQ(env->FindApp(Sj("在庫").c_str()), nullptr);
  // The forms were built from their templates: the plain window with its button, the dialog.
  OvApp* reception = env->AppAt(0);
  ASSERT_EQ(reception->ChildCount(), 1);
  OGTItem* window = reception->ChildAt(0);
  EXPECT_EQ(window->Kind(), kOGTKindWindow);
  EXPECT_TRUE(window->IsVisible());
  ASSERT_NE(window->FindByID(1), nullptr);
  EXPECT_EQ(window->FindByID(1)->Text(), Sj("登録"));
  EXPECT_EQ(env->AppAt(1)->ChildAt(0)->Kind(), kOGTKindDialog);
}

TEST_F(StartUpTest, NoStartUpFormAnywhereShowsTheApplicationList) {
  WriteDefinition("apps.ova", kNoStartupForms);
  OpenAndStart();
  OvARunAppList* list = runner_->AppList();
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(runner_->Env()->AppCount(), 0);
  EXPECT_EQ(WindowTitles(), Sjs({"アプリケーションリスト"}));
  EXPECT_EQ(Rows(list->List()), Sjs({"住所録", "日報"}));
  EXPECT_EQ(list->List()->FirstSelected(), 0);
  EXPECT_TRUE(list->IsVisible());
}

TEST_F(StartUpTest, AFolderWithoutDefinitionsShowsAnEmptyList) {
  // Only the exact lower-case extension counts; a folder named like a definition is no file.
  WriteDefinition("upper.OVA", kFileA);
  WriteDefinition("notes.txt", kFileB);
  std::filesystem::create_directory(dir_ / "OVAFolder/dir.ova");
  OpenAndStart();
  EXPECT_EQ(runner_->GetTemplatePool()->AppCount(), 0);
  ASSERT_NE(runner_->AppList(), nullptr);
  EXPECT_TRUE(Rows(runner_->AppList()->List()).empty());
  EXPECT_EQ(runner_->AppList()->List()->FirstSelected(), -1);
}

TEST_F(StartUpTest, AMissingFolderOrNoEnvironmentShowsTheList) {
  // The start-up goes on whatever the answer, as the player's own does.
  (void)runner_->Open("./Varnex.conf", "./NoSuchFolder");
  runner_->Start();
  ASSERT_NE(runner_->AppList(), nullptr);
  runner_->CloseAppList();
  EXPECT_EQ(runner_->Close(), 0);
  EXPECT_EQ(runner_->GetTemplatePool(), nullptr);
  EXPECT_FALSE(runner_->IsQuitRequested());
  runner_->Start();
  ASSERT_NE(runner_->AppList(), nullptr);
  EXPECT_TRUE(Rows(runner_->AppList()->List()).empty());
}

TEST_F(StartUpTest, TheDefinitionSuffixMustStartOnACharacterBoundary) {
  // 0x83 0x2E is one double-byte character: the name does not end in ".ova" as text does.
  EXPECT_FALSE(OvIsDefinitionFileName("\x83.ova", 5));
  EXPECT_TRUE(OvIsDefinitionFileName("a.ova", 5));
  EXPECT_TRUE(OvIsDefinitionFileName("\x83\x41.ova", 6));
  EXPECT_FALSE(OvIsDefinitionFileName("a.ova ", 6));
  EXPECT_FALSE(OvIsDefinitionFileName("ova", 3));
  WriteDefinition("\x83.ova", kFileA);
  WriteDefinition("\x83\x41.ova", kFileB);
  Open();
  ASSERT_EQ(runner_->GetTemplatePool()->AppCount(), 1);
  EXPECT_EQ(std::string(runner_->GetTemplatePool()->AppAt(0)->Name()), Sj("会計"));
}

TEST(StartUp, TheStartUpFunctionReportsADatabaseThatDoesNotOpenAndGoesOn) {
  TempDir dir(true);
  std::filesystem::create_directory(dir / "OVAFolder");
  std::ofstream(dir / "OVAFolder/a.ova", std::ios::binary) << Sj(kFileA);
  auto factory = std::make_unique<OGTHeadlessFactory>();
  OGTHeadlessFactory* made = factory.get();
  std::shared_ptr<OGTHeadlessScreen> screen = made->Screen().shared_from_this();
  std::string box;
  made->User().ThenDo("read the box", [&box](OGTDialog& dialog) {
    for (int32_t i = 0; i < dialog.ChildCount(); ++i) {
      if (dialog.ChildAt(i)->Kind() == kOGTKindLabel) box = dialog.ChildAt(i)->Text();
    }
  });
  made->User().ThenPress(Sj("了解"));
  // A configuration in a folder that does not exist: no database can be opened there.
  std::unique_ptr<OvARunner> runner =
      OvStartRunner(std::move(factory), "./missing/dir/Varnex.conf", "./OVAFolder");
  ASSERT_NE(runner, nullptr);
  EXPECT_EQ(made->User().Pending(), 0u);
  ASSERT_EQ(box.rfind(Sj("エラー：-"), 0), 0u) << box;
  // Under the fixed text, on a line of its own, what the code means.
  size_t fixed = box.find(Sj("\rデータベースを開けませんでした。\r"));
  ASSERT_NE(fixed, std::string::npos) << box;
  VResult code = static_cast<VResult>(std::stoi(box.substr(Sj("エラー：").size())));
  EXPECT_EQ(box.substr(fixed + Sj("\rデータベースを開けませんでした。\r").size()),
            VJapaneseCodeText(code));
  EXPECT_EQ(screen->Beeps(), 1);
  // Start-up went on: the start-up form is open.
  ASSERT_EQ(runner->Env()->AppCount(), 1);
  EXPECT_EQ(runner->Env()->AppAt(0)->ChildCount(), 1);
  runner.reset();
  EXPECT_TRUE(screen->TopLevels().empty());
}

TEST(StartUp, AFolderThatCannotBeUsedIsToldOnceAndStartUpGoesOn) {
  TempDir dir(true);
  auto factory = std::make_unique<OGTHeadlessFactory>();
  OGTHeadlessFactory* made = factory.get();
  std::vector<std::string> boxes;
  auto readBox = [&boxes](OGTDialog& dialog) {
    for (int32_t i = 0; i < dialog.ChildCount(); ++i) {
      if (dialog.ChildAt(i)->Kind() == kOGTKindLabel) boxes.push_back(dialog.ChildAt(i)->Text());
    }
  };
  made->User().ThenDo("read the database box", readBox).ThenPress(Sj("了解"));
  made->User().ThenDo("read the folder box", readBox).ThenPress(Sj("了解"));
  std::unique_ptr<OvARunner> runner =
      OvStartRunner(std::move(factory), "./Varnex.conf", "./NoFolder");
  ASSERT_NE(runner, nullptr);
  EXPECT_EQ(made->User().Pending(), 0u);
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[1], Sj("アプリケーションフォルダ「./NoFolder」がありません。"));
  EXPECT_NE(runner->AppList(), nullptr);  // start-up went on to the list
}

TEST_F(StartUpTest, TheFolderReportTellsWhatReadingTheFolderLeftOut) {
  Open();  // an empty folder
  const OvFolderReport& empty = runner_->Env()->FolderReport();
  EXPECT_EQ(empty.folder, OvFolderReport::kListed);
  EXPECT_EQ(empty.definitionFiles, 0);
  EXPECT_FALSE(empty.AllRead());

  // A folder named like a definition is no definition file; a readable file is read.
  std::filesystem::create_directory(dir_ / "OVAFolder/dir.ova");
  WriteDefinition("a.ova", kFileA);
  WriteDefinition("b.ova", kFileB);
  bool asRoot = ::geteuid() == 0;  // root reads a file whatever its permissions say
  if (!asRoot) std::filesystem::permissions(dir_ / "OVAFolder/b.ova", std::filesystem::perms::none);
  Open();
  const OvFolderReport& read = runner_->Env()->FolderReport();
  EXPECT_EQ(read.definitionFiles, 2);
  if (asRoot) {
    EXPECT_TRUE(read.AllRead());
  } else {
    ASSERT_EQ(read.skipped.size(), 1u);
    EXPECT_EQ(read.skipped[0].name, "b.ova");
    EXPECT_EQ(read.skipped[0].code, kVOpenFailed);
    EXPECT_TRUE(read.skipped[0].denied);
    EXPECT_EQ(runner_->GetTemplatePool()->AppCount(), 2);  // a.ova's two applications
  }

  // A file given as the folder, and a folder that is not there.
  (void)runner_->Open("./Varnex.conf", "./OVAFolder/a.ova");
  EXPECT_EQ(runner_->Env()->FolderReport().folder, OvFolderReport::kNotFolder);
  (void)runner_->Open("./Varnex.conf", "./missing");
  EXPECT_EQ(runner_->Env()->FolderReport().folder, OvFolderReport::kMissing);
  EXPECT_EQ(runner_->GetTemplatePool()->AppCount(), 0);
}

TEST(StartUp, TheFolderReportSaysWhatIsWrongWithTheFolderOrEachFile) {
  OvFolderReport report;
  EXPECT_EQ(OvFolderReportText(report, "./OVAFolder"), "");  // not read at all: nothing to say
  report.folder = OvFolderReport::kMissing;
  EXPECT_EQ(OvFolderReportText(report, "./Apps"),
            Sj("アプリケーションフォルダ「./Apps」がありません。"));
  report.folder = OvFolderReport::kNotFolder;
  EXPECT_EQ(OvFolderReportText(report, "a.txt"),
            Sj("アプリケーションフォルダ「a.txt」はフォルダではありません。"));
  report.folder = OvFolderReport::kDenied;
  EXPECT_EQ(OvFolderReportText(report, "x"),
            Sj("アプリケーションフォルダ「x」を読み取る権限がありません。"));
  report.folder = OvFolderReport::kListed;
  // The folder's name as the system gives it (UTF-8) is shown in the player's text.
  EXPECT_EQ(OvFolderReportText(report, "./業務"),
            Sj("アプリケーションフォルダ「./業務」にはアプリケーション定義ファイル（.ova）があ"
               "りません。"));
  report.definitionFiles = 12;
  EXPECT_EQ(OvFolderReportText(report, "f"), "");  // all read
  for (int i = 0; i < 10; ++i) {
    report.skipped.push_back({"f" + std::to_string(i) + ".ova", i == 0 ? -28 : -22, i == 1});
  }
  std::string text = OvFolderReportText(report, "f");
  EXPECT_EQ(text.rfind(Sj("アプリケーションフォルダ「f」の次のファイルは読めないため飛ばしました。"
                          "\r  f0.ova：読めません（エラー：-28）\r  f1.ova：読み取る権限がありま"
                          "せん\r  f2.ova：読めません（エラー：-22）"),
                       0),
            0u)
      << VSjisToUtf8(text);
  // Eight are named, the rest counted.
  EXPECT_EQ(std::count(text.begin(), text.end(), '\r'), 9);
  EXPECT_NE(text.find(Sj("\r  f7.ova")), std::string::npos);
  EXPECT_EQ(text.find(Sj("f8.ova")), std::string::npos);
  EXPECT_EQ(text.substr(text.rfind('\r')), Sj("\r  ほか 2 件"));
}

using AppListTest = PlayerTest;

TEST_F(AppListTest, TheRunButtonAsksForAFormAndRunsIt) {
  WriteDefinition("apps.ova", kNoStartupForms);
  OpenAndStart();
  OvARunAppList* list = runner_->AppList();
  ASSERT_NE(list, nullptr);
  ASSERT_TRUE(User().ChooseRow(list->List(), 0));
  User().ThenDo("choose the second form", [this](OGTDialog& dialog) {
    auto* forms = dynamic_cast<OGTList*>(dialog.ChildAt(2));
    ASSERT_NE(forms, nullptr);
    EXPECT_EQ(Rows(forms), Sjs({"連絡先", "メモ", "台帳"}));
    EXPECT_TRUE(User().ChooseRow(forms, 1));
  });
  User().ThenPress(Sj("了解"));
  ASSERT_TRUE(User().Press(list->FindByID(OvARunAppList::kRunButtonID)));

  // The chooser as it was seen.
  const OGTSeen* chooser = Screen().LastModal();
  ASSERT_NE(chooser, nullptr);
  EXPECT_EQ(chooser->title, Sj("アプリケーション：住所録"));
  EXPECT_EQ(chooser->variant, 3);
  EXPECT_EQ(chooser->width, 280);
  EXPECT_EQ(chooser->height, 270);
  EXPECT_EQ(chooser->TextsOf(kOGTKindLabel), Sjs({"フォームを選んで下さい。"}));
  EXPECT_EQ(chooser->TextsOf(kOGTKindButton), Sjs({"了解", "キャンセル"}));
  for (const OGTSeenItem& item : chooser->items) {
    if (item.kind == kOGTKindList) {
      EXPECT_EQ(item.x, 10);
      EXPECT_EQ(item.y, 30);
      EXPECT_EQ(item.height, 199);
    } else if (item.kind == kOGTKindButton) {
      EXPECT_EQ(item.isDefault, item.text == Sj("了解"));
      EXPECT_EQ(item.x, item.isDefault ? 187 : 10);
      EXPECT_EQ(item.y, 240);
    }
  }

  // The form runs in its application; the list stays.
  OvApp* app = runner_->Env()->FindApp(Sj("住所録").c_str());
  ASSERT_NE(app, nullptr);
  ASSERT_EQ(app->ChildCount(), 1);
  EXPECT_EQ(app->ChildAt(0)->Text(), Sj("メモ"));
  EXPECT_EQ(WindowTitles(), Sjs({"アプリケーションリスト", "メモ"}));
}

TEST_F(AppListTest, DoubleClicksRunTheApplicationAndPickTheForm) {
  WriteDefinition("apps.ova", kNoStartupForms);
  OpenAndStart();
  OGTList* apps = runner_->AppList()->List();
  User().ThenDo("double-click the first form", [this](OGTDialog& dialog) {
    EXPECT_TRUE(User().ChooseRow(dynamic_cast<OGTList*>(dialog.ChildAt(2)), 0, 0, 2));
  });
  ASSERT_TRUE(User().ChooseRow(apps, 1, 0, 2));
  OvApp* app = runner_->Env()->FindApp(Sj("日報").c_str());
  ASSERT_NE(app, nullptr);
  ASSERT_EQ(app->ChildCount(), 1);
  EXPECT_EQ(app->ChildAt(0)->Text(), Sj("日報入力"));
  EXPECT_EQ(Screen().LastModal()->title, Sj("アプリケーション：日報"));
}

TEST_F(AppListTest, CancellingTheChooserOpensNothingAndADatabaseFormOpens) {
  WriteDefinition("apps.ova", kNoStartupForms);
  OpenAndStart();
  OvARunAppList* list = runner_->AppList();
  User().ThenPress(Sj("キャンセル"));
  ASSERT_TRUE(User().Press(list->FindByID(OvARunAppList::kRunButtonID)));
  EXPECT_EQ(runner_->Env()->AppCount(), 0);

  // Escape cancels as well; a database form without a search opens with its items empty.
  User().ThenKey(kOGTKeyEscape);
  ASSERT_TRUE(User().Press(list->FindByID(OvARunAppList::kRunButtonID)));
  User().ThenDo("pick the database form", [this](OGTDialog& dialog) {
    EXPECT_TRUE(User().ChooseRow(dynamic_cast<OGTList*>(dialog.ChildAt(2)), 2));
  });
  User().ThenKey(kOGTKeyReturn);
  ASSERT_TRUE(User().Press(list->FindByID(OvARunAppList::kRunButtonID)));
  ASSERT_EQ(runner_->Env()->AppCount(), 1);
  EXPECT_EQ(runner_->Env()->AppAt(0)->ChildCount(), 1);
  EXPECT_EQ(WindowTitles(), Sjs({"アプリケーションリスト", "台帳"}));
}

TEST_F(AppListTest, RunWithoutASelectionAsksTheUserToSelect) {
  // An empty folder gives an empty list.
  OpenAndStart();
  OvARunAppList* list = runner_->AppList();
  ASSERT_NE(list, nullptr);
  User().ThenPress(Sj("了解"));
  ASSERT_TRUE(User().Press(list->FindByID(OvARunAppList::kRunButtonID)));
  ASSERT_NE(Screen().LastModal(), nullptr);
  EXPECT_EQ(Screen().LastModal()->title, Sj("確認..."));
  EXPECT_EQ(Screen().LastModal()->TextsOf(kOGTKindLabel),
            Sjs({"アプリケーションを選択して下さい。"}));
  EXPECT_EQ(Screen().Beeps(), 1);

  // A list whose selection was cleared says the same.
  WriteDefinition("apps.ova", kNoStartupForms);
  runner_->CloseAppList();
  OpenAndStart();
  list = runner_->AppList();
  list->List()->ClearSelection();
  User().ThenPress(Sj("了解"));
  ASSERT_TRUE(User().Press(list->FindByID(OvARunAppList::kRunButtonID)));
  EXPECT_EQ(Screen().LastModal()->TextsOf(kOGTKindLabel),
            Sjs({"アプリケーションを選択して下さい。"}));
  EXPECT_EQ(runner_->Env()->AppCount(), 0);
}

TEST_F(AppListTest, RunWithoutATemplatePoolSaysTheFormsAreNotInitialised) {
  // The runner never opened an environment.
  runner_->ShowAppList();
  OvARunAppList* list = runner_->AppList();
  ASSERT_NE(list, nullptr);
  EXPECT_TRUE(Rows(list->List()).empty());
  User().ThenPress(Sj("了解"));
  ASSERT_TRUE(User().Press(list->FindByID(OvARunAppList::kRunButtonID)));
  EXPECT_EQ(Screen().LastModal()->TextsOf(kOGTKindLabel),
            Sjs({"フォームが初期化されていないため実行できません。"}));
  EXPECT_EQ(Screen().Beeps(), 1);
}

TEST_F(AppListTest, ShowingTheListAgainOnlyBringsItToTheFront) {
  WriteDefinition("apps.ova", kNoStartupForms);
  OpenAndStart();
  OvARunAppList* list = runner_->AppList();
  list->List()->SelectRow(1, true, false);
  runner_->RunForm(Sj("住所録").c_str(), Sj("連絡先").c_str());
  EXPECT_EQ(WindowTitles(), Sjs({"アプリケーションリスト", "連絡先"}));
  runner_->ShowAppList();
  EXPECT_EQ(runner_->AppList(), list);
  EXPECT_EQ(WindowTitles(), Sjs({"連絡先", "アプリケーションリスト"}));
  // Not rebuilt: the selection the user made is kept.
  EXPECT_EQ(list->List()->FirstSelected(), 1);
}

TEST_F(AppListTest, ClosingTheListByHandThenShowingItBuildsANewOne) {
  WriteDefinition("apps.ova", kNoStartupForms);
  OpenAndStart();
  OvARunAppList* first = runner_->AppList();
  ASSERT_TRUE(User().Close(first));
  EXPECT_EQ(runner_->AppList(), nullptr);
  EXPECT_TRUE(WindowTitles().empty());
  runner_->CloseAppList();  // nothing left to delete

  runner_->ShowAppList();
  ASSERT_NE(runner_->AppList(), nullptr);
  EXPECT_EQ(Rows(runner_->AppList()->List()), Sjs({"住所録", "日報"}));
  EXPECT_EQ(WindowTitles(), Sjs({"アプリケーションリスト"}));
  // The teardown deletes the runner with the new list open.
}

using FormChooserTest = PlayerTest;

TEST_F(FormChooserTest, OkWithNothingSelectedBeepsAndKeepsWaiting) {
  WriteDefinition("apps.ova", kNoStartupForms);
  Open();
  User().ThenDo("clear the selection", [](OGTDialog& dialog) {
    static_cast<OGTList*>(dialog.ChildAt(2))->ClearSelection();
  });
  User().ThenPress(Sj("了解"));
  User().ThenPress(Sj("了解"));
  User().ThenDo("pick the last form", [this](OGTDialog& dialog) {
    EXPECT_EQ(Screen().Beeps(), 2);  // each press so far beeped, and the dialog still waits
    EXPECT_TRUE(User().ChooseRow(static_cast<OGTList*>(dialog.ChildAt(2)), 2));
  });
  User().ThenPress(Sj("了解"));
  char form[OvARunner::kFormNameSize];
  ASSERT_TRUE(runner_->AskFormName(Sj("住所録").c_str(), form));
  EXPECT_EQ(std::string(form), Sj("台帳"));
  EXPECT_EQ(Screen().Beeps(), 2);
  // The chooser was deleted before the answer came.
  EXPECT_TRUE(WindowTitles().empty());
}

TEST_F(FormChooserTest, AnApplicationWithoutFormsCanOnlyBeCancelled) {
  WriteDefinition("empty.ova", "[Application]\n  Name = \"空\";\n[/Application]\n");
  Open();
  User().ThenPress(Sj("了解")).ThenPress(Sj("キャンセル"));
  char form[OvARunner::kFormNameSize] = "untouched";
  EXPECT_FALSE(runner_->AskFormName(Sj("空").c_str(), form));
  EXPECT_STREQ(form, "untouched");
  EXPECT_EQ(Screen().Beeps(), 1);
}

TEST_F(FormChooserTest, NothingIsAskedWithoutAnApplicationToAskAbout) {
  char form[OvARunner::kFormNameSize];
  // No environment yet.
  EXPECT_FALSE(runner_->AskFormName("x", form));
  WriteDefinition("apps.ova", kNoStartupForms);
  Open();
  EXPECT_FALSE(runner_->AskFormName(nullptr, form));
  EXPECT_FALSE(runner_->AskFormName(Sj("住所録").c_str(), nullptr));
  EXPECT_FALSE(runner_->AskFormName(Sj("住所").c_str(), form));
  EXPECT_EQ(Screen().LastModal(), nullptr);
}

TEST_F(FormChooserTest, AQuitDuringTheWaitAnswersFalse) {
  WriteDefinition("apps.ova", kNoStartupForms);
  Open();
  User().ThenQuit();
  char form[OvARunner::kFormNameSize];
  EXPECT_FALSE(runner_->AskFormName(Sj("住所録").c_str(), form));
  EXPECT_TRUE(WindowTitles().empty());
  Screen().SetQuitting(false);
}

TEST(OvCopyWhole, NeverSplitsADoubleByteCharacter) {
  std::string text = Sj("あいう");  // six bytes
  char out[6];
  OvCopyWhole(text.c_str(), out, sizeof out);
  EXPECT_EQ(std::string(out), Sj("あい"));
  char one[2];
  OvCopyWhole(text.c_str(), one, sizeof one);
  EXPECT_STREQ(one, "");
  char all[7];
  OvCopyWhole(text.c_str(), all, sizeof all);
  EXPECT_EQ(std::string(all), text);
}

}  // namespace
