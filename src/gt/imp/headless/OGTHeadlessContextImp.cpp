#include "gt/imp/headless/OGTHeadlessContextImp.h"

#include <algorithm>

#include "base/VSjis.h"
#include "gt/OGTItem.h"
#include "gt/imp/OGTPlatformRules.h"
#include "gt/imp/headless/OGTHeadlessImp.h"

namespace {

bool IsVoid(const OGTRect& r) { return r.Right() <= r.Left() || r.Bottom() <= r.Top(); }

bool Meet(const OGTRect& a, const OGTRect& b) {
  return a.Left() < b.Right() && b.Left() < a.Right() && a.Top() < b.Bottom() &&
         b.Top() < a.Bottom();
}

// The pieces of a outside b, appended to out.
void Cut(const OGTRect& a, const OGTRect& b, std::vector<OGTRect>& out) {
  if (!Meet(a, b)) {
    out.push_back(a);
    return;
  }
  if (b.Top() > a.Top()) out.emplace_back(a.Top(), a.Left(), b.Top(), a.Right());
  if (b.Bottom() < a.Bottom()) out.emplace_back(b.Bottom(), a.Left(), a.Bottom(), a.Right());
  int32_t top = std::max(a.Top(), b.Top());
  int32_t bottom = std::min(a.Bottom(), b.Bottom());
  if (b.Left() > a.Left()) out.emplace_back(top, a.Left(), bottom, b.Left());
  if (b.Right() < a.Right()) out.emplace_back(top, b.Right(), bottom, a.Right());
}

std::vector<OGTRect> Minus(const std::vector<OGTRect>& from, const std::vector<OGTRect>& take) {
  std::vector<OGTRect> pieces = from;
  for (const OGTRect& b : take) {
    std::vector<OGTRect> next;
    for (const OGTRect& a : pieces) Cut(a, b, next);
    pieces.swap(next);
  }
  return pieces;
}

std::vector<OGTRect> Plus(const std::vector<OGTRect>& a, const std::vector<OGTRect>& b) {
  std::vector<OGTRect> result = a;
  std::vector<OGTRect> added = Minus(b, a);
  result.insert(result.end(), added.begin(), added.end());
  return result;
}

std::vector<OGTRect> Grown(const std::vector<OGTRect>& rects, int32_t dx, int32_t dy) {
  std::vector<OGTRect> result;
  for (OGTRect r : rects) {
    r.Set(r.Top() - dy, r.Left() - dx, r.Bottom() + dy, r.Right() + dx);
    result = Plus(result, {r});
  }
  return result;
}

OGTRect BoundingBox(const std::vector<OGTRect>& rects) {
  if (rects.empty()) return OGTRect();
  OGTRect box = rects.front();
  for (const OGTRect& r : rects) box.Union(r);
  return box;
}

// Grows (negative d) or shrinks (positive d) along one axis. Shrinking keeps the pixels whose
// whole neighbourhood lies in the region: the region less the grown complement.
std::vector<OGTRect> InsetAxis(const std::vector<OGTRect>& rects, int32_t dx, int32_t dy) {
  if ((dx == 0 && dy == 0) || rects.empty()) return rects;
  if (dx < 0 || dy < 0) return Grown(rects, -dx, -dy);
  OGTRect frame = BoundingBox(rects);
  frame.Set(frame.Top() - dy - 1, frame.Left() - dx - 1, frame.Bottom() + dy + 1,
            frame.Right() + dx + 1);
  std::vector<OGTRect> outside = Minus({frame}, rects);
  return Minus(rects, Grown(outside, dx, dy));
}

int32_t CharWidthAt(int32_t points, bool doubleByte) {
  return doubleByte ? points : std::max(1, points / 2);
}

}  // namespace

void OGTHeadlessRegionImp::Initialise() { rects_.clear(); }

const std::vector<OGTRect>& OGTHeadlessRegionImp::RectsOf(const OGTRegionImp& other) {
  static const std::vector<OGTRect> none;
  const auto* headless = dynamic_cast<const OGTHeadlessRegionImp*>(&other);
  return headless != nullptr ? headless->rects_ : none;
}

void OGTHeadlessRegionImp::CopyFrom(const OGTRegionImp& other) {
  if (&other != this) rects_ = RectsOf(other);
}

void OGTHeadlessRegionImp::SetRect(const OGTRect& rect) {
  rects_.clear();
  if (!IsVoid(rect)) rects_.push_back(rect);
}

