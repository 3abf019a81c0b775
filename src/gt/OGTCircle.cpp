#include "gt/OGTCircle.h"

#include "gt/OGTCompositItem.h"
#include "gt/OGTEvent.h"
#include "gt/imp/OGTImpFactory.h"

int32_t OGTCircle::Kind() const { return kOGTKindCircle; }

OGTItemImp* OGTCircle::Create(int32_t variant, OGTCompositItem* parent) {
  OGTImpFactory* factory = OGTImpFactory::Current();
  return AdoptImp(variant, parent, factory ? factory->MakeCircleImp(parent) : nullptr);
}
