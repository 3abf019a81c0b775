#include "script/OvFindText.h"

#include <array>

#include "base/VMessages.h"
#include "base/VSjis.h"

namespace {

// Each half-width form (UTF-8, as written here) and the full-width letter it becomes; the pairs
// with a sound mark come before the single letters so that they are tried first.
const VMessageTable& HalfWidth() {
  static const VMessageTable table = {
      "ｶﾞ", "ｷﾞ", "ｸﾞ", "ｹﾞ", "ｺﾞ", "ｻﾞ", "ｼﾞ", "ｽﾞ", "ｾﾞ", "ｿﾞ", "ﾀﾞ", "ﾁﾞ", "ﾂﾞ", "ﾃﾞ", "ﾄﾞ",
      "ﾊﾞ", "ﾋﾞ", "ﾌﾞ", "ﾍﾞ", "ﾎﾞ", "ﾊﾟ", "ﾋﾟ", "ﾌﾟ", "ﾍﾟ", "ﾎﾟ", "ｳﾞ", "｡",  "｢",  "｣",  "､",
      "･",  "ｦ",  "ｧ",  "ｨ",  "ｩ",  "ｪ",  "ｫ",  "ｬ",  "ｭ",  "ｮ",  "ｯ",  "ｰ",  "ｱ",  "ｲ",  "ｳ",
      "ｴ",  "ｵ",  "ｶ",  "ｷ",  "ｸ",  "ｹ",  "ｺ",  "ｻ",  "ｼ",  "ｽ",  "ｾ",  "ｿ",  "ﾀ",  "ﾁ",  "ﾂ",
      "ﾃ",  "ﾄ",  "ﾅ",  "ﾆ",  "ﾇ",  "ﾈ",  "ﾉ",  "ﾊ",  "ﾋ",  "ﾌ",  "ﾍ",  "ﾎ",  "ﾏ",  "ﾐ",  "ﾑ",
      "ﾒ",  "ﾓ",  "ﾔ",  "ﾕ",  "ﾖ",  "ﾗ",  "ﾘ",  "ﾙ",  "ﾚ",  "ﾛ",  "ﾜ",  "ﾝ",  "ﾞ",  "ﾟ"};
  return table;
}

const VMessageTable& FullWidth() {
  static const VMessageTable table = {
      "ガ", "ギ", "グ", "ゲ", "ゴ", "ザ", "ジ", "ズ", "ゼ", "ゾ", "ダ", "ヂ", "ヅ", "デ", "ド",
      "バ", "ビ", "ブ", "ベ", "ボ", "パ", "ピ", "プ", "ペ", "ポ", "ヴ", "。", "「", "」", "、",
      "・", "ヲ", "ァ", "ィ", "ゥ", "ェ", "ォ", "ャ", "ュ", "ョ", "ッ", "ー", "ア", "イ", "ウ",
      "エ", "オ", "カ", "キ", "ク", "ケ", "コ", "サ", "シ", "ス", "セ", "ソ", "タ", "チ", "ツ",
      "テ", "ト", "ナ", "ニ", "ヌ", "ネ", "ノ", "ハ", "ヒ", "フ", "ヘ", "ホ", "マ", "ミ", "ム",
      "メ", "モ", "ヤ", "ユ", "ヨ", "ラ", "リ", "ル", "レ", "ロ", "ワ", "ン", "゛", "゜"};
  return table;
}

bool IsHalfWidthKana(uint8_t b) { return b >= 0xA1 && b <= 0xDF; }

}  // namespace

std::string OvConvertHankana(std::string_view text) {
  const VMessageTable& half = HalfWidth();
  const VMessageTable& full = FullWidth();
  const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
  std::string out;
  size_t i = 0;
  while (i < text.size()) {
    if (!IsHalfWidthKana(bytes[i])) {
      const size_t n = VCharLength(bytes, text.size(), i);
      out.append(text.substr(i, n));
      i += n;
      continue;
    }
    bool matched = false;
    for (size_t k = 0; k < half.Size(); ++k) {
      const std::string& form = half[k];
      if (text.substr(i, form.size()) == form) {
        out += full[k];
        i += form.size();
        matched = true;
        break;
      }
    }
    if (!matched) out += text[i++];
  }
  return out;
}

OvFieldFindBuilder::OvFieldFindBuilder(std::vector<int32_t> dbItems, int32_t match, bool itemsAnd,
                                       bool fieldsAnd)
    : dbItems_(std::move(dbItems)),
      match_(match),
      itemConnective_(itemsAnd ? " AND " : " OR "),
      fieldConnective_(fieldsAnd ? " AND " : " OR ") {}

void OvFieldFindBuilder::AddWord(std::string_view word, bool connect, bool parenthesised) {
  const std::string quoted = "\"" + std::string(word) + "\"";
  std::string value;
  std::string first;
  std::string second;
  switch (match_) {
    case 2:
      value = "=" + quoted + "?";
      break;
    case 3:
      value = "=?" + quoted;
      break;
    case 4:
      value = "=?" + quoted + "?";
      break;
    case 5:
      first = "=" + quoted + "?";
      second = "=?" + quoted;
      break;
    default:
      value = "=" + quoted;
  }
  if (connect) statement_ += fieldConnective_;
  if (parenthesised) statement_ += "(";
  bool written = false;
  for (int32_t item : dbItems_) {
    if (item <= 0) continue;
    if (written) statement_ += itemConnective_;
    written = true;
    const std::string reference = "[" + std::to_string(item) + "]";
    if (match_ == 5) {
      statement_ += "(" + reference + first + " OR " + reference + second + ")";
    } else {
      statement_ += reference + value;
    }
  }
  if (parenthesised) statement_ += ")";
}
