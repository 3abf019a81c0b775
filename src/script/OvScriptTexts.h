// The script engine's messages to the user, as Shift-JIS bytes.
#pragma once

#include <cstddef>
#include <string>

enum OvScriptTextId : size_t {
  kOvTextFindPrompt,  // the search dialog's prompt when the script gives none
  kOvTextFindEmpty,   // the search dialog was confirmed without a statement
};

const std::string& OvScriptText(OvScriptTextId id);
