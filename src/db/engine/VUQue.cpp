#include "db/engine/VUQue.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "base/VBase.h"

namespace {

// The process-wide list of queues and the id counter, guarded by one lock.
struct QueueRegistry {
  VCritical lock;
  std::vector<VUQue*> queues;
  int32_t counter = 0;
};

QueueRegistry& Registry() {
  static QueueRegistry* registry = new QueueRegistry;
  return *registry;
}

}  // namespace

VUQue::VUQue(std::string name, int32_t uid) : name_(std::move(name)) {
  QueueRegistry& registry = Registry();
  VCriticalLock hold(registry.lock);
  uid_ = uid != 0 ? uid : ++registry.counter;
  registry.queues.push_back(this);
}

VUQue::~VUQue() {
  QueueRegistry& registry = Registry();
  VCriticalLock hold(registry.lock);
  registry.queues.erase(std::find(registry.queues.begin(), registry.queues.end(), this));
}

bool VUQue::TakeHold(int32_t fileNumber, uint32_t record) {
  if (HeldByOther(fileNumber, record)) return false;
  holds_.Add(fileNumber, record);
  return true;
}

bool VUQue::HeldByOther(int32_t fileNumber, uint32_t record) const {
  QueueRegistry& registry = Registry();
  VCriticalLock hold(registry.lock);
  for (const VUQue* other : registry.queues) {
    if (other->uid_ != uid_ && other->holds_.Contains(fileNumber, record)) return true;
  }
  return false;
}

bool VUQue::Holds(int32_t fileNumber, uint32_t record) const {
  return holds_.Contains(fileNumber, record);
}

void VUQue::ReleaseHolds() { holds_.Clear(); }

std::string VUQue::Describe() const {
  char text[256];
  std::snprintf(text, sizeof text, "UID/NAME:%ld/%-16s N-HOLD:%ld, N-iSET:%ld",
                static_cast<long>(uid_), name_.c_str(), static_cast<long>(holds_.Count()),
                static_cast<long>(sets_.Count()));
  return text;
}

void VUQue::ForEach(const std::function<void(VUQue&)>& visit) {
  QueueRegistry& registry = Registry();
  VCriticalLock hold(registry.lock);
  // A copy: a visit may make or drop queues.
  std::vector<VUQue*> queues = registry.queues;
  for (VUQue* queue : queues) visit(*queue);
}

int32_t VUQue::QueueCount() {
  QueueRegistry& registry = Registry();
  VCriticalLock hold(registry.lock);
  return static_cast<int32_t>(registry.queues.size());
}
