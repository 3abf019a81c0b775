// Evaluating query statements over a record file: each match kind through keys and through items,
// ranges, lists, sets of the user as operands, left-to-right combination, "all not", counting, and
// failures that leave nothing behind.
#include <gtest/gtest.h>

#include <vector>

#include "QuerySupport.h"
#include "Sjis.h"
#include "db/engine/VSetAcc.h"
#include "db/engine/VSetMaker.h"
#include "db/store/VCioFsp.h"
#include "db/store/VRBCvt.h"

namespace {

using Members = std::vector<uint32_t>;

class VQuery : public ::testing::Test {
 protected:
  void SetUp() override {
    // Records 1..9.
    people_.Insert({{1, "abc"}, {2, "a"}, {3, "1000000"}, {4, "red"}, {5, "20010203"}});
    people_.Insert({{1, "ab"}, {2, "A"}, {3, "1500000"}, {4, "blue"}, {4, "red"}});
    people_.Insert({{1, "cab"}, {2, "b"}, {3, "2000000"}, {5, "20011231"}});
    people_.Insert({{1, "xaby"}, {2, "c"}, {3, "2000001"}, {4, "green"}});
    people_.Insert({{2, "d"}, {3, "999999"}, {6, "no name"}});
    people_.Insert({{1, Sj("日本語")}, {2, "B"}, {3, "1.5"}});
    people_.Insert({{1, Sj("本語")}, {3, "-2"}});
    people_.Insert({{1, Sj("日本")}, {2, "bb"}});
    people_.Insert({{1, Sj("表")}, {2, "x"}});
  }

  // The same condition through the key and through the item must agree.
  void ExpectBoth(const std::string& key, const std::string& item, const std::string& value,
                  const Members& expected) {
    EXPECT_EQ(people_.Query("[" + key + "] = " + value), expected) << key << " " << value;
    EXPECT_EQ(people_.Query("[" + item + "] = " + value), expected) << item << " " << value;
  }

