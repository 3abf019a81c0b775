// Parsing and showing query statements (the syntax is described in VSetMaker.h).
#include <cstring>

#include "base/VDebug.h"
#include "base/VSjis.h"
#include "db/engine/VSetMaker.h"

namespace {

bool IsControl(uint8_t b) { return b < 0x20 || b == 0x7F; }
bool IsQuote(uint8_t b) { return b == '"' || b == '\''; }
bool IsMarker(uint8_t b) { return b == '?' || b == '!'; }

// The type keywords that may stand before a quoted text, longest first where one begins another.
struct TypeWord {
  const char* word;
  uint8_t type;
};
constexpr TypeWord kTypeWords[] = {
    {"datetime", VValue::kDateTime}, {"date", VValue::kDate}, {"d", VValue::kDate},
    {"time", VValue::kTime},         {"t", VValue::kTime},    {"o", VValue::kDateTime},
    {"string", VValue::kString},     {"s", VValue::kString},  {"number", VValue::kNumber},
    {"n", VValue::kNumber},
};

bool EqualsIgnoringCase(const uint8_t* bytes, size_t length, const char* word) {
  if (std::strlen(word) != length) return false;
  for (size_t i = 0; i < length; ++i) {
    uint8_t b = bytes[i];
    if (VIsUpper(b)) b = static_cast<uint8_t>(b + 0x20);
    if (b != static_cast<uint8_t>(word[i])) return false;
  }
  return true;
}

}  // namespace

class VSetMaker::Parser {
 public:
  Parser(std::span<const uint8_t> text, std::vector<std::unique_ptr<VSMEntry>>* out)
      : p_(text.data()), end_(text.data() + text.size()), out_(out) {}

  bool Statement() { return Sequence(0); }

 private:
  bool AtEnd() const { return p_ >= end_; }
  void SkipSpaces() {
    while (p_ < end_ && *p_ == ' ') ++p_;
  }
  // Spaces, control bytes and commas; answers whether any was skipped.
  bool SkipSeparators() {
    const uint8_t* start = p_;
    while (p_ < end_ && (*p_ == ' ' || *p_ == ',' || IsControl(*p_))) ++p_;
    return p_ != start;
  }
  size_t CharLength() const { return VCharLength(p_, static_cast<size_t>(end_ - p_), 0); }
  // Whether the word (small letters) stands at the position, ignoring ASCII case.
  bool WordAt(const char* word) const {
    const size_t length = std::strlen(word);
    return static_cast<size_t>(end_ - p_) >= length && EqualsIgnoringCase(p_, length, word);
  }
  int OperatorAt() const {
    if (WordAt("and")) return VSMOper::kAnd;
    if (WordAt("or")) return VSMOper::kOr;
    if (WordAt("not")) return VSMOper::kNot;
    return 0;
  }
  void Push(VSMEntry* entry) { out_->emplace_back(entry); }

  bool Sequence(int depth);
  bool Operand(int depth);
  bool SetReference();
  bool Condition();
  bool Reference(uint8_t* letter, std::string* name);
  bool ValuePart(VExpValue* value);
  bool OperandEnds() const { return AtEnd() || *p_ == ';' || *p_ == ')' || OperatorAt() != 0; }
  bool Value(VValue* value);
  bool Quoted(std::string* text);
  bool BareValue(VValue* value);

  const uint8_t* p_;
  const uint8_t* end_;
  std::vector<std::unique_ptr<VSMEntry>>* out_;
};

bool VSetMaker::Parser::Sequence(int depth) {
  for (;;) {
    SkipSpaces();
    if (!Operand(depth)) return false;
    SkipSpaces();
    if (AtEnd() || *p_ == ';') return depth == 0;
    if (*p_ == ')') {
      if (depth == 0) return false;
      ++p_;
      Push(new VExpEnd);
      return true;
    }
    const int code = OperatorAt();
    if (code == 0) return false;
    p_ += code == VSMOper::kOr ? 2 : 3;
    Push(new VSMOper(code));
  }
}

bool VSetMaker::Parser::Operand(int depth) {
  if (AtEnd()) return false;
  if (*p_ == '(') {
    if (depth + 1 > kMaxDepth) return false;
    ++p_;
    Push(new VExpStart);
    return Sequence(depth + 1);
  }
  if (*p_ == '#' && end_ - p_ > 1 && VIsDigit(p_[1])) return SetReference();
  if (WordAt("all")) {
    p_ += 3;
    Push(new VExpAll);
    return true;
  }
  if (WordAt("null") || WordAt("none")) {
    p_ += 4;
    Push(new VExpNull);
    return true;
  }
  return Condition();
}

bool VSetMaker::Parser::SetReference() {
  ++p_;
  int64_t id = 0;
  while (p_ < end_ && VIsDigit(*p_)) {
    id = id * 10 + (*p_++ - '0');
    if (id > INT32_MAX) return false;
  }
  Push(new VExpSet(static_cast<int32_t>(id)));
  return true;
}

bool VSetMaker::Parser::Condition() {
  uint8_t letter = 0;
  std::string name;
  if (!Reference(&letter, &name)) return false;
  SkipSpaces();
  if (AtEnd() || (*p_ != '=' && *p_ != ':')) return false;
  ++p_;
  VExpValue value;
  if (!ValuePart(&value)) return false;
  Push(new VExpItem(letter, std::move(name), std::move(value)));
  return true;
}

