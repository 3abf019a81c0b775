#include "gt/OGTDBList.h"

#include "db/engine/VDBHandle.h"
#include "db/schema/VRecord.h"
#include "gt/OGTContext.h"
#include "gt/OGTDBValue.h"
#include "gt/OGTEvent.h"
#include "gt/OGTTexts.h"
#include "gt/OvRecordSet.h"

// ---- rows of a record set ----

int32_t OGTDBListData::RowCount() const { return set_ != nullptr ? set_->StoredCount() : 0; }

int32_t OGTDBListData::CurrentRow() const { return set_ != nullptr ? set_->Current() : -1; }

std::string OGTDBListData::CellText(int32_t row, int32_t binding) const {
  if (set_ == nullptr) return std::string();
  const int32_t item = binding & 0xFFFF;
  int32_t occurrence = (binding >> 16) & 0xFFFF;
  if (occurrence == 0) occurrence = 1;
  VRecord record;
  uint32_t r = 0;
  // Each cell reads its record: the engine's cache keeps this cheap, and nothing goes stale.
  if (set_->ReadAt(row, &r, &record) != kVOk) return std::string();
  uint8_t type = 0;
  std::string bytes;
  if (OGTDBReadValue(record, item, occurrence, set_->Handle(), kMaxCell - 1, &type, &bytes) !=
      kVOk) {
    return std::string();
  }
  return OGTDBCellText(type, bytes);
}

void OGTDBListData::DrawCell(OGTContext* context, const OGTRect& cell, int32_t row,
                             int32_t /*column*/, int32_t binding) {
  if (context == nullptr) return;
  OGTDrawCellText(context, cell, CellText(row, binding));
}

// ---- the list ----

int32_t OGTDBList::Kind() const { return kOGTKindDBList; }

std::string OGTDBList::PositionText() const {
  if (RowData() == nullptr || set_ == nullptr) return OGTText(kOGTTextNoResult);
  const int32_t count = set_->StoredCount();
  if (count <= 0) return "0";
  const int32_t row = FirstSelected();
  if (row < 0) return std::to_string(count);
  return std::to_string(row + 1) + "/" + std::to_string(count);
}

void OGTDBList::DrawCorner(OGTContext* context, const OGTRect& corner) {
  OGTList::DrawCorner(context, corner);
  if (context == nullptr) return;
  context->SetFont(OGTFont());
  context->SetPenColor(colorBlack);
  OGTDrawCellText(context, corner, PositionText());
}

void OGTDBList::Load(OvRecordSet* set, const std::vector<std::string>& findWords) {
  findWords_ = findWords;
  set_ = set;
  SetRowData(nullptr, false);
  SetTopRow(0, false);
  const int32_t count = set != nullptr ? set->StoredCount() : 0;
  SetCornerWidth(count > 999999 ? 140 : count > 999 ? 100 : 60);
  if (set != nullptr) {
    SetRowData(new OGTDBListData(set), true);
    if (count > 0) SelectRow(0, true, false);
  }
  Layout();
  Invalidate();
}

void OGTDBList::SyncToSet(bool redraw) {
  const int32_t current = set_ != nullptr ? set_->Current() : -1;
  if (current >= 0 && current < RowCount()) {
    SelectRow(current, true, true);
    ScrollToRow(current, false);
  } else {
    ClearSelection();
  }
  if (redraw) Invalidate();
}
