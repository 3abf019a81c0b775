// The style of a stretch of styled text, and the stack of open tags it is made from while markup is
// read.
//
// A style is a byte string of entries, each: the tag kind (16-bit signed, little-endian), the value
// length n (16-bit, little-endian), then the n value bytes without terminator; an entry is 4 + n
// bytes long. Entries are in the order of the tags that enclose the text, outermost first, so that
// applying them in order lets an inner tag override an outer one of the same kind, and writing
// them in order reproduces the nesting.
//
// The stack keeps one level per open tag. Only levels with an effect (any known tag) contribute
// entries; a tag of an unknown name is a level of its own (its closing tag must close it) that
// leaves the style as it was. A style is capped at kMaxStyleBytes: a level that would make it
// longer is kept as a level but adds nothing, so that markup of any nesting depth costs at most
// that much per run.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The longest style a run carries.
constexpr size_t kVtxMaxStyleBytes = 4096;
// Entry header: kind and value length.
constexpr size_t kVtxEntryHeader = 4;

// Appends one entry; the value is cut to 65535 bytes.
void VtxAppendEntry(std::string* style, int16_t kind, std::string_view value);

// Walks the entries of a style: reads the entry at *pos and moves *pos past it. False at the end
// of the style and for a truncated entry (nothing is read beyond the style's bytes).
bool VtxNextEntry(std::string_view style, size_t* pos, int16_t* kind, std::string_view* value);

class VtxStyleStack {
 public:
  // Opens a level. With effect, its entry joins the style when there is room for it. Answers
  // whether the style changed.
  bool Push(int16_t kind, std::string_view value, bool effect);
  // Closes the innermost level; nothing when none is open. Answers whether the style changed.
  bool Pop();
  void Clear();
  size_t Depth() const { return levels_.size(); }
  // The entries of every open level that has one, outermost first.
  const std::string& Flatten() const { return style_; }

 private:
  // Where each level's entry starts in style_, or npos for a level without one.
  std::vector<size_t> levels_;
  std::string style_;
};
