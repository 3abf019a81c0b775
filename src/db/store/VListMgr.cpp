#include "db/store/VListMgr.h"

int32_t VListMgr::Add(std::unique_ptr<VSetObj> object) {
  VCriticalLock hold(lock_);
  object->SetIdentity(++counter_);
  objects_.push_back(std::move(object));
  return counter_;
}

VSetObj* VListMgr::Find(int32_t id, int32_t kind) const {
  VCriticalLock hold(lock_);
  for (const auto& object : objects_) {
    if (object->Id() == id) return kind == 0 || object->Kind() == kind ? object.get() : nullptr;
  }
  return nullptr;
}

bool VListMgr::Remove(int32_t id) {
  VCriticalLock hold(lock_);
  for (auto it = objects_.begin(); it != objects_.end(); ++it) {
    if ((*it)->Id() == id) {
      objects_.erase(it);
      return true;
    }
  }
  return false;
}

int32_t VListMgr::Count() const {
  VCriticalLock hold(lock_);
  return static_cast<int32_t>(objects_.size());
}

int32_t VListMgr::CountOf(int32_t kind) const {
  VCriticalLock hold(lock_);
  int32_t count = 0;
  for (const auto& object : objects_) count += object->Kind() == kind ? 1 : 0;
  return count;
}

VSetObj* VListMgr::NthOf(int32_t kind, int32_t index) const {
  VCriticalLock hold(lock_);
  for (const auto& object : objects_) {
    if (object->Kind() == kind && index-- == 0) return object.get();
  }
  return nullptr;
}

void VListMgr::Clear() {
  VCriticalLock hold(lock_);
  objects_.clear();
}
