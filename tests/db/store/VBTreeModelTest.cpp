// A long random run of inserts and deletes on a unique and a non-unique tree, checked against an
// in-memory model: after every few hundred operations each tree is read straight from its blocks
// (layout, order, separators, chains, depth), walked forwards and backwards, and scanned in every
// way, and the file must hold no node that neither tree reaches.
//
// Long keys keep nodes to a few entries, so the unique tree reaches five levels; a few hot values
// of the non-unique tree collect more than 512 records each, so their lists chain over several
// entries, some with 250-byte keys that leave a list part alone in its leaf.
//
// The count of operations is OV_BTREE_OPERATIONS, else 120,000.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <random>

#include "BTreeSupport.h"
#include "base/VSjis.h"
#include "db/schema/VValue.h"
#include "db/store/VDBCodes.h"

namespace {

uint32_t OperationCount() {
  if (const char* count = std::getenv("OV_BTREE_OPERATIONS")) {
    return static_cast<uint32_t>(std::strtoul(count, nullptr, 10));
  }
  return 120000;
}

using Pairs = std::multimap<std::string, uint32_t>;

// One tree and its model: the pairs in a multimap, and the same pairs in a vector for picking one
// at random.
struct Modelled {
  std::unique_ptr<VKeyObject> tree;
  Pairs model;
  std::vector<std::pair<std::string, uint32_t>> live;
  std::map<std::pair<std::string, uint32_t>, size_t> where;
  int32_t highest = 0;
  int32_t longestChain = 0;

  // Equal keys are kept in ascending record order, the tree's order.
  void Add(const std::string& key, uint32_t r) {
    auto at = model.lower_bound(key);
    while (at != model.end() && at->first == key && at->second < r) ++at;
    model.emplace_hint(at, key, r);
    where[{key, r}] = live.size();
    live.emplace_back(key, r);
  }
  void Remove(const std::string& key, uint32_t r) {
    auto range = model.equal_range(key);
    for (auto it = range.first; it != range.second; ++it) {
      if (it->second == r) {
        model.erase(it);
        break;
      }
    }
    const size_t at = where[{key, r}];
    where.erase({key, r});
    if (at + 1 != live.size()) {
      live[at] = live.back();
      where[live[at]] = at;
    }
    live.pop_back();
  }
  bool Has(const std::string& key, uint32_t r) const { return where.count({key, r}) != 0; }
  std::set<uint32_t> Records(const std::string& low, const std::string& high) const {
    std::set<uint32_t> records;
    for (auto it = model.lower_bound(low); it != model.end() && it->first <= high; ++it) {
      records.insert(it->second);
    }
    return records;
  }
};

class ModelRun {
 public:
  explicit ModelRun(uint32_t seed) : random_(seed) {
    unique_.tree = file_.NewTree(1, kVKeyWordUnique | kVTypeString);
    plain_.tree = file_.NewTree(2, kVTypeString);
    hot_ = {"h", std::string(120, 'm') + "hot", std::string(250, 'z'),
            std::string(250, 'b') + "hot"};
    for (int i = 0; i < 2500; ++i) warm_.push_back(RandomKey(false));
  }

  void Run(uint32_t operations) {
    for (uint32_t step = 1; step <= operations; ++step) {
      if (random_() % 5 < 2) {
        StepUnique();
      } else {
        StepPlain();
      }
      if (::testing::Test::HasFatalFailure()) return;
      if (step % 400 == 0) Check(step % 4000 == 0);
      if (::testing::Test::HasFatalFailure()) return;
    }
    Check(true);
  }

  const Modelled& Unique() const { return unique_; }
  const Modelled& Plain() const { return plain_; }

 private:
  uint32_t Below(uint32_t n) { return static_cast<uint32_t>(random_() % n); }

