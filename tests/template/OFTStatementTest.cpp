#include "template/OFTStatement.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "Sjis.h"
#include "base/VStream.h"

namespace {

struct Statement {
  int kind;
  std::string name;
  std::string value;
};

std::vector<Statement> ReadAll(const std::string& text) {
  VROMStream stream(text.data(), static_cast<int64_t>(text.size()));
  std::vector<Statement> out;
  VString name;
  VString value;
  for (int guard = 0; guard < 10000; ++guard) {
    int kind = ReadStatement(stream, name, value);
    out.push_back({kind, name.ToStdString(), value.ToStdString()});
    if (kind == kOFTEndOfFile) break;
  }
  return out;
}

void ExpectStatement(const Statement& s, int kind, const std::string& name,
                     const std::string& value) {
  EXPECT_EQ(s.kind, kind) << s.name;
  EXPECT_EQ(s.name, name);
  EXPECT_EQ(s.value, value) << s.name;
}

TEST(ReadStatement, TagsPropertiesAndEveryLineEnding) {
  auto all =
      ReadAll(Sj("[Application]\r\n  Name = \"販売管理\";\n\t[ Form ]\r"
                 "X = 10;Y\t=\t-5;\r\n[/Whatever]\n\n"));
  ASSERT_EQ(all.size(), 7u);
  ExpectStatement(all[0], kOFTBeginTag, "Application", "");
  ExpectStatement(all[1], kOFTProperty, "Name", Sj("\"販売管理\""));
  ExpectStatement(all[2], kOFTBeginTag, "Form", "");
  ExpectStatement(all[3], kOFTProperty, "X", "10");
  ExpectStatement(all[4], kOFTProperty, "Y", "-5");
  // Whatever follows the slash, it is an end tag.
  ExpectStatement(all[5], kOFTEndTag, "/Whatever", "");
  EXPECT_EQ(ReadAll("")[0].kind, kOFTEndOfFile);
  EXPECT_EQ(ReadAll(" \t\r\n\r\n  ")[0].kind, kOFTEndOfFile);
}

TEST(ReadStatement, BraceGroupsKeepSemicolonsBracketsAndLineBreaksAndNest) {
  auto all =
      ReadAll(Sj("ActionScript = {\r\n  @A(x=\"[1]\");\r\n  @B({y;z});\r\n};\n"
                 "Statement = a;b;\nNext = 1;"));
  ASSERT_EQ(all.size(), 5u);
  ExpectStatement(all[0], kOFTProperty, "ActionScript", "@A(x=\"[1]\");\r\n  @B({y;z});");
  // Without braces the value ends at the first semicolon; the rest is a statement of its own
  // that names nothing.
  ExpectStatement(all[1], kOFTProperty, "Statement", "a");
  ExpectStatement(all[2], kOFTProperty, "b;", "");
  ExpectStatement(all[3], kOFTProperty, "Next", "1");
}

TEST(ReadStatement, ScriptOfTwoCommandsLosesOnlyItsBraces) {
  auto all = ReadAll("ActionScript = { @AskFind(); @ShowForm(Form=\"a\"); };");
  ExpectStatement(all[0], kOFTProperty, "ActionScript", "@AskFind(); @ShowForm(Form=\"a\");");
  // Text and script values lose double quotes at both ends, so a script ending in one loses it.
  EXPECT_EQ(TextValue(VString("{@Say(Text=\"hi\")\"")).ToStdString(), "{@Say(Text=\"hi\")");
  EXPECT_EQ(TextValue(VString("\"  keep inner blanks  \"")).ToStdString(), "  keep inner blanks  ");
}

TEST(ReadStatement, NameAndEqualsNeedBlanks) {
  auto all = ReadAll("Type=3;\nType =3;\nType= 3;\nType\t=\t4;\nType  =  5 ;");
  ExpectStatement(all[0], kOFTProperty, "Type=3;", "");
  ExpectStatement(all[1], kOFTProperty, "Type", "");
  ExpectStatement(all[2], kOFTProperty, "Type=", "");
  ExpectStatement(all[3], kOFTProperty, "Type", "4");
  ExpectStatement(all[4], kOFTProperty, "Type", "5");
}

TEST(ReadStatement, DoubleByteTrailBytesAreNeverSyntax) {
  // The second bytes of these characters are "[", "]", "{" and "}".
  std::string chars = Sj("ーゾボマ");
  ASSERT_EQ(chars, std::string("\x81\x5B\x83\x5D\x83\x7B\x83\x7D"));
  auto all =
      ReadAll(Sj("[ラベルー]\nTitle = ーゾボマ;\nActionScript = {ボ;マ};\n"
                 "Title = {アマ};\n[/ゾ]\n[表ゾ"));
  ASSERT_EQ(all.size(), 7u);
  ExpectStatement(all[0], kOFTBeginTag, Sj("ラベルー"), "");
  ExpectStatement(all[1], kOFTProperty, "Title", chars);
  ExpectStatement(all[2], kOFTProperty, "ActionScript", Sj("ボ;マ"));
  ExpectStatement(all[3], kOFTProperty, "Title", Sj("アマ"));
  ExpectStatement(all[4], kOFTEndTag, Sj("/ゾ"), "");
  // An unclosed bracket at the end: the last character only looks like "]".
  ExpectStatement(all[5], kOFTProperty, Sj("[表ゾ"), "");
}

TEST(ReadStatement, BrokenInputEndsAtItsEndWithoutReadingPastIt) {
  // A lead byte as the very last byte, inside a value, a brace group and a bracket.
  for (const std::string& text :
       {std::string("Title = ab\x83"), std::string("Title = {ab\x83"), std::string("[ab\x83")}) {
    std::vector<char> exact(text.begin(), text.end());
    VROMStream stream(exact.data(), static_cast<int64_t>(exact.size()));
    VString name;
    VString value;
    int kind = ReadStatement(stream, name, value);
    EXPECT_NE(kind, kOFTEndOfFile);
    EXPECT_EQ(stream.Position(), stream.Size());
    EXPECT_EQ(ReadStatement(stream, name, value), kOFTEndOfFile);
  }
  auto all = ReadAll("ActionScript = {a{b}c;\nX = 1;");
  ExpectStatement(all[0], kOFTProperty, "ActionScript", "a{b}c;\nX = 1");
  EXPECT_EQ(all[1].kind, kOFTEndOfFile);
  all = ReadAll("[Form\nX = 1;");
  ExpectStatement(all[0], kOFTProperty, "[Form", "");
  all = ReadAll("}}}];;");
  EXPECT_EQ(all[0].name, "}}}];");
  // Control characters at the ends of a statement are trimmed like blanks.
  all = ReadAll("\x01X = 7;\x1A");
  ExpectStatement(all[0], kOFTProperty, "X", "7");
  EXPECT_EQ(all[1].kind, kOFTEndOfFile);
}

TEST(ReadStatement, LeavesTheStreamRightAfterTheStatement) {
  std::string text = "ListLabel = \"a\";\r\nX = 5;\r\nY = 6;\n";
  VROMStream stream(text.data(), static_cast<int64_t>(text.size()));
  VString name;
  VString value;
  ASSERT_EQ(ReadStatement(stream, name, value), kOFTProperty);
  EXPECT_EQ(ReadRestOfLine(stream).ToStdString(), "X = 5;");
  ASSERT_EQ(ReadStatement(stream, name, value), kOFTProperty);
  EXPECT_EQ(name.ToStdString(), "Y");
  // A broken character before a line break does not swallow the break.
  std::string broken = "ab\x83\nZ = 1;";
  VROMStream second(broken.data(), static_cast<int64_t>(broken.size()));
  EXPECT_EQ(ReadRestOfLine(second).ToStdString(), "ab\x83");
  ASSERT_EQ(ReadStatement(second, name, value), kOFTProperty);
  EXPECT_EQ(name.ToStdString(), "Z");
}

TEST(ReadStatement, MegabyteValuesReadInLinearTime) {
  std::string a = Sj("あ");
  std::string big;
  big.reserve(1 << 20);
  while (big.size() < (1 << 20)) big += a;
  std::string text = "Title = " + big + ";\nActionScript = {" + big + "{" + big + "}};\n";
  auto start = std::chrono::steady_clock::now();
  auto all = ReadAll(text);
  auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  ASSERT_EQ(all.size(), 3u);
  EXPECT_EQ(all[0].value, big);
  EXPECT_EQ(all[1].value, big + "{" + big);
  EXPECT_LT(seconds, 10.0);
}

TEST(Trim, RemovesEachSetCharacterInTurnAndControlsButNoDoubleByteCharacter) {
  VString text("\x01 \t\"  a b  \"\t ");
  Trim(text, " \t\"");
  EXPECT_EQ(text.ToStdString(), "  a b  ");
  VString brackets(Sj("[ ボ]"));
  Trim(brackets, " \t[]");
  EXPECT_EQ(brackets.ToStdString(), Sj(" ボ"));
  VString braces(Sj("{{マ}}"));
  Trim(braces, "{}");
  EXPECT_EQ(braces.ToStdString(), Sj("マ"));
  VString empty("\x02\x03");
  Trim(empty, " ");
  EXPECT_TRUE(empty.IsEmpty());
}

TEST(NextToken, SkipsLeadingDelimitersAndCutsAtTheNextOne) {
  VString text(Sj("\", 名前\", 120\t0"));
  EXPECT_EQ(NextToken(text, " \t,\"").ToStdString(), Sj("名前"));
  EXPECT_EQ(NextToken(text, " \t,\"").ToStdString(), "120");
  EXPECT_EQ(NextToken(text, " \t,\"").ToStdString(), "0");
  EXPECT_EQ(NextToken(text, " \t,\"").ToStdString(), "");
  EXPECT_TRUE(text.IsEmpty());
  VString control(
      "ab\x05"
      "cd");
  EXPECT_EQ(NextToken(control, " ").ToStdString(), "ab");
  EXPECT_EQ(control.ToStdString(),
            "\x05"
            "cd");
}

TEST(NumberValue, AcceptsTheNumericTestAndKeepsTheFieldOtherwise) {
  struct Case {
    const char* text;
    bool numeric;
    int32_t expected;
  } cases[] = {
      {"12", true, 12},
      {" -7", true, -7},
      {"+3", true, 3},
      {"1.9", true, 1},
      {"-0.5", true, 0},
      {".5", true, 0},
      {"0x10", false, 99},
      {"1e3", false, 99},
      {"", false, 99},
      {"1.2.3", false, 99},
      {"\"10\"", false, 99},
      {"12 ", false, 99},
      {"99999999999", true, std::numeric_limits<int32_t>::max()},
      {"-99999999999", true, std::numeric_limits<int32_t>::min()},
      {"-2147483648", true, std::numeric_limits<int32_t>::min()},
  };
  for (const Case& c : cases) {
    int32_t field = 99;
    EXPECT_EQ(NumberValue(VString(c.text), field), c.numeric) << c.text;
    EXPECT_EQ(field, c.expected) << c.text;
  }
}

}  // namespace
