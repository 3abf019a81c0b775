// Records read from data files under the item formats of "@DataInput", without a database: short
// and long lines, quoted values holding terminators, nested sub-schemes, tags moving values to
// other items, keywords for items and keys, types from the schema, bad bytes; the keyword
// splitter; and the whole reading over random parameter lists and random data.
#include "script/OvDataInput.h"

#include <gtest/gtest.h>

#include <random>

#include "Sjis.h"
#include "db/schema/VRecord.h"
#include "db/schema/VValue.h"
#include "db/schema/VValueText.h"
#include "script/OvScriptParams.h"

namespace {

using Texts = std::vector<std::string>;

class Input {
 public:
  Input(const std::string& list, std::string data, OvItemTypes types = {})
      : data_(std::move(data)), types_(types) {
    EXPECT_TRUE(OvParseParams(list, &params_)) << list;
    reader_ = std::make_unique<VDelimitedReader>(data_, OvDataInputSyntax(params_));
    records_ = std::make_unique<OvDataRecordReader>(*reader_, params_.scheme, types_, nullptr);
  }

  VResult Next() { return records_->Next(&record_, &keys_); }
  // The values of an item of the record read last, as text.
  Texts Values(int item) const {
    Texts texts;
    for (int32_t occurrence = 1; occurrence <= record_.OccurrenceCount(item); ++occurrence) {
      std::string text;
      EXPECT_EQ(VValueToText(record_, item, occurrence, nullptr, &text), kVOk);
      texts.push_back(text);
    }
    return texts;
  }
  const VRecord& Record() const { return record_; }
  const std::vector<OvKeywordKey>& Keys() const { return keys_; }
  OvDataRecordReader& Records() { return *records_; }

