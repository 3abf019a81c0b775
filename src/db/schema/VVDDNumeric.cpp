// Number and Integer: both keep decimal text; Integer reads and writes binary integers under the
// integer conversion, and both compare as decimals.
#include "base/VFile.h"
#include "base/VSjis.h"
#include "base/VStream.h"
#include "db/schema/VDecimal.h"
#include "db/schema/VVDD.h"

namespace {

bool IsTextConversion(uint8_t type) { return type == kVTypeString || type == kVTypeNumber; }

// The value as a little-endian integer of width bytes (4 when the width is 0): the low four bytes
// of its integer part, zero bytes past them.
VResult WriteBinaryInteger(const VConversion& conversion, VStream& output, const uint8_t* value) {
  int64_t number = 0;
  if (value) {
    VValueBytes bytes = VBytesOf(value);
    number = VDecimal(bytes.bytes, bytes.length).IntegerValue();
  }
  uint32_t u = static_cast<uint32_t>(static_cast<uint64_t>(number));
  uint8_t bytes[4] = {static_cast<uint8_t>(u), static_cast<uint8_t>(u >> 8),
                      static_cast<uint8_t>(u >> 16), static_cast<uint8_t>(u >> 24)};
  int32_t width = conversion.width > 0 ? conversion.width : 4;
  int32_t direct = width < 4 ? width : 4;
  if (output.Write(bytes, direct) != direct) return kVWriteFailed;
  if (width > 4 && !output.WriteRepeated(width - 4, 0)) return kVWriteFailed;
  return kVOk;
}

}  // namespace

VResult VVDDNumber::ReadValue(const VConversion& conversion, VStream& input,
                              std::vector<uint8_t>* value, VLongDataStore*) const {
  uint8_t field[128];
  int32_t n = 0;
  VResult r = ReadField(conversion, input, 127, 127, false, field, &n);
  if (r != kVOk) return r;
  BuildShort(field, n, value);
  return kVOk;
}

VResult VVDDNumber::WriteValue(const VConversion& conversion, VStream& output, const uint8_t* value,
                               VLongDataStore* store) const {
  if (conversion.type == kVTypeInteger) return WriteBinaryInteger(conversion, output, value);
  return VVDD::WriteValue(conversion, output, value, store);
}

bool VVDDNumber::Match(const uint8_t* value, int op, int32_t operandLength, const uint8_t* operand,
                       VLongDataStore*) const {
  VValueBytes bytes = VBytesOf(value);
  return VMatchDecimal(bytes.bytes, bytes.length, op, operand, operandLength);
}

VResult VVDDInteger::ReadValue(const VConversion& conversion, VStream& input,
                               std::vector<uint8_t>* value, VLongDataStore*) const {
  if (IsTextConversion(conversion.type)) {
    uint8_t field[128];
    int32_t n = 0;
    VResult r = ReadField(conversion, input, 127, 127, false, field, &n);
    if (r != kVOk) return r;
    BuildShort(field, n, value);
    return kVOk;
  }
  if (conversion.width <= 0) return kVConversionNotApplicable;
  if (conversion.width > 4) return kVWidthTooLarge;
  uint8_t bytes[4] = {0, 0, 0, 0};
  int32_t got = input.Read(bytes, conversion.width);
  int64_t number = 0;
  if (got > 0) {
    // Little-endian two's complement, sign-extended from its top byte.
    uint32_t u = 0;
    for (int32_t i = got - 1; i >= 0; --i) u = (u << 8) | bytes[i];
    int shift = 32 - 8 * got;
    number = static_cast<int32_t>(u << shift) >> shift;
  }
  char text[24];
  int n = VWriteDecimal(text, number);
  BuildShort(reinterpret_cast<const uint8_t*>(text), n, value);
  return kVOk;
}

VResult VVDDInteger::WriteValue(const VConversion& conversion, VStream& output,
                                const uint8_t* value, VLongDataStore* store) const {
  if (IsTextConversion(conversion.type)) return VVDD::WriteValue(conversion, output, value, store);
  return WriteBinaryInteger(conversion, output, value);
}

bool VVDDInteger::Match(const uint8_t* value, int op, int32_t operandLength, const uint8_t* operand,
                        VLongDataStore*) const {
  VValueBytes bytes = VBytesOf(value);
  return VMatchDecimal(bytes.bytes, bytes.length, op, operand, operandLength);
}
