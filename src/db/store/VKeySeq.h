// VKeySeq: a key sequence, the entries of one key read in order one command at a time, kept among
// the user's sets.
//
// Between reads the sequence holds no block: other commands may change or free any node of the
// tree meanwhile. It remembers the next entry by its key and first record number instead and finds
// it again by a search at each read, so entries inserted or deleted between reads are met or
// skipped as their place in the order says, and the walk never stands in a node that changed.
#pragma once

#include <cstdint>
#include <vector>

#include "db/store/VKeyAcc.h"
#include "db/store/VSetObj.h"

class VKeyObject;

class VKeySeq : public VKeyAcc, public VSetObj {
 public:
  // A sequence over the tree of an open key of the record file owner.
  VKeySeq(const VKeyObject& key, const void* owner);

  int32_t Kind() const override { return kKeySequence; }
  const void* Owner() const { return owner_; }
  // The serial number of the key object it was opened on.
  uint64_t KeySerial() const { return keySerial_; }

  // Positions at the first entry whose key is not below value (a stored key value, compared as it
  // is), or at the first entry when value is null: 0, kVEnd when there is none, kVBrokenTree.
  VResult Locate(const uint8_t* value);
  // The entry at the position (its stored key value and its record numbers), then moves on: 0,
  // kVEnd past the last entry, kVBrokenTree.
  VResult Read(std::vector<uint8_t>* key, std::vector<uint32_t>* records);

 private:
  VResult Remember(VResult found);

  const void* owner_;
  uint64_t keySerial_;
  std::vector<uint8_t> nextKey_;
  uint32_t nextRecord_ = 0;
  bool atEnd_ = true;
  bool broken_ = false;
};
