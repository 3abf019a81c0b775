// The stored form of an item value: a type code byte followed by a body whose layout the type
// fixes. These inline helpers are the one place that knows the body layouts, so that record walks,
// key extraction and matching can size and read values without a virtual call per value. Every
// helper that reads a body is told how many bytes are available and never reads past them.
#pragma once

#include <cstddef>
#include <cstdint>

#include "base/VBase.h"
#include "base/VEndian.h"

// Type codes.
constexpr uint8_t kVTypeDate = 1;
constexpr uint8_t kVTypeTime = 2;
constexpr uint8_t kVTypeDateTime = 3;
constexpr uint8_t kVTypeFlag = 4;
constexpr uint8_t kVTypeChar = 5;
constexpr uint8_t kVTypeString = 6;
constexpr uint8_t kVTypeNumber = 7;
constexpr uint8_t kVTypeInteger = 8;
constexpr uint8_t kVTypeBinary = 9;
constexpr uint8_t kVTypePacket = 15;
constexpr uint8_t kVTypeLString = 22;
constexpr uint8_t kVTypeFile = 64;
constexpr uint8_t kVTypeMacFile = 74;
constexpr uint8_t kVTypeText = 80;
constexpr uint8_t kVTypeHTML = 81;
constexpr uint8_t kVTypePDF = 82;
constexpr uint8_t kVTypeJPEG = 96;
constexpr uint8_t kVTypeGIF = 97;
constexpr uint8_t kVTypePNG = 98;
constexpr uint8_t kVTypePICT = 106;
constexpr uint8_t kVTypeBMP = 107;

// Result codes of the value types.
constexpr VResult kVConversionNotApplicable = -302;  // or a required width is missing
constexpr VResult kVWidthTooLarge = -303;
constexpr VResult kVNoValueType = -511;
// A long-data value was read or written without a long-data store to hold its data.
constexpr VResult kVNoLongDataStore = -520;

// The long-data descriptor body: a length byte (23 + name length), the data identifier (u24), the
// data size (u32), the secondary identifier (u24), the secondary size (u32), two time stamps (u32)
// and the source name as a length byte and its bytes.
constexpr int kVLongNameOffset = 23;
constexpr int kVLongMaxName = 255 - kVLongNameOffset;

constexpr bool VIsKeyType(int code) { return code >= kVTypeDate && code <= kVTypeBinary; }

constexpr bool VIsLongType(int code) {
  switch (code) {
    case kVTypeFile:
    case kVTypeMacFile:
    case kVTypeText:
    case kVTypeHTML:
    case kVTypePDF:
    case kVTypeJPEG:
    case kVTypeGIF:
    case kVTypePNG:
    case kVTypePICT:
    case kVTypeBMP:
      return true;
    default:
      return false;
  }
}

constexpr bool VIsKnownType(int code) {
  return VIsKeyType(code) || code == kVTypePacket || code == kVTypeLString || VIsLongType(code);
}

// Bodies with a 16-bit length (Packet, LString) and bodies of exactly one byte (Flag, Char); every
// other body (and the body of an unknown type) starts with a one-byte length.
constexpr bool VHasWideLength(int code) { return code == kVTypePacket || code == kVTypeLString; }
constexpr bool VHasOneByteBody(int code) { return code == kVTypeFlag || code == kVTypeChar; }

// Stored size of a body, or -1 when the body does not fit in the available bytes.
inline int32_t VBodySize(int code, const uint8_t* body, size_t available) {
  size_t size;
  if (VHasOneByteBody(code)) {
    size = 1;
  } else if (VHasWideLength(code)) {
    if (available < 2) return -1;
    size = 2 + static_cast<size_t>(VGetU16(body));
  } else {
    if (available < 1) return -1;
    size = 1 + static_cast<size_t>(body[0]);
  }
  return size <= available ? static_cast<int32_t>(size) : -1;
}

// Size of a whole value (type code and body), or -1 when it does not fit in the available bytes.
inline int32_t VValueSize(const uint8_t* value, size_t available) {
  if (available < 1) return -1;
  int32_t body = VBodySize(value[0], value + 1, available - 1);
  return body < 0 ? -1 : body + 1;
}

// The bytes a value hands out: after the 16-bit length of Packet and LString, after the length
// byte of the other length-prefixed bodies, the one byte of Flag and Char. The value must already
// be known to fit (VValueSize).
struct VValueBytes {
  const uint8_t* bytes;
  uint32_t length;
};

inline VValueBytes VBytesOfBody(int code, const uint8_t* body) {
  if (VHasOneByteBody(code)) return {body, 1};
  if (VHasWideLength(code)) return {body + 2, VGetU16(body)};
  return {body + 1, body[0]};
}

inline VValueBytes VBytesOf(const uint8_t* value) { return VBytesOfBody(value[0], value + 1); }

// The bytes an index keeps for a value (what CopyBytes copies): the value's bytes, or the source
// name of long data. False for Packet and LString, which have no key bytes.
inline bool VKeyBytesOfBody(int code, const uint8_t* body, VValueBytes* out) {
  if (VHasWideLength(code)) return false;
  if (VIsLongType(code)) {
    uint32_t rest = body[0];
    if (rest < static_cast<uint32_t>(kVLongNameOffset)) {
      *out = {body + 1 + rest, 0};
      return true;
    }
    uint32_t name = body[kVLongNameOffset];
    uint32_t room = rest - kVLongNameOffset;
    *out = {body + kVLongNameOffset + 1, name < room ? name : room};
    return true;
  }
  *out = VBytesOfBody(code, body);
  return true;
}

inline bool VKeyBytesOf(const uint8_t* value, VValueBytes* out) {
  return VKeyBytesOfBody(value[0], value + 1, out);
}

// A value found in a record: its type, the bytes it hands out (VBytesOf), the whole value and its
// size. The pointers refer into the record and stay valid until the record changes.
struct VValueRef {
  uint8_t type = 0;
  uint32_t length = 0;
  const uint8_t* bytes = nullptr;
  const uint8_t* value = nullptr;
  int32_t size = 0;
};
