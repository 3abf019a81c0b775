// Shared helpers of the record-file tests: a database folder with its configuration and schema,
// record images of chosen sizes, the contents of a key's tree, and a check that a record file's
// maps agree with its blocks and with what a test expects it to hold, and users that hold records.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "TempDir.h"
#include "base/VEndian.h"
#include "db/schema/VConfig.h"
#include "db/schema/VRecord.h"
#include "db/schema/VSchema.h"
#include "db/store/VBTree.h"
#include "db/store/VCash.h"
#include "db/store/VCioFsp.h"
#include "db/store/VCioMap.h"
#include "db/store/VDBFile.h"
#include "db/store/VHolder.h"
#include "db/store/VKeyList.h"
#include "db/store/VRBCvt.h"
#include "db/store/VRecAcc.h"

// A database folder: the configuration points the index and data files at it; with a work path
// the backups go to "work" under it (made by the first flush), else beside the index file.
class RecordFileEnv {
 public:
  explicit RecordFileEnv(bool withWorkPath = false, int32_t cacheKilobytes = 200,
                         const std::string& label = "people")
      : config_(std::make_unique<VConfig>(dir_ / "Varnex.conf")), cache_(cacheKilobytes) {
    config_->MainSection()->SetDatabasePaths(dir_.Path(), std::nullopt, false);
    config_->MainSection()->SetWorkPath(
        withWorkPath ? std::optional<std::string>(dir_ / "work") : std::nullopt, false);
    schema_.SetNumber(7);
    schema_.SetLabel(label);
    schema_.AddItem(1)->SetType(kVTypeString);
    schema_.AddItem(2)->SetType(kVTypePacket);
  }

  VConfig& Config() { return *config_; }
  VCash& Cache() { return cache_; }
  VSch_DBFile& Schema() { return schema_; }
  const TempDir& Dir() const { return dir_; }
  std::string IndexPath() const { return dir_ / (schema_.StorageName() + ".idx"); }
  std::string DataPath() const { return dir_ / (schema_.StorageName() + ".dat"); }
  std::string BackupPath(bool inWork = false) const {
    return (inWork ? dir_ / "work" : dir_.Path()) + "/" + schema_.StorageName() + ".bup";
  }
  // A key over item 1 (String), with the flags of the attribute word's high byte.
  void AddNameKey(int16_t number, uint16_t flags) {
    VSch_DBKey* key = schema_.AddKey(number);
    key->SetType(kVTypeString);
    key->SetFlags(flags);
    key->AddPart(schema_.ItemByNumber(1));
  }
  std::unique_ptr<VDBFile> NewFile() {
    return std::make_unique<VDBFile>(&schema_, config_.get(), &cache_);
  }
  // Creates the files and opens them.
  std::unique_ptr<VDBFile> CreateAndOpen() {
    auto file = NewFile();
    EXPECT_EQ(file->CreateDBFile(), kVOk);
    EXPECT_EQ(file->Open(), kVOk);
    return file;
  }

 private:
  TempDir dir_;
  std::unique_ptr<VConfig> config_;
  VCash cache_;
  VSch_DBFile schema_;
};

// Users holding records: every holder of one group sees the holds of the others, and a user's holds
// last until it releases them (the end of its transaction).
class TestHolder : public VHolder {
 public:
  using Holds = std::map<std::pair<int32_t, uint32_t>, const TestHolder*>;
  explicit TestHolder(Holds* holds) : holds_(holds) {}
  ~TestHolder() override { ReleaseHolds(); }

  bool TakeHold(int32_t fileNumber, uint32_t record) override {
    auto [at, added] = holds_->emplace(std::make_pair(fileNumber, record), this);
    return added || at->second == this;
  }
  bool HeldByOther(int32_t fileNumber, uint32_t record) const override {
    auto found = holds_->find({fileNumber, record});
    return found != holds_->end() && found->second != this;
  }
  void ReleaseHolds() {
    std::erase_if(*holds_, [this](const auto& hold) { return hold.second == this; });
  }

 private:
  Holds* holds_;
};

// A record image whose body is exactly bodyLength bytes (at least 4): item 2 holds one Packet
// value of bodyLength - 4 bytes derived from seed; with a name, item 1 holds it first (and the
// Packet shrinks to keep the length).
inline std::vector<uint8_t> RecordImage(int32_t bodyLength, uint32_t seed,
                                        const std::string& name = "") {
  VRecord record(bodyLength + 64);
  int32_t packet = bodyLength - 4;
  if (!name.empty()) {
    std::vector<uint8_t> value(2 + name.size());
    value[0] = kVTypeString;
    value[1] = static_cast<uint8_t>(name.size());
    std::copy(name.begin(), name.end(), value.begin() + 2);
    EXPECT_EQ(record.AddValue(1, value.data(), static_cast<int32_t>(value.size())), kVOk);
    packet -= static_cast<int32_t>(value.size()) + 1;
  }
  std::vector<uint8_t> value(3 + static_cast<size_t>(packet));
  value[0] = kVTypePacket;
  VPutU16(value.data() + 1, static_cast<uint16_t>(packet));
  for (int32_t i = 0; i < packet; ++i) value[3 + i] = static_cast<uint8_t>(seed * 131 + i * 7);
  EXPECT_EQ(record.AddValue(2, value.data(), static_cast<int32_t>(value.size())), kVOk);
  EXPECT_EQ(record.AreaLength(), bodyLength);
  return std::vector<uint8_t>(record.Image(), record.Image() + record.ImageLength());
}

