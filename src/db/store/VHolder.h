// Record holds as a record file sees them: the calling user takes a hold on a record it inserts,
// deletes or updates, and a record held by another user may not be deleted or updated until that
// user's transaction ends. The user queue of the engine implements this; a record file only asks.
#pragma once

#include <cstdint>

class VHolder {
 public:
  virtual ~VHolder() = default;
  // Takes a hold on (file number, record number) for this user, once; false (and nothing taken)
  // when another user holds the pair.
  virtual bool TakeHold(int32_t fileNumber, uint32_t record) = 0;
  // Whether a user other than this one holds the pair.
  virtual bool HeldByOther(int32_t fileNumber, uint32_t record) const = 0;
};
