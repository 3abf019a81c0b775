#include "gt/OGTCheckBox.h"

#include "gt/OGTCompositItem.h"
#include "gt/OGTEvent.h"
#include "gt/imp/OGTImpFactory.h"

int32_t OGTCheckBox::Kind() const { return kOGTKindCheckBox; }

OGTItemImp* OGTCheckBox::Create(int32_t variant, OGTCompositItem* parent) {
  OGTImpFactory* factory = OGTImpFactory::Current();
  return AdoptImp(variant, parent, factory ? factory->MakeCheckBoxImp(parent) : nullptr);
}
