// What a database form asks of each item bound to a database item: show the record's value (or
// values), clear the display, and, for the items that give values back, put the value into a
// record being built. An item whose database item number is 0 or less is not bound: it neither
// shows nor gives values (an unbound database field serves as a search field).
#pragma once

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
};
