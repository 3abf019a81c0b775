// The Qt drawing context and region. A context draws in window coordinates with a QPainter: during
// a paint on the painter the surface gave it (already moved so that window coordinates land
// right), outside a paint straight into the picture of a drawn surface, which is then shown. A
// context without a surface still measures text. Inverted drawing uses the difference with white,
// so drawing the same thing twice restores what was there.
//
// The region is an exact set of pixels kept as a QRegion.
#pragma once

#include <memory>

#include <QFont>
#include <QImage>
#include <QPointer>
#include <QRegion>
#include <QWidget>

#include "gt/imp/OGTContextImp.h"
#include "gt/imp/OGTRegionImp.h"

class OGTQtShared;
class OGTQtSurface;
class QPainter;

class OGTQtRegionImp : public OGTRegionImp {
 public:
  void Initialise() override { region_ = QRegion(); }
  void CopyFrom(const OGTRegionImp& other) override;
  void SetRect(const OGTRect& rect) override;
  void MakeEmpty() override { region_ = QRegion(); }
  void CopyTo(OGTRegionImp& other) const override { other.CopyFrom(*this); }
  void GetBoundingBox(OGTRect& rect) const override;
  void Offset(int32_t dx, int32_t dy) override { region_.translate(dx, dy); }
  void Inset(int32_t dx, int32_t dy) override;
  void UnionWith(const OGTRegionImp& other) override { region_ |= RegionOf(other); }
  void IntersectWith(const OGTRegionImp& other) override { region_ &= RegionOf(other); }
  void Subtract(const OGTRegionImp& other) override { region_ -= RegionOf(other); }
  bool Equals(const OGTRegionImp& other) const override;
  bool OverlapsRect(const OGTRect& rect) const override;
  bool ContainsPoint(const OGTPoint& point) const override;
  bool IsEmpty() const override { return region_.isEmpty(); }

  const QRegion& Region() const { return region_; }
  void SetRegion(const QRegion& region) { region_ = region; }

 private:
  static QRegion RegionOf(const OGTRegionImp& other);

  QRegion region_;
};

// Region rectangles exclude their right and bottom edges, as Qt's do.
QRect OGTQtRect(const OGTRect& rect);

class OGTQtContextImp : public OGTContextImp {
 public:
  explicit OGTQtContextImp(std::shared_ptr<OGTQtShared> shared);
  ~OGTQtContextImp() override;

  // native is a QPainter already set up for window coordinates.
  void Attach(void* native) override;
  void* Native() const override { return painter_; }
  void AttachItem(OGTItemImp* item) override;
  // A paint of a surface: the painter is moved to window coordinates and clipped to the surface.
  void AttachPainter(QPainter* painter, QWidget* surface);
  // Drawing outside a paint goes into the surface's picture; null leaves only measuring.
  void AttachSurface(OGTQtSurface* surface);

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

  // An image unscaled at the rectangle's top left, cut to the rectangle.
  void DrawImage(const QImage& image, const OGTRect& rect);

 private:
  // Runs draw with a painter in window coordinates, clipped and in the drawing mode; does nothing
  // without a painter or a surface. invertible: the drawing mode applies.
  template <class Draw>
  void Paint(bool invertible, Draw&& draw);
  // The widget whose window the coordinates belong to (for screen conversions), or null.
  QWidget* Client() const;
  // The Qt font for a toolkit font, kept while the same font is asked for again.
  const QFont& QtFont(const OGTFont& font);

  std::shared_ptr<OGTQtShared> shared_;
  QPainter* painter_ = nullptr;
  QPointer<QWidget> surface_;
  bool inPaint_ = false;
  QRegion clip_;
  bool clipped_ = false;
  OGTColor pen_ = colorBlack;
  int32_t penWidth_ = 1;
  OGTColor fill_ = colorWhite;
  OGTColor back_ = colorWhite;
  int32_t mode_ = kOGTDrawCopy;
  OGTFont lastFont_;
  QFont lastQtFont_;
  bool haveFont_ = false;
};
