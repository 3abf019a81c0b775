#include "gt/OGTItem.h"

#include <vector>

#include "base/VSjis.h"
#include "gt/OGTCompositItem.h"
#include "gt/OGTEvent.h"
#include "gt/OGTGraphics.h"
#include "gt/imp/OGTItemImp.h"

namespace {

// Copies at most size - 1 bytes, cut back to a character boundary, and a terminating zero.
void CopyOutWhole(const VString& text, char* buffer, size_t size) {
  if (buffer == nullptr || size == 0) return;
  size_t length = text.Length();
  if (length > size - 1) {
    length = size - 1;
    if (!VIsCharBoundary(text.Data(), text.Length(), length)) --length;
  }
  std::copy(text.Data(), text.Data() + length, buffer);
  buffer[length] = 0;
}

}  // namespace

OGTItem::OGTItem() = default;

OGTItem::~OGTItem() {
  if (parent_ != nullptr) parent_->RemoveChild(this);
  DropImp();
}

void OGTItem::DropImp() {
  if (!imp_) return;
  imp_->DetachItem();
  if (ownsImp_) {
    imp_.reset();
  } else {
    imp_.release();  // the platform deletes it
  }
}

int32_t OGTItem::Kind() const { return kOGTKindItem; }

OGTItemImp* OGTItem::Create(int32_t variant, OGTCompositItem* parent) {
  return AdoptImp(variant, parent, nullptr);
}

OGTItemImp* OGTItem::AdoptImp(int32_t variant, OGTCompositItem* parent,
                              std::unique_ptr<OGTItemImp> imp) {
  variant_ = variant;
  parent_ = parent;
  DropImp();
  ownsImp_ = true;
  imp_ = std::move(imp);
  if (imp_) imp_->Create(this, variant);
  return imp_.get();
}

void OGTItem::SetID(int32_t id) { id_ = id; }
int32_t OGTItem::GetID() const { return id_; }
bool OGTItem::HasID(int32_t id) const { return id_ == id; }
OGTItem* OGTItem::FindByID(int32_t id) { return HasID(id) ? this : nullptr; }

void OGTItem::SetPosition(int32_t x, int32_t y, bool redraw) {
  if (imp_) imp_->SetPosition(x, y, redraw);
}

void OGTItem::GetPosition(int32_t& x, int32_t& y) const {
  x = y = 0;
  if (imp_) imp_->GetPosition(x, y);
}

void OGTItem::SetSize(int32_t width, int32_t height, bool redraw) {
  if (imp_) imp_->SetSize(width, height, redraw);
}

void OGTItem::GetSize(int32_t& width, int32_t& height) const {
  width = height = 0;
  if (imp_) imp_->GetSize(width, height);
}

void OGTItem::GetBounds(OGTRect& rect) const {
  rect.Clear();
  if (imp_) imp_->GetBounds(rect);
}

void OGTItem::Show() {
  if (imp_) imp_->Show();
}

void OGTItem::Hide() {
  if (imp_) imp_->Hide();
}

void OGTItem::Activate() {
  if (imp_) imp_->Activate();
}

void OGTItem::Deactivate() {
  if (imp_) imp_->Deactivate();
}

void OGTItem::Enable() {
  if (imp_) imp_->Enable();
}

void OGTItem::Disable() {
  if (imp_) imp_->Disable();
}

void OGTItem::SetText(const char* text) {
  if (imp_) imp_->SetText(text);
}

void OGTItem::GetText(char* buffer, size_t size) const {
  if (buffer != nullptr && size > 0) buffer[0] = 0;
  if (imp_) imp_->GetText(buffer, size);
}

void OGTItem::SetFont(const OGTFont& font) {
  if (imp_) imp_->SetFont(font);
}

void OGTItem::GetFont(OGTFont& font) const {
  if (imp_) imp_->GetFont(font);
}

void OGTItem::SetValue(int32_t value) {
  if (imp_) imp_->SetValue(value);
}

void OGTItem::GetValue(int32_t& value) const {
  value = 0;
  if (imp_) imp_->GetValue(value);
}

void OGTItem::Draw(OGTContext* context) {
  if (imp_) imp_->Draw(context);
}

void OGTItem::Invalidate(const OGTRect& rect) {
  if (imp_) imp_->Invalidate(rect);
}

void OGTItem::Invalidate() {
  if (imp_) imp_->InvalidateAll();
}

void OGTItem::InvalidateUp() {
  Invalidate();
  if (parent_ != nullptr) parent_->InvalidateUp();
}

void OGTItem::Validate(const OGTRect& rect) {
  if (imp_) imp_->Validate(rect);
}

void OGTItem::Validate() {
  if (imp_) imp_->ValidateAll();
}

void OGTItem::Update(bool withChildren) {
  if (imp_) imp_->Update(withChildren);
}

void OGTItem::ScrollContents(const OGTRect& rect, int32_t dx, int32_t dy, bool redraw) {
  if (imp_) imp_->ScrollContents(rect, dx, dy, redraw);
}

void OGTItem::OnMouse(OGTEvent* event) {
  if (imp_) imp_->HandleMouse(event);
}

void OGTItem::OnChildImpNotice(OGTItem* child, int32_t notice) {
  if (parent_ != nullptr) parent_->OnChildImpNotice(child, notice);
}

void OGTItem::OnKey(OGTEvent* event, bool& handled) {
  handled = false;
  if (imp_) imp_->HandleKey(event, handled);
}

void OGTItem::OnEvent(OGTItem* item, int32_t code) {
  if (parent_ != nullptr) parent_->OnEvent(item, code);
}

void OGTItem::SetScript(const VString& script) { script_ = script; }

void OGTItem::SetScript(const char* script) {
  if (script == nullptr) {
    script_.Reset();
  } else {
    script_ = script;
  }
}

uint32_t OGTItem::GetScriptLength() const { return script_.Length(); }
void OGTItem::GetScript(VString& script) const { script = script_; }
void OGTItem::GetScript(char* buffer, size_t size) const { CopyOutWhole(script_, buffer, size); }

bool OGTItem::IsModified() const { return modified_; }
void OGTItem::SetModified(bool flag) { modified_ = flag; }

void OGTItem::ClearModified() {
  if (modified_) modified_ = false;
}

bool OGTItem::IsMarked() const { return marked_; }
void OGTItem::SetMarked(bool flag) { marked_ = flag; }

void OGTItem::ClearMarked(bool redraw) {
  if (!marked_) return;
  marked_ = false;
  if (redraw) Invalidate();
}

bool OGTItem::CanFocus() const { return imp_ && imp_->CanTakeFocus(); }

void OGTItem::TakeFocus() {
  if (imp_) imp_->TakeFocus();
}

bool OGTItem::IsVisible() const { return imp_ && imp_->IsVisible(); }
bool OGTItem::IsActive() const { return imp_ && imp_->IsActive(); }
bool OGTItem::IsEnabled() const { return imp_ && imp_->IsEnabled(); }

std::string OGTItem::Text() const {
  if (!imp_) return std::string();
  // Texts of native controls stay below 64 KiB (fields stop at 32767 bytes).
  std::vector<char> buffer(65536);
  GetText(buffer.data(), buffer.size());
  return std::string(buffer.data());
}
