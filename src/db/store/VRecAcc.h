// Record access: records stored in the record blocks of the data file, found through the record
// map.
//
// A record block (kind 0x10) holds record entries packed from payload offset 0 in ascending record
// number, its in-use count being their total size. An entry is a u24 record number, the u16 length
// n of the body and the n bytes; the record image handed in and out is the u16 length and the
// body, so an entry is n + 5 bytes. A record never spans blocks. Every walk of a block checks its
// entries against its in-use count and the payload size: a block that breaks them reads as corrupt
// and is never changed.
#pragma once

#include <cstdint>
#include <vector>

#include "base/VBase.h"

class VCashBffr;
class VCioFsp;
class VRBCvt;

// Finds record r among the entries of a record block: 0 found (offset of its entry), 1 absent
// (offset of the insertion point), or kVRecordCorrupt.
VResult VLocateRecord(const uint8_t* payload, int32_t inUse, uint32_t r, int32_t* offset);

class VRecAcc {
 public:
  static constexpr uint8_t kRecordKind = 0x10;
  static constexpr int32_t kEntryHead = 5;

  VRecAcc(VCioFsp* data, VRBCvt* map);

  // The largest record body a file accepts plus one: (P - 5) with the low four bits cleared.
  int32_t MaxLength() const;

  // Stores the image under a new number (r receives it) or, with keepNumber, under the proposed
  // *r unless that number is mapped already. numberKept tells which happened. 0, kVEmptyImage,
  // kVNoRecordBlock, kVRecordPresent, kVRecordCorrupt or a record-map failure.
  VResult AddRecord(uint32_t* r, const uint8_t* image, bool keepNumber, bool* numberKept = nullptr);
  // Removes record r, its image copied to out when given: 0, kVDeleteNotFound, kVRecordCorrupt.
  VResult RemoveRecord(uint32_t r, std::vector<uint8_t>* out);
  // Replaces record r, the old image copied to oldOut when given; moves it to another block when
  // its own has no room: 0, kVUpdateNotFound, kVEmptyImage, kVNoRecordBlock, kVRecordCorrupt.
  VResult ReplaceRecord(uint32_t r, const uint8_t* image, std::vector<uint8_t>* oldOut);
  // Copies record r's image: 0, kVRecordNotFound, kVRecordCorrupt.
  VResult ReadRecord(uint32_t r, std::vector<uint8_t>* out);
  // Pins the block holding record r; image and length receive its image in place. The caller
  // releases the block through the data file. notFound is the code for a missing record.
  VResult PinRecord(uint32_t r, VResult notFound, VCashBffr** block, const uint8_t** image,
                    int32_t* length);

 private:
  // The record block of r, pinned, with its entry's offset: 0, notFound, kVRecordCorrupt.
  VResult Find(uint32_t r, VResult notFound, VCashBffr** block, int32_t* offset);
  bool IsRecordBlock(const VCashBffr* block) const;
  // Inserts the entry (number and image) at offset of a block that has room for it.
  void InsertEntry(VCashBffr* block, int32_t offset, uint32_t r, const uint8_t* image);
  void RemoveEntry(VCashBffr* block, int32_t offset);
  // Stores the image in a block with room: a new entry mapped to that block.
  VResult Place(uint32_t r, const uint8_t* image, VResult present);

  VCioFsp* data_;
  VRBCvt* map_;
};
