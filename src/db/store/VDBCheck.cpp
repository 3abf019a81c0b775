#include "db/store/VDBCheck.h"

#include <algorithm>
#include <cstring>

#include "base/VEndian.h"
#include "base/VFile.h"
#include "db/schema/VConfig.h"
#include "db/schema/VRecordView.h"
#include "db/schema/VSchema.h"
#include "db/store/VKeyAcc.h"

namespace {

constexpr int32_t kHeaderSize = 512;
constexpr uint8_t kDirectoryKind = 1;
constexpr uint8_t kMapNodeKind = 3;
constexpr uint8_t kBitmapKind = 0x0F;
constexpr uint8_t kRecordKind = 0x10;
constexpr uint8_t kSpaceMapKind = 0xF0;
constexpr uint16_t kUnallocated = 0xFFFF;
constexpr uint32_t kHeaderBlock = 0xFFFFFFFF;
constexpr int32_t kRecordEntryHead = 5;
// Record numbers are u24: no map or file can hold more.
constexpr uint32_t kMaxRecord = 0xFFFFFF;

std::string Num(uint64_t n) { return std::to_string(n); }

}  // namespace

// A block file opened read-only; blocks come from the backup's images when it has one for them.
class VDBCheck::Source {
 public:
  Source(std::string name, VDir* directory) : name_(std::move(name)), file_(name_, directory) {}
  ~Source() { (void)file_.Close(); }  // opened read-only

  bool Exists() const { return file_.Exists(); }
  VResult Open() {
    VResult result = file_.Open(true);
    if (result == kVOk) result = file_.FileSize(&size_);
    if (result != kVOk) return result;
    header_.assign(kHeaderSize, 0);
    if (size_ >= kHeaderSize) result = file_.ReadAt(0, header_.data(), kHeaderSize);
    return result;
  }
  // Takes the header's block size; false when it is not one the files can have.
  bool SetUp() {
    const int32_t units = header_[3];
    if (units < 1 || units > 127) return false;
    blockSize_ = units * 512;
    const int64_t body = size_ > kHeaderSize ? size_ - kHeaderSize : 0;
    onDisk_ = static_cast<uint64_t>(body / blockSize_);
    return true;
  }
  // The image of a block: false when the file does not reach it or it cannot be read.
  bool Read(uint32_t block, std::vector<uint8_t>* image) {
    auto laid = overlay_.find(block);
    if (laid != overlay_.end()) {
      *image = laid->second;
      return true;
    }
    if (block >= onDisk_) return false;
    image->resize(static_cast<size_t>(blockSize_));
    return file_.ReadAt(kHeaderSize + static_cast<int64_t>(block) * blockSize_, image->data(),
                        blockSize_) == kVOk;
  }
  bool Reaches(uint32_t block) const { return block < onDisk_ || overlay_.count(block) > 0; }

  const std::string& Name() const { return name_; }
  int64_t Size() const { return size_; }
  int32_t BlockSize() const { return blockSize_; }
  int32_t Payload() const { return blockSize_ - 4; }
  uint64_t BlocksOnDisk() const { return onDisk_; }
  std::vector<uint8_t>& Header() { return header_; }
  std::map<uint32_t, std::vector<uint8_t>>& Overlay() { return overlay_; }

 private:
  std::string name_;
  VFile file_;
  int64_t size_ = 0;
  std::vector<uint8_t> header_;
  int32_t blockSize_ = 0;
  uint64_t onDisk_ = 0;
  std::map<uint32_t, std::vector<uint8_t>> overlay_;
};

VDBCheck::VDBCheck(VConfig* config, int32_t problemLimit) : config_(config), limit_(problemLimit) {}

VDBCheck::~VDBCheck() = default;

void VDBCheck::Problem(std::string text) {
  ++found_;
  if (found_ <= limit_) problems_.push_back(std::move(text));
}

