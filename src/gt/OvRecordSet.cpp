#include "gt/OvRecordSet.h"

#include <algorithm>

#include "base/VDebug.h"
#include "db/engine/VDBHandle.h"
#include "db/schema/VRecord.h"

OvRecordSet::OvRecordSet() = default;

OvRecordSet::~OvRecordSet() {
  // The handle's user list drops every set when the database closes; a failure here only leaves
  // the set until then.
  if (Release() != kVOk) Log("...ERROR... OvRecordSet: a set could not be released");
}

bool OvRecordSet::Usable() const { return handle_ != nullptr && handle_->IsOpen(); }

void OvRecordSet::Bind(VDBHandle* handle, int32_t file) {
  (void)Release();  // a set that cannot be given back is dropped with the user's list at close
  handle_ = handle;
  file_ = file;
}

void OvRecordSet::SetHandle(VDBHandle* handle) { Bind(handle, file_); }

void OvRecordSet::SetFile(int32_t file) { Bind(handle_, file); }

VResult OvRecordSet::MakeSet(const std::string& statement, int32_t* set, uint32_t* count) const {
  return handle_->MakeSet(file_, statement, set, count);
}

VResult OvRecordSet::Find(const char* statement) {
  if (!Usable()) return kVOk;
  std::string text;
  std::string typed;
  if (statement != nullptr) {
    VResult released = Release();
    if (released != kVOk) return released;
    text = statement;
  } else {
    if (statement_.empty()) return kVOk;
    text = statement_;
    typed = typedText_;
    VResult released = Release();
    if (released != kVOk) return released;
  }
  int32_t set = 0;
  uint32_t count = 0;
  VResult result = MakeSet(text, &set, &count);
  if (result != kVOk) {
    // A re-run keeps its texts even when it fails, so that it can be tried again.
    if (statement == nullptr) {
      statement_ = text;
      typedText_ = typed;
    }
    return result;
  }
  set_ = set;
  ownsSet_ = true;
  count_ = static_cast<int32_t>(count);
  current_ = 0;
  statement_ = text;
  typedText_ = typed;
  return kVOk;
}

VResult OvRecordSet::Release() {
  if (set_ != 0) {
    if (ownsSet_ && handle_ != nullptr && handle_->IsOpen()) {
      VResult dropped = handle_->DropSet(file_, set_);
      if (dropped != kVOk) return dropped;
    }
  }
  set_ = 0;
  ownsSet_ = true;
  count_ = 0;
  current_ = 0;
  statement_.clear();
  typedText_.clear();
  return kVOk;
}

int32_t OvRecordSet::Count(bool refresh) {
  if (refresh) {
    uint32_t size = 0;
    count_ = (set_ != 0 && Usable() && handle_->SetSize(file_, set_, &size) == kVOk)
                 ? static_cast<int32_t>(std::min<uint32_t>(size, INT32_MAX))
                 : 0;
  }
  return count_;
}

bool OvRecordSet::Goto(int32_t index) {
  const int32_t before = current_;
  current_ = std::min(std::max(index, 0), count_ - 1);
  return current_ != before;
}

bool OvRecordSet::First() { return Goto(0); }
bool OvRecordSet::Prev() { return Goto(current_ - 1); }
bool OvRecordSet::Next() { return Goto(current_ + 1); }
bool OvRecordSet::Last() { return Goto(count_); }

VResult OvRecordSet::ReadAt(int32_t index, uint32_t* r, VRecord* record) {
  if (handle_ == nullptr) return kNoHandle;
  if (set_ == 0) return kNoSet;
  if (index < 0 || index >= count_) return kNoSetOrIndex;
  return handle_->SetGet(file_, set_, static_cast<uint32_t>(index), r, record);
}

VResult OvRecordSet::ReadRecord(int32_t file, uint32_t r, VRecord* record) {
  if (handle_ == nullptr) return kNoHandle;
  if (file <= 0) return kNoSet;
  return handle_->Read(file, r, record);
}

VResult OvRecordSet::Insert(const VRecord& record, uint32_t* r, bool addToSet) {
  if (handle_ == nullptr) return kNoHandle;
  uint32_t number = 0;
  VResult result = handle_->Insert(file_, record, &number);
  if (result != kVOk) return result;
  if (r != nullptr) *r = number;
  if (addToSet && set_ != 0) result = handle_->SetAdd(file_, set_, number);
  return result;
}

VResult OvRecordSet::Update(int32_t index, const VRecord& record) {
  if (handle_ == nullptr) return kNoHandle;
  if (set_ == 0) return kNoSet;
  uint32_t r = 0;
  VResult result = handle_->SetGet(file_, set_, static_cast<uint32_t>(std::max(index, 0)), &r);
  if (result != kVOk) return result;
  return handle_->Update(file_, r, record);
}

VResult OvRecordSet::Delete(int32_t index, bool removeFromSet) {
  if (handle_ == nullptr) return kNoHandle;
  if (set_ == 0) return kNoSet;
  uint32_t r = 0;
  VResult result = handle_->SetGet(file_, set_, static_cast<uint32_t>(std::max(index, 0)), &r);
  if (result != kVOk) return result;
  result = handle_->Delete(file_, r);
  if (result == kVOk && removeFromSet) result = handle_->SetRemove(file_, set_, r);
  return result;
}

VResult OvRecordSet::Commit() { return handle_ != nullptr ? handle_->Commit() : kNoHandle; }

VResult OvRecordSet::Cancel() { return handle_ != nullptr ? handle_->Cancel() : kNoHandle; }

bool OvRecordSet::AfterChange() {
  const int32_t before = count_;
  Count(true);
  if (current_ >= count_) {
    current_ = count_ - 1;
    return true;
  }
  return count_ != before;
}

VResult OvRecordSet::CopyTo(OvRecordSet* target, bool shallow) const {
  if (target == nullptr || target == this) return kNoSetOrIndex;
  if (shallow) {
    (void)target->Release();  // the target's own set goes; one that cannot stays in the user list
    target->handle_ = handle_;
    target->file_ = file_;
    target->set_ = set_;
    target->ownsSet_ = false;
    target->count_ = count_;
    target->current_ = current_;
    target->statement_ = statement_;
    target->typedText_ = typedText_;
    return kVOk;
  }
  if (handle_ == nullptr || set_ == 0) return kNoSetOrIndex;
  VResult released = target->Release();
  if (released != kVOk) return released;
  int32_t set = 0;
  uint32_t count = 0;
  VResult result = MakeSet("#" + std::to_string(set_) + ";", &set, &count);
  if (result != kVOk) return result;
  target->handle_ = handle_;
  target->file_ = file_;
  target->set_ = set;
  target->ownsSet_ = true;
  target->count_ = static_cast<int32_t>(count);
  target->current_ = 0;
  target->statement_ = statement_;
  target->typedText_ = typedText_;
  return kVOk;
}
