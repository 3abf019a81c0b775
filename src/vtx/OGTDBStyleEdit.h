// A styled-text item bound to one value of a database item (kind 1005). It shows the value as
// markup and gives its markup back as a value of the type it last showed (String when it never
// showed one), so that a record's styles survive an insert or an update made from the form.
#pragma once

#include <cstdint>
#include <string>

#include "gt/OGTDBBound.h"
#include "vtx/OGTStyleEdit.h"

class OGTDBStyleEdit : public OGTStyleEdit, public OGTDBValueBound {
 public:
  int32_t Kind() const override;
  // Whether the markup differs from what the item last showed (or from empty after a clear).
  bool Changed() const { return Markup() != shownMarkup_; }

  // An absent value clears the item and is no failure; a value that cannot be read clears it and
  // answers the failure.
  VResult ShowValue(VDBHandle* handle, const VRecord& record) override;
  void ClearValue() override;
  bool GatherValue(VDBHandle* handle, VRecord* record) override;
  bool GatherTarget(int32_t* item, int32_t* occurrence) const override {
    return BoundTarget(item, occurrence);
  }
  bool ValueChanged() const override { return Changed(); }
  bool ValueEmpty() const override { return TextLength() == 0; }

 private:
  std::string shownMarkup_;
};
