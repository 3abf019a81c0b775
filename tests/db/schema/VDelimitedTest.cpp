// The delimited text of imports and exports: quoted stretches that hold terminators, quotes of
// both kinds, the longest terminator winning, values split by nothing but whole characters, an
// unmatched quote refused, a file read in pieces giving what the whole text gives, and any value
// written reading back as it was, under random syntaxes and random bytes.
#include "db/schema/VDelimited.h"

#include <gtest/gtest.h>

#include <fstream>
#include <random>

#include "Sjis.h"
#include "TempDir.h"
#include "base/VFile.h"
#include "db/schema/VRecord.h"
#include "db/schema/VValue.h"
#include "db/schema/VValueText.h"

namespace {

using End = VDelimitedReader::End;

struct Read {
  std::string text;
  bool quoted;
  End end;
  bool operator==(const Read&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Read& read) {
  return out << "{\"" << read.text << "\", " << read.quoted << ", " << int(read.end) << "}";
}

std::vector<Read> ReadAll(VDelimitedReader& reader, VResult* failure = nullptr) {
  std::vector<Read> values;
  while (!reader.AtEnd()) {
    Read read{"", false, End::kValueEnd};
    const VResult result = reader.NextValue(&read.text, &read.quoted, &read.end);
    if (result != kVOk) {
      if (failure != nullptr) *failure = result;
      break;
    }
    values.push_back(read);
  }
  return values;
}

VDelimitedSyntax PlayerSyntax() {
  VDelimitedSyntax syntax;
  syntax.apostrophes = true;
  return syntax;
}

TEST(VDelimitedTest, QuotedStretchesHoldTerminatorsAndQuotesOfBothKinds) {
  VDelimitedReader reader(
      "  \"a,b\tc\r\nd\" , 'it''s'\t\"say \"\"hi\"\"\"x ,\x01plain\x02\r\n"
      "'',\"\"\r\n",
      PlayerSyntax());
  const std::vector<Read> expected = {{"a,b\tc\r\nd", true, End::kItemEnd},
                                      {"it's", true, End::kValueEnd},
                                      {"say \"hi\"x", true, End::kItemEnd},
                                      {"plain", false, End::kRecordEnd},
                                      {"", true, End::kItemEnd},
                                      {"", true, End::kRecordEnd}};
  EXPECT_EQ(ReadAll(reader), expected);
  // Without apostrophe quotes an apostrophe is a byte like any other.
  VDelimitedReader plain("'a,b'\r\n", VDelimitedSyntax());
  EXPECT_EQ(ReadAll(plain),
            (std::vector<Read>{{"'a", false, End::kItemEnd}, {"b'", false, End::kRecordEnd}}));
}

TEST(VDelimitedTest, TheLongestTerminatorWinsAndCharactersAreNeverSplit) {
  VDelimitedSyntax syntax;
  syntax.record = "\\\\";
  syntax.item = "\\";
  syntax.repeat = Sj("、");  // a double-byte terminator
  // "ソ" is 0x83 0x5C: its second byte never ends anything, though it is the item terminator.
  const std::string so = Sj("ソ");
  const std::string text = "a\\b" + so + "c" + Sj("、") + "d\\\\e";
  VDelimitedReader reader(text, syntax);
  const std::vector<Read> expected = {{"a", false, End::kItemEnd},
                                      {"b" + so + "c", false, End::kValueEnd},
                                      {"d", false, End::kRecordEnd},
                                      {"e", false, End::kInputEnd}};
  EXPECT_EQ(ReadAll(reader), expected);
}

TEST(VDelimitedTest, AnUnmatchedQuoteIsRefusedInsteadOfSwallowingTheRecordsAfterIt) {
  VDelimitedReader reader("a,\"b\r\nc,d\r\ne,f\r\n", PlayerSyntax());
  VResult failure = kVOk;
  const std::vector<Read> values = ReadAll(reader, &failure);
  EXPECT_EQ(failure, kVUnmatchedQuote);
  ASSERT_EQ(values.size(), 1u);
  // The reader is spent: it never hands out a value after a failure.
  std::string text;
  bool quoted = false;
  End end = End::kValueEnd;
  EXPECT_EQ(reader.NextValue(&text, &quoted, &end), kVUnmatchedQuote);
}

TEST(VDelimitedTest, RecordsSkipAndCountLines) {
  VDelimitedReader reader("a,\"x\r\ny\",b\r\nc\r\n\r\n", PlayerSyntax());
  std::string text;
  bool quoted = false;
  End end = End::kValueEnd;
  ASSERT_EQ(reader.NextValue(&text, &quoted, &end), kVOk);
  EXPECT_EQ(reader.SkipRecord(), kVOk);  // the quoted line end does not end the record
  EXPECT_EQ(reader.Line(), 3);
  std::vector<VDelimitedReader::Item> items;
  ASSERT_EQ(reader.NextRecord(&items), kVOk);
  ASSERT_EQ(items.size(), 1u);
  EXPECT_EQ(items[0][0].text, "c");
  ASSERT_EQ(reader.NextRecord(&items), kVOk);  // an empty line: one item without values
  EXPECT_TRUE(items.size() == 1 && items[0].empty());
  EXPECT_EQ(reader.NextRecord(&items), kVEnd);
}

// Random values: blanks, quotes of both kinds, terminator bytes, Shift-JIS characters (some whose
// second byte is a terminator byte) and stray lead bytes.
std::string RandomValue(std::mt19937& random) {
  static const std::vector<std::string> pieces = {
      "a", "Z",  "0", " ",    "\t",     "\r",     "\n",       "\"",     "'",    ",",   ";",
      "|", "\\", "#", "\x01", Sj("ソ"), Sj("ポ"), Sj("漢字"), Sj("、"), "\x81", "\xFF"};
  std::string value;
  const int length = static_cast<int>(random() % 8);
  for (int i = 0; i < length; ++i) value += pieces[random() % pieces.size()];
  return value;
}

VDelimitedSyntax RandomSyntax(std::mt19937& random) {
  static const std::vector<std::string> terms = {",",  ";",    "\t", "|", "\\",     "||",
                                                 ";;", "\r\n", "\n", "#", Sj("、"), "ab"};
  VDelimitedSyntax syntax;
  do {
    syntax.record = terms[random() % terms.size()];
    syntax.item = terms[random() % terms.size()];
    syntax.repeat = terms[random() % terms.size()];
  } while (syntax.record == syntax.item || syntax.record == syntax.repeat ||
           syntax.item == syntax.repeat);
  syntax.apostrophes = random() % 2 == 0;
  return syntax;
}

TEST(VDelimitedTest, EveryValueWrittenReadsBackUnderRandomSyntaxes) {
  std::mt19937 random(20261209);
  for (int round = 0; round < 400; ++round) {
    const VDelimitedSyntax syntax = RandomSyntax(random);
    const VDelimitedWriter writer(syntax);
    // Records of items of values (an item of no values is written as nothing, so every item
    // written here has at least one).
    std::vector<std::vector<std::vector<std::string>>> records(1 + random() % 4);
    std::string text;
    for (auto& record : records) {
      record.resize(1 + random() % 4);
      for (size_t i = 0; i < record.size(); ++i) {
        if (i > 0) text += syntax.item;
        record[i].resize(1 + random() % 3);
        for (size_t v = 0; v < record[i].size(); ++v) {
          if (v > 0) text += syntax.repeat;
          record[i][v] = RandomValue(random);
          writer.Append(&text, record[i][v], random() % 4 == 0);
        }
      }
      text += syntax.record;
    }
    VDelimitedReader reader(text, syntax);
    std::vector<VDelimitedReader::Item> items;
    for (const auto& record : records) {
      ASSERT_EQ(reader.NextRecord(&items), kVOk) << round;
      ASSERT_EQ(items.size(), record.size()) << round;
      for (size_t i = 0; i < record.size(); ++i) {
        ASSERT_EQ(items[i].size(), record[i].size()) << round;
        for (size_t v = 0; v < record[i].size(); ++v) {
          EXPECT_EQ(items[i][v].text, record[i][v]) << round << " " << text;
        }
      }
    }
    EXPECT_EQ(reader.NextRecord(&items), kVEnd) << round;
  }
}

TEST(VDelimitedTest, UntrustedBytesNeverBreakTheReader) {
  std::mt19937 random(7);
  for (int round = 0; round < 3000; ++round) {
    std::string bytes(random() % 64, '\0');
    for (char& c : bytes) {
      // Mostly the bytes that matter: quotes, terminators, blanks, lead bytes.
      static const char kBytes[] = {'"', '\'', ',', '\t', '\r', '\n', ' ', 'a', '\x81', '\x5C'};
      c = random() % 4 == 0 ? static_cast<char>(random()) : kBytes[random() % sizeof kBytes];
    }
    // The exercise aborts the process when a promise of the reader or writer is broken.
    (void)VDelimitedExercise(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
  }
}

TEST(VDelimitedTest, AFileReadInPiecesGivesWhatTheWholeTextGives) {
  TempDir dir;
  // Values and quoted values long enough that terminators, doubled quotes and double-byte
  // characters fall on the boundaries of the pieces the file is read in.
  std::mt19937 random(3);
  std::string text;
  const VDelimitedSyntax syntax = PlayerSyntax();
  const VDelimitedWriter writer(syntax);
  while (text.size() < 300000) {
    std::string value(random() % 5000, 'x');
    for (char& c : value) {
      const int pick = static_cast<int>(random() % 50);
      c = pick == 0   ? '"'
          : pick == 1 ? ','
          : pick == 2 ? '\x83'
                      : static_cast<char>('a' + pick % 26);
    }
    writer.Append(&text, value);
    text += random() % 3 == 0 ? "\r\n" : ",";
  }
  const std::string path = dir / "data.txt";
  std::ofstream(path, std::ios::binary) << text;
  VFile file(path);
  ASSERT_EQ(file.Open(true), kVOk);
  VDelimitedReader fromFile(file, syntax);
  VDelimitedReader fromText(text, syntax);
  EXPECT_EQ(fromFile.Size(), static_cast<int64_t>(text.size()));
  const std::vector<Read> expected = ReadAll(fromText);
  EXPECT_EQ(ReadAll(fromFile), expected);
  EXPECT_EQ(fromFile.Consumed(), static_cast<int64_t>(text.size()));
  EXPECT_EQ(fromFile.Line(), fromText.Line());
}

TEST(VDelimitedTest, ShiftJisTextIsToldFromOtherBytes) {
  size_t at = 0;
  EXPECT_TRUE(VIsSjisText(Sj("漢字とｶﾅ, ascii")));
  EXPECT_FALSE(VIsSjisText("ab\x80", &at));
  EXPECT_EQ(at, 2u);
  EXPECT_FALSE(VIsSjisText("\x81,", &at));  // a lead byte followed by a terminator byte
  EXPECT_EQ(at, 0u);
  EXPECT_FALSE(VIsSjisText("x\x88", &at));  // the text ends inside a character
  EXPECT_EQ(at, 1u);
  EXPECT_FALSE(VIsSjisText("\xFD"));
}

TEST(VDelimitedTest, ValuesAsTextReadBackAndBinaryTextMustBeBase64) {
  VRecord record;
  ASSERT_EQ(VAddValueText(&record, 1, kVTypeBinary, VBase64(std::string("\0\x01,\"", 4)), nullptr),
            kVOk);
  ASSERT_EQ(VAddValueText(&record, 2, kVTypeFlag, "true", nullptr), kVOk);
  ASSERT_EQ(VAddValueText(&record, 3, kVTypeDate, "1951/07/22", nullptr), kVOk);
  ASSERT_EQ(VAddValueText(&record, 4, kVTypePacket, "", nullptr), kVOk);
  EXPECT_EQ(VAddValueText(&record, 5, kVTypeBinary, "not base64!", nullptr), kVNotBase64);
  EXPECT_EQ(VAddValueText(&record, 5, kVTypeString, std::string(256, 'x'), nullptr),
            kVWidthTooLarge);
  std::string text;
  ASSERT_EQ(VValueToText(record, 1, 1, nullptr, &text), kVOk);
  std::string bytes;
  ASSERT_TRUE(VFromBase64(text, &bytes));
  EXPECT_EQ(bytes, std::string("\0\x01,\"", 4));
  ASSERT_EQ(VValueToText(record, 2, 1, nullptr, &text), kVOk);
  EXPECT_EQ(text, "1");
  ASSERT_EQ(VValueToText(record, 3, 1, nullptr, &text), kVOk);
  EXPECT_EQ(text, "1951/07/22");
  ASSERT_EQ(VValueToText(record, 4, 1, nullptr, &text), kVOk);
  EXPECT_EQ(text, "");
  EXPECT_EQ(record.OccurrenceCount(5), 0);  // the refused values left nothing behind
}

}  // namespace
