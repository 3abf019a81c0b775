#include "db/schema/VRanges.h"

#include <algorithm>

void VRanges::AddRange(int32_t first, int32_t second) {
  ranges_.push_back({std::min(first, second), std::max(first, second)});
}

bool VRanges::Contains(int32_t number) const {
  for (const Range& range : ranges_) {
    if (number >= range.low && number <= range.high) return true;
  }
  return false;
}

std::string VRanges::Show() const {
  std::string out;
  for (const Range& range : ranges_) {
    if (!out.empty()) out += ' ';
    out += std::to_string(range.low);
    if (range.high != range.low) {
      out += " - ";
      out += std::to_string(range.high);
    }
  }
  return out;
}
