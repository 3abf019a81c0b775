#include "gt/OGTWindow.h"

#include "gt/OGTEvent.h"
#include "gt/imp/OGTImpFactory.h"

OGTWindow::OGTWindow() = default;

OGTWindow::~OGTWindow() {
  imageName_.reset();
  if (Parent() != nullptr) Parent()->OnEvent(this, kOGTEventDestroyed);
  DeleteAllChildren();
}

int32_t OGTWindow::Kind() const { return kOGTKindWindow; }

OGTItemImp* OGTWindow::Create(int32_t variant, OGTCompositItem* parent) {
  OGTImpFactory* factory = OGTImpFactory::Current();
  return AdoptImp(variant, parent, factory ? factory->MakeWindowImp(parent) : nullptr);
}

void OGTWindow::Show() {
  OGTCompositItem::Show();
  FocusFirst();
}

void OGTWindow::OnEvent(OGTItem* /*item*/, int32_t code) {
  if (code == kOGTEventFocusPrevious) {
    FocusNext(true);
  } else if (code == kOGTEventFocusNext) {
    FocusNext(false);
  }
}

OGTWindowImp* OGTWindow::WindowImp() const { return dynamic_cast<OGTWindowImp*>(Imp()); }

void OGTWindow::BringToFront() {
  if (OGTWindowImp* window = WindowImp()) {
    window->BringToFront();
  } else if (auto* dialog = dynamic_cast<OGTDialogImp*>(Imp())) {
    dialog->BringToFront();
  }
}

bool OGTWindow::CanClose() { return true; }

bool OGTWindow::Cut() {
  OGTWindowImp* window = WindowImp();
  return window != nullptr && window->Cut();
}

bool OGTWindow::Copy() {
  OGTWindowImp* window = WindowImp();
  return window != nullptr && window->Copy();
}

bool OGTWindow::Paste() {
  OGTWindowImp* window = WindowImp();
  return window != nullptr && window->Paste();
}

bool OGTWindow::Clear() {
  OGTWindowImp* window = WindowImp();
  return window != nullptr && window->Clear();
}

bool OGTWindow::SelectAll() {
  OGTWindowImp* window = WindowImp();
  return window != nullptr && window->SelectAll();
}

OGTItem* OGTWindow::FocusedItem() const {
  OGTWindowImp* window = WindowImp();
  return window != nullptr ? window->FocusedItem() : nullptr;
}

bool OGTWindow::FocusFirst() {
  for (int32_t i = 0; i < ChildCount(); ++i) {
    OGTItem* child = ChildAt(i);
    if (child->CanFocus()) {
      child->TakeFocus();
      return true;
    }
  }
  return false;
}

// Forwards, past the last focusable child the focus wraps to the first one. Backwards, before the
// first it wraps to the last focusable child; false when no child can take the focus. Without a
// focused child the first focusable child takes it.
bool OGTWindow::FocusNext(bool backward) {
  int32_t index = IndexOf(FocusedItem());
  if (index == kAbsent) return FocusFirst();
  int32_t step = backward ? -1 : 1;
  for (int32_t i = index + step; i >= 0 && i < ChildCount(); i += step) {
    OGTItem* child = ChildAt(i);
    if (child->CanFocus()) {
      child->TakeFocus();
      return true;
    }
  }
  if (!backward) return FocusFirst();
  for (int32_t i = ChildCount() - 1; i >= 0; --i) {
    OGTItem* child = ChildAt(i);
    if (child->CanFocus()) {
      child->TakeFocus();
      return true;
    }
  }
  return false;
}

void OGTWindow::SetImageName(const char* name) {
  if (name == nullptr || name[0] == 0) {
    imageName_.reset();
  } else {
    imageName_ = std::make_unique<VString>(name);
  }
  if (OGTWindowImp* window = WindowImp()) window->SetBackgroundImage(name);
}

void OGTWindow::SetUpdateScript(const char* script) {
  if (script == nullptr) {
    updateScript_.Reset();
  } else {
    updateScript_ = script;
  }
}
