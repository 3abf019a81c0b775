#include "gt/OGTRadioBtn.h"

#include "gt/OGTCompositItem.h"
#include "gt/OGTEvent.h"
#include "gt/imp/OGTImpFactory.h"

int32_t OGTRadioBtn::Kind() const { return kOGTKindRadioBtn; }

OGTItemImp* OGTRadioBtn::Create(int32_t variant, OGTCompositItem* parent) {
  OGTImpFactory* factory = OGTImpFactory::Current();
  return AdoptImp(variant, parent, factory ? factory->MakeRadioBtnImp(parent) : nullptr);
}

void OGTRadioBtn::OnEvent(OGTItem* item, int32_t code) {
  OGTCompositItem* parent = Parent();
  if (item == this && code == kOGTEventRadioPressed && group_ != 0 && parent != nullptr) {
    for (int32_t i = 0; i < parent->ChildCount(); ++i) {
      auto* other = dynamic_cast<OGTRadioBtn*>(parent->ChildAt(i));
      if (other == nullptr || other == this || other->group_ != group_) continue;
      int32_t value = 0;
      other->GetValue(value);
      if (value != 0) other->SetValue(0);
    }
  }
  OGTItem::OnEvent(item, code);
}
