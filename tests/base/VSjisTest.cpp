#include "base/VSjis.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "Sjis.h"
#include "base/VCodePage.h"
#include "base/VMessages.h"

namespace {

const uint8_t* U(const std::string& s) { return reinterpret_cast<const uint8_t*>(s.data()); }

TEST(Sjis, LeadBytesAndClasses) {
  EXPECT_FALSE(VIsLeadByte(0x80));
  EXPECT_TRUE(VIsLeadByte(0x81));
  EXPECT_TRUE(VIsLeadByte(0x9F));
  EXPECT_FALSE(VIsLeadByte(0xA0));
  EXPECT_FALSE(VIsLeadByte(0xDF));
  EXPECT_TRUE(VIsLeadByte(0xE0));
  EXPECT_TRUE(VIsLeadByte(0xFC));
  EXPECT_FALSE(VIsLeadByte(0xFD));
  EXPECT_TRUE(VIsHiragana(0x82, 0x9F));
  EXPECT_TRUE(VIsHiragana(0x82, 0xF1));
  EXPECT_FALSE(VIsHiragana(0x82, 0xF2));
  EXPECT_TRUE(VIsKatakana(0x83, 0x96));
  EXPECT_FALSE(VIsKatakana(0x83, 0x97));
}

TEST(Sjis, KanaFoldingTableEnds) {
  struct Case {
    uint8_t in, out;
  } cases[] = {{0x9F, 0x40}, {0xDD, 0x7E}, {0xDE, 0x80}, {0xF1, 0x93}};
  for (const Case& c : cases) {
    uint8_t first = 0x82, second = c.in;
    EXPECT_TRUE(VFoldKana(first, second));
    EXPECT_EQ(first, 0x83);
    EXPECT_EQ(second, c.out) << std::hex << int(c.in);
  }
  // Every hiragana folds onto the katakana of the same sound.
  std::string hira = Sj("ぁあかがさぱまゃゎをん");
  std::string kata = Sj("ァアカガサパマャヮヲン");
  for (size_t i = 0; i < hira.size(); i += 2) {
    uint8_t first = static_cast<uint8_t>(hira[i]), second = static_cast<uint8_t>(hira[i + 1]);
    VFoldKana(first, second);
    EXPECT_EQ(first, static_cast<uint8_t>(kata[i]));
    EXPECT_EQ(second, static_cast<uint8_t>(kata[i + 1])) << i;
  }
  uint8_t first = 0x83, second = 0x40;
  EXPECT_FALSE(VFoldKana(first, second));
}

TEST(Sjis, ReversalKeepsCharactersWhole) {
  std::string text = Sj("aあbい");
  std::string out(text.size(), '\0');
  VReverseChars(U(text), text.size(), reinterpret_cast<uint8_t*>(out.data()));
  EXPECT_EQ(out, Sj("いbあa"));
}

TEST(Sjis, BoundariesAndLastCharacter) {
  std::string text = Sj("aぁA");  // a 0x82 0x9F A
  EXPECT_TRUE(VIsCharBoundary(U(text), text.size(), 0));
  EXPECT_TRUE(VIsCharBoundary(U(text), text.size(), 1));
  EXPECT_FALSE(VIsCharBoundary(U(text), text.size(), 2));
  EXPECT_TRUE(VIsCharBoundary(U(text), text.size(), 3));
  EXPECT_TRUE(VIsCharBoundary(U(text), text.size(), 4));
  EXPECT_EQ(VLastCharStart(U(text), text.size()), 3u);
  // A lead byte as the last byte is a one-byte character: nothing is read past the end.
  std::string cut = "a\x82";
  EXPECT_EQ(VCharLength(U(cut), cut.size(), 1), 1u);
  EXPECT_EQ(VLastCharStart(U(cut), cut.size()), 1u);
}

TEST(Sjis, RunComparisonRules) {
  std::string a = "ab", b = "abc";
  EXPECT_LT(VCompareRuns(U(a), 2, U(b), 3, false, false), 0);
  std::string kanji = Sj("亜"), letter = "z";
  EXPECT_EQ(VCompareRuns(U(kanji), 2, U(letter), 1, false, false), 1);
  EXPECT_EQ(VCompareRuns(U(letter), 1, U(kanji), 2, false, false), -1);
  // A lead byte cut off at the end of the common length compares only its first byte.
  std::string x = "\x88", y = Sj("亜");
  EXPECT_LT(VCompareRuns(U(x), 1, U(y), 2, false, false), 0);
  std::string lower = "abc", upper = "ABD";
  EXPECT_LT(VCompareRuns(U(lower), 3, U(upper), 3, true, true), 0);
  EXPECT_GT(VCompareRuns(U(lower), 3, U(upper), 3, true, false), 0);
}

TEST(Sjis, ContainsMatchesOnlyWhereACharacterStarts) {
  size_t at = 99;
  // "ー" is 0x81 0x5B; "[" is 0x5B: its byte inside the kanji is not a match.
  const std::string text = Sj("ーア[");
  EXPECT_TRUE(
      VMatchRun(kVMatchContains, U(text), text.size(), U(std::string("[")), 1, false, false, &at));
  EXPECT_EQ(at, 4u);
  const std::string onlyInside = Sj("ー");
  EXPECT_FALSE(
      VMatchRun(kVMatchContains, U(onlyInside), 2, U(std::string("[")), 1, false, false, nullptr));
  EXPECT_TRUE(VMatchRun(kVMatchContains, U(text), text.size(), U(text), 0, false, false, &at));
  EXPECT_EQ(at, 0u);
  EXPECT_FALSE(VMatchRun(kVMatchContains, U(text), 2, U(text), 4, false, false, nullptr));

  // Random texts of single bytes and kanji whose trail bytes are also letters: the first match is
  // the first character start where the bytes agree, with and without case folding.
  std::mt19937 random(11);
  const std::string pieces[] = {"a",
                                "A",
                                "[",
                                Sj("ー"),
                                Sj("ア"),
                                "\x81"
                                "a",
                                "b"};
  for (int round = 0; round < 3000; ++round) {
    std::string hay, needle;
    for (int i = random() % 12; i > 0; --i) hay += pieces[random() % 7];
    for (int i = random() % 3; i > 0; --i) needle += pieces[random() % 7];
    if (random() % 4 == 0 && !needle.empty()) needle = needle.substr(1);  // may start mid-character
    size_t expected = std::string::npos;
    for (size_t p = 0; p + needle.size() <= hay.size(); p += VCharLength(U(hay), hay.size(), p)) {
      if (hay.compare(p, needle.size(), needle) == 0) {
        expected = p;
        break;
      }
      if (p == hay.size()) break;
    }
    size_t found = std::string::npos;
    const bool matched = VMatchRun(kVMatchContains, U(hay), hay.size(), U(needle), needle.size(),
                                   round % 2 == 0, false, &found);
    ASSERT_EQ(matched, expected != std::string::npos) << round;
    const bool starts = needle.size() <= hay.size() && hay.compare(0, needle.size(), needle) == 0;
    ASSERT_EQ(VMatchRun(kVMatchStarts, U(hay), hay.size(), U(needle), needle.size(), false, false,
                        nullptr),
              starts)
        << round;
    const size_t tail = hay.size() - needle.size();
    const bool ends = needle.size() <= hay.size() && VIsCharBoundary(U(hay), hay.size(), tail) &&
                      hay.compare(tail, needle.size(), needle) == 0;
    ASSERT_EQ(
        VMatchRun(kVMatchEnds, U(hay), hay.size(), U(needle), needle.size(), false, false, nullptr),
        ends)
        << round;
    // Folding case finds a match wherever the exact search did.
    if (matched) {
      ASSERT_EQ(found, expected) << round;
      ASSERT_TRUE(VMatchRun(kVMatchContains, U(hay), hay.size(), U(needle), needle.size(), false,
                            true, nullptr));
    }
  }
}

TEST(Sjis, NumbersAndHex) {
  EXPECT_TRUE(VIsNumber("  -12.5", 7));
  EXPECT_TRUE(VIsNumber("7", 1));
  EXPECT_TRUE(VIsNumber(".5", 2));
  EXPECT_FALSE(VIsNumber("1.2.3", 5));
  EXPECT_FALSE(VIsNumber("-", 1));
  EXPECT_FALSE(VIsNumber("12a", 3));
  EXPECT_FALSE(VIsNumber("", 0));
  char out[24];
  EXPECT_EQ(VWriteDecimal(out, -9223372036854775807LL - 1), 20);
  EXPECT_STREQ(out, "-9223372036854775808");
  VWriteDecimal(out, 0);
  EXPECT_STREQ(out, "0");
  EXPECT_EQ(VHexDigit('f'), 15);
  EXPECT_EQ(VHexDigit('B'), 11);
  EXPECT_EQ(VHexDigit('g'), 0);
  uint8_t bytes[] = {0xFF, 0xFF, 0xEF};
  EXPECT_EQ(VFirstZeroBit(bytes, 3), 19);
  EXPECT_EQ(VFirstZeroBit(bytes, 2), -1);
}

TEST(CodePage, RoundTripsJapaneseText) {
  const char* utf8 = "東京都・ﾊﾝｶｸ・～①髙\\~";
  std::string sjis = VUtf8ToSjis(utf8);
  EXPECT_EQ(static_cast<uint8_t>(sjis[0]), 0x93);
  EXPECT_EQ(static_cast<uint8_t>(sjis[1]), 0x8C);
  EXPECT_EQ(VSjisToUtf8(sjis), utf8);
  EXPECT_EQ(VSjisToUtf8(VUtf8ToSjis("")), "");
}

TEST(CodePage, BytesThatDoNotConvertAreReplaced) {
  // A lead byte at the very end, and an unassigned double-byte code.
  EXPECT_EQ(VSjisToUtf8("ab\x82"), "ab\xEF\xBF\xBD");
  EXPECT_EQ(VSjisToUtf8("\x85\x40z"), "\xEF\xBF\xBDz");
  // Characters outside code page 932 and broken UTF-8.
  EXPECT_EQ(VUtf8ToSjis("a\xF0\x9F\x98\x80"
                        "b"),
            "a?b");
  EXPECT_EQ(VUtf8ToSjis("a\xE3\x81"), "a?");
  EXPECT_EQ(VUtf8ToSjis("\xFFx"), "?x");
}

TEST(CodePage, ExactConversionsStopWhereAByteDoesNotConvert) {
  std::string out;
  size_t at = 99;
  EXPECT_TRUE(VUtf8ToSjisExact("a東京", &out, &at));
  EXPECT_EQ(out, "a\x93\x8C\x8B\x9E");
  const std::string sjis = out;
  EXPECT_TRUE(VSjisToUtf8Exact(sjis, &out, &at));
  EXPECT_EQ(out, "a東京");
  // Broken UTF-8, a character without a Shift-JIS form, a sequence cut off at the end.
  EXPECT_FALSE(VUtf8ToSjisExact("ab\x93\x8C", &out, &at));
  EXPECT_EQ(at, 2u);
  EXPECT_EQ(out, "ab");
  EXPECT_FALSE(VUtf8ToSjisExact("東\xF0\x9F\x98\x80", &out, &at));
  EXPECT_EQ(at, 3u);
  EXPECT_FALSE(VUtf8ToSjisExact("xy\xE3\x81", &out, &at));
  EXPECT_EQ(at, 2u);
  // Shift-JIS: a lone lead byte at the end, a byte that begins nothing.
  EXPECT_FALSE(VSjisToUtf8Exact("abc\x82", &out, &at));
  EXPECT_EQ(at, 3u);
  EXPECT_FALSE(VSjisToUtf8Exact("\x82\xA0\x80", &out, &at));
  EXPECT_EQ(at, 2u);
  EXPECT_TRUE(VSjisToUtf8Exact("", &out, &at));
  EXPECT_EQ(out, "");
}

TEST(Messages, TablesHoldShiftJisBytes) {
  VMessageTable table({"エラー：", "データベースを開けませんでした。"});
  EXPECT_EQ(table[0], "\x83\x47\x83\x89\x81\x5B\x81\x46");
  EXPECT_EQ(table[1].size(), 32u);
  EXPECT_EQ(table[2], "");
}

}  // namespace
