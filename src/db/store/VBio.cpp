#include "db/store/VBio.h"

#include <algorithm>
#include <vector>

#include "base/VDate.h"
#include "base/VEndian.h"
#include "base/VStream.h"
#include "db/store/VWritePoint.h"

namespace {

constexpr int kCreationOffset = 16;
constexpr int kUpdateOffset = 32;

void PutTime(uint8_t* at) {
  int32_t now[6];
  VCurrentLocalTime(now);
  for (int i = 0; i < 6; ++i) VPutU16(at + 2 * i, static_cast<uint16_t>(now[i]));
}

void GetTime(const uint8_t* at, int32_t fields[6]) {
  for (int i = 0; i < 6; ++i) fields[i] = VGetU16(at + 2 * i);
}

bool IsBlockFileHeader(const uint8_t* h) {
  return h[0] == 'D' && h[1] >= 'A' && h[1] <= 'Z' && h[2] == 1 && h[3] >= 1 && h[3] <= 127;
}

}  // namespace

VBio::VBio(std::string path, VDir* parent) : VFile(std::move(path), parent) {}

VBio::~VBio() {
  // Owners close their files and read the answer; this is the last resort.
  if (IsOpen()) (void)VBio::Close();
}

void VBio::EnsureHeader() {
  if (headerSet_) return;
  header_.fill(0);
  header_[0] = 'D';
  header_[1] = 'A';
  header_[2] = 1;
  header_[3] = 4;  // 2048 bytes
  PutTime(header_.data() + kCreationOffset);
  PutTime(header_.data() + kUpdateOffset);
  headerSet_ = true;
}

void VBio::SetBlockSize(int32_t bytes) {
  if (IsOpen()) return;  // the layout of an existing file never changes
  EnsureHeader();
  int32_t units = (std::max(bytes, 1) + 511) / 512;
  header_[3] = static_cast<uint8_t>(std::clamp(units, 1, 127));
  headerDirty_ = true;
}

uint16_t VBio::GroupCount() const { return VGetU16(header_.data() + 4); }

void VBio::SetGroupCount(uint16_t count) {
  EnsureHeader();
  VPutU16(header_.data() + 4, count);
  headerDirty_ = true;
}

void VBio::SetLayout(uint8_t letter) {
  EnsureHeader();
  header_[1] = letter;
  headerDirty_ = true;
}

void VBio::CreationTime(int32_t fields[6]) const {
  GetTime(header_.data() + kCreationOffset, fields);
}

void VBio::UpdateTime(int32_t fields[6]) const { GetTime(header_.data() + kUpdateOffset, fields); }

void VBio::SetUpdateTimeNow() {
  EnsureHeader();
  PutTime(header_.data() + kUpdateOffset);
  headerDirty_ = true;
}

void VBio::StampUpdateTime() {
  SetUpdateTimeNow();
  stamped_ = true;
}

void VBio::ForgetHeaderChanges() {
  if (!headerDirty_ || !IsOpen()) return;
  // Whatever the read gives, the header is no longer marked changed and is never written back.
  (void)ReadHeader();
  headerDirty_ = false;
}

VResult VBio::Create(bool withParents) {
  if (IsOpen()) return kVBusy;
  if (Exists()) {
    VResult removed = VFile::Remove();
    if (removed != kVOk) return removed;
  }
  EnsureHeader();
  VResult result = VFile::Create(withParents);
  if (result != kVOk) return result;
  result = VFile::Open(false);
  if (result == kVOk) {
    VReachWritePoint(VWritePoint::kHeaderWrite, *this);
    result = WriteAt(0, header_.data(), kVBioHeaderSize);
    if (result == kVOk) {
      VReachWritePoint(VWritePoint::kFileSync, *this);
      result = VFile::Flush();
    }
    VResult closed = VFile::Close();
    if (result == kVOk) result = closed;
  }
  if (result == kVOk) result = SyncDirectory();
  if (result != kVOk) {
    // A file half made is no file; the creation's failure stays the answer.
    (void)VFile::Remove();
    return result;
  }
  headerDirty_ = false;
  blocksWritten_ = false;
  return kVOk;
}

VResult VBio::ReadHeader() {
  if (!IsOpen()) return kVNotOpen;
  std::array<uint8_t, kVBioHeaderSize> read{};
  int32_t got = 0;
  VResult result = ReadSome(0, read.data(), kVBioHeaderSize, &got);
  if (result != kVOk) return result;
  if (got < kVBioHeaderSize || !IsBlockFileHeader(read.data())) return kVNotBlockFile;
  header_ = read;
  headerSet_ = true;
  headerDirty_ = false;
  return kVOk;
}

