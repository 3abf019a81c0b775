// Scripts cut into statements and tokens, and the parameter lists of the commands: letter case of
// names and keywords, the ";" rule of the find lists, the 256-value limit, quote trimming, numbers
// where text is expected, nested item formats of the data input, and lists of any bytes that
// never make the parser loop or read past its text.
#include "script/OvScriptParams.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "Sjis.h"
#include "script/OvScript.h"
#include "script/OvScriptText.h"

namespace {

std::vector<std::string> Statements(const std::string& script) {
  OvStatementReader reader(script);
  std::vector<std::string> out;
  std::string statement;
  while (reader.Next(&statement)) out.push_back(statement);
  return out;
}

// The parameter list of one statement: what follows its command name.
std::string ListOf(const std::string& statement) {
  OvTokenReader tokens(statement);
  (void)tokens.Next();  // the command name
  return std::string(tokens.Rest());
}

TEST(OvScriptText, StatementsDropLineBreaksAndCommentsAndKeepSemicolonsInGroups) {
  // Blanks stay: the token reader skips them.
  EXPECT_EQ(Statements("@InsertRec(); // add\r\n@CommitWork();"),
            (std::vector<std::string>{"@InsertRec();", " @CommitWork();"}));
  // A statement may span lines; a ";" inside parentheses does not end it; a lone "/" stays.
  EXPECT_EQ(Statements("@ExecFind(FindStmt =\r\n '[2] = \"a/b\";');\n@Quit()"),
            (std::vector<std::string>{"@ExecFind(FindStmt = '[2] = \"a/b\";');", "@Quit()"}));
  // Comments between any two characters, and at the end without a line break.
  EXPECT_EQ(Statements("@Sel// c\r\nectIdx(Index = next); // last"),
            (std::vector<std::string>{"@SelectIdx(Index = next);", " "}));
  EXPECT_TRUE(Statements("\r\n// only a comment\r\n").empty());
  // An unclosed group runs to the end of the script.
  EXPECT_EQ(Statements("@A(x; y"), (std::vector<std::string>{"@A(x; y"}));
  // A comment's double-byte characters are stepped over whole, whatever their trail bytes.
  const std::string kanji = Sj("表示");  // "表" ends in 0x5C
  EXPECT_EQ(Statements("// " + kanji + "\r\n@Quit();"), (std::vector<std::string>{"@Quit();"}));
}

TEST(OvScriptText, TokensKeepDoubleByteCharactersWholeAndStopAtUnknownCharacters) {
  const std::string zo = Sj("ゾ");  // trail byte 0x5D, which is "]"
  ASSERT_EQ(static_cast<uint8_t>(zo[1]), 0x5D);
  const std::string statement = "@ShowForm(Form = " + zo + "x, '(a;b)' \"q) - 3";
  OvTokenReader reader(statement);
  std::vector<std::string> seen;
  for (OvScriptToken t = reader.Next();
       t.kind != OvScriptToken::kEnd && t.kind != OvScriptToken::kNone; t = reader.Next()) {
    seen.emplace_back(t.text);
  }
  EXPECT_EQ(seen, (std::vector<std::string>{"@ShowForm", "(", "Form", "=", zo + "x", ",", "'(a;b)'",
                                            "\"q) - 3"}));
  OvTokenReader minus("a - b");
  EXPECT_EQ(minus.Next().text, "a");
  const OvScriptToken none = minus.Next();
  EXPECT_EQ(none.kind, OvScriptToken::kNone);
  EXPECT_EQ(minus.Next().kind, OvScriptToken::kNone) << "the character stays unread";
  minus.SkipChar();
  EXPECT_EQ(minus.Next().text, "b");
  EXPECT_EQ(OvTrimValue("  \"'x'\" "), "'x'");
  EXPECT_EQ(OvTrimValue("\"\"\"x\"\"\""), "x");
  EXPECT_EQ(OvTrimValue("\"x'"), "\"x'");
  EXPECT_EQ(OvTrimValue("'"), "'");
}

TEST(OvScriptParams, NamesAndKeywordsIgnoreCaseAndListsMustBeClosed) {
  OvAskFindParams ask;
  ASSERT_TRUE(OvParseParams("();", &ask));
  EXPECT_TRUE(ask.example);
  EXPECT_TRUE(OvParseParams("(example = NO);", &ask));
  EXPECT_FALSE(ask.example);
  OvAskFindParams none;
  EXPECT_FALSE(OvParseParams(";", &none)) << "no list: the command does nothing";
  EXPECT_FALSE(OvParseParams("(Message = 'x'", &none)) << "not closed";
  EXPECT_EQ(OvCommandOf("@AskFind"), OvCommand::kAskFind);
  EXPECT_EQ(OvCommandOf("@askfind"), OvCommand::kNone) << "command names keep their case";
  // A parameter given twice takes the later value; an unknown name and its value are ignored.
  OvExecFindParams find;
  ASSERT_TRUE(OvParseParams("(FindName = a, Colour = red, FINDNAME = b, FindDBFile = 7)", &find));
  EXPECT_EQ(find.findName, "b");
  EXPECT_EQ(find.findDBFile, 7);
  // The ";" inside a quoted statement belongs to it; the quotes are trimmed.
  const std::vector<std::string> statements = Statements("@ExecFind(FindStmt = '[2] = \"x\";');");
  ASSERT_EQ(statements.size(), 1u);
  ASSERT_TRUE(OvParseParams(ListOf(statements[0]), &find));
  EXPECT_EQ(find.findStmt, "[2] = \"x\";");
}

TEST(OvScriptParams, NumbersTextsAndTheValueLimit) {
  OvShowFormParams form;
  ASSERT_TRUE(OvParseParams("(Form = 12)", &form));
  EXPECT_EQ(form.form, "") << "a number where text is expected is ignored";
  ASSERT_TRUE(OvParseParams("(Form = '12', Target = SELF)", &form));
  EXPECT_EQ(form.form, "12");
  EXPECT_TRUE(form.self);
  ASSERT_TRUE(OvParseParams("(Form = ask)", &form));
  EXPECT_TRUE(form.ask);
  EXPECT_EQ(form.form, "");
  OvPlaySoundParams sound;
  ASSERT_TRUE(OvParseParams("(DBItem = x2, DBItem = 3, Prefix = " + Sj("音") + ")", &sound));
  EXPECT_EQ(sound.dbItem, 3) << "text where a number is expected is ignored";
  EXPECT_EQ(sound.prefix, Sj("音"));
  // 257 values: the last is dropped.
  std::string list = "(FieldID = ";
  for (int i = 1; i <= 257; ++i) list += std::to_string(i) + (i < 257 ? ", " : "");
  list += ", visible = no);";
  OvSetVisibleParams visible;
  ASSERT_TRUE(OvParseParams(list, &visible));
  ASSERT_EQ(visible.fieldIDs.size(), 256u);
  EXPECT_EQ(visible.fieldIDs.back(), 256);
  EXPECT_FALSE(visible.visible);
  // A character no token takes ends the list unclosed: the command does not run.
  OvSetVisibleParams negative;
  EXPECT_FALSE(OvParseParams("(FieldID = -3)", &negative));
  OvSelectIdxParams index;
  ASSERT_TRUE(OvParseParams("(Index = last, Save = ask, Commit = no)", &index));
  EXPECT_EQ(index.target, OvSelectIdxParams::kLast);
  EXPECT_EQ(index.save, OvYesNoAsk::kAsk);
  ASSERT_TRUE(OvParseParams("(Index = 4)", &index));
  EXPECT_EQ(index.target, OvSelectIdxParams::kNumber);
  EXPECT_EQ(index.index, 4);
  EXPECT_TRUE(OvParseEmptyParams("(whatever = 1)"));
  OvFieldEditParams edit;
  ASSERT_TRUE(OvParseParams("(FieldID = focused, Type = SelectAll)", &edit));
  EXPECT_TRUE(edit.focused);
  EXPECT_EQ(edit.type, OvFieldEditParams::kSelectAll);
}

TEST(OvScriptParams, FieldFindTakesPositionalSwitchesGroupsAndClearsOnSemicolon) {
  OvExecFieldFindParams p;
  ASSERT_TRUE(OvParseParams(
      "(FieldID = 1, 2; 3, DBItem = 4, 5, IMatch = 7, Fore, Mid, IConnect = 0, and, "
      "FConnect = 9, x, AddDBItem = 11, 6, 8, AddDBItem = 12, 9, DelDBItem = 13, 4, "
      "UseNativeCondition = yes, UseMultiCondition = no, UseSelection = YES, ConvHankana = yes)",
      &p));
  EXPECT_EQ(p.fieldIDs, (std::vector<int32_t>{1, 2})) << "the ';' cleared the selection";
  EXPECT_EQ(p.dbItems, (std::vector<int32_t>{4, 5}));
  EXPECT_EQ(p.match.item, 7);
  EXPECT_EQ(p.match.off, OvExecFieldFindParams::kFore);
  EXPECT_EQ(p.match.on, OvExecFieldFindParams::kMid);
  EXPECT_EQ(p.itemConnect.item, 0);
  EXPECT_EQ(p.itemConnect.off, OvExecFieldFindParams::kAnd);
  EXPECT_EQ(p.itemConnect.on, OvExecFieldFindParams::kOr) << "the default stays";
  EXPECT_EQ(p.fieldConnect.off, 0) << "an unknown connective gives 0";
  ASSERT_EQ(p.addDBItems.size(), 2u);
  EXPECT_EQ(p.addDBItems[0].item, 11);
  EXPECT_EQ(p.addDBItems[0].dbItems, (std::vector<int32_t>{6, 8}));
  EXPECT_EQ(p.addDBItems[1].item, 12);
  ASSERT_EQ(p.delDBItems.size(), 1u);
  EXPECT_EQ(p.delDBItems[0].dbItems, (std::vector<int32_t>{4}));
  EXPECT_TRUE(p.useNativeCondition);
  EXPECT_FALSE(p.useMultiCondition);
  EXPECT_TRUE(p.useSelection);
  EXPECT_TRUE(p.convHankana);
  EXPECT_TRUE(p.useSetID);
  // Defaults.
  OvExecFieldFindParams defaults;
  ASSERT_TRUE(OvParseParams("()", &defaults));
  EXPECT_EQ(defaults.match.off, OvExecFieldFindParams::kEq);
  EXPECT_EQ(defaults.itemConnect.off, OvExecFieldFindParams::kOr);
  EXPECT_EQ(defaults.fieldConnect.on, OvExecFieldFindParams::kAnd);
  // Elsewhere a ";" changes nothing.
  OvSetVisibleParams visible;
  ASSERT_TRUE(OvParseParams("(FieldID = 1; 2)", &visible));
  EXPECT_EQ(visible.fieldIDs, (std::vector<int32_t>{1, 2}));
}

TEST(OvScriptParams, DataInputFormatsNestWithTagsKeywordsAndTerminators) {
  OvDataInputParams p;
  ASSERT_TRUE(OvParseParams(
      "(InputFile = 'in.dat', Commit = record, RecordTerm = LF, ItemTerm = TAB, "
      "RepeatTerm = '|', DataFormat = [DBItem = 1, Type = STRING], "
      "[DBItem = 2; 9, Type = date, Tag = 'b', 5, 'i', 6, ExtKwd = 7, 8, ExtKwdKey = 3], "
      "[DBItem = 0, ItemTerm = ':', DataFormat = [[DBItem = 4, Type = number], "
      "[DBItem = 5, DataFormat = [DBItem = 9]]]])",
      &p));
  EXPECT_EQ(p.inputFile, "in.dat");
  EXPECT_FALSE(p.ask);
  EXPECT_EQ(p.commit, OvDataInputParams::kRecord);
  EXPECT_EQ(p.recordTerm, "\n");
  EXPECT_EQ(p.scheme.itemTerm, "\t");
  EXPECT_EQ(p.scheme.repeatTerm, "|");
  ASSERT_EQ(p.scheme.formats.size(), 3u);
  EXPECT_EQ(p.scheme.formats[0]->dbItem, 1);
  EXPECT_EQ(p.scheme.formats[0]->type, 6);
  const OvScriptParam_DataFormat& second = *p.scheme.formats[1];
  EXPECT_EQ(second.dbItem, 2) << "the ';' cleared the selection before 9";
  EXPECT_EQ(second.type, 1);
  ASSERT_EQ(second.tags.size(), 2u);
  EXPECT_EQ(second.tags[1]->tag, "i");
  EXPECT_EQ(second.tags[1]->dbItem, 6);
  EXPECT_EQ(second.extKeywords, (std::vector<int16_t>{7, 8}));
  EXPECT_EQ(second.extKeywordKey, 3);
  const OvScriptParam_DataFormat& third = *p.scheme.formats[2];
  ASSERT_NE(third.subScheme, nullptr);
  EXPECT_EQ(third.subScheme->itemTerm, ":");
  EXPECT_EQ(third.subScheme->repeatTerm, "\t");
  ASSERT_EQ(third.subScheme->formats.size(), 2u);
  EXPECT_EQ(third.subScheme->formats[0]->type, 7);
  const OvScriptParam_DataFormat& nested = *third.subScheme->formats[1];
  ASSERT_NE(nested.subScheme, nullptr);
  ASSERT_EQ(nested.subScheme->formats.size(), 1u);
  EXPECT_EQ(nested.subScheme->formats[0]->dbItem, 9);
  // Defaults, and the output formats.
  OvDataInputParams defaults;
  ASSERT_TRUE(OvParseParams("(RecordTerm = EOF)", &defaults));
  EXPECT_TRUE(defaults.ask);
  EXPECT_EQ(defaults.commit, OvDataInputParams::kEnd);
  EXPECT_EQ(defaults.recordTerm, "\r\n");
  OvDataOutputParams out;
  ASSERT_TRUE(OvParseParams("(OutputFile = ask, DataFormat = [DBItem = 3], [DBItem = 1])", &out));
  EXPECT_TRUE(out.ask);
  EXPECT_EQ(out.dbItems, (std::vector<int16_t>{3, 1}));
  EXPECT_EQ(OvDataTypeCode("winbmp"), 107);
  EXPECT_EQ(OvDataTypeCode("bmp"), -1);
  // Brackets that do not match make the list malformed.
  OvDataInputParams bad;
  EXPECT_FALSE(OvParseParams("(DataFormat = [DBItem = 1)", &bad));
}

// Every parser over random bytes and mutations of real lists: each answers, never loops, and
// reads only its text (each list is given from an exactly sized heap block).
TEST(OvScriptParams, AnyBytesEndCleanly) {
  const std::string seeds[] = {
      "(FieldID = 1, 2; 3, IMatch = 7, Fore, Mid, AddDBItem = 1, 2)",
      "(DataFormat = [DBItem = 1, DataFormat = [[DBItem = 2, Tag = 'b', 3]]], ItemTerm = TAB)",
      "(Form = '" + Sj("住所録") + "', Target = self)",
      "(Index = next, Save = ask)",
  };
  std::mt19937 random(7);
  auto parseAll = [](std::string_view text) {
    OvAskFindParams a;
    OvExecFieldFindParams f;
    OvExecSubFindParams s;
    OvDataInputParams in;
    OvDataOutputParams out;
    OvShowFormParams form;
    OvSelectIdxParams index;
    (void)OvParseParams(text, &a);
    (void)OvParseParams(text, &f);
    (void)OvParseParams(text, &s);
    (void)OvParseParams(text, &in);
    (void)OvParseParams(text, &out);
    (void)OvParseParams(text, &form);
    (void)OvParseParams(text, &index);
    std::string statement;
    OvStatementReader reader(text);
    while (reader.Next(&statement)) {
    }
  };
  for (int round = 0; round < 3000; ++round) {
    std::string text = seeds[random() % 4];
    const int edits = 1 + static_cast<int>(random() % 6);
    for (int e = 0; e < edits && !text.empty(); ++e) {
      const size_t at = random() % text.size();
      switch (random() % 3) {
        case 0:
          text[at] = static_cast<char>(random() % 256);
          break;
        case 1:
          text.erase(at, 1 + random() % 3);
          break;
        default:
          text.insert(at, 1, "([];,='\"\x83"[random() % 9]);
      }
    }
    auto exact = std::make_unique<char[]>(text.size() + 1);
    std::memcpy(exact.get(), text.data(), text.size());
    parseAll(std::string_view(exact.get(), text.size()));
  }
  // Deep nesting is refused, not followed.
  std::string deep = "(DataFormat = ";
  for (int i = 0; i < 10000; ++i) deep += "[";
  OvDataInputParams p;
  EXPECT_FALSE(OvParseParams(deep, &p));
}

}  // namespace
