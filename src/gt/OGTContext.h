// A drawing context: one platform implementation attached to a native drawing surface. The
// platform makes one around each paint and mouse event; items that draw at other times make their
// own. Everything forwards to the implementation except text drawing, which honours the current
// font's extra styles:
// - superscript and subscript text is drawn at size 9, raised (superscript) or lowered (subscript)
//   by half the font's size;
// - underline and strike-through lines are drawn after the text, as wide as the text (at least
//   1): the underline one pixel below the baseline, the strike-through as two lines, the first
//   half the ascent above the baseline and the second two pixels below the first.
// Text at a point has the left end of its baseline at the point; text in a rectangle starts at the
// rectangle's top left, so its baseline lies one ascent below the top.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

#include "gt/OGTGraphics.h"
#include "gt/OGTRegion.h"

class OGTContextImp;
class OGTItem;

class OGTContext {
 public:
  // With an implementation from the current factory (none without a factory).
  OGTContext();
  // With an implementation the platform side made itself.
  explicit OGTContext(std::unique_ptr<OGTContextImp> imp);
  virtual ~OGTContext();
  OGTContext(const OGTContext&) = delete;
  OGTContext& operator=(const OGTContext&) = delete;

  void Attach(void* native);
  void* Native() const;
  // Draws on the window of an item, outside a paint.
  void AttachItem(OGTItem* item);

  void DrawLine(const OGTPoint& from, const OGTPoint& to);
  void FrameRect(const OGTRect& rect);
  void FillRect(const OGTRect& rect);
  void InvertRect(const OGTRect& rect);
  void FrameFillRoundRect(const OGTRect& rect, int32_t cornerWidth, int32_t cornerHeight);
  void FrameFillEllipse(const OGTRect& rect);
  void DrawText(const char* text, size_t length, const OGTRect& rect);
  void DrawText(const char* text, size_t length, const OGTPoint& baseline);
  void DrawText(std::string_view text, const OGTRect& rect) {
    DrawText(text.data(), text.size(), rect);
  }
  void DrawText(std::string_view text, const OGTPoint& baseline) {
    DrawText(text.data(), text.size(), baseline);
  }
  int32_t CharWidth(uint16_t code);
  int32_t TextWidth(const char* text, size_t start, size_t count);
  void FontMetrics(int32_t& ascent, int32_t& descent, int32_t& leading);
  void InvalidateRect(const OGTRect& rect);
  void SetClip(const OGTRegion& region);
  void ClearClip();
  // Emptied first.
  void GetClip(OGTRegion& region) const;
  void WindowToScreen(OGTRect& rect) const;
  void WindowToScreen(OGTPoint& point) const;
  void ScreenToWindow(OGTRect& rect) const;
  void ScreenToWindow(OGTPoint& point) const;

  void SetPenColor(const OGTColor& color);
  OGTColor PenColor() const;
  void SetPenWidth(int32_t width);
  int32_t PenWidth() const;
  void SetFillColor(const OGTColor& color);
  OGTColor FillColor() const;
  void SetBackColor(const OGTColor& color);
  OGTColor BackColor() const;
  void SetDrawMode(int32_t mode);
  int32_t DrawMode() const;

  // The font used for text and text measures.
  void SetFont(const OGTFont& font) { font_ = font; }
  const OGTFont& Font() const { return font_; }

  OGTContextImp* Imp() const { return imp_.get(); }

 private:
  // Underline and strike-through after text whose baseline starts at origin.
  void Decorate(const OGTFont& font, const OGTPoint& origin, int32_t width);
  // The font text is drawn in, and the vertical shift of its sub- or superscript.
  OGTFont ScriptFont(int32_t& shift) const;

  std::unique_ptr<OGTContextImp> imp_;
  OGTFont font_;
};

// Keeps the clip a context had when the scope began and puts it back when the scope ends (or no
// clip, when it had none), so that an item may clip its parts while it draws and leave the context
// as it found it. Drawing is confined to the area the kept clip allows.
class OGTClipScope {
 public:
  explicit OGTClipScope(OGTContext* context);
  ~OGTClipScope();
  OGTClipScope(const OGTClipScope&) = delete;
  OGTClipScope& operator=(const OGTClipScope&) = delete;

  // The part of the rectangle that lies within the kept clip's bounds (all of it without a clip).
  OGTRect Within(const OGTRect& rect) const;
  // Clips the context to the part of the rectangle within the area; false, and the clip left as it
  // was, when they share nothing.
  bool ClipTo(const OGTRect& rect, const OGTRect& area) const;
  bool ClipTo(const OGTRect& rect) const { return ClipTo(rect, Within(rect)); }

 private:
  OGTContext* context_;
  OGTRegion saved_;
  bool hadClip_;
};
