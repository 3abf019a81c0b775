// The preparation of a find: a statement typed by a user is cut into its parenthesised
// sub-statements, each run as a find of its own. Every level handed to the engine is a statement
// the engine's parser reads without going astray (or refuses), every set made is dropped exactly
// once unless it is the answer, and no set is dropped that was not made.
#include <cstddef>
#include <cstdint>
#include <set>
#include <span>
#include <string>
#include <string_view>

#include "db/engine/VSetMaker.h"
#include "gt/OvRecordSet.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view statement(reinterpret_cast<const char*>(data), size);
  std::set<int32_t> live;
  int32_t next = 1;
  auto make = [&](const std::string& level, int32_t* set, uint32_t* count) -> VResult {
    VSetMaker maker;
    const VResult parsed = maker.Parse(
        std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(level.data()), level.size()));
    if (parsed != 0) return parsed;
    *set = next++;
    *count = static_cast<uint32_t>(maker.Count());
    live.insert(*set);
    return 0;
  };
  auto drop = [&](int32_t set) {
    if (live.erase(set) != 1) __builtin_trap();
  };
  int32_t set = 0;
  uint32_t count = 0;
  const VResult result = OvRunPrepared(statement, make, drop, &set, &count);
  if (result == 0) {
    if (live.size() != 1 || *live.begin() != set) __builtin_trap();
  } else if (!live.empty()) {
    __builtin_trap();
  }
  return 0;
}
