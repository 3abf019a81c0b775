// The find commands of scripts: "@AskFind", "@ExecFind", "@ExecFieldFind" and "@ExecSubFind".
#include <algorithm>
#include <string>
#include <vector>

#include "base/VSjis.h"
#include "base/VString.h"
#include "gt/OGTDBValue.h"
#include "gt/OGTDBWindow.h"
#include "gt/OGTEvent.h"
#include "gt/OGTMessageBox.h"
#include "gt/OGTSelectedText.h"
#include "gt/OGTSound.h"
#include "script/OvFindText.h"
#include "script/OvScript.h"
#include "script/OvScriptParams.h"
#include "script/OvScriptTexts.h"
#include "template/OFTApp.h"
#include "template/OFTSearch.h"

namespace {

// Item texts are read into buffers of this size (at most 256 bytes of text).
constexpr size_t kTextSize = 257;

std::string ItemText(OGTItem* item) {
  char text[kTextSize];
  item->GetText(text, sizeof text);
  return text;
}

// Whether the item with that ID exists and is on (a check box or radio button that is set).
bool IsOn(OGTDBWindow* window, int32_t id) {
  if (id == 0) return false;
  OGTItem* item = window->FindByID(id);
  if (item == nullptr || item == window) return false;
  int32_t value = 0;
  item->GetValue(value);
  return value != 0;
}

// A field's text for the field find: with selectionOnly, a styled-text item gives its selection
// (nothing without one).
std::string FieldText(OGTItem* item, bool selectionOnly) {
  if (selectionOnly && (item->Kind() == kOGTKindStyleEdit || item->Kind() == kOGTKindDBStyleEdit)) {
    std::string selected;
    auto* source = dynamic_cast<OGTSelectedText*>(item);
    if (source == nullptr || !source->SelectedText(&selected)) return std::string();
    return std::string(OGTDBCut(selected, kTextSize - 1));
  }
  return ItemText(item);
}

bool IsBlank(std::string_view text, size_t i, size_t* length) {
  if (text[i] == ' ' || text[i] == '\t') {
    *length = 1;
    return true;
  }
  // The full-width space separates words as the blank does.
  if (i + 1 < text.size() && static_cast<uint8_t>(text[i]) == 0x81 &&
      static_cast<uint8_t>(text[i + 1]) == 0x40) {
    *length = 2;
    return true;
  }
  return false;
}

// Cuts a text into words at blanks and parentheses; each parenthesis is a word of its own.
std::vector<std::string> Words(std::string_view text) {
  std::vector<std::string> words;
  std::string word;
  const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
  for (size_t i = 0; i < text.size();) {
    size_t blank = 0;
    if (IsBlank(text, i, &blank)) {
      if (!word.empty()) words.push_back(std::move(word));
      word.clear();
      i += blank;
      continue;
    }
    if (text[i] == '(' || text[i] == ')') {
      if (!word.empty()) words.push_back(std::move(word));
      word.clear();
      words.emplace_back(1, text[i]);
      ++i;
      continue;
    }
    const size_t n = VCharLength(bytes, text.size(), i);
    word.append(text.substr(i, n));
    i += n;
  }
  if (!word.empty()) words.push_back(std::move(word));
  return words;
}

bool HasBlank(std::string_view text) {
  for (size_t i = 0; i < text.size();) {
    size_t blank = 0;
    if (IsBlank(text, i, &blank)) return true;
    i += VCharLength(reinterpret_cast<const uint8_t*>(text.data()), text.size(), i);
  }
  return false;
}

}  // namespace

void OvScript::AskFind(std::string_view list) {
  OvAskFindParams params;
  if (!OvParseParams(list, &params)) return;
  const std::string prompt =
      params.message.empty() ? OvScriptText(kOvTextFindPrompt) : params.message;
  std::string initial =
      params.findStmt.empty() ? window_->RecordSet().Statement() : params.findStmt;
  OGTDBWindow* window = window_;
  for (;;) {
    VString typed;
    if (!AskText(prompt.c_str(), typed, initial.c_str(), params.example)) return;
    if (typed.IsEmpty()) {
      ShowMessage(OvScriptText(kOvTextFindEmpty).c_str());
      continue;
    }
    const std::string text(typed.View());
    if (window->ExecFind(text.c_str(), text.c_str(), true, false) == kVOk) return;
    // The error box has been shown; the dialog comes back with what was typed.
    initial = text;
  }
}

