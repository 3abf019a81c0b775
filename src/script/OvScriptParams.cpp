#include "script/OvScriptParams.h"

#include <functional>
#include <limits>

#include "base/VDebug.h"
#include "script/OvScriptText.h"

namespace {

// One value of a parameter list.
struct Value {
  bool numeric = false;
  int32_t number = 0;
  bool quoted = false;
  std::string text;  // trimmed, quotes removed
};

class ListParser;

// A parameter of a list: its name, what it does with a value, and, for parameters whose values
// are bracketed groups, how a group is read.
struct Param {
  std::string_view name;
  std::function<void(const Value&)> take;
  // Reads a "[" ... "]" group given while this parameter expects a value; answers whether the
  // group was closed. Empty: the parameter takes no groups (a group is then skipped).
  std::function<bool(OvTokenReader&, int)> group = {};
  // Called each time the name is given (a parameter that starts a new entry each time).
  std::function<void()> select = {};
};

// Groups nest at most this deep; a deeper list is malformed, so hostile input cannot exhaust the
// stack.
constexpr int kMaxDepth = 16;

class ListParser {
 public:
  ListParser(std::vector<Param> params, bool semicolonClears)
      : params_(std::move(params)), semicolonClears_(semicolonClears) {}
  // A list whose first parameter is selected and expects values from the start (a bracketed
  // group of values with no name before them).
  static ListParser Unnamed(Param param) {
    ListParser parser({std::move(param)}, false);
    parser.selected_ = 0;
    parser.expecting_ = true;
    return parser;
  }

  // Reads tokens up to the closing bracket; answers whether it was met.
  bool Parse(OvTokenReader& reader, char close, int depth) {
    if (depth > kMaxDepth) return false;
    for (;;) {
      const OvScriptToken token = reader.Next();
      switch (token.kind) {
        case OvScriptToken::kEnd:
          return false;
        case OvScriptToken::kNone:
          // A character that no token takes: the list is malformed and the command does not run.
          LogFormat("OvScript: the parameters stop at an unexpected character \"%s\"",
                    std::string(token.text));
          return false;
        case OvScriptToken::kPunct:
          if (token.Is(close)) return true;
          if (!Punct(reader, token, depth)) return false;
          break;
        case OvScriptToken::kWord:
        case OvScriptToken::kQuoted:
          Word(reader, token);
          break;
      }
    }
  }

 private:
  // Answers false when the list turns out malformed.
  bool Punct(OvTokenReader& reader, const OvScriptToken& token, int depth) {
    if (token.Is('=')) {
      expecting_ = selected_ != kNone;
    } else if (token.Is(';')) {
      if (semicolonClears_) {
        selected_ = kNone;
        expecting_ = false;
      }
    } else if (token.Is('[')) {
      const Param* param = Selected();
      if (param != nullptr && expecting_ && param->group) return param->group(reader, depth + 1);
      // A group nothing takes is read and dropped.
      ListParser skip({}, false);
      return skip.Parse(reader, ']', depth + 1);
    } else if (token.Is(')') || token.Is(']')) {
      // The other closing bracket than the one this level waits for: the brackets do not match.
      return false;
    }
    // "," separates values; "(" means nothing inside a list.
    return true;
  }

  void Word(OvTokenReader& reader, const OvScriptToken& token) {
    if (token.kind == OvScriptToken::kWord) {
      const int index = Find(token.text);
      OvTokenReader ahead = reader;
      if (index >= 0 || ahead.Next().Is('=')) {
        // A name: a known one selects its parameter, an unknown one makes the values after it
        // go nowhere.
        selected_ = index >= 0 ? index : kUnknown;
        expecting_ = false;
        if (index >= 0 && params_[index].select) params_[index].select();
        return;
      }
    }
    const Param* param = Selected();
    if (param == nullptr || !expecting_) return;
    Value value;
    value.quoted = token.kind == OvScriptToken::kQuoted;
    value.numeric = token.IsNumber();
    if (value.numeric) {
      int64_t n = 0;
      for (char c : token.text) {
        n = n * 10 + (c - '0');
        if (n > std::numeric_limits<int32_t>::max()) n = std::numeric_limits<int32_t>::max();
      }
      value.number = static_cast<int32_t>(n);
    }
    value.text = OvTrimValue(token.text);
    param->take(value);
  }

