#include "db/schema/VRecord.h"

#include <cstring>
#include <vector>

#include "base/VMem.h"
#include "base/VStream.h"
#include "db/schema/VRecFormat.h"
#include "db/schema/VVM.h"

namespace {

constexpr int32_t kDefaultCapacity = 8192;
constexpr int32_t kMinimumCapacity = 512;

int32_t RoundUp512(int32_t n) { return (n + 511) / 512 * 512; }

}  // namespace

VRecord::VRecord() : VRecord(kDefaultCapacity) {}

VRecord::VRecord(int32_t size) : vvm_(&VVM::Instance()) {
  capacity_ = createdCapacity_ = size > kMinimumCapacity ? size : kMinimumCapacity;
  buffer_ = static_cast<uint8_t*>(VMemAlloc(static_cast<size_t>(capacity_), true));
}

VRecord::VRecord(const VRecord& other)
    : vvm_(other.vvm_), capacity_(other.capacity_), createdCapacity_(other.createdCapacity_) {
  buffer_ = static_cast<uint8_t*>(VMemAlloc(static_cast<size_t>(capacity_), true));
  std::memcpy(buffer_, other.buffer_, static_cast<size_t>(other.ImageLength()));
}

VRecord& VRecord::operator=(const VRecord& other) {
  if (this == &other) return *this;
  if (capacity_ < other.ImageLength()) Resize(other.capacity_);
  std::memcpy(buffer_, other.buffer_, static_cast<size_t>(other.ImageLength()));
  return *this;
}

VRecord::~VRecord() { VMemFree(buffer_); }

void VRecord::Resize(int32_t capacity) {
  buffer_ = static_cast<uint8_t*>(VMemResize(buffer_, static_cast<size_t>(capacity), true));
  capacity_ = capacity;
}

int32_t VRecord::AreaLength() const { return VGetU16(buffer_); }

void VRecord::Clear() { VPutU16(buffer_, 0); }

VResult VRecord::Load(const uint8_t* image, int32_t length) {
  VRecordView view(image, length > 0 ? static_cast<size_t>(length) : 0);
  if (view.Check() != kVOk) {
    Clear();
    return kVRecordCorrupt;
  }
  int32_t bytes = view.ImageLength();
  int32_t capacity = bytes > kMinimumCapacity ? bytes : kMinimumCapacity;
  if (capacity != capacity_) Resize(capacity);
  createdCapacity_ = capacity;
  std::memcpy(buffer_, image, static_cast<size_t>(bytes));
  return kVOk;
}

