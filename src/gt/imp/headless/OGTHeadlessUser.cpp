#include "gt/imp/headless/OGTHeadlessUser.h"

#include <algorithm>
#include <vector>

#include "base/VCodePage.h"
#include "base/VSjis.h"
#include "gt/OGTContext.h"
#include "gt/OGTDialog.h"
#include "gt/OGTEvent.h"
#include "gt/OGTList.h"
#include "gt/imp/OGTGuard.h"
#include "gt/imp/headless/OGTHeadlessContextImp.h"
#include "gt/imp/headless/OGTHeadlessControlImp.h"
#include "gt/imp/headless/OGTHeadlessScreen.h"
#include "gt/imp/headless/OGTHeadlessWindowImp.h"

namespace {

// Every node of an item tree, depth first in child order.
void CollectNodes(OGTItem* item, std::vector<OGTHeadlessNode*>& out) {
  auto* composite = dynamic_cast<OGTCompositItem*>(item);
  if (composite == nullptr) return;
  for (int32_t i = 0; i < composite->ChildCount(); ++i) {
    OGTItem* child = composite->ChildAt(i);
    if (OGTHeadlessNode* node = OGTHeadlessNode::Of(child)) out.push_back(node);
    CollectNodes(child, out);
  }
}

bool IsPressable(OGTHeadlessNode* node) {
  OGTItemImp* imp = &node->AsImp();
  return dynamic_cast<OGTButtonImp*>(imp) != nullptr ||
         dynamic_cast<OGTRadioBtnImp*>(imp) != nullptr ||
         dynamic_cast<OGTCheckBoxImp*>(imp) != nullptr;
}

std::string Quoted(const std::string& sjis) { return "\"" + VSjisToUtf8(sjis) + "\""; }

std::string Captions(OGTDialog& dialog) {
  std::vector<OGTHeadlessNode*> nodes;
  CollectNodes(&dialog, nodes);
  std::string list;
  for (OGTHeadlessNode* node : nodes) {
    if (!IsPressable(node)) continue;
    if (!list.empty()) list += ", ";
    list += Quoted(node->text_);
  }
  return list.empty() ? "none" : list;
}

}  // namespace

OGTHeadlessUser::OGTHeadlessUser(std::shared_ptr<OGTHeadlessScreen> screen)
    : screen_(std::move(screen)) {}

bool OGTHeadlessUser::PressNode(OGTHeadlessNode* node) {
  if (node == nullptr || !IsPressable(node) || !node->Reachable()) return false;
  std::weak_ptr<bool> alive = node->AliveToken();
  screen_->SetFocus(node);
  if (alive.expired() || !node->Reachable()) return false;
  return node->Press();
}

bool OGTHeadlessUser::Press(OGTItem* control) { return PressNode(OGTHeadlessNode::Of(control)); }

bool OGTHeadlessUser::Focus(OGTItem* control) {
  OGTHeadlessNode* node = OGTHeadlessNode::Of(control);
  if (node == nullptr || !node->AsImp().CanTakeFocus()) return false;
  screen_->SetFocus(node);
  return true;
}

bool OGTHeadlessUser::Type(OGTItem* control, std::string_view text) {
  if (!Focus(control)) return false;
  const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
  for (size_t i = 0; i < text.size();) {
    size_t step = VCharLength(bytes, text.size(), i);
    uint16_t key = bytes[i];
    if (step == 2) key = static_cast<uint16_t>((bytes[i] << 8) | bytes[i + 1]);
    if (key == '\r') key = kOGTKeyReturn;
    if (key == '\t') key = kOGTKeyTab;
    if (key == '\b') key = kOGTKeyBackspace;
    Key(key);
    i += step;
  }
  return true;
}

void OGTHeadlessUser::Key(uint16_t key, int16_t modifiers) {
  OGTHeadlessNode* target = screen_->Focus();
  if (target == nullptr) target = screen_->FrontWindow();
  if (target == nullptr || !target->Reachable()) {
    throw OGTHeadlessError(
        "A key was pressed, but no control has the focus and no window can "
        "take the key");
  }
  OGTHeadlessNode* top = target->TopLevel();
  if (dynamic_cast<OGTHeadlessDialogImp*>(top) != nullptr &&
      DialogKey(top, target, key, modifiers)) {
    return;
  }
  DeliverKey(target, key, modifiers);
}

void OGTHeadlessUser::DeliverKey(OGTHeadlessNode* node, uint16_t key, int16_t modifiers) {
  OGTEvent event;
  event.SetType(kOGTKeyDown);
  event.SetTime(screen_->Tick());
  event.SetPoint(screen_->MousePosition());
  event.SetKey(key);
  event.SetModifiers(modifiers);
  OGTContext context(std::make_unique<OGTHeadlessContextImp>(screen_));
  context.Attach(node->TopLevel() != nullptr ? node->TopLevel() : node);
  event.SetContext(&context);
  std::weak_ptr<bool> alive = node->AliveToken();
  bool handled = false;
  node->AsImp().KeyCallback(&event, handled);
  if (!handled && !alive.expired()) node->NativeKey(event);
}

