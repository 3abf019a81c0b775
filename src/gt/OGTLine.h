// A horizontal line drawn by its implementation across the item's width at half its height. It
// sends no events.
#pragma once

#include "gt/OGTItem.h"

class OGTLine : public OGTItem {
 public:
  int32_t Kind() const override;
  OGTItemImp* Create(int32_t variant, OGTCompositItem* parent) override;
};
