// Arrays of variable-length items. The base array holds one 8-byte directory entry per item
// (identifier 32-bit, length 16-bit, stored length 16-bit); the items lie in one pool in directory
// order, each at the sum of the stored lengths before it. Identifiers are issued from 1 up and
// never reused while the array lives.
#pragma once

#include <string>

#include "base/VArray.h"

class VString;

class VDataArray : public VArray {
 public:
  explicit VDataArray(uint16_t alignment = 1);
  ~VDataArray() override;

  void Reset() override;
  void Compact() override;
  bool ReadFrom(VStream& stream) override;
  bool WriteTo(VStream& stream) const override;

  // Inserts a copy of the bytes before index; answers the new identifier, or 0 when the item does
  // not fit a 16-bit length.
  virtual uint32_t InsertItem(int32_t index, const void* bytes, uint16_t length);
  virtual uint32_t PrependItem(const void* bytes, uint16_t length);
  virtual uint32_t AppendItem(const void* bytes, uint16_t length);
  virtual bool RemoveById(uint32_t identifier);
  virtual bool RemoveItemAt(int32_t index);
  virtual bool RemoveFirstItem();
  virtual bool RemoveLastItem();
  virtual const uint8_t* ItemById(uint32_t identifier, uint16_t* length) const;
  // Address of the item's bytes in the pool, or null when the index is out of range.
  virtual const uint8_t* ItemAt(int32_t index, uint16_t* length) const;
  virtual const uint8_t* FirstItem(uint16_t* length) const;
  virtual const uint8_t* LastItem(uint16_t* length) const;

  int32_t IndexOfId(uint32_t identifier) const;
  uint32_t IdAt(int32_t index) const;
  uint32_t PoolCapacity() const { return poolCapacity_; }
  uint32_t PoolUsed() const { return poolUsed_; }

 protected:
  // Inserts an item of length bytes whose first copied bytes come from bytes, the rest zero.
  uint32_t InsertPadded(int32_t index, const void* bytes, uint16_t copied, uint16_t length);

 private:
  struct Entry {
    uint32_t identifier;
    uint16_t length;
    uint16_t stored;
  };
  Entry EntryAt(int32_t index) const;
  uint32_t OffsetOf(int32_t index) const;

  uint32_t lastId_ = 0;
  uint32_t poolCapacity_ = 1024;
  uint32_t poolUsed_ = 0;
  uint16_t alignment_;
  uint8_t* pool_;
};

// Items are zero-terminated strings; the stored item includes the terminating zero.
class VStringArray : public VDataArray {
 public:
  using VDataArray::VDataArray;

  uint32_t InsertString(int32_t index, const char* text);
  uint32_t InsertString(int32_t index, const void* bytes, uint16_t length);
  uint32_t InsertPascal(int32_t index, const uint8_t* pascal);
  uint32_t InsertString(int32_t index, const VString& text);
  uint32_t AppendString(const char* text) { return InsertString(Count(), text); }
  uint32_t AppendString(const void* bytes, uint16_t length) {
    return InsertString(Count(), bytes, length);
  }
  uint32_t AppendString(const VString& text) { return InsertString(Count(), text); }
  uint32_t PrependString(const char* text) { return InsertString(0, text); }

  // Reading: the zero-terminated text (null when absent), or copies of it.
  const char* StringAt(int32_t index) const;
  const char* StringById(uint32_t identifier) const;
  bool StringAt(int32_t index, char* out, size_t size) const;
  bool StringAt(int32_t index, VString& out) const;
  bool PascalAt(int32_t index, uint8_t* out) const;
  bool StringById(uint32_t identifier, char* out, size_t size) const;
  bool StringById(uint32_t identifier, VString& out) const;
  bool PascalById(uint32_t identifier, uint8_t* out) const;
};
