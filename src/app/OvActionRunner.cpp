#include "app/OvActionRunner.h"

#include <algorithm>

#include "app/OvAEnv.h"
#include "app/OvARunner.h"
#include "app/OvApp.h"
#include "base/VCodePage.h"
#include "db/engine/VDBHandle.h"
#include "db/schema/VSchema.h"
#include "gt/OGTDBList.h"
#include "gt/OGTDialog.h"
#include "gt/OGTEvent.h"
#include "gt/OGTList.h"
#include "gt/OGTMessageBox.h"
#include "gt/OGTTexts.h"
#include "gt/OGTWindow.h"
#include "gt/imp/OGTControlImp.h"
#include "gt/imp/headless/OGTHeadlessFactory.h"
#include "gt/imp/headless/OGTHeadlessImp.h"
#include "template/OFTApp.h"
#include "template/OFTForm.h"
#include "template/OFTPool.h"
#include "vtx/OGTStyleEdit.h"

namespace {

using K = OvActionKind;
using R = OvActionRunner;

std::string Q(const std::string& sjis) { return OvQuote(VSjisToUtf8(sjis)); }

std::string KindName(int32_t kind) {
  switch (kind) {
    case kOGTKindLabel:
      return "label";
    case kOGTKindField:
      return "field";
    case kOGTKindButton:
      return "button";
    case kOGTKindRadioBtn:
      return "radio button";
    case kOGTKindCheckBox:
      return "check box";
    case kOGTKindScrollBar:
      return "scroll bar";
    case kOGTKindList:
      return "list";
    case kOGTKindImageField:
    case kOGTKindDBImageField:
      return "image field";
    case kOGTKindDBField:
      return "record field";
    case kOGTKindDBList:
      return "record list";
    case kOGTKindDBFieldMV:
      return "value list";
    case kOGTKindDBHistoryList:
      return "history list";
    case kOGTKindStyleEdit:
    case kOGTKindDBStyleEdit:
      return "styled-text field";
    default:
      return "item of kind " + std::to_string(kind);
  }
}

bool IsPressable(int32_t kind) {
  return kind == kOGTKindButton || kind == kOGTKindRadioBtn || kind == kOGTKindCheckBox;
}

bool IsTickable(int32_t kind) { return kind == kOGTKindRadioBtn || kind == kOGTKindCheckBox; }

bool IsTypable(int32_t kind) { return kind == kOGTKindField || kind == kOGTKindDBField; }

// The items below item, depth first in child order.
void Collect(OGTItem* item, std::vector<OGTItem*>* out) {
  auto* composite = dynamic_cast<OGTCompositItem*>(item);
  if (composite == nullptr) return;
  for (int32_t i = 0; i < composite->ChildCount(); ++i) {
    OGTItem* child = composite->ChildAt(i);
    out->push_back(child);
    Collect(child, out);
  }
}

std::string Joined(const std::vector<std::string>& sjisTexts) {
  std::string joined;
  for (const std::string& text : sjisTexts) {
    if (!joined.empty()) joined += ", ";
    joined += Q(text);
  }
  return joined.empty() ? "none" : joined;
}

}  // namespace

