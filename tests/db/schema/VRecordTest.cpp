#include "db/schema/VRecord.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "Sjis.h"
#include "db/schema/VLongDataStore.h"
#include "db/schema/VVDD.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes Image(const VRecord& r) { return Bytes(r.Image(), r.Image() + r.ImageLength()); }

Bytes Value(uint8_t type, const std::string& text) {
  Bytes v(2 + text.size());
  v[0] = type;
  v[1] = static_cast<uint8_t>(text.size());
  std::copy(text.begin(), text.end(), v.begin() + 2);
  return v;
}

VResult Add(VRecord& r, int item, const Bytes& v) {
  return r.AddValue(item, v.data(), static_cast<int32_t>(v.size()));
}

VResult AddText(VRecord& r, int item, const std::string& text) {
  return Add(r, item, Value(kVTypeString, text));
}

std::string Text(const VRecord& r, int item, int occurrence) {
  VValueRef ref;
  if (r.ValueRef(item, occurrence, &ref) != kVOk) return "<none>";
  return std::string(reinterpret_cast<const char*>(ref.bytes), ref.length);
}

TEST(VRecordTest, ExactBufferLayouts) {
  VRecord r;
  EXPECT_EQ(Image(r), (Bytes{0, 0}));
  EXPECT_EQ(r.Capacity(), 8192);
  ASSERT_EQ(AddText(r, 3, "AB"), kVOk);
  EXPECT_EQ(Image(r), (Bytes{0, 5, 3, 6, 2, 0x41, 0x42}));
  // A second value turns the entry into the multi-value form.
  ASSERT_EQ(AddText(r, 3, "C"), kVOk);
  EXPECT_EQ(Image(r), (Bytes{0, 12, 3, 0xFF, 2, 0x00, 0x07, 6, 2, 0x41, 0x42, 6, 1, 0x43}));
  // Item 1 goes before item 3, item 9 after it.
  ASSERT_EQ(Add(r, 1, Bytes{kVTypeFlag, 1}), kVOk);
  ASSERT_EQ(AddText(r, 9, ""), kVOk);
  EXPECT_EQ(Image(r),
            (Bytes{0, 18, 1, 4, 1, 3, 0xFF, 2, 0x00, 0x07, 6, 2, 0x41, 0x42, 6, 1, 0x43, 9, 6, 0}));
  // A third value is appended to the occurrences.
  ASSERT_EQ(AddText(r, 3, "D"), kVOk);
  EXPECT_EQ(r.OccurrenceCount(3), 3);
  EXPECT_EQ(Text(r, 3, 0), "AB");
  EXPECT_EQ(Text(r, 3, 1), "AB");
  EXPECT_EQ(Text(r, 3, 3), "D");
  EXPECT_EQ(Text(r, 3, 4), "<none>");
  EXPECT_EQ(r.ItemCount(), 3);
  EXPECT_EQ(r.OccurrenceCount(2), 0);
  EXPECT_EQ(r.ValueType(1, 1), kVTypeFlag);
  EXPECT_EQ(r.ValueType(2, 1), 0);
  EXPECT_EQ(r.ValueLength(2, 1), kVValueMissing);
  EXPECT_EQ(r.View().Check(), kVOk);
  r.Clear();
  EXPECT_EQ(Image(r), (Bytes{0, 0}));
}

TEST(VRecordTest, The256thValueIsRefusedAndTheRecordUnchanged) {
  VRecord r;
  for (int i = 0; i < 255; ++i) ASSERT_EQ(AddText(r, 7, "x"), kVOk) << i;
  Bytes before = Image(r);
  EXPECT_EQ(AddText(r, 7, "x"), kVTooManyOccurrences);
  EXPECT_EQ(Image(r), before);
  EXPECT_EQ(r.OccurrenceCount(7), 255);
}

