#include "base/VDate.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <ctime>
#include <memory>
#include <string>

namespace {

std::string Ymd(const VDate& d) { return d.Format(1); }

// Runs a test body with a fixed time zone so that universal-time conversions are predictable.
class TimeZone {
 public:
  explicit TimeZone(const char* zone) {
    const char* old = std::getenv("TZ");
    had_ = old != nullptr;
    if (had_) old_ = old;
    setenv("TZ", zone, 1);
    tzset();
  }
  ~TimeZone() {
    if (had_) {
      setenv("TZ", old_.c_str(), 1);
    } else {
      unsetenv("TZ");
    }
    tzset();
  }

 private:
  bool had_;
  std::string old_;
};

TEST(VDate, ParsesEraAndPlainYears) {
  VDate d;
  d.Parse("H12/3/4");
  EXPECT_EQ(Ymd(d), "2000/03/04");
  d.Parse("S64/10/10");
  EXPECT_EQ(Ymd(d), "1989/10/10");
  d.Parse("m45-7-30");
  EXPECT_EQ(Ymd(d), "1912/07/30");
  d.Parse("t1 12 25");
  EXPECT_EQ(Ymd(d), "1912/12/25");
  d.Parse("  1999,12,31");
  EXPECT_EQ(Ymd(d), "1999/12/31");
  d.Parse("20240229");  // four digits for the year, then two and two
  EXPECT_EQ(Ymd(d), "2024/02/29");
  // Missing parts leave the fields as they were.
  VDate e(2001, 5, 6);
  e.Parse("1990");
  EXPECT_EQ(Ymd(e), "1990/05/06");
  e.Parse("");
  EXPECT_EQ(Ymd(e), "1990/05/06");
  e.Parse("X");  // an unknown era letter with no digits
  EXPECT_EQ(Ymd(e), "1990/05/06");
  size_t at = 0;
  VDate f;
  f.Parse("2020/1/2 rest", &at);
  EXPECT_EQ(at, 8u);
}

// A view of text held in a heap block of exactly its size, so that the sanitizer reports any read
// past its end (a std::string's terminator and inline buffer would hide one).
class ExactText {
 public:
  explicit ExactText(std::string_view text) : bytes_(std::make_unique<char[]>(text.size())) {
    if (!text.empty()) std::memcpy(bytes_.get(), text.data(), text.size());
    size_ = text.size();
  }
  std::string_view View() const { return {bytes_.get(), size_}; }

