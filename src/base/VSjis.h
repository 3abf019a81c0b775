// Shift-JIS (code page 932) character rules, ASCII classes, byte-run comparison and the small
// numeric helpers used throughout the engine and the player. Every routine that walks text steps
// over a double-byte character whole and never reads past the length it is given.
#pragma once

#include <cstddef>
#include <cstdint>

// A lead byte (0x81-0x9F, 0xE0-0xFC) begins a two-byte character.
constexpr bool VIsLeadByte(uint8_t b) {
  return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

// Length of the character starting at pos: 2 after a lead byte, else 1, clipped to the text.
inline size_t VCharLength(const uint8_t* text, size_t length, size_t pos) {
  if (pos >= length) return 0;
  return (VIsLeadByte(text[pos]) && pos + 1 < length) ? 2 : 1;
}

// Hiragana: 0x82 followed by 0x9F..0xF1. Katakana: 0x83 followed by 0x40..0x96.
constexpr bool VIsHiragana(uint8_t first, uint8_t second) {
  return first == 0x82 && second >= 0x9F && second <= 0xF1;
}
constexpr bool VIsKatakana(uint8_t first, uint8_t second) {
  return first == 0x83 && second >= 0x40 && second <= 0x96;
}

// Turns a hiragana character into the katakana of the same sound in place; other characters are
// left alone. Answers whether it changed anything.
bool VFoldKana(uint8_t& first, uint8_t& second);

// Copies text into out (same length) from its end to its start one character at a time, keeping
// the two bytes of a double-byte character in their order.
void VReverseChars(const uint8_t* text, size_t length, uint8_t* out);

// True when walking from the start one character at a time lands exactly on pos.
bool VIsCharBoundary(const uint8_t* text, size_t length, size_t pos);

// Start of the last character of the text (length when empty).
size_t VLastCharStart(const uint8_t* text, size_t length);

// ASCII classes.
constexpr bool VIsUpper(uint8_t b) { return b >= 'A' && b <= 'Z'; }
constexpr bool VIsLower(uint8_t b) { return b >= 'a' && b <= 'z'; }
constexpr bool VIsDigit(uint8_t b) { return b >= '0' && b <= '9'; }
constexpr bool VIsAlphaUnder(uint8_t b) { return VIsUpper(b) || VIsLower(b) || b == '_'; }
constexpr bool VIsAlnum(uint8_t b) { return VIsUpper(b) || VIsLower(b) || VIsDigit(b); }
constexpr uint8_t VToUpper(uint8_t b) { return VIsLower(b) ? static_cast<uint8_t>(b - 0x20) : b; }

// Compares two byte runs over their common length, then by length (the shorter first).
// raw: bytes compare as unsigned values. Otherwise character-wise: where exactly one side has a
// lead byte that side is greater; two double-byte characters compare exactly; single bytes compare
// as bytes. ignoreCase folds a-z to A-Z for single bytes.
int VCompareRuns(const uint8_t* a, size_t aLength, const uint8_t* b, size_t bLength, bool raw,
                 bool ignoreCase);

// Match modes of VMatchRun.
enum VMatchMode : int { kVMatchStarts = 1, kVMatchEnds = 2, kVMatchContains = 3 };

// Pattern search in text: starts-with, ends-with (the pattern must begin on a character boundary),
// contains (scanned a character at a time; offset receives the first match). Other modes fail.
bool VMatchRun(int mode, const uint8_t* text, size_t textLength, const uint8_t* pattern,
               size_t patternLength, bool raw, bool ignoreCase, size_t* offset);

// True for optional leading spaces, one optional sign, digits with at most one "."; at least one
// digit must be present and nothing may follow.
bool VIsNumber(const char* text, size_t length);

// Writes a signed integer in decimal without padding; answers the number of characters written
// (out needs room for 21 bytes including the terminating zero).
int VWriteDecimal(char* out, int64_t value);

// Value of a hexadecimal digit; any other byte reads as 0.
int VHexDigit(uint8_t b);

// First zero bit in a byte range, bits numbered from the most significant bit of byte 0; -1 when
// every bit is set.
int64_t VFirstZeroBit(const uint8_t* bytes, size_t count);
