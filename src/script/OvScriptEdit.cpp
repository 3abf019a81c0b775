// The editing and form commands of scripts: record changes and transactions, moving through the
// set, opening forms, sounds, enabling, showing and editing items, and marking the words found in
// styled-text fields.
#include <string>

#include "base/VSjis.h"
#include "db/engine/VDBHandle.h"
#include "db/schema/VRecord.h"
#include "db/schema/VValue.h"
#include "gt/OGTCursor.h"
#include "gt/OGTDBWindow.h"
#include "gt/OGTField.h"
#include "gt/OGTSound.h"
#include "script/OvScript.h"
#include "script/OvScriptParams.h"
#include "template/OFTApp.h"
#include "template/OFTBuild.h"
#include "template/OFTForm.h"
#include "template/OFTSearch.h"
#include "vtx/OGTDBStyleEdit.h"

namespace {

constexpr int32_t kRebuildCursor = 51;

// Optional blanks, an optional sign and at least one digit, nothing after.
bool ReadsAsInteger(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
  const size_t digits = i;
  while (i < text.size() && VIsDigit(static_cast<uint8_t>(text[i]))) ++i;
  return i > digits && i == text.size();
}

}  // namespace

void OvScript::EditRecord(OvCommand command, std::string_view list) {
  OGTDBWindow* window = window_;
  if (command == OvCommand::kCommitWork || command == OvCommand::kCancelWork) {
    if (!OvParseEmptyParams(list)) return;
    // The window shows a failure in its error box.
    if (command == OvCommand::kCommitWork) {
      (void)window->CommitWork();
    } else {
      (void)window->CancelWork();
    }
    return;
  }
  OvEditRecParams params;
  if (!OvParseParams(list, &params, command == OvCommand::kDeleteRec)) return;
  // Each operation shows its own failure.
  switch (command) {
    case OvCommand::kInsertRec:
      (void)window->InsertRecord(params.commit);
      break;
    case OvCommand::kUpdateRec:
      (void)window->UpdateRecord(params.commit);
      break;
    default:
      (void)window->DeleteRecord(params.commit, params.ask);
  }
}

void OvScript::SelectIdx(std::string_view list) {
  OvSelectIdxParams params;
  if (!OvParseParams(list, &params)) return;
  OvRecordSet& set = window_->RecordSet();
  int32_t index = params.index;
  switch (params.target) {
    case OvSelectIdxParams::kFirst:
      index = 0;
      break;
    case OvSelectIdxParams::kPrev:
      index = set.Current() - 1;
      break;
    case OvSelectIdxParams::kNext:
      index = set.Current() + 1;
      break;
    case OvSelectIdxParams::kLast:
      index = set.StoredCount();
      break;
    case OvSelectIdxParams::kNumber:
      break;
  }
  // An unchanged index does nothing, not even the update script.
  (void)window_->MoveTo(index);
}

void OvScript::ShowForm(std::string_view list) {
  OvShowFormParams params;
  if (!OvParseParams(list, &params) || params.ask || params.form.empty()) return;
  if (!params.self) {
    if (app_ != nullptr) app_->ShowForm(params.form.c_str());
    return;
  }
  const OFTApp* app = app_ != nullptr ? app_->Template() : nullptr;
  const OFTForm* form = app != nullptr ? app->FindForm(params.form.c_str()) : nullptr;
  if (form == nullptr) return;
  OGTDBWindow* window = window_;
  SetBusyCursor(kRebuildCursor);
  // The old items go after this event (one of them may be running this script).
  window->RetireAllChildren();
  BuildFormItems(window, form, true);
  const OFTSearch* search = form->SearchName().IsEmpty()
                                ? nullptr
                                : app->FindSearch(std::string(form->SearchName().View()).c_str());
  OvRecordSet& set = window->RecordSet();
  if (search != nullptr) set.SetFile(search->DBFileNbr());
  // No message is shown: a search that fails leaves the set empty.
  if (search != nullptr && !search->Statement().IsEmpty()) {
    if (set.Find(std::string(search->Statement().View()).c_str()) != kVOk) (void)set.Release();
  } else {
    (void)set.Release();  // a set that cannot be given back goes with the database's close
  }
  window->RefreshLists();
  window->RefreshHistoryLists();
  window->ShowCurrentRecord();
  (void)window->ShowFindHistoryEntry();  // with no find yet there is nothing to put back
  RestoreCursor();
}

