#include "gt/OGTRadioBtn.h"

#include "gt/OGTCompositItem.h"
#include "gt/OGTEvent.h"
#include "gt/imp/OGTImpFactory.h"

int32_t OGTRadioBtn::Kind() const { return kOGTKindRadioBtn; }

OGTItemImp* OGTRadioBtn::Create(int32_t variant, OGTCompositItem* parent) {
  OGTImpFactory* factory = OGTImpFactory::Current();
  return AdoptImp(variant, parent, factory ? factory->MakeRadioBtnImp(parent) : nullptr);
}
