// The environment's running applications and their forms: opening, finding, showing again,
// closing by hand or from a script, and the quit flag.
#include "app/OvAEnv.h"

#include <gtest/gtest.h>

#include <string>

#include "PlayerFixture.h"
#include "app/OvApp.h"
#include "gt/OGTEvent.h"
#include "gt/OGTWindow.h"
#include "script/OvScriptApp.h"
#include "template/OFTApp.h"

namespace {

const char* kApps = R"([Application]
  Name = "顧客";
  [Form]
    Name = "顧客一覧";  FormType = 1;  Width = 300;  Height = 200;  Visible = 1;  Enable = 1;
    [Field]
      ID = 1;  X = 10;  Y = 10;  Width = 100;  Height = 20;  Visible = 1;  Enable = 1;
    [/Field]
  [/Form]
  [Form]
    Name = "顧客明細";  FormType = 2;  Width = 200;  Height = 100;  Visible = 1;  Enable = 1;
  [/Form]
[/Application]
[Application]
  Name = "商品";
  [Form]
    Name = "商品一覧";  FormType = 1;  Width = 300;  Height = 200;  Visible = 1;  Enable = 1;
  [/Form]
[/Application]
)";

class EnvTest : public PlayerTest {
 protected:
  void SetUp() override {
    WriteDefinition("apps.ova", kApps);
    Open();
    env_ = runner_->Env();
    ASSERT_NE(env_, nullptr);
  }

  OvApp* Running(const char* utf8) { return env_->FindApp(Sj(utf8).c_str()); }

  OvAEnv* env_ = nullptr;
};

TEST_F(EnvTest, ShowingAnOpenFormOnlyBringsItToTheFront) {
  env_->OpenApp(Sj("顧客").c_str());
  OvApp* app = Running("顧客");
  ASSERT_NE(app, nullptr);
  EXPECT_EQ(app->KindCode(), OvKindCode("OVAp"));
  EXPECT_EQ(app->Template(), env_->Pool().FindApp(Sj("顧客").c_str()));
  app->ShowForm(Sj("顧客一覧").c_str());
  app->ShowForm(Sj("顧客明細").c_str());
  OGTWindow* list = app->FindOpenForm(Sj("顧客一覧").c_str());
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(WindowTitles(), Sjs({"顧客一覧", "顧客明細"}));

  app->ShowForm(Sj("顧客一覧").c_str());
  EXPECT_EQ(app->ChildCount(), 2);
  EXPECT_EQ(WindowTitles(), Sjs({"顧客明細", "顧客一覧"}));
  EXPECT_EQ(app->FindOpenForm(Sj("顧客一覧").c_str()), list);
}

TEST_F(EnvTest, AWindowWhoseTitleChangedIsNotFoundAndTheFormOpensAgain) {
  env_->OpenApp(Sj("顧客").c_str());
  OvApp* app = Running("顧客");
  app->ShowForm(Sj("顧客一覧").c_str());
  OGTWindow* first = app->FindOpenForm(Sj("顧客一覧").c_str());
  ASSERT_NE(first, nullptr);
  first->SetText(Sj("顧客一覧（旧）").c_str());
  EXPECT_EQ(app->FindOpenForm(Sj("顧客一覧").c_str()), nullptr);
  app->ShowForm(Sj("顧客一覧").c_str());
  ASSERT_EQ(app->ChildCount(), 2);
  EXPECT_NE(app->ChildAt(1), first);
  EXPECT_EQ(app->FindOpenForm(Sj("顧客一覧").c_str()), app->ChildAt(1));
  // An empty title never matches, not even an empty name.
  first->SetText("");
  EXPECT_EQ(app->FindOpenForm(""), nullptr);
  // Unknown forms open nothing and say nothing.
  app->ShowForm(Sj("顧客台帳").c_str());
  app->ShowForm(nullptr);
  EXPECT_EQ(app->ChildCount(), 2);
  EXPECT_EQ(Screen().LastModal(), nullptr);
}

TEST_F(EnvTest, OpeningARunningApplicationChangesNothing) {
  env_->OpenApp(Sj("顧客").c_str());
  OvApp* app = Running("顧客");
  app->ShowForm(Sj("顧客一覧").c_str());
  env_->OpenApp(Sj("顧客").c_str());
  EXPECT_EQ(env_->AppCount(), 1);
  EXPECT_EQ(Running("顧客"), app);
  EXPECT_EQ(app->ChildCount(), 1);
  EXPECT_EQ(app->Handle(), env_->Handle());
  // Names without a template, and no name, run nothing.
  env_->OpenApp(Sj("顧").c_str());
  env_->OpenApp(nullptr);
  EXPECT_EQ(env_->AppCount(), 1);
}

