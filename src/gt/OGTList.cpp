#include "gt/OGTList.h"

#include <algorithm>
#include <bit>
#include <cstdlib>
#include <limits>

#include "gt/OGTContext.h"
#include "gt/OGTCursor.h"
#include "gt/OGTEvent.h"
#include "gt/OGTListData.h"
#include "gt/OGTRegion.h"
#include "gt/OGTScrollBar.h"
#include "gt/imp/OGTImpFactory.h"

namespace {

constexpr int32_t kMaxWidth = 32767;

int32_t Saturate(int64_t value) {
  return static_cast<int32_t>(std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(),
                                                  std::numeric_limits<int32_t>::max()));
}

// Pixel containment: the right and bottom edges lie outside.
bool Inside(const OGTRect& rect, const OGTPoint& point) {
  return point.X() >= rect.Left() && point.X() < rect.Right() && point.Y() >= rect.Top() &&
         point.Y() < rect.Bottom();
}

void Fill(OGTContext* context, const OGTRect& rect, const OGTColor& color) {
  context->SetFillColor(color);
  context->FillRect(rect);
}

bool MarksAccumulate(int16_t mode) {
  return mode == OGTList::kMarkMany || mode == OGTList::kMarkColumnMany;
}

bool HasMarkColumn(int16_t mode) {
  return mode == OGTList::kMarkColumnSingle || mode == OGTList::kMarkColumnMany;
}

}  // namespace

bool OGTRowBits::Test(int32_t row) const {
  if (row < 0) return false;
  size_t word = static_cast<size_t>(row) / 64;
  return word < words_.size() && ((words_[word] >> (row % 64)) & 1) != 0;
}

void OGTRowBits::Set(int32_t row, bool flag) {
  if (row < 0) return;
  size_t word = static_cast<size_t>(row) / 64;
  if (word >= words_.size()) {
    if (!flag) return;
    words_.resize(word + 1, 0);
  }
  uint64_t bit = uint64_t{1} << (row % 64);
  if (flag) {
    words_[word] |= bit;
  } else {
    words_[word] &= ~bit;
  }
}

void OGTRowBits::SetFirst(int32_t count) {
  words_.clear();
  if (count <= 0) return;
  auto rows = static_cast<size_t>(count);
  words_.assign(rows / 64, ~uint64_t{0});
  if (rows % 64 != 0) words_.push_back((uint64_t{1} << (rows % 64)) - 1);
}

int32_t OGTRowBits::Count(int32_t limit) const {
  if (limit <= 0) return 0;
  auto rows = static_cast<size_t>(limit);
  int32_t count = 0;
  for (size_t word = 0; word < words_.size() && word * 64 < rows; ++word) {
    uint64_t bits = words_[word];
    size_t end = word * 64 + 64;
    if (end > rows) bits &= (uint64_t{1} << (rows % 64)) - 1;
    count += std::popcount(bits);
  }
  return count;
}

int32_t OGTRowBits::First(int32_t limit) const {
  for (size_t word = 0; word < words_.size(); ++word) {
    if (words_[word] == 0) continue;
    int64_t row = static_cast<int64_t>(word * 64) + std::countr_zero(words_[word]);
    return row < limit ? static_cast<int32_t>(row) : -1;
  }
  return -1;
}

OGTList::OGTList() = default;

OGTList::~OGTList() {
  resizeCursor_.reset();
  DropRowData();
}

int32_t OGTList::Kind() const { return kOGTKindList; }

OGTItemImp* OGTList::Create(int32_t variant, OGTCompositItem* parent) {
  // Bars made for an earlier implementation belong to its native object.
  ShowScrollBars(false, false);
  OGTImpFactory* factory = OGTImpFactory::Current();
  OGTItemImp* imp = AdoptImp(variant, parent, factory ? factory->MakeListImp(parent) : nullptr);
  ShowScrollBars(true, true);
  return imp;
}

void OGTList::SetPosition(int32_t x, int32_t y, bool redraw) {
  OGTCompositItem::SetPosition(x, y, redraw);
  LayoutScrollBars();
}

void OGTList::SetSize(int32_t width, int32_t height, bool redraw) {
  OGTCompositItem::SetSize(width, height, redraw);
  LayoutScrollBars();
  Layout();
}