VResult VBio::Open(bool readOnly) {
  VResult result = VFile::Open(readOnly);
  if (result != kVOk) return result;
  result = ReadHeader();
  if (result != kVOk) {
    (void)VFile::Close();  // nothing was written; the header's failure is the answer
    header_.fill(0);
    headerSet_ = false;
    return result;
  }
  blocksWritten_ = false;
  knownLength_ = 0;
  reads_ = 0;
  writes_ = 0;
  return kVOk;
}

VResult VBio::WriteHeader() {
  VReachWritePoint(VWritePoint::kHeaderWrite, *this);
  VResult result = WriteAt(0, header_.data(), kVBioHeaderSize);
  if (result == kVOk) headerDirty_ = false;
  return result;
}

VResult VBio::Close() {
  if (!IsOpen()) return kVCloseNoHandle;
  VResult result = kVOk;
  if (headerDirty_ && !IsReadOnly()) result = WriteHeader();
  VResult closed = VFile::Close();
  headerSet_ = false;
  headerDirty_ = false;
  knownLength_ = 0;
  return result != kVOk ? result : closed;
}

VResult VBio::Flush() {
  if (!IsOpen()) return kVFlushNoHandle;
  if (IsReadOnly()) return kVOk;
  if (blocksWritten_ && !stamped_) SetUpdateTimeNow();
  if (headerDirty_) {
    VResult result = WriteHeader();
    if (result != kVOk) return result;
  }
  blocksWritten_ = false;
  stamped_ = false;
  VReachWritePoint(VWritePoint::kFileSync, *this);
  return VFile::Flush();
}

VResult VBio::WriteHeaderToBackup(VStream& backup, uint32_t fileKind) {
  if (!headerDirty_) return kVOk;
  VReachWritePoint(VWritePoint::kBackupEntry, *this);
  uint8_t entry[12];
  VPutU32(entry, fileKind);
  VPutU32(entry + 4, 0xFFFFFFFF);
  VPutU32(entry + 8, kVBioHeaderSize);
  if (backup.Write(entry, 12) != 12) return kVWriteFailed;
  if (backup.Write(header_.data(), kVBioHeaderSize) != kVBioHeaderSize) return kVWriteFailed;
  return kVOk;
}

VResult VBio::ReadBlock(uint32_t block, void* image) {
  ++reads_;
  return ReadAt(BlockOffset(block), image, BlockSize());
}

VResult VBio::WriteBlock(uint32_t block, const void* image) {
  VReachWritePoint(VWritePoint::kBlockWrite, *this, block);
  VResult result = WriteAt(BlockOffset(block), image, BlockSize());
  if (result == kVOk) {
    ++writes_;
    blocksWritten_ = true;
    knownLength_ = std::max(knownLength_, BlockOffset(block) + BlockSize());
  }
  return result;
}

VResult VBio::WriteBlocks(uint32_t first, std::span<const uint8_t* const> images) {
  if (images.empty()) return kVOk;
  if (VWritePointsWatched() || images.size() == 1) {
    // Block by block, so that a watcher sees each write point with the earlier blocks written.
    for (size_t i = 0; i < images.size(); ++i) {
      VResult result = WriteBlock(first + static_cast<uint32_t>(i), images[i]);
      if (result != kVOk) return result;
    }
    return kVOk;
  }
  const size_t size = static_cast<size_t>(BlockSize());
  std::vector<std::span<const uint8_t>> buffers;
  buffers.reserve(images.size());
  for (const uint8_t* image : images) buffers.emplace_back(image, size);
  VResult result = WriteGatheredAt(BlockOffset(first), buffers);
  if (result == kVOk) {
    writes_ += images.size();
    blocksWritten_ = true;
    const uint32_t last = first + static_cast<uint32_t>(images.size()) - 1;
    knownLength_ = std::max(knownLength_, BlockOffset(last) + BlockSize());
  }
  return result;
}

VResult VBio::ExtendTo(uint32_t block) {
  const int64_t needed = BlockOffset(block) + BlockSize();
  if (needed <= knownLength_) return kVOk;
  int64_t size = 0;
  VResult result = FileSize(&size);
  if (result != kVOk) return result;
  if (size < needed) {
    result = SetFileSize(needed);
    if (result != kVOk) return result;
    size = needed;
  }
  knownLength_ = size;
  return kVOk;
}
