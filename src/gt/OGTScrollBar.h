// A scroll bar. The platform reports the user's actions as events 31 and 32 (line back and
// forward), 33 and 34 (page back and forward) and 35 (the thumb moved; the position is already
// the new one); the bar's owner moves what it scrolls and sets the position. A range of two equal
// values disables the bar.
//
// Orientation follows the shape: a bar taller than it is wide is vertical, any other horizontal.
// The toolkit's own bars are also created with variant 1 when vertical and 0 when horizontal.
// The operations act only when the implementation is a scroll bar's and answer 0 otherwise.
#pragma once

#include "gt/OGTItem.h"

class OGTCompositItem;
class OGTScrollBarImp;

class OGTScrollBar : public OGTItem {
 public:
  static constexpr int32_t kHorizontal = 0;
  static constexpr int32_t kVertical = 1;

  int32_t Kind() const override;
  OGTItemImp* Create(int32_t variant, OGTCompositItem* parent) override;

  // The width of a vertical bar, the height of a horizontal one.
  int32_t Thickness() const;
  void SetScrollPosition(int32_t position);
  int32_t GetScrollPosition() const;
  void SetRange(int32_t min, int32_t max);
  void GetRange(int32_t& min, int32_t& max) const;
  void SetLineSteps(int32_t back, int32_t forward);
  void GetLineSteps(int32_t& back, int32_t& forward) const;
  void SetPageSteps(int32_t back, int32_t forward);
  void GetPageSteps(int32_t& back, int32_t& forward) const;
  // Where a user's action on the bar (events 31 to 35) moves a position that is now current: by
  // the line or page step, or to the thumb's position. False for any other event.
  bool TargetOf(int32_t code, int64_t current, int64_t& target) const;
  // Sets the range 0 .. max, line and page steps of the same size back and forward, then the
  // position.
  void SetUp(int32_t max, int32_t position, int32_t lineStep, int32_t pageStep);

  // The thickness of a bar that may be absent: 0 for none, never negative.
  static int32_t ThicknessOf(const OGTScrollBar* bar);
  // Keeps one of the owner's own bars (variant kVertical or kHorizontal) as wanted: deletes it
  // when it is not wanted; when it is and there is none, makes one as the owner's child, enabled,
  // and shown when show is true. bar stays null when the platform makes no scroll bars.
  static void Provide(OGTCompositItem& owner, OGTScrollBar*& bar, bool wanted, int32_t variant,
                      bool show);

 private:
  OGTScrollBarImp* BarImp() const;
};
