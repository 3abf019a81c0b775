#include "gt/OGTDBHistoryList.h"

#include "gt/OGTContext.h"
#include "gt/OGTEvent.h"
#include "gt/OGTTexts.h"
#include "gt/OvHistories.h"

int32_t OGTDBHistoryListData::RowCount() const {
  return history_ != nullptr ? history_->Count() : 0;
}

int32_t OGTDBHistoryListData::CurrentRow() const {
  return history_ != nullptr && history_->Count() > 0 ? history_->Position() : -1;
}

std::string OGTDBHistoryListData::CellText(int32_t row, int32_t column) const {
  const OvRecordSet* entry = history_ != nullptr ? history_->EntryAt(row) : nullptr;
  switch (column) {
    case 0:
      return entry != nullptr ? "#" + std::to_string(entry->SetID()) : "#";
    case 1:
      if (entry == nullptr) return "-";
      return entry->TypedText().empty() ? entry->Statement() : entry->TypedText();
    case 2:
      return entry != nullptr ? std::to_string(entry->StoredCount()) : "-";
    default:
      return std::string();
  }
}

void OGTDBHistoryListData::DrawCell(OGTContext* context, const OGTRect& cell, int32_t row,
                                    int32_t column, int32_t /*binding*/) {
  if (context == nullptr) return;
  OGTDrawCellText(context, cell, CellText(row, column));
}

int32_t OGTDBHistoryList::Kind() const { return kOGTKindDBHistoryList; }

void OGTDBHistoryList::SetStatementColumnWidth(int16_t width) {
  statementWidth_ = width;
  RemoveAllColumns();
  AddColumn(OGTText(kOGTTextSetId).c_str(), 60, 0);
  AddColumn(OGTText(kOGTTextStatement).c_str(), width, 0);
  AddColumn(OGTText(kOGTTextCount).c_str(), 60, 0);
}

void OGTDBHistoryList::Load(const OvRecSetHistory* history) {
  history_ = history;
  if (ColumnCount() == 0) SetStatementColumnWidth(statementWidth_);
  SetRowData(history != nullptr ? new OGTDBHistoryListData(history) : nullptr, true);
  const int32_t count = history != nullptr ? history->Count() : 0;
  if (count > 0) {
    SelectRow(history->Position(), true, true);
    ScrollToRow(history->Position(), false);
  }
  Layout();
  Invalidate();
}
