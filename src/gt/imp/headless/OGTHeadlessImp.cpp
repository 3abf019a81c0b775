#include "gt/imp/headless/OGTHeadlessImp.h"

#include <algorithm>

#include "base/VSjis.h"
#include "gt/OGTCompositItem.h"
#include "gt/OGTGraphics.h"
#include "gt/imp/OGTControlImp.h"
#include "gt/imp/OGTWindowImp.h"
#include "gt/imp/headless/OGTHeadlessScreen.h"

OGTHeadlessNode::OGTHeadlessNode(std::shared_ptr<OGTHeadlessScreen> screen, OGTItem* /*parent*/)
    : screen_(std::move(screen)) {}

OGTHeadlessNode::~OGTHeadlessNode() {
  *alive_ = false;
  screen_->DropFocus(this);
}

void OGTHeadlessNode::NativeKey(const OGTEvent&) {}
void OGTHeadlessNode::NativeDraw(OGTContext*) {}

OGTHeadlessNode* OGTHeadlessNode::Of(const OGTItem* item) {
  return item != nullptr ? Of(item->Imp()) : nullptr;
}

OGTHeadlessNode* OGTHeadlessNode::Of(OGTItemImp* imp) {
  return dynamic_cast<OGTHeadlessNode*>(imp);
}

OGTHeadlessNode* OGTHeadlessNode::ParentNode() const {
  const OGTItem* item = NodeItem();
  if (item == nullptr) return nullptr;
  for (const OGTItem* up = item->Parent(); up != nullptr; up = up->Parent()) {
    if (OGTHeadlessNode* node = Of(up)) return node;
  }
  return nullptr;
}

OGTHeadlessNode* OGTHeadlessNode::TopLevel() {
  OGTHeadlessNode* node = this;
  while (node != nullptr && !node->IsTopLevel()) node = node->ParentNode();
  return node;
}

bool OGTHeadlessNode::Reachable() {
  for (OGTHeadlessNode* node = this; node != nullptr; node = node->ParentNode()) {
    if (!node->visible_ || !node->enabled_) return false;
    if (node->IsTopLevel()) {
      const auto& modal = screen_->ModalStack();
      return modal.empty() || modal.back() == node;
    }
  }
  return false;  // a control outside any window cannot be reached
}

template <class Interface>
void OGTHeadlessImp<Interface>::Create(OGTItem* item, int32_t variant) {
  Interface::Create(item, variant);
  variant_ = variant;
}

template <class Interface>
void OGTHeadlessImp<Interface>::SetPosition(int32_t x, int32_t y, bool) {
  x_ = x;
  y_ = y;
}

template <class Interface>
void OGTHeadlessImp<Interface>::GetPosition(int32_t& x, int32_t& y) const {
  x = x_;
  y = y_;
}

template <class Interface>
void OGTHeadlessImp<Interface>::SetSize(int32_t width, int32_t height, bool) {
  width_ = width;
  height_ = height;
}

template <class Interface>
void OGTHeadlessImp<Interface>::GetSize(int32_t& width, int32_t& height) const {
  width = width_;
  height = height_;
}

template <class Interface>
bool OGTHeadlessImp<Interface>::IsVisible() const {
  return visible_;
}

template <class Interface>
void OGTHeadlessImp<Interface>::Show() {
  visible_ = true;
}

template <class Interface>
void OGTHeadlessImp<Interface>::Hide() {
  visible_ = false;
  LoseFocusWithin();
}

template <class Interface>
bool OGTHeadlessImp<Interface>::IsActive() const {
  return active_;
}

template <class Interface>
void OGTHeadlessImp<Interface>::Activate() {
  active_ = true;
}

template <class Interface>
void OGTHeadlessImp<Interface>::Deactivate() {
  active_ = false;
}

template <class Interface>
bool OGTHeadlessImp<Interface>::IsEnabled() const {
  return enabled_;
}

template <class Interface>
void OGTHeadlessImp<Interface>::Enable() {
  enabled_ = true;
}

template <class Interface>
void OGTHeadlessImp<Interface>::Disable() {
  enabled_ = false;
  LoseFocusWithin();
}

template <class Interface>
void OGTHeadlessImp<Interface>::LoseFocusWithin() {
  for (OGTHeadlessNode* node = screen_->Focus(); node != nullptr; node = node->ParentNode()) {
    if (node == this) {
      screen_->SetFocus(nullptr);
      return;
    }
  }
}

template <class Interface>
void OGTHeadlessImp<Interface>::SetText(const char* text) {
  text_ = text != nullptr ? text : "";
}

template <class Interface>
void OGTHeadlessImp<Interface>::GetText(char* buffer, size_t size) const {
  if (buffer == nullptr || size == 0) return;
  const auto* bytes = reinterpret_cast<const uint8_t*>(text_.data());
  size_t length = std::min(text_.size(), size - 1);
  if (!VIsCharBoundary(bytes, text_.size(), length)) --length;
  std::copy(text_.data(), text_.data() + length, buffer);
  buffer[length] = 0;
}

template <class Interface>
void OGTHeadlessImp<Interface>::SetValue(int32_t value) {
  value_ = value;
}

template <class Interface>
void OGTHeadlessImp<Interface>::GetValue(int32_t& value) const {
  value = value_;
}

template <class Interface>
void OGTHeadlessImp<Interface>::Draw(OGTContext* context) {
  NativeDraw(context);
}

template <class Interface>
void OGTHeadlessImp<Interface>::Invalidate(const OGTRect&) {
  ++invalidations_;
}

template <class Interface>
void OGTHeadlessImp<Interface>::InvalidateAll() {
  ++invalidations_;
}

template <class Interface>
void OGTHeadlessImp<Interface>::Update(bool withChildren) {
  if (this->Item() != nullptr) screen_->Paint(this->Item(), withChildren);
}

template <class Interface>
void OGTHeadlessImp<Interface>::ScrollContents(const OGTRect&, int32_t, int32_t, bool) {
  ++invalidations_;
}

template <class Interface>
bool OGTHeadlessImp<Interface>::CanTakeFocus() const {
  return Focusable() && const_cast<OGTHeadlessImp*>(this)->Reachable();
}

template <class Interface>
void OGTHeadlessImp<Interface>::TakeFocus() {
  if (CanTakeFocus()) screen_->SetFocus(this);
}

template class OGTHeadlessImp<OGTWindowImp>;
template class OGTHeadlessImp<OGTDialogImp>;
template class OGTHeadlessImp<OGTLineImp>;
template class OGTHeadlessImp<OGTPlaneImp>;
template class OGTHeadlessImp<OGTCircleImp>;
template class OGTHeadlessImp<OGTLabelImp>;
template class OGTHeadlessImp<OGTFieldImp>;
template class OGTHeadlessImp<OGTButtonImp>;
template class OGTHeadlessImp<OGTRadioBtnImp>;
template class OGTHeadlessImp<OGTCheckBoxImp>;
template class OGTHeadlessImp<OGTListImp>;
template class OGTHeadlessImp<OGTStyleEditImp>;
template class OGTHeadlessImp<OGTScrollBarImp>;
