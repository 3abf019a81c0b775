// A radio button. Pressing it sets its own value to 1 (through its implementation) and then sends
// event 12. Its value is 0 or 1: any non-zero value sets it.
//
// A button of group 0 (the default) is grouped with nothing: a press leaves every other radio
// button alone, and turning it off is the business of scripts. Buttons of the same parent that
// share a non-zero group exclude each other: a press turns the others of the group off before
// event 12 travels up, so that the event's script sees the group as the user left it. The buttons
// turned off send no event; only the pressed one was pressed.
#pragma once

#include "gt/OGTItem.h"

class OGTRadioBtn : public OGTItem {
 public:
  int32_t Kind() const override;
  OGTItemImp* Create(int32_t variant, OGTCompositItem* parent) override;
  void OnEvent(OGTItem* item, int32_t code) override;

  int32_t Group() const { return group_; }
  void SetGroup(int32_t group) { group_ = group; }

 private:
  int32_t group_ = 0;
};