void OGTList::RemoveChild(OGTItem* child) {
  if (child != nullptr && child == verticalBar_) verticalBar_ = nullptr;
  if (child != nullptr && child == horizontalBar_) horizontalBar_ = nullptr;
  OGTCompositItem::RemoveChild(child);
}

// Columns.

int32_t OGTList::ColumnCount() const { return static_cast<int32_t>(columns_.size()); }

const OGTListLabel* OGTList::Column(int32_t index) const {
  if (index < 0 || index >= ColumnCount()) return nullptr;
  return columns_[static_cast<size_t>(index)].get();
}

bool OGTList::GetColumn(int32_t index, VString& text, int16_t& width, int32_t& binding) const {
  text.Reset();
  width = 0;
  binding = 0;
  const OGTListLabel* label = Column(index);
  if (label == nullptr) return false;
  text = label->Text();
  width = label->Width();
  binding = label->Binding();
  return true;
}

void OGTList::AddColumn(const char* text, int16_t width, int32_t binding) {
  columns_.push_back(std::make_unique<OGTListLabel>(text, width, binding));
  Layout();
  Invalidate();
}

void OGTList::RemoveColumn(int32_t index) {
  if (Column(index) == nullptr) return;
  columns_.erase(columns_.begin() + index);
  Layout();
  Invalidate();
}

void OGTList::RemoveAllColumns() {
  columns_.clear();
  Layout();
  Invalidate();
}

void OGTList::SetColumn(int32_t index, const char* text, int16_t width, int32_t binding) {
  if (Column(index) == nullptr) return;
  OGTListLabel& label = *columns_[static_cast<size_t>(index)];
  label.SetText(text);
  label.SetWidth(width);
  label.SetBinding(binding);
  Layout();
  Invalidate();
}

void OGTList::SetColumnWidth(int32_t index, int16_t width) {
  if (Column(index) == nullptr) return;
  columns_[static_cast<size_t>(index)]->SetWidth(width);
  Layout();
  Invalidate();
}

void OGTList::WidenColumn(int32_t index, int32_t delta) {
  const OGTListLabel* label = Column(index);
  if (label == nullptr) return;
  int64_t width = std::clamp<int64_t>(int64_t{label->Width()} + delta, 0, kMaxWidth);
  SetColumnWidth(index, static_cast<int16_t>(width));
}

int32_t OGTList::ColumnLeft(int32_t index) const {
  OGTRect area;
  RowAreaRect(area);
  int64_t x = int64_t{area.Left()} - leftOffset_;
  for (int32_t i = 0; i < index && i < ColumnCount(); ++i)
    x += columns_[static_cast<size_t>(i)]->Width();
  return Saturate(x);
}

int32_t OGTList::ColumnsWidth() const {
  int64_t width = 0;
  for (const auto& label : columns_) width += label->Width();
  return Saturate(width);
}

int32_t OGTList::HeaderHeight() const { return headerHeight_; }

void OGTList::SetHeaderHeight(int32_t height) {
  headerHeight_ = std::max(height, 0);
  Layout();
  Invalidate();
}

// Rows.

int32_t OGTList::RowCount() const {
  return rowData_ != nullptr ? std::max(rowData_->RowCount(), 0) : 0;
}

OGTListData* OGTList::RowData() const { return rowData_; }

void OGTList::SetRowData(OGTListData* data, bool owned) {
  if (data != rowData_) {
    DropRowData();
    if (data != nullptr) {
      if (data->Owner() != nullptr) data->Owner()->ForgetRowData(data);
      data->SetOwner(this);
    }
    rowData_ = data;
  }
  ownsRowData_ = data != nullptr && owned;
  selection_.ClearAll();
  marks_.ClearAll();
  Layout();
  Invalidate();
}

void OGTList::DropRowData() {
  if (rowData_ == nullptr) return;
  OGTListData* old = rowData_;
  bool owned = ownsRowData_;
  rowData_ = nullptr;
  ownsRowData_ = false;
  old->SetOwner(nullptr);
  if (owned) delete old;
}

void OGTList::ForgetRowData(OGTListData* data) {
  if (data == nullptr || data != rowData_) return;
  rowData_ = nullptr;
  ownsRowData_ = false;
  selection_.ClearAll();
  marks_.ClearAll();
  Layout();
}

