// Growable arrays of fixed-size elements stored contiguously by value.
//
// Invariants: 8 <= capacity; count <= capacity; capacity grows and shrinks in steps of 8 elements.
// Element accessors clamp their index to 0..count-1 (past the end is the last element, negative the
// first) and answer null/false only when the array is empty. Every operation holds the array's
// re-entrant lock.
#pragma once

#include <cstdint>

#include "base/VBase.h"

class VStream;

// The binary search shared by sorted arrays and lists. compare(i) compares element i with the key.
// With no elements the position is 0; a first element at or above the key gives 0; a last element
// below the key gives n; otherwise a half-open search from 0 to n ends at the match or the
// insertion point.
template <class Compare>
bool VBinarySearch(int32_t n, Compare compare, int32_t* position) {
  int32_t at = 0;
  bool found = false;
  if (n >= 1) {
    int c = compare(0);
    if (c >= 0) {
      found = c == 0;
    } else if ((c = compare(n - 1)) >= 0) {
      at = n - 1;
      found = c == 0;
      if (!found) {
        int32_t low = 0;
        int32_t high = n;
        while (low < high) {
          int32_t middle = (low + high) / 2;
          c = compare(middle);
          if (c == 0) {
            low = middle;
            found = true;
            break;
          }
          if (c < 0) {
            low = middle + 1;
          } else {
            high = middle;
          }
        }
        at = low;
      }
    } else {
      at = n;
    }
  }
  if (position) *position = at;
  return found;
}

class VArray {
 public:
  VArray(uint16_t elementSize, int32_t initialCapacity = 8);
  virtual ~VArray();
  VArray(const VArray&) = delete;
  VArray& operator=(const VArray&) = delete;

  virtual void Lock() const;
  virtual void Unlock() const;
  virtual int32_t Count() const;
  virtual bool HasElements() const;
  virtual bool Find(const void* data, int32_t* index) const;
  virtual void Reset();
  virtual void Compact();
  virtual bool InsertAt(int32_t index, const void* data);
  virtual bool Append(const void* data);
  virtual bool Prepend(const void* data);
  virtual bool RemoveAt(int32_t index);
  virtual bool RemoveLast();
  virtual bool RemoveFirst();
  virtual bool SetAt(int32_t index, const void* data);
  virtual bool SetLast(const void* data);
  virtual bool SetFirst(const void* data);
  virtual bool Move(int32_t to, int32_t from);
  virtual void* ElementAt(int32_t index) const;
  virtual bool GetAt(int32_t index, void* out) const;
  virtual bool GetLast(void* out) const;
  virtual bool GetFirst(void* out) const;
  virtual bool Push(const void* data);
  virtual bool Pop(void* out);
  virtual bool WriteToStream(VStream* stream) const;
  virtual bool SaveToFile(const char* path) const;
  virtual bool ReadFromStream(VStream* stream);
  virtual bool LoadFromFile(const char* path);
  // Replaces the contents from the persistent form: count (32-bit), element size (16-bit), data.
  virtual bool ReadFrom(VStream& stream);
  virtual bool WriteTo(VStream& stream) const;

  int32_t Capacity() const { return capacity_; }
  uint16_t ElementSize() const { return elementSize_; }
  // Direct access to the element storage for bulk readers; valid until the next change.
  const uint8_t* Data() const { return data_; }

 protected:
  int32_t Clamp(int32_t index) const;
  void Reallocate(int32_t capacity);

  int32_t capacity_;
  int32_t count_;
  uint16_t elementSize_;
  uint8_t* data_;
  mutable VCritical lock_;
};

// An array whose elements are kept in ascending order by Compare.
class VSortArray : public VArray {
 public:
  using VArray::VArray;

  // Compares the element at index with a key. The default reads the first four bytes of each as
  // big-endian unsigned 32-bit numbers. An index that addresses nothing is a fatal error.
  virtual int Compare(int32_t index, const void* key) const;
  // Binary search; position receives the match or the insertion point.
  virtual bool Search(const void* key, int32_t* position) const;
  // Inserts at the position Search gives, so an equal key goes before the equal element.
  virtual bool InsertSorted(const void* element);
};
