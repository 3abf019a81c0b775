// Helpers of the tree tests: an index file of its own with trees on it, values as byte strings,
// the records a scan put in a bitmap, and a check of a whole tree read straight from its blocks
// (layout, order, separators, chains, depth) that shares no code with the tree itself.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "TempDir.h"
#include "base/VEndian.h"
#include "db/schema/VDecimal.h"
#include "db/store/VCash.h"
#include "db/store/VCioMap.h"
#include "db/store/VKeyObject.h"
#include "db/store/VRio.h"

// A value as trees take it: a length byte and the bytes.
inline std::vector<uint8_t> Value(const std::string& text) {
  std::vector<uint8_t> value(1 + text.size());
  value[0] = static_cast<uint8_t>(text.size());
  std::memcpy(value.data() + 1, text.data(), text.size());
  return value;
}

inline std::set<uint32_t> Members(const VRMap& set) {
  std::set<uint32_t> members;
  for (uint32_t r = set.Next(0); r != 0; r = set.Next(r)) members.insert(r);
  return members;
}

// An index file with 2048-byte blocks in a folder of its own.
class TreeFile {
 public:
  explicit TreeFile(int32_t cacheKilobytes = 2000, int32_t blockSize = 2048)
      : cache_(cacheKilobytes),
        file_(std::make_unique<VCioMap>(dir_ / "trees.idx", &cache_, nullptr, kVIndexFileKind)) {
    file_->SetBlockSize(blockSize);
    EXPECT_EQ(file_->Create(false), kVOk);
    EXPECT_EQ(file_->Open(false), kVOk);
  }

  VCioMap& File() { return *file_; }
  VCash& Cache() { return cache_; }

  // A new tree of a key with the attribute word (type in the low byte, flags in the high byte).
  std::unique_ptr<VKeyObject> NewTree(uint8_t keyNumber, uint16_t attributes,
                                      bool reversed = false) {
    auto tree = std::make_unique<VKeyObject>(file_.get(), keyNumber, attributes, 0, reversed);
    EXPECT_EQ(tree->CreateRoot(), kVOk);
    return tree;
  }

  // The blocks the bitmaps mark in use, bitmap blocks left out.
  std::set<uint32_t> AllocatedBlocks() {
    std::set<uint32_t> blocks;
    const uint32_t g = file_->GroupBlocks();
    for (uint32_t group = 0; group < file_->GroupCount(); ++group) {
      VCashBffr* bitmap = file_->GetBlock(group * g);
      for (uint32_t i = 1; i < g; ++i) {
        if (bitmap->Payload()[i / 8] & (0x80 >> (i % 8))) blocks.insert(group * g + i);
      }
      file_->Release(bitmap);
    }
    return blocks;
  }

  // A copy of a block image as the cache holds it.
  std::vector<uint8_t> Block(uint32_t block) {
    VCashBffr* buffer = file_->GetBlock(block);
    std::vector<uint8_t> image(buffer->Data(), buffer->Data() + buffer->Size());
    file_->Release(buffer);
    return image;
  }
  // Overwrites a block image in the cache (to break a node).
  void PutBlock(uint32_t block, const std::vector<uint8_t>& image) {
    VCashBffr* buffer = file_->GetBlock(block);
    std::memcpy(buffer->Data(), image.data(), image.size());
    file_->MarkDirty(buffer);
    file_->Release(buffer);
  }

 private:
  TempDir dir_;
  VCash cache_;
  std::unique_ptr<VCioMap> file_;
};

// What a whole-tree check finds.
struct TreeShape {
  int32_t height = 0;  // levels, the root counted; 1 for an empty tree
  int32_t nodes = 0;
  int32_t longestChain = 0;  // entries of the longest list chain
  std::set<uint32_t> blocks;
  std::vector<std::pair<std::string, uint32_t>> contents;  // (key bytes, record) in tree order
};

// Reads every node of a tree from its blocks and checks, with a parser of its own: kinds, key
// number, in-use counts that the entries fill exactly, list counts, ascending order within and
// across nodes (records ascending within a list and along a chain), chain flags that agree with
// equal neighbouring keys, each separator equal to its child's first key (and separator record),
// every leaf at the same depth, no node reached twice.
class TreeChecker {
 public:
  TreeChecker(VCioMap& file, uint8_t keyNumber, bool unique, bool decimal = false)
      : file_(file), key_(keyNumber), unique_(unique), decimal_(decimal) {}

  ::testing::AssertionResult Check(uint32_t root, TreeShape* shape) {
    shape_ = shape;
    *shape = TreeShape();
    leafDepth_ = -1;
    havePrevious_ = false;
    chain_ = 0;
    error_.clear();
    std::string first;
    uint32_t separator = 0;
    Visit(root, 0, &first, &separator);
    if (error_.empty() && havePrevious_ && (previousWord_ & 0x4000)) {
      Fail("the last entry says its list goes on");
    }
    shape->height = leafDepth_ < 0 ? 1 : leafDepth_ + 1;
    if (!error_.empty()) return ::testing::AssertionFailure() << error_;
    return ::testing::AssertionSuccess();
  }

 private:
  int Compare(const std::string& a, const std::string& b) const {
    if (decimal_) {
      return VCompareDecimalText(reinterpret_cast<const uint8_t*>(a.data()), a.size(),
                                 reinterpret_cast<const uint8_t*>(b.data()), b.size());
    }
    int c = std::memcmp(a.data(), b.data(), std::min(a.size(), b.size()));
    if (c != 0) return c < 0 ? -1 : 1;
    return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
  }
  void Fail(const std::string& what) {
    if (error_.empty()) error_ = what;
  }

