// The parameter lists of the script commands: one parameter block per command, with its defaults,
// and the one parser that every command shares. A list reads
//
//   "(" name "=" value { "," value } { "," name "=" value { "," value } } ")" [";"]
//
// Names and keyword values are compared without letter case, punctuation exactly. A value of
// digits only is numeric; any other value is text, trimmed of blanks and control bytes and then of
// its surrounding quotes. A numeric value where text is expected, or text where a number is
// expected, is ignored; list parameters keep at most kMaxListValues values. In the lists of
// "@ExecFieldFind", "@ExecSubFind" and inside the item formats of "@DataInput", a ";" clears the
// selected parameter. The command runs only when its list was closed by ")".
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/VObj.h"

constexpr size_t kMaxListValues = 256;

// "prev"/"next" and the like: the keywords a parameter takes, as small enums.
enum class OvYesNoAsk : uint8_t { kYes, kNo, kAsk };
enum class OvHistoryType : uint8_t { kPrev, kNext, kOther };

struct OvAskFindParams {
  std::string findStmt;
  std::string message;
  bool example = true;
  int32_t findDBFile = 0;
};

struct OvExecFindParams {
  std::string findStmt;
  std::string findName;
  int32_t findDBFile = 0;
};

// An item whose on state chooses between two values (a match type or a connective).
struct OvSwitchParam {
  int32_t item = 0;
  int32_t off = 0;
  int32_t on = 0;
};

// An item and the database items that it adds to (or takes out of) the searched items when on.
struct OvItemGroupParam {
  int32_t item = 0;
  std::vector<int32_t> dbItems;
};

struct OvExecFieldFindParams {
  // Match types and connectives.
  static constexpr int32_t kEq = 1;
  static constexpr int32_t kFore = 2;
  static constexpr int32_t kBack = 3;
  static constexpr int32_t kMid = 4;
  static constexpr int32_t kForeOrBack = 5;
  static constexpr int32_t kOr = 1;
  static constexpr int32_t kAnd = 2;

  int32_t findDBFile = 0;
  std::vector<int32_t> fieldIDs;
  std::vector<int32_t> dbItems;
  OvSwitchParam match{0, kEq, kEq};
  OvSwitchParam itemConnect{0, kOr, kOr};
  OvSwitchParam fieldConnect{0, kAnd, kAnd};
  std::vector<OvItemGroupParam> addDBItems;
  std::vector<OvItemGroupParam> delDBItems;
  bool useNativeCondition = false;
  bool useMultiCondition = true;
  bool useRecSetHstIdx = false;
  bool useSetID = true;
  bool useSelection = false;
  bool convHankana = false;
};

struct OvExecSubFindParams {
  int32_t fieldID = 0;
  int32_t dbItem = 0;
  std::vector<int32_t> setToCID;
};

struct OvEditRecParams {
  bool commit = true;
  bool ask = true;  // "@DeleteRec" only
};

struct OvSelectIdxParams {
  enum Target : uint8_t { kNumber, kFirst, kPrev, kNext, kLast };
  Target target = kNumber;
  int32_t index = 0;
  OvYesNoAsk save = OvYesNoAsk::kYes;
  bool commit = true;
};

struct OvShowFormParams {
  std::string form;
  bool ask = false;  // "Form" was the keyword "ask"
  bool self = false;
};

struct OvQuitParams {
  OvYesNoAsk save = OvYesNoAsk::kYes;
  bool commit = true;
};

struct OvPlaySoundParams {
  int32_t dbItem = 0;
  std::string path;
  std::string prefix;
  std::string suffix;
};

struct OvHistoryParams {
  OvHistoryType type = OvHistoryType::kPrev;
  std::vector<int32_t> setToCID;  // "@ShowRefHistory" only
};

struct OvCreateDBParams {
  std::string schemeFile;
  bool ask = false;
};

class OvScriptParam_DataScheme;

// A tag rule of an input item format: "<tag>" and "</tag>" are taken out of a value, which then
// goes to the tag's database item when that is positive.
class OvScriptParam_DataFormat_Tag : public VObj {
 public:
  std::string tag;
  int16_t dbItem = 0;
};

