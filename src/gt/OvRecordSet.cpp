#include "gt/OvRecordSet.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "base/VDebug.h"
#include "base/VSjis.h"
#include "db/engine/VDBHandle.h"
#include "db/schema/VRecord.h"
#include "db/store/VDBCodes.h"

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

namespace {

// Sub-statements nest at most this deep; a deeper statement fails rather than exhausting the stack.
constexpr int kMaxDepth = 32;

bool IsWordByte(uint8_t b) { return VIsAlnum(b) || b == '_'; }

// Whether a "(" after this text stands where an operand does: at the start, after "(" or after
// one of the operators "and", "or" and "not" (as whole words, any letter case).
bool AtOperand(const std::string& gathered) {
  size_t end = gathered.size();
  while (end > 0 && (gathered[end - 1] == ' ' || gathered[end - 1] == '\t')) --end;
  if (end == 0 || gathered[end - 1] == '(') return true;
  size_t start = end;
  while (start > 0 && IsWordByte(static_cast<uint8_t>(gathered[start - 1]))) --start;
  // A word preceded by a lead byte is the tail of a double-byte character, never an operator.
  if (start > 0 && VIsLeadByte(static_cast<uint8_t>(gathered[start - 1]))) return false;
  const std::string word = gathered.substr(start, end - start);
  auto is = [&word](const char* op) {
    if (word.size() != std::strlen(op)) return false;
    for (size_t i = 0; i < word.size(); ++i) {
      if (VToUpper(static_cast<uint8_t>(word[i])) != VToUpper(static_cast<uint8_t>(op[i]))) {
        return false;
      }
    }
    return true;
  };
  return is("and") || is("or") || is("not");
}

VResult FindLevel(std::string_view text, size_t* pos, int depth, const OvMakeSet& make,
                  const OvDropSet& drop, int32_t* set, uint32_t* count) {
  if (depth > kMaxDepth) return kVStatementFailed;
  const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
  std::string gathered;
  std::vector<int32_t> made;
  VResult result = kVOk;
  int valueParens = 0;  // open parentheses of value lists, copied as they are
  while (*pos < text.size()) {
    const uint8_t c = bytes[*pos];
    if (c == '"' || c == '\'') {
      // A quoted text is copied whole, its closing quote included (to the end when it has none).
      size_t end = *pos + 1;
      while (end < text.size() && bytes[end] != c) end += VCharLength(bytes, text.size(), end);
      end = std::min(end + 1, text.size());
      gathered.append(text.substr(*pos, end - *pos));
      *pos = end;
      continue;
    }
    if (c == '(' && valueParens == 0 && AtOperand(gathered)) {
      ++*pos;
      int32_t sub = 0;
      uint32_t subCount = 0;
      result = FindLevel(text, pos, depth + 1, make, drop, &sub, &subCount);
      if (result != kVOk) break;
      made.push_back(sub);
      gathered += "#" + std::to_string(sub);
      continue;
    }
    if (c == '(') {
      ++valueParens;
    } else if (c == ')') {
      if (valueParens == 0) {
        ++*pos;
        break;
      }
      --valueParens;
    } else if (c == ';' && valueParens == 0) {
      ++*pos;
      break;
    }
    const size_t n = VCharLength(bytes, text.size(), *pos);
    gathered.append(text.substr(*pos, n));
    *pos += n;
  }
  if (result == kVOk) {
    if (gathered.empty()) {
      result = kVStatementFailed;
    } else {
      gathered += ';';
      if (gathered.size() < 4) gathered += ' ';
      result = make(gathered, set, count);
    }
  }
  for (int32_t sub : made) drop(sub);
  return result;
}

}  // namespace

VResult OvRunPrepared(std::string_view statement, const OvMakeSet& make, const OvDropSet& drop,
                      int32_t* set, uint32_t* count) {
  size_t pos = 0;
  return FindLevel(statement, &pos, 0, make, drop, set, count);
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
  VResult result = OvRunPrepared(
      text,
      [this](const std::string& level, int32_t* made, uint32_t* n) {
        return MakeSet(level, made, n);
      },
      [this](int32_t sub) {
        // A set that cannot be given back stays in the user's list until the database closes.
        if (handle_->DropSet(file_, sub) != kVOk) Log("...ERROR... OvRecordSet: a sub-set stays");
      },
      &set, &count);
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
