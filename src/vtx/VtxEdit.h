// The styled-text engine: text as plain Shift-JIS bytes with style runs, a selection, the lines the
// text is laid out in for a width, and the marked occurrences of words. Text comes in and goes out
// as markup (VtxMarkup.h). The item that shows it (OGTStyleEdit) gives it its view rectangle, its
// base font and a drawing context to measure and draw with.
//
// Invariants: the runs cover the text exactly (VtxStyleRun.h); every offset the engine keeps or
// answers (selection, marks, line starts, insertion and deletion points) lies on a character
// boundary, so no double-byte character is ever split; the lines cover the text in order after
// every change (a text that is empty or ends with a line end has a last, empty line).
//
// Coordinates are the window coordinates of the item: the text starts kMargin units right of the
// view's left edge at its top, moved by the scroll origin.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "gt/OGTGraphics.h"
#include "vtx/VtxCursor.h"
#include "vtx/VtxStyleRun.h"
#include "vtx/VtxStyleStack.h"

class OGTContext;

// One laid-out line: its bytes (line-end bytes included), where it lies below the text's top,
// its height and the ascent its baseline lies at.
struct VtxLine {
  uint32_t start = 0;
  uint32_t length = 0;
  int32_t top = 0;
  int16_t height = 0;
  int16_t ascent = 0;
};

class VtxEdit {
 public:
  static constexpr int32_t kMargin = 2;
  // Line metrics used when there is nothing to measure with.
  static constexpr int16_t kFallbackHeight = 15;
  static constexpr int16_t kFallbackAscent = 12;
  // The most text the engine holds; insertions beyond it are refused.
  static constexpr uint32_t kMaxText = 0x7FFFFFFF;
  static constexpr OGTColor kSelectionColor = colorSkyBlue;
  static constexpr OGTColor kMarkColor = colorYellow;

  VtxEdit();
  ~VtxEdit();
  VtxEdit(const VtxEdit&) = delete;
  VtxEdit& operator=(const VtxEdit&) = delete;

  // ---- content ----
  // Empties text, runs, lines, style stack, marks (and marked words), selection and scroll origin.
  void Clear();
  // Clears, then reads the markup; answers how many of its bytes were read before the reading
  // ended (all of them unless the markup is broken off).
  size_t SetMarkup(const uint8_t* bytes, size_t length);
  std::string Markup() const;
  const std::string& Text() const { return text_; }
  uint32_t TextLength() const { return static_cast<uint32_t>(text_.size()); }
  const VtxStyleRun& Runs() const { return runs_; }
  // The bytes between two offsets (ordered and clamped to the text).
  std::string TextRange(uint32_t from, uint32_t to) const;

  // ---- the style in force for insertions (used while markup is read); a change of it makes the
  // next insertion take it ----
  void PushStyle(int16_t kind, std::string_view value);
  void PopStyle();
  size_t StyleDepth() const { return styles_.Depth(); }

  // ---- editing ----
  // Inserts whole characters at the offset (moved back to a character boundary); false when the
  // offset lies beyond the text or the text would grow past kMaxText. If the style changed since
  // the last insertion the bytes get the style in force, else they join the run at the offset.
  // Marks are found again; with layout the lines are laid out again.
  bool InsertText(uint32_t offset, std::string_view bytes, bool layout);
  // Deletes the characters between two offsets (ordered, clamped, widened to whole characters).
  void DeleteRange(uint32_t from, uint32_t to, bool layout);
  // Typing: the selection is replaced by the bytes and the caret stands after them.
  bool ReplaceSelection(std::string_view bytes);
  // Deletes the selection, or the character before the caret; false when nothing was deleted.
  bool DeleteBackward();
  // Deletes the selection, or the character after the caret.
  bool DeleteForward();

  // ---- selection ----
  const VtxCursor& Cursor() const { return cursor_; }
  // Both offsets clamped to the text and moved back to character boundaries.
  void SetSelection(int64_t start, int64_t end);
  void SelectAll();
  uint32_t SelectionLength() const { return cursor_.Length(); }
  std::string SelectedText() const { return TextRange(cursor_.Low(), cursor_.High()); }

  // ---- word marks ----
  // Marks every occurrence of the word (letter case ignored, matches may overlap); an empty word
  // does nothing.
  void MarkWord(std::string_view word);
  void ClearWordMarks();
  size_t MarkCount() const { return marks_.size(); }
  // False outside 0 .. count - 1.
  bool GetMark(size_t index, uint32_t* start, uint32_t* end) const;
  const std::vector<std::string>& MarkedWords() const { return markedWords_; }

