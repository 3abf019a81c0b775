// A field bound to one value of a database item (kind 1001): it shows the value as text and gives
// its text back as a value of the type it last showed (String when it never showed one).
#pragma once

#include <cstdint>
#include <string>

#include "gt/OGTDBBound.h"
#include "gt/OGTField.h"

class OGTDBField : public OGTField, public OGTDBBound {
 public:
  // The most a field gives back.
  static constexpr size_t kMaxGather = 32000;

  int32_t Kind() const override;
  virtual void SetItemNumber(int32_t item) { item_ = item; }
  virtual int32_t ItemNumber() const { return item_; }
  // 0 or less counts as 1.
  virtual void SetOccurrence(int32_t occurrence) { occurrence_ = occurrence; }
  virtual int32_t Occurrence() const { return occurrence_ > 0 ? occurrence_ : 1; }

  bool IsBound() const { return item_ > 0; }
  uint8_t ShownType() const { return shownType_; }
  // Whether the text differs from what the field last showed (or from empty after a clear).
  bool Changed() const { return Text() != shownText_; }

  VResult ShowValue(VDBHandle* handle, const VRecord& record) override;
  void ClearValue() override;
  bool GatherValue(VDBHandle* handle, VRecord* record) override;
  bool GatherTarget(int32_t* item, int32_t* occurrence) const override;
  bool ValueChanged() const override { return Changed(); }
  bool ValueEmpty() const override { return Text().empty(); }

 private:
  int32_t item_ = 1;
  int32_t occurrence_ = 1;
  uint8_t shownType_ = 0;
  std::string shownText_;
};
