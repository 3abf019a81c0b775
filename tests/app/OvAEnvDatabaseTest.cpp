// The environment's database: opened through the engine from the configuration file, handed to the
// running applications, closed (releasing its files) when the environment goes, and the
// configuration written back only when it changed. A database that does not open leaves the player
// running without one.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "PlayerFixture.h"
#include "app/OvAEnv.h"
#include "app/OvApp.h"
#include "db/engine/VBSBoss.h"
#include "db/engine/VDBHandle.h"
#include "db/schema/VConfig.h"
#include "db/schema/VMSD.h"

namespace {

const char* kApp = R"([Application]
  Name = "顧客";  Startup = 1;
  [Form]
    Name = "顧客一覧";  FormType = 1;  Width = 300;  Height = 200;  Visible = 1;  Enable = 1;
    Startup = 1;
  [/Form]
[/Application]
)";

// A configuration as a person writes it: a comment, spacing of their own and settings in another
// order. Reading it changes nothing, so it must come back byte for byte.
const char* kConfig =
    "; the player's database\r\n"
    "[DDSA]\r\n"
    "DBPATH   =   (\"INDEX\", \"DATA\")\r\n"
    "WORKPATH = \"WORK\"\r\n"
    "CLOG = off\r\n"
    "CASHSIZE = 300\r\n";

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

class EnvDatabaseTest : public PlayerTest {
 protected:
  void SetUp() override {
    WriteDefinition("a.ova", kApp);
    std::ofstream(dir_ / "Varnex.conf", std::ios::binary) << kConfig;
  }

  // Makes the database of the folder's configuration with a separate engine, as a tool would.
  void CreateDatabase() {
    VBSBoss engine("./Varnex.conf");
    VDBHandle handle(&engine);
    ASSERT_EQ(handle.CreateDatabase(Sj("顧客台帳"), ""), kVOk);
  }

  // Whether another engine can open the database now (it cannot while the player holds it).
  static VResult OpenElsewhere() {
    VBSBoss engine("./Varnex.conf");
    VDBHandle handle(&engine);
    VResult opened = handle.Open();
    if (opened == kVOk) {
      EXPECT_EQ(handle.Close(), kVOk);
    }
    return opened;
  }

  std::string DatabaseName() {
    std::string name;
    std::string desc;
    std::vector<uint32_t> files;
    EXPECT_EQ(runner_->Env()->Handle()->GetInfo(&name, &desc, &files), kVOk);
    return name;
  }
};

TEST_F(EnvDatabaseTest, TheDatabaseOpensForEveryRunningApplicationAndClosesWithTheRunner) {
  CreateDatabase();
  ASSERT_EQ(runner_->Open("./Varnex.conf", "./OVAFolder"), 0);
  OvAEnv* env = runner_->Env();
  EXPECT_TRUE(env->IsDatabaseOpen());
  ASSERT_NE(env->Handle(), nullptr);
  EXPECT_TRUE(env->Handle()->IsOpen());
  EXPECT_EQ(DatabaseName(), Sj("顧客台帳"));
  // The player holds the database: no one else opens it meanwhile.
  EXPECT_NE(OpenElsewhere(), kVOk);

  runner_->Start();
  ASSERT_EQ(env->AppCount(), 1);
  EXPECT_EQ(env->AppAt(0)->Handle(), env->Handle());
  EXPECT_EQ(env->AppAt(0)->ChildCount(), 1);

  // Deleting the runner closes the windows and the database; the configuration, unchanged, is
  // left exactly as it was written.
  runner_.reset();
  EXPECT_EQ(OpenElsewhere(), kVOk);
  EXPECT_EQ(ReadAll(dir_ / "Varnex.conf"), kConfig);
}

