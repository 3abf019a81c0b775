#include "gt/imp/headless/OGTHeadlessWindowImp.h"

#include "base/VCodePage.h"
#include "gt/OGTCompositItem.h"
#include "gt/OGTContext.h"
#include "gt/OGTDialog.h"
#include "gt/OGTSelectedText.h"
#include "gt/imp/OGTControlImp.h"
#include "gt/imp/headless/OGTHeadlessScreen.h"

namespace {

OGTFieldImp* FocusedField(const OGTHeadlessWindowImp& window) {
  OGTItem* focused = window.FocusedItem();
  return focused != nullptr ? dynamic_cast<OGTFieldImp*>(focused->Imp()) : nullptr;
}

// A focused item that keeps its own text (a styled-text item), or null.
OGTSelectedText* FocusedText(const OGTHeadlessWindowImp& window) {
  return dynamic_cast<OGTSelectedText*>(window.FocusedItem());
}

void SnapshotChildren(const OGTItem* item, OGTSeen& seen) {
  const auto* composite = dynamic_cast<const OGTCompositItem*>(item);
  if (composite == nullptr) return;
  for (int32_t i = 0; i < composite->ChildCount(); ++i) {
    const OGTItem* child = composite->ChildAt(i);
    if (OGTHeadlessNode* node = OGTHeadlessNode::Of(child)) {
      OGTSeenItem one;
      one.kind = node->AsImp().Kind();
      one.id = child->GetID();
      one.x = node->x_;
      one.y = node->y_;
      one.width = node->width_;
      one.height = node->height_;
      one.text = node->text_;
      one.visible = node->visible_;
      one.enabled = node->enabled_;
      auto* button = dynamic_cast<OGTButtonImp*>(&node->AsImp());
      one.isDefault = button != nullptr && button->IsDefault();
      seen.items.push_back(std::move(one));
    }
    SnapshotChildren(child, seen);
  }
}

}  // namespace

OGTSeen OGTSnapshot(OGTHeadlessNode& topLevel) {
  OGTSeen seen;
  seen.what = OGTSeen::kModal;
  seen.title = topLevel.text_;
  seen.variant = topLevel.variant_;
  seen.x = topLevel.x_;
  seen.y = topLevel.y_;
  seen.width = topLevel.width_;
  seen.height = topLevel.height_;
  SnapshotChildren(topLevel.NodeItem(), seen);
  return seen;
}

OGTHeadlessWindowImp::OGTHeadlessWindowImp(std::shared_ptr<OGTHeadlessScreen> screen,
                                           OGTItem* parent)
    : OGTHeadlessImp(std::move(screen), parent) {
  enabled_ = true;
  screen_->AddTopLevel(this);
}

OGTHeadlessWindowImp::~OGTHeadlessWindowImp() { screen_->RemoveTopLevel(this); }

void OGTHeadlessWindowImp::NativeDraw(OGTContext* context) {
  if (background_.empty() || context == nullptr) return;
  OGTDrawCall call;
  call.op = OGTDrawCall::kImage;
  call.item = Item();
  call.rect = OGTRect(0, 0, height_, width_);
  call.text = background_;
  screen_->RecordDraw(std::move(call));
}

void OGTHeadlessWindowImp::BringToFront() { screen_->BringToFront(this); }

void OGTHeadlessWindowImp::SetBackgroundImage(const char* name) {
  background_ = name != nullptr ? name : "";
}

bool OGTHeadlessWindowImp::Cut() {
  if (OGTSelectedText* text = FocusedText(*this)) {
    std::string selected;
    if (!text->SelectedText(&selected)) return false;
    screen_->Clipboard() = selected;
    return text->DeleteSelectedText();
  }
  OGTFieldImp* field = FocusedField(*this);
  return field != nullptr && field->Cut();
}

