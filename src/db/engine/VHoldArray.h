// VHoldArray: the records a user holds, as a sorted array of (file number, record number) pairs
// without duplicates. A hold is 8 bytes: the file number in the high word, the record number in
// the low one, so the array sorts by file and then by record.
#pragma once

#include <cstdint>
#include <vector>

class VHoldArray {
 public:
  // Adds the pair once; false when it was already there.
  bool Add(int32_t fileNumber, uint32_t record);
  bool Contains(int32_t fileNumber, uint32_t record) const;
  bool Remove(int32_t fileNumber, uint32_t record);
  void Clear() { holds_.clear(); }
  int32_t Count() const { return static_cast<int32_t>(holds_.size()); }
  // The pair at a position in the order.
  int32_t FileAt(int32_t index) const;
  uint32_t RecordAt(int32_t index) const;

 private:
  static uint64_t Pack(int32_t fileNumber, uint32_t record) {
    return static_cast<uint64_t>(static_cast<uint32_t>(fileNumber)) << 32 | record;
  }

  std::vector<uint64_t> holds_;
};