// Every action, answer and check. The argument words give each argument's form (OvActions.h).
const OvActionEntry OvActionRunner::kTable[] = {
    {"start", "", K::kAct, &R::DoStart, nullptr},
    {"open", "APP FORM", K::kAct, &R::DoOpen, nullptr},
    {"window", "TITLE", K::kAct, &R::DoWindow, nullptr},
    {"close", "[TITLE]", K::kAct, &R::DoClose, nullptr},
    {"press", "ID", K::kAct, &R::DoPress, nullptr},
    {"type", "ID TEXT", K::kAct, &R::DoType, nullptr},
    {"append", "ID TEXT", K::kAct, &R::DoAppend, nullptr},
    {"key", "ID KEY", K::kAct, &R::DoKey, nullptr},
    {"tick", "ID", K::kAct, &R::DoTick, nullptr},
    {"untick", "ID", K::kAct, &R::DoUntick, nullptr},
    {"choose", "ID ROW", K::kAct, &R::DoChoose, nullptr},
    {"activate", "ID ROW", K::kAct, &R::DoActivate, nullptr},
    {"answer yes", "", K::kAnswer, nullptr, &R::AnswerYes},
    {"answer no", "", K::kAnswer, nullptr, &R::AnswerNo},
    {"answer ok", "", K::kAnswer, nullptr, &R::AnswerOk},
    {"answer cancel", "", K::kAnswer, nullptr, &R::AnswerCancel},
    {"answer button", "CAPTION", K::kAnswer, nullptr, &R::AnswerButton},
    {"answer text", "TEXT", K::kAnswer, nullptr, &R::AnswerText},
    {"check text", "ID TEXT", K::kCheck, &R::CheckText, nullptr},
    {"check rows", "ID COUNT", K::kCheck, &R::CheckRows, nullptr},
    {"check cell", "ID ROW COLUMN TEXT", K::kCheck, &R::CheckCell, nullptr},
    {"check corner", "ID TEXT", K::kCheck, &R::CheckCorner, nullptr},
    {"check visible", "ID", K::kCheck, &R::CheckVisible, nullptr},
    {"check hidden", "ID", K::kCheck, &R::CheckHidden, nullptr},
    {"check enabled", "ID", K::kCheck, &R::CheckEnabled, nullptr},
    {"check disabled", "ID", K::kCheck, &R::CheckDisabled, nullptr},
    {"check ticked", "ID", K::kCheck, &R::CheckTicked, nullptr},
    {"check unticked", "ID", K::kCheck, &R::CheckUnticked, nullptr},
    {"check marks", "ID COUNT", K::kCheck, &R::CheckMarks, nullptr},
    {"check window", "TITLE", K::kCheck, &R::CheckWindow, nullptr},
    {"check message", "TEXT", K::kCheck, &R::CheckMessage, nullptr},
    {"check no message", "", K::kCheck, &R::CheckNoMessage, nullptr},
    {"check beep", "", K::kCheck, &R::CheckBeep, nullptr},
    {"check no beep", "", K::kCheck, &R::CheckNoBeep, nullptr},
    {"check count", "FILE STATEMENT COUNT", K::kCheck, &R::CheckCount, nullptr},
};

std::span<const OvActionEntry> OvActionRunner::Table() { return kTable; }

OvActionRunner::OvActionRunner(const char* configPath, const char* folderPath) {
  auto factory = std::make_unique<OGTHeadlessFactory>();
  factory_ = factory.get();
  screen_ = factory_->Screen().shared_from_this();
  runner_ = std::make_unique<OvARunner>();
  // A new runner has no factory to release, so adopting this one cannot fail.
  (void)runner_->SetImpFactory(std::move(factory));
  opened_ = runner_->Open(configPath, folderPath);
  if (folderPath != nullptr) folderPath_ = folderPath;
}

OvActionRunner::~OvActionRunner() {
  // Work left for after an event that a failure cut short; a dialog it would open has nobody to
  // answer it, and the run is over.
  try {
    OGTRunAfterEventTasks();
  } catch (const std::exception&) {
  }
  runner_.reset();
}

// ---- running ----

bool OvActionRunner::Run(const std::vector<OvAction>& actions) {
  for (const OvAction& action : actions) {
    const bool act = action.entry->kind == OvActionKind::kAct;
    if (act) {
      screen_->ClearSeen();
      screen_->ClearDraws();
    }
    try {
      RunOne(action);
    } catch (const OvActionFailure& failure) {
      Fail(failure.Line(), failure.Source(), action, failure.what());
    } catch (const OGTHeadlessError& error) {
      Fail(0, {}, action, error.what());
    } catch (const VFailure& failure) {
      Fail(0, {}, action,
           "the database engine failed with the code " + std::to_string(failure.Code()));
    } catch (const std::exception& error) {
      Fail(0, {}, action, error.what());
    }
    screen_->DiscardActions();
    if (act) {
      lastSeen_ = screen_->Seen();
      WriteTranscript(action);
      ++actionsRun_;
    } else if (failure_.empty()) {
      ++checksHeld_;
    }
    if (!failure_.empty()) return false;
  }
  return true;
}