  int Find(std::string_view word) const {
    for (size_t i = 0; i < params_.size(); ++i) {
      if (OvSameWord(word, params_[i].name)) return static_cast<int>(i);
    }
    return -1;
  }
  const Param* Selected() const { return selected_ >= 0 ? &params_[selected_] : nullptr; }

  static constexpr int kNone = -1;
  static constexpr int kUnknown = -2;

  std::vector<Param> params_;
  bool semicolonClears_;
  int selected_ = kNone;
  bool expecting_ = false;
};

// Runs a top-level list: the first token must be "(".
bool ParseList(std::string_view list, std::vector<Param> params, bool semicolonClears) {
  OvTokenReader reader(list);
  if (!reader.Next().Is('(')) return false;
  ListParser parser(std::move(params), semicolonClears);
  return parser.Parse(reader, ')', 0);
}

// ---- what the parameters take ----

Param Text(std::string_view name, std::string* out) {
  return {name, [out](const Value& v) {
            if (!v.numeric) *out = v.text;
          }};
}

// Text, or the keyword given (then *keyword becomes true).
Param TextOrKeyword(std::string_view name, std::string* out, const char* word, bool* keyword) {
  return {name, [out, word, keyword](const Value& v) {
            if (v.numeric) return;
            *keyword = OvSameWord(v.text, word);
            *out = *keyword ? std::string() : v.text;
          }};
}

Param Number(std::string_view name, int32_t* out) {
  return {name, [out](const Value& v) {
            if (v.numeric) *out = v.number;
          }};
}

Param NumberList(std::string_view name, std::vector<int32_t>* out) {
  return {name, [out](const Value& v) {
            if (v.numeric && out->size() < kMaxListValues) out->push_back(v.number);
          }};
}

// A keyword of the list sets *out to its code; other values are ignored.
template <class T>
Param Keyword(std::string_view name, T* out,
              std::initializer_list<std::pair<const char*, T>> words) {
  std::vector<std::pair<const char*, T>> table(words);
  return {name, [out, table](const Value& v) {
            if (v.numeric) return;
            for (const auto& [word, code] : table) {
              if (OvSameWord(v.text, word)) {
                *out = code;
                return;
              }
            }
          }};
}

Param YesNo(std::string_view name, bool* out) {
  return Keyword<bool>(name, out, {{"yes", true}, {"no", false}});
}

Param YesNoAsk(std::string_view name, OvYesNoAsk* out) {
  return Keyword<OvYesNoAsk>(
      name, out, {{"yes", OvYesNoAsk::kYes}, {"no", OvYesNoAsk::kNo}, {"ask", OvYesNoAsk::kAsk}});
}

// A terminator: a quoted text as it stands, or one of the keywords; "EOF" changes nothing.
Param Terminator(std::string_view name, std::string* out) {
  return {name, [out](const Value& v) {
            if (v.quoted) {
              if (!v.text.empty()) *out = v.text;
              return;
            }
            if (OvSameWord(v.text, "CRLF")) {
              *out = "\r\n";
            } else if (OvSameWord(v.text, "CR")) {
              *out = "\r";
            } else if (OvSameWord(v.text, "LF")) {
              *out = "\n";
            } else if (OvSameWord(v.text, "TAB")) {
              *out = "\t";
            }
          }};
}

int32_t MatchType(const std::string& word) {
  static const std::pair<const char*, int32_t> kTypes[] = {
      {"Eq", OvExecFieldFindParams::kEq},
      {"Fore", OvExecFieldFindParams::kFore},
      {"Back", OvExecFieldFindParams::kBack},
      {"Mid", OvExecFieldFindParams::kMid},
      {"FB", OvExecFieldFindParams::kForeOrBack}};
  for (const auto& [name, code] : kTypes) {
    if (OvSameWord(word, name)) return code;
  }
  return 0;
}

int32_t Connective(const std::string& word) {
  if (OvSameWord(word, "OR")) return OvExecFieldFindParams::kOr;
  if (OvSameWord(word, "AND")) return OvExecFieldFindParams::kAnd;
  return 0;
}

// An item ID, then the off value and the on value, each a word that code() turns into a number.
// A word in the first place is taken as the off value (no switch item).
Param Switch(std::string_view name, OvSwitchParam* out, int32_t (*code)(const std::string&)) {
  auto position = std::make_shared<int>(0);
  return {name,
          [out, code, position](const Value& v) {
            if (*position == 0) {
              if (v.numeric) {
                out->item = v.number;
                *position = 1;
                return;
              }
              *position = 1;
            }
            if (v.numeric || *position > 2) return;
            (*position == 1 ? out->off : out->on) = code(v.text);
            ++*position;
          },
          {},
          [position]() { *position = 0; }};
}

// An item ID followed by database item numbers; each time the name is given a new group starts.
Param Groups(std::string_view name, std::vector<OvItemGroupParam>* out) {
  auto fresh = std::make_shared<bool>(true);
  return {name,
          [out, fresh](const Value& v) {
            if (!v.numeric) return;
            if (*fresh) {
              if (out->size() >= kMaxListValues) return;
              out->push_back({v.number, {}});
              *fresh = false;
            } else if (out->back().dbItems.size() < kMaxListValues) {
              out->back().dbItems.push_back(v.number);
            }
          },
          {},
          [fresh]() { *fresh = true; }};
}

// ---- data input item formats ----

bool ParseFormat(OvTokenReader& reader, int depth, OvScriptParam_DataFormat* format);

// Item formats of a scheme: a group that holds formats ("[" "[" ... "]" ... "]") or one format.
bool ParseSchemeGroup(OvTokenReader& reader, int depth, OvScriptParam_DataScheme* scheme) {
  OvTokenReader ahead = reader;
  if (!ahead.Next().Is('[')) {
    if (scheme->formats.size() >= kMaxListValues) {
      ListParser skip({}, false);
      return skip.Parse(reader, ']', depth);
    }
    auto format = std::make_unique<OvScriptParam_DataFormat>();
    const bool closed = ParseFormat(reader, depth, format.get());
    scheme->formats.push_back(std::move(format));
    return closed;
  }
  ListParser list = ListParser::Unnamed(
      {"", [](const Value&) {},
       [scheme](OvTokenReader& r, int d) { return ParseSchemeGroup(r, d, scheme); }});
  return list.Parse(reader, ']', depth);
}

bool ParseFormat(OvTokenReader& reader, int depth, OvScriptParam_DataFormat* format) {
  auto scheme = [format]() {
    if (format->subScheme == nullptr) {
      format->subScheme = std::make_unique<OvScriptParam_DataScheme>();
    }
    return format->subScheme.get();
  };
  auto tagPosition = std::make_shared<int>(0);
  std::vector<Param> params;
  params.push_back({"DBItem", [format](const Value& v) {
                      if (v.numeric) format->dbItem = static_cast<int16_t>(v.number);
                    }});
  params.push_back({"Type", [format](const Value& v) {
                      const int32_t code = OvDataTypeCode(v.text);
                      if (!v.numeric && code >= 0) format->type = static_cast<int16_t>(code);
                    }});
  params.push_back(
      {"ItemTerm", [scheme](const Value& v) { Terminator("", &scheme()->itemTerm).take(v); }});
  params.push_back(
      {"RepeatTerm", [scheme](const Value& v) { Terminator("", &scheme()->repeatTerm).take(v); }});
  params.push_back({"DataFormat", [](const Value&) {},
                    [scheme](OvTokenReader& r, int d) { return ParseSchemeGroup(r, d, scheme()); },
                    [scheme]() { (void)scheme(); }});
  params.push_back({"Tag",
                    [format, tagPosition](const Value& v) {
                      // Pairs of a tag text and a database item number.
                      if (*tagPosition == 0) {
                        if (v.numeric || format->tags.size() >= kMaxListValues) return;
                        auto tag = std::make_unique<OvScriptParam_DataFormat_Tag>();
                        tag->tag = v.text;
                        format->tags.push_back(std::move(tag));
                        *tagPosition = 1;
                      } else if (v.numeric) {
                        format->tags.back()->dbItem = static_cast<int16_t>(v.number);
                        *tagPosition = 0;
                      }
                    },
                    {},
                    [format, tagPosition]() {
                      format->hasTags = true;
                      *tagPosition = 0;
                    }});
  params.push_back({"ExtKwd",
                    [format](const Value& v) {
                      if (v.numeric && format->extKeywords.size() < kMaxListValues) {
                        format->extKeywords.push_back(static_cast<int16_t>(v.number));
                      }
                    },
                    {},
                    [format]() { format->hasExtKeywords = true; }});
  params.push_back({"ExtKwdKey", [format](const Value& v) {
                      if (v.numeric) format->extKeywordKey = v.number;
                    }});
  ListParser list(std::move(params), true);
  return list.Parse(reader, ']', depth);
}

}  // namespace

