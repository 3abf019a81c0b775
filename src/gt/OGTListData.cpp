#include "gt/OGTListData.h"

#include <cstring>

#include "base/VSjis.h"
#include "gt/OGTContext.h"
#include "gt/OGTList.h"
#include "gt/OGTRegion.h"

namespace {

// Pixel overlap of two rectangles whose right and bottom edges lie outside.
bool Meets(const OGTRect& a, const OGTRect& b) {
  return a.Left() < b.Right() && b.Left() < a.Right() && a.Top() < b.Bottom() &&
         b.Top() < a.Bottom();
}

}  // namespace

OGTListData::OGTListData() = default;

OGTListData::~OGTListData() {
  if (owner_ != nullptr) owner_->ForgetRowData(this);
}

int32_t OGTListData::RowCount() const { return 0; }
int32_t OGTListData::CurrentRow() const { return -1; }

void OGTListData::DrawRow(OGTContext* context, const OGTRect& rowRect, int32_t row) {
  if (owner_ == nullptr || context == nullptr) return;
  OGTRegion clipRegion;
  context->GetClip(clipRegion);
  OGTRect clip = rowRect;
  if (!clipRegion.IsEmpty()) clipRegion.GetBounds(clip);
  int32_t x = owner_->ColumnLeft(0);
  for (int32_t column = 0; column < owner_->ColumnCount(); ++column) {
    const OGTListLabel* label = owner_->Column(column);
    OGTRect cell(rowRect.Top(), x, rowRect.Bottom(), x + label->Width());
    if (cell.Left() >= clip.Right()) break;
    if (Meets(cell, clip)) DrawCell(context, cell, row, column, label->Binding());
    x += label->Width();
  }
  if (owner_->IsSelected(row)) context->InvertRect(rowRect);
}

void OGTListData::DrawCell(OGTContext*, const OGTRect&, int32_t, int32_t, int32_t) {}

int32_t OGTListData_String::RowCount() const { return texts_.Count(); }

int32_t OGTListData_String::CurrentRow() const {
  return Owner() != nullptr ? Owner()->FirstSelected() : -1;
}

void OGTListData_String::DrawCell(OGTContext* context, const OGTRect& cell, int32_t row,
                                  int32_t column, int32_t /*binding*/) {
  OGTList* list = Owner();
  if (list == nullptr || context == nullptr) return;
  bool textColumn = list->ColumnCount() == 1 ? column == 0 : column == 1;
  if (textColumn) {
    const char* text = RowText(row);
    if (text == nullptr) return;
    OGTRect at = cell;
    at.Inset(1, 1);
    at.Offset(3, 0);
    context->DrawText(text, std::strlen(text), at);
  } else if (column == 0 && list->MarkMode() != 0 && list->IsMarked(row)) {
    OGTRect square = cell;
    square.Inset(3, 3);
    square.SetRight(square.Left() + 5);
    context->SetFillColor(OGTList::kMarkColor);
    context->FillRect(square);
  }
}

void OGTListData_String::AppendRow(std::string_view text) {
  size_t length = text.size();
  if (length > kMaxRow) {
    length = kMaxRow;
    const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
    if (!VIsCharBoundary(bytes, text.size(), length)) --length;
  }
  texts_.AppendString(text.data(), static_cast<uint16_t>(length));
}

const char* OGTListData_String::RowText(int32_t row) const { return texts_.StringAt(row); }

void OGTDrawCellText(OGTContext* context, const OGTRect& cell, std::string_view text) {
  if (context == nullptr || text.empty()) return;
  OGTRegion saved;
  context->GetClip(saved);
  OGTRect clip = cell;
  if (!saved.IsEmpty()) {
    OGTRect outer;
    saved.GetBounds(outer);
    clip.Intersect(outer);
  }
  if (clip.IsEmpty(true)) return;
  context->SetClip(OGTRegion(clip));
  OGTRect at = cell;
  at.Inset(1, 1);
  at.Offset(3, 0);
  context->DrawText(text, at);
  if (saved.IsEmpty()) {
    context->ClearClip();
  } else {
    context->SetClip(saved);
  }
}