void OvActionRunner::RunOne(const OvAction& action) {
  QueueAnswers(action);
  (this->*action.entry->run)(action);
  // The last step queued is the one that fails an unanswered dialog; any before it went unused.
  size_t left = screen_->PendingActions();
  if (left > 1) {
    const OvAction& unused = action.answers[action.answers.size() - (left - 1)];
    throw OvActionFailure(unused.line, "no dialog came for this answer", unused.Source());
  }
}

void OvActionRunner::QueueAnswers(const OvAction& action) {
  OGTHeadlessUser& user = factory_->User();
  for (const OvAction& answer : action.answers) {
    user.ThenDo(answer.Source(), [this, &answer](OGTDialog& dialog) {
      try {
        (this->*answer.entry->answer)(answer, dialog);
      } catch (const OvActionFailure& failure) {
        // A failure that already names its line comes from a dialog opened by this answer.
        if (failure.Line() != 0) throw;
        throw OvActionFailure(answer.line, failure.what(), answer.Source());
      }
    });
  }
  user.ThenDo("the end of the answers", [this, &action](OGTDialog& dialog) {
    std::string hint = action.answers.empty() ? "write its answer after line "
                                              : "write one more answer after line ";
    int32_t after = action.answers.empty() ? action.line : action.answers.back().line;
    throw OvActionFailure(action.line,
                          DescribeDialog(screen_->Snapshot(&dialog)) +
                              " waits for an answer, and no answer is left; " + hint +
                              std::to_string(after),
                          action.Source());
  });
}

void OvActionRunner::Fail(int32_t line, const std::string& source, const OvAction& action,
                          const std::string& why) {
  if (!failure_.empty()) return;
  failedLine_ = line != 0 ? line : action.line;
  failure_ = (source.empty() ? action.Source() : source) + ": " + why;
}

void OvActionRunner::WriteTranscript(const OvAction& action) {
  OvScreenView now = OvLookAt(*screen_);
  std::vector<std::string> lines = OvDescribeChanges(view_, &now, lastSeen_);
  view_ = std::move(now);
  if (quitLine_ == 0 && runner_->IsQuitRequested()) {
    quitLine_ = action.line;
    lines.push_back("quit");
  }
  if (!write_) return;
  write_(std::to_string(action.line) + " " + action.Source() + "\n");
  for (const std::string& line : lines) write_("  " + line + "\n");
}

// ---- what the handlers share ----

void OvActionRunner::Refuse(const std::string& why) { throw OvActionFailure(0, why, {}); }

void OvActionRunner::StartUp() {
  if (started_) return;
  started_ = true;
  OGTGuarded("start-up", [this] { OvTellOpenProblems(*runner_, opened_, folderPath_.c_str()); });
}

void OvActionRunner::RefuseAfterQuit() const {
  if (quitLine_ != 0) {
    Refuse("the player was asked to end at line " + std::to_string(quitLine_) +
           "; nothing can be done in it after that");
  }
}

OGTWindow* OvActionRunner::ActiveWindow() const {
  OGTHeadlessNode* front = screen_->FrontWindow();
  return front != nullptr ? dynamic_cast<OGTWindow*>(front->NodeItem()) : nullptr;
}

OGTItem* OvActionRunner::Item(const OvAction& action, size_t index) const {
  OGTWindow* window = ActiveWindow();
  if (window == nullptr) Refuse("no window is open");
  auto id = static_cast<int32_t>(action.args[index].number);
  OGTItem* item = window->FindByID(id);
  if (item == nullptr || item == window) {
    Refuse("the window " + Q(window->Text()) + " has no item " + std::to_string(id));
  }
  return item;
}

