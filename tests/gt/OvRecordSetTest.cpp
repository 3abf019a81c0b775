// Record sets against a real database (finding, counting, moving, reading by position and by
// number, deep and shallow copies, the player's own codes) and the three bounded histories.
#include "gt/OvRecordSet.h"

#include <gtest/gtest.h>

#include "PeopleDatabase.h"
#include "TempDir.h"
#include "gt/OvHistories.h"

namespace {

class RecordSetTest : public ::testing::Test {
 protected:
  RecordSetTest() : dir_(true) {
    for (int i = 1; i <= 5; ++i) db_.Insert({"name" + std::to_string(i), std::to_string(20 + i)});
  }
  int32_t UserSets() {
    int32_t count = 0;
    EXPECT_EQ(db_.Handle().UserSetCount(&count), kVOk);
    return count;
  }

  TempDir dir_;
  PeopleDatabase db_;
};

TEST_F(RecordSetTest, FindCountMoveAndReadWithThePlayersOwnCodes) {
  OvRecordSet set;
  VRecord record;
  uint32_t r = 0;
  EXPECT_EQ(set.ReadAt(0, &r, &record), OvRecordSet::kNoHandle);
  EXPECT_EQ(set.ReadRecord(1, 1, &record), OvRecordSet::kNoHandle);
  EXPECT_EQ(set.Find("all;"), kVOk) << "without a handle nothing is done";
  EXPECT_EQ(set.SetID(), 0);
  set.Bind(&db_.Handle(), 1);
  EXPECT_EQ(set.ReadAt(0, &r, &record), OvRecordSet::kNoSet);
  EXPECT_EQ(set.ReadRecord(0, 1, &record), OvRecordSet::kNoSet);
  ASSERT_EQ(set.Find("[kage] = 22 - 24;"), kVOk);
  EXPECT_EQ(set.Count(false), 3);
  EXPECT_EQ(set.Statement(), "[kage] = 22 - 24;");
  EXPECT_EQ(set.Current(), 0);
  // Goto clamps; moves answer whether the index changed.
  EXPECT_FALSE(set.Prev());
  EXPECT_TRUE(set.Goto(99));
  EXPECT_EQ(set.Current(), 2);
  EXPECT_FALSE(set.Next());
  EXPECT_TRUE(set.First());
  EXPECT_TRUE(set.Last());
  ASSERT_EQ(set.ReadAt(1, &r, &record), kVOk);
  EXPECT_EQ(r, 3u);
  EXPECT_EQ(set.ReadAt(3, &r, &record), OvRecordSet::kNoSetOrIndex);
  EXPECT_EQ(set.ReadAt(-1, &r, &record), OvRecordSet::kNoSetOrIndex);
  ASSERT_EQ(set.ReadRecord(1, 5, &record), kVOk);
  // The codes are 16-bit: -606 is 0xFDA2 and -506 0xFE06.
  EXPECT_EQ(static_cast<uint16_t>(OvRecordSet::kNoHandle), 0xFDA2);
  EXPECT_EQ(static_cast<uint16_t>(OvRecordSet::kNoSet), 0xFE06);

  // A failing statement leaves the set released and keeps no statement; a re-run of a stored
  // statement keeps the typed text.
  EXPECT_NE(set.Find("[nosuch] = 1;"), kVOk);
  EXPECT_EQ(set.SetID(), 0);
  EXPECT_EQ(set.Statement(), "");
  ASSERT_EQ(set.Find("all;"), kVOk);
  set.SetTypedText("everyone");
  ASSERT_EQ(set.Find(nullptr), kVOk);
  EXPECT_EQ(set.TypedText(), "everyone");
  EXPECT_EQ(set.Count(true), 5);
  // An empty set has no current record.
  ASSERT_EQ(set.Find("[kage] = 99;"), kVOk);
  EXPECT_TRUE(set.Goto(0));
  EXPECT_EQ(set.Current(), -1);
  EXPECT_FALSE(set.Goto(5));
  ASSERT_EQ(set.Release(), kVOk);
  EXPECT_EQ(UserSets(), 0) << "the engine set was given back";
}

TEST_F(RecordSetTest, CopiesOwnTheirSetsButAShallowCopyNeverReleasesIt) {
  OvRecordSet set;
  set.Bind(&db_.Handle(), 1);
  ASSERT_EQ(set.Find("[kage] = 21 - 22;"), kVOk);
  set.Goto(1);
  {
    OvRecordSet deep;
    ASSERT_EQ(set.CopyTo(&deep, false), kVOk);
    EXPECT_NE(deep.SetID(), set.SetID());
    EXPECT_EQ(deep.Count(true), 2);
    EXPECT_EQ(deep.Current(), 0);
    EXPECT_EQ(deep.Statement(), set.Statement());
    EXPECT_EQ(UserSets(), 2);
    OvRecordSet shallow;
    ASSERT_EQ(set.CopyTo(&shallow, true), kVOk);
    EXPECT_EQ(shallow.SetID(), set.SetID());
    EXPECT_EQ(shallow.Current(), 1);
  }
  // The deep copy's set went with it; the shallow copy left the original's alone.
  EXPECT_EQ(UserSets(), 1);
  EXPECT_EQ(set.Count(true), 2);
  OvRecordSet empty;
  OvRecordSet target;
  EXPECT_EQ(empty.CopyTo(&target, false), OvRecordSet::kNoSetOrIndex);
}

TEST_F(RecordSetTest, ChangesThroughTheSetFollowTheFileAndTheSet) {
  OvRecordSet set;
  set.Bind(&db_.Handle(), 1);
  ASSERT_EQ(set.Find("[kage] = 21 - 22;"), kVOk);
  uint32_t r = 0;
  ASSERT_EQ(set.Insert(PeopleDatabase::Record({"new", "30"}), &r, true), kVOk);
  EXPECT_EQ(r, 6u);
  EXPECT_TRUE(set.AfterChange()) << "the count changed";
  EXPECT_EQ(set.Count(false), 3);
  ASSERT_EQ(set.Update(2, PeopleDatabase::Record({"renamed", "31"})), kVOk);
  VRecord back;
  ASSERT_EQ(set.ReadRecord(1, 6, &back), kVOk);
  VValueRef ref;
  ASSERT_EQ(back.ValueRef(1, 1, &ref), kVOk);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(ref.bytes), ref.length), "renamed");
  set.Last();
  ASSERT_EQ(set.Delete(2, true), kVOk);
  EXPECT_TRUE(set.AfterChange()) << "the index was past the end";
  EXPECT_EQ(set.Current(), 1);
  EXPECT_EQ(set.Count(false), 2);
  EXPECT_EQ(set.ReadRecord(1, 6, &back), -201);
}

