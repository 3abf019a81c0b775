#include "db/store/VCioFsp.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "StoreTestSupport.h"
#include "TempDir.h"
#include "base/VEndian.h"

namespace {

constexpr int32_t kBlock = 512;
constexpr int32_t kPayload = kBlock - 4;
constexpr uint32_t kGroup = kPayload / 2;  // 254 blocks a group
constexpr uint8_t kRecord = 0x10;

std::unique_ptr<VCioFsp> NewDataFile(const std::string& path, VCash* cache) {
  auto file = std::make_unique<VCioFsp>(path, cache, nullptr, kVDataFileKind);
  file->SetBlockSize(kBlock);
  EXPECT_EQ(file->Create(false), kVOk);
  EXPECT_EQ(file->Open(false), kVOk);
  return file;
}

// Takes room for bytes and uses it, as a record insert does.
uint32_t Use(VCioFsp& file, uint32_t bytes) {
  VCashBffr* block = file.AllocSpace(kRecord, bytes);
  EXPECT_NE(block, nullptr);
  if (block == nullptr) return 0;
  block->SetBlockHeader(kRecord, 0, static_cast<uint16_t>(block->InUse() + bytes));
  file.MarkDirty(block);
  file.Release(block);
  return block->BlockNumber();
}

TEST(VCioFsp, MapLayoutAndUsageEntries) {
  TempDir dir;
  VCash cache(100);
  auto file = NewDataFile(dir / "x.dat", &cache);
  EXPECT_EQ(Use(*file, 100), 1u);  // a new file's first block, behind its map block 0
  EXPECT_EQ(file->MapEntry(1), 0x1000 | (kPayload - 100) / 16);
  EXPECT_EQ(Use(*file, 200), 1u);  // room is found in the cached block
  EXPECT_EQ(file->MapEntry(1), 0x1000 | (kPayload - 300) / 16);
  EXPECT_EQ(Use(*file, 300), 2u);  // 208 left in block 1 is too little
  EXPECT_EQ(file->MapEntry(0), 0xF000);
  EXPECT_EQ(file->NoteUsage(0), kVOk);  // the map block's own entry never changes
  EXPECT_EQ(file->MapEntry(0), 0xF000);
  EXPECT_EQ(file->AllocBlock(), 3u);
  EXPECT_EQ(file->MapEntry(3), 0x0000);
  ASSERT_EQ(file->Close(), kVOk);

  std::vector<uint8_t> map = RawBlock(dir / "x.dat", 0, kBlock);
  ASSERT_EQ(map.size(), static_cast<size_t>(kBlock));
  EXPECT_EQ(map[0], 0xF0);
  EXPECT_EQ(VGetU16(&map[4]), 0xF000);
  EXPECT_EQ(VGetU16(&map[6]), 0x1000 | (kPayload - 300) / 16);
  EXPECT_EQ(VGetU16(&map[8]), 0x1000 | (kPayload - 300) / 16);
  EXPECT_EQ(VGetU16(&map[10]), 0x0000);
  for (uint32_t k = 4; k < kGroup; ++k) ASSERT_EQ(VGetU16(&map[4 + 2 * k]), 0xFFFF) << k;
  std::vector<uint8_t> record = RawBlock(dir / "x.dat", 2, kBlock);
  EXPECT_EQ(record[0], kRecord);
  EXPECT_EQ(VGetU16(&record[2]), 300);
}

TEST(VCioFsp, TheMapFindsRoomInBlocksThatAreNotCached) {
  TempDir dir;
  VCash cache(100);
  auto file = NewDataFile(dir / "x.dat", &cache);
  EXPECT_EQ(Use(*file, 500), 1u);
  EXPECT_EQ(Use(*file, 400), 2u);
  EXPECT_EQ(Use(*file, 450), 3u);
  ASSERT_EQ(file->Close(), kVOk);
  ASSERT_EQ(file->Open(false), kVOk);
  // Found through the map, which counts free bytes in units of 16: block 1 shows 0 free, block 2
  // 96 (of 108), block 3 48 (of 58).
  EXPECT_EQ(Use(*file, 90), 2u);
  EXPECT_EQ(Use(*file, 40), 3u);
  EXPECT_EQ(Use(*file, 49), 4u);

  // An entry that promises more than its block holds is mended and passed over.
  ASSERT_EQ(file->Close(), kVOk);
  std::vector<uint8_t> bytes = RawBytes(dir / "x.dat");
  VPutU16(&bytes[512 + 4 + 2 * 1], 0x1000 | 400 / 16);
  WriteRaw(dir / "x.dat", bytes);
  ASSERT_EQ(file->Open(false), kVOk);
  EXPECT_EQ(Use(*file, 300), 4u);  // block 1 is not taken
  EXPECT_EQ(file->MapEntry(1), 0x1000 | (kPayload - 500) / 16);
}

TEST(VCioFsp, AllocationCrossesIntoANewGroup) {
  TempDir dir;
  VCash cache(100);
  auto file = NewDataFile(dir / "x.dat", &cache);
  for (uint32_t expected = 1; expected < kGroup; ++expected) {
    ASSERT_EQ(Use(*file, kPayload), expected);  // each fills its block
  }
  EXPECT_EQ(Use(*file, 16), kGroup + 1);
  EXPECT_EQ(file->GroupCount(), 2);
  EXPECT_EQ(file->MapEntry(kGroup), 0xF000);
  EXPECT_EQ(file->MapEntry(kGroup + 1), 0x1000 | (kPayload - 16) / 16);
  EXPECT_EQ(file->MapEntry(kGroup + 2), 0xFFFF);
  EXPECT_EQ(file->AllocBlock(), kGroup + 2);

  // A freed block is unallocated in the map and handed out again.
  ASSERT_EQ(file->FreeBlock(7), kVOk);
  EXPECT_EQ(file->MapEntry(7), 0xFFFF);
  EXPECT_EQ(file->FreeBlock(kGroup), kVBadBlockNumber);
  EXPECT_EQ(file->AllocBlock(), 7u);
  ASSERT_EQ(file->Close(), kVOk);
  EXPECT_EQ(VGetU16(&RawBytes(dir / "x.dat")[4]), 2);
}

TEST(VCioFsp, AFreedDirtyBlockAtTheEndLeavesTheFileLongEnough) {
  TempDir dir;
  VCash cache(100);
  auto file = NewDataFile(dir / "x.dat", &cache);
  EXPECT_EQ(Use(*file, 10), 1u);
  EXPECT_EQ(Use(*file, 500), 2u);
  ASSERT_EQ(file->FreeBlock(2), kVOk);  // dirty, never written
  EXPECT_GE(std::filesystem::file_size(dir / "x.dat"), 512u + 3 * kBlock);
  ASSERT_EQ(file->Close(), kVOk);
  ASSERT_EQ(file->Open(false), kVOk);
  EXPECT_EQ(file->MapEntry(2), 0xFFFF);
  VCashBffr* freed = file->GetBlock(2);  // within the file, readable
  ASSERT_NE(freed, nullptr);
  file->Release(freed);
  EXPECT_EQ(file->AllocBlock(), 2u);
}

}  // namespace
