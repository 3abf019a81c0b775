// A list of every value of one database item (kind 1004): one row per value, in occurrence order.
// Its text is the selected row's; a change of the selection sends event 21 to the form.
#pragma once

#include "gt/OGTDBBound.h"
#include "gt/OGTList.h"

class OGTDBFieldMV : public OGTList, public OGTDBBound {
 public:
  static constexpr int16_t kDefaultColumnWidth = 150;
  // The most of one value a row shows.
  static constexpr size_t kMaxRowBytes = 32000;

  int32_t Kind() const override;
  void GetText(char* buffer, size_t size) const override;
  void NotifySelection() override;

  virtual void SetItemNumber(int32_t item) { item_ = item; }
  virtual int32_t ItemNumber() const { return item_; }
  virtual int16_t ColumnWidth() const { return columnWidth_; }
  // The one column takes the width.
  virtual void SetColumnWidth(int16_t width);

  bool IsBound() const { return item_ > 0; }
  VResult ShowValue(VDBHandle* handle, const VRecord& record) override;
  void ClearValue() override;

 private:
  int32_t item_ = 1;
  int16_t columnWidth_ = kDefaultColumnWidth;
};
