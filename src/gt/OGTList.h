// The toolkit's multi-column list: a header row of labelled columns, a corner cell beside the
// horizontal scroll bar, and rows that a row-data object supplies and draws. The list draws itself
// through a drawing context, scrolls by whole rows (vertically) and by units (horizontally), keeps
// a row selection and a second set of row marks, lets the user resize columns with the mouse, and
// tells its parent about selection changes (event 41), activation (42) and focus moves (71, 72).
//
// Geometry, in window coordinates like every item's (the scroll bars too, although they are the
// list's children): the vertical scroll bar stands at the right edge, as high as the list less the
// horizontal bar; the horizontal bar runs along the bottom, right of the corner cell; the header
// runs along the top, as high as the header height, left of the vertical bar; the row area fills
// the rest. Rows are one row height apart from the top row down. Column x positions start at the
// row area's left edge shifted left by the left offset.
//
// Invariants: 0 <= top row <= max(0, rows - visible rows) and 0 <= left offset <= max(0, columns'
// width - row area width) after every operation that could move them; widths stay >= 0.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "gt/OGTCompositItem.h"
#include "gt/OGTGraphics.h"
#include "gt/OGTListLabel.h"

class OGTClipScope;
class OGTContext;
class OGTCursor;
class OGTEvent;
class OGTListData;
class OGTScrollBar;

// One bit per row, growing on demand; bits past the end read as clear.
class OGTRowBits {
 public:
  bool Test(int32_t row) const;
  void Set(int32_t row, bool flag);
  // Sets rows 0 .. count - 1 and clears the rest.
  void SetFirst(int32_t count);
  void ClearAll() { words_.clear(); }
  // Among rows 0 .. limit - 1.
  int32_t Count(int32_t limit) const;
  // The lowest set row below limit, or -1.
  int32_t First(int32_t limit) const;

 private:
  std::vector<uint64_t> words_;
};

class OGTList : public OGTCompositItem {
 public:
  // Mark modes: 0 marks the pressed row only; 2 lets marks accumulate; 129 and 130 add a mark
  // column (column 0) whose presses do not mark with the selection, 130 accumulating as 2 does.
  static constexpr int16_t kMarkSingle = 0;
  static constexpr int16_t kMarkMany = 2;
  static constexpr int16_t kMarkColumnSingle = 129;
  static constexpr int16_t kMarkColumnMany = 130;
  static constexpr int32_t kDefaultRowHeight = 15;
  // How close (in units) a press must come to a column's right edge to grab it.
  static constexpr int32_t kBorderSlop = 2;
  // Horizontal scrolling step of the scroll bar's arrows.
  static constexpr int32_t kColumnStep = 10;
  static constexpr int32_t kResizeCursor = 21;
  static constexpr OGTColor kEmptyColor = colorLightGray;
  static constexpr OGTColor kHeaderColor = colorPaleGray;
  static constexpr OGTColor kLineColor = colorGray;
  static constexpr OGTColor kBackColor = colorWhite;
  static constexpr OGTColor kMarkColor = colorBlue;

  OGTList();
  // Deletes the row data when the list owns it, and lets data it does not own forget it.
  ~OGTList() override;

  int32_t Kind() const override;
  // Makes the list's surface and, when the platform makes them, a vertical and a horizontal
  // scroll bar as children (shown and laid out).
  OGTItemImp* Create(int32_t variant, OGTCompositItem* parent) override;
  void SetPosition(int32_t x, int32_t y, bool redraw) override;
  void SetSize(int32_t width, int32_t height, bool redraw) override;
  // Header, header rest, corner, row background, then the visible rows, each part clipped to
  // itself and to the area being updated (the context's clip, or the list's bounds without one).
  void Draw(OGTContext* context) override;
  void OnMouse(OGTEvent* event) override;
  void OnKey(OGTEvent* event, bool& handled) override;
  // Events of its own scroll bars scroll the list; all others go up.
  void OnEvent(OGTItem* item, int32_t code) override;
  // Taking out one of the scroll bars makes the list forget it.
  void RemoveChild(OGTItem* child) override;
  using OGTCompositItem::IsMarked;

