#include "base/VArray.h"

#include <cstring>
#include <memory>

#include "base/VDebug.h"
#include "base/VEndian.h"
#include "base/VFile.h"
#include "base/VMem.h"
#include "base/VStream.h"

namespace {
constexpr int32_t kStep = 8;
}

VArray::VArray(uint16_t elementSize, int32_t initialCapacity)
    : capacity_(initialCapacity > kStep ? initialCapacity : kStep),
      count_(0),
      elementSize_(elementSize),
      data_(nullptr) {
  data_ = static_cast<uint8_t*>(VMemAlloc(static_cast<size_t>(capacity_) * elementSize_, true));
}

VArray::~VArray() { VMemFree(data_); }

void VArray::Lock() const { lock_.Enter(); }
void VArray::Unlock() const { lock_.Leave(); }

int32_t VArray::Count() const {
  VCriticalLock hold(lock_);
  return count_;
}

bool VArray::HasElements() const { return Count() > 0; }

bool VArray::Find(const void* data, int32_t* index) const {
  VCriticalLock hold(lock_);
  for (int32_t i = 0; i < count_; ++i) {
    if (std::memcmp(data_ + static_cast<size_t>(i) * elementSize_, data, elementSize_) == 0) {
      if (index) *index = i;
      return true;
    }
  }
  return false;
}

void VArray::Reallocate(int32_t capacity) {
  uint8_t* block =
      static_cast<uint8_t*>(VMemAlloc(static_cast<size_t>(capacity) * elementSize_, true));
  std::memcpy(block, data_, static_cast<size_t>(count_) * elementSize_);
  VMemFree(data_);
  data_ = block;
  capacity_ = capacity;
}

void VArray::Reset() {
  VCriticalLock hold(lock_);
  count_ = 0;
  Reallocate(kStep);
}

void VArray::Compact() {
  VCriticalLock hold(lock_);
  if (count_ > 0 && count_ < capacity_) Reallocate(count_ > kStep ? count_ : kStep);
}

int32_t VArray::Clamp(int32_t index) const {
  if (index < 0) return 0;
  if (index >= count_) return count_ - 1;
  return index;
}

bool VArray::InsertAt(int32_t index, const void* data) {
  VCriticalLock hold(lock_);
  if (index < 0) index = 0;
  if (index > count_) index = count_;
  size_t size = elementSize_;
  if (count_ == capacity_) {
    // A full array grows by one step into a new block, leaving a gap at index.
    int32_t capacity = capacity_ + kStep;
    uint8_t* block = static_cast<uint8_t*>(VMemAlloc(static_cast<size_t>(capacity) * size, true));
    std::memcpy(block, data_, static_cast<size_t>(index) * size);
    std::memcpy(block + (index + 1) * size, data_ + index * size, (count_ - index) * size);
    VMemFree(data_);
    data_ = block;
    capacity_ = capacity;
  } else {
    std::memmove(data_ + (index + 1) * size, data_ + index * size, (count_ - index) * size);
  }
  ++count_;
  return SetAt(index, data);
}

bool VArray::Append(const void* data) { return InsertAt(Count(), data); }
bool VArray::Prepend(const void* data) { return InsertAt(0, data); }

bool VArray::RemoveAt(int32_t index) {
  VCriticalLock hold(lock_);
  if (index < 0 || index >= count_) return false;
  size_t size = elementSize_;
  std::memmove(data_ + index * size, data_ + (index + 1) * size, (count_ - index - 1) * size);
  --count_;
  if (count_ < capacity_ - kStep) Reallocate(capacity_ - kStep);
  return true;
}

bool VArray::RemoveLast() {
  VCriticalLock hold(lock_);
  return RemoveAt(count_ - 1);
}

bool VArray::RemoveFirst() { return RemoveAt(0); }

bool VArray::SetAt(int32_t index, const void* data) {
  VCriticalLock hold(lock_);
  if (count_ == 0) return false;
  std::memcpy(data_ + static_cast<size_t>(Clamp(index)) * elementSize_, data, elementSize_);
  return true;
}

bool VArray::SetLast(const void* data) {
  VCriticalLock hold(lock_);
  return SetAt(count_ - 1, data);
}

bool VArray::SetFirst(const void* data) { return SetAt(0, data); }

