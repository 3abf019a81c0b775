// A plane: its implementation draws the plane's image when one is set, otherwise a rectangle on
// its bounds. It sends no events.
#pragma once

#include <memory>

#include "gt/OGTItem.h"

class OGTPlane : public OGTItem {
 public:
  OGTPlane();
  ~OGTPlane() override;

  int32_t Kind() const override;
  // A name set before creation reaches the new implementation.
  OGTItemImp* Create(int32_t variant, OGTCompositItem* parent) override;

  // An image file (portable path); null or empty removes the image. The item keeps the name and
  // hands it to a plane implementation.
  virtual void SetImageName(const char* name);
  // Null when there is no image.
  const VString* ImageName() const { return imageName_.get(); }

 private:
  void PassImageName();

  std::unique_ptr<VString> imageName_;
};
