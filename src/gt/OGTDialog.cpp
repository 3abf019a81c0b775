#include "gt/OGTDialog.h"

#include "gt/OGTEvent.h"
#include "gt/imp/OGTImpFactory.h"

OGTDialog::OGTDialog() = default;

OGTDialog::~OGTDialog() = default;

int32_t OGTDialog::Kind() const { return kOGTKindDialog; }

OGTItemImp* OGTDialog::Create(int32_t variant, OGTCompositItem* parent) {
  OGTImpFactory* factory = OGTImpFactory::Current();
  return AdoptImp(variant, parent, factory ? factory->MakeDialogImp(parent) : nullptr);
}

OGTDialogImp* OGTDialog::DialogImp() const { return dynamic_cast<OGTDialogImp*>(Imp()); }

void OGTDialog::OnEvent(OGTItem* item, int32_t code) {
  lastItem_ = item;
  lastCode_ = code;
  if (OGTDialogImp* dialog = DialogImp()) dialog->StopWaiting();
  OGTCompositItem::OnEvent(item, code);
}

void OGTDialog::RemoveChild(OGTItem* child) {
  if (child != nullptr) {
    if (child == lastItem_) lastItem_ = nullptr;
    if (child == defaultButton_) defaultButton_ = nullptr;
    if (child == cancelButton_) cancelButton_ = nullptr;
  }
  OGTWindow::RemoveChild(child);
}

void OGTDialog::ClearLastEvent() {
  lastItem_ = nullptr;
  lastCode_ = 0;
}

void OGTDialog::BeginModal() {
  ClearLastEvent();
  waitOver_ = false;
  if (OGTDialogImp* dialog = DialogImp()) dialog->BeginModal();
}

OGTItem* OGTDialog::WaitForEvent() {
  ClearLastEvent();
  OGTDialogImp* dialog = DialogImp();
  if (dialog == nullptr || !dialog->RunUntilEvent()) waitOver_ = true;
  return lastItem_;
}

void OGTDialog::EndModal() {
  if (OGTDialogImp* dialog = DialogImp()) dialog->EndModal();
  ClearLastEvent();
}
