// B-trees of keys: node layouts byte for byte, list chains, splits and the fixed root, deletion
// down to an empty root, made key values, reverse trees, the scans, the depth limit and broken
// nodes.
#include "db/store/VBTree.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <random>

#include "BTreeSupport.h"
#include "Sjis.h"
#include "TempDir.h"
#include "base/VDebug.h"
#include "db/schema/VValue.h"
#include "db/store/VDBCodes.h"

namespace {

constexpr uint16_t kString = kVTypeString;
constexpr uint16_t kUniqueString = kVKeyWordUnique | kVTypeString;

VResult Insert(VBTree& tree, const std::string& text, uint32_t r) {
  std::vector<uint8_t> value = Value(text);
  return tree.InsertKey(value.data(), r);
}

VResult Delete(VBTree& tree, const std::string& text, uint32_t r) {
  std::vector<uint8_t> value = Value(text);
  return tree.DeleteKey(value.data(), r);
}

std::set<uint32_t> Equal(VBTree& tree, const std::string& text) {
  std::vector<uint8_t> value = Value(text);
  VRMap set;
  EXPECT_EQ(tree.EqualScan(value.data(), &set), kVOk);
  EXPECT_EQ(set.Count(), Members(set).size());
  return Members(set);
}

std::set<uint32_t> Op(VBTree& tree, int32_t op, const std::string& text) {
  std::vector<uint8_t> value = Value(text);
  VRMap set;
  EXPECT_EQ(tree.OpScan(op, value.data(), &set), kVOk);
  return Members(set);
}

std::string Made(VBTree& tree, const std::string& text) {
  std::vector<uint8_t> value = Value(text);
  uint8_t out[2048];
  tree.MakeKey(out, value.data());
  return std::string(reinterpret_cast<const char*>(out + 1), out[0]);
}

std::vector<std::string> Keys(VBTree& tree) {
  std::vector<std::string> keys;
  for (VResult r = tree.First(); r == kVOk; r = tree.Next()) {
    const uint8_t* key = tree.Current().key;
    keys.emplace_back(reinterpret_cast<const char*>(key + 1), key[0]);
  }
  tree.ReleaseStack();
  return keys;
}

// The bytes of a node's block header and payload in use.
std::vector<uint8_t> NodeBytes(TreeFile& file, uint32_t block) {
  std::vector<uint8_t> image = file.Block(block);
  image.resize(4 + VGetU16(&image[2]));
  return image;
}

std::string Text(size_t length, uint32_t n) {
  std::string text(length, 'k');
  for (size_t i = 0; i < 8 && i < length; ++i) text[length - 1 - i] = 'a' + ((n >> (3 * i)) & 7);
  return text;
}

TEST(VBTree, UniqueNodesHaveTheirExactLayoutAndARefusalChangesNothing) {
  TreeFile file;
  auto tree = file.NewTree(1, kUniqueString);
  const uint32_t root = tree->Root();
  EXPECT_EQ(NodeBytes(file, root), (std::vector<uint8_t>{5, 1, 0, 0}));
  ASSERT_EQ(Insert(*tree, "b", 0x020304), kVOk);
  ASSERT_EQ(Insert(*tree, "a", 1), kVOk);
  ASSERT_EQ(Insert(*tree, "cc", 3), kVOk);
  const uint32_t leaf = VGetU24(&file.Block(root)[4 + 2]);
  EXPECT_EQ(NodeBytes(file, root),
            (std::vector<uint8_t>{5, 1, 0, 5, 1, 'a', 0, 0, static_cast<uint8_t>(leaf)}));
  EXPECT_EQ(NodeBytes(file, leaf), (std::vector<uint8_t>{7,   1, 0, 16, 1, 'a', 0,   0, 1, 1,
                                                         'b', 2, 3, 4,  2, 'c', 'c', 0, 0, 3}));

  // Taken values are refused without a change to any block.
  const std::vector<uint8_t> rootBefore = file.Block(root);
  const std::vector<uint8_t> leafBefore = file.Block(leaf);
  const std::set<uint32_t> blocksBefore = file.AllocatedBlocks();
  EXPECT_EQ(Insert(*tree, "b", 9), kVUniqueTaken);
  EXPECT_EQ(Insert(*tree, "b  ", 0x020304), kVUniqueTaken);  // trailing spaces make no other key
  EXPECT_EQ(file.Block(root), rootBefore);
  EXPECT_EQ(file.Block(leaf), leafBefore);
  EXPECT_EQ(file.AllocatedBlocks(), blocksBefore);
  // A unique entry goes only for the record that holds it.
  EXPECT_EQ(Delete(*tree, "b", 9), kVNotInList);
  EXPECT_EQ(Delete(*tree, "z", 9), kVKeyAbsent);
  uint32_t owner = 0;
  std::vector<uint8_t> b = Value("b");
  ASSERT_TRUE(tree->Lookup(b.data(), &owner));
  EXPECT_EQ(owner, 0x020304u);
  EXPECT_EQ(tree->InsertKey(b.data(), 0), kVTreeUnusable);
  EXPECT_EQ(tree->InsertKey(b.data(), 0x1000000), kVTreeUnusable);
}

TEST(VBTree, ListsDivideAt513AndChainsKeepEveryRecord) {
  TreeFile file;
  auto tree = file.NewTree(2, kString);
  // Inserted from the top down, so each number goes to the front of its list.
  for (uint32_t r = 512; r >= 1; --r) ASSERT_EQ(Insert(*tree, "k", r), kVOk);
  ASSERT_EQ(Insert(*tree, "k", 100), kVOk);  // already there: nothing changes
  const uint32_t root = tree->Root();
  const uint32_t leaf = VGetU24(&file.Block(root)[4 + 2 + 3]);
  std::vector<uint8_t> node = NodeBytes(file, leaf);
  ASSERT_EQ(node.size(), 4u + 2 + 2 + 3 * 512);
  EXPECT_EQ(VGetU16(&node[4 + 2]), 512);
  EXPECT_EQ(VGetU24(&node[4 + 4]), 1u);
  EXPECT_EQ(VGetU24(&node[4 + 4 + 3 * 511]), 512u);
  EXPECT_EQ(NodeBytes(file, root),
            (std::vector<uint8_t>{5, 2, 0, 8, 1, 'k', 0, 0, 0, 0, 0, static_cast<uint8_t>(leaf)}));

  ASSERT_EQ(Insert(*tree, "k", 513), kVOk);
  node = NodeBytes(file, leaf);
  const size_t second = 4 + 2 + 2 + 3 * 256;
  ASSERT_EQ(node.size(), second + 2 + 2 + 3 * 257);
  EXPECT_EQ(VGetU16(&node[4 + 2]), 0x4000 | 256);
  EXPECT_EQ(VGetU24(&node[4 + 4 + 3 * 255]), 256u);
  EXPECT_EQ(node[second], 1);
  EXPECT_EQ(VGetU16(&node[second + 2]), 0x8000 | 257);
  EXPECT_EQ(VGetU24(&node[second + 4]), 257u);
  EXPECT_EQ(VGetU24(&node[second + 4 + 3 * 256]), 513u);
  std::set<uint32_t> all;
  for (uint32_t r = 1; r <= 513; ++r) all.insert(r);
  EXPECT_EQ(Equal(*tree, "k"), all);

  // The second part divides in its turn: it keeps its own 0x8000 and takes 0x4000.
  for (uint32_t r = 514; r <= 769; ++r) ASSERT_EQ(Insert(*tree, "k", r), kVOk);
  TreeChecker checker(file, *tree);
  TreeShape shape;
  ASSERT_TRUE(checker.Check(root, &shape));
  EXPECT_EQ(shape.longestChain, 3);
  // Numbers that fall inside the chain go to the part that covers them.
  ASSERT_EQ(Delete(*tree, "k", 300), kVOk);
  ASSERT_EQ(Insert(*tree, "k", 300), kVOk);
  ASSERT_EQ(Insert(*tree, "a", 1), kVOk);
  ASSERT_EQ(Insert(*tree, "z", 1), kVOk);
  ASSERT_TRUE(checker.Check(root, &shape));
  for (uint32_t r = 514; r <= 769; ++r) all.insert(r);
  EXPECT_EQ(Equal(*tree, "k"), all);
  EXPECT_EQ(shape.contents.size(), 771u);

  // Emptying the first part mends the chain: the next part starts it.
  for (uint32_t r = 1; r <= 256; ++r) ASSERT_EQ(Delete(*tree, "k", r), kVOk);
  ASSERT_TRUE(checker.Check(root, &shape));
  for (uint32_t r = 769; r > 600; --r) ASSERT_EQ(Delete(*tree, "k", r), kVOk);
  ASSERT_TRUE(checker.Check(root, &shape));
  EXPECT_EQ(Equal(*tree, "k").size(), 600u - 256);
  EXPECT_EQ(Delete(*tree, "k", 700), kVNotInList);
  EXPECT_EQ(Delete(*tree, "j", 700), kVKeyAbsent);
}

TEST(VBTree, ChainsAcrossLeavesAreFoundFromEveryRecord) {
  // Long keys and long lists: chain parts fill leaves of their own, and separators carry the first
  // record of a part that continues a list.
  TreeFile file;
  auto tree = file.NewTree(3, kString);
  const std::string hot = std::string(250, 'h');
  for (uint32_t r = 1; r <= 3000; ++r) ASSERT_EQ(Insert(*tree, hot, r * 2), kVOk);
  for (uint32_t i = 0; i < 60; ++i) {
    ASSERT_EQ(Insert(*tree, std::string(255, static_cast<char>('a' + i % 7)), 7000 + i), kVOk);
  }
  TreeChecker checker(file, *tree);
  TreeShape shape;
  ASSERT_TRUE(checker.Check(tree->Root(), &shape));
  EXPECT_GE(shape.longestChain, 6);
  EXPECT_GE(shape.height, 3);
  EXPECT_EQ(Equal(*tree, hot).size(), 3000u);
  // Odd numbers land inside the right parts; deleting every even one empties the parts in turn.
  for (uint32_t r = 1; r <= 3000; r += 7) ASSERT_EQ(Insert(*tree, hot, r * 2 - 1), kVOk);
  ASSERT_TRUE(checker.Check(tree->Root(), &shape));
  for (uint32_t r = 1; r <= 3000; ++r) ASSERT_EQ(Delete(*tree, hot, r * 2), kVOk) << r;
  ASSERT_TRUE(checker.Check(tree->Root(), &shape));
  EXPECT_EQ(Equal(*tree, hot).size(), (3000u + 6) / 7);
}

TEST(VBTree, SplitsCutNearHalfAndTheRootNeverMoves) {
  TreeFile file;
  auto tree = file.NewTree(4, kUniqueString);
  const uint32_t root = tree->Root();
  // 16-byte keys make 20-byte entries: 102 fill a leaf's 2044 bytes; the 103rd splits it at
  // 1020 bytes, the boundary nearest to 1022.
  for (uint32_t i = 0; i < 103; ++i) ASSERT_EQ(Insert(*tree, Text(16, i), i + 1), kVOk);
  std::vector<uint8_t> top = NodeBytes(file, root);
  ASSERT_EQ(top.size(), 4u + 2 * 20);
  const uint32_t left = VGetU24(&top[4 + 17]);
  const uint32_t right = VGetU24(&top[4 + 20 + 17]);
  EXPECT_EQ(VGetU16(&file.Block(left)[2]), 51 * 20);
  EXPECT_EQ(VGetU16(&file.Block(right)[2]), 52 * 20);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(&top[4 + 20 + 1]), 16), Text(16, 51));
  // Enough keys for the root to split: it stays in its block.
  for (uint32_t i = 103; i < 40000; ++i) {
    ASSERT_EQ(Insert(*tree, Text(16, i * 7919 % 40000 + 40000), i + 1), kVOk);
  }
  EXPECT_EQ(tree->Root(), root);
  TreeChecker checker(file, *tree);
  TreeShape shape;
  ASSERT_TRUE(checker.Check(root, &shape));
  EXPECT_EQ(shape.height, 3);
  EXPECT_EQ(shape.contents.size(), 40000u);
  EXPECT_EQ(file.Block(root)[0], 5);
}

