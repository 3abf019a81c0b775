// A scrollable image: a composite without a native object of its own, drawn on the surface of its
// nearest ancestor that has one (its window), with up to two scroll bars as children. The item
// keeps its own geometry and visibility for that reason.
//
// Layout: the vertical bar stands at the right edge, full height, as wide as a bar is thick; the
// horizontal bar runs along the bottom, full width; with both, each is shortened so that they
// overlap by one unit at the corner. The content rectangle is the bounds inset by 1, less the
// bars. The image is drawn unscaled into the content rectangle, shifted up and left by the scroll
// offsets.
//
// Invariant: each offset lies within 0 .. its bar's range maximum (0 .. the image's overhang when
// there is no bar). After a load the bars' ranges run from 0 to the image's overhang beyond the
// content rectangle, so an image larger than the field can be scrolled through and a smaller one
// cannot be scrolled at all.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "gt/OGTCompositItem.h"
#include "gt/OGTGraphics.h"

class OGTContext;
class OGTImage;
class OGTScrollBar;

class OGTImageField : public OGTCompositItem {
 public:
  static constexpr int32_t kLineStep = 5;
  static constexpr int32_t kPageStep = 50;
  // Answers of HitTest.
  static constexpr int32_t kHitOutside = -1;
  static constexpr int32_t kHitContent = 0;
  static constexpr int32_t kHitVerticalBar = 1;
  static constexpr int32_t kHitHorizontalBar = 2;
  static constexpr OGTColor kBackColor = colorWhite;
  static constexpr OGTColor kFrameColor = colorGray;

  OGTImageField();
  ~OGTImageField() override;

  int32_t Kind() const override;
  // Stores the variant and the parent, then shows the bars the variant asks for.
  OGTItemImp* Create(int32_t variant, OGTCompositItem* parent) override;
  void SetPosition(int32_t x, int32_t y, bool redraw) override;
  void GetPosition(int32_t& x, int32_t& y) const override;
  void SetSize(int32_t width, int32_t height, bool redraw) override;
  void GetSize(int32_t& width, int32_t& height) const override;
  void GetBounds(OGTRect& rect) const override;
  void Show() override;
  void Hide() override;
  void Enable() override;
  void Disable() override;
  // Background, then the image; the context's clip is restored afterwards.
  void Draw(OGTContext* context) override;
  void Invalidate(const OGTRect& rect) override;
  void Invalidate() override;
  void Update(bool withChildren) override;
  void ScrollContents(const OGTRect& rect, int32_t dx, int32_t dy, bool redraw) override;
  // A press sets the press flag unless it falls on a bar; a release keeps it for Pressed; any
  // other mouse event clears it.
  void OnMouse(OGTEvent* event) override;
  // The arrow keys are consumed.
  void OnKey(OGTEvent* event, bool& handled) override;
  // Events of its own bars scroll the image; others go up.
  void OnEvent(OGTItem* item, int32_t code) override;
  void RemoveChild(OGTItem* child) override;

  // Loading: on failure the image is dropped; either way the bars are reset and the field
  // redrawn.
  virtual bool LoadFromMemory(const uint8_t* bytes, size_t length, int32_t format);
  // A portable path.
  virtual bool LoadFromFile(const char* name);
  // Asks the user for a file, then loads it; false when cancelled.
  virtual bool ChooseAndLoad();
  virtual bool IsLoaded() const;
  // Variant bit 0 clear.
  virtual bool WantsVerticalBar() const;
  // Variant bit 1 clear.
  virtual bool WantsHorizontalBar() const;
  virtual int32_t HorizontalOffset() const;
  // Clamped; an unchanged offset does nothing; the bar follows; with update the field is redrawn
  // now.
  virtual void SetHorizontalOffset(int32_t offset, bool update);
  virtual int32_t VerticalOffset() const;
  virtual void SetVerticalOffset(int32_t offset, bool update);
  // How far the image reaches beyond the content rectangle (0 without an image).
  virtual void MaxOffsets(int32_t& horizontal, int32_t& vertical) const;
  // The image into the content rectangle, clipped to it, at the current offsets.
  virtual void DrawImage(OGTContext* context);
  // Moves the drawn content by (dx, dy) on the surface.
  virtual void ScrollBy(int32_t dy, int32_t dx, bool redraw);
  // kHitVerticalBar, kHitHorizontalBar, kHitContent anywhere else inside, or kHitOutside.
  virtual int32_t HitTest(const OGTPoint& point) const;
  // The bounds (inset by 1 when asked) less the bars; cleared when nothing is left.
  virtual void ContentRect(OGTRect& rect, bool inset) const;
  // Makes or deletes each bar (only when the platform makes scroll bars).
  virtual void ShowBars(bool vertical, bool horizontal);
  virtual void LayoutBars();
  // Ranges 0 .. overhang, positions at the offsets, line steps -5/+5, page steps -50/+50.
  virtual void ResetBars();

  // Drops the image and resets the bars.
  void ClearImage();
  OGTImage* Image() const { return image_.get(); }
  bool Pressed() const { return pressed_; }
  bool Shown() const { return shown_; }
  bool IsVisible() const override { return shown_; }
  OGTScrollBar* VerticalBar() const { return verticalBar_; }
  OGTScrollBar* HorizontalBar() const { return horizontalBar_; }

 private:
  // The nearest ancestor with an implementation: the surface this field is drawn on.
  OGTItem* Surface() const;
  int32_t Limit(const OGTScrollBar* bar, int32_t overhang) const;
  void AfterLoad(bool loaded);
  void OnBar(OGTScrollBar* bar, int32_t code);

  std::unique_ptr<OGTImage> image_;
  bool pressed_ = false;
  bool shown_ = false;
  int32_t horizontalOffset_ = 0;
  int32_t verticalOffset_ = 0;
  OGTScrollBar* verticalBar_ = nullptr;
  OGTScrollBar* horizontalBar_ = nullptr;
  int32_t x_ = 0;
  int32_t y_ = 0;
  int32_t width_ = 0;
  int32_t height_ = 0;
};