TEST(VRecordTest, AreaLimitAndCapacityFollowTheRecordSize) {
  VRecord r(100);
  EXPECT_EQ(r.Capacity(), 512);
  std::string big(255, 'z');
  int item = 1;
  VResult result = kVOk;
  while ((result = AddText(r, item, big)) == kVOk) ++item;
  EXPECT_EQ(result, kVRecordTooLong);
  // The limit: area length + value size + 4 must stay within 0x7C00.
  EXPECT_GT(r.AreaLength() + 257 + 4, 0x7C00);
  EXPECT_LE(r.AreaLength(), 0x7C00);
  EXPECT_EQ(r.Capacity() % 512, 0);
  EXPECT_GE(r.Capacity(), r.ImageLength());
  EXPECT_EQ(r.View().Check(), kVOk);
}

TEST(VRecordTest, TurningASingleValueIntoSeveralNeverOverrunsTheBuffer) {
  // With area + value size + 4 at 511 or 512 bytes of a 512-byte buffer, the multi-value form
  // needs two bytes more than that sum (the sanitizer catches a write past the buffer).
  for (int extra : {0, 1}) {
    VRecord r(512);
    ASSERT_EQ(AddText(r, 1, "a"), kVOk);                            // 4 bytes
    ASSERT_EQ(AddText(r, 2, std::string(247, 'p')), kVOk);          // 250 bytes
    ASSERT_EQ(AddText(r, 3, std::string(247 + extra, 'q')), kVOk);  // 250 or 251 bytes
    ASSERT_EQ(r.AreaLength() + 3 + 4, 511 + extra);
    ASSERT_EQ(AddText(r, 1, "b"), kVOk);
    EXPECT_GE(r.Capacity(), r.ImageLength());
    EXPECT_EQ(r.View().Check(), kVOk);
    EXPECT_EQ(Text(r, 1, 2), "b");
    EXPECT_EQ(Text(r, 3, 1), std::string(247 + extra, 'q'));
  }
}

TEST(VRecordTest, AddValueRefusesMalformedValues) {
  VRecord r;
  Bytes good = Value(kVTypeString, "ab");
  EXPECT_EQ(r.AddValue(0, good.data(), 4), kVBadValue);
  EXPECT_EQ(r.AddValue(256, good.data(), 4), kVBadValue);
  EXPECT_EQ(r.AddValue(1, good.data(), 3), kVBadValue);  // the size lies
  EXPECT_EQ(r.AddValue(1, good.data(), 5), kVBadValue);
  Bytes unknown = {200, 1, 'x'};
  EXPECT_EQ(Add(r, 1, unknown), kVNoValueType);
  EXPECT_EQ(Image(r), (Bytes{0, 0}));
  // A value taken from the record itself may be added to it.
  ASSERT_EQ(AddText(r, 1, "self"), kVOk);
  VValueRef ref;
  ASSERT_EQ(r.ValueRef(1, 1, &ref), kVOk);
  ASSERT_EQ(r.AddValue(1, ref.value, ref.size), kVOk);
  EXPECT_EQ(Text(r, 1, 2), "self");
}

TEST(VRecordTest, LoadRefusesCorruptBuffersWithoutReadingOutside) {
  VRecord good;
  EXPECT_EQ(AddText(good, 2, "ab"), kVOk);
  EXPECT_EQ(AddText(good, 2, "cd"), kVOk);
  EXPECT_EQ(AddText(good, 5, "e"), kVOk);
  Bytes image = Image(good);
  VRecord r;
  ASSERT_EQ(r.Load(image.data(), static_cast<int32_t>(image.size())), kVOk);
  EXPECT_EQ(Image(r), image);
  EXPECT_EQ(r.Capacity(), 512);

  auto refused = [&](Bytes bad) {
    VRecord loaded;
    EXPECT_EQ(AddText(loaded, 1, "old"), kVOk);
    VResult result = loaded.Load(bad.data(), static_cast<int32_t>(bad.size()));
    return result == kVRecordCorrupt && Image(loaded) == Bytes({0, 0});
  };
  Bytes longArea = image;
  longArea[1] += 1;  // area length beyond the bytes given
  EXPECT_TRUE(refused(longArea));
  EXPECT_TRUE(refused(Bytes{0}));
  Bytes badCount = image;
  badCount[4] = 3;  // the multi-value count lies
  EXPECT_TRUE(refused(badCount));
  Bytes zeroCount = image;
  zeroCount[4] = 0;
  EXPECT_TRUE(refused(zeroCount));
  Bytes badType = image;
  badType[7] = 77;  // an unknown type code
  EXPECT_TRUE(refused(badType));
  Bytes runsPast = image;
  runsPast[8] = 200;  // a value longer than its occurrence area
  EXPECT_TRUE(refused(runsPast));
  Bytes order = {0, 6, 5, 6, 0, 2, 6, 0};  // items out of order
  EXPECT_TRUE(refused(order));

  // Readers over a corrupt buffer report instead of stepping outside it.
  VRecordView view(longArea.data(), longArea.size());
  EXPECT_EQ(view.ItemCount(), kVRecordCorrupt);
  VValueRef ref;
  EXPECT_EQ(view.ValueRef(2, 1, &ref), kVRecordCorrupt);
  Bytes truncated(image.begin(), image.end() - 1);
  truncated[1] -= 1;  // the area ends inside the last entry
  VRecordView cut(truncated.data(), truncated.size());
  EXPECT_EQ(cut.ValueRef(5, 1, &ref), kVRecordCorrupt);
  EXPECT_EQ(cut.ValueRef(2, 2, &ref), kVOk);
  EXPECT_FALSE(cut.Match(0, kVOpEqual, 1, reinterpret_cast<const uint8_t*>("e")));
}

