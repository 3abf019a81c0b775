#include "vtx/VtxMarkup.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "base/VSjis.h"
#include "vtx/VtxEdit.h"
#include "vtx/VtxStyleRun.h"
#include "vtx/VtxStyleStack.h"
#include "vtx/VtxTags.h"

namespace {

// Text read since the last tag, inserted in one piece when a tag or the end comes.
class PendingText {
 public:
  explicit PendingText(VtxEdit* edit) : edit_(edit) {}
  void Add(const uint8_t* bytes, size_t count) {
    text_.append(reinterpret_cast<const char*>(bytes), count);
  }
  // False when the engine refused the text (it is full).
  bool Flush() {
    if (text_.empty()) return true;
    const bool taken = edit_->InsertText(edit_->TextLength(), text_, false);
    text_.clear();
    return taken;
  }

 private:
  VtxEdit* edit_;
  std::string text_;
};

bool Kept(uint8_t b) { return b >= 0x20 || b == '\t' || b == '\r' || b == '\n'; }

}  // namespace

size_t VtxReadMarkup(const uint8_t* bytes, size_t length, VtxEdit* edit) {
  if (bytes == nullptr || edit == nullptr) return 0;
  const VtxTags& tags = VtxTags::Instance();
  PendingText pending(edit);
  const size_t depthAtStart = edit->StyleDepth();
  std::string value;
  size_t i = 0;
  while (i < length) {
    const uint8_t b = bytes[i];
    if (b != '<') {
      if (VIsLeadByte(b)) {
        // A lead byte without its second byte at the very end is no character.
        if (i + 1 < length) pending.Add(bytes + i, 2);
        i += 2;
      } else {
        if (Kept(b)) pending.Add(bytes + i, 1);
        ++i;
      }
      continue;
    }
    const size_t window = std::min(length - i - 1, kVtxMaxTagText + 1);
    const void* close = std::memchr(bytes + i + 1, '>', window);
    if (close == nullptr) break;
    const size_t end = static_cast<size_t>(static_cast<const uint8_t*>(close) - bytes);
    const std::string_view tagText(reinterpret_cast<const char*>(bytes + i + 1), end - i - 1);
    if (tagText.size() > kVtxMaxTagText) break;
    if (!pending.Flush()) return i;
    if (VtxParseTagText(tagText).closing) {
      if (edit->StyleDepth() <= depthAtStart) break;
      edit->PopStyle();
      i = end + 1;
      continue;
    }
    int16_t kind = 0;
    const int match = tags.Match(tagText, &kind, &value);
    if (match == kVtxOpening) {
      edit->PushStyle(kind, value);
    } else if (match == kVtxEmpty) {
      pending.Add(reinterpret_cast<const uint8_t*>("\r"), 1);
    } else {
      break;
    }
    i = end + 1;
  }
  if (!pending.Flush()) return i;
  return std::min(i, length);
}

void VtxWriteMarkup(std::string_view text, const VtxStyleRun& runs, std::string* out) {
  const VtxTags& tags = VtxTags::Instance();
  const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
  size_t pos = 0;
  std::vector<int16_t> kinds;
  for (const VtxRun& run : runs.Runs()) {
    const size_t end = std::min(text.size(), pos + run.length);
    if (end <= pos) continue;
    kinds.clear();
    size_t at = 0;
    int16_t kind = 0;
    std::string_view value;
    while (VtxNextEntry(run.style, &at, &kind, &value)) {
      tags.WriteOpen(kind, value, out);
      kinds.push_back(kind);
    }
    while (pos < end) {
      const size_t step = VCharLength(bytes, end, pos);
      if (step == 1 && bytes[pos] == '\r') {
        out->append("<BR/>");
      } else {
        out->append(text.substr(pos, step));
      }
      pos += step;
    }
    for (auto k = kinds.rbegin(); k != kinds.rend(); ++k) tags.WriteClose(*k, out);
  }
}
