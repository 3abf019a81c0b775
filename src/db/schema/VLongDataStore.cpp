#include "db/schema/VLongDataStore.h"

#include "base/VFile.h"
#include "base/VStream.h"

VResult VLongDataStore::StoreBytes(const void* bytes, uint32_t length, uint32_t* id) {
  uint32_t size = 0;
  if (length == 0) {
    // A ROM stream of length 0 would take the block as a zero-terminated text.
    VSizeStream empty;
    return StoreData(empty, id, &size);
  }
  VROMStream source(bytes, length);
  return StoreData(source, id, &size);
}

VResult VMemLongDataStore::StoreData(VStream& source, uint32_t* id, uint32_t* size) {
  int64_t remaining = source.Size() - source.Position();
  if (remaining < 0) remaining = 0;
  if (remaining > 0xFFFFFFFFLL || lastId_ >= 0xFFFFFF) return kVLongDataFull;
  std::vector<uint8_t> bytes(static_cast<size_t>(remaining));
  int32_t got = 0;
  size_t at = 0;
  while (at < bytes.size()) {
    int64_t piece = static_cast<int64_t>(bytes.size() - at);
    got =
        source.Read(bytes.data() + at, static_cast<int32_t>(piece > (1 << 30) ? (1 << 30) : piece));
    if (got <= 0) break;
    at += static_cast<size_t>(got);
  }
  bytes.resize(at);
  *id = ++lastId_;
  *size = static_cast<uint32_t>(at);
  data_[*id] = std::move(bytes);
  return kVOk;
}

VResult VMemLongDataStore::FetchData(uint32_t id, VStream& sink) {
  auto it = data_.find(id);
  if (it == data_.end()) return kVLongDataMissing;
  const std::vector<uint8_t>& bytes = it->second;
  if (!bytes.empty() && sink.Write(bytes.data(), static_cast<int32_t>(bytes.size())) !=
                            static_cast<int32_t>(bytes.size())) {
    return kVWriteFailed;
  }
  return kVOk;
}

VResult VMemLongDataStore::FreeData(uint32_t id) {
  return data_.erase(id) ? kVOk : kVLongDataMissing;
}
