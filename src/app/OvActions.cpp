#include "app/OvActions.h"

#include <algorithm>
#include <cstdio>

#include "base/VCodePage.h"
#include "gt/OGTEvent.h"

namespace {

struct KeyName {
  const char* name;
  uint16_t key;
};

constexpr KeyName kKeys[] = {
    {"Return", kOGTKeyReturn},
    {"Enter", kOGTKeyEnter},
    {"Tab", kOGTKeyTab},
    {"Escape", kOGTKeyEscape},
    {"Backspace", kOGTKeyBackspace},
    {"Delete", kOGTKeyDelete},
    {"Home", kOGTKeyHome},
    {"End", kOGTKeyEnd},
    {"PageUp", kOGTKeyPageUp},
    {"PageDown", kOGTKeyPageDown},
    {"Left", kOGTKeyArrowLeft},
    {"Right", kOGTKeyArrowRight},
    {"Up", kOGTKeyArrowUp},
    {"Down", kOGTKeyArrowDown},
    {"Space", ' '},
};

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
           return lower(x) == lower(y);
         });
}

// Whether the bytes are well-formed UTF-8 (no overlong forms, no surrogates, at most U+10FFFF).
bool IsUtf8(std::string_view text) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
  size_t n = text.size();
  for (size_t i = 0; i < n;) {
    unsigned char c = bytes[i];
    size_t length = 0;
    uint32_t point = 0;
    if (c < 0x80) {
      ++i;
      continue;
    } else if (c >= 0xC2 && c <= 0xDF) {
      length = 2;
      point = c & 0x1F;
    } else if (c >= 0xE0 && c <= 0xEF) {
      length = 3;
      point = c & 0x0F;
    } else if (c >= 0xF0 && c <= 0xF4) {
      length = 4;
      point = c & 0x07;
    } else {
      return false;
    }
    if (i + length > n) return false;
    for (size_t k = 1; k < length; ++k) {
      if ((bytes[i + k] & 0xC0) != 0x80) return false;
      point = (point << 6) | (bytes[i + k] & 0x3F);
    }
    if ((length == 3 && point < 0x800) || (length == 4 && point < 0x10000) || point > 0x10FFFF ||
        (point >= 0xD800 && point <= 0xDFFF)) {
      return false;
    }
    i += length;
  }
  return true;
}

// Splits a line into words. False with the reason for a quote that is not closed, an unknown
// escape, or a quote that does not stand at a word's edges.
bool SplitWords(std::string_view line, std::vector<std::string>* words, std::string* why) {
  size_t i = 0;
  while (true) {
    while (i < line.size() && IsBlank(line[i])) ++i;
    if (i >= line.size()) return true;
    std::string word;
    if (line[i] != '"') {
      while (i < line.size() && !IsBlank(line[i])) {
        if (line[i] == '"') {
          *why = "a quote inside a word; put the whole argument in quotes";
          return false;
        }
        word += line[i++];
      }
      words->push_back(std::move(word));
      continue;
    }
    ++i;
    bool closed = false;
    while (i < line.size()) {
      char c = line[i++];
      if (c == '"') {
        closed = true;
        break;
      }
      if (c != '\\') {
        word += c;
        continue;
      }
      if (i >= line.size()) break;
      char escaped = line[i++];
      switch (escaped) {
        case '"':
        case '\\':
          word += escaped;
          break;
        case 'r':
          word += '\r';
          break;
        case 'n':
          word += '\n';
          break;
        case 't':
          word += '\t';
          break;
        default:
          *why = std::string("unknown escape \\") + escaped + " in a quoted text";
          return false;
      }
    }
    if (!closed) {
      *why = "the quoted text is not closed";
      return false;
    }
    if (i < line.size() && !IsBlank(line[i])) {
      *why = "a blank must follow the closing quote";
      return false;
    }
    words->push_back(std::move(word));
  }
}

// A whole number within [low, high]: digits only.
bool ParseNumber(std::string_view text, int64_t low, int64_t high, int64_t* number) {
  if (text.empty() || text.size() > 10) return false;
  int64_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + (c - '0');
  }
  if (value < low || value > high) return false;
  *number = value;
  return true;
}

// The UTF-8 character that starts at offset.
std::string CharacterAt(const std::string& utf8, size_t offset) {
  size_t end = offset + 1;
  while (end < utf8.size() && (static_cast<unsigned char>(utf8[end]) & 0xC0) == 0x80) ++end;
  return utf8.substr(offset, end - offset);
}

constexpr int64_t kMaxWhole = 2147483647;