std::string OvActionRunner::DescribeItem(const OGTItem* item) const {
  std::string title;
  for (const OGTItem* up = item->Parent(); up != nullptr; up = up->Parent()) {
    if (dynamic_cast<const OGTWindow*>(up) != nullptr) {
      title = up->Text();
      break;
    }
  }
  return "the " + KindName(item->Kind()) + " " + std::to_string(item->GetID()) + " of " + Q(title);
}

OGTItem* OvActionRunner::ReachableItem(const OvAction& action) const {
  OGTItem* item = Item(action);
  if (!item->IsVisible()) Refuse(DescribeItem(item) + " is hidden");
  if (!item->IsEnabled()) Refuse(DescribeItem(item) + " is disabled");
  OGTHeadlessNode* node = OGTHeadlessNode::Of(item);
  if (node == nullptr || !node->Reachable()) {
    Refuse(DescribeItem(item) + " cannot be reached (it or its window is hidden or disabled)");
  }
  return item;
}

OGTList* OvActionRunner::List(const OvAction& action) const {
  OGTItem* item = Item(action);
  auto* list = dynamic_cast<OGTList*>(item);
  if (list == nullptr) Refuse(DescribeItem(item) + " is not a list");
  return list;
}

OGTWindow* OvActionRunner::WindowTitled(const std::string& title) const {
  const std::vector<OGTHeadlessNode*>& tops = screen_->TopLevels();
  std::vector<std::string> titles;
  for (auto it = tops.rbegin(); it != tops.rend(); ++it) {
    if (!(*it)->visible_) continue;
    auto* window = dynamic_cast<OGTWindow*>((*it)->NodeItem());
    if (window == nullptr) continue;
    if ((*it)->text_ == title) return window;
    titles.push_back((*it)->text_);
  }
  Refuse("no window is titled " + Q(title) + "; the open windows are " + Joined(titles));
}

std::vector<const OGTSeen*> OvActionRunner::LastBoxes() const {
  std::vector<const OGTSeen*> boxes;
  for (const OGTSeen& seen : lastSeen_) {
    if (seen.what == OGTSeen::kModal && (seen.title == OGTText(kOGTTextConfirmTitle) ||
                                         seen.title == OGTText(kOGTTextQuestionTitle))) {
      boxes.push_back(&seen);
    }
  }
  return boxes;
}

std::string OvActionRunner::DescribeDialog(const OGTSeen& seen) {
  std::vector<std::string> texts;
  for (const OGTSeenItem& item : seen.items) {
    if (item.kind == kOGTKindLabel) texts.push_back(item.text);
  }
  return "the dialog " + Q(seen.title) + " (" + Joined(texts) + ")";
}

void OvActionRunner::Expect(const std::string& expected, const std::string& seen) const {
  if (expected != seen) Refuse("expected " + Q(expected) + ", saw " + Q(seen));
}

// ---- acting ----

void OvActionRunner::DoStart(const OvAction&) {
  RefuseAfterQuit();
  StartUp();
  OGTGuarded("start", [this] { runner_->Start(); });
}

void OvActionRunner::DoOpen(const OvAction& action) {
  RefuseAfterQuit();
  const std::string& appName = action.args[0].sjis;
  const std::string& formName = action.args[1].sjis;
  OFTPool* pool = runner_->GetTemplatePool();
  OFTApp* app = pool != nullptr ? pool->FindApp(appName.c_str()) : nullptr;
  if (app == nullptr) {
    std::vector<std::string> names;
    for (int32_t i = 0; pool != nullptr && i < pool->AppCount(); ++i) {
      if (pool->AppAt(i)->HasName()) names.push_back(pool->AppAt(i)->Name());
    }
    Refuse("the folder has no application " + Q(appName) + "; it has " + Joined(names));
  }
  if (app->FindForm(formName.c_str()) == nullptr) {
    std::vector<std::string> names;
    for (int32_t i = 0; i < app->FormCount(); ++i) {
      if (app->FormAt(i)->HasName()) names.push_back(app->FormAt(i)->Name());
    }
    Refuse("the application " + Q(appName) + " has no form " + Q(formName) + "; it has " +
           Joined(names));
  }
  StartUp();
  OGTGuarded("open", [&] { runner_->RunForm(appName.c_str(), formName.c_str()); });
  OvApp* running = runner_->Env() != nullptr ? runner_->Env()->FindApp(appName.c_str()) : nullptr;
  if (running == nullptr || running->FindOpenForm(formName.c_str()) == nullptr) {
    Refuse("the form " + Q(formName) + " did not open");
  }
}

