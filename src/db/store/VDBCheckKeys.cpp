// The key part of VDBCheck: the directory's key slots, the walk that checks every tree node, and
// the comparison of the trees' entries with the key values of the stored records.
#include <algorithm>
#include <set>
#include <span>

#include "base/VEndian.h"
#include "db/schema/VRecordView.h"
#include "db/schema/VSchema.h"
#include "db/store/VDBCheck.h"
#include "db/store/VKeyAcc.h"
#include "db/store/VTree.h"

namespace {

constexpr int32_t kMaxDepth = VTree::kMaxDepth;
constexpr uint16_t kContinues = 0x8000;
constexpr uint16_t kGoesOn = 0x4000;
constexpr int32_t kMaxList = 512;

std::string Num(uint64_t n) { return std::to_string(n); }

// A stored key (length byte and bytes) for a message: control bytes escaped.
std::string Show(const std::string& key) {
  std::string out = "\"";
  for (size_t i = 1; i < key.size(); ++i) {
    const uint8_t c = static_cast<uint8_t>(key[i]);
    if (c < 0x20 || c == 0x7F || c == '"' || c == '\\') {
      static const char* kHex = "0123456789ABCDEF";
      out += "\\x";
      out += kHex[c >> 4];
      out += kHex[c & 15];
    } else {
      out += static_cast<char>(c);
    }
  }
  return out + "\"";
}

std::string Key(const uint8_t* p) {
  return std::string(reinterpret_cast<const char*>(p), static_cast<size_t>(p[0]) + 1);
}

}  // namespace

VDBCheck::KeySlot::KeySlot() = default;
VDBCheck::KeySlot::~KeySlot() = default;
VDBCheck::KeySlot::KeySlot(KeySlot&&) noexcept = default;

void VDBCheck::ReadKeySlots(const std::vector<uint8_t>& d, bool oldLayout) {
  const int32_t slots = std::min(255, (IndexBlockSize() - 36) / 8);
  std::vector<bool> present(256, false);
  for (int32_t k = 1; k < slots; ++k) {
    const size_t at = 36 + 8 * static_cast<size_t>(k);
    const uint32_t root = VGetU24(&d[at]);
    if (root == 0) continue;
    KeySlot slot;
    slot.number = k;
    const uint8_t low = d[at + 3];
    slot.attributes = oldLayout ? static_cast<uint16_t>((low & 0x0F) | ((low & 0xF0) << 8))
                                : static_cast<uint16_t>(low | (d[at + 7] << 8));
    slot.root = root;
    const uint32_t reverse = VGetU24(&d[at + 4]);
    const std::string what = "key " + Num(k);
    if (slot.attributes & kVKeyWordReverse) {
      if (reverse == 0) Problem(what + " is marked reversed but has no reverse tree");
      slot.reverseRoot = reverse;
    } else if (reverse != 0) {
      Problem(what + " has a reverse tree but is not marked reversed");
    }
    slot.schema = schema_->KeyByNumber(k);
    if (slot.schema == nullptr) {
      Note(what + " has a tree but is not in the schema; its entries are not compared");
    } else {
      const uint16_t expected =
          static_cast<uint16_t>(slot.schema->Type() | (slot.schema->Flags() << 8));
      if (expected != slot.attributes) {
        Problem(what + " has the attribute word " + Num(slot.attributes) +
                ", but the schema gives " + Num(expected));
      }
      if (slot.schema->PartCount() == 0) slot.schema = nullptr;  // entries made by hand
    }
    slot.maker =
        std::make_unique<VKeyAcc>(nullptr, static_cast<uint8_t>(k), slot.attributes, 0u, false);
    slot.reverseMaker =
        std::make_unique<VKeyAcc>(nullptr, static_cast<uint8_t>(k), slot.attributes, 0u, true);
    present[static_cast<size_t>(k)] = true;
    keys_.push_back(std::move(slot));
  }
  summary_.keys = static_cast<int32_t>(keys_.size());
  for (int i = 0; i < schema_->KeyCount(); ++i) {
    const int number = schema_->KeyAt(i)->Number();
    if (number <= 0 || number >= slots || !present[static_cast<size_t>(number)]) {
      Note("key " + Num(number) + " of the schema has no tree");
    }
  }
}

