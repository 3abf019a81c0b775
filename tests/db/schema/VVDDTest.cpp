#include "db/schema/VVDD.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "Sjis.h"
#include "base/VStream.h"
#include "db/schema/VItmData.h"
#include "db/schema/VLongDataStore.h"
#include "db/schema/VRecordView.h"
#include "db/schema/VVM.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes B(const std::string& s) { return Bytes(s.begin(), s.end()); }
std::string S(const Bytes& b) { return std::string(b.begin(), b.end()); }

VConversion Conv(uint8_t type, int32_t width = 0, int16_t itemTerm = -1, int16_t repeatTerm = -1,
                 int16_t recordTerm = -1) {
  VConversion c;
  c.type = type;
  c.width = width;
  c.itemTerminator = itemTerm;
  c.repeatTerminator = repeatTerm;
  c.recordTerminator = recordTerm;
  return c;
}

// Reads one value of a type from text; the stream position after the read goes to *rest.
VResult Read(uint8_t type, const VConversion& c, const std::string& text, Bytes* value,
             std::string* rest = nullptr, VLongDataStore* store = nullptr) {
  VDMemStream in(text.data(), static_cast<int32_t>(text.size()));
  VResult r = VVM::Instance().ReadValue(type, c, in, value, store);
  if (rest) rest->assign(text.substr(static_cast<size_t>(in.Position())));
  return r;
}

VResult Write(uint8_t type, const VConversion& c, const Bytes* value, std::string* out,
              VLongDataStore* store = nullptr) {
  VDMemStream stream;
  VResult r = VVM::Instance().WriteValue(type, c, stream, value ? value->data() : nullptr, store);
  out->assign(reinterpret_cast<const char*>(stream.Data()), static_cast<size_t>(stream.Size()));
  return r;
}

Bytes StringValue(const std::string& text) {
  Bytes v(2 + text.size());
  v[0] = kVTypeString;
  v[1] = static_cast<uint8_t>(text.size());
  std::copy(text.begin(), text.end(), v.begin() + 2);
  return v;
}

Bytes ShortValue(uint8_t type, const std::string& text) {
  Bytes v = StringValue(text);
  v[0] = type;
  return v;
}

bool Match(const Bytes& value, int op, const std::string& operand) {
  return VVM::Instance().Match(value[0], value.data(), op, static_cast<int32_t>(operand.size()),
                               reinterpret_cast<const uint8_t*>(operand.data()), nullptr);
}

// Length-prefixed values one after the other, as range and list operands hold them.
std::string Values(std::initializer_list<std::string> items) {
  std::string out;
  for (const std::string& item : items) {
    out += static_cast<char>(item.size());
    out += item;
  }
  return out;
}

TEST(VVDDTest, StoredLayoutsAndSizes) {
  const VVM& vvm = VVM::Instance();
  std::vector<uint8_t> abc;
  ASSERT_EQ(Read(kVTypeString, Conv(kVTypeString, 3), "ABC", &abc), kVOk);
  EXPECT_EQ(abc, (Bytes{6, 3, 0x41, 0x42, 0x43}));
  EXPECT_EQ(vvm.StoredSize(6, abc.data() + 1), 4);
  EXPECT_EQ(vvm.ValueLength(6, abc.data() + 1), 3);

  Bytes packet;
  std::string payload(300, 'x');
  ASSERT_EQ(Read(kVTypePacket, Conv(kVTypePacket, 300), payload, &packet), kVOk);
  ASSERT_EQ(packet.size(), 303u);
  EXPECT_EQ((Bytes{packet[0], packet[1], packet[2]}), (Bytes{15, 0x01, 0x2C}));
  EXPECT_EQ(vvm.StoredSize(15, packet.data() + 1), 302);
  EXPECT_EQ(vvm.ValueLength(15, packet.data() + 1), 300);

  Bytes date;
  ASSERT_EQ(Read(kVTypeDate, Conv(kVTypeDate), "1951/7/22", &date), kVOk);
  EXPECT_EQ(date, B(std::string("\x01\x08") + "19510722"));
  EXPECT_EQ(vvm.ValueLength(1, date.data() + 1), 10);

  Bytes flag = {kVTypeFlag, 1};
  EXPECT_EQ(vvm.StoredSize(4, flag.data() + 1), 1);
  EXPECT_EQ(vvm.ValueLength(4, flag.data() + 1), 1);

  // An unknown code falls back to a one-byte length for sizes and gives -511 elsewhere.
  Bytes unknown = {200, 2, 'a', 'b'};
  EXPECT_EQ(vvm.StoredSize(200, unknown.data() + 1), 3);
  EXPECT_EQ(vvm.ValueLength(200, unknown.data() + 1), 2);
  std::string out;
  EXPECT_EQ(Write(200, Conv(kVTypeString), &unknown, &out), kVNoValueType);
  EXPECT_FALSE(Match(unknown, kVOpEqual, "ab"));
}

