// The engine's layout: measuring, breaking the text into lines, points and offsets, and drawing.
#include <algorithm>
#include <limits>

#include "base/VSjis.h"
#include "gt/OGTContext.h"
#include "vtx/VtxEdit.h"
#include "vtx/VtxTags.h"

namespace {

// Sub- and superscript text is drawn at this size.
constexpr int16_t kScriptSize = 9;
// A tab is as wide as this many blanks.
constexpr int32_t kTabBlanks = 4;
constexpr uint32_t kNone = std::numeric_limits<uint32_t>::max();

const uint8_t* Bytes(const std::string& text) {
  return reinterpret_cast<const uint8_t*>(text.data());
}

// Letters, digits, "_", "@" and "$" make the words that wrap whole.
bool IsWordChar(uint8_t b) { return VIsAlnum(b) || b == '_' || b == '@' || b == '$'; }

bool IsLineEnd(uint8_t b) { return b == '\r' || b == '\n'; }

}  // namespace

// ---- fonts and measuring ----

void VtxEdit::SetBaseFont(const OGTFont& font) {
  if (font == baseFont_) return;
  baseFont_ = font;
  fonts_.clear();
}

OGTFont VtxEdit::FontOf(std::string_view style) const {
  OGTFont font = baseFont_;
  VtxTags::Instance().ApplyStyle(style, &font);
  return font;
}

VtxEdit::FontInfo& VtxEdit::InfoFor(const std::string& style) {
  auto found = fonts_.find(style);
  if (found != fonts_.end()) return found->second;
  FontInfo& info = fonts_[style];
  info.font = FontOf(style);
  info.measure = info.font;
  if (info.font.Style() & (kOGTSuperscript | kOGTSubscript)) info.measure.SetSize(kScriptSize);
  info.single.fill(-1);
  if (context_ != nullptr && context_->Imp() != nullptr) {
    int32_t ascent = 0;
    int32_t descent = 0;
    int32_t leading = 0;
    context_->SetFont(info.font);
    context_->FontMetrics(ascent, descent, leading);
    const int32_t height = ascent + descent + leading;
    if (height > 0 && height <= INT16_MAX) {
      info.height = static_cast<int16_t>(height);
      info.ascent = static_cast<int16_t>(std::clamp(ascent, 0, height));
    }
    info.measured = true;
  }
  return info;
}

int32_t VtxEdit::Measure(FontInfo& info, uint32_t offset, size_t length) {
  if (!info.measured) return 0;
  const auto* bytes = Bytes(text_);
  const uint8_t b = bytes[offset];
  if (length == 2) {
    const auto code = static_cast<uint16_t>((b << 8) | bytes[offset + 1]);
    auto found = info.doubles.find(code);
    if (found != info.doubles.end()) return found->second;
    context_->SetFont(info.measure);
    const int32_t width = std::max(context_->CharWidth(code), 0);
    info.doubles.emplace(code, width);
    return width;
  }
  if (IsLineEnd(b)) return 0;
  const uint8_t measured = b == '\t' ? ' ' : b;
  if (info.single[measured] < 0) {
    context_->SetFont(info.measure);
    info.single[measured] = std::max(context_->CharWidth(measured), 0);
  }
  return b == '\t' ? info.single[measured] * kTabBlanks : info.single[measured];
}

int32_t VtxEdit::AdvanceAt(uint32_t offset) const {
  return offset < advances_.size() ? advances_[offset] : 0;
}

void VtxEdit::MeasureText() {
  advances_.assign(text_.size(), 0);
  uint32_t at = 0;
  for (const VtxRun& run : runs_.Runs()) {
    FontInfo& info = InfoFor(run.style);
    const uint32_t end = std::min<uint32_t>(at + run.length, TextLength());
    while (at < end) {
      const size_t step = VCharLength(Bytes(text_), text_.size(), at);
      advances_[at] = Measure(info, at, step);
      at += static_cast<uint32_t>(step);
    }
  }
}

// ---- breaking lines ----

void VtxEdit::Layout(OGTContext* context) {
  if (context != context_) fonts_.clear();
  context_ = context;
  MeasureText();
  BreakLines();
  SetLineMetrics();
  laidOut_ = true;
  scroll_.SetY(std::clamp(scroll_.Y(), 0, MaxScroll()));
}