int32_t OGTList::RowHeight() const { return rowHeight_; }

void OGTList::SetRowHeight(int32_t height) {
  rowHeight_ = std::max(height, 0);
  Layout();
  Invalidate();
}

void OGTList::RowRect(int32_t row, OGTRect& rect) const {
  OGTRect area;
  RowAreaRect(area);
  int32_t top = Saturate(int64_t{area.Top()} + (int64_t{row} - topRow_) * rowHeight_);
  rect.Set(top, area.Left(), Saturate(int64_t{top} + rowHeight_), area.Right());
}

// Scrolling.

int32_t OGTList::VisibleRows() const {
  if (rowHeight_ <= 0) return 1;
  OGTRect area;
  RowAreaRect(area);
  return std::max(area.Height() / rowHeight_, 1);
}

int32_t OGTList::MaxTopRow() const { return std::max(RowCount() - VisibleRows(), 0); }

int32_t OGTList::MaxLeftOffset() const {
  OGTRect area;
  RowAreaRect(area);
  return std::max(ColumnsWidth() - area.Width(), 0);
}

int32_t OGTList::TopRow() const { return topRow_; }

void OGTList::SetTopRow(int32_t row, bool redraw) {
  row = std::clamp(row, 0, MaxTopRow());
  if (row == topRow_) return;
  topRow_ = row;
  UpdateScrollBars();
  if (redraw) RedrawRows();
}

void OGTList::ScrollToRow(int32_t row, bool redraw) {
  if (row < 0 || row >= RowCount()) return;
  int32_t visible = VisibleRows();
  if (row < topRow_) {
    SetTopRow(row, redraw);
  } else if (row - topRow_ >= visible) {
    SetTopRow(row - visible + 1, redraw);
  }
}

int32_t OGTList::LeftOffset() const { return leftOffset_; }

void OGTList::SetLeftOffset(int32_t offset, bool redraw) {
  offset = std::clamp(offset, 0, MaxLeftOffset());
  if (offset == leftOffset_) return;
  leftOffset_ = offset;
  UpdateScrollBars();
  if (redraw) Invalidate();
}

// Selection and marks.

bool OGTList::HasSelection() const { return FirstSelected() >= 0; }
int32_t OGTList::SelectedCount() const { return selection_.Count(RowCount()); }
int32_t OGTList::FirstSelected() const { return selection_.First(RowCount()); }

bool OGTList::IsSelected(int32_t row) const { return row < RowCount() && selection_.Test(row); }

void OGTList::SelectRow(int32_t row, bool select, bool notify) {
  if (row < 0 || row >= RowCount()) return;
  if (select) {
    if (!multipleSelection_) selection_.ClearAll();
    selection_.Set(row, true);
    if (notify) {
      ScrollToRow(row, true);
      UpdateScrollBars();
    }
  } else {
    selection_.Set(row, false);
  }
  RedrawRows();
}

void OGTList::SelectAll() {
  if (!multipleSelection_) return;
  selection_.SetFirst(RowCount());
  RedrawRows();
}

void OGTList::ClearSelection() {
  selection_.ClearAll();
  RedrawRows();
}

bool OGTList::MultipleSelection() const { return multipleSelection_; }
void OGTList::SetMultipleSelection(bool flag) { multipleSelection_ = flag; }

bool OGTList::HasMarks() const { return FirstMarked() >= 0; }
int32_t OGTList::MarkedCount() const { return marks_.Count(RowCount()); }
int32_t OGTList::FirstMarked() const { return marks_.First(RowCount()); }
bool OGTList::IsMarked(int32_t row) const { return row < RowCount() && marks_.Test(row); }

void OGTList::MarkRow(int32_t row, bool flag) {
  if (row < 0 || row >= RowCount()) return;
  if (flag && !MarksAccumulate(markMode_)) marks_.ClearAll();
  marks_.Set(row, flag);
  RedrawRows();
}

void OGTList::MarkAll() {
  if (!MarksAccumulate(markMode_)) return;
  marks_.SetFirst(RowCount());
  RedrawRows();
}

void OGTList::ClearMarks() {
  marks_.ClearAll();
  RedrawRows();
}

int16_t OGTList::MarkMode() const { return markMode_; }

