// VKeyObject: an open key (or a key's reverse tree) of an open record file, kept in the file's key
// list. Each object made in the process has its own serial number, so that a key sequence can tell
// whether the key it was opened on is still the one open under its number.
#pragma once

#include <cstdint>

#include "base/VObj.h"
#include "db/store/VKeyAcc.h"

class VKeyObject : public VKeyAcc, public VObj {
 public:
  // root 0: a tree whose root CreateRoot allocates.
  VKeyObject(VCioMap* index, uint8_t keyNumber, uint16_t attributes, uint32_t root,
             bool reversed = false);

  uint64_t Serial() const { return serial_; }

 private:
  uint64_t serial_;
};