void OvScript::ExecFind(std::string_view list) {
  OvExecFindParams params;
  if (!OvParseParams(list, &params)) return;
  std::string statement;
  if (!params.findName.empty()) {
    const OFTApp* app = app_->Template();
    const OFTSearch* search = app != nullptr ? app->FindSearch(params.findName.c_str()) : nullptr;
    if (search == nullptr) return;
    statement = std::string(search->Statement().View());
  } else {
    statement = params.findStmt;
  }
  if (statement.empty()) return;
  // A failure has shown its error box.
  (void)window_->ExecFind(statement.c_str(), nullptr, true, false);
}

void OvScript::ExecFieldFind(std::string_view list) {
  OvExecFieldFindParams p;
  if (!OvParseParams(list, &p)) return;
  OGTDBWindow* window = window_;
  const int32_t match = IsOn(window, p.match.item) ? p.match.on : p.match.off;
  const int32_t items = IsOn(window, p.itemConnect.item) ? p.itemConnect.on : p.itemConnect.off;
  const int32_t fields = IsOn(window, p.fieldConnect.item) ? p.fieldConnect.on : p.fieldConnect.off;
  std::vector<int32_t> dbItems = p.dbItems;
  for (const OvItemGroupParam& group : p.addDBItems) {
    if (!IsOn(window, group.item)) continue;
    for (int32_t item : group.dbItems) {
      if (dbItems.size() < kMaxListValues) dbItems.push_back(item);
    }
  }
  for (const OvItemGroupParam& group : p.delDBItems) {
    if (!IsOn(window, group.item)) continue;
    for (int32_t item : group.dbItems) std::replace(dbItems.begin(), dbItems.end(), item, 0);
  }
  // The texts of the listed fields that exist.
  std::vector<std::string> texts;
  for (int32_t id : p.fieldIDs) {
    OGTItem* item = window->FindByID(id);
    texts.push_back(item != nullptr && item != window ? FieldText(item, p.useSelection) : "");
  }
  const bool multi = std::count_if(texts.begin(), texts.end(),
                                   [](const std::string& t) { return !t.empty(); }) >= 2;
  window->ClearFindWords();
  OvFieldFindBuilder builder(dbItems, match, items == OvExecFieldFindParams::kAnd,
                             fields == OvExecFieldFindParams::kAnd);
  for (const std::string& text : texts) {
    if (text.empty()) continue;
    const bool connect = !builder.Statement().empty();
    if (p.useNativeCondition) {
      if (connect) builder.Append(builder.FieldConnective());
      builder.Append(multi ? "(" + text + ")" : text);
      continue;
    }
    const bool references = (p.useRecSetHstIdx && text.find('$') != std::string::npos) ||
                            (p.useSetID && text.find('#') != std::string::npos);
    if (p.useMultiCondition && (HasBlank(text) || references)) {
      if (connect) builder.Append(builder.FieldConnective());
      builder.Append("(");
      bool first = true;
      for (const std::string& word : Words(text)) {
        if (word == "(") {
          if (!first) builder.Append(" AND ");
          builder.Append("(");
          first = true;
          continue;
        }
        if (word == ")") {
          builder.Append(")");
          continue;
        }
        if (!first) builder.Append(" AND ");
        first = false;
        if ((p.useRecSetHstIdx && word[0] == '$') || (p.useSetID && word[0] == '#')) {
          builder.Append(word);
          continue;
        }
        window->AddFindWord(word);
        builder.AddWord(word, false, true);
      }
      builder.Append(")");
      continue;
    }
    window->AddFindWord(text);
    builder.AddWord(text, connect, multi);
  }
  std::string& statement = builder.MutableStatement();
  if (p.convHankana) statement = OvConvertHankana(statement);
  if (statement.empty() || statement.back() != ';') statement += ';';
  if (statement.size() < 2) {
    Beep();
    return;
  }
  if (window->ExecFind(statement.c_str(), nullptr, true, p.useRecSetHstIdx) != kVOk) Beep();
}

void OvScript::ExecSubFind(std::string_view list) {
  OvExecSubFindParams p;
  if (!OvParseParams(list, &p) || p.setToCID.empty()) return;
  OGTDBWindow* window = window_;
  window->ClearFindWords();
  std::string text;
  if (OGTItem* item = window->FindByID(p.fieldID); item != nullptr && item != window) {
    text = ItemText(item);
  }
  if (text.empty()) {
    Beep();
    return;
  }
  window->AddFindWord(text);
  const std::string statement = "[" + std::to_string(p.dbItem) + "]=\"" + text + "\";";
  if (window->ExecSubFind(statement.c_str(), p.setToCID, true) != kVOk) Beep();
}