// The format of one item of an input record.
class OvScriptParam_DataFormat : public VObj {
 public:
  OvScriptParam_DataFormat();
  ~OvScriptParam_DataFormat() override;

  int16_t dbItem = 0;
  int16_t type = 0;
  std::unique_ptr<OvScriptParam_DataScheme> subScheme;
  std::vector<std::unique_ptr<OvScriptParam_DataFormat_Tag>> tags;
  std::vector<int16_t> extKeywords;
  int32_t extKeywordKey = 0;
  bool hasTags = false;  // "Tag" was given (a list of tags, possibly empty)
  bool hasExtKeywords = false;
};

// Terminators of a record part and the formats of its items, in record order.
class OvScriptParam_DataScheme : public VObj {
 public:
  std::string itemTerm = ",";
  std::string repeatTerm = "\t";
  std::vector<std::unique_ptr<OvScriptParam_DataFormat>> formats;
};

struct OvDataInputParams {
  enum Commit : uint8_t { kNo, kEnd, kFile, kRecord };
  std::string inputFile;
  bool ask = true;
  Commit commit = kEnd;
  std::string recordTerm = "\r\n";
  OvScriptParam_DataScheme scheme;  // item and repeat terminators, and the item formats
};

struct OvDataOutputParams {
  std::string outputFile;
  bool ask = true;
  std::string recordTerm = "\r\n";
  std::string itemTerm = ",";
  std::string repeatTerm = "\t";
  std::vector<int16_t> dbItems;  // one per output item format, in order
};

struct OvSetEnableParams {
  int32_t dbItem = 0;
  std::vector<int32_t> fieldIDs;
  bool numberType = false;
};

struct OvSetVisibleParams {
  std::vector<int32_t> fieldIDs;
  bool visible = true;
};

struct OvSelectFindWordParams {
  std::vector<int32_t> fieldIDs;
  bool clear = false;
};

struct OvFieldEditParams {
  enum Type : uint8_t { kCut, kCopy, kPaste, kClear, kSelectAll };
  int32_t fieldID = 0;
  bool focused = false;
  Type type = kCopy;
};

// Each parser reads the statement's text after the command name. It answers true when the list
// was well formed and closed by ")": only then does the command run. The block keeps its defaults
// where the list does not set them.
bool OvParseParams(std::string_view list, OvAskFindParams* params);
bool OvParseParams(std::string_view list, OvExecFindParams* params);
bool OvParseParams(std::string_view list, OvExecFieldFindParams* params);
bool OvParseParams(std::string_view list, OvExecSubFindParams* params);
// "@InsertRec" and "@UpdateRec" take "Commit"; "@DeleteRec" also "Ask".
bool OvParseParams(std::string_view list, OvEditRecParams* params, bool withAsk);
bool OvParseParams(std::string_view list, OvSelectIdxParams* params);
bool OvParseParams(std::string_view list, OvShowFormParams* params);
bool OvParseParams(std::string_view list, OvQuitParams* params);
bool OvParseParams(std::string_view list, OvPlaySoundParams* params);
// "@ShowRefHistory" also takes "SetToCID".
bool OvParseParams(std::string_view list, OvHistoryParams* params, bool withSetToCID);
bool OvParseParams(std::string_view list, OvCreateDBParams* params);
bool OvParseParams(std::string_view list, OvDataInputParams* params);
bool OvParseParams(std::string_view list, OvDataOutputParams* params);
bool OvParseParams(std::string_view list, OvSetEnableParams* params);
bool OvParseParams(std::string_view list, OvSetVisibleParams* params);
bool OvParseParams(std::string_view list, OvSelectFindWordParams* params);
bool OvParseParams(std::string_view list, OvFieldEditParams* params);
// "@CommitWork" and "@CancelWork": any list, names ignored, closed by ")".
bool OvParseEmptyParams(std::string_view list);

// The type code of a data-input type name ("string", "JPEG", ...; letter case ignored), or -1.
int32_t OvDataTypeCode(std::string_view name);