TEST(VBTree, DeletingEverythingLeavesAnEmptyRootAndTheNextInsertBuildsALeaf) {
  TreeFile file;
  const std::set<uint32_t> before = file.AllocatedBlocks();
  auto tree = file.NewTree(5, kString);
  const uint32_t root = tree->Root();
  std::vector<std::pair<std::string, uint32_t>> pairs;
  for (uint32_t i = 0; i < 9000; ++i) pairs.emplace_back(Text(40, i % 3000), i + 1);
  for (const auto& [key, r] : pairs) ASSERT_EQ(Insert(*tree, key, r), kVOk);
  TreeChecker checker(file, *tree);
  TreeShape shape;
  ASSERT_TRUE(checker.Check(root, &shape));
  ASSERT_GE(shape.height, 3);
  std::shuffle(pairs.begin(), pairs.end(), std::mt19937(5));
  for (const auto& [key, r] : pairs) ASSERT_EQ(Delete(*tree, key, r), kVOk);
  EXPECT_EQ(NodeBytes(file, root), (std::vector<uint8_t>{5, 5, 0, 0}));
  std::set<uint32_t> expected = before;
  expected.insert(root);
  EXPECT_EQ(file.AllocatedBlocks(), expected);
  EXPECT_EQ(tree->First(), kVEnd);
  EXPECT_EQ(Equal(*tree, Text(40, 3)), std::set<uint32_t>());

  ASSERT_EQ(Insert(*tree, "again", 77), kVOk);
  std::vector<uint8_t> top = NodeBytes(file, root);
  ASSERT_EQ(top.size(), 4u + 6 + 6);
  const uint32_t leaf = VGetU24(&top[4 + 9]);
  EXPECT_EQ(VGetU24(&top[4 + 6]), 0u);  // separator record of a list that starts its leaf
  EXPECT_EQ(NodeBytes(file, leaf),
            (std::vector<uint8_t>{7, 5, 0, 11, 5, 'a', 'g', 'a', 'i', 'n', 0, 1, 0, 0, 77}));
  // Dropping the tree frees every node, the root included.
  ASSERT_EQ(tree->Drop(), kVOk);
  EXPECT_EQ(file.AllocatedBlocks(), before);
}