// Checks one argument against the word of the usage that describes it and fills it in. Empty
// when it fits, else why not.
std::string FillArg(std::string_view form, const std::string& word, OvActionArg* arg) {
  arg->utf8 = word;
  if (form == "ID" || form == "ROW" || form == "COLUMN") {
    if (ParseNumber(word, 1, kMaxWhole, &arg->number)) return {};
    return std::string(form) + " must be a whole number from 1, not " + OvQuote(word);
  }
  if (form == "COUNT") {
    if (ParseNumber(word, 0, kMaxWhole, &arg->number)) return {};
    return "COUNT must be a whole number from 0, not " + OvQuote(word);
  }
  if (form == "KEY") {
    if (OvParseKey(word, &arg->key, &arg->modifiers)) return {};
    return "unknown key " + OvQuote(word) + "; the keys are " + OvKeyNames() +
           ", each after Shift+, Ctrl+ or Alt+ if wanted";
  }
  if (form == "FILE" && !word.empty() &&
      std::all_of(word.begin(), word.end(), [](char c) { return c >= '0' && c <= '9'; })) {
    if (ParseNumber(word, 1, 32767, &arg->number)) return {};
    return "FILE must be a file number from 1 to 32767 or a file's name, not " + OvQuote(word);
  }
  size_t failedAt = 0;
  if (!VUtf8ToSjisExact(word, &arg->sjis, &failedAt)) {
    return "the character " + OvQuote(CharacterAt(word, failedAt)) + " of the text " +
           OvQuote(word) + " has no Shift-JIS form";
  }
  if (form != "TEXT" && word.empty()) return std::string(form) + " may not be empty";
  return {};
}

// The usage's words, with whether each is optional.
std::vector<std::pair<std::string, bool>> UsageWords(const char* args) {
  std::vector<std::pair<std::string, bool>> out;
  std::string_view rest(args);
  while (!rest.empty()) {
    size_t end = rest.find(' ');
    std::string_view word = rest.substr(0, end);
    bool optional = word.size() > 2 && word.front() == '[' && word.back() == ']';
    if (optional) word = word.substr(1, word.size() - 2);
    if (!word.empty()) out.emplace_back(std::string(word), optional);
    if (end == std::string_view::npos) break;
    rest = rest.substr(end + 1);
  }
  return out;
}

std::string Usage(const OvActionEntry& entry) {
  std::string usage = entry.name;
  if (entry.args[0] != 0) usage += std::string(" ") + entry.args;
  return usage;
}

const OvActionEntry* FindEntry(std::span<const OvActionEntry> table, const std::string& name) {
  for (const OvActionEntry& entry : table) {
    if (name == entry.name) return &entry;
  }
  return nullptr;
}

// Why the first word names no action: an unknown action, or a known first word with an unknown
// second one (listing the second words it takes).
std::string UnknownAction(std::span<const OvActionEntry> table, const std::vector<std::string>& w) {
  std::string prefix = w[0] + " ";
  std::string seconds;
  for (const OvActionEntry& entry : table) {
    std::string_view name(entry.name);
    if (name.substr(0, prefix.size()) != prefix) continue;
    if (!seconds.empty()) seconds += ", ";
    seconds += name.substr(prefix.size());
  }
  if (seconds.empty()) return "unknown action " + OvQuote(w[0]);
  std::string what = w.size() > 1 ? OvQuote(w[0] + " " + w[1]) : OvQuote(w[0]) + " alone";
  return "unknown action " + what + "; after " + OvQuote(w[0]) + " come " + seconds;
}

// Reads one line that holds words into an action. Empty when it reads, else why not.
std::string ReadLine(std::span<const OvActionEntry> table, const std::vector<std::string>& words,
                     OvAction* action) {
  // Names are up to three words long ("check no message"); the longest that names an action wins.
  const OvActionEntry* entry = nullptr;
  size_t first = std::min<size_t>(3, words.size());
  for (; first > 0 && entry == nullptr; --first) {
    std::string name = words[0];
    for (size_t i = 1; i < first; ++i) name += " " + words[i];
    entry = FindEntry(table, name);
    if (entry != nullptr) break;
  }
  if (entry == nullptr) return UnknownAction(table, words);
  action->entry = entry;
  std::vector<std::pair<std::string, bool>> forms = UsageWords(entry->args);
  size_t given = words.size() - first;
  size_t required = static_cast<size_t>(
      std::count_if(forms.begin(), forms.end(), [](const auto& f) { return !f.second; }));
  if (given < required || given > forms.size()) {
    return "wrong number of arguments; the form is " + OvQuote(Usage(*entry));
  }
  for (size_t i = 0; i < given; ++i) {
    OvActionArg arg;
    std::string why = FillArg(forms[i].first, words[first + i], &arg);
    if (!why.empty()) return why;
    action->args.push_back(std::move(arg));
  }
  return {};
}

