#include "base/VSjis.h"

#include <cstring>

bool VFoldKana(uint8_t& first, uint8_t& second) {
  if (!VIsHiragana(first, second)) return false;
  first = 0x83;
  // Katakana 0x837F does not exist, so the table shifts by one more from 0xDE on.
  second = static_cast<uint8_t>(second <= 0xDD ? second - 0x5F : second - 0x5E);
  return true;
}

void VReverseChars(const uint8_t* text, size_t length, uint8_t* out) {
  size_t pos = 0;
  while (pos < length) {
    size_t n = VCharLength(text, length, pos);
    std::memcpy(out + (length - pos - n), text + pos, n);
    pos += n;
  }
}

bool VIsCharBoundary(const uint8_t* text, size_t length, size_t pos) {
  size_t at = 0;
  while (at < pos && at < length) at += VCharLength(text, length, at);
  return at == pos;
}

size_t VLastCharStart(const uint8_t* text, size_t length) {
  size_t at = 0;
  size_t last = length;
  while (at < length) {
    last = at;
    at += VCharLength(text, length, at);
  }
  return last;
}

int VCompareRuns(const uint8_t* a, size_t aLength, const uint8_t* b, size_t bLength, bool raw,
                 bool ignoreCase) {
  size_t common = aLength < bLength ? aLength : bLength;
  size_t i = 0;
  while (i < common) {
    uint8_t ca = a[i];
    uint8_t cb = b[i];
    if (!raw) {
      bool leadA = VIsLeadByte(ca);
      bool leadB = VIsLeadByte(cb);
      if (leadA != leadB) return leadA ? 1 : -1;
      if (leadA) {
        if (ca != cb) return ca - cb;
        if (i + 1 < common && a[i + 1] != b[i + 1]) return a[i + 1] - b[i + 1];
        i += 2;
        continue;
      }
    }
    if (ignoreCase) {
      ca = VToUpper(ca);
      cb = VToUpper(cb);
    }
    if (ca != cb) return ca - cb;
    ++i;
  }
  return static_cast<int>(aLength) - static_cast<int>(bLength);
}

bool VMatchRun(int mode, const uint8_t* text, size_t textLength, const uint8_t* pattern,
               size_t patternLength, bool raw, bool ignoreCase, size_t* offset) {
  // Without case folding two runs of one length are equal exactly when their bytes are.
  auto equalAt = [&](size_t at) {
    if (!ignoreCase)
      return patternLength == 0 || std::memcmp(text + at, pattern, patternLength) == 0;
    return VCompareRuns(text + at, patternLength, pattern, patternLength, raw, ignoreCase) == 0;
  };
  if (patternLength > textLength) return false;
  switch (mode) {
    case kVMatchStarts:
      if (!equalAt(0)) return false;
      if (offset) *offset = 0;
      return true;
    case kVMatchEnds: {
      size_t at = textLength - patternLength;
      if (!VIsCharBoundary(text, textLength, at) || !equalAt(at)) return false;
      if (offset) *offset = at;
      return true;
    }
    case kVMatchContains:
      if (!ignoreCase) {
        // The candidates come from a byte search; one counts only where a character starts.
        size_t boundary = 0;
        for (size_t from = 0; from + patternLength <= textLength;) {
          const void* hit = patternLength == 0
                                ? text + from
                                : memmem(text + from, textLength - from, pattern, patternLength);
          if (hit == nullptr) return false;
          const size_t at = static_cast<size_t>(static_cast<const uint8_t*>(hit) - text);
          while (boundary < at) boundary += VCharLength(text, textLength, boundary);
          if (boundary == at) {
            if (offset) *offset = at;
            return true;
          }
          from = at + 1;
        }
        return false;
      }
      for (size_t at = 0; at + patternLength <= textLength;
           at += VCharLength(text, textLength, at)) {
        if (equalAt(at)) {
          if (offset) *offset = at;
          return true;
        }
        if (at == textLength) break;
      }
      return false;
    default:
      return false;
  }
}

bool VIsNumber(const char* text, size_t length) {
  size_t i = 0;
  while (i < length && text[i] == ' ') ++i;
  if (i < length && (text[i] == '+' || text[i] == '-')) ++i;
  bool digit = false;
  bool point = false;
  for (; i < length; ++i) {
    char c = text[i];
    if (VIsDigit(static_cast<uint8_t>(c))) {
      digit = true;
    } else if (c == '.' && !point) {
      point = true;
    } else {
      return false;
    }
  }
  return digit;
}

int VWriteDecimal(char* out, int64_t value) {
  char digits[20];
  int n = 0;
  // Work in unsigned arithmetic so that the most negative value has a magnitude.
  uint64_t magnitude = value < 0 ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
  do {
    digits[n++] = static_cast<char>('0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude != 0);
  int length = 0;
  if (value < 0) out[length++] = '-';
  while (n > 0) out[length++] = digits[--n];
  out[length] = '\0';
  return length;
}

int VHexDigit(uint8_t b) {
  if (b >= '0' && b <= '9') return b - '0';
  if (b >= 'a' && b <= 'f') return b - 'a' + 10;
  if (b >= 'A' && b <= 'F') return b - 'A' + 10;
  return 0;
}

int64_t VFirstZeroBit(const uint8_t* bytes, size_t count) {
  for (size_t i = 0; i < count; ++i) {
    if (bytes[i] == 0xFF) continue;
    for (int bit = 0; bit < 8; ++bit) {
      if ((bytes[i] & (0x80 >> bit)) == 0) return static_cast<int64_t>(i) * 8 + bit;
    }
  }
  return -1;
}