void OGTHeadlessRegionImp::MakeEmpty() { rects_.clear(); }
void OGTHeadlessRegionImp::CopyTo(OGTRegionImp& other) const { other.CopyFrom(*this); }
void OGTHeadlessRegionImp::GetBoundingBox(OGTRect& rect) const { rect = BoundingBox(rects_); }

void OGTHeadlessRegionImp::Offset(int32_t dx, int32_t dy) {
  for (OGTRect& r : rects_) r.Offset(dx, dy);
}

void OGTHeadlessRegionImp::Inset(int32_t dx, int32_t dy) {
  rects_ = InsetAxis(InsetAxis(rects_, dx, 0), 0, dy);
}

void OGTHeadlessRegionImp::UnionWith(const OGTRegionImp& other) {
  rects_ = Plus(rects_, RectsOf(other));
}

void OGTHeadlessRegionImp::IntersectWith(const OGTRegionImp& other) {
  std::vector<OGTRect> result;
  for (const OGTRect& a : rects_) {
    for (const OGTRect& b : RectsOf(other)) {
      OGTRect r = a;
      r.Intersect(b);
      if (!IsVoid(r)) result.push_back(r);
    }
  }
  rects_.swap(result);
}

void OGTHeadlessRegionImp::Subtract(const OGTRegionImp& other) {
  rects_ = Minus(rects_, RectsOf(other));
}

bool OGTHeadlessRegionImp::Equals(const OGTRegionImp& other) const {
  const std::vector<OGTRect>& theirs = RectsOf(other);
  return Minus(rects_, theirs).empty() && Minus(theirs, rects_).empty();
}

bool OGTHeadlessRegionImp::OverlapsRect(const OGTRect& rect) const {
  return std::any_of(rects_.begin(), rects_.end(), [&](const OGTRect& r) { return Meet(r, rect); });
}

bool OGTHeadlessRegionImp::ContainsPoint(const OGTPoint& p) const {
  return std::any_of(rects_.begin(), rects_.end(), [&](const OGTRect& r) {
    return r.Left() <= p.X() && p.X() < r.Right() && r.Top() <= p.Y() && p.Y() < r.Bottom();
  });
}

bool OGTHeadlessRegionImp::IsEmpty() const { return rects_.empty(); }

OGTHeadlessContextImp::OGTHeadlessContextImp(std::shared_ptr<OGTHeadlessScreen> screen)
    : screen_(std::move(screen)) {}

OGTHeadlessContextImp::~OGTHeadlessContextImp() = default;

void OGTHeadlessContextImp::Attach(void* native) {
  surface_ = static_cast<OGTHeadlessNode*>(native);
  surfaceAlive_ = surface_ != nullptr ? surface_->AliveToken() : std::weak_ptr<bool>();
}

void OGTHeadlessContextImp::AttachItem(OGTItemImp* item) { Attach(OGTHeadlessNode::Of(item)); }

void OGTHeadlessContextImp::Record(OGTDrawCall& call) {
  bool attached = surface_ != nullptr && !surfaceAlive_.expired();
  call.item = attached ? surface_->NodeItem() : nullptr;
  call.pen = pen_;
  call.fill = fill_;
  call.mode = mode_;
  if (clip_) {
    call.clipped = true;
    clip_->GetBoundingBox(call.clip);
  }
  screen_->RecordDraw(std::move(call));
}

void OGTHeadlessContextImp::DrawLine(const OGTPoint& from, const OGTPoint& to) {
  OGTDrawCall call;
  call.op = OGTDrawCall::kLine;
  call.from = from;
  call.to = to;
  Record(call);
}

void OGTHeadlessContextImp::FrameRect(const OGTRect& rect) {
  OGTDrawCall call;
  call.op = OGTDrawCall::kFrameRect;
  call.rect = rect;
  Record(call);
}

void OGTHeadlessContextImp::FillRect(const OGTRect& rect) {
  OGTDrawCall call;
  call.op = OGTDrawCall::kFillRect;
  call.rect = rect;
  Record(call);
}

void OGTHeadlessContextImp::InvertRect(const OGTRect& rect) {
  OGTDrawCall call;
  call.op = OGTDrawCall::kInvertRect;
  call.rect = rect;
  Record(call);
}

