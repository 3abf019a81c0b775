#include "template/OFTForm.h"

#include "template/OFTStatement.h"

OFTForm::OFTForm() = default;
OFTForm::~OFTForm() = default;

uint32_t OFTForm::KindCode() const { return kKindCode; }

void OFTForm::Read(VStream& stream) { ReadBlock(stream, 0); }

void OFTForm::ReadBlock(VStream& stream, int32_t group) {
  VString name;
  VString value;
  for (;;) {
    int kind = ReadStatement(stream, name, value);
    if (kind == kOFTEndOfFile || kind == kOFTEndTag) return;
    if (kind == kOFTProperty) {
      // A group's own properties (a name, a frame) describe nothing the player builds.
      if (group == 0) SetProperty(name.View(), value);
    } else if (name == "RadioButtonGroup") {
      // Its end tag closes the group only; the form's later statements stay the form's.
      ReadBlock(stream, ++groupCount_);
    } else if (std::unique_ptr<OFTItem> item = OFTItem::Make(name.View())) {
      item->Read(stream);
      if (auto* radio = dynamic_cast<OFTRadioBtn*>(item.get())) radio->SetGroup(group);
      items_.push_back(std::move(item));
    }
  }
}

bool OFTForm::SetProperty(std::string_view name, const VString& value) {
  const struct {
    const char* keyword;
    int32_t* field;
  } numbers[] = {
      {"FormType", &formType_}, {"Type", &type_},    {"ID", &id_}, {"X", &x_}, {"Y", &y_},
      {"Width", &width_},       {"Height", &height_}};
  for (const auto& number : numbers) {
    if (name == number.keyword) {
      NumberValue(value, *number.field);
      return true;
    }
  }
  const struct {
    const char* keyword;
    uint8_t* field;
  } flags[] = {{"Visible", &visible_}, {"Active", &active_}, {"Enable", &enable_}};
  for (const auto& flag : flags) {
    if (name == flag.keyword) {
      int32_t number = 0;
      if (NumberValue(value, number)) *flag.field = number != 0 ? 1 : 0;
      return true;
    }
  }
  int32_t number = 0;
  if (name == "Name") {
    VString text = TextValue(value);
    SetName(text.CString(), static_cast<int32_t>(text.Length()));
  } else if (name == "Startup") {
    if (NumberValue(value, number)) startup_ = number == 1;
  } else if (name == "SearchName") {
    searchName_ = TextValue(value);
  } else if (name == "ImageName") {
    imageName_ = TextValue(value);
  } else if (name == "UpdateScript") {
    updateScript_ = TextValue(value);
  } else {
    return false;
  }
  return true;
}

const OFTItem* OFTForm::ItemAt(int32_t index) const {
  if (index < 0 || index >= ItemCount()) return nullptr;
  return items_[static_cast<size_t>(index)].get();
}