  // Letters from a small alphabet, so keys share beginnings, with now and then a double-byte
  // character; long keys for the unique tree.
  std::string RandomKey(bool longKeys) {
    const uint32_t kind = Below(100);
    size_t length;
    if (!longKeys) {
      length = kind < 20 ? 1 + Below(8) : 20 + Below(200);
    } else if (kind < 15) {
      length = 1 + Below(6);
    } else if (kind < 40) {
      length = 60 + Below(90);
    } else {
      length = 200 + Below(56);
    }
    std::string key;
    while (key.size() < length) {
      if (Below(12) == 0 && key.size() + 2 <= length) {
        key += static_cast<char>(0x82);
        key += static_cast<char>(0xA0 + Below(4));
      } else {
        key += static_cast<char>('a' + Below(4));
      }
    }
    return key;
  }

  void StepUnique() {
    Modelled& m = unique_;
    const bool grow = m.live.size() < 3500 ? Below(100) < 62 : Below(100) < 40;
    if (grow || m.live.empty()) {
      const std::string key =
          Below(20) == 0 && !m.live.empty() ? m.live[Below(m.live.size())].first : RandomKey(true);
      const uint32_t r = ++lastRecord_;
      const bool taken = m.model.count(key) != 0;
      // Mostly as a record file does it: a unique check first, whose path the insert may reuse;
      // sometimes another key's check or insert comes between them.
      if (Below(4) != 0) {
        std::vector<uint8_t> value = Value(key);
        uint32_t owner = 0;
        ASSERT_EQ(m.tree->Lookup(value.data(), &owner), taken);
        if (taken) {
          ASSERT_EQ(owner, m.model.find(key)->second);
        }
        if (Below(8) == 0) {
          const std::string other = RandomKey(true);
          if (Below(2) == 0) {
            std::vector<uint8_t> otherValue = Value(other);
            m.tree->Lookup(otherValue.data(), &owner);
          } else if (m.model.count(other) == 0 && other != key) {
            const uint32_t otherRecord = ++lastRecord_;
            ASSERT_EQ(Insert(m, other, otherRecord), kVOk);
            m.Add(other, otherRecord);
          }
        }
      }
      ASSERT_EQ(Insert(m, key, r), taken ? kVUniqueTaken : kVOk) << key.size();
      if (!taken) m.Add(key, r);
      return;
    }
    const auto [key, r] = m.live[Below(m.live.size())];
    if (Below(25) == 0) {
      ASSERT_EQ(Delete(m, key, r + 1), kVNotInList);
      if (key.size() < 255) {
        ASSERT_EQ(Delete(m, key + "q", r), m.model.count(key + "q") ? kVNotInList : kVKeyAbsent);
      }
      return;
    }
    ASSERT_EQ(Delete(m, key, r), kVOk);
    m.Remove(key, r);
  }

  void StepPlain() {
    Modelled& m = plain_;
    const bool hot = Below(100) < 45;
    const std::string& key = hot ? hot_[Below(hot_.size())] : warm_[Below(warm_.size())];
    const size_t count = m.model.count(key);
    // A hot value's list grows past a thousand records and shrinks to a few in turn, so chain
    // parts are made and emptied again.
    bool grow;
    if (hot) {
      const size_t h = static_cast<size_t>(&key - hot_.data());
      if (count >= 1500) shrinking_[h] = true;
      if (count == 0) shrinking_[h] = false;
      grow = Below(100) < (shrinking_[h] ? 30 : 70);
    } else {
      grow = Below(100) < (m.live.size() < 9000 ? 60 : 45);
    }
    if (grow || count == 0) {
      // Mostly new numbers of a file of some hundred thousand records, a few up to the largest
      // number, now and then one already in the list.
      uint32_t r = 1 + Below(Below(20) == 0 ? VBTree::kMaxRecord : 300000);
      if (count > 0 && Below(20) == 0) {
        auto it = std::next(m.model.lower_bound(key), static_cast<long>(Below(count)));
        r = it->second;
      }
      ASSERT_EQ(Insert(m, key, r), kVOk);
      if (!m.Has(key, r)) m.Add(key, r);
      return;
    }
    // A shrinking list loses its lowest records first half the time: its first parts empty.
    const bool lowest = hot && Below(2) == 0;
    auto it = std::next(m.model.lower_bound(key), lowest ? 0 : static_cast<long>(Below(count)));
    const uint32_t r = it->second;
    if (Below(30) == 0 && !m.Has(key, r + 1)) {
      ASSERT_EQ(Delete(m, key, r + 1), kVNotInList);
      return;
    }
    ASSERT_EQ(Delete(m, key, r), kVOk) << key.size() << " " << r;
    m.Remove(key, r);
  }

