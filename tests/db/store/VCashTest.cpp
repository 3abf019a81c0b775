#include "db/store/VCash.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <random>
#include <vector>

#include "StoreTestSupport.h"
#include "TempDir.h"
#include "base/VEndian.h"
#include "base/VStream.h"
#include "db/store/VCio.h"
#include "db/store/VIOSync.h"
#include "db/store/VWritePoint.h"

namespace {

constexpr int32_t kBlock = 512;

// Opens a new block file of 512-byte blocks that already reaches the given block.
std::unique_ptr<VCio> OpenFile(const std::string& path, VCash* cache, VIOSync* owner, uint32_t kind,
                               uint32_t lastBlock = 0) {
  auto file = std::make_unique<VCio>(path, cache, owner, kind);
  file->SetBlockSize(kBlock);
  EXPECT_EQ(file->Create(false), kVOk);
  EXPECT_EQ(file->Open(false), kVOk);
  if (lastBlock > 0) {
    EXPECT_EQ(file->ExtendTo(lastBlock), kVOk);
  }
  return file;
}

// Writes a new block with a pattern through the cache and lets it go.
void PutBlock(VCio& file, uint32_t block, uint8_t version) {
  VCashBffr* buffer = file.NewBlock(block);
  ASSERT_NE(buffer, nullptr);
  FillPattern(buffer->Data(), buffer->Size(), block, version);
  file.MarkDirty(buffer);
  file.Release(buffer);
}

// Block writes seen by the write-point hook, and whether any happened outside an owner's flush.
struct WriteLog {
  std::vector<uint32_t> blocks;
  int outsideFlush = 0;
  bool insideFlush = false;
};
WriteLog* gLog = nullptr;

void RecordWrites(VWritePoint point, const VFile&, uint32_t block) {
  if (gLog == nullptr || point != VWritePoint::kBlockWrite) return;
  gLog->blocks.push_back(block);
  if (!gLog->insideFlush) ++gLog->outsideFlush;
}

class HookScope {
 public:
  explicit HookScope(WriteLog* log) {
    gLog = log;
    VSetWritePointHook(RecordWrites);
  }
  ~HookScope() {
    VSetWritePointHook(nullptr);
    gLog = nullptr;
  }
};

// A record file in miniature: an index and a data file written back together through a backup
// (kept in memory here), as the record layer does.
class TwoFileOwner : public VIOSync {
 public:
  TwoFileOwner(const TempDir& dir, VCash* cache, uint32_t lastBlock = 0) {
    data = OpenFile(dir / "f.dat", cache, this, kVDataFileKind, lastBlock);
    index = OpenFile(dir / "f.idx", cache, this, kVIndexFileKind, lastBlock);
  }
  ~TwoFileOwner() override {
    EXPECT_EQ(Sync(), kVOk);
    EXPECT_EQ(data->Close(), kVOk);
    EXPECT_EQ(index->Close(), kVOk);
  }
  VResult Flush() override {
    ++flushes;
    if (data->Cache()->InUpdate()) ++flushesInsideUpdate;
    if (gLog != nullptr) gLog->insideFlush = true;
    backup = std::make_unique<VDMemStream>();
    backup->WriteU32(0);
    VResult result = data->WriteToBackup(*backup);
    if (result == kVOk) result = index->WriteToBackup(*backup);
    backup->SeekStart();
    backup->WriteU32(static_cast<uint32_t>(backup->Size()));
    if (result == kVOk) result = data->Flush();
    if (result == kVOk) result = index->Flush();
    if (gLog != nullptr) gLog->insideFlush = false;
    return result;
  }

