// A field bound to one value of a database item (kind 1001): it shows the value as text and gives
// its text back as a value of the type it last showed (String when it never showed one).
#pragma once

#include <cstdint>
#include <string>

#include "gt/OGTDBBound.h"
#include "gt/OGTField.h"

class OGTDBField : public OGTField, public OGTDBValueBound {
 public:
  // The most a field gives back.
  static constexpr size_t kMaxGather = 32000;

  int32_t Kind() const override;
  // Whether the text differs from what the field last showed (or from empty after a clear).
  bool Changed() const { return Text() != shownText_; }

  VResult ShowValue(VDBHandle* handle, const VRecord& record) override;
  void ClearValue() override;
  bool GatherValue(VDBHandle* handle, VRecord* record) override;
  bool GatherTarget(int32_t* item, int32_t* occurrence) const override {
    return BoundTarget(item, occurrence);
  }
  bool ValueChanged() const override { return Changed(); }
  bool ValueEmpty() const override { return Text().empty(); }

 private:
  std::string shownText_;
};