void VDBCheck::Reset() {
  problems_.clear();
  notes_.clear();
  found_ = 0;
  summary_ = Summary();
  allocated_.clear();
  owners_.clear();
  mapBlock_.clear();
  dataBlock_.clear();
  keys_.clear();
  mappedCount_ = 0;
}

void VDBCheck::Finish() {
  if (found_ > limit_) problems_.push_back("... and " + Num(found_ - limit_) + " more problems");
  index_.reset();
  data_.reset();
}

int32_t VDBCheck::CheckFile(const VSch_DBFile& schema) {
  Reset();
  schema_ = &schema;
  if (OpenSources(schema)) {
    CheckBitmaps();
    if (ReadDirectory()) {
      WalkMap(mapRoot_, -1, 0, 0);
      for (KeySlot& slot : keys_) {
        CheckTree(slot, false);
        if (slot.reverseRoot != 0) CheckTree(slot, true);
      }
      CheckUnclaimed();
      CheckDataFile();
      CompareMapWithData();
      for (KeySlot& slot : keys_) {
        if (slot.schema == nullptr) continue;
        CompareKeyEntries(slot, false);
        if (slot.reverseRoot != 0) CompareKeyEntries(slot, true);
      }
    }
  }
  Finish();
  return found_;
}

int32_t VDBCheck::CheckTree(const std::string& path, uint32_t root, int32_t keyNumber,
                            uint16_t attributes, TreeSummary* summary) {
  Reset();
  *summary = TreeSummary();
  index_ = std::make_unique<Source>(path, nullptr);
  if (!index_->Exists()) {
    Problem("the file \"" + path + "\" is missing");
  } else if (VResult result = index_->Open(); result != kVOk) {
    Problem("the file \"" + path + "\" cannot be read (" + Num(-result) + ")");
  } else if (CheckHeader(*index_, "index file")) {
    CheckBitmaps();
    WalkTree(root, keyNumber, attributes, summary);
  }
  Finish();
  return found_;
}

bool VDBCheck::OpenSources(const VSch_DBFile& schema) {
  const std::string name = schema.StorageName();
  index_ = std::make_unique<Source>(name + ".idx", config_->IndexDirectory(schema.Number()));
  data_ = std::make_unique<Source>(name + ".dat", config_->DataDirectory(schema.Number()));
  bool usable = true;
  for (Source* file : {index_.get(), data_.get()}) {
    if (!file->Exists()) {
      Problem("the file \"" + file->Name() + "\" is missing");
      usable = false;
    } else if (VResult result = file->Open(); result != kVOk) {
      Problem("the file \"" + file->Name() + "\" cannot be read (" + Num(-result) + ")");
      usable = false;
    }
  }
  if (!usable) return false;
  ReadBackup(schema);
  const bool indexSound = CheckHeader(*index_, "index file");
  const bool dataSound = CheckHeader(*data_, "data file");
  return indexSound && dataSound;
}

