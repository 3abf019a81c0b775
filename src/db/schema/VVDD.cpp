#include "db/schema/VVDD.h"

#include <cstring>
#include <string_view>

#include "base/VFile.h"
#include "base/VSjis.h"
#include "base/VStream.h"
#include "db/schema/VDecimal.h"
#include "db/schema/VRecordView.h"

namespace {

// A byte that can follow a lead byte; anything else leaves the lead byte on its own (a broken
// character) so that a terminator after it is still seen.
bool IsTrailByte(uint8_t b) { return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC); }

bool IsTerminator(const VConversion& c, uint8_t b) {
  return b == c.itemTerminator || b == c.repeatTerminator || b == c.recordTerminator;
}

// Whether a run ends with a whole character rather than a lone lead byte.
bool EndsWhole(const uint8_t* p, size_t n) {
  size_t i = 0;
  while (i < n) {
    if (VIsLeadByte(p[i])) {
      if (i + 1 >= n) return false;
      i += 2;
    } else {
      ++i;
    }
  }
  return true;
}

// Starts-with, ends-with or contains, never matching half of a double-byte character: the match
// begins on a character boundary of the text (VMatchRun sees to that) and must end on one, which
// fails only when the pattern ends with a lone lead byte that the text does not end with too.
bool MatchRun(int mode, const uint8_t* text, size_t n, const uint8_t* pattern, size_t m) {
  if (m > n) return false;
  if (!EndsWhole(pattern, m)) {
    // Only a match that ends where the text ends can end on a boundary.
    if (mode == kVMatchStarts && m != n) return false;
    if (mode == kVMatchContains) mode = kVMatchEnds;
  }
  return VMatchRun(mode, text, n, pattern, m, false, false, nullptr);
}

int CompareRuns(const uint8_t* a, size_t an, const uint8_t* b, size_t bn) {
  return VCompareRuns(a, an, b, bn, false, false);
}

// Walks an operand of length-prefixed values; false once the operand runs out or is malformed.
struct OperandWalk {
  const uint8_t* p;
  const uint8_t* end;
  bool Next(const uint8_t** bytes, size_t* length) {
    if (p >= end) return false;
    size_t n = *p;
    if (static_cast<size_t>(end - p - 1) < n) return false;
    *bytes = p + 1;
    *length = n;
    p += 1 + n;
    return true;
  }
};

using Comparer = int (*)(const uint8_t*, size_t, const uint8_t*, size_t);

// The operators that compare whole values: equality, range and list.
bool MatchOrdered(const uint8_t* text, size_t n, int op, const uint8_t* operand,
                  int32_t operandLength, Comparer compare, bool* handled) {
  *handled = true;
  size_t length = operandLength > 0 ? static_cast<size_t>(operandLength) : 0;
  switch (op) {
    case kVOpEqual:
      return compare(text, n, operand, length) == 0;
    case kVOpRange: {
      OperandWalk walk{operand, operand + length};
      const uint8_t *low, *high;
      size_t lowLength, highLength;
      if (!walk.Next(&low, &lowLength) || !walk.Next(&high, &highLength)) return false;
      return compare(low, lowLength, text, n) <= 0 && compare(text, n, high, highLength) <= 0;
    }
    case kVOpList: {
      OperandWalk walk{operand, operand + length};
      const uint8_t* item;
      size_t itemLength;
      while (walk.Next(&item, &itemLength)) {
        if (compare(text, n, item, itemLength) == 0) return true;
      }
      return false;
    }
    default:
      *handled = false;
      return false;
  }
}

bool WriteMasked(VStream& out, const uint8_t* bytes, uint32_t count, const uint8_t* mask) {
  if (!mask) return static_cast<uint32_t>(out.Write(bytes, static_cast<int32_t>(count))) == count;
  uint8_t piece[256];
  uint32_t done = 0;
  while (done < count) {
    uint32_t n = count - done < sizeof piece ? count - done : sizeof piece;
    for (uint32_t i = 0; i < n; ++i) piece[i] = bytes[done + i] ^ mask[(done + i) % 8];
    if (static_cast<uint32_t>(out.Write(piece, static_cast<int32_t>(n))) != n) return false;
    done += n;
  }
  return true;
}

