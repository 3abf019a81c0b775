#include "db/store/VDBFile.h"

#include <algorithm>

#include "base/VDebug.h"
#include "base/VEndian.h"
#include "base/VFile.h"
#include "base/VStream.h"
#include "db/schema/VConfig.h"
#include "db/schema/VRecordView.h"
#include "db/schema/VSchema.h"
#include "db/store/VCash.h"
#include "db/store/VCioFsp.h"
#include "db/store/VCioMap.h"
#include "db/store/VRBCvt.h"
#include "db/store/VRecAcc.h"
#include "db/store/VWritePoint.h"

namespace {

constexpr int32_t kRootOffset = 4;
constexpr int32_t kLastOffset = 7;
constexpr int32_t kCountOffset = 10;
constexpr int32_t kSlotOffset = 36;
constexpr int32_t kSlotSize = 8;
constexpr int32_t kBackupEntryHead = 12;
constexpr int32_t kBackupStreamBuffer = 64 * 1024;
constexpr uint32_t kHeaderImage = 0xFFFFFFFF;

int32_t SlotsFor(int32_t blockSize) {
  return std::clamp((blockSize - kSlotOffset) / kSlotSize, 0, 255);
}

}  // namespace

VDBFile::VDBFile(VSch_DBFile* schema, VConfig* config, VCash* cache)
    : schema_(schema), config_(config), cache_(cache), name_(schema->StorageName()) {}

VDBFile::~VDBFile() {
  if (!open_) return;
  VResult result = kVWriteFailed;
  if (!replayPending_) {
    const char* step = "";
    bool marked = false;
    result = FlushFiles(&step, &marked);
  }
  if (result != kVOk) LogFormat("...ERROR... VDBFile::Close ec:%d", result);
  // The destructor has no one to answer: a failure is in the debug log.
  if (CloseFiles(result != kVOk) != kVOk) Log("...ERROR... VDBFile::Close closing the files");
}

int32_t VDBFile::FileNumber() const { return schema_->Number(); }

bool VDBFile::IsReadOnly() const { return open_ ? readOnly_ : config_->IsReadOnly(FileNumber()); }

VDir* VDBFile::IndexDirectory() const { return config_->IndexDirectory(FileNumber()); }

VDir* VDBFile::DataDirectory() const { return config_->DataDirectory(FileNumber()); }

VDir* VDBFile::BackupDirectory() const {
  if (config_->MainSection()->WorkPath()) return config_->WorkDirectory();
  return IndexDirectory();
}

void VDBFile::Fatal(const char* where, VResult code) const {
  LogFormat("...ERROR... %s ec:%d", where, code);
  throw VFailure(-1);
}

VResult VDBFile::RemoveBackup() {
  VDir* folder = BackupDirectory();
  if (folder == nullptr) return kVOk;
  VFile backup(BackupName(), folder);
  if (!backup.Exists()) return kVOk;
  VResult result = backup.Remove();
  if (result == kVOk) result = backup.SyncDirectory();
  return result;
}

// ---- creation and erasure ----

VResult VDBFile::CreateDBFile() {
  if (open_) return kVFileAlreadyOpen;
  if (IsReadOnly()) return kVReadOnlyFile;
  VCioMap index(name_ + ".idx", cache_, nullptr, kVIndexFileKind, IndexDirectory());
  VCioFsp data(name_ + ".dat", cache_, nullptr, kVDataFileKind, DataDirectory());
  if (index.Exists() || data.Exists()) return kVFilesExist;
  index.SetBlockSize(std::max<int32_t>(kMinIndexBlock, schema_->IndexBlockSize()));
  data.SetBlockSize(std::max<int32_t>(kMinDataBlock, schema_->DataBlockSize()));
  keySlots_ = SlotsFor(index.BlockSize());
  for (int i = 0; i < schema_->KeyCount(); ++i) {
    VResult valid = ValidateSchemaKey(*schema_->KeyAt(i));
    if (valid != kVOk) return valid;
  }
  // A backup left by an earlier file of this name must never be replayed onto the new one.
  VResult result = RemoveBackup();
  if (result == kVOk) result = index.Create(false);
  if (result != kVOk) return result;
  result = BuildIndex(index);
  if (result == kVOk) result = data.Create(false);
  if (result != kVOk) {
    // The half-made index goes again; the creation's failure stays the answer.
    if (index.IsOpen()) (void)index.Abandon();
    if (index.Remove() == kVOk) (void)index.SyncDirectory();
    return result;
  }
  schema_->MarkCreated(true);
  schema_->MarkErased(false);
  for (int i = 0; i < schema_->KeyCount(); ++i)
    schema_->MarkKeyCreated(schema_->KeyAt(i)->Number());
  return kVOk;
}

