#include "db/schema/VRecFormat.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Sjis.h"
#include "base/VStream.h"
#include "db/schema/VRecord.h"
#include "db/schema/VVDD.h"

namespace {

using Bytes = std::vector<uint8_t>;

VResult Add(VRecord& r, int item, uint8_t type, const std::string& text) {
  Bytes v = {type, static_cast<uint8_t>(text.size())};
  v.insert(v.end(), text.begin(), text.end());
  return r.AddValue(item, v.data(), static_cast<int32_t>(v.size()));
}

std::string Unpack(const VRecord& r, const std::string& format, VResult* result = nullptr) {
  uint8_t buffer[8192];
  int32_t length = 0;
  VResult rc = r.Unpack(format, buffer, sizeof buffer, &length);
  if (result) *result = rc;
  return std::string(reinterpret_cast<char*>(buffer), static_cast<size_t>(length));
}

VResult Pack(VRecord& r, const std::string& format, const std::string& data,
             int32_t* consumed = nullptr) {
  // An exact-size copy, so that a read past the block is caught by the sanitizer.
  Bytes block(data.begin(), data.end());
  return r.Pack(format, block.data(), static_cast<int32_t>(block.size()), nullptr, consumed);
}

std::string Text(const VRecord& r, int item, int occurrence) {
  VValueRef ref;
  if (r.ValueRef(item, occurrence, &ref) != kVOk) return "<none>";
  return std::string(reinterpret_cast<const char*>(ref.bytes), ref.length);
}

TEST(VRecFormatTest, CompilesTheLanguageAndRefusesWhatItIsNot) {
  VRecFormat f;
  ASSERT_EQ(f.Compile("[ 1 ] %10sn, [2(1-5/t)] %2i 4X [3]-[5] %d /'\\x7C';"), kVOk);
  ASSERT_EQ(f.Entries().size(), 4u);
  EXPECT_EQ(f.RecordTerminator(), 0x7C);
  const VRecFormat::Entry& e0 = f.Entries()[0];
  EXPECT_EQ(e0.width, 10);
  EXPECT_EQ(e0.type, kVTypeString);
  EXPECT_EQ(e0.itemTerminator, 0);
  const VRecFormat::Entry& e1 = f.Entries()[1];
  EXPECT_EQ(e1.firstOccurrence, 1);
  EXPECT_EQ(e1.lastOccurrence, 5);
  EXPECT_EQ(e1.repeatTerminator, '\t');
  EXPECT_EQ(e1.type, kVTypeInteger);
  EXPECT_TRUE(f.Entries()[2].filler);
  EXPECT_EQ(f.Entries()[2].width, 4);
  EXPECT_EQ(f.Entries()[3].firstItem, 3);
  EXPECT_EQ(f.Entries()[3].lastItem, 5);
  ASSERT_EQ(f.Compile("[7(/'x')] %Sr;"), kVOk);
  EXPECT_EQ(f.Entries()[0].repeatTerminator, 'x');
  EXPECT_EQ(f.Entries()[0].itemTerminator, '\r');
  // Text after ";" is not read.
  EXPECT_EQ(f.Compile("[1] %s; garbage"), kVOk);

  for (const char* bad :
       {"[1]", "[0] %s;", "[256] %s;", "[1] %q;", "[1(3-2)] %s;", "[1(3-3)] %s;", "[1(0)] %s;",
        "[1] s;", "[1 %s;", "[1(2] %s;", "[3]-[2] %s;", "[1] %s /x;", "[1] %s /'ab';", "99999999X;",
        "[1] %99999s;", "[1] %in;", "hello world", "[1(/)] %s;"}) {
    EXPECT_EQ(f.Compile(bad), kVBadFormat) << bad;
  }
}

TEST(VRecFormatTest, BinaryIntegersForMemoryStructures) {
  VRecord r;
  EXPECT_EQ(Add(r, 2, kVTypeInteger, "1"), kVOk);
  EXPECT_EQ(Unpack(r, "[2] %4i;"), std::string("\x01\x00\x00\x00", 4));
  VRecord empty;
  EXPECT_EQ(Unpack(empty, "[2] %4i;"), std::string(4, '\0'));

  VRecord three;
  EXPECT_EQ(Add(three, 8, kVTypeInteger, "1"), kVOk);
  EXPECT_EQ(Add(three, 8, kVTypeInteger, "2"), kVOk);
  EXPECT_EQ(Add(three, 8, kVTypeInteger, "-1"), kVOk);
  EXPECT_EQ(Unpack(three, "[8(1-5)] %2i;"), std::string("\x01\x00\x02\x00\xFF\xFF\0\0\0\0", 10));
  EXPECT_EQ(Unpack(three, "[8(3)] %2i;"), std::string("\xFF\xFF", 2));
  EXPECT_EQ(Unpack(three, "[8(2-3)] %1i;"), std::string("\x02\xFF", 2));

  // Packing a structure back: each field is read into its item.
  VRecord packed;
  ASSERT_EQ(Pack(packed, "[1] %4i [2] %2i [3] %1i;", std::string("\x10\x27\0\0\xFE\xFF\x05", 7)),
            kVOk);
  EXPECT_EQ(Text(packed, 1, 1), "10000");
  EXPECT_EQ(Text(packed, 2, 1), "-2");
  EXPECT_EQ(Text(packed, 3, 1), "5");
  EXPECT_EQ(packed.ValueType(1, 1), kVTypeInteger);
}

TEST(VRecFormatTest, DelimitedFieldsAndTerminators) {
  VRecord r;
  EXPECT_EQ(Add(r, 1, kVTypeString, "abc"), kVOk);
  EXPECT_EQ(Add(r, 3, kVTypeDateTime, "19510722102030"), kVOk);
  EXPECT_EQ(Add(r, 4, kVTypeNumber, "12.5"), kVOk);
  EXPECT_EQ(Unpack(r, "[1] %sn [2] %sn [3] %on [4] %nn /r;"), std::string("abc\0\0"
                                                                          "1951/07/22 10:20:30\0"
                                                                          "12.5\0\r",
                                                                          31));
  EXPECT_EQ(Unpack(r, "[1] %6st 2X [4] %n;"), std::string("abc\t  "
                                                          "  "
                                                          "12.5",
                                                          12));
  EXPECT_EQ(Unpack(r, "[1]-[4] %st;"), std::string("abc\t\t1951/07/22 10:20:30\t12.5\t"));

  // Reading the same text back gives the same values, the absent item 2 as an empty String.
  VRecord back;
  std::string text(
      "abc\0\0"
      "1951/07/22 10:20:30\0"
      "12.5\0\r",
      31);
  int32_t consumed = 0;
  ASSERT_EQ(Pack(back, "[1] %sn [2] %sn [3] %on [4] %nn /r;", text, &consumed), kVOk);
  EXPECT_EQ(consumed, 31);  // the record terminator is consumed
  EXPECT_EQ(Text(back, 1, 1), "abc");
  EXPECT_EQ(Text(back, 2, 1), "");
  EXPECT_EQ(Text(back, 3, 1), "19510722102030");
  EXPECT_EQ(back.ValueType(4, 1), kVTypeNumber);
  EXPECT_EQ(Text(back, 4, 1), "12.5");
}

TEST(VRecFormatTest, RepeatTerminatorsCarryAllOccurrences) {
  VRecord r;
  EXPECT_EQ(Add(r, 5, kVTypeString, "x"), kVOk);
  EXPECT_EQ(Add(r, 5, kVTypeString, Sj("日本")), kVOk);
  EXPECT_EQ(Add(r, 5, kVTypeString, "z"), kVOk);
  const std::string format = "[5(/t)] %s, [6(/t)] %s /n;";
  std::string out = Unpack(r, format);
  EXPECT_EQ(out, "x" + Sj("日本") + "z\t\t" + std::string(1, '\0'));
  const std::string withTerm = "[5(/t)] %sr [6(/t)] %sr /n;";
  out = Unpack(r, withTerm);
  EXPECT_EQ(out, std::string("x\r") + Sj("日本") + "\rz\r\t\t" + std::string(1, '\0'));

  VRecord back;
  int32_t consumed = 0;
  ASSERT_EQ(Pack(back, withTerm, out + "next", &consumed), kVOk);
  EXPECT_EQ(consumed, static_cast<int32_t>(out.size()));
  EXPECT_EQ(back.OccurrenceCount(5), 3);
  EXPECT_EQ(Text(back, 5, 2), Sj("日本"));
  EXPECT_EQ(back.OccurrenceCount(6), 0);
}

TEST(VRecFormatTest, RecordTerminatorEndsTheRecordEarly) {
  VRecord back;
  int32_t consumed = 0;
  ASSERT_EQ(Pack(back, "[1] %sn [2] %sn [3] %sn /r;", std::string("a\0\rrest", 7), &consumed),
            kVOk);
  EXPECT_EQ(Text(back, 1, 1), "a");
  EXPECT_EQ(back.OccurrenceCount(2), 0);  // the remaining entries are not read
  EXPECT_EQ(consumed, 3);
  // The end of the input ends the record quietly.
  VRecord partial;
  ASSERT_EQ(Pack(partial, "[1] %sn [2] %4i [3] %sn;", std::string("a\0", 2), &consumed), kVOk);
  EXPECT_EQ(partial.ItemCount(), 1);
  // After the entries, a byte other than the record terminator is left in place.
  ASSERT_EQ(Pack(partial, "[9] %sn /r;", std::string("b\0X", 3), &consumed), kVOk);
  EXPECT_EQ(consumed, 2);
}

TEST(VRecFormatTest, FixedWidthFieldsAndFillers) {
  VRecord r;
  EXPECT_EQ(Add(r, 1, kVTypeString, "hello"), kVOk);
  Bytes letter = {kVTypeChar, 'Y'};
  ASSERT_EQ(r.AddValue(2, letter.data(), 2), kVOk);
  Bytes packet = {kVTypePacket, 0, 3, 'p', 'q', 'r'};
  ASSERT_EQ(r.AddValue(3, packet.data(), static_cast<int32_t>(packet.size())), kVOk);
  std::string out = Unpack(r, "[1] %8s 3X [2] %1c [3] %6p;");
  EXPECT_EQ(out,
            "hello   "
            "   "
            "Y"
            "pqr   ");
  VRecord back;
  ASSERT_EQ(Pack(back, "[1] %8s 3X [2] %1c [3] %6p;", out), kVOk);
  EXPECT_EQ(Text(back, 1, 1), "hello   ");  // a fixed field keeps its padding
  EXPECT_EQ(Text(back, 2, 1), "Y");
  EXPECT_EQ(back.ValueType(3, 1), kVTypePacket);
  EXPECT_EQ(Text(back, 3, 1), "pqr   ");
}

TEST(VRecFormatTest, PackNeverReadsPastTheBlockAndErrorsPassThrough) {
  VRecord r;
  // Widths longer than the block: reading stops at its end.
  ASSERT_EQ(Pack(r, "[1] %200s [2] %200p 500X [3] %s;", "short"), kVOk);
  EXPECT_EQ(Text(r, 1, 1), "short");
  EXPECT_EQ(r.ItemCount(), 1);
  // A conversion error of the value type passes through.
  VRecord bad;
  EXPECT_EQ(Pack(bad, "[1] %i;", "1234"), kVConversionNotApplicable);
  EXPECT_EQ(Pack(bad, "[1] %300s;", "x"), kVWidthTooLarge);
  EXPECT_EQ(Pack(bad, "[1];", "x"), kVBadFormat);
  // A full item stops the import with the record's code.
  VRecord full;
  std::string many;
  for (int i = 0; i < 300; ++i) many += "v\t";
  EXPECT_EQ(Pack(full, "[4(/t)] %st;", std::string(300, '\t')), kVOk);
  EXPECT_EQ(full.OccurrenceCount(4), 0);
  ASSERT_EQ(Pack(full, "[4(1-200)] %st [4(1-100)] %st;", many), kVTooManyOccurrences);
  EXPECT_EQ(full.OccurrenceCount(4), 255);
  // Unpacking into a block that is too small reports it.
  VRecord text;
  EXPECT_EQ(Add(text, 1, kVTypeString, "0123456789"), kVOk);
  uint8_t small[4];
  int32_t length = 0;
  EXPECT_EQ(text.Unpack("[1] %s;", small, sizeof small, &length), -29);
  EXPECT_EQ(length, 4);
}

}  // namespace
