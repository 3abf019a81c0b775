#include "base/VDataArray.h"

#include <cstring>

#include "base/VMem.h"
#include "base/VStream.h"
#include "base/VString.h"

namespace {
constexpr uint32_t kPoolStep = 1024;

uint32_t RoundPool(uint32_t size) { return (size + kPoolStep - 1) / kPoolStep * kPoolStep; }
}  // namespace

VDataArray::VDataArray(uint16_t alignment)
    : VArray(8), alignment_(alignment > 0 ? alignment : 1), pool_(nullptr) {
  pool_ = static_cast<uint8_t*>(VMemAlloc(poolCapacity_, true));
}

VDataArray::~VDataArray() { VMemFree(pool_); }

VDataArray::Entry VDataArray::EntryAt(int32_t index) const {
  Entry entry;
  std::memcpy(&entry, data_ + static_cast<size_t>(index) * 8, sizeof entry);
  return entry;
}

uint32_t VDataArray::OffsetOf(int32_t index) const {
  uint32_t offset = 0;
  for (int32_t i = 0; i < index; ++i) offset += EntryAt(i).stored;
  return offset;
}

void VDataArray::Reset() {
  VCriticalLock hold(lock_);
  VArray::Reset();
  VMemFree(pool_);
  poolCapacity_ = kPoolStep;
  poolUsed_ = 0;
  pool_ = static_cast<uint8_t*>(VMemAlloc(poolCapacity_, true));
}

void VDataArray::Compact() {
  VCriticalLock hold(lock_);
  VArray::Compact();
  uint32_t capacity = poolUsed_ > kPoolStep ? poolUsed_ : kPoolStep;
  if (capacity != poolCapacity_) {
    pool_ = static_cast<uint8_t*>(VMemResize(pool_, capacity, true));
    poolCapacity_ = capacity;
  }
}

uint32_t VDataArray::InsertItem(int32_t index, const void* bytes, uint16_t length) {
  return InsertPadded(index, bytes, length, length);
}

uint32_t VDataArray::InsertPadded(int32_t index, const void* bytes, uint16_t copied,
                                  uint16_t length) {
  VCriticalLock hold(lock_);
  if (index < 0) index = 0;
  if (index > count_) index = count_;
  uint32_t stored = length;
  if (alignment_ > 1) stored = (stored + alignment_ - 1) / alignment_ * alignment_;
  if (stored > 0xFFFF) return 0;
  uint32_t needed = poolUsed_ + stored;
  if (needed > poolCapacity_) {
    poolCapacity_ = RoundPool(needed);
    pool_ = static_cast<uint8_t*>(VMemResize(pool_, poolCapacity_, true));
  }
  uint32_t offset = OffsetOf(index);
  std::memmove(pool_ + offset + stored, pool_ + offset, poolUsed_ - offset);
  if (copied > 0) std::memcpy(pool_ + offset, bytes, copied);
  std::memset(pool_ + offset + copied, 0, stored - copied);
  poolUsed_ += stored;
  Entry entry{++lastId_, length, static_cast<uint16_t>(stored)};
  VArray::InsertAt(index, &entry);
  return entry.identifier;
}

uint32_t VDataArray::PrependItem(const void* bytes, uint16_t length) {
  return InsertItem(0, bytes, length);
}

uint32_t VDataArray::AppendItem(const void* bytes, uint16_t length) {
  return InsertItem(Count(), bytes, length);
}

int32_t VDataArray::IndexOfId(uint32_t identifier) const {
  VCriticalLock hold(lock_);
  for (int32_t i = 0; i < count_; ++i) {
    if (EntryAt(i).identifier == identifier) return i;
  }
  return -1;
}

uint32_t VDataArray::IdAt(int32_t index) const {
  VCriticalLock hold(lock_);
  if (index < 0 || index >= count_) return 0;
  return EntryAt(index).identifier;
}

bool VDataArray::RemoveById(uint32_t identifier) { return RemoveItemAt(IndexOfId(identifier)); }

bool VDataArray::RemoveItemAt(int32_t index) {
  VCriticalLock hold(lock_);
  if (index < 0 || index >= count_) return false;
  Entry entry = EntryAt(index);
  uint32_t offset = OffsetOf(index);
  std::memmove(pool_ + offset, pool_ + offset + entry.stored, poolUsed_ - offset - entry.stored);
  poolUsed_ -= entry.stored;
  return VArray::RemoveAt(index);
}

bool VDataArray::RemoveFirstItem() { return RemoveItemAt(0); }

bool VDataArray::RemoveLastItem() {
  VCriticalLock hold(lock_);
  return RemoveItemAt(count_ - 1);
}

const uint8_t* VDataArray::ItemById(uint32_t identifier, uint16_t* length) const {
  return ItemAt(IndexOfId(identifier), length);
}

const uint8_t* VDataArray::ItemAt(int32_t index, uint16_t* length) const {
  VCriticalLock hold(lock_);
  if (index < 0 || index >= count_) return nullptr;
  if (length) *length = EntryAt(index).length;
  return pool_ + OffsetOf(index);
}

const uint8_t* VDataArray::FirstItem(uint16_t* length) const { return ItemAt(0, length); }

const uint8_t* VDataArray::LastItem(uint16_t* length) const {
  VCriticalLock hold(lock_);
  return ItemAt(count_ - 1, length);
}

