// A push button. Pressing it sends event 11. It may carry three image files (normal, pressed,
// disabled) that its implementation draws instead of the native look: the pressed image while
// held down, the disabled one while disabled, else the normal one; variants 1 and 2 show the
// pressed image when exactly one of "the value is set" and "held down" holds.
#pragma once

#include <memory>

#include "gt/OGTItem.h"

class OGTButtonImp;

class OGTButton : public OGTItem {
 public:
  OGTButton();
  ~OGTButton() override;

  int32_t Kind() const override;
  // Image names set before creation reach the new implementation.
  OGTItemImp* Create(int32_t variant, OGTCompositItem* parent) override;

  // When the implementation is a button's.
  virtual void SetDefault(bool flag);
  virtual bool IsDefault() const;
  // Each output is emptied first; absent names stay empty.
  virtual void GetImageNames(VString& normal, VString& pressed, VString& disabled) const;
  // Replaces the three names (null or empty removes one) and hands them to the implementation.
  virtual void SetImageNames(const char* normal, const char* pressed, const char* disabled);

 private:
  OGTButtonImp* ButtonImp() const;
  void PassImageNames();

  std::unique_ptr<VString> normalImage_;
  std::unique_ptr<VString> pressedImage_;
  std::unique_ptr<VString> disabledImage_;
};
