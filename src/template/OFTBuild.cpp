#include "template/OFTBuild.h"

#include "gt/OGTDBWindow.h"
#include "gt/OGTDialog.h"
#include "gt/OGTWindow.h"
#include "template/OFTApp.h"
#include "template/OFTForm.h"
#include "template/OFTItem.h"

namespace {

void BuildItem(OGTWindow& window, const OFTItem& source) {
  std::unique_ptr<OGTItem> made = source.NewItem();
  if (made == nullptr) return;
  OGTItem* item = made.get();
  item->Create(source.BuildVariant(), &window);
  window.AddChild(std::move(made), -1);
  item->SetID(source.ID());
  item->SetPosition(source.X(), source.Y(), false);
  item->SetSize(source.Width(), source.Height(), false);
  item->SetText(source.Title() != nullptr ? source.Title()->CString() : nullptr);
  if (source.Active()) item->Activate();
  if (source.Enable()) item->Enable();
  if (source.Visible()) {
    item->Show();
  } else {
    item->Hide();
  }
  item->SetScript(source.Script());
  source.Configure(*item);
}

}  // namespace

std::unique_ptr<OGTWindow> BuildWindow(const OFTApp* app, const char* formName) {
  if (app == nullptr || formName == nullptr) return nullptr;
  const OFTForm* form = app->FindForm(formName);
  if (form == nullptr) return nullptr;
  std::unique_ptr<OGTWindow> window;
  switch (form->FormType()) {
    case OFTForm::kPlainWindow:
      window = std::make_unique<OGTWindow>();
      break;
    case OFTForm::kDialog:
      window = std::make_unique<OGTDialog>();
      break;
    case OFTForm::kDatabaseWindow:
      // Bound to its application and the database by the application that opens it.
      window = std::make_unique<OGTDBWindow>();
      break;
    default:
      return nullptr;
  }
  window->Create(form->Type(), nullptr);
  BuildFormItems(window.get(), form, false);
  return window;
}

void BuildFormItems(OGTWindow* window, const OFTForm* form, bool keepPosition) {
  if (window == nullptr || form == nullptr) return;
  window->DeleteAllChildren();
  window->SetID(form->ID());
  if (!keepPosition) window->SetPosition(form->X(), form->Y(), true);
  window->SetSize(form->Width(), form->Height(), true);
  window->SetText(form->Name());
  window->SetImageName(form->ImageName().CString());
  window->SetUpdateScript(form->UpdateScript());
  for (int32_t i = 0; i < form->ItemCount(); ++i) BuildItem(*window, *form->ItemAt(i));
  if (form->Active()) window->Activate();
  if (form->Enable()) window->Enable();
  if (form->Visible()) window->Show();
}
