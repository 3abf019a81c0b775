#include "gt/OGTPlane.h"

#include "gt/OGTCompositItem.h"
#include "gt/OGTEvent.h"
#include "gt/imp/OGTImpFactory.h"

OGTPlane::OGTPlane() = default;
OGTPlane::~OGTPlane() = default;

int32_t OGTPlane::Kind() const { return kOGTKindPlane; }

OGTItemImp* OGTPlane::Create(int32_t variant, OGTCompositItem* parent) {
  OGTImpFactory* factory = OGTImpFactory::Current();
  OGTItemImp* imp = AdoptImp(variant, parent, factory ? factory->MakePlaneImp(parent) : nullptr);
  if (imageName_) PassImageName();
  return imp;
}

void OGTPlane::SetImageName(const char* name) {
  if (name == nullptr || name[0] == 0) {
    imageName_.reset();
  } else {
    imageName_ = std::make_unique<VString>(name);
  }
  PassImageName();
}

void OGTPlane::PassImageName() {
  auto* plane = dynamic_cast<OGTPlaneImp*>(Imp());
  if (plane != nullptr && plane->Kind() == kOGTKindPlane) {
    plane->SetImage(imageName_ ? imageName_->CString() : nullptr);
  }
}
