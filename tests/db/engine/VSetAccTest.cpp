// Sets kept by a user: reading by position, adding and removing records (sorted and unsorted),
// the ids shared with reads and key sequences, sets of another file, the work file the pages live
// in, and physical sequential reads.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <vector>

#include "QuerySupport.h"
#include "base/VEndian.h"
#include "db/engine/VSetAcc.h"
#include "db/store/VCioMap.h"

namespace {

using Members = std::vector<uint32_t>;

std::vector<uint8_t> U24s(const Members& numbers) {
  std::vector<uint8_t> bytes(3 * numbers.size());
  for (size_t i = 0; i < numbers.size(); ++i) VPutU24(bytes.data() + 3 * i, numbers[i]);
  return bytes;
}

class VSets : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* name : {"delta", "alpha", "echo", "bravo", "charlie"}) {
      people_.Insert({{1, name}});
    }
  }
  VDBFile& File() { return people_.File(); }
  VListMgr* Sets() { return &people_.Sets(); }
  VDBFileSets FileSets() { return people_.FileSets(); }

  PeopleFile people_;
};

TEST_F(VSets, PositionsRunFromZeroToBeforeTheSize) {
  const int32_t id = people_.Make("[name] = ?\"a\"?");  // alpha bravo charlie delta
  ASSERT_GT(id, 0);
  uint32_t size = 0;
  ASSERT_EQ(FileSets().SetSize(id, &size), kVOk);
  ASSERT_EQ(size, 4u);
  uint32_t r = 0;
  std::vector<uint8_t> image;
  EXPECT_EQ(FileSets().SetRGet(id, 0, &r, &image), kVOk);
  EXPECT_EQ(r, 1u);
  EXPECT_EQ(image, people_.Image({{1, "delta"}}));
  EXPECT_EQ(FileSets().SetRGet(id, 3, &r), kVOk);
  EXPECT_EQ(r, 5u);
  EXPECT_EQ(FileSets().SetRGet(id, size, &r), kVPositionOutside);
  EXPECT_EQ(FileSets().SetRGet(id, 0xFFFFFFFF, &r), kVPositionOutside);
  // A member whose record was deleted meanwhile reads as the record's failure.
  ASSERT_EQ(File().DelRecord(nullptr, 2), kVOk);
  EXPECT_EQ(FileSets().SetRGet(id, 1, &r, &image), kVRecordNotFound);
}

TEST_F(VSets, AddingAndRemovingInAnUnsortedSet) {
  const int32_t id = people_.Make("null");
  ASSERT_GT(id, 0);
  EXPECT_EQ(FileSets().SetRAdd(id, 3), kVOk);
  EXPECT_EQ(FileSets().SetRAdd(id, 3), kVOk);
  EXPECT_EQ(people_.Members(id), (Members{3}));
  const std::vector<uint8_t> list = U24s({9, 4, 5, 6, 3, 100000, 0});
  EXPECT_EQ(FileSets().SetRAdd(id, list), kVOk);
  EXPECT_EQ(people_.Members(id), (Members{3, 4, 5, 6, 9, 100000}));
  EXPECT_EQ(FileSets().SetRDel(id, 4), kVOk);
  EXPECT_EQ(FileSets().SetRDel(id, 4), kVOk);
  const std::vector<uint8_t> gone = U24s({100000, 6, 7});
  EXPECT_EQ(FileSets().SetRDel(id, gone), kVOk);
  EXPECT_EQ(people_.Members(id), (Members{3, 5, 9}));
  // A list whose length is not a multiple of three: the broken end is not a number.
  std::vector<uint8_t> ragged = U24s({2});
  ragged.push_back(0x01);
  EXPECT_EQ(FileSets().SetRAdd(id, ragged), kVOk);
  EXPECT_EQ(people_.Members(id), (Members{2, 3, 5, 9}));
  // Record 0 and numbers beyond the u24 range are no records.
  EXPECT_EQ(FileSets().SetRAdd(id, 0u), kVOk);
  EXPECT_EQ(FileSets().SetRAdd(id, 0x1000000u), kVOk);
  EXPECT_EQ(people_.Members(id), (Members{2, 3, 5, 9}));
  EXPECT_EQ(FileSets().SetRAdd(id, U24s({0, 1})), kVOk);
  EXPECT_EQ(people_.Members(id), (Members{1, 2, 3, 5, 9}));
}