VResult VDBFile::BuildIndex(VCioMap& index) {
  VResult result = index.Open(false);
  if (result != kVOk) return result;
  uint32_t directory = index.AllocBlock();
  uint32_t root = index.AllocBlock();
  if (directory != 1 || root == 0) return kVNoRecordBlock;
  VCashBffr* block = index.NewBlock(directory);
  block->SetBlockHeader(kDirectoryKind, 0, 0);
  VPutU24(block->Data() + kRootOffset, root);
  index.MarkDirty(block);
  index.Release(block);
  block = index.NewBlock(root);
  block->SetBlockHeader(VRBCvt::kNodeKind, 0, 0);
  index.MarkDirty(block);
  index.Release(block);
  for (int i = 0; i < schema_->KeyCount() && result == kVOk; ++i) {
    const VSch_DBKey& desc = *schema_->KeyAt(i);
    std::unique_ptr<VKeyObject> key;
    std::unique_ptr<VKeyObject> reverse;
    result = MakeTrees(&index, desc, &key, &reverse);
    if (result == kVOk) {
      result = WriteKeySlot(&index, desc.Number(), key->Root(), key->Attributes(),
                            reverse != nullptr ? reverse->Root() : 0);
    }
  }
  if (result == kVOk) result = index.Flush();
  if (result != kVOk) return result;
  return index.Close();
}

VResult VDBFile::EraseDBFile() {
  if (open_) return kVFileAlreadyOpen;
  if (IsReadOnly()) return kVReadOnlyFile;
  VFile index(name_ + ".idx", IndexDirectory());
  if (!index.Exists()) return kVIndexFileMissing;
  VResult result = index.Remove();
  if (result == kVOk) result = index.SyncDirectory();
  if (result != kVOk) return result;
  VFile data(name_ + ".dat", DataDirectory());
  if (!data.Exists()) return kVDataFileMissing;
  result = data.Remove();
  if (result == kVOk) result = data.SyncDirectory();
  if (result != kVOk) return result;
  // A leftover backup belongs to the files just erased; without them it is never replayed.
  if (RemoveBackup() != kVOk) LogFormat("...ERROR... VDBFile::Erase backup of %s left", name_);
  schema_->MarkErased(true);
  schema_->MarkCreated(false);
  return kVOk;
}

// ---- open, recovery, close ----

VResult VDBFile::Open() {
  if (open_) return kVFileAlreadyOpen;
  readOnly_ = config_->IsReadOnly(FileNumber());
  index_ =
      std::make_unique<VCioMap>(name_ + ".idx", cache_, this, kVIndexFileKind, IndexDirectory());
  data_ = std::make_unique<VCioFsp>(name_ + ".dat", cache_, this, kVDataFileKind, DataDirectory());
  VResult result = index_->Open(readOnly_);
  if (result == kVOk) {
    result = data_->Open(readOnly_);
    if (result != kVOk) (void)index_->Close();  // nothing was changed; the open's failure counts
  }
  if (result != kVOk) {
    data_.reset();
    index_.reset();
    return result;
  }
  result = Recover();
  if (result == kVOk) result = ReadDirectory();
  if (result != kVOk) {
    (void)CloseFiles(true);  // abandoning closes nothing that could fail
    return result;
  }
  open_ = true;
  replayPending_ = false;
  return kVOk;
}

VResult VDBFile::Recover() {
  VDir* folder = BackupDirectory();
  if (folder == nullptr) return kVOk;
  VFile backup(BackupName(), folder);
  if (!backup.Exists()) return kVOk;
  VResult result = backup.Open(readOnly_);
  if (result != kVOk) return result;
  int64_t size = 0;
  uint8_t head[4] = {0, 0, 0, 0};
  result = backup.FileSize(&size);
  if (result == kVOk && size >= 4) result = backup.ReadAt(0, head, 4);
  if (result != kVOk) {
    (void)backup.Close();  // only read from
    return result;
  }
  const uint32_t mark = VGetU32(head);
  if (size >= kVBioHeaderSize && mark >= 1) {
    // A complete backup: its blocks may be half written in place, so it must be replayed before
    // anything is read. A read-only file cannot be mended and is not opened.
    result = readOnly_ ? kVReadOnlyFile : CheckBackup(backup, mark);
    if (result == kVOk) result = ReplayBackup(backup, mark);
    if (result != kVOk) {
      (void)backup.Close();  // only read from
      LogFormat("...ERROR... VDBFile::Recover %s ec:%d", BackupName(), result);
      return result;
    }
  } else if (readOnly_) {
    (void)backup.Close();  // only read from
    return kVOk;
  }
  (void)backup.Close();  // only read from
  result = backup.Remove();
  if (result == kVOk) result = backup.SyncDirectory();
  return result;
}