void ApplyMask(uint8_t* bytes, size_t count, const uint8_t* mask) {
  if (!mask) return;
  for (size_t i = 0; i < count; ++i) bytes[i] ^= mask[i % 8];
}

bool IsMaskedType(int code) {
  return code == kVTypeString || code == kVTypeBinary || code == kVTypePacket ||
         code == kVTypeLString;
}

}  // namespace

bool VFlagFromText(const uint8_t* text, size_t length, uint8_t* flag) {
  size_t begin = 0;
  size_t end = length;
  if (length == 1 && text[0] <= 1) {
    *flag = text[0];
    return true;
  }
  while (begin < end && (text[begin] == ' ' || text[begin] == '\t')) ++begin;
  while (end > begin && (text[end - 1] == ' ' || text[end - 1] == '\t')) --end;
  const std::string_view word(reinterpret_cast<const char*>(text) + begin, end - begin);
  if (word.empty() || word == "false" || word == "FALSE") {
    *flag = 0;
    return true;
  }
  if (word == "true" || word == "TRUE") {
    *flag = 1;
    return true;
  }
  if (!VIsNumber(word.data(), word.size())) return false;
  *flag = word.find_first_of("123456789") != std::string_view::npos ? 1 : 0;
  return true;
}

uint8_t VFlagOperand(const uint8_t* operand, size_t length) {
  uint8_t flag = 0;
  if (VFlagFromText(operand, length, &flag)) return flag;
  return length == 1 ? operand[0] : 0;
}

bool VMatchText(const uint8_t* text, uint32_t length, int op, const uint8_t* operand,
                int32_t operandLength) {
  bool handled = false;
  bool result = MatchOrdered(text, length, op, operand, operandLength, CompareRuns, &handled);
  if (handled) return result;
  size_t m = operandLength > 0 ? static_cast<size_t>(operandLength) : 0;
  switch (op) {
    case kVOpStartsWith:
      return MatchRun(kVMatchStarts, text, length, operand, m);
    case kVOpEndsWith:
      return MatchRun(kVMatchEnds, text, length, operand, m);
    case kVOpContains:
      return MatchRun(kVMatchContains, text, length, operand, m);
    case kVOpIsPrefixOf:
      return MatchRun(kVMatchStarts, operand, m, text, length);
    case kVOpIsSuffixOf:
      return MatchRun(kVMatchEnds, operand, m, text, length);
    case kVOpIsPartOf:
      return MatchRun(kVMatchContains, operand, m, text, length);
    default:
      return false;
  }
}

bool VMatchDecimal(const uint8_t* text, uint32_t length, int op, const uint8_t* operand,
                   int32_t operandLength) {
  bool handled = false;
  bool result =
      MatchOrdered(text, length, op, operand, operandLength, VCompareDecimalText, &handled);
  // The operators on parts of a value look at the number's text.
  return handled ? result : VMatchText(text, length, op, operand, operandLength);
}

// --- VVDD: the String member's behaviour ---

VVDD::VVDD(uint8_t code, const char* name) : code_(code) {
  std::strncpy(name_, name, sizeof name_ - 1);
  name_[sizeof name_ - 1] = '\0';
}

int32_t VVDD::StoredSize(const uint8_t* body) const {
  if (VHasOneByteBody(code_)) return 1;
  if (VHasWideLength(code_)) return 2 + VGetU16(body);
  return 1 + body[0];
}

int32_t VVDD::ValueLength(const uint8_t* body) const {
  return static_cast<int32_t>(VBytesOfBody(code_, body).length);
}

int32_t VVDD::SecondarySize(const uint8_t*) const { return 0; }

