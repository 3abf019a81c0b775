#include "base/VDate.h"

#include <cstdio>
#include <ctime>

#include "base/VSjis.h"
#include "base/VSystemCalls.h"

namespace {

const char* const kMonths[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                 "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
const char* const kWeekdays[7] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                  "Thursday", "Friday", "Saturday"};

int64_t FloorDiv(int64_t a, int64_t b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }

// Steps a year by delta, skipping year 0.
int32_t ShiftYear(int32_t year, int32_t delta) {
  int64_t result = static_cast<int64_t>(year) + delta;
  bool crossed = (year > 0) != (result > 0) || result == 0;
  if (crossed && delta != 0) result += delta > 0 ? 1 : -1;
  if (result == 0) result = 1;
  return static_cast<int32_t>(result);
}

// Days from an origin to the first of January of year (no year 0; years <= 0 have 365 days).
int64_t DaysBeforeYear(int32_t year) {
  if (year >= 1) {
    int64_t y = year - 1;
    return 365 * y + y / 4 - y / 100 + y / 400;
  }
  return 365 * static_cast<int64_t>(year);
}

int64_t DayNumber(int32_t year, int32_t month, int32_t day) {
  int64_t days = DaysBeforeYear(year == 0 ? 1 : year);
  for (int32_t m = 1; m < month && m <= 12; ++m) days += VDaysInMonth(year, m);
  return days + day;
}

bool IsSeparator(uint8_t b, std::string_view separators) {
  return b < 0x20 || separators.find(static_cast<char>(b)) != std::string_view::npos;
}

// A cursor over text used by the parsers: skips separators, reads digit runs and tokens.
struct Cursor {
  std::string_view text;
  size_t at;

  void Skip(std::string_view separators) {
    while (at < text.size() && IsSeparator(static_cast<uint8_t>(text[at]), separators)) ++at;
  }
  bool Digits(size_t most, int32_t* value) {
    size_t start = at;
    int32_t v = 0;
    while (at < text.size() && at - start < most && VIsDigit(static_cast<uint8_t>(text[at]))) {
      v = v * 10 + (text[at] - '0');
      ++at;
    }
    if (at == start) return false;
    *value = v;
    return true;
  }
  std::string_view Token(std::string_view separators) {
    Skip(separators);
    size_t start = at;
    while (at < text.size() && !IsSeparator(static_cast<uint8_t>(text[at]), separators)) ++at;
    return text.substr(start, at - start);
  }
};

bool StartsWithIgnoringCase(std::string_view token, std::string_view prefix) {
  if (token.size() < prefix.size()) return false;
  for (size_t i = 0; i < prefix.size(); ++i) {
    if (VToUpper(static_cast<uint8_t>(token[i])) != VToUpper(static_cast<uint8_t>(prefix[i]))) {
      return false;
    }
  }
  return true;
}

bool Number(std::string_view token, int32_t* value) {
  if (token.empty() || token.size() > 9) return false;
  int32_t v = 0;
  for (char c : token) {
    if (!VIsDigit(static_cast<uint8_t>(c))) return false;
    v = v * 10 + (c - '0');
  }
  *value = v;
  return true;
}

int WeekdayToken(std::string_view token) {
  for (int i = 0; i < 7; ++i) {
    if (StartsWithIgnoringCase(token, std::string_view(kWeekdays[i], 3))) return i;
  }
  return -1;
}

int MonthToken(std::string_view token) {
  for (int i = 0; i < 12; ++i) {
    if (StartsWithIgnoringCase(token, kMonths[i])) return i + 1;
  }
  return -1;
}

struct Fields {
  int weekday = -1;
  int32_t year = 0, month = 0, day = 0, hours = 0, minutes = 0, seconds = 0;
  bool universal = false;
};

bool InRange(int32_t v, int32_t low, int32_t high) { return v >= low && v <= high; }

// Reads the optional zone token; "GMT" marks universal time.
void Zone(Cursor& c, std::string_view separators, Fields* f) {
  Cursor probe = c;
  std::string_view zone = probe.Token(separators);
  if (zone.empty()) return;
  c = probe;
  f->universal = zone.size() == 3 && StartsWithIgnoringCase(zone, "GMT");
}

bool Clock(Cursor& c, std::string_view separators, Fields* f) {
  return Number(c.Token(separators), &f->hours) && InRange(f->hours, 0, 24) &&
         Number(c.Token(separators), &f->minutes) && InRange(f->minutes, 0, 60) &&
         Number(c.Token(separators), &f->seconds) && InRange(f->seconds, 0, 60);
}

// Forms 1 and 2: weekday, day, month, year, clock, zone.
bool ParseDayMonthYear(Cursor& c, std::string_view separators, bool shortYear, Fields* f) {
  f->weekday = WeekdayToken(c.Token(separators));
  if (f->weekday < 0) return false;
  if (!Number(c.Token(separators), &f->day) || !InRange(f->day, 1, 31)) return false;
  f->month = MonthToken(c.Token(separators));
  if (f->month < 0) return false;
  std::string_view yearToken = c.Token(separators);
  if (!Number(yearToken, &f->year)) return false;
  if (shortYear && yearToken.size() == 2) {
    f->year += f->year >= 61 ? 1900 : 2000;
  } else if (shortYear && yearToken.size() != 4) {
    return false;
  }
  if (f->year <= 1899) return false;
  if (!Clock(c, separators, f)) return false;
  Zone(c, separators, f);
  return true;
}

// Form 3: weekday, month, day, clock, year, zone.
bool ParseAsctime(Cursor& c, std::string_view separators, Fields* f) {
  f->weekday = WeekdayToken(c.Token(separators));
  if (f->weekday < 0) return false;
  f->month = MonthToken(c.Token(separators));
  if (f->month < 0) return false;
  if (!Number(c.Token(separators), &f->day) || !InRange(f->day, 1, 31)) return false;
  if (!Clock(c, separators, f)) return false;
  if (!Number(c.Token(separators), &f->year) || f->year <= 1899) return false;
  Zone(c, separators, f);
  return true;
}

}  // namespace