TEST(VVDDTest, RegistryNamesCodesAndKeyTypes) {
  const VVM& vvm = VVM::Instance();
  uint8_t code = 0;
  ASSERT_TRUE(vvm.TypeCode("datetime", &code));
  EXPECT_EQ(code, kVTypeDateTime);
  ASSERT_TRUE(vvm.TypeCode("JPEG", &code));
  EXPECT_EQ(code, kVTypeJPEG);
  EXPECT_FALSE(vvm.TypeCode("Str", &code));
  const char* name = nullptr;
  ASSERT_TRUE(vvm.TypeName(kVTypeLString, &name));
  EXPECT_STREQ(name, "LString");
  EXPECT_FALSE(vvm.TypeName(10, &name));
  EXPECT_EQ(vvm.KeyTypeCode("String,Unique"), kVTypeString);
  EXPECT_EQ(vvm.KeyTypeCode("Packet"), 0);  // not a key type
  EXPECT_EQ(vvm.KeyTypeName(kVTypeBinary), std::string("Binary"));
  EXPECT_EQ(vvm.KeyTypeName(kVTypePacket), nullptr);
  EXPECT_EQ(vvm.Count(), 21);
  EXPECT_STREQ(vvm.AtAs<VVDD>(6)->Name(), "LString");  // registration order
}

TEST(VVDDTest, DatesReadAndWriteAsText) {
  Bytes date;
  ASSERT_EQ(Read(kVTypeDate, Conv(kVTypeDate, 10), "1951/07/22", &date), kVOk);
  std::string out;
  ASSERT_EQ(Write(kVTypeDate, Conv(kVTypeDate), &date, &out), kVOk);
  EXPECT_EQ(out, "1951/07/22");
  ASSERT_EQ(Write(kVTypeDate, Conv(kVTypeNumber), &date, &out), kVOk);
  EXPECT_EQ(out, "19510722");
  EXPECT_EQ(Write(kVTypeDate, Conv(kVTypeInteger), &date, &out), kVConversionNotApplicable);
  // A missing value under its own conversion writes zeros, then the item terminator.
  ASSERT_EQ(Write(kVTypeDate, Conv(kVTypeDate, 0, 0), nullptr, &out), kVOk);
  EXPECT_EQ(out, std::string("0000/00/00\0", 11));
  ASSERT_EQ(Write(kVTypeDateTime, Conv(kVTypeDateTime), nullptr, &out), kVOk);
  EXPECT_EQ(out, "0000/00/00 00:00:00");

  Bytes time;
  ASSERT_EQ(Read(kVTypeTime, Conv(kVTypeTime), "9:5:7", &time), kVOk);
  EXPECT_EQ(S(time).substr(2), "090507");
  ASSERT_EQ(Write(kVTypeTime, Conv(kVTypeString, 10), &time, &out), kVOk);
  EXPECT_EQ(out, "09:05:07  ");

  Bytes stamp;
  ASSERT_EQ(Read(kVTypeDateTime, Conv(kVTypeDateTime), "Sun, 22 Jul 1951 10:20:30", &stamp), kVOk);
  EXPECT_EQ(S(stamp).substr(2), "19510722102030");
  ASSERT_EQ(Write(kVTypeDateTime, Conv(kVTypeTime), &stamp, &out), kVOk);
  EXPECT_EQ(out, "1951/07/22 10:20:30");
  // Era years are read through the date rules.
  ASSERT_EQ(Read(kVTypeDate, Conv(kVTypeDate), "H12/3/4", &date), kVOk);
  EXPECT_EQ(S(date).substr(2), "20000304");
  EXPECT_EQ(Read(kVTypeDate, Conv(kVTypeDate, 64), "x", &date), kVWidthTooLarge);
}

