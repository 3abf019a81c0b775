#include "script/OvDataInput.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "base/VSjis.h"
#include "db/schema/VRecord.h"
#include "db/schema/VValue.h"
#include "db/schema/VValueText.h"
#include "script/OvScriptParams.h"
#include "script/OvScriptText.h"

namespace {

// Sub-schemes nest at most this deep; the parameter parser allows less.
constexpr int kMaxDepth = 64;
constexpr size_t kMaxKeyword = 255;
constexpr int kMaxValuesPerItem = 255;

enum class CharClass { kSeparator, kWide, kLetter, kDigit, kHalfKana };

// The class of the character at text[i] and its length.
CharClass ClassAt(std::string_view text, size_t i, size_t* length) {
  const auto b = static_cast<uint8_t>(text[i]);
  *length = 1;
  if (VIsLeadByte(b)) {
    if (i + 1 >= text.size()) return CharClass::kSeparator;
    *length = 2;
    const auto t = static_cast<uint8_t>(text[i + 1]);
    // Row 0x81 holds the full-width blank and punctuation; of its marks the iteration marks, the
    // ditto mark and the prolonged sound mark (0x8152 to 0x815B) belong to words.
    if (b == 0x81) return t >= 0x52 && t <= 0x5B ? CharClass::kWide : CharClass::kSeparator;
    // The box-drawing characters of row 0x84.
    if (b == 0x84 && t >= 0x9F) return CharClass::kSeparator;
    return CharClass::kWide;
  }
  if (VIsUpper(b) || VIsLower(b)) return CharClass::kLetter;
  if (VIsDigit(b)) return CharClass::kDigit;
  if (b >= 0xA6 && b <= 0xDF) return CharClass::kHalfKana;
  return CharClass::kSeparator;
}

// The start of a value for a message, cut between characters.
std::string Excerpt(std::string_view value) {
  if (value.size() <= 40) return std::string(value);
  size_t cut = 40;
  while (cut > 0 &&
         !VIsCharBoundary(reinterpret_cast<const uint8_t*>(value.data()), value.size(), cut)) {
    --cut;
  }
  return std::string(value.substr(0, cut)) + "...";
}

}  // namespace

void OvSplitKeywords(std::string_view value, std::vector<std::string>* keywords) {
  const size_t first = keywords->size();
  size_t i = 0;
  while (i < value.size()) {
    size_t length = 0;
    const CharClass kind = ClassAt(value, i, &length);
    if (kind == CharClass::kSeparator) {
      i += length;
      continue;
    }
    const size_t start = i;
    i += length;
    while (i < value.size() && ClassAt(value, i, &length) == kind) i += length;
    const std::string_view word = value.substr(start, i - start);
    if (word.size() > kMaxKeyword) continue;
    if (std::find(keywords->begin() + static_cast<std::ptrdiff_t>(first), keywords->end(), word) ==
        keywords->end()) {
      keywords->emplace_back(word);
    }
  }
}

VDelimitedSyntax OvDataInputSyntax(const OvDataInputParams& params) {
  VDelimitedSyntax syntax;
  syntax.record = params.recordTerm;
  syntax.item = params.scheme.itemTerm;
  syntax.repeat = params.scheme.repeatTerm;
  syntax.apostrophes = true;
  return syntax;
}

// What a format does within one record: the item its values go to (a tag may change it), the
// listed item its keywords go to next, and the keywords it stored.
struct OvDataRecordReader::FormatState {
  int64_t record = 0;
  int16_t item = 0;
  size_t keywordItem = 0;
  std::vector<std::string> keywords;
};

OvDataRecordReader::OvDataRecordReader(VDelimitedReader& reader,
                                       const OvScriptParam_DataScheme& scheme,
                                       const OvItemTypes& types, VLongDataStore* store)
    : reader_(reader), scheme_(scheme), types_(types), store_(store) {}

OvDataRecordReader::~OvDataRecordReader() = default;

OvDataRecordReader::FormatState& OvDataRecordReader::StateOf(
    const OvScriptParam_DataFormat& format) {
  auto it = std::find_if(states_.begin(), states_.end(),
                         [&format](const auto& entry) { return entry.first == &format; });
  if (it == states_.end()) {
    states_.emplace_back(&format, std::make_unique<FormatState>());
    it = states_.end() - 1;
  }
  FormatState& state = *it->second;
  if (state.record != recordNumber_) {
    // A new record: the format starts again from what the script gives.
    state.record = recordNumber_;
    state.item = format.dbItem;
    state.keywordItem = 0;
    state.keywords.clear();
  }
  return state;
}

VResult OvDataRecordReader::Next(VRecord* record, std::vector<OvKeywordKey>* keys) {
  record->Clear();
  keys->clear();
  failurePlace_.clear();
  if (reader_.AtEnd()) return kVEnd;
  ++recordNumber_;
  record_ = record;
  keys_ = keys;
  bool quoted = false;
  VDelimitedReader::End end = VDelimitedReader::kValueEnd;
  bool ended = false;
  for (size_t i = 0; i < scheme_.formats.size() && !ended; ++i) {
    const OvScriptParam_DataFormat& format = *scheme_.formats[i];
    do {
      VResult result = reader_.NextValue(&value_, &quoted, &end);
      if (result == kVOk) result = HandleValue(format, value_, 0);
      if (result != kVOk) {
        failurePlace_ = "item " + std::to_string(i + 1) + " \"" + Excerpt(value_) + "\"";
        return result;
      }
    } while (end == VDelimitedReader::kValueEnd);
    ended = end == VDelimitedReader::kRecordEnd || end == VDelimitedReader::kInputEnd;
  }
  // Items beyond the formats are dropped up to the record terminator.
  if (!ended) {
    if (VResult result = reader_.SkipRecord(); result != kVOk) {
      failurePlace_ = "after item " + std::to_string(scheme_.formats.size());
      return result;
    }
  }
  return kVOk;
}

