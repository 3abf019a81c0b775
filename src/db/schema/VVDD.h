// The value types: one VVDD object per type knows its body's size, reads a value from an import
// stream and writes it to an export stream under a conversion of the record format language,
// copies its bytes out and matches it against a query operand. VVM (VVM.h) holds one of each.
//
// Values handed to these operations are a type code byte followed by the body, and must already be
// known to fit in the bytes that hold them (VValueSize); operands are bounded by their length.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "base/VObj.h"
#include "db/schema/VValue.h"

class VStream;
class VLongDataStore;
class VItmData;

// How one value is transferred: the conversion's value type, the field width (0 delimited), an
// optional 8-byte mask combined by exclusive or with String, Binary, Packet and LString bytes, and
// the item, repeat and record terminators (-1 when not set).
struct VConversion {
  uint8_t type = kVTypeString;
  int32_t width = 0;
  const uint8_t* mask = nullptr;
  int16_t itemTerminator = -1;
  int16_t repeatTerminator = -1;
  int16_t recordTerminator = -1;
};

// Operator codes of value matching. Single-value operators (16 to 27) take the operand's bytes as
// one value; the range operator takes two values and the list operator any number of values, each
// written as a length byte and its bytes.
constexpr int kVOpEqual = 16;
constexpr int kVOpStartsWith = 17;
constexpr int kVOpEndsWith = 18;
constexpr int kVOpContains = 19;
constexpr int kVOpIsPrefixOf = 25;
constexpr int kVOpIsSuffixOf = 26;
constexpr int kVOpIsPartOf = 27;
constexpr int kVOpRange = 32;
constexpr int kVOpList = 64;

// Matching of byte runs compared character-wise (a double-byte character is never half matched)
// and of decimal texts; the value is on the left of the operator.
bool VMatchText(const uint8_t* text, uint32_t length, int op, const uint8_t* operand,
                int32_t operandLength);
bool VMatchDecimal(const uint8_t* text, uint32_t length, int op, const uint8_t* operand,
                   int32_t operandLength);

// What a Flag is, read from text. Every path that turns text into a Flag agrees on it (an import,
// a value typed into a form or given to the varnex tool, a query operand), so that a Flag stored
// from text is found by the query that names the same text: 1 (on) for "true", "TRUE" and a
// decimal number other than zero, 0 (off) for "false", "FALSE", a zero ("0", "0.0", "-0") and an
// empty text; blanks around the text do not count. A text of the single byte 0 or 1 is that byte,
// as a record packed from memory holds it. Any other text is not a Flag: false.
bool VFlagFromText(const uint8_t* text, size_t length, uint8_t* flag);
// A query operand compared with a Flag: a text that VFlagFromText reads gives its byte, any other
// one-byte operand is taken as the stored byte itself, and any other text is off.
uint8_t VFlagOperand(const uint8_t* operand, size_t length);

// The String member's behaviour is the default; the other members override where they differ.
class VVDD : public VObj {
 public:
  VVDD(uint8_t code, const char* name);

  uint8_t Code() const { return code_; }
  const char* Name() const { return name_; }

  // Bytes the body occupies.
  virtual int32_t StoredSize(const uint8_t* body) const;
  // Length of the value as handed out.
  virtual int32_t ValueLength(const uint8_t* body) const;
  // Size of the secondary data of long data; 0 otherwise.
  virtual int32_t SecondarySize(const uint8_t* body) const;
  // Reads one value under the conversion; value receives the type code and body.
  virtual VResult ReadValue(const VConversion& conversion, VStream& input,
                            std::vector<uint8_t>* value, VLongDataStore* store) const;
  // Writes a value, or an empty field when value is null, under the conversion.
  virtual VResult WriteValue(const VConversion& conversion, VStream& output, const uint8_t* value,
                             VLongDataStore* store) const;
  // Frees what the value keeps outside the record.
  virtual VResult ReleaseData(const uint8_t* value, VLongDataStore* store) const;
  // Copies the value's bytes (at most 255) into buffer.
  virtual VResult CopyBytes(const uint8_t* body, uint8_t* buffer, int32_t* length) const;
  virtual bool Match(const uint8_t* value, int op, int32_t operandLength, const uint8_t* operand,
                     VLongDataStore* store) const;

