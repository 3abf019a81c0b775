#include "db/store/VKeyAcc.h"

#include <cstring>

#include "base/VSjis.h"
#include "db/schema/VDecimal.h"
#include "db/schema/VValue.h"

int VKeyAcc::CompareKeys(const uint8_t* a, const uint8_t* b) const {
  if (IsNumeric()) return VCompareDecimalText(a + 1, a[0], b + 1, b[0]);
  const size_t common = a[0] < b[0] ? a[0] : b[0];
  int c = common ? std::memcmp(a + 1, b + 1, common) : 0;
  if (c != 0) return c < 0 ? -1 : 1;
  return a[0] < b[0] ? -1 : (a[0] > b[0] ? 1 : 0);
}

void VKeyAcc::MakeKey(uint8_t* out, const uint8_t* value) const {
  size_t length = value[0];
  const uint8_t* bytes = value + 1;
  while (length > 0 && bytes[length - 1] == ' ') --length;
  uint8_t* text = out + 1;
  if (ValueType() == kVTypeNumber || ValueType() == kVTypeInteger) {
    length = VDecimal(bytes, length).WriteCanonical(text, 255);
  } else {
    std::memmove(text, bytes, length);
    const bool kana = IsIgnoreJCase() && ValueType() == kVTypeString;
    const bool letters = IsIgnoreCase() && ValueType() == kVTypeString;
    for (size_t i = 0; (kana || letters) && i < length;) {
      if (VIsLeadByte(text[i]) && i + 1 < length) {
        if (kana) VFoldKana(text[i], text[i + 1]);
        i += 2;
      } else {
        if (letters && VIsUpper(text[i])) text[i] = static_cast<uint8_t>(text[i] + 0x20);
        ++i;
      }
    }
  }
  if (reversed_) {
    uint8_t turned[255];
    VReverseChars(text, length, turned);
    std::memcpy(text, turned, length);
  }
  out[0] = static_cast<uint8_t>(length);
}
