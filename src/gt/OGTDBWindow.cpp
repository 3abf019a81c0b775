#include "gt/OGTDBWindow.h"

#include <algorithm>
#include <map>
#include <utility>

#include "base/VDebug.h"
#include "base/VEndian.h"
#include "db/engine/VDBHandle.h"
#include "db/engine/VEngineCodes.h"
#include "db/schema/VRecord.h"
#include "db/schema/VValue.h"
#include "gt/OGTCursor.h"
#include "gt/OGTDBBound.h"
#include "gt/OGTDBField.h"
#include "gt/OGTDBHistoryList.h"
#include "gt/OGTDBList.h"
#include "gt/OGTDBValue.h"
#include "gt/OGTEvent.h"
#include "gt/OGTMessageBox.h"
#include "gt/OGTSound.h"
#include "gt/OGTTexts.h"
#include "gt/imp/OGTGuard.h"

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

VResult OGTDBWindow::RefindStored(bool reportError) {
  if (recordSet_.Statement().empty()) return kVOk;
  SetBusyCursor(kBusyCursor);
  const VResult result = recordSet_.Find(nullptr);
  RefreshLists();
  SyncLists(true);
  ShowCurrentRecord();
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

// ---- editing ----

namespace {

// The value-file data of the long values of a record that never reached the database.
void ReleaseLongData(const VRecord& record, VDBHandle* handle) {
  if (handle == nullptr) return;
  for (int32_t item = 1; item <= 255; ++item) {
    const int32_t count = OGTDBValueCount(record, item);
    for (int32_t occurrence = 1; occurrence <= count; ++occurrence) {
      VValueRef ref;
      if (record.ValueRef(item, occurrence, &ref) != kVOk || !VIsLongType(ref.type)) continue;
      if (ref.size < 5) continue;
      const uint32_t id = VGetU24(ref.value + 2);
      if (id != 0 && handle->FreeData(id) != kVOk) {
        LogFormat("...ERROR... OGTDBWindow: long data %u of a refused record stays", id);
      }
    }
  }
}

}  // namespace

void OGTDBWindow::CommitAfterChange() {
  VResult result = recordSet_.Commit();
  // Without a transaction log there is nothing to commit: the change is already in the files.
  if (result != kVOk && result != kVTargetUnavailable) {
    ShowError(result, OGTText(kOGTTextCommitFailed).c_str());
  }
}

VResult OGTDBWindow::InsertRecord(bool commit) {
  VRecord record;
  if (!GatherRecord(&record)) return kVOk;
  uint32_t r = 0;
  VResult result = recordSet_.Insert(record, &r, true);
  if (result != kVOk && r != 0) {
    // Stored but not added to the set: the record goes again, so that nothing changed.
    if (handle_->Delete(recordSet_.File(), r) != kVOk) {
      LogFormat("...ERROR... OGTDBWindow: record %u stays after a failed insert", r);
    }
  }
  if (result != kVOk) {
    ReleaseLongData(record, handle_);
    ShowError(result, OGTText(kOGTTextInsertFailed).c_str());
    return result;
  }
  if (recordSet_.AfterChange()) {
    const bool moved = recordSet_.Last();
    RefreshLists();
    SyncLists(true);
    if (moved) ShowCurrentRecord();
  }
  if (commit) CommitAfterChange();
  return kVOk;
}

VResult OGTDBWindow::GatherUpdate(VRecord* record) {
  newValues_.clear();
  if (currentRecord_ == nullptr) return GatherRecord(record) ? kVOk : VResult(kVEnd);
  // The replacements by (item, occurrence): a value, or none for an emptied field.
  std::map<std::pair<int32_t, int32_t>, std::vector<uint8_t>> replaced;
  int32_t highest[256] = {0};
  bool any = false;
  for (int32_t i = 0; i < ChildCount(); ++i) {
    // The database fields and styled-text fields give values back.
    auto* field = dynamic_cast<OGTDBBound*>(ChildAt(i));
    std::pair<int32_t, int32_t> at;
    if (field == nullptr || !field->GatherTarget(&at.first, &at.second) || at.first > 255) {
      continue;
    }
    any = true;
    if (!field->ValueChanged()) continue;
    std::vector<uint8_t>& value = replaced[at];
    value.clear();
    if (field->ValueEmpty()) continue;
    VRecord one;
    if (!field->GatherValue(handle_, &one)) return kVBadValue;
    VValueRef ref;
    if (one.ValueRef(at.first, 1, &ref) != kVOk) return kVBadValue;
    value.assign(ref.value, ref.value + ref.size);
    newValues_[at] = value;
    highest[at.first] = std::max(highest[at.first], at.second);
  }
  if (!any) return kVEnd;
  // Every item in order: the values of the record, with the replaced ones in their places.
  for (int32_t item = 1; item <= 255; ++item) {
    const int32_t count = OGTDBValueCount(*currentRecord_, item);
    const int32_t last = std::max(count, highest[item]);
    for (int32_t occurrence = 1; occurrence <= last; ++occurrence) {
      auto found = replaced.find({item, occurrence});
      VResult added = kVOk;
      if (found != replaced.end()) {
        if (found->second.empty()) continue;
        added = record->AddValue(item, found->second.data(),
                                 static_cast<int32_t>(found->second.size()));
      } else if (occurrence <= count) {
        VValueRef ref;
        added = currentRecord_->ValueRef(item, occurrence, &ref);
        if (added == kVOk) added = record->AddValue(item, ref.value, ref.size);
      }
      if (added != kVOk) return added;
    }
  }
  return kVOk;
}

VResult OGTDBWindow::UpdateRecord(bool commit) {
  VRecord record;
  VResult gathered = GatherUpdate(&record);
  if (gathered == kVEnd) return kVOk;  // no field gave anything
  VResult result = gathered;
  if (result == kVOk) result = recordSet_.Update(recordSet_.Current(), record);
  if (result != kVOk) {
    // Long data gathered for the refused record goes again; the stored record's own stays.
    if (gathered == kVOk && currentRecord_ == nullptr) {
      ReleaseLongData(record, handle_);
    } else if (gathered == kVOk) {
      VRecord fresh;
      for (const auto& [at, value] : newValues_) {
        if (!value.empty())
          (void)fresh.AddValue(at.first, value.data(), static_cast<int32_t>(value.size()));
      }
      ReleaseLongData(fresh, handle_);
    }
    ShowError(result, OGTText(kOGTTextUpdateFailed).c_str());
    return result;
  }
  SetCurrentRecord(&record);
  for (int32_t i = 0; i < ChildCount(); ++i) {
    if (auto* list = dynamic_cast<OGTDBList*>(ChildAt(i))) list->RedrawRows();
  }
  if (commit) CommitAfterChange();
  return kVOk;
}

VResult OGTDBWindow::DeleteRecord(bool commit, bool ask) {
  if (ask && !AskYesNo(OGTText(kOGTTextDeleteRecord).c_str())) return kVOk;
  VResult result = recordSet_.Delete(recordSet_.Current(), true);
  if (result != kVOk) {
    ShowError(result, OGTText(kOGTTextDeleteFailed).c_str());
    return result;
  }
  if (recordSet_.AfterChange()) {
    RefreshLists();
    SyncLists(true);
    ShowCurrentRecord();
  }
  if (commit) CommitAfterChange();
  return kVOk;
}

VResult OGTDBWindow::CommitWork() {
  SetBusyCursor(kBusyCursor);
  VResult result = recordSet_.Commit();
  RestoreCursor();
  if (result != kVOk) ShowError(result, OGTText(kOGTTextCommitFailed).c_str());
  return result;
}

VResult OGTDBWindow::CancelWork() {
  SetBusyCursor(kBusyCursor);
  VResult result = recordSet_.Cancel();
  if (result == kVOk) {
    // Records came back or went: the set is found again, so that it holds what the database
    // holds now (a set made by hand has no statement and keeps its numbers).
    if (!recordSet_.Statement().empty() && recordSet_.Find(nullptr) != kVOk) {
      Log("...ERROR... OGTDBWindow::CancelWork the set could not be found again");
    }
    (void)recordSet_.AfterChange();  // the lists are refreshed in any case
    RefreshLists();
    SyncLists(true);
    ShowCurrentRecord();
  }
  RestoreCursor();
  if (result != kVOk) ShowError(result, OGTText(kOGTTextCancelFailed).c_str());
  return result;
}

bool OGTDBWindow::MoveTo(int32_t index) {
  if (!recordSet_.Goto(index)) return false;
  SyncLists(true);
  ShowCurrentRecord();
  return true;
}

void OGTDBWindow::RetireAllChildren() {
  auto retired = std::make_shared<std::vector<std::unique_ptr<OGTItem>>>();
  while (ChildCount() > 0) {
    OGTItem* child = ChildAt(ChildCount() - 1);
    child->Hide();
    retired->push_back(TakeChild(child));
  }
  OGTRunAfterEvent([retired] { retired->clear(); });
}

bool OGTDBWindow::CanClose() {
  if (handle_ != nullptr && handle_->IsOpen()) CommitAfterChange();
  return true;
}
