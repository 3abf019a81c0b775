// Runs an action file (OvActions.h) against the player on the headless platform side: the player's
// runner with the headless factory, the configuration and the application folder opened as at
// start-up, and a scripted user that takes each action as a person would. Items are found by ID in
// the active window (the front one); windows by title.
//
// Nothing waits for a person. The answers written after an action are queued before it runs and
// taken, in order, by the modal dialogs it opens; after them a last step fails the action, naming
// the dialog and its text, so a dialog nobody answers ends the run at once. An answer no dialog
// took fails the action too.
//
// The run stops at the first failure: a check that does not hold, an action a person could not
// take (a hidden item, a missing window), an unanswered dialog. Failure() then says where (the
// line), what was expected and what was seen. After each action the transcript gets the action's
// line number and source, then the changes a person would have seen (OvTranscript.h), two spaces
// in.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/OvActions.h"
#include "app/OvTranscript.h"
#include "base/VBase.h"
#include "gt/imp/OGTGuard.h"
#include "gt/imp/headless/OGTHeadlessScreen.h"

class OGTDialog;
class OGTHeadlessFactory;
class OGTHeadlessScreen;
class OGTItem;
class OGTList;
class OGTWindow;
class OvARunner;

// A failed action or check. No guard at the platform's entries takes it, so that it reaches the
// runner from inside a modal dialog's wait. The line is 0, and the source empty, for the action
// being run; an answer that fails gives its own.
class OvActionFailure : public std::runtime_error, public OGTUnguardedError {
 public:
  OvActionFailure(int32_t line, const std::string& why, std::string source)
      : std::runtime_error(why), line_(line), source_(std::move(source)) {}
  int32_t Line() const { return line_; }
  const std::string& Source() const { return source_; }

 private:
  int32_t line_;
  std::string source_;
};

class OvActionRunner {
 public:
  // The configuration file and the application folder as portable paths.
  OvActionRunner(const char* configPath, const char* folderPath);
  ~OvActionRunner();
  OvActionRunner(const OvActionRunner&) = delete;
  OvActionRunner& operator=(const OvActionRunner&) = delete;

  // Every action, answer and check, with its arguments and handler.
  static std::span<const OvActionEntry> Table();

  // Receives the transcript, one line at a time, each ending in "\n" (UTF-8).
  void SetTranscript(std::function<void(const std::string&)> write) { write_ = std::move(write); }
  // Runs the actions in order; false at the first failure.
  bool Run(const std::vector<OvAction>& actions);

  // "SOURCE: why" of the failure (UTF-8; empty when none) and the line it happened at.
  const std::string& Failure() const { return failure_; }
  int32_t FailedLine() const { return failedLine_; }
  int32_t ActionsRun() const { return actionsRun_; }
  int32_t ChecksHeld() const { return checksHeld_; }

  OvARunner* Runner() const { return runner_.get(); }
  OGTHeadlessScreen& Screen() const { return *screen_; }

 private:
  // One action with its answers; throws OvActionFailure (or lets the headless side's own errors
  // through).
  void RunOne(const OvAction& action);
  void QueueAnswers(const OvAction& action);
  // Keeps the first failure: the line and source given, else the action's.
  void Fail(int32_t line, const std::string& source, const OvAction& action,
            const std::string& why);
  void WriteTranscript(const OvAction& action);

  // ---- what the handlers share ----
  [[noreturn]] static void Refuse(const std::string& why);
  // The player's start-up up to its first form: the error box of a database that did not open.
  void StartUp();
  void RefuseAfterQuit() const;
  OGTWindow* ActiveWindow() const;
  // The item of the action's argument index in the active window.
  OGTItem* Item(const OvAction& action, size_t index = 0) const;
  // As Item, and a person must be able to reach it.
  OGTItem* ReachableItem(const OvAction& action) const;
  OGTList* List(const OvAction& action) const;
  // The visible window of this title (Shift-JIS), the front one of several; refuses when none.
  OGTWindow* WindowTitled(const std::string& title) const;
  std::string DescribeItem(const OGTItem* item) const;
  // Message and error boxes (and questions) the last action showed.
  std::vector<const OGTSeen*> LastBoxes() const;
  static std::string DescribeDialog(const OGTSeen& seen);
  void TypeInto(const OvAction& action, bool replace);
  void SetTick(const OvAction& action, bool on);
  void ChooseRow(const OvAction& action, int16_t clicks);
  void Expect(const std::string& expected, const std::string& seen) const;
  void ExpectState(const OvAction& action, bool wanted, bool (OGTItem::*state)() const,
                   const char* yes, const char* no);
  int32_t FileNumber(const OvActionArg& arg) const;

  // ---- the handlers of the table ----
  void DoStart(const OvAction& action);
  void DoOpen(const OvAction& action);
  void DoWindow(const OvAction& action);
  void DoClose(const OvAction& action);
  void DoPress(const OvAction& action);
  void DoType(const OvAction& action);
  void DoAppend(const OvAction& action);
  void DoKey(const OvAction& action);
  void DoTick(const OvAction& action);
  void DoUntick(const OvAction& action);
  void DoChoose(const OvAction& action);
  void DoActivate(const OvAction& action);
  void AnswerYes(const OvAction& action, OGTDialog& dialog);
  void AnswerNo(const OvAction& action, OGTDialog& dialog);
  void AnswerOk(const OvAction& action, OGTDialog& dialog);
  void AnswerCancel(const OvAction& action, OGTDialog& dialog);
  void AnswerButton(const OvAction& action, OGTDialog& dialog);
  void AnswerText(const OvAction& action, OGTDialog& dialog);
  void CheckText(const OvAction& action);
  void CheckRows(const OvAction& action);
  void CheckCell(const OvAction& action);
  void CheckCorner(const OvAction& action);
  void CheckVisible(const OvAction& action);
  void CheckHidden(const OvAction& action);
  void CheckEnabled(const OvAction& action);
  void CheckDisabled(const OvAction& action);
  void CheckTicked(const OvAction& action);
  void CheckUnticked(const OvAction& action);
  void CheckMarks(const OvAction& action);
  void CheckWindow(const OvAction& action);
  void CheckMessage(const OvAction& action);
  void CheckNoMessage(const OvAction& action);
  void CheckBeep(const OvAction& action);
  void CheckNoBeep(const OvAction& action);
  void CheckCount(const OvAction& action);

  static const OvActionEntry kTable[];

  OGTHeadlessFactory* factory_ = nullptr;  // owned by the runner
  std::shared_ptr<OGTHeadlessScreen> screen_;
  std::unique_ptr<OvARunner> runner_;
  VResult opened_ = 0;
  // The application folder as given, for the report of what could not be read from it.
  std::string folderPath_;
  bool started_ = false;
  int32_t quitLine_ = 0;  // the line after which the player was asked to end
  std::function<void(const std::string&)> write_;
  OvScreenView view_;
  // What the last action made the screen record.
  std::vector<OGTSeen> lastSeen_;
  std::string failure_;
  int32_t failedLine_ = 0;
  int32_t actionsRun_ = 0;
  int32_t checksHeld_ = 0;
};
