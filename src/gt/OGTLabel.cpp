#include "gt/OGTLabel.h"

#include "gt/OGTCompositItem.h"
#include "gt/OGTEvent.h"
#include "gt/imp/OGTImpFactory.h"

int32_t OGTLabel::Kind() const { return kOGTKindLabel; }

OGTItemImp* OGTLabel::Create(int32_t variant, OGTCompositItem* parent) {
  OGTImpFactory* factory = OGTImpFactory::Current();
  return AdoptImp(variant, parent, factory ? factory->MakeLabelImp(parent) : nullptr);
}
