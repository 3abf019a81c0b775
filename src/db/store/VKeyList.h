// VKeyList: the open keys of one record file, in ascending key number, and the reverse trees of
// those that have one, each found by key number.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "db/store/VKeyObject.h"

class VKeyList {
 public:
  int32_t Count() const { return static_cast<int32_t>(keys_.size()); }
  VKeyObject* At(int32_t index) const { return keys_[static_cast<size_t>(index)].get(); }
  // The key or reverse tree of a key number, or null when not open.
  VKeyObject* Key(int32_t keyNumber) const;
  VKeyObject* Reverse(int32_t keyNumber) const;
  // Adds an open key (and its reverse tree, or null); false when the number is already open.
  bool Add(std::unique_ptr<VKeyObject> key, std::unique_ptr<VKeyObject> reverse);
  // Takes the key and its reverse tree out of the list and deletes them.
  void Remove(int32_t keyNumber);
  void Clear();

 private:
  int32_t IndexOf(int32_t keyNumber, std::vector<std::unique_ptr<VKeyObject>> const& list) const;

  std::vector<std::unique_ptr<VKeyObject>> keys_;
  std::vector<std::unique_ptr<VKeyObject>> reverses_;
};
