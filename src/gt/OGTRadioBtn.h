// A radio button. Pressing it sets its own value to 1 (through its implementation) and then sends
// event 12; other radio buttons are left alone, grouping is the business of scripts. Its value is
// 0 or 1: any non-zero value sets it.
#pragma once

#include "gt/OGTItem.h"

class OGTRadioBtn : public OGTItem {
 public:
  int32_t Kind() const override;
  OGTItemImp* Create(int32_t variant, OGTCompositItem* parent) override;
};