  std::unique_ptr<VCio> data;
  std::unique_ptr<VCio> index;
  std::unique_ptr<VDMemStream> backup;
  int flushes = 0;
  int flushesInsideUpdate = 0;
};

TEST(VCash, CapacityHasAFloorOf40Kilobytes) {
  EXPECT_EQ(VCash(10).Capacity(), 40 * 1024);
  EXPECT_EQ(VCash(-5).Capacity(), 40 * 1024);
  EXPECT_EQ(VCash(300).Capacity(), 300 * 1024);
  VCash cache(300);
  EXPECT_EQ(cache.Reserve(), 1024);
  EXPECT_FALSE(cache.IsFull());
}

TEST(VCash, GetReadsOncePeekNeverReadsNewZeroes) {
  TempDir dir;
  VCash cache(40);
  auto file = OpenFile(dir / "w", &cache, nullptr, kVWorkFileKind);
  PutBlock(*file, 4, 1);
  ASSERT_EQ(file->Flush(), kVOk);
  EXPECT_FALSE(file->HasDirtyBlocks());
  ASSERT_EQ(file->Close(), kVOk);
  EXPECT_EQ(cache.BufferCount(), 0);
  EXPECT_EQ(cache.Used(), 0);

  ASSERT_EQ(file->Open(false), kVOk);
  EXPECT_EQ(file->PeekBlock(4), nullptr);
  VCashBffr* first = file->GetBlock(4);
  ASSERT_NE(first, nullptr);
  EXPECT_TRUE(HasPattern(std::vector<uint8_t>(first->Data(), first->Data() + kBlock), 4, 1));
  VCashBffr* again = file->GetBlock(4);
  EXPECT_EQ(again, first);
  EXPECT_EQ(file->BlockReads(), 1u);
  EXPECT_EQ(first->PinCount(), 2);
  EXPECT_EQ(first->Flags(), VCashBffr::kPinned);
  file->Release(first);
  file->Release(again);
  EXPECT_FALSE(first->IsPinned());
  EXPECT_EQ(file->PeekBlock(4), first);
  file->Release(first);
  EXPECT_EQ(cache.Used(), kBlock);

  // New over a cached block zeroes it and makes it dirty.
  VCashBffr* fresh = file->NewBlock(4);
  EXPECT_EQ(fresh, first);
  EXPECT_EQ(fresh->Data()[0], 0);
  EXPECT_EQ(fresh->Data()[kBlock - 1], 0);
  EXPECT_EQ(fresh->Flags(), VCashBffr::kDirty | VCashBffr::kPinned);
  file->Release(fresh);

  // A read error leaves nothing behind.
  VResult error = kVOk;
  EXPECT_EQ(file->GetBlock(90, &error), nullptr);
  EXPECT_EQ(error, kVReadFailed);
  EXPECT_EQ(cache.BufferCount(), 1);
  EXPECT_EQ(cache.Used(), kBlock);
  const VCashCounters& counters = cache.Counters();
  EXPECT_EQ(counters.gets, 3u);
  EXPECT_EQ(counters.hits, 1u);
  EXPECT_EQ(counters.news, 2u);
}

TEST(VCash, OldestUnpinnedBufferIsTheVictimAndHitsWhileFullKeepABufferYoung) {
  TempDir dir;
  VCash cache(40);  // 80 blocks of 512 bytes
  auto file = OpenFile(dir / "w", &cache, nullptr, kVWorkFileKind, 200);
  for (uint32_t b = 0; b < 80; ++b) file->Release(file->GetBlock(b));
  EXPECT_EQ(cache.Used(), cache.Capacity());
  EXPECT_TRUE(cache.IsFull());
  EXPECT_EQ(cache.Counters().victimSearches, 0u);  // no search before the cache was full

  file->Release(file->GetBlock(80));  // evicts block 0: oldest, first in block order
  EXPECT_EQ(file->PeekBlock(0), nullptr);
  EXPECT_EQ(cache.Used(), cache.Capacity());

  VCashBffr* one = file->GetBlock(1);  // a hit while full: one year younger
  EXPECT_EQ(cache.AgeOf(*one), VCashBffr::kFreshAge + 1 - 1);
  file->Release(one);
  VCashBffr* two = file->GetBlock(2);  // younger too, and pinned
  file->Release(file->GetBlock(81));   // 3 is now the first of the oldest
  file->Release(file->GetBlock(82));   // then 4
  file->Release(two);
  for (uint32_t b : {0u, 3u, 4u}) EXPECT_EQ(file->PeekBlock(b), nullptr) << b;
  for (uint32_t b : {1u, 2u, 5u, 80u, 81u, 82u}) {
    VCashBffr* kept = file->PeekBlock(b);
    EXPECT_NE(kept, nullptr) << b;
    file->Release(kept);
  }
  // A pinned buffer is passed over however old it is.
  VCashBffr* five = file->GetBlock(5);
  for (uint32_t b = 83; b < 160; ++b) file->Release(file->GetBlock(b));
  EXPECT_EQ(file->PeekBlock(5), five);
  EXPECT_EQ(five->PinCount(), 2);
  file->Release(five);
  file->Release(five);
  EXPECT_EQ(cache.Counters().evictions, 80u);
  EXPECT_EQ(cache.BufferCount(), 80);
}

TEST(VCash, AgesSurviveTheVictimOrderBeingDroppedAndRebuilt) {
  TempDir dir;
  VCash cache(40);  // 80 blocks of 512 bytes
  auto file = OpenFile(dir / "w", &cache, nullptr, kVWorkFileKind, 400);
  for (uint32_t b = 0; b < 81; ++b) file->Release(file->GetBlock(b));  // one search: 0 goes
  ASSERT_EQ(cache.Counters().victimSearches, 1u);
  // Well below half full: the order is let go.
  for (uint32_t b = 1; b < 60; ++b) ASSERT_EQ(file->FreeBlock(b), kVOk);
  EXPECT_EQ(cache.BufferCount(), 21);
  // Full again; block 60, the oldest, is hit twice and so is no longer the oldest.
  for (uint32_t b = 100; b < 159; ++b) file->Release(file->GetBlock(b));
  ASSERT_EQ(cache.Used(), cache.Capacity());
  file->Release(file->GetBlock(60));
  file->Release(file->GetBlock(60));
  // Of the buffers that aged through the first search, 61 is now the first of the oldest.
  file->Release(file->GetBlock(200));
  EXPECT_EQ(file->PeekBlock(61), nullptr);
  for (uint32_t b : {60u, 62u, 100u, 158u, 200u}) {
    VCashBffr* kept = file->PeekBlock(b);
    EXPECT_NE(kept, nullptr) << b;
    file->Release(kept);
  }
}

// Inside a record operation the changed blocks of a record file stay however old they are and the
// oldest other buffer goes, without the search meeting the changed ones; outside an operation the
// oldest of all goes, a changed block through its owner's flush.
TEST(VCash, ChangedRecordBlocksWaitForTheEndOfTheOperationAndCostTheSearchNothing) {
  TempDir dir;
  VCash cache(40);  // 80 blocks of 512 bytes
  TwoFileOwner owner(dir, &cache, 200);
  for (uint32_t b = 0; b < 60; ++b) PutBlock(*owner.data, b, 3);
  for (uint32_t b = 0; b < 20; ++b) owner.index->Release(owner.index->GetBlock(b));
  ASSERT_EQ(cache.Used(), cache.Capacity());
  ASSERT_EQ(cache.DirtyCount(), 60);

  cache.BeginUpdate();
  VCashBffr* pinned = owner.index->GetBlock(0);  // hit while full: a little younger, and pinned
  // Twenty blocks read in the operation push out the clean ones in age order, block 0 passed over.
  for (uint32_t b = 100; b < 119; ++b) {
    owner.index->Release(owner.index->GetBlock(b));
    EXPECT_EQ(owner.index->PeekBlock(b - 99), nullptr) << b;
  }
  EXPECT_EQ(owner.index->PeekBlock(0), pinned);
  owner.index->Release(pinned);
  owner.index->Release(pinned);
  EXPECT_EQ(cache.Counters().victimSearches, 19u);
  EXPECT_EQ(cache.Counters().passedOver, 0u);  // block 0 had become younger than 1..19
  EXPECT_EQ(owner.flushes, 0);
  EXPECT_EQ(cache.DirtyCount(), 60);
  EXPECT_FALSE(cache.FlushNeeded());
  // Enough buffers are clean: the end of the operation writes nothing.
  ASSERT_EQ(cache.EndUpdate(), kVOk);
  EXPECT_EQ(owner.flushes, 0);
  // Outside an operation the oldest buffer goes, whichever set it is in: a changed data block,
  // through its owner's flush.
  owner.index->Release(owner.index->GetBlock(150));
  EXPECT_EQ(owner.flushes, 1);
  EXPECT_EQ(cache.DirtyCount(), 0);
  EXPECT_EQ(owner.data->PeekBlock(0), nullptr);
  for (uint32_t b = 0; b < 60; ++b) {
    ASSERT_TRUE(HasPattern(RawBlock(dir / "f.dat", b, kBlock), b, 3)) << b;
  }
  for (uint32_t b : {100u, 118u}) {
    VCashBffr* read = owner.index->PeekBlock(b);
    EXPECT_NE(read, nullptr) << b;
    owner.index->Release(read);
  }
}

// The space index against a plain table of recorded room, through random changes of room and kind
// and removals, with blocks far apart so that its trees grow.
TEST(VCashSpaceIndex, FindsTheFirstBlockWithRoomLikeAPlainScan) {
  VCashSpaceIndex index;
  std::map<uint32_t, std::pair<uint8_t, int32_t>> model;  // block -> (kind, room)
  std::mt19937 random(3);
  for (int step = 0; step < 20000; ++step) {
    const uint32_t block = random() % 4 == 0 ? random() % 100000 : random() % 500;
    const uint8_t kind = static_cast<uint8_t>(1 + random() % 3);
    if (random() % 3 == 0) {
      auto found = model.find(block);
      if (found != model.end()) {
        index.Clear(found->second.first, block);
        model.erase(found);
      }
    } else {
      auto found = model.find(block);
      if (found != model.end() && found->second.first != kind) {
        index.Clear(found->second.first, block);
      }
      const int32_t room = static_cast<int32_t>(random() % 4000);
      index.Set(kind, block, room);
      model[block] = {kind, room};
    }
    if (step % 50 == 0) {
      const uint8_t askKind = static_cast<uint8_t>(1 + random() % 3);
      const int32_t bytes = static_cast<int32_t>(random() % 4200);
      const uint32_t from = random() % 2 == 0 ? 0 : random() % 600;
      int64_t expected = -1;
      for (const auto& [b, entry] : model) {
        if (b >= from && entry.first == askKind && entry.second >= bytes) {
          expected = b;
          break;
        }
      }
      ASSERT_EQ(index.FirstWithRoom(askKind, bytes, from), expected) << step;
    }
  }
  EXPECT_EQ(index.FirstWithRoom(9, 0, 0), -1);  // a kind never seen
}

// The block table against a map, with block numbers chosen to collide and wrap around the table.
TEST(VCashBlockTable, AgreesWithAMapThroughInsertsAndRemovals) {
  VCashBlockTable table;
  std::map<uint32_t, VCashBffr*> model;
  std::mt19937 random(7);
  for (int step = 0; step < 20000; ++step) {
    const uint32_t block = (random() % 300) * (step % 2 == 0 ? 1u : 1024u);
    auto found = model.find(block);
    if (found == model.end()) {
      auto buffer = std::make_unique<VCashBffr>();
      model[block] = buffer.get();
      table.Insert(block, std::move(buffer));
    } else if (random() % 2 == 0) {
      std::unique_ptr<VCashBffr> removed = table.Remove(block);
      ASSERT_EQ(removed.get(), found->second) << block;
      model.erase(found);
    }
    if (step % 997 == 0) {
      for (uint32_t b = 0; b < 300 * 1024; b += 97) {
        auto m = model.find(b);
        ASSERT_EQ(table.Find(b), m == model.end() ? nullptr : m->second) << b;
      }
    }
    ASSERT_EQ(table.Size(), static_cast<int32_t>(model.size()));
  }
  for (const auto& [block, buffer] : model) ASSERT_EQ(table.Find(block), buffer) << block;
  int32_t visited = 0;
  table.ForEach([&](VCashBffr*) { ++visited; });
  EXPECT_EQ(visited, table.Size());
  EXPECT_EQ(table.Remove(12345677u), nullptr);
}

TEST(VCash, ReleasedBuffersAreReusedThroughAPoolOfSixteen) {
  TempDir dir;
  VCash cache(40);
  auto first = OpenFile(dir / "a", &cache, nullptr, kVWorkFileKind, 40);
  for (uint32_t b = 0; b < 30; ++b) first->Release(first->GetBlock(b));
  ASSERT_EQ(first->Close(), kVOk);
  EXPECT_EQ(cache.PoolCount(), VCash::kPoolLimit);
  EXPECT_EQ(cache.NodeCount(), 0);

  auto second = OpenFile(dir / "b", &cache, nullptr, kVWorkFileKind, 40);
  for (uint32_t b = 0; b < 5; ++b) second->Release(second->GetBlock(b));
  EXPECT_EQ(cache.PoolCount(), VCash::kPoolLimit - 5);
  EXPECT_EQ(cache.Used(), 5 * kBlock);
}

TEST(VCash, DirtyWorkFileBlocksAreWrittenWhenTheyMustGo) {
  TempDir dir;
  VCash cache(40);
  auto file = OpenFile(dir / "w", &cache, nullptr, kVWorkFileKind);
  cache.BeginUpdate();  // work files need no bracket, and a bracket does not hold them back
  for (uint32_t b = 1; b <= 120; ++b) PutBlock(*file, b, 3);
  EXPECT_LE(cache.Used(), cache.Capacity());
  EXPECT_FALSE(cache.FlushNeeded());
  ASSERT_EQ(cache.EndUpdate(), kVOk);
  EXPECT_GT(file->BlockWrites(), 0u);
  EXPECT_TRUE(HasPattern(RawBlock(dir / "w", 1, kBlock), 1, 3));
  VCashBffr* back = file->GetBlock(1);  // read back after its eviction
  ASSERT_NE(back, nullptr);
  EXPECT_TRUE(HasPattern(std::vector<uint8_t>(back->Data(), back->Data() + kBlock), 1, 3));
  file->Release(back);
  ASSERT_EQ(file->Close(), kVOk);  // writes the rest
  for (uint32_t b = 1; b <= 120; ++b) {
    ASSERT_TRUE(HasPattern(RawBlock(dir / "w", b, kBlock), b, 3)) << b;
  }
}

TEST(VCash, RecordOperationLargerThanTheCacheCompletesAndWritesEverythingAtItsEnd) {
  TempDir dir;
  WriteLog log;
  HookScope hook(&log);
  VCash cache(40);
  TwoFileOwner owner(dir, &cache);
  cache.BeginUpdate();
  for (uint32_t b = 1; b <= 150; ++b) {
    PutBlock(*owner.index, b, 5);
    PutBlock(*owner.data, b, 6);
  }
  // Nothing of the record files was written during the operation; the cache grew instead.
  EXPECT_EQ(owner.flushes, 0);
  EXPECT_TRUE(log.blocks.empty());
  EXPECT_GT(cache.Used(), cache.Capacity());
  EXPECT_TRUE(cache.FlushNeeded());
  EXPECT_EQ(cache.DirtyCount(), 300);
  EXPECT_TRUE(owner.IsChanged());

  ASSERT_EQ(cache.EndUpdate(), kVOk);
  EXPECT_EQ(owner.flushes, 1);
  EXPECT_EQ(owner.flushesInsideUpdate, 0);
  EXPECT_FALSE(owner.IsChanged());
  EXPECT_FALSE(cache.FlushNeeded());
  EXPECT_EQ(cache.DirtyCount(), 0);
  EXPECT_EQ(log.outsideFlush, 0);
  EXPECT_EQ(log.blocks.size(), 300u);
  for (uint32_t b = 1; b <= 150; ++b) {
    ASSERT_TRUE(HasPattern(RawBlock(dir / "f.idx", b, kBlock), b, 5)) << b;
    ASSERT_TRUE(HasPattern(RawBlock(dir / "f.dat", b, kBlock), b, 6)) << b;
  }
  // The backup held every block, data file first, each in block order, behind its mark.
  const uint8_t* bytes = owner.backup->Data();
  ASSERT_EQ(owner.backup->Size(), 4 + 300 * (12 + kBlock));
  EXPECT_EQ(VGetU32(bytes), static_cast<uint32_t>(owner.backup->Size()));
  for (uint32_t i = 0; i < 300; ++i) {
    const uint8_t* entry = bytes + 4 + i * (12 + kBlock);
    ASSERT_EQ(VGetU32(entry), i < 150 ? kVDataFileKind : kVIndexFileKind);
    ASSERT_EQ(VGetU32(entry + 4), i % 150 + 1);
    ASSERT_EQ(VGetU32(entry + 8), static_cast<uint32_t>(kBlock));
  }

  // The next block taken brings the cache back within its capacity.
  owner.data->Release(owner.data->GetBlock(3));
  owner.data->Release(owner.data->NewBlock(151));
  EXPECT_LE(cache.Used(), cache.Capacity());
}

TEST(VCash, OutsideAnOperationADirtyRecordBlockLeavesOnlyThroughItsOwnersFlush) {
  TempDir dir;
  WriteLog log;
  HookScope hook(&log);
  VCash cache(40);
  TwoFileOwner owner(dir, &cache);
  for (uint32_t b = 1; b <= 100; ++b) PutBlock(*owner.data, b, 7);
  EXPECT_GE(owner.flushes, 1);
  EXPECT_EQ(log.outsideFlush, 0);
  EXPECT_LE(cache.Used(), cache.Capacity());
  EXPECT_FALSE(cache.FlushNeeded());
  ASSERT_EQ(owner.Sync(), kVOk);
  for (uint32_t b = 1; b <= 100; ++b) {
    ASSERT_TRUE(HasPattern(RawBlock(dir / "f.dat", b, kBlock), b, 7)) << b;
  }
}

TEST(VCash, EndOfOperationWritesBackWhenFewBuffersAreClean) {
  TempDir dir;
  VCash cache(40);
  TwoFileOwner owner(dir, &cache, 10);
  cache.BeginUpdate();
  for (uint32_t b = 11; b < 86; ++b) PutBlock(*owner.data, b, 1);
  for (uint32_t b = 0; b < 5; ++b) owner.index->Release(owner.index->GetBlock(b));
  EXPECT_EQ(owner.flushes, 0);
  EXPECT_TRUE(cache.IsFull());
  ASSERT_EQ(cache.EndUpdate(), kVOk);
  EXPECT_EQ(owner.flushes, 1);
  EXPECT_EQ(cache.DirtyCount(), 0);

  // With enough clean buffers the end of an operation writes nothing.
  cache.BeginUpdate();
  PutBlock(*owner.index, 11, 2);
  ASSERT_EQ(cache.EndUpdate(), kVOk);
  EXPECT_EQ(owner.flushes, 1);
}

TEST(VCash, NestedBracketsActOnlyAtTheOutermostEnd) {
  TempDir dir;
  VCash cache(40);
  TwoFileOwner owner(dir, &cache);
  cache.BeginUpdate();
  cache.BeginUpdate();
  for (uint32_t b = 1; b <= 100; ++b) PutBlock(*owner.data, b, 1);
  ASSERT_EQ(cache.EndUpdate(), kVOk);
  EXPECT_TRUE(cache.InUpdate());
  PutBlock(*owner.data, 101, 1);  // still inside: no flush may happen
  EXPECT_EQ(owner.flushes, 0);
  ASSERT_EQ(cache.EndUpdate(), kVOk);
  EXPECT_EQ(owner.flushes, 1);
  EXPECT_FALSE(cache.InUpdate());
  EXPECT_EQ(cache.EndUpdate(), kVOk);  // an unmatched end is harmless
}

TEST(VCash, FreeingADirtyBlockAtTheEndLeavesTheFileLongEnough) {
  TempDir dir;
  VCash cache(40);
  auto file = OpenFile(dir / "w", &cache, nullptr, kVWorkFileKind);
  PutBlock(*file, 40, 1);
  ASSERT_EQ(file->FreeBlock(40), kVOk);
  EXPECT_EQ(cache.BufferCount(), 0);
  EXPECT_GE(std::filesystem::file_size(dir / "w"), 512u + 41 * kBlock);
  ASSERT_EQ(file->Flush(), kVOk);
  EXPECT_EQ(file->BlockWrites(), 0u);    // a freed block is not written
  VCashBffr* read = file->GetBlock(40);  // the block is readable (zeros)
  ASSERT_NE(read, nullptr);
  file->Release(read);
  EXPECT_EQ(file->FreeBlock(99), kVOk);  // not cached: nothing to do
}

TEST(VCash, FlushWritesDirtyBlocksInBlockOrder) {
  TempDir dir;
  WriteLog log;
  HookScope hook(&log);
  VCash cache(40);
  auto file = OpenFile(dir / "w", &cache, nullptr, kVWorkFileKind, 20);
  for (uint32_t b : {9u, 2u, 14u, 5u}) PutBlock(*file, b, 1);
  file->Release(file->GetBlock(7));  // clean: not written
  ASSERT_EQ(file->Flush(), kVOk);
  EXPECT_EQ(log.blocks, (std::vector<uint32_t>{2, 5, 9, 14}));
  ASSERT_EQ(file->Flush(), kVOk);
  EXPECT_EQ(log.blocks.size(), 4u);
}

// Without a watcher the runs of consecutive dirty blocks go out as gathered writes: every block
// lands at its own place, the clean ones between are left alone.
TEST(VCash, FlushWithoutAWatcherWritesRunsOfBlocksInPlace) {
  TempDir dir;
  VCash cache(400);
  auto file = OpenFile(dir / "w", &cache, nullptr, kVWorkFileKind, 700);
  std::vector<uint32_t> dirty;
  for (uint32_t b = 3; b < 603; ++b) {
    if (b % 50 != 7) dirty.push_back(b);  // runs broken at 7, 57, 107...
  }
  for (uint32_t b : dirty) PutBlock(*file, b, 2);
  file->Release(file->GetBlock(57));
  ASSERT_EQ(file->Flush(), kVOk);
  EXPECT_EQ(file->BlockWrites(), dirty.size());
  EXPECT_EQ(cache.DirtyCount(), 0);
  ASSERT_EQ(file->Close(), kVOk);
  for (uint32_t b : dirty) ASSERT_TRUE(HasPattern(RawBlock(dir / "w", b, kBlock), b, 2)) << b;
  for (uint32_t b : {7u, 57u, 607u}) {
    EXPECT_EQ(RawBlock(dir / "w", b, kBlock), std::vector<uint8_t>(kBlock, 0)) << b;
  }
}

TEST(VCash, FindSpaceTakesTheFirstCachedBlockWithRoom) {
  TempDir dir;
  VCash cache(40);
  auto file = OpenFile(dir / "d", &cache, nullptr, kVWorkFileKind);
  cache.IndexSpace(*file);
  auto format = [&](uint32_t block, uint8_t kind, uint16_t inUse) {
    VCashBffr* buffer = file->NewBlock(block);
    buffer->SetBlockHeader(kind, 0, inUse);
    file->MarkDirty(buffer);
    file->Release(buffer);
  };
  format(8, 0x10, 100);  // 408 free
  format(3, 0x10, 300);  // 208 free
  format(5, 0x10, 500);  // 8 free
  format(1, 0x20, 0);    // another kind
  auto found = [&](uint8_t kind, uint32_t bytes) -> int64_t {
    VCashBffr* buffer = cache.FindSpace(*file, kind, bytes);
    if (buffer == nullptr) return -1;
    EXPECT_TRUE(buffer->IsPinned());
    file->Release(buffer);
    return buffer->BlockNumber();
  };
  EXPECT_EQ(found(0x10, 200), 3);
  EXPECT_EQ(found(0x10, 208), 3);
  EXPECT_EQ(found(0x10, 209), 8);
  EXPECT_EQ(found(0x10, 5), 3);
  EXPECT_EQ(found(0x10, 409), -1);
  EXPECT_EQ(found(0x20, 508), 1);
  EXPECT_EQ(found(0x30, 1), -1);

  // Changes reach the index through MarkDirty; a change not yet marked is still checked.
  VCashBffr* three = file->GetBlock(3);
  three->SetBlockHeader(0x10, 0, 508);
  EXPECT_EQ(found(0x10, 200), 8);
  file->MarkDirty(three);
  file->Release(three);
  EXPECT_EQ(found(0x10, 200), 8);
  VCashBffr* eight = file->GetBlock(8);
  eight->SetBlockHeader(0x10, 0, 0);
  file->MarkDirty(eight);
  file->Release(eight);
  EXPECT_EQ(found(0x10, 508), 8);
  ASSERT_EQ(file->FreeBlock(8), kVOk);
  EXPECT_EQ(found(0x10, 100), -1);

  // A file whose node is not indexed gives the same answers.
  auto plain = OpenFile(dir / "p", &cache, nullptr, kVWorkFileKind);
  for (uint32_t b : {6u, 2u}) {
    VCashBffr* buffer = plain->NewBlock(b);
    buffer->SetBlockHeader(0x10, 0, 10);
    plain->MarkDirty(buffer);
    plain->Release(buffer);
  }
  VCashBffr* first = cache.FindSpace(*plain, 0x10, 400);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->BlockNumber(), 2u);
  plain->Release(first);
}