void OGTList::SetMarkMode(int16_t mode) {
  markMode_ = mode;
  RedrawRows();
}

// Drawing.

void OGTList::Draw(OGTContext* context) {
  if (context == nullptr) return;
  OGTRect bounds;
  GetBounds(bounds);
  OGTClipScope clip(context);
  const OGTRect update = clip.Within(bounds);
  OGTFont font = OGTPredefinedFont(0);
  GetFont(font);
  context->SetFont(font);

  OGTRect header;
  HeaderRect(header);
  if (clip.ClipTo(header, update)) DrawHeader(context, header);
  if (!columns_.empty()) {
    OGTRect rest = header;
    // The last header cell is one unit wider than its column.
    rest.SetLeft(std::max(header.Left(), Saturate(int64_t{ColumnLeft(ColumnCount())} + 1)));
    if (clip.ClipTo(rest, update)) DrawHeaderRest(context, rest);
  }
  OGTRect corner;
  CornerRect(corner);
  if (clip.ClipTo(corner, update)) DrawCorner(context, corner);
  OGTRect area;
  RowAreaRect(area);
  if (clip.ClipTo(area, update)) {
    DrawRowBackground(context, area);
    if (rowData_ != nullptr && rowHeight_ > 0) DrawRows(context, clip, area, update);
  }
}

void OGTList::DrawRows(OGTContext* context, const OGTClipScope& clip, const OGTRect& area,
                       const OGTRect& update) {
  int32_t count = RowCount();
  for (int32_t row = topRow_; row < count; ++row) {
    OGTRect rect;
    RowRect(row, rect);
    if (rect.Top() >= area.Bottom()) break;
    OGTRect shown = rect;
    shown.Intersect(area);
    if (!clip.ClipTo(shown, update)) continue;
    rowData_->DrawRow(context, rect, row);
  }
}

void OGTList::DrawHeader(OGTContext* context, const OGTRect& header) {
  if (columns_.empty()) {
    Fill(context, header, kEmptyColor);
    return;
  }
  Fill(context, header, kHeaderColor);
  int32_t x = ColumnLeft(0);
  for (int32_t i = 0; i < ColumnCount(); ++i) {
    int32_t width = columns_[static_cast<size_t>(i)]->Width();
    OGTRect cell(header.Top(), x, header.Bottom(), Saturate(int64_t{x} + width + 1));
    if (cell.Left() >= header.Right()) break;
    if (cell.Right() > header.Left()) DrawHeaderCell(context, i, cell);
    x = Saturate(int64_t{x} + width);
  }
}

void OGTList::DrawHeaderCell(OGTContext* context, int32_t column, const OGTRect& cell) {
  const OGTListLabel* label = Column(column);
  if (label == nullptr) return;
  int32_t edge = cell.Right() - 1;
  OGTRect at = cell;
  at.Inset(1, 1);
  at.Offset(3, 0);
  // The heading stops before the separator rather than running into the next cell.
  if (at.Right() > edge) at.SetRight(edge);
  if (at.Right() > at.Left() && !label->Text().IsEmpty())
    context->DrawText(label->Text().View(), at);
  context->SetPenColor(kLineColor);
  context->DrawLine(OGTPoint(edge, cell.Top()), OGTPoint(edge, cell.Bottom()));
}

void OGTList::DrawHeaderRest(OGTContext* context, const OGTRect& rest) {
  Fill(context, rest, kEmptyColor);
}

void OGTList::DrawCorner(OGTContext* context, const OGTRect& corner) {
  Fill(context, corner, kHeaderColor);
  context->SetPenColor(kLineColor);
  context->FrameRect(corner);
}

void OGTList::DrawRowBackground(OGTContext* context, const OGTRect& area) {
  Fill(context, area, kBackColor);
}

void OGTList::RedrawRows() {
  OGTRect area;
  RowAreaRect(area);
  Invalidate(area);
}

// Scroll bars and layout.

OGTScrollBar* OGTList::VerticalBar() const { return verticalBar_; }
OGTScrollBar* OGTList::HorizontalBar() const { return horizontalBar_; }

void OGTList::ShowScrollBars(bool vertical, bool horizontal) {
  OGTScrollBar::Provide(*this, verticalBar_, vertical, OGTScrollBar::kVertical, true);
  OGTScrollBar::Provide(*this, horizontalBar_, horizontal, OGTScrollBar::kHorizontal, true);
  LayoutScrollBars();
  Layout();
  Invalidate();
}

