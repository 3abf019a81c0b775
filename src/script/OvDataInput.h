// The records of a data file as "@DataInput" reads them: the delimited text (VDelimited.h) of the
// script's terminators, cut into the values of its item formats, and each value made into values
// of a record.
//
// A record's items come in the order of the top-level formats; an item's values are separated by
// the repeat terminator. A record terminator ends the record early (the remaining formats get
// nothing); items beyond the last format are read and dropped up to the record terminator. Each
// value (trimmed of blanks, control bytes and its quotes; an empty one is dropped) must be
// Shift-JIS text. Then:
// - a format with a sub-scheme splits the value by the sub-scheme's terminators into values of its
//   formats, from the first again while bytes remain; each is handled as here (sub-schemes nest);
// - the tag rules of the format take "<tag" and "</tag" out of the value (letter case ignored); the
//   first tag found makes the value go to the tag's item (when positive) - this value and the
//   format's later values in the same record;
// - the value is added to the format's item (when positive) under the format's type, or the
//   item's type in the file's schema when the format gives none (String when neither does);
// - with "ExtKwd", its keywords are added as String values to the listed items, 255 to an item,
//   the rest dropped when the items are full; with "ExtKwdKey", the (item, key) pair is noted, so
//   that the keywords of the item's values go to the key once the record is stored.
//
// Keywords (OvSplitKeywords): runs of double-byte characters, of ASCII letters, of digits and of
// half-width katakana, each run one keyword; blanks, ASCII punctuation, half-width punctuation and
// the full-width blank and punctuation marks separate them, while the full-width iteration marks
// and the prolonged sound mark belong to their run. Repeated keywords are dropped, and keywords
// longer than 255 bytes are skipped.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/VBase.h"
#include "db/schema/VDelimited.h"

class OvScriptParam_DataFormat;
class OvScriptParam_DataScheme;
class VLongDataStore;
class VRecord;
struct OvDataInputParams;

// The keywords of a value, in order of their first occurrence, each once.
void OvSplitKeywords(std::string_view value, std::vector<std::string>* keywords);

// The syntax of the data file of an input's parameters.
VDelimitedSyntax OvDataInputSyntax(const OvDataInputParams& params);

// Types of the file's items by the schema (0: not described).
using OvItemTypes = std::array<uint8_t, 256>;

// An item whose values' keywords go to a key once the record is stored.
struct OvKeywordKey {
  int16_t item = 0;
  int32_t key = 0;
  bool operator==(const OvKeywordKey&) const = default;
};

class OvDataRecordReader {
 public:
  // The reader, the scheme and the store (long data; may be null) must outlive this object.
  OvDataRecordReader(VDelimitedReader& reader, const OvScriptParam_DataScheme& scheme,
                     const OvItemTypes& types, VLongDataStore* store);
  ~OvDataRecordReader();
  OvDataRecordReader(const OvDataRecordReader&) = delete;
  OvDataRecordReader& operator=(const OvDataRecordReader&) = delete;

  // Reads the next record into record (cleared first; a line that gives no value leaves it
  // empty) and the keys its items' keywords go to. kVEnd at the end of the text; on a failure the
  // record holds what was added before it (whose long data the caller frees).
  VResult Next(VRecord* record, std::vector<OvKeywordKey>* keys);
  // The number of the record read last, from 1.
  int64_t RecordNumber() const { return recordNumber_; }
  // What the last failure met: the top-level item format (from 1) and the start of the value.
  const std::string& FailurePlace() const { return failurePlace_; }

 private:
  struct FormatState;
  VResult HandleValue(const OvScriptParam_DataFormat& format, std::string_view value, int depth);
  VResult SplitSubScheme(const OvScriptParam_DataScheme& scheme, std::string_view value, int depth);
  VResult AddKeywords(const OvScriptParam_DataFormat& format, FormatState& state,
                      std::string_view value);
  FormatState& StateOf(const OvScriptParam_DataFormat& format);

  VDelimitedReader& reader_;
  const OvScriptParam_DataScheme& scheme_;
  const OvItemTypes& types_;
  VLongDataStore* store_;
  int64_t recordNumber_ = 0;
  std::string failurePlace_;
  // Per record: the state of each format met, and what is being built.
  std::vector<std::pair<const OvScriptParam_DataFormat*, std::unique_ptr<FormatState>>> states_;
  VRecord* record_ = nullptr;
  std::vector<OvKeywordKey>* keys_ = nullptr;
  std::string value_;
  std::vector<std::string> keywords_;
};

// Parses untrusted bytes as an input's parameter list (up to the first zero byte) and the rest as
// its data file, and reads every record; a fuzzing target's entry point. Answers the number of
// records read.
size_t OvDataInputExercise(const uint8_t* data, size_t size);
