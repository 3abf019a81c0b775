#include "base/VList.h"

VList::VList(int32_t initialCapacity) : VArray(sizeof(VObj*), initialCapacity) {}

void VList::Reset() { DeleteAll(); }

void VList::DeleteAll() {
  VCriticalLock hold(lock_);
  clearing_ = true;
  bool any = count_ > 0;
  for (int32_t i = count_ - 1; i >= 0; --i) {
    VObj* object = At(i);
    // Destructors may remove themselves from this list; RemoveAt ignores that while clearing.
    delete object;
  }
  if (any) VArray::Reset();
  clearing_ = false;
}

bool VList::RemoveAt(int32_t index) {
  VCriticalLock hold(lock_);
  if (clearing_) return true;
  return VArray::RemoveAt(index);
}

bool VList::RemoveFirst() { return RemoveAt(0); }

bool VList::RemoveLast() {
  VCriticalLock hold(lock_);
  return RemoveAt(count_ - 1);
}

bool VList::Move(int32_t to, int32_t from) { return VArray::Move(to, from); }

bool VList::InsertAt(int32_t index, VObj* object) {
  return VArray::InsertAt(index, static_cast<const void*>(&object));
}

bool VList::Prepend(VObj* object) { return InsertAt(0, object); }

bool VList::Append(VObj* object) { return InsertAt(Count(), object); }

VObj* VList::At(int32_t index) const {
  VObj* object = nullptr;
  if (!GetAt(index, &object)) return nullptr;
  return object;
}

VObj* VList::First() const { return At(0); }

VObj* VList::Last() const {
  VCriticalLock hold(lock_);
  return At(count_ - 1);
}

bool VList::Remove(VObj* object) {
  VCriticalLock hold(lock_);
  int32_t index = IndexOf(object);
  if (index < 0) return false;
  return RemoveAt(index);
}

bool VList::Push(VObj* object) { return Append(object); }

VObj* VList::Pop() {
  VCriticalLock hold(lock_);
  VObj* object = Top();
  if (object != nullptr) RemoveLast();
  return object;
}

VObj* VList::Top() const { return Last(); }

int32_t VList::IndexOf(const VObj* object) const {
  VCriticalLock hold(lock_);
  VObj* const* items = reinterpret_cast<VObj* const*>(data_);
  for (int32_t i = 0; i < count_; ++i) {
    if (items[i] == object) return i;
  }
  return -1;
}

bool VSortList::Search(const void* key, int32_t* position) const {
  VCriticalLock hold(lock_);
  return VBinarySearch(
      count_, [&](int32_t i) { return static_cast<VSortObj*>(At(i))->CompareKey(key); }, position);
}

bool VSortList::Add(VSortObj* object) {
  VCriticalLock hold(lock_);
  int32_t position = 0;
  if (Search(object->Key(), &position)) return false;
  return InsertAt(position, object);
}

VSortObj* VSortList::Lookup(const void* key) const {
  VCriticalLock hold(lock_);
  int32_t position = 0;
  if (!Search(key, &position)) return nullptr;
  return static_cast<VSortObj*>(At(position));
}
