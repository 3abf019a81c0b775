// Date, Time and DateTime: compact digits in the record, text with "/" and ":" outside it.
#include <cstdio>
#include <string_view>

#include "base/VDate.h"
#include "base/VSjis.h"
#include "base/VStream.h"
#include "db/schema/VVDD.h"

namespace {

// The number written by the digits at [at, at + width) of the stored digits; missing or non-digit
// positions count as 0, so a short or absent value formats as zeros.
int Field(const uint8_t* digits, uint32_t length, uint32_t at, uint32_t width) {
  int value = 0;
  for (uint32_t i = at; i < at + width; ++i) {
    uint8_t d = digits && i < length ? digits[i] : '0';
    value = value * 10 + (VIsDigit(d) ? d - '0' : 0);
  }
  return value;
}

int Clamp(int value, int high) { return value < 0 ? 0 : (value > high ? high : value); }

std::string DateDigits(const VDate& d) {
  char text[48];
  std::snprintf(text, sizeof text, "%04d%02d%02d", Clamp(d.Year(), 9999), Clamp(d.Month(), 99),
                Clamp(d.Day(), 99));
  return text;
}

std::string TimeDigits(const VTime& t) {
  char text[48];
  std::snprintf(text, sizeof text, "%02d%02d%02d", Clamp(t.Hours(), 99), Clamp(t.Minutes(), 99),
                Clamp(t.Seconds(), 99));
  return text;
}

std::string DateText(const uint8_t* digits, uint32_t length) {
  char text[48];
  std::snprintf(text, sizeof text, "%04d/%02d/%02d", Field(digits, length, 0, 4),
                Field(digits, length, 4, 2), Field(digits, length, 6, 2));
  return text;
}

std::string TimeText(const uint8_t* digits, uint32_t length, uint32_t at) {
  char text[48];
  std::snprintf(text, sizeof text, "%02d:%02d:%02d", Field(digits, length, at, 2),
                Field(digits, length, at + 2, 2), Field(digits, length, at + 4, 2));
  return text;
}

std::string_view View(const uint8_t* text, int32_t length) {
  return std::string_view(reinterpret_cast<const char*>(text), static_cast<size_t>(length));
}

// Stored digits written under the number conversion; a missing value writes zeros.
std::string StoredDigits(const uint8_t* digits, uint32_t length, uint32_t zeros) {
  if (!digits) return std::string(zeros, '0');
  return std::string(reinterpret_cast<const char*>(digits), length);
}

}  // namespace

int32_t VVDDDate::ValueLength(const uint8_t*) const { return 10; }
int32_t VVDDTime::ValueLength(const uint8_t*) const { return 8; }
int32_t VVDDDateTime::ValueLength(const uint8_t*) const { return 19; }

std::string VVDDDate::Digits(const uint8_t* text, int32_t length) const {
  VDate date;
  date.Parse(View(text, length));
  return DateDigits(date);
}

std::string VVDDTime::Digits(const uint8_t* text, int32_t length) const {
  VTime time;
  time.Parse(View(text, length));
  return TimeDigits(time);
}

std::string VVDDDateTime::Digits(const uint8_t* text, int32_t length) const {
  VDateTime dateTime(View(text, length));
  return DateDigits(dateTime) + TimeDigits(dateTime);
}

bool VVDDDate::Format(uint8_t type, const uint8_t* digits, uint32_t length,
                      std::string* text) const {
  if (type == kVTypeNumber) {
    *text = StoredDigits(digits, length, 8);
  } else if (type == kVTypeDate || type == kVTypeString) {
    *text = DateText(digits, length);
  } else {
    return false;
  }
  return true;
}

bool VVDDTime::Format(uint8_t type, const uint8_t* digits, uint32_t length,
                      std::string* text) const {
  if (type == kVTypeNumber) {
    *text = StoredDigits(digits, length, 6);
  } else if (type == kVTypeTime || type == kVTypeString) {
    *text = TimeText(digits, length, 0);
  } else {
    return false;
  }
  return true;
}

bool VVDDDateTime::Format(uint8_t type, const uint8_t* digits, uint32_t length,
                          std::string* text) const {
  if (type == kVTypeNumber) {
    *text = StoredDigits(digits, length, 14);
  } else if (type == kVTypeDate || type == kVTypeTime || type == kVTypeDateTime ||
             type == kVTypeString) {
    *text = DateText(digits, length) + " " + TimeText(digits, length, 8);
  } else {
    return false;
  }
  return true;
}

VResult VVDDDate::ReadValue(const VConversion& conversion, VStream& input,
                            std::vector<uint8_t>* value, VLongDataStore*) const {
  uint8_t field[64];
  int32_t n = 0;
  VResult r = ReadField(conversion, input, 63, 64, true, field, &n);
  if (r != kVOk) return r;
  std::string digits = Digits(field, n);
  BuildShort(reinterpret_cast<const uint8_t*>(digits.data()), static_cast<int32_t>(digits.size()),
             value);
  return kVOk;
}

VResult VVDDDate::WriteValue(const VConversion& conversion, VStream& output, const uint8_t* value,
                             VLongDataStore*) const {
  VValueBytes digits = value ? VBytesOf(value) : VValueBytes{nullptr, 0};
  std::string text;
  if (!Format(conversion.type, digits.bytes, digits.length, &text)) {
    return kVConversionNotApplicable;
  }
  return WriteText(conversion, output, reinterpret_cast<const uint8_t*>(text.data()),
                   static_cast<uint32_t>(text.size()), false, nullptr);
}
