#include "gt/OGTImageField.h"

#include <algorithm>

#include "base/VString.h"
#include "gt/OGTContext.h"
#include "gt/OGTEvent.h"
#include "gt/OGTImage.h"
#include "gt/OGTRegion.h"
#include "gt/OGTScrollBar.h"
#include "gt/OGTUDlog.h"
#include "gt/imp/OGTItemImp.h"

namespace {

bool Inside(const OGTRect& rect, const OGTPoint& point) {
  return point.X() >= rect.Left() && point.X() < rect.Right() && point.Y() >= rect.Top() &&
         point.Y() < rect.Bottom();
}

}  // namespace

OGTImageField::OGTImageField() = default;
OGTImageField::~OGTImageField() = default;

int32_t OGTImageField::Kind() const { return kOGTKindImageField; }

OGTItemImp* OGTImageField::Create(int32_t variant, OGTCompositItem* parent) {
  ShowBars(false, false);
  OGTItemImp* imp = AdoptImp(variant, parent, nullptr);
  ShowBars(WantsVerticalBar(), WantsHorizontalBar());
  return imp;
}

OGTItem* OGTImageField::Surface() const {
  for (OGTItem* up = Parent(); up != nullptr; up = up->Parent()) {
    if (up->Imp() != nullptr) return up;
  }
  return nullptr;
}

// Geometry and visibility, kept here for want of a native object.

void OGTImageField::SetPosition(int32_t x, int32_t y, bool redraw) {
  if (redraw) Invalidate();
  x_ = x;
  y_ = y;
  LayoutBars();
  if (redraw) Invalidate();
}

void OGTImageField::GetPosition(int32_t& x, int32_t& y) const {
  x = x_;
  y = y_;
}

void OGTImageField::SetSize(int32_t width, int32_t height, bool redraw) {
  if (redraw) Invalidate();
  width_ = std::max(width, 0);
  height_ = std::max(height, 0);
  LayoutBars();
  ResetBars();
  if (redraw) Invalidate();
}

void OGTImageField::GetSize(int32_t& width, int32_t& height) const {
  width = width_;
  height = height_;
}

void OGTImageField::GetBounds(OGTRect& rect) const { rect.Set(y_, x_, y_ + height_, x_ + width_); }

void OGTImageField::Show() {
  shown_ = true;
  for (OGTScrollBar* bar : {verticalBar_, horizontalBar_}) {
    if (bar != nullptr) bar->Show();
  }
  Invalidate();
}

void OGTImageField::Hide() {
  shown_ = false;
  for (OGTScrollBar* bar : {verticalBar_, horizontalBar_}) {
    if (bar != nullptr) bar->Hide();
  }
  Invalidate();
}

void OGTImageField::Enable() {
  for (OGTScrollBar* bar : {verticalBar_, horizontalBar_}) {
    if (bar != nullptr) bar->Enable();
  }
}

void OGTImageField::Disable() {
  for (OGTScrollBar* bar : {verticalBar_, horizontalBar_}) {
    if (bar != nullptr) bar->Disable();
  }
}

void OGTImageField::Invalidate(const OGTRect& rect) {
  if (OGTItem* surface = Surface()) surface->Invalidate(rect);
}

void OGTImageField::Invalidate() {
  OGTRect bounds;
  GetBounds(bounds);
  Invalidate(bounds);
}

void OGTImageField::Update(bool /*withChildren*/) {
  // Painting the surface draws this field with it.
  if (OGTItem* surface = Surface()) surface->Update(false);
}

void OGTImageField::ScrollContents(const OGTRect& rect, int32_t dx, int32_t dy, bool redraw) {
  if (OGTItem* surface = Surface()) surface->ScrollContents(rect, dx, dy, redraw);
}

// Loading.

bool OGTImageField::LoadFromMemory(const uint8_t* bytes, size_t length, int32_t format) {
  if (!image_) image_ = std::make_unique<OGTImage>();
  bool loaded = bytes != nullptr && image_->LoadFromMemory(bytes, length, format);
  AfterLoad(loaded);
  return loaded;
}

bool OGTImageField::LoadFromFile(const char* name) {
  if (!image_) image_ = std::make_unique<OGTImage>();
  bool loaded = name != nullptr && name[0] != 0 && image_->LoadFromFile(name);
  AfterLoad(loaded);
  return loaded;
}

