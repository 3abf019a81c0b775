#include "gt/OGTDBField.h"

#include <vector>

#include "db/engine/VDBHandle.h"
#include "db/schema/VRecord.h"
#include "gt/OGTDBValue.h"
#include "gt/OGTEvent.h"

int32_t OGTDBField::Kind() const { return kOGTKindDBField; }

VResult OGTDBField::ShowValue(VDBHandle* handle, const VRecord& record) {
  if (!IsBound()) return kVOk;
  uint8_t type = 0;
  std::string bytes;
  VResult result = OGTDBReadValue(record, item_, Occurrence(), handle, kMaxGather, &type, &bytes);
  if (result != kVOk) {
    ClearValue();
    // An absent value is no failure: the field is only cleared.
    return result == kVValueMissing ? kVOk : result;
  }
  shownType_ = type;
  SetText(OGTDBFieldText(type, bytes, false).c_str());
  shownText_ = Text();
  return kVOk;
}

void OGTDBField::ClearValue() {
  if (!IsBound()) return;
  SetText("");
  shownText_.clear();
}

bool OGTDBField::GatherValue(VDBHandle* handle, VRecord* record) {
  if (!IsBound() || record == nullptr) return false;
  std::vector<char> text(kMaxGather + 1);
  GetText(text.data(), text.size());
  const uint8_t type = shownType_ != 0 ? shownType_ : kOGTDBDefaultType;
  return OGTDBPutText(record, item_, type, text.data(), handle);
}