void VDBCheck::CollectKeyValues(uint32_t r, const uint8_t* image, int32_t length) {
  if (keyValues_.empty()) keyValues_.resize(kVMaxKeyValues);
  VRecordView view(image, static_cast<size_t>(length));
  uint8_t made[256];
  for (KeySlot& slot : keys_) {
    if (slot.schema == nullptr) continue;
    uint8_t items[kVMaxKeyParts];
    const int parts = slot.schema->PartCount();
    for (int i = 0; i < parts; ++i)
      items[i] = static_cast<uint8_t>(slot.schema->PartAt(i)->Number());
    int32_t count = 0;
    int32_t total = 0;
    if (view.KeyValue(std::span<const uint8_t>(items, static_cast<size_t>(parts)), &count,
                      keyValues_.data(), static_cast<int32_t>(keyValues_.size()), &total) != kVOk) {
      Problem("the key " + Num(slot.number) + " values of record " + Num(r) + " cannot be made");
      continue;
    }
    for (int32_t at = 0; at < total; at += 1 + keyValues_[static_cast<size_t>(at)]) {
      const uint8_t* value = keyValues_.data() + at;
      slot.maker->MakeKey(made, value);
      slot.expected.emplace_back(Key(made), r);
      if (slot.reverseRoot != 0) {
        slot.reverseMaker->MakeKey(made, value);
        slot.reverseExpected.emplace_back(Key(made), r);
      }
    }
  }
}

// Walks one tree from its root, checking every node, and lists its entries in tree order.
class VDBCheck::TreeWalk {
 public:
  TreeWalk(VDBCheck& check, KeySlot& slot, bool reverse)
      : check_(check),
        slot_(slot),
        keys_(reverse ? *slot.reverseMaker : *slot.maker),
        unique_(slot.attributes & kVKeyWordUnique),
        out_(reverse ? slot.reverseEntries : slot.entries),
        name_(std::string(reverse ? "the reverse tree of key " : "key ") + Num(slot.number)) {}

  void Run(uint32_t root) {
    std::string first;
    uint32_t separator = 0;
    Visit(root, 0, &first, &separator);
    if (havePrevious_ && (previousWord_ & kGoesOn)) {
      check_.Problem(name_ + ": the last entry says its list goes on");
    }
  }

  // The shape of the tree walked (its entries stay in the key slot).
  void Describe(TreeSummary* summary) const {
    summary->height = leafDepth_ < 0 ? 1 : leafDepth_ + 1;
    summary->nodes = static_cast<int32_t>(visited_.size());
    summary->longestChain = longestChain_;
    summary->blocks = visited_;
  }

