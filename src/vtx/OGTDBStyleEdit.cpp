#include "vtx/OGTDBStyleEdit.h"

#include <limits>

#include "db/engine/VDBHandle.h"
#include "db/schema/VRecord.h"
#include "db/schema/VRecordView.h"
#include "gt/OGTDBValue.h"
#include "gt/OGTEvent.h"

int32_t OGTDBStyleEdit::Kind() const { return kOGTKindDBStyleEdit; }

VResult OGTDBStyleEdit::ShowValue(VDBHandle* handle, const VRecord& record) {
  if (!IsBound()) return kVOk;
  uint8_t type = 0;
  std::string bytes;
  // The whole value: a styled text is not cut.
  VResult result = OGTDBReadValue(record, item_, Occurrence(), handle,
                                  std::numeric_limits<size_t>::max(), &type, &bytes);
  if (result != kVOk) {
    ClearValue();
    return result == kVValueMissing ? kVOk : result;
  }
  shownType_ = type;
  const std::string markup = OGTDBFieldText(type, bytes, true);
  SetMarkup(markup.data(), markup.size(), true);
  shownMarkup_ = Markup();
  ClearModified();
  return kVOk;
}

void OGTDBStyleEdit::ClearValue() {
  if (!IsBound()) return;
  SetMarkup(nullptr, 0, true);
  shownMarkup_.clear();
  ClearModified();
}

bool OGTDBStyleEdit::GatherValue(VDBHandle* handle, VRecord* record) {
  if (!IsBound() || record == nullptr) return false;
  const uint8_t type = shownType_ != 0 ? shownType_ : kOGTDBDefaultType;
  return OGTDBPutText(record, item_, type, Markup(), handle);
}