void OvActionRunner::DoWindow(const OvAction& action) {
  RefuseAfterQuit();
  WindowTitled(action.args[0].sjis)->BringToFront();
}

void OvActionRunner::DoClose(const OvAction& action) {
  RefuseAfterQuit();
  OGTWindow* window = action.Has(0) ? WindowTitled(action.args[0].sjis) : ActiveWindow();
  if (window == nullptr) Refuse("no window is open");
  std::string title = window->Text();
  if (!factory_->User().Close(window)) Refuse("the window " + Q(title) + " cannot be closed");
}

void OvActionRunner::DoPress(const OvAction& action) {
  RefuseAfterQuit();
  OGTItem* item = ReachableItem(action);
  if (!IsPressable(item->Kind())) Refuse(DescribeItem(item) + " cannot be pressed");
  if (!factory_->User().Press(item)) Refuse(DescribeItem(item) + " cannot be pressed");
}

void OvActionRunner::TypeInto(const OvAction& action, bool replace) {
  RefuseAfterQuit();
  OGTItem* item = ReachableItem(action);
  auto* field = dynamic_cast<OGTFieldImp*>(item->Imp());
  if (!IsTypable(item->Kind()) || field == nullptr) {
    Refuse(DescribeItem(item) + " is not a field to type in");
  }
  OGTHeadlessUser& user = factory_->User();
  if (!user.Focus(item)) Refuse(DescribeItem(item) + " cannot take the keyboard focus");
  // A person replaces a field's text by selecting all of it and typing over it, and appends by
  // going to its end first.
  if (replace) {
    (void)field->SelectAll();  // a field always lets its whole text be selected
    if (action.args[1].sjis.empty()) user.Key(kOGTKeyBackspace);
  } else {
    user.Key(kOGTKeyEnd);
  }
  (void)user.Type(item, action.args[1].sjis);  // it has the focus, so the keys reach it
}

void OvActionRunner::DoType(const OvAction& action) { TypeInto(action, true); }

void OvActionRunner::DoAppend(const OvAction& action) { TypeInto(action, false); }

void OvActionRunner::DoKey(const OvAction& action) {
  RefuseAfterQuit();
  OGTItem* item = ReachableItem(action);
  OGTHeadlessUser& user = factory_->User();
  if (!user.Focus(item)) Refuse(DescribeItem(item) + " cannot take the keyboard focus");
  user.Key(action.args[1].key, action.args[1].modifiers);
}

void OvActionRunner::SetTick(const OvAction& action, bool on) {
  RefuseAfterQuit();
  OGTItem* item = ReachableItem(action);
  if (!IsTickable(item->Kind())) Refuse(DescribeItem(item) + " is not a check box or radio button");
  int32_t value = 0;
  item->GetValue(value);
  if ((value != 0) == on) return;  // already as wanted: a person would not click it
  if (!on && item->Kind() == kOGTKindRadioBtn) {
    Refuse(DescribeItem(item) +
           " is on, and a person cannot clear a radio button by clicking it; " +
           "tick another one of its group");
  }
  if (!factory_->User().Press(item)) Refuse(DescribeItem(item) + " cannot be pressed");
}

void OvActionRunner::DoTick(const OvAction& action) { SetTick(action, true); }

void OvActionRunner::DoUntick(const OvAction& action) { SetTick(action, false); }

