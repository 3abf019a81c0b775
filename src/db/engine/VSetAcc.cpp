#include "db/engine/VSetAcc.h"

#include <algorithm>
#include <vector>

#include "base/VEndian.h"

namespace {

constexpr uint32_t kMaxRecord = 0xFFFFFF;

bool IsRecordNumber(uint32_t r) { return r != 0 && r <= kMaxRecord; }

}  // namespace

VSetAcc::VSetAcc(VCioMap* work, int32_t fileNumber)
    : work_(work), fileNumber_(fileNumber), map_(work) {}

VSetAcc::~VSetAcc() = default;

uint32_t VSetAcc::Size() const { return order_ ? order_->Count() : map_.Count(); }

uint32_t VSetAcc::At(uint32_t index) const { return order_ ? order_->Nth(index) : map_.Nth(index); }

void VSetAcc::Empty() {
  map_.Clear();
  order_.reset();
  statement_.clear();
  sortDescription_.clear();
}

VResult VSetAcc::Add(uint32_t r) { return map_.Add(r); }

VResult VSetAcc::AddRange(uint32_t first, uint32_t last) { return map_.AddRange(first, last); }

VResult VSetAcc::AddList(std::span<const uint8_t> numbers) {
  const size_t count = numbers.size() / 3;
  size_t i = 0;
  while (i < count) {
    const uint32_t first = VGetU24(numbers.data() + 3 * i);
    uint32_t last = first;
    size_t j = i + 1;
    while (j < count && VGetU24(numbers.data() + 3 * j) == last + 1) {
      ++last;
      ++j;
    }
    const uint32_t from = first == 0 ? 1 : first;  // record 0 does not exist
    if (from <= last) {
      VResult result = last == from ? map_.Add(from) : map_.AddRange(from, last);
      if (result != kVOk) return result;
    }
    i = j;
  }
  return kVOk;
}

VResult VSetAcc::CopyFrom(const VSetAcc& other) {
  order_.reset();
  sortDescription_.clear();
  return map_.CopyFrom(other.map_);
}

VResult VSetAcc::And(const VSetAcc& other) { return map_.And(other.map_); }

VResult VSetAcc::Or(const VSetAcc& other) { return map_.Or(other.map_); }

VResult VSetAcc::AndNot(const VSetAcc& other) { return map_.AndNot(other.map_); }

VResult VSetAcc::Insert(uint32_t r) {
  if (!IsRecordNumber(r) || map_.Test(r)) return kVOk;
  VResult result = map_.Add(r);
  if (result == kVOk && order_) {
    result = order_->Append(r);
    // Keeps the order and the bitmap in step; the append's failure stays the answer.
    if (result != kVOk) (void)map_.Remove(r);
  }
  return result;
}

VResult VSetAcc::Insert(std::span<const uint8_t> numbers) {
  if (!order_) return AddList(numbers);
  for (size_t i = 0; i + 3 <= numbers.size(); i += 3) {
    VResult result = Insert(VGetU24(numbers.data() + i));
    if (result != kVOk) return result;
  }
  return kVOk;
}

VResult VSetAcc::Delete(uint32_t r) {
  if (!IsRecordNumber(r) || !map_.Test(r)) return kVOk;
  if (order_) {
    VResult result = DeleteFromOrder({&r, 1});
    if (result != kVOk) return result;
  }
  return map_.Remove(r);
}

VResult VSetAcc::Delete(std::span<const uint8_t> numbers) {
  std::vector<uint32_t> present;
  for (size_t i = 0; i + 3 <= numbers.size(); i += 3) {
    const uint32_t r = VGetU24(numbers.data() + i);
    if (IsRecordNumber(r) && map_.Test(r)) present.push_back(r);
  }
  if (present.empty()) return kVOk;
  std::sort(present.begin(), present.end());
  present.erase(std::unique(present.begin(), present.end()), present.end());
  if (order_) {
    VResult result = DeleteFromOrder(present);
    if (result != kVOk) return result;
  }
  for (uint32_t r : present) {
    VResult result = map_.Remove(r);
    if (result != kVOk) return result;
  }
  return kVOk;
}

VResult VSetAcc::DeleteFromOrder(std::span<const uint32_t> sortedNumbers) {
  return order_->Retain([&](uint32_t r) {
    return !std::binary_search(sortedNumbers.begin(), sortedNumbers.end(), r);
  });
}

void VSetAcc::SetOrder(std::unique_ptr<VRList> order, std::string description) {
  order_ = std::move(order);
  sortDescription_ = std::move(description);
}

void VSetAcc::SortCancel() {
  order_.reset();
  sortDescription_.clear();
}
