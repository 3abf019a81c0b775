// The selection of a styled text: two byte offsets, where the selection was begun (start) and
// where it ends now (end, the caret). They are equal when nothing is selected; start may lie after
// end when the selection was made backwards.
#pragma once

#include <algorithm>
#include <cstdint>

class VtxCursor {
 public:
  uint32_t Start() const { return start_; }
  uint32_t End() const { return end_; }
  uint32_t Low() const { return std::min(start_, end_); }
  uint32_t High() const { return std::max(start_, end_); }
  bool IsEmpty() const { return start_ == end_; }
  uint32_t Length() const { return High() - Low(); }
  void Set(uint32_t start, uint32_t end) {
    start_ = start;
    end_ = end;
  }
  void Collapse(uint32_t at) { Set(at, at); }

 private:
  uint32_t start_ = 0;
  uint32_t end_ = 0;
};