VResult VDBFile::CheckBackup(VFile& backup, uint32_t mark) {
  int64_t size = 0;
  VResult result = backup.FileSize(&size);
  if (result != kVOk) return result;
  if (mark > size || mark < 4 + kBackupEntryHead) return kVBadBackup;
  int64_t at = 4;
  uint8_t head[kBackupEntryHead];
  uint8_t header[kVBioHeaderSize];
  while (at < mark) {
    if (at + kBackupEntryHead > mark) return kVBadBackup;
    result = backup.ReadAt(at, head, kBackupEntryHead);
    if (result != kVOk) return result;
    const uint32_t kind = VGetU32(head);
    const uint32_t block = VGetU32(head + 4);
    const uint32_t length = VGetU32(head + 8);
    VCio* target = kind == kVIndexFileKind  ? static_cast<VCio*>(index_.get())
                   : kind == kVDataFileKind ? static_cast<VCio*>(data_.get())
                                            : nullptr;
    if (target == nullptr) return kVBadBackup;
    at += kBackupEntryHead;
    if (block == kHeaderImage) {
      if (length != kVBioHeaderSize || at + length > mark) return kVBadBackup;
      result = backup.ReadAt(at, header, kVBioHeaderSize);
      if (result != kVOk) return result;
      // The header must be a block file's with the file's own block size.
      if (header[0] != 'D' || header[1] < 'A' || header[1] > 'Z' || header[2] != 1 ||
          header[3] != target->Header()[3]) {
        return kVBadBackup;
      }
    } else if (block > kVMaxBlockNumber || length != static_cast<uint32_t>(target->BlockSize()) ||
               at + length > mark) {
      return kVBadBackup;
    }
    at += length;
  }
  return kVOk;
}

VResult VDBFile::ReplayBackup(VFile& backup, uint32_t mark) {
  std::vector<uint8_t> image(
      static_cast<size_t>(std::max(index_->BlockSize(), data_->BlockSize())));
  int64_t at = 4;
  uint8_t head[kBackupEntryHead];
  VResult result = kVOk;
  while (at < mark && result == kVOk) {
    result = backup.ReadAt(at, head, kBackupEntryHead);
    const uint32_t block = VGetU32(head + 4);
    const int32_t length = static_cast<int32_t>(VGetU32(head + 8));
    VCio* target = VGetU32(head) == kVIndexFileKind ? static_cast<VCio*>(index_.get())
                                                    : static_cast<VCio*>(data_.get());
    at += kBackupEntryHead;
    if (result == kVOk) result = backup.ReadAt(at, image.data(), length);
    if (result == kVOk) {
      int64_t offset = block == kHeaderImage ? 0 : target->BlockOffset(block);
      result = target->WriteAt(offset, image.data(), length);
    }
    at += length;
  }
  if (result == kVOk) result = data_->VFile::Flush();
  if (result == kVOk) result = index_->VFile::Flush();
  if (result == kVOk) result = data_->ReadHeader();
  if (result == kVOk) result = index_->ReadHeader();
  return result;
}

