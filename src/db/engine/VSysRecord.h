// The records of the system files are written and read with the record format language: a record
// is packed from a block of little-endian integers, zero-terminated texts and raw bytes laid out as
// its format text says, and unpacked into such a block again. VPackBlock builds a block and
// VUnpackBlock walks one.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/VBase.h"

class VRecord;

class VPackBlock {
 public:
  // A little-endian integer of width 1, 2 or 4 bytes (a "%<width>i" field).
  VPackBlock& Int(int64_t value, int width);
  // A text ended by a zero byte (a "%sn", "%nn" or "%on" field).
  VPackBlock& Text(std::string_view text);
  // Raw bytes (a "%<length>p" field).
  VPackBlock& Bytes(std::span<const uint8_t> bytes);

  const std::vector<uint8_t>& Data() const { return data_; }
  // Packs the block into record under the format text.
  VResult PackInto(VRecord& record, std::string_view format) const;

 private:
  std::vector<uint8_t> data_;
};

class VUnpackBlock {
 public:
  // Unpacks the record under the format text into the block.
  VResult UnpackFrom(const VRecord& record, std::string_view format);
  VResult UnpackFrom(std::span<const uint8_t> image, std::string_view format);

  int32_t Int(int width);
  std::string Text();
  std::span<const uint8_t> Bytes(size_t length);
  bool Failed() const { return failed_; }

 private:
  std::vector<uint8_t> data_;
  size_t at_ = 0;
  bool failed_ = false;
};

// A text as a quoted value of a query statement: between double quotes, a double quote inside
// written twice, so that no text can change the statement around it.
std::string VQuoteText(std::string_view text);
