#include <gtest/gtest.h>

#include <memory>

#include "gt/imp/headless/OGTHeadlessContextImp.h"

namespace {

using Owned = std::unique_ptr<OGTHeadlessRegionImp>;

Owned Region(std::initializer_list<OGTRect> rects) {
  auto region = std::make_unique<OGTHeadlessRegionImp>();
  OGTHeadlessRegionImp one;
  for (const OGTRect& rect : rects) {
    one.SetRect(rect);
    region->UnionWith(one);
  }
  return region;
}

int64_t Area(const OGTHeadlessRegionImp& region) {
  int64_t area = 0;
  for (const OGTRect& r : region.Rects()) area += int64_t{r.Width()} * r.Height();
  return area;
}

TEST(OGTHeadlessRegion, UnionCountsSharedPixelsOnce) {
  Owned region = Region({OGTRect(0, 0, 10, 10), OGTRect(5, 5, 15, 15)});
  EXPECT_EQ(Area(*region), 175);
  EXPECT_TRUE(region->ContainsPoint(OGTPoint(0, 0)));
  EXPECT_TRUE(region->ContainsPoint(OGTPoint(14, 14)));
  EXPECT_FALSE(region->ContainsPoint(OGTPoint(15, 14)));  // right edge outside
  EXPECT_FALSE(region->ContainsPoint(OGTPoint(12, 2)));   // in the bounding box, not the region
  OGTRect box;
  region->GetBoundingBox(box);
  EXPECT_EQ(box, OGTRect(0, 0, 15, 15));
  EXPECT_TRUE(region->OverlapsRect(OGTRect(9, 9, 20, 20)));
  EXPECT_FALSE(region->OverlapsRect(OGTRect(0, 10, 5, 20)));  // touches only the edge

  // The same pixels built another way are equal.
  Owned other = Region({OGTRect(0, 0, 5, 10), OGTRect(5, 0, 10, 15), OGTRect(10, 5, 15, 15)});
  EXPECT_TRUE(region->Equals(*other));
  other->Offset(1, 0);
  EXPECT_FALSE(region->Equals(*other));
}

TEST(OGTHeadlessRegion, IntersectionAndDifference) {
  Owned ring = Region({OGTRect(0, 0, 30, 30)});
  Owned hole = Region({OGTRect(10, 10, 20, 20)});
  ring->Subtract(*hole);
  EXPECT_EQ(Area(*ring), 800);
  EXPECT_FALSE(ring->ContainsPoint(OGTPoint(15, 15)));
  EXPECT_FALSE(ring->OverlapsRect(OGTRect(11, 11, 19, 19)));

  Owned band = Region({OGTRect(12, 0, 18, 30)});
  band->IntersectWith(*ring);
  EXPECT_EQ(Area(*band), 120);  // the band less the hole
  band->IntersectWith(*Region({}));
  EXPECT_TRUE(band->IsEmpty());
  band->SetRect(OGTRect(5, 5, 5, 9));  // no area
  EXPECT_TRUE(band->IsEmpty());
}

TEST(OGTHeadlessRegion, InsetShrinksTheShapeNotEachPiece) {
  // An L of two rectangles: shrinking by 1 must not open a seam where they meet.
  Owned shape = Region({OGTRect(0, 0, 10, 4), OGTRect(0, 4, 4, 10)});
  shape->Inset(1, 1);
  Owned expected = Region({OGTRect(1, 1, 9, 3), OGTRect(1, 3, 3, 9)});
  EXPECT_TRUE(shape->Equals(*expected));

  shape->Inset(-1, -1);  // growing fills the shape out again
  EXPECT_TRUE(shape->Equals(*Region({OGTRect(0, 0, 10, 4), OGTRect(0, 4, 4, 10)})));

  Owned thin = Region({OGTRect(0, 0, 2, 100)});
  thin->Inset(0, 1);
  EXPECT_TRUE(thin->IsEmpty());
}

}  // namespace
