#include "gt/OvHistories.h"

bool OvRecHistory::Push(OvRecRef entry, bool keepTail) {
  if (Count() > 0 && *EntryAt(Count() - 1) == entry) return false;
  return PushSlot(entry, keepTail);
}
