// Broken trees: a node whose kind, key number, in-use count, entry lengths or list counts are
// wrong, or a child pointer that leads outside the tree, is reported (-230 for reads and scans,
// -102 for changes) and never followed outside its block; random damage never makes an operation
// read past a block or run without end.
#include <gtest/gtest.h>

#include <functional>
#include <random>

#include "BTreeSupport.h"
#include "db/schema/VValue.h"
#include "db/store/VDBCodes.h"

namespace {

// A non-unique tree of three levels over one index file, with the images of all its blocks kept
// so that each case can damage it and put it back.
class BrokenTree : public ::testing::Test {
 protected:
  void SetUp() override {
    tree_ = file_.NewTree(3, kVTypeString);
    for (uint32_t i = 0; i < 4000; ++i) {
      std::vector<uint8_t> value = Value(Key(i % 1300));
      ASSERT_EQ(tree_->InsertKey(value.data(), i + 1), kVOk);
    }
    TreeChecker checker(file_, *tree_);
    ASSERT_TRUE(checker.Check(tree_->Root(), &shape_));
    ASSERT_EQ(shape_.height, 3);
    // A block of another kind that the tree must never free.
    foreign_ = file_.File().AllocBlock();
    VCashBffr* block = file_.File().NewBlock(foreign_);
    block->SetBlockHeader(3, 0, 0);
    file_.File().MarkDirty(block);
    file_.File().Release(block);
    for (uint32_t b = 0; b <= *file_.AllocatedBlocks().rbegin(); ++b)
      saved_.push_back(file_.Block(b));
  }

  static std::string Key(uint32_t n) {
    return "key" + std::to_string(100000 + n * 7) + std::string(60, 'p');
  }

  void Restore() {
    for (uint32_t b = 0; b < saved_.size(); ++b) file_.PutBlock(b, saved_[b]);
  }

  uint32_t RootChild(size_t entry) {
    const std::vector<uint8_t> root = file_.Block(tree_->Root());
    size_t at = 4;
    for (size_t i = 0; i < entry; ++i) at += 1 + root[at] + 6;
    return VGetU24(&root[at + 1 + root[at] + 3]);
  }
  uint32_t FirstChild(uint32_t inner) {
    const std::vector<uint8_t> node = file_.Block(inner);
    return VGetU24(&node[4 + 1 + node[4] + 3]);
  }
  std::string FirstKey(uint32_t node) {
    const std::vector<uint8_t> image = file_.Block(node);
    return std::string(reinterpret_cast<const char*>(&image[5]), image[4]);
  }
  void Damage(uint32_t block, const std::function<void(std::vector<uint8_t>&)>& change) {
    std::vector<uint8_t> image = file_.Block(block);
    change(image);
    file_.PutBlock(block, image);
  }

  // Every operation that meets the damaged node answers its code and leaves the set empty.
  void ExpectBroken(const std::string& routed) {
    std::vector<uint8_t> value = Value(routed);
    VRMap set;
    // The set only has to exist for the scans below.
    (void)set.Add(99);
    EXPECT_EQ(tree_->EqualScan(value.data(), &set), kVBrokenTree);
    EXPECT_EQ(set.Count(), 0u);
    std::vector<uint8_t> low = Value("key");
    std::vector<uint8_t> high = Value("kez");
    EXPECT_EQ(tree_->RangeScan(low.data(), high.data(), &set), kVBrokenTree);
    EXPECT_EQ(tree_->OpScan(3, value.data(), &set), kVBrokenTree);
    EXPECT_EQ(tree_->InsertKey(value.data(), 77777), kVTreeUnusable);
    EXPECT_EQ(tree_->DeleteKey(value.data(), 1), kVTreeUnusable);
    EXPECT_EQ(tree_->DeleteRecord(1), kVBrokenTree);
    uint32_t r = 0;
    EXPECT_FALSE(tree_->Lookup(value.data(), &r));
    VResult walk = tree_->First();
    while (walk == kVOk) walk = tree_->Next();
    EXPECT_EQ(walk, kVBrokenTree);
    tree_->ReleaseStack();
  }