OvScriptParam_DataFormat::OvScriptParam_DataFormat() = default;
OvScriptParam_DataFormat::~OvScriptParam_DataFormat() = default;

int32_t OvDataTypeCode(std::string_view name) {
  static const std::pair<const char*, int32_t> kNames[] = {
      {"date", 1},     {"time", 2},   {"datetime", 3}, {"flag", 4},   {"char", 5},
      {"string", 6},   {"number", 7}, {"integer", 8},  {"binary", 9}, {"packet", 15},
      {"lstring", 22}, {"file", 64},  {"macFile", 74}, {"text", 80},  {"HTML", 81},
      {"PDF", 82},     {"JPEG", 96},  {"GIF", 97},     {"PNG", 98},   {"macPICT", 106},
      {"winBMP", 107}};
  for (const auto& [word, code] : kNames) {
    if (OvSameWord(name, word)) return code;
  }
  return -1;
}

bool OvParseParams(std::string_view list, OvAskFindParams* p) {
  return ParseList(list,
                   {Text("FindStmt", &p->findStmt), Text("Message", &p->message),
                    YesNo("Example", &p->example), Number("FindDBFile", &p->findDBFile)},
                   false);
}

bool OvParseParams(std::string_view list, OvExecFindParams* p) {
  return ParseList(list,
                   {Text("FindStmt", &p->findStmt), Text("FindName", &p->findName),
                    Number("FindDBFile", &p->findDBFile)},
                   false);
}

