#include "db/schema/VTT.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Sjis.h"
#include "db/schema/VRanges.h"

namespace {

// Kind letters and texts of every flat position, e.g. "w:DBPATH o:= (:( s:INDEX ):)".
std::string Dump(const VTT& tokens) {
  std::string out;
  for (int32_t i = 0; i < tokens.Count(); ++i) {
    static const char kLetters[] = "?wsgeo";
    if (!out.empty()) out += ' ';
    VTTKind kind = tokens.KindAt(i);
    out += kind == kVTTGroupStart ? '(' : kind == kVTTGroupEnd ? ')' : kLetters[kind];
    out += ':';
    out += tokens.TextAt(i);
  }
  return out;
}

TEST(VTT, ConfigurationLinesCutIntoWordsStringsGroupsAndOperators) {
  VTT line(std::string_view("DBPATH     = (\"INDEX\", 'DA TA')"));
  EXPECT_EQ(Dump(line), "w:DBPATH o:= (:( s:INDEX s:DA TA ):)");
  EXPECT_EQ(line.Count(), 6);
  EXPECT_EQ(line.MatchAt(2), 5);
  EXPECT_EQ(line.MatchAt(5), 2);
  EXPECT_EQ(line.MemberCount(), 3);
  const auto* group = static_cast<const VTTGroup*>(line.Member(2));
  EXPECT_EQ(group->Count(), 4);
  EXPECT_EQ(group->MemberCount(), 2);
  EXPECT_TRUE(group->IsClosed());

  // Operators split words; a comma only separates.
  EXPECT_EQ(Dump(VTT(std::string_view("contain=(1-5,8 */x:y+2)"))),
            "w:contain o:= (:( w:1 o:- w:5 w:8 o:* o:/ w:x o:: w:y o:+ w:2 ):)");
}

TEST(VTT, NestedGroupsCountTheirBracketsAndWriteBackAsWritten) {
  VTT text(std::string_view("a [b {c \"d e\"} (f)] g"));
  EXPECT_EQ(Dump(text), "w:a (:[ w:b (:{ w:c s:d e ):} (:( w:f ):) ):] w:g");
  ASSERT_EQ(text.MemberCount(), 3);
  const VTTToken* outer = text.Member(1);
  EXPECT_EQ(outer->Kind(), kVTTGroupStart);
  EXPECT_EQ(outer->Count(), 2 + 1 + 4 + 3);
  EXPECT_EQ(outer->Text(), "b {c \"d e\"} (f)");
  std::string written;
  outer->WriteBack(&written);
  EXPECT_EQ(written, "[b {c \"d e\"} (f)]");
  written.clear();
  text.TokenAt(5)->WriteBack(&written);
  EXPECT_EQ(written, "\"d e\"");
  EXPECT_EQ(text.TokenAt(1), text.TokenAt(text.MatchAt(1)));
  EXPECT_EQ(text.MatchAt(2), -1);
  EXPECT_EQ(text.TokenAt(99), nullptr);
  EXPECT_EQ(text.KindAt(-1), 0);
}

TEST(VTT, DoubleByteCharactersAreNeverSplit) {
  // "ー" is 0x81 0x5B: its trail byte is "[" and must not open a group; "ソ" ends in 0x5C.
  std::string word = Sj("データー");
  std::string line = "NAME = " + word + " \"" + Sj("ソース]") + "\" " + Sj("ー");
  VTT tokens(line);
  ASSERT_EQ(tokens.Count(), 5);
  EXPECT_EQ(tokens.KindAt(2), kVTTWord);
  EXPECT_EQ(tokens.TextAt(2), word);
  EXPECT_EQ(tokens.KindAt(3), kVTTString);
  EXPECT_EQ(tokens.TextAt(3), Sj("ソース]"));
  EXPECT_EQ(tokens.TextAt(4), Sj("ー"));
  // A lead byte as the very last byte stays a one-byte word.
  VTT cut(std::string_view("x \x81", 3));
  EXPECT_EQ(cut.Count(), 2);
  EXPECT_EQ(cut.TextAt(1), "\x81");
}

TEST(VTT, UnbalancedInputEndsOpenTokensAtTheEnd) {
  VTT open(std::string_view("((a \"b c"));
  EXPECT_EQ(Dump(open), "(:( (:( w:a s:b c ):) ):)");
  const auto* outer = static_cast<const VTTGroup*>(open.Member(0));
  EXPECT_FALSE(outer->IsClosed());
  EXPECT_FALSE(static_cast<const VTTString*>(open.TokenAt(3))->IsClosed());
  EXPECT_EQ(outer->Count(), open.Count());

  // Closers that match nothing are skipped; a mismatched one does not end the group.
  EXPECT_EQ(Dump(VTT(std::string_view(")] x (y ] z) }"))), "w:x (:( w:y w:z ):)");

  // Deep nesting and arbitrary bytes do not exhaust anything.
  std::string deep(20000, '(');
  EXPECT_EQ(VTT(deep).Count(), 40000);
  std::string garbage;
  for (int i = 0; i < 4096; ++i) garbage.push_back(static_cast<char>((i * 131 + 7) % 256));
  VTT noise(garbage);
  int32_t starts = 0;
  int32_t ends = 0;
  for (int32_t i = 0; i < noise.Count(); ++i) {
    starts += noise.KindAt(i) == kVTTGroupStart;
    ends += noise.KindAt(i) == kVTTGroupEnd;
    ASSERT_NE(noise.TokenAt(i), nullptr);
  }
  EXPECT_EQ(starts, ends);
}

TEST(VRanges, RangesInEitherOrderAndShowing) {
  VRanges ranges;
  ranges.AddRange(9, 3);
  ranges.Add(12);
  ranges.AddRange(-4, -2);
  EXPECT_EQ(ranges.Show(), "3 - 9 12 -4 - -2");
  EXPECT_TRUE(ranges.Contains(3));
  EXPECT_TRUE(ranges.Contains(9));
  EXPECT_TRUE(ranges.Contains(12));
  EXPECT_TRUE(ranges.Contains(-3));
  EXPECT_FALSE(ranges.Contains(10));
  EXPECT_FALSE(ranges.Contains(2));
  ranges.Clear();
  ranges.AddRange(7, 7);
  EXPECT_EQ(ranges.Show(), "7");
  EXPECT_EQ(ranges.At(0).low, 7);
}

}  // namespace