VResult VDBFile::ReadDirectory() {
  keySlots_ = SlotsFor(index_->BlockSize());
  if (index_->GroupCount() == 0) return kVBadDirectory;
  VResult error = kVOk;
  VCashBffr* directory = index_->GetBlock(1, &error);
  if (directory == nullptr) return error != kVOk ? error : kVBadDirectory;
  if (directory->BlockKind() != kDirectoryKind) {
    index_->Release(directory);
    return kVBadDirectory;
  }
  const uint8_t* d = directory->Data();
  const uint32_t root = VGetU24(d + kRootOffset);
  const uint32_t last = VGetU24(d + kLastOffset);
  const uint32_t count = VGetU24(d + kCountOffset);
  // An index file of the older layout keeps both attribute nibbles in one byte: the high nibble
  // (the flags) moves to the slot's high attribute byte, and the file takes the current layout
  // (a read-only file only reads it so).
  const bool upgrade = index_->Layout() != 'A';
  struct Slot {
    int32_t key;
    uint16_t attributes;
    uint32_t root;
    uint32_t reverseRoot;
  };
  std::vector<Slot> slots;
  for (int32_t k = 1; k < keySlots_; ++k) {
    const uint8_t* slot = d + kSlotOffset + kSlotSize * k;
    uint8_t low = slot[3];
    uint8_t high = slot[7];
    if (upgrade) {
      high = low & 0xF0;
      low &= 0x0F;
    }
    uint32_t keyRoot = VGetU24(slot);
    if (keyRoot != 0) {
      slots.push_back({k, static_cast<uint16_t>(high << 8 | low), keyRoot, VGetU24(slot + 4)});
    }
  }
  index_->Release(directory);
  if (count > last || root < 2) return kVBadDirectory;
  map_ = std::make_unique<VRBCvt>(index_.get(), root, last, count);
  VResult result = map_->CheckRoot();
  for (size_t i = 0; i < slots.size() && result == kVOk; ++i) {
    result = OpenKey(slots[i].key, slots[i].attributes, slots[i].root, slots[i].reverseRoot);
  }
  if (result != kVOk) return result;
  access_ = std::make_unique<VRecAcc>(data_.get(), map_.get());
  macRLength_ = access_->MaxLength();
  oldImage_.reserve(static_cast<size_t>(data_->PayloadSize()));
  // The key values of a record never take more bytes than the record itself.
  const size_t keyBytes = static_cast<size_t>(std::max(kVMaxKeyValues, data_->PayloadSize()));
  oldKeys_.resize(keyBytes);
  newKeys_.resize(keyBytes);
  // The upgrade is written last, once nothing more can fail: until the file is open, no block of
  // it may become dirty (the cache could ask a file that is not open yet to flush).
  if (upgrade && !readOnly_) result = UpgradeDirectory();
  return result;
}

VResult VDBFile::UpgradeDirectory() {
  VResult error = kVOk;
  VCashBffr* directory = index_->GetBlock(1, &error);
  if (directory == nullptr) return error;
  for (int32_t k = 1; k < keySlots_; ++k) {
    uint8_t* slot = directory->Data() + kSlotOffset + kSlotSize * k;
    slot[7] = slot[3] & 0xF0;
    slot[3] &= 0x0F;
  }
  index_->MarkDirty(directory);
  index_->Release(directory);
  index_->SetLayout('A');
  return kVOk;
}

VResult VDBFile::CloseFiles(bool discard) {
  access_.reset();
  keys_.Clear();
  map_.reset();
  VResult result = kVOk;
  for (VCio* file : {static_cast<VCio*>(data_.get()), static_cast<VCio*>(index_.get())}) {
    if (file == nullptr || !file->IsOpen()) continue;
    if (discard) {
      // Abandoning drops what is unwritten on purpose: only a close's failure counts.
      (void)file->Abandon();
      continue;
    }
    VResult closed = file->Close();
    if (result == kVOk) result = closed;
  }
  data_.reset();
  index_.reset();
  open_ = false;
  replayPending_ = false;
  SetChanged(false);
  return result;
}

void VDBFile::Abandon() {
  if (!open_) return;
  LogFormat("...ERROR... VDBFile::Abandon %s", name_);
  (void)CloseFiles(true);  // abandoning closes nothing that could fail
}

VResult VDBFile::Close() {
  if (!open_) return kVFileNotOpen;
  if (replayPending_) {
    // The last flush failed after its backup was complete: the backup is the file's state, and
    // the next open replays it.
    Log("...ERROR... VDBFile::Close changes left to the backup");
    (void)CloseFiles(true);  // abandoning closes nothing that could fail
    return kVWriteFailed;
  }
  // A failing flush raises; a flush that returns has made the files durable.
  if (NeedsFlush()) (void)Flush();
  return CloseFiles(false);
}

// ---- flush ----

bool VDBFile::NeedsFlush() const {
  return IsChanged() || index_->HasDirtyBlocks() || data_->HasDirtyBlocks() ||
         index_->IsHeaderDirty() || data_->IsHeaderDirty();
}

VResult VDBFile::Flush() {
  if (!open_) {
    Log("...ERROR... VDBFile::Flush Not Open");
    throw VFailure(-1);
  }
  if (replayPending_) {
    Log("...ERROR... VDBFile::Flush an earlier flush awaits its replay");
    throw VFailure(-1);
  }
  const char* step = "";
  bool marked = false;
  VResult result = FlushFiles(&step, &marked);
  if (result != kVOk) {
    replayPending_ = marked;
    LogFormat("...ERROR... VDBFile::Flush %s ec:%d", step, result);
    throw VFailure(-1);
  }
  SetChanged(false);
  return kVOk;
}

