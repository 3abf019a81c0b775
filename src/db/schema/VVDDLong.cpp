// Long data: the record keeps a descriptor; the data and the secondary data live in the
// database's long-data store.
#include <cstring>

#include "base/VFile.h"
#include "base/VSjis.h"
#include "base/VStream.h"
#include "db/schema/VItmData.h"
#include "db/schema/VLongDataStore.h"
#include "db/schema/VVDD.h"

namespace {

// A descriptor field is read only when the length byte says the body holds it.
uint32_t Get24(const uint8_t* body, int offset) {
  return body[0] >= offset + 2 ? VGetU24(body + offset) : 0;
}

uint32_t Get32(const uint8_t* body, int offset) {
  return body[0] >= offset + 3 ? VGetU32(body + offset) : 0;
}

// Cuts a name to the room a descriptor has, on a character boundary.
size_t NameLength(const std::string& name) {
  const uint8_t* bytes = reinterpret_cast<const uint8_t*>(name.data());
  size_t n = name.size();
  if (n <= static_cast<size_t>(kVLongMaxName)) return n;
  n = kVLongMaxName;
  if (!VIsCharBoundary(bytes, name.size(), n)) --n;
  return n;
}

}  // namespace

uint32_t VVDD_Long::DataId(const uint8_t* body) { return Get24(body, 1); }
uint32_t VVDD_Long::DataSize(const uint8_t* body) { return Get32(body, 4); }
uint32_t VVDD_Long::SecondaryId(const uint8_t* body) { return Get24(body, 8); }
uint32_t VVDD_Long::SecondarySizeOf(const uint8_t* body) { return Get32(body, 11); }
uint32_t VVDD_Long::FirstTime(const uint8_t* body) { return Get32(body, 15); }
uint32_t VVDD_Long::SecondTime(const uint8_t* body) { return Get32(body, 19); }

int32_t VVDD_Long::ValueLength(const uint8_t* body) const {
  return static_cast<int32_t>(DataSize(body));
}

int32_t VVDD_Long::SecondarySize(const uint8_t* body) const {
  return static_cast<int32_t>(SecondarySizeOf(body));
}

VResult VVDD_Long::ReadFrom(VItmData& source, std::vector<uint8_t>* value,
                            VLongDataStore* store) const {
  if (!store) return kVNoLongDataStore;
  VStream* data = source.DataStream();
  if (!data) return kVConversionNotApplicable;
  uint32_t id = 0, size = 0, secondaryId = 0, secondarySize = 0, first = 0, second = 0;
  VResult r = store->StoreData(*data, &id, &size);
  if (r != kVOk) return r;
  std::string name;
  if (source.HasSourceInfo()) {
    if (VStream* secondary = source.SecondaryStream()) {
      r = store->StoreData(*secondary, &secondaryId, &secondarySize);
      if (r != kVOk) {
        // The first piece goes again; the store's failure stays the answer.
        (void)store->FreeData(id);
        return r;
      }
    }
    source.Times(&first, &second);
    name = source.Name();
  }
  size_t nameLength = NameLength(name);
  value->assign(static_cast<size_t>(kVLongNameOffset) + 2 + nameLength, 0);
  uint8_t* body = value->data() + 1;
  (*value)[0] = Code();
  body[0] = static_cast<uint8_t>(kVLongNameOffset + nameLength);
  VPutU24(body + 1, id);
  VPutU32(body + 4, size);
  VPutU24(body + 8, secondaryId);
  VPutU32(body + 11, secondarySize);
  VPutU32(body + 15, first);
  VPutU32(body + 19, second);
  body[kVLongNameOffset] = static_cast<uint8_t>(nameLength);
  if (nameLength) std::memcpy(body + kVLongNameOffset + 1, name.data(), nameLength);
  source.Done();
  return kVOk;
}

VResult VVDD_Long::ReadValue(const VConversion& conversion, VStream& input,
                             std::vector<uint8_t>* value, VLongDataStore* store) const {
  if (!store) return kVNoLongDataStore;
  if (conversion.width > 0) {
    std::vector<uint8_t> bytes(static_cast<size_t>(conversion.width));
    int32_t got = input.Read(bytes.data(), conversion.width);
    VDMemStream field(bytes.data(), got > 0 ? got : 0);
    VItmData_Stream source(field);
    return ReadFrom(source, value, store);
  }
  VItmData_Stream source(input);
  return ReadFrom(source, value, store);
}

VResult VVDD_Long::WriteValue(const VConversion& conversion, VStream& output, const uint8_t* value,
                              VLongDataStore* store) const {
  int32_t width = conversion.width > 0 ? conversion.width : 0;
  if (!value) {
    return width > 0 && !output.WriteRepeated(width, 0) ? kVWriteFailed : kVOk;
  }
  if (!store) return kVNoLongDataStore;
  uint32_t id = DataId(value + 1);
  if (width == 0) return id ? store->FetchData(id, output) : kVOk;
  VDMemStream data;
  if (id) {
    VResult r = store->FetchData(id, data);
    if (r != kVOk) return r;
  }
  int32_t count = data.Size() < width ? static_cast<int32_t>(data.Size()) : width;
  if (count > 0 && output.Write(data.Data(), count) != count) return kVWriteFailed;
  if (count < width && !output.WriteRepeated(width - count, 0)) return kVWriteFailed;
  return kVOk;
}

VResult VVDD_Long::WriteTo(VItmData& sink, const uint8_t* value, VLongDataStore* store) const {
  if (!store) return kVNoLongDataStore;
  const uint8_t* body = value + 1;
  VResult r = kVOk;
  if (VStream* data = sink.DataStream(); data && DataId(body)) {
    r = store->FetchData(DataId(body), *data);
  }
  if (r == kVOk && sink.HasSourceInfo()) {
    VStream* secondary = sink.SecondaryStream();
    if (secondary && SecondaryId(body)) r = store->FetchData(SecondaryId(body), *secondary);
    sink.SetTimes(FirstTime(body), SecondTime(body));
    VValueBytes name{nullptr, 0};
    VKeyBytesOf(value, &name);
    sink.SetName(std::string(reinterpret_cast<const char*>(name.bytes), name.length));
  }
  sink.Done();
  return r;
}

VResult VVDD_Long::ReleaseData(const uint8_t* value, VLongDataStore* store) const {
  if (!store) return kVNoLongDataStore;
  const uint8_t* body = value + 1;
  VResult first = kVOk;
  if (DataId(body)) first = store->FreeData(DataId(body));
  if (SecondaryId(body)) {
    VResult r = store->FreeData(SecondaryId(body));
    if (first == kVOk) first = r;
  }
  return first;
}

bool VVDD_Long::Match(const uint8_t* value, int op, int32_t operandLength, const uint8_t* operand,
                      VLongDataStore* store) const {
  uint32_t id = DataId(value + 1);
  if (!store || id == 0) return false;
  VDMemStream data;
  if (store->FetchData(id, data) != kVOk || data.Size() == 0) return false;
  return VMatchText(data.Data(), static_cast<uint32_t>(data.Size()), op, operand, operandLength);
}
