#include "gt/OGTTexts.h"

#include "base/VMessages.h"

const std::string& OGTText(OGTTextId id) {
  // In the order of OGTTextId.
  static const VMessageTable table = {
      "確認...",
      "質問...",
      "了解",
      "はい",
      "いいえ",
      "エラー：",
      "検索",
      "実行",
      "キャンセル",
      "検索条件式例：\r"
      "完全一致⇒[2] = \"鈴木\";\r"
      "前方一致⇒[名前]=\"鈴\"?;\r"
      "後方一致⇒[名前]=?\"木\";\r"
      "中間一致⇒[名前]=?\"鈴木\"?;\r"
      "列挙⇒[5] = \"東京都\", \"大阪府\";\r"
      "範囲⇒[売上] = 1000000 - 2000000;\r"
      "AND検索⇒[趣味] = \"サッカー\" and [性別] = \"男性\";\r"
      "OR検索⇒[職業] = \"会社員\" or [役職] = \"部長\";\r"
      "NOT検索⇒[all] not [名前] = \"鈴木\";",
      "ＭＳ Ｐゴシック",
      "ＭＳ Ｐ明朝",
      "ＭＳ ゴシック",
      "全て(*.*)|*.*|ﾃｷｽﾄ(*.txt)|*.txt||",
  };
  return table[id];
}
