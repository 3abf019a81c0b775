// The styled-text engine: runs through insertions and deletions (against a model that keeps one
// style per byte), word marks, selections, line layout (against a plain reference computation),
// points and offsets, caret movement and mouse selection. Measures are the headless side's: at the
// default size a single-byte character is 5 wide and a double-byte one 10, lines 13 high; at size
// 20 they are 10, 20 and 25.
#include "vtx/VtxEdit.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "Sjis.h"
#include "base/VSjis.h"
#include "gt/OGTContext.h"
#include "gt/OGTEvent.h"
#include "gt/imp/headless/OGTHeadlessFactory.h"
#include "vtx/VtxStyleStack.h"
#include "vtx/VtxTags.h"

namespace {

std::string Entry(int16_t kind, const std::string& value = "") {
  std::string style;
  VtxAppendEntry(&style, kind, value);
  return style;
}

void Load(VtxEdit& edit, const std::string& markup) {
  edit.SetMarkup(reinterpret_cast<const uint8_t*>(markup.data()), markup.size());
}

std::vector<std::pair<uint32_t, uint32_t>> Marks(const VtxEdit& edit) {
  std::vector<std::pair<uint32_t, uint32_t>> marks;
  for (size_t i = 0; i < edit.MarkCount(); ++i) {
    uint32_t start = 0;
    uint32_t end = 0;
    EXPECT_TRUE(edit.GetMark(i, &start, &end));
    marks.emplace_back(start, end);
  }
  return marks;
}

// Character starts of a Shift-JIS text (and its length).
std::vector<uint32_t> CharStarts(const std::string& text) {
  std::vector<uint32_t> starts;
  const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
  for (size_t i = 0; i < text.size(); i += VCharLength(bytes, text.size(), i)) {
    starts.push_back(static_cast<uint32_t>(i));
  }
  starts.push_back(static_cast<uint32_t>(text.size()));
  return starts;
}

bool IsBoundary(const std::string& text, uint32_t offset) {
  for (uint32_t start : CharStarts(text)) {
    if (start == offset) return true;
  }
  return false;
}

class EditTest : public ::testing::Test {
 protected:
  EditTest() { edit_.Layout(&context_); }