VResult VVDD::ReadField(const VConversion& conversion, VStream& input, int32_t widthLimit,
                        int32_t keepLimit, bool dbcs, uint8_t* out, int32_t* length) {
  *length = 0;
  if (conversion.width > 0) {
    if (conversion.width > widthLimit) return kVWidthTooLarge;
    int32_t got = input.Read(out, conversion.width);
    if (got < 0) got = 0;
    int32_t n = got;
    if (conversion.itemTerminator >= 0) {
      for (int32_t i = 0; i < got;) {
        if (out[i] == conversion.itemTerminator) {
          n = i;
          break;
        }
        i += (dbcs && VIsLeadByte(out[i]) && i + 1 < got && IsTrailByte(out[i + 1])) ? 2 : 1;
      }
    }
    *length = n;
    return kVOk;
  }
  // Delimited: read in pieces and seek back to just after what the field consumed, so that the
  // input is not read a byte at a time.
  uint8_t piece[256];
  int32_t kept = 0;
  bool full = false;
  for (;;) {
    int64_t start = input.Position();
    int32_t got = input.Read(piece, sizeof piece);
    if (got <= 0) break;
    bool stop = false;
    bool split = false;
    int32_t i = 0;
    while (i < got) {
      uint8_t b = piece[i];
      if (IsTerminator(conversion, b)) {
        bool leave = b == conversion.repeatTerminator || b == conversion.recordTerminator;
        input.Seek(start + i + (leave ? 0 : 1));
        stop = true;
        break;
      }
      int32_t step = 1;
      if (dbcs && VIsLeadByte(b)) {
        if (i + 1 < got) {
          if (IsTrailByte(piece[i + 1])) step = 2;
        } else if (got == static_cast<int32_t>(sizeof piece)) {
          // The character goes on in the next piece: read it again from its lead byte.
          input.Seek(start + i);
          split = true;
          break;
        }
      }
      if (!full && kept + step <= keepLimit) {
        std::memcpy(out + kept, piece + i, static_cast<size_t>(step));
        kept += step;
      } else {
        full = true;  // an over-long field is cut; the rest is skipped up to its terminator
      }
      i += step;
    }
    if (stop) break;
    if (!split && got < static_cast<int32_t>(sizeof piece)) break;
  }
  *length = kept;
  return kVOk;
}

VResult VVDD::WriteText(const VConversion& conversion, VStream& output, const uint8_t* text,
                        uint32_t length, bool stringCut, const uint8_t* mask) {
  uint32_t width = conversion.width > 0 ? static_cast<uint32_t>(conversion.width) : 0;
  uint32_t count = length;
  if (width > 0 && length > width) {
    count = width;
    if (stringCut) {
      count = width - 1;
      if (!VIsCharBoundary(text, length, count)) count = width - 2;
    }
  }
  if (!WriteMasked(output, text, count, mask)) return kVWriteFailed;
  uint32_t written = count;
  if (conversion.itemTerminator >= 0 && (width == 0 || written < width)) {
    if (!output.WriteByte(static_cast<uint8_t>(conversion.itemTerminator))) return kVWriteFailed;
    ++written;
  }
  if (written < width && !output.WriteRepeated(static_cast<int32_t>(width - written), ' ')) {
    return kVWriteFailed;
  }
  return kVOk;
}

void VVDD::BuildShort(const uint8_t* bytes, int32_t length, std::vector<uint8_t>* value) const {
  value->resize(static_cast<size_t>(length) + 2);
  (*value)[0] = code_;
  (*value)[1] = static_cast<uint8_t>(length);
  if (length > 0) std::memcpy(value->data() + 2, bytes, static_cast<size_t>(length));
}

VResult VVDD::ReadValue(const VConversion& conversion, VStream& input, std::vector<uint8_t>* value,
                        VLongDataStore*) const {
  uint8_t field[256];
  int32_t n = 0;
  VResult r = ReadField(conversion, input, 255, 255, true, field, &n);
  if (r != kVOk) return r;
  ApplyMask(field, static_cast<size_t>(n), conversion.mask);
  BuildShort(field, n, value);
  return kVOk;
}

VResult VVDD::WriteValue(const VConversion& conversion, VStream& output, const uint8_t* value,
                         VLongDataStore*) const {
  VValueBytes bytes = value ? VBytesOfBody(code_, value + 1) : VValueBytes{nullptr, 0};
  return WriteText(conversion, output, bytes.bytes, bytes.length, code_ == kVTypeString,
                   IsMaskedType(code_) ? conversion.mask : nullptr);
}

VResult VVDD::ReleaseData(const uint8_t*, VLongDataStore*) const { return kVOk; }

