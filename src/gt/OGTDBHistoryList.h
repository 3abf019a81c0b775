// A list of a form's record-set history (kind 1007): one row per entry, with the columns "集合ID"
// ("#" and the set ID, width 60), "検索条件" (the typed text, or the statement without one; width
// 150 unless set) and "件数" (the count, width 60). A row without an entry shows "-" in the second
// and third columns.
#pragma once

#include <string>

#include "gt/OGTList.h"
#include "gt/OGTListData.h"

class OvRecSetHistory;

class OGTDBHistoryListData : public OGTListData {
 public:
  explicit OGTDBHistoryListData(const OvRecSetHistory* history) : history_(history) {}
  int32_t RowCount() const override;
  // The history's position.
  int32_t CurrentRow() const override;
  void DrawCell(OGTContext* context, const OGTRect& cell, int32_t row, int32_t column,
                int32_t binding) override;
  std::string CellText(int32_t row, int32_t column) const;

 private:
  const OvRecSetHistory* history_;
};

class OGTDBHistoryList : public OGTList {
 public:
  static constexpr int16_t kDefaultStatementWidth = 150;

  int32_t Kind() const override;
  virtual int16_t StatementColumnWidth() const { return statementWidth_; }
  // Sets the three columns again.
  virtual void SetStatementColumnWidth(int16_t width);

  // Shows the history (null: no rows) and selects its current entry, or nothing when it is empty.
  void Load(const OvRecSetHistory* history);
  const OvRecSetHistory* History() const { return history_; }

 private:
  const OvRecSetHistory* history_ = nullptr;
  int16_t statementWidth_ = kDefaultStatementWidth;
};
