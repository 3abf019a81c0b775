// A block file: a 512-byte header followed by fixed-size blocks, block n at 512 + n * B.
//
// Header: "D", a layout letter ("A" for the current layout), 1, the block size in units of 512
// bytes (1..127), a u16 count of allocation groups, then the creation time and the time of the
// last header write after block writes, each six u16 (year, month, day, hour, minute, second, local
// time); every other byte is zero. Every integer is big-endian.
//
// Open refuses (kVNotBlockFile) a file that is shorter than a header or whose header does not have
// that form, so a foreign file is never read as blocks. While open the header image is held in
// memory; setters mark it dirty and it is written on Flush and Close.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>

#include "base/VFile.h"

class VStream;

constexpr int32_t kVBioHeaderSize = 512;
// Block numbers are stored as u24; 0 means none wherever a block number is stored.
constexpr uint32_t kVMaxBlockNumber = 0xFFFFFF;
// The header is not that of a block file.
constexpr VResult kVNotBlockFile = -35;
// A block number outside the file's allocation groups.
constexpr VResult kVBadBlockNumber = -36;

class VBio : public VFile {
 public:
  explicit VBio(std::string path, VDir* parent = nullptr);
  ~VBio() override;

  // Replaces any file of the name with a new block file holding only its header (the one set, or
  // a default: 2048-byte blocks, layout "A", the current time) and closes it again. The header and
  // the directory entry are on the disk when it answers 0; on failure no file is left behind.
  VResult Create(bool withParents) override;
  // Opens the file and reads and checks its header.
  VResult Open(bool readOnly) override;
  // Writes the header when dirty, then closes.
  VResult Close() override;
  // Stamps the update time when blocks were written since the last header write, writes the header
  // when dirty, then flushes the file's data to the disk.
  VResult Flush() override;
  // When the header is dirty appends a backup entry for it: u32 file kind, u32 0xFFFFFFFF, u32 512,
  // the 512 bytes.
  virtual VResult WriteHeaderToBackup(VStream& backup, uint32_t fileKind);

  // Reads the header again from the file (after it was written around this object, as when a
  // backup is replayed); kVNotBlockFile when it is not a block file's header.
  VResult ReadHeader();

  // Header fields. Setting any field on a file without a header first makes the default header.
  int32_t BlockSize() const { return header_[3] * 512; }
  int32_t PayloadSize() const { return BlockSize() - 4; }
  // Rounds up to a multiple of 512, clamped to 512..65024; only before Create.
  void SetBlockSize(int32_t bytes);
  uint16_t GroupCount() const;
  void SetGroupCount(uint16_t count);
  uint8_t Layout() const { return header_[1]; }
  void SetLayout(uint8_t letter);
  void CreationTime(int32_t fields[6]) const;
  void UpdateTime(int32_t fields[6]) const;
  void SetUpdateTimeNow();
  // Sets the update time now for the block writes of a flush about to start, so that the header
  // can be saved with its final time before anything is written in place; the next Flush then
  // writes the header as it is instead of stamping it again.
  void StampUpdateTime();
  const uint8_t* Header() const { return header_.data(); }
  bool IsHeaderDirty() const { return headerDirty_; }
  void MarkHeaderDirty() { headerDirty_ = true; }
  // Drops unwritten header changes: the header on disk stays as it is (closing after a failed
  // write-back must not write a header that describes blocks which were never written).
  void ForgetHeaderChanges();

  // Whole-block transfers at 512 + block * B.
  VResult ReadBlock(uint32_t block, void* image);
  VResult WriteBlock(uint32_t block, const void* image);
  // Writes images[i] to block first + i, as WriteBlock of each in turn would, in one gathered write
  // when no write point is watched.
  VResult WriteBlocks(uint32_t first, std::span<const uint8_t* const> images);
  // Raises the file length to cover the block when it is shorter.
  VResult ExtendTo(uint32_t block);
  int64_t BlockOffset(uint32_t block) const {
    return kVBioHeaderSize + static_cast<int64_t>(block) * BlockSize();
  }
  uint64_t BlockReads() const { return reads_; }
  uint64_t BlockWrites() const { return writes_; }

 protected:
  void EnsureHeader();
  VResult WriteHeader();

 private:
  std::array<uint8_t, kVBioHeaderSize> header_{};
  bool headerSet_ = false;
  bool headerDirty_ = false;
  bool blocksWritten_ = false;
  bool stamped_ = false;
  // A length the open file is known to have at least (files of blocks never shrink while open),
  // so that extending it rarely needs to ask the system.
  int64_t knownLength_ = 0;
  uint64_t reads_ = 0;
  uint64_t writes_ = 0;
};