void OGTList::LayoutScrollBars() {
  OGTRect bounds;
  GetBounds(bounds);
  int32_t vertical = OGTScrollBar::ThicknessOf(verticalBar_);
  int32_t horizontal = OGTScrollBar::ThicknessOf(horizontalBar_);
  if (verticalBar_ != nullptr) {
    verticalBar_->SetPosition(bounds.Right() - vertical, bounds.Top(), true);
    verticalBar_->SetSize(vertical, std::max(bounds.Height() - horizontal, 0), true);
  }
  if (horizontalBar_ != nullptr) {
    int32_t left = std::min(bounds.Left() + std::max(cornerWidth_, 0), bounds.Right() - vertical);
    horizontalBar_->SetPosition(left, bounds.Bottom() - horizontal, true);
    horizontalBar_->SetSize(std::max(bounds.Right() - vertical - left, 0), horizontal, true);
  }
}

void OGTList::UpdateScrollBars() {
  if (verticalBar_ != nullptr) verticalBar_->SetUp(MaxTopRow(), topRow_, 1, VisibleRows());
  if (horizontalBar_ != nullptr) {
    OGTRect area;
    RowAreaRect(area);
    horizontalBar_->SetUp(MaxLeftOffset(), leftOffset_, kColumnStep, std::max(area.Width(), 1));
  }
}

void OGTList::Layout() {
  topRow_ = std::clamp(topRow_, 0, MaxTopRow());
  leftOffset_ = std::clamp(leftOffset_, 0, MaxLeftOffset());
  UpdateScrollBars();
}

void OGTList::OnEvent(OGTItem* item, int32_t code) {
  if (item != nullptr && (item == verticalBar_ || item == horizontalBar_)) {
    OnScroll(static_cast<OGTScrollBar*>(item), code);
    return;
  }
  OGTCompositItem::OnEvent(item, code);
}

void OGTList::OnScroll(OGTScrollBar* bar, int32_t code) {
  if (bar == nullptr) return;
  bool vertical = bar == verticalBar_;
  int64_t current = vertical ? topRow_ : leftOffset_;
  int64_t target = current;
  if (!bar->TargetOf(code, current, target)) return;
  if (vertical) {
    SetTopRow(Saturate(target), true);
  } else {
    SetLeftOffset(Saturate(target), true);
  }
  UpdateScrollBars();  // the thumb follows even when the move was clamped
}

int32_t OGTList::CornerWidth() const { return cornerWidth_; }

void OGTList::SetCornerWidth(int32_t width) {
  cornerWidth_ = std::max(width, 0);
  LayoutScrollBars();
  Invalidate();
}

// Geometry.

void OGTList::HeaderRect(OGTRect& rect) const {
  OGTRect bounds;
  GetBounds(bounds);
  int32_t bottom = std::min(Saturate(int64_t{bounds.Top()} + headerHeight_), bounds.Bottom());
  int32_t right = std::max(bounds.Right() - OGTScrollBar::ThicknessOf(verticalBar_), bounds.Left());
  rect.Set(bounds.Top(), bounds.Left(), bottom, right);
}

void OGTList::RowAreaRect(OGTRect& rect) const {
  OGTRect bounds;
  GetBounds(bounds);
  int32_t top = std::min(Saturate(int64_t{bounds.Top()} + headerHeight_), bounds.Bottom());
  int32_t bottom = std::max(bounds.Bottom() - OGTScrollBar::ThicknessOf(horizontalBar_), top);
  int32_t right = std::max(bounds.Right() - OGTScrollBar::ThicknessOf(verticalBar_), bounds.Left());
  rect.Set(top, bounds.Left(), bottom, right);
}

void OGTList::CornerRect(OGTRect& rect) const {
  rect.Clear();
  if (cornerWidth_ <= 0 || horizontalBar_ == nullptr) return;
  OGTRect bounds;
  GetBounds(bounds);
  int32_t right = std::min(Saturate(int64_t{bounds.Left()} + cornerWidth_),
                           bounds.Right() - OGTScrollBar::ThicknessOf(verticalBar_));
  rect.Set(bounds.Bottom() - OGTScrollBar::ThicknessOf(horizontalBar_), bounds.Left(),
           bounds.Bottom(), right);
}

