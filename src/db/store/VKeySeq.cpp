#include "db/store/VKeySeq.h"

#include "base/VEndian.h"
#include "db/store/VDBCodes.h"
#include "db/store/VKeyObject.h"

VKeySeq::VKeySeq(const VKeyObject& key, const void* owner)
    : VKeyAcc(key.File(), key.KeyNumber(), key.Attributes(), key.Root(), key.IsReversed()),
      owner_(owner),
      keySerial_(key.Serial()) {}

VResult VKeySeq::Remember(VResult found) {
  if (found == kVOk) {
    const Entry entry = Current();
    nextKey_.assign(entry.key, entry.key + 1 + entry.key[0]);
    nextRecord_ = VGetU24(entry.records);
    atEnd_ = false;
  } else if (found == kVEnd) {
    atEnd_ = true;
  } else {
    broken_ = true;
  }
  ReleaseStack();
  return found;
}

VResult VKeySeq::Locate(const uint8_t* value) {
  broken_ = false;
  return Remember(value != nullptr ? Seek(value, 0) : First());
}

VResult VKeySeq::Read(std::vector<uint8_t>* key, std::vector<uint32_t>* records) {
  if (broken_) return kVBrokenTree;
  if (atEnd_) return kVEnd;
  VResult found = Seek(nextKey_.data(), IsUnique() ? 0 : nextRecord_);
  if (found != kVOk) return Remember(found);
  const Entry entry = Current();
  key->assign(entry.key, entry.key + 1 + entry.key[0]);
  records->resize(static_cast<size_t>(entry.count));
  for (int32_t i = 0; i < entry.count; ++i) (*records)[i] = VGetU24(entry.records + 3 * i);
  // The entry is read; a broken next node is reported by the next read.
  (void)Remember(Next());
  return kVOk;
}