  // ---- layout ----
  void SetBaseFont(const OGTFont& font);
  const OGTFont& BaseFont() const { return baseFont_; }
  void SetView(const OGTRect& view) { view_ = view; }
  const OGTRect& View() const { return view_; }
  void SetLayoutWidth(int32_t width) { layoutWidth_ = width; }
  int32_t LayoutWidth() const { return layoutWidth_; }
  void SetWordWrap(bool wrap) { wordWrap_ = wrap; }
  // Measures with the context (none: every width is 0 and lines have the fallback metrics) and
  // breaks the text into lines for the layout width. The context is kept for the layouts that
  // edits make; the caller keeps it alive while the engine may use it.
  void Layout(OGTContext* context);
  const std::vector<VtxLine>& Lines() const { return lines_; }
  int32_t TextHeight() const { return textHeight_; }
  // The width measured for the character that starts at offset (0 inside a character and for line
  // ends).
  int32_t AdvanceAt(uint32_t offset) const;
  const OGTPoint& ScrollOrigin() const { return scroll_; }
  void SetScrollOrigin(const OGTPoint& origin) { scroll_ = origin; }
  // The greatest vertical scroll origin: how far the text reaches below the view.
  int32_t MaxScroll() const;
  // Scrolls the least needed to show the caret's line; answers whether the origin moved.
  bool ScrollToCaret();
  // The font a run's style gives.
  OGTFont FontOf(std::string_view style) const;

  // ---- points and offsets ----
  size_t LineOf(uint32_t offset) const;
  // x where the character at offset begins; y the lowest pixel row of its line.
  OGTPoint PointOf(uint32_t offset) const;
  // The character under the point; below the last line the end of the text; past a line's last
  // character the end of that line's characters (before its line end).
  uint32_t OffsetAt(const OGTPoint& point) const;

  // ---- caret and mouse ----
  // Arrow keys 28 to 31, with or without Shift; false when nothing moved.
  bool MoveCaret(uint16_t key, bool shift);
  // A button press at an offset; with shift the selection is extended.
  void Press(uint32_t offset, bool shift);
  // The release at an offset ends the selection there.
  void Release(uint32_t offset);

  // ---- drawing ----
  // The visible lines, with the selection and the marks highlighted and, with caret, the caret
  // when nothing is selected; drawing is clipped to the view.
  void Draw(OGTContext* context, bool caret);

 private:
  struct FontInfo {
    OGTFont font;     // drawn with (the context applies sub- and superscript)
    OGTFont measure;  // measured with (sub- and superscript text is smaller)
    int16_t ascent = kFallbackAscent;
    int16_t height = kFallbackHeight;
    std::array<int32_t, 256> single{};
    std::unordered_map<uint16_t, int32_t> doubles;
    bool measured = false;
  };

  FontInfo& InfoFor(const std::string& style);
  int32_t Measure(FontInfo& info, uint32_t offset, size_t length);
  void MeasureText();
  void BreakLines();
  void SetLineMetrics();
  void FindMarks();
  void AfterEdit(bool layout);
  uint32_t Boundary(uint32_t offset) const;
  uint32_t NextChar(uint32_t offset) const;
  uint32_t PrevChar(uint32_t offset) const;
  // x of an offset from the start of its line.
  int32_t LineX(size_t line, uint32_t offset) const;
  uint32_t OffsetInLine(size_t line, int32_t x) const;
  // The end of a line's characters, before its line end.
  uint32_t LineContentEnd(size_t line) const;
  int32_t TextLeft() const { return view_.Left() + kMargin - scroll_.X(); }
  int32_t TextTop() const { return view_.Top() - scroll_.Y(); }
  void RememberCaretX();
  void DrawLine(OGTContext* context, const VtxLine& line);

  std::string text_;
  VtxStyleRun runs_;
  VtxCursor cursor_;
  VtxStyleStack styles_;
  bool styleChanged_ = false;
  std::vector<std::string> markedWords_;
  std::vector<std::pair<uint32_t, uint32_t>> marks_;
  // One byte per text byte: 1 where a mark covers it.
  std::vector<uint8_t> marked_;
  OGTFont baseFont_;
  OGTRect view_{0, 0, 300, 200};
  OGTPoint scroll_;
  int32_t layoutWidth_ = 0;
  bool wordWrap_ = true;
  std::vector<VtxLine> lines_;
  // Whether the lines describe the text as it is (edits made without layout leave them stale).
  bool laidOut_ = false;
  int32_t textHeight_ = 0;
  // The measured width at each character's first byte.
  std::vector<int32_t> advances_;
  // The x the caret keeps through vertical moves, from the text's left edge.
  int32_t caretX_ = 0;
  OGTContext* context_ = nullptr;
  std::map<std::string, FontInfo> fonts_;
};
