// A static text. It sends no events.
#pragma once

#include "gt/OGTItem.h"

class OGTLabel : public OGTItem {
 public:
  int32_t Kind() const override;
  OGTItemImp* Create(int32_t variant, OGTCompositItem* parent) override;
};
