#include "gt/OGTDBFieldMV.h"

#include <cstring>
#include <memory>

#include "db/engine/VDBHandle.h"
#include "db/schema/VRecord.h"
#include "gt/OGTDBValue.h"
#include "gt/OGTEvent.h"
#include "gt/OGTListData.h"

int32_t OGTDBFieldMV::Kind() const { return kOGTKindDBFieldMV; }

void OGTDBFieldMV::SetColumnWidth(int16_t width) {
  columnWidth_ = width;
  if (ColumnCount() == 0) {
    AddColumn("", width, 0);
  } else {
    OGTList::SetColumnWidth(0, width);
  }
}

void OGTDBFieldMV::GetText(char* buffer, size_t size) const {
  if (buffer == nullptr || size == 0) return;
  buffer[0] = 0;
  const auto* rows = dynamic_cast<const OGTListData_String*>(RowData());
  const int32_t row = FirstSelected();
  const char* text = rows != nullptr ? rows->RowText(row) : nullptr;
  if (text == nullptr) return;
  const std::string_view cut = OGTDBCut(text, size - 1);
  std::memcpy(buffer, cut.data(), cut.size());
  buffer[cut.size()] = 0;
}

void OGTDBFieldMV::NotifySelection() {
  if (Parent() != nullptr) Parent()->OnEvent(this, kOGTEventReturn);
}

VResult OGTDBFieldMV::ShowValue(VDBHandle* handle, const VRecord& record) {
  if (!IsBound()) return kVOk;
  auto rows = std::make_unique<OGTListData_String>();
  VResult result = kVOk;
  const int32_t count = OGTDBValueCount(record, item_);
  for (int32_t occurrence = 1; occurrence <= count && result == kVOk; ++occurrence) {
    uint8_t type = 0;
    std::string bytes;
    result = OGTDBReadValue(record, item_, occurrence, handle, kMaxRowBytes, &type, &bytes);
    if (result == kVOk) rows->AppendRow(OGTDBFieldText(type, bytes, false));
  }
  if (result != kVOk) {
    ClearValue();
    return result;
  }
  if (rows->RowCount() == 0) {
    ClearValue();
    return kVOk;
  }
  if (ColumnCount() == 0) AddColumn("", columnWidth_, 0);
  SetRowData(rows.release(), true);
  SetTopRow(0, false);
  Invalidate();
  return kVOk;
}

void OGTDBFieldMV::ClearValue() {
  if (!IsBound()) return;
  SetRowData(nullptr, false);
  SetTopRow(0, false);
  Invalidate();
}