// Ends the process at the third block written in place.
void EndAtThirdBlockWrite(VWritePoint point, const VFile&, uint32_t) {
  static int writes = 0;
  if (point == VWritePoint::kBlockWrite && ++writes == 3) std::_Exit(42);
}

TEST(VCashDeathTest, AProcessEndedAtAWritePointLeavesExactlyTheEarlierWrites) {
  TempDir dir;
  EXPECT_EXIT(
      {
        auto file = OpenFile(dir / "w", nullptr, nullptr, kVWorkFileKind);
        for (uint32_t b = 1; b <= 5; ++b) PutBlock(*file, b, 9);
        VSetWritePointHook(EndAtThirdBlockWrite);
        (void)file->Flush();  // ended by the write-point hook before it answers
        std::_Exit(1);
      },
      ::testing::ExitedWithCode(42), "");
  EXPECT_TRUE(HasPattern(RawBlock(dir / "w", 1, kBlock), 1, 9));
  EXPECT_TRUE(HasPattern(RawBlock(dir / "w", 2, kBlock), 2, 9));
  EXPECT_FALSE(HasPattern(RawBlock(dir / "w", 3, kBlock), 3, 9));
  EXPECT_EQ(std::filesystem::file_size(dir / "w"), 512u + 3 * kBlock);
}

}  // namespace