TEST_F(VSets, ASortedSetKeepsItsOrderAndItsMembersInStep) {
  const int32_t id = people_.Make("all");
  ASSERT_EQ(FileSets().SetSort(id, Bytes("name%D")), kVOk);
  EXPECT_EQ(people_.Members(id), (Members{3, 1, 5, 4, 2}));
  // Added numbers go to the end of the order, once.
  EXPECT_EQ(FileSets().SetRAdd(id, 7), kVOk);
  EXPECT_EQ(FileSets().SetRAdd(id, 7), kVOk);
  EXPECT_EQ(FileSets().SetRAdd(id, U24s({6, 1, 8})), kVOk);
  EXPECT_EQ(people_.Members(id), (Members{3, 1, 5, 4, 2, 7, 6, 8}));
  // Removed numbers leave the order and the members.
  EXPECT_EQ(FileSets().SetRDel(id, 5), kVOk);
  EXPECT_EQ(FileSets().SetRDel(id, U24s({6, 3, 99})), kVOk);
  EXPECT_EQ(people_.Members(id), (Members{1, 4, 2, 7, 8}));
  auto* set = static_cast<VSetAcc*>(Sets()->Find(id, VSetObj::kSet));
  EXPECT_EQ(set->SortDescription(), "name%D");
  EXPECT_EQ(FileSets().SortCancel(id), kVOk);
  EXPECT_EQ(people_.Members(id), (Members{1, 2, 4, 7, 8}));
  EXPECT_EQ(set->SortDescription(), "");
  uint32_t r = 0;
  EXPECT_EQ(FileSets().SetRGet(id, 0, &r), kVOk);
  EXPECT_EQ(r, 1u);
}

// Removing from a sorted order that spans several work-file pages.
TEST_F(VSets, RemovingFromALongOrder) {
  const int32_t id = people_.Make("null");
  auto* set = static_cast<VSetAcc*>(Sets()->Find(id, VSetObj::kSet));
  const uint32_t perPage = static_cast<uint32_t>(set->MutableMap()->PageSize()) / 3;
  const uint32_t count = 3 * perPage + 17;
  auto order = std::make_unique<VRList>(set->WorkFile());
  for (uint32_t i = 0; i < count; ++i) {
    const uint32_t r = count - i;  // descending
    ASSERT_EQ(set->Add(r), kVOk);
    ASSERT_EQ(order->Append(r), kVOk);
  }
  set->SetOrder(std::move(order), "x");
  std::vector<uint32_t> removed;
  Members expected;
  for (uint32_t i = 0; i < count; ++i) {
    const uint32_t r = count - i;
    if (r % 3 == 0 || (r > perPage && r < 2 * perPage + 5)) {
      removed.push_back(r);
    } else {
      expected.push_back(r);
    }
  }
  ASSERT_EQ(FileSets().SetRDel(id, U24s(removed)), kVOk);
  EXPECT_EQ(people_.Members(id), expected);
  EXPECT_EQ(set->Order()->PageCount(),
            static_cast<int32_t>((expected.size() + perPage - 1) / perPage));
  ASSERT_EQ(FileSets().SetRAdd(id, 3), kVOk);
  expected.push_back(3);
  EXPECT_EQ(people_.Members(id), expected);
}

TEST_F(VSets, IdsAreSharedByEveryKind) {
  const int32_t set = people_.Make("all");
  int32_t read = 0;
  int32_t sequence = 0;
  ASSERT_EQ(File().PSLocate(Sets(), &read), kVOk);
  ASSERT_EQ(File().KSLocate(Sets(), 1, {}, &sequence), kVOk);
  EXPECT_EQ(set, 1);
  EXPECT_EQ(read, 2);
  EXPECT_EQ(sequence, 3);
  uint32_t size = 0;
  uint32_t r = 0;
  std::vector<uint8_t> image;
  EXPECT_EQ(FileSets().SetSize(read, &size), kVNoSuchSet);
  EXPECT_EQ(FileSets().SetRGet(sequence, 0, &r), kVNoSuchSet);
  EXPECT_EQ(FileSets().SetRAdd(read, 1), kVNoSuchSet);
  EXPECT_EQ(FileSets().SetRDel(read, 1), kVNoSuchSet);
  EXPECT_EQ(FileSets().SortCancel(read), kVNoSuchSet);
  EXPECT_EQ(FileSets().SetCancel(read), kVNoSuchSet);
  EXPECT_EQ(FileSets().SetSort(read, Bytes("name name")), kVSortDescriptionBad);
  EXPECT_EQ(File().PSRead(Sets(), set, &r, &image), kVNoSuchSet);
  EXPECT_EQ(File().PSCancel(Sets(), sequence), kVNoSuchSet);
  EXPECT_EQ(FileSets().SetSize(4, &size), kVNoSuchSet);
  EXPECT_EQ(FileSets().SetCancel(set), kVOk);
  EXPECT_EQ(FileSets().SetSize(set, &size), kVNoSuchSet);
  EXPECT_EQ(File().PSCancel(Sets(), read), kVOk);
  EXPECT_EQ(File().KSCancel(Sets(), sequence), kVOk);
  EXPECT_EQ(people_.Make("all"), 4);
  EXPECT_EQ(Sets()->Count(), 1);
}