TEST(VVDDTest, IntegersInBinaryAndText) {
  Bytes value;
  ASSERT_EQ(Read(kVTypeInteger, Conv(kVTypeInteger, 2), "\xFE\xFF", &value), kVOk);
  EXPECT_EQ(value, B("\x08\x02-2"));
  ASSERT_EQ(Read(kVTypeInteger, Conv(kVTypeInteger, 4), std::string("\xFF\xFF\xFF\x7F", 4), &value),
            kVOk);
  EXPECT_EQ(S(value).substr(2), "2147483647");
  ASSERT_EQ(Read(kVTypeInteger, Conv(kVTypeInteger, 1), "\x80", &value), kVOk);
  EXPECT_EQ(S(value).substr(2), "-128");
  EXPECT_EQ(Read(kVTypeInteger, Conv(kVTypeInteger, 0), "12", &value), kVConversionNotApplicable);
  EXPECT_EQ(Read(kVTypeInteger, Conv(kVTypeInteger, 5), "12345", &value), kVWidthTooLarge);
  // Under a text conversion the text is kept.
  ASSERT_EQ(Read(kVTypeInteger, Conv(kVTypeString, 0, ','), "-42,", &value), kVOk);
  EXPECT_EQ(S(value).substr(2), "-42");

  Bytes seven = ShortValue(kVTypeInteger, "7");
  std::string out;
  ASSERT_EQ(Write(kVTypeInteger, Conv(kVTypeInteger, 2), &seven, &out), kVOk);
  EXPECT_EQ(out, std::string("\x07\x00", 2));
  Bytes minus = ShortValue(kVTypeInteger, "-2");
  ASSERT_EQ(Write(kVTypeInteger, Conv(kVTypeInteger, 6), &minus, &out), kVOk);
  EXPECT_EQ(out, std::string("\xFE\xFF\xFF\xFF\x00\x00", 6));  // zero-filled past four bytes
  ASSERT_EQ(Write(kVTypeInteger, Conv(kVTypeNumber, 4), &seven, &out), kVOk);
  EXPECT_EQ(out, "7   ");
  // A Number under the integer conversion writes its integer part in binary.
  Bytes number = ShortValue(kVTypeNumber, "258.9");
  ASSERT_EQ(Write(kVTypeNumber, Conv(kVTypeInteger), &number, &out), kVOk);
  EXPECT_EQ(out, std::string("\x02\x01\x00\x00", 4));
  ASSERT_EQ(Write(kVTypeInteger, Conv(kVTypeInteger), nullptr, &out), kVOk);
  EXPECT_EQ(out, std::string(4, '\0'));
}

TEST(VVDDTest, TextFieldsCutPadAndTerminate) {
  Bytes abc = StringValue("ABCDE");
  std::string out;
  ASSERT_EQ(Write(kVTypeString, Conv(kVTypeString, 0, 0), &abc, &out), kVOk);
  EXPECT_EQ(out, std::string("ABCDE\0", 6));
  ASSERT_EQ(Write(kVTypeString, Conv(kVTypeString, 8, '|'), &abc, &out), kVOk);
  EXPECT_EQ(out, "ABCDE|  ");
  ASSERT_EQ(Write(kVTypeString, Conv(kVTypeString, 5, '|'), &abc, &out), kVOk);
  EXPECT_EQ(out, "ABCDE");  // exactly the width: no terminator
  // A String longer than the width keeps width - 1 bytes, room for the terminator.
  ASSERT_EQ(Write(kVTypeString, Conv(kVTypeString, 3, '|'), &abc, &out), kVOk);
  EXPECT_EQ(out, "AB|");
  // ... or width - 2 rather than split a double-byte character.
  Bytes kanji = StringValue("A" + Sj("日本"));
  ASSERT_EQ(Write(kVTypeString, Conv(kVTypeString, 4), &kanji, &out), kVOk);
  EXPECT_EQ(out, "A" + Sj("日") + " ");
  ASSERT_EQ(Write(kVTypeString, Conv(kVTypeString, 3), &kanji, &out), kVOk);
  EXPECT_EQ(out, "A  ");
  // Other text forms are cut to the width.
  Bytes number = ShortValue(kVTypeNumber, "12345");
  ASSERT_EQ(Write(kVTypeNumber, Conv(kVTypeNumber, 3), &number, &out), kVOk);
  EXPECT_EQ(out, "123");
  // Binary pads with zero bytes and writes no terminator.
  Bytes binary = ShortValue(kVTypeBinary, "ab");
  ASSERT_EQ(Write(kVTypeBinary, Conv(kVTypeBinary, 4, 0), &binary, &out), kVOk);
  EXPECT_EQ(out, std::string("ab\0\0", 4));
}

