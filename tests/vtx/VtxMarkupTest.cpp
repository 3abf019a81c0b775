// The styled-text markup: the tags and their matching, the style-entry bytes, reading markup into
// the engine and writing it back, round trips over random styled texts, and the reader under
// random and mutated input.
#include "vtx/VtxMarkup.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "Sjis.h"
#include "gt/OGTGraphics.h"
#include "vtx/VtxEdit.h"
#include "vtx/VtxStyleRun.h"
#include "vtx/VtxStyleStack.h"
#include "vtx/VtxTags.h"

namespace {

std::string Entry(int16_t kind, const std::string& value) {
  std::string style;
  VtxAppendEntry(&style, kind, value);
  return style;
}

struct Read {
  std::string text;
  std::vector<VtxRun> runs;
  size_t consumed = 0;
};

Read ReadOf(const std::string& markup) {
  VtxEdit edit;
  Read read;
  read.consumed = edit.SetMarkup(reinterpret_cast<const uint8_t*>(markup.data()), markup.size());
  read.text = edit.Text();
  read.runs = edit.Runs().Runs();
  return read;
}

std::string Write(const Read& read) {
  VtxStyleRun runs;
  uint32_t at = 0;
  for (const VtxRun& run : read.runs) {
    runs.Insert(at, run.length, &run.style);
    at += run.length;
  }
  std::string out;
  VtxWriteMarkup(read.text, runs, &out);
  return out;
}

void ExpectSameRuns(const std::vector<VtxRun>& a, const std::vector<VtxRun>& b,
                    const std::string& context) {
  ASSERT_EQ(a.size(), b.size()) << context;
  for (size_t i = 0; i < a.size(); ++i) {
    EXPECT_EQ(a[i].length, b[i].length) << context << " run " << i;
    EXPECT_EQ(a[i].style, b[i].style) << context << " run " << i;
  }
}

// Reading what was written gives the same text and runs.
void ExpectRoundTrip(const Read& first, const std::string& context) {
  const std::string written = Write(first);
  const Read second = ReadOf(written);
  EXPECT_EQ(second.consumed, written.size()) << context << " written: " << written;
  EXPECT_EQ(second.text, first.text) << context << " written: " << written;
  ExpectSameRuns(second.runs, first.runs, context + " written: " + written);
}

TEST(VtxTagsTest, TheRegistryHoldsEveryTagInMatchingOrder) {
  const VtxTags& tags = VtxTags::Instance();
  const std::vector<std::pair<int16_t, std::string>> expected = {
      {1, "SIZE"}, {2, "COLOR"}, {3, "FACE"}, {4, "REF"},    {5, "B"},   {6, "I"}, {7, "U"},
      {8, "S"},    {9, "SUP"},   {10, "SUB"}, {11, "IMAGE"}, {12, "BR"}, {31, ""}};
  ASSERT_EQ(tags.Count(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(tags.At(i).Kind(), expected[i].first);
    EXPECT_EQ(tags.At(i).Name(), expected[i].second);
  }
  // Released, the registry is made again on the next use.
  VtxTags::Release();
  EXPECT_EQ(VtxTags::Instance().Count(), expected.size());
}

TEST(VtxTagsTest, NamesMatchWholeAndWithoutLetterCase) {
  const VtxTags& tags = VtxTags::Instance();
  int16_t kind = 0;
  std::string value;
  EXPECT_EQ(tags.Match("b", &kind, &value), kVtxOpening);
  EXPECT_EQ(kind, kVtxTagBold);
  EXPECT_EQ(tags.Match("/B", &kind, &value), kVtxClosing);
  EXPECT_EQ(tags.Match("  Sup ", &kind, &value), kVtxOpening);
  EXPECT_EQ(kind, kVtxTagSUP);
  // "B" does not take "BR", nor "S" "SUB": each name must have the same length.
  EXPECT_EQ(tags.Match("br/", &kind, &value), kVtxEmpty);
  EXPECT_EQ(kind, kVtxTagBreak);
  EXPECT_EQ(tags.Match("sub", &kind, &value), kVtxOpening);
  EXPECT_EQ(kind, kVtxTagSUB);
  // Any other name is an unknown tag, without a value.
  EXPECT_EQ(tags.Match("BOLD", &kind, &value), kVtxOpening);
  EXPECT_EQ(kind, kVtxTagUnknown);
  EXPECT_EQ(tags.Match("P/", &kind, &value), kVtxEmpty);
  EXPECT_EQ(tags.Match("/P", &kind, &value), kVtxClosing);
  EXPECT_EQ(tags.Match("FONT size=3", &kind, &value), kVtxNoMatch);
  EXPECT_EQ(tags.Match("", &kind, &value), kVtxNoMatch);
  EXPECT_EQ(tags.Match("  ", &kind, &value), kVtxNoMatch);
}

TEST(VtxTagsTest, ValuesAreQuotedEitherWayOrBare) {
  const VtxTags& tags = VtxTags::Instance();
  int16_t kind = 0;
  std::string value;
  EXPECT_EQ(tags.Match("COLOR \"red\"", &kind, &value), kVtxOpening);
  EXPECT_EQ(value, "red");
  EXPECT_EQ(tags.Match("color 'dark red'", &kind, &value), kVtxOpening);
  EXPECT_EQ(value, "dark red");
  EXPECT_EQ(tags.Match("COLOR   red  trailing", &kind, &value), kVtxOpening);
  EXPECT_EQ(value, "red");
  EXPECT_EQ(tags.Match("SIZE \"\"", &kind, &value), kVtxOpening);
  EXPECT_EQ(value, "");
  // A quoted value without its closing quote does not match.
  EXPECT_EQ(tags.Match("COLOR \"red", &kind, &value), kVtxNoMatch);
  EXPECT_EQ(tags.Match("COLOR 'it\"s'", &kind, &value), kVtxOpening);
  EXPECT_EQ(value, "it\"s");
}

TEST(VtxTagsTest, ValuesAreWrittenInDoubleQuotesUnlessOnlyAnotherFormKeepsThem) {
  const VtxTags& tags = VtxTags::Instance();
  std::string out;
  tags.WriteOpen(kVtxTagColor, "red", &out);
  tags.WriteOpen(kVtxTagBold, "", &out);
  tags.WriteClose(kVtxTagBold, &out);
  tags.WriteOpen(kVtxTagFace, "a\"b c", &out);
  tags.WriteOpen(kVtxTagFace, "a\"b'c", &out);
  tags.WriteOpen(kVtxTagUnknown, "", &out);
  EXPECT_EQ(out, "<COLOR \"red\"><B></B><FACE 'a\"b c'><FACE a\"b'c>");
  // A bare value as long as a tag allows would not fit in quotes: it stays bare.
  const std::string longValue(250, 'x');
  out.clear();
  tags.WriteOpen(kVtxTagColor, longValue, &out);
  EXPECT_EQ(out, "<COLOR " + longValue + ">");
}

TEST(VtxStyleTest, EntriesAreKindAndLengthLittleEndianThenTheValue) {
  EXPECT_EQ(Entry(kVtxTagColor, "red"), std::string("\x02\x00\x03\x00red", 7));
  EXPECT_EQ(Entry(kVtxTagBold, ""), std::string("\x05\x00\x00\x00", 4));
  EXPECT_EQ(Entry(0x1234, std::string(0x0102, 'v')).substr(0, 4), std::string("\x34\x12\x02\x01"));
  EXPECT_EQ(Entry(-2, "").substr(0, 2), std::string("\xFE\xFF"));

  // Walking stops at a truncated entry without reading past the style.
  const std::string style = Entry(kVtxTagSize, "20") + Entry(kVtxTagBold, "");
  size_t pos = 0;
  int16_t kind = 0;
  std::string_view value;
  ASSERT_TRUE(VtxNextEntry(style, &pos, &kind, &value));
  EXPECT_EQ(kind, kVtxTagSize);
  EXPECT_EQ(value, "20");
  ASSERT_TRUE(VtxNextEntry(style, &pos, &kind, &value));
  EXPECT_EQ(kind, kVtxTagBold);
  EXPECT_FALSE(VtxNextEntry(style, &pos, &kind, &value));
  const std::string cut = style.substr(0, 5);
  pos = 0;
  EXPECT_FALSE(VtxNextEntry(cut, &pos, &kind, &value));
  EXPECT_EQ(pos, 0u);
}

TEST(VtxStyleTest, TheStackFlattensOutermostFirstAndKeepsLevelsWithoutEffect) {
  VtxStyleStack stack;
  stack.Push(kVtxTagBold, "", true);
  stack.Push(kVtxTagUnknown, "", false);
  stack.Push(kVtxTagColor, "red", true);
  EXPECT_EQ(stack.Depth(), 3u);
  EXPECT_EQ(stack.Flatten(), Entry(kVtxTagBold, "") + Entry(kVtxTagColor, "red"));
  stack.Pop();
  stack.Pop();
  EXPECT_EQ(stack.Flatten(), Entry(kVtxTagBold, ""));
  stack.Pop();
  stack.Pop();  // nothing open: nothing happens
  EXPECT_EQ(stack.Depth(), 0u);
  EXPECT_TRUE(stack.Flatten().empty());

  // However deep the nesting, a style stays within its cap.
  for (int i = 0; i < 10000; ++i) stack.Push(kVtxTagColor, std::string(200, 'c'), true);
  EXPECT_LE(stack.Flatten().size(), kVtxMaxStyleBytes);
  EXPECT_EQ(stack.Depth(), 10000u);
}

TEST(VtxMarkupTest, TextTakesTheStyleOfTheTagsAroundIt) {
  const Read read = ReadOf("a<B>b</B>c");
  EXPECT_EQ(read.text, "abc");
  ASSERT_EQ(read.runs.size(), 3u);
  EXPECT_EQ(read.runs[0].length, 1u);
  EXPECT_EQ(read.runs[0].style, "");
  EXPECT_EQ(read.runs[1].length, 1u);
  EXPECT_EQ(read.runs[1].style, Entry(kVtxTagBold, ""));
  EXPECT_EQ(read.runs[2].length, 1u);
  EXPECT_EQ(read.runs[2].style, "");
  EXPECT_EQ(Write(read), "a<B>b</B>c");

  // A lower-case opening tag closed by an upper-case one is bold all the same.
  const Read lower = ReadOf("<b>x</B>");
  ASSERT_EQ(lower.runs.size(), 1u);
  EXPECT_EQ(lower.runs[0].style, Entry(kVtxTagBold, ""));
}

TEST(VtxMarkupTest, AClosingTagClosesWhateverIsOpen) {
  const Read read = ReadOf("<B><I>x</U>y</S>z");
  EXPECT_EQ(read.text, "xyz");
  ASSERT_EQ(read.runs.size(), 3u);
  EXPECT_EQ(read.runs[0].style, Entry(kVtxTagBold, "") + Entry(kVtxTagItalic, ""));
  EXPECT_EQ(read.runs[1].style, Entry(kVtxTagBold, ""));
  EXPECT_EQ(read.runs[2].style, "");
  EXPECT_EQ(read.consumed, 17u);
}

TEST(VtxMarkupTest, BreaksTabsAndLineFeedsAreKeptAndOtherControlBytesDropped) {
  const Read read = ReadOf(
      "a<BR/>b<br />c\td\ne\x0C"
      "f\x01g");
  // "<br />" is an opening BR tag whose value is "/": a level, not a break.
  EXPECT_EQ(read.text, "a\rbc\td\nefg");
  const Read broken = ReadOf("one<BR/>two<P/>three");
  EXPECT_EQ(broken.text, "one\rtwo\rthree");
  EXPECT_EQ(Write(broken), "one<BR/>two<BR/>three");
}

TEST(VtxMarkupTest, ColourValuesReadAlikeInEveryQuotingAndAreWrittenInDoubleQuotes) {
  const Read single = ReadOf("<COLOR 'red'>x</COLOR>");
  const Read bare = ReadOf("<color red>x</color>");
  const Read doubled = ReadOf("<COLOR \"red\">x</COLOR>");
  ExpectSameRuns(single.runs, bare.runs, "single/bare");
  ExpectSameRuns(single.runs, doubled.runs, "single/double");
  EXPECT_EQ(single.runs[0].style, Entry(kVtxTagColor, "red"));
  EXPECT_EQ(Write(single), "<COLOR \"red\">x</COLOR>");
  EXPECT_EQ(Write(bare), "<COLOR \"red\">x</COLOR>");
}

TEST(VtxMarkupTest, UnknownTagsAreLevelsWithoutStyle) {
  const Read read = ReadOf("<B>a<X>b</X>c</B>d");
  EXPECT_EQ(read.text, "abcd");
  // The unknown level keeps the enclosing style: a, b and c are one bold run.
  ASSERT_EQ(read.runs.size(), 2u);
  EXPECT_EQ(read.runs[0].length, 3u);
  EXPECT_EQ(read.runs[0].style, Entry(kVtxTagBold, ""));
  EXPECT_EQ(Write(read), "<B>abc</B>d");
}

TEST(VtxMarkupTest, ReadingEndsAtBrokenMarkupKeepingWhatWasRead) {
  EXPECT_EQ(ReadOf("ab<B").text, "ab");
  EXPECT_EQ(ReadOf("ab<FONT size=2>cd").text, "ab");
  EXPECT_EQ(ReadOf("ab</B>cd").text, "ab");
  EXPECT_EQ(ReadOf("ab<COLOR 'red>cd").text, "ab");
  const Read open = ReadOf("<B>ab");
  EXPECT_EQ(open.text, "ab");
  EXPECT_EQ(open.consumed, 5u);
  // A tag text longer than 256 bytes is no tag.
  EXPECT_EQ(ReadOf("x<COLOR '" + std::string(248, 'r') + "'>y").text, "xy");
  EXPECT_EQ(ReadOf("x<COLOR '" + std::string(260, 'r') + "'>y").text, "x");
  // ">" outside a tag is text.
  EXPECT_EQ(ReadOf("a > b").text, "a > b");
}

TEST(VtxMarkupTest, DoubleByteCharactersAreReadWhole) {
  const std::string kanji = Sj("漢字");
  const Read read = ReadOf("<B>" + kanji + "</B>" + Sj("ｱｲ"));
  EXPECT_EQ(read.text, kanji + Sj("ｱｲ"));
  ASSERT_EQ(read.runs.size(), 2u);
  EXPECT_EQ(read.runs[0].length, 4u);
  // A lead byte takes the byte after it, whatever it is; a lead byte at the very end is dropped.
  const Read odd = ReadOf(std::string("a\x82<B>b\x82", 7));
  EXPECT_EQ(odd.text, std::string("a\x82<B>b", 6));
}

TEST(VtxMarkupTest, AnInnerTagOverridesAnOuterOneOfTheSameKind) {
  VtxEdit edit;
  const std::string markup = "<COLOR red><SIZE 20>a<COLOR blue>b</COLOR></SIZE></COLOR>";
  edit.SetMarkup(reinterpret_cast<const uint8_t*>(markup.data()), markup.size());
  ASSERT_EQ(edit.Runs().Count(), 2u);
  const OGTFont a = edit.FontOf(edit.Runs().At(0).style);
  const OGTFont b = edit.FontOf(edit.Runs().At(1).style);
  EXPECT_EQ(a.Color(), colorRed);
  EXPECT_EQ(b.Color(), colorBlue);
  EXPECT_EQ(b.Size(), 20);
  // Written and read again, the nesting and so the colours stay.
  EXPECT_EQ(edit.Markup(),
            "<COLOR \"red\"><SIZE \"20\">a</SIZE></COLOR><COLOR \"red\"><SIZE \"20\"><COLOR "
            "\"blue\">b</COLOR></SIZE></COLOR>");
  ExpectRoundTrip(ReadOf(markup), "nested colours");
}

TEST(VtxMarkupTest, StylesApplyToTheFont) {
  VtxEdit edit;
  const std::string markup =
      "<SIZE 24><COLOR #00FF00><FACE sys_mincho><B><I><U><S><SUP><SUB><REF x><IMAGE y>t";
  edit.SetMarkup(reinterpret_cast<const uint8_t*>(markup.data()), markup.size());
  const OGTFont font = edit.FontOf(edit.Runs().At(0).style);
  EXPECT_EQ(font.Size(), 24);
  EXPECT_EQ(font.Color(), colorGreen);
  EXPECT_EQ(font.Face(), "sys_mincho");
  EXPECT_EQ(font.Style(), kOGTBold | kOGTItalic | kOGTUnderline | kOGTStrikeThrough |
                              kOGTSuperscript | kOGTSubscript);
  // An empty value changes nothing; a colour name folds case and width.
  OGTFont plain;
  VtxTags::Instance().Apply(kVtxTagSize, "", &plain);
  VtxTags::Instance().Apply(kVtxTagColor, Sj("ｇｒａｙ"), &plain);
  EXPECT_EQ(plain.Size(), OGTFont::kDefaultSize);
  EXPECT_EQ(plain.Color(), colorGray);
}

// ---- round trips over random styled texts ----

// Markup made from random pieces: text (letters, blanks, ">", tabs, line feeds, double-byte and
// half-width katakana characters), breaks, and nested tags of every kind with values quoted in
// every way. The text it should read as is built alongside.
class MarkupMaker {
 public:
  explicit MarkupMaker(uint32_t seed) : random_(seed) {}

  std::string Make(std::string* text) {
    markup_.clear();
    text_.clear();
    Level(0);
    *text = text_;
    return markup_;
  }

 private:
  int Pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(random_); }

  void Level(int depth) {
    const int pieces = Pick(6);
    for (int i = 0; i < pieces; ++i) {
      switch (Pick(depth < 6 ? 4 : 2)) {
        case 0:
          Text();
          break;
        case 1:
          markup_ += Pick(2) == 0 ? "<BR/>" : "<br/>";
          text_ += '\r';
          break;
        default:
          Tag(depth);
          break;
      }
    }
  }

  void Text() {
    static const std::vector<std::string> pieces = {
        "a", "Word", " ", ">", "\t", "\n", "x_1@$", Sj("漢"), Sj("あい"), Sj("ｶﾞ"), "end."};
    const int count = 1 + Pick(4);
    for (int i = 0; i < count; ++i) {
      const std::string& piece = pieces[static_cast<size_t>(Pick(static_cast<int>(pieces.size())))];
      markup_ += piece;
      text_ += piece;
    }
  }

  void Tag(int depth) {
    static const std::vector<std::string> names = {
        "SIZE", "color", "Face", "REF", "b", "I", "u", "S", "sup", "SUB", "IMAGE", "BR", "Span"};
    static const std::vector<std::string> values = {"12",         "red",     "dark red", "it's",
                                                    "say \"hi\"", "#FF00FF", Sj("明朝")};
    const std::string& name = names[static_cast<size_t>(Pick(static_cast<int>(names.size())))];
    markup_ += "<" + name;
    if (name != "Span" && Pick(2) == 0) {
      const std::string& value = values[static_cast<size_t>(Pick(static_cast<int>(values.size())))];
      if (value.find('"') != std::string::npos) {
        markup_ += " '" + value + "'";
      } else if (value.find('\'') != std::string::npos || Pick(2) == 0) {
        markup_ += " \"" + value + "\"";
      } else if (value.find(' ') == std::string::npos) {
        markup_ += " " + value;
      } else {
        markup_ += " '" + value + "'";
      }
    }
    markup_ += ">";
    Level(depth + 1);
    markup_ += Pick(3) == 0 ? "</x>" : "</" + name + ">";
  }

  std::mt19937 random_;
  std::string markup_;
  std::string text_;
};

TEST(VtxMarkupTest, RandomStyledTextsSurviveWritingAndReadingAgain) {
  for (uint32_t seed = 1; seed <= 400; ++seed) {
    MarkupMaker maker(seed);
    std::string text;
    const std::string markup = maker.Make(&text);
    const Read read = ReadOf(markup);
    ASSERT_EQ(read.consumed, markup.size()) << markup;
    ASSERT_EQ(read.text, text) << markup;
    uint64_t total = 0;
    for (size_t i = 0; i < read.runs.size(); ++i) {
      EXPECT_GT(read.runs[i].length, 0u);
      if (i > 0) {
        EXPECT_NE(read.runs[i].style, read.runs[i - 1].style) << markup;
      }
      total += read.runs[i].length;
    }
    EXPECT_EQ(total, text.size());
    ExpectRoundTrip(read, markup);
    if (HasFailure()) return;
  }
}

// ---- the reader under input anyone may have written ----

// Reads from a heap block of exactly the input's size, so that a read past it is caught.
Read ReadExact(const std::string& input) {
  std::unique_ptr<uint8_t[]> block(new uint8_t[input.size() == 0 ? 1 : input.size()]);
  std::copy(input.begin(), input.end(), block.get());
  VtxEdit edit;
  Read read;
  read.consumed = edit.SetMarkup(block.get(), input.size());
  read.text = edit.Text();
  read.runs = edit.Runs().Runs();
  return read;
}

TEST(VtxMarkupFuzzTest, RandomBytesNeverBreakTheReader) {
  std::mt19937 random(20261209);
  for (int round = 0; round < 3000; ++round) {
    std::string input(static_cast<size_t>(random() % 300), '\0');
    for (char& c : input) {
      // Markup's own bytes come often, so that tags of every shape are met.
      const uint32_t pick = random() % 16;
      static const char kMarkupBytes[] = "<>/'\" BbRrIi";
      c = pick < 6 ? kMarkupBytes[random() % (sizeof kMarkupBytes - 1)]
                   : static_cast<char>(random() & 0xFF);
    }
    const Read read = ReadExact(input);
    ASSERT_LE(read.consumed, input.size());
    ExpectRoundTrip(read, "round " + std::to_string(round));
    if (HasFailure()) return;
  }
}

TEST(VtxMarkupFuzzTest, MutatedMarkupNeverBreaksTheReader) {
  std::mt19937 random(77);
  for (uint32_t seed = 1; seed <= 300; ++seed) {
    MarkupMaker maker(seed);
    std::string text;
    std::string markup = maker.Make(&text);
    for (int mutation = 0; mutation < 8; ++mutation) {
      if (markup.empty()) break;
      const size_t at = random() % markup.size();
      switch (random() % 4) {
        case 0:
          markup[at] = static_cast<char>(random() & 0xFF);
          break;
        case 1:
          markup.erase(at, 1 + random() % 5);
          break;
        case 2:
          markup.insert(at, 1, "<>/\"'\x82"[random() % 6]);
          break;
        default:
          markup.resize(at);
          break;
      }
      const Read read = ReadExact(markup);
      ASSERT_LE(read.consumed, markup.size());
      ExpectRoundTrip(read, "seed " + std::to_string(seed));
      if (HasFailure()) return;
    }
  }
}

TEST(VtxMarkupFuzzTest, DeepNestingIsReadWithoutRecursionAndInLinearTime) {
  std::string markup;
  for (int i = 0; i < 100000; ++i) markup += i % 2 == 0 ? "<B>x" : "<COLOR 'abcdefgh'>y";
  const auto start = std::chrono::steady_clock::now();
  const Read read = ReadExact(markup);
  const auto elapsed = std::chrono::steady_clock::now() - start;
  EXPECT_EQ(read.consumed, markup.size());
  EXPECT_EQ(read.text.size(), 100000u);
  for (const VtxRun& run : read.runs) EXPECT_LE(run.style.size(), kVtxMaxStyleBytes);
  // Generous even for the sanitizer build: a quadratic reader takes minutes here.
  EXPECT_LT(std::chrono::duration_cast<std::chrono::seconds>(elapsed).count(), 20);
  ExpectRoundTrip(read, "deep");
}

}  // namespace