 protected:
  // Reads one field into out: with a width, exactly width bytes, the value ending at the item
  // terminator when one is set; without, the bytes up to the first terminator, a repeat or record
  // terminator being left in the input for the record reader. dbcs keeps double-byte characters
  // whole when looking for terminators and when cutting an over-long delimited field.
  // widthLimit bounds the width (-303 beyond it), keepLimit the bytes kept of a delimited field;
  // out must hold the larger of the two.
  static VResult ReadField(const VConversion& conversion, VStream& input, int32_t widthLimit,
                           int32_t keepLimit, bool dbcs, uint8_t* out, int32_t* length);
  // Writes a text form: the text cut to the width, the item terminator when the field is
  // delimited or not full, then spaces up to the width. stringCut cuts an over-long text to
  // width - 1 bytes (width - 2 rather than split a double-byte character).
  static VResult WriteText(const VConversion& conversion, VStream& output, const uint8_t* text,
                           uint32_t length, bool stringCut, const uint8_t* mask);
  // Builds a value with a one-byte length.
  void BuildShort(const uint8_t* bytes, int32_t length, std::vector<uint8_t>* value) const;

 private:
  uint8_t code_;
  char name_[16];
};

class VVDDString : public VVDD {
 public:
  VVDDString() : VVDD(kVTypeString, "String") {}
};

class VVDDBinary : public VVDD {
 public:
  VVDDBinary() : VVDD(kVTypeBinary, "Binary") {}
  VResult ReadValue(const VConversion& conversion, VStream& input, std::vector<uint8_t>* value,
                    VLongDataStore* store) const override;
  VResult WriteValue(const VConversion& conversion, VStream& output, const uint8_t* value,
                     VLongDataStore* store) const override;
};

class VVDDInteger : public VVDD {
 public:
  VVDDInteger() : VVDD(kVTypeInteger, "Integer") {}
  VResult ReadValue(const VConversion& conversion, VStream& input, std::vector<uint8_t>* value,
                    VLongDataStore* store) const override;
  VResult WriteValue(const VConversion& conversion, VStream& output, const uint8_t* value,
                     VLongDataStore* store) const override;
  bool Match(const uint8_t* value, int op, int32_t operandLength, const uint8_t* operand,
             VLongDataStore* store) const override;
};

class VVDDNumber : public VVDD {
 public:
  VVDDNumber() : VVDD(kVTypeNumber, "Number") {}
  VResult ReadValue(const VConversion& conversion, VStream& input, std::vector<uint8_t>* value,
                    VLongDataStore* store) const override;
  VResult WriteValue(const VConversion& conversion, VStream& output, const uint8_t* value,
                     VLongDataStore* store) const override;
  bool Match(const uint8_t* value, int op, int32_t operandLength, const uint8_t* operand,
             VLongDataStore* store) const override;
};

// Char and Flag keep one byte without a length.
class VVDDChar : public VVDD {
 public:
  VVDDChar() : VVDD(kVTypeChar, "Char") {}
  VResult ReadValue(const VConversion& conversion, VStream& input, std::vector<uint8_t>* value,
                    VLongDataStore* store) const override;

 protected:
  VVDDChar(uint8_t code, const char* name) : VVDD(code, name) {}
};

class VVDDFlag : public VVDDChar {
 public:
  VVDDFlag() : VVDDChar(kVTypeFlag, "Flag") {}
  // Reads the field's text as VFlagFromText does; a text that is not a Flag is kVBadValue.
  VResult ReadValue(const VConversion& conversion, VStream& input, std::vector<uint8_t>* value,
                    VLongDataStore* store) const override;
  // Only the single-value operator applies, its operand read by VFlagOperand.
  bool Match(const uint8_t* value, int op, int32_t operandLength, const uint8_t* operand,
             VLongDataStore* store) const override;
};