void OvActionRunner::ChooseRow(const OvAction& action, int16_t clicks) {
  RefuseAfterQuit();
  ReachableItem(action);
  OGTList* list = List(action);
  int64_t row = action.args[1].number;
  if (row > list->RowCount()) {
    Refuse(DescribeItem(list) + " has " + std::to_string(list->RowCount()) + " rows");
  }
  if (!factory_->User().ChooseRow(list, static_cast<int32_t>(row - 1), 0, clicks)) {
    Refuse(DescribeItem(list) + " cannot be clicked");
  }
}

void OvActionRunner::DoChoose(const OvAction& action) { ChooseRow(action, 1); }

void OvActionRunner::DoActivate(const OvAction& action) { ChooseRow(action, 2); }

// ---- answering ----

namespace {

// Presses a control of the waiting dialog; refuses when a person could not.
void PressIn(OGTHeadlessUser& user, OGTDialog& dialog, OGTItem* button, const char* which) {
  if (button == nullptr) {
    throw OvActionFailure(0, "the dialog " + Q(dialog.Text()) + " has no " + which + " button", {});
  }
  if (!user.Press(button)) {
    throw OvActionFailure(0,
                          "the " + std::string(which) + " button " + Q(button->Text()) +
                              " of the dialog " + Q(dialog.Text()) + " cannot be pressed",
                          {});
  }
}

// A question has a default button and a cancel button that is another one.
void RefuseUnlessQuestion(OGTDialog& dialog, const char* answer) {
  if (dialog.DefaultButton() != nullptr && dialog.CancelButton() != nullptr &&
      dialog.DefaultButton() != dialog.CancelButton()) {
    return;
  }
  throw OvActionFailure(0,
                        "the dialog " + Q(dialog.Text()) + " asks no question that " + answer +
                            " answers; " + "answer ok, answer cancel or answer button CAPTION",
                        {});
}

}  // namespace

void OvActionRunner::AnswerYes(const OvAction&, OGTDialog& dialog) {
  RefuseUnlessQuestion(dialog, "yes");
  PressIn(factory_->User(), dialog, dialog.DefaultButton(), "yes");
}

void OvActionRunner::AnswerNo(const OvAction&, OGTDialog& dialog) {
  RefuseUnlessQuestion(dialog, "no");
  PressIn(factory_->User(), dialog, dialog.CancelButton(), "no");
}

void OvActionRunner::AnswerOk(const OvAction&, OGTDialog& dialog) {
  PressIn(factory_->User(), dialog, dialog.DefaultButton(), "default");
}

void OvActionRunner::AnswerCancel(const OvAction&, OGTDialog& dialog) {
  PressIn(factory_->User(), dialog, dialog.CancelButton(), "cancel");
}

void OvActionRunner::AnswerButton(const OvAction& action, OGTDialog& dialog) {
  std::vector<OGTItem*> items;
  Collect(&dialog, &items);
  std::vector<std::string> captions;
  for (OGTItem* item : items) {
    if (!IsPressable(item->Kind())) continue;
    if (item->Text() == action.args[0].sjis) {
      PressIn(factory_->User(), dialog, item, "chosen");
      return;
    }
    captions.push_back(item->Text());
  }
  Refuse("the dialog " + Q(dialog.Text()) + " has no button " + Q(action.args[0].sjis) +
         "; its buttons are " + Joined(captions));
}

