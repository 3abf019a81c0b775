// Platform interface of a drawing context. Coordinates are window coordinates; a rectangle covers
// the pixels from its left and top edges up to, not including, its right and bottom edges. Text is
// Shift-JIS, drawn in the given font's colour with the face and size rules of OGTPlatformRules.h:
// text in a rectangle is aligned to the rectangle's top left and cut to it; text at a point has the
// left end of its baseline at the point. The pen, fill, background and mode settings answer
// neutral values in the base.
#pragma once

#include <cstddef>
#include <cstdint>

#include "gt/OGTGraphics.h"

class OGTItemImp;
class OGTRegionImp;

enum OGTDrawMode : int32_t {
  kOGTDrawCopy = 0,
  kOGTDrawInvert = 1,  // lines and fills invert what lies below them
};

class OGTContextImp {
 public:
  OGTContextImp();
  virtual ~OGTContextImp();
  OGTContextImp(const OGTContextImp&) = delete;
  OGTContextImp& operator=(const OGTContextImp&) = delete;

  virtual void Initialise();
  // The platform's own drawing surface, given by the platform side around a paint.
  virtual void Attach(void* native);
  virtual void* Native() const;
  // The surface of an item's window, for items that draw outside a paint.
  virtual void AttachItem(OGTItemImp* item);
  virtual void DrawLine(const OGTPoint& from, const OGTPoint& to);
  virtual void FrameRect(const OGTRect& rect);
  virtual void FillRect(const OGTRect& rect);
  virtual void InvertRect(const OGTRect& rect);
  virtual void FrameFillRoundRect(const OGTRect& rect, int32_t cornerWidth, int32_t cornerHeight);
  virtual void FrameFillEllipse(const OGTRect& rect);
  virtual void DrawText(const char* text, size_t length, const OGTRect& rect, const OGTFont& font);
  virtual void DrawText(const char* text, size_t length, const OGTPoint& baseline,
                        const OGTFont& font);
  // Width of one character; a double-byte character is given as (lead << 8) | trail.
  virtual int32_t CharWidth(uint16_t code, const OGTFont& font);
  virtual int32_t TextWidth(const char* text, size_t start, size_t count, const OGTFont& font);
  virtual void FontMetrics(const OGTFont& font, int32_t& ascent, int32_t& descent,
                           int32_t& leading);
  virtual void InvalidateRect(const OGTRect& rect);
  // Null removes the clip.
  virtual void SetClip(const OGTRegionImp* region);
  // The current clip (empty when there is none).
  virtual void GetClip(OGTRegionImp& region) const;
  virtual void WindowToScreen(OGTRect& rect) const;
  virtual void WindowToScreen(OGTPoint& point) const;
  virtual void ScreenToWindow(OGTRect& rect) const;
  virtual void ScreenToWindow(OGTPoint& point) const;

  virtual void SetPenColor(const OGTColor& color);
  virtual OGTColor PenColor() const;
  virtual void SetPenWidth(int32_t width);
  virtual int32_t PenWidth() const;
  virtual void SetFillColor(const OGTColor& color);
  virtual OGTColor FillColor() const;
  virtual void SetBackColor(const OGTColor& color);
  virtual OGTColor BackColor() const;
  virtual void SetDrawMode(int32_t mode);
  virtual int32_t DrawMode() const;
};
