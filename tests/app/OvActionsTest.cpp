// Reading action files: what a good file reads into (quotes, escapes, two-word names, answers
// attached to their action, comments, a byte-order mark and CRLF endings), and each kind of bad
// line with its message, read whole before anything runs, so that the action mode ends with 2.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "Sjis.h"
#include "TempDir.h"
#include "app/OvActionMode.h"
#include "app/OvActionRunner.h"
#include "app/OvActions.h"
#include "gt/OGTEvent.h"

namespace {

bool Read(const std::string& text, std::vector<OvAction>* actions,
          std::vector<OvActionFileError>* errors) {
  return OvReadActions(text, OvActionRunner::Table(), actions, errors);
}

// Runs the action mode and keeps what it wrote.
struct ModeRun {
  int status = -1;
  std::string out;
  std::string err;
};

std::string Drain(std::FILE* file) {
  std::rewind(file);
  std::string text;
  char buffer[512];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) text.append(buffer, n);
  std::fclose(file);
  return text;
}

ModeRun RunMode(const std::vector<std::string>& args) {
  std::FILE* out = std::tmpfile();
  std::FILE* err = std::tmpfile();
  ModeRun run;
  run.status = OvRunActionMode(args, out, err);
  run.out = Drain(out);
  run.err = Drain(err);
  return run;
}

TEST(ActionFileTest, AGoodFileReadsIntoActionsWithTheirAnswers) {
  const std::string text =
      "\xEF\xBB\xBF# a walk\r\n"
      "\r\n"
      "   start\r\n"
      "open 住所録 \"連絡 先\"\r\n"
      "  # the search dialog, answered twice\r\n"
      "press 10\r\n"
      "answer text \"[名前] = \\\"a\\\\b\\\"\\r\\t\"\r\n"
      "answer ok\r\n"
      "check text 3 \"\"\r\n"
      "key 3\tshift+tab\r\n"
      "check count people \"all\" 0\n"
      "close";
  std::vector<OvAction> actions;
  std::vector<OvActionFileError> errors;
  ASSERT_TRUE(Read(text, &actions, &errors)) << errors.front().message;
  ASSERT_EQ(actions.size(), 7u);
  EXPECT_EQ(actions[0].line, 3);
  EXPECT_STREQ(actions[0].entry->name, "start");
  EXPECT_EQ(actions[1].args[1].sjis, Sj("連絡 先"));
  EXPECT_EQ(actions[1].Source(), "open 住所録 \"連絡 先\"");

  const OvAction& press = actions[2];
  EXPECT_EQ(press.line, 6);
  EXPECT_EQ(press.args[0].number, 10);
  ASSERT_EQ(press.answers.size(), 2u);
  EXPECT_STREQ(press.answers[0].entry->name, "answer text");
  EXPECT_EQ(press.answers[0].line, 7);
  EXPECT_EQ(press.answers[0].args[0].sjis, Sj("[名前] = \"a\\b\"\r\t"));
  // Written back, the text reads the same again.
  EXPECT_EQ(press.answers[0].Source(), "answer text \"[名前] = \\\"a\\\\b\\\"\\r\\t\"");
  EXPECT_STREQ(press.answers[1].entry->name, "answer ok");

  EXPECT_STREQ(actions[3].entry->name, "check text");
  EXPECT_EQ(actions[3].args[1].utf8, "");
  EXPECT_EQ(actions[3].Source(), "check text 3 \"\"");
  EXPECT_EQ(actions[4].args[1].key, kOGTKeyTab);
  EXPECT_EQ(actions[4].args[1].modifiers, kOGTShift);
  EXPECT_EQ(actions[5].args[0].number, 0) << "a file given by name";
  EXPECT_EQ(actions[5].args[0].sjis, "people");
  EXPECT_TRUE(actions[6].args.empty()) << "the title of close may be left out";
}

