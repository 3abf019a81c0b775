// Scripts and parameter lists: a script cut into statements and tokens, and each statement's text
// after its command name read by the parameter-list parser of every command.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "script/OvScriptParams.h"
#include "script/OvScriptText.h"

namespace {

void ParseWithEveryCommand(std::string_view list) {
  OvAskFindParams askFind;
  (void)OvParseParams(list, &askFind);
  OvExecFindParams execFind;
  (void)OvParseParams(list, &execFind);
  OvExecFieldFindParams fieldFind;
  (void)OvParseParams(list, &fieldFind);
  OvExecSubFindParams subFind;
  (void)OvParseParams(list, &subFind);
  for (bool withAsk : {false, true}) {
    OvEditRecParams edit;
    (void)OvParseParams(list, &edit, withAsk);
  }
  OvSelectIdxParams selectIdx;
  (void)OvParseParams(list, &selectIdx);
  OvShowFormParams showForm;
  (void)OvParseParams(list, &showForm);
  OvQuitParams quit;
  (void)OvParseParams(list, &quit);
  OvPlaySoundParams sound;
  (void)OvParseParams(list, &sound);
  for (bool withSetToCID : {false, true}) {
    OvHistoryParams history;
    (void)OvParseParams(list, &history, withSetToCID);
  }
  OvCreateDBParams createDB;
  (void)OvParseParams(list, &createDB);
  OvDataInputParams input;
  (void)OvParseParams(list, &input);
  OvDataOutputParams output;
  (void)OvParseParams(list, &output);
  OvSetEnableParams enable;
  (void)OvParseParams(list, &enable);
  OvSetVisibleParams visible;
  (void)OvParseParams(list, &visible);
  OvSelectFindWordParams findWord;
  (void)OvParseParams(list, &findWord);
  OvFieldEditParams fieldEdit;
  (void)OvParseParams(list, &fieldEdit);
  (void)OvParseEmptyParams(list);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view script(reinterpret_cast<const char*>(data), size);
  OvStatementReader statements(script);
  std::string statement;
  while (statements.Next(&statement)) {
    OvTokenReader tokens(statement);
    // The command name, then the rest as its parameter list.
    OvScriptToken first = tokens.Next();
    if (first.kind == OvScriptToken::kNone) tokens.SkipChar();
    ParseWithEveryCommand(tokens.Rest());
    (void)OvTrimValue(tokens.Rest());
    for (int guard = 0; guard < 100000; ++guard) {
      OvScriptToken token = tokens.Next();
      if (token.kind == OvScriptToken::kEnd) break;
      if (token.kind == OvScriptToken::kNone) tokens.SkipChar();
      (void)token.IsNumber();
    }
  }
  (void)OvDataTypeCode(script);
  return 0;
}
