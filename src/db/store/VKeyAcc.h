// VKeyAcc: the tree of one key of a record file. The key's attribute word (its value type in the
// low byte, its flags in the high byte) decides how item values become stored keys and how stored
// keys compare.
//
// Stored key: a length byte and at most 255 bytes. MakeKey cuts trailing spaces; Number and
// Integer values become their canonical decimal text ("-" when negative, the integer digits
// without leading zeros or "0", then "." and the fraction digits without trailing zeros), so that
// 1.50, 01.5 and +1.5 are one key and -0 is 0; String values of a key with IgnoreJCase have their
// hiragana folded to katakana and with IgnoreCase their ASCII capitals to small letters, a
// double-byte character always read whole. Number and Integer keys compare as decimals, all others
// bytewise, a prefix first.
//
// A key's reverse tree holds every value with its characters in reverse order (a double-byte
// character moving whole): it is made from the value as the record holds it, reversed after the
// rest of MakeKey, so trailing spaces go before the characters turn round. Callers hand every tree
// the value as it is; the reverse tree compares bytewise whatever the type.
#pragma once

#include <cstdint>

#include "db/schema/VValue.h"
#include "db/store/VBTree.h"

constexpr uint16_t kVKeyWordUnique = 0x8000;
constexpr uint16_t kVKeyWordNullOmit = 0x4000;
constexpr uint16_t kVKeyWordReverse = 0x2000;
constexpr uint16_t kVKeyWordIgnoreCase = 0x1000;
constexpr uint16_t kVKeyWordIgnoreJCase = 0x0800;

class VKeyAcc : public VBTree {
 public:
  // reversed: this is the key's reverse tree.
  VKeyAcc(VCioMap* file, uint8_t keyNumber, uint16_t attributes, uint32_t root, bool reversed)
      : VBTree(file, root), keyNumber_(keyNumber), attributes_(attributes), reversed_(reversed) {
    SetKeyForm(true, !IsNumeric(), IsNumeric());
  }

  uint8_t KeyNumber() const final { return keyNumber_; }
  uint16_t Attributes() const { return attributes_; }
  uint8_t ValueType() const { return static_cast<uint8_t>(attributes_ & 0xFF); }
  bool IsReversed() const { return reversed_; }

  bool IsUnique() const final { return (attributes_ & kVKeyWordUnique) != 0; }
  // Kept in the attribute word for the schema; no tree operation consults it.
  bool IsNullOmit() const final { return (attributes_ & kVKeyWordNullOmit) != 0; }
  bool IsIgnoreCase() const final { return (attributes_ & kVKeyWordIgnoreCase) != 0; }
  bool IsIgnoreJCase() const final { return (attributes_ & kVKeyWordIgnoreJCase) != 0; }
  int32_t KeySize(const uint8_t* key, int32_t available) const final {
    return available >= 1 && key[0] < available ? key[0] + 1 : -1;
  }
  int CompareKeys(const uint8_t* a, const uint8_t* b) const final;
  void MakeKey(uint8_t* out, const uint8_t* value) const final;

 protected:
  bool KeepsPrefixesTogether() const override { return !IsNumeric(); }

 private:
  bool IsNumeric() const {
    return !reversed_ && (ValueType() == kVTypeNumber || ValueType() == kVTypeInteger);
  }

  uint8_t keyNumber_;
  uint16_t attributes_;
  bool reversed_;
};