  PeopleFile people_;
};

TEST_F(VQuery, MatchKindsThroughKeysAndItemsAgree) {
  ExpectBoth("name", "I:name", "\"ab\"", {2});
  ExpectBoth("name", "I:name", "\"ab\"?", {1, 2});
  ExpectBoth("name", "I:name", "?\"ab\"", {2, 3});
  ExpectBoth("name", "I:name", "?\"ab\"?", {1, 2, 3, 4});
  ExpectBoth("name", "I:name", "\"abcd\"!", {1, 2});
  ExpectBoth("name", "I:name", "!\"zcab\"", {2, 3});
  ExpectBoth("name", "I:name", "!\"zxabyz\"!", {2, 4});
  // Shift-JIS: characters count whole, and a trail byte is never matched on its own.
  ExpectBoth("name", "I:name", "\"" + Sj("日本") + "\"?", {6, 8});
  ExpectBoth("name", "I:name", "?\"" + Sj("本語") + "\"", {6, 7});
  ExpectBoth("name", "I:name", "?\"" + Sj("本") + "\"?", {6, 7, 8});
  ExpectBoth("name", "I:name", "?\"\\\"?", {});
  ExpectBoth("name", "I:name", "?\"\\\"", {});
  // Ends-with on a key without a reverse tree reads the whole tree (this key folds case).
  EXPECT_EQ(people_.Query("[kcode] = ?\"b\""), (Members{3, 6, 8}));
  EXPECT_EQ(people_.Query("[I:code] = ?\"b\""), (Members{3, 8}));
}

// An empty value begins, ends and lies within every value, through keys as through items.
TEST_F(VQuery, EmptyValuesArePartsOfEveryValue) {
  const uint32_t empty = people_.Insert({{1, ""}, {2, "   "}});
  ASSERT_EQ(empty, 10u);
  ExpectBoth("name", "I:name", "\"abcd\"!", {1, 2, 10});
  ExpectBoth("name", "I:name", "!\"zcab\"", {2, 3, 10});
  ExpectBoth("name", "I:name", "!\"zxabyz\"!", {2, 4, 10});
  ExpectBoth("name", "I:name", "\"\"!", {10});
  ExpectBoth("name", "I:name", "\"\"", {10});
  // A key cuts trailing spaces, so "   " is stored as an empty value there.
  EXPECT_EQ(people_.Query("[kcode] = \"q\"!"), (Members{10}));
  EXPECT_EQ(people_.Query("[I:code] = \"q\"!"), (Members{}));
}

TEST_F(VQuery, KeyAndItemReferences) {
  // Key 2 folds case; item 2 compares exactly.
  EXPECT_EQ(people_.Query("[2] = \"A\""), (Members{1, 2}));
  EXPECT_EQ(people_.Query("[K:2] = 'a'"), (Members{1, 2}));
  EXPECT_EQ(people_.Query("[kcode] = \"a\""), (Members{1, 2}));
  EXPECT_EQ(people_.Query("[I:2] = \"A\""), (Members{2}));
  EXPECT_EQ(people_.Query("[code] = \"A\""), (Members{2}));
  EXPECT_EQ(people_.Query("code = A"), (Members{2}));
  // A multi-valued item: any value passes.
  ExpectBoth("ktag", "tag", "red", {1, 2});
  ExpectBoth("ktag", "I:4", "?\"e\"?", {1, 2, 4});
}

TEST_F(VQuery, RangesAreInclusiveWithEitherSeparator) {
  ExpectBoth("kprice", "price", "1000000 - 2000000", {1, 2, 3});
  ExpectBoth("kprice", "price", "1000000~2000000", {1, 2, 3});
  ExpectBoth("kprice", "price", "(1000000 - 2000000)", {1, 2, 3});
  ExpectBoth("kprice", "price", "N\"1000000.00\" - \"02000000\"", {1, 2, 3});
  ExpectBoth("kprice", "price", "-5 - 1.5", {6, 7});
  ExpectBoth("kprice", "price", "2000000 - 1000000", {});
  ExpectBoth("name", "I:name", "\"ab\" - \"b\"", {1, 2});
  // Dates are read as dates, so the written form need not be the stored one.
  EXPECT_EQ(people_.Query("[born] = D\"2001/2/3\""), (Members{1}));
  EXPECT_EQ(people_.Query("[born] = \"2001/01/01\" - D\"2001/12/31\""), (Members{1, 3}));
}

TEST_F(VQuery, ListsWithAndWithoutParentheses) {
  EXPECT_EQ(people_.Query("[kcode] = \"a\", \"b\", \"c\""), (Members{1, 2, 3, 4, 6}));
  EXPECT_EQ(people_.Query("[I:code] = \"a\", \"b\", \"c\""), (Members{1, 3, 4}));
  EXPECT_EQ(people_.Query("[I:code] = (\"a\" \"b\")"), (Members{1, 3}));
  EXPECT_EQ(people_.Query("[I:code] = (a,b)"), (Members{1, 3}));
  ExpectBoth("kprice", "price", "1.50, -2, 7", {6, 7});
}

// A list or range of which some values carry markers means any of its values, each compared by its
// own markers: markers first, in the middle and last, through keys and through items alike.
TEST_F(VQuery, ValuesWithMarkersInListsAndRangesMeanAnyOfThem) {
  ExpectBoth("name", "I:name", "\"ab\"?, \"zed\"", {1, 2});
  ExpectBoth("name", "I:name", "\"zed\", ?\"by\", \"cab\"", {3, 4});
  ExpectBoth("name", "I:name", "\"cab\", \"zed\", !\"zxabyz\"!", {2, 3, 4});
  ExpectBoth("name", "I:name", "(?\"" + Sj("語") + "\", \"" + Sj("表") + "\")", {6, 7, 9});
  ExpectBoth("name", "I:name", "\"ab\"? - \"cab\"", {1, 2, 3});
  ExpectBoth("name", "I:name", "\"xaby\" ~ ?\"ab\"?", {1, 2, 3, 4});
  // Combined with other conditions like any operand.
  EXPECT_EQ(people_.Query("[name] = \"ab\"?, \"cab\" and [kprice] = 1000000 - 1500000"),
            (Members{1, 2}));
  // Without markers a list still compares whole values.
  ExpectBoth("name", "I:name", "\"ab\", \"cab\"", {2, 3});
}

TEST_F(VQuery, UserSetsAreOperandsThatNeverChange) {
  const int32_t a = people_.Make("[kcode] = a, b");                // 1 2 3 6
  const int32_t b = people_.Make("[kprice] = 1500000 - 2000001");  // 2 3 4
  ASSERT_GT(a, 0);
  ASSERT_GT(b, 0);
  const std::string sa = "#" + std::to_string(a);
  const std::string sb = "#" + std::to_string(b);
  EXPECT_EQ(people_.Query(sa + " or " + sb), (Members{1, 2, 3, 4, 6}));
  EXPECT_EQ(people_.Query(sa + " and " + sb), (Members{2, 3}));
  EXPECT_EQ(people_.Query(sa + " not " + sb), (Members{1, 6}));
  EXPECT_EQ(people_.Query("(" + sa + ") not " + sb), (Members{1, 6}));
  EXPECT_EQ(people_.Query(sb + " not " + sa + " or " + sa), (Members{1, 2, 3, 4, 6}));
  EXPECT_EQ(people_.Members(a), (Members{1, 2, 3, 6}));
  EXPECT_EQ(people_.Members(b), (Members{2, 3, 4}));
  // A set the user does not have, and an id that names a read, fail the statement.
  int32_t read = 0;
  ASSERT_EQ(people_.File().PSLocate(&people_.Sets(), &read), kVOk);
  EXPECT_EQ(people_.Make("#999 or all"), kVStatementFailed);
  EXPECT_EQ(people_.Make("all and #" + std::to_string(read)), kVStatementFailed);
}

TEST_F(VQuery, OperatorsHaveNoPrecedence) {
  // A = {1,2}, B = {2,3,4}, C = {5}.
  const std::string a = "[kcode] = a";
  const std::string b = "[kprice] = 1500000 - 2000001";
  const std::string c = "[note] = \"no name\"";
  EXPECT_EQ(people_.Query(a + " and " + b + " or " + c), (Members{2, 5}));
  EXPECT_EQ(people_.Query(a + " or " + b + " and " + c), (Members{}));
  EXPECT_EQ(people_.Query(a + " or (" + b + " and " + c + ")"), (Members{1, 2}));
  EXPECT_EQ(people_.Query(c + " or " + a + " and " + b), (Members{2}));
  for (const char* word : {"AND", "And", "and", "aNd"}) {
    EXPECT_EQ(people_.Query(a + " " + word + " " + b), (Members{2})) << word;
  }
  EXPECT_EQ(people_.Query(a + " OR " + c), (Members{1, 2, 5}));
  EXPECT_EQ(people_.Query("all NoT " + b), (Members{1, 5, 6, 7, 8, 9}));
}

TEST_F(VQuery, AllNotIncludesRecordsWithoutTheValue) {
  EXPECT_EQ(people_.Query("all"), (Members{1, 2, 3, 4, 5, 6, 7, 8, 9}));
  EXPECT_EQ(people_.Query("all not [2] = \"a\""), (Members{3, 4, 5, 6, 7, 8, 9}));
  EXPECT_EQ(people_.Query("all not [name] = ?\"\"?"), (Members{5}));
  EXPECT_EQ(people_.Query("all not [I:tag] = red"), (Members{3, 4, 5, 6, 7, 8, 9}));
  EXPECT_EQ(people_.Query("null or none"), (Members{}));
  ASSERT_EQ(people_.File().DelRecord(nullptr, 4), kVOk);
  EXPECT_EQ(people_.Query("all not null"), (Members{1, 2, 3, 5, 6, 7, 8, 9}));
  EXPECT_EQ(people_.Query("[name] = xaby or [I:name] = xaby"), (Members{}));
}

TEST_F(VQuery, CountingKeepsNoSet) {
  uint32_t count = 0;
  uint32_t first = 0;
  EXPECT_EQ(people_.FileSets().SetCount(Bytes("[kprice] = 1500000 - 3000000"), &count, &first),
            kVOk);
  EXPECT_EQ(count, 3u);
  EXPECT_EQ(first, 2u);
  EXPECT_EQ(people_.FileSets().SetCount(Bytes("[kcode] = zz"), &count, &first), kVOk);
  EXPECT_EQ(count, 0u);
  EXPECT_EQ(first, 0u);
  EXPECT_EQ(people_.FileSets().SetCount(Bytes("[nosuch] = zz"), &count, &first), kVCountFailed);
  EXPECT_EQ(people_.Sets().Count(), 0);
}

TEST_F(VQuery, AMadeSetRemembersItsStatementAndFile) {
  uint32_t size = 0;
  const int32_t id = people_.Make("[kcode] = a", &size);
  ASSERT_GT(id, 0);
  EXPECT_EQ(size, 2u);
  auto* set = static_cast<VSetAcc*>(people_.Sets().Find(id, VSetObj::kSet));
  ASSERT_NE(set, nullptr);
  EXPECT_TRUE(set->IsUserSet());
  EXPECT_EQ(set->Statement(), "[kcode] = a");
  EXPECT_EQ(set->FileNumber(), people_.File().FileNumber());
  EXPECT_EQ(people_.Sets().CountOf(VSetObj::kSet), 1);
  EXPECT_EQ(people_.Sets().NthOf(VSetObj::kSet, 0), set);
}

// A key condition never reads a record; an item condition reads them all and fails on one that
// cannot be read.
TEST_F(VQuery, KeyConditionsReadNoRecords) {
  VCioFsp* data = people_.File().DataFile();
  const uint32_t block = people_.File().RecordMap()->BlockOf(1);
  ASSERT_NE(block, 0u);
  VCashBffr* buffer = data->GetBlock(block);
  ASSERT_NE(buffer, nullptr);
  const std::vector<uint8_t> saved(buffer->Data(), buffer->Data() + buffer->Size());
  buffer->Payload()[3] = 0xFF;  // record 1's length now runs past the block
  buffer->Payload()[4] = 0xFF;
  data->MarkDirty(buffer);
  data->Release(buffer);
  EXPECT_EQ(people_.Query("[name] = \"ab\"? or [kprice] = 999999"), (Members{1, 2, 5}));
  EXPECT_EQ(people_.Make("[name] = \"ab\" or [I:note] = x"), kVStatementFailed);
  EXPECT_EQ(people_.Sets().Count(), 0);
  buffer = data->GetBlock(block);
  std::copy(saved.begin(), saved.end(), buffer->Data());
  data->MarkDirty(buffer);
  data->Release(buffer);
  EXPECT_EQ(people_.Query("[I:note] = \"no name\""), (Members{5}));
}

TEST_F(VQuery, KeysMustBeOpenAndFilesOpen) {
  ASSERT_EQ(people_.File().DeleteKey(3), kVOk);
  EXPECT_EQ(people_.Make("[kprice] = 1"), kVStatementFailed);
  EXPECT_EQ(people_.Query("[I:price] = 1.50"), (Members{6}));
  ASSERT_EQ(people_.File().Close(), kVOk);
  EXPECT_EQ(people_.Make("all"), kVFileNotOpen);
}

TEST_F(VQuery, KeyValuesLongerThanAKeyFail) {
  const std::string text(256, 'a');
  EXPECT_EQ(people_.Make("[name] = \"" + text + "\""), kVStatementFailed);
  EXPECT_EQ(people_.Query("[I:name] = \"" + text + "\""), (Members{}));
  EXPECT_EQ(people_.Query("[name] = \"" + text.substr(0, 255) + "\""), (Members{}));
}

}  // namespace