TEST(VBTree, MadeValuesCutSpacesFoldCaseAndKanaAndWriteDecimalsCanonically) {
  TreeFile file;
  auto plain = file.NewTree(1, kString);
  EXPECT_EQ(Made(*plain, "ab  "), "ab");
  EXPECT_EQ(Made(*plain, "  "), "");
  EXPECT_EQ(Made(*plain, " a b "), " a b");
  EXPECT_EQ(Made(*plain, "AbC"), "AbC");
  ASSERT_EQ(Insert(*plain, "abc   ", 1), kVOk);
  EXPECT_EQ(Equal(*plain, "abc"), std::set<uint32_t>{1});
  EXPECT_EQ(Equal(*plain, "abc "), std::set<uint32_t>{1});
  EXPECT_EQ(Equal(*plain, "ABC"), std::set<uint32_t>());

  auto letters = file.NewTree(2, kVKeyWordIgnoreCase | kString);
  // A trail byte in the capital range belongs to its character and is left alone.
  const std::string katakanaA = Sj("ア");  // 0x83 0x41
  EXPECT_EQ(Made(*letters, "AbC" + katakanaA + "Z"), "abc" + katakanaA + "z");
  ASSERT_EQ(Insert(*letters, "Tokyo", 1), kVOk);
  EXPECT_EQ(Equal(*letters, "TOKYO"), std::set<uint32_t>{1});
  EXPECT_EQ(Equal(*letters, "tokyo  "), std::set<uint32_t>{1});

  auto kana = file.NewTree(3, kVKeyWordIgnoreJCase | kString);
  EXPECT_EQ(Made(*kana, Sj("あみむんぁ")), Sj("アミムンァ"));
  EXPECT_EQ(Made(*kana, "AB" + Sj("ア")), "AB" + Sj("ア"));
  ASSERT_EQ(Insert(*kana, Sj("とうきょう"), 1), kVOk);
  ASSERT_EQ(Insert(*kana, Sj("トウキョウ"), 2), kVOk);
  EXPECT_EQ(Equal(*kana, Sj("とうキョウ")), (std::set<uint32_t>{1, 2}));
  EXPECT_EQ(Equal(*plain, Sj("とうきょう")), std::set<uint32_t>());

  // Folding is for String keys only.
  auto chars = file.NewTree(4, kVKeyWordIgnoreCase | kVKeyWordIgnoreJCase | kVTypeChar);
  EXPECT_EQ(Made(*chars, "A" + Sj("あ")), "A" + Sj("あ"));

  auto number = file.NewTree(5, kVTypeNumber);
  for (const char* same : {"1.50", "01.5", "+1.5", " 1.5 ", "+ 001.500"}) {
    EXPECT_EQ(Made(*number, same), "1.5") << same;
  }
  EXPECT_EQ(Made(*number, "-0"), "0");
  EXPECT_EQ(Made(*number, "-0.000"), "0");
  EXPECT_EQ(Made(*number, ".25"), "0.25");
  EXPECT_EQ(Made(*number, "-007"), "-7");
  EXPECT_EQ(Made(*number, "12."), "12");
  uint32_t r = 0;
  for (const char* text : {"10", "-1.5", "2", "0.5", "-0", "1.50", "-2", "100"}) {
    EXPECT_EQ(Insert(*number, text, ++r), kVOk) << text;
  }
  EXPECT_EQ(Keys(*number),
            (std::vector<std::string>{"-2", "-1.5", "0", "0.5", "1.5", "2", "10", "100"}));
  EXPECT_EQ(Equal(*number, "+1.5"), std::set<uint32_t>{6});
  EXPECT_EQ(Equal(*number, "0"), std::set<uint32_t>{5});
  auto unique = file.NewTree(6, kVKeyWordUnique | kVTypeInteger);
  ASSERT_EQ(Insert(*unique, "0", 1), kVOk);
  EXPECT_EQ(Insert(*unique, "-0", 2), kVUniqueTaken);
  EXPECT_EQ(Insert(*unique, "000", 3), kVUniqueTaken);
}

