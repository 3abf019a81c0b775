#include "template/OFTItem.h"

#include <cstdio>

#include "base/VSjis.h"
#include "gt/OGTButton.h"
#include "gt/OGTCheckBox.h"
#include "gt/OGTCircle.h"
#include "gt/OGTField.h"
#include "gt/OGTItem.h"
#include "gt/OGTLabel.h"
#include "gt/OGTLine.h"
#include "gt/OGTList.h"
#include "gt/OGTPlane.h"
#include "gt/OGTRadioBtn.h"
#include "gt/OGTScrollBar.h"
#include "template/OFTDBItem.h"
#include "template/OFTStatement.h"

namespace {

constexpr std::string_view kLabelDelimiters = " \t,\"";

void SetFlag(uint8_t& flag, const VString& value) {
  int32_t number = 0;
  if (NumberValue(value, number)) flag = number != 0 ? 1 : 0;
}

int32_t NumberOrZero(VString& rest) {
  int32_t number = 0;
  VString token = NextToken(rest, kLabelDelimiters);
  if (!NumberValue(token, number)) number = 0;
  return number;
}

}  // namespace

OFTListLabel ParseListLabel(const VString& value) {
  VString rest(value);
  Trim(rest, "\"");
  OFTListLabel label;
  label.heading = NextToken(rest, kLabelDelimiters);
  label.first = NumberOrZero(rest);
  label.second = NumberOrZero(rest);
  return label;
}

OFTListLabel ParseDBListLabel(const VString& value) {
  VString rest(value);
  Trim(rest, "\"");
  OFTListLabel label;
  label.heading = NextToken(rest, kLabelDelimiters);
  label.first = NumberOrZero(rest);
  uint32_t low = static_cast<uint16_t>(NumberOrZero(rest));
  uint32_t high = static_cast<uint32_t>(NumberOrZero(rest));
  label.second = static_cast<int32_t>((high << 16) + low);
  return label;
}

OFTItem::OFTItem() = default;
OFTItem::~OFTItem() = default;

int32_t OFTItem::Kind() const { return -1; }

const char* OFTItem::Keyword() const { return ""; }

std::unique_ptr<OFTItem> OFTItem::Make(std::string_view keyword) {
  if (keyword == "Line") return std::make_unique<OFTLine>();
  if (keyword == "Plane") return std::make_unique<OFTPlane>();
  if (keyword == "Circle") return std::make_unique<OFTCircle>();
  if (keyword == "Label") return std::make_unique<OFTLabel>();
  if (keyword == "Field") return std::make_unique<OFTField>();
  if (keyword == "Button") return std::make_unique<OFTButton>();
  if (keyword == "RadioButton") return std::make_unique<OFTRadioBtn>();
  if (keyword == "CheckBox") return std::make_unique<OFTCheckBox>();
  if (keyword == "ScrollBar") return std::make_unique<OFTScrollBar>();
  if (keyword == "List") return std::make_unique<OFTList>();
  if (keyword == "DBField") return std::make_unique<OFTDBField>();
  if (keyword == "DBList") return std::make_unique<OFTDBList>();
  if (keyword == "DBMultiValueField") return std::make_unique<OFTDBFieldMV>();
  if (keyword == "DBStyleEdit") return std::make_unique<OFTDBStyleEdit>();
  if (keyword == "DBImageField") return std::make_unique<OFTDBImageField>();
  if (keyword == "DBHistoryList") return std::make_unique<OFTDBHistoryList>();
  return nullptr;
}

void OFTItem::Read(VStream& stream) {
  VString name;
  VString value;
  for (;;) {
    int kind = ReadStatement(stream, name, value);
    if (kind == kOFTEndOfFile || kind == kOFTEndTag) return;
    if (kind != kOFTProperty) continue;
    VString key(name);
    // A label entry meant for the other list kind is not applied: the next line of the file
    // takes its place as the property name, carrying the entry's value.
    while ((key == "ListLabel" && Kind() != 113) || (key == "DBListLabel" && Kind() != 121)) {
      key = ReadRestOfLine(stream);
    }
    SetProperty(key.View(), value);
  }
}

bool OFTItem::SetProperty(std::string_view name, const VString& value) {
  const struct {
    const char* keyword;
    int32_t* field;
  } numbers[] = {{"Type", &type_}, {"ID", &id_},       {"X", &x_},
                 {"Y", &y_},       {"Width", &width_}, {"Height", &height_}};
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
      SetFlag(*flag.field, value);
      return true;
    }
  }
  if (name == "Title") {
    VString title = TextValue(value);
    title_.reset(title.IsEmpty() ? nullptr : new VString(title));
    return true;
  }
  if (name == "ActionScript") {
    script_ = TextValue(value);
    return true;
  }
  return false;
}

std::unique_ptr<OGTItem> OFTItem::NewItem() const { return nullptr; }

void OFTItem::Configure(OGTItem&) const {}

void OFTItem::Describe(std::string&) const {}

// Plane

bool OFTPlane::SetProperty(std::string_view name, const VString& value) {
  if (name == "ImageName") {
    imageName_ = TextValue(value);
    return true;
  }
  return OFTItem::SetProperty(name, value);
}

std::unique_ptr<OGTItem> OFTPlane::NewItem() const { return std::make_unique<OGTPlane>(); }

void OFTPlane::Configure(OGTItem& item) const {
  auto* plane = dynamic_cast<OGTPlane*>(&item);
  if (plane != nullptr) plane->SetImageName(imageName_.CString());
}

