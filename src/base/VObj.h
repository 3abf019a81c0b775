// Root of the engine's polymorphic objects, and the object that can be kept in a sorted list.
#pragma once

class VObj {
 public:
  virtual ~VObj() = default;
  // A hook for derived classes; the root answers 0.
  virtual int Hook() { return 0; }
};

// An object with a key. CompareKey answers negative, zero or positive as this object sorts before,
// equal to or after the key.
class VSortObj : public VObj {
 public:
  virtual int CompareWith(const VSortObj& other) const { return CompareKey(other.Key()); }
  virtual int CompareKey(const void* key) const = 0;
  virtual const void* Key() const = 0;
};
