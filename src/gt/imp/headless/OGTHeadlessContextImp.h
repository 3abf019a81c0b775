// The headless drawing context and region. The context records every drawing call on the screen
// with the settings in force, and measures text with fixed metrics so that layouts can be checked:
// at p points (after the drawing size rules) a single-byte character is max(1, p / 2) wide and a
// double-byte one p wide; the ascent is p, the descent (p + 3) / 4 and the leading 0. Screen
// coordinates are window coordinates offset by the window's position.
//
// The region is an exact set of pixels kept as disjoint rectangles.
#pragma once

#include <memory>
#include <vector>

#include "gt/imp/OGTContextImp.h"
#include "gt/imp/OGTRegionImp.h"
#include "gt/imp/headless/OGTHeadlessScreen.h"

class OGTHeadlessNode;

class OGTHeadlessRegionImp : public OGTRegionImp {
 public:
  void Initialise() override;
  void CopyFrom(const OGTRegionImp& other) override;
  void SetRect(const OGTRect& rect) override;
  void MakeEmpty() override;
  void CopyTo(OGTRegionImp& other) const override;
  void GetBoundingBox(OGTRect& rect) const override;
  void Offset(int32_t dx, int32_t dy) override;
  void Inset(int32_t dx, int32_t dy) override;
  void UnionWith(const OGTRegionImp& other) override;
  void IntersectWith(const OGTRegionImp& other) override;
  void Subtract(const OGTRegionImp& other) override;
  bool Equals(const OGTRegionImp& other) const override;
  bool OverlapsRect(const OGTRect& rect) const override;
  bool ContainsPoint(const OGTPoint& point) const override;
  bool IsEmpty() const override;

  // Disjoint rectangles, none empty; right and bottom edges lie outside.
  const std::vector<OGTRect>& Rects() const { return rects_; }

 private:
  static const std::vector<OGTRect>& RectsOf(const OGTRegionImp& other);

  std::vector<OGTRect> rects_;
};

class OGTHeadlessContextImp : public OGTContextImp {
 public:
  explicit OGTHeadlessContextImp(std::shared_ptr<OGTHeadlessScreen> screen);
  ~OGTHeadlessContextImp() override;

  // native is an OGTHeadlessNode*: the surface drawn on.
  void Attach(void* native) override;
  void* Native() const override { return surface_; }
  void AttachItem(OGTItemImp* item) override;
  void DrawLine(const OGTPoint& from, const OGTPoint& to) override;
  void FrameRect(const OGTRect& rect) override;
  void FillRect(const OGTRect& rect) override;
  void InvertRect(const OGTRect& rect) override;
  void FrameFillRoundRect(const OGTRect& rect, int32_t cornerWidth, int32_t cornerHeight) override;
  void FrameFillEllipse(const OGTRect& rect) override;
  void DrawText(const char* text, size_t length, const OGTRect& rect, const OGTFont& font) override;
  void DrawText(const char* text, size_t length, const OGTPoint& baseline,
                const OGTFont& font) override;
  int32_t CharWidth(uint16_t code, const OGTFont& font) override;
  int32_t TextWidth(const char* text, size_t start, size_t count, const OGTFont& font) override;
  void FontMetrics(const OGTFont& font, int32_t& ascent, int32_t& descent,
                   int32_t& leading) override;
  void InvalidateRect(const OGTRect& rect) override;
  void SetClip(const OGTRegionImp* region) override;
  void GetClip(OGTRegionImp& region) const override;
  void WindowToScreen(OGTRect& rect) const override;
  void WindowToScreen(OGTPoint& point) const override;
  void ScreenToWindow(OGTRect& rect) const override;
  void ScreenToWindow(OGTPoint& point) const override;
  void SetPenColor(const OGTColor& color) override { pen_ = color; }
  OGTColor PenColor() const override { return pen_; }
  void SetPenWidth(int32_t width) override { penWidth_ = width; }
  int32_t PenWidth() const override { return penWidth_; }
  void SetFillColor(const OGTColor& color) override { fill_ = color; }
  OGTColor FillColor() const override { return fill_; }
  void SetBackColor(const OGTColor& color) override { back_ = color; }
  OGTColor BackColor() const override { return back_; }
  void SetDrawMode(int32_t mode) override { mode_ = mode; }
  int32_t DrawMode() const override { return mode_; }

  // Records an image drawn through this context.
  void RecordImage(const OGTRect& rect, int32_t width, int32_t height);

 private:
  void Record(OGTDrawCall& call);
  // The offset of the surface's window on the screen.
  OGTPoint WindowOrigin() const;

  std::shared_ptr<OGTHeadlessScreen> screen_;
  OGTHeadlessNode* surface_ = nullptr;
  std::weak_ptr<bool> surfaceAlive_;
  std::unique_ptr<OGTHeadlessRegionImp> clip_;
  OGTColor pen_ = colorBlack;
  int32_t penWidth_ = 1;
  OGTColor fill_ = colorWhite;
  OGTColor back_ = colorWhite;
  int32_t mode_ = kOGTDrawCopy;
};