TEST(VVDDTest, DelimitedReadsLeaveRecordAndRepeatTerminators) {
  Bytes v;
  std::string rest;
  VConversion c = Conv(kVTypeString, 0, ',', '\t', '\n');
  ASSERT_EQ(Read(kVTypeString, c, "ab,cd", &v, &rest), kVOk);
  EXPECT_EQ(v, StringValue("ab"));
  EXPECT_EQ(rest, "cd");  // the item terminator is consumed
  ASSERT_EQ(Read(kVTypeString, c, "ab\tcd", &v, &rest), kVOk);
  EXPECT_EQ(rest, "\tcd");  // the repeat terminator is left for the record reader
  ASSERT_EQ(Read(kVTypeString, c, "ab\ncd", &v, &rest), kVOk);
  EXPECT_EQ(rest, "\ncd");
  ASSERT_EQ(Read(kVTypeString, c, "abc", &v, &rest), kVOk);
  EXPECT_EQ(v, StringValue("abc"));
  // A terminator byte that is the second byte of a double-byte character does not end the value.
  const std::string so = "\x81\x7C";  // a full-width minus sign
  ASSERT_EQ(Read(kVTypeString, Conv(kVTypeString, 0, '|'), so + "x|y", &v, &rest), kVOk);
  EXPECT_EQ(v, StringValue(so + "x"));
  EXPECT_EQ(rest, "y");
  // A fixed field ends at the item terminator inside it and consumes the whole width.
  ASSERT_EQ(Read(kVTypeString, Conv(kVTypeString, 6, 0), std::string("ab\0zzzQ", 7), &v, &rest),
            kVOk);
  EXPECT_EQ(v, StringValue("ab"));
  EXPECT_EQ(rest, "Q");
}

TEST(VVDDTest, OverlongDelimitedFieldsAreCutAndSkipped) {
  Bytes v;
  std::string rest;
  // 300 bytes of double-byte characters: at most 255 bytes are kept, whole characters only, and
  // the read goes on to the terminator so the next field starts in the right place.
  std::string text;
  for (int i = 0; i < 150; ++i) text += Sj("あ");
  ASSERT_EQ(Read(kVTypeString, Conv(kVTypeString, 0, ','), text + ",next", &v, &rest), kVOk);
  EXPECT_EQ(v[1], 254);
  EXPECT_EQ(S(v).substr(2), text.substr(0, 254));
  EXPECT_EQ(rest, "next");
  EXPECT_EQ(Read(kVTypeString, Conv(kVTypeString, 256), text, &v), kVWidthTooLarge);
  EXPECT_EQ(Read(kVTypeNumber, Conv(kVTypeNumber, 128), text, &v), kVWidthTooLarge);
  EXPECT_EQ(Read(kVTypeBinary, Conv(kVTypeBinary, 0), text, &v), kVConversionNotApplicable);
  EXPECT_EQ(Read(kVTypePacket, Conv(kVTypePacket, 0), text, &v), kVConversionNotApplicable);
}

TEST(VVDDTest, MaskAppliesToStringBytesBothWays) {
  const uint8_t mask[8] = {1, 2, 3, 4, 5, 6, 7, 8};
  VConversion c = Conv(kVTypeString, 3);
  c.mask = mask;
  Bytes v;
  ASSERT_EQ(Read(kVTypeString, c, "ABC", &v), kVOk);
  EXPECT_EQ(v, (Bytes{6, 3, 'A' ^ 1, 'B' ^ 2, 'C' ^ 3}));
  std::string out;
  ASSERT_EQ(Write(kVTypeString, c, &v, &out), kVOk);
  EXPECT_EQ(out, "ABC");
}