bool OvParseParams(std::string_view list, OvExecFieldFindParams* p) {
  return ParseList(
      list,
      {Number("FindDBFile", &p->findDBFile), NumberList("FieldID", &p->fieldIDs),
       NumberList("DBItem", &p->dbItems), Switch("IMatch", &p->match, MatchType),
       Switch("IConnect", &p->itemConnect, Connective),
       Switch("FConnect", &p->fieldConnect, Connective), Groups("AddDBItem", &p->addDBItems),
       Groups("DelDBItem", &p->delDBItems), YesNo("UseNativeCondition", &p->useNativeCondition),
       YesNo("UseMultiCondition", &p->useMultiCondition),
       YesNo("UseRecSetHstIdx", &p->useRecSetHstIdx), YesNo("UseSetID", &p->useSetID),
       YesNo("UseSelection", &p->useSelection), YesNo("ConvHankana", &p->convHankana)},
      true);
}

bool OvParseParams(std::string_view list, OvExecSubFindParams* p) {
  return ParseList(list,
                   {Number("FieldID", &p->fieldID), Number("DBItem", &p->dbItem),
                    NumberList("SetToCID", &p->setToCID)},
                   true);
}

bool OvParseParams(std::string_view list, OvEditRecParams* p, bool withAsk) {
  std::vector<Param> params{YesNo("Commit", &p->commit)};
  if (withAsk) params.push_back(YesNo("Ask", &p->ask));
  return ParseList(list, std::move(params), false);
}

bool OvParseParams(std::string_view list, OvSelectIdxParams* p) {
  return ParseList(list,
                   {{"Index",
                     [p](const Value& v) {
                       if (v.numeric) {
                         p->target = OvSelectIdxParams::kNumber;
                         p->index = v.number;
                         return;
                       }
                       Keyword<OvSelectIdxParams::Target>("", &p->target,
                                                          {{"first", OvSelectIdxParams::kFirst},
                                                           {"prev", OvSelectIdxParams::kPrev},
                                                           {"next", OvSelectIdxParams::kNext},
                                                           {"last", OvSelectIdxParams::kLast}})
                           .take(v);
                     }},
                    YesNoAsk("Save", &p->save),
                    YesNo("Commit", &p->commit)},
                   false);
}

bool OvParseParams(std::string_view list, OvShowFormParams* p) {
  return ParseList(list,
                   {TextOrKeyword("Form", &p->form, "ask", &p->ask),
                    Keyword<bool>("Target", &p->self, {{"new", false}, {"self", true}})},
                   false);
}

bool OvParseParams(std::string_view list, OvQuitParams* p) {
  return ParseList(list, {YesNoAsk("Save", &p->save), YesNo("Commit", &p->commit)}, false);
}

bool OvParseParams(std::string_view list, OvPlaySoundParams* p) {
  return ParseList(list,
                   {Number("DBItem", &p->dbItem), Text("Path", &p->path),
                    Text("Prefix", &p->prefix), Text("Suffix", &p->suffix)},
                   false);
}

