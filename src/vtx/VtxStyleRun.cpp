#include "vtx/VtxStyleRun.h"

#include <algorithm>

uint64_t VtxStyleRun::TotalLength() const { return total_; }

size_t VtxStyleRun::RunAt(uint32_t offset, uint32_t* start) const {
  *start = 0;
  if (runs_.empty()) return 0;
  if (offset >= total_) {
    *start = static_cast<uint32_t>(total_ - runs_.back().length);
    return runs_.size() - 1;
  }
  uint64_t at = 0;
  for (size_t i = 0; i < runs_.size(); ++i) {
    if (offset < at + runs_[i].length) {
      *start = static_cast<uint32_t>(at);
      return i;
    }
    at += runs_[i].length;
  }
  return runs_.size() - 1;
}

const std::string& VtxStyleRun::StyleAt(uint32_t offset) const {
  static const std::string none;
  uint32_t start = 0;
  const size_t index = RunAt(offset, &start);
  return index < runs_.size() ? runs_[index].style : none;
}

void VtxStyleRun::MergeWithNext(size_t index) {
  if (index + 1 >= runs_.size() || runs_[index].style != runs_[index + 1].style) return;
  runs_[index].length += runs_[index + 1].length;
  runs_.erase(runs_.begin() + static_cast<std::ptrdiff_t>(index) + 1);
}

void VtxStyleRun::Insert(uint32_t offset, uint32_t length, const std::string* style) {
  if (length == 0 || offset > total_) return;
  if (runs_.empty()) {
    total_ = length;
    runs_.push_back({length, style != nullptr ? *style : std::string()});
    return;
  }
  uint32_t start = 0;
  size_t index = RunAt(offset, &start);
  total_ += length;
  if (style == nullptr) {
    // The run that ends at the offset grows (the first at offset 0).
    if (offset == start && index > 0) --index;
    runs_[index].length += length;
    return;
  }
  VtxRun& run = runs_[index];
  const uint32_t end = start + run.length;
  if (offset > start && offset < end) {
    if (run.style == *style) {
      run.length += length;
      return;
    }
    // Split: the second half keeps a copy of the style, the new bytes go between.
    VtxRun second{end - offset, run.style};
    run.length = offset - start;
    auto at = runs_.begin() + static_cast<std::ptrdiff_t>(index) + 1;
    at = runs_.insert(at, VtxRun{length, *style});
    runs_.insert(at + 1, std::move(second));
    return;
  }
  // At a boundary: offset is the start of run index, or the end of the text (end of the last run).
  const size_t left = offset == start ? index - (index > 0 ? 1 : 0) : index;
  const bool hasLeft = offset != start || index > 0;
  const size_t right = offset == start ? index : runs_.size();
  if (hasLeft && runs_[left].style == *style) {
    runs_[left].length += length;
    return;
  }
  if (right < runs_.size() && runs_[right].style == *style) {
    runs_[right].length += length;
    return;
  }
  const size_t position = hasLeft ? left + 1 : 0;
  runs_.insert(runs_.begin() + static_cast<std::ptrdiff_t>(position), VtxRun{length, *style});
}

void VtxStyleRun::Delete(uint32_t from, uint32_t to) {
  if (from > to) std::swap(from, to);
  to = static_cast<uint32_t>(std::min<uint64_t>(to, total_));
  if (from >= to) return;
  uint64_t at = 0;
  size_t i = 0;
  size_t firstTouched = runs_.size();
  while (i < runs_.size()) {
    VtxRun& run = runs_[i];
    const uint64_t start = at;
    const uint64_t end = at + run.length;
    at = end;
    if (end <= from) {
      ++i;
      continue;
    }
    if (start >= to) break;
    const uint64_t cutFrom = std::max<uint64_t>(start, from);
    const uint64_t cutTo = std::min<uint64_t>(end, to);
    run.length -= static_cast<uint32_t>(cutTo - cutFrom);
    if (firstTouched == runs_.size()) firstTouched = i;
    if (run.length == 0) {
      runs_.erase(runs_.begin() + static_cast<std::ptrdiff_t>(i));
      continue;
    }
    ++i;
  }
  total_ -= to - from;
  // The runs on both sides of the cut may now meet with the same style.
  if (firstTouched < runs_.size()) {
    if (firstTouched > 0) MergeWithNext(firstTouched - 1);
    MergeWithNext(std::min(firstTouched, runs_.size() - 1));
  }
}
