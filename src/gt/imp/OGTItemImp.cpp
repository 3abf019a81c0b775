#include "gt/imp/OGTItemImp.h"

#include "gt/OGTGraphics.h"
#include "gt/OGTItem.h"
#include "gt/OGTWindow.h"
#include "gt/imp/OGTGuard.h"

OGTItemImp::OGTItemImp() = default;
OGTItemImp::~OGTItemImp() = default;

void OGTItemImp::Create(OGTItem* item, int32_t /*variant*/) { item_ = item; }
void OGTItemImp::SetPosition(int32_t, int32_t, bool) {}
void OGTItemImp::GetPosition(int32_t& x, int32_t& y) const { x = y = 0; }
void OGTItemImp::SetSize(int32_t, int32_t, bool) {}
void OGTItemImp::GetSize(int32_t& width, int32_t& height) const { width = height = 0; }

void OGTItemImp::GetBounds(OGTRect& rect) const {
  int32_t x, y, width, height;
  GetPosition(x, y);
  GetSize(width, height);
  rect.Set(y, x, y + height, x + width);
}

bool OGTItemImp::IsVisible() const { return false; }
void OGTItemImp::Show() {}
void OGTItemImp::Hide() {}
bool OGTItemImp::IsActive() const { return false; }
void OGTItemImp::Activate() {}
void OGTItemImp::Deactivate() {}
bool OGTItemImp::IsEnabled() const { return false; }
void OGTItemImp::Enable() {}
void OGTItemImp::Disable() {}
void OGTItemImp::SetText(const char*) {}

void OGTItemImp::GetText(char* buffer, size_t size) const {
  if (buffer != nullptr && size > 0) buffer[0] = 0;
}

void OGTItemImp::SetFont(const OGTFont& font) {
  if (font_) {
    *font_ = font;
  } else {
    font_ = std::make_unique<OGTFont>(font);
  }
}

void OGTItemImp::GetFont(OGTFont& font) const {
  if (font_) font = *font_;
}

void OGTItemImp::SetValue(int32_t) {}
void OGTItemImp::GetValue(int32_t& value) const { value = 0; }
void OGTItemImp::Draw(OGTContext*) {}
void OGTItemImp::Invalidate(const OGTRect&) {}
void OGTItemImp::InvalidateAll() {}
void OGTItemImp::Validate(const OGTRect&) {}
void OGTItemImp::ValidateAll() {}
void OGTItemImp::Update(bool) {}
void OGTItemImp::ScrollContents(const OGTRect&, int32_t, int32_t, bool) {}
void OGTItemImp::HandleMouse(OGTEvent*) {}
void OGTItemImp::HandleKey(OGTEvent*, bool& handled) { handled = false; }
bool OGTItemImp::CanTakeFocus() const { return false; }
void OGTItemImp::TakeFocus() {}
void OGTItemImp::ChildAdded(OGTItemImp*, int32_t) {}
void OGTItemImp::ChildRemoved(OGTItemImp*) {}

void OGTItemImp::PaintCallback(OGTContext* context) {
  if (item_ == nullptr) return;
  OGTGuarded(
      "paint", [&] { item_->Draw(context); }, true);
}

void OGTItemImp::MouseCallback(OGTEvent* event) {
  if (item_ == nullptr) return;
  OGTGuarded("mouse", [&] { item_->OnMouse(event); });
}

void OGTItemImp::KeyCallback(OGTEvent* event, bool& handled) {
  handled = false;
  if (item_ == nullptr) return;
  OGTGuarded("key", [&] { item_->OnKey(event, handled); });
}

void OGTItemImp::Notify(int32_t code) {
  if (item_ == nullptr) return;
  OGTGuarded("event", [&] { item_->OnEvent(item_, code); });
}

void OGTItemImp::DeleteWithItem(OGTItemImp* imp) {
  if (imp == nullptr) return;
  OGTItem* item = imp->item_;
  if (item != nullptr) {
    item->AbandonImp();
    delete item;
  }
  delete imp;
}

bool OGTItemImp::CloseAtUserRequest(OGTItemImp* imp) {
  if (imp == nullptr) return false;
  auto* window = dynamic_cast<OGTWindow*>(imp->item_);
  bool closed = false;
  OGTGuarded("close", [&] {
    if (window != nullptr && !window->CanClose()) return;
    closed = true;
    DeleteWithItem(imp);
  });
  return closed;
}
