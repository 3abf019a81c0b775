// The engine's work files: made on first use in the configuration's work directory (a temporary
// one when none is configured), through the block cache, removed whole when closed.
#include "db/store/VWorkFiles.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "TempDir.h"
#include "db/schema/VConfig.h"
#include "db/store/VCash.h"
#include "db/store/VCioMap.h"

namespace {

void WriteAll(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
}

// Points $TMPDIR at a folder for one test.
class TemporaryFolder {
 public:
  explicit TemporaryFolder(const std::string& path) {
    const char* old = std::getenv("TMPDIR");
    if (old != nullptr) previous_ = old;
    hadPrevious_ = old != nullptr;
    setenv("TMPDIR", path.c_str(), 1);
  }
  ~TemporaryFolder() {
    if (hadPrevious_) {
      setenv("TMPDIR", previous_.c_str(), 1);
    } else {
      unsetenv("TMPDIR");
    }
  }

 private:
  std::string previous_;
  bool hadPrevious_ = false;
};

TEST(VConfig, TemporaryWorkDirectoryAndWorkFiles) {
  TempDir dir;
  TempDir temporary;
  TemporaryFolder useIt(temporary.Path());
  std::filesystem::create_directories(temporary / "@VARNEX_T_00001");
  WriteAll(dir / "Varnex.conf", "[DDSA]\nDBPATH = 'x'\n");
  {
    VConfig config(dir / "Varnex.conf");
    VCash cache(config.MainSection()->CacheSize());
    VWorkFiles files(&config, &cache);
    VDir* work = config.WorkDirectory();
    ASSERT_NE(work, nullptr);
    EXPECT_EQ(work->FullPath(), temporary / "@VARNEX_T_00002");
    EXPECT_TRUE(work->Exists());

    VCioMap* set = files.WorkSet();
    ASSERT_NE(set, nullptr);
    EXPECT_EQ(files.WorkSet(), set);
    EXPECT_EQ(set->BlockSize(), 4096);
    EXPECT_EQ(set->FileKind(), kVWorkFileKind);
    EXPECT_EQ(set->Cache(), &cache);
    EXPECT_EQ(set->AllocBlock(), 1u);
    ASSERT_NE(files.WorkTree(), nullptr);
    EXPECT_TRUE(std::filesystem::exists(temporary / "@VARNEX_T_00002/@Workset"));
    EXPECT_TRUE(std::filesystem::exists(temporary / "@VARNEX_T_00002/@Worktree"));
    EXPECT_EQ(files.CloseWorkFiles(), kVOk);
    EXPECT_FALSE(std::filesystem::exists(temporary / "@VARNEX_T_00002/@Workset"));
    EXPECT_EQ(cache.NodeCount(), 0);
    // Made again on the next use, empty.
    ASSERT_NE(files.WorkSet(), nullptr);
    EXPECT_EQ(files.WorkSet()->GroupCount(), 0);
  }
  // The directory this run made is gone again; the one it found stays.
  EXPECT_FALSE(std::filesystem::exists(temporary / "@VARNEX_T_00002"));
  EXPECT_TRUE(std::filesystem::exists(temporary / "@VARNEX_T_00001"));
}

TEST(VConfig, WorkFilesNeedAnExistingWorkDirectory) {
  TempDir dir;
  WriteAll(dir / "Varnex.conf", "[DDSA]\nWORKPATH = 'work'\n");
  VConfig config(dir / "Varnex.conf");
  VCash cache(config.MainSection()->CacheSize());
  VWorkFiles files(&config, &cache);
  EXPECT_EQ(config.WorkDirectory()->FullPath(), dir / "work");
  EXPECT_EQ(files.WorkSet(), nullptr);  // the database's creation makes the directory
  std::filesystem::create_directories(dir / "work");
  EXPECT_NE(files.WorkSet(), nullptr);
}

}  // namespace