  virtual int32_t ColumnCount() const;
  // False (outputs emptied) when the column does not exist.
  virtual bool GetColumn(int32_t index, VString& text, int16_t& width, int32_t& binding) const;
  virtual void AddColumn(const char* text, int16_t width, int32_t binding);
  virtual void RemoveColumn(int32_t index);
  virtual void RemoveAllColumns();
  virtual void SetColumn(int32_t index, const char* text, int16_t width, int32_t binding);
  virtual void SetColumnWidth(int32_t index, int16_t width);
  // Adds delta to the width, which stays within 0 .. 32767.
  virtual void WidenColumn(int32_t index, int32_t delta);
  virtual int32_t HeaderHeight() const;
  // Negative heights count as 0.
  virtual void SetHeaderHeight(int32_t height);
  // The row data's count; 0 without data.
  virtual int32_t RowCount() const;
  virtual OGTListData* RowData() const;
  // Adopts the data (null for none); owned data is deleted when replaced or with the list. The
  // selection and the marks are cleared, since they described other rows.
  virtual void SetRowData(OGTListData* data, bool owned);
  virtual int32_t RowHeight() const;
  virtual void SetRowHeight(int32_t height);
  virtual int32_t TopRow() const;
  // Clamps to 0 .. max(0, rows - visible rows); redraws when asked and changed.
  virtual void SetTopRow(int32_t row, bool redraw);
  // Scrolls the least needed to show the row; nothing for a visible or non-existent row.
  virtual void ScrollToRow(int32_t row, bool redraw);
  virtual int32_t LeftOffset() const;
  // Clamps to 0 .. the widest offset the columns allow.
  virtual void SetLeftOffset(int32_t offset, bool redraw);
  virtual bool HasSelection() const;
  virtual int32_t SelectedCount() const;
  // -1 when none.
  virtual int32_t FirstSelected() const;
  virtual bool IsSelected(int32_t row) const;
  // Selecting clears the other rows first unless multiple selection is on; with notify the list
  // scrolls to the row and its vertical bar follows. Rows outside the data are ignored.
  virtual void SelectRow(int32_t row, bool select, bool notify);
  // Only with multiple selection.
  virtual void SelectAll();
  virtual void ClearSelection();
  virtual bool MultipleSelection() const;
  virtual void SetMultipleSelection(bool flag);
  virtual bool HasMarks() const;
  virtual int32_t MarkedCount() const;
  // -1 when none.
  virtual int32_t FirstMarked() const;
  virtual bool IsMarked(int32_t row) const;
  // Marking clears the other marks first unless the mark mode is 2 or 130.
  virtual void MarkRow(int32_t row, bool flag);
  // Only in the mark modes 2 and 130.
  virtual void MarkAll();
  virtual void ClearMarks();
  virtual int16_t MarkMode() const;
  virtual void SetMarkMode(int16_t mode);

  // Drawing parts; the context is clipped to the part's rectangle when they are called.
  virtual void DrawHeader(OGTContext* context, const OGTRect& header);
  virtual void DrawHeaderCell(OGTContext* context, int32_t column, const OGTRect& cell);
  // The part of the header right of the last column.
  virtual void DrawHeaderRest(OGTContext* context, const OGTRect& rest);
  virtual void DrawCorner(OGTContext* context, const OGTRect& corner);
  virtual void DrawRowBackground(OGTContext* context, const OGTRect& area);

  // Scroll bars and layout.
  // Makes or deletes the two bars (only when the platform makes scroll bars).
  virtual void ShowScrollBars(bool vertical, bool horizontal);
  virtual OGTScrollBar* VerticalBar() const;
  virtual OGTScrollBar* HorizontalBar() const;
  // Places the bars along the right and bottom edges.
  virtual void LayoutScrollBars();
  // A scroll bar event: 31 to 34 move by the bar's steps, 35 takes the bar's position.
  virtual void OnScroll(OGTScrollBar* bar, int32_t code);
  virtual int32_t CornerWidth() const;
  // The corner cell's width left of the horizontal bar (0, no corner, by default).
  virtual void SetCornerWidth(int32_t width);

