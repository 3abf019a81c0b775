#include "app/OvARunAppList.h"

#include <memory>

#include "app/OvARunner.h"
#include "app/OvATexts.h"
#include "gt/OGTButton.h"
#include "gt/OGTEvent.h"
#include "gt/OGTLine.h"
#include "gt/OGTList.h"
#include "gt/OGTListData.h"
#include "gt/OGTMessageBox.h"
#include "template/OFTApp.h"
#include "template/OFTPool.h"

namespace {

// Makes the item a child of the window and gives it its place.
template <class Item>
Item* Place(OGTWindow& window, int32_t id, int32_t x, int32_t y, int32_t width, int32_t height) {
  auto made = std::make_unique<Item>();
  Item* item = made.get();
  item->Create(0, &window);
  window.AddChild(std::move(made), -1);
  item->SetID(id);
  item->SetPosition(x, y, true);
  item->SetSize(width, height, true);
  return item;
}

void ActivateEnableShow(OGTItem& item) {
  item.Activate();
  item.Enable();
  item.Show();
}

}  // namespace

OvARunAppList::OvARunAppList(OvARunner* runner) : runner_(runner) {}

OvARunAppList::~OvARunAppList() {
  if (runner_ != nullptr) runner_->AppListDeleted(this);
}

OGTList* OvARunAppList::List() {
  OGTItem* item = FindByID(kListID);
  return item != nullptr && item->Kind() == kOGTKindList ? static_cast<OGTList*>(item) : nullptr;
}

void OvARunAppList::Build() {
  Create(2, nullptr);
  SetID(kWindowID);
  SetPosition(0, 0, true);
  SetSize(280, 265, true);
  SetText(OvAText(kOvATextListTitle).c_str());

  auto* run = Place<OGTButton>(*this, kRunButtonID, 10, 10, 50, 25);
  run->SetText(OvAText(kOvATextRun).c_str());
  ActivateEnableShow(*run);
  Place<OGTLine>(*this, 0, 10, 45, 260, 2)->Show();

  auto* list = Place<OGTList>(*this, kListID, 10, 55, 260, 199);
  list->SetHeaderHeight(18);
  list->SetRowHeight(18);
  list->AddColumn("", 10, 0);
  list->AddColumn(OvAText(kOvATextAppNameHeading).c_str(), 250, 0);
  FillAppList(false);
  ActivateEnableShow(*list);
}

void OvARunAppList::FillAppList(bool redraw) {
  OGTList* list = List();
  OFTPool* pool = runner_ != nullptr ? runner_->GetTemplatePool() : nullptr;
  if (list == nullptr || pool == nullptr) return;
  auto* rows = new OGTListData_String;
  for (int32_t i = 0; i < pool->AppCount(); ++i) {
    const char* name = pool->AppAt(i)->Name();
    rows->AppendRow(name != nullptr ? name : "");
  }
  list->SetRowData(rows, true);
  list->SelectRow(0, true, false);
  list->SetTopRow(0, false);
  list->Layout();
  list->RedrawRows();
  if (list->FirstSelected() >= list->RowCount()) list->ClearSelection();
  if (redraw) Invalidate();
}

void OvARunAppList::OnEvent(OGTItem* item, int32_t code) {
  int32_t id = item != nullptr ? item->GetID() : 0;
  if ((id == kRunButtonID && code == kOGTEventButtonPressed) ||
      (id == kListID && code == kOGTEventDoubleClick)) {
    RunSelected();
    return;
  }
  OGTWindow::OnEvent(item, code);
}

void OvARunAppList::RunSelected() {
  if (runner_ == nullptr) return;
  if (runner_->GetTemplatePool() == nullptr) {
    ShowMessage(OvAText(kOvATextNotInitialised).c_str(), nullptr, true);
    return;
  }
  OGTList* list = List();
  int32_t row = list != nullptr ? list->FirstSelected() : -1;
  auto* rows = list != nullptr ? dynamic_cast<OGTListData_String*>(list->RowData()) : nullptr;
  const char* selected = rows != nullptr && row >= 0 ? rows->RowText(row) : nullptr;
  if (selected == nullptr || selected[0] == 0) {
    ShowMessage(OvAText(kOvATextSelectApp).c_str(), nullptr, true);
    return;
  }
  // The row's text goes into a buffer of its own: running the form may refill the list.
  char app[OvARunner::kFormNameSize];
  OvCopyWhole(selected, app, sizeof app);
  char form[OvARunner::kFormNameSize];
  if (runner_->AskFormName(app, form)) runner_->RunForm(app, form);
}