  VResult Insert(Modelled& m, const std::string& key, uint32_t r) {
    std::vector<uint8_t> value = Value(key);
    return m.tree->InsertKey(value.data(), r);
  }
  VResult Delete(Modelled& m, const std::string& key, uint32_t r) {
    std::vector<uint8_t> value = Value(key);
    return m.tree->DeleteKey(value.data(), r);
  }

  // Every check compares the tree's walks and scans with the model; a deep one (every 4000 steps)
  // also has the integrity check read both trees from the file and find them sound, holding
  // exactly the model's pairs, with no node that no tree reaches.
  void Check(bool deep) {
    std::set<uint32_t> reached;
    for (Modelled* m : {&unique_, &plain_}) {
      if (deep) {
        TreeShape shape;
        TreeChecker checker(file_, *m->tree);
        ASSERT_TRUE(checker.Check(m->tree->Root(), &shape));
        ASSERT_TRUE(std::equal(shape.contents.begin(), shape.contents.end(), m->model.begin(),
                               m->model.end(),
                               [](const auto& a, const auto& b) {
                                 return a.first == b.first && a.second == b.second;
                               }))
            << "the tree holds " << shape.contents.size() << " pairs, the model "
            << m->model.size();
        m->highest = std::max(m->highest, shape.height);
        m->longestChain = std::max(m->longestChain, shape.longestChain);
        reached.insert(shape.blocks.begin(), shape.blocks.end());
      }
      CheckWalk(*m);
      CheckScans(*m, deep);
      if (::testing::Test::HasFatalFailure()) return;
    }
    if (deep) {
      ASSERT_EQ(file_.AllocatedBlocks(), reached) << "nodes that no tree reaches";
    }
  }

  // The tree's own walk meets the model's pairs in order, both ways (backwards entry by entry,
  // each entry's records ascending).
  void CheckWalk(Modelled& m) {
    const std::vector<std::pair<std::string, uint32_t>> pairs(m.model.begin(), m.model.end());
    size_t at = 0;
    VResult result = m.tree->First();
    for (; result == kVOk; result = m.tree->Next()) {
      const VBTree::Entry entry = m.tree->Current();
      for (int32_t i = 0; i < entry.count; ++i, ++at) {
        ASSERT_LT(at, pairs.size());
        ASSERT_TRUE(Same(entry, i, pairs[at])) << "forward at " << at;
      }
    }
    ASSERT_EQ(result, kVEnd);
    ASSERT_EQ(at, pairs.size());
    for (result = m.tree->Last(); result == kVOk; result = m.tree->Prev()) {
      const VBTree::Entry entry = m.tree->Current();
      ASSERT_GE(at, static_cast<size_t>(entry.count));
      at -= static_cast<size_t>(entry.count);
      for (int32_t i = 0; i < entry.count; ++i) {
        ASSERT_TRUE(Same(entry, i, pairs[at + static_cast<size_t>(i)])) << "backward at " << at;
      }
    }
    ASSERT_EQ(result, kVEnd);
    ASSERT_EQ(at, 0u);
    m.tree->ReleaseStack();
  }

  static bool Same(const VBTree::Entry& entry, int32_t i,
                   const std::pair<std::string, uint32_t>& pair) {
    return pair.first.size() == entry.key[0] &&
           std::memcmp(pair.first.data(), entry.key + 1, entry.key[0]) == 0 &&
           pair.second == VGetU24(entry.records + 3 * i);
  }

  std::string SomeKey(const Modelled& m) {
    if (m.live.empty() || Below(4) == 0) return RandomKey(m.tree->IsUnique());
    return m.live[Below(m.live.size())].first;
  }

