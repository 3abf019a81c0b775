// Paged record collections checked against std::set, with pages in memory and in a work file
// whose small cache makes them leave and come back.
#include "db/store/VRio.h"

#include <gtest/gtest.h>

#include <iterator>
#include <memory>
#include <random>
#include <set>
#include <vector>

#include "TempDir.h"
#include "db/store/VCash.h"
#include "db/store/VCioMap.h"

namespace {

class WorkFile {
 public:
  WorkFile() : cache_(40), file_(dir_ / "@Workset", &cache_, nullptr, kVWorkFileKind) {
    file_.SetBlockSize(4096);
    EXPECT_EQ(file_.Create(false), kVOk);
    EXPECT_EQ(file_.Open(false), kVOk);
  }
  VCioMap* File() { return &file_; }
  VCash* Cache() { return &cache_; }

 private:
  TempDir dir_;
  VCash cache_;
  VCioMap file_;
};

::testing::AssertionResult Same(const VRMap& map, const std::set<uint32_t>& model) {
  if (map.Count() != model.size()) {
    return ::testing::AssertionFailure() << "count " << map.Count() << " vs " << model.size();
  }
  uint32_t n = 0;
  uint32_t walked = 0;
  for (uint32_t r : model) {
    walked = map.Next(walked);
    if (walked != r)
      return ::testing::AssertionFailure() << "Next gives " << walked << " for " << r;
    if (n % 7 == 0 && !map.Test(r)) return ::testing::AssertionFailure() << r << " missing";
    if (n % 97 == 0 && map.Nth(n) != r) {
      return ::testing::AssertionFailure() << "Nth(" << n << ") = " << map.Nth(n) << ", not " << r;
    }
    ++n;
  }
  if (map.Next(walked) != 0) return ::testing::AssertionFailure() << "more after the last";
  if (map.Nth(n) != 0) return ::testing::AssertionFailure() << "Nth past the end";
  return ::testing::AssertionSuccess();
}

// Fills a map and its model with random single numbers, ranges and removals over a few pages.
void Scramble(VRMap* map, std::set<uint32_t>* model, std::mt19937* random, int steps) {
  const uint32_t span = map->BitsPerPage() * 3 + 17;
  for (int i = 0; i < steps; ++i) {
    uint32_t r = 1 + (*random)() % span;  // record numbers start at 1
    switch ((*random)() % 4) {
      case 0:
      case 1:
        ASSERT_EQ(map->Add(r), kVOk);
        model->insert(r);
        break;
      case 2: {
        // Short ranges, every fourth one across a page boundary.
        if (i % 4 == 0) r = map->BitsPerPage() * (1 + (*random)() % 3) - (*random)() % 500;
        uint32_t last = r + (*random)() % 1500;
        ASSERT_EQ(map->AddRange(r, last), kVOk);
        for (uint32_t x = r; x <= last; ++x) model->insert(x);
        break;
      }
      default:
        ASSERT_EQ(map->Remove(r), kVOk);
        model->erase(r);
    }
  }
}

class VRMapTest : public ::testing::TestWithParam<bool> {
 protected:
  std::unique_ptr<VRMap> NewMap() {
    return std::make_unique<VRMap>(GetParam() ? work_.File() : nullptr);
  }
  WorkFile work_;
};

TEST_P(VRMapTest, SingleNumbersAndRangesMatchASet) {
  std::mt19937 random(7);
  auto map = NewMap();
  EXPECT_EQ(map->PageSize(), GetParam() ? 4092 : 2048);
  std::set<uint32_t> model;
  Scramble(map.get(), &model, &random, 300);
  EXPECT_TRUE(Same(*map, model));
  // A range of bits already set counts only the new ones.
  const uint32_t before = map->Count();
  ASSERT_EQ(map->AddRange(1, 10), kVOk);
  for (uint32_t x = 1; x <= 10; ++x) model.insert(x);
  EXPECT_EQ(map->Count(), model.size());
  EXPECT_GE(map->Count(), before);
  EXPECT_EQ(map->AddRange(9, 3), kVOk);  // empty
  EXPECT_TRUE(Same(*map, model));
}

TEST_P(VRMapTest, RunsAddedTogetherMatchTheSameNumbersAddedOneByOne) {
  std::mt19937 random(5);
  auto map = NewMap();
  std::set<uint32_t> model;
  Scramble(map.get(), &model, &random, 100);
  const uint32_t page = map->BitsPerPage();
  // Unsorted, overlapping one another and the members already there, one across two pages, one
  // empty (first above last).
  std::vector<std::pair<uint32_t, uint32_t>> runs = {{3 * page + 9, 3 * page + 40},
                                                     {5, 5},
                                                     {page - 3, page + 2},
                                                     {3 * page + 30, 3 * page + 31},
                                                     {20, 10},
                                                     {1, 70},
                                                     {2 * page, 2 * page}};
  for (const auto& [first, last] : runs) {
    for (uint32_t r = first; r <= last; ++r) model.insert(r);
  }
  ASSERT_EQ(map->AddRuns(runs), kVOk);
  EXPECT_TRUE(Same(*map, model));
  const int32_t pages = map->PageCount();
  map->Recount();  // the counts kept are exact
  EXPECT_EQ(map->PageCount(), pages);
  EXPECT_TRUE(Same(*map, model));
}

// Runs spread over more pages than are grouped by counting are sorted instead; members in the last
// bytes of a page (a work-file page is not a whole number of words) are found by Next and Nth.
TEST_P(VRMapTest, WidelySpreadRunsAndMembersAtPageEndsAreKept) {
  auto map = NewMap();
  std::set<uint32_t> model;
  const uint32_t page = map->BitsPerPage();
  std::vector<std::pair<uint32_t, uint32_t>> runs;
  for (uint32_t p : {1500u, 0u, 3u, 1499u, 2u}) {
    for (uint32_t back : {1u, 2u, 9u, 31u, 40u, 64u, 65u}) {
      runs.emplace_back((p + 1) * page - back, (p + 1) * page - back);
    }
    runs.emplace_back(p * page + 1, p * page + 1);
  }
  runs.emplace_back(page - 1, page);  // across a page end
  for (const auto& [first, last] : runs) {
    for (uint32_t r = first; r <= last; ++r) model.insert(r);
  }
  ASSERT_EQ(map->AddRuns(runs), kVOk);
  EXPECT_TRUE(Same(*map, model));
  uint32_t n = 0;
  for (uint32_t r : model) ASSERT_EQ(map->Nth(n++), r);
  // Next from every bit just before a member, within a word and from the word before it.
  for (uint32_t r : model) {
    for (uint32_t back = 1; back <= 70 && back < r; ++back) {
      ASSERT_EQ(map->Next(r - back), *model.upper_bound(r - back)) << r << " - " << back;
    }
  }
}

// Positions read one after another continue from the last answer; every change in between, and
// every jump, must give the answer counted afresh.
TEST_P(VRMapTest, PositionsInOrderStayRightThroughChanges) {
  std::mt19937 random(11);
  auto map = NewMap();
  std::set<uint32_t> model;
  Scramble(map.get(), &model, &random, 200);
  auto nth = [&model](uint32_t n) {
    auto it = model.begin();
    std::advance(it, n);
    return *it;
  };
  ASSERT_GT(model.size(), 2000u);
  for (uint32_t n = 0; n < model.size(); ++n) ASSERT_EQ(map->Nth(n), nth(n)) << n;
  EXPECT_EQ(map->Nth(static_cast<uint32_t>(model.size())), 0u);
  for (int round = 0; round < 40; ++round) {
    const uint32_t n = static_cast<uint32_t>(random() % (model.size() - 2));
    ASSERT_EQ(map->Nth(n), nth(n));
    // A change just before, at or after the position last answered.
    const uint32_t at = nth(n + random() % 2);
    if (round % 2 == 0) {
      ASSERT_EQ(map->Remove(at), kVOk);
      model.erase(at);
    } else {
      ASSERT_EQ(map->Add(at + 1), kVOk);
      model.insert(at + 1);
    }
    ASSERT_EQ(map->Nth(n), nth(n)) << "round " << round;
    ASSERT_EQ(map->Nth(n + 1), nth(n + 1)) << "round " << round;
  }
  // Emptied and filled again: nothing of the old answers survives.
  map->Clear();
  EXPECT_EQ(map->Nth(0), 0u);
  ASSERT_EQ(map->AddRange(5000, 5002), kVOk);
  EXPECT_EQ(map->Nth(0), 5000u);
  EXPECT_EQ(map->Nth(1), 5001u);
  EXPECT_EQ(map->Nth(2), 5002u);
  EXPECT_EQ(map->Nth(3), 0u);
}

TEST_P(VRMapTest, SetOperationsWorkPageByPage) {
  std::mt19937 random(11);
  auto a = NewMap();
  auto b = NewMap();
  std::set<uint32_t> ma;
  std::set<uint32_t> mb;
  Scramble(a.get(), &ma, &random, 200);
  Scramble(b.get(), &mb, &random, 40);
  // A page only the first holds: AND drops it whole.
  const uint32_t far = a->BitsPerPage() * 5 + 3;
  ASSERT_EQ(a->Add(far), kVOk);
  ma.insert(far);

  auto copy = NewMap();
  ASSERT_EQ(copy->CopyFrom(*a), kVOk);
  EXPECT_TRUE(Same(*copy, ma));
  ASSERT_EQ(copy->And(*b), kVOk);
  std::set<uint32_t> both;
  for (uint32_t r : ma) {
    if (mb.count(r)) both.insert(r);
  }
  EXPECT_TRUE(Same(*copy, both));
  EXPECT_FALSE(copy->Test(far));

  ASSERT_EQ(copy->CopyFrom(*a), kVOk);
  ASSERT_EQ(copy->Or(*b), kVOk);
  std::set<uint32_t> either = ma;
  either.insert(mb.begin(), mb.end());
  EXPECT_TRUE(Same(*copy, either));

  ASSERT_EQ(copy->CopyFrom(*a), kVOk);
  ASSERT_EQ(copy->AndNot(*b), kVOk);
  std::set<uint32_t> only;
  for (uint32_t r : ma) {
    if (!mb.count(r)) only.insert(r);
  }
  EXPECT_TRUE(Same(*copy, only));
  // The operands are unchanged.
  EXPECT_TRUE(Same(*a, ma));
  EXPECT_TRUE(Same(*b, mb));

  // A map in the other kind of pages (another page size) gives the same results.
  std::unique_ptr<VRMap> other = std::make_unique<VRMap>(GetParam() ? nullptr : work_.File());
  ASSERT_EQ(other->CopyFrom(*b), kVOk);
  EXPECT_TRUE(Same(*other, mb));
  ASSERT_EQ(copy->CopyFrom(*a), kVOk);
  ASSERT_EQ(copy->And(*other), kVOk);
  EXPECT_TRUE(Same(*copy, both));
  ASSERT_EQ(copy->CopyFrom(*a), kVOk);
  ASSERT_EQ(copy->Or(*other), kVOk);
  EXPECT_TRUE(Same(*copy, either));
  ASSERT_EQ(copy->CopyFrom(*a), kVOk);
  ASSERT_EQ(copy->AndNot(*other), kVOk);
  EXPECT_TRUE(Same(*copy, only));
}

TEST_P(VRMapTest, RecountDropsEmptiedPagesAndClearFreesThem) {
  auto map = NewMap();
  const uint32_t page = map->BitsPerPage();
  ASSERT_EQ(map->AddRange(page - 5, 2 * page + 5), kVOk);  // pages 0, 1 and 2
  EXPECT_EQ(map->PageCount(), 3);
  EXPECT_EQ(map->Count(), page + 11);
  for (uint32_t r = page; r < 2 * page; ++r) ASSERT_EQ(map->Remove(r), kVOk);
  EXPECT_EQ(map->Count(), 11u);
  map->Recount();
  EXPECT_EQ(map->PageCount(), 2);
  EXPECT_EQ(map->Count(), 11u);
  EXPECT_EQ(map->Nth(5), 2 * page);
  map->Clear();
  EXPECT_EQ(map->PageCount(), 0);
  EXPECT_EQ(map->Count(), 0u);
  EXPECT_FALSE(map->Test(page - 1));
  if (GetParam()) {
    // Its blocks went back to the work file: the next page takes the first of them again.
    ASSERT_EQ(map->Add(1), kVOk);
    EXPECT_EQ(work_.File()->AllocBlock(), 2u);
  }
}

TEST_P(VRMapTest, DropEmptyPagesTrustsTheKeptCountsAfterEveryKindOfChange) {
  auto map = NewMap();
  auto other = NewMap();
  const uint32_t page = map->BitsPerPage();
  ASSERT_EQ(map->AddRange(1, 3 * page + 2), kVOk);  // pages 0 to 3
  for (uint32_t r = page; r < 2 * page; ++r) ASSERT_EQ(map->Remove(r), kVOk);
  ASSERT_EQ(other->AddRange(1, page - 1), kVOk);
  ASSERT_EQ(other->AddRange(3 * page, 3 * page + 1), kVOk);
  ASSERT_EQ(other->Add(2 * page + 7), kVOk);
  ASSERT_EQ(map->AndNot(*other), kVOk);  // empties page 0
  std::set<uint32_t> model;
  for (uint32_t r = 2 * page; r < 3 * page; ++r) {
    if (r != 2 * page + 7) model.insert(r);
  }
  model.insert(3 * page + 2);
  map->DropEmptyPages();
  EXPECT_EQ(map->PageCount(), 2);
  EXPECT_TRUE(Same(*map, model));
  // The counts it kept are those a full recount finds.
  map->Recount();
  EXPECT_EQ(map->PageCount(), 2);
  EXPECT_TRUE(Same(*map, model));
}

INSTANTIATE_TEST_SUITE_P(InMemoryOrInAWorkFile, VRMapTest, ::testing::Bool());

// Each map keeps the buffer of the page it last reached pinned; with more maps than the cache
// has room for, every page must still come back whole, and a map gone must leave no pin behind.
TEST(VRMapHeldPage, ManyMapsInASmallCacheKeepTheirPagesAndLeaveNoPins) {
  WorkFile work;
  std::vector<std::unique_ptr<VRMap>> maps;
  std::vector<std::set<uint32_t>> models(24);
  for (size_t i = 0; i < models.size(); ++i) maps.push_back(std::make_unique<VRMap>(work.File()));
  const uint32_t page = maps[0]->BitsPerPage();
  std::mt19937 random(11);
  for (int step = 0; step < 3000; ++step) {
    const size_t i = random() % maps.size();
    const uint32_t r = 1 + random() % (2 * page);
    if (random() % 5 == 0) {
      ASSERT_EQ(maps[i]->Remove(r), kVOk);
      models[i].erase(r);
    } else {
      ASSERT_EQ(maps[i]->Add(r), kVOk);
      models[i].insert(r);
    }
    // Reads in order between the changes, as a caller walking a set does.
    const uint32_t n = static_cast<uint32_t>(random() % (models[i].size() + 1));
    if (n < models[i].size()) {
      ASSERT_EQ(maps[i]->Nth(n), *std::next(models[i].begin(), n)) << "map " << i;
    }
  }
  for (size_t i = 0; i < maps.size(); ++i) EXPECT_TRUE(Same(*maps[i], models[i])) << "map " << i;
  const int32_t taken = 2 * static_cast<int32_t>(maps.size());
  maps.resize(maps.size() / 2);
  for (uint32_t block = 1; block <= static_cast<uint32_t>(taken) + 1; ++block) {
    VCashBffr* buffer = work.File()->PeekBlock(block);
    if (buffer == nullptr) continue;
    // Only the remaining maps hold a page, one each.
    EXPECT_LE(buffer->PinCount(), 2) << "block " << block;
    work.File()->Release(buffer);
  }
  maps.clear();
  for (uint32_t block = 1; block <= static_cast<uint32_t>(taken) + 1; ++block) {
    VCashBffr* buffer = work.File()->PeekBlock(block);
    if (buffer == nullptr) continue;
    EXPECT_EQ(buffer->PinCount(), 1) << "block " << block << " still pinned";
    work.File()->Release(buffer);
  }
  EXPECT_LE(work.Cache()->Used(), work.Cache()->Capacity());
}

TEST(VRList, KeepsNumbersInTheirOrderOverManyPages) {
  WorkFile work;
  VRList inMemory;
  VRList inFile(work.File());
  std::vector<uint32_t> model;
  std::mt19937 random(3);
  for (int i = 0; i < 2000; ++i) {
    uint32_t r = random() % 0xFFFFFF + 1;
    model.push_back(r);
    ASSERT_EQ(inMemory.Append(r), kVOk);
    ASSERT_EQ(inFile.Append(r), kVOk);
  }
  ASSERT_EQ(inFile.AppendRange(5, 9), kVOk);
  for (uint32_t r = 5; r <= 9; ++r) model.push_back(r);
  ASSERT_EQ(inMemory.AppendRange(5, 9), kVOk);
  EXPECT_EQ(inMemory.PageCount(), 3);  // 682 numbers to a 2048-byte page
  EXPECT_EQ(inFile.PageCount(), 2);    // 1364 to a 4092-byte page
  for (uint32_t n = 0; n < model.size(); ++n) {
    ASSERT_EQ(inMemory.Nth(n), model[n]);
    ASSERT_EQ(inFile.Nth(n), model[n]);
  }
  EXPECT_EQ(inFile.Nth(static_cast<uint32_t>(model.size())), 0u);
  EXPECT_TRUE(inFile.Test(model[1500]));
  EXPECT_FALSE(inFile.Test(0));
  VRList copy;
  ASSERT_EQ(copy.CopyFrom(inFile), kVOk);
  EXPECT_EQ(copy.Count(), model.size());
  EXPECT_EQ(copy.Nth(1999), model[1999]);
}

}  // namespace
