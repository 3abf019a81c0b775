#include "gt/OGTField.h"

#include "gt/OGTCompositItem.h"
#include "gt/OGTEvent.h"
#include "gt/imp/OGTImpFactory.h"

int32_t OGTField::Kind() const { return kOGTKindField; }

OGTItemImp* OGTField::Create(int32_t variant, OGTCompositItem* parent) {
  OGTImpFactory* factory = OGTImpFactory::Current();
  return AdoptImp(variant, parent, factory ? factory->MakeFieldImp(parent) : nullptr);
}

void OGTField::OnKey(OGTEvent* event, bool& handled) {
  handled = false;
  if (event == nullptr || event->Type() != kOGTKeyDown) return;
  switch (event->Key()) {
    case kOGTKeyReturn:
    case kOGTKeyEnter:
      handled = true;
      OnEvent(this, kOGTEventReturn);
      return;
    case kOGTKeyTab:
      handled = true;
      OnEvent(this, event->HasModifier(kOGTShift) ? kOGTEventFocusPrevious : kOGTEventFocusNext);
      return;
    default:
      OGTItem::OnKey(event, handled);
  }
}

OGTFieldImp* OGTField::FieldImp() const { return dynamic_cast<OGTFieldImp*>(Imp()); }

void OGTField::SetTextLimit(int32_t limit) {
  if (OGTFieldImp* field = FieldImp()) field->SetTextLimit(limit);
}

int32_t OGTField::TextLimit() const {
  OGTFieldImp* field = FieldImp();
  return field != nullptr ? field->GetTextLimit() : 0;
}

bool OGTField::Cut() {
  OGTFieldImp* field = FieldImp();
  return field != nullptr && field->Cut();
}

bool OGTField::Copy() {
  OGTFieldImp* field = FieldImp();
  return field != nullptr && field->Copy();
}

bool OGTField::Paste() {
  OGTFieldImp* field = FieldImp();
  return field != nullptr && field->Paste();
}

bool OGTField::Clear() {
  OGTFieldImp* field = FieldImp();
  return field != nullptr && field->Clear();
}

bool OGTField::SelectAll() {
  OGTFieldImp* field = FieldImp();
  return field != nullptr && field->SelectAll();
}