TEST(ActionFileTest, EachKindOfBadLineGivesItsLineAndWhy) {
  struct Bad {
    std::string line;
    std::string message;
  };
  const std::vector<Bad> bad = {
      {"prss 3", "unknown action \"prss\""},
      {"check txt 3 a",
       "unknown action \"check txt\"; after \"check\" come text, rows, cell, corner, visible, "
       "hidden, enabled, disabled, ticked, unticked, marks, window, message, no message, beep, "
       "no beep, count"},
      {"press", "wrong number of arguments; the form is \"press ID\""},
      {"check cell 5 1 2",
       "wrong number of arguments; the form is \"check cell ID ROW COLUMN TEXT\""},
      {"close a b", "wrong number of arguments; the form is \"close [TITLE]\""},
      {"press x", "ID must be a whole number from 1, not \"x\""},
      {"press 0", "ID must be a whole number from 1, not \"0\""},
      {"choose 5 99999999999", "ROW must be a whole number from 1, not \"99999999999\""},
      {"check rows 5 -1", "COUNT must be a whole number from 0, not \"-1\""},
      {"check count 0 all 1",
       "FILE must be a file number from 1 to 32767 or a file's name, not \"0\""},
      {"window \"\"", "TITLE may not be empty"},
      {"type 3 \"abc", "the quoted text is not closed"},
      {"type 3 \"a\\qb\"", "unknown escape \\q in a quoted text"},
      {"type 3 ab\"c\"", "a quote inside a word; put the whole argument in quotes"},
      {"type 3 \"ab\"c", "a blank must follow the closing quote"},
      {"type 3 a\xF0\x9F\x98\x80",
       "the character \"\xF0\x9F\x98\x80\" of the text \"a\xF0\x9F\x98\x80\" has no "
       "Shift-JIS form"},
      {"type 3 a\x01z", "a control character in the line; write \\r, \\n or \\t inside quotes"},
      {"type 3 \xC3\x28", "the line is not UTF-8 text"},
      {"check no message", ""},  // a good line between bad ones
      {"answer ok", "an answer must follow the action that opens the dialog it answers"},
  };
  std::string text;
  for (const Bad& one : bad) text += one.line + "\n";
  text += "key 3 Retrun\n";
  std::vector<OvAction> actions;
  std::vector<OvActionFileError> errors;
  EXPECT_FALSE(Read(text, &actions, &errors));
  std::vector<OvActionFileError> expected;
  for (size_t i = 0; i < bad.size(); ++i) {
    if (!bad[i].message.empty()) expected.push_back({static_cast<int32_t>(i + 1), bad[i].message});
  }
  ASSERT_EQ(errors.size(), expected.size() + 1);
  for (size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(errors[i].line, expected[i].line);
    EXPECT_EQ(errors[i].message, expected[i].message) << "line " << expected[i].line;
  }
  EXPECT_EQ(errors.back().line, static_cast<int32_t>(bad.size() + 1));
  EXPECT_EQ(
      errors.back().message.rfind("unknown key \"Retrun\"; the keys are Return, Enter, Tab", 0), 0u)
      << errors.back().message;

  // The action mode reports each of them as FILE:LINE: why, runs nothing and ends with 2.
  TempDir dir;
  const std::string file = dir / "bad.actions";
  std::ofstream(file, std::ios::binary) << text;
  ModeRun run = RunMode({"--actions", file, "--transcript", "-"});
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.out, "") << "nothing ran";
  std::string reported;
  for (const OvActionFileError& error : errors) {
    reported += file + ":" + std::to_string(error.line) + ": " + error.message + "\n";
  }
  EXPECT_EQ(run.err, reported);
}

TEST(ActionFileTest, AnswersAfterABadLineAreReadButNotPlaced) {
  // The bad action would have taken the answer: no second complaint about where it stands.
  std::vector<OvAction> actions;
  std::vector<OvActionFileError> errors;
  EXPECT_FALSE(Read("start\npres 3\nanswer ok\nanswer maybe\n", &actions, &errors));
  ASSERT_EQ(errors.size(), 2u);
  EXPECT_EQ(errors[0].line, 2);
  EXPECT_EQ(errors[1].line, 4);
  EXPECT_EQ(errors[1].message,
            "unknown action \"answer maybe\"; after \"answer\" come yes, no, ok, cancel, button, "
            "text");
}

TEST(ActionModeTest, AnUnusableFileOrCommandLineEndsWithTwo) {
  TempDir dir;
  const std::string bad = dir / "bad.actions";
  std::ofstream(bad) << "start\n# fine so far\npress one\n";
  ModeRun run = RunMode({"--actions", bad});
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.err, bad + ":3: ID must be a whole number from 1, not \"one\"\n");
  EXPECT_EQ(run.out, "");

  const std::string empty = dir / "empty.actions";
  std::ofstream(empty) << "# nothing but a comment\n\n";
  run = RunMode({"--actions=" + empty});
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.err, empty + ": the file holds no action\n");

  run = RunMode({"--actions", dir / "missing.actions"});
  EXPECT_EQ(run.status, 2);
  EXPECT_NE(run.err.find("cannot read the action file"), std::string::npos) << run.err;

  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {"--actions", bad, "--screenshot", "x.png"},
           {"--actions", bad, "--actions", bad},
           {"--actions", bad, "extra"},
           {"--actions"},
           {"--actions", "--folder", "OVAFolder"},
           {"--transcript", "-"},
           {"--actions", bad, "--folder", dir / "no-such-folder"},
           {"--actions", bad, "--config", dir / "no-such.conf"}}) {
    run = RunMode(args);
    EXPECT_EQ(run.status, 2) << args.back();
    EXPECT_FALSE(run.err.empty());
  }
  run = RunMode({"--actions", "--help"});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out.rfind("usage: ovplayer --actions FILE", 0), 0u);
}

TEST(ActionModeTest, TheActionModeIsChosenByItsOptionAlone) {
  char program[] = "ovplayer";
  char actions[] = "--actions";
  char actionsWithValue[] = "--actions=x";
  char folder[] = "--folder";
  char file[] = "x";
  char* withActions[] = {program, folder, file, actions, file};
  char* withValue[] = {program, actionsWithValue};
  char* without[] = {program, folder, actions + 1};  // "-actions" is not the option
  EXPECT_TRUE(OvIsActionMode(5, withActions));
  EXPECT_TRUE(OvIsActionMode(2, withValue));
  EXPECT_FALSE(OvIsActionMode(3, without));
}

}  // namespace