// Lays the images of a complete backup over the files, as the next open replays them.
void VDBCheck::ReadBackup(const VSch_DBFile& schema) {
  VDir* folder = config_->MainSection()->WorkPath() ? config_->WorkDirectory()
                                                    : config_->IndexDirectory(schema.Number());
  if (folder == nullptr) return;
  VFile backup(schema.StorageName() + ".bup", folder);
  if (!backup.Exists()) return;
  int64_t size = 0;
  uint8_t word[12];
  if (backup.Open(true) != kVOk || backup.FileSize(&size) != kVOk) {
    Problem("the backup file \"" + backup.Name() + "\" cannot be read");
    return;
  }
  if (size < kHeaderSize || backup.ReadAt(0, word, 4) != kVOk || VGetU32(word) == 0) {
    Note("an incomplete backup file \"" + backup.Name() + "\" is left; the next open discards it");
    (void)backup.Close();  // opened read-only
    return;
  }
  // The entries end at the completion mark, as the open reads them.
  const int64_t mark = VGetU32(word);
  if (mark > size) {
    Problem("the backup file's completion mark " + Num(mark) + " passes its end (" + Num(size) +
            " bytes)");
    (void)backup.Close();  // opened read-only
    return;
  }
  size = mark;
  Note("a complete backup file \"" + backup.Name() +
       "\" is pending; the next open replays it, and the check reads the files as it leaves them");
  std::vector<std::pair<std::pair<uint32_t, uint32_t>, std::vector<uint8_t>>> entries;
  for (int64_t at = 4; at < size;) {
    if (at + 12 > size || backup.ReadAt(at, word, 12) != kVOk) {
      Problem("the backup file ends inside an entry at offset " + Num(at));
      break;
    }
    const uint32_t kind = VGetU32(word);
    const uint32_t block = VGetU32(word + 4);
    const uint32_t length = VGetU32(word + 8);
    if (length == 0 || length > 65536 || at + 12 + length > size) {
      Problem("the backup file holds an entry of " + Num(length) + " bytes at offset " + Num(at));
      break;
    }
    std::vector<uint8_t> image(length);
    if (backup.ReadAt(at + 12, image.data(), static_cast<int32_t>(length)) != kVOk) break;
    entries.push_back({{kind, block}, std::move(image)});
    at += 12 + length;
  }
  (void)backup.Close();  // opened read-only
  // Headers first: they give the block sizes the block images must have.
  for (auto& [where, image] : entries) {
    Source* file = where.first == 1 ? index_.get() : data_.get();
    if (where.second == kHeaderBlock && image.size() == kHeaderSize) file->Header() = image;
  }
  for (auto& [where, image] : entries) {
    Source* file = where.first == 1 ? index_.get() : data_.get();
    if (where.second == kHeaderBlock) continue;
    if (image.size() != static_cast<size_t>(file->Header()[3]) * 512) {
      Problem("the backup file holds block " + Num(where.second) + " of the " + file->Name() +
              " with " + Num(image.size()) + " bytes, not one block");
      continue;
    }
    file->Overlay()[where.second] = std::move(image);
  }
}

bool VDBCheck::CheckHeader(Source& file, const char* what) {
  const std::vector<uint8_t>& h = file.Header();
  if (file.Size() < kHeaderSize && file.Overlay().empty()) {
    Problem("the " + std::string(what) + " is shorter than its header (" + Num(file.Size()) +
            " bytes)");
    return false;
  }
  if (h[0] != 'D' || h[2] != 1) {
    Problem("the " + std::string(what) + " does not begin with a block-file header");
    return false;
  }
  if (!file.SetUp()) {
    Problem("the " + std::string(what) + " header gives no valid block size");
    return false;
  }
  // A block that a write in place had only partly extended the file with is whole again once the
  // pending backup is replayed.
  const int64_t body = file.Size() - kHeaderSize;
  if (body > 0 && body % file.BlockSize() != 0 &&
      file.Overlay().count(static_cast<uint32_t>(file.BlocksOnDisk())) == 0) {
    Problem("the " + std::string(what) + " ends inside block " + Num(file.BlocksOnDisk()) +
            " (length " + Num(file.Size()) + ")");
  }
  // A data file is created with its header alone; an index file always has its first group.
  if (VGetU16(h.data() + 4) == 0 && &file == index_.get()) {
    Problem("the " + std::string(what) + " header counts no allocation group");
    return false;
  }
  return true;
}

// ---- index file ----

int32_t VDBCheck::IndexBlockSize() const { return index_->BlockSize(); }

bool VDBCheck::ReadIndexBlock(uint32_t block, std::vector<uint8_t>* image) {
  return index_->Read(block, image);
}

