// Calendar values: VDate, VTime and VDateTime, with CorDate, CorTime and CorDateTime as signed
// offsets. Gregorian throughout; there is no year 0 (the year before 1 is -1) and years of 0 or
// less are never leap years. Parsing reads loosely written text (Japanese era years included) and
// leaves the fields the text does not give as they were.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

struct CorDate {
  int32_t years = 0;
  int32_t months = 0;
  int32_t days = 0;
};

struct CorTime {
  int32_t hours = 0;
  int32_t minutes = 0;
  int32_t seconds = 0;
};

struct CorDateTime : CorDate, CorTime {};

bool VIsLeapYear(int32_t year);
// Days in a month; a month outside 1..12 counts as 30 days.
int32_t VDaysInMonth(int32_t year, int32_t month);
// The current local date and time: year, month, day, hours, minutes, seconds.
void VCurrentLocalTime(int32_t fields[6]);
// The machine's offset of local time from universal time, in seconds (east positive).
int32_t VLocalOffsetSeconds();

class VDate {
 public:
  // Starts as 0/0/0: a date made to be parsed keeps 0 for the parts the text does not give.
  VDate() = default;
  VDate(int32_t year, int32_t month, int32_t day);
  virtual ~VDate() = default;
  virtual void Normalize();

  // Reads a date from text at position (advanced over what was read): separators " ,:/-" and
  // control bytes; a year of up to 4 digits or an era letter (M, T, S, H) with up to 2 digits; then
  // up to 2 digits each for the month and the day.
  void Parse(std::string_view text, size_t* position = nullptr);
  void Set(int32_t year, int32_t month, int32_t day);
  void AddYears(int32_t n);
  void AddMonths(int32_t n);
  void AddDays(int32_t n);
  void Add(const CorDate& offset);
  void Subtract(const CorDate& offset);
  // Year, then month, then day: -1, 0 or +1.
  int Compare(const VDate& other) const;
  // Signed count of days from other to this date.
  int64_t DaysBetween(const VDate& other) const;
  // 0 Sunday to 6 Saturday.
  int Weekday() const;
  std::string EraYear() const;
  // 0 YYYYMMDD, 1 YYYY/MM/DD, 2 era/MM/DD, 3 "Sun, 22 Jul 1951", 4 "Sunday, 22-Jul-51".
  std::string Format(int form) const;

  int32_t Year() const { return year_; }
  int32_t Month() const { return month_; }
  int32_t Day() const { return day_; }

 protected:
  void NormalizeFields();
  void SetWeekday(int weekday) {
    weekdayKnown_ = true;
    weekday_ = weekday;
  }

  int32_t year_ = 0;
  int32_t month_ = 0;
  int32_t day_ = 0;
  mutable bool weekdayKnown_ = false;
  mutable int weekday_ = 0;
};

class VTime {
 public:
  VTime() = default;
  VTime(int32_t hours, int32_t minutes, int32_t seconds);
  virtual ~VTime() = default;
  // Carries seconds into minutes, minutes into hours and hours into the day carry by floor
  // division.
  virtual void Normalize();

  void Parse(std::string_view text, size_t* position = nullptr);
  void Set(int32_t hours, int32_t minutes, int32_t seconds);
  void AddHours(int32_t n);
  void AddMinutes(int32_t n);
  void AddSeconds(int32_t n);
  void Add(const CorTime& offset);
  void Subtract(const CorTime& offset);
  // Forms 1 to 4 HH:MM:SS, any other HHMMSS.
  std::string Format(int form) const;

  int32_t Hours() const { return hours_; }
  int32_t Minutes() const { return minutes_; }
  int32_t Seconds() const { return seconds_; }
  int32_t DayCarry() const { return dayCarry_; }

 protected:
  int32_t hours_ = 0;
  int32_t minutes_ = 0;
  int32_t seconds_ = 0;
  int32_t dayCarry_ = 0;
};

class VDateTime : public VDate, public VTime {
 public:
  // The current local date and time.
  VDateTime();
  // Parsed from text, starting from 0/0/0 00:00:00 in local time.
  explicit VDateTime(std::string_view text);
  VDateTime(int32_t year, int32_t month, int32_t day, int32_t hours, int32_t minutes,
            int32_t seconds);

  // Date, then time, then the time's day carry added to the date as days.
  void Normalize() override;
  virtual void Add(const CorDateTime& offset);
  virtual void Subtract(const CorDateTime& offset);
  virtual void AddHours(int32_t n);
  virtual void AddMinutes(int32_t n);
  virtual void AddSeconds(int32_t n);

  // Tries, in order: "Sun, 22 Jul 1951 10:20:30 [GMT]", "Sunday, 22-Jul-51 10:20:30 [GMT]",
  // "Sun Jul 22 10:20:30 1951 [GMT]", then a date and a time; a zone "GMT" marks universal time.
  void Parse(std::string_view text, size_t* position = nullptr);
  void Set(int32_t year, int32_t month, int32_t day, int32_t hours, int32_t minutes,
           int32_t seconds);
  void ToUniversal();
  // 0 YYYYMMDDHHMMSS; 1, 2 date form and time with " GMT" in universal time; 3, 4 converted to
  // universal time, with " GMT".
  std::string Format(int form) const;

  bool IsUniversal() const { return universal_; }
  void SetUniversal(bool universal) { universal_ = universal; }

 private:
  bool universal_ = false;
};
