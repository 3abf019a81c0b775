// The rows of a list. A list does not keep rows itself: it asks its row data how many rows there
// are and has it draw each visible row. OGTListData is the abstract source; the list that adopts
// it becomes its owner (and forgets it again when it lets it go). OGTListData_String holds one
// Shift-JIS text per row.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "base/VDataArray.h"
#include "base/VObj.h"

class OGTContext;
class OGTList;
class OGTRect;

// Draws a cell's text inset by one unit and moved 3 units right, clipped to the cell (within any
// clip already set, which is restored afterwards).
void OGTDrawCellText(OGTContext* context, const OGTRect& cell, std::string_view text);

class OGTListData : public VObj {
 public:
  OGTListData();
  ~OGTListData() override;
  OGTListData(const OGTListData&) = delete;
  OGTListData& operator=(const OGTListData&) = delete;

  // 0 by default.
  virtual int32_t RowCount() const;
  // The row the source itself calls current; -1 by default.
  virtual int32_t CurrentRow() const;
  // Draws each column's cell that meets the context's clip through DrawCell, then inverts the row
  // when the owner has it selected. Needs an owner.
  virtual void DrawRow(OGTContext* context, const OGTRect& rowRect, int32_t row);
  // Draws nothing by default.
  virtual void DrawCell(OGTContext* context, const OGTRect& cell, int32_t row, int32_t column,
                        int32_t binding);

  OGTList* Owner() const { return owner_; }
  void SetOwner(OGTList* owner) { owner_ = owner; }

 private:
  OGTList* owner_ = nullptr;
};

// Rows of plain texts. With one column the text fills that column; with two or more, column 1
// shows the text and column 0 the row's mark (a small filled square) when the owner's mark mode
// is not 0. A row text longer than kMaxRow bytes is cut back to a character boundary.
class OGTListData_String : public OGTListData {
 public:
  static constexpr size_t kMaxRow = 65534;

  int32_t RowCount() const override;
  // The owner's first selected row.
  int32_t CurrentRow() const override;
  void DrawCell(OGTContext* context, const OGTRect& cell, int32_t row, int32_t column,
                int32_t binding) override;

  void AppendRow(std::string_view text);
  // Null when the row does not exist.
  const char* RowText(int32_t row) const;
  void RemoveAllRows() { texts_.Reset(); }
  VStringArray& Texts() { return texts_; }

 private:
  VStringArray texts_;
};
