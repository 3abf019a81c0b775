#include "template/OFTDBItem.h"

#include "template/OFTStatement.h"

namespace {

void SetShort(int16_t& field, const VString& value) {
  int32_t number = 0;
  if (NumberValue(value, number)) field = static_cast<int16_t>(number);
}

}  // namespace

bool OFTDBBinding::SetProperty(std::string_view name, const VString& value, bool withOccurrence) {
  if (name == "DBItemNbr") {
    SetShort(itemNbr, value);
    return true;
  }
  if (withOccurrence && name == "DBItemOcrNbr") {
    SetShort(ocrNbr, value);
    return true;
  }
  return false;
}

void OFTDBBinding::Describe(std::string& out, bool withOccurrence) const {
  OFTDescribeNumber(out, "DBItemNbr", itemNbr);
  if (withOccurrence) OFTDescribeNumber(out, "DBItemOcrNbr", ocrNbr);
}

bool OFTDBField::SetProperty(std::string_view name, const VString& value) {
  return binding_.SetProperty(name, value, true) || OFTItem::SetProperty(name, value);
}

void OFTDBField::Describe(std::string& out) const { binding_.Describe(out, true); }

bool OFTDBFieldMV::SetProperty(std::string_view name, const VString& value) {
  if (name == "LineWidth") {
    SetShort(lineWidth_, value);
    return true;
  }
  if (name == "LineHeight") {
    SetShort(lineHeight_, value);
    return true;
  }
  return binding_.SetProperty(name, value, false) || OFTItem::SetProperty(name, value);
}

void OFTDBFieldMV::Describe(std::string& out) const {
  binding_.Describe(out, false);
  OFTDescribeNumber(out, "LineWidth", lineWidth_);
  OFTDescribeNumber(out, "LineHeight", lineHeight_);
}

bool OFTDBStyleEdit::SetProperty(std::string_view name, const VString& value) {
  return binding_.SetProperty(name, value, true) || OFTItem::SetProperty(name, value);
}

void OFTDBStyleEdit::Describe(std::string& out) const { binding_.Describe(out, true); }

bool OFTDBImageField::SetProperty(std::string_view name, const VString& value) {
  return binding_.SetProperty(name, value, true) || OFTItem::SetProperty(name, value);
}

void OFTDBImageField::Describe(std::string& out) const { binding_.Describe(out, true); }

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
