#include "app/OvATexts.h"

#include "base/VMessages.h"

const std::string& OvAText(OvATextId id) {
  // In the order of OvATextId.
  static const VMessageTable table = {
      "データベースを開けませんでした。",
      "アプリケーションリスト",
      "実行",
      "アプリケーション名",
      "フォームが初期化されていないため実行できません。",
      "アプリケーションを選択して下さい。",
      "アプリケーション：",
      "フォームを選んで下さい。",
      "フォーム名",
      "了解",
      "キャンセル",
  };
  return table[id];
}
