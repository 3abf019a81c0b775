#include "gt/OvHistories.h"

#include "base/VSjis.h"

bool OvRecHistory::Push(OvRecRef entry, bool keepTail) {
  if (Count() > 0 && *EntryAt(Count() - 1) == entry) return false;
  return PushSlot(entry, keepTail);
}

std::string OvRecSetHistory::ResolveRefs(std::string_view statement) const {
  const auto* bytes = reinterpret_cast<const uint8_t*>(statement.data());
  std::string out;
  size_t i = 0;
  while (i < statement.size()) {
    if (bytes[i] == '$' && i + 1 < statement.size() && VIsDigit(bytes[i + 1])) {
      size_t end = i + 1;
      int64_t k = 0;
      while (end < statement.size() && VIsDigit(bytes[end])) {
        if (k < INT32_MAX) k = k * 10 + (bytes[end] - '0');
        ++end;
      }
      const int64_t index = k == 0 ? Count() - 1 : k - 1;
      if (index >= 0 && index < Count()) {
        out += "#" + std::to_string(EntryAt(static_cast<int32_t>(index))->SetID());
      }
      i = end;
      continue;
    }
    const size_t n = VCharLength(bytes, statement.size(), i);
    out.append(statement.substr(i, n));
    i += n;
  }
  return out;
}