void VtxEdit::BreakLines() {
  lines_.clear();
  const auto* bytes = Bytes(text_);
  const uint32_t n = TextLength();
  const int64_t limit = layoutWidth_;
  uint32_t lineStart = 0;
  int64_t width = 0;
  // The word the line ends with: where it starts, and whether a double-byte character precedes it
  // (then it does not wrap as a word).
  uint32_t wordStart = kNone;
  bool wordAfterDouble = false;
  bool lastDouble = false;
  auto endLine = [&](uint32_t end) {
    lines_.push_back({lineStart, end - lineStart, 0, 0, 0});
    lineStart = end;
    width = 0;
    wordStart = kNone;
    lastDouble = false;
  };
  // Where the run of the current byte starts: a byte that does not fit as the first of its run
  // begins a new line.
  size_t run = 0;
  uint64_t runStart = 0;
  uint32_t i = 0;
  while (i < n) {
    while (run < runs_.Count() && i >= runStart + runs_.At(run).length) {
      runStart += runs_.At(run).length;
      ++run;
    }
    const uint8_t b = bytes[i];
    if (b == '\r') {
      const uint32_t end = i + 1 < n && bytes[i + 1] == '\n' ? i + 2 : i + 1;
      endLine(end);
      i = end;
      continue;
    }
    if (b == '\n') {
      endLine(i + 1);
      ++i;
      continue;
    }
    const size_t step = VCharLength(bytes, n, i);
    const int32_t w = advances_[i];
    const bool fits = width + w <= limit;
    if (step == 2) {
      if (!fits && i > lineStart) endLine(i);
      width += w;
      i += 2;
      wordStart = kNone;
      lastDouble = true;
      continue;
    }
    const bool word = IsWordChar(b);
    // A character always fits an empty line, so that every line takes at least one.
    if (fits || i == lineStart) {
      width += w;
      if (!word) {
        wordStart = kNone;
      } else if (wordStart == kNone) {
        wordStart = i;
        wordAfterDouble = lastDouble;
      }
      lastDouble = false;
      ++i;
      continue;
    }
    if (i == runStart) {
      endLine(i);
      continue;
    }
    if (wordWrap_ && word && wordStart != kNone && !wordAfterDouble && wordStart > lineStart) {
      // The word's bytes on this line go to the next one; the character is tried there again.
      const uint32_t moved = wordStart;
      endLine(moved);
      for (uint32_t k = moved; k < i; ++k) width += advances_[k];
      wordStart = moved;
      wordAfterDouble = false;
      continue;
    }
    endLine(i);
  }
  // The rest, or the empty line after a line end (or of an empty text) where the caret may stand.
  if (lineStart < n || n == 0 || IsLineEnd(bytes[n - 1])) endLine(n);
}

void VtxEdit::SetLineMetrics() {
  static const std::string kNoStyle;
  size_t run = 0;
  uint64_t runStart = 0;
  int64_t top = 0;
  for (VtxLine& line : lines_) {
    int16_t height = 0;
    int16_t ascent = 0;
    const uint64_t end = uint64_t{line.start} + std::max<uint32_t>(line.length, 1);
    while (run + 1 < runs_.Count() && runStart + runs_.At(run).length <= line.start) {
      runStart += runs_.At(run).length;
      ++run;
    }
    // Every run the line holds (an empty line: the run at its start, or the base font).
    size_t r = run;
    uint64_t rStart = runStart;
    do {
      const FontInfo& info = InfoFor(r < runs_.Count() ? runs_.At(r).style : kNoStyle);
      height = std::max(height, info.height);
      ascent = std::max(ascent, info.ascent);
      if (r >= runs_.Count()) break;
      rStart += runs_.At(r).length;
      ++r;
    } while (r < runs_.Count() && rStart < end);
    line.top = static_cast<int32_t>(std::min<int64_t>(top, INT32_MAX));
    line.height = height;
    line.ascent = ascent;
    top += height;
  }
  textHeight_ = static_cast<int32_t>(std::min<int64_t>(top, INT32_MAX));
}

int32_t VtxEdit::MaxScroll() const { return std::max(textHeight_ - view_.Height(), 0); }

bool VtxEdit::ScrollToCaret() {
  if (lines_.empty()) return false;
  const VtxLine& line = lines_[LineOf(cursor_.End())];
  int32_t y = scroll_.Y();
  if (line.top < y) {
    y = line.top;
  } else if (line.top + line.height > y + view_.Height()) {
    y = line.top + line.height - view_.Height();
  }
  y = std::clamp(y, 0, MaxScroll());
  if (y == scroll_.Y()) return false;
  scroll_.SetY(y);
  return true;
}

// ---- points and offsets ----

size_t VtxEdit::LineOf(uint32_t offset) const {
  if (lines_.empty()) return 0;
  auto after = std::upper_bound(lines_.begin(), lines_.end(), offset,
                                [](uint32_t at, const VtxLine& line) { return at < line.start; });
  if (after == lines_.begin()) return 0;
  return static_cast<size_t>(after - lines_.begin()) - 1;
}

int32_t VtxEdit::LineX(size_t line, uint32_t offset) const {
  if (line >= lines_.size()) return 0;
  int64_t x = 0;
  const uint32_t end = std::min(offset, TextLength());
  for (uint32_t i = lines_[line].start; i < end; ++i) x += advances_[i];
  return static_cast<int32_t>(std::min<int64_t>(x, INT32_MAX));
}

uint32_t VtxEdit::LineContentEnd(size_t line) const {
  const VtxLine& l = lines_[line];
  uint32_t end = l.start + l.length;
  if (end > l.start && text_[end - 1] == '\n') --end;
  if (end > l.start && text_[end - 1] == '\r') --end;
  return end;
}

