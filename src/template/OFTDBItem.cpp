#include "template/OFTDBItem.h"

#include "template/OFTStatement.h"

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