VResult VVDD::CopyBytes(const uint8_t* body, uint8_t* buffer, int32_t* length) const {
  VValueBytes bytes{nullptr, 0};
  *length = 0;
  if (!VKeyBytesOfBody(code_, body, &bytes)) return kVConversionNotApplicable;
  if (bytes.length) std::memcpy(buffer, bytes.bytes, bytes.length);
  *length = static_cast<int32_t>(bytes.length);
  return kVOk;
}

bool VVDD::Match(const uint8_t* value, int op, int32_t operandLength, const uint8_t* operand,
                 VLongDataStore*) const {
  VValueBytes bytes = VBytesOfBody(code_, value + 1);
  return VMatchText(bytes.bytes, bytes.length, op, operand, operandLength);
}

// --- Binary ---

VResult VVDDBinary::ReadValue(const VConversion& conversion, VStream& input,
                              std::vector<uint8_t>* value, VLongDataStore*) const {
  if (conversion.width <= 0) return kVConversionNotApplicable;
  uint8_t field[256];
  int32_t n = 0;
  VResult r = ReadField(conversion, input, 255, 255, false, field, &n);
  if (r != kVOk) return r;
  ApplyMask(field, static_cast<size_t>(n), conversion.mask);
  BuildShort(field, n, value);
  return kVOk;
}

VResult VVDDBinary::WriteValue(const VConversion& conversion, VStream& output, const uint8_t* value,
                               VLongDataStore*) const {
  VValueBytes bytes = value ? VBytesOf(value) : VValueBytes{nullptr, 0};
  uint32_t width = conversion.width > 0 ? static_cast<uint32_t>(conversion.width) : 0;
  uint32_t count = width > 0 && bytes.length > width ? width : bytes.length;
  if (!WriteMasked(output, bytes.bytes, count, conversion.mask)) return kVWriteFailed;
  if (count < width && !output.WriteRepeated(static_cast<int32_t>(width - count), 0)) {
    return kVWriteFailed;
  }
  return kVOk;
}

// --- Char and Flag ---

VResult VVDDChar::ReadValue(const VConversion& conversion, VStream& input,
                            std::vector<uint8_t>* value, VLongDataStore*) const {
  uint8_t field[16];
  int32_t n = 0;
  VResult r = ReadField(conversion, input, 15, 15, true, field, &n);
  if (r != kVOk) return r;
  value->assign({Code(), n > 0 ? field[0] : static_cast<uint8_t>(0)});
  return kVOk;
}

VResult VVDDFlag::ReadValue(const VConversion& conversion, VStream& input,
                            std::vector<uint8_t>* value, VLongDataStore*) const {
  uint8_t field[16];
  int32_t n = 0;
  VResult r = ReadField(conversion, input, 15, 15, true, field, &n);
  if (r != kVOk) return r;
  uint8_t flag = 0;
  if (!VFlagFromText(field, static_cast<size_t>(n), &flag)) return kVBadValue;
  value->assign({Code(), flag});
  return kVOk;
}

bool VVDDFlag::Match(const uint8_t* value, int op, int32_t operandLength, const uint8_t* operand,
                     VLongDataStore*) const {
  if (op != kVOpEqual || operandLength <= 0) return false;
  return value[1] == VFlagOperand(operand, static_cast<size_t>(operandLength));
}

// --- Packet and LString ---

VResult VVDDPacket::ReadValue(const VConversion& conversion, VStream& input,
                              std::vector<uint8_t>* value, VLongDataStore*) const {
  if (conversion.width <= 0) return kVConversionNotApplicable;
  if (conversion.width > 0x7C00) return kVWidthTooLarge;
  value->resize(static_cast<size_t>(conversion.width) + 3);
  int32_t got = input.Read(value->data() + 3, conversion.width);
  if (got < 0) got = 0;
  value->resize(static_cast<size_t>(got) + 3);
  (*value)[0] = Code();
  VPutU16(value->data() + 1, static_cast<uint16_t>(got));
  ApplyMask(value->data() + 3, static_cast<size_t>(got), conversion.mask);
  return kVOk;
}

VResult VVDDPacket::ReleaseData(const uint8_t*, VLongDataStore*) const {
  return kVConversionNotApplicable;
}

VResult VVDDPacket::CopyBytes(const uint8_t*, uint8_t*, int32_t* length) const {
  *length = 0;
  return kVConversionNotApplicable;
}