bool VDataArray::WriteTo(VStream& stream) const {
  VCriticalLock hold(lock_);
  if (!VArray::WriteTo(stream)) return false;
  return stream.WriteU32(lastId_) && stream.WriteU32(poolCapacity_) && stream.WriteU32(poolUsed_) &&
         stream.WriteU16(alignment_) &&
         stream.Write(pool_, static_cast<int32_t>(poolUsed_)) == static_cast<int32_t>(poolUsed_);
}

bool VDataArray::ReadFrom(VStream& stream) {
  VCriticalLock hold(lock_);
  if (!VArray::ReadFrom(stream)) return false;
  uint32_t lastId = 0;
  uint32_t capacity = 0;
  uint32_t used = 0;
  uint16_t alignment = 0;
  if (!stream.ReadU32(&lastId) || !stream.ReadU32(&capacity) || !stream.ReadU32(&used) ||
      !stream.ReadU16(&alignment)) {
    Reset();
    return false;
  }
  // The directory must describe exactly the pool that follows; anything else is refused.
  uint64_t total = 0;
  bool consistent = true;
  for (int32_t i = 0; i < count_; ++i) {
    Entry entry = EntryAt(i);
    consistent = consistent && entry.length <= entry.stored;
    total += entry.stored;
  }
  if (!consistent || total != used || used > stream.Size() - stream.Position()) {
    Reset();
    return false;
  }
  uint32_t poolCapacity = RoundPool(used > kPoolStep ? used : kPoolStep);
  uint8_t* pool = static_cast<uint8_t*>(VMemAlloc(poolCapacity, true));
  if (stream.Read(pool, static_cast<int32_t>(used)) != static_cast<int32_t>(used)) {
    VMemFree(pool);
    Reset();
    return false;
  }
  VMemFree(pool_);
  pool_ = pool;
  poolCapacity_ = poolCapacity;
  poolUsed_ = used;
  lastId_ = lastId;
  alignment_ = alignment > 0 ? alignment : 1;
  return true;
}

uint32_t VStringArray::InsertString(int32_t index, const void* bytes, uint16_t length) {
  if (length == 0xFFFF) return 0;
  // The item is the text and its terminating zero.
  return InsertPadded(index, bytes, length, static_cast<uint16_t>(length + 1));
}

uint32_t VStringArray::InsertString(int32_t index, const char* text) {
  size_t length = std::strlen(text);
  if (length >= 0xFFFF) return 0;
  return InsertString(index, text, static_cast<uint16_t>(length));
}

uint32_t VStringArray::InsertPascal(int32_t index, const uint8_t* pascal) {
  return InsertString(index, pascal + 1, pascal[0]);
}

uint32_t VStringArray::InsertString(int32_t index, const VString& text) {
  if (text.Length() >= 0xFFFF) return 0;
  return InsertString(index, text.Data(), static_cast<uint16_t>(text.Length()));
}

const char* VStringArray::StringAt(int32_t index) const {
  return reinterpret_cast<const char*>(ItemAt(index, nullptr));
}

const char* VStringArray::StringById(uint32_t identifier) const {
  return reinterpret_cast<const char*>(ItemById(identifier, nullptr));
}

namespace {

bool CopyText(const uint8_t* item, uint16_t length, char* out, size_t size) {
  if (item == nullptr || size == 0) return false;
  size_t n = length > 0 ? length - 1u : 0u;
  if (n >= size) n = size - 1;
  std::memcpy(out, item, n);
  out[n] = '\0';
  return true;
}

bool CopyText(const uint8_t* item, uint16_t length, VString& out) {
  if (item == nullptr) return false;
  out.Assign(item, length > 0 ? length - 1u : 0u);
  return true;
}

bool CopyPascal(const uint8_t* item, uint16_t length, uint8_t* out) {
  if (item == nullptr) return false;
  size_t n = length > 0 ? length - 1u : 0u;
  if (n > 255) n = 255;
  out[0] = static_cast<uint8_t>(n);
  std::memcpy(out + 1, item, n);
  return true;
}

}  // namespace

bool VStringArray::StringAt(int32_t index, char* out, size_t size) const {
  VCriticalLock hold(lock_);
  uint16_t length = 0;
  const uint8_t* item = ItemAt(index, &length);
  return CopyText(item, length, out, size);
}

bool VStringArray::StringAt(int32_t index, VString& out) const {
  VCriticalLock hold(lock_);
  uint16_t length = 0;
  const uint8_t* item = ItemAt(index, &length);
  return CopyText(item, length, out);
}

bool VStringArray::PascalAt(int32_t index, uint8_t* out) const {
  VCriticalLock hold(lock_);
  uint16_t length = 0;
  const uint8_t* item = ItemAt(index, &length);
  return CopyPascal(item, length, out);
}

bool VStringArray::StringById(uint32_t identifier, char* out, size_t size) const {
  return StringAt(IndexOfId(identifier), out, size);
}

bool VStringArray::StringById(uint32_t identifier, VString& out) const {
  return StringAt(IndexOfId(identifier), out);
}

bool VStringArray::PascalById(uint32_t identifier, uint8_t* out) const {
  return PascalAt(IndexOfId(identifier), out);
}
