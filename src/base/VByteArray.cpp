#include "base/VByteArray.h"

#include <cstring>

#include "base/VMem.h"
#include "base/VSjis.h"
#include "base/VStream.h"

namespace {
constexpr uint32_t kUnit = 32;

uint32_t RoundUp(uint32_t n) { return (n + kUnit - 1) / kUnit * kUnit; }
}  // namespace

VByteArray::VByteArray(uint32_t sizeRequest)
    : capacity_(sizeRequest > kUnit ? RoundUp(sizeRequest) : kUnit),
      length_(0),
      data_(static_cast<uint8_t*>(VMemAlloc(capacity_, true))),
      ownsBlock_(true) {}

VByteArray::VByteArray(uint8_t* block, uint32_t capacity, uint32_t length, bool ownsBlock)
    : capacity_(capacity), length_(length), data_(block), ownsBlock_(ownsBlock) {
  if (length_ >= capacity_) length_ = capacity_ > 0 ? capacity_ - 1 : 0;
  if (capacity_ == 0) {
    capacity_ = kUnit;
    data_ = static_cast<uint8_t*>(VMemAlloc(capacity_, true));
    ownsBlock_ = true;
  }
  data_[length_] = 0;
}

VByteArray::VByteArray(const VByteArray& other) : VByteArray(other.Length() + 1) {
  Append(other.Data(), other.Length());
}

VByteArray& VByteArray::operator=(const VByteArray& other) {
  if (this != &other) Assign(other.Data(), other.Length());
  return *this;
}

VByteArray::~VByteArray() {
  if (ownsBlock_) VMemFree(data_);
}

void VByteArray::Lock() const { lock_.Enter(); }
void VByteArray::Unlock() const { lock_.Leave(); }
const uint8_t* VByteArray::Data() const { return data_; }

uint32_t VByteArray::Length() const {
  VCriticalLock hold(lock_);
  return length_;
}

bool VByteArray::IsEmpty() const { return Length() == 0; }

void VByteArray::Reserve(uint32_t length) {
  VCriticalLock hold(lock_);
  if (length + 1 <= capacity_) return;
  // Growth takes (length + 32) rounded down to a multiple of 32, which always leaves room for
  // the terminating zero.
  uint32_t capacity = (length + kUnit) / kUnit * kUnit;
  uint8_t* block = static_cast<uint8_t*>(VMemAlloc(capacity, true));
  std::memcpy(block, data_, length_ + 1);
  if (ownsBlock_) VMemFree(data_);
  data_ = block;
  capacity_ = capacity;
  ownsBlock_ = true;
}

void VByteArray::SetLength(uint32_t length) {
  VCriticalLock hold(lock_);
  length_ = length < capacity_ ? length : capacity_ - 1;
  data_[length_] = 0;
}

void VByteArray::Reset() {
  VCriticalLock hold(lock_);
  if (ownsBlock_) VMemFree(data_);
  capacity_ = kUnit;
  data_ = static_cast<uint8_t*>(VMemAlloc(capacity_, true));
  ownsBlock_ = true;
  length_ = 0;
}

void VByteArray::Compact() {
  VCriticalLock hold(lock_);
  if (length_ + 3 >= capacity_ || !ownsBlock_) return;
  uint32_t capacity = RoundUp(length_ + 1 > 2 ? length_ + 1 : 2);
  if (capacity >= capacity_) return;
  data_ = static_cast<uint8_t*>(VMemResize(data_, capacity, false));
  capacity_ = capacity;
}

void VByteArray::CopyOut(char* buffer, size_t size) const {
  VCriticalLock hold(lock_);
  if (buffer == nullptr || size == 0) return;
  size_t n = 0;
  if (size >= 2) {
    n = length_ < size - 1 ? length_ : size - 1;
    std::memcpy(buffer, data_, n);
  }
  buffer[n] = '\0';
}

void VByteArray::AppendFromStream(VStream& stream) {
  VCriticalLock hold(lock_);
  stream.SeekStart();
  uint8_t piece[512];
  for (;;) {
    int32_t n = stream.Read(piece, sizeof piece);
    if (n <= 0) break;
    Append(piece, static_cast<uint32_t>(n));
  }
}