  // Mouse tracking and hit tests (points in window coordinates).
  // The row under the point in the row area, or -1.
  virtual int32_t RowAt(const OGTPoint& point) const;
  // The column under the point's x in the row area or header, or -1.
  virtual int32_t ColumnAt(const OGTPoint& point) const;
  // The column whose right edge in the header lies within kBorderSlop of the point, or -1; of
  // columns sharing an edge the last one, so that a column of width 0 can be opened again.
  virtual int32_t ColumnBorderAt(const OGTPoint& point) const;
  // In the row area but below the last row.
  virtual bool IsBelowRows(const OGTPoint& point) const;
  // In column 0 of the row area while the mark mode is 129 or 130.
  virtual bool InMarkColumn(const OGTPoint& point) const;
  virtual void PressRow(int32_t row, const OGTEvent& event);
  virtual void BeginColumnResize(int32_t column, const OGTEvent& event);
  virtual void TrackColumnResize(const OGTEvent& event);
  virtual void EndColumnResize(const OGTEvent& event);
  // Whole rows that fit the row area, at least 1.
  virtual int32_t VisibleRows() const;
  virtual void HeaderRect(OGTRect& rect) const;
  virtual void RowAreaRect(OGTRect& rect) const;
  // Empty when the corner width is 0 or there is no horizontal bar.
  virtual void CornerRect(OGTRect& rect) const;
  // A vertical line through the header and the rows, drawn inverted (drawing it twice erases it).
  virtual void DrawResizeLine(OGTContext* context, int32_t x);
  // Gives the bars their ranges, steps and positions.
  virtual void UpdateScrollBars();
  // Clamps the scroll positions and updates the bars; call after the rows or sizes changed.
  virtual void Layout();
  virtual void RedrawRows();
  // Event 41 to the parent.
  virtual void NotifySelection();
  // Event 42 to the parent.
  virtual void NotifyActivation();

  const OGTListLabel* Column(int32_t index) const;
  // The window x of the column's left edge (the first column starts at the row area's left edge
  // less the left offset); index ColumnCount() gives the right edge of the last column.
  int32_t ColumnLeft(int32_t index) const;
  // The sum of the column widths.
  int32_t ColumnsWidth() const;
  // The rectangle of a row from the top row down, whether or not it lies inside the row area.
  void RowRect(int32_t row, OGTRect& rect) const;
  void SetDoubleClickScript(const char* script);
  const VString& DoubleClickScript() const { return doubleClickScript_; }
  // Called by row data that is being deleted while the list still refers to it.
  void ForgetRowData(OGTListData* data);

 private:
  enum class Press { kNone, kRows, kResize };

  void MouseDown(const OGTEvent& event);
  void MouseUp(const OGTEvent& event);
  void DrawRows(OGTContext* context, const OGTClipScope& clip, const OGTRect& area,
                const OGTRect& update);
  int32_t MaxTopRow() const;
  int32_t MaxLeftOffset() const;
  void MoveSelectionTo(int32_t row);
  // The row a navigation key moves to, or -1 when it moves nowhere.
  int32_t KeyTarget(uint16_t key) const;
  void DropRowData();

  std::vector<std::unique_ptr<OGTListLabel>> columns_;
  int32_t headerHeight_ = 0;
  OGTListData* rowData_ = nullptr;
  bool ownsRowData_ = false;
  int32_t rowHeight_ = kDefaultRowHeight;
  int32_t topRow_ = 0;
  int32_t leftOffset_ = 0;
  OGTRowBits selection_;
  bool multipleSelection_ = false;
  OGTRowBits marks_;
  int16_t markMode_ = kMarkSingle;
  OGTScrollBar* verticalBar_ = nullptr;
  OGTScrollBar* horizontalBar_ = nullptr;
  int32_t cornerWidth_ = 0;
  VString doubleClickScript_;

  Press press_ = Press::kNone;
  bool pressOnRow_ = false;
  int32_t resizeColumn_ = -1;
  int32_t resizeStartX_ = 0;
  int32_t resizeLineX_ = 0;
  std::unique_ptr<OGTCursor> resizeCursor_;
};
