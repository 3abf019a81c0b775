// A check box. Pressing it toggles its value (1 becomes 0, anything else 1) and then sends event
// 13, so the form sees the new value. Its value is 0 or 1: any non-zero value sets it.
#pragma once

#include "gt/OGTItem.h"

class OGTCheckBox : public OGTItem {
 public:
  int32_t Kind() const override;
  OGTItemImp* Create(int32_t variant, OGTCompositItem* parent) override;
};