bool OGTHeadlessUser::DialogKey(OGTHeadlessNode* dialog, OGTHeadlessNode* target, uint16_t key,
                                int16_t modifiers) {
  auto* item = dynamic_cast<OGTDialog*>(dialog->NodeItem());
  if (item == nullptr) return false;
  switch (key) {
    case kOGTKeyTab:
      screen_->StepFocus(target, (modifiers & kOGTShift) != 0);
      return true;
    case kOGTKeyReturn:
    case kOGTKeyEnter: {
      auto* field = dynamic_cast<OGTHeadlessFieldImp*>(target);
      if (field != nullptr && (field->variant_ & 1)) return false;
      if (dynamic_cast<OGTHeadlessButtonImp*>(target) != nullptr) {
        PressNode(target);
        return true;
      }
      OGTHeadlessNode* button = OGTHeadlessNode::Of(item->DefaultButton());
      if (button == nullptr) return false;
      PressNode(button);
      return true;
    }
    case kOGTKeyEscape:
      PressNode(OGTHeadlessNode::Of(item->CancelButton()));
      return true;
    default:
      return false;
  }
}

OGTHeadlessNode* OGTHeadlessUser::MouseSurface(OGTItem* item) {
  for (OGTItem* up = item; up != nullptr; up = up->Parent()) {
    if (OGTHeadlessNode* node = OGTHeadlessNode::Of(up)) return node;
    if (up->Imp() != nullptr) return nullptr;  // an implementation of another platform side
  }
  return nullptr;
}

void OGTHeadlessUser::Mouse(OGTItem* item, OGTHeadlessNode* surface, int16_t type,
                            const OGTPoint& point, int16_t count, int16_t modifiers) {
  OGTEvent event;
  event.SetType(type);
  event.SetTime(screen_->Tick());
  event.SetPoint(point);
  event.SetCount(count);
  event.SetModifiers(modifiers);
  OGTContext context(std::make_unique<OGTHeadlessContextImp>(screen_));
  context.Attach(surface->TopLevel() != nullptr ? surface->TopLevel() : surface);
  event.SetContext(&context);
  screen_->SetMousePosition(point);
  if (item->Imp() != nullptr) {
    item->Imp()->MouseCallback(&event);
  } else {
    OGTGuarded("mouse", [&] { item->OnMouse(&event); });
  }
}

bool OGTHeadlessUser::Click(OGTItem* item, const OGTPoint& point, int16_t count,
                            int16_t modifiers) {
  OGTHeadlessNode* node = MouseSurface(item);
  if (node == nullptr || !node->Reachable()) return false;
  std::weak_ptr<bool> alive = node->AliveToken();
  if (item->Imp() != nullptr && node->AsImp().CanTakeFocus()) screen_->SetFocus(node);
  screen_->SetMousePosition(point);
  for (int16_t n = 1; n <= count && !alive.expired(); ++n) {
    for (int16_t type : {kOGTMouseDown, kOGTMouseUp}) {
      if (alive.expired()) break;
      Mouse(item, node, type, point, n, modifiers);
    }
  }
  return true;
}

bool OGTHeadlessUser::Drag(OGTItem* item, const OGTPoint& from, const OGTPoint& to,
                           int16_t modifiers) {
  OGTHeadlessNode* node = MouseSurface(item);
  if (node == nullptr || !node->Reachable()) return false;
  std::weak_ptr<bool> alive = node->AliveToken();
  if (item->Imp() != nullptr && node->AsImp().CanTakeFocus()) screen_->SetFocus(node);
  Mouse(item, node, kOGTMouseDown, from, 1, modifiers);
  if (!alive.expired()) Mouse(item, node, kOGTMouseMoved, to, 1, modifiers);
  if (!alive.expired()) Mouse(item, node, kOGTMouseUp, to, 1, modifiers);
  return true;
}

bool OGTHeadlessUser::ChooseRow(OGTList* list, int32_t row, int16_t modifiers, int16_t count) {
  if (list == nullptr || row < 0 || row >= list->RowCount()) return false;
  OGTHeadlessNode* node = OGTHeadlessNode::Of(list);
  if (node == nullptr || !node->Reachable()) return false;
  list->ScrollToRow(row, true);
  OGTRect rect;
  list->RowRect(row, rect);
  int32_t x = rect.Left() + rect.Width() / 2;
  if (list->ColumnCount() >= 2) {
    int32_t left = std::max(list->ColumnLeft(1), rect.Left());
    int32_t right = std::min(list->ColumnLeft(2), rect.Right());
    if (right > left) x = left + (right - left) / 2;
  }
  return Click(list, OGTPoint(x, rect.Top() + rect.Height() / 2), count, modifiers);
}

bool OGTHeadlessUser::Scroll(OGTItem* bar, int32_t code, int32_t position) {
  auto* node = dynamic_cast<OGTHeadlessScrollBarImp*>(OGTHeadlessNode::Of(bar));
  if (node == nullptr || !node->Reachable() || !node->BarEnabled()) return false;
  if (code == kOGTEventThumb) node->SetScrollPosition(position);
  node->Notify(code);
  return true;
}