VResult OvDataRecordReader::HandleValue(const OvScriptParam_DataFormat& format,
                                        std::string_view value, int depth) {
  if (value.empty() || depth > kMaxDepth) return kVOk;
  if (!VIsSjisText(value)) return kVNotSjisText;
  if (format.subScheme != nullptr) return SplitSubScheme(*format.subScheme, value, depth);
  FormatState& state = StateOf(format);
  std::string tagged;
  for (const auto& tag : format.tags) {
    if (tag->tag.empty()) continue;
    // Every "<tag" and "</tag", letter case ignored, at character boundaries.
    tagged.clear();
    bool found = false;
    for (size_t i = 0; i < value.size();) {
      size_t skip = 0;
      if (value[i] == '<') {
        const size_t at = i + 1 < value.size() && value[i + 1] == '/' ? i + 2 : i + 1;
        if (OvSameWord(value.substr(at, tag->tag.size()), tag->tag)) skip = at + tag->tag.size();
      }
      if (skip > 0) {
        found = true;
        i = skip;
        continue;
      }
      const size_t n = VIsLeadByte(static_cast<uint8_t>(value[i])) && i + 1 < value.size() ? 2 : 1;
      tagged.append(value.substr(i, n));
      i += n;
    }
    if (!found) continue;
    tagged = OvTrimValue(tagged);
    value = tagged;
    if (tag->dbItem > 0) state.item = tag->dbItem;
    break;
  }
  if (value.empty()) return kVOk;
  if (state.item > 0 && state.item <= 255) {
    const int type = format.type > 0 ? format.type
                     : types_[static_cast<size_t>(state.item)] != 0
                         ? types_[static_cast<size_t>(state.item)]
                         : kVTypeString;
    if (VResult result = VAddValueText(record_, state.item, type, value, store_); result != kVOk) {
      return result;
    }
  }
  if (!format.extKeywords.empty()) {
    if (VResult result = AddKeywords(format, state, value); result != kVOk) return result;
  }
  if (format.extKeywordKey != 0 && state.item > 0 && state.item <= 255) {
    const OvKeywordKey pair{state.item, format.extKeywordKey};
    if (std::find(keys_->begin(), keys_->end(), pair) == keys_->end()) keys_->push_back(pair);
  }
  return kVOk;
}

VResult OvDataRecordReader::SplitSubScheme(const OvScriptParam_DataScheme& scheme,
                                           std::string_view value, int depth) {
  if (scheme.formats.empty()) return kVOk;
  VDelimitedSyntax syntax;
  syntax.record.clear();  // a value holds no records
  syntax.item = scheme.itemTerm;
  syntax.repeat = scheme.repeatTerm;
  syntax.apostrophes = true;
  VDelimitedReader parts(value, syntax);
  std::string part;
  bool quoted = false;
  VDelimitedReader::End end = VDelimitedReader::kValueEnd;
  size_t i = 0;
  while (!parts.AtEnd()) {
    if (VResult result = parts.NextValue(&part, &quoted, &end); result != kVOk) return result;
    if (VResult result = HandleValue(*scheme.formats[i], part, depth + 1); result != kVOk) {
      return result;
    }
    // The next item goes to the next format, and after the last to the first again.
    if (end == VDelimitedReader::kItemEnd) i = (i + 1) % scheme.formats.size();
  }
  return kVOk;
}

VResult OvDataRecordReader::AddKeywords(const OvScriptParam_DataFormat& format, FormatState& state,
                                        std::string_view value) {
  keywords_.clear();
  OvSplitKeywords(value, &keywords_);
  const std::vector<int16_t>& items = format.extKeywords;
  for (const std::string& keyword : keywords_) {
    if (std::find(state.keywords.begin(), state.keywords.end(), keyword) != state.keywords.end()) {
      continue;
    }
    // The listed items in turn, 255 values to each; when they are full the rest is dropped.
    while (state.keywordItem < items.size() &&
           (items[state.keywordItem] <= 0 || items[state.keywordItem] > 255 ||
            record_->OccurrenceCount(items[state.keywordItem]) >= kMaxValuesPerItem)) {
      ++state.keywordItem;
    }
    if (state.keywordItem >= items.size()) return kVOk;
    if (VResult result =
            VAddValueText(record_, items[state.keywordItem], kVTypeString, keyword, nullptr);
        result != kVOk) {
      return result;
    }
    state.keywords.push_back(keyword);
  }
  return kVOk;
}

size_t OvDataInputExercise(const uint8_t* data, size_t size) {
  const auto* text = reinterpret_cast<const char*>(data);
  const auto* zero = static_cast<const uint8_t*>(std::memchr(data, 0, size));
  const size_t split = zero != nullptr ? static_cast<size_t>(zero - data) : size;
  OvDataInputParams params;
  if (!OvParseParams(std::string_view(text, split), &params)) return 0;
  const std::string_view file =
      split < size ? std::string_view(text + split + 1, size - split - 1) : std::string_view();
  VDelimitedReader reader(file, OvDataInputSyntax(params));
  OvItemTypes types{};
  OvDataRecordReader records(reader, params.scheme, types, nullptr);
  VRecord record;
  std::vector<OvKeywordKey> keys;
  size_t count = 0;
  while (records.Next(&record, &keys) == kVOk) {
    // Whatever the text, a record read is a sound record.
    VRecord copy;
    if (copy.Load(record.Image(), record.ImageLength()) != kVOk) std::abort();
    ++count;
  }
  return count;
}