 private:
  std::string data_;
  OvItemTypes types_;
  OvDataInputParams params_;
  std::unique_ptr<VDelimitedReader> reader_;
  std::unique_ptr<OvDataRecordReader> records_;
  VRecord record_;
  std::vector<OvKeywordKey> keys_;
};

TEST(OvDataInputTest, ShortLinesFillTheFirstItemsAndLongLinesAreCutAtTheirRecordTerminator) {
  Input in("(DataFormat = [DBItem = 1], [DBItem = 2], [DBItem = 3])",
           "a\r\n"
           "b,\"c,d\"\r\n"
           "e,f,g,\"h\r\ni\",j\r\n"
           "k\tl,,m");
  ASSERT_EQ(in.Next(), kVOk);
  EXPECT_EQ(in.Values(1), Texts{"a"});
  EXPECT_EQ(in.Record().ItemCount(), 1);
  ASSERT_EQ(in.Next(), kVOk);
  EXPECT_EQ(in.Values(2), Texts{"c,d"});  // the quoted item terminator is part of the value
  ASSERT_EQ(in.Next(), kVOk);
  EXPECT_EQ(in.Values(3), Texts{"g"});
  EXPECT_EQ(in.Record().ItemCount(), 3);
  // The quoted line end of the fourth item did not start a record.
  ASSERT_EQ(in.Next(), kVOk);
  EXPECT_EQ(in.Values(1), (Texts{"k", "l"}));
  EXPECT_EQ(in.Values(2), Texts{});  // an empty value is dropped
  EXPECT_EQ(in.Values(3), Texts{"m"});
  EXPECT_EQ(in.Records().RecordNumber(), 4);
  EXPECT_EQ(in.Next(), kVEnd);
}

TEST(OvDataInputTest, SubSchemesSplitValuesIntoGroupsAndNest) {
  // The second item holds groups "names:count", ":" ending a sub-item and ";" a value; a count
  // "x/y" is split once more into items 5 and 6. After the last format the first comes again.
  Input in(
      "(DataFormat = [DBItem = 1], [ItemTerm = ':', RepeatTerm = ';', DataFormat = [[DBItem = 2], "
      "[ItemTerm = '/', DataFormat = [[DBItem = 5], [DBItem = 6]]]]])",
      "top,\"ann;amy:1/2:bob:3/4/5\"\r\n");
  ASSERT_EQ(in.Next(), kVOk);
  EXPECT_EQ(in.Values(1), Texts{"top"});
  EXPECT_EQ(in.Values(2), (Texts{"ann", "amy", "bob"}));
  EXPECT_EQ(in.Values(5), (Texts{"1", "3", "5"}));
  EXPECT_EQ(in.Values(6), (Texts{"2", "4"}));
}

TEST(OvDataInputTest, TagsMoveValuesToTheirItemForTheRestOfTheRecordOnly) {
  Input in("(DataFormat = [DBItem = 1, Tag = 'title>', 7, 'B>', 0, 'note>', 8])",
           "<TITLE>Hello</title>\tplain\t<b>bold</B>\r\n"
           "again\r\n"
           "<note>  spaced </note>\r\n");
  ASSERT_EQ(in.Next(), kVOk);
  // The first tag sends this value and the later ones of the record to item 7; a tag with item 0
  // only takes its marks out.
  EXPECT_EQ(in.Values(7), (Texts{"Hello", "plain", "bold"}));
  EXPECT_EQ(in.Values(1), Texts{});
  ASSERT_EQ(in.Next(), kVOk);
  EXPECT_EQ(in.Values(1), Texts{"again"});  // a new record starts from the format's item
  ASSERT_EQ(in.Next(), kVOk);
  EXPECT_EQ(in.Values(8), Texts{"spaced"});  // trimmed once the marks are out
}

TEST(OvDataInputTest, KeywordsFillTheListedItemsAndNameTheKeysOfTheirItem) {
  std::string many;
  for (int i = 0; i < 300; ++i) many += "w" + std::to_string(i) + " ";  // 301 keywords
  Input in("(DataFormat = [DBItem = 1, ExtKwd = 2, 3, ExtKwdKey = 4], [DBItem = 0, ExtKwd = 9])",
           Sj("東京 タワー、東京\tabc123 東京") + "," + many + "\r\n");
  ASSERT_EQ(in.Next(), kVOk);
  EXPECT_EQ(in.Values(1).size(), 2u);
  // Runs of double-byte characters, letters and digits; each keyword once across the values.
  EXPECT_EQ(in.Values(2), (Texts{Sj("東京"), Sj("タワー"), "abc", "123"}));
  EXPECT_EQ(in.Keys(), (std::vector<OvKeywordKey>{{1, 4}}));
  // 301 keywords for one listed item: 255 go in, the rest is dropped.
  EXPECT_EQ(in.Record().OccurrenceCount(9), 255);
  EXPECT_EQ(in.Values(9)[0], "w");
  EXPECT_EQ(in.Values(9)[1], "0");
}

TEST(OvDataInputTest, KeywordSplitterRules) {
  std::vector<std::string> words;
  // The prolonged sound mark and the iteration mark belong to their word; the full-width comma,
  // middle dot and postal mark separate, as ASCII punctuation does; a 300-byte run is skipped.
  OvSplitKeywords(Sj("ラーメン々、ｶﾀｶﾅ・R2 〒x-y  ") + std::string(300, 'z') + " x", &words);
  EXPECT_EQ(words, (Texts{Sj("ラーメン々"), Sj("ｶﾀｶﾅ"), "R", "2", "x", "y"}));
}

TEST(OvDataInputTest, TypesComeFromTheFormatOrTheSchemaAndBadValuesFailTheRecord) {
  OvItemTypes types{};
  types[2] = kVTypeNumber;
  types[3] = kVTypeDate;
  Input in("(DataFormat = [DBItem = 1, Type = flag], [DBItem = 2], [DBItem = 3], [DBItem = 4])",
           "true,8.5,1951/7/22,text\r\n"
           "maybe\r\n",
           types);
  ASSERT_EQ(in.Next(), kVOk);
  EXPECT_EQ(in.Values(1), Texts{"1"});
  EXPECT_EQ(in.Record().ValueType(2, 1), kVTypeNumber);
  EXPECT_EQ(in.Values(3), Texts{"1951/07/22"});
  EXPECT_EQ(in.Record().ValueType(4, 1), kVTypeString);  // neither says: a String
  EXPECT_EQ(in.Next(), kVBadValue);                      // "maybe" is no Flag
  EXPECT_EQ(in.Records().RecordNumber(), 2);
  EXPECT_NE(in.Records().FailurePlace().find("item 1"), std::string::npos);
}

TEST(OvDataInputTest, BytesThatAreNotShiftJisAndOverlongValuesFail) {
  Input notSjis("(DataFormat = [DBItem = 1], [DBItem = 2])",
                "ok,fine\r\nok,\x81\x20"
                "bad\r\n");
  ASSERT_EQ(notSjis.Next(), kVOk);
  EXPECT_EQ(notSjis.Next(), kVNotSjisText);
  EXPECT_EQ(notSjis.Records().RecordNumber(), 2);
  Input tooLong("(DataFormat = [DBItem = 1])", std::string(300, 'y') + "\r\n");
  EXPECT_EQ(tooLong.Next(), kVWidthTooLarge);  // a String holds 255 bytes
  Input unmatched("(DataFormat = [DBItem = 1])", "a\r\n\"b\r\nc\r\n");
  ASSERT_EQ(unmatched.Next(), kVOk);
  EXPECT_EQ(unmatched.Next(), kVUnmatchedQuote);
}

// Item formats nested far deeper than any script needs are refused whole instead of running the
// parser (and the reading) out of stack; a depth scripts use reads.
TEST(OvDataInputTest, NestingIsRefusedBeyondTheParsersDepth) {
  auto nested = [](int depth) {
    std::string open;
    std::string close;
    for (int i = 0; i < depth; ++i) {
      open += "[ItemTerm = ':', DataFormat = [";
      close += "]]";
    }
    return "(DataFormat = [DBItem = 1], " + open + "[DBItem = 2]" + close + ")";
  };
  OvDataInputParams deep;
  EXPECT_FALSE(OvParseParams(nested(100000), &deep));
  Input usable(nested(4), "a,b\r\n");
  ASSERT_EQ(usable.Next(), kVOk);
  EXPECT_EQ(usable.Values(2), Texts{"b"});
  const std::string bytes = nested(100000) + '\0' + "a,b\r\n";
  EXPECT_EQ(OvDataInputExercise(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()), 0u);
}

// Random parameter lists (mutations of real ones) over random data: the reading ends cleanly and
// every record it gives is a sound record.
TEST(OvDataInputTest, AnyListAndAnyDataEndCleanly) {
  const std::string lists[] = {
      "(DataFormat = [DBItem = 1, Tag = 'b>', 2, ExtKwd = 3], [DBItem = 2, ExtKwdKey = 1])",
      "(ItemTerm = ';', DataFormat = [DBItem = 1, ItemTerm = ':', DataFormat = "
      "[[DBItem = 2], [DBItem = 3, DataFormat = [DBItem = 4]]]], RecordTerm = LF)",
      "(RepeatTerm = '" + Sj("、") +
          "', DataFormat = [DBItem = 5, Type = date], [DBItem = 6, "
          "Type = binary], [DBItem = 7, Type = flag])",
  };
  std::mt19937 random(11);
  for (int round = 0; round < 2000; ++round) {
    std::string list = lists[random() % 3];
    for (int e = 0; e < 3 && random() % 2 == 0; ++e) {
      list[random() % list.size()] = "[];,='\"\x83:"[random() % 10];
    }
    std::string data(random() % 80, '\0');
    for (char& c : data) {
      static const char kBytes[] = "ab1 \t,;:/\r\n\"'<>\x81\x83";
      c = random() % 5 == 0 ? static_cast<char>(random()) : kBytes[random() % (sizeof kBytes - 1)];
    }
    std::string bytes = list;
    bytes += '\0';
    bytes += data;
    (void)OvDataInputExercise(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
  }
}

}  // namespace
