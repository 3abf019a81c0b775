// An ellipse inscribed in the item's bounds, drawn by its implementation. It sends no events.
#pragma once

#include "gt/OGTItem.h"

class OGTCircle : public OGTItem {
 public:
  int32_t Kind() const override;
  OGTItemImp* Create(int32_t variant, OGTCompositItem* parent) override;
};
