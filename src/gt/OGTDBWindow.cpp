#include "gt/OGTDBWindow.h"

#include "base/VDebug.h"
#include "db/engine/VDBHandle.h"
#include "db/schema/VRecord.h"
#include "gt/OGTCursor.h"
#include "gt/OGTDBBound.h"
#include "gt/OGTDBField.h"
#include "gt/OGTDBHistoryList.h"
#include "gt/OGTDBList.h"
#include "gt/OGTEvent.h"
#include "gt/OGTMessageBox.h"
#include "gt/OGTSound.h"
#include "gt/OGTTexts.h"

namespace {

constexpr int32_t kBusyCursor = 52;
// Find words and search-field texts are read into buffers of this size.
constexpr size_t kWordSize = 256;

}  // namespace

OGTDBWindow::OGTDBWindow() {
  findHistory_.SetCapacity(kHistoryCapacity);
  recSetHistory_.SetCapacity(kHistoryCapacity);
  recHistory_.SetCapacity(kHistoryCapacity);
}

OGTDBWindow::~OGTDBWindow() {
  // The lists refer to the record set and the history: they go before them.
  DeleteAllChildren();
}

int32_t OGTDBWindow::Kind() const { return kOGTKindDBWindow; }

void OGTDBWindow::SetCurrentRecord(const VRecord* record) {
  if (record == nullptr) {
    currentRecord_.reset();
  } else {
    currentRecord_ = std::make_unique<VRecord>(*record);
  }
}

// ---- binding and the initial find ----

void OGTDBWindow::Bind(OGTDBApp* app, VDBHandle* handle) {
  app_ = app;
  handle_ = handle;
  if (handle == nullptr) return;
  recordSet_.SetHandle(handle);
  RefreshLists();
  RefreshHistoryLists();
  char title[kWordSize];
  GetText(title, sizeof title);
  int32_t file = 0;
  std::string statement;
  if (app == nullptr || !app->FormSearch(title, &file, &statement)) return;
  SetBusyCursor(kBusyCursor);
  recordSet_.SetFile(file);
  VResult result = recordSet_.Find(statement.c_str());
  if (result != kVOk) {
    // A failed find leaves the set released; the stored texts go with it.
    if (recordSet_.Release() != kVOk) Log("...ERROR... OGTDBWindow::Bind release");
  }
  RefreshLists();
  ShowCurrentRecord();
  AddRecSetHistoryEntry();
  RestoreCursor();
  if (result != kVOk) ShowError(result, OGTText(kOGTTextFindFailed).c_str());
}

// ---- showing records ----

VResult OGTDBWindow::ShowIn(const VRecord& record, const std::vector<int32_t>* ids) {
  VResult first = kVOk;
  auto show = [&](OGTItem* item) {
    auto* bound = dynamic_cast<OGTDBBound*>(item);
    if (bound == nullptr) return;
    VResult result = bound->ShowValue(handle_, record);
    if (result != kVOk && first == kVOk) first = result;
  };
  if (ids == nullptr) {
    for (int32_t i = 0; i < ChildCount(); ++i) show(ChildAt(i));
  } else {
    for (int32_t id : *ids) {
      if (OGTItem* item = FindByID(id); item != nullptr && item != this) show(item);
    }
  }
  if (first != kVOk) {
    // The failing items are empty and every other item shows this record: the form never mixes
    // two records. The failure is told once, by the alert sound and the debug log.
    ++showFailures_;
    LogFormat("...ERROR... OGTDBWindow: an item could not show the record ec:%d",
              static_cast<int>(first));
    Beep();
  }
  return first;
}

void OGTDBWindow::ShowCurrentRecord() {
  if (recordSet_.StoredCount() > 0) {
    VRecord record;
    uint32_t r = 0;
    if (recordSet_.ReadAt(recordSet_.Current(), &r, &record) == kVOk) {
      // An item that fails is reported by ShowIn; the record is shown all the same.
      (void)ShowIn(record, nullptr);
      SetCurrentRecord(&record);
      recHistory_.Push({recordSet_.File(), r}, true);
      RunUpdateScript();
      return;
    }
  }
  ClearItems();
  currentRecord_.reset();
  RunUpdateScript();
}