void VDBCheck::CheckBitmaps() {
  const int32_t payload = index_->Payload();
  const uint64_t groupBlocks = static_cast<uint64_t>(payload) * 8;
  const uint32_t groups = VGetU16(index_->Header().data() + 4);
  const uint64_t total = std::min<uint64_t>(groups * groupBlocks, kMaxRecord + 1);
  allocated_.assign(total, 0);
  owners_.assign(total, kFree);
  std::vector<uint8_t> image;
  for (uint32_t g = 0; g < groups; ++g) {
    const uint64_t first = g * groupBlocks;
    if (first >= total) break;
    const uint32_t block = static_cast<uint32_t>(first);
    if (!index_->Read(block, &image)) {
      Problem("allocation bitmap block " + Num(block) + " of group " + Num(g) +
              " lies beyond the end of the index file");
      continue;
    }
    if (image[0] != kBitmapKind) {
      Problem("index block " + Num(block) + " should be an allocation bitmap but is of kind " +
              Num(image[0]));
      continue;
    }
    if ((image[4] & 0x80) == 0) {
      Problem("allocation bitmap block " + Num(block) + " does not mark itself allocated");
    }
    for (uint64_t i = 0; i < groupBlocks && first + i < total; ++i) {
      if (image[4 + i / 8] & (0x80 >> (i % 8))) allocated_[first + i] = 1;
    }
    owners_[block] = kBitmap;
  }
  summary_.indexBlocks =
      static_cast<uint32_t>(std::count(allocated_.begin(), allocated_.end(), uint8_t{1}));
}

void VDBCheck::Claim(uint32_t block, Owner owner, const std::string& what) {
  if (block >= owners_.size() || !allocated_[block]) {
    Problem(what + " uses index block " + Num(block) + ", which the allocation bitmap marks free");
  }
  if (block < owners_.size()) {
    if (owners_[block] != kFree) {
      Problem(what + " uses index block " + Num(block) + ", which is already in use elsewhere");
    }
    owners_[block] = owner;
  }
}

bool VDBCheck::ReadDirectory() {
  std::vector<uint8_t> d;
  if (!index_->Read(1, &d)) {
    Problem("the index file has no directory block");
    return false;
  }
  if (d[0] != kDirectoryKind) {
    Problem("index block 1 should be the directory but is of kind " + Num(d[0]));
    return false;
  }
  Claim(1, kDirectory, "the directory");
  mapRoot_ = VGetU24(&d[4]);
  lastRecord_ = VGetU24(&d[7]);
  recordCount_ = VGetU24(&d[10]);
  summary_.lastRecord = lastRecord_;
  if (recordCount_ > lastRecord_) {
    Problem("the directory counts " + Num(recordCount_) + " records but the last number is " +
            Num(lastRecord_));
  }
  mapBlock_.assign(static_cast<size_t>(lastRecord_) + 1, 0);
  dataBlock_.assign(static_cast<size_t>(lastRecord_) + 1, 0);
  ReadKeySlots(d, index_->Header()[1] != 'A');
  if (mapRoot_ < 2) {
    Problem("the directory gives no record-map root (" + Num(mapRoot_) + ")");
    return false;
  }
  return true;
}

