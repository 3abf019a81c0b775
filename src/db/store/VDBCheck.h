// VDBCheck: the integrity check of one database file's record files, read-only and from the bytes
// on disk alone (no block cache, no engine object): it never trusts a number it reads, so damaged
// files are reported, never followed out of bounds.
//
// What it checks, for the index file ("%s.idx") and the data file ("%s.dat"):
//   - the file headers, and that the files hold whole blocks;
//   - the allocation bitmaps of the index file against the blocks in use (directory, record-map
//     nodes, key trees): every block in use is allocated, used once, and every allocated block is
//     in use;
//   - the free-space maps of the data file against the record blocks: kinds, free-space figures,
//     record entries that fill the block exactly in ascending number order, sound record images;
//   - the record map: every entry points at a block that holds its record, every stored record is
//     in the map, the directory's record count and last record number agree with both;
//   - every key tree: node kinds, key numbers, entries in order, separators equal to their
//     children's first keys, list chains, one depth for all leaves; and that the entries are
//     exactly the key values the records give (and, for a reverse tree, their reversed values).
// A complete backup file of an interrupted flush is taken into account as the next open would
// replay it; an incomplete one is ignored as the open discards it.
//
// Problems are texts in English (key values and names as the Shift-JIS bytes stored); each file
// reports at most a limit of them, then how many more it found.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "base/VBase.h"

class VConfig;
class VFile;
class VKeyAcc;
class VSch_DBFile;
class VSch_DBKey;

class VDBCheck {
 public:
  // What the check found besides problems.
  struct Summary {
    uint32_t records = 0;     // records stored in the data file
    uint32_t lastRecord = 0;  // last record number handed out (directory)
    int32_t keys = 0;         // key trees (reverse trees not counted)
    uint32_t indexBlocks = 0;
    uint32_t dataBlocks = 0;
  };

  // What a check of one tree finds besides problems.
  struct TreeSummary {
    int32_t height = 0;  // levels, the root counted: 1 for a tree that is its root alone
    int32_t nodes = 0;
    int32_t longestChain = 0;   // list parts of the one key spread over most leaf entries
    std::set<uint32_t> blocks;  // the tree's nodes
    // (stored key with its length byte, record) in tree order.
    std::vector<std::pair<std::string, uint32_t>> entries;
  };

  // config: the engine's configuration, which says where the files of each file number live (only
  // CheckFile needs it).
  explicit VDBCheck(VConfig* config, int32_t problemLimit = 100);
  ~VDBCheck();
  VDBCheck(const VDBCheck&) = delete;
  VDBCheck& operator=(const VDBCheck&) = delete;

  // Checks one file; answers the number of problems found in it (all of them, not only those
  // kept). Problems and notes of earlier calls are replaced.
  int32_t CheckFile(const VSch_DBFile& schema);

  // Checks one tree of the index file at path by itself: the file's header and allocation bitmaps,
  // then the tree from its root, as CheckFile checks the tree of a key with that number and
  // attribute word (its entries are not compared with any records). Answers the number of problems
  // found; the tree's shape goes to summary.
  int32_t CheckTree(const std::string& path, uint32_t root, int32_t keyNumber, uint16_t attributes,
                    TreeSummary* summary);

  const std::vector<std::string>& Problems() const { return problems_; }
  // Facts worth telling that are not problems (a pending backup, keys of the schema without a
  // tree).
  const std::vector<std::string>& Notes() const { return notes_; }
  const Summary& LastSummary() const { return summary_; }

  // One block file read for the check, with the images of a pending backup laid over it.
  class Source;

 private:
  // Block owners in the index file.
  enum Owner : uint8_t { kFree = 0, kBitmap, kDirectory, kMap, kTree };
  struct KeySlot {
    int32_t number = 0;
    uint16_t attributes = 0;
    uint32_t root = 0;
    uint32_t reverseRoot = 0;
    // (stored key with its length byte, record), in tree order, and the expected ones.
    std::vector<std::pair<std::string, uint32_t>> entries;
    std::vector<std::pair<std::string, uint32_t>> reverseEntries;
    std::vector<std::pair<std::string, uint32_t>> expected;
    std::vector<std::pair<std::string, uint32_t>> reverseExpected;
    const VSch_DBKey* schema = nullptr;
    // Make stored keys and compare them as the engine does.
    std::unique_ptr<VKeyAcc> maker;
    std::unique_ptr<VKeyAcc> reverseMaker;

    KeySlot();
    ~KeySlot();
    KeySlot(KeySlot&&) noexcept;
  };

  // Forgets what an earlier check found.
  void Reset();
  // Adds the count of problems not kept, and closes the files.
  void Finish();
  void Problem(std::string text);
  void Note(std::string text) { notes_.push_back(std::move(text)); }
  bool OpenSources(const VSch_DBFile& schema);
  void ReadBackup(const VSch_DBFile& schema);
  bool CheckHeader(Source& file, const char* what);

  // Index file (VDBCheck.cpp).
  int32_t IndexBlockSize() const;
  bool ReadIndexBlock(uint32_t block, std::vector<uint8_t>* image);
  void CheckBitmaps();
  bool ReadDirectory();
  void WalkMap(uint32_t block, int32_t level, uint64_t base, int32_t depth);
  void Claim(uint32_t block, Owner owner, const std::string& what);
  void CheckUnclaimed();
  // Data file.
  void CheckDataFile();
  void CheckRecordBlock(uint32_t block, uint16_t mapEntry, const std::vector<uint8_t>& image);
  void CheckRecord(uint32_t r, uint32_t block, const uint8_t* image, int32_t length);
  void CompareMapWithData();

  // Keys (VDBCheckKeys.cpp).
  void ReadKeySlots(const std::vector<uint8_t>& directory, bool oldLayout);
  void CollectKeyValues(uint32_t r, const uint8_t* image, int32_t length);
  void CheckTree(KeySlot& slot, bool reverse);
  // Walks one tree as the key with that number and attribute word, its shape to summary.
  void WalkTree(uint32_t root, int32_t keyNumber, uint16_t attributes, TreeSummary* summary);
  void CompareKeyEntries(KeySlot& slot, bool reverse);

  class TreeWalk;
  friend class TreeWalk;

  VConfig* config_;
  const VSch_DBFile* schema_ = nullptr;
  std::vector<uint8_t> keyValues_;
  int32_t limit_;
  int32_t found_ = 0;
  std::string prefix_;
  std::vector<std::string> problems_;
  std::vector<std::string> notes_;
  Summary summary_;

  std::unique_ptr<Source> index_;
  std::unique_ptr<Source> data_;
  std::vector<uint8_t> allocated_;  // index blocks: 1 allocated in the bitmaps
  std::vector<uint8_t> owners_;     // index blocks: Owner
  uint32_t mapRoot_ = 0;
  uint32_t lastRecord_ = 0;
  uint32_t recordCount_ = 0;
  uint32_t mappedCount_ = 0;
  std::vector<uint32_t> mapBlock_;   // record -> block by the record map
  std::vector<uint32_t> dataBlock_;  // record -> block where the data file holds it
  std::vector<KeySlot> keys_;
};
