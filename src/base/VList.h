// Lists of objects: a VList holds pointers to VObj objects; a VSortList keeps VSortObj objects in
// ascending key order with unique keys.
//
// Ownership: DeleteAll (and Reset) deletes the elements; removing an element by index or identity
// only takes it out and leaves it to the caller; destroying a list frees only its array, so an
// owner calls DeleteAll first and a list that merely refers to objects is destroyed without it.
#pragma once

#include "base/VArray.h"
#include "base/VObj.h"

class VList : public VArray {
 public:
  explicit VList(int32_t initialCapacity = 8);

  using VArray::Append;
  using VArray::InsertAt;
  using VArray::Pop;
  using VArray::Prepend;
  using VArray::Push;

  void Reset() override;  // DeleteAll
  bool RemoveAt(int32_t index) override;
  bool RemoveFirst() override;
  bool RemoveLast() override;
  bool Move(int32_t to, int32_t from) override;

  virtual void DeleteAll();
  virtual bool InsertAt(int32_t index, VObj* object);
  virtual bool Prepend(VObj* object);
  virtual bool Append(VObj* object);
  virtual VObj* At(int32_t index) const;
  virtual VObj* First() const;
  virtual VObj* Last() const;
  virtual bool Remove(VObj* object);
  virtual bool Push(VObj* object);
  virtual VObj* Pop();
  virtual VObj* Top() const;
  virtual int32_t IndexOf(const VObj* object) const;

  // Typed access for owners that know what they keep.
  template <class T>
  T* AtAs(int32_t index) const {
    return static_cast<T*>(At(index));
  }

 protected:
  bool clearing_ = false;
};

class VSortList : public VList {
 public:
  using VList::VList;

  // Inserts the object at its sorted place unless an object with an equal key is present; false
  // leaves the list unchanged and the object with the caller.
  bool Add(VSortObj* object);
  VSortObj* Lookup(const void* key) const;
  // Binary search over the keys; position receives the match or the insertion point.
  bool Search(const void* key, int32_t* position) const;
};