void OGTImageField::AfterLoad(bool loaded) {
  if (!loaded) image_.reset();
  LayoutBars();
  ResetBars();
  Invalidate();
}

bool OGTImageField::ChooseAndLoad() {
  VString path;
  if (!ChooseOpenFile(path)) return false;
  return LoadFromFile(path.CString());
}

void OGTImageField::ClearImage() { AfterLoad(false); }

bool OGTImageField::IsLoaded() const { return image_ && image_->IsLoaded(); }

bool OGTImageField::WantsVerticalBar() const { return (Variant() & 1) == 0; }
bool OGTImageField::WantsHorizontalBar() const { return (Variant() & 2) == 0; }

// Offsets.

int32_t OGTImageField::Limit(const OGTScrollBar* bar, int32_t overhang) const {
  if (bar == nullptr) return overhang;
  int32_t min = 0;
  int32_t max = 0;
  bar->GetRange(min, max);
  return std::max(max, 0);
}

void OGTImageField::MaxOffsets(int32_t& horizontal, int32_t& vertical) const {
  horizontal = vertical = 0;
  if (!IsLoaded()) return;
  int32_t width = 0;
  int32_t height = 0;
  image_->GetSize(width, height);
  OGTRect content;
  ContentRect(content, true);
  horizontal = std::max(width - content.Width(), 0);
  vertical = std::max(height - content.Height(), 0);
}

int32_t OGTImageField::HorizontalOffset() const { return horizontalOffset_; }
int32_t OGTImageField::VerticalOffset() const { return verticalOffset_; }

void OGTImageField::SetHorizontalOffset(int32_t offset, bool update) {
  int32_t horizontal = 0;
  int32_t vertical = 0;
  MaxOffsets(horizontal, vertical);
  offset = std::clamp(offset, 0, Limit(horizontalBar_, horizontal));
  if (offset == horizontalOffset_) return;
  horizontalOffset_ = offset;
  if (horizontalBar_ != nullptr) horizontalBar_->SetScrollPosition(offset);
  if (update) Update(false);
}

void OGTImageField::SetVerticalOffset(int32_t offset, bool update) {
  int32_t horizontal = 0;
  int32_t vertical = 0;
  MaxOffsets(horizontal, vertical);
  offset = std::clamp(offset, 0, Limit(verticalBar_, vertical));
  if (offset == verticalOffset_) return;
  verticalOffset_ = offset;
  if (verticalBar_ != nullptr) verticalBar_->SetScrollPosition(offset);
  if (update) Update(false);
}

void OGTImageField::ScrollBy(int32_t dy, int32_t dx, bool redraw) {
  OGTRect content;
  ContentRect(content, true);
  if (content.IsEmpty(true) || (dx == 0 && dy == 0)) return;
  ScrollContents(content, dx, dy, redraw);
}

// Bars.

void OGTImageField::ShowBars(bool vertical, bool horizontal) {
  OGTScrollBar::Provide(*this, verticalBar_, vertical, OGTScrollBar::kVertical, shown_);
  OGTScrollBar::Provide(*this, horizontalBar_, horizontal, OGTScrollBar::kHorizontal, shown_);
  LayoutBars();
  ResetBars();
  Invalidate();
}

void OGTImageField::LayoutBars() {
  int32_t vertical = OGTScrollBar::ThicknessOf(verticalBar_);
  int32_t horizontal = OGTScrollBar::ThicknessOf(horizontalBar_);
  // With both bars each gives up the corner but one unit, so that they overlap there.
  int32_t cutBottom = verticalBar_ != nullptr && horizontalBar_ != nullptr ? horizontal - 1 : 0;
  int32_t cutRight = verticalBar_ != nullptr && horizontalBar_ != nullptr ? vertical - 1 : 0;
  if (verticalBar_ != nullptr) {
    verticalBar_->SetPosition(x_ + width_ - vertical, y_, true);
    verticalBar_->SetSize(vertical, std::max(height_ - cutBottom, 0), true);
  }
  if (horizontalBar_ != nullptr) {
    horizontalBar_->SetPosition(x_, y_ + height_ - horizontal, true);
    horizontalBar_->SetSize(std::max(width_ - cutRight, 0), horizontal, true);
  }
}