uint32_t VtxEdit::OffsetInLine(size_t line, int32_t x) const {
  if (line >= lines_.size()) return TextLength();
  const uint32_t end = LineContentEnd(line);
  int64_t left = 0;
  uint32_t i = lines_[line].start;
  while (i < end) {
    const int32_t w = advances_[i];
    if (x < left + w) return i;
    left += w;
    i += static_cast<uint32_t>(VCharLength(Bytes(text_), text_.size(), i));
  }
  return end;
}

OGTPoint VtxEdit::PointOf(uint32_t offset) const {
  if (lines_.empty()) return OGTPoint(TextLeft(), TextTop());
  offset = std::min(offset, TextLength());
  const size_t line = LineOf(offset);
  const VtxLine& l = lines_[line];
  return OGTPoint(TextLeft() + LineX(line, offset), TextTop() + l.top + l.height - 1);
}

uint32_t VtxEdit::OffsetAt(const OGTPoint& point) const {
  if (lines_.empty()) return TextLength();
  const int64_t y = int64_t{point.Y()} - TextTop();
  size_t line = 0;
  if (y >= 0) {
    auto after = std::upper_bound(lines_.begin(), lines_.end(), y,
                                  [](int64_t at, const VtxLine& l) { return at < l.top; });
    line = static_cast<size_t>(after - lines_.begin()) - 1;
    const VtxLine& l = lines_[line];
    if (y >= int64_t{l.top} + l.height) return TextLength();
  }
  const int64_t x = int64_t{point.X()} - TextLeft();
  return OffsetInLine(line, static_cast<int32_t>(std::clamp<int64_t>(x, INT32_MIN, INT32_MAX)));
}

// ---- drawing ----

void VtxEdit::Draw(OGTContext* context, bool caret) {
  if (context == nullptr) return;
  if (!laidOut_) Layout(context_);
  OGTClipScope clip(context);
  if (!clip.ClipTo(view_)) return;
  for (const VtxLine& line : lines_) {
    const int64_t top = int64_t{TextTop()} + line.top;
    if (top + line.height <= view_.Top()) continue;
    if (top >= view_.Bottom()) break;
    DrawLine(context, line);
  }
  if (caret && cursor_.IsEmpty() && !lines_.empty()) {
    const VtxLine& line = lines_[LineOf(cursor_.End())];
    const OGTPoint at = PointOf(cursor_.End());
    context->SetPenColor(colorBlack);
    context->DrawLine(OGTPoint(at.X(), at.Y() - line.height + 1), at);
  }
}

void VtxEdit::DrawLine(OGTContext* context, const VtxLine& line) {
  // The line in pieces of one run, one highlight and no tab.
  struct Piece {
    uint32_t start;
    uint32_t end;
    int32_t x;
    int32_t width;
    const std::string* style;
    bool selected;
    bool marked;
    bool tab;
  };
  std::vector<Piece> pieces;
  const size_t lineIndex = static_cast<size_t>(&line - lines_.data());
  const uint32_t end = LineContentEnd(lineIndex);
  uint32_t runStart = 0;
  size_t run = runs_.RunAt(line.start, &runStart);
  uint64_t runEnd = run < runs_.Count() ? uint64_t{runStart} + runs_.At(run).length : 0;
  int32_t x = TextLeft();
  for (uint32_t i = line.start; i < end;) {
    while (run + 1 < runs_.Count() && i >= runEnd) {
      ++run;
      runEnd += runs_.At(run).length;
    }
    const uint32_t next = i + static_cast<uint32_t>(VCharLength(Bytes(text_), text_.size(), i));
    const bool selected = i >= cursor_.Low() && i < cursor_.High();
    const bool marked = i < marked_.size() && marked_[i] != 0;
    const bool tab = text_[i] == '\t';
    const std::string* style = run < runs_.Count() ? &runs_.At(run).style : nullptr;
    Piece* last = pieces.empty() ? nullptr : &pieces.back();
    if (last != nullptr && last->style == style && last->selected == selected &&
        last->marked == marked && !last->tab && !tab) {
      last->end = next;
      last->width += advances_[i];
    } else {
      pieces.push_back({i, next, x, advances_[i], style, selected, marked, tab});
    }
    x += advances_[i];
    i = next;
  }
  const int32_t top = TextTop() + line.top;
  for (const Piece& piece : pieces) {
    if (!piece.selected && !piece.marked) continue;
    context->SetFillColor(piece.selected ? kSelectionColor : kMarkColor);
    context->FillRect(OGTRect(top, piece.x, top + line.height, piece.x + piece.width));
  }
  static const std::string kNoStyle;
  for (const Piece& piece : pieces) {
    if (piece.tab) continue;
    context->SetFont(InfoFor(piece.style != nullptr ? *piece.style : kNoStyle).font);
    context->DrawText(text_.data() + piece.start, piece.end - piece.start,
                      OGTPoint(piece.x, top + line.ascent));
  }
}
