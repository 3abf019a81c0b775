#include "vtx/OGTStyleEdit.h"

#include <algorithm>
#include <cstring>

#include "base/VSjis.h"
#include "gt/OGTContext.h"
#include "gt/OGTEvent.h"
#include "gt/OGTScrollBar.h"
#include "gt/OGTSound.h"
#include "gt/OGTWindow.h"
#include "gt/imp/OGTImpFactory.h"
#include "vtx/VtxEdit.h"

namespace {

// Pixel containment: the right and bottom edges lie outside.
bool Inside(const OGTRect& rect, const OGTPoint& point) {
  return point.X() >= rect.Left() && point.X() < rect.Right() && point.Y() >= rect.Top() &&
         point.Y() < rect.Bottom();
}

// At most size - 1 bytes of text, ending on a character boundary, and a zero.
size_t CopyOut(std::string_view text, char* buffer, size_t size) {
  if (buffer == nullptr || size == 0) return 0;
  const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
  size_t n = 0;
  while (n < text.size()) {
    const size_t step = VCharLength(bytes, text.size(), n);
    if (n + step > size - 1) break;
    n += step;
  }
  if (n > 0) std::memcpy(buffer, text.data(), n);
  buffer[n] = 0;
  return n;
}

// Text from outside (a paste) as the engine keeps it: control bytes other than tab, carriage
// return and line feed are dropped, as reading markup drops them. False when the text holds a "<",
// which the markup cannot keep as text.
bool Typable(std::string_view text, std::string* out) {
  const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
  out->clear();
  for (size_t i = 0; i < text.size();) {
    const size_t step = VCharLength(bytes, text.size(), i);
    const uint8_t b = bytes[i];
    if (step == 1 && b == '<') return false;
    if (step == 2 || b >= 0x20 || b == '\t' || b == '\r' || b == '\n')
      out->append(text.substr(i, step));
    i += step;
  }
  return true;
}

}  // namespace

OGTStyleEdit::OGTStyleEdit() = default;

OGTStyleEdit::~OGTStyleEdit() {
  // The engine measures with the context: it goes first.
  edit_.reset();
  context_.reset();
}

int32_t OGTStyleEdit::Kind() const { return kOGTKindStyleEdit; }

OGTItemImp* OGTStyleEdit::Create(int32_t variant, OGTCompositItem* parent) {
  // A bar made for an earlier implementation belongs to its native object.
  OGTScrollBar::Provide(*this, bar_, false, OGTScrollBar::kVertical, true);
  OGTImpFactory* factory = OGTImpFactory::Current();
  OGTItemImp* imp =
      AdoptImp(variant, parent, factory ? factory->MakeStyleEditImp(parent) : nullptr);
  Relayout();
  return imp;
}

VtxEdit& OGTStyleEdit::Engine() {
  if (!edit_) {
    if (!context_) context_ = std::make_unique<OGTContext>();
    edit_ = std::make_unique<VtxEdit>();
    OGTFont font;
    GetFont(font);
    edit_->SetBaseFont(font);
    Relayout();
  }
  return *edit_;
}

// ---- geometry ----

void OGTStyleEdit::SetPosition(int32_t x, int32_t y, bool redraw) {
  OGTCompositItem::SetPosition(x, y, redraw);
  Relayout();
}

void OGTStyleEdit::SetSize(int32_t width, int32_t height, bool redraw) {
  OGTCompositItem::SetSize(width, height, redraw);
  Relayout();
}

void OGTStyleEdit::ContentRect(OGTRect& rect) const {
  GetBounds(rect);
  rect.SetRight(std::max(rect.Right() - OGTScrollBar::ThicknessOf(bar_), rect.Left()));
}

void OGTStyleEdit::TextArea(OGTRect& rect) const {
  ContentRect(rect);
  rect.Inset(kInset, kInset);
}

int32_t OGTStyleEdit::HitTest(const OGTPoint& point) const {
  OGTRect area;
  GetBounds(area);
  if (!Inside(area, point)) return kHitOutside;
  TextArea(area);
  if (Inside(area, point)) return kHitText;
  ContentRect(area);
  return Inside(area, point) ? kHitContent : kHitBar;
}

void OGTStyleEdit::Relayout() {
  OGTRect bounds;
  GetBounds(bounds);
  OGTScrollBar::Provide(*this, bar_, bounds.Height() > kBarThreshold, OGTScrollBar::kVertical,
                        true);
  if (bar_ != nullptr) {
    const int32_t thickness = OGTScrollBar::ThicknessOf(bar_);
    bar_->SetPosition(bounds.Right() - thickness, bounds.Top(), true);
    bar_->SetSize(thickness, bounds.Height(), true);
  }
  if (!edit_) return;
  OGTRect area;
  TextArea(area);
  edit_->SetView(area);
  edit_->SetLayoutWidth(area.Width() - 2 * VtxEdit::kMargin);
  edit_->Layout(context_.get());
  UpdateBar();
}

