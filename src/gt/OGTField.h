// An edit field. Return and Enter send event 21 and are consumed, so a field never takes a line
// break from them; Tab moves the focus (event 72, or 71 with Shift). The platform sends 22 when
// the field loses the focus after its text was modified. The field operations act only when the
// implementation is a field's and answer 0 or false otherwise.
#pragma once

#include "gt/OGTItem.h"

class OGTFieldImp;

class OGTField : public OGTItem {
 public:
  int32_t Kind() const override;
  // Variant bit 0: a line break may be typed (when the key reaches the platform).
  OGTItemImp* Create(int32_t variant, OGTCompositItem* parent) override;
  void OnKey(OGTEvent* event, bool& handled) override;

  // The platform caps the limit at 32767 bytes; it starts at 32000.
  virtual void SetTextLimit(int32_t limit);
  virtual int32_t TextLimit() const;
  virtual bool Cut();
  virtual bool Copy();
  virtual bool Paste();
  virtual bool Clear();
  virtual bool SelectAll();

 protected:
  OGTFieldImp* FieldImp() const;
};