// Every (stored key, record) of a tree, in the tree's order, read by its walk.
using TreeMap = std::multimap<std::string, uint32_t>;
inline TreeMap TreeContents(VBTree& tree) {
  TreeMap contents;
  VResult result = tree.First();
  while (result == kVOk) {
    const VBTree::Entry entry = tree.Current();
    const std::string key(reinterpret_cast<const char*>(entry.key + 1), entry.key[0]);
    for (int32_t i = 0; i < entry.count; ++i) contents.emplace(key, VGetU24(entry.records + 3 * i));
    result = tree.Next();
  }
  tree.ReleaseStack();
  EXPECT_EQ(result, kVEnd);
  return contents;
}

using Expected = std::map<uint32_t, std::vector<uint8_t>>;

// The file holds exactly the records that lookup(r, &image) says it holds (count of them given):
// counts, every record readable by number, no map entry for any other number, and, walking the
// data file, every record block described rightly by its free-space entry and every record in it
// mapped to that block.
template <class Lookup>
::testing::AssertionResult HoldsExactly(VDBFile& file, size_t count, Lookup lookup) {
  if (file.RecordCount() != count) {
    return ::testing::AssertionFailure()
           << "record count " << file.RecordCount() << ", expected " << count;
  }
  std::vector<uint8_t> image;
  std::vector<uint8_t> want;
  VRBCvt* map = file.RecordMap();
  size_t present = 0;
  for (uint32_t r = 1; r <= file.MaxRNbr(); ++r) {
    if (!lookup(r, &want)) {
      if (map->BlockOf(r) != 0) {
        return ::testing::AssertionFailure() << "record " << r << " is mapped but not expected";
      }
      continue;
    }
    ++present;
    VResult got = file.GetRecord(r, &image);
    if (got != kVOk || image != want) {
      return ::testing::AssertionFailure() << "record " << r << " reads " << got;
    }
  }
  if (present != count) {
    return ::testing::AssertionFailure() << present << " expected records up to the last number";
  }
  VCioFsp* data = file.DataFile();
  const uint32_t e = data->GroupBlocks();
  const int32_t p = data->PayloadSize();
  size_t seen = 0;
  for (uint32_t g = 0; g < data->GroupCount(); ++g) {
    for (uint32_t k = 1; k < e; ++k) {
      const uint32_t b = g * e + k;
      const uint16_t entry = data->MapEntry(b);
      if (entry == 0xFFFF || (entry >> 12) != 1) continue;
      VCashBffr* block = data->GetBlock(b);
      if (block == nullptr) return ::testing::AssertionFailure() << "block " << b << " unreadable";
      const int32_t inUse = block->InUse();
      std::vector<uint32_t> numbers;
      bool sound = block->BlockKind() == 0x10 && inUse <= p;
      for (int32_t at = 0; sound && at < inUse;) {
        numbers.push_back(VGetU24(block->Payload() + at));
        at += 5 + VGetU16(block->Payload() + at + 3);
        sound = at <= inUse;
      }
      data->Release(block);
      if (!sound) return ::testing::AssertionFailure() << "record block " << b << " malformed";
      if ((entry & 0xFFF) != static_cast<uint32_t>((p - inUse) / 16)) {
        return ::testing::AssertionFailure() << "free-space entry of block " << b << " is "
                                             << (entry & 0xFFF) << ", block has " << p - inUse;
      }
      for (uint32_t r : numbers) {
        if (map->BlockOf(r) != b) {
          return ::testing::AssertionFailure()
                 << "record " << r << " in block " << b << " maps to " << map->BlockOf(r);
        }
      }
      seen += numbers.size();
    }
  }
  if (seen != count) return ::testing::AssertionFailure() << seen << " records in record blocks";
  return ::testing::AssertionSuccess();
}

inline ::testing::AssertionResult HoldsExactly(VDBFile& file, const Expected& expected) {
  return HoldsExactly(file, expected.size(), [&](uint32_t r, std::vector<uint8_t>* image) {
    auto found = expected.find(r);
    if (found == expected.end()) return false;
    *image = found->second;
    return true;
  });
}
