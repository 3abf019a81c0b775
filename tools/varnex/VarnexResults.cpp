#include "VarnexResults.h"

#include <cstdint>

#include "base/VSjis.h"
#include "db/engine/VCodeTexts.h"
#include "db/schema/VSchema.h"

namespace {

// The number written by ASCII digits only; 0 for anything else (as the engine reads a name).
int32_t NameNumber(std::string_view name) {
  int64_t number = 0;
  for (char c : name) {
    if (!VIsDigit(static_cast<uint8_t>(c))) return 0;
    number = number * 10 + (c - '0');
    if (number > INT32_MAX) return 0;
  }
  return static_cast<int32_t>(number);
}

// Why a reference names nothing, or empty when it names a key or an item.
std::string Unresolved(const VSch_DBFile& schema, std::string_view reference) {
  std::string_view name = reference;
  char letter = 0;
  if (name.size() >= 2 && name[1] == ':') {
    const char mark = static_cast<char>(VToUpper(static_cast<uint8_t>(name[0])));
    letter = mark == 'I' || mark == 'K' ? mark : 0;
    name.remove_prefix(2);
  }
  const std::string title = "file " + std::to_string(schema.Number()) + " (" + schema.Name() + ")";
  const std::string shown = "[" + std::string(reference) + "]";
  if (const int32_t number = NameNumber(name); number > 0) {
    if (letter == 'I') {
      if (schema.ItemByNumber(number) != nullptr) return "";
      return shown + " names item " + std::to_string(number) + ", which " + title +
             " does not have";
    }
    if (schema.KeyByNumber(number) != nullptr) return "";
    std::string text =
        shown + " names key " + std::to_string(number) + ", which " + title + " does not have";
    if (letter == 0 && schema.ItemByNumber(number) != nullptr) {
      text += " (item " + std::to_string(number) + " is [I:" + std::to_string(number) + "])";
    }
    return text;
  }
  const std::string text(name);
  if (letter != 'I' && schema.KeyNumberByName(text) > 0) return "";
  if (letter != 'K' && schema.ItemNumberByName(text) > 0) return "";
  const char* what = letter == 'I' ? "no item" : letter == 'K' ? "no key" : "no key and no item";
  return shown + " names " + what + " of " + title;
}

}  // namespace

std::string VarnexExplain(VResult code) { return VExplainCode(code); }

std::string VarnexStatementHint(const VSch_DBFile& schema, std::string_view statement) {
  const auto* p = reinterpret_cast<const uint8_t*>(statement.data());
  const size_t n = statement.size();
  for (size_t i = 0; i < n;) {
    const uint8_t c = p[i];
    if (c == '"' || c == '\'') {
      // A quoted value: its brackets are text (a doubled quote stays inside).
      for (++i; i < n; i += VCharLength(p, n, i)) {
        if (p[i] != c) continue;
        if (i + 1 < n && p[i + 1] == c) {
          ++i;
          continue;
        }
        break;
      }
      ++i;
      continue;
    }
    if (c != '[') {
      i += VCharLength(p, n, i);
      continue;
    }
    size_t end = i + 1;
    while (end < n && p[end] != ']') end += VCharLength(p, n, end);
    if (end >= n) return "";
    const std::string why = Unresolved(schema, statement.substr(i + 1, end - i - 1));
    if (!why.empty()) return why;
    i = end + 1;
  }
  return "";
}