bool VIsLeapYear(int32_t year) {
  return year > 0 && year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
}

int32_t VDaysInMonth(int32_t year, int32_t month) {
  switch (month) {
    case 2:
      return VIsLeapYear(year) ? 29 : 28;
    case 4:
    case 6:
    case 9:
    case 11:
      return 30;
    case 1:
    case 3:
    case 5:
    case 7:
    case 8:
    case 10:
    case 12:
      return 31;
    default:
      return 30;
  }
}

void VCurrentLocalTime(int32_t fields[6]) {
  std::time_t now = VSys().Time();
  std::tm local{};
  localtime_r(&now, &local);
  fields[0] = local.tm_year + 1900;
  fields[1] = local.tm_mon + 1;
  fields[2] = local.tm_mday;
  fields[3] = local.tm_hour;
  fields[4] = local.tm_min;
  fields[5] = local.tm_sec;
}

int32_t VLocalOffsetSeconds() {
  std::time_t now = VSys().Time();
  std::tm local{};
  localtime_r(&now, &local);
  return static_cast<int32_t>(local.tm_gmtoff);
}

// --- VDate ---

VDate::VDate(int32_t year, int32_t month, int32_t day) : year_(year), month_(month), day_(day) {}

void VDate::Set(int32_t year, int32_t month, int32_t day) {
  year_ = year;
  month_ = month;
  day_ = day;
  weekdayKnown_ = false;
}

void VDate::Normalize() {
  int32_t year = year_, month = month_, day = day_;
  NormalizeFields();
  if (year != year_ || month != month_ || day != day_) weekdayKnown_ = false;
}

