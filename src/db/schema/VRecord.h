// VRecord: one record buffer of its own (layout in VRecordView.h), with reading, adding and
// matching of values and the record format language (VRecFormat.h) to pack and unpack it.
//
// Invariants: the buffer always holds a sound record (AddValue and Load refuse anything that would
// break it, leaving the record unchanged); the capacity is at least the area length + 2; the area
// length never passes 0x7C00 through AddValue.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "db/schema/VRecordView.h"

class VStream;
class VVM;

// An item already holds 255 values.
constexpr VResult kVTooManyOccurrences = -207;
// The record would pass 0x7C00 bytes (area length + value size + 4).
constexpr VResult kVRecordTooLong = -512;

class VRecord {
 public:
  // An empty record with a capacity of 8192 bytes.
  VRecord();
  // An empty record with a capacity of max(512, size) bytes.
  explicit VRecord(int32_t size);
  VRecord(const VRecord& other);
  VRecord& operator=(const VRecord& other);
  ~VRecord();

  // Takes a copy of a stored record image (area length + 2 bytes of the length available) into a
  // buffer of max(512, that) bytes. A malformed image leaves the record empty: kVRecordCorrupt.
  VResult Load(const uint8_t* image, int32_t length);

  void Clear();
  VRecordView View() const { return VRecordView(buffer_, static_cast<size_t>(capacity_)); }
  const uint8_t* Image() const { return buffer_; }
  int32_t ImageLength() const { return AreaLength() + 2; }
  int32_t AreaLength() const;
  int32_t Capacity() const { return capacity_; }

  int32_t ItemCount() const { return View().ItemCount(); }
  int32_t OccurrenceCount(int item) const { return View().OccurrenceCount(item); }
  int32_t ValueType(int item, int occurrence) const { return View().ValueType(item, occurrence); }
  int32_t ValueLength(int item, int occurrence) const {
    return View().ValueLength(item, occurrence);
  }
  VResult ValueRef(int item, int occurrence, VValueRef* out) const {
    return View().ValueRef(item, occurrence, out);
  }
  bool Match(int item, int op, int32_t operandLength, const uint8_t* operand,
             VLongDataStore* store = nullptr) const {
    return View().Match(item, op, operandLength, operand, store);
  }
  VResult KeyValue(std::span<const uint8_t> items, int32_t* count, uint8_t* buffer,
                   int32_t capacity, int32_t* length) const {
    return View().KeyValue(items, count, buffer, capacity, length);
  }
  VResult TaggedValues(std::span<const uint8_t> items, uint8_t* buffer, int32_t capacity,
                       int32_t* length) const {
    return View().TaggedValues(items, buffer, capacity, length);
  }
  VResult ValueText(int item, int occurrence, uint8_t* buffer, int32_t capacity, int32_t* length,
                    VLongDataStore* store = nullptr) const {
    return View().ValueText(item, occurrence, buffer, capacity, length, store);
  }

  // Adds a value (type code and body, size bytes in all) as the item's next occurrence: 0,
  // kVRecordTooLong, kVTooManyOccurrences, kVNoValueType, kVBadValue.
  VResult AddValue(int item, const uint8_t* value, int32_t size);
  // Reads one value of the type from the bytes (the length being the width) and adds it.
  VResult SetValueFromText(int item, int type, const uint8_t* bytes, int32_t length,
                           VLongDataStore* store = nullptr);

  // Writes the record's values under a format text to a stream, or into a caller's block of
  // capacity bytes (length receives the bytes written; a block too small gives -29).
  VResult Export(std::string_view format, VStream& output, VLongDataStore* store = nullptr) const;
  VResult Unpack(std::string_view format, uint8_t* buffer, int32_t capacity, int32_t* length,
                 VLongDataStore* store = nullptr) const;
  // Reads values under a format text from a stream, or from a caller's block of length bytes
  // (never reading past it; consumed receives the bytes read), and adds them.
  VResult Import(std::string_view format, VStream& input, VLongDataStore* store = nullptr);
  VResult Pack(std::string_view format, const uint8_t* buffer, int32_t length,
               VLongDataStore* store = nullptr, int32_t* consumed = nullptr);

 private:
  void Resize(int32_t capacity);

  const VVM* vvm_;
  uint8_t* buffer_ = nullptr;
  int32_t capacity_ = 0;
  int32_t createdCapacity_ = 0;
};
