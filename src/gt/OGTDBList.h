// A list of the records of a record set (kind 1002). It keeps no rows: each cell drawn reads its
// record from the engine (only the rows on screen are read). A column's binding gives the database
// item number in its low 16 bits and the occurrence in its high 16 bits (0 meaning 1). The corner
// cell shows where the set stands: "検索結果なし" without a set, "0" for an empty set, else the
// current row + 1, "/" and the count ("3/120"), or the count alone with no current row. Selection
// changes send event 41 and activation event 42, as every list does.
#pragma once

#include <string>
#include <vector>

#include "gt/OGTList.h"
#include "gt/OGTListData.h"

class OvRecordSet;

class OGTDBListData : public OGTListData {
 public:
  // The cell text is read into a buffer of this size.
  static constexpr size_t kMaxCell = 256;

  explicit OGTDBListData(OvRecordSet* set) : set_(set) {}
  // The set's count as last asked.
  int32_t RowCount() const override;
  // The set's current index, -1 without a set.
  int32_t CurrentRow() const override;
  void DrawCell(OGTContext* context, const OGTRect& cell, int32_t row, int32_t column,
                int32_t binding) override;

  // The text of one cell (what DrawCell draws).
  std::string CellText(int32_t row, int32_t binding) const;
  OvRecordSet* Set() const { return set_; }

 private:
  OvRecordSet* set_;
};

class OGTDBList : public OGTList {
 public:
  int32_t Kind() const override;
  void DrawCorner(OGTContext* context, const OGTRect& corner) override;

  // Drops the rows, scrolls to the top and shows the set (none: no rows); with records, row 0 is
  // selected. The corner widens with the count (60, 100 above 999, 140 above 999999). The find
  // words are copied, to be given back when a row is chosen.
  void Load(OvRecordSet* set, const std::vector<std::string>& findWords);
  // Selects and scrolls to the set's current index (or clears the selection).
  void SyncToSet(bool redraw);
  // The corner cell's text.
  std::string PositionText() const;

  OvRecordSet* Set() const { return set_; }
  const std::vector<std::string>& FindWords() const { return findWords_; }

 private:
  OvRecordSet* set_ = nullptr;
  std::vector<std::string> findWords_;
};
