#include "script/OvScript.h"

#include <string>

#include "base/VDebug.h"
#include "db/schema/VRecord.h"
#include "gt/OGTDBWindow.h"
#include "gt/OGTSound.h"
#include "script/OvScriptParams.h"
#include "script/OvScriptText.h"

namespace {

struct CommandName {
  const char* name;
  OvCommand command;
};

constexpr CommandName kCommands[] = {
    {"@AskFind", OvCommand::kAskFind},
    {"@ExecFind", OvCommand::kExecFind},
    {"@ExecFieldFind", OvCommand::kExecFieldFind},
    {"@ExecSubFind", OvCommand::kExecSubFind},
    {"@InsertRec", OvCommand::kInsertRec},
    {"@UpdateRec", OvCommand::kUpdateRec},
    {"@DeleteRec", OvCommand::kDeleteRec},
    {"@CommitWork", OvCommand::kCommitWork},
    {"@CancelWork", OvCommand::kCancelWork},
    {"@SelectIdx", OvCommand::kSelectIdx},
    {"@ShowForm", OvCommand::kShowForm},
    {"@Quit", OvCommand::kQuit},
    {"@PlaySound", OvCommand::kPlaySound},
    {"@ShowRefHistory", OvCommand::kShowRefHistory},
    {"@ShowFindHistory", OvCommand::kShowFindHistory},
    {"@ShowRecSetHistory", OvCommand::kShowRecSetHistory},
    {"@CreateDB", OvCommand::kCreateDB},
    {"@DataInput", OvCommand::kDataInput},
    {"@DataOutput", OvCommand::kDataOutput},
    {"@SetEnable", OvCommand::kSetEnable},
    {"@SetVisible", OvCommand::kSetVisible},
    {"@SelectFindWord", OvCommand::kSelectFindWord},
    {"@FieldEdit", OvCommand::kFieldEdit},
};

}  // namespace

OvCommand OvCommandOf(std::string_view name) {
  for (const CommandName& entry : kCommands) {
    if (name == entry.name) return entry.command;
  }
  return OvCommand::kNone;
}

bool OvCommandNeedsApp(OvCommand command) {
  switch (command) {
    case OvCommand::kExecFind:
    case OvCommand::kExecFieldFind:
    case OvCommand::kExecSubFind:
    case OvCommand::kQuit:
    case OvCommand::kShowRefHistory:
    case OvCommand::kDataInput:
    case OvCommand::kDataOutput:
    case OvCommand::kSetEnable:
    case OvCommand::kSetVisible:
    case OvCommand::kSelectFindWord:
    case OvCommand::kFieldEdit:
      return true;
    default:
      return false;
  }
}

OvScript::OvScript(OvScriptApp* app, OGTDBWindow* window) : app_(app), window_(window) {}

OvScript::~OvScript() = default;

void OvScript::Run(const char* text, size_t length) {
  if (text == nullptr) return;
  OvStatementReader reader(std::string_view(text, length));
  std::string statement;
  while (reader.Next(&statement)) RunStatement(statement);
}

void OvScript::RunStatement(std::string_view statement) {
  if (window_ == nullptr) return;
  OvTokenReader tokens(statement);
  const OvScriptToken name = tokens.Next();
  if (name.kind != OvScriptToken::kWord) return;
  const OvCommand command = OvCommandOf(name.text);
  if (command == OvCommand::kNone) return;
  if (OvCommandNeedsApp(command) && app_ == nullptr) return;
  Dispatch(command, tokens.Rest());
}

