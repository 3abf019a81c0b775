// A list of single numbers and closed ranges, kept in the order they were added. A range is stored
// with its smaller end first; a range whose ends are equal is a single number. A number is in the
// list when it equals a single entry or lies within a range, ends included.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "base/VObj.h"

class VRanges : public VObj {
 public:
  struct Range {
    int32_t low;
    int32_t high;
  };

  void Add(int32_t number) { ranges_.push_back({number, number}); }
  // The ends may come in either order.
  void AddRange(int32_t first, int32_t second);
  bool Contains(int32_t number) const;

  int32_t Count() const { return static_cast<int32_t>(ranges_.size()); }
  bool IsEmpty() const { return ranges_.empty(); }
  const Range& At(int32_t index) const { return ranges_[index]; }
  void Clear() { ranges_.clear(); }

  // "%ld" for a single number and "%ld - %ld" for a range, separated by one space.
  std::string Show() const;

 private:
  std::vector<Range> ranges_;
};
