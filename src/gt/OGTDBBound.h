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

// The binding of the items that show one value of a database item (a field, a styled-text field,
// an image field): the database item number, the occurrence meant, and the type code of the value
// last shown.
class OGTDBValueBound : public OGTDBBound {
 public:
  virtual void SetItemNumber(int32_t item) { item_ = item; }
  virtual int32_t ItemNumber() const { return item_; }
  // 0 or less counts as 1.
  virtual void SetOccurrence(int32_t occurrence) { occurrence_ = occurrence; }
  virtual int32_t Occurrence() const { return occurrence_ > 0 ? occurrence_ : 1; }

  bool IsBound() const { return item_ > 0; }
  uint8_t ShownType() const { return shownType_; }

 protected:
  // GatherTarget for the items that give their value back: the bound value, none when unbound.
  bool BoundTarget(int32_t* item, int32_t* occurrence) const {
    if (!IsBound()) return false;
    *item = item_;
    *occurrence = Occurrence();
    return true;
  }

  int32_t item_ = 1;
  int32_t occurrence_ = 1;
  uint8_t shownType_ = 0;
};
