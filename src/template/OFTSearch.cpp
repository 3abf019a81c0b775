#include "template/OFTSearch.h"

#include "template/OFTStatement.h"

uint32_t OFTSearch::KindCode() const { return kKindCode; }

void OFTSearch::Read(VStream& stream) {
  VString name;
  VString value;
  for (;;) {
    int kind = ReadStatement(stream, name, value);
    if (kind == kOFTEndOfFile || kind == kOFTEndTag) return;
    if (kind == kOFTProperty) SetProperty(name.View(), value);
  }
}

bool OFTSearch::SetProperty(std::string_view name, const VString& value) {
  if (name == "Name") {
    VString text = TextValue(value);
    SetName(text.CString(), static_cast<int32_t>(text.Length()));
  } else if (name == "DBFileNbr") {
    NumberValue(value, dbFileNbr_);
  } else if (name == "Statement") {
    statement_ = TextValue(value);
  } else {
    return false;
  }
  return true;
}