// level: the level the node must have (-1 for the root, which may have any up to 2).
void VDBCheck::WalkMap(uint32_t block, int32_t level, uint64_t base, int32_t depth) {
  const std::string what = "record-map node " + Num(block);
  std::vector<uint8_t> node;
  if (!index_->Read(block, &node)) {
    Problem(what + " lies beyond the end of the index file");
    return;
  }
  if (depth > 0 || block != mapRoot_)
    Claim(block, kMap, what);
  else
    Claim(block, kMap, "the record-map root");
  const int32_t nodeLevel = node[1];
  const int32_t inUse = VGetU16(&node[2]);
  const uint32_t perNode = static_cast<uint32_t>(index_->Payload() / 3);
  if (node[0] != kMapNodeKind || nodeLevel > 2 || (level >= 0 && nodeLevel != level)) {
    Problem(what + " is not a record-map node of level " + Num(level < 0 ? 0 : level) + " (kind " +
            Num(node[0]) + ", level " + Num(nodeLevel) + ")");
    return;
  }
  if (inUse % 3 != 0 || inUse / 3 > static_cast<int32_t>(perNode)) {
    Problem(what + " claims " + Num(inUse) + " bytes in use");
    return;
  }
  uint64_t span = 1;
  for (int32_t i = 0; i < nodeLevel; ++i) span *= perNode;
  for (int32_t i = 0; i < inUse / 3; ++i) {
    const uint32_t entry = VGetU24(&node[4 + 3 * i]);
    if (entry == 0) continue;
    const uint64_t first = base + i * span;
    if (nodeLevel > 0) {
      // A child above the last record number is normal (the map allocates a leaf ahead once
      // numbers near its end): it is walked like any other, and the leaf check reports any
      // record that it sends somewhere.
      WalkMap(entry, nodeLevel - 1, first, depth + 1);
      continue;
    }
    if (first == 0 || first > lastRecord_) {
      Problem("the record map sends record " + Num(first) + " to data block " + Num(entry) +
              ", but record numbers run from 1 to " + Num(lastRecord_));
      continue;
    }
    mapBlock_[first] = entry;
    ++mappedCount_;
  }
}

void VDBCheck::CheckUnclaimed() {
  uint64_t leaked = 0;
  uint64_t first = 0;
  for (size_t b = 0; b < allocated_.size(); ++b) {
    if (!allocated_[b] || owners_[b] != kFree) continue;
    if (leaked++ == 0) first = b;
  }
  if (leaked > 0) {
    Problem(Num(leaked) + " index blocks are allocated but used by nothing (the first is block " +
            Num(first) + ")");
  }
  uint64_t beyond = 0;
  for (size_t b = 0; b < allocated_.size(); ++b) {
    if (allocated_[b] && !index_->Reaches(static_cast<uint32_t>(b))) ++beyond;
  }
  if (beyond > 0) {
    Problem(Num(beyond) + " allocated index blocks lie beyond the end of the index file");
  }
}

// ---- data file ----

void VDBCheck::CheckDataFile() {
  const int32_t payload = data_->Payload();
  const uint32_t perGroup = static_cast<uint32_t>(payload / 2);
  const uint32_t groups = VGetU16(data_->Header().data() + 4);
  std::vector<uint8_t> map;
  std::vector<uint8_t> block;
  uint64_t beyond = 0;
  uint64_t firstBeyond = 0;
  for (uint32_t g = 0; g < groups; ++g) {
    const uint64_t start = static_cast<uint64_t>(g) * perGroup;
    if (start > kMaxRecord) break;
    const uint32_t mapBlock = static_cast<uint32_t>(start);
    if (!data_->Read(mapBlock, &map)) {
      Problem("free-space map block " + Num(mapBlock) + " of group " + Num(g) +
              " lies beyond the end of the data file");
      continue;
    }
    if (map[0] != kSpaceMapKind || VGetU16(&map[4]) != 0xF000) {
      Problem("data block " + Num(mapBlock) + " should be a free-space map but is of kind " +
              Num(map[0]));
      continue;
    }
    ++summary_.dataBlocks;
    for (uint32_t k = 1; k < perGroup; ++k) {
      const uint16_t entry = VGetU16(&map[4 + 2 * k]);
      if (entry == kUnallocated) continue;
      const uint32_t b = mapBlock + k;
      ++summary_.dataBlocks;
      const uint8_t kind = static_cast<uint8_t>(entry >> 12);
      if (kind == 0) continue;  // taken, not yet formatted
      if (kind != (kRecordKind >> 4)) {
        Problem("the free-space map gives data block " + Num(b) + " the unknown kind " + Num(kind));
        continue;
      }
      if (!data_->Read(b, &block)) {
        if (beyond++ == 0) firstBeyond = b;
        continue;
      }
      CheckRecordBlock(b, entry, block);
    }
  }
  if (beyond > 0) {
    Problem(Num(beyond) + " record blocks of the free-space map lie beyond the end of the data " +
            "file (the first is block " + Num(firstBeyond) + "): the file is cut short");
  }
}