TEST_F(EnvDatabaseTest, AMissingDatabaseIsAnsweredAndTheFolderIsReadAllTheSame) {
  VResult opened = runner_->Open("./Varnex.conf", "./OVAFolder");
  EXPECT_LT(opened, 0);
  OvAEnv* env = runner_->Env();
  EXPECT_FALSE(env->IsDatabaseOpen());
  // The handle stays until the next close, refusing what needs a database.
  ASSERT_NE(env->Handle(), nullptr);
  EXPECT_FALSE(env->Handle()->IsOpen());
  std::string name;
  std::string desc;
  std::vector<uint32_t> files;
  EXPECT_NE(env->Handle()->GetInfo(&name, &desc, &files), kVOk);
  EXPECT_EQ(runner_->GetTemplatePool()->AppCount(), 1);
  runner_->Start();
  EXPECT_EQ(env->AppCount(), 1);

  runner_.reset();
  // A failed open makes nothing: no folders, and the configuration as it was.
  EXPECT_FALSE(std::filesystem::exists(dir_ / "INDEX"));
  EXPECT_FALSE(std::filesystem::exists(dir_ / "DATA"));
  EXPECT_EQ(ReadAll(dir_ / "Varnex.conf"), kConfig);
}

TEST_F(EnvDatabaseTest, ADatabaseHeldElsewhereDoesNotOpenUntilItIsFree) {
  CreateDatabase();
  {
    VBSBoss other("./Varnex.conf");
    VDBHandle holder(&other);
    ASSERT_EQ(holder.Open(), kVOk);
    EXPECT_LT(runner_->Open("./Varnex.conf", "./OVAFolder"), 0);
    EXPECT_FALSE(runner_->Env()->IsDatabaseOpen());
    // A second try on the same environment drops the failed engine first.
    EXPECT_LT(runner_->Env()->OpenDatabase("./Varnex.conf"), 0);
    ASSERT_EQ(holder.Close(), kVOk);
  }
  EXPECT_EQ(runner_->Env()->OpenDatabase("./Varnex.conf"), 0);
  EXPECT_TRUE(runner_->Env()->IsDatabaseOpen());
  EXPECT_EQ(DatabaseName(), Sj("顧客台帳"));
}

TEST_F(EnvDatabaseTest, ClosingAndOpeningAgainWorksWithAFreshEngine) {
  CreateDatabase();
  ASSERT_EQ(runner_->Open("./Varnex.conf", "./OVAFolder"), 0);
  OvAEnv* env = runner_->Env();
  EXPECT_EQ(env->CloseDatabase(), 0);
  EXPECT_FALSE(env->IsDatabaseOpen());
  EXPECT_EQ(env->Handle(), nullptr);
  EXPECT_EQ(env->Engine(), nullptr);
  EXPECT_EQ(env->CloseDatabase(), 0);
  EXPECT_EQ(OpenElsewhere(), kVOk);
  // The engine's process-wide state went with the last engine and comes back with the next.
  ASSERT_EQ(env->OpenDatabase("./Varnex.conf"), 0);
  EXPECT_EQ(DatabaseName(), Sj("顧客台帳"));
  // Opening again while open closes the first engine before making the second.
  ASSERT_EQ(env->OpenDatabase("./Varnex.conf"), 0);
  EXPECT_TRUE(env->Handle()->IsOpen());
  EXPECT_EQ(env->OpenDatabase(nullptr), -1);
}

TEST_F(EnvDatabaseTest, AChangedConfigurationIsWrittenBackAtTheEnd) {
  CreateDatabase();
  ASSERT_EQ(runner_->Open("./Varnex.conf", "./OVAFolder"), 0);
  runner_->Env()->Engine()->Config()->MainSection()->SetCacheSize(512, true);
  EXPECT_EQ(ReadAll(dir_ / "Varnex.conf"), kConfig);
  EXPECT_EQ(runner_->Close(), kVOk);
  std::string written = ReadAll(dir_ / "Varnex.conf");
  EXPECT_NE(written, kConfig);
  EXPECT_NE(written.find("512"), std::string::npos) << written;
  // The rewritten file reads back with the change, and the database still opens with it.
  VConfig reread("./Varnex.conf");
  EXPECT_EQ(reread.MainSection()->CacheSize(), 512);
  EXPECT_EQ(runner_->Open("./Varnex.conf", "./OVAFolder"), 0);
}

}  // namespace
