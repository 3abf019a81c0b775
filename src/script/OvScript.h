// One run of an action script on behalf of one running application and one database form window.
// The script is cut into statements; each statement's first token names a command (letter case
// counts), whose parameter list is parsed into its parameter block and which then runs. An unknown
// name, a malformed list or a missing window makes a statement do nothing; no failure stops the
// statements after it. "@Quit" clears both pointers, so that the rest of its script does nothing.
#pragma once

#include <cstddef>
#include <string_view>

#include "script/OvScriptApp.h"

class OGTDBWindow;

// The commands, by their dispatch code.
enum class OvCommand : int {
  kNone = 0,
  kAskFind = 1,
  kExecFind = 2,
  kExecFieldFind = 3,
  kExecSubFind = 4,
  kInsertRec = 5,
  kUpdateRec = 6,
  kDeleteRec = 7,
  kCommitWork = 8,
  kCancelWork = 9,
  kSelectIdx = 10,
  kShowForm = 11,
  kQuit = 12,
  kPlaySound = 13,
  kShowRefHistory = 14,
  kShowFindHistory = 15,
  kShowRecSetHistory = 16,
  kCreateDB = 21,
  kDataInput = 22,
  kDataOutput = 23,
  kSetEnable = 31,
  kSetVisible = 32,
  kSelectFindWord = 33,
  kFieldEdit = 34,
};

// The command a name stands for (exact, letter case counts); kNone for any other name.
OvCommand OvCommandOf(std::string_view name);
// Whether the command needs the application as well as the window.
bool OvCommandNeedsApp(OvCommand command);

class OvScript {
 public:
  OvScript(OvScriptApp* app, OGTDBWindow* window);
  virtual ~OvScript();
  OvScript(const OvScript&) = delete;
  OvScript& operator=(const OvScript&) = delete;

  // Runs every statement of the script.
  void Run(const char* text, size_t length);
  // Runs one statement (a command name and its parameter list).
  void RunStatement(std::string_view statement);

  OvScriptApp* App() const { return app_; }
  OGTDBWindow* Window() const { return window_; }

 private:
  void Dispatch(OvCommand command, std::string_view list);
  void ShowRefHistory(std::string_view list);
  void ShowFindHistory(std::string_view list);
  void ShowRecSetHistory(std::string_view list);
  void Quit(std::string_view list);
  void AskFind(std::string_view list);
  void ExecFind(std::string_view list);
  void ExecFieldFind(std::string_view list);
  void ExecSubFind(std::string_view list);
  void EditRecord(OvCommand command, std::string_view list);
  void SelectIdx(std::string_view list);
  void ShowForm(std::string_view list);
  void PlaySound(std::string_view list);
  void SetEnable(std::string_view list);
  void SetVisible(std::string_view list);
  void FieldEdit(std::string_view list);
  void SelectFindWord(std::string_view list);
  // OvScriptData.cpp
  void CreateDB(std::string_view list);
  void DataInput(std::string_view list);
  void DataOutput(std::string_view list);

  OvScriptApp* app_;
  OGTDBWindow* window_;
};