void VByteArray::AppendByteArray(const VByteArray& other) {
  if (&other == this) {
    VByteArray copy(other);
    Append(copy.Data(), copy.Length());
    return;
  }
  VCriticalLock hold(other.lock_);
  Append(other.Data(), other.Length());
}

void VByteArray::InsertChar(uint32_t position, uint8_t byte) { Insert(position, &byte, 1); }

void VByteArray::InsertPascal(uint32_t position, const uint8_t* pascal) {
  Insert(position, pascal + 1, pascal[0]);
}

void VByteArray::InsertCString(uint32_t position, const char* text) {
  Insert(position, text, static_cast<uint32_t>(std::strlen(text)));
}

void VByteArray::Insert(uint32_t position, const void* bytes, uint32_t length) {
  VCriticalLock hold(lock_);
  if (length == 0) return;
  if (position > length_) position = length_;
  // The source may lie inside this array's own block, which Reserve may replace.
  const uint8_t* source = static_cast<const uint8_t*>(bytes);
  bool inside = source >= data_ && source < data_ + capacity_;
  uint8_t* copy = nullptr;
  if (inside) {
    copy = static_cast<uint8_t*>(VMemAlloc(length, false));
    std::memcpy(copy, source, length);
    source = copy;
  }
  Reserve(length_ + length);
  std::memmove(data_ + position + length, data_ + position, length_ - position);
  std::memcpy(data_ + position, source, length);
  length_ += length;
  data_[length_] = 0;
  VMemFree(copy);
}

void VByteArray::AppendChar(uint8_t byte) { Append(&byte, 1); }
void VByteArray::AppendPascal(const uint8_t* pascal) { Append(pascal + 1, pascal[0]); }

void VByteArray::AppendCString(const char* text) {
  Append(text, static_cast<uint32_t>(std::strlen(text)));
}

void VByteArray::Append(const void* bytes, uint32_t length) {
  VCriticalLock hold(lock_);
  Insert(length_, bytes, length);
}

void VByteArray::PrependChar(uint8_t byte) { Insert(0, &byte, 1); }
void VByteArray::PrependPascal(const uint8_t* pascal) { Insert(0, pascal + 1, pascal[0]); }

void VByteArray::PrependCString(const char* text) {
  Insert(0, text, static_cast<uint32_t>(std::strlen(text)));
}

void VByteArray::Prepend(const void* bytes, uint32_t length) { Insert(0, bytes, length); }

uint8_t VByteArray::CharAt(uint32_t position) const {
  VCriticalLock hold(lock_);
  return position < length_ ? data_[position] : 0;
}

uint8_t VByteArray::FirstChar() const { return CharAt(0); }

uint8_t VByteArray::LastChar() const {
  VCriticalLock hold(lock_);
  return length_ > 0 ? data_[length_ - 1] : 0;
}

void VByteArray::Delete(uint32_t position, uint32_t count) {
  VCriticalLock hold(lock_);
  if (position > length_) position = length_;
  if (count > length_ - position) count = length_ - position;
  if (count == 0) return;
  std::memmove(data_ + position, data_ + position + count, length_ - position - count);
  length_ -= count;
  data_[length_] = 0;
}

void VByteArray::DeleteTail(uint32_t count) {
  VCriticalLock hold(lock_);
  if (count > length_) return;
  Delete(length_ - count, count);
}

void VByteArray::DeleteHead(uint32_t count) { Delete(0, count); }

void VByteArray::DeleteCharAt(uint32_t position) {
  VCriticalLock hold(lock_);
  if (position >= length_) return;
  Delete(position, VCharLength(data_, length_, position));
}

void VByteArray::DeleteLastChar() {
  VCriticalLock hold(lock_);
  if (length_ == 0) return;
  // The last character is found by walking from the start: looking only at the second-last byte
  // would take a trail byte in the lead range (as in 0x82 0x9F 'A') for a lead byte and split a
  // character.
  uint32_t last = static_cast<uint32_t>(VLastCharStart(data_, length_));
  Delete(last, length_ - last);
}

void VByteArray::DeleteFirstChar() { DeleteCharAt(0); }

void VByteArray::Assign(const void* bytes, uint32_t length) {
  VCriticalLock hold(lock_);
  if (bytes == data_) {
    SetLength(length);
    return;
  }
  length_ = 0;
  data_[0] = 0;
  Append(bytes, length);
}