void VDate::NormalizeFields() {
  if (year_ == 0) year_ = 1;
  if (month_ < 1 || month_ > 12) {
    int64_t carry = FloorDiv(month_ - 1, 12);
    month_ = static_cast<int32_t>(month_ - carry * 12);
    year_ = ShiftYear(year_, static_cast<int32_t>(carry));
  }
  while (day_ > VDaysInMonth(year_, month_)) {
    day_ -= VDaysInMonth(year_, month_);
    if (++month_ > 12) {
      month_ = 1;
      year_ = ShiftYear(year_, 1);
    }
  }
  while (day_ < 1) {
    if (--month_ < 1) {
      month_ = 12;
      year_ = ShiftYear(year_, -1);
    }
    day_ += VDaysInMonth(year_, month_);
  }
}

void VDate::Parse(std::string_view text, size_t* position) {
  constexpr std::string_view kSeparators = " ,:/-";
  Cursor c{text, position ? *position : 0};
  c.Skip(kSeparators);
  int32_t value = 0;
  if (c.at < text.size()) {
    uint8_t first = static_cast<uint8_t>(text[c.at]);
    if (VIsDigit(first)) {
      if (c.Digits(4, &value)) year_ = value;
    } else {
      ++c.at;
      if (c.Digits(2, &value)) {
        switch (VToUpper(first)) {
          case 'M':
            value += 1867;
            break;
          case 'T':
            value += 1911;
            break;
          case 'S':
            value += 1925;
            break;
          case 'H':
            value += 1988;
            break;
          default:
            break;
        }
        year_ = value;
      }
    }
  }
  c.Skip(kSeparators);
  if (c.Digits(2, &value)) month_ = value;
  c.Skip(kSeparators);
  if (c.Digits(2, &value)) day_ = value;
  weekdayKnown_ = false;
  if (position) *position = c.at;
}

void VDate::AddYears(int32_t n) {
  if (n == 0) return;
  year_ = ShiftYear(year_, n);
  weekdayKnown_ = false;
}

void VDate::AddMonths(int32_t n) {
  if (n == 0) return;
  weekdayKnown_ = false;
  int64_t month = static_cast<int64_t>(month_) + n;
  if (month >= 1 && month <= 12) {
    month_ = static_cast<int32_t>(month);
    return;
  }
  int64_t carry = FloorDiv(month - 1, 12);
  month_ = static_cast<int32_t>(month - carry * 12);
  year_ = ShiftYear(year_, static_cast<int32_t>(carry));
}

void VDate::AddDays(int32_t n) {
  if (n == 0) return;
  weekdayKnown_ = false;
  int64_t day = static_cast<int64_t>(day_) + n;
  if (day >= 1 && day <= VDaysInMonth(year_, month_)) {
    day_ = static_cast<int32_t>(day);
    return;
  }
  // Stepping across months and years is the day normalisation of a date whose month is valid.
  if (month_ < 1 || month_ > 12) Normalize();
  while (day > 146097 && year_ > 0) {  // whole 400-year cycles, each of 146097 days
    day -= 146097;
    year_ += 400;
  }
  while (day < -146097 && year_ > 400) {
    day += 146097;
    year_ -= 400;
  }
  day_ = static_cast<int32_t>(day);
  Normalize();
}

void VDate::Add(const CorDate& offset) {
  AddYears(offset.years);
  AddMonths(offset.months);
  AddDays(offset.days);
}

void VDate::Subtract(const CorDate& offset) {
  AddDays(-offset.days);
  AddMonths(-offset.months);
  AddYears(-offset.years);
}

int VDate::Compare(const VDate& other) const {
  if (year_ != other.year_) return year_ < other.year_ ? -1 : 1;
  if (month_ != other.month_) return month_ < other.month_ ? -1 : 1;
  if (day_ != other.day_) return day_ < other.day_ ? -1 : 1;
  return 0;
}

int64_t VDate::DaysBetween(const VDate& other) const {
  return DayNumber(year_, month_, day_) - DayNumber(other.year_, other.month_, other.day_);
}