bool OGTHeadlessUser::Close(OGTItem* window) {
  OGTHeadlessNode* node = OGTHeadlessNode::Of(window);
  if (node == nullptr || !node->IsTopLevel() || !node->visible_ || !node->enabled_) return false;
  const auto& modal = screen_->ModalStack();
  if (!modal.empty() && modal.back() != node) return false;
  auto* dialog = dynamic_cast<OGTHeadlessDialogImp*>(node);
  if (dialog != nullptr && dialog->IsModal()) {
    auto* item = dynamic_cast<OGTDialog*>(window);
    return item != nullptr && PressNode(OGTHeadlessNode::Of(item->CancelButton()));
  }
  return OGTItemImp::CloseAtUserRequest(&node->AsImp());
}

OGTHeadlessUser& OGTHeadlessUser::ThenPress(std::string caption) {
  std::string description = "press " + Quoted(caption);
  return ThenDo(description, [this, caption, description](OGTDialog& dialog) {
    std::vector<OGTHeadlessNode*> nodes;
    CollectNodes(&dialog, nodes);
    for (OGTHeadlessNode* node : nodes) {
      if (!IsPressable(node) || node->text_ != caption) continue;
      if (!PressNode(node))
        throw OGTHeadlessError("Cannot " + description + ": it is out of reach");
      return;
    }
    throw OGTHeadlessError("Cannot " + description + ": the dialog " + Quoted(dialog.Text()) +
                           " has the buttons " + Captions(dialog));
  });
}

OGTHeadlessUser& OGTHeadlessUser::ThenPressID(int32_t id) {
  std::string description = "press the control " + std::to_string(id);
  return ThenDo(description, [this, id, description](OGTDialog& dialog) {
    if (!PressNode(OGTHeadlessNode::Of(dialog.FindByID(id)))) {
      throw OGTHeadlessError("Cannot " + description + " of the dialog " + Quoted(dialog.Text()));
    }
  });
}

OGTHeadlessUser& OGTHeadlessUser::ThenType(std::string text) {
  std::string description = "type " + Quoted(text);
  return ThenDo(description, [this, text, description](OGTDialog& dialog) {
    OGTHeadlessNode* target = screen_->Focus();
    if (target == nullptr || target->TopLevel() != OGTHeadlessNode::Of(&dialog)) {
      target = nullptr;
      std::vector<OGTHeadlessNode*> nodes;
      CollectNodes(&dialog, nodes);
      for (OGTHeadlessNode* node : nodes) {
        if (dynamic_cast<OGTHeadlessFieldImp*>(node) != nullptr) {
          target = node;
          break;
        }
      }
    }
    if (target == nullptr || !Type(target->NodeItem(), text)) {
      throw OGTHeadlessError("Cannot " + description + " in the dialog " + Quoted(dialog.Text()));
    }
  });
}

OGTHeadlessUser& OGTHeadlessUser::ThenKey(uint16_t key, int16_t modifiers) {
  return ThenDo("press the key " + std::to_string(key),
                [this, key, modifiers](OGTDialog&) { Key(key, modifiers); });
}

OGTHeadlessUser& OGTHeadlessUser::ThenClose() {
  return ThenDo("close the dialog", [this](OGTDialog& dialog) { Close(&dialog); });
}

OGTHeadlessUser& OGTHeadlessUser::ThenDo(std::string description,
                                         std::function<void(OGTDialog&)> act) {
  OGTHeadlessAction action;
  action.kind = OGTHeadlessAction::kAct;
  action.description = std::move(description);
  action.act = std::move(act);
  screen_->Enqueue(std::move(action));
  return *this;
}

OGTHeadlessUser& OGTHeadlessUser::ThenChooseFile(std::string path) {
  OGTHeadlessAction action;
  action.kind = OGTHeadlessAction::kChooseFile;
  action.description = "choose the file " + Quoted(path);
  action.path = std::move(path);
  screen_->Enqueue(std::move(action));
  return *this;
}

OGTHeadlessUser& OGTHeadlessUser::ThenCancelChooser() {
  OGTHeadlessAction action;
  action.kind = OGTHeadlessAction::kCancelChooser;
  action.description = "cancel the file chooser";
  screen_->Enqueue(std::move(action));
  return *this;
}

OGTHeadlessUser& OGTHeadlessUser::ThenCancelProgress() {
  OGTHeadlessAction action;
  action.kind = OGTHeadlessAction::kCancelProgress;
  action.description = "cancel the progress window";
  screen_->Enqueue(std::move(action));
  return *this;
}

OGTHeadlessUser& OGTHeadlessUser::ThenQuit() {
  OGTHeadlessAction action;
  action.kind = OGTHeadlessAction::kQuit;
  action.description = "quit the application";
  screen_->Enqueue(std::move(action));
  return *this;
}

size_t OGTHeadlessUser::Pending() const { return screen_->PendingActions(); }