TEST(VBTree, ReverseTreesTurnTheMadeValueRound) {
  TreeFile file;
  auto reverse = file.NewTree(1, kVKeyWordReverse | kVKeyWordIgnoreCase | kString, true);
  // Trailing spaces go before the characters turn round; leading ones stay, at the end.
  EXPECT_EQ(Made(*reverse, "ab  "), "ba");
  EXPECT_EQ(Made(*reverse, " ab"), "ba ");
  EXPECT_EQ(Made(*reverse, Sj("日本") + "A"), "a" + Sj("本日"));
  ASSERT_EQ(Insert(*reverse, "Kyoto  ", 1), kVOk);
  ASSERT_EQ(Insert(*reverse, "Tokyo", 2), kVOk);
  ASSERT_EQ(Insert(*reverse, "Osaka", 3), kVOk);
  // A suffix search is a prefix search on the reverse tree with the value as it is.
  EXPECT_EQ(Op(*reverse, 1, "yoto"), std::set<uint32_t>{1});
  EXPECT_EQ(Op(*reverse, 1, "O"), (std::set<uint32_t>{1, 2}));
  ASSERT_EQ(Delete(*reverse, "kyoto", 1), kVOk);
  EXPECT_EQ(Keys(*reverse), (std::vector<std::string>{"akaso", "oykot"}));
  // A reverse tree of numbers compares bytewise: its values are no numbers.
  auto numbers = file.NewTree(2, kVKeyWordReverse | kVTypeNumber, true);
  EXPECT_EQ(Made(*numbers, "01.50"), "5.1");
  ASSERT_EQ(Insert(*numbers, "125", 1), kVOk);
  ASSERT_EQ(Insert(*numbers, "25", 2), kVOk);
  ASSERT_EQ(Insert(*numbers, "9", 3), kVOk);
  EXPECT_EQ(Op(*numbers, 1, "25"), (std::set<uint32_t>{1, 2}));
}

