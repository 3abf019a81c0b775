// The values of a query condition: VValue, one value as written (its type and its text, with the
// "?" and "!" markers of a string), and VExpValue, the value part of a condition (one value, a
// range of two, or a list).
//
// Texts are kept as written, without quotes; showing writes them back in the statement syntax, so a
// shown value part reads again as the same values. Before a value is compared with stored values it
// is made into the bytes a stored value of the compared item or key would hand out (StoredBytes).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "base/VObj.h"

class VValue : public VObj {
 public:
  static constexpr uint8_t kDate = 1;
  static constexpr uint8_t kTime = 2;
  static constexpr uint8_t kDateTime = 3;
  static constexpr uint8_t kString = 4;
  static constexpr uint8_t kNumber = 5;

  // before and after: the markers "?" or "!" of a string, 0 for none.
  VValue(uint8_t type, std::string text, uint8_t before = 0, uint8_t after = 0)
      : type_(type), before_(before), after_(after), text_(std::move(text)) {}

  uint8_t Type() const { return type_; }
  const std::string& Text() const { return text_; }
  uint8_t Before() const { return before_; }
  uint8_t After() const { return after_; }
  bool HasMarkers() const { return before_ != 0 || after_ != 0; }

  // 16 for equality; with markers 16 + 2 (one before) + 1 (one after) + 8 (the markers are "!").
  int MatchKind() const;

  // Appends D"text", T"text", O"text", N"text", or a string in double quotes with its markers; a
  // double quote inside the text is written twice.
  void Show(std::string* out) const;

  // The bytes compared with stored values of a value type (type code of the item or key): for Date,
  // Time and DateTime, when the whole value is compared, the text is read as such a value (so
  // "2001/2/3" finds the stored 20010203); with asKey a Flag takes the one byte a Flag key holds,
  // read by VFlagOperand as the Flag's match reads its operand (so "1", "true" and "TRUE" are on,
  // "0", "false" and "FALSE" off); otherwise the text as it is.
  std::string StoredBytes(uint8_t valueType, bool wholeValue, bool asKey) const;

 private:
  uint8_t type_;
  uint8_t before_;
  uint8_t after_;
  std::string text_;
};

class VExpValue : public VObj {
 public:
  static constexpr int kSingle = 16;
  static constexpr int kRange = 32;
  static constexpr int kList = 64;

  int Shape() const { return shape_; }
  void SetShape(int shape) { shape_ = shape; }
  int32_t Count() const { return static_cast<int32_t>(values_.size()); }
  const VValue& At(int32_t index) const { return values_[static_cast<size_t>(index)]; }
  void Add(VValue value) { values_.push_back(std::move(value)); }

  // The single value's match kind, or 32 for a range and 64 for a list.
  int MatchKind() const { return shape_ == kSingle ? values_.front().MatchKind() : shape_; }

  // True for a range or list of which some value carries markers: such a value part means "any
  // of these values", each compared by its own match kind.
  bool IsAnyOf() const;

  // Appends the value, "a - b" for a range, "(a, b, c)" for a list.
  void Show(std::string* out) const;

 private:
  int shape_ = kSingle;
  std::vector<VValue> values_;
};