void OvScript::Dispatch(OvCommand command, std::string_view list) {
  switch (command) {
    case OvCommand::kShowRefHistory:
      ShowRefHistory(list);
      return;
    case OvCommand::kShowFindHistory:
      ShowFindHistory(list);
      return;
    case OvCommand::kShowRecSetHistory:
      ShowRecSetHistory(list);
      return;
    case OvCommand::kQuit:
      Quit(list);
      return;
    case OvCommand::kAskFind:
      AskFind(list);
      return;
    case OvCommand::kExecFind:
      ExecFind(list);
      return;
    case OvCommand::kExecFieldFind:
      ExecFieldFind(list);
      return;
    case OvCommand::kExecSubFind:
      ExecSubFind(list);
      return;
    case OvCommand::kInsertRec:
    case OvCommand::kUpdateRec:
    case OvCommand::kDeleteRec:
    case OvCommand::kCommitWork:
    case OvCommand::kCancelWork:
      EditRecord(command, list);
      return;
    case OvCommand::kSelectIdx:
      SelectIdx(list);
      return;
    case OvCommand::kShowForm:
      ShowForm(list);
      return;
    case OvCommand::kPlaySound:
      PlaySound(list);
      return;
    case OvCommand::kSetEnable:
      SetEnable(list);
      return;
    case OvCommand::kSetVisible:
      SetVisible(list);
      return;
    case OvCommand::kFieldEdit:
      FieldEdit(list);
      return;
    case OvCommand::kSelectFindWord:
      SelectFindWord(list);
      return;
    case OvCommand::kCreateDB:
      CreateDB(list);
      return;
    case OvCommand::kDataInput:
      DataInput(list);
      return;
    case OvCommand::kDataOutput:
      DataOutput(list);
      return;
    default:
      break;
  }
}

// ---- the history commands ----

void OvScript::ShowRefHistory(std::string_view list) {
  OvHistoryParams params;
  if (!OvParseParams(list, &params, true)) return;
  window_->ClearFindWords();
  if (params.setToCID.empty() || params.type == OvHistoryType::kOther) {
    Beep();
    return;
  }
  OvRecHistory& history = window_->RecHistory();
  const OvRecRef* entry = params.type == OvHistoryType::kPrev ? history.Prev() : history.Next();
  if (entry == nullptr) {
    Beep();
    return;
  }
  VRecord record;
  bool failed = false;
  if (entry->file >= 1 && entry->record != 0) {
    failed = window_->RecordSet().ReadRecord(entry->file, entry->record, &record) != kVOk;
    if (failed) record.Clear();
  }
  // An empty record clears the listed items.
  const bool empty = record.ItemCount() <= 0;
  // A failing item is reported by the window; the record is shown in the others all the same.
  (void)window_->ShowRecordIn(empty ? nullptr : &record, params.setToCID);
  window_->RunUpdateScript();
  if (failed) Beep();
}

void OvScript::ShowFindHistory(std::string_view list) {
  OvHistoryParams params;
  if (!OvParseParams(list, &params, false)) return;
  OvFindHistory& history = window_->FindHistory();
  const OvFindHistoryElem* entry = params.type == OvHistoryType::kPrev   ? history.Prev()
                                   : params.type == OvHistoryType::kNext ? history.Next()
                                                                         : nullptr;
  if (entry == nullptr || !window_->ShowFindHistoryEntry()) Beep();
}

void OvScript::ShowRecSetHistory(std::string_view list) {
  OvHistoryParams params;
  if (!OvParseParams(list, &params, false)) return;
  OvRecSetHistory& history = window_->RecSetHistory();
  const OvRecordSet* entry = params.type == OvHistoryType::kPrev   ? history.Prev()
                             : params.type == OvHistoryType::kNext ? history.Next()
                                                                   : nullptr;
  if (entry == nullptr || !window_->ShowRecSetHistoryEntry()) Beep();
}

// ---- closing the application ----

void OvScript::Quit(std::string_view list) {
  OvQuitParams params;
  if (!OvParseParams(list, &params)) return;
  // "Save" and "Commit" are accepted and change nothing.
  OvScriptApp* app = app_;
  // What is open is committed before the application goes, as a close of the database would; a
  // failing commit is shown.
  (void)window_->CanClose();
  app_ = nullptr;
  window_ = nullptr;
  app->Quit();
}
