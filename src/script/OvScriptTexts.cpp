#include "script/OvScriptTexts.h"

#include "base/VMessages.h"

const std::string& OvScriptText(OvScriptTextId id) {
  // In the order of OvScriptTextId.
  static const VMessageTable table = {
      "検索条件式を指定して下さい。",
      "検索条件式を入力して下さい。",
  };
  return table[id];
}