void OvActionRunner::AnswerText(const OvAction& action, OGTDialog& dialog) {
  const std::string& text = action.args[0].sjis;
  std::vector<OGTItem*> items;
  Collect(&dialog, &items);
  OGTHeadlessUser& user = factory_->User();
  for (OGTItem* item : items) {
    if (item->Kind() == kOGTKindField && item->IsVisible() && item->IsEnabled()) {
      auto* field = dynamic_cast<OGTFieldImp*>(item->Imp());
      if (field == nullptr || !user.Focus(item)) break;
      (void)field->SelectAll();  // a field always lets its whole text be selected
      if (text.empty()) user.Key(kOGTKeyBackspace);
      (void)user.Type(item, text);  // it has the focus, so the keys reach it
      PressIn(user, dialog, dialog.DefaultButton(), "default");
      return;
    }
    if (auto* list = dynamic_cast<OGTList*>(item)) {
      std::vector<std::string> rows;
      for (int32_t row = 0; row < list->RowCount(); ++row) {
        rows.push_back(OvRowText(list, row));
        if (rows.back() != text) continue;
        if (!user.ChooseRow(list, row)) Refuse("the list of the dialog cannot be clicked");
        PressIn(user, dialog, dialog.DefaultButton(), "default");
        return;
      }
      Refuse("the dialog " + Q(dialog.Text()) + " has no row " + Q(text) + "; its rows are " +
             Joined(rows));
    }
  }
  Refuse("the dialog " + Q(dialog.Text()) + " has no field or list to answer with a text");
}

// ---- checking ----

void OvActionRunner::CheckText(const OvAction& action) {
  Expect(action.args[1].sjis, Item(action)->Text());
}

void OvActionRunner::CheckRows(const OvAction& action) {
  OGTList* list = List(action);
  if (list->RowCount() != action.args[1].number) {
    Refuse("expected " + std::to_string(action.args[1].number) + " rows, saw " +
           std::to_string(list->RowCount()));
  }
}

void OvActionRunner::CheckCell(const OvAction& action) {
  OGTList* list = List(action);
  int64_t row = action.args[1].number;
  int64_t column = action.args[2].number;
  if (row > list->RowCount()) {
    Refuse(DescribeItem(list) + " has " + std::to_string(list->RowCount()) + " rows");
  }
  int32_t columns = std::max(1, list->ColumnCount());
  if (column > columns) {
    Refuse(DescribeItem(list) + " has " + std::to_string(columns) + " columns");
  }
  Expect(action.args[3].sjis,
         OvCellText(list, static_cast<int32_t>(row - 1), static_cast<int32_t>(column - 1)));
}

void OvActionRunner::CheckMarks(const OvAction& action) {
  OGTItem* item = Item(action);
  auto* edit = dynamic_cast<OGTStyleEdit*>(item);
  if (edit == nullptr) Refuse(DescribeItem(item) + " is not a styled-text item");
  if (edit->MarkCount() != action.args[1].number) {
    Refuse("expected " + std::to_string(action.args[1].number) + " marked words, saw " +
           std::to_string(edit->MarkCount()));
  }
}

void OvActionRunner::CheckCorner(const OvAction& action) {
  OGTItem* item = Item(action);
  auto* list = dynamic_cast<OGTDBList*>(item);
  if (list == nullptr) Refuse(DescribeItem(item) + " is not a record list");
  Expect(action.args[1].sjis, list->PositionText());
}

void OvActionRunner::ExpectState(const OvAction& action, bool wanted,
                                 bool (OGTItem::*state)() const, const char* yes, const char* no) {
  OGTItem* item = Item(action);
  if ((item->*state)() != wanted) {
    Refuse("expected " + DescribeItem(item) + " to be " + (wanted ? yes : no) + ", it is " +
           (wanted ? no : yes));
  }
}

void OvActionRunner::CheckVisible(const OvAction& action) {
  ExpectState(action, true, &OGTItem::IsVisible, "visible", "hidden");
}

void OvActionRunner::CheckHidden(const OvAction& action) {
  ExpectState(action, false, &OGTItem::IsVisible, "visible", "hidden");
}

void OvActionRunner::CheckEnabled(const OvAction& action) {
  ExpectState(action, true, &OGTItem::IsEnabled, "enabled", "disabled");
}

void OvActionRunner::CheckDisabled(const OvAction& action) {
  ExpectState(action, false, &OGTItem::IsEnabled, "enabled", "disabled");
}

void OvActionRunner::CheckTicked(const OvAction& action) {
  OGTItem* item = Item(action);
  if (!IsTickable(item->Kind())) Refuse(DescribeItem(item) + " is not a check box or radio button");
  int32_t value = 0;
  item->GetValue(value);
  if (value == 0) Refuse("expected " + DescribeItem(item) + " to be ticked, it is not");
}

