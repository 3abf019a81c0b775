// VRecordView: read access to a record buffer that someone else holds (a VRecord, or a record
// image in a data block), without copying it.
//
// Record buffer: a 16-bit area length, then the entries, in ascending item number, each item at
// most once. An entry is the item number (1 to 255) and one value, or the item number, the marker
// 0xFF, an occurrence count (1 to 255), a 16-bit occurrence area length and the occurrences, each a
// value. Values are a type code byte and a body (VValue.h). Integers are big-endian.
//
// Every walk is bounded by the bytes the view was given: an area length beyond them, an entry or
// occurrence running past its area, or an empty multi-value entry is reported as kVRecordCorrupt
// and nothing outside the buffer is read. Check validates a whole buffer strictly (known type
// codes, ascending items, occurrence counts that fill their areas exactly) and is what a record
// read from storage is held to.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "base/VBase.h"
#include "db/schema/VValue.h"

class VLongDataStore;

// The record buffer is malformed.
constexpr VResult kVRecordCorrupt = -209;
// An item number outside 1 to 255, or a value whose size does not match its type, was given to
// AddValue.
constexpr VResult kVBadValue = -210;
// A caller's buffer is too small for the key values or tagged values of a record.
constexpr VResult kVBufferTooSmall = -214;
// The record has no value at the item and occurrence asked for.
constexpr VResult kVValueMissing = -2116;

// Largest area length a record may reach by adding values.
constexpr int32_t kVMaxRecordArea = 0x7C00;
// Key values of one record never need more than this.
constexpr int32_t kVMaxKeyValues = kVMaxRecordArea;

class VRecordView {
 public:
  // One entry of the buffer. For a single value, values points at the value and count is 1.
  struct Entry {
    const uint8_t* start = nullptr;
    int32_t size = 0;
    uint8_t item = 0;
    bool multi = false;
    uint8_t count = 0;
    const uint8_t* values = nullptr;
    int32_t valuesLength = 0;
  };

  VRecordView() = default;
  // available: the bytes readable at image (at least the area length + 2 of a sound buffer).
  VRecordView(const uint8_t* image, size_t available);

  // Strict validation of the whole buffer: 0 or kVRecordCorrupt.
  VResult Check() const;

  const uint8_t* Image() const { return image_; }
  // Area length + 2, the bytes a record image occupies (0 when the header is corrupt).
  int32_t ImageLength() const { return intact_ ? area_ + 2 : 0; }
  int32_t AreaLength() const { return intact_ ? area_ : 0; }

  // Entries in the buffer, or kVRecordCorrupt.
  int32_t ItemCount() const;
  // 0 when absent, 1 for a single value, the count of a multi-value entry; or kVRecordCorrupt.
  int32_t OccurrenceCount(int item) const;
  // Occurrences are numbered from 1; 0 names the first too. Absent: kVValueMissing.
  VResult ValueRef(int item, int occurrence, VValueRef* out) const;
  // The type code, 0 when absent, or kVRecordCorrupt.
  int32_t ValueType(int item, int occurrence) const;
  // The value's length as handed out (VVDD::ValueLength), or kVValueMissing / kVRecordCorrupt.
  int32_t ValueLength(int item, int occurrence) const;

  // True when one value of the item (of any item when item is 0) satisfies the operator.
  bool Match(int item, int op, int32_t operandLength, const uint8_t* operand,
             VLongDataStore* store = nullptr) const;

  // The key values an index keeps for the record, as a run of (length byte, bytes). One item:
  // one key per occurrence; several items: one key of the first values joined (cut to 255 bytes),
  // none when any item is absent. Values without key bytes (Packet, LString) give no key.
  VResult KeyValue(std::span<const uint8_t> items, int32_t* count, uint8_t* buffer,
                   int32_t capacity, int32_t* length) const;
  // For each item its first value as type code, length byte and bytes (at most 255), or two zero
  // bytes when absent.
  VResult TaggedValues(std::span<const uint8_t> items, uint8_t* buffer, int32_t capacity,
                       int32_t* length) const;
  // Writes one value as text into buffer through its type's WriteValue.
  VResult ValueText(int item, int occurrence, uint8_t* buffer, int32_t capacity, int32_t* length,
                    VLongDataStore* store = nullptr) const;

  // Finds the entry of an item: 0 found, 1 absent (entry->start is where it would be inserted),
  // kVRecordCorrupt.
  VResult FindEntry(int item, Entry* entry) const;
  // The occurrence of an entry (0 or 1 the first): 0, kVValueMissing or kVRecordCorrupt.
  VResult Occurrence(const Entry& entry, int occurrence, VValueRef* out) const;

 private:
  // Reads the entry at p: 0 or kVRecordCorrupt.
  VResult EntryAt(const uint8_t* p, Entry* entry) const;
  bool MatchEntry(const Entry& entry, int op, int32_t operandLength, const uint8_t* operand,
                  VLongDataStore* store) const;

  const uint8_t* image_ = nullptr;
  const uint8_t* end_ = nullptr;  // end of the area
  int32_t area_ = 0;
  bool intact_ = false;
};
