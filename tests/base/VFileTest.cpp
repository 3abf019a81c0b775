#include "base/VFile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <set>
#include <span>
#include <string>
#include <vector>

#include "TempDir.h"
#include "base/VPath.h"
#include "base/VStream.h"

namespace {

std::string Platform(const std::string& portable) {
  std::string out;
  VResult r = VPlatformPath(portable, &out);
  return r == 0 ? out : "<" + std::to_string(r) + ">";
}

TEST(VPath, RelativeAndDrivePaths) {
  EXPECT_EQ(Platform("./a/../b"), "./a/../b");
  EXPECT_EQ(Platform("data"), "data");
  EXPECT_EQ(Platform("data/ "), "data");
  EXPECT_EQ(Platform("a/./b/"), "a/b");
  EXPECT_EQ(Platform("/"), "/");
  EXPECT_EQ(Platform("a//b"), "<-13>");
  EXPECT_EQ(Platform("a/" + std::string(128, 'x')), "<-13>");
  EXPECT_EQ(Platform("a/" + std::string(127, 'x')), "a/" + std::string(127, 'x'));
  setenv("VARNEX_DRIVE_Q", "/srv/q-drive/", 1);
  EXPECT_EQ(Platform("/Q:/work/"), "/srv/q-drive/work");
  EXPECT_EQ(Platform("/q:"), "/srv/q-drive");
  unsetenv("VARNEX_DRIVE_Q");
  EXPECT_EQ(Platform("/Q:/work"), "<-13>");
  EXPECT_EQ(Platform("/tmp/x"), "/tmp/x");  // an existing top-level directory
}

TEST(VPath, VolumeLabelsAreLookedUpIgnoringCase) {
  TempDir dir;
  std::filesystem::create_directories(dir / "media/alice/USBSTICK");
  std::filesystem::create_directories(dir / "mnt/Backup");
  VSetVolumeRoots({{dir / "media", true}, {dir / "mnt", false}});
  EXPECT_EQ(Platform("/usbstick/db/x.idx"), dir / "media/alice/USBSTICK/db/x.idx");
  EXPECT_EQ(Platform("/BACKUP"), dir / "mnt/Backup");
  EXPECT_EQ(Platform("/nolabel/file"), "/nolabel/file");  // not found: unchanged
  VSetVolumeRoots({{"/media", true}, {"/run/media", true}, {"/mnt", false}});
}

TEST(VPath, SplitAndJoin) {
  std::string folder, name;
  VSplitPath("/a/b/c.txt", &folder, &name);
  EXPECT_EQ(folder, "/a/b");
  EXPECT_EQ(name, "c.txt");
  VSplitPath("/top", &folder, &name);
  EXPECT_EQ(folder, "/");
  EXPECT_EQ(name, "top");
  VSplitPath("plain", &folder, &name);
  EXPECT_EQ(folder, "");
  // A trail byte that looks like "/" does not exist in code page 932, but 0x5C does: make sure
  // a double-byte character ending in 0x2F-like bytes is stepped over whole.
  VSplitPath("dir/\x83\x5C.txt", &folder, &name);
  EXPECT_EQ(name, "\x83\x5C.txt");
  EXPECT_EQ(VJoinPath("a/", "b"), "a/b");
  EXPECT_EQ(VPortablePath(""), "/");
}

TEST(VFile, CreateOpenAndLockRules) {
  TempDir dir;
  VFile file(dir / "f.dat");
  EXPECT_FALSE(file.Exists());
  EXPECT_EQ(file.Open(false), kVOpenFailed);
  ASSERT_EQ(file.Create(false), 0);
  EXPECT_EQ(file.Create(false), kVCreateFailed);
  EXPECT_EQ(file.Create(true), 0);
  ASSERT_EQ(file.Open(false), 0);
  EXPECT_EQ(file.Open(false), kVAlreadyOpen);
  EXPECT_EQ(file.Remove(), kVBusy);
  EXPECT_EQ(file.Rename(dir / "g.dat"), kVBusy);

  // A second writer, or a reader, is refused while the file is open read-write.
  VFile other(dir / "f.dat");
  EXPECT_EQ(other.Open(false), kVOpenFailed);
  EXPECT_EQ(other.Open(true), kVOpenFailed);
  ASSERT_EQ(file.Close(), 0);
  EXPECT_EQ(file.Close(), kVCloseNoHandle);
  EXPECT_EQ(file.Flush(), kVFlushNoHandle);
  // Readers share; a writer waits for them.
  ASSERT_EQ(file.Open(true), 0);
  ASSERT_EQ(other.Open(true), 0);
  VFile writer(dir / "f.dat");
  EXPECT_EQ(writer.Open(false), kVOpenFailed);
  EXPECT_EQ(file.Close(), kVOk);
  EXPECT_EQ(other.Close(), kVOk);
  EXPECT_EQ(writer.Open(false), 0);
  EXPECT_EQ(writer.Close(), kVOk);

  char buffer[4];
  EXPECT_EQ(file.ReadAt(0, buffer, 4), kVNotOpen);
  ASSERT_EQ(file.SetFileSize(100), 0);  // opens for the call
  int64_t size = 0;
  ASSERT_EQ(file.FileSize(&size), 0);
  EXPECT_EQ(size, 100);
  EXPECT_FALSE(file.IsOpen());
  ASSERT_EQ(file.Open(false), 0);
  EXPECT_EQ(file.ReadAt(98, buffer, 4), kVReadFailed);
  EXPECT_EQ(file.WriteAt(98, "abcd", 4), 0);
  EXPECT_EQ(file.ReadAt(98, buffer, 4), 0);
  EXPECT_EQ(std::string(buffer, 4), "abcd");
  EXPECT_EQ(file.Flush(), 0);
  EXPECT_EQ(file.SyncDirectory(), 0);
  EXPECT_EQ(file.Close(), kVOk);
  ASSERT_EQ(file.Rename(dir / "g.dat"), 0);
  EXPECT_TRUE(VFile(dir / "g.dat").Exists());
  EXPECT_EQ(file.Remove(), 0);
  EXPECT_EQ(file.Remove(), kVDeleteFailed);
}

// More buffers than one system call takes, of every size from empty up: the file holds exactly
// their concatenation after the offset, and nothing before it changes.
TEST(VFile, GatheredWritesPlaceEveryBufferInTurn) {
  TempDir dir;
  VFile file(dir / "g.dat");
  ASSERT_EQ(file.Create(false), kVOk);
  ASSERT_EQ(file.Open(false), kVOk);
  const std::string head = "head";
  ASSERT_EQ(file.WriteAt(0, head.data(), static_cast<int32_t>(head.size())), kVOk);
  std::vector<std::vector<uint8_t>> pieces;
  std::vector<uint8_t> expected(head.begin(), head.end());
  for (int i = 0; i < 700; ++i) {
    std::vector<uint8_t> piece(static_cast<size_t>(i % 37), static_cast<uint8_t>(i));
    expected.insert(expected.end(), piece.begin(), piece.end());
    pieces.push_back(std::move(piece));
  }
  std::vector<std::span<const uint8_t>> buffers(pieces.begin(), pieces.end());
  ASSERT_EQ(file.WriteGatheredAt(4, buffers), kVOk);
  std::vector<uint8_t> back(expected.size());
  ASSERT_EQ(file.ReadAt(0, back.data(), static_cast<int32_t>(back.size())), kVOk);
  EXPECT_EQ(back, expected);
  ASSERT_EQ(file.Close(), kVOk);
  ASSERT_EQ(file.Open(true), kVOk);
  EXPECT_EQ(file.WriteGatheredAt(0, buffers), kVWriteFailed);  // read-only
}

TEST(VFile, LocksAreRefusedBetweenProcesses) {
  TempDir dir;
  VFile file(dir / "locked");
  ASSERT_EQ(file.Create(false), 0);
  ASSERT_EQ(file.Open(false), 0);
  pid_t child = fork();
  if (child == 0) {
    VFile again(dir / "locked");
    _exit(again.Open(true) == kVOpenFailed ? 0 : 1);
  }
  int status = 0;
  waitpid(child, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

TEST(VDir, CreateListAndRemoveTrees) {
  TempDir dir;
  VDir nested(dir / "a/b/c");
  EXPECT_EQ(nested.Create(false), kVMkdirFailed);
  ASSERT_EQ(nested.Create(true), 0);
  EXPECT_EQ(nested.Create(true), 0);
  VFile deep(dir / "a/b/c/d/e.txt");
  ASSERT_EQ(deep.Create(true), 0);
  VFile top(dir / "a/top.txt");
  ASSERT_EQ(top.Create(false), 0);

  VDir a(dir / "a");
  EXPECT_EQ(a.List(3), 2);
  EXPECT_EQ(a.List(1), 1);
  EXPECT_NE(a.Child("TOP.TXT"), nullptr);
  EXPECT_TRUE(a.Child("TOP.TXT")->IsFile());
  EXPECT_EQ(a.Child("TOP.TXT")->FullPath(), dir / "a/top.txt");
  EXPECT_TRUE(a.HasChild("b"));  // not listed, asked of the platform
  EXPECT_FALSE(a.HasChild("zz"));

  VPioNames names;
  ASSERT_EQ(VListDirectory(dir / "a", &names), 0);
  std::set<std::pair<std::string, int>> entries;
  for (int32_t i = 0; i < names.Count(); ++i) entries.insert({names.NameAt(i), names.KindAt(i)});
  EXPECT_EQ(entries, (std::set<std::pair<std::string, int>>{{"b", 2}, {"top.txt", 1}}));

  VDir copyTarget(dir / "copies");
  ASSERT_EQ(copyTarget.Create(false), 0);
  ASSERT_EQ(copyTarget.MoveFrom(top), 0);
  EXPECT_FALSE(top.Exists());
  EXPECT_TRUE(VFile(dir / "copies/top.txt").Exists());

  ASSERT_EQ(a.Remove(), 0);
  EXPECT_FALSE(a.Exists());
  EXPECT_EQ(VFile("orphan").OpenAll(true), kVNoParent);
}

TEST(VDir, ChildrenOpenAndFlushTogether) {
  TempDir dir;
  EXPECT_EQ(VFile(dir / "x").Create(false), kVOk);
  EXPECT_EQ(VFile(dir / "y").Create(false), kVOk);
  VDir root(dir.Path());
  ASSERT_EQ(root.List(1), 2);
  VDirElement* x = root.ChildAt(0);
  ASSERT_EQ(x->OpenAll(false), 0);
  EXPECT_TRUE(static_cast<VFile*>(root.ChildAt(1))->IsOpen());
  EXPECT_EQ(x->FlushAll(), 0);
  EXPECT_EQ(x->CloseAll(), 0);
  EXPECT_FALSE(static_cast<VFile*>(root.ChildAt(1))->IsOpen());
}

}  // namespace
