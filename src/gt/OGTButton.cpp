#include "gt/OGTButton.h"

#include "gt/OGTCompositItem.h"
#include "gt/OGTEvent.h"
#include "gt/imp/OGTImpFactory.h"

namespace {

std::unique_ptr<VString> NameOrNothing(const char* name) {
  if (name == nullptr || name[0] == 0) return nullptr;
  return std::make_unique<VString>(name);
}

void CopyName(const std::unique_ptr<VString>& name, VString& out) {
  out.Reset();
  if (name) out = *name;
}

const char* CStringOrNull(const std::unique_ptr<VString>& name) {
  return name ? name->CString() : nullptr;
}

}  // namespace

OGTButton::OGTButton() = default;
OGTButton::~OGTButton() = default;

int32_t OGTButton::Kind() const { return kOGTKindButton; }

OGTItemImp* OGTButton::Create(int32_t variant, OGTCompositItem* parent) {
  OGTImpFactory* factory = OGTImpFactory::Current();
  OGTItemImp* imp = AdoptImp(variant, parent, factory ? factory->MakeButtonImp(parent) : nullptr);
  if (normalImage_ || pressedImage_ || disabledImage_) PassImageNames();
  return imp;
}

OGTButtonImp* OGTButton::ButtonImp() const {
  auto* button = dynamic_cast<OGTButtonImp*>(Imp());
  return button != nullptr && button->Kind() == kOGTKindButton ? button : nullptr;
}

void OGTButton::SetDefault(bool flag) {
  if (OGTButtonImp* button = ButtonImp()) button->SetDefault(flag);
}

bool OGTButton::IsDefault() const {
  OGTButtonImp* button = ButtonImp();
  return button != nullptr && button->IsDefault();
}

void OGTButton::GetImageNames(VString& normal, VString& pressed, VString& disabled) const {
  CopyName(normalImage_, normal);
  CopyName(pressedImage_, pressed);
  CopyName(disabledImage_, disabled);
}

void OGTButton::SetImageNames(const char* normal, const char* pressed, const char* disabled) {
  normalImage_ = NameOrNothing(normal);
  pressedImage_ = NameOrNothing(pressed);
  disabledImage_ = NameOrNothing(disabled);
  PassImageNames();
}

void OGTButton::PassImageNames() {
  if (OGTButtonImp* button = ButtonImp()) {
    button->SetImages(CStringOrNull(normalImage_), CStringOrNull(pressedImage_),
                      CStringOrNull(disabledImage_));
  }
}
