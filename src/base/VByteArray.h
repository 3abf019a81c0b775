// Byte strings. The bytes are always followed by a zero byte that the length does not count; the
// capacity is a multiple of 32 and at least 32. Positions passed to Insert and Delete are clamped
// to 0..length. A VByteArray may wrap a caller's block without owning it; it takes a block of its
// own as soon as it needs to grow.
#pragma once

#include <cstddef>
#include <cstdint>

#include "base/VBase.h"

class VStream;

class VByteArray {
 public:
  explicit VByteArray(uint32_t sizeRequest = 32);
  // Wraps a caller's block of capacity bytes holding length bytes (length < capacity).
  VByteArray(uint8_t* block, uint32_t capacity, uint32_t length, bool ownsBlock);
  VByteArray(const VByteArray& other);
  VByteArray& operator=(const VByteArray& other);
  virtual ~VByteArray();

  virtual void Lock() const;
  virtual void Unlock() const;
  virtual const uint8_t* Data() const;
  virtual uint32_t Length() const;
  virtual bool IsEmpty() const;
  virtual void Reset();
  virtual void Compact();
  // Copies at most size - 1 bytes and a terminating zero into buffer (size of at least 2).
  virtual void CopyOut(char* buffer, size_t size) const;
  virtual void AppendFromStream(VStream& stream);
  virtual void AppendByteArray(const VByteArray& other);
  virtual void InsertChar(uint32_t position, uint8_t byte);
  virtual void InsertPascal(uint32_t position, const uint8_t* pascal);
  virtual void InsertCString(uint32_t position, const char* text);
  virtual void Insert(uint32_t position, const void* bytes, uint32_t length);
  virtual void AppendChar(uint8_t byte);
  virtual void AppendPascal(const uint8_t* pascal);
  virtual void AppendCString(const char* text);
  virtual void Append(const void* bytes, uint32_t length);
  virtual void PrependChar(uint8_t byte);
  virtual void PrependPascal(const uint8_t* pascal);
  virtual void PrependCString(const char* text);
  virtual void Prepend(const void* bytes, uint32_t length);
  virtual uint8_t CharAt(uint32_t position) const;
  virtual uint8_t FirstChar() const;
  virtual uint8_t LastChar() const;
  virtual void Delete(uint32_t position, uint32_t count);
  virtual void DeleteTail(uint32_t count);
  virtual void DeleteHead(uint32_t count);
  virtual void DeleteCharAt(uint32_t position);
  virtual void DeleteLastChar();
  virtual void DeleteFirstChar();

  void Assign(const void* bytes, uint32_t length);
  uint32_t Capacity() const { return capacity_; }
  const char* CString() const { return reinterpret_cast<const char*>(Data()); }
  uint8_t* MutableData() { return data_; }
  // Sets the length after a caller has written into MutableData (up to Capacity() - 1).
  void SetLength(uint32_t length);
  void Reserve(uint32_t length);

 protected:
  uint32_t capacity_;
  uint32_t length_;
  uint8_t* data_;
  bool ownsBlock_;
  mutable VCritical lock_;
};