  void Visit(uint32_t block, int32_t depth, std::string* firstKey, uint32_t* firstSeparator) {
    if (!error_.empty()) return;
    if (!shape_->blocks.insert(block).second)
      return Fail("block " + std::to_string(block) + " twice");
    if (depth > 4) return Fail("deeper than five levels");
    VCashBffr* buffer = file_.GetBlock(block);
    if (buffer == nullptr) return Fail("block " + std::to_string(block) + " unreadable");
    std::vector<uint8_t> image(buffer->Data(), buffer->Data() + buffer->Size());
    file_.Release(buffer);
    ++shape_->nodes;
    const std::string at = "node " + std::to_string(block) + ": ";
    const uint8_t kind = image[0];
    const int32_t used = VGetU16(&image[2]);
    const int32_t payload = static_cast<int32_t>(image.size()) - 4;
    if (depth == 0 ? kind != 5 : (kind != 6 && kind != 7)) return Fail(at + "kind");
    if (image[1] != key_) return Fail(at + "key number");
    if (used > payload) return Fail(at + "in use beyond the payload");
    if (depth > 0 && used == 0) return Fail(at + "empty");
    const uint8_t* p = image.data() + 4;
    bool firstEntry = true;
    std::string previousKey;
    uint32_t previousRecord = 0;
    for (int32_t off = 0; off < used;) {
      const int32_t length = p[off];
      if (off + 1 + length > used) return Fail(at + "key past in use");
      std::string key(reinterpret_cast<const char*>(p + off + 1), static_cast<size_t>(length));
      off += 1 + length;
      if (kind == 7) {
        VisitLeafEntry(p, used, &off, key, at, firstEntry ? firstKey : nullptr, firstSeparator);
        if (!error_.empty()) return;
        if (leafDepth_ < 0) leafDepth_ = depth;
        if (leafDepth_ != depth) return Fail(at + "leaf at another depth");
      } else {
        const int32_t fixed = unique_ ? 3 : 6;
        if (off + fixed > used) return Fail(at + "inner entry past in use");
        const uint32_t record = unique_ ? 0 : VGetU24(p + off);
        const uint32_t child = VGetU24(p + off + (unique_ ? 0 : 3));
        off += fixed;
        if (!firstEntry) {
          int c = Compare(previousKey, key);
          if (c > 0 || (c == 0 && (unique_ || previousRecord >= record))) {
            return Fail(at + "inner entries out of order");
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
        Visit(child, depth + 1, &childKey, &childSeparator);
        if (!error_.empty()) return;
        if (childKey != key || (!unique_ && childSeparator != record)) {
          return Fail(at + "separator differs from the first key of child " +
                      std::to_string(child));
        }
      }
      firstEntry = false;
    }
  }

  void VisitLeafEntry(const uint8_t* p, int32_t used, int32_t* off, const std::string& key,
                      const std::string& at, std::string* firstKey, uint32_t* firstSeparator) {
    std::vector<uint32_t> records;
    uint16_t word = 0;
    if (unique_) {
      if (*off + 3 > used) return Fail(at + "record past in use");
      records.push_back(VGetU24(p + *off));
      *off += 3;
    } else {
      if (*off + 2 > used) return Fail(at + "list word past in use");
      word = VGetU16(p + *off);
      const int32_t count = word & 0x0FFF;
      if (count < 1 || count > 512 || (word & 0x3000)) return Fail(at + "list word");
      if (*off + 2 + 3 * count > used) return Fail(at + "list past in use");
      for (int32_t i = 0; i < count; ++i) records.push_back(VGetU24(p + *off + 2 + 3 * i));
      *off += 2 + 3 * count;
      for (size_t i = 1; i < records.size(); ++i) {
        if (records[i - 1] >= records[i]) return Fail(at + "list out of order");
      }
    }
    if (firstKey != nullptr) {
      *firstKey = key;
      *firstSeparator = (word & 0x8000) ? records.front() : 0;
    }
    if (havePrevious_) {
      const int c = Compare(previousKey_, key);
      if (c > 0) return Fail(at + "leaf entries out of order at \"" + key + "\"");
      if (c == 0) {
        if (unique_) return Fail(at + "a unique key twice");
        if (!(previousWord_ & 0x4000) || !(word & 0x8000)) return Fail(at + "chain flags");
        if (previousLast_ >= records.front()) return Fail(at + "chain out of order");
        ++chain_;
      } else {
        if ((previousWord_ & 0x4000) || (word & 0x8000)) return Fail(at + "chain flags");
        chain_ = 1;
      }
    } else {
      if (word & 0x8000) return Fail(at + "the first entry continues a list");
      chain_ = 1;
    }
    shape_->longestChain = std::max(shape_->longestChain, chain_);
    for (uint32_t r : records) shape_->contents.emplace_back(key, r);
    havePrevious_ = true;
    previousKey_ = key;
    previousWord_ = word;
    previousLast_ = records.back();
  }

  VCioMap& file_;
  uint8_t key_;
  bool unique_;
  bool decimal_;
  TreeShape* shape_ = nullptr;
  int32_t leafDepth_ = -1;
  bool havePrevious_ = false;
  std::string previousKey_;
  uint16_t previousWord_ = 0;
  uint32_t previousLast_ = 0;
  int32_t chain_ = 0;
  std::string error_;
};