int VDate::Weekday() const {
  if (!weekdayKnown_) {
    int64_t days = DaysBetween(VDate(1951, 7, 22)) % 7;
    weekday_ = static_cast<int>(days < 0 ? days + 7 : days);
    weekdayKnown_ = true;
  }
  return weekday_;
}

std::string VDate::EraYear() const {
  char out[32];
  long year = year_;
  if (year <= 1867) {
    std::snprintf(out, sizeof out, "%4ld", year);
  } else if (year <= 1911) {
    std::snprintf(out, sizeof out, "M%2ld", year - 1867);
  } else if (year <= 1925) {
    std::snprintf(out, sizeof out, "T%2ld", year - 1911);
  } else if (year <= 1988) {
    std::snprintf(out, sizeof out, "S%2ld", year - 1925);
  } else {
    std::snprintf(out, sizeof out, "H%2ld", year - 1988);
  }
  return out;
}

std::string VDate::Format(int form) const {
  char out[96];
  long y = year_, m = month_, d = day_;
  const char* month = (month_ >= 1 && month_ <= 12) ? kMonths[month_ - 1] : "???";
  switch (form) {
    case 0:
      std::snprintf(out, sizeof out, "%4ld%02ld%02ld", y, m, d);
      break;
    case 1:
      std::snprintf(out, sizeof out, "%4ld/%02ld/%02ld", y, m, d);
      break;
    case 2:
      std::snprintf(out, sizeof out, "%s/%02ld/%02ld", EraYear().c_str(), m, d);
      break;
    case 3:
      std::snprintf(out, sizeof out, "%.3s, %ld %s %ld", kWeekdays[Weekday()], d, month, y);
      break;
    case 4:
      std::snprintf(out, sizeof out, "%s, %ld-%s-%ld", kWeekdays[Weekday()], d, month, y - 1900);
      break;
    default:
      out[0] = '\0';
      break;
  }
  return out;
}

// --- VTime ---

VTime::VTime(int32_t hours, int32_t minutes, int32_t seconds)
    : hours_(hours), minutes_(minutes), seconds_(seconds) {}

void VTime::Set(int32_t hours, int32_t minutes, int32_t seconds) {
  hours_ = hours;
  minutes_ = minutes;
  seconds_ = seconds;
}

void VTime::Normalize() {
  int64_t carry = FloorDiv(seconds_, 60);
  seconds_ = static_cast<int32_t>(seconds_ - carry * 60);
  int64_t minutes = minutes_ + carry;
  carry = FloorDiv(minutes, 60);
  minutes_ = static_cast<int32_t>(minutes - carry * 60);
  int64_t hours = hours_ + carry;
  carry = FloorDiv(hours, 24);
  hours_ = static_cast<int32_t>(hours - carry * 24);
  dayCarry_ = static_cast<int32_t>(dayCarry_ + carry);
}

void VTime::Parse(std::string_view text, size_t* position) {
  constexpr std::string_view kSeparators = " ,:/-";
  Cursor c{text, position ? *position : 0};
  int32_t value = 0;
  c.Skip(kSeparators);
  if (c.Digits(2, &value)) hours_ = value;
  c.Skip(kSeparators);
  if (c.Digits(2, &value)) minutes_ = value;
  c.Skip(kSeparators);
  if (c.Digits(2, &value)) seconds_ = value;
  if (position) *position = c.at;
}

void VTime::AddHours(int32_t n) {
  hours_ += n;
  Normalize();
}

void VTime::AddMinutes(int32_t n) {
  minutes_ += n;
  Normalize();
}

void VTime::AddSeconds(int32_t n) {
  seconds_ += n;
  Normalize();
}

void VTime::Add(const CorTime& offset) {
  hours_ += offset.hours;
  minutes_ += offset.minutes;
  seconds_ += offset.seconds;
  Normalize();
}

void VTime::Subtract(const CorTime& offset) {
  hours_ -= offset.hours;
  minutes_ -= offset.minutes;
  seconds_ -= offset.seconds;
  Normalize();
}