void OGTStyleEdit::UpdateBar() {
  if (bar_ == nullptr || !edit_) return;
  OGTRect area;
  TextArea(area);
  bar_->SetUp(edit_->MaxScroll(), edit_->ScrollOrigin().Y(), kLineStep, std::max(area.Height(), 1));
}

void OGTStyleEdit::ScrollTo(int32_t y) {
  VtxEdit& edit = Engine();
  y = std::clamp(y, 0, edit.MaxScroll());
  if (bar_ != nullptr) bar_->SetScrollPosition(y);
  if (y == edit.ScrollOrigin().Y()) return;
  edit.SetScrollOrigin(OGTPoint(0, y));
  Invalidate();
}

int32_t OGTStyleEdit::ScrollPosition() const { return edit_ ? edit_->ScrollOrigin().Y() : 0; }

void OGTStyleEdit::RemoveChild(OGTItem* child) {
  if (child != nullptr && child == bar_) bar_ = nullptr;
  OGTCompositItem::RemoveChild(child);
}

void OGTStyleEdit::OnEvent(OGTItem* item, int32_t code) {
  if (item != nullptr && item == bar_) {
    OnBar(bar_, code);
    return;
  }
  OGTCompositItem::OnEvent(item, code);
}

void OGTStyleEdit::OnBar(OGTScrollBar* bar, int32_t code) {
  int64_t target = ScrollPosition();
  if (!bar->TargetOf(code, ScrollPosition(), target)) return;
  ScrollTo(static_cast<int32_t>(std::clamp<int64_t>(target, 0, INT32_MAX)));
}

// ---- markup and text ----

void OGTStyleEdit::SetMarkup(const char* bytes, size_t length, bool redraw) {
  VtxEdit& edit = Engine();
  edit.SetMarkup(reinterpret_cast<const uint8_t*>(bytes), bytes != nullptr ? length : 0);
  Relayout();
  if (redraw) UpdateBar();
  Invalidate();
}

void OGTStyleEdit::SetMarkup(const char* text, bool redraw) {
  SetMarkup(text, text != nullptr ? std::strlen(text) : 0, redraw);
}

void OGTStyleEdit::SetText(const char* text) { SetMarkup(text, true); }

std::string OGTStyleEdit::Markup() const { return edit_ ? edit_->Markup() : std::string(); }

void OGTStyleEdit::GetMarkup(char* buffer, size_t size, size_t* length) const {
  const size_t copied = CopyOut(Markup(), buffer, size);
  if (length != nullptr) *length = copied;
}

size_t OGTStyleEdit::MarkupLength() const { return Markup().size(); }

void OGTStyleEdit::GetText(char* buffer, size_t size) const {
  CopyOut(edit_ ? std::string_view(edit_->Text()) : std::string_view(), buffer, size);
}

void OGTStyleEdit::GetTextRange(int64_t from, int64_t to, char* buffer, size_t size) const {
  if (from > to) std::swap(from, to);
  const int64_t length = TextLength();
  if (!edit_ || from == to || from >= length || to <= 0) {
    CopyOut({}, buffer, size);
    return;
  }
  const std::string range = edit_->TextRange(static_cast<uint32_t>(std::max<int64_t>(from, 0)),
                                             static_cast<uint32_t>(std::min(to, length)));
  CopyOut(range, buffer, size);
}

uint32_t OGTStyleEdit::TextLength() const { return edit_ ? edit_->TextLength() : 0; }

void OGTStyleEdit::SetFont(const OGTFont& font) {
  OGTCompositItem::SetFont(font);
  if (!edit_) return;
  edit_->SetBaseFont(font);
  Relayout();
  Invalidate();
}

// ---- selection and marks ----

void OGTStyleEdit::SetSelection(int64_t start, int64_t end) {
  Engine().SetSelection(start, end);
  AfterMove();
}

void OGTStyleEdit::SelectAllText() {
  Engine().SelectAll();
  Invalidate();
}

void OGTStyleEdit::GetSelection(uint32_t* start, uint32_t* end) const {
  *start = edit_ ? edit_->Cursor().Start() : 0;
  *end = edit_ ? edit_->Cursor().End() : 0;
}

uint32_t OGTStyleEdit::SelectionLength() const { return edit_ ? edit_->SelectionLength() : 0; }

void OGTStyleEdit::MarkWord(std::string_view word) {
  if (word.empty()) return;
  Engine().MarkWord(word);
  Invalidate();
}

void OGTStyleEdit::ClearWordMarks() {
  if (!edit_) return;
  edit_->ClearWordMarks();
  Invalidate();
}

int32_t OGTStyleEdit::MarkCount() const {
  return edit_ ? static_cast<int32_t>(std::min<size_t>(edit_->MarkCount(), INT32_MAX)) : 0;
}

bool OGTStyleEdit::GetMark(int32_t index, uint32_t* start, uint32_t* end) const {
  return edit_ && index >= 0 && edit_->GetMark(static_cast<size_t>(index), start, end);
}