TEST(OvHistoryTest, CapacityPositionAndTheSameRecordTwice) {
  OvRecHistory refs;
  EXPECT_EQ(refs.Capacity(), 32);
  refs.SetCapacity(50);
  for (uint32_t r = 1; r <= 51; ++r) EXPECT_TRUE(refs.Push({1, r}, true));
  EXPECT_EQ(refs.Count(), 50);
  EXPECT_EQ(refs.EntryAt(0)->record, 2u) << "the oldest went";
  EXPECT_EQ(refs.Position(), 49);
  EXPECT_FALSE(refs.Push({1, 51}, true)) << "the same record twice is one entry";
  EXPECT_TRUE(refs.Push({2, 51}, true)) << "another file is another record";
  // Going back twice, then adding, appends after the newest.
  ASSERT_NE(refs.Prev(), nullptr);
  ASSERT_NE(refs.Prev(), nullptr);
  EXPECT_TRUE(refs.Push({3, 1}, true));
  EXPECT_EQ(refs.EntryAt(refs.Count() - 1)->file, 3);
  EXPECT_EQ(refs.EntryAt(refs.Count() - 2)->file, 2);
  EXPECT_EQ(refs.Next(), nullptr) << "the newest is current";
  // Without keepTail the entries after the position go.
  refs.SetPosition(10);
  EXPECT_TRUE(refs.Push({4, 4}, false));
  EXPECT_EQ(refs.Count(), 12);
  // Capacity 0 (or negative) takes nothing; clamping the position.
  OvRecHistory none;
  none.SetCapacity(-3);
  EXPECT_EQ(none.Capacity(), 0);
  EXPECT_FALSE(none.Push({1, 1}, true));
  EXPECT_EQ(none.Current(), nullptr);
  none.SetPosition(5);
  EXPECT_EQ(none.Position(), 0);

  OvFindHistory finds;
  finds.SetCapacity(2);
  for (const char* word : {"a", "b", "c"}) {
    auto entry = std::make_unique<OvFindHistoryElem>();
    entry->words.push_back(word);
    finds.Push(std::move(entry), true);
  }
  ASSERT_EQ(finds.Count(), 2);
  EXPECT_EQ(finds.EntryAt(0)->words[0], "b");
  // Removing the current entry keeps a valid position.
  finds.RemoveAt(1);
  EXPECT_EQ(finds.Position(), 0);
  finds.RemoveAt(0);
  EXPECT_EQ(finds.Count(), 0);
  EXPECT_EQ(finds.Current(), nullptr);
}

}  // namespace