VResult VDBFile::FlushFiles(const char** step, bool* marked) {
  *marked = false;
  if (readOnly_ || !NeedsFlush()) return kVOk;
  const bool dataBlocks = data_->HasDirtyBlocks();
  const bool indexBlocks = index_->HasDirtyBlocks();
  if (!dataBlocks && !indexBlocks && !data_->IsHeaderDirty() && !index_->IsHeaderDirty()) {
    return kVOk;
  }
  *step = "FlushFirst";
  VResult first = FlushPredecessor();
  if (first != kVOk) return first;
  // The headers get their update time now, so that they reach the backup as they will be
  // written in place.
  if (dataBlocks) data_->StampUpdateTime();
  if (indexBlocks) index_->StampUpdateTime();
  *step = "StartBackup";
  VDir* folder = BackupDirectory();
  if (folder == nullptr) return kVNoParent;
  // A configured work directory that is missing is made, as a database creation would have.
  if (!folder->Exists()) {
    VResult made = folder->Create(true);
    if (made != kVOk) return made;
  }
  VFile backup(BackupName(), folder);
  VResult result = WriteBackup(backup, step, marked);
  // WriteBackup closes the backup itself when it succeeds; this close follows a failure only.
  if (backup.IsOpen()) (void)backup.Close();
  if (result != kVOk) {
    // Nothing was written in place: an incomplete backup is only in the way.
    if (!*marked && backup.Remove() == kVOk) (void)backup.SyncDirectory();
    return result;
  }
  *step = "Flush(DATA)";
  result = data_->Flush();
  if (result != kVOk) return result;
  *step = "Flush(INDEX)";
  result = index_->Flush();
  if (result != kVOk) return result;
  // The record files are durable now. The removal need not be: a backup that outlives it (after
  // a power loss) replays the very state the files already hold, and the next flush replaces it
  // and makes its directory durable before it writes anything in place.
  VReachWritePoint(VWritePoint::kBackupRemove, backup);
  result = backup.Remove();
  if (result != kVOk) LogFormat("...ERROR... VDBFile::Flush RemoveBackup ec:%d", result);
  return kVOk;
}

VResult VDBFile::FlushPredecessor() {
  VDBFile* first = flushFirst_;
  if (first == nullptr || first == this || !first->open_ || first->readOnly_) return kVOk;
  if (first->replayPending_) return kVWriteFailed;
  if (!first->NeedsFlush()) return kVOk;
  const char* step = "";
  bool marked = false;
  VResult result = first->FlushFiles(&step, &marked);
  if (result != kVOk) {
    first->replayPending_ = marked;
    LogFormat("...ERROR... VDBFile::Flush %s %s ec:%d", first->name_, step, result);
    return result;
  }
  first->SetChanged(false);
  return kVOk;
}

VResult VDBFile::WriteBackup(VFile& backup, const char** step, bool* marked) {
  *step = "StartBackup";
  VResult result = backup.Exists() ? backup.Remove() : kVOk;
  if (result == kVOk) result = backup.Create(false);
  if (result == kVOk) result = backup.Open(false);
  if (result != kVOk) return result;
  int64_t length = 0;
  {
    VFileStream stream(backup, kBackupStreamBuffer);
    if (!stream.WriteU32(0)) return kVWriteFailed;
    *step = "PreFlush";
    result = data_->WriteToBackup(stream);
    if (result == kVOk) result = index_->WriteToBackup(stream);
    if (result == kVOk) result = stream.WriteOut();
    if (result == kVOk) result = stream.Error();
    if (result != kVOk) return result;
    length = stream.Size();
  }
  VReachWritePoint(VWritePoint::kBackupSync, backup);
  result = backup.Flush();
  if (result != kVOk) return result;
  *step = "EndBackup";
  if (length > 0xFFFFFFFF) return kVWriteFailed;
  uint8_t mark[4];
  VPutU32(mark, static_cast<uint32_t>(length));
  VReachWritePoint(VWritePoint::kBackupMark, backup);
  result = backup.WriteAt(0, mark, 4);
  if (result != kVOk) return result;
  VReachWritePoint(VWritePoint::kBackupSync, backup);
  result = backup.Flush();
  if (result == kVOk) result = backup.SyncDirectory();
  if (result != kVOk) return result;
  *marked = true;
  return backup.Close();
}