// Hit tests.

int32_t OGTList::RowAt(const OGTPoint& point) const {
  OGTRect area;
  RowAreaRect(area);
  if (rowHeight_ <= 0 || !Inside(area, point)) return -1;
  int64_t row = topRow_ + int64_t{point.Y() - area.Top()} / rowHeight_;
  return row < RowCount() ? static_cast<int32_t>(row) : -1;
}

int32_t OGTList::ColumnAt(const OGTPoint& point) const {
  int64_t x = ColumnLeft(0);
  for (int32_t i = 0; i < ColumnCount(); ++i) {
    int64_t right = x + columns_[static_cast<size_t>(i)]->Width();
    if (point.X() >= x && point.X() < right) return i;
    x = right;
  }
  return -1;
}

int32_t OGTList::ColumnBorderAt(const OGTPoint& point) const {
  OGTRect header;
  HeaderRect(header);
  if (point.Y() < header.Top() || point.Y() >= header.Bottom()) return -1;
  if (point.X() < header.Left() || point.X() > header.Right()) return -1;
  int32_t found = -1;
  int64_t nearest = kBorderSlop;
  int64_t edge = ColumnLeft(0);
  for (int32_t i = 0; i < ColumnCount(); ++i) {
    edge += columns_[static_cast<size_t>(i)]->Width();
    int64_t distance = std::abs(point.X() - edge);
    if (distance <= nearest) {
      found = i;
      nearest = distance;
    }
  }
  return found;
}

bool OGTList::IsBelowRows(const OGTPoint& point) const {
  OGTRect area;
  RowAreaRect(area);
  return Inside(area, point) && RowAt(point) < 0;
}

bool OGTList::InMarkColumn(const OGTPoint& point) const {
  if (!HasMarkColumn(markMode_) || columns_.empty()) return false;
  OGTRect area;
  RowAreaRect(area);
  return Inside(area, point) && ColumnAt(point) == 0;
}

// Mouse.

void OGTList::OnMouse(OGTEvent* event) {
  if (event == nullptr) return;
  switch (event->Type()) {
    case kOGTMouseDown:
      MouseDown(*event);
      break;
    case kOGTMouseMoved:
      if (press_ == Press::kResize) TrackColumnResize(*event);
      break;
    case kOGTMouseUp:
      MouseUp(*event);
      break;
    default:
      OGTCompositItem::OnMouse(event);
  }
}

void OGTList::MouseDown(const OGTEvent& event) {
  press_ = Press::kNone;
  const OGTPoint& point = event.Point();
  int32_t border = ColumnBorderAt(point);
  if (border >= 0 && event.Count() < 2) {
    BeginColumnResize(border, event);
    return;
  }
  OGTRect area;
  RowAreaRect(area);
  if (!Inside(area, point)) return;
  press_ = Press::kRows;
  int32_t row = RowAt(point);
  pressOnRow_ = row >= 0;
  if (event.Count() >= 2) return;  // the second press of a double click changes nothing
  if (row >= 0) {
    PressRow(row, event);
  } else {
    ClearSelection();
  }
}

void OGTList::MouseUp(const OGTEvent& event) {
  Press press = press_;
  press_ = Press::kNone;
  if (press == Press::kResize) {
    EndColumnResize(event);
  } else if (press == Press::kRows) {
    if (event.Count() >= 2 && pressOnRow_) {
      NotifyActivation();
    } else {
      NotifySelection();
    }
  }
}

void OGTList::PressRow(int32_t row, const OGTEvent& event) {
  bool toggle = multipleSelection_ && event.HasModifier(kOGTShift);
  bool selected = true;
  if (toggle) {
    selected = !IsSelected(row);
    SelectRow(row, selected, false);
  } else {
    selection_.ClearAll();
    SelectRow(row, true, false);
  }
  if (HasMarkColumn(markMode_) && InMarkColumn(event.Point())) {
    // The mark column works as a check box of its own, apart from the selection.
    MarkRow(row, !IsMarked(row));
  } else {
    MarkRow(row, selected);
  }
  ScrollToRow(row, true);
}

