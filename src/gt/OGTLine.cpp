#include "gt/OGTLine.h"

#include "gt/OGTCompositItem.h"
#include "gt/OGTEvent.h"
#include "gt/imp/OGTImpFactory.h"

int32_t OGTLine::Kind() const { return kOGTKindLine; }

OGTItemImp* OGTLine::Create(int32_t variant, OGTCompositItem* parent) {
  OGTImpFactory* factory = OGTImpFactory::Current();
  return AdoptImp(variant, parent, factory ? factory->MakeLineImp(parent) : nullptr);
}