  TreeFile file_;
  std::unique_ptr<VKeyObject> tree_;
  TreeShape shape_;
  uint32_t foreign_ = 0;
  std::vector<std::vector<uint8_t>> saved_;
};

TEST_F(BrokenTree, DamagedLeavesAreReportedAndNeverReadPastTheirBlock) {
  const uint32_t inner = RootChild(0);
  const uint32_t leaf = FirstChild(inner);
  const std::string routed = FirstKey(leaf);
  const std::vector<std::function<void(std::vector<uint8_t>&)>> damages = {
      [](std::vector<uint8_t>& b) { VPutU16(&b[2], 2045); },                // beyond the payload
      [](std::vector<uint8_t>& b) { VPutU16(&b[2], VGetU16(&b[2]) - 1); },  // cuts an entry
      [](std::vector<uint8_t>& b) { VPutU16(&b[2], VGetU16(&b[2]) + 1); },  // a stray byte
      [](std::vector<uint8_t>& b) { b[4] = 255; },                          // key past in use
      [](std::vector<uint8_t>& b) { VPutU16(&b[5 + b[4]], 0); },            // empty list
      [](std::vector<uint8_t>& b) { VPutU16(&b[5 + b[4]], 600); },          // list too long
      [](std::vector<uint8_t>& b) { VPutU16(&b[5 + b[4]], 0x1000 | 1); },   // unknown flag
      [](std::vector<uint8_t>& b) { b[1] = 4; },                            // other key
      [](std::vector<uint8_t>& b) { b[0] = 3; },                            // other kind
      [](std::vector<uint8_t>& b) { VPutU16(&b[2], 0); },                   // empty leaf
  };
  for (size_t i = 0; i < damages.size(); ++i) {
    SCOPED_TRACE(i);
    Damage(leaf, damages[i]);
    ExpectBroken(routed);
    Restore();
  }
  TreeChecker checker(file_, *tree_);
  TreeShape shape;
  EXPECT_TRUE(checker.Check(tree_->Root(), &shape));
}

TEST_F(BrokenTree, ChildPointersThatLeaveTheTreeAreNotFollowed) {
  const uint32_t inner = RootChild(0);
  const std::string routed = FirstKey(FirstChild(inner));
  const uint32_t childAt = 4 + 1 + file_.Block(inner)[4] + 3;
  const std::vector<uint32_t> targets = {0, 1u << 20, 0xFFFFFF, foreign_, inner, tree_->Root()};
  for (uint32_t target : targets) {
    SCOPED_TRACE(target);
    Damage(inner, [&](std::vector<uint8_t>& b) { VPutU24(&b[childAt], target); });
    ExpectBroken(routed);
    Restore();
  }
  // Dropping a damaged tree frees its own nodes and nothing else; the node it cannot reach stays
  // allocated.
  const uint32_t lost = FirstChild(inner);
  Damage(inner, [&](std::vector<uint8_t>& b) { VPutU24(&b[childAt], foreign_); });
  ASSERT_EQ(tree_->Drop(), kVOk);
  const std::set<uint32_t> left = file_.AllocatedBlocks();
  EXPECT_EQ(left, (std::set<uint32_t>{foreign_, lost}));
}

TEST_F(BrokenTree, ARootThatIsNoRootIsNeitherReadNorFreed) {
  Damage(tree_->Root(), [](std::vector<uint8_t>& b) { b[0] = 6; });
  ExpectBroken(FirstKey(FirstChild(RootChild(0))));
  const uint32_t root = tree_->Root();
  ASSERT_EQ(tree_->Drop(), kVOk);
  EXPECT_TRUE(file_.AllocatedBlocks().count(root));
}

TEST_F(BrokenTree, RandomDamageNeverEscapesABlock) {
  std::mt19937 random(7);
  std::vector<uint32_t> nodes(shape_.blocks.begin(), shape_.blocks.end());
  for (int round = 0; round < 1500; ++round) {
    // A few bytes of one or two nodes, header or payload, take random values.
    for (int n = 0; n < 1 + static_cast<int>(random() % 2); ++n) {
      const uint32_t block = nodes[random() % nodes.size()];
      Damage(block, [&](std::vector<uint8_t>& b) {
        for (int k = 0; k < 1 + static_cast<int>(random() % 3); ++k) {
          const size_t at = random() % 3 == 0 ? random() % 8 : random() % b.size();
          b[at] = static_cast<uint8_t>(random());
        }
      });
    }
    // Whatever each operation answers, it answers.
    std::vector<uint8_t> value = Value(Key(random() % 1300));
    std::vector<uint8_t> other = Value(Key(random() % 1300));
    VRMap set;
    // Any answer will do on a broken tree: what is tested is that nothing escapes its blocks.
    (void)tree_->EqualScan(value.data(), &set);
    (void)tree_->RangeScan(value.data(), other.data(), &set);
    (void)tree_->OpScan(9, value.data(), &set);
    (void)tree_->InsertKey(value.data(), 5000 + round);
    (void)tree_->DeleteKey(other.data(), random() % 4000 + 1);
    (void)tree_->DeleteRecord(random() % 4000 + 1);
    VResult walk = tree_->Last();
    for (int steps = 0; walk == kVOk && steps < 100000; ++steps) walk = tree_->Prev();
    EXPECT_NE(walk, kVOk);
    tree_->ReleaseStack();
    Restore();
  }
}

}  // namespace