void OGTImageField::ResetBars() {
  int32_t horizontal = 0;
  int32_t vertical = 0;
  MaxOffsets(horizontal, vertical);
  horizontalOffset_ = std::clamp(horizontalOffset_, 0, horizontal);
  verticalOffset_ = std::clamp(verticalOffset_, 0, vertical);
  if (verticalBar_ != nullptr) verticalBar_->SetUp(vertical, verticalOffset_, kLineStep, kPageStep);
  if (horizontalBar_ != nullptr) {
    horizontalBar_->SetUp(horizontal, horizontalOffset_, kLineStep, kPageStep);
  }
}

void OGTImageField::ContentRect(OGTRect& rect, bool inset) const {
  GetBounds(rect);
  if (inset) rect.Inset(1, 1);
  rect.SetRight(rect.Right() - OGTScrollBar::ThicknessOf(verticalBar_));
  rect.SetBottom(rect.Bottom() - OGTScrollBar::ThicknessOf(horizontalBar_));
  if (rect.IsEmpty(true)) rect.Clear();
}

int32_t OGTImageField::HitTest(const OGTPoint& point) const {
  OGTRect bounds;
  GetBounds(bounds);
  if (!Inside(bounds, point)) return kHitOutside;
  for (OGTScrollBar* bar : {verticalBar_, horizontalBar_}) {
    if (bar == nullptr) continue;
    OGTRect area;
    bar->GetBounds(area);
    if (Inside(area, point)) return bar == verticalBar_ ? kHitVerticalBar : kHitHorizontalBar;
  }
  return kHitContent;
}

void OGTImageField::RemoveChild(OGTItem* child) {
  if (child != nullptr && child == verticalBar_) verticalBar_ = nullptr;
  if (child != nullptr && child == horizontalBar_) horizontalBar_ = nullptr;
  OGTCompositItem::RemoveChild(child);
}

void OGTImageField::OnEvent(OGTItem* item, int32_t code) {
  if (item != nullptr && (item == verticalBar_ || item == horizontalBar_)) {
    OnBar(static_cast<OGTScrollBar*>(item), code);
    return;
  }
  OGTCompositItem::OnEvent(item, code);
}

void OGTImageField::OnBar(OGTScrollBar* bar, int32_t code) {
  bool vertical = bar == verticalBar_;
  int32_t before = vertical ? verticalOffset_ : horizontalOffset_;
  int64_t target = before;
  if (!bar->TargetOf(code, before, target)) return;
  auto clamped = static_cast<int32_t>(std::clamp<int64_t>(target, 0, INT32_MAX));
  if (vertical) {
    SetVerticalOffset(clamped, false);
    ScrollBy(before - verticalOffset_, 0, true);
  } else {
    SetHorizontalOffset(clamped, false);
    ScrollBy(0, before - horizontalOffset_, true);
  }
  // The thumb shows the offset even when the move was clamped.
  bar->SetScrollPosition(vertical ? verticalOffset_ : horizontalOffset_);
}

// Input and drawing.

void OGTImageField::OnMouse(OGTEvent* event) {
  if (event == nullptr) return;
  if (event->Type() == kOGTMouseDown) {
    int32_t hit = HitTest(event->Point());
    pressed_ = hit != kHitVerticalBar && hit != kHitHorizontalBar;
  } else if (event->Type() != kOGTMouseUp) {
    pressed_ = false;
  }
}

void OGTImageField::OnKey(OGTEvent* event, bool& handled) {
  handled = false;
  if (event != nullptr && event->Type() == kOGTKeyDown && event->Key() >= kOGTKeyArrowLeft &&
      event->Key() <= kOGTKeyArrowDown) {
    handled = true;
    return;
  }
  OGTCompositItem::OnKey(event, handled);
}

void OGTImageField::Draw(OGTContext* context) {
  if (context == nullptr || !shown_) return;
  OGTRect bounds;
  GetBounds(bounds);
  OGTClipScope clip(context);
  if (!clip.ClipTo(bounds)) return;
  context->SetFillColor(kBackColor);
  context->FillRect(bounds);
  context->SetPenColor(kFrameColor);
  context->FrameRect(bounds);
  DrawImage(context);
}

void OGTImageField::DrawImage(OGTContext* context) {
  if (context == nullptr || !IsLoaded()) return;
  OGTRect content;
  ContentRect(content, true);
  if (content.IsEmpty(true)) return;
  OGTClipScope clip(context);
  if (!clip.ClipTo(content)) return;
  OGTRect at(content.Top() - verticalOffset_, content.Left() - horizontalOffset_, content.Bottom(),
             content.Right());
  image_->Draw(context, at);
}