TEST(VBTree, ScansSelectExactlyTheirEntries) {
  TreeFile file;
  auto tree = file.NewTree(7, kString);
  const std::vector<std::pair<std::string, uint32_t>> entries = {
      {"apple", 1},     {"apple", 2},   {"apricot", 3}, {"banana", 4}, {"band", 5},
      {"bandana", 6},   {"cab", 7},     {"ab", 8},      {"a", 9},      {"b", 10},
      {"ban", 11},      {"cherry", 12}, {"cherry", 13}, {"date", 14},  {"x" + Sj("日本"), 15},
      {Sj("日本"), 16}, {Sj("本"), 17}};
  for (const auto& [key, r] : entries) ASSERT_EQ(Insert(*tree, key, r), kVOk);
  // Padding entries put the interesting ones into several leaves.
  for (uint32_t i = 0; i < 300; ++i) ASSERT_EQ(Insert(*tree, "m" + Text(30, i), 100 + i), kVOk);

  EXPECT_EQ(Equal(*tree, "apple"), (std::set<uint32_t>{1, 2}));
  EXPECT_EQ(Equal(*tree, "appl"), std::set<uint32_t>());
  auto range = [&](const std::string& from, const std::string& to) {
    std::vector<uint8_t> a = Value(from);
    std::vector<uint8_t> b = Value(to);
    VRMap set;
    EXPECT_EQ(tree->RangeScan(a.data(), b.data(), &set), kVOk);
    return Members(set);
  };
  EXPECT_EQ(range("apple", "band"), (std::set<uint32_t>{1, 2, 3, 4, 5, 10, 11}));
  EXPECT_EQ(range("apq", "banc"), (std::set<uint32_t>{3, 4, 10, 11}));
  EXPECT_EQ(range("band", "apple"), std::set<uint32_t>());
  EXPECT_EQ(range("zz", "zzz"), std::set<uint32_t>());
  EXPECT_EQ(range("cherry", "cherry"), (std::set<uint32_t>{12, 13}));

  std::vector<std::vector<uint8_t>> values = {Value("date"), Value("apple"), Value("nope"),
                                              Value("date  "), Value("a")};
  std::vector<const uint8_t*> pointers;
  for (const auto& v : values) pointers.push_back(v.data());
  VRMap set;
  ASSERT_EQ(tree->ListScan(pointers, &set), kVOk);
  EXPECT_EQ(Members(set), (std::set<uint32_t>{1, 2, 9, 14}));
  EXPECT_EQ(set.Count(), 4u);

  EXPECT_EQ(Op(*tree, 1, "ban"), (std::set<uint32_t>{4, 5, 6, 11}));
  EXPECT_EQ(Op(*tree, 2, "an"), (std::set<uint32_t>{11}));
  EXPECT_EQ(Op(*tree, 2, "ana"), (std::set<uint32_t>{4, 6}));
  EXPECT_EQ(Op(*tree, 3, "an"), (std::set<uint32_t>{4, 5, 6, 11}));
  // Ends and containment take whole characters: the trail byte of a character is no start.
  EXPECT_EQ(Op(*tree, 2, Sj("本")), (std::set<uint32_t>{15, 16, 17}));
  EXPECT_EQ(Op(*tree, 3, Sj("日")), (std::set<uint32_t>{15, 16}));
  // Swapped: the value begins with, ends with, contains the entry.
  EXPECT_EQ(Op(*tree, 9, "bandanas"), (std::set<uint32_t>{5, 6, 10, 11}));
  EXPECT_EQ(Op(*tree, 9, "apples"), (std::set<uint32_t>{1, 2, 9}));
  EXPECT_EQ(Op(*tree, 9, "zebra"), std::set<uint32_t>());
  EXPECT_EQ(Op(*tree, 10, "scab"), (std::set<uint32_t>{7, 8, 10}));
  EXPECT_EQ(Op(*tree, 11, "xbandanax"), (std::set<uint32_t>{5, 6, 9, 10, 11}));
  EXPECT_EQ(Op(*tree, 5, "a"), std::set<uint32_t>());  // no such comparison
}