// Date, Time and DateTime keep compact digits (YYYYMMDD, HHMMSS, YYYYMMDDHHMMSS) behind a length
// byte and read and write them as text with "/" and ":".
class VVDDDate : public VVDD {
 public:
  VVDDDate() : VVDD(kVTypeDate, "Date") {}
  int32_t ValueLength(const uint8_t* body) const override;
  VResult ReadValue(const VConversion& conversion, VStream& input, std::vector<uint8_t>* value,
                    VLongDataStore* store) const override;
  VResult WriteValue(const VConversion& conversion, VStream& output, const uint8_t* value,
                     VLongDataStore* store) const override;

 protected:
  VVDDDate(uint8_t code, const char* name) : VVDD(code, name) {}
  // Parses text into the stored digits.
  virtual std::string Digits(const uint8_t* text, int32_t length) const;
  // Formats stored digits (or none) as text; false when the conversion does not apply.
  virtual bool Format(uint8_t conversionType, const uint8_t* digits, uint32_t length,
                      std::string* text) const;
};

class VVDDTime : public VVDDDate {
 public:
  VVDDTime() : VVDDDate(kVTypeTime, "Time") {}
  int32_t ValueLength(const uint8_t* body) const override;

 protected:
  std::string Digits(const uint8_t* text, int32_t length) const override;
  bool Format(uint8_t conversionType, const uint8_t* digits, uint32_t length,
              std::string* text) const override;
};

class VVDDDateTime : public VVDDDate {
 public:
  VVDDDateTime() : VVDDDate(kVTypeDateTime, "DateTime") {}
  int32_t ValueLength(const uint8_t* body) const override;

 protected:
  std::string Digits(const uint8_t* text, int32_t length) const override;
  bool Format(uint8_t conversionType, const uint8_t* digits, uint32_t length,
              std::string* text) const override;
};

// Packet and LString keep up to 0x7C00 bytes behind a 16-bit length.
class VVDDPacket : public VVDD {
 public:
  VVDDPacket() : VVDD(kVTypePacket, "Packet") {}
  // Reads exactly the width (which is required).
  VResult ReadValue(const VConversion& conversion, VStream& input, std::vector<uint8_t>* value,
                    VLongDataStore* store) const override;
  VResult ReleaseData(const uint8_t* value, VLongDataStore* store) const override;
  VResult CopyBytes(const uint8_t* body, uint8_t* buffer, int32_t* length) const override;

 protected:
  VVDDPacket(uint8_t code, const char* name) : VVDD(code, name) {}
};

class VVDDLString : public VVDDPacket {
 public:
  VVDDLString() : VVDDPacket(kVTypeLString, "LString") {}
};

// Long data: the body is a descriptor; the data lives in a VLongDataStore.
class VVDD_Long : public VVDD {
 public:
  VVDD_Long(uint8_t code, const char* name) : VVDD(code, name) {}
  int32_t ValueLength(const uint8_t* body) const override;
  int32_t SecondarySize(const uint8_t* body) const override;
  // Stores the input from its position (width bytes, or all of it when the width is 0).
  VResult ReadValue(const VConversion& conversion, VStream& input, std::vector<uint8_t>* value,
                    VLongDataStore* store) const override;
  // Writes the data, cut to the width and padded with zero bytes up to it.
  VResult WriteValue(const VConversion& conversion, VStream& output, const uint8_t* value,
                     VLongDataStore* store) const override;
  VResult ReleaseData(const uint8_t* value, VLongDataStore* store) const override;
  // Matches the stored data, fetched whole; empty or missing data never matches.
  bool Match(const uint8_t* value, int op, int32_t operandLength, const uint8_t* operand,
             VLongDataStore* store) const override;

  // Stores a source's data, and its secondary data, name and times when it offers them.
  VResult ReadFrom(VItmData& source, std::vector<uint8_t>* value, VLongDataStore* store) const;
  // Gives a sink the data, and the secondary data, name and times when it takes them.
  VResult WriteTo(VItmData& sink, const uint8_t* value, VLongDataStore* store) const;

  // Fields of a descriptor body (0 when the descriptor is too short to hold them).
  static uint32_t DataId(const uint8_t* body);
  static uint32_t DataSize(const uint8_t* body);
  static uint32_t SecondaryId(const uint8_t* body);
  static uint32_t SecondarySizeOf(const uint8_t* body);
  static uint32_t FirstTime(const uint8_t* body);
  static uint32_t SecondTime(const uint8_t* body);
};
