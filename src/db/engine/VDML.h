// VDML: the message of a command, both the request and the answer. A message is a set of optional
// fields, each with a presence bit, and a run of data pieces.
//
// Fields (bit, name, width): 0 "VCODE" 16, 1 "ECODE" 16, 2 "NAME" text, 3 "DESC" text, 4 "PWD"
// text, 5 "FID" 32, 6 "RID" 32, 7 "KID" 16, 8 "SID" 32, 9 "IDX" 32, 10 "QTY" 32, 11 "OPT" 32,
// 12 "VID" 32, 13 "ACC" 16, 14 "Upd" 16. A 16-bit field keeps the low 16 bits of what it is given,
// as a signed number.
//
// Data pieces are byte strings appended one after another into one buffer, the length of each kept
// in order. A record image travels as one piece without its 16-bit length (RecordImage puts it
// back); a text as one piece; a list of record numbers as one piece of u24 numbers.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

class VDML {
 public:
  enum Field : uint8_t {
    kVCODE = 0,
    kECODE,
    kNAME,
    kDESC,
    kPWD,
    kFID,
    kRID,
    kKID,
    kSID,
    kIDX,
    kQTY,
    kOPT,
    kVID,
    kACC,
    kUpd,
  };
  static constexpr int kFieldCount = 15;

  static const char* FieldName(Field field);
  static bool IsText(Field field) { return field >= kNAME && field <= kPWD; }
  static bool IsShort(Field field) {
    return field == kVCODE || field == kECODE || field == kKID || field == kACC || field == kUpd;
  }

  bool Has(Field field) const { return (present_ >> field) & 1u; }
  uint16_t PresenceBits() const { return present_; }
  void Remove(Field field) { present_ &= static_cast<uint16_t>(~(1u << field)); }
  // Clears every field and piece.
  void Clear();

  // Number fields. Get answers absent (and leaves *value alone) when the field is not present.
  void Set(Field field, int32_t value) {
    if (field >= kFieldCount || IsText(field)) return;
    numbers_[field] = IsShort(field) ? static_cast<int16_t>(value) : value;
    present_ |= static_cast<uint16_t>(1u << field);
  }
  bool Get(Field field, int32_t* value) const {
    if (!Has(field) || IsText(field)) return false;
    *value = numbers_[field];
    return true;
  }
  int32_t Value(Field field, int32_t absent = 0) const {
    return Has(field) ? numbers_[field] : absent;
  }

  // Text fields ("NAME", "DESC", "PWD"); an absent text reads as empty.
  void SetText(Field field, std::string_view text);
  const std::string& Text(Field field) const;

  // Data pieces.
  void AddPiece(std::span<const uint8_t> bytes);
  void AddPiece(std::string_view text);
  // A record image (u16 body length, then the body) as a piece of its body.
  void AddRecordPiece(std::span<const uint8_t> image);
  // Appends u24 record numbers as one piece.
  void AddNumbersPiece(std::span<const uint32_t> numbers);
  int32_t PieceCount() const { return static_cast<int32_t>(lengths_.size()); }
  std::span<const uint8_t> Piece(int32_t index) const;
  std::string_view PieceText(int32_t index) const;
  // Piece index as a record image (its length put back before the body) in *image: false when
  // there is no such piece or it is too long to be a record body.
  bool RecordImage(int32_t index, std::vector<uint8_t>* image) const;
  void ClearPieces();

  // The present fields in bit order, separated by one space: 16-bit fields as "NAME=%d", 32-bit
  // ones as "NAME=%ld", texts as NAME="text"; then "BFL=%d" per piece with its length. The command
  // code is left out unless withCode.
  std::string Describe(bool withCode) const;

 private:
  uint16_t present_ = 0;
  int32_t numbers_[kFieldCount] = {};
  std::string texts_[3];
  std::vector<uint8_t> data_;
  std::vector<uint32_t> lengths_;
  std::vector<uint32_t> starts_;
};
