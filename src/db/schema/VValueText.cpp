#include "db/schema/VValueText.h"

#include <vector>

#include "base/VDebug.h"
#include "base/VEndian.h"
#include "base/VStream.h"
#include "db/schema/VDelimited.h"
#include "db/schema/VLongDataStore.h"
#include "db/schema/VRecord.h"
#include "db/schema/VVDD.h"
#include "db/schema/VVM.h"
#include "db/schema/VValue.h"

namespace {

constexpr char kDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// A value's text is written into a buffer this large (a Packet holds up to 65535 bytes).
constexpr int32_t kTextBuffer = 65536 + 16;

int DigitValue(char c) {
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= 'a' && c <= 'z') return c - 'a' + 26;
  if (c >= '0' && c <= '9') return c - '0' + 52;
  if (c == '+') return 62;
  if (c == '/') return 63;
  return -1;
}

}  // namespace

bool VIsBase64Type(int type) {
  switch (type) {
    case kVTypeBinary:
    case kVTypePacket:
    case kVTypeFile:
    case kVTypeMacFile:
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

std::string VBase64(std::string_view bytes) {
  std::string out;
  out.reserve((bytes.size() + 2) / 3 * 4);
  size_t i = 0;
  auto byte = [&bytes](size_t at) {
    return static_cast<uint32_t>(static_cast<uint8_t>(bytes[at]));
  };
  for (; i + 3 <= bytes.size(); i += 3) {
    const uint32_t n = byte(i) << 16 | byte(i + 1) << 8 | byte(i + 2);
    out += kDigits[n >> 18];
    out += kDigits[(n >> 12) & 63];
    out += kDigits[(n >> 6) & 63];
    out += kDigits[n & 63];
  }
  if (const size_t left = bytes.size() - i; left > 0) {
    uint32_t n = byte(i) << 16;
    if (left == 2) n |= byte(i + 1) << 8;
    out += kDigits[n >> 18];
    out += kDigits[(n >> 12) & 63];
    out += left == 2 ? kDigits[(n >> 6) & 63] : '=';
    out += '=';
  }
  return out;
}

bool VFromBase64(std::string_view text, std::string* bytes) {
  bytes->clear();
  size_t end = text.size();
  if (end % 4 == 0) {
    // Padding only as the last one or two characters of the last group.
    for (int pad = 0; pad < 2 && end > 0 && text[end - 1] == '='; ++pad) --end;
  }
  if (end % 4 == 1) return false;
  bytes->reserve(end / 4 * 3 + 2);
  uint32_t bits = 0;
  int count = 0;
  for (size_t i = 0; i < end; ++i) {
    const int digit = DigitValue(text[i]);
    if (digit < 0) return false;
    bits = (bits << 6) | static_cast<uint32_t>(digit);
    if (++count == 4) {
      bytes->push_back(static_cast<char>(bits >> 16));
      bytes->push_back(static_cast<char>(bits >> 8));
      bytes->push_back(static_cast<char>(bits));
      bits = 0;
      count = 0;
    }
  }
  if (count == 2) {
    bytes->push_back(static_cast<char>(bits >> 4));
  } else if (count == 3) {
    bytes->push_back(static_cast<char>(bits >> 10));
    bytes->push_back(static_cast<char>(bits >> 2));
  }
  return true;
}

VResult VValueToText(const VRecord& record, int item, int occurrence, VLongDataStore* store,
                     std::string* text) {
  text->clear();
  VValueRef ref;
  if (VResult result = record.ValueRef(item, occurrence, &ref); result != kVOk) return result;
  const std::string_view bytes(reinterpret_cast<const char*>(ref.bytes), ref.length);
  if (VIsLongType(ref.type)) {
    // The data in full: written under a conversion of no width, it is fetched whole.
    VDMemStream data;
    VConversion whole;
    whole.type = ref.type;
    if (VResult result = VVM::Instance().WriteValue(ref.type, whole, data, ref.value, store);
        result != kVOk) {
      return result;
    }
    const std::string_view fetched(reinterpret_cast<const char*>(data.Data()),
                                   static_cast<size_t>(data.Size()));
    *text = VIsBase64Type(ref.type) ? VBase64(fetched) : std::string(fetched);
    return kVOk;
  }
  switch (ref.type) {
    case kVTypeFlag:
      // Every reader takes a Flag byte other than 0 as on.
      text->assign(ref.length > 0 && ref.bytes[0] != 0 ? "1" : "0");
      return kVOk;
    case kVTypeChar:
      if (ref.length > 0 && ref.bytes[0] != 0) text->assign(bytes);
      return kVOk;
    case kVTypeString:
    case kVTypeNumber:
    case kVTypeInteger:
      // Their bytes are their text.
      text->assign(bytes);
      return kVOk;
    default:
      break;
  }
  if (VIsBase64Type(ref.type)) {
    *text = VBase64(bytes);
    return kVOk;
  }
  thread_local std::vector<uint8_t> buffer(kTextBuffer);
  int32_t length = 0;
  VResult result = record.ValueText(item, occurrence, buffer.data(), kTextBuffer, &length, store);
  if (result == kVOk) text->assign(reinterpret_cast<const char*>(buffer.data()), length);
  return result;
}

VResult VAddValueText(VRecord* record, int item, int type, std::string_view text,
                      VLongDataStore* store) {
  std::string decoded;
  if (VIsBase64Type(type)) {
    if (!VFromBase64(text, &decoded)) return kVNotBase64;
    text = decoded;
  }
  if (text.empty() && (type == kVTypeBinary || VHasWideLength(type))) {
    // Reading these types needs a width, which an empty value does not give: the empty value is
    // made here (a zero length byte, or a zero 16-bit length).
    const uint8_t empty[3] = {static_cast<uint8_t>(type), 0, 0};
    return record->AddValue(item, empty, VHasWideLength(type) ? 3 : 2);
  }
  if (text.size() > kVDelimitedMaxValue) return kVDelimitedValueTooLong;
  return record->SetValueFromText(item, type, reinterpret_cast<const uint8_t*>(text.data()),
                                  static_cast<int32_t>(text.size()), store);
}

void VReleaseLongData(const VRecord& record, VLongDataStore* store) {
  if (store == nullptr) return;
  for (int item = 1; item <= 255; ++item) {
    const int32_t count = record.OccurrenceCount(item);
    for (int32_t occurrence = 1; occurrence <= count; ++occurrence) {
      VValueRef ref;
      if (record.ValueRef(item, occurrence, &ref) != kVOk || !VIsLongType(ref.type)) continue;
      if (ref.size < 5) continue;
      const uint32_t id = VGetU24(ref.value + 2);
      if (id != 0 && store->FreeData(id) != kVOk) {
        LogFormat("...ERROR... long data %u of a record that was not stored stays", id);
      }
    }
  }
}
