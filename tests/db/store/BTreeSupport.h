// Helpers of the tree tests: an index file of its own with trees on it, values as byte strings,
// the records a scan put in a bitmap, and a check of a whole tree by the integrity check, which
// reads it from the file's bytes (layout, order, separators, chains, depth, allocation) and shares
// no code with the tree itself.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "TempDir.h"
#include "base/VEndian.h"
#include "db/store/VCash.h"
#include "db/store/VCioMap.h"
#include "db/store/VDBCheck.h"
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
  std::string Path() const { return dir_ / "trees.idx"; }

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

// Checks a tree of the file with the integrity check (VDBCheck), as the key of the tree's number
// and attribute word: the file's changes are written first, and the check reads a copy of the file
// (it does not open a file that a writer holds).
class TreeChecker {
 public:
  TreeChecker(TreeFile& file, const VKeyAcc& tree)
      : file_(file), key_(tree.KeyNumber()), attributes_(tree.Attributes()) {}

  ::testing::AssertionResult Check(uint32_t root, TreeShape* shape) {
    *shape = TreeShape();
    if (VResult flushed = file_.File().Flush(); flushed != kVOk) {
      return ::testing::AssertionFailure() << "the tree file cannot be written: " << flushed;
    }
    const std::string copy = file_.Path() + ".checked";
    std::filesystem::copy_file(file_.Path(), copy,
                               std::filesystem::copy_options::overwrite_existing);
    VDBCheck check(nullptr);
    VDBCheck::TreeSummary summary;
    if (check.CheckTree(copy, root, key_, attributes_, &summary) != 0) {
      auto failure = ::testing::AssertionFailure();
      for (const std::string& problem : check.Problems()) failure << problem << "\n";
      return failure;
    }
    shape->height = summary.height;
    shape->nodes = summary.nodes;
    shape->longestChain = summary.longestChain;
    shape->blocks = std::move(summary.blocks);
    for (auto& [key, record] : summary.entries) shape->contents.emplace_back(key.substr(1), record);
    return ::testing::AssertionSuccess();
  }

 private:
  TreeFile& file_;
  uint8_t key_;
  uint16_t attributes_;
};
