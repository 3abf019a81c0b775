// Sorting sets: the same order in memory (by distinct keys up to 3000 records, as a run of keys
// within the memory budget) and through the work-file tree (beyond it), ties in ascending record
// number, descending entries, byte ranges, case folding, numbers, missing values, the description's
// errors, and a failed sort that leaves the set unsorted.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <numeric>
#include <string>
#include <vector>

#include "QuerySupport.h"
#include "db/engine/VSetAcc.h"
#include "db/engine/VSorter.h"
#include "db/store/VCioMap.h"

namespace {

using Members = std::vector<uint32_t>;

// Record numbers 1..n ordered by a comparison of record numbers, ties in ascending number.
template <class Less>
Members Expected(const Members& records, Less less) {
  Members order = records;
  std::stable_sort(order.begin(), order.end(), less);
  return order;
}

class VSort : public ::testing::Test {
 protected:
  VDBFile& File() { return people_.File(); }
  VListMgr* Sets() { return &people_.Sets(); }
  VDBFileSets FileSets() { return people_.FileSets(); }
  Members SortAll(const std::string& description, VResult expected = kVOk) {
    const int32_t id = people_.Make("all");
    EXPECT_EQ(FileSets().SetSort(id, Bytes(description)), expected) << description;
    Members members = people_.Members(id);
    EXPECT_EQ(FileSets().SetCancel(id), kVOk);
    return members;
  }