void VDBCheck::CheckRecordBlock(uint32_t b, uint16_t mapEntry, const std::vector<uint8_t>& image) {
  const std::string what = "data block " + Num(b);
  const int32_t payload = data_->Payload();
  if (image[0] != kRecordKind) {
    Problem(what + " is a record block in the free-space map but is of kind " + Num(image[0]));
    return;
  }
  const int32_t inUse = VGetU16(&image[2]);
  if (inUse > payload) {
    Problem(what + " claims " + Num(inUse) + " bytes in use, more than its payload");
    return;
  }
  const int32_t free = (payload - inUse) / 16;
  if ((mapEntry & 0x0FFF) != free) {
    Problem("the free-space map gives " + what + " " + Num((mapEntry & 0x0FFF) * 16) +
            " free bytes, but it has " + Num(payload - inUse));
  }
  const uint8_t* p = image.data() + 4;
  uint32_t previous = 0;
  for (int32_t at = 0; at < inUse;) {
    if (at + kRecordEntryHead > inUse) {
      Problem(what + " ends inside a record entry at offset " + Num(at));
      return;
    }
    const uint32_t r = VGetU24(p + at);
    const int32_t length = VGetU16(p + at + 3);
    if (at + kRecordEntryHead + length > inUse) {
      Problem(what + ": record " + Num(r) + " runs past the bytes in use");
      return;
    }
    if (r <= previous) {
      Problem(what + ": record " + Num(r) + " follows record " + Num(previous) + " out of order");
    }
    previous = r;
    CheckRecord(r, b, p + at + 3, length + 2);
    at += kRecordEntryHead + length;
  }
}

void VDBCheck::CheckRecord(uint32_t r, uint32_t b, const uint8_t* image, int32_t length) {
  const std::string what = "record " + Num(r) + " in data block " + Num(b);
  if (r == 0 || r > lastRecord_) {
    Problem(what + " has a number outside 1 to the last number " + Num(lastRecord_));
    return;
  }
  if (dataBlock_[r] != 0) {
    Problem(what + " is stored a second time (also in data block " + Num(dataBlock_[r]) + ")");
    return;
  }
  dataBlock_[r] = b;
  ++summary_.records;
  if (length <= 2) {
    Problem(what + " is empty");
    return;
  }
  if (VRecordView(image, static_cast<size_t>(length)).Check() != kVOk ||
      VGetU16(image) + 2 != length) {
    Problem(what + " is not a sound record");
    return;
  }
  CollectKeyValues(r, image, length);
}

void VDBCheck::CompareMapWithData() {
  std::vector<uint8_t> image;
  for (uint32_t r = 1; r <= lastRecord_; ++r) {
    const uint32_t mapped = mapBlock_[r];
    const uint32_t stored = dataBlock_[r];
    if (mapped == stored) continue;
    std::string text = "the record map sends record " + Num(r) + " to data block " + Num(mapped);
    if (mapped == 0) {
      Problem("record " + Num(r) + " in data block " + Num(stored) +
              " is missing from the record map");
    } else if (!data_->Reaches(mapped)) {
      Problem(text + ", beyond the end of the data file");
    } else if (stored != 0) {
      Problem(text + ", but the record is in data block " + Num(stored));
    } else {
      Problem(text + ", which does not hold it");
    }
  }
  if (mappedCount_ != recordCount_) {
    Problem("the directory counts " + Num(recordCount_) + " records but the record map holds " +
            Num(mappedCount_));
  }
  if (summary_.records != recordCount_) {
    Problem("the directory counts " + Num(recordCount_) + " records but the data file holds " +
            Num(summary_.records));
  }
}