bool OGTHeadlessWindowImp::Copy() {
  if (OGTSelectedText* text = FocusedText(*this)) {
    std::string selected;
    if (!text->SelectedText(&selected)) return false;
    screen_->Clipboard() = selected;
    return true;
  }
  OGTFieldImp* field = FocusedField(*this);
  return field != nullptr && field->Copy();
}

bool OGTHeadlessWindowImp::Paste() {
  if (OGTSelectedText* text = FocusedText(*this)) {
    return !screen_->Clipboard().empty() && text->ReplaceSelectedText(screen_->Clipboard());
  }
  OGTFieldImp* field = FocusedField(*this);
  return field != nullptr && field->Paste();
}

bool OGTHeadlessWindowImp::Clear() {
  if (OGTSelectedText* text = FocusedText(*this)) return text->DeleteSelectedText();
  OGTFieldImp* field = FocusedField(*this);
  return field != nullptr && field->Clear();
}

bool OGTHeadlessWindowImp::SelectAll() {
  if (OGTSelectedText* text = FocusedText(*this)) return text->SelectWholeText();
  OGTFieldImp* field = FocusedField(*this);
  return field != nullptr && field->SelectAll();
}

OGTItem* OGTHeadlessWindowImp::FocusedItem() const {
  OGTHeadlessNode* focus = screen_->Focus();
  if (focus == nullptr || focus->TopLevel() != this) return nullptr;
  return focus->NodeItem();
}

OGTHeadlessDialogImp::OGTHeadlessDialogImp(std::shared_ptr<OGTHeadlessScreen> screen,
                                           OGTItem* parent)
    : OGTHeadlessImp(std::move(screen), parent) {
  enabled_ = true;
  screen_->AddTopLevel(this);
}

OGTHeadlessDialogImp::~OGTHeadlessDialogImp() {
  screen_->RemoveModal(this);
  screen_->RemoveTopLevel(this);
}

void OGTHeadlessDialogImp::BeginModal() {
  if (modal_) return;
  modal_ = true;
  previousFocus_ = screen_->Focus();
  previousAlive_ = previousFocus_ != nullptr ? previousFocus_->AliveToken() : std::weak_ptr<bool>();
  screen_->PushModal(this);
  screen_->BringToFront(this);
  screen_->Record(OGTSnapshot(*this));
}

bool OGTHeadlessDialogImp::RunUntilEvent() {
  std::weak_ptr<bool> alive = AliveToken();
  stopped_ = false;
  while (!stopped_) {
    auto* dialog = dynamic_cast<OGTDialog*>(Item());
    if (screen_->Quitting() || dialog == nullptr) return false;
    OGTHeadlessAction action =
        screen_->NextAction("the modal dialog \"" + VSjisToUtf8(text_) + "\"");
    switch (action.kind) {
      case OGTHeadlessAction::kAct:
        action.act(*dialog);
        break;
      case OGTHeadlessAction::kQuit:
        screen_->SetQuitting(true);
        return false;
      default:
        throw OGTHeadlessError("The scripted user's next step (" + action.description +
                               ") is not for a dialog, but the modal dialog \"" +
                               VSjisToUtf8(text_) + "\" is waiting");
    }
    if (alive.expired()) return false;  // the action deleted the dialog
  }
  return true;
}

void OGTHeadlessDialogImp::EndModal() {
  if (!modal_) return;
  modal_ = false;
  screen_->RemoveModal(this);
  // The dialog ends: it disappears and the focus goes back to where it was before.
  visible_ = false;
  OGTHeadlessNode* focus = screen_->Focus();
  if (focus != nullptr && focus->TopLevel() == this) screen_->SetFocus(nullptr);
  if (previousFocus_ != nullptr && !previousAlive_.expired() &&
      previousFocus_->TopLevel() != this) {
    screen_->SetFocus(previousFocus_);
  }
  previousFocus_ = nullptr;
}

void OGTHeadlessDialogImp::BringToFront() { screen_->BringToFront(this); }