 private:
  // False when the node could not be walked (its parent's separator is then not compared).
  bool Visit(uint32_t block, int32_t depth, std::string* firstKey, uint32_t* firstSeparator) {
    const std::string at = name_ + ", node " + Num(block) + ": ";
    if (depth >= kMaxDepth) return Fail(at + "the tree is deeper than five levels");
    std::vector<uint8_t> image;
    if (!check_.ReadIndexBlock(block, &image)) {
      return Fail(at + "the node lies beyond the end of the index file");
    }
    if (!visited_.insert(block).second) return Fail(at + "the node is reached twice");
    check_.Claim(block, kTree, name_ + " (node " + Num(block) + ")");
    const uint8_t kind = image[0];
    const int32_t used = VGetU16(&image[2]);
    const int32_t payload = static_cast<int32_t>(image.size()) - 4;
    if (depth == 0 ? kind != VTree::kRootKind
                   : (kind != VTree::kInnerKind && kind != VTree::kLeafKind)) {
      return Fail(at + "kind " + Num(kind) + " is not a tree node of this level");
    }
    if (image[1] != slot_.number) return Fail(at + "it belongs to key " + Num(image[1]));
    if (used > payload) return Fail(at + Num(used) + " bytes in use, more than the payload");
    if (depth > 0 && used == 0) return Fail(at + "an empty node below the root");
    const uint8_t* p = image.data() + 4;
    bool firstEntry = true;
    std::string previousKey;
    uint32_t previousRecord = 0;
    for (int32_t off = 0; off < used;) {
      const int32_t length = p[off];
      if (off + 1 + length > used) return Fail(at + "a key runs past the bytes in use");
      std::string key = Key(p + off);
      off += 1 + length;
      if (kind == VTree::kLeafKind) {
        if (!Leaf(p, used, &off, key, at, firstEntry ? firstKey : nullptr, firstSeparator)) {
          return false;
        }
        if (leafDepth_ < 0) leafDepth_ = depth;
        if (leafDepth_ != depth) Fail(at + "a leaf at another depth than the others");
        firstEntry = false;
        continue;
      }
      const int32_t fixed = unique_ ? 3 : 6;
      if (off + fixed > used) return Fail(at + "an inner entry runs past the bytes in use");
      const uint32_t record = unique_ ? 0 : VGetU24(p + off);
      const uint32_t child = VGetU24(p + off + (unique_ ? 0 : 3));
      off += fixed;
      if (!firstEntry) {
        const int c = Compare(previousKey, key);
        if (c > 0 || (c == 0 && (unique_ || previousRecord >= record))) {
          Fail(at + "inner entries out of order at " + Show(key));
        }
      }
      previousKey = key;
      previousRecord = record;
      if (firstEntry) {
        *firstKey = key;
        *firstSeparator = record;
      }
      std::string childKey;
      uint32_t childSeparator = 0;
      if (Visit(child, depth + 1, &childKey, &childSeparator) &&
          (childKey != key || (!unique_ && childSeparator != record))) {
        Fail(at + "the separator " + Show(key) + " differs from the first key " + Show(childKey) +
             " of node " + Num(child));
      }
      firstEntry = false;
    }
    return true;
  }

  bool Leaf(const uint8_t* p, int32_t used, int32_t* off, const std::string& key,
            const std::string& at, std::string* firstKey, uint32_t* firstSeparator) {
    records_.clear();
    uint16_t word = 0;
    if (unique_) {
      if (*off + 3 > used) return Fail(at + "a record number runs past the bytes in use");
      records_.push_back(VGetU24(p + *off));
      *off += 3;
    } else {
      if (*off + 2 > used) return Fail(at + "a list word runs past the bytes in use");
      word = VGetU16(p + *off);
      const int32_t count = word & 0x0FFF;
      if (count < 1 || count > kMaxList || (word & 0x3000)) {
        return Fail(at + "the list word " + Num(word) + " of " + Show(key) + " is not valid");
      }
      if (*off + 2 + 3 * count > used) return Fail(at + "a list runs past the bytes in use");
      for (int32_t i = 0; i < count; ++i) records_.push_back(VGetU24(p + *off + 2 + 3 * i));
      *off += 2 + 3 * count;
      for (size_t i = 1; i < records_.size(); ++i) {
        if (records_[i - 1] >= records_[i]) {
          Fail(at + "the list of " + Show(key) + " is out of order");
          break;
        }
      }
    }
    if (firstKey != nullptr) {
      *firstKey = key;
      *firstSeparator = (word & kContinues) ? records_.front() : 0;
    }
    if (havePrevious_) {
      const int c = Compare(previousKey_, key);
      if (c > 0) {
        Fail(at + Show(key) + " follows " + Show(previousKey_) + " out of order");
      } else if (c == 0) {
        ++chain_;
        if (unique_)
          Fail(at + Show(key) + " is in the unique key twice");
        else if (!(previousWord_ & kGoesOn) || !(word & kContinues))
          Fail(at + "the chain flags of " + Show(key) + " do not join equal keys");
        else if (previousLast_ >= records_.front())
          Fail(at + "the chain of " + Show(key) + " is out of order");
      } else {
        chain_ = 1;
        if ((previousWord_ & kGoesOn) || (word & kContinues)) {
          Fail(at + "the chain flags of " + Show(key) + " join different keys");
        }
      }
    } else {
      chain_ = 1;
      if (word & kContinues) Fail(at + "the first entry of the tree continues a list");
    }
    longestChain_ = std::max(longestChain_, chain_);
    for (uint32_t r : records_) out_.emplace_back(key, r);
    havePrevious_ = true;
    previousKey_ = key;
    previousWord_ = word;
    previousLast_ = records_.back();
    return true;
  }