// Whether the line holds a control character other than a tab (a carriage return ending the line
// has been taken off).
bool HasControl(std::string_view line) {
  return std::any_of(line.begin(), line.end(), [](char c) {
    auto u = static_cast<unsigned char>(c);
    return (u < 0x20 && c != '\t') || u == 0x7F;
  });
}

}  // namespace

bool OvParseKey(std::string_view name, uint16_t* key, int16_t* modifiers) {
  int16_t mods = 0;
  while (true) {
    size_t plus = name.find('+');
    if (plus == std::string_view::npos || plus + 1 == name.size()) break;
    std::string_view mod = name.substr(0, plus);
    if (EqualsIgnoringCase(mod, "Shift")) {
      mods |= kOGTShift;
    } else if (EqualsIgnoringCase(mod, "Ctrl")) {
      mods |= kOGTControl;
    } else if (EqualsIgnoringCase(mod, "Alt")) {
      mods |= kOGTAlt;
    } else {
      return false;
    }
    name = name.substr(plus + 1);
  }
  for (const KeyName& known : kKeys) {
    if (EqualsIgnoringCase(name, known.name)) {
      *key = known.key;
      *modifiers = mods;
      return true;
    }
  }
  return false;
}

std::string OvKeyNames() {
  std::string names;
  for (const KeyName& known : kKeys) {
    if (!names.empty()) names += ", ";
    names += known.name;
  }
  return names;
}

std::string OvQuote(std::string_view utf8) {
  std::string out = "\"";
  for (char c : utf8) {
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
          char hex[8];
          std::snprintf(hex, sizeof hex, "\\x%02X", static_cast<unsigned>(c) & 0xFF);
          out += hex;
        } else {
          out += c;
        }
    }
  }
  return out + "\"";
}

std::string OvQuoteIfNeeded(std::string_view utf8) {
  bool plain =
      !utf8.empty() && utf8.front() != '#' && std::none_of(utf8.begin(), utf8.end(), [](char c) {
        return c == '"' || c == '\\' || static_cast<unsigned char>(c) <= 0x20 || c == 0x7F;
      });
  return plain ? std::string(utf8) : OvQuote(utf8);
}

std::string OvAction::Source() const {
  std::string source = entry != nullptr ? entry->name : "";
  for (const OvActionArg& arg : args) source += " " + OvQuoteIfNeeded(arg.utf8);
  return source;
}

bool OvReadActions(std::string_view utf8, std::span<const OvActionEntry> table,
                   std::vector<OvAction>* actions, std::vector<OvActionFileError>* errors) {
  if (utf8.substr(0, 3) == "\xEF\xBB\xBF") utf8.remove_prefix(3);
  size_t before = errors->size();
  // Whether the last line that held an action may take answers after it; after a bad line that
  // cannot be told, and the answers that follow it are only read.
  enum { kNo, kYes, kUnknown } answerable = kNo;
  int32_t number = 0;
  while (!utf8.empty()) {
    ++number;
    size_t end = utf8.find('\n');
    std::string_view line = utf8.substr(0, end);
    utf8 = end == std::string_view::npos ? std::string_view() : utf8.substr(end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    auto fail = [&](std::string message) { errors->push_back({number, std::move(message)}); };
    if (!IsUtf8(line)) {
      fail("the line is not UTF-8 text");
      answerable = kUnknown;
      continue;
    }
    if (HasControl(line)) {
      fail("a control character in the line; write \\r, \\n or \\t inside quotes");
      answerable = kUnknown;
      continue;
    }
    size_t start = line.find_first_not_of(" \t");
    if (start == std::string_view::npos || line[start] == '#') continue;
    std::vector<std::string> words;
    std::string why;
    OvAction action;
    action.line = number;
    if (!SplitWords(line, &words, &why) || !(why = ReadLine(table, words, &action)).empty()) {
      fail(why);
      answerable = kUnknown;
      continue;
    }
    switch (action.entry->kind) {
      case OvActionKind::kAnswer:
        if (answerable == kNo) {
          fail("an answer must follow the action that opens the dialog it answers");
        } else if (answerable == kYes) {
          actions->back().answers.push_back(std::move(action));
        }
        break;
      case OvActionKind::kAct:
        actions->push_back(std::move(action));
        answerable = kYes;
        break;
      case OvActionKind::kCheck:
        actions->push_back(std::move(action));
        answerable = kNo;
        break;
    }
  }
  if (errors->size() == before && actions->empty()) {
    errors->push_back({0, "the file holds no action"});
  }
  return errors->size() == before;
}
