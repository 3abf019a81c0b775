#include "gt/imp/OGTRegionImp.h"

#include "gt/OGTGraphics.h"

OGTRegionImp::OGTRegionImp() = default;
OGTRegionImp::~OGTRegionImp() = default;
void OGTRegionImp::Initialise() {}
void OGTRegionImp::CopyFrom(const OGTRegionImp&) {}
void OGTRegionImp::SetRect(const OGTRect&) {}
void OGTRegionImp::MakeEmpty() {}
void OGTRegionImp::CopyTo(OGTRegionImp&) const {}
void OGTRegionImp::GetBoundingBox(OGTRect& rect) const { rect.Clear(); }
void OGTRegionImp::Offset(int32_t, int32_t) {}
void OGTRegionImp::Inset(int32_t, int32_t) {}
void OGTRegionImp::UnionWith(const OGTRegionImp&) {}
void OGTRegionImp::IntersectWith(const OGTRegionImp&) {}
void OGTRegionImp::Subtract(const OGTRegionImp&) {}
bool OGTRegionImp::Equals(const OGTRegionImp&) const { return false; }
bool OGTRegionImp::OverlapsRect(const OGTRect&) const { return false; }
bool OGTRegionImp::ContainsPoint(const OGTPoint&) const { return false; }
bool OGTRegionImp::IsEmpty() const { return true; }