TEST_F(VSets, SetsAndReadsBelongToTheirFile) {
  VSch_DBFile other;
  other.SetNumber(12);
  other.SetLabel("other");
  other.AddItem(1)->SetName("name");
  VDBFile second(&other, &people_.Config(), &people_.Cache());
  VDBFileSets secondSets(&second, Sets(), &people_.Work());
  ASSERT_EQ(second.CreateDBFile(), kVOk);
  ASSERT_EQ(second.Open(), kVOk);
  const int32_t mine = people_.Make("all");
  int32_t read = 0;
  ASSERT_EQ(File().PSLocate(Sets(), &read), kVOk);
  uint32_t size = 0;
  uint32_t r = 0;
  std::vector<uint8_t> image;
  EXPECT_EQ(secondSets.SetSize(mine, &size), kVNoSuchSet);
  EXPECT_EQ(secondSets.SetRGet(mine, 0, &r, &image), kVNoSuchSet);
  EXPECT_EQ(secondSets.SetCancel(mine), kVNoSuchSet);
  EXPECT_EQ(second.PSRead(Sets(), read, &r, &image), kVNoSuchSet);
  int32_t id = 0;
  EXPECT_EQ(secondSets.SetMake(Bytes("#" + std::to_string(mine) + " or all"), &id, &size),
            kVStatementFailed);
  // Both files share the work file of the database.
  EXPECT_EQ(secondSets.SetMake(Bytes("all"), &id, &size), kVOk);
  EXPECT_EQ(size, 0u);
  EXPECT_EQ(secondSets.SetCancel(id), kVOk);
  EXPECT_EQ(FileSets().SetSize(mine, &size), kVOk);
  EXPECT_EQ(size, 5u);
  Sets()->Clear();
}

TEST_F(VSets, PagesLiveInAFreshWorkFile) {
  const std::string path = people_.Dir() / "@Workset";
  ASSERT_FALSE(std::filesystem::exists(path));
  std::ofstream(path) << "left over from an earlier run";
  const int32_t id = people_.Make("all");
  ASSERT_GT(id, 0);
  VCioMap* work = people_.Work().WorkSet();
  ASSERT_NE(work, nullptr);
  EXPECT_EQ(work->BlockSize(), 4096);
  auto* set = static_cast<VSetAcc*>(Sets()->Find(id, VSetObj::kSet));
  EXPECT_EQ(set->WorkFile(), work);
  EXPECT_EQ(set->Map().PageCount(), 1);
  ASSERT_EQ(FileSets().SetCancel(id), kVOk);
  // The dropped set gave its page back: the next one takes the same block.
  EXPECT_FALSE(work->IsAllocated(1));
  EXPECT_EQ(people_.Work().CloseWorkFiles(), kVOk);
  EXPECT_FALSE(std::filesystem::exists(path));
}

TEST(VPhysicalRead, WalksEveryRecordThenAnswersTheEnd) {
  PeopleFile people;
  VDBFile& file = people.File();
  int32_t id = 0;
  uint32_t r = 0;
  std::vector<uint8_t> image;
  ASSERT_EQ(file.PSLocate(&people.Sets(), &id), kVOk);
  EXPECT_EQ(file.PSRead(&people.Sets(), id, &r, &image), kVEnd);
  EXPECT_EQ(file.PSCancel(&people.Sets(), id), kVOk);
  EXPECT_EQ(file.PSRead(&people.Sets(), id, &r, &image), kVNoSuchSet);

  for (int i = 1; i <= 300; ++i) people.Insert({{1, std::string(40, 'a' + i % 26)}});
  ASSERT_EQ(file.PSLocate(&people.Sets(), &id), kVOk);
  Members seen;
  for (int i = 0; i < 100; ++i) {
    ASSERT_EQ(file.PSRead(&people.Sets(), id, &r, &image), kVOk);
    EXPECT_EQ(image, people.Image({{1, std::string(40, 'a' + r % 26)}}));
    seen.push_back(r);
  }
  // The read goes on where it was after the file was closed and opened again.
  ASSERT_EQ(file.Close(), kVOk);
  EXPECT_EQ(file.PSRead(&people.Sets(), id, &r, &image), kVFileNotOpen);
  ASSERT_EQ(file.Open(), kVOk);
  VResult result;
  while ((result = file.PSRead(&people.Sets(), id, &r, &image)) == kVOk) seen.push_back(r);
  EXPECT_EQ(result, kVEnd);
  EXPECT_EQ(file.PSRead(&people.Sets(), id, &r, &image), kVEnd);
  std::sort(seen.begin(), seen.end());
  ASSERT_EQ(seen.size(), 300u);
  for (uint32_t i = 0; i < 300; ++i) EXPECT_EQ(seen[i], i + 1);
}

}  // namespace
