// The examples of docs/authoring.md and the demo's definition files, read by the player's own
// readers: a definition example must be built item by item, a script must be made of known
// commands with well-formed lists, a schema must read. (The guide's find statements are run on
// the demo's database by the demo.Actions test.) The demo must use every item kind the player
// builds.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "Sjis.h"
#include "base/VCodePage.h"
#include "base/VStream.h"
#include "db/schema/VSchema.h"
#include "script/OvScript.h"
#include "script/OvScriptParams.h"
#include "script/OvScriptText.h"
#include "template/Definition.h"
#include "template/OFTApp.h"
#include "template/OFTDBItem.h"
#include "template/OFTForm.h"
#include "template/OFTItem.h"
#include "template/OFTPool.h"

namespace {

// The fenced blocks of a Markdown text whose fence names the language.
std::vector<std::string> Blocks(const std::string& markdown, const std::string& language) {
  std::vector<std::string> blocks;
  const std::string open = "```" + language + "\n";
  size_t at = 0;
  while ((at = markdown.find(open, at)) != std::string::npos) {
    const size_t start = at + open.size();
    const size_t end = markdown.find("\n```", start);
    if (end == std::string::npos) break;
    blocks.push_back(markdown.substr(start, end - start + 1));
    at = end + 4;
  }
  return blocks;
}

// Whether one script statement is a known command whose parameter list is well formed.
bool IsWellFormedCommand(const std::string& statement, std::string* why) {
  OvTokenReader tokens(statement);
  const OvScriptToken name = tokens.Next();
  const OvCommand command = OvCommandOf(name.text);
  const std::string_view list = tokens.Rest();
  *why = "unknown command";
  switch (command) {
    case OvCommand::kNone:
      return false;
    default:
      break;
  }
  *why = "the parameter list is not well formed";
  switch (command) {
    case OvCommand::kAskFind: {
      OvAskFindParams p;
      return OvParseParams(list, &p);
    }
    case OvCommand::kExecFind: {
      OvExecFindParams p;
      return OvParseParams(list, &p) && (!p.findName.empty() || !p.findStmt.empty());
    }
    case OvCommand::kExecFieldFind: {
      OvExecFieldFindParams p;
      return OvParseParams(list, &p) && !p.fieldIDs.empty();
    }
    case OvCommand::kExecSubFind: {
      OvExecSubFindParams p;
      return OvParseParams(list, &p) && !p.setToCID.empty();
    }
    case OvCommand::kInsertRec:
    case OvCommand::kUpdateRec:
    case OvCommand::kDeleteRec: {
      OvEditRecParams p;
      return OvParseParams(list, &p, command == OvCommand::kDeleteRec);
    }
    case OvCommand::kCommitWork:
    case OvCommand::kCancelWork:
      return OvParseEmptyParams(list);
    case OvCommand::kSelectIdx: {
      OvSelectIdxParams p;
      return OvParseParams(list, &p);
    }
    case OvCommand::kShowForm: {
      OvShowFormParams p;
      return OvParseParams(list, &p);
    }
    case OvCommand::kQuit: {
      OvQuitParams p;
      return OvParseParams(list, &p);
    }
    case OvCommand::kPlaySound: {
      OvPlaySoundParams p;
      return OvParseParams(list, &p);
    }
    case OvCommand::kShowRefHistory: {
      OvHistoryParams p;
      return OvParseParams(list, &p, true) && !p.setToCID.empty();
    }
    case OvCommand::kShowFindHistory:
    case OvCommand::kShowRecSetHistory: {
      OvHistoryParams p;
      return OvParseParams(list, &p, false);
    }
    case OvCommand::kCreateDB: {
      OvCreateDBParams p;
      return OvParseParams(list, &p);
    }
    case OvCommand::kDataInput: {
      OvDataInputParams p;
      return OvParseParams(list, &p) && !p.scheme.formats.empty();
    }
    case OvCommand::kDataOutput: {
      OvDataOutputParams p;
      return OvParseParams(list, &p);
    }
    case OvCommand::kSetEnable: {
      OvSetEnableParams p;
      return OvParseParams(list, &p);
    }
    case OvCommand::kSetVisible: {
      OvSetVisibleParams p;
      return OvParseParams(list, &p);
    }
    case OvCommand::kSelectFindWord: {
      OvSelectFindWordParams p;
      return OvParseParams(list, &p);
    }
    case OvCommand::kFieldEdit: {
      OvFieldEditParams p;
      return OvParseParams(list, &p);
    }
    default:
      return false;
  }
}

// Every statement of a Shift-JIS script; the ones that are not well-formed commands are added to
// the failures with the place they came from. Answers the number of statements.
int CheckScript(std::string_view script, const std::string& where,
                std::vector<std::string>* failures) {
  OvStatementReader reader(script);
  std::string statement;
  int count = 0;
  while (reader.Next(&statement)) {
    ++count;
    std::string why;
    if (!IsWellFormedCommand(statement, &why)) {
      failures->push_back(where + ": " + VSjisToUtf8(statement) + ": " + why);
    }
  }
  return count;
}

// The scripts of a pool's forms and items, each with a description of where it is.
std::vector<std::pair<std::string, std::string>> Scripts(const OFTPool& pool) {
  std::vector<std::pair<std::string, std::string>> scripts;
  for (int32_t a = 0; a < pool.AppCount(); ++a) {
    const OFTApp* app = pool.AppAt(a);
    for (int32_t f = 0; f < app->FormCount(); ++f) {
      const OFTForm* form = app->FormAt(f);
      const std::string name = VSjisToUtf8(form->HasName() ? form->Name() : "");
      if (!form->UpdateScript().View().empty()) {
        scripts.emplace_back(name + " UpdateScript", std::string(form->UpdateScript().View()));
      }
      for (int32_t i = 0; i < form->ItemCount(); ++i) {
        const OFTItem* item = form->ItemAt(i);
        const std::string at = name + " item " + std::to_string(item->ID());
        if (!item->Script().View().empty()) {
          scripts.emplace_back(at, std::string(item->Script().View()));
        }
        if (const auto* list = dynamic_cast<const OFTDBList*>(item)) {
          if (!list->DoubleClickScript().View().empty()) {
            scripts.emplace_back(at + " double click",
                                 std::string(list->DoubleClickScript().View()));
          }
        }
      }
    }
  }
  return scripts;
}

int ItemTemplates(const OFTPool& pool, std::set<std::string>* keywords = nullptr) {
  int count = 0;
  for (int32_t a = 0; a < pool.AppCount(); ++a) {
    for (int32_t f = 0; f < pool.AppAt(a)->FormCount(); ++f) {
      const OFTForm* form = pool.AppAt(a)->FormAt(f);
      count += form->ItemCount();
      for (int32_t i = 0; keywords != nullptr && i < form->ItemCount(); ++i) {
        keywords->insert(form->ItemAt(i)->Keyword());
      }
    }
  }
  return count;
}

const char* const kBuiltKinds[] = {"Line",
                                   "Plane",
                                   "Circle",
                                   "Label",
                                   "Field",
                                   "Button",
                                   "RadioButton",
                                   "CheckBox",
                                   "ScrollBar",
                                   "List",
                                   "DBField",
                                   "DBList",
                                   "DBMultiValueField",
                                   "DBStyleEdit",
                                   "DBImageField",
                                   "DBHistoryList"};

// How many item blocks the text opens: every begin tag but those of applications, forms, searches
// and radio-button groups (a misspelt kind counts here and is not built).
int ItemTags(const std::string& text) {
  static const std::regex kTag(R"(\[([A-Za-z]+)\])");
  static const std::set<std::string> kNotItems = {"Application", "Form", "Search",
                                                  "RadioButtonGroup"};
  int count = 0;
  for (auto it = std::sregex_iterator(text.begin(), text.end(), kTag); it != std::sregex_iterator();
       ++it) {
    if (!kNotItems.count((*it)[1].str())) ++count;
  }
  return count;
}

class AuthoringGuide : public ::testing::Test {
 protected:
  std::string guide_ = FileContents(OV_AUTHORING_MD);
};

TEST_F(AuthoringGuide, DefinitionExamplesAreBuiltItemByItemAndTheirScriptsParse) {
  const std::vector<std::string> examples = Blocks(guide_, "ova");
  ASSERT_GE(examples.size(), 3u);
  for (const std::string& example : examples) {
    OFTPool pool;
    ReadText(pool, example.c_str());
    ASSERT_EQ(pool.AppCount(), 1) << example;
    EXPECT_GE(pool.AppAt(0)->FormCount(), 1) << example;
    // A misspelt kind or a block that ends its form early loses items.
    EXPECT_EQ(ItemTemplates(pool), ItemTags(example)) << example;
    std::vector<std::string> failures;
    for (const auto& [where, script] : Scripts(pool)) CheckScript(script, where, &failures);
    EXPECT_TRUE(failures.empty()) << ::testing::PrintToString(failures);
  }
}

TEST_F(AuthoringGuide, ScriptExamplesAreKnownCommandsWithWellFormedLists) {
  const std::vector<std::string> examples = Blocks(guide_, "script");
  ASSERT_GE(examples.size(), 5u);
  std::vector<std::string> failures;
  std::set<OvCommand> shown;
  for (const std::string& example : examples) {
    const std::string sjis = Sj(example.c_str());
    EXPECT_GT(CheckScript(sjis, "guide", &failures), 0) << example;
    OvStatementReader reader(sjis);
    std::string statement;
    while (reader.Next(&statement)) shown.insert(OvCommandOf(OvTokenReader(statement).Next().text));
  }
  EXPECT_TRUE(failures.empty()) << ::testing::PrintToString(failures);
  // Every command but the sound has an example (the demo has no sound files).
  EXPECT_EQ(shown.size(), 22u);
}

TEST_F(AuthoringGuide, SchemaExamplesRead) {
  const std::vector<std::string> examples = Blocks(guide_, "schema");
  ASSERT_GE(examples.size(), 1u);
  for (const std::string& example : examples) {
    const std::string sjis = Sj(example.c_str());
    VResult result = kVOk;
    std::unique_ptr<VSchema> schema = ReadSchema(sjis.data(), sjis.size(), &result);
    EXPECT_EQ(result, kVOk) << example;
    EXPECT_NE(schema, nullptr) << example;
  }
  // The guide shows the demo's own schema.
  EXPECT_EQ(Sj(examples[0].c_str()),
            FileContents(std::string(OV_DEMO_DIR) + "/schema/addresses.sch"));
}

TEST(DemoDefinitions, EveryScriptParsesAndEveryItemKindIsUsed) {
  std::set<std::string> keywords;
  std::vector<std::string> failures;
  int scripts = 0;
  for (const auto& entry : std::filesystem::directory_iterator(OV_DEMO_DIR "/OVAFolder")) {
    if (entry.path().extension() != ".ova") continue;
    const std::string text = FileContents(entry.path().string());
    OFTPool pool;
    ReadBytes(pool, text);
    EXPECT_EQ(ItemTemplates(pool, &keywords), ItemTags(text)) << entry.path();
    for (const auto& [where, script] : Scripts(pool)) {
      scripts += CheckScript(script, entry.path().filename().string() + " " + where, &failures);
    }
  }
  EXPECT_TRUE(failures.empty()) << ::testing::PrintToString(failures);
  EXPECT_GT(scripts, 30);
  for (const char* kind : kBuiltKinds) EXPECT_TRUE(keywords.count(kind)) << kind;
}

}  // namespace
