// The delimited text of import and export under the tool's syntax (the engine's reader and writer):
// quoting, terminators, line ends with and without a carriage return, and Shift-JIS characters
// whose second byte equals a terminator byte; the terminators of the command line.
#include "VarnexDelimited.h"

#include <gtest/gtest.h>

#include "Sjis.h"

namespace {

using Items = std::vector<std::vector<std::string>>;

Items Texts(const std::vector<VDelimitedReader::Item>& items) {
  Items out;
  for (const auto& item : items) {
    out.emplace_back();
    for (const auto& value : item) out.back().push_back(value.text);
  }
  return out;
}

TEST(VarnexDelimitedTest, QuotesTerminatorsAndLineEnds) {
  VDelimitedReader reader(" a , \"b,\"\"c\"\"\r\nd\" ,x\ty,\"\"\r\n\n,,z", VarnexDefaultSyntax());
  std::vector<VDelimitedReader::Item> items;
  EXPECT_EQ(reader.Line(), 1);
  ASSERT_EQ(reader.NextRecord(&items), kVOk);
  EXPECT_EQ(Texts(items), (Items{{"a"}, {"b,\"c\"\r\nd"}, {"x", "y"}, {""}}));
  EXPECT_TRUE(items[3][0].quoted);  // an empty string, not an absent value
  EXPECT_EQ(reader.Line(), 3);
  ASSERT_EQ(reader.NextRecord(&items), kVOk);  // the blank line
  EXPECT_EQ(Texts(items), (Items{{}}));
  ASSERT_EQ(reader.NextRecord(&items), kVOk);  // no line end at the end of the data
  EXPECT_EQ(Texts(items), (Items{{}, {}, {"z"}}));
  EXPECT_EQ(reader.NextRecord(&items), kVEnd);
}

TEST(VarnexDelimitedTest, DoubleByteCharactersAreNeverSplitByATerminator) {
  // The second byte of "ソ" (0x83 0x5C) is a backslash, of "ポ" (0x83 0x7C) a vertical bar.
  VDelimitedSyntax terms = VarnexDefaultSyntax();
  terms.item = "|";
  terms.repeat = "\\";
  const std::string so = Sj("ソ");
  const std::string po = Sj("ポ");
  ASSERT_EQ(so[1], '\\');
  ASSERT_EQ(po[1], '|');
  const std::string line = so + "|" + po + "\\" + so + po + "\n";
  VDelimitedReader reader(line, terms);
  std::vector<VDelimitedReader::Item> items;
  ASSERT_EQ(reader.NextRecord(&items), kVOk);
  EXPECT_EQ(Texts(items), (Items{{so}, {po, so + po}}));
  // Written back, such values need no quotes; real terminators and blanks do.
  const VDelimitedWriter writer(terms);
  auto written = [&writer](std::string_view value) {
    std::string out;
    writer.Append(&out, value);
    return out;
  };
  EXPECT_EQ(written(so + po), so + po);
  EXPECT_EQ(written("a|b"), "\"a|b\"");
  EXPECT_EQ(written(" a"), "\" a\"");
  EXPECT_EQ(written(""), "\"\"");
  EXPECT_EQ(written("say \"hi\""), "\"say \"\"hi\"\"\"");
  std::string term;
  EXPECT_TRUE(VarnexParseTerm("crlf", &term));
  EXPECT_EQ(term, "\r\n");
  EXPECT_TRUE(VarnexParseTerm("\\t;", &term));
  EXPECT_EQ(term, "\t;");
  EXPECT_FALSE(VarnexParseTerm("", &term));
}

}  // namespace
