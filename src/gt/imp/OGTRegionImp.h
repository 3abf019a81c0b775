// Platform interface of a region: a set of pixels made of rectangles. A region rectangle covers
// its left and top edges but not its right and bottom ones, as the platform's regions do. The
// operations that take another region expect one made by the same platform side.
#pragma once

#include <cstdint>

class OGTPoint;
class OGTRect;

class OGTRegionImp {
 public:
  OGTRegionImp();
  virtual ~OGTRegionImp();
  OGTRegionImp(const OGTRegionImp&) = delete;
  OGTRegionImp& operator=(const OGTRegionImp&) = delete;

  // Makes the region empty and ready for use.
  virtual void Initialise();
  virtual void CopyFrom(const OGTRegionImp& other);
  virtual void SetRect(const OGTRect& rect);
  virtual void MakeEmpty();
  virtual void CopyTo(OGTRegionImp& other) const;
  // The smallest rectangle holding the region (all 0 for an empty region).
  virtual void GetBoundingBox(OGTRect& rect) const;
  virtual void Offset(int32_t dx, int32_t dy);
  // Shrinks the region by dx pixels at its left and right borders and dy at its top and bottom
  // borders; negative values grow it.
  virtual void Inset(int32_t dx, int32_t dy);
  virtual void UnionWith(const OGTRegionImp& other);
  virtual void IntersectWith(const OGTRegionImp& other);
  virtual void Subtract(const OGTRegionImp& other);
  virtual bool Equals(const OGTRegionImp& other) const;
  // True when any part of the rectangle lies in the region.
  virtual bool OverlapsRect(const OGTRect& rect) const;
  virtual bool ContainsPoint(const OGTPoint& point) const;
  virtual bool IsEmpty() const;
};
