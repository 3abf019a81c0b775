// A region: a set of pixels built from rectangles, kept by a platform implementation made on first
// use. Without a factory a region stays empty. Region rectangles cover their left and top edges
// but not their right and bottom ones.
#pragma once

#include <memory>

#include "gt/OGTGraphics.h"

class OGTRegionImp;

class OGTRegion {
 public:
  OGTRegion();
  explicit OGTRegion(const OGTRect& rect);
  OGTRegion(const OGTRegion& other);
  OGTRegion& operator=(const OGTRegion& other);
  virtual ~OGTRegion();

  void MakeEmpty();
  // Cleared first, then filled by the implementation.
  void GetBounds(OGTRect& rect) const;
  void Union(const OGTRegion& other);
  void Union(const OGTRect& rect);
  void Intersect(const OGTRect& rect);
  // True when there is no implementation.
  bool IsEmpty() const;

  OGTRegionImp* Imp() const { return imp_.get(); }
  // The implementation, made and initialised when there is none yet (null without a factory).
  OGTRegionImp* MakeImp();

 private:
  std::unique_ptr<OGTRegionImp> imp_;
};