VResult VRecord::AddValue(int item, const uint8_t* value, int32_t size) {
  if (item < 1 || item > 255 || !value || size < 2) return kVBadValue;
  if (!VIsKnownType(value[0])) return kVNoValueType;
  if (VValueSize(value, static_cast<size_t>(size)) != size) return kVBadValue;
  // The value may lie in this record's own buffer, which is about to move.
  std::vector<uint8_t> copy;
  auto at = reinterpret_cast<uintptr_t>(value);
  auto base = reinterpret_cast<uintptr_t>(buffer_);
  if (at >= base && at < base + static_cast<uintptr_t>(capacity_)) {
    copy.assign(value, value + size);
    value = copy.data();
  }
  VRecordView::Entry entry;
  VResult found = View().FindEntry(item, &entry);
  if (found < 0) return found;
  int32_t area = AreaLength();
  int32_t needed = area + size + 4;
  if (needed > kVMaxRecordArea) return kVRecordTooLong;
  if (found == kVOk && entry.multi && entry.count == 255) return kVTooManyOccurrences;

  // The bytes the buffer must hold afterwards: turning a single value into the multi-value form
  // adds 4 bytes besides the value, so the image can reach needed + 2.
  int32_t grow = found != kVOk ? size + 1 : (entry.multi ? size : size + 4);
  int32_t required = 2 + area + grow;
  int32_t target = needed > required ? needed : required;
  if (needed >= capacity_ || (capacity_ > createdCapacity_ && capacity_ > needed + 512) ||
      required > capacity_) {
    int32_t offset = static_cast<int32_t>(entry.start - buffer_);
    Resize(RoundUp512(target));
    entry.start = buffer_ + offset;
  }

  uint8_t* start = const_cast<uint8_t*>(entry.start);
  uint8_t* areaEnd = buffer_ + 2 + area;
  if (found != kVOk) {
    std::memmove(start + 1 + size, start, static_cast<size_t>(areaEnd - start));
    start[0] = static_cast<uint8_t>(item);
    std::memcpy(start + 1, value, static_cast<size_t>(size));
  } else if (!entry.multi) {
    // item, value  ->  item, 0xFF, 1, length, value  (then appended to below)
    int32_t old = entry.valuesLength;
    uint8_t* tail = start + 1 + old;
    std::memmove(tail + 4 + size, tail, static_cast<size_t>(areaEnd - tail));
    std::memmove(start + 5, start + 1, static_cast<size_t>(old));
    start[1] = 0xFF;
    start[2] = 2;
    VPutU16(start + 3, static_cast<uint16_t>(old + size));
    std::memcpy(start + 5 + old, value, static_cast<size_t>(size));
  } else {
    uint8_t* tail = start + 5 + entry.valuesLength;
    std::memmove(tail + size, tail, static_cast<size_t>(areaEnd - tail));
    std::memcpy(tail, value, static_cast<size_t>(size));
    start[2] = static_cast<uint8_t>(entry.count + 1);
    VPutU16(start + 3, static_cast<uint16_t>(entry.valuesLength + size));
  }
  VPutU16(buffer_, static_cast<uint16_t>(area + grow));
  return kVOk;
}

VResult VRecord::SetValueFromText(int item, int type, const uint8_t* bytes, int32_t length,
                                  VLongDataStore* store) {
  const VVDD* vdd = vvm_->Type(type);
  if (!vdd) return kVNoValueType;
  if (length < 0) length = 0;
  // A plain text conversion with the length as the width: each type takes the text in its own
  // way (dates are parsed, numbers kept as text, Char and Flag take the first byte).
  VConversion conversion;
  conversion.type = kVTypeString;
  conversion.width = length;
  static const uint8_t kNothing = 0;
  VROMStream input(length > 0 ? bytes : &kNothing, length > 0 ? length : 1);
  if (length == 0) input.SeekEnd();
  std::vector<uint8_t> value;
  VResult r = vdd->ReadValue(conversion, input, &value, store);
  if (r != kVOk) return r;
  r = AddValue(item, value.data(), static_cast<int32_t>(value.size()));
  // The value's long data goes again; the add's failure stays the answer.
  if (r != kVOk) (void)vdd->ReleaseData(value.data(), store);
  return r;
}

VResult VRecord::Export(std::string_view format, VStream& output, VLongDataStore* store) const {
  VRecFormat compiled;
  VResult r = compiled.Compile(format);
  return r != kVOk ? r : compiled.Export(View(), output, store);
}

VResult VRecord::Unpack(std::string_view format, uint8_t* buffer, int32_t capacity, int32_t* length,
                        VLongDataStore* store) const {
  VSMemStream output(buffer, 0, capacity);
  VResult r = Export(format, output, store);
  *length = static_cast<int32_t>(output.Position());
  return r;
}

VResult VRecord::Import(std::string_view format, VStream& input, VLongDataStore* store) {
  VRecFormat compiled;
  VResult r = compiled.Compile(format);
  return r != kVOk ? r : compiled.Import(*this, input, store);
}

VResult VRecord::Pack(std::string_view format, const uint8_t* buffer, int32_t length,
                      VLongDataStore* store, int32_t* consumed) {
  if (consumed) *consumed = 0;
  VRecFormat compiled;
  VResult r = compiled.Compile(format);
  if (r != kVOk) return r;
  if (length <= 0) return kVOk;  // nothing to read: the record ends at once
  VROMStream input(buffer, length);
  r = compiled.Import(*this, input, store);
  if (consumed) *consumed = static_cast<int32_t>(input.Position());
  return r;
}
