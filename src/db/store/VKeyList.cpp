#include "db/store/VKeyList.h"

#include <algorithm>

namespace {

bool ByNumber(const std::unique_ptr<VKeyObject>& a, const std::unique_ptr<VKeyObject>& b) {
  return a->KeyNumber() < b->KeyNumber();
}

}  // namespace

int32_t VKeyList::IndexOf(int32_t keyNumber,
                          const std::vector<std::unique_ptr<VKeyObject>>& list) const {
  for (size_t i = 0; i < list.size(); ++i) {
    if (list[i]->KeyNumber() == keyNumber) return static_cast<int32_t>(i);
  }
  return -1;
}

VKeyObject* VKeyList::Key(int32_t keyNumber) const {
  int32_t at = IndexOf(keyNumber, keys_);
  return at < 0 ? nullptr : keys_[static_cast<size_t>(at)].get();
}

VKeyObject* VKeyList::Reverse(int32_t keyNumber) const {
  int32_t at = IndexOf(keyNumber, reverses_);
  return at < 0 ? nullptr : reverses_[static_cast<size_t>(at)].get();
}

bool VKeyList::Add(std::unique_ptr<VKeyObject> key, std::unique_ptr<VKeyObject> reverse) {
  if (key == nullptr || Key(key->KeyNumber()) != nullptr) return false;
  keys_.push_back(std::move(key));
  std::sort(keys_.begin(), keys_.end(), ByNumber);
  if (reverse != nullptr) {
    reverses_.push_back(std::move(reverse));
    std::sort(reverses_.begin(), reverses_.end(), ByNumber);
  }
  return true;
}

void VKeyList::Remove(int32_t keyNumber) {
  int32_t at = IndexOf(keyNumber, keys_);
  if (at >= 0) keys_.erase(keys_.begin() + at);
  at = IndexOf(keyNumber, reverses_);
  if (at >= 0) reverses_.erase(reverses_.begin() + at);
}

void VKeyList::Clear() {
  reverses_.clear();
  keys_.clear();
}
