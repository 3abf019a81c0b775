#include "gt/OGTContext.h"

#include <algorithm>

#include "gt/OGTItem.h"
#include "gt/OGTRegion.h"
#include "gt/imp/OGTImpFactory.h"

namespace {

constexpr uint16_t kExtraStyles =
    kOGTUnderline | kOGTStrikeThrough | kOGTSuperscript | kOGTSubscript;
constexpr int16_t kScriptSize = 9;

}  // namespace

OGTContext::OGTContext() {
  OGTImpFactory* factory = OGTImpFactory::Current();
  if (factory != nullptr) imp_ = factory->MakeContextImp();
  if (imp_) imp_->Initialise();
}

OGTContext::OGTContext(std::unique_ptr<OGTContextImp> imp) : imp_(std::move(imp)) {
  if (imp_) imp_->Initialise();
}

OGTContext::~OGTContext() = default;

void OGTContext::Attach(void* native) {
  if (imp_) imp_->Attach(native);
}

void* OGTContext::Native() const { return imp_ ? imp_->Native() : nullptr; }

void OGTContext::AttachItem(OGTItem* item) {
  if (imp_ && item != nullptr && item->Imp() != nullptr) imp_->AttachItem(item->Imp());
}

void OGTContext::DrawLine(const OGTPoint& from, const OGTPoint& to) {
  if (imp_) imp_->DrawLine(from, to);
}

void OGTContext::FrameRect(const OGTRect& rect) {
  if (imp_) imp_->FrameRect(rect);
}

void OGTContext::FillRect(const OGTRect& rect) {
  if (imp_) imp_->FillRect(rect);
}

void OGTContext::InvertRect(const OGTRect& rect) {
  if (imp_) imp_->InvertRect(rect);
}

void OGTContext::FrameFillRoundRect(const OGTRect& rect, int32_t cornerWidth,
                                    int32_t cornerHeight) {
  if (imp_) imp_->FrameFillRoundRect(rect, cornerWidth, cornerHeight);
}

void OGTContext::FrameFillEllipse(const OGTRect& rect) {
  if (imp_) imp_->FrameFillEllipse(rect);
}

OGTFont OGTContext::ScriptFont(int32_t& shift) const {
  OGTFont font = font_;
  shift = 0;
  if (font_.Style() & kOGTSuperscript) {
    font.SetSize(kScriptSize);
    shift = -(font_.Size() / 2);
  } else if (font_.Style() & kOGTSubscript) {
    font.SetSize(kScriptSize);
    shift = font_.Size() / 2;
  }
  return font;
}

void OGTContext::DrawText(const char* text, size_t length, const OGTRect& rect) {
  if (!imp_ || text == nullptr) return;
  if ((font_.Style() & kExtraStyles) == 0) {
    imp_->DrawText(text, length, rect, font_);
    return;
  }
  int32_t shift;
  OGTFont font = ScriptFont(shift);
  OGTRect at = rect;
  at.Offset(0, shift);
  imp_->DrawText(text, length, at, font);
  if (font.Style() & (kOGTUnderline | kOGTStrikeThrough)) {
    int32_t ascent, descent, leading;
    imp_->FontMetrics(font, ascent, descent, leading);
    int32_t width = std::min(imp_->TextWidth(text, 0, length, font), at.Width());
    Decorate(font, OGTPoint(at.Left(), at.Top() + ascent), width);
  }
}

void OGTContext::DrawText(const char* text, size_t length, const OGTPoint& baseline) {
  if (!imp_ || text == nullptr) return;
  if ((font_.Style() & kExtraStyles) == 0) {
    imp_->DrawText(text, length, baseline, font_);
    return;
  }
  int32_t shift;
  OGTFont font = ScriptFont(shift);
  OGTPoint at = baseline;
  at.Offset(0, shift);
  imp_->DrawText(text, length, at, font);
  if (font.Style() & (kOGTUnderline | kOGTStrikeThrough)) {
    Decorate(font, at, imp_->TextWidth(text, 0, length, font));
  }
}

