#include "db/engine/VHoldArray.h"

#include <algorithm>

bool VHoldArray::Add(int32_t fileNumber, uint32_t record) {
  const uint64_t hold = Pack(fileNumber, record);
  // Holds are mostly taken in ascending order (new records of one file): appending is the common
  // case and costs no search.
  if (holds_.empty() || holds_.back() < hold) {
    holds_.push_back(hold);
    return true;
  }
  auto at = std::lower_bound(holds_.begin(), holds_.end(), hold);
  if (at != holds_.end() && *at == hold) return false;
  holds_.insert(at, hold);
  return true;
}

bool VHoldArray::Contains(int32_t fileNumber, uint32_t record) const {
  return std::binary_search(holds_.begin(), holds_.end(), Pack(fileNumber, record));
}

bool VHoldArray::Remove(int32_t fileNumber, uint32_t record) {
  const uint64_t hold = Pack(fileNumber, record);
  auto at = std::lower_bound(holds_.begin(), holds_.end(), hold);
  if (at == holds_.end() || *at != hold) return false;
  holds_.erase(at);
  return true;
}

int32_t VHoldArray::FileAt(int32_t index) const {
  return static_cast<int32_t>(holds_[static_cast<size_t>(index)] >> 32);
}

uint32_t VHoldArray::RecordAt(int32_t index) const {
  return static_cast<uint32_t>(holds_[static_cast<size_t>(index)]);
}