  PeopleFile people_;
};

// 3000 records sort one member per distinct key, 3001 as a run of keys; both keep ties in record
// order, also when one value has more records than one tree entry holds.
TEST_F(VSort, TiesKeepRecordOrderOnBothSidesOfTheMemoryLimit) {
  const char* words[] = {"pear", "apple", "fig", "Apple", "kiwi"};
  std::vector<std::string> names(1);
  for (uint32_t r = 1; r <= kVMemorySort + 1; ++r) {
    names.push_back(words[(r * 7) % 5]);
    ASSERT_EQ(people_.Insert({{1, names.back()}, {3, std::to_string(r % 11)}}), r);
  }
  const std::string worktree = people_.Dir() / "@Worktree";
  for (const uint32_t count : {kVMemorySort, kVMemorySort + 1}) {
    const int32_t id = people_.Make("all");
    ASSERT_EQ(FileSets().SetRDel(id, count == kVMemorySort ? 77u : 0u), kVOk);
    Members records = people_.Members(id);
    ASSERT_EQ(records.size(), count);
    for (const bool descending : {false, true}) {
      ASSERT_EQ(FileSets().SetSort(id, Bytes(descending ? "name%D" : "name%A")), kVOk);
      EXPECT_EQ(people_.Members(id), Expected(records,
                                              [&](uint32_t a, uint32_t b) {
                                                return descending ? names[a] > names[b]
                                                                  : names[a] < names[b];
                                              }))
          << count << (descending ? " descending" : " ascending");
    }
    ASSERT_EQ(FileSets().SetSort(id, Bytes("[3]%D name%s")), kVOk);
    EXPECT_EQ(people_.Members(id), Expected(records,
                                            [&](uint32_t a, uint32_t b) {
                                              if (a % 11 != b % 11) return a % 11 > b % 11;
                                              std::string x = names[a], y = names[b];
                                              x[0] = static_cast<char>(std::tolower(x[0]));
                                              y[0] = static_cast<char>(std::tolower(y[0]));
                                              return x < y;
                                            }))
        << count;
    // The work tree is made only for a sort that may need it.
    EXPECT_EQ(std::filesystem::exists(worktree), count > kVMemorySort);
    ASSERT_EQ(FileSets().SetCancel(id), kVOk);
  }
  // Every tree node went back to the work file.
  VCioMap* tree = people_.Work().WorkTree();
  for (uint32_t block = 1; block < tree->GroupBlocks(); ++block) {
    EXPECT_FALSE(tree->IsAllocated(block)) << block;
  }
}

// Long keys of a few values spread over many records, sorted wholly in memory, wholly through the
// tree (a budget no key fits) and in memory until the budget runs out and then through the tree
// (which then receives its keys in several batches): one order, equal keys in record order.
TEST_F(VSort, ManyLongKeysKeepKeyThenRecordOrderWhateverTheMemoryBudget) {
  const std::string padding(200, 'x');
  const char* words[] = {"plum", "date", "lime", "date", "cherry", "fig", "lime"};
  std::vector<std::string> names(1);
  for (uint32_t r = 1; r <= 12000; ++r) {
    names.push_back(words[(r * 5) % 7] + padding + std::to_string(r % 3));
    ASSERT_EQ(people_.Insert({{1, names.back()}, {3, std::to_string(r % 4)}}), r);
  }
  Members records(12000);
  std::iota(records.begin(), records.end(), 1u);
  EXPECT_EQ(SortAll("name"),
            Expected(records, [&](uint32_t a, uint32_t b) { return names[a] < names[b]; }));
  const Members descending =
      Expected(records, [&](uint32_t a, uint32_t b) { return names[a] > names[b]; });
  EXPECT_EQ(SortAll("name%D"), descending);

  const Members byPriceThenName = Expected(records, [&](uint32_t a, uint32_t b) {
    return a % 4 != b % 4 ? a % 4 > b % 4 : names[a] < names[b];
  });
  const int32_t id = people_.Make("all");
  VSetAcc* set = static_cast<VSetAcc*>(Sets()->Find(id));
  ASSERT_NE(set, nullptr);
  VCioMap* tree = people_.Work().WorkTree();
  for (const size_t budget : {size_t{0}, size_t{1} << 20, kVSortMemoryBudget}) {
    ASSERT_EQ(VSortSet(File(), set, Bytes("name%D"), tree, budget), kVOk);
    EXPECT_EQ(people_.Members(id), descending) << budget;
    ASSERT_EQ(VSortSet(File(), set, Bytes("price%D, name"), tree, budget), kVOk);
    EXPECT_EQ(people_.Members(id), byPriceThenName) << budget;
  }
  ASSERT_EQ(FileSets().SetCancel(id), kVOk);
  for (uint32_t block = 1; block < tree->GroupBlocks(); ++block) {
    EXPECT_FALSE(tree->IsAllocated(block)) << block;
  }
}

TEST_F(VSort, NumbersRangesCaseAndMissingValues) {
  struct Row {
    const char* name;
    const char* price;  // empty: no value
  };
  const Row rows[] = {{"bob", "10"}, {"Alice", "9.5"}, {"carol", "-3"}, {"alice", "10.0"},
                      {"Bob", ""},   {"dave", "0"},    {"eve", "-10"},  {"", "100"},
                      {"aXb", "2"},  {"ayb", "1e"}};
  for (const Row& row : rows) {
    PeopleFile::Values values;
    if (*row.name) values.emplace(1, row.name);
    if (*row.price) values.emplace(3, row.price);
    people_.Insert(values);
  }
  // Numbers compare as decimals; a missing value comes first ascending, last descending.
  EXPECT_EQ(SortAll("price"), (Members{5, 7, 3, 6, 10, 9, 2, 1, 4, 8}));
  EXPECT_EQ(SortAll("price%d"), (Members{8, 1, 4, 2, 9, 10, 6, 3, 7, 5}));
  // Bytewise: capitals before small letters; with %S case is ignored.
  EXPECT_EQ(SortAll("name"), (Members{8, 2, 5, 9, 4, 10, 1, 3, 6, 7}));
  EXPECT_EQ(SortAll("name%AS"), (Members{8, 2, 4, 9, 10, 1, 5, 3, 6, 7}));
  EXPECT_EQ(SortAll("name%DS, price"), (Members{7, 6, 3, 5, 1, 10, 9, 2, 4, 8}));
  // Bytes 2 to 3 of the name; last below first means the whole value.
  EXPECT_EQ(SortAll("name(2-3)"), (Members{8, 9, 3, 6, 2, 4, 1, 5, 7, 10}));
  EXPECT_EQ(SortAll("name(3-2)"), SortAll("name"));
  EXPECT_EQ(SortAll("[I:1](0-9)"), SortAll("name"));
  // Past the end of every value: empty values, all equal, after the missing one.
  EXPECT_EQ(SortAll("name(9-12)"), (Members{8, 1, 2, 3, 4, 5, 6, 7, 9, 10}));
}

// Ignoring case folds small letters up, as every case-blind comparison of the system does: the
// characters between "Z" and "a" ("[", "\\", "]", "^", "_", "`") sort after every letter.
TEST_F(VSort, IgnoringCaseSortsTheSignsBetweenTheCasesAfterTheLetters) {
  const char* names[] = {"a_", "aZ", "a[", "a`", "az", "a^", "a\\", "a]", "ab", "AB"};
  for (const char* name : names) people_.Insert({{1, name}});
  // aZ and az tie (ascending record numbers), ab and AB tie, then the six signs in byte order.
  EXPECT_EQ(SortAll("name%AS"), (Members{9, 10, 2, 5, 3, 7, 8, 6, 1, 4}));
  EXPECT_EQ(SortAll("name%DS"), (Members{4, 1, 6, 8, 7, 3, 2, 5, 9, 10}));
  // Exact comparison is plain byte order.
  EXPECT_EQ(SortAll("name"), (Members{10, 2, 3, 7, 8, 6, 1, 4, 9, 5}));
}

TEST_F(VSort, DescriptionsAndTheirErrors) {
  for (const char* name : {"b", "c", "a"}) people_.Insert({{1, name}, {2, name}});
  const int32_t id = people_.Make("all");
  EXPECT_EQ(FileSets().SetSort(id, Bytes("abc")), kVOk);
  EXPECT_FALSE(static_cast<VSetAcc*>(Sets()->Find(id, VSetObj::kSet))->IsSorted());
  EXPECT_EQ(FileSets().SetSort(id, Bytes("nosuch")), kVSortItemUnknown);
  EXPECT_EQ(FileSets().SetSort(id, Bytes("name nosuch")), kVSortItemUnknown);
  const std::string bads[] = {"    ",    "((((",   ",,,,",  "%D name",           "[name",
                              "name(1)", "name%X", "[256]", std::string(32, 'n')};
  for (const std::string& bad : bads) {
    EXPECT_EQ(FileSets().SetSort(id, Bytes(bad)), kVSortDescriptionBad) << bad;
  }
  EXPECT_EQ(FileSets().SetSort(99, Bytes("name")), kVSortDescriptionBad);
  // Reading stops at the first entry that does not parse; what came before is used.
  EXPECT_EQ(FileSets().SetSort(id, Bytes("code%D, 999 name")), kVOk);
  EXPECT_EQ(people_.Members(id), (Members{2, 1, 3}));
  EXPECT_EQ(FileSets().SetSort(id, Bytes("[K:2]\t(1 - 1) %a")), kVOk);
  EXPECT_EQ(people_.Members(id), (Members{3, 1, 2}));
  const int32_t empty = people_.Make("null");
  EXPECT_EQ(FileSets().SetSort(empty, Bytes("name")), kVNoSuchSet);
  ASSERT_EQ(File().Close(), kVOk);
  EXPECT_EQ(FileSets().SetSort(id, Bytes("name")), kVFileNotOpen);
}

TEST_F(VSort, AReadErrorLeavesTheSetUnsorted) {
  for (const char* name : {"b", "c", "a"}) people_.Insert({{1, name}});
  const int32_t id = people_.Make("all");
  ASSERT_EQ(FileSets().SetSort(id, Bytes("name")), kVOk);
  EXPECT_EQ(people_.Members(id), (Members{3, 1, 2}));
  ASSERT_EQ(File().DelRecord(nullptr, 2), kVOk);
  EXPECT_EQ(FileSets().SetSort(id, Bytes("name%D")), kVRecordNotFound);
  EXPECT_EQ(people_.Members(id), (Members{1, 2, 3}));
  EXPECT_EQ(static_cast<VSetAcc*>(Sets()->Find(id, VSetObj::kSet))->SortDescription(), "");
}

// Keys longer than a tree entry takes are cut alike in memory and in the tree.
TEST(VSortKey, LongKeysAreCutToTheLimit) {
  VSortDescription description;
  for (int i = 0; i < 6; ++i) description.Add({1, 0, 0, 0, 0});
  VRecord record;
  std::vector<uint8_t> value{kVTypeString, 255};
  value.resize(257, 'x');
  ASSERT_EQ(record.AddValue(1, value.data(), static_cast<int32_t>(value.size())), kVOk);
  std::vector<uint8_t> key;
  description.MakeKey(record.View(), VSortDescription::kMaxKey, &key);
  EXPECT_EQ(key.size(), static_cast<size_t>(VSortDescription::kMaxKey));
  EXPECT_EQ(description.KeySize(key.data(), static_cast<int32_t>(key.size())),
            VSortDescription::kMaxKey);
  EXPECT_EQ(description.KeySize(key.data(), VSortDescription::kMaxKey - 1), -1);
  EXPECT_EQ(key[2 + 255 + 2 + 255 + 2 + 255 + 1], 1000 - 6 * 2 - 3 * 255);
}

}  // namespace