bool VArray::Move(int32_t to, int32_t from) {
  VCriticalLock hold(lock_);
  if (to == from) return true;
  if (from < 0 || from >= count_) return false;
  std::unique_ptr<uint8_t[]> copy(new uint8_t[elementSize_]);
  std::memcpy(copy.get(), data_ + static_cast<size_t>(from) * elementSize_, elementSize_);
  RemoveAt(from);
  return InsertAt(to, copy.get());
}

void* VArray::ElementAt(int32_t index) const {
  VCriticalLock hold(lock_);
  if (count_ == 0) return nullptr;
  return data_ + static_cast<size_t>(Clamp(index)) * elementSize_;
}

bool VArray::GetAt(int32_t index, void* out) const {
  VCriticalLock hold(lock_);
  void* element = ElementAt(index);
  if (element == nullptr) return false;
  std::memcpy(out, element, elementSize_);
  return true;
}

bool VArray::GetLast(void* out) const {
  VCriticalLock hold(lock_);
  return GetAt(count_ - 1, out);
}

bool VArray::GetFirst(void* out) const { return GetAt(0, out); }

bool VArray::Push(const void* data) { return Append(data); }

bool VArray::Pop(void* out) {
  VCriticalLock hold(lock_);
  if (!GetLast(out)) return false;
  return RemoveLast();
}

bool VArray::WriteToStream(VStream* stream) const { return stream != nullptr && WriteTo(*stream); }

bool VArray::SaveToFile(const char* path) const {
  VFile file(path);
  VFileStream* stream = file.WriteStream();
  if (stream == nullptr) return false;
  bool ok = WriteTo(*stream) && stream->WriteOut() == kVOk;
  return file.Close() == kVOk && ok;
}

bool VArray::ReadFromStream(VStream* stream) { return stream != nullptr && ReadFrom(*stream); }

bool VArray::LoadFromFile(const char* path) {
  VFile file(path);
  if (!file.Exists()) return false;
  VFileStream* stream = file.ReadStream();
  if (stream == nullptr) return false;
  bool ok = ReadFrom(*stream);
  // Only read from: closing has nothing to write back that could fail.
  (void)file.Close();
  return ok;
}

bool VArray::ReadFrom(VStream& stream) {
  VCriticalLock hold(lock_);
  uint32_t count = 0;
  uint16_t elementSize = 0;
  if (!stream.ReadU32(&count) || !stream.ReadU16(&elementSize)) return false;
  if (elementSize != elementSize_) return false;
  size_t bytes = static_cast<size_t>(count) * elementSize;
  // The count comes from outside: refuse one the stream cannot back before allocating for it.
  int64_t remaining = stream.Size() - stream.Position();
  if (count > 0x7FFFFFFF || static_cast<int64_t>(bytes) > remaining) return false;
  uint8_t* block = static_cast<uint8_t*>(VMemAlloc(bytes > 0 ? bytes : elementSize, true));
  if (stream.Read(block, static_cast<int32_t>(bytes)) != static_cast<int32_t>(bytes)) {
    VMemFree(block);
    return false;
  }
  VMemFree(data_);
  data_ = block;
  count_ = static_cast<int32_t>(count);
  capacity_ = count_;
  return true;
}

bool VArray::WriteTo(VStream& stream) const {
  VCriticalLock hold(lock_);
  size_t bytes = static_cast<size_t>(count_) * elementSize_;
  return stream.WriteU32(static_cast<uint32_t>(count_)) && stream.WriteU16(elementSize_) &&
         stream.Write(data_, static_cast<int32_t>(bytes)) == static_cast<int32_t>(bytes);
}

int VSortArray::Compare(int32_t index, const void* key) const {
  const uint8_t* element = static_cast<const uint8_t*>(ElementAt(index));
  if (element == nullptr) {
    Log("...ERROR... VSortArray::Compare NULL target");
    throw VFailure(-1);
  }
  uint32_t a = VGetU32(element);
  uint32_t b = VGetU32(static_cast<const uint8_t*>(key));
  return a < b ? -1 : (a > b ? 1 : 0);
}

bool VSortArray::Search(const void* key, int32_t* position) const {
  VCriticalLock hold(lock_);
  return VBinarySearch(
      count_, [&](int32_t i) { return Compare(i, key); }, position);
}

bool VSortArray::InsertSorted(const void* element) {
  VCriticalLock hold(lock_);
  int32_t position = 0;
  Search(element, &position);
  return InsertAt(position, element);
}