void OvActionRunner::CheckUnticked(const OvAction& action) {
  OGTItem* item = Item(action);
  if (!IsTickable(item->Kind())) Refuse(DescribeItem(item) + " is not a check box or radio button");
  int32_t value = 0;
  item->GetValue(value);
  if (value != 0) Refuse("expected " + DescribeItem(item) + " not to be ticked, it is");
}

void OvActionRunner::CheckWindow(const OvAction& action) {
  OGTWindow* window = ActiveWindow();
  if (window == nullptr) Refuse("expected " + Q(action.args[0].sjis) + ", no window is open");
  Expect(action.args[0].sjis, window->Text());
}

void OvActionRunner::CheckMessage(const OvAction& action) {
  std::vector<const OGTSeen*> boxes = LastBoxes();
  if (boxes.empty()) {
    Refuse("expected a box " + Q(action.args[0].sjis) + ", the last action showed none");
  }
  std::vector<std::string> texts = boxes.back()->TextsOf(kOGTKindLabel);
  Expect(action.args[0].sjis, texts.empty() ? std::string() : texts.front());
}

void OvActionRunner::CheckNoMessage(const OvAction&) {
  std::vector<const OGTSeen*> boxes = LastBoxes();
  if (!boxes.empty()) {
    Refuse("expected no box, the last action showed " + DescribeDialog(*boxes.front()));
  }
}

void OvActionRunner::CheckBeep(const OvAction&) {
  if (std::none_of(lastSeen_.begin(), lastSeen_.end(),
                   [](const OGTSeen& seen) { return seen.what == OGTSeen::kBeep; })) {
    Refuse("expected the alert sound, the last action made none");
  }
}

void OvActionRunner::CheckNoBeep(const OvAction&) {
  if (std::any_of(lastSeen_.begin(), lastSeen_.end(),
                  [](const OGTSeen& seen) { return seen.what == OGTSeen::kBeep; })) {
    Refuse("expected no alert sound, the last action made one");
  }
}

int32_t OvActionRunner::FileNumber(const OvActionArg& arg) const {
  if (arg.number > 0) return static_cast<int32_t>(arg.number);
  VDBHandle* handle = runner_->Env()->Handle();
  std::string name;
  std::string desc;
  std::vector<uint32_t> files;
  VResult result = handle->GetInfo(&name, &desc, &files);
  if (result != kVOk) {
    Refuse("the database's files cannot be listed (the engine answered " + std::to_string(result) +
           ")");
  }
  std::vector<std::string> names;
  for (uint32_t number : files) {
    std::string text;
    if (handle->FetchSchema(static_cast<int32_t>(number), &text) != kVOk) continue;
    std::unique_ptr<VSchema> schema = ReadSchema(text.data(), static_cast<int64_t>(text.size()));
    if (schema == nullptr || schema->Kind() != VSchema::kFile) continue;
    if (schema->Name() == arg.sjis) return static_cast<int32_t>(number);
    names.push_back(schema->Name());
  }
  Refuse("the database has no file named " + Q(arg.sjis) + "; its files are " + Joined(names));
}

void OvActionRunner::CheckCount(const OvAction& action) {
  OvAEnv* env = runner_->Env();
  if (env == nullptr || env->Handle() == nullptr || !env->IsDatabaseOpen()) {
    Refuse("the database is not open");
  }
  int32_t file = FileNumber(action.args[0]);
  uint32_t count = 0;
  uint32_t first = 0;
  VResult result = env->Handle()->CountRecords(file, action.args[1].sjis, &count, &first);
  if (result != kVOk) {
    Refuse("the engine answered " + std::to_string(result) + " for the statement in the file " +
           std::to_string(file));
  }
  if (count != action.args[2].number) {
    Refuse("expected " + std::to_string(action.args[2].number) + " records, saw " +
           std::to_string(count));
  }
}