TEST(VVDDTest, CharFlagAndPacketSlots) {
  const VVM& vvm = VVM::Instance();
  Bytes v;
  ASSERT_EQ(Read(kVTypeChar, Conv(kVTypeChar, 0, ','), "xyz,", &v), kVOk);
  EXPECT_EQ(v, (Bytes{kVTypeChar, 'x'}));
  uint8_t buffer[255];
  int32_t length = 0;
  ASSERT_EQ(vvm.CopyBytes(kVTypeChar, v.data() + 1, buffer, &length), kVOk);
  EXPECT_EQ(length, 1);
  Bytes packet = {kVTypePacket, 0, 2, 'a', 'b'};
  EXPECT_EQ(vvm.CopyBytes(kVTypePacket, packet.data() + 1, buffer, &length),
            kVConversionNotApplicable);
  EXPECT_EQ(vvm.ReleaseData(kVTypeLString, packet.data(), nullptr), kVConversionNotApplicable);
  EXPECT_EQ(vvm.ReleaseData(kVTypeString, packet.data(), nullptr), kVOk);
  Bytes date = ShortValue(kVTypeDate, "19510722");
  ASSERT_EQ(vvm.CopyBytes(kVTypeDate, date.data() + 1, buffer, &length), kVOk);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer), 8), "19510722");
}

TEST(VVDDTest, TextOperatorsNeverHalfMatchADoubleByteCharacter) {
  Bytes v = StringValue(Sj("東京都"));
  EXPECT_TRUE(Match(v, kVOpEqual, Sj("東京都")));
  EXPECT_FALSE(Match(v, kVOpEqual, Sj("東京")));
  EXPECT_TRUE(Match(v, kVOpStartsWith, Sj("東京")));
  EXPECT_TRUE(Match(v, kVOpEndsWith, Sj("京都")));
  EXPECT_TRUE(Match(v, kVOpContains, Sj("京")));
  EXPECT_FALSE(Match(v, kVOpContains, Sj("大阪")));
  EXPECT_TRUE(Match(v, kVOpIsPrefixOf, Sj("東京都庁")));
  EXPECT_TRUE(Match(v, kVOpIsSuffixOf, Sj("南東京都")));
  EXPECT_TRUE(Match(v, kVOpIsPartOf, Sj("新東京都庁")));
  EXPECT_FALSE(Match(v, kVOpIsPartOf, Sj("東京")));
  // Half of a character: the lead byte of the first, or the trail byte of the last.
  std::string lead = Sj("東").substr(0, 1);
  std::string trail = Sj("都").substr(1, 1);
  EXPECT_FALSE(Match(v, kVOpStartsWith, lead));
  EXPECT_FALSE(Match(v, kVOpContains, lead));
  EXPECT_FALSE(Match(v, kVOpEndsWith, trail));
  EXPECT_FALSE(Match(v, kVOpContains, trail));
  // A full-width minus sign ends in 0x7C, "|": a single-byte "|" is not inside it.
  Bytes so = StringValue("\x81\x7C");
  EXPECT_FALSE(Match(so, kVOpContains, "|"));
  EXPECT_FALSE(Match(so, kVOpEndsWith, "|"));
  // Case matters.
  Bytes abc = StringValue("abc");
  EXPECT_FALSE(Match(abc, kVOpEqual, "ABC"));
  EXPECT_TRUE(Match(abc, kVOpStartsWith, "ab"));
  EXPECT_FALSE(Match(StringValue("cab"), kVOpStartsWith, "ab"));
  EXPECT_TRUE(Match(StringValue("cab"), kVOpEndsWith, "ab"));
  EXPECT_FALSE(Match(abc, 99, "abc"));
}

TEST(VVDDTest, RangeAndListOperands) {
  Bytes b = StringValue("b");
  EXPECT_TRUE(Match(b, kVOpRange, Values({"a", "c"})));
  EXPECT_TRUE(Match(b, kVOpRange, Values({"b", "b"})));
  EXPECT_FALSE(Match(b, kVOpRange, Values({"c", "d"})));
  EXPECT_TRUE(Match(b, kVOpList, Values({"x", "b"})));
  EXPECT_FALSE(Match(b, kVOpList, Values({"x", "bb"})));
  // A length byte that claims more than the operand holds ends the list.
  std::string broken = Values({"x"}) + "\x05" + "b";
  EXPECT_FALSE(Match(b, kVOpList, broken));
  EXPECT_FALSE(Match(b, kVOpRange, Values({"a"})));
  // Dates compare as their digits.
  Bytes date = ShortValue(kVTypeDate, "19510722");
  EXPECT_TRUE(Match(date, kVOpRange, Values({"19500101", "19511231"})));
}

