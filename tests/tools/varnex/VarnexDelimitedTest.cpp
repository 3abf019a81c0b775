// The delimited text of import and export: quoting, terminators, and Shift-JIS characters whose
// second byte equals a terminator byte.
#include "VarnexDelimited.h"

#include <gtest/gtest.h>

#include "Sjis.h"

namespace {

using Items = std::vector<std::vector<std::string>>;

Items Texts(const std::vector<VarnexDelimitedReader::Item>& items) {
  Items out;
  for (const auto& item : items) {
    out.emplace_back();
    for (const auto& value : item) out.back().push_back(value.text);
  }
  return out;
}

TEST(VarnexDelimitedTest, QuotesTerminatorsAndLineEnds) {
  VarnexDelimitedReader reader(" a , \"b,\"\"c\"\"\r\nd\" ,x\ty,\"\"\r\n\n,,z", VarnexTerms());
  std::vector<VarnexDelimitedReader::Item> items;
  ASSERT_TRUE(reader.Next(&items));
  EXPECT_EQ(Texts(items), (Items{{"a"}, {"b,\"c\"\r\nd"}, {"x", "y"}, {""}}));
  EXPECT_TRUE(items[3][0].quoted);  // an empty string, not an absent value
  EXPECT_EQ(reader.RecordLine(), 1);
  ASSERT_TRUE(reader.Next(&items));  // the blank line
  EXPECT_EQ(Texts(items), (Items{{}}));
  EXPECT_EQ(reader.RecordLine(), 3);
  ASSERT_TRUE(reader.Next(&items));  // no line end at the end of the data
  EXPECT_EQ(Texts(items), (Items{{}, {}, {"z"}}));
  EXPECT_FALSE(reader.Next(&items));
}

TEST(VarnexDelimitedTest, DoubleByteCharactersAreNeverSplitByATerminator) {
  // The second byte of "ソ" (0x83 0x5C) is a backslash, of "ポ" (0x83 0x7C) a vertical bar.
  VarnexTerms terms;
  terms.item = "|";
  terms.repeat = "\\";
  const std::string so = Sj("ソ");
  const std::string po = Sj("ポ");
  ASSERT_EQ(so[1], '\\');
  ASSERT_EQ(po[1], '|');
  const std::string line = so + "|" + po + "\\" + so + po + "\n";
  VarnexDelimitedReader reader(line, terms);
  std::vector<VarnexDelimitedReader::Item> items;
  ASSERT_TRUE(reader.Next(&items));
  EXPECT_EQ(Texts(items), (Items{{so}, {po, so + po}}));
  // Written back, such values need no quotes; real terminators and blanks do.
  EXPECT_EQ(VarnexDelimitedValue(so + po, terms), so + po);
  EXPECT_EQ(VarnexDelimitedValue("a|b", terms), "\"a|b\"");
  EXPECT_EQ(VarnexDelimitedValue(" a", terms), "\" a\"");
  EXPECT_EQ(VarnexDelimitedValue("", terms), "\"\"");
  EXPECT_EQ(VarnexDelimitedValue("say \"hi\"", VarnexTerms()), "\"say \"\"hi\"\"\"");
  std::string term;
  EXPECT_TRUE(VarnexParseTerm("crlf", &term));
  EXPECT_EQ(term, "\r\n");
  EXPECT_TRUE(VarnexParseTerm("\\t;", &term));
  EXPECT_EQ(term, "\t;");
  EXPECT_FALSE(VarnexParseTerm("", &term));
}

}  // namespace
