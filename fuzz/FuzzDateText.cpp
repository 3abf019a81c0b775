// Date and time texts: read loosely as dates, times and date-times, normalised, offset by amounts
// from the input, and written in every form; and read as values of the date types of records.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "base/VDate.h"
#include "db/schema/VRecord.h"
#include "db/schema/VValue.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  size_t position = 0;
  VDate date;
  date.Parse(text, &position);
  date.Normalize();
  VTime time;
  position = 0;
  time.Parse(text, &position);
  time.Normalize();
  VDateTime moment(text);
  moment.Normalize();
  // The parsed fields as offsets: wide swings of the calendar arithmetic.
  const CorDate shift{time.Hours(), time.Minutes(), time.Seconds()};
  date.Add(shift);
  date.Subtract(shift);
  CorDateTime both;
  both.years = date.Day();
  both.days = date.Year();
  both.seconds = date.Month();
  moment.Add(both);
  for (int form = 0; form <= 5; ++form) {
    (void)date.Format(form);
    (void)time.Format(form);
    (void)moment.Format(form);
  }
  (void)date.Weekday();
  (void)date.EraYear();
  (void)date.DaysBetween(moment);
  for (int type : {kVTypeDate, kVTypeTime, kVTypeDateTime}) {
    VRecord record;
    if (record.SetValueFromText(1, type, data, static_cast<int32_t>(size)) != 0) continue;
    uint8_t buffer[256];
    int32_t length = 0;
    (void)record.ValueText(1, 1, buffer, sizeof buffer, &length);
  }
  return 0;
}