TEST(VRecordTest, MatchLooksAtEveryValueOfTheItem) {
  VRecord r;
  EXPECT_EQ(AddText(r, 2, "apple"), kVOk);
  EXPECT_EQ(AddText(r, 2, Sj("りんご")), kVOk);
  EXPECT_EQ(Add(r, 4, Value(kVTypeNumber, "10")), kVOk);
  auto match = [&](int item, int op, const std::string& operand) {
    return r.Match(item, op, static_cast<int32_t>(operand.size()),
                   reinterpret_cast<const uint8_t*>(operand.data()));
  };
  EXPECT_TRUE(match(2, kVOpEqual, Sj("りんご")));
  EXPECT_TRUE(match(2, kVOpStartsWith, "app"));
  EXPECT_FALSE(match(3, kVOpStartsWith, "app"));
  EXPECT_TRUE(match(0, kVOpEqual, "10.00"));  // any item
  EXPECT_FALSE(match(2, kVOpEqual, "10.00"));
  EXPECT_TRUE(match(4, kVOpList, std::string("\x01") + "5" + "\x04" + "10.0"));
}

TEST(VRecordTest, KeyValuesForOneAndSeveralItems) {
  VRecord r;
  EXPECT_EQ(AddText(r, 1, "ab"), kVOk);
  EXPECT_EQ(AddText(r, 1, "c"), kVOk);
  EXPECT_EQ(Add(r, 2, Bytes{kVTypeFlag, 1}), kVOk);
  EXPECT_EQ(Add(r, 3, Bytes{kVTypePacket, 0, 1, 'p'}), kVOk);
  uint8_t buffer[kVMaxKeyValues];
  int32_t count = 0, length = 0;
  const uint8_t one[] = {1};
  ASSERT_EQ(r.KeyValue(one, &count, buffer, sizeof buffer, &length), kVOk);
  EXPECT_EQ(count, 2);
  EXPECT_EQ(Bytes(buffer, buffer + length), (Bytes{2, 'a', 'b', 1, 'c'}));
  const uint8_t joined[] = {2, 1};
  ASSERT_EQ(r.KeyValue(joined, &count, buffer, sizeof buffer, &length), kVOk);
  EXPECT_EQ(count, 1);
  EXPECT_EQ(Bytes(buffer, buffer + length), (Bytes{3, 1, 'a', 'b'}));
  const uint8_t withAbsent[] = {1, 9};
  ASSERT_EQ(r.KeyValue(withAbsent, &count, buffer, sizeof buffer, &length), kVOk);
  EXPECT_EQ(count, 0);
  EXPECT_EQ(length, 0);
  const uint8_t packet[] = {3};  // a Packet has no key bytes
  ASSERT_EQ(r.KeyValue(packet, &count, buffer, sizeof buffer, &length), kVOk);
  EXPECT_EQ(count, 0);
  EXPECT_EQ(r.KeyValue(one, &count, buffer, 4, &length), kVBufferTooSmall);

  // Several long values join to at most 255 bytes, never ending in half a character.
  VRecord big;
  EXPECT_EQ(AddText(big, 1, std::string(200, 'x')), kVOk);
  std::string kanji;
  for (int i = 0; i < 60; ++i) kanji += Sj("漢");
  EXPECT_EQ(AddText(big, 2, kanji), kVOk);  // joined, the 255th byte is a lead byte
  const uint8_t two[] = {1, 2};
  ASSERT_EQ(big.KeyValue(two, &count, buffer, sizeof buffer, &length), kVOk);
  EXPECT_EQ(count, 1);
  EXPECT_EQ(buffer[0], 254);
  EXPECT_EQ(length, 255);
}