bool VSetMaker::Parser::Reference(uint8_t* letter, std::string* name) {
  const uint8_t* start;
  const uint8_t* stop;
  if (*p_ == '[') {
    start = ++p_;
    while (p_ < end_ && *p_ != ']') p_ += CharLength();
    if (AtEnd()) return false;
    stop = p_++;
  } else {
    start = p_;
    while (p_ < end_ && *p_ != ' ' && *p_ != ')' && !IsControl(*p_)) {
      if (*p_ == ';') return false;
      p_ += CharLength();
    }
    stop = p_;
  }
  if (stop > start && *start == ':') return false;
  if (stop - start >= 2 && start[1] == ':') {
    const uint8_t mark = VToUpper(*start);
    *letter = mark == 'I' || mark == 'K' ? mark : 0;
    start += 2;
  }
  if (start == stop || static_cast<size_t>(stop - start) > VExpItem::kMaxName) return false;
  name->assign(reinterpret_cast<const char*>(start), static_cast<size_t>(stop - start));
  return true;
}

bool VSetMaker::Parser::ValuePart(VExpValue* value) {
  SkipSpaces();
  const bool parenthesised = !AtEnd() && *p_ == '(';
  if (parenthesised) {
    ++p_;
    SkipSpaces();
  }
  VValue first(VValue::kString, "");
  if (!Value(&first)) return false;
  value->Add(std::move(first));
  const uint8_t* afterFirst = p_;
  SkipSpaces();
  if (!AtEnd() && (*p_ == '-' || *p_ == '~')) {
    ++p_;
    SkipSpaces();
    VValue second(VValue::kString, "");
    if (!Value(&second)) return false;
    value->Add(std::move(second));
    value->SetShape(VExpValue::kRange);
  } else {
    p_ = afterFirst;
    for (;;) {
      const bool separated = SkipSeparators();
      if (OperandEnds()) break;
      VValue next(VValue::kString, "");
      if (!separated || !Value(&next)) return false;
      value->Add(std::move(next));
    }
    value->SetShape(value->Count() == 1 ? VExpValue::kSingle : VExpValue::kList);
  }
  if (parenthesised) {
    SkipSpaces();
    if (AtEnd() || *p_ != ')') return false;
    ++p_;
  }
  // A range or list whose values carry markers is kept as it is: it means any of its values,
  // each compared by its own markers (see VExpValue::IsAnyOf).
  return true;
}

bool VSetMaker::Parser::Value(VValue* value) {
  if (AtEnd()) return false;
  uint8_t before = 0;
  if (IsMarker(*p_)) {
    before = *p_++;
    if (AtEnd() || !IsQuote(*p_)) return false;
  }
  if (IsQuote(*p_)) {
    std::string text;
    if (!Quoted(&text)) return false;
    uint8_t after = 0;
    if (!AtEnd() && IsMarker(*p_)) after = *p_++;
    if (before != 0 && after != 0 && before != after) return false;
    *value = VValue(VValue::kString, std::move(text), before, after);
    return true;
  }
  return BareValue(value);
}

bool VSetMaker::Parser::Quoted(std::string* text) {
  const uint8_t quote = *p_++;
  for (;;) {
    if (AtEnd()) return false;
    if (*p_ == quote) {
      if (end_ - p_ > 1 && p_[1] == quote) {
        text->push_back(static_cast<char>(quote));
        p_ += 2;
        continue;
      }
      ++p_;
      return true;
    }
    const size_t n = CharLength();
    text->append(reinterpret_cast<const char*>(p_), n);
    p_ += n;
  }
}

bool VSetMaker::Parser::BareValue(VValue* value) {
  const uint8_t* start = p_;
  if (*p_ == '+' || *p_ == '-') {
    ++p_;
    if (AtEnd() || !VIsDigit(*p_)) return false;
  }
  const uint8_t* run = p_;
  bool letters = false;
  while (p_ < end_ && VIsAlnum(*p_)) letters |= !VIsDigit(*p_++);
  if (p_ == run) return false;
  if (letters) {
    if (run != start) return false;  // a sign belongs to numbers only
    if (!AtEnd() && IsQuote(*p_)) {
      for (const TypeWord& word : kTypeWords) {
        if (!EqualsIgnoringCase(run, static_cast<size_t>(p_ - run), word.word)) continue;
        std::string text;
        if (!Quoted(&text)) return false;
        *value = VValue(word.type, std::move(text));
        return true;
      }
      return false;
    }
    *value = VValue(VValue::kString,
                    std::string(reinterpret_cast<const char*>(run), static_cast<size_t>(p_ - run)));
    return true;
  }
  if (end_ - p_ > 1 && *p_ == '.' && VIsDigit(p_[1])) {
    ++p_;
    while (p_ < end_ && VIsDigit(*p_)) ++p_;
  }
  if (!AtEnd() && (VIsAlnum(*p_) || *p_ == '.')) return false;
  *value = VValue(VValue::kNumber, std::string(reinterpret_cast<const char*>(start),
                                               static_cast<size_t>(p_ - start)));
  return true;
}

// ---- VSetMaker: parsing and showing ----

VResult VSetMaker::Parse(std::span<const uint8_t> statement) {
  entries_.clear();
  if (statement.size() < kMinLength || statement.size() >= kMaxLength) return kVStatementFailed;
  Parser parser(statement, &entries_);
  if (!parser.Statement()) {
    entries_.clear();
    return kVStatementFailed;
  }
  return kVOk;
}

std::string VSetMaker::Show() const {
  std::string text;
  for (size_t i = 0; i < entries_.size(); ++i) {
    const int kind = entries_[i]->Kind();
    if (i > 0 && kind != VSMEntry::kEnd && entries_[i - 1]->Kind() != VSMEntry::kStart) {
      text += ' ';
    }
    if (!entries_[i]->Show(&text)) text += "... ERROR ...";
  }
  return text;
}

void VSetMaker::LogShow() const {
  for (const auto& entry : entries_) entry->LogShow();
}