void OvScript::PlaySound(std::string_view list) {
  OvPlaySoundParams params;
  if (!OvParseParams(list, &params)) return;
  const VRecord* record = window_->CurrentRecord();
  if (window_->Handle() == nullptr || params.dbItem <= 0 || record == nullptr) return;
  VValueRef ref;
  if (record->ValueRef(params.dbItem, 1, &ref) != kVOk || ref.length == 0) return;
  std::string name = params.path;
  if (!name.empty()) name += "/";
  name += params.prefix;
  name.append(reinterpret_cast<const char*>(ref.bytes), ref.length);
  name += params.suffix;
  OGTSound sound;
  // A sound that cannot be played is left unheard, without a message.
  (void)sound.Play(name.c_str());
}

void OvScript::SetEnable(std::string_view list) {
  OvSetEnableParams params;
  if (!OvParseParams(list, &params) || params.dbItem <= 0 || params.fieldIDs.empty()) return;
  bool on = false;
  const VRecord* record = window_->CurrentRecord();
  VValueRef ref;
  if (record != nullptr && record->ValueRef(params.dbItem, 1, &ref) == kVOk) {
    on = true;
    if (params.numberType) {
      const std::string_view text(reinterpret_cast<const char*>(ref.bytes), ref.length);
      switch (ref.type) {
        case kVTypeFlag:
        case kVTypeNumber:
        case kVTypeInteger:
          break;
        case kVTypeChar:
        case kVTypeString:
        case kVTypeLString:
        case kVTypeText:
          on = ReadsAsInteger(text);
          break;
        default:
          on = false;
      }
    }
  }
  for (int32_t id : params.fieldIDs) {
    OGTItem* item = window_->FindByID(id);
    if (item == nullptr || item == window_) continue;
    if (on) {
      item->Enable();
    } else {
      item->Disable();
    }
  }
}

void OvScript::SetVisible(std::string_view list) {
  OvSetVisibleParams params;
  if (!OvParseParams(list, &params) || params.fieldIDs.empty()) return;
  for (int32_t id : params.fieldIDs) {
    OGTItem* item = window_->FindByID(id);
    if (item == nullptr || item == window_) continue;
    if (params.visible) {
      item->Show();
    } else {
      item->Hide();
    }
  }
}

void OvScript::FieldEdit(std::string_view list) {
  OvFieldEditParams params;
  if (!OvParseParams(list, &params)) return;
  OGTItem* target = params.focused
                        ? window_->FocusedItem()
                        : (params.fieldID != 0 ? window_->FindByID(params.fieldID) : nullptr);
  if (target == nullptr || target == window_) return;
  bool done = false;
  if (auto* field = dynamic_cast<OGTField*>(target)) {
    switch (params.type) {
      case OvFieldEditParams::kCut:
        done = field->Cut();
        break;
      case OvFieldEditParams::kCopy:
        done = field->Copy();
        break;
      case OvFieldEditParams::kPaste:
        done = field->Paste();
        break;
      case OvFieldEditParams::kClear:
        done = field->Clear();
        break;
      case OvFieldEditParams::kSelectAll:
        done = field->SelectAll();
        break;
    }
  } else {
    // Another item edits through its window's commands, which act on the focused item.
    target->TakeFocus();
    switch (params.type) {
      case OvFieldEditParams::kCut:
        done = window_->Cut();
        break;
      case OvFieldEditParams::kCopy:
        done = window_->Copy();
        break;
      case OvFieldEditParams::kPaste:
        done = window_->Paste();
        break;
      case OvFieldEditParams::kClear:
        done = window_->Clear();
        break;
      case OvFieldEditParams::kSelectAll:
        done = window_->SelectAll();
        break;
    }
  }
  if (!done) Beep();
}

void OvScript::SelectFindWord(std::string_view list) {
  OvSelectFindWordParams params;
  if (!OvParseParams(list, &params)) return;
  for (int32_t id : params.fieldIDs) {
    // Only the styled-text database fields mark words; other items are skipped.
    auto* field = dynamic_cast<OGTDBStyleEdit*>(window_->FindByID(id));
    if (field == nullptr) continue;
    field->ClearWordMarks();
    if (params.clear) continue;
    for (const std::string& word : window_->FindWords()) field->MarkWord(word);
  }
}
