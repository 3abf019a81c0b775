// A Shift-JIS byte string with a delimiter set (at most 16 bytes, default " ,") for its tokenising
// reads. Comparison and matching are character-wise unless asked for raw bytes; every walk steps
// over double-byte characters whole.
#pragma once

#include <string>
#include <string_view>

#include "base/VByteArray.h"

class VString : public VByteArray {
 public:
  VString();
  VString(const char* text);  // NOLINT: a C string converts implicitly, as the engine expects.
  VString(const void* bytes, uint32_t length);
  VString(const VString& other);
  explicit VString(std::string_view text);
  VString& operator=(const VString& other);
  VString& operator=(const char* text);

  void SetDelimiters(const void* bytes, uint32_t length);
  void SetDelimiters(const char* text);
  const uint8_t* Delimiters() const { return delimiters_; }
  uint32_t DelimiterCount() const { return delimiterCount_; }
  bool IsDelimiter(uint8_t byte) const;

  // Character-wise and case-sensitive; CompareWith takes the raw-bytes and ignore-case flags.
  int Compare(const char* text) const;
  int Compare(const void* bytes, uint32_t length) const;
  int Compare(const VString& other) const;
  int CompareWith(const void* bytes, uint32_t length, bool raw, bool ignoreCase) const;
  int CompareWith(const VString& other, bool raw, bool ignoreCase) const;
  bool operator==(const VString& other) const { return CompareWith(other, true, false) == 0; }
  bool operator==(const char* text) const;

  // Mode 1 starts-with, 2 ends-with, 3 contains (see VMatchRun).
  bool Match(int mode, const VString& pattern, uint32_t* offset = nullptr, bool raw = false,
             bool ignoreCase = false) const;
  // Leading spaces, one optional "-", then digits up to the first other byte; 0 when none.
  int32_t ToInteger() const;
  // At most 255 bytes behind a length byte.
  void CopyOutPascal(uint8_t* out) const;

  // Tokenising reads. Each takes a position that it advances only when it reads something.
  void SkipDelimiters(uint32_t& position) const;
  // Copies decimal digits (at most count when count >= 0); answers how many were taken.
  int32_t ReadDigits(uint32_t& position, VString& out, int32_t count = -1) const;
  // Skips delimiters, then takes an optional sign, digits and a fraction after "."; answers the
  // number of characters taken (0 and nothing consumed when no digit follows).
  int32_t ReadNumber(uint32_t& position, VString& out) const;
  // Skips delimiters and reads a quoted token (double quote or apostrophe) or the bytes up to the
  // next delimiter. False when nothing was left to read.
  bool ReadToken(uint32_t& position, VString& out) const;

  std::string_view View() const {
    return std::string_view(reinterpret_cast<const char*>(Data()), Length());
  }
  std::string ToStdString() const { return std::string(View()); }

 private:
  uint8_t delimiters_[16];
  uint32_t delimiterCount_;
};