std::string VTime::Format(int form) const {
  char out[64];
  long h = hours_, m = minutes_, s = seconds_;
  if (form >= 1 && form <= 4) {
    std::snprintf(out, sizeof out, "%02ld:%02ld:%02ld", h, m, s);
  } else {
    std::snprintf(out, sizeof out, "%02ld%02ld%02ld", h, m, s);
  }
  return out;
}

// --- VDateTime ---

VDateTime::VDateTime() {
  int32_t now[6];
  VCurrentLocalTime(now);
  Set(now[0], now[1], now[2], now[3], now[4], now[5]);
}

VDateTime::VDateTime(std::string_view text) { Parse(text); }

VDateTime::VDateTime(int32_t year, int32_t month, int32_t day, int32_t hours, int32_t minutes,
                     int32_t seconds) {
  Set(year, month, day, hours, minutes, seconds);
}

void VDateTime::Set(int32_t year, int32_t month, int32_t day, int32_t hours, int32_t minutes,
                    int32_t seconds) {
  VDate::Set(year, month, day);
  VTime::Set(hours, minutes, seconds);
}

void VDateTime::Normalize() {
  VDate::Normalize();
  VTime::Normalize();
  if (dayCarry_ != 0) {
    int32_t carry = dayCarry_;
    dayCarry_ = 0;
    AddDays(carry);
  }
}

void VDateTime::Add(const CorDateTime& offset) {
  VDate::Add(offset);
  hours_ += offset.hours;
  minutes_ += offset.minutes;
  seconds_ += offset.seconds;
  Normalize();
}

void VDateTime::Subtract(const CorDateTime& offset) {
  hours_ -= offset.hours;
  minutes_ -= offset.minutes;
  seconds_ -= offset.seconds;
  Normalize();
  VDate::Subtract(offset);
}

void VDateTime::AddHours(int32_t n) {
  hours_ += n;
  Normalize();
}

void VDateTime::AddMinutes(int32_t n) {
  minutes_ += n;
  Normalize();
}

void VDateTime::AddSeconds(int32_t n) {
  seconds_ += n;
  Normalize();
}

void VDateTime::Parse(std::string_view text, size_t* position) {
  size_t start = position ? *position : 0;
  struct Form {
    std::string_view separators;
    int kind;  // 1 day-month-year, 2 the same with short years, 3 asctime
  };
  const Form forms[3] = {{" ,:", 1}, {" ,:-", 2}, {" ,:", 3}};
  for (const Form& form : forms) {
    Cursor c{text, start};
    Fields f;
    bool ok = form.kind == 3 ? ParseAsctime(c, form.separators, &f)
                             : ParseDayMonthYear(c, form.separators, form.kind == 2, &f);
    if (!ok) continue;
    Set(f.year, f.month, f.day, f.hours, f.minutes, f.seconds);
    // The weekday as it was written is kept.
    SetWeekday(f.weekday);
    universal_ = f.universal;
    if (position) *position = c.at;
    return;
  }
  size_t at = start;
  VDate::Parse(text, &at);
  VTime::Parse(text, &at);
  Cursor c{text, at};
  Fields f;
  Zone(c, " ,:", &f);
  universal_ = f.universal;
  if (position) *position = c.at;
}

void VDateTime::ToUniversal() {
  if (universal_) return;
  AddSeconds(-VLocalOffsetSeconds());
  universal_ = true;
}

std::string VDateTime::Format(int form) const {
  if (form == 0) return VDate::Format(0) + VTime::Format(0);
  if (form == 1 || form == 2) {
    std::string out = VDate::Format(form) + " " + VTime::Format(form);
    if (universal_) out += " GMT";
    return out;
  }
  if (form == 3 || form == 4) {
    VDateTime universal = *this;
    universal.ToUniversal();
    return universal.VDate::Format(form) + " " + universal.VTime::Format(form) + " GMT";
  }
  return std::string();
}