  OGTHeadlessFactory factory_;
  OGTContext context_;
  VtxEdit edit_;
};

// ---- runs ----

TEST_F(EditTest, InsertingWithANewStyleSplitsTheRunAndWithoutOneJoinsIt) {
  Load(edit_, "<B>abcd</B>");
  edit_.PushStyle(kVtxTagItalic, "");
  ASSERT_TRUE(edit_.InsertText(2, "XY", true));
  ASSERT_EQ(edit_.Runs().Count(), 3u);
  EXPECT_EQ(edit_.Runs().At(0).length, 2u);
  EXPECT_EQ(edit_.Runs().At(1).length, 2u);
  EXPECT_EQ(edit_.Runs().At(1).style, Entry(kVtxTagItalic));
  EXPECT_EQ(edit_.Runs().At(2).length, 2u);
  EXPECT_EQ(edit_.Runs().At(2).style, Entry(kVtxTagBold));
  // Without a change of style, text joins the run that ends where it goes.
  ASSERT_TRUE(edit_.InsertText(4, "z", true));
  EXPECT_EQ(edit_.Runs().At(1).length, 3u);
  EXPECT_EQ(edit_.Text(), "abXYzcd");
  EXPECT_EQ(edit_.Markup(), "<B>ab</B><I>XYz</I><B>cd</B>");
  // An offset beyond the text is refused.
  EXPECT_FALSE(edit_.InsertText(100, "q", true));
}

TEST_F(EditTest, DeletingShrinksRunsDropsEmptyOnesAndJoinsEqualNeighbours) {
  Load(edit_, "a<B>bc</B>d<B>ef</B>");
  ASSERT_EQ(edit_.Runs().Count(), 4u);
  edit_.DeleteRange(4, 3, true);  // "d", given backwards
  ASSERT_EQ(edit_.Runs().Count(), 2u);
  EXPECT_EQ(edit_.Runs().At(1).length, 4u);
  EXPECT_EQ(edit_.Markup(), "a<B>bcef</B>");
  edit_.DeleteRange(0, 100, true);
  EXPECT_EQ(edit_.Runs().Count(), 0u);
  EXPECT_EQ(edit_.TextLength(), 0u);
  EXPECT_EQ(edit_.Markup(), "");
}

// The model: the style of every byte. Without a change of style new bytes take the style of the
// byte before them (of the first byte at offset 0).
TEST_F(EditTest, RunsFollowRandomEditsAsAPerByteModelDoes) {
  std::mt19937 random(5);
  const std::vector<std::string> pieces = {"a", "bc", Sj("漢"), Sj("かな"), "\r", " "};
  std::string text;
  std::vector<std::string> model;
  std::vector<std::string> stack;
  bool changed = false;
  for (int step = 0; step < 2000; ++step) {
    const uint32_t op = random() % 10;
    if (op < 2) {
      const int16_t kind = static_cast<int16_t>(kVtxTagBold + random() % 3);
      edit_.PushStyle(kind, "");
      stack.push_back(Entry(kind));
      changed = true;
    } else if (op < 4) {
      edit_.PopStyle();
      if (!stack.empty()) {
        stack.pop_back();
        changed = true;
      }
    } else if (op < 8) {
      const std::vector<uint32_t> starts = CharStarts(text);
      const uint32_t offset = starts[random() % starts.size()];
      const std::string& piece = pieces[random() % pieces.size()];
      ASSERT_TRUE(edit_.InsertText(offset, piece, random() % 4 == 0));
      std::string style;
      if (changed) {
        for (const std::string& entry : stack) style += entry;
      } else if (offset > 0) {
        style = model[offset - 1];
      } else if (!model.empty()) {
        style = model[0];
      }
      changed = false;
      text.insert(offset, piece);
      model.insert(model.begin() + offset, piece.size(), style);
    } else if (!text.empty()) {
      // Offsets anywhere, even inside a character: the whole characters they touch go.
      uint32_t from = static_cast<uint32_t>(random() % (text.size() + 1));
      uint32_t to = static_cast<uint32_t>(random() % (text.size() + 1));
      edit_.DeleteRange(from, to, random() % 4 == 0);
      if (from > to) std::swap(from, to);
      const std::vector<uint32_t> starts = CharStarts(text);
      uint32_t low = 0;
      uint32_t high = static_cast<uint32_t>(text.size());
      for (uint32_t s : starts) {
        if (s <= from) low = s;
      }
      for (auto s = starts.rbegin(); s != starts.rend(); ++s) {
        if (*s >= to) high = *s;
      }
      if (low < high && from < to) {
        text.erase(low, high - low);
        model.erase(model.begin() + low, model.begin() + high);
      }
    }
    ASSERT_EQ(edit_.Text(), text) << "step " << step;
    std::vector<std::string> expanded;
    for (size_t i = 0; i < edit_.Runs().Count(); ++i) {
      const VtxRun& run = edit_.Runs().At(i);
      ASSERT_GT(run.length, 0u);
      if (i > 0) {
        ASSERT_NE(run.style, edit_.Runs().At(i - 1).style) << "step " << step;
      }
      expanded.insert(expanded.end(), run.length, run.style);
    }
    ASSERT_EQ(expanded, model) << "step " << step;
  }
}

// ---- word marks ----

TEST_F(EditTest, WordMarksMayOverlapAndIgnoreLetterCase) {
  Load(edit_, "abab");
  edit_.MarkWord("ab");
  using Marks_ = std::vector<std::pair<uint32_t, uint32_t>>;
  EXPECT_EQ(Marks(edit_), (Marks_{{0, 2}, {2, 4}}));
  Load(edit_, "aaa");
  EXPECT_TRUE(Marks(edit_).empty());  // new markup drops the marks
  edit_.MarkWord("AA");
  EXPECT_EQ(Marks(edit_), (Marks_{{0, 2}, {1, 3}}));
  edit_.MarkWord("");
  EXPECT_EQ(edit_.MarkedWords().size(), 1u);
  // The marks follow the text as it changes.
  ASSERT_TRUE(edit_.InsertText(0, "x", true));
  EXPECT_EQ(Marks(edit_), (Marks_{{1, 3}, {2, 4}}));
  edit_.ClearWordMarks();
  EXPECT_EQ(edit_.MarkCount(), 0u);
  EXPECT_FALSE(edit_.GetMark(0, nullptr, nullptr));
}

TEST_F(EditTest, AMarkNeverStartsOrEndsInsideADoubleByteCharacter) {
  // "ア" is 0x83 0x41: its second byte is the letter "A".
  const std::string katakana = Sj("ア");
  ASSERT_EQ(katakana, "\x83\x41");
  Load(edit_, katakana + "a" + Sj("アイ") + "A");
  edit_.MarkWord("a");
  using Marks_ = std::vector<std::pair<uint32_t, uint32_t>>;
  EXPECT_EQ(Marks(edit_), (Marks_{{2, 3}, {7, 8}}));
  edit_.ClearWordMarks();
  edit_.MarkWord(Sj("アイ"));
  EXPECT_EQ(Marks(edit_), (Marks_{{3, 7}}));
  // A word ending in half a character matches nothing.
  edit_.ClearWordMarks();
  edit_.MarkWord("a\x83");
  EXPECT_TRUE(Marks(edit_).empty());
}

// ---- selection and deletion ----

TEST_F(EditTest, SelectionsAreClampedAndNeverSplitACharacter) {
  Load(edit_, "ab" + Sj("漢字") + "c");
  edit_.SetSelection(-5, 100);
  EXPECT_EQ(edit_.Cursor().Start(), 0u);
  EXPECT_EQ(edit_.Cursor().End(), 7u);
  edit_.SetSelection(5, 3);  // inside the second and the first double-byte character
  EXPECT_EQ(edit_.Cursor().Start(), 4u);
  EXPECT_EQ(edit_.Cursor().End(), 2u);
  EXPECT_EQ(edit_.SelectionLength(), 2u);
  EXPECT_EQ(edit_.SelectedText(), Sj("漢"));
  edit_.SelectAll();
  EXPECT_EQ(edit_.SelectedText(), edit_.Text());
  EXPECT_EQ(edit_.TextRange(6, 1), "b" + Sj("漢字"));
}

TEST_F(EditTest, DeletionTakesWholeCharacters) {
  Load(edit_, "a" + Sj("漢字") + "b");
  edit_.DeleteRange(2, 4, true);  // from inside 漢 to inside 字
  EXPECT_EQ(edit_.Text(), "ab");
  Load(edit_, "a" + Sj("漢"));
  edit_.SetSelection(3, 3);
  EXPECT_TRUE(edit_.DeleteBackward());
  EXPECT_EQ(edit_.Text(), "a");
  EXPECT_EQ(edit_.Cursor().End(), 1u);
  EXPECT_TRUE(edit_.DeleteBackward());
  EXPECT_FALSE(edit_.DeleteBackward());
  Load(edit_, Sj("漢") + "x");
  edit_.SetSelection(0, 0);
  EXPECT_TRUE(edit_.DeleteForward());
  EXPECT_EQ(edit_.Text(), "x");
  // Typing replaces the selection and leaves the caret after the new text.
  edit_.SelectAll();
  EXPECT_TRUE(edit_.ReplaceSelection(Sj("新しい")));
  EXPECT_EQ(edit_.Text(), Sj("新しい"));
  EXPECT_EQ(edit_.Cursor().Start(), 6u);
  EXPECT_TRUE(edit_.Cursor().IsEmpty());
}

// ---- layout ----

std::vector<std::pair<uint32_t, uint32_t>> Breaks(const VtxEdit& edit) {
  std::vector<std::pair<uint32_t, uint32_t>> lines;
  for (const VtxLine& line : edit.Lines()) lines.emplace_back(line.start, line.length);
  return lines;
}

TEST_F(EditTest, WordsWrapWholeAndEveryLineTakesACharacter) {
  edit_.SetLayoutWidth(40);  // eight letters at 5 units each
  Load(edit_, "Hello world again");
  using Lines = std::vector<std::pair<uint32_t, uint32_t>>;
  EXPECT_EQ(Breaks(edit_), (Lines{{0, 6}, {6, 6}, {12, 5}}));
  // A word longer than the line breaks where the line is full.
  Load(edit_, "abcdefghijk");
  EXPECT_EQ(Breaks(edit_), (Lines{{0, 8}, {8, 3}}));
  // A character wider than the line still gets a line of its own.
  edit_.SetLayoutWidth(3);
  Load(edit_, "ab" + Sj("漢"));
  EXPECT_EQ(Breaks(edit_), (Lines{{0, 1}, {1, 1}, {2, 2}}));
}

TEST_F(EditTest, JapaneseTextWrapsByWholeCharactersAndLineEndsBreak) {
  edit_.SetLayoutWidth(35);  // three double-byte characters
  Load(edit_, Sj("日本語の文章を") + "ab<BR/>" + Sj("次") + "\r\n" + "x");
  using Lines = std::vector<std::pair<uint32_t, uint32_t>>;
  EXPECT_EQ(Breaks(edit_), (Lines{{0, 6}, {6, 6}, {12, 5}, {17, 4}, {21, 1}}));
  // A text ending with a line end has an empty last line, for the caret.
  Load(edit_, "a<BR/>");
  EXPECT_EQ(Breaks(edit_), (Lines{{0, 2}, {2, 0}}));
  Load(edit_, "");
  EXPECT_EQ(Breaks(edit_), (Lines{{0, 0}}));
  EXPECT_EQ(edit_.TextHeight(), 13);
}

TEST_F(EditTest, LinesAreAsHighAsTheirLargestFont) {
  edit_.SetLayoutWidth(300);
  Load(edit_, "ab<SIZE 20>cd</SIZE><BR/>ef");
  ASSERT_EQ(edit_.Lines().size(), 2u);
  EXPECT_EQ(edit_.Lines()[0].height, 25);
  EXPECT_EQ(edit_.Lines()[0].ascent, 20);
  EXPECT_EQ(edit_.Lines()[1].height, 13);
  EXPECT_EQ(edit_.Lines()[1].top, 25);
  EXPECT_EQ(edit_.TextHeight(), 38);
  // Sub- and superscript text is measured at its smaller drawing size.
  Load(edit_, "a<SUP>b</SUP>" + Sj("<SUB>漢</SUB>"));
  EXPECT_EQ(edit_.AdvanceAt(0), 5);
  EXPECT_EQ(edit_.AdvanceAt(1), 4);
  EXPECT_EQ(edit_.AdvanceAt(2), 8);
}

// The rules of line breaking written out plainly: each line is grown one character at a time and
// its width summed afresh.
std::vector<std::pair<uint32_t, uint32_t>> ReferenceBreaks(const VtxEdit& edit, int32_t limit) {
  const std::string& text = edit.Text();
  const std::vector<uint32_t> starts = CharStarts(text);
  auto isStart = [&](uint32_t at) {
    return std::find(starts.begin(), starts.end(), at) != starts.end();
  };
  std::vector<bool> runStart(text.size() + 1, false);
  uint32_t at = 0;
  for (const VtxRun& run : edit.Runs().Runs()) {
    runStart[at] = true;
    at += run.length;
  }
  auto isWord = [&](uint32_t i) {
    const auto b = static_cast<uint8_t>(text[i]);
    return isStart(i) && !VIsLeadByte(b) && (VIsAlnum(b) || b == '_' || b == '@' || b == '$');
  };
  auto width = [&](uint32_t from, uint32_t to) {
    int32_t sum = 0;
    for (uint32_t i = from; i < to; ++i) sum += edit.AdvanceAt(i);
    return sum;
  };
  std::vector<std::pair<uint32_t, uint32_t>> lines;
  uint32_t lineStart = 0;
  size_t k = 0;
  while (k + 1 < starts.size()) {
    const uint32_t i = starts[k];
    const uint32_t next = starts[k + 1];
    const char c = text[i];
    if (c == '\r' || c == '\n') {
      uint32_t end = next;
      if (c == '\r' && end < text.size() && text[end] == '\n') {
        ++end;
        ++k;
      }
      lines.emplace_back(lineStart, end - lineStart);
      lineStart = end;
      ++k;
      continue;
    }
    if (i == lineStart || width(lineStart, next) <= limit) {
      ++k;
      continue;
    }
    if (next - i == 2 || runStart[i] || !isWord(i)) {
      lines.emplace_back(lineStart, i - lineStart);
      lineStart = i;
      continue;
    }
    uint32_t wordStart = i;
    while (wordStart > lineStart && isWord(wordStart - 1)) --wordStart;
    const bool afterDouble = wordStart > 0 && !isStart(wordStart - 1);
    const uint32_t cut = wordStart > lineStart && !afterDouble ? wordStart : i;
    lines.emplace_back(lineStart, cut - lineStart);
    lineStart = cut;
    k = static_cast<size_t>(std::find(starts.begin(), starts.end(), cut) - starts.begin());
  }
  if (lineStart < text.size() || text.empty() || text.back() == '\r' || text.back() == '\n') {
    lines.emplace_back(lineStart, text.size() - lineStart);
  }
  return lines;
}

TEST_F(EditTest, LayoutAgreesWithAPlainReferenceAtSeveralWidths) {
  std::mt19937 random(11);
  const std::vector<std::string> pieces = {
      "word", "a",    " ",  "  ", "x_y@z$", "12345678901234", ".",        ",",
      "\r",   "\r\n", "\n", "\t", Sj("漢"), Sj("日本語"),     Sj("ｶﾀｶﾅ"), Sj("字") + "abc"};
  const std::vector<std::string> opens = {"<SIZE 20>", "<B>", "<SUP>", "<COLOR red>"};
  for (int round = 0; round < 150; ++round) {
    std::string markup;
    int depth = 0;
    for (int p = 0; p < 25; ++p) {
      const uint32_t pick = random() % 10;
      if (pick == 0 && depth < 3) {
        markup += opens[random() % opens.size()];
        ++depth;
      } else if (pick == 1 && depth > 0) {
        markup += "</x>";
        --depth;
      } else {
        markup += pieces[random() % pieces.size()];
      }
    }
    for (int32_t limit : {0, 7, 23, 40, 61, 97, 160, 1000}) {
      edit_.SetLayoutWidth(limit);
      Load(edit_, markup);
      ASSERT_EQ(Breaks(edit_), ReferenceBreaks(edit_, limit))
          << "width " << limit << " markup " << markup;
      int32_t top = 0;
      for (const VtxLine& line : edit_.Lines()) {
        EXPECT_EQ(line.top, top);
        top += line.height;
        // No line ends inside a double-byte character.
        EXPECT_TRUE(IsBoundary(edit_.Text(), line.start));
      }
      EXPECT_EQ(edit_.TextHeight(), top);
    }
  }
}

// ---- points, offsets, caret and mouse ----

// The view starts at (0, 0), so the text starts at x = 2, y = 0.
TEST_F(EditTest, PointsAndOffsetsAnswerEachOther) {
  edit_.SetLayoutWidth(40);
  Load(edit_, "ab" + Sj("漢") + "<BR/><SIZE 20>cd</SIZE>");
  EXPECT_EQ(edit_.PointOf(0), OGTPoint(2, 12));
  EXPECT_EQ(edit_.PointOf(2), OGTPoint(12, 12));
  EXPECT_EQ(edit_.PointOf(4), OGTPoint(22, 12));  // before the line end
  EXPECT_EQ(edit_.PointOf(5), OGTPoint(2, 37));
  EXPECT_EQ(edit_.PointOf(7), OGTPoint(22, 37));
  for (uint32_t offset = 0; offset <= edit_.TextLength(); ++offset) {
    if (offset == 3) continue;  // inside 漢
    const OGTPoint point = edit_.PointOf(offset);
    if (offset == 4 || offset == 7) continue;  // ends of lines: past their last character
    EXPECT_EQ(edit_.OffsetAt(point), offset) << offset;
  }
  // Within a character its start; past the line's last character the end of its characters;
  // below the last line the end of the text.
  EXPECT_EQ(edit_.OffsetAt(OGTPoint(19, 5)), 2u);
  EXPECT_EQ(edit_.OffsetAt(OGTPoint(200, 5)), 4u);
  EXPECT_EQ(edit_.OffsetAt(OGTPoint(3, 500)), 7u);
  // The scroll origin moves the text up.
  edit_.SetScrollOrigin(OGTPoint(0, 13));
  EXPECT_EQ(edit_.PointOf(5), OGTPoint(2, 24));
  EXPECT_EQ(edit_.OffsetAt(OGTPoint(3, 1)), 5u);
}

TEST_F(EditTest, ArrowKeysMoveTheCaretByWholeCharactersAndLines) {
  edit_.SetLayoutWidth(300);
  Load(edit_, "ab" + Sj("漢") + "cd<BR/>ef<BR/>" + Sj("かなかな"));
  edit_.SetSelection(2, 2);
  EXPECT_TRUE(edit_.MoveCaret(kOGTKeyArrowRight, false));
  EXPECT_EQ(edit_.Cursor().End(), 4u);
  EXPECT_TRUE(edit_.MoveCaret(kOGTKeyArrowLeft, false));
  EXPECT_EQ(edit_.Cursor().End(), 2u);
  // Down keeps the column (x 25, before "d") where it can, and goes to the line's end where it
  // cannot.
  edit_.SetSelection(5, 5);
  EXPECT_TRUE(edit_.MoveCaret(kOGTKeyArrowDown, false));
  EXPECT_EQ(edit_.Cursor().End(), 9u);
  EXPECT_TRUE(edit_.MoveCaret(kOGTKeyArrowDown, false));
  EXPECT_EQ(edit_.Cursor().End(), 14u);  // x 25 lies in the third character (20..30)
  EXPECT_FALSE(edit_.MoveCaret(kOGTKeyArrowDown, false));
  EXPECT_TRUE(edit_.MoveCaret(kOGTKeyArrowUp, false));
  EXPECT_TRUE(edit_.MoveCaret(kOGTKeyArrowUp, false));
  EXPECT_EQ(edit_.Cursor().End(), 5u);
  EXPECT_FALSE(edit_.MoveCaret(kOGTKeyArrowUp, false));
  // At the ends of the text nothing moves.
  edit_.SetSelection(0, 0);
  EXPECT_FALSE(edit_.MoveCaret(kOGTKeyArrowLeft, false));
  edit_.SetSelection(edit_.TextLength(), edit_.TextLength());
  EXPECT_FALSE(edit_.MoveCaret(kOGTKeyArrowRight, false));
}

TEST_F(EditTest, ArrowsCollapseASelectionAndWithShiftMoveItsEnd) {
  edit_.SetLayoutWidth(300);
  Load(edit_, "abcdef<BR/>ghijkl");
  edit_.SetSelection(4, 2);
  EXPECT_TRUE(edit_.MoveCaret(kOGTKeyArrowRight, false));
  EXPECT_EQ(edit_.Cursor().Start(), 4u);
  EXPECT_TRUE(edit_.Cursor().IsEmpty());
  edit_.SetSelection(4, 2);
  EXPECT_TRUE(edit_.MoveCaret(kOGTKeyArrowLeft, false));
  EXPECT_EQ(edit_.Cursor().End(), 2u);
  EXPECT_TRUE(edit_.Cursor().IsEmpty());
  edit_.SetSelection(1, 3);
  EXPECT_TRUE(edit_.MoveCaret(kOGTKeyArrowRight, true));
  EXPECT_TRUE(edit_.MoveCaret(kOGTKeyArrowDown, true));
  EXPECT_EQ(edit_.Cursor().Start(), 1u);
  EXPECT_EQ(edit_.Cursor().End(), 11u);
  EXPECT_TRUE(edit_.MoveCaret(kOGTKeyArrowLeft, true));
  EXPECT_TRUE(edit_.MoveCaret(kOGTKeyArrowUp, true));
  EXPECT_EQ(edit_.Cursor().Start(), 1u);
  EXPECT_EQ(edit_.Cursor().End(), 3u);
}

TEST_F(EditTest, APressPlacesTheCaretAndShiftExtendsOrTurnsTheSelection) {
  edit_.SetLayoutWidth(300);
  Load(edit_, "0123456789");
  edit_.Press(5, false);
  edit_.Release(8);
  EXPECT_EQ(edit_.Cursor().Start(), 5u);
  EXPECT_EQ(edit_.Cursor().End(), 8u);
  // Beyond the start on the side away from the end: the old end becomes the start.
  edit_.Press(2, true);
  EXPECT_EQ(edit_.Cursor().Start(), 8u);
  EXPECT_EQ(edit_.Cursor().End(), 2u);
  // Now end before start; a press after the start turns it again.
  edit_.Press(9, true);
  EXPECT_EQ(edit_.Cursor().Start(), 2u);
  EXPECT_EQ(edit_.Cursor().End(), 9u);
  // Between start and end the start stays.
  edit_.Press(4, true);
  EXPECT_EQ(edit_.Cursor().Start(), 2u);
  EXPECT_EQ(edit_.Cursor().End(), 4u);
  edit_.Release(4);
  EXPECT_EQ(edit_.Cursor().End(), 4u);
}

}  // namespace