 private:
  std::unique_ptr<char[]> bytes_;
  size_t size_ = 0;
};

TEST(VDate, NeverReadsPastItsText) {
  // Every prefix of a text parses from exactly its bytes, stops within them, and reads what the
  // prefix holds: the date once its day is complete, the time once its seconds are.
  const std::string text = "H12/03/04 10:20:30";
  for (size_t n = 0; n <= text.size(); ++n) {
    SCOPED_TRACE("prefix of " + std::to_string(n) + " bytes");
    const ExactText prefix(std::string_view(text).substr(0, n));
    VDate date(2001, 5, 6);
    size_t at = 0;
    date.Parse(prefix.View(), &at);
    EXPECT_LE(at, n);
    if (n >= 9) {
      EXPECT_EQ(Ymd(date), "2000/03/04");
    }
    if (n == 0) {
      EXPECT_EQ(Ymd(date), "2001/05/06");
    }
    VDateTime both;
    at = 0;
    both.Parse(prefix.View(), &at);
    EXPECT_LE(at, n);
    if (n == text.size()) {
      EXPECT_EQ(both.Format(1), "2000/03/04 10:20:30");
    }
  }
  // Each single byte alone: a digit is a year, anything else leaves the date as it was.
  for (int b = 0; b < 256; ++b) {
    const char one = static_cast<char>(b);
    const ExactText alone(std::string_view(&one, 1));
    VDate d(2001, 5, 6);
    size_t at = 0;
    d.Parse(alone.View(), &at);
    EXPECT_LE(at, 1u);
    if (b < '0' || b > '9') {
      EXPECT_EQ(d.Month(), 5) << "byte " << b;
    }
  }
  // The long forms cut anywhere: "Sun, 22 Jul 1951 10:20:30 GMT" read from each prefix.
  const std::string mail = "Sun, 22 Jul 1951 10:20:30 GMT";
  for (size_t n = 0; n <= mail.size(); ++n) {
    const ExactText prefix(std::string_view(mail).substr(0, n));
    VDateTime dt;
    size_t at = 0;
    dt.Parse(prefix.View(), &at);
    EXPECT_LE(at, n);
    if (n == mail.size()) {
      EXPECT_EQ(dt.Format(0), "19510722102030");
    }
  }
}

TEST(VDate, LeapYearsAndNormalisation) {
  EXPECT_FALSE(VIsLeapYear(1900));
  EXPECT_TRUE(VIsLeapYear(2000));
  EXPECT_TRUE(VIsLeapYear(2024));
  EXPECT_FALSE(VIsLeapYear(-4));
  EXPECT_EQ(VDaysInMonth(2023, 2), 28);
  EXPECT_EQ(VDaysInMonth(2023, 13), 30);
  VDate d(2000, 2, 30);
  d.Normalize();
  EXPECT_EQ(Ymd(d), "2000/03/01");
  VDate e(1999, 14, 0);
  e.Normalize();
  EXPECT_EQ(Ymd(e), "2000/01/31");
  VDate f(1, 1, 0);  // the day before 1/1/1 lies in year -1
  f.Normalize();
  EXPECT_EQ(f.Year(), -1);
  EXPECT_EQ(f.Month(), 12);
  EXPECT_EQ(f.Day(), 31);
  VDate g(0, 1, 1);
  g.Normalize();
  EXPECT_EQ(g.Year(), 1);
}

TEST(VDate, ArithmeticAcrossMonthsYearsAndZero) {
  VDate d(1999, 12, 31);
  d.AddDays(1);
  EXPECT_EQ(Ymd(d), "2000/01/01");
  d.AddDays(-1);
  EXPECT_EQ(Ymd(d), "1999/12/31");
  d.AddDays(60);  // across February of 2000 (29 days)
  EXPECT_EQ(Ymd(d), "2000/02/29");
  d.AddDays(365 * 400 + 97);  // one 400-year cycle
  EXPECT_EQ(Ymd(d), "2400/02/29");
  VDate y(1, 1, 1);
  y.AddYears(-1);
  EXPECT_EQ(y.Year(), -1);
  y.AddYears(2);
  EXPECT_EQ(y.Year(), 2);
  VDate m(2001, 11, 15);
  m.AddMonths(3);
  EXPECT_EQ(Ymd(m), "2002/02/15");
  m.AddMonths(-14);
  EXPECT_EQ(Ymd(m), "2000/12/15");
  VDate c(2000, 1, 31);
  c.Add(CorDate{1, 1, 1});
  EXPECT_EQ(Ymd(c), "2001/03/04");  // 2001/02/31 + 1 day carries the excess into March
  c.Subtract(CorDate{1, 1, 1});
  EXPECT_EQ(Ymd(c), "2000/02/03");  // days first, then months, then years
}

TEST(VDate, DayCountingAndWeekdays) {
  EXPECT_EQ(VDate(2001, 1, 1).DaysBetween(VDate(2000, 1, 1)), 366);
  EXPECT_EQ(VDate(1900, 3, 1).DaysBetween(VDate(1900, 2, 28)), 1);
  EXPECT_EQ(VDate(2000, 3, 1).DaysBetween(VDate(2000, 2, 28)), 2);
  EXPECT_EQ(VDate(1951, 7, 22).DaysBetween(VDate(2024, 7, 22)), -26664);
  EXPECT_EQ(VDate(1, 1, 1).DaysBetween(VDate(-1, 12, 31)), 1);
  EXPECT_EQ(VDate(1951, 7, 22).Weekday(), 0);
  EXPECT_EQ(VDate(2000, 1, 1).Weekday(), 6);
  EXPECT_EQ(VDate(1900, 1, 1).Weekday(), 1);
  EXPECT_EQ(VDate(2026, 12, 8).Weekday(), 2);
  EXPECT_EQ(VDate(1951, 7, 22).Compare(VDate(1951, 7, 23)), -1);
  EXPECT_EQ(VDate(1952, 1, 1).Compare(VDate(1951, 12, 31)), 1);
}

TEST(VDate, FormsAndEraYears) {
  VDate d(1951, 7, 22);
  EXPECT_EQ(d.Format(0), "19510722");
  EXPECT_EQ(d.Format(2), "S26/07/22");
  EXPECT_EQ(d.Format(3), "Sun, 22 Jul 1951");
  EXPECT_EQ(d.Format(4), "Sunday, 22-Jul-51");
  EXPECT_EQ(VDate(1926, 1, 1).EraYear(), "S 1");
  EXPECT_EQ(VDate(1868, 1, 1).EraYear(), "M 1");
  EXPECT_EQ(VDate(1867, 1, 1).EraYear(), "1867");
  EXPECT_EQ(VDate(1925, 1, 1).EraYear(), "T14");
  EXPECT_EQ(VDate(1989, 1, 1).EraYear(), "H 1");
}

TEST(VTime, NormalisationCarries) {
  VTime t(25, 61, 61);
  t.Normalize();
  EXPECT_EQ(t.Format(1), "02:02:01");
  EXPECT_EQ(t.DayCarry(), 1);
  VTime u(0, 0, -1);
  u.Normalize();
  EXPECT_EQ(u.Format(0), "235959");
  EXPECT_EQ(u.DayCarry(), -1);
  VTime p;
  p.Parse("7:5");
  EXPECT_EQ(p.Format(2), "07:05:00");
}

TEST(VDateTime, ParsesTheFourForms) {
  TimeZone zone("JST-9");
  VDateTime a("Sun, 22 Jul 1951 10:20:30 GMT");
  EXPECT_EQ(a.Format(0), "19510722102030");
  EXPECT_TRUE(a.IsUniversal());
  VDateTime b("Sunday, 22-Jul-60 10:20:30");
  EXPECT_EQ(b.Year(), 2060);
  EXPECT_FALSE(b.IsUniversal());
  VDateTime c("Sunday, 22-Jul-61 10:20:30");
  EXPECT_EQ(c.Year(), 1961);
  VDateTime d("Sun Jul 22 10:20:30 1951");
  EXPECT_EQ(d.Format(0), "19510722102030");
  VDateTime e("H12/3/4 5:6:7");
  EXPECT_EQ(e.Format(1), "2000/03/04 05:06:07");
  // The weekday as written is kept, even when it is wrong for the date.
  VDateTime f("Mon, 22 Jul 1951 00:00:00");
  EXPECT_EQ(f.Weekday(), 1);
  // Out-of-range fields fall through to the plain date form.
  VDateTime g("Sun, 32 Jul 1951 10:20:30");
  EXPECT_NE(g.Day(), 32);
}

TEST(VDateTime, UniversalTimeRoundTrips) {
  TimeZone zone("JST-9");
  VDateTime local(2000, 1, 1, 5, 0, 0);
  std::string rfc = local.Format(3);
  EXPECT_EQ(rfc, "Fri, 31 Dec 1999 20:00:00 GMT");
  VDateTime back(rfc);
  EXPECT_TRUE(back.IsUniversal());
  EXPECT_EQ(back.Format(1), "1999/12/31 20:00:00 GMT");
  VDateTime noZone("Fri, 31 Dec 1999 20:00:00");
  EXPECT_FALSE(noZone.IsUniversal());
  EXPECT_EQ(noZone.Format(1), "1999/12/31 20:00:00");
  EXPECT_EQ(local.Format(4), "Friday, 31-Dec-99 20:00:00 GMT");
  VDateTime carry(2000, 12, 31, 23, 59, 59);
  carry.AddSeconds(1);
  EXPECT_EQ(carry.Format(0), "20010101000000");
  carry.Subtract(CorDateTime{});
  carry.AddHours(-25);
  EXPECT_EQ(carry.Format(0), "20001230230000");
}

}  // namespace