TEST_F(EnvTest, AWindowClosedByTheUserLeavesItsApplication) {
  runner_->RunForm(Sj("顧客").c_str(), Sj("顧客一覧").c_str());
  OvApp* app = Running("顧客");
  ASSERT_EQ(app->ChildCount(), 1);
  ASSERT_TRUE(User().Close(app->ChildAt(0)));
  EXPECT_EQ(app->ChildCount(), 0);
  EXPECT_TRUE(WindowTitles().empty());
  // The application keeps running and shows the form anew.
  runner_->RunForm(Sj("顧客").c_str(), Sj("顧客一覧").c_str());
  EXPECT_EQ(app->ChildCount(), 1);
}

TEST_F(EnvTest, ClosingTheLastRunningApplicationRequestsTheQuit) {
  runner_->RunForm(Sj("顧客").c_str(), Sj("顧客一覧").c_str());
  runner_->RunForm(Sj("商品").c_str(), Sj("商品一覧").c_str());
  EXPECT_EQ(env_->AppCount(), 2);
  env_->CloseApp(Sj("商品").c_str());
  EXPECT_FALSE(runner_->IsQuitRequested());
  EXPECT_EQ(WindowTitles(), Sjs({"顧客一覧"}));
  // A name that is not running closes nothing.
  env_->CloseApp(Sj("商品").c_str());
  env_->CloseApp(nullptr);
  EXPECT_FALSE(runner_->IsQuitRequested());
  env_->CloseApp(Sj("顧客").c_str());
  EXPECT_TRUE(runner_->IsQuitRequested());
  EXPECT_EQ(env_->AppCount(), 0);
  EXPECT_TRUE(WindowTitles().empty());
}

// Scripts hold their application only as an OvScriptApp: through it a form opens and is found
// again, and Quit ends the application with its windows; ending the last one ends the player.
TEST_F(EnvTest, ScriptsReachTheirApplicationThroughItsInterface) {
  env_->OpenApp(Sj("顧客").c_str());
  env_->OpenApp(Sj("商品").c_str());
  OvScriptApp* app = Running("顧客");
  ASSERT_NE(app, nullptr);
  app->ShowForm(Sj("顧客明細").c_str());
  OGTWindow* form = app->FindOpenForm(Sj("顧客明細").c_str());
  ASSERT_NE(form, nullptr);
  EXPECT_EQ(app->Template(), env_->Pool().FindApp(Sj("顧客").c_str()));
  EXPECT_EQ(app->Handle(), env_->Handle());
  app->Quit();
  EXPECT_EQ(Running("顧客"), nullptr);
  EXPECT_TRUE(WindowTitles().empty());
  EXPECT_FALSE(runner_->IsQuitRequested());
  // An application outside any environment has nothing to leave.
  OvApp loose(nullptr);
  loose.SetName(Sj("商品").c_str());
  loose.Quit();
  EXPECT_EQ(env_->AppCount(), 1);
  static_cast<OvScriptApp*>(Running("商品"))->Quit();
  EXPECT_TRUE(runner_->IsQuitRequested());
  EXPECT_EQ(env_->AppCount(), 0);
}

TEST_F(EnvTest, ClosingTheRunnerDeletesTheWindowsOfEveryApplication) {
  runner_->RunForm(Sj("顧客").c_str(), Sj("顧客一覧").c_str());
  runner_->RunForm(Sj("顧客").c_str(), Sj("顧客明細").c_str());
  runner_->RunForm(Sj("商品").c_str(), Sj("商品一覧").c_str());
  runner_->ShowAppList();
  EXPECT_EQ(WindowTitles().size(), 4u);
  // A new Open drops the old environment with its applications and windows.
  Open();
  EXPECT_EQ(runner_->Env()->AppCount(), 0);
  EXPECT_EQ(WindowTitles(), Sjs({"アプリケーションリスト"}));
  // The list window belongs to the runner, not to the environment.
  ASSERT_NE(runner_->AppList(), nullptr);
}

}  // namespace
