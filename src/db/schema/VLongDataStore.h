// Where long-data values keep their data. A long-data value in a record is only a descriptor; its
// bytes live in storage that the database provides (the value file) behind this interface, which
// issues 24-bit identifiers. VMemLongDataStore keeps the data in memory, for tests and for
// databases without a value file.
#pragma once

#include <cstdint>
#include <map>
#include <vector>

#include "base/VBase.h"

class VStream;

// No data is stored under the identifier.
constexpr VResult kVLongDataMissing = -521;
// The store has no identifier left to issue, or the data is too large for a descriptor.
constexpr VResult kVLongDataFull = -522;

class VLongDataStore {
 public:
  virtual ~VLongDataStore() = default;

  // Stores the bytes of source from its position to its end; id receives a new identifier
  // (1 to 0xFFFFFF) and size the number of bytes stored.
  virtual VResult StoreData(VStream& source, uint32_t* id, uint32_t* size) = 0;
  // Writes all the data stored under id to sink.
  virtual VResult FetchData(uint32_t id, VStream& sink) = 0;
  // Frees the data stored under id.
  virtual VResult FreeData(uint32_t id) = 0;

  // Stores a block of bytes.
  VResult StoreBytes(const void* bytes, uint32_t length, uint32_t* id);
};

class VMemLongDataStore : public VLongDataStore {
 public:
  VResult StoreData(VStream& source, uint32_t* id, uint32_t* size) override;
  VResult FetchData(uint32_t id, VStream& sink) override;
  VResult FreeData(uint32_t id) override;

  size_t Count() const { return data_.size(); }

 private:
  std::map<uint32_t, std::vector<uint8_t>> data_;
  uint32_t lastId_ = 0;
};