TEST(VVDDTest, NumbersCompareAsDecimals) {
  Bytes ten = ShortValue(kVTypeNumber, "10");
  EXPECT_TRUE(Match(ten, kVOpEqual, "10.0"));
  EXPECT_FALSE(Match(ten, kVOpEqual, "11"));
  EXPECT_TRUE(Match(ten, kVOpList, Values({"5", "10.0"})));
  EXPECT_FALSE(Match(ten, kVOpList, Values({"5", "100"})));
  EXPECT_TRUE(Match(ten, kVOpRange, Values({"9.5", "10"})));
  EXPECT_TRUE(Match(ten, kVOpRange, Values({"-3", "+010"})));
  EXPECT_FALSE(Match(ten, kVOpRange, Values({"10.01", "20"})));
  EXPECT_TRUE(Match(ShortValue(kVTypeInteger, "7"), kVOpEqual, "7"));
  EXPECT_TRUE(Match(ShortValue(kVTypeInteger, "-0"), kVOpEqual, "0"));
  // Text operators look at the number's text.
  EXPECT_TRUE(Match(ShortValue(kVTypeNumber, "12345"), kVOpStartsWith, "123"));
}

TEST(VVDDTest, FlagMatchesOnlyTheSingleValueOperator) {
  Bytes on = {kVTypeFlag, 1};
  Bytes off = {kVTypeFlag, 0};
  EXPECT_TRUE(Match(on, kVOpEqual, "true"));
  EXPECT_TRUE(Match(on, kVOpEqual, "TRUE"));
  EXPECT_FALSE(Match(on, kVOpEqual, "yes"));
  EXPECT_TRUE(Match(off, kVOpEqual, "yes"));  // a text that is no Flag is off
  EXPECT_TRUE(Match(off, kVOpEqual, "false"));
  EXPECT_TRUE(Match(on, kVOpEqual, std::string("\x01", 1)));
  EXPECT_FALSE(Match(on, kVOpList, Values({"true"})));
  // A number operand means what it means when a Flag is read from it.
  EXPECT_TRUE(Match(on, kVOpEqual, "1"));
  EXPECT_TRUE(Match(on, kVOpEqual, "10"));
  EXPECT_FALSE(Match(on, kVOpEqual, "0"));
  EXPECT_TRUE(Match(off, kVOpEqual, "0"));
  EXPECT_TRUE(Match(Bytes{kVTypeFlag, 't'}, kVOpEqual, "t"));  // another single byte is itself
}

// Reading a Flag from text stores the byte that every reader takes for on or off; the first byte of
// the text ("0" is 0x30, which reads as on) is never stored.
TEST(VVDDTest, FlagReadFromTextStoresOneOrZero) {
  const std::pair<std::string, uint8_t> texts[] = {
      {"true", 1}, {"TRUE", 1}, {"1", 1},     {"7", 1},     {"-2", 1},
      {"0.5", 1},  {" 1 ", 1},  {"false", 0}, {"FALSE", 0}, {"0", 0},
      {"00", 0},   {"-0.0", 0}, {"", 0},      {"  ", 0},    {"\x01", 1}};
  for (const auto& [text, expected] : texts) {
    Bytes v;
    ASSERT_EQ(Read(kVTypeFlag, Conv(kVTypeFlag, 0, ','), text + ",", &v), kVOk) << text;
    EXPECT_EQ(v, (Bytes{kVTypeFlag, expected})) << "\"" << text << "\"";
  }
  Bytes zero;
  ASSERT_EQ(Read(kVTypeFlag, Conv(kVTypeFlag, 1), std::string(1, '\0'), &zero), kVOk);
  EXPECT_EQ(zero, (Bytes{kVTypeFlag, 0}));
  // A fixed-width field ignores its padding.
  Bytes padded;
  ASSERT_EQ(Read(kVTypeFlag, Conv(kVTypeFlag, 5), "true 1", &padded), kVOk);
  EXPECT_EQ(padded, (Bytes{kVTypeFlag, 1}));
  for (const char* text : {"t", "True", "yes", "on", "1x", "--1", "."}) {
    Bytes v;
    EXPECT_EQ(Read(kVTypeFlag, Conv(kVTypeFlag, 0, ','), std::string(text) + ",", &v), kVBadValue)
        << text;
  }
  // Char keeps its first byte.
  Bytes c;
  ASSERT_EQ(Read(kVTypeChar, Conv(kVTypeChar, 0, ','), "0,", &c), kVOk);
  EXPECT_EQ(c, (Bytes{kVTypeChar, '0'}));
}

