// An image field bound to one value of a database item (kind 1006). A value of a text type names
// an image file; a value of an image type holds the image (JPEG, GIF, PNG, PICT or BMP, loaded by
// the platform when it can read that format). Anything else shows no image.
#pragma once

#include <cstdint>

#include "gt/OGTDBBound.h"
#include "gt/OGTImageField.h"

class OGTDBImageField : public OGTImageField, public OGTDBBound {
 public:
  int32_t Kind() const override;
  virtual void SetItemNumber(int32_t item) { item_ = item; }
  virtual int32_t ItemNumber() const { return item_; }
  virtual void SetOccurrence(int32_t occurrence) { occurrence_ = occurrence; }
  virtual int32_t Occurrence() const { return occurrence_ > 0 ? occurrence_ : 1; }

  bool IsBound() const { return item_ > 0; }
  uint8_t ShownType() const { return shownType_; }

  // -1 when the image cannot be loaded (the field is then empty).
  VResult ShowValue(VDBHandle* handle, const VRecord& record) override;
  void ClearValue() override;

 private:
  int32_t item_ = 1;
  int32_t occurrence_ = 1;
  uint8_t shownType_ = 0;
};
