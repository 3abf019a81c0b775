#include "db/store/VCioMap.h"

#include <gtest/gtest.h>

#include <memory>

#include "StoreTestSupport.h"
#include "TempDir.h"
#include "base/VEndian.h"

namespace {

constexpr int32_t kBlock = 512;
constexpr uint32_t kGroup = (kBlock - 4) * 8;  // 4064 blocks a group

std::unique_ptr<VCioMap> NewMapFile(const std::string& path, VCash* cache) {
  auto file = std::make_unique<VCioMap>(path, cache, nullptr, kVIndexFileKind);
  file->SetBlockSize(kBlock);
  EXPECT_EQ(file->Create(false), kVOk);
  EXPECT_EQ(file->Open(false), kVOk);
  return file;
}

TEST(VCioMap, FirstBlocksAndTheBitmapLayout) {
  TempDir dir;
  VCash cache(100);
  auto file = NewMapFile(dir / "x.idx", &cache);
  EXPECT_EQ(file->GroupCount(), 0);
  EXPECT_EQ(file->AllocBlock(), 1u);
  EXPECT_EQ(file->AllocBlock(), 2u);
  EXPECT_EQ(file->GroupCount(), 1);
  EXPECT_TRUE(file->IsAllocated(0));
  EXPECT_TRUE(file->IsAllocated(2));
  EXPECT_FALSE(file->IsAllocated(3));
  ASSERT_EQ(file->Close(), kVOk);

  std::vector<uint8_t> header = RawBytes(dir / "x.idx");
  EXPECT_EQ(VGetU16(&header[4]), 1);
  std::vector<uint8_t> bitmap = RawBlock(dir / "x.idx", 0, kBlock);
  ASSERT_EQ(bitmap.size(), static_cast<size_t>(kBlock));
  EXPECT_EQ(bitmap[0], 0x0F);  // kind
  EXPECT_EQ(bitmap[1], 0);
  EXPECT_EQ(VGetU16(&bitmap[2]), 0);
  EXPECT_EQ(bitmap[4], 0xE0);  // blocks 0, 1 and 2
  for (int i = 5; i < kBlock; ++i) ASSERT_EQ(bitmap[i], 0) << i;
}

TEST(VCioMap, AllocationCrossesIntoANewGroupAndReusesFreedBlocks) {
  TempDir dir;
  VCash cache(100);
  auto file = NewMapFile(dir / "x.idx", &cache);
  for (uint32_t expected = 1; expected < kGroup; ++expected) {
    ASSERT_EQ(file->AllocBlock(), expected);
  }
  // Group 0 is full: the next block is block 1 of group 1, behind its bitmap block.
  EXPECT_EQ(file->AllocBlock(), kGroup + 1);
  EXPECT_EQ(file->GroupCount(), 2);
  EXPECT_TRUE(file->IsAllocated(kGroup));
  EXPECT_EQ(file->AllocBlock(), kGroup + 2);

  EXPECT_EQ(file->FreeBlock(0), kVBadBlockNumber);  // a bitmap block is never freed
  EXPECT_EQ(file->FreeBlock(kGroup), kVBadBlockNumber);
  EXPECT_EQ(file->FreeBlock(3 * kGroup + 5), kVBadBlockNumber);
  ASSERT_EQ(file->FreeBlock(700), kVOk);
  ASSERT_EQ(file->FreeBlock(kGroup + 1), kVOk);
  EXPECT_FALSE(file->IsAllocated(700));
  EXPECT_EQ(file->AllocBlock(), 700u);
  EXPECT_EQ(file->AllocBlock(), kGroup + 1);
  EXPECT_EQ(file->AllocBlock(), kGroup + 3);

  // Groups whose bitmap is cached are searched first: with group 1's bitmap in the cache and
  // group 0's not, a free block of group 1 is taken before an earlier one of group 0.
  ASSERT_EQ(file->FreeBlock(50), kVOk);
  ASSERT_EQ(file->FreeBlock(kGroup + 2), kVOk);
  ASSERT_EQ(file->Close(), kVOk);
  ASSERT_EQ(file->Open(false), kVOk);
  EXPECT_EQ(file->GroupCount(), 2);
  file->Release(file->GetBlock(kGroup));
  EXPECT_EQ(file->AllocBlock(), kGroup + 2);
  EXPECT_EQ(file->AllocBlock(), kGroup + 4);  // group 1 is still the only cached one
  file->Release(file->GetBlock(0));           // now both are, and group order decides
  EXPECT_EQ(file->AllocBlock(), 50u);
  EXPECT_EQ(file->AllocBlock(), kGroup + 5);
}

TEST(VCioMap, ReadOnlyFilesHandOutNothing) {
  TempDir dir;
  VCash cache(100);
  auto file = NewMapFile(dir / "x.idx", &cache);
  ASSERT_EQ(file->Close(), kVOk);
  ASSERT_EQ(file->Open(true), kVOk);
  EXPECT_EQ(file->AllocBlock(), 0u);
}

}  // namespace
