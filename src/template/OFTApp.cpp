#include "template/OFTApp.h"

#include <memory>

#include "template/OFTForm.h"
#include "template/OFTSearch.h"
#include "template/OFTStatement.h"

uint32_t OFTApp::KindCode() const { return kKindCode; }

void OFTApp::Read(VStream& stream) {
  VString name;
  VString value;
  for (;;) {
    int kind = ReadStatement(stream, name, value);
    if (kind == kOFTEndOfFile || kind == kOFTEndTag) return;
    if (kind == kOFTProperty) {
      SetProperty(name.View(), value);
    } else if (name == "Form") {
      auto form = std::make_unique<OFTForm>();
      form->Read(stream);
      forms_.Add(std::move(form), true);
    } else if (name == "Search") {
      auto search = std::make_unique<OFTSearch>();
      search->Read(stream);
      searches_.Add(std::move(search), true);
    }
  }
}

bool OFTApp::SetProperty(std::string_view name, const VString& value) {
  if (name == "Name") {
    VString text = TextValue(value);
    SetName(text.CString(), static_cast<int32_t>(text.Length()));
    return true;
  }
  if (name == "Startup") {
    int32_t number = 0;
    if (NumberValue(value, number)) startup_ = number == 1;
    return true;
  }
  return false;
}

OFTForm* OFTApp::FormAt(int32_t index) const {
  return dynamic_cast<OFTForm*>(forms_.NamedAt(index));
}

OFTForm* OFTApp::FindForm(const char* name) const {
  return dynamic_cast<OFTForm*>(forms_.FindByName(name));
}

OFTSearch* OFTApp::SearchAt(int32_t index) const {
  return dynamic_cast<OFTSearch*>(searches_.NamedAt(index));
}

OFTSearch* OFTApp::FindSearch(const char* name) const {
  return dynamic_cast<OFTSearch*>(searches_.FindByName(name));
}
