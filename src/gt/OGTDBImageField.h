// An image field bound to one value of a database item (kind 1006). A value of a text type names
// an image file; a value of an image type holds the image (JPEG, GIF, PNG, PICT or BMP, loaded by
// the platform when it can read that format). Anything else shows no image.
#pragma once

#include <cstdint>

#include "gt/OGTDBBound.h"
#include "gt/OGTImageField.h"

class OGTDBImageField : public OGTImageField, public OGTDBValueBound {
 public:
  int32_t Kind() const override;

  // -1 when the image cannot be loaded (the field is then empty).
  VResult ShowValue(VDBHandle* handle, const VRecord& record) override;
  void ClearValue() override;
};