void OGTContext::Decorate(const OGTFont& font, const OGTPoint& origin, int32_t width) {
  width = std::max(width, 1);
  int32_t x = origin.X();
  if (font.Style() & kOGTUnderline) {
    int32_t y = origin.Y() + 1;
    imp_->DrawLine(OGTPoint(x, y), OGTPoint(x + width, y));
  }
  if (font.Style() & kOGTStrikeThrough) {
    int32_t ascent, descent, leading;
    imp_->FontMetrics(font, ascent, descent, leading);
    int32_t y = origin.Y() - ascent / 2;
    imp_->DrawLine(OGTPoint(x, y), OGTPoint(x + width, y));
    imp_->DrawLine(OGTPoint(x, y + 2), OGTPoint(x + width, y + 2));
  }
}

int32_t OGTContext::CharWidth(uint16_t code) { return imp_ ? imp_->CharWidth(code, font_) : 0; }

int32_t OGTContext::TextWidth(const char* text, size_t start, size_t count) {
  return (imp_ && text != nullptr) ? imp_->TextWidth(text, start, count, font_) : 0;
}

void OGTContext::FontMetrics(int32_t& ascent, int32_t& descent, int32_t& leading) {
  ascent = descent = leading = 0;
  if (imp_) imp_->FontMetrics(font_, ascent, descent, leading);
}

void OGTContext::InvalidateRect(const OGTRect& rect) {
  if (imp_) imp_->InvalidateRect(rect);
}

void OGTContext::SetClip(const OGTRegion& region) {
  if (!imp_) return;
  // A region without an implementation is empty: nothing may be drawn.
  OGTRegion empty;
  if (region.Imp() == nullptr && empty.MakeImp() != nullptr) {
    imp_->SetClip(empty.Imp());
  } else {
    imp_->SetClip(region.Imp());
  }
}

void OGTContext::ClearClip() {
  if (imp_) imp_->SetClip(nullptr);
}

void OGTContext::GetClip(OGTRegion& region) const {
  region.MakeEmpty();
  if (!imp_) return;
  if (OGTRegionImp* target = region.MakeImp()) imp_->GetClip(*target);
}

void OGTContext::WindowToScreen(OGTRect& rect) const {
  if (imp_) imp_->WindowToScreen(rect);
}

void OGTContext::WindowToScreen(OGTPoint& point) const {
  if (imp_) imp_->WindowToScreen(point);
}

void OGTContext::ScreenToWindow(OGTRect& rect) const {
  if (imp_) imp_->ScreenToWindow(rect);
}

void OGTContext::ScreenToWindow(OGTPoint& point) const {
  if (imp_) imp_->ScreenToWindow(point);
}

void OGTContext::SetPenColor(const OGTColor& color) {
  if (imp_) imp_->SetPenColor(color);
}

OGTColor OGTContext::PenColor() const { return imp_ ? imp_->PenColor() : colorBlack; }

void OGTContext::SetPenWidth(int32_t width) {
  if (imp_) imp_->SetPenWidth(width);
}

int32_t OGTContext::PenWidth() const { return imp_ ? imp_->PenWidth() : 0; }

void OGTContext::SetFillColor(const OGTColor& color) {
  if (imp_) imp_->SetFillColor(color);
}

OGTColor OGTContext::FillColor() const { return imp_ ? imp_->FillColor() : colorWhite; }

void OGTContext::SetBackColor(const OGTColor& color) {
  if (imp_) imp_->SetBackColor(color);
}

OGTColor OGTContext::BackColor() const { return imp_ ? imp_->BackColor() : colorWhite; }

void OGTContext::SetDrawMode(int32_t mode) {
  if (imp_) imp_->SetDrawMode(mode);
}

int32_t OGTContext::DrawMode() const { return imp_ ? imp_->DrawMode() : 0; }

OGTClipScope::OGTClipScope(OGTContext* context) : context_(context) {
  context_->GetClip(saved_);
  hadClip_ = !saved_.IsEmpty();
}

OGTClipScope::~OGTClipScope() {
  if (hadClip_) {
    context_->SetClip(saved_);
  } else {
    context_->ClearClip();
  }
}

OGTRect OGTClipScope::Within(const OGTRect& rect) const {
  OGTRect within = rect;
  if (hadClip_) {
    OGTRect box;
    saved_.GetBounds(box);
    within.Intersect(box);
  }
  return within;
}

bool OGTClipScope::ClipTo(const OGTRect& rect, const OGTRect& area) const {
  OGTRect common = rect;
  common.Intersect(area);
  if (common.IsEmpty(true)) return false;
  context_->SetClip(OGTRegion(common));
  return true;
}
