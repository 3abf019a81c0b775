// Physical sequential reads: every record of a data file in storage order, group by group, in a
// group the record blocks in free-space-map order (entries whose kind nibble is 0x1), in a block
// the records in ascending number.
//
// The position is a group, a map entry within it and a byte offset in that record block, with the
// last record number passed there. The offset is trusted only while the block image is the one it
// was taken from; after any change to the block the read finds its place again by record number,
// so records inserted or deleted meanwhile never make it read a half entry.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "base/VBase.h"
#include "db/store/VSetObj.h"

class VCioFsp;

class VRecSeq {
 public:
  explicit VRecSeq(VCioFsp* data);
  virtual ~VRecSeq() = default;

  // Whether a record is at or after the position.
  bool HasMore();
  // The record at the position: 0, kVEnd past the last record, or an error (a read error, or
  // kVRecordCorrupt for a record block that breaks its layout).
  VResult Current(uint32_t* r, std::vector<uint8_t>* image);
  // Moves past the record at the position.
  void Next();
  // Current, then Next.
  VResult Read(uint32_t* r, std::vector<uint8_t>* image);
  // Reads every record from the position to the end, in the order of Read, without copying:
  // visit(r, image) sees each record image (u16 body length, body) where it lies in its cached
  // block, which stays pinned meanwhile; visit must not change the data file. A result of visit
  // other than 0 stops the scan and is answered; otherwise 0 at the end, or the error of Read.
  using Visit = std::function<VResult(uint32_t r, const uint8_t* image)>;
  VResult Scan(const Visit& visit);
  // Back to the start of the file.
  void Rewind();
  // Reads on through another object of the same data file (after the file was closed and opened
  // again); the position is kept and the next read finds its place by record number.
  void Rebind(VCioFsp* data);
  VCioFsp* DataFile() const { return data_; }

 private:
  // Moves onto the next record at or after the position: 0, kVEnd or an error; offset_ and
  // record_ then describe it.
  VResult Settle();
  VResult SettleInBlock(uint32_t block, bool* found);
  // Visits the records of the settled block from the position on; the position ends past them.
  VResult ScanBlock(const Visit& visit);

  VCioFsp* data_;
  uint32_t group_ = 0;
  uint32_t entry_ = 1;
  int32_t offset_ = 0;
  uint32_t passed_ = 0;  // the last record number read in the current block
  uint32_t record_ = 0;  // the record at the position, once settled
  int32_t length_ = 0;   // its entry size
  // The image the offset was taken from.
  uint32_t hintSequence_ = 0;
  uint32_t hintVersion_ = 0;
  bool hinted_ = false;
};

class VPSRead : public VRecSeq, public VSetObj {
 public:
  // fileNumber: the database file it reads, when it is kept among a user's sets.
  explicit VPSRead(VCioFsp* data, int32_t fileNumber = 0)
      : VRecSeq(data), fileNumber_(fileNumber) {}
  int32_t Kind() const override { return kPhysicalRead; }
  int32_t FileNumber() const { return fileNumber_; }

 private:
  int32_t fileNumber_;
};
