#include "base/OvNamedList.h"

#include <cstring>

OvNamedList::~OvNamedList() { DeleteAll(); }

OvNamedObj* OvNamedList::NamedAt(int32_t index) const {
  VCriticalLock hold(lock_);
  if (index < 0 || index >= Count()) return nullptr;
  return dynamic_cast<OvNamedObj*>(At(index));
}

OvNamedObj* OvNamedList::Add(std::unique_ptr<OvNamedObj> object, bool replace) {
  if (object == nullptr) return nullptr;
  VCriticalLock hold(lock_);
  // The list owns it already: adding it again would leave the list holding it twice, or, with
  // replace, holding it after deleting it.
  if (IndexOf(object.get()) >= 0) return object.release();
  if (replace && object->HasName()) {
    RemoveByCountedName(object->Name(), static_cast<int32_t>(object->NameLength()));
  }
  OvNamedObj* added = object.release();
  Append(added);
  return added;
}

int32_t OvNamedList::IndexOfName(const void* text, int32_t length, bool ignoreCase,
                                 bool ignoreWidth) const {
  if (text == nullptr || length < 0) return -1;
  VCriticalLock hold(lock_);
  for (int32_t i = 0; i < Count(); ++i) {
    OvNamedObj* object = NamedAt(i);
    if (object != nullptr && object->EqualsCountedName(text, length, ignoreCase, ignoreWidth))
      return i;
  }
  return -1;
}

bool OvNamedList::RemoveByCountedName(const void* text, int32_t length, bool ignoreCase,
                                      bool ignoreWidth) {
  VCriticalLock hold(lock_);
  int32_t index = IndexOfName(text, length, ignoreCase, ignoreWidth);
  if (index < 0) return false;
  DeleteAt(index);
  return true;
}

bool OvNamedList::RemoveByName(const char* name, bool ignoreCase, bool ignoreWidth) {
  if (name == nullptr) return false;
  return RemoveByCountedName(name, static_cast<int32_t>(std::strlen(name)), ignoreCase,
                             ignoreWidth);
}

void OvNamedList::DeleteAt(int32_t index) {
  VCriticalLock hold(lock_);
  if (index < 0 || index >= Count()) return;
  VObj* object = At(index);
  RemoveAt(index);
  delete object;
}

OvNamedObj* OvNamedList::FindByCountedName(const void* text, int32_t length, bool ignoreCase,
                                           bool ignoreWidth) const {
  VCriticalLock hold(lock_);
  return NamedAt(IndexOfName(text, length, ignoreCase, ignoreWidth));
}

OvNamedObj* OvNamedList::FindByName(const char* name, bool ignoreCase, bool ignoreWidth) const {
  if (name == nullptr) return nullptr;
  return FindByCountedName(name, static_cast<int32_t>(std::strlen(name)), ignoreCase, ignoreWidth);
}

bool OvNamedList::ContainsCountedName(const void* text, int32_t length, bool ignoreCase,
                                      bool ignoreWidth) const {
  return IndexOfName(text, length, ignoreCase, ignoreWidth) >= 0;
}

bool OvNamedList::ContainsName(const char* name, bool ignoreCase, bool ignoreWidth) const {
  return FindByName(name, ignoreCase, ignoreWidth) != nullptr;
}

std::unique_ptr<OvNamedList> OvNamedList::Clone() const {
  auto copy = std::make_unique<OvNamedList>();
  copy->Assign(*this);
  return copy;
}

void OvNamedList::Assign(const OvNamedList& other) {
  if (&other == this) return;
  VCriticalLock hold(lock_);
  VCriticalLock holdOther(other.lock_);
  DeleteAll();
  for (int32_t i = 0; i < other.Count(); ++i) {
    OvNamedObj* object = other.NamedAt(i);
    if (object == nullptr) continue;
    Append(new OvNamedObj(object->Name(), static_cast<int32_t>(object->NameLength())));
  }
}