void OGTList::BeginColumnResize(int32_t column, const OGTEvent& event) {
  press_ = Press::kResize;
  resizeColumn_ = column;
  resizeStartX_ = event.Point().X();
  resizeLineX_ = resizeStartX_;
  resizeCursor_ = std::make_unique<OGTCursor>(kResizeCursor, true);
  DrawResizeLine(event.Context(), resizeLineX_);
}

void OGTList::TrackColumnResize(const OGTEvent& event) {
  int32_t x = event.Point().X();
  if (x == resizeLineX_) return;
  DrawResizeLine(event.Context(), resizeLineX_);
  resizeLineX_ = x;
  DrawResizeLine(event.Context(), resizeLineX_);
}

void OGTList::EndColumnResize(const OGTEvent& event) {
  DrawResizeLine(event.Context(), resizeLineX_);
  int32_t column = resizeColumn_;
  resizeColumn_ = -1;
  resizeCursor_.reset();
  WidenColumn(column, Saturate(int64_t{event.Point().X()} - resizeStartX_));
  RedrawRows();
}

void OGTList::DrawResizeLine(OGTContext* context, int32_t x) {
  if (context == nullptr) return;
  OGTRect bounds;
  GetBounds(bounds);
  // Drawn and erased under the same test, so a line outside the list is never half erased.
  if (x < bounds.Left() || x >= bounds.Right()) return;
  OGTRect header;
  HeaderRect(header);
  OGTRect area;
  RowAreaRect(area);
  int32_t mode = context->DrawMode();
  context->SetDrawMode(kOGTDrawInvert);
  context->DrawLine(OGTPoint(x, header.Top()), OGTPoint(x, area.Bottom()));
  context->SetDrawMode(mode);
}

// Keys.

int32_t OGTList::KeyTarget(uint16_t key) const {
  int32_t count = RowCount();
  if (count <= 0) return -1;
  int32_t last = count - 1;
  int32_t first = FirstSelected();
  int32_t page = VisibleRows();
  switch (key) {
    case kOGTKeyHome:
      return 0;
    case kOGTKeyEnd:
      return last;
    case kOGTKeyPageUp:
      return first < 0 ? last : std::max(first - page, 0);
    case kOGTKeyPageDown:
      if (first < 0) return 0;
      return first <= last - page ? first + page : last;
    case kOGTKeyArrowUp:
      if (first < 0) return last;
      return first == 0 ? -1 : first - 1;
    case kOGTKeyArrowDown:
      if (first < 0) return 0;
      return first == last ? -1 : first + 1;
    default:
      return -1;
  }
}

void OGTList::MoveSelectionTo(int32_t row) {
  selection_.ClearAll();
  selection_.Set(row, true);
  ScrollToRow(row, true);
  RedrawRows();
  NotifySelection();
}

void OGTList::OnKey(OGTEvent* event, bool& handled) {
  handled = false;
  if (event == nullptr || event->Type() != kOGTKeyDown) {
    OGTCompositItem::OnKey(event, handled);
    return;
  }
  uint16_t key = event->Key();
  switch (key) {
    case kOGTKeyEnter:
    case kOGTKeyReturn:
      handled = true;
      NotifyActivation();
      return;
    case kOGTKeyTab:
      handled = true;
      if (Parent() != nullptr) {
        Parent()->OnEvent(
            this, event->HasModifier(kOGTShift) ? kOGTEventFocusPrevious : kOGTEventFocusNext);
      }
      return;
    case kOGTKeyHome:
    case kOGTKeyEnd:
    case kOGTKeyPageUp:
    case kOGTKeyPageDown:
    case kOGTKeyArrowUp:
    case kOGTKeyArrowDown: {
      handled = true;
      int32_t target = KeyTarget(key);
      if (target >= 0) MoveSelectionTo(target);
      return;
    }
    default:
      OGTCompositItem::OnKey(event, handled);
  }
}

void OGTList::NotifySelection() {
  if (Parent() != nullptr) Parent()->OnEvent(this, kOGTEventSelection);
}

void OGTList::NotifyActivation() {
  if (Parent() != nullptr) Parent()->OnEvent(this, kOGTEventDoubleClick);
}

void OGTList::SetDoubleClickScript(const char* script) {
  if (script == nullptr) {
    doubleClickScript_.Reset();
  } else {
    doubleClickScript_ = script;
  }
}
