#include "db/engine/VExpValue.h"

#include <vector>

#include "base/VStream.h"
#include "db/schema/VVM.h"

int VValue::MatchKind() const {
  int kind = 16;
  if (before_ != 0) kind += 2;
  if (after_ != 0) kind += 1;
  if (before_ == '!' || after_ == '!') kind += 8;
  return kind;
}

void VValue::Show(std::string* out) const {
  switch (type_) {
    case kDate:
      *out += 'D';
      break;
    case kTime:
      *out += 'T';
      break;
    case kDateTime:
      *out += 'O';
      break;
    case kNumber:
      *out += 'N';
      break;
    default:
      if (before_ != 0) *out += static_cast<char>(before_);
      break;
  }
  *out += '"';
  for (char c : text_) {
    if (c == '"') *out += '"';
    *out += c;
  }
  *out += '"';
  if (type_ == kString && after_ != 0) *out += static_cast<char>(after_);
}

std::string VValue::StoredBytes(uint8_t valueType, bool wholeValue, bool asKey) const {
  const bool dated =
      valueType == kVTypeDate || valueType == kVTypeTime || valueType == kVTypeDateTime;
  if (dated && wholeValue) {
    VConversion conversion;
    conversion.type = valueType;
    VROMStream input(text_.data(), static_cast<int64_t>(text_.size()));
    std::vector<uint8_t> value;
    if (VVM::Instance().ReadValue(valueType, conversion, input, &value, nullptr) == kVOk &&
        value.size() >= 2 && value.size() >= 2u + value[1]) {
      return std::string(reinterpret_cast<const char*>(value.data() + 2), value[1]);
    }
    return text_;
  }
  if (valueType == kVTypeFlag && asKey) {
    // The one byte a Flag key holds, read from the text as a Flag is read from any text (an item
    // scan hands the text to the Flag's match, which reads it the same way).
    return std::string(1, static_cast<char>(VFlagOperand(
                              reinterpret_cast<const uint8_t*>(text_.data()), text_.size())));
  }
  return text_;
}

bool VExpValue::IsAnyOf() const {
  if (shape_ == kSingle) return false;
  for (const VValue& value : values_) {
    if (value.HasMarkers()) return true;
  }
  return false;
}

void VExpValue::Show(std::string* out) const {
  if (values_.empty()) return;
  if (shape_ == kRange && values_.size() == 2) {
    values_[0].Show(out);
    *out += " - ";
    values_[1].Show(out);
    return;
  }
  if (shape_ == kList) {
    *out += '(';
    for (size_t i = 0; i < values_.size(); ++i) {
      if (i > 0) *out += ", ";
      values_[i].Show(out);
    }
    *out += ')';
    return;
  }
  values_.front().Show(out);
}
