#include "gt/OGTRegion.h"

#include "gt/imp/OGTImpFactory.h"

namespace {

std::unique_ptr<OGTRegionImp> NewRegionImp() {
  OGTImpFactory* factory = OGTImpFactory::Current();
  std::unique_ptr<OGTRegionImp> imp = factory ? factory->MakeRegionImp() : nullptr;
  if (imp) imp->Initialise();
  return imp;
}

}  // namespace

OGTRegion::OGTRegion() = default;

OGTRegion::OGTRegion(const OGTRect& rect) {
  if (OGTRegionImp* imp = MakeImp()) imp->SetRect(rect);
}

OGTRegion::OGTRegion(const OGTRegion& other) { *this = other; }

OGTRegion& OGTRegion::operator=(const OGTRegion& other) {
  if (this == &other) return *this;
  if (!other.imp_) {
    MakeEmpty();
  } else if (OGTRegionImp* imp = MakeImp()) {
    imp->CopyFrom(*other.imp_);
  }
  return *this;
}

OGTRegion::~OGTRegion() = default;

OGTRegionImp* OGTRegion::MakeImp() {
  if (!imp_) imp_ = NewRegionImp();
  return imp_.get();
}

void OGTRegion::MakeEmpty() {
  if (imp_) imp_->MakeEmpty();
}

void OGTRegion::GetBounds(OGTRect& rect) const {
  rect.Clear();
  if (imp_) imp_->GetBoundingBox(rect);
}

void OGTRegion::Union(const OGTRegion& other) {
  if (!other.imp_) return;
  if (OGTRegionImp* imp = MakeImp()) imp->UnionWith(*other.imp_);
}

void OGTRegion::Union(const OGTRect& rect) {
  OGTRegion other(rect);
  Union(other);
}

void OGTRegion::Intersect(const OGTRect& rect) {
  if (!imp_) return;  // already empty
  OGTRegion other(rect);
  if (other.imp_) imp_->IntersectWith(*other.imp_);
}

bool OGTRegion::IsEmpty() const { return !imp_ || imp_->IsEmpty(); }