bool OvParseParams(std::string_view list, OvHistoryParams* p, bool withSetToCID) {
  std::vector<Param> params{{"Type", [p](const Value& v) {
                               if (v.numeric) return;
                               p->type = OvSameWord(v.text, "prev")   ? OvHistoryType::kPrev
                                         : OvSameWord(v.text, "next") ? OvHistoryType::kNext
                                                                      : OvHistoryType::kOther;
                             }}};
  if (withSetToCID) params.push_back(NumberList("SetToCID", &p->setToCID));
  return ParseList(list, std::move(params), false);
}

bool OvParseParams(std::string_view list, OvCreateDBParams* p) {
  return ParseList(list, {TextOrKeyword("SchemeFile", &p->schemeFile, "ask", &p->ask)}, false);
}

bool OvParseParams(std::string_view list, OvDataInputParams* p) {
  OvScriptParam_DataScheme* scheme = &p->scheme;
  return ParseList(list,
                   {TextOrKeyword("InputFile", &p->inputFile, "ask", &p->ask),
                    Keyword<OvDataInputParams::Commit>("Commit", &p->commit,
                                                       {{"no", OvDataInputParams::kNo},
                                                        {"end", OvDataInputParams::kEnd},
                                                        {"file", OvDataInputParams::kFile},
                                                        {"record", OvDataInputParams::kRecord}}),
                    Terminator("RecordTerm", &p->recordTerm),
                    Terminator("ItemTerm", &scheme->itemTerm),
                    Terminator("RepeatTerm", &scheme->repeatTerm),
                    {"DataFormat", [](const Value&) {},
                     [scheme](OvTokenReader& r, int d) {
                       if (scheme->formats.size() >= kMaxListValues) {
                         ListParser skip({}, false);
                         return skip.Parse(r, ']', d);
                       }
                       auto format = std::make_unique<OvScriptParam_DataFormat>();
                       const bool closed = ParseFormat(r, d, format.get());
                       scheme->formats.push_back(std::move(format));
                       return closed;
                     }}},
                   false);
}

bool OvParseParams(std::string_view list, OvDataOutputParams* p) {
  return ParseList(list,
                   {TextOrKeyword("OutputFile", &p->outputFile, "ask", &p->ask),
                    Terminator("RecordTerm", &p->recordTerm),
                    Terminator("ItemTerm", &p->itemTerm),
                    Terminator("RepeatTerm", &p->repeatTerm),
                    {"DataFormat", [](const Value&) {},
                     [p](OvTokenReader& r, int d) {
                       int32_t item = 0;
                       ListParser format({Number("DBItem", &item)}, false);
                       const bool closed = format.Parse(r, ']', d);
                       if (p->dbItems.size() < kMaxListValues)
                         p->dbItems.push_back(static_cast<int16_t>(item));
                       return closed;
                     }}},
                   false);
}

bool OvParseParams(std::string_view list, OvSetEnableParams* p) {
  return ParseList(list,
                   {Number("DBItem", &p->dbItem), NumberList("FieldID", &p->fieldIDs),
                    Keyword<bool>("EnableType", &p->numberType, {{"number", true}})},
                   false);
}

bool OvParseParams(std::string_view list, OvSetVisibleParams* p) {
  return ParseList(list, {NumberList("FieldID", &p->fieldIDs), YesNo("visible", &p->visible)},
                   false);
}

bool OvParseParams(std::string_view list, OvSelectFindWordParams* p) {
  return ParseList(
      list,
      {NumberList("FieldID", &p->fieldIDs), Keyword<bool>("Type", &p->clear, {{"clear", true}})},
      false);
}

bool OvParseParams(std::string_view list, OvFieldEditParams* p) {
  return ParseList(
      list,
      {{"FieldID",
        [p](const Value& v) {
          if (v.numeric) {
            p->fieldID = v.number;
            p->focused = false;
          } else if (OvSameWord(v.text, "focused")) {
            p->focused = true;
          }
        }},
       Keyword<OvFieldEditParams::Type>("Type", &p->type,
                                        {{"cut", OvFieldEditParams::kCut},
                                         {"copy", OvFieldEditParams::kCopy},
                                         {"paste", OvFieldEditParams::kPaste},
                                         {"clear", OvFieldEditParams::kClear},
                                         {"selectall", OvFieldEditParams::kSelectAll}})},
      false);
}

bool OvParseEmptyParams(std::string_view list) { return ParseList(list, {}, false); }
