#include "db/schema/VDecimal.h"

#include <gtest/gtest.h>

#include <string>

namespace {

VDecimal Dec(const std::string& text) {
  return VDecimal(reinterpret_cast<const uint8_t*>(text.data()), text.size());
}

int Cmp(const std::string& a, const std::string& b) { return Dec(a).Compare(Dec(b)); }

TEST(VDecimalTest, CanonicalFormsOfOneNumberAgree) {
  // Trailing fraction zeros, leading zeros, a plus sign and blanks all vanish.
  for (const char* text : {"1.5", "1.50", "01.5", "+1.5", "  + 001.500", "1.5xyz"}) {
    EXPECT_EQ(Dec(text).Canonical(), "1.5") << text;
  }
  EXPECT_EQ(Dec("-0").Canonical(), "0");
  EXPECT_EQ(Dec("-0.000").Canonical(), "0");
  EXPECT_FALSE(Dec("- 0.0").IsNegative());
  EXPECT_EQ(Dec(".25").Canonical(), "0.25");
  EXPECT_EQ(Dec("- 12.").Canonical(), "-12");
  EXPECT_EQ(Dec("1.2.3").Canonical(), "1.2");
  EXPECT_EQ(Dec("abc").Canonical(), "0");
  EXPECT_EQ(Dec("").Canonical(), "0");
  EXPECT_EQ(Dec("-007").Canonical(), "-7");
  EXPECT_EQ(Dec("100").Canonical(), "100");
}

TEST(VDecimalTest, ComparesSignThenMagnitudeThenDigits) {
  EXPECT_EQ(Cmp("10", "10.0"), 0);
  EXPECT_EQ(Cmp("-0", "0"), 0);
  EXPECT_LT(Cmp("-1", "0"), 0);
  EXPECT_LT(Cmp("9", "10"), 0);      // more integer digits is larger
  EXPECT_GT(Cmp("-9", "-10"), 0);    // negated for two negatives
  EXPECT_LT(Cmp("1.5", "1.55"), 0);  // a shorter fraction that is a prefix is smaller
  EXPECT_GT(Cmp("1.6", "1.55"), 0);
  EXPECT_LT(Cmp("-1.6", "-1.55"), 0);
  EXPECT_LT(Cmp("0.001", "0.01"), 0);
  EXPECT_GT(Cmp("123456789012345678901234567890", "99999999999999999999"), 0);
}

TEST(VDecimalTest, CanonicalWriteIsBoundedAndIntegerValueWraps) {
  uint8_t out[3];
  EXPECT_EQ(Dec("-12.5").WriteCanonical(out, sizeof out), 3u);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(out), 3), "-12");
  EXPECT_EQ(Dec("-12.9").IntegerValue(), -12);
  EXPECT_EQ(Dec("4294967297").IntegerValue(), 4294967297LL);
}

}  // namespace