  int Compare(const std::string& a, const std::string& b) const {
    return keys_.CompareKeys(reinterpret_cast<const uint8_t*>(a.data()),
                             reinterpret_cast<const uint8_t*>(b.data()));
  }
  bool Fail(std::string text) {
    check_.Problem(std::move(text));
    return false;
  }

  VDBCheck& check_;
  KeySlot& slot_;
  const VKeyAcc& keys_;
  bool unique_;
  std::vector<std::pair<std::string, uint32_t>>& out_;
  std::string name_;
  int32_t leafDepth_ = -1;
  bool havePrevious_ = false;
  std::string previousKey_;
  uint16_t previousWord_ = 0;
  uint32_t previousLast_ = 0;
  std::vector<uint32_t> records_;
  std::set<uint32_t> visited_;
  int32_t chain_ = 0;  // leaf entries of the current key so far
  int32_t longestChain_ = 0;
};

void VDBCheck::CheckTree(KeySlot& slot, bool reverse) {
  TreeWalk(*this, slot, reverse).Run(reverse ? slot.reverseRoot : slot.root);
}

void VDBCheck::WalkTree(uint32_t root, int32_t keyNumber, uint16_t attributes,
                        TreeSummary* summary) {
  KeySlot slot;
  slot.number = keyNumber;
  slot.attributes = attributes;
  slot.root = root;
  slot.maker =
      std::make_unique<VKeyAcc>(nullptr, static_cast<uint8_t>(keyNumber), attributes, 0u, false);
  TreeWalk walk(*this, slot, false);
  walk.Run(root);
  walk.Describe(summary);
  summary->entries = std::move(slot.entries);
}

void VDBCheck::CompareKeyEntries(KeySlot& slot, bool reverse) {
  auto& expected = reverse ? slot.reverseExpected : slot.expected;
  auto& entries = reverse ? slot.reverseEntries : slot.entries;
  const std::string name =
      std::string(reverse ? "the reverse tree of key " : "key ") + Num(slot.number);
  std::sort(expected.begin(), expected.end());
  // A value given twice by one record is one entry.
  expected.erase(std::unique(expected.begin(), expected.end()), expected.end());
  std::sort(entries.begin(), entries.end());
  for (size_t i = 1; i < entries.size(); ++i) {
    if (entries[i] == entries[i - 1]) {
      Problem(name + " holds " + Show(entries[i].first) + " for record " + Num(entries[i].second) +
              " twice");
    }
  }
  if (!reverse && (slot.attributes & kVKeyWordUnique)) {
    for (size_t i = 1; i < expected.size(); ++i) {
      if (expected[i].first == expected[i - 1].first) {
        Problem("records " + Num(expected[i - 1].second) + " and " + Num(expected[i].second) +
                " share the value " + Show(expected[i].first) + " of the unique " + name);
      }
    }
  }
  size_t e = 0;
  size_t t = 0;
  while (e < expected.size() || t < entries.size()) {
    if (t == entries.size() || (e < expected.size() && expected[e] < entries[t])) {
      Problem("record " + Num(expected[e].second) + " has the value " + Show(expected[e].first) +
              ", which " + name + " lacks");
      ++e;
    } else if (e == expected.size() || entries[t] < expected[e]) {
      Problem(name + " holds " + Show(entries[t].first) + " for record " + Num(entries[t].second) +
              ", which the record does not give");
      ++t;
    } else {
      ++e;
      ++t;
    }
  }
}
