#include "db/store/VWritePoint.h"

namespace vwritepoint_detail {
VWritePointHook hook = nullptr;
}

VWritePointHook VSetWritePointHook(VWritePointHook hook) {
  VWritePointHook previous = vwritepoint_detail::hook;
  vwritepoint_detail::hook = hook;
  return previous;
}
