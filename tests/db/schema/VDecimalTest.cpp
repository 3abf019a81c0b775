#include "db/schema/VDecimal.h"

#include <gtest/gtest.h>

#include <random>
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

// Texts of random numbers in every accepted spelling, compared against the numbers themselves
// (whole millionths, exact in 128 bits).
TEST(VDecimalTest, TextComparisonAgreesWithTheNumbers) {
  std::mt19937_64 random(5);
  auto spell = [&](__int128 millionths) {
    std::string text;
    const bool negative = millionths < 0;
    unsigned __int128 magnitude = negative ? -millionths : millionths;
    std::string whole = std::to_string(static_cast<uint64_t>(magnitude / 1000000));
    std::string fraction = std::to_string(static_cast<uint64_t>(magnitude % 1000000 + 1000000));
    fraction = fraction.substr(1);
    if (random() % 3 == 0) text += " ";
    if (negative)
      text += "-";
    else if (random() % 4 == 0)
      text += "+";
    if (random() % 4 == 0) text += "00";
    text += whole;
    while (!fraction.empty() && fraction.back() == '0' && random() % 2 == 0) fraction.pop_back();
    if (fraction.find_first_not_of('0') != std::string::npos || random() % 3 == 0) {
      text += "." + fraction;
    }
    if (random() % 5 == 0) text += "x9";  // anything after the number is not read
    return text;
  };
  auto pick = [&]() -> __int128 {
    switch (random() % 4) {
      case 0:
        return static_cast<__int128>(random() % 2000) - 1000;
      case 1:
        return static_cast<__int128>(random() % 1000) * 1000000;  // whole numbers
      case 2:
        return static_cast<__int128>(random() % 100000000000000000ull);
      default:
        return -static_cast<__int128>(random() % 100000000000ull);
    }
  };
  for (int i = 0; i < 20000; ++i) {
    const __int128 x = pick();
    const __int128 y = random() % 5 == 0 ? x : pick();
    const std::string a = spell(x), b = spell(y);
    const int expected = x < y ? -1 : (x > y ? 1 : 0);
    const int got = VCompareDecimalText(reinterpret_cast<const uint8_t*>(a.data()), a.size(),
                                        reinterpret_cast<const uint8_t*>(b.data()), b.size());
    ASSERT_EQ(got, expected) << a << " vs " << b;
  }
}

TEST(VDecimalTest, CanonicalWriteIsBoundedAndIntegerValueWraps) {
  uint8_t out[3];
  EXPECT_EQ(Dec("-12.5").WriteCanonical(out, sizeof out), 3u);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(out), 3), "-12");
  EXPECT_EQ(Dec("-12.9").IntegerValue(), -12);
  EXPECT_EQ(Dec("4294967297").IntegerValue(), 4294967297LL);
}

}  // namespace