VResult OGTDBWindow::ShowRecordIn(const VRecord* record, const std::vector<int32_t>& ids) {
  if (record == nullptr) {
    for (int32_t id : ids) {
      if (auto* bound = dynamic_cast<OGTDBBound*>(FindByID(id))) bound->ClearValue();
    }
    currentRecord_.reset();
    return kVOk;
  }
  VResult result = ShowIn(*record, &ids);
  SetCurrentRecord(record);
  return result;
}

void OGTDBWindow::ClearItems() {
  for (int32_t i = 0; i < ChildCount(); ++i) {
    if (auto* bound = dynamic_cast<OGTDBBound*>(ChildAt(i))) bound->ClearValue();
  }
}

bool OGTDBWindow::GatherRecord(VRecord* record) {
  bool gave = false;
  for (int32_t i = 0; i < ChildCount(); ++i) {
    OGTItem* item = ChildAt(i);
    if (item->Kind() != kOGTKindDBField && item->Kind() != kOGTKindDBStyleEdit) continue;
    if (auto* bound = dynamic_cast<OGTDBBound*>(item); bound->GatherValue(handle_, record)) {
      gave = true;
    }
  }
  return gave;
}

void OGTDBWindow::RefreshLists() {
  for (int32_t i = 0; i < ChildCount(); ++i) {
    if (auto* list = dynamic_cast<OGTDBList*>(ChildAt(i))) {
      list->Load(handle_ != nullptr ? &recordSet_ : nullptr, findWords_);
    }
  }
}

void OGTDBWindow::SyncLists(bool select) {
  for (int32_t i = 0; i < ChildCount(); ++i) {
    auto* list = dynamic_cast<OGTDBList*>(ChildAt(i));
    if (list == nullptr) continue;
    if (select) {
      list->SyncToSet(true);
    } else {
      list->ScrollToRow(recordSet_.Current(), true);
    }
  }
}

void OGTDBWindow::RefreshHistoryLists() {
  for (int32_t i = 0; i < ChildCount(); ++i) {
    if (auto* list = dynamic_cast<OGTDBHistoryList*>(ChildAt(i))) list->Load(&recSetHistory_);
  }
}

void OGTDBWindow::RunScriptOf(const VString& script) {
  if (app_ != nullptr && !script.IsEmpty()) app_->RunScript(script, this);
}

void OGTDBWindow::RunUpdateScript() { RunScriptOf(UpdateScript()); }

// ---- finds and histories ----

VResult OGTDBWindow::ExecFind(const char* statement, const char* typedText, bool reportError,
                              bool resolveHistory) {
  if (statement == nullptr || statement[0] == 0) return -1;
  SetBusyCursor(kBusyCursor);
  const std::string text = resolveHistory ? recSetHistory_.ResolveRefs(statement) : statement;
  VResult result = recordSet_.Find(text.c_str());
  if (typedText != nullptr) recordSet_.SetTypedText(typedText);
  RefreshLists();
  ShowCurrentRecord();
  AddFindHistoryEntry();
  AddRecSetHistoryEntry();
  RestoreCursor();
  if (result != kVOk && reportError) ShowError(result, OGTText(kOGTTextFindFailed).c_str());
  return result;
}

VResult OGTDBWindow::ExecSubFind(const char* statement, const std::vector<int32_t>& ids,
                                 bool reportError) {
  if (statement == nullptr || statement[0] == 0 || ids.empty()) return -1;
  SetBusyCursor(kBusyCursor);
  OvRecordSet found;
  found.Bind(handle_, recordSet_.File());
  VResult result = found.Find(statement);
  VRecord record;
  uint32_t r = 0;
  if (result == kVOk && found.StoredCount() > 0) result = found.ReadAt(0, &r, &record);
  if (result == kVOk && found.StoredCount() > 0) {
    // An item that cannot show the record is reported by the window; the others show it.
    (void)ShowRecordIn(&record, ids);
    recHistory_.Push({recordSet_.File(), r}, true);
  } else {
    ClearItems();
    currentRecord_.reset();
  }
  RunUpdateScript();
  // The temporary set goes with found; a release that fails leaves it to the database's close.
  RestoreCursor();
  if (result != kVOk && reportError) ShowError(result, OGTText(kOGTTextFindFailed).c_str());
  return result;
}

void OGTDBWindow::AddFindHistoryEntry() {
  if (findHistory_.Capacity() < 1) return;
  auto entry = std::make_unique<OvFindHistoryElem>();
  for (int32_t i = 0; i < ChildCount(); ++i) {
    auto* field = dynamic_cast<OGTDBField*>(ChildAt(i));
    if (field == nullptr || field->ItemNumber() != 0) continue;
    char text[kWordSize];
    field->GetText(text, sizeof text);
    entry->words.emplace_back(text);
  }
  findHistory_.Push(std::move(entry), true);
}

