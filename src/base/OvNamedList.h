// An owning list of named objects, searched by name in list order. Whatever it holds it deletes:
// when an object is removed by name or index, replaced, or when the list is cleared or destroyed.
// Only OvNamedObj objects are put in it, and only through Add, which takes them over.
#pragma once

#include <cstdint>
#include <memory>

#include "base/OvNamedObj.h"
#include "base/VList.h"

class OvNamedList : public VList {
 public:
  OvNamedList() = default;
  ~OvNamedList() override;

  // The object at index, or null outside 0 .. Count() - 1.
  virtual OvNamedObj* NamedAt(int32_t index) const;
  // Takes the object over and appends it; answers it (null for null). With replace, the first
  // object of the same name is removed and deleted first; an object without a name replaces
  // nothing. An object already in the list stays where it is.
  virtual OvNamedObj* Add(std::unique_ptr<OvNamedObj> object, bool replace);
  // The first object whose name is exactly these bytes is removed and deleted; answers whether
  // one was.
  virtual bool RemoveByCountedName(const void* text, int32_t length, bool ignoreCase = false,
                                   bool ignoreWidth = false);
  virtual bool RemoveByName(const char* name, bool ignoreCase = false, bool ignoreWidth = false);
  // Out-of-range indices are ignored.
  virtual void DeleteAt(int32_t index);
  // The first match in list order; null for a null text, a negative length or no match.
  virtual OvNamedObj* FindByCountedName(const void* text, int32_t length, bool ignoreCase = false,
                                        bool ignoreWidth = false) const;
  virtual OvNamedObj* FindByName(const char* name, bool ignoreCase = false,
                                 bool ignoreWidth = false) const;
  virtual bool ContainsCountedName(const void* text, int32_t length, bool ignoreCase = false,
                                   bool ignoreWidth = false) const;
  virtual bool ContainsName(const char* name, bool ignoreCase = false,
                            bool ignoreWidth = false) const;
  // A new list of plain named objects with the same names, in the same order.
  virtual std::unique_ptr<OvNamedList> Clone() const;
  // Deletes everything, then appends plain copies of the other list's names.
  virtual void Assign(const OvNamedList& other);

  // Index of the first match, -1 when none.
  int32_t IndexOfName(const void* text, int32_t length, bool ignoreCase = false,
                      bool ignoreWidth = false) const;
};
