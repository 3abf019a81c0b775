#include "db/schema/VRecordView.h"

#include <cstring>

#include "base/VFile.h"
#include "base/VSjis.h"
#include "base/VStream.h"
#include "db/schema/VVM.h"

VRecordView::VRecordView(const uint8_t* image, size_t available) : image_(image) {
  if (!image || available < 2) return;
  area_ = VGetU16(image);
  if (static_cast<size_t>(area_) + 2 > available) return;
  end_ = image + 2 + area_;
  intact_ = true;
}

VResult VRecordView::EntryAt(const uint8_t* p, Entry* entry) const {
  size_t left = static_cast<size_t>(end_ - p);
  if (left < 2) return kVRecordCorrupt;
  entry->start = p;
  entry->item = p[0];
  if (p[1] == 0xFF) {
    if (left < 5) return kVRecordCorrupt;
    int32_t length = VGetU16(p + 3);
    if (p[2] == 0 || static_cast<size_t>(length) > left - 5) return kVRecordCorrupt;
    entry->multi = true;
    entry->count = p[2];
    entry->values = p + 5;
    entry->valuesLength = length;
    entry->size = 5 + length;
    return kVOk;
  }
  int32_t size = VValueSize(p + 1, left - 1);
  if (size < 0) return kVRecordCorrupt;
  entry->multi = false;
  entry->count = 1;
  entry->values = p + 1;
  entry->valuesLength = size;
  entry->size = 1 + size;
  return kVOk;
}

VResult VRecordView::FindEntry(int item, Entry* entry) const {
  if (!intact_) return kVRecordCorrupt;
  const uint8_t* p = image_ + 2;
  while (p < end_) {
    Entry e;
    VResult r = EntryAt(p, &e);
    if (r != kVOk) return r;
    if (e.item >= item) {
      if (e.item == item) {
        *entry = e;
        return kVOk;
      }
      break;
    }
    p += e.size;
  }
  entry->start = p;
  return kVEnd;
}

VResult VRecordView::Occurrence(const Entry& entry, int occurrence, VValueRef* out) const {
  int k = occurrence <= 1 ? 1 : occurrence;
  if (k > entry.count) return kVValueMissing;
  const uint8_t* p = entry.values;
  const uint8_t* end = p + entry.valuesLength;
  for (int i = 1;; ++i) {
    int32_t size = VValueSize(p, static_cast<size_t>(end - p));
    if (size < 0) return kVRecordCorrupt;
    if (i == k) {
      VValueBytes bytes = VBytesOf(p);
      out->type = p[0];
      out->bytes = bytes.bytes;
      out->length = bytes.length;
      out->value = p;
      out->size = size;
      return kVOk;
    }
    p += size;
  }
}

VResult VRecordView::Check() const {
  if (!intact_) return kVRecordCorrupt;
  const uint8_t* p = image_ + 2;
  int previous = 0;
  while (p < end_) {
    Entry e;
    if (EntryAt(p, &e) != kVOk || e.item == 0 || e.item <= previous) return kVRecordCorrupt;
    previous = e.item;
    const uint8_t* q = e.values;
    const uint8_t* end = q + e.valuesLength;
    int count = 0;
    while (q < end) {
      if (!VIsKnownType(q[0])) return kVRecordCorrupt;
      int32_t size = VValueSize(q, static_cast<size_t>(end - q));
      if (size < 0) return kVRecordCorrupt;
      q += size;
      ++count;
    }
    if (count != e.count) return kVRecordCorrupt;
    p += e.size;
  }
  return kVOk;
}

int32_t VRecordView::ItemCount() const {
  if (!intact_) return kVRecordCorrupt;
  int32_t count = 0;
  for (const uint8_t* p = image_ + 2; p < end_; ++count) {
    Entry e;
    if (EntryAt(p, &e) != kVOk) return kVRecordCorrupt;
    p += e.size;
  }
  return count;
}

int32_t VRecordView::OccurrenceCount(int item) const {
  Entry e;
  VResult r = FindEntry(item, &e);
  if (r < 0) return r;
  return r == kVOk ? e.count : 0;
}

VResult VRecordView::ValueRef(int item, int occurrence, VValueRef* out) const {
  Entry e;
  VResult r = FindEntry(item, &e);
  if (r < 0) return r;
  if (r != kVOk) return kVValueMissing;
  return Occurrence(e, occurrence, out);
}

int32_t VRecordView::ValueType(int item, int occurrence) const {
  VValueRef ref;
  VResult r = ValueRef(item, occurrence, &ref);
  if (r == kVValueMissing) return 0;
  return r < 0 ? static_cast<int32_t>(r) : static_cast<int32_t>(ref.type);
}

int32_t VRecordView::ValueLength(int item, int occurrence) const {
  VValueRef ref;
  VResult r = ValueRef(item, occurrence, &ref);
  if (r < 0) return r;
  return VVM::Instance().ValueLength(ref.type, ref.value + 1);
}

bool VRecordView::MatchEntry(const Entry& entry, int op, int32_t operandLength,
                             const uint8_t* operand, VLongDataStore* store) const {
  const VVM& vvm = VVM::Instance();
  const uint8_t* p = entry.values;
  const uint8_t* end = p + entry.valuesLength;
  while (p < end) {
    int32_t size = VValueSize(p, static_cast<size_t>(end - p));
    if (size < 0) return false;
    if (vvm.Match(p[0], p, op, operandLength, operand, store)) return true;
    p += size;
  }
  return false;
}

