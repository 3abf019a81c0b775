// The style runs of a styled text: stretches of the text, in order, each with its style bytes (see
// VtxStyleStack.h).
//
// Invariants after every operation: the run lengths add up to the text length, no run is empty,
// and two neighbouring runs never have the same style (such runs are one run), so that a text has
// exactly one set of runs for the styles of its bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct VtxRun {
  uint32_t length = 0;
  std::string style;
};

class VtxStyleRun {
 public:
  size_t Count() const { return runs_.size(); }
  const VtxRun& At(size_t index) const { return runs_[index]; }
  const std::vector<VtxRun>& Runs() const { return runs_; }
  uint64_t TotalLength() const;
  void Clear() { runs_.clear(); }

  // Makes room for length new bytes at offset (within 0 .. total). With a style, the new bytes get
  // exactly that style: they join a run of that style that contains or touches the offset, or a
  // new run is made there (splitting the run that contains the offset). Without one they join the
  // run that ends at the offset (the first run at offset 0); a text without runs gets a first run
  // without style.
  void Insert(uint32_t offset, uint32_t length, const std::string* style);
  // Takes the bytes from .. to (ordered, within the total) out of the runs.
  void Delete(uint32_t from, uint32_t to);
  // The run that holds the byte at offset, and where it starts; offset = total gives the last run.
  // Count() when there are no runs.
  size_t RunAt(uint32_t offset, uint32_t* start) const;
  // The style of the byte at offset (the last run's at the end); empty without runs.
  const std::string& StyleAt(uint32_t offset) const;

 private:
  // Joins the run at index with its right neighbour when they have the same style.
  void MergeWithNext(size_t index);

  std::vector<VtxRun> runs_;
  // Total length, kept so that appending at the end finds its run at once.
  uint64_t total_ = 0;
};
