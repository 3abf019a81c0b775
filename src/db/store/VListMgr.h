// VListMgr: one user's list of what it keeps open between commands (sets, physical sequential
// reads, key sequences). A counter starting at 0 gives every object added the next value as its id,
// whatever its kind, so ids are never reused within the list. The list owns its objects.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "base/VBase.h"
#include "db/store/VSetObj.h"

class VListMgr {
 public:
  // Takes the object and answers its id.
  int32_t Add(std::unique_ptr<VSetObj> object);
  // The object of an id, of the given kind when kind is not 0; null when there is none.
  VSetObj* Find(int32_t id, int32_t kind = 0) const;
  // Removes and deletes the object; false when there is none.
  bool Remove(int32_t id);
  int32_t Count() const;
  // Objects of one kind, and the one at a position among them (from 0, in the order added).
  int32_t CountOf(int32_t kind) const;
  VSetObj* NthOf(int32_t kind, int32_t index) const;
  // Removes and deletes every object (the ids go on from the counter).
  void Clear();

 private:
  mutable VCritical lock_;
  int32_t counter_ = 0;
  std::vector<std::unique_ptr<VSetObj>> objects_;
};