TEST(VBTree, PrefixScansOfNumberKeysLookAtEveryEntry) {
  // Numbers in numeric order do not keep equal beginnings together (2 lies between 1 and 10).
  TreeFile file;
  auto tree = file.NewTree(1, kVTypeNumber);
  uint32_t r = 0;
  for (const char* text : {"1", "2", "10", "15", "100", "15.5", "-1", "0.1", "3"}) {
    ASSERT_EQ(Insert(*tree, text, ++r), kVOk);
  }
  EXPECT_EQ(Op(*tree, 1, "1"), (std::set<uint32_t>{1, 3, 4, 5, 6}));
  EXPECT_EQ(Op(*tree, 9, "150"), (std::set<uint32_t>{1, 4}));
  EXPECT_EQ(Op(*tree, 9, "15.52"), (std::set<uint32_t>{1, 4, 6}));
}

TEST(VBTree, ASixthLevelIsNeverBuiltAndTheRefusedInsertChangesNothing) {
  // Keys of 255 bytes in ascending order: seven fit a node and splits leave four, so five levels
  // fill within a few thousand keys. A first tree finds the insert that would need a sixth.
  uint32_t limit = 0;
  {
    TreeFile probe(8000);
    auto tree = probe.NewTree(1, kUniqueString);
    for (uint32_t i = 0; limit == 0 && i < 100000; ++i) {
      try {
        ASSERT_EQ(Insert(*tree, Text(255, i), i + 1), kVOk);
      } catch (const VFailure& failure) {
        EXPECT_EQ(failure.Code(), -1);
        limit = i;
      }
    }
  }
  ASSERT_GT(limit, 500u);
  TreeFile file(8000);
  auto tree = file.NewTree(1, kUniqueString);
  for (uint32_t i = 0; i < limit; ++i) ASSERT_EQ(Insert(*tree, Text(255, i), i + 1), kVOk);
  TreeChecker checker(file, *tree);
  TreeShape shape;
  ASSERT_TRUE(checker.Check(tree->Root(), &shape));
  EXPECT_EQ(shape.height, 5);
  auto images = [&] {
    std::vector<uint8_t> all;
    for (uint32_t block : file.AllocatedBlocks()) {
      std::vector<uint8_t> image = file.Block(block);
      all.insert(all.end(), image.begin(), image.end());
    }
    return all;
  };
  const std::vector<uint8_t> before = images();
  const std::set<uint32_t> blocksBefore = file.AllocatedBlocks();
  {
    TempDir logDir(true);
    StartLog("trees", false);
    EXPECT_THROW((void)Insert(*tree, Text(255, limit), limit + 1), VFailure);
    StopLog();
    std::ifstream log("trees.log");
    std::string text((std::istreambuf_iterator<char>(log)), std::istreambuf_iterator<char>());
    EXPECT_NE(text.find("...ERROR... VTree::PushRoot Btree Stack overflow:5"), std::string::npos);
  }
  EXPECT_EQ(file.AllocatedBlocks(), blocksBefore);
  EXPECT_EQ(images(), before);
  ASSERT_TRUE(checker.Check(tree->Root(), &shape));
  EXPECT_EQ(shape.contents.size(), limit);
  // The tree goes on serving: a key that fits in a node with room is taken.
  EXPECT_EQ(Insert(*tree, "a", 999999), kVOk);
  ASSERT_TRUE(checker.Check(tree->Root(), &shape));
}

}  // namespace
