#include "gt/OGTDBValue.h"

#include <algorithm>

#include "base/VEndian.h"
#include "base/VSjis.h"
#include "base/VStream.h"
#include "db/schema/VLongDataStore.h"
#include "db/schema/VRecord.h"
#include "db/schema/VVDD.h"
#include "db/schema/VValue.h"

namespace {

bool IsLongText(uint8_t type) { return type == kVTypeText || type == kVTypeHTML; }

// The data of a long value, at most maxBytes of it.
VResult FetchLong(const VValueRef& ref, VLongDataStore* store, size_t maxBytes, std::string* out) {
  // The descriptor: length byte, then the data identifier (u24).
  if (ref.size < 5) return kVOk;
  const uint32_t id = VGetU24(ref.value + 2);
  if (id == 0) return kVOk;
  if (store == nullptr) return kVNoLongDataStore;
  VDMemStream data;
  VResult result = store->FetchData(id, data);
  if (result != kVOk) return result;
  const auto* bytes = reinterpret_cast<const char*>(data.Data());
  out->assign(OGTDBCut(std::string_view(bytes, static_cast<size_t>(data.Size())), maxBytes));
  return kVOk;
}

}  // namespace

std::string_view OGTDBCut(std::string_view text, size_t maxBytes) {
  if (text.size() <= maxBytes) return text;
  const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
  size_t end = 0;
  while (end < maxBytes) {
    const size_t n = VCharLength(bytes, text.size(), end);
    if (end + n > maxBytes) break;
    end += n;
  }
  return text.substr(0, end);
}

VResult OGTDBReadValue(const VRecord& record, int32_t item, int32_t occurrence,
                       VLongDataStore* store, size_t maxBytes, uint8_t* type, std::string* bytes) {
  bytes->clear();
  VValueRef ref;
  VResult result = record.ValueRef(item, std::max(occurrence, 1), &ref);
  if (result != kVOk) return result;
  *type = ref.type;
  if (IsLongText(ref.type)) return FetchLong(ref, store, maxBytes, bytes);
  if (VIsLongType(ref.type)) {
    // Other long data is handed out as its source name.
    VValueBytes name{nullptr, 0};
    if (VKeyBytesOf(ref.value, &name) && name.bytes != nullptr) {
      bytes->assign(OGTDBCut({reinterpret_cast<const char*>(name.bytes), name.length}, maxBytes));
    }
    return kVOk;
  }
  bytes->assign(OGTDBCut(
      {reinterpret_cast<const char*>(ref.bytes), static_cast<size_t>(ref.length)}, maxBytes));
  return kVOk;
}

std::string OGTDBFieldText(uint8_t type, std::string_view bytes, bool styled) {
  switch (type) {
    case kVTypeFlag:
      return !bytes.empty() && bytes[0] != 0 ? "1" : "0";
    case kVTypeChar:
    case kVTypeDate:
    case kVTypeTime:
    case kVTypeDateTime:
    case kVTypeString:
    case kVTypeNumber:
    case kVTypeInteger:
    case kVTypeLString:
    case kVTypeText:
    case kVTypeHTML:
      return std::string(bytes);
    case kVTypePacket:
      return styled ? std::string(bytes) : std::string();
    default:
      return std::string();
  }
}

std::string OGTDBCellText(uint8_t type, std::string_view bytes) {
  if (type == kVTypeFlag) return !bytes.empty() && bytes[0] != 0 ? "1" : "0";
  if (type == kVTypeBinary) return std::string();
  return std::string(bytes);
}

bool OGTDBPutText(VRecord* record, int32_t item, uint8_t type, std::string_view text,
                  VLongDataStore* store) {
  if (text.empty() || type == kVTypeBinary) return false;
  if (type == kVTypeFlag) {
    // Read as every other path reads a Flag from text; a text that is no Flag gives no value.
    uint8_t flag = 0;
    if (!VFlagFromText(reinterpret_cast<const uint8_t*>(text.data()), text.size(), &flag)) {
      return false;
    }
    const uint8_t value[2] = {kVTypeFlag, flag};
    return record->AddValue(item, value, 2) == kVOk;
  }
  if (type == kVTypeInteger || type == kVTypeNumber) {
    // The engine keeps numbers as their text; a text that is no number would be stored as it
    // stands and then misread by every comparison, so it gives no value.
    if (!VIsNumber(text.data(), text.size())) return false;
    if (type == kVTypeInteger && text.find('.') != std::string_view::npos) return false;
  }
  if (type == kVTypeChar) {
    const uint8_t value[2] = {kVTypeChar, static_cast<uint8_t>(text[0])};
    return record->AddValue(item, value, 2) == kVOk;
  }
  return record->SetValueFromText(item, type, reinterpret_cast<const uint8_t*>(text.data()),
                                  static_cast<int32_t>(text.size()), store) == kVOk;
}

int32_t OGTDBValueCount(const VRecord& record, int32_t item) {
  return std::max(record.OccurrenceCount(item), 0);
}