void OGTHeadlessContextImp::FrameFillRoundRect(const OGTRect& rect, int32_t cornerWidth,
                                               int32_t cornerHeight) {
  OGTDrawCall call;
  call.op = OGTDrawCall::kRoundRect;
  call.rect = rect;
  call.to = OGTPoint(cornerWidth, cornerHeight);
  Record(call);
}

void OGTHeadlessContextImp::FrameFillEllipse(const OGTRect& rect) {
  OGTDrawCall call;
  call.op = OGTDrawCall::kEllipse;
  call.rect = rect;
  Record(call);
}

void OGTHeadlessContextImp::DrawText(const char* text, size_t length, const OGTRect& rect,
                                     const OGTFont& font) {
  OGTDrawCall call;
  call.op = OGTDrawCall::kText;
  call.rect = rect;
  call.text.assign(text, length);
  call.face = OGTDrawingFace(font);
  call.points = OGTDrawingPointSize(font.Size());
  call.style = font.Style();
  call.textColor = font.Color();
  Record(call);
}

void OGTHeadlessContextImp::DrawText(const char* text, size_t length, const OGTPoint& baseline,
                                     const OGTFont& font) {
  OGTDrawCall call;
  call.op = OGTDrawCall::kText;
  call.atPoint = true;
  call.from = baseline;
  call.text.assign(text, length);
  call.face = OGTDrawingFace(font);
  call.points = OGTDrawingPointSize(font.Size());
  call.style = font.Style();
  call.textColor = font.Color();
  Record(call);
}

int32_t OGTHeadlessContextImp::CharWidth(uint16_t code, const OGTFont& font) {
  return CharWidthAt(OGTDrawingPointSize(font.Size()), code > 0xFF);
}

int32_t OGTHeadlessContextImp::TextWidth(const char* text, size_t start, size_t count,
                                         const OGTFont& font) {
  int32_t points = OGTDrawingPointSize(font.Size());
  const auto* bytes = reinterpret_cast<const uint8_t*>(text) + start;
  int32_t width = 0;
  for (size_t i = 0; i < count;) {
    size_t step = VCharLength(bytes, count, i);
    width += CharWidthAt(points, step == 2);
    i += step;
  }
  return width;
}

void OGTHeadlessContextImp::FontMetrics(const OGTFont& font, int32_t& ascent, int32_t& descent,
                                        int32_t& leading) {
  int32_t points = OGTDrawingPointSize(font.Size());
  ascent = points;
  descent = (points + 3) / 4;
  leading = 0;
}

void OGTHeadlessContextImp::InvalidateRect(const OGTRect&) {
  if (surface_ != nullptr && !surfaceAlive_.expired()) ++surface_->invalidations_;
}

void OGTHeadlessContextImp::SetClip(const OGTRegionImp* region) {
  if (region == nullptr) {
    clip_.reset();
    return;
  }
  if (!clip_) clip_ = std::make_unique<OGTHeadlessRegionImp>();
  clip_->CopyFrom(*region);
}

void OGTHeadlessContextImp::GetClip(OGTRegionImp& region) const {
  region.MakeEmpty();
  if (clip_) region.CopyFrom(*clip_);
}

OGTPoint OGTHeadlessContextImp::WindowOrigin() const {
  if (surface_ == nullptr || surfaceAlive_.expired()) return OGTPoint();
  OGTHeadlessNode* window = surface_->TopLevel();
  return window != nullptr ? OGTPoint(window->x_, window->y_) : OGTPoint();
}

void OGTHeadlessContextImp::WindowToScreen(OGTRect& rect) const {
  OGTPoint origin = WindowOrigin();
  rect.Offset(origin.X(), origin.Y());
}

void OGTHeadlessContextImp::WindowToScreen(OGTPoint& point) const {
  OGTPoint origin = WindowOrigin();
  point.Offset(origin.X(), origin.Y());
}

void OGTHeadlessContextImp::ScreenToWindow(OGTRect& rect) const {
  OGTPoint origin = WindowOrigin();
  rect.Offset(-origin.X(), -origin.Y());
}

void OGTHeadlessContextImp::ScreenToWindow(OGTPoint& point) const {
  OGTPoint origin = WindowOrigin();
  point.Offset(-origin.X(), -origin.Y());
}

void OGTHeadlessContextImp::RecordImage(const OGTRect& rect, int32_t width, int32_t height) {
  OGTDrawCall call;
  call.op = OGTDrawCall::kImage;
  call.rect = rect;
  call.imageWidth = width;
  call.imageHeight = height;
  Record(call);
}