  void CheckScans(Modelled& m, bool everyScan) {
    VRMap set;
    for (int n = 0; n < 4; ++n) {
      std::string key = n == 0 && !m.tree->IsUnique() ? hot_[Below(hot_.size())] : SomeKey(m);
      std::vector<uint8_t> value = Value(key);
      ASSERT_EQ(m.tree->EqualScan(value.data(), &set), kVOk);
      ASSERT_EQ(Members(set), m.Records(key, key)) << "equal " << key.size();
      ASSERT_EQ(set.Count(), m.Records(key, key).size());
    }
    for (int n = 0; n < 2; ++n) {
      std::string low = SomeKey(m);
      std::string high = SomeKey(m);
      if (low > high && Below(3) != 0) std::swap(low, high);
      std::vector<uint8_t> a = Value(low);
      std::vector<uint8_t> b = Value(high);
      ASSERT_EQ(m.tree->RangeScan(a.data(), b.data(), &set), kVOk);
      ASSERT_EQ(Members(set), low <= high ? m.Records(low, high) : std::set<uint32_t>());
    }
    {
      std::vector<std::vector<uint8_t>> values;
      std::set<uint32_t> expected;
      for (int n = 0; n < 5; ++n) {
        std::string key = SomeKey(m);
        values.push_back(Value(key));
        std::set<uint32_t> records = m.Records(key, key);
        expected.insert(records.begin(), records.end());
      }
      std::vector<const uint8_t*> pointers;
      for (const auto& v : values) pointers.push_back(v.data());
      ASSERT_EQ(m.tree->ListScan(pointers, &set), kVOk);
      ASSERT_EQ(Members(set), expected);
    }
    if (!everyScan) return;
    for (int32_t op : {1, 2, 3, 9, 10, 11}) {
      // Short patterns for the entry-against-value kinds, a stored key grown or cut for the
      // swapped ones.
      std::string pattern;
      if (op < 8) {
        pattern = RandomKey(false).substr(0, 1 + Below(4));
      } else {
        pattern = SomeKey(m);
        pattern =
            Below(2) ? (pattern + "ab").substr(0, 255) : pattern.substr(0, pattern.size() / 2 + 1);
      }
      std::vector<uint8_t> value = Value(pattern);
      ASSERT_EQ(m.tree->OpScan(op, value.data(), &set), kVOk);
      std::set<uint32_t> expected;
      for (const auto& [key, r] : m.model) {
        const std::string& text = op < 8 ? key : pattern;
        const std::string& part = op < 8 ? pattern : key;
        if (VMatchRun(op & 7, reinterpret_cast<const uint8_t*>(text.data()), text.size(),
                      reinterpret_cast<const uint8_t*>(part.data()), part.size(), true, false,
                      nullptr)) {
          expected.insert(r);
        }
      }
      ASSERT_EQ(Members(set), expected) << "op " << op << " pattern " << pattern.size();
    }
  }

  TreeFile file_{20000};
  std::mt19937 random_;
  Modelled unique_;
  Modelled plain_;
  std::vector<std::string> hot_;
  std::vector<std::string> warm_;
  bool shrinking_[4] = {false, false, false, false};
  uint32_t lastRecord_ = 0;
};

TEST(VBTreeModel, RandomInsertsAndDeletesAgreeWithTheModel) {
  const uint32_t operations = OperationCount();
  ASSERT_GE(operations, 1u);
  ModelRun run(20240607);
  run.Run(operations);
  if (HasFatalFailure()) return;
  // Root splits at every level: the unique tree reached five levels, the other chained its lists.
  if (operations >= 100000) {
    EXPECT_EQ(run.Unique().highest, 5);
    EXPECT_GE(run.Plain().highest, 4);
    EXPECT_GE(run.Plain().longestChain, 3);
  }
  std::printf("unique: %zu pairs, %d levels; other: %zu pairs, %d levels, chains up to %d\n",
              run.Unique().model.size(), run.Unique().highest, run.Plain().model.size(),
              run.Plain().highest, run.Plain().longestChain);
}

}  // namespace
