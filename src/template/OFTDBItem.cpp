#include "template/OFTDBItem.h"

#include "gt/OGTDBField.h"
#include "gt/OGTDBFieldMV.h"
#include "gt/OGTDBHistoryList.h"
#include "gt/OGTDBImageField.h"
#include "gt/OGTDBList.h"
#include "template/OFTStatement.h"
#include "vtx/OGTDBStyleEdit.h"

namespace {

void SetShort(int16_t& field, const VString& value) {
  int32_t number = 0;
  if (NumberValue(value, number)) field = static_cast<int16_t>(number);
}

}  // namespace

bool OFTDBBoundItem::SetProperty(std::string_view name, const VString& value) {
  if (name == "DBItemNbr") {
    SetShort(itemNbr_, value);
    return true;
  }
  if (withOccurrence_ && name == "DBItemOcrNbr") {
    SetShort(ocrNbr_, value);
    return true;
  }
  return OFTItem::SetProperty(name, value);
}

void OFTDBBoundItem::Describe(std::string& out) const {
  OFTDescribeNumber(out, "DBItemNbr", itemNbr_);
  if (withOccurrence_) OFTDescribeNumber(out, "DBItemOcrNbr", ocrNbr_);
}

bool OFTDBFieldMV::SetProperty(std::string_view name, const VString& value) {
  if (name == "LineWidth") {
    SetShort(lineWidth_, value);
    return true;
  }
  if (name == "LineHeight") {
    SetShort(lineHeight_, value);
    return true;
  }
  return OFTDBBoundItem::SetProperty(name, value);
}

void OFTDBFieldMV::Describe(std::string& out) const {
  OFTDBBoundItem::Describe(out);
  OFTDescribeNumber(out, "LineWidth", lineWidth_);
  OFTDescribeNumber(out, "LineHeight", lineHeight_);
}

bool OFTDBHistoryList::SetProperty(std::string_view name, const VString& value) {
  if (name == "LineWidth") {
    SetShort(lineWidth_, value);
    return true;
  }
  if (name == "LineHeight") {
    SetShort(lineHeight_, value);
    return true;
  }
  return OFTItem::SetProperty(name, value);
}

void OFTDBHistoryList::Describe(std::string& out) const {
  OFTDescribeNumber(out, "LineWidth", lineWidth_);
  OFTDescribeNumber(out, "LineHeight", lineHeight_);
}

bool OFTDBList::SetProperty(std::string_view name, const VString& value) {
  if (name == "ActionScriptDoubleClick") {
    doubleClickScript_ = TextValue(value);
    return true;
  }
  if (name == "DBListLabel") {
    labels_.push_back(ParseDBListLabel(value));
    return true;
  }
  if (name == "ListLabelHeight") {
    NumberValue(value, labelHeight_);
    return true;
  }
  if (name == "ListLineHeight") {
    NumberValue(value, lineHeight_);
    return true;
  }
  return OFTItem::SetProperty(name, value);
}

void OFTDBList::Describe(std::string& out) const {
  OFTDescribeText(out, "ActionScriptDoubleClick", doubleClickScript_);
  OFTDescribeLabels(out, labels_);
  OFTDescribeNumber(out, "ListLabelHeight", labelHeight_);
  OFTDescribeNumber(out, "ListLineHeight", lineHeight_);
}

// ---- building ----

std::unique_ptr<OGTItem> OFTDBField::NewItem() const { return std::make_unique<OGTDBField>(); }

void OFTDBField::Configure(OGTItem& item) const {
  auto* field = dynamic_cast<OGTDBField*>(&item);
  if (field == nullptr) return;
  field->SetItemNumber(ItemNbr());
  field->SetOccurrence(OcrNbr());
}

std::unique_ptr<OGTItem> OFTDBFieldMV::NewItem() const { return std::make_unique<OGTDBFieldMV>(); }

void OFTDBFieldMV::Configure(OGTItem& item) const {
  auto* field = dynamic_cast<OGTDBFieldMV*>(&item);
  if (field == nullptr) return;
  field->SetItemNumber(ItemNbr());
  field->SetColumnWidth(lineWidth_ > 0 ? lineWidth_ : OGTDBFieldMV::kDefaultColumnWidth);
  if (lineHeight_ > 0) field->SetRowHeight(lineHeight_);
  field->SetHeaderHeight(0);
  field->ShowScrollBars(true, true);
}

std::unique_ptr<OGTItem> OFTDBStyleEdit::NewItem() const {
  return std::make_unique<OGTDBStyleEdit>();
}

void OFTDBStyleEdit::Configure(OGTItem& item) const {
  auto* field = dynamic_cast<OGTDBStyleEdit*>(&item);
  if (field == nullptr) return;
  field->SetItemNumber(ItemNbr());
  field->SetOccurrence(OcrNbr());
}

std::unique_ptr<OGTItem> OFTDBImageField::NewItem() const {
  return std::make_unique<OGTDBImageField>();
}

void OFTDBImageField::Configure(OGTItem& item) const {
  auto* field = dynamic_cast<OGTDBImageField*>(&item);
  if (field == nullptr) return;
  field->SetItemNumber(ItemNbr());
  field->SetOccurrence(OcrNbr());
}

std::unique_ptr<OGTItem> OFTDBHistoryList::NewItem() const {
  return std::make_unique<OGTDBHistoryList>();
}

void OFTDBHistoryList::Configure(OGTItem& item) const {
  auto* list = dynamic_cast<OGTDBHistoryList*>(&item);
  if (list == nullptr) return;
  list->SetStatementColumnWidth(lineWidth_ > 0 ? lineWidth_
                                               : OGTDBHistoryList::kDefaultStatementWidth);
  if (lineHeight_ > 0) list->SetRowHeight(lineHeight_);
  list->SetHeaderHeight(18);
  list->ShowScrollBars(true, true);
}

std::unique_ptr<OGTItem> OFTDBList::NewItem() const { return std::make_unique<OGTDBList>(); }

void OFTDBList::Configure(OGTItem& item) const {
  auto* list = dynamic_cast<OGTDBList*>(&item);
  if (list == nullptr) return;
  for (const OFTListLabel& label : labels_) {
    if (label.heading.IsEmpty()) continue;
    list->AddColumn(label.heading.CString(), static_cast<int16_t>(label.first), label.second);
  }
  list->SetHeaderHeight(labelHeight_);
  if (lineHeight_ > 0) list->SetRowHeight(lineHeight_);
  list->SetDoubleClickScript(doubleClickScript_.CString());
  // The corner shows that no search has run until the list is given a record set.
  list->Load(nullptr, {});
}