// A source that offers a name, times and secondary data.
class NamedSource : public VItmData {
 public:
  NamedSource(const std::string& data, const std::string& secondary)
      : data_(data.data(), static_cast<int32_t>(data.size())),
        secondary_(secondary.data(), static_cast<int32_t>(secondary.size())) {}
  bool HasSourceInfo() const override { return true; }
  bool IsPlainStream() const override { return false; }
  std::string Name() const override { return name_; }
  void SetName(const std::string& name) override { name_ = name; }
  void Times(uint32_t* first, uint32_t* second) const override {
    *first = first_;
    *second = second_;
  }
  void SetTimes(uint32_t first, uint32_t second) override {
    first_ = first;
    second_ = second;
  }
  VStream* DataStream() override { return &data_; }
  VStream* SecondaryStream() override { return &secondary_; }
  void Done() override { ++done_; }

  VDMemStream data_;
  VDMemStream secondary_;
  std::string name_ = "photo.jpg";
  uint32_t first_ = 111, second_ = 222;
  int done_ = 0;
};

TEST(VVDDTest, LongDataGoesThroughTheStore) {
  VMemLongDataStore store;
  Bytes v;
  EXPECT_EQ(Read(kVTypeText, Conv(kVTypeString), "hello", &v), kVNoLongDataStore);
  ASSERT_EQ(Read(kVTypeText, Conv(kVTypeString), "hello long world", &v, nullptr, &store), kVOk);
  ASSERT_EQ(v.size(), 25u);  // type, length byte 23, the fields and an empty name
  EXPECT_EQ(v[0], kVTypeText);
  EXPECT_EQ(v[1], 23);
  const VVM& vvm = VVM::Instance();
  EXPECT_EQ(vvm.ValueLength(kVTypeText, v.data() + 1), 16);
  EXPECT_TRUE(vvm.Match(kVTypeText, v.data(), kVOpContains, 4,
                        reinterpret_cast<const uint8_t*>("long"), &store));
  EXPECT_FALSE(vvm.Match(kVTypeText, v.data(), kVOpContains, 4,
                         reinterpret_cast<const uint8_t*>("long"), nullptr));
  std::string out;
  ASSERT_EQ(Write(kVTypeText, Conv(kVTypeString, 20), &v, &out, &store), kVOk);
  EXPECT_EQ(out, std::string("hello long world\0\0\0\0", 20));
  ASSERT_EQ(Write(kVTypeText, Conv(kVTypeString, 5), &v, &out, &store), kVOk);
  EXPECT_EQ(out, "hello");

  // A source with a name, times and secondary data keeps them all.
  NamedSource source("JPEGDATA", "thumb");
  const auto* jpeg = static_cast<const VVDD_Long*>(vvm.Type(kVTypeJPEG));
  Bytes photo;
  ASSERT_EQ(jpeg->ReadFrom(source, &photo, &store), kVOk);
  EXPECT_EQ(source.done_, 1);
  EXPECT_EQ(photo[1], 23 + 9);
  EXPECT_EQ(vvm.ValueLength(kVTypeJPEG, photo.data() + 1), 8);
  EXPECT_EQ(jpeg->SecondarySize(photo.data() + 1), 5);
  uint8_t name[255];
  int32_t length = 0;
  ASSERT_EQ(vvm.CopyBytes(kVTypeJPEG, photo.data() + 1, name, &length), kVOk);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(name), static_cast<size_t>(length)), "photo.jpg");
  NamedSource sink("", "");
  sink.name_.clear();
  ASSERT_EQ(jpeg->WriteTo(sink, photo.data(), &store), kVOk);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(sink.data_.Data()), 8), "JPEGDATA");
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(sink.secondary_.Data()), 5), "thumb");
  EXPECT_EQ(sink.name_, "photo.jpg");
  EXPECT_EQ(sink.first_, 111u);

  EXPECT_EQ(store.Count(), 3u);
  ASSERT_EQ(vvm.ReleaseData(kVTypeJPEG, photo.data(), &store), kVOk);
  ASSERT_EQ(vvm.ReleaseData(kVTypeText, v.data(), &store), kVOk);
  EXPECT_EQ(store.Count(), 0u);
  // Data that is gone never matches and cannot be written.
  EXPECT_FALSE(vvm.Match(kVTypeText, v.data(), kVOpContains, 4,
                         reinterpret_cast<const uint8_t*>("long"), &store));
  EXPECT_EQ(Write(kVTypeText, Conv(kVTypeString), &v, &out, &store), kVLongDataMissing);
}

}  // namespace