void OFTPlane::Describe(std::string& out) const { OFTDescribeText(out, "ImageName", imageName_); }

// Button

bool OFTButton::SetProperty(std::string_view name, const VString& value) {
  if (name != "ImageName") return OFTItem::SetProperty(name, value);
  const uint8_t* bytes = value.Data();
  uint32_t length = value.Length();
  uint32_t start = 0;
  int index = 0;
  for (auto& image : images_) image.Reset();
  for (uint32_t i = 0; i <= length && index < 3;) {
    if (i == length || bytes[i] == ',') {
      VString piece(bytes + start, i - start);
      Trim(piece, " \t\"");
      Trim(piece, " \t");
      images_[index++] = piece;
      start = ++i;
    } else {
      i += static_cast<uint32_t>(VCharLength(bytes, length, i));
    }
  }
  return true;
}

std::unique_ptr<OGTItem> OFTButton::NewItem() const { return std::make_unique<OGTButton>(); }

void OFTButton::Configure(OGTItem& item) const {
  auto* button = dynamic_cast<OGTButton*>(&item);
  if (button == nullptr) return;
  button->SetImageNames(images_[0].CString(), images_[1].CString(), images_[2].CString());
}

void OFTButton::Describe(std::string& out) const {
  OFTDescribeText(out, "NormalImage", images_[0]);
  OFTDescribeText(out, "PressedImage", images_[1]);
  OFTDescribeText(out, "DisabledImage", images_[2]);
}

// Radio buttons and check boxes

bool OFTSwitchItem::SetProperty(std::string_view name, const VString& value) {
  if (name != "InitiallyOn") return OFTItem::SetProperty(name, value);
  SetFlag(initiallyOn_, value);
  return true;
}

void OFTSwitchItem::Configure(OGTItem& item) const {
  if (initiallyOn_ != 0) item.SetValue(1);
}

void OFTSwitchItem::Describe(std::string& out) const {
  OFTDescribeNumber(out, "InitiallyOn", initiallyOn_);
}

void OFTRadioBtn::Configure(OGTItem& item) const {
  OFTSwitchItem::Configure(item);
  if (auto* radio = dynamic_cast<OGTRadioBtn*>(&item)) radio->SetGroup(group_);
}

void OFTRadioBtn::Describe(std::string& out) const {
  OFTSwitchItem::Describe(out);
  if (group_ != 0) OFTDescribeNumber(out, "Group", group_);
}

// List

bool OFTList::SetProperty(std::string_view name, const VString& value) {
  if (name == "ListLabel") {
    labels_.push_back(ParseListLabel(value));
    return true;
  }
  return OFTItem::SetProperty(name, value);
}

std::unique_ptr<OGTItem> OFTList::NewItem() const { return std::make_unique<OGTList>(); }

// The heading entries become columns, as a database list's do; entries without heading text are
// skipped. Header and row heights stay the list's own.
void OFTList::Configure(OGTItem& item) const {
  auto* list = dynamic_cast<OGTList*>(&item);
  if (list == nullptr) return;
  for (const OFTListLabel& label : labels_) {
    if (label.heading.IsEmpty()) continue;
    list->AddColumn(label.heading.CString(), static_cast<int16_t>(label.first), label.second);
  }
}

void OFTList::Describe(std::string& out) const { OFTDescribeLabels(out, labels_); }

// The kinds without settings of their own

std::unique_ptr<OGTItem> OFTLine::NewItem() const { return std::make_unique<OGTLine>(); }

std::unique_ptr<OGTItem> OFTCircle::NewItem() const { return std::make_unique<OGTCircle>(); }

std::unique_ptr<OGTItem> OFTLabel::NewItem() const { return std::make_unique<OGTLabel>(); }

std::unique_ptr<OGTItem> OFTField::NewItem() const { return std::make_unique<OGTField>(); }

std::unique_ptr<OGTItem> OFTRadioBtn::NewItem() const { return std::make_unique<OGTRadioBtn>(); }

std::unique_ptr<OGTItem> OFTCheckBox::NewItem() const { return std::make_unique<OGTCheckBox>(); }

std::unique_ptr<OGTItem> OFTScrollBar::NewItem() const { return std::make_unique<OGTScrollBar>(); }

// Listings

void OFTDescribeNumber(std::string& out, const char* name, int64_t value) {
  out += ' ';
  out += name;
  out += '=';
  out += std::to_string(value);
}

void OFTDescribeText(std::string& out, const char* name, const VString& text) {
  out += ' ';
  out += name;
  out += "=\"";
  const uint8_t* bytes = text.Data();
  size_t length = text.Length();
  for (size_t i = 0; i < length;) {
    size_t n = VCharLength(bytes, length, i);
    uint8_t b = bytes[i];
    if (n == 2) {
      out.append(reinterpret_cast<const char*>(bytes + i), 2);
    } else if (b == '"' || b == '\\') {
      out += '\\';
      out += static_cast<char>(b);
    } else if (b == '\n') {
      out += "\\n";
    } else if (b == '\r') {
      out += "\\r";
    } else if (b == '\t') {
      out += "\\t";
    } else if (b < 32 || b == 0x7F) {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\x%02X", b);
      out += escape;
    } else {
      out += static_cast<char>(b);
    }
    i += n;
  }
  out += '"';
}

void OFTDescribeLabels(std::string& out, const std::vector<OFTListLabel>& labels) {
  for (const OFTListLabel& label : labels) {
    OFTDescribeText(out, "Label", label.heading);
    out += ',';
    out += std::to_string(label.first);
    out += ',';
    out += std::to_string(label.second);
  }
}