bool OGTStyleEdit::SelectedText(std::string* text) const {
  if (!edit_ || edit_->SelectionLength() == 0) return false;
  *text = edit_->SelectedText();
  return true;
}

bool OGTStyleEdit::ReplaceSelectedText(std::string_view text) {
  std::string typable;
  if (!Typable(text, &typable) || typable.empty()) return false;
  return TypeText(typable);
}

bool OGTStyleEdit::DeleteSelectedText() {
  if (!edit_ || edit_->SelectionLength() == 0) return false;
  edit_->DeleteBackward();
  AfterUserEdit();
  return true;
}

bool OGTStyleEdit::SelectWholeText() {
  SelectAllText();
  return true;
}

// ---- editing and input ----

bool OGTStyleEdit::TypeText(std::string_view bytes) {
  const bool taken = Engine().ReplaceSelection(bytes);
  AfterUserEdit();
  return taken;
}

void OGTStyleEdit::AfterUserEdit() {
  SetModified(true);
  UpdateBar();
  AfterMove();
}

void OGTStyleEdit::AfterMove() {
  if (edit_ && edit_->ScrollToCaret()) UpdateBar();
  Invalidate();
}

bool OGTStyleEdit::HasFocus() const {
  for (OGTCompositItem* up = Parent(); up != nullptr; up = up->Parent()) {
    if (auto* window = dynamic_cast<OGTWindow*>(up)) return window->FocusedItem() == this;
  }
  return false;
}

void OGTStyleEdit::OnKey(OGTEvent* event, bool& handled) {
  handled = false;
  if (event == nullptr || event->Type() != kOGTKeyDown) {
    OGTCompositItem::OnKey(event, handled);
    return;
  }
  const uint16_t key = event->Key();
  const bool shift = event->HasModifier(kOGTShift);
  switch (key) {
    case kOGTKeyEnter:
    case kOGTKeyReturn:
      handled = true;
      // The form may run a script that deletes this item: nothing follows.
      OGTCompositItem::OnEvent(this, kOGTEventReturn);
      return;
    case kOGTKeyTab:
      handled = true;
      OGTCompositItem::OnEvent(this, shift ? kOGTEventFocusPrevious : kOGTEventFocusNext);
      return;
    case kOGTKeyArrowLeft:
    case kOGTKeyArrowRight:
    case kOGTKeyArrowUp:
    case kOGTKeyArrowDown:
      handled = true;
      if (Engine().MoveCaret(key, shift)) AfterMove();
      return;
    case kOGTKeyBackspace:
      handled = true;
      if (Engine().DeleteBackward()) AfterUserEdit();
      return;
    case kOGTKeyDelete:
      handled = true;
      if (Engine().DeleteForward()) AfterUserEdit();
      return;
    default:
      break;
  }
  const bool command = event->HasModifier(kOGTControl) || event->HasModifier(kOGTAlt);
  const bool doubleByte = key > 0xFF;
  if (command || key < 0x20 || (doubleByte && !VIsLeadByte(static_cast<uint8_t>(key >> 8)))) {
    // Not typing: the platform (or the window) may act on it.
    OGTCompositItem::OnKey(event, handled);
    return;
  }
  handled = true;
  if (key == '<') {
    Beep();
    return;
  }
  std::string bytes;
  if (doubleByte) bytes.push_back(static_cast<char>(key >> 8));
  bytes.push_back(static_cast<char>(key & 0xFF));
  TypeText(bytes);
}

void OGTStyleEdit::OnMouse(OGTEvent* event) {
  if (event == nullptr) return;
  const OGTPoint& point = event->Point();
  if (event->Type() == kOGTMouseDown) {
    const int32_t hit = HitTest(point);
    pressForeign_ = hit != kHitText && hit != kHitContent;
    if (pressForeign_) {
      OGTCompositItem::OnMouse(event);
      return;
    }
    VtxEdit& edit = Engine();
    edit.Press(edit.OffsetAt(point), event->HasModifier(kOGTShift));
    Invalidate();
  } else if (event->Type() == kOGTMouseUp) {
    if (pressForeign_) {
      OGTCompositItem::OnMouse(event);
      return;
    }
    VtxEdit& edit = Engine();
    edit.Release(edit.OffsetAt(point));
    AfterMove();
  }
  // Moves between press and release change nothing: the selection runs from press to release.
}

void OGTStyleEdit::Draw(OGTContext* context) {
  if (context == nullptr) return;
  OGTRect bounds;
  GetBounds(bounds);
  OGTClipScope clip(context);
  if (!clip.ClipTo(bounds)) return;
  context->SetFillColor(kBackColor);
  context->FillRect(bounds);
  context->SetPenColor(kFrameColor);
  OGTRect frame;
  ContentRect(frame);
  context->FrameRect(frame);
  Engine().Draw(context, HasFocus());
}
