#include "base/VString.h"

#include <gtest/gtest.h>

#include <cstring>

#include "Sjis.h"
#include "base/VBitArray.h"
#include "base/VStream.h"

namespace {

TEST(VByteArray, CapacityRules) {
  VByteArray a;
  EXPECT_EQ(a.Capacity(), 32u);
  VByteArray b(33);
  EXPECT_EQ(b.Capacity(), 64u);
  std::string text(31, 'x');
  a.Append(text.data(), 31);  // 31 bytes and the zero fit exactly
  EXPECT_EQ(a.Capacity(), 32u);
  a.AppendChar('y');  // needs 33: (31 + 1 + 32) rounded down
  EXPECT_EQ(a.Capacity(), 64u);
  EXPECT_EQ(a.Data()[a.Length()], 0);
  a.Delete(2, 28);
  EXPECT_EQ(a.Length(), 4u);
  a.Compact();
  EXPECT_EQ(a.Capacity(), 32u);
  a.Reset();
  EXPECT_EQ(a.Length(), 0u);
  EXPECT_EQ(a.Capacity(), 32u);
}

TEST(VByteArray, PositionsClampAndDeletesClip) {
  VByteArray a;
  a.AppendCString("world");
  a.InsertCString(100, "!");
  a.PrependCString("hello ");
  a.InsertChar(5, ',');
  EXPECT_STREQ(a.CString(), "hello, world!");
  a.Delete(7, 100);
  EXPECT_STREQ(a.CString(), "hello, ");
  a.DeleteTail(10);  // more than the length: ignored
  EXPECT_STREQ(a.CString(), "hello, ");
  a.DeleteTail(2);
  a.DeleteHead(1);
  EXPECT_STREQ(a.CString(), "ello");
  EXPECT_EQ(a.CharAt(99), 0);
  EXPECT_EQ(a.LastChar(), 'o');
  char out[3];
  a.CopyOut(out, sizeof out);
  EXPECT_STREQ(out, "el");
  uint8_t pascal[] = {2, 'A', 'B'};
  a.AppendPascal(pascal);
  a.PrependPascal(pascal);
  EXPECT_STREQ(a.CString(), "ABelloAB");
  a.Append(a.Data() + 2, 4);  // from its own block, across a reallocation
  EXPECT_STREQ(a.CString(), "ABelloABello");
}

TEST(VByteArray, DoubleByteDeletesTakeWholeCharacters) {
  VString s(Sj("aあいA"));  // a, 0x82 0xA0, 0x82 0xA2, A
  s.DeleteLastChar();
  EXPECT_EQ(s.ToStdString(), Sj("aあい"));
  s.DeleteLastChar();
  EXPECT_EQ(s.ToStdString(), Sj("aあ"));
  s.DeleteCharAt(1);
  EXPECT_EQ(s.ToStdString(), "a");
  VString t(Sj("いa"));
  t.DeleteFirstChar();
  EXPECT_EQ(t.ToStdString(), "a");
  // A trail byte in the lead range (ぁ is 0x82 0x9F) must not be taken for a lead byte.
  VString u(Sj("ぁA"));
  u.DeleteLastChar();
  EXPECT_EQ(u.ToStdString(), Sj("ぁ"));
  VString empty;
  empty.DeleteLastChar();
  EXPECT_EQ(empty.Length(), 0u);
}

TEST(VString, CompareIsCharacterWise) {
  EXPECT_LT(VString("ab").Compare("abc"), 0);
  EXPECT_GT(VString("abc").Compare("ab"), 0);
  EXPECT_EQ(VString("abc").CompareWith("ABC", 3, false, true), 0);
  EXPECT_NE(VString("abc").Compare("ABC"), 0);
  // A double-byte character sorts after any single byte, even one with a higher value (0xB1, a
  // half-width katakana).
  std::string kanji = Sj("亜");
  EXPECT_GT(VString(kanji).Compare("\xB1"), 0);
  EXPECT_LT(VString("\xB1").Compare(kanji.data(), 2), 0);
  // Raw comparison looks at byte values only.
  EXPECT_LT(VString(kanji).CompareWith("\xB1", 1, true, false), 0);
  // Double-byte characters are not case folded.
  EXPECT_NE(VString(Sj("ａ")).CompareWith(Sj("Ａ").data(), 2, false, true), 0);
}

TEST(VString, MatchModes) {
  VString text(Sj("東京都港区"));
  uint32_t offset = 99;
  EXPECT_TRUE(text.Match(1, VString(Sj("東京")), &offset));
  EXPECT_EQ(offset, 0u);
  EXPECT_TRUE(text.Match(2, VString(Sj("港区")), &offset));
  EXPECT_EQ(offset, 6u);
  EXPECT_TRUE(text.Match(3, VString(Sj("都港")), &offset));
  EXPECT_EQ(offset, 4u);
  EXPECT_FALSE(text.Match(4, VString(Sj("東京"))));
  // The bytes 0x8B 0x9E span the end of 東 (0x93 0x8C) ... only whole characters match: build a
  // pattern from a trail byte and the next lead byte.
  std::string raw = text.ToStdString();
  VString straddle(raw.substr(1, 2));
  EXPECT_FALSE(text.Match(3, straddle));
  EXPECT_FALSE(text.Match(2, VString(raw.substr(raw.size() - 1))));
  VString ascii("Hello World");
  EXPECT_TRUE(ascii.Match(3, VString("WORLD"), &offset, false, true));
  EXPECT_EQ(offset, 6u);
  EXPECT_FALSE(ascii.Match(3, VString("WORLD")));
}

TEST(VString, ToIntegerAndPascal) {
  EXPECT_EQ(VString("  -42abc").ToInteger(), -42);
  EXPECT_EQ(VString("abc").ToInteger(), 0);
  EXPECT_EQ(VString("").ToInteger(), 0);
  EXPECT_EQ(VString("+5").ToInteger(), 0);
  EXPECT_EQ(VString("99999999999").ToInteger(), 0x7FFFFFFF);
  std::string longText(254, 'a');
  longText += Sj("あ");  // the character straddles byte 255
  uint8_t pascal[256];
  VString(longText).CopyOutPascal(pascal);
  EXPECT_EQ(pascal[0], 254);
}

TEST(VString, TokenisingReads) {
  VString s(" alpha, 'it''s' \"tab\\there\" 12.5 -3. x");
  uint32_t at = 0;
  VString token;
  ASSERT_TRUE(s.ReadToken(at, token));
  EXPECT_EQ(token, "alpha");
  token.Reset();
  ASSERT_TRUE(s.ReadToken(at, token));
  EXPECT_EQ(token, "it's");
  token.Reset();
  ASSERT_TRUE(s.ReadToken(at, token));
  EXPECT_EQ(token, "tab\there");
  VString number;
  EXPECT_EQ(s.ReadNumber(at, number), 4);
  EXPECT_EQ(number, "12.5");
  number.Reset();
  EXPECT_EQ(s.ReadNumber(at, number), 2);
  EXPECT_EQ(number, "-3");
  uint32_t before = at;
  number.Reset();
  EXPECT_EQ(s.ReadNumber(at, number), 0);  // ". x" holds no digit
  EXPECT_EQ(at, before);
  token.Reset();
  uint32_t end = s.Length();
  EXPECT_FALSE(s.ReadToken(end, token));
}

TEST(VString, QuotedTokensKeepDoubleByteCharactersWhole) {
  // ソ is 0x83 0x5C: its trail byte is a backslash and must not start an escape.
  std::string text = "\"" + Sj("ソフト") + "\\n\"";
  VString s(text);
  uint32_t at = 0;
  VString token;
  ASSERT_TRUE(s.ReadToken(at, token));
  EXPECT_EQ(token.ToStdString(), Sj("ソフト") + "\n");
  // Unquoted: the delimiter set is custom; the trail byte 0x5C is not a delimiter.
  VString t(Sj("ソ") + "\\" + "b");
  t.SetDelimiters("\\");
  at = 0;
  token.Reset();
  ASSERT_TRUE(t.ReadToken(at, token));
  EXPECT_EQ(token.ToStdString(), Sj("ソ"));
  // Every escape of the table, and an unterminated quote that ends with the text.
  VString escapes("'\\n\\t\\v\\b\\r\\f\\a\\0\\\\\\?\\'\\\"\\q");
  at = 0;
  token.Reset();
  ASSERT_TRUE(escapes.ReadToken(at, token));
  const char expected[] = "\n\t\v\b\r\f\a\0\\?'\"q";
  ASSERT_EQ(token.Length(), sizeof expected - 1);
  EXPECT_EQ(std::memcmp(token.Data(), expected, sizeof expected - 1), 0);
  VString digits("0042x");
  at = 0;
  VString d;
  EXPECT_EQ(digits.ReadDigits(at, d, 3), 3);
  EXPECT_EQ(d, "004");
}

TEST(VBitArray, MostSignificantBitFirstAndGrowth) {
  VBitArray bits;
  EXPECT_EQ(bits.Capacity(), 8u);
  bits.SetBit(0);
  bits.SetBit(9);
  EXPECT_EQ(bits.Data()[0], 0x80);
  EXPECT_EQ(bits.Data()[1], 0x40);
  EXPECT_TRUE(bits.TestBit(9));
  EXPECT_FALSE(bits.TestBit(10));
  EXPECT_FALSE(bits.TestBit(100000));
  bits.SetBit(64);  // byte 8: ((8 + 8) / 8) * 8 = 16 bytes
  EXPECT_EQ(bits.Capacity(), 16u);
  EXPECT_EQ(bits.FirstClearBit(), 1);
  for (uint32_t i = 0; i < 72; ++i) bits.SetBit(i);
  EXPECT_EQ(bits.FirstClearBit(), -1);
  bits.ClearBit(70);
  EXPECT_EQ(bits.FirstClearBit(), 70);
  bits.Reset();
  EXPECT_FALSE(bits.TestBit(0));
  EXPECT_EQ(bits.Capacity(), 8u);
}

}  // namespace
