// VDecimal: the decimal number behind Number and Integer values and keys. It is a view: the sign,
// and the integer and fraction digits as runs inside the text it was parsed from, so parsing and
// comparing never copy or allocate. The text must outlive the VDecimal.
//
// Parsing skips leading spaces, one optional "+" or "-", spaces again and leading zeros, then
// takes digits, at most one ".", and digits; any other byte ends the number. Trailing zeros of the
// fraction are dropped and a negative zero is positive, so equal numbers have equal digit runs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

class VDecimal {
 public:
  VDecimal() = default;
  VDecimal(const uint8_t* text, size_t length) { Parse(text, length); }

  void Parse(const uint8_t* text, size_t length);

  // Negative below positive; then more integer digits is larger; then the integer digits, then
  // the fraction digits bytewise (a shorter fraction that is a prefix is smaller); negated for two
  // negative numbers. Answers -1, 0 or 1.
  int Compare(const VDecimal& other) const;

  bool IsNegative() const { return negative_; }
  const uint8_t* IntegerDigits() const { return integer_; }
  size_t IntegerLength() const { return integerLength_; }
  const uint8_t* FractionDigits() const { return fraction_; }
  size_t FractionLength() const { return fractionLength_; }

  // The canonical text: "-" when negative, the integer digits ("0" when there are none), then "."
  // and the fraction digits when there is a fraction.
  size_t CanonicalLength() const;
  // Writes the canonical text cut to capacity; answers the bytes written.
  size_t WriteCanonical(uint8_t* out, size_t capacity) const;
  std::string Canonical() const;

  // The integer part as a two's-complement 64-bit value (wrapping on overflow, fraction dropped).
  int64_t IntegerValue() const;

 private:
  bool negative_ = false;
  const uint8_t* integer_ = nullptr;
  size_t integerLength_ = 0;
  const uint8_t* fraction_ = nullptr;
  size_t fractionLength_ = 0;
};

// Compares two decimal texts.
int VCompareDecimalText(const uint8_t* a, size_t aLength, const uint8_t* b, size_t bLength);
