#include "gt/imp/headless/OGTHeadlessScreen.h"

#include <algorithm>
#include <functional>

#include "gt/OGTCompositItem.h"
#include "gt/OGTContext.h"
#include "gt/OGTCursor.h"
#include "gt/imp/headless/OGTHeadlessContextImp.h"
#include "gt/imp/headless/OGTHeadlessImp.h"
#include "gt/imp/headless/OGTHeadlessWindowImp.h"

std::vector<std::string> OGTSeen::TextsOf(int32_t kind) const {
  std::vector<std::string> texts;
  for (const OGTSeenItem& item : items) {
    if (item.kind == kind) texts.push_back(item.text);
  }
  return texts;
}

OGTHeadlessScreen::OGTHeadlessScreen() = default;
OGTHeadlessScreen::~OGTHeadlessScreen() = default;

const OGTSeen* OGTHeadlessScreen::LastModal() const {
  for (auto it = seen_.rbegin(); it != seen_.rend(); ++it) {
    if (it->what == OGTSeen::kModal) return &*it;
  }
  return nullptr;
}

OGTSeen OGTHeadlessScreen::Snapshot(const OGTItem* topLevel) const {
  OGTHeadlessNode* node = OGTHeadlessNode::Of(topLevel);
  return node != nullptr ? OGTSnapshot(*node) : OGTSeen();
}

void OGTHeadlessScreen::CountBeep() {
  ++beeps_;
  OGTSeen seen;
  seen.what = OGTSeen::kBeep;
  Record(std::move(seen));
}

void OGTHeadlessScreen::Paint(OGTItem* item, bool withChildren) {
  if (item == nullptr) return;
  OGTHeadlessNode* node = OGTHeadlessNode::Of(item);
  if (node != nullptr) {
    if (!node->visible_) return;
    auto* imp = &node->AsImp();
    std::weak_ptr<bool> alive = node->AliveToken();
    OGTContext context(std::make_unique<OGTHeadlessContextImp>(shared_from_this()));
    context.Attach(node);
    imp->PaintCallback(&context);
    if (alive.expired()) return;
    DrawWithoutImp(item, context);
    if (alive.expired()) return;
  }
  if (!withChildren) return;
  auto* composite = dynamic_cast<OGTCompositItem*>(item);
  if (composite == nullptr) return;
  for (int32_t i = 0; i < composite->ChildCount(); ++i) Paint(composite->ChildAt(i), true);
}

void OGTHeadlessScreen::DrawWithoutImp(OGTItem* item, OGTContext& context) {
  auto* composite = dynamic_cast<OGTCompositItem*>(item);
  if (composite == nullptr) return;
  for (int32_t i = 0; i < composite->ChildCount(); ++i) {
    OGTItem* child = composite->ChildAt(i);
    if (child->Imp() != nullptr) continue;
    child->Draw(&context);
    DrawWithoutImp(child, context);
  }
}

void OGTHeadlessScreen::StepFocus(OGTHeadlessNode* from, bool backward) {
  OGTHeadlessNode* top = from != nullptr ? from->TopLevel() : nullptr;
  if (top == nullptr) return;
  std::vector<OGTHeadlessNode*> stops;
  // Depth first in child order.
  std::function<void(OGTItem*)> collect = [&](OGTItem* item) {
    auto* composite = dynamic_cast<OGTCompositItem*>(item);
    if (composite == nullptr) return;
    for (int32_t i = 0; i < composite->ChildCount(); ++i) {
      OGTItem* child = composite->ChildAt(i);
      OGTHeadlessNode* node = OGTHeadlessNode::Of(child);
      if (node != nullptr && node->AsImp().CanTakeFocus()) stops.push_back(node);
      collect(child);
    }
  };
  collect(top->NodeItem());
  if (stops.empty()) return;
  auto at = std::find(stops.begin(), stops.end(), from);
  ptrdiff_t index = at == stops.end() ? -1 : at - stops.begin();
  auto count = static_cast<ptrdiff_t>(stops.size());
  ptrdiff_t next = backward ? (index <= 0 ? count - 1 : index - 1) : (index + 1) % count;
  SetFocus(stops[static_cast<size_t>(next)]);
}

void OGTHeadlessScreen::AddTopLevel(OGTHeadlessNode* node) { topLevels_.push_back(node); }

void OGTHeadlessScreen::RemoveTopLevel(OGTHeadlessNode* node) {
  topLevels_.erase(std::remove(topLevels_.begin(), topLevels_.end(), node), topLevels_.end());
}

void OGTHeadlessScreen::BringToFront(OGTHeadlessNode* node) {
  auto found = std::find(topLevels_.begin(), topLevels_.end(), node);
  if (found == topLevels_.end()) return;
  topLevels_.erase(found);
  topLevels_.push_back(node);
}

OGTHeadlessNode* OGTHeadlessScreen::FrontWindow() const {
  for (auto it = topLevels_.rbegin(); it != topLevels_.rend(); ++it) {
    if ((*it)->visible_) return *it;
  }
  return nullptr;
}

void OGTHeadlessScreen::SetFocus(OGTHeadlessNode* node) {
  if (node == focus_) return;
  OGTHeadlessNode* old = focus_;
  focus_ = node;
  if (old != nullptr) old->FocusLost();
  if (node != nullptr && focus_ == node) node->FocusGained();
}

void OGTHeadlessScreen::DropFocus(OGTHeadlessNode* node) {
  if (focus_ == node) focus_ = nullptr;
}

void OGTHeadlessScreen::PushModal(OGTHeadlessNode* dialog) { modal_.push_back(dialog); }

void OGTHeadlessScreen::RemoveModal(OGTHeadlessNode* dialog) {
  modal_.erase(std::remove(modal_.begin(), modal_.end(), dialog), modal_.end());
}

OGTHeadlessAction OGTHeadlessScreen::NextAction(const std::string& waiting) {
  if (actions_.empty()) {
    throw OGTHeadlessError("The scripted user has no step left, but " + waiting +
                           " is waiting for one");
  }
  OGTHeadlessAction action = std::move(actions_.front());
  actions_.pop_front();
  return action;
}

int32_t OGTHeadlessScreen::Cursor() const {
  return countedWaits_ > 0 ? kOGTCursorBusy : cursorShape_;
}

void OGTHeadlessScreen::RecordCursorIfChanged(int32_t before) {
  if (Cursor() == before) return;
  OGTSeen seen;
  seen.what = OGTSeen::kCursor;
  seen.shape = Cursor();
  Record(std::move(seen));
}

void OGTHeadlessScreen::SetCursorShape(int32_t shape) {
  int32_t before = Cursor();
  cursorShape_ = shape;
  RecordCursorIfChanged(before);
}

void OGTHeadlessScreen::BeginCountedWait() {
  int32_t before = Cursor();
  ++countedWaits_;
  RecordCursorIfChanged(before);
}

void OGTHeadlessScreen::EndCountedWait() {
  int32_t before = Cursor();
  if (countedWaits_ > 0) --countedWaits_;
  RecordCursorIfChanged(before);
}

uint32_t OGTHeadlessScreen::Tick() {
  clock_ += 16;
  return clock_;
}
