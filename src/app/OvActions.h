// An action file: the steps a person would take in the player, written down so that the player can
// take them without a person (see OvActionRunner). The file is UTF-8 text with one action per line;
// a line whose first character other than blanks is "#" is a comment, and blank lines are skipped.
// A line is an action's name (one to three words: "press", "check text", "check no message") and
// its arguments, separated by blanks (spaces or tabs). An argument that holds a blank or a quote,
// begins with "#" or is empty is written in double quotes, inside which \" \\ \r \n \t stand for
// themselves.
//
// The table of actions (OvActionEntry) names each action, its arguments and its handler; the
// arguments' forms come from the words of its usage ("ID ROW COLUMN TEXT"), so that the usage shown
// in messages and the checks made while reading cannot drift apart. Reading checks every line
// before anything runs: an unknown action, a wrong number of arguments, an argument of the wrong
// form, or an answer that follows no action is reported with its line number.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

class OGTDialog;
class OvActionRunner;
struct OvAction;

enum class OvActionKind {
  kAct,     // does what a person does; may open dialogs that the answers after it answer
  kAnswer,  // answers the next modal dialog of the action before it
  kCheck,   // compares what a person would see with what the file expects
};

struct OvActionEntry {
  const char* name;  // "press", "check text", "check no message"
  // The arguments' words, each giving the form of its argument: ID, ROW, COLUMN (whole numbers
  // from 1), COUNT (from 0), KEY (a key name, see OvParseKey), FILE (a file number or name), and
  // TEXT, TITLE, APP, FORM, CAPTION, STATEMENT (texts; all but TEXT not empty). A word in
  // brackets may be left out at the end.
  const char* args;
  OvActionKind kind;
  void (OvActionRunner::*run)(const OvAction&);                 // kAct and kCheck
  void (OvActionRunner::*answer)(const OvAction&, OGTDialog&);  // kAnswer
};

struct OvActionArg {
  std::string utf8;    // as written (quotes and escapes resolved)
  std::string sjis;    // texts converted to Shift-JIS
  int64_t number = 0;  // ID, ROW, COLUMN, COUNT; FILE when given by number (0 for a name)
  uint16_t key = 0;    // KEY
  int16_t modifiers = 0;
};

struct OvAction {
  int32_t line = 0;
  const OvActionEntry* entry = nullptr;
  std::vector<OvActionArg> args;
  // The answers written after an action, in order.
  std::vector<OvAction> answers;

  // The action as a line: the name and the arguments, quoted where they must be.
  std::string Source() const;
  bool Has(size_t index) const { return index < args.size(); }
};

struct OvActionFileError {
  int32_t line = 0;  // 0 for the file as a whole
  std::string message;
};

// Reads an action file. False with every bad line in errors (each line's first fault); the
// actions are then incomplete.
bool OvReadActions(std::string_view utf8, std::span<const OvActionEntry> table,
                   std::vector<OvAction>* actions, std::vector<OvActionFileError>* errors);

// A key name ("Return", "Tab", "Down", ...; ASCII case does not matter), optionally after
// "Shift+", "Ctrl+" or "Alt+". False for a name that is not a key.
bool OvParseKey(std::string_view name, uint16_t* key, int16_t* modifiers);
// The key names OvParseKey knows, for messages.
std::string OvKeyNames();

// A text as the action file writes it: in quotes when it must be (see the top of this file).
std::string OvQuoteIfNeeded(std::string_view utf8);
// A text in quotes, with \" \\ \r \n \t and \xHH for other control characters.
std::string OvQuote(std::string_view utf8);