bool VRecordView::Match(int item, int op, int32_t operandLength, const uint8_t* operand,
                        VLongDataStore* store) const {
  if (!intact_) return false;
  Entry e;
  if (item != 0) {
    return FindEntry(item, &e) == kVOk && MatchEntry(e, op, operandLength, operand, store);
  }
  for (const uint8_t* p = image_ + 2; p < end_; p += e.size) {
    if (EntryAt(p, &e) != kVOk) return false;
    if (MatchEntry(e, op, operandLength, operand, store)) return true;
  }
  return false;
}

VResult VRecordView::KeyValue(std::span<const uint8_t> items, int32_t* count, uint8_t* buffer,
                              int32_t capacity, int32_t* length) const {
  *count = 0;
  *length = 0;
  if (items.empty()) return kVOk;
  Entry e;
  if (items.size() == 1) {
    VResult r = FindEntry(items[0], &e);
    if (r != kVOk) return r < 0 ? r : kVOk;
    const uint8_t* p = e.values;
    const uint8_t* end = p + e.valuesLength;
    while (p < end) {
      int32_t size = VValueSize(p, static_cast<size_t>(end - p));
      if (size < 0) return kVRecordCorrupt;
      VValueBytes bytes{nullptr, 0};
      if (VKeyBytesOf(p, &bytes)) {
        if (static_cast<int64_t>(*length) + 1 + bytes.length > capacity) return kVBufferTooSmall;
        buffer[*length] = static_cast<uint8_t>(bytes.length);
        if (bytes.length) std::memcpy(buffer + *length + 1, bytes.bytes, bytes.length);
        *length += 1 + static_cast<int32_t>(bytes.length);
        ++*count;
      }
      p += size;
    }
    return kVOk;
  }
  // Several items: one key of the first values joined, cut to the 255 bytes a key holds.
  uint8_t joined[255];
  size_t n = 0;
  bool cut = false;
  for (uint8_t item : items) {
    VResult r = FindEntry(item, &e);
    if (r != kVOk) return r < 0 ? r : kVOk;
    VValueRef ref;
    r = Occurrence(e, 1, &ref);
    if (r != kVOk) return r;
    VValueBytes bytes{nullptr, 0};
    if (!VKeyBytesOf(ref.value, &bytes)) return kVOk;
    size_t take = bytes.length < sizeof joined - n ? bytes.length : sizeof joined - n;
    if (take < bytes.length) cut = true;
    if (take) std::memcpy(joined + n, bytes.bytes, take);
    n += take;
  }
  if (cut) {
    // Keep a double-byte character whole rather than leave its lead byte at the end.
    size_t last = VLastCharStart(joined, n);
    if (last < n && VIsLeadByte(joined[last]) && last + 1 == n) n = last;
  }
  if (static_cast<int64_t>(n) + 1 > capacity) return kVBufferTooSmall;
  buffer[0] = static_cast<uint8_t>(n);
  if (n) std::memcpy(buffer + 1, joined, n);
  *length = static_cast<int32_t>(n) + 1;
  *count = 1;
  return kVOk;
}

VResult VRecordView::TaggedValues(std::span<const uint8_t> items, uint8_t* buffer, int32_t capacity,
                                  int32_t* length) const {
  *length = 0;
  for (uint8_t item : items) {
    VValueRef ref;
    VResult r = ValueRef(item, 1, &ref);
    if (r != kVOk && r != kVValueMissing) return r;
    VValueBytes bytes{nullptr, 0};
    uint8_t type = 0;
    if (r == kVOk) {
      type = ref.type;
      if (!VKeyBytesOf(ref.value, &bytes)) bytes = VBytesOf(ref.value);
      if (bytes.length > 255) bytes.length = 255;
    }
    if (static_cast<int64_t>(*length) + 2 + bytes.length > capacity) return kVBufferTooSmall;
    buffer[*length] = type;
    buffer[*length + 1] = static_cast<uint8_t>(bytes.length);
    if (bytes.length) std::memcpy(buffer + *length + 2, bytes.bytes, bytes.length);
    *length += 2 + static_cast<int32_t>(bytes.length);
  }
  return kVOk;
}

VResult VRecordView::ValueText(int item, int occurrence, uint8_t* buffer, int32_t capacity,
                               int32_t* length, VLongDataStore* store) const {
  *length = 0;
  VValueRef ref;
  VResult r = ValueRef(item, occurrence, &ref);
  if (r != kVOk) return r;
  const VVM& vvm = VVM::Instance();
  VConversion conversion;
  // Text is what is asked for: an Integer is written as its decimal text, not in binary.
  conversion.type = ref.type == kVTypeInteger ? kVTypeNumber : ref.type;
  conversion.width = vvm.ValueLength(ref.type, ref.value + 1);
  VSMemStream out(buffer, 0, capacity);
  r = vvm.WriteValue(ref.type, conversion, out, ref.value, store);
  *length = static_cast<int32_t>(out.Position());
  return r;
}