void OGTDBWindow::AddRecSetHistoryEntry() {
  if (recSetHistory_.Capacity() >= 1) {
    auto copy = std::make_unique<OvRecordSet>();
    // A set that cannot be copied (a failed find has none) is not recorded.
    if (recordSet_.CopyTo(copy.get(), false) == kVOk) recSetHistory_.Push(std::move(copy), true);
  }
  RefreshHistoryLists();
}

bool OGTDBWindow::ShowRecSetHistoryEntry() {
  OvRecordSet* entry = recSetHistory_.Current();
  if (entry == nullptr) return false;
  VResult copied = entry->CopyTo(&recordSet_, false);
  if (copied != kVOk) {
    LogFormat("...ERROR... OGTDBWindow: a record-set history entry could not be copied ec:%d",
              static_cast<int>(copied));
  }
  RefreshLists();
  ShowCurrentRecord();
  return true;
}

bool OGTDBWindow::ShowFindHistoryEntry() {
  const OvFindHistoryElem* entry = findHistory_.Current();
  if (entry == nullptr) return false;
  size_t next = 0;
  for (int32_t i = 0; i < ChildCount() && next < entry->words.size(); ++i) {
    auto* field = dynamic_cast<OGTDBField*>(ChildAt(i));
    if (field == nullptr || field->ItemNumber() != 0) continue;
    field->SetText(entry->words[next++].c_str());
  }
  return true;
}

// ---- events ----

void OGTDBWindow::OnEvent(OGTItem* item, int32_t code) {
  if (item == nullptr || item == this) {
    OGTWindow::OnEvent(item, code);
    return;
  }
  switch (item->Kind()) {
    case kOGTKindButton:
      RunScriptOf(VString(item->Script()));
      return;
    case kOGTKindDBList:
      if (code == kOGTEventSelection) {
        OnListSelection(item);
        return;
      }
      if (code == kOGTEventDoubleClick) {
        RunScriptOf(VString(static_cast<OGTDBList*>(item)->DoubleClickScript()));
        return;
      }
      break;
    case kOGTKindDBField:
    case kOGTKindDBFieldMV:
    case kOGTKindDBStyleEdit:
      if (code == kOGTEventReturn) {
        RunScriptOf(VString(item->Script()));
        return;
      }
      if (code == kOGTEventChanged) return;
      break;
    case kOGTKindDBHistoryList:
      if (code == kOGTEventSelection) {
        OnHistorySelection(item);
        return;
      }
      if (code == kOGTEventDoubleClick) {
        OnHistoryActivation(item);
        return;
      }
      break;
    default:
      break;
  }
  OGTWindow::OnEvent(item, code);
}

void OGTDBWindow::OnListSelection(OGTItem* item) {
  auto* list = static_cast<OGTDBList*>(item);
  if (list->SelectedCount() != 1) {
    (void)recordSet_.First();  // moved or not, the items are cleared
    ClearItems();
    return;
  }
  findWords_ = list->FindWords();
  if (recordSet_.Goto(list->FirstSelected())) SyncLists(true);
  // The script is copied first: it runs with the record shown, and whatever it does to the list
  // cannot pull the text from under it.
  const VString script(list->Script());
  ShowCurrentRecord();
  RunScriptOf(script);
}

void OGTDBWindow::OnHistorySelection(OGTItem* item) {
  const int32_t row = static_cast<OGTDBHistoryList*>(item)->FirstSelected();
  if (row < 0 || row >= recSetHistory_.Count()) return;
  recSetHistory_.SetPosition(row);
  (void)ShowRecSetHistoryEntry();  // the entry exists: it was just chosen
}

void OGTDBWindow::OnHistoryActivation(OGTItem* item) {
  const int32_t row = static_cast<OGTDBHistoryList*>(item)->FirstSelected();
  if (row < 0 || row >= recSetHistory_.Count()) return;
  if (!AskYesNo(OGTText(kOGTTextDeleteEntry).c_str())) return;
  recSetHistory_.RemoveAt(row);
  recSetHistory_.SetPosition(recSetHistory_.Position());
  RefreshHistoryLists();
}
