#include "db/store/VBio.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "StoreTestSupport.h"
#include "TempDir.h"
#include "base/VDate.h"
#include "base/VEndian.h"
#include "base/VStream.h"

namespace {

TEST(VBio, CreateWritesTheHeaderByteForByte) {
  TempDir dir;
  int32_t before[6];
  VCurrentLocalTime(before);
  VBio file(dir / "a.idx");
  ASSERT_EQ(file.Create(false), kVOk);
  EXPECT_FALSE(file.IsOpen());
  std::vector<uint8_t> bytes = RawBytes(dir / "a.idx");
  ASSERT_EQ(bytes.size(), 512u);
  EXPECT_EQ(bytes[0], 'D');
  EXPECT_EQ(bytes[1], 'A');
  EXPECT_EQ(bytes[2], 1);
  EXPECT_EQ(bytes[3], 4);  // 2048-byte blocks by default
  EXPECT_EQ(VGetU16(&bytes[4]), 0);
  EXPECT_EQ(VGetU16(&bytes[16]), before[0]);  // creation year, big-endian
  EXPECT_GE(VGetU16(&bytes[18]), 1);
  EXPECT_LE(VGetU16(&bytes[18]), 12);
  EXPECT_EQ(std::memcmp(&bytes[16], &bytes[32], 12), 0);  // update time starts equal
  for (int at : {6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 28, 29, 30, 31}) EXPECT_EQ(bytes[at], 0) << at;
  for (size_t at = 44; at < 512; ++at) ASSERT_EQ(bytes[at], 0) << at;

  // Creating again replaces the file.
  std::filesystem::resize_file(dir / "a.idx", 5000);
  VBio again(dir / "a.idx");
  again.SetBlockSize(4096);
  ASSERT_EQ(again.Create(false), kVOk);
  EXPECT_EQ(std::filesystem::file_size(dir / "a.idx"), 512u);
  EXPECT_EQ(RawBytes(dir / "a.idx")[3], 8);
}

TEST(VBio, BlockSizeIsStoredInUnitsOf512) {
  auto unitsFor = [](int32_t bytes) {
    VBio file("unused");
    file.SetBlockSize(bytes);
    return file.Header()[3];
  };
  EXPECT_EQ(unitsFor(4096), 8);
  EXPECT_EQ(unitsFor(8192), 16);
  EXPECT_EQ(unitsFor(5000), 10);
  EXPECT_EQ(unitsFor(1), 1);
  EXPECT_EQ(unitsFor(0), 1);
  EXPECT_EQ(unitsFor(65024), 127);
  EXPECT_EQ(unitsFor(1 << 20), 127);
}

TEST(VBio, ForeignFilesAreRefusedOnOpen) {
  TempDir dir;
  VBio model(dir / "model");
  model.SetBlockSize(1024);
  ASSERT_EQ(model.Create(false), kVOk);
  std::vector<uint8_t> good = RawBytes(dir / "model");
  good.resize(512 + 3 * 1024, 0x5A);

  struct Case {
    const char* name;
    std::vector<uint8_t> bytes;
  };
  std::vector<Case> cases;
  cases.push_back({"empty", {}});
  cases.push_back({"short", std::vector<uint8_t>(good.begin(), good.begin() + 300)});
  std::vector<uint8_t> text(2000, 'x');
  std::memcpy(text.data(), "[DDSA]\r\nDBPATH = x\r\n", 20);
  cases.push_back({"text", text});
  for (auto [at, value] : std::vector<std::pair<int, uint8_t>>{
           {0, 'E'}, {1, 'a'}, {1, 0}, {2, 2}, {3, 0}, {3, 128}, {3, 255}}) {
    std::vector<uint8_t> bad = good;
    bad[at] = value;
    cases.push_back({"patched", bad});
  }
  for (const Case& c : cases) {
    WriteRaw(dir / "f", c.bytes);
    VBio file(dir / "f");
    EXPECT_EQ(file.Open(false), kVNotBlockFile) << c.name;
    EXPECT_FALSE(file.IsOpen()) << c.name;
    EXPECT_EQ(RawBytes(dir / "f"), c.bytes) << c.name;  // nothing was written
  }
  WriteRaw(dir / "f", good);
  VBio file(dir / "f");
  ASSERT_EQ(file.Open(true), kVOk);
  EXPECT_EQ(file.BlockSize(), 1024);
  VBio missing(dir / "none");
  EXPECT_EQ(missing.Open(false), kVOpenFailed);
}

// Extending remembers what the open file holds; a file cut short while closed is extended again
// after the next open.
TEST(VBio, ExtendingKnowsTheLengthOnlyWhileOpen) {
  TempDir dir;
  VBio file(dir / "b");
  file.SetBlockSize(512);
  ASSERT_EQ(file.Create(false), kVOk);
  ASSERT_EQ(file.Open(false), kVOk);
  ASSERT_EQ(file.ExtendTo(9), kVOk);
  EXPECT_EQ(std::filesystem::file_size(dir / "b"), 512u + 10 * 512);
  ASSERT_EQ(file.Close(), kVOk);
  std::filesystem::resize_file(dir / "b", 512u + 4 * 512);
  ASSERT_EQ(file.Open(false), kVOk);
  ASSERT_EQ(file.ExtendTo(6), kVOk);
  EXPECT_EQ(std::filesystem::file_size(dir / "b"), 512u + 7 * 512);
  ASSERT_EQ(file.ExtendTo(5), kVOk);
  std::vector<uint8_t> image(512, 0x5A);
  ASSERT_EQ(file.WriteBlock(7, image.data()), kVOk);
  ASSERT_EQ(file.ExtendTo(7), kVOk);
  EXPECT_EQ(std::filesystem::file_size(dir / "b"), 512u + 8 * 512);
  ASSERT_EQ(file.Close(), kVOk);
}

TEST(VBio, BlocksLieAfterTheHeaderAndFlushStampsTheUpdate) {
  TempDir dir;
  VBio file(dir / "b");
  file.SetBlockSize(512);
  ASSERT_EQ(file.Create(false), kVOk);
  std::vector<uint8_t> created = RawBytes(dir / "b");
  VPutU16(&created[32], 1999);  // backdate the update time
  WriteRaw(dir / "b", created);
  ASSERT_EQ(file.Open(false), kVOk);
  std::vector<uint8_t> image(512);
  FillPattern(image.data(), 512, 3, 1);
  ASSERT_EQ(file.WriteBlock(3, image.data()), kVOk);
  EXPECT_EQ(std::filesystem::file_size(dir / "b"), 512u + 4 * 512);
  std::vector<uint8_t> back(512);
  ASSERT_EQ(file.ReadBlock(3, back.data()), kVOk);
  EXPECT_EQ(back, image);
  EXPECT_EQ(file.ReadBlock(4, back.data()), kVReadFailed);  // past the end

  ASSERT_EQ(file.ExtendTo(9), kVOk);
  EXPECT_EQ(std::filesystem::file_size(dir / "b"), 512u + 10 * 512);
  ASSERT_EQ(file.ExtendTo(2), kVOk);  // never shrinks
  EXPECT_EQ(std::filesystem::file_size(dir / "b"), 512u + 10 * 512);

  // Flush stamps the update time because a block was written.
  EXPECT_FALSE(file.IsHeaderDirty());
  file.SetGroupCount(7);
  ASSERT_EQ(file.Flush(), kVOk);
  EXPECT_FALSE(file.IsHeaderDirty());
  std::vector<uint8_t> after = RawBytes(dir / "b");
  EXPECT_EQ(VGetU16(&after[4]), 7);
  int32_t now[6];
  VCurrentLocalTime(now);
  EXPECT_EQ(VGetU16(&after[32]), now[0]);
  EXPECT_EQ(VGetU16(&after[16]), now[0]);  // creation time untouched
  EXPECT_TRUE(HasPattern(RawBlock(dir / "b", 3, 512), 3, 1));
  ASSERT_EQ(file.Close(), kVOk);

  VBio reopened(dir / "b");
  ASSERT_EQ(reopened.Open(false), kVOk);
  EXPECT_EQ(reopened.GroupCount(), 7);
  reopened.SetLayout('B');
  ASSERT_EQ(reopened.Close(), kVOk);  // a dirty header is written on close
  EXPECT_EQ(RawBytes(dir / "b")[1], 'B');
}

TEST(VBio, HeaderBackupEntryOnlyWhenDirty) {
  TempDir dir;
  VBio file(dir / "c");
  ASSERT_EQ(file.Create(false), kVOk);
  ASSERT_EQ(file.Open(false), kVOk);
  VDMemStream backup;
  ASSERT_EQ(file.WriteHeaderToBackup(backup, 2), kVOk);
  EXPECT_EQ(backup.Size(), 0);
  file.SetGroupCount(1);
  ASSERT_EQ(file.WriteHeaderToBackup(backup, 2), kVOk);
  ASSERT_EQ(backup.Size(), 12 + 512);
  const uint8_t* bytes = backup.Data();
  EXPECT_EQ(VGetU32(bytes), 2u);
  EXPECT_EQ(VGetU32(bytes + 4), 0xFFFFFFFFu);
  EXPECT_EQ(VGetU32(bytes + 8), 512u);
  EXPECT_EQ(std::memcmp(bytes + 12, file.Header(), 512), 0);
  EXPECT_TRUE(file.IsHeaderDirty());  // still to be written in place

  // Replaying the entry writes the image in place and reads the header back from the file.
  VBio other(dir / "d");
  ASSERT_EQ(other.Create(false), kVOk);
  ASSERT_EQ(other.Open(false), kVOk);
  ASSERT_EQ(other.WriteAt(0, bytes + 12, 512), kVOk);
  ASSERT_EQ(other.ReadHeader(), kVOk);
  EXPECT_EQ(other.GroupCount(), 1);
  EXPECT_FALSE(other.IsHeaderDirty());
  std::vector<uint8_t> junk(512, 'z');
  ASSERT_EQ(other.WriteAt(0, junk.data(), 512), kVOk);
  EXPECT_EQ(other.ReadHeader(), kVNotBlockFile);
  EXPECT_EQ(other.GroupCount(), 1);  // the header held is kept
}

}  // namespace