TEST(VRecordTest, TaggedValuesAndValueText) {
  VRecord r;
  EXPECT_EQ(AddText(r, 1, "name"), kVOk);
  EXPECT_EQ(Add(r, 3, Value(kVTypeDate, "19510722")), kVOk);
  EXPECT_EQ(Add(r, 4, Value(kVTypeInteger, "-15")), kVOk);
  uint8_t buffer[64];
  int32_t length = 0;
  const uint8_t items[] = {1, 2, 3};
  ASSERT_EQ(r.TaggedValues(items, buffer, sizeof buffer, &length), kVOk);
  EXPECT_EQ(Bytes(buffer, buffer + length),
            (Bytes{6, 4, 'n', 'a', 'm', 'e', 0, 0, 1, 8, '1', '9', '5', '1', '0', '7', '2', '2'}));
  EXPECT_EQ(r.TaggedValues(items, buffer, 10, &length), kVBufferTooSmall);

  ASSERT_EQ(r.ValueText(3, 1, buffer, sizeof buffer, &length), kVOk);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer), static_cast<size_t>(length)),
            "1951/07/22");
  // An Integer comes out as its decimal text.
  ASSERT_EQ(r.ValueText(4, 1, buffer, sizeof buffer, &length), kVOk);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer), static_cast<size_t>(length)), "-15");
  EXPECT_EQ(r.ValueText(9, 1, buffer, sizeof buffer, &length), kVValueMissing);
  EXPECT_EQ(r.ValueText(1, 1, buffer, 2, &length), -29);
}

TEST(VRecordTest, SetValueFromTextAndCopies) {
  VMemLongDataStore store;
  VRecord r;
  auto set = [&](int item, int type, const std::string& text) {
    return r.SetValueFromText(item, type, reinterpret_cast<const uint8_t*>(text.data()),
                              static_cast<int32_t>(text.size()), &store);
  };
  ASSERT_EQ(set(1, kVTypeDate, "S64/10/10"), kVOk);
  ASSERT_EQ(set(2, kVTypeInteger, "123"), kVOk);
  ASSERT_EQ(set(3, kVTypeFlag, "1"), kVOk);
  ASSERT_EQ(set(4, kVTypeText, "long text"), kVOk);
  ASSERT_EQ(set(5, kVTypeString, ""), kVOk);
  EXPECT_EQ(set(6, 99, "x"), kVNoValueType);
  EXPECT_EQ(set(6, kVTypeString, std::string(300, 's')), kVWidthTooLarge);
  EXPECT_EQ(Text(r, 1, 1), "19891010");
  EXPECT_EQ(Text(r, 2, 1), "123");
  EXPECT_EQ(Text(r, 3, 1), std::string(1, '\x01'));  // the Flag's byte, on
  EXPECT_EQ(r.ValueLength(4, 1), 9);
  EXPECT_EQ(r.ValueLength(5, 1), 0);

  VRecord copy(r);
  EXPECT_EQ(Image(copy), Image(r));
  EXPECT_EQ(AddText(copy, 9, "only in the copy"), kVOk);
  EXPECT_EQ(r.OccurrenceCount(9), 0);
  r = copy;
  EXPECT_EQ(Text(r, 9, 1), "only in the copy");
}

}  // namespace
