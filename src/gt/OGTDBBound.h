// What a database form asks of each item bound to a database item: show the record's value (or
// values), clear the display, and, for the items that give values back, put the value into a
// record being built. An item whose database item number is 0 or less is not bound: it neither
// shows nor gives values (an unbound database field serves as a search field).
#pragma once

#include <cstdint>

#include "base/VBase.h"

class VDBHandle;
class VRecord;

class OGTDBBound {
 public:
  virtual ~OGTDBBound() = default;
  // 0, or the failure; an item that fails to show is left cleared.
  virtual VResult ShowValue(VDBHandle* handle, const VRecord& record) = 0;
  virtual void ClearValue() = 0;
  // Whether a value was put.
  virtual bool GatherValue(VDBHandle* /*handle*/, VRecord* /*record*/) { return false; }

  // For the items that give values back, what an update of the shown record needs: the value
  // (item, occurrence) the item gives (false for items that give none and for unbound ones),
  // whether what it holds differs from what it last showed (or from empty after a clear), and
  // whether it holds nothing (an emptied item removes its value).
  virtual bool GatherTarget(int32_t* /*item*/, int32_t* /*occurrence*/) const { return false; }
  virtual bool ValueChanged() const { return false; }
  virtual bool ValueEmpty() const { return true; }
};
