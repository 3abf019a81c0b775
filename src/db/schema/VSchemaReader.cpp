// The schema text reader. Statements "[KEYWORD number]" are followed by properties name = value
// up to the next "[". Bytes up to 0x20 and commas separate tokens; keywords and property names
// compare ignoring ASCII case. Every scan is bounded by the end of the text and steps over
// double-byte characters whole, so any bytes either read or give a result code.
#include <cstring>
#include <string>

#include "base/VFile.h"
#include "base/VSjis.h"
#include "base/VStream.h"
#include "db/schema/VSchema.h"
#include "db/schema/VVM.h"

namespace {

bool IsLetter(uint8_t b) { return VIsUpper(b) || VIsLower(b); }

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (VToUpper(static_cast<uint8_t>(a[i])) != VToUpper(static_cast<uint8_t>(b[i]))) return false;
  }
  return true;
}

bool ContainsIgnoringCase(std::string_view text, std::string_view word) {
  if (word.size() > text.size()) return false;
  for (size_t i = 0; i + word.size() <= text.size(); ++i) {
    if (EqualsIgnoringCase(text.substr(i, word.size()), word)) return true;
  }
  return false;
}

enum class StatementKind { kDatabase, kFile, kItem, kKey };

class SchemaReader {
 public:
  SchemaReader(const uint8_t* text, size_t length) : p_(text), end_(text + length) {}

  VResult Read();
  std::unique_ptr<VSchema> TakeResult();

 private:
  bool AtEnd() const { return p_ >= end_; }
  // Steps over one character (two bytes after a lead byte).
  void Step() { p_ += (VIsLeadByte(*p_) && p_ + 1 < end_) ? 2 : 1; }
  void SkipSeparators() {
    while (p_ < end_ && (*p_ <= 0x20 || *p_ == ',')) ++p_;
  }
  std::string_view Letters() {
    const uint8_t* start = p_;
    while (p_ < end_ && IsLetter(*p_)) ++p_;
    return std::string_view(reinterpret_cast<const char*>(start), static_cast<size_t>(p_ - start));
  }
  // Digits at the position (at least one), kept up to limit; false when there are none or the
  // number passes the limit.
  bool Digits(int64_t limit, int64_t* value) {
    if (AtEnd() || !VIsDigit(*p_)) return false;
    int64_t n = 0;
    while (p_ < end_ && VIsDigit(*p_)) {
      if (n <= limit) n = n * 10 + (*p_ - '0');
      ++p_;
    }
    *value = n;
    return n <= limit;
  }

  VResult Header(StatementKind* statement, int64_t* number);
  VResult BuildStatement(StatementKind statement, int64_t number);
  VResult Properties(VSchema* node, StatementKind statement);
  VResult Text(std::string* text);
  VResult Number(int32_t* value);
  VResult Pair(uint16_t* first, uint16_t* second);
  VResult KeyParts(VSch_DBFile* file, VSch_DBKey* key);

  const uint8_t* p_;
  const uint8_t* end_;
  std::unique_ptr<VSch_DB> database_;
  std::unique_ptr<VSch_DBFile> lone_;  // a file built while there is no database
  VSch_DBFile* current_ = nullptr;
};

VResult SchemaReader::Read() {
  bool any = false;
  for (;;) {
    SkipSeparators();
    if (AtEnd()) break;
    if (*p_ != '[') return kVSchemaBadStatement;
    StatementKind statement;
    int64_t number = 0;
    VResult r = Header(&statement, &number);
    if (r == kVOk) r = BuildStatement(statement, number);
    if (r != kVOk) return r;
    any = true;
  }
  return any ? kVOk : kVSchemaBadStatement;
}

std::unique_ptr<VSchema> SchemaReader::TakeResult() {
  if (database_) return std::move(database_);
  return std::move(lone_);
}

VResult SchemaReader::Header(StatementKind* statement, int64_t* number) {
  ++p_;  // "["
  while (p_ < end_ && !IsLetter(*p_) && *p_ != ']') Step();
  std::string_view keyword = Letters();
  bool negative = false;
  while (p_ < end_ && !VIsDigit(*p_) && *p_ != ']') {
    if (*p_ == '-') negative = true;
    Step();
  }
  int64_t value = 0;
  bool inRange = AtEnd() || *p_ == ']' || Digits(1000000, &value);
  while (p_ < end_ && *p_ != ']') Step();
  if (AtEnd()) return kVSchemaBadStatement;
  ++p_;  // "]"
  if (!inRange) value = 1000001;
  *number = negative ? -value : value;
  if (EqualsIgnoringCase(keyword, "DATABASE") || EqualsIgnoringCase(keyword, "DB")) {
    *statement = StatementKind::kDatabase;
    return kVOk;
  }
  if (EqualsIgnoringCase(keyword, "FILE")) {
    *statement = StatementKind::kFile;
    // A file number is a 16-bit value.
    return *number >= -32768 && *number <= 32767 ? kVOk : kVSchemaBadStatement;
  }
  if (EqualsIgnoringCase(keyword, "ITEM")) {
    *statement = StatementKind::kItem;
  } else if (EqualsIgnoringCase(keyword, "KEY")) {
    *statement = StatementKind::kKey;
  } else {
    return kVSchemaBadStatement;
  }
  return *number >= 0 && *number <= 255 ? kVOk : kVSchemaBadStatement;
}

VResult SchemaReader::BuildStatement(StatementKind statement, int64_t number) {
  int16_t n = static_cast<int16_t>(number);
  switch (statement) {
    case StatementKind::kDatabase:
      // A new database discards everything built so far.
      database_ = std::make_unique<VSch_DB>();
      lone_.reset();
      current_ = nullptr;
      return Properties(database_.get(), statement);
    case StatementKind::kFile: {
      auto file = std::make_unique<VSch_DBFile>(n);
      if (!database_ && lone_) {
        database_ = std::make_unique<VSch_DB>();
        database_->SetName("DATABASE");
        database_->SetDesc("AUTO-Gen");
        database_->SetLabel("DB001");
        database_->AddFile(std::move(lone_));
      }
      if (database_) {
        current_ = database_->AddFile(std::move(file));
      } else {
        lone_ = std::move(file);
        current_ = lone_.get();
      }
      return Properties(current_, statement);
    }
    case StatementKind::kItem:
      if (!current_) return kVSchemaNoFile;
      return Properties(current_->AddItem(n), statement);
    case StatementKind::kKey:
      if (!current_) return kVSchemaNoFile;
      return Properties(current_->AddKey(n), statement);
  }
  return kVSchemaBadStatement;
}

VResult SchemaReader::Properties(VSchema* node, StatementKind statement) {
  static const VResult kUnknown[] = {kVSchemaBadDatabaseProperty, kVSchemaBadFileProperty,
                                     kVSchemaBadItemProperty, kVSchemaBadKeyProperty};
  const VResult unknown = kUnknown[static_cast<int>(statement)];
  for (;;) {
    SkipSeparators();
    if (AtEnd() || *p_ == '[') return kVOk;
    if (!IsLetter(*p_)) return kVSchemaBadPropertyName;
    std::string_view name = Letters();
    auto is = [&](const char* word) { return EqualsIgnoringCase(name, word); };
    bool texts = is("NAME") || is("DESC") ||
                 (is("LABEL") &&
                  (statement == StatementKind::kDatabase || statement == StatementKind::kFile));
    bool known = texts || (statement == StatementKind::kFile && (is("BLOCKSIZE") || is("BS"))) ||
                 (statement == StatementKind::kItem && (is("TYPE") || is("LENGTH"))) ||
                 (statement == StatementKind::kKey && (is("TYPE") || is("BIND")));
    if (!known) return unknown;
    while (p_ < end_ && *p_ != '=') Step();
    if (AtEnd()) return kVSchemaBadValue;
    ++p_;  // "="
    VResult r = kVOk;
    if (texts) {
      std::string text;
      r = Text(&text);
      if (r != kVOk) return r;
      size_t limit = is("DESC") ? kVMaxSchemaDesc : kVMaxSchemaName;
      if (text.size() > limit) return kVSchemaTextTooLong;
      if (is("NAME")) node->SetName(text);
      if (is("DESC")) node->SetDesc(text);
      if (is("LABEL")) node->SetLabel(text);
    } else if (is("BLOCKSIZE") || is("BS")) {
      uint16_t index = 0, data = 0;
      r = Pair(&index, &data);
      static_cast<VSch_DBFile*>(node)->SetBlockSizes(index, data);
    } else if (is("LENGTH")) {
      int32_t length = 0;
      r = Number(&length);
      static_cast<VSch_DBItem*>(node)->SetLength(length);
    } else if (is("BIND")) {
      r = KeyParts(current_, static_cast<VSch_DBKey*>(node));
    } else {  // TYPE
      std::string text;
      r = Text(&text);
      if (r != kVOk) return r;
      const VVM& vvm = VVM::Instance();
      if (statement == StatementKind::kItem) {
        uint8_t code = 0;
        if (!vvm.TypeCode(text, &code)) return kVSchemaBadItemProperty;
        static_cast<VSch_DBItem*>(node)->SetType(code);
      } else {
        uint8_t code = vvm.KeyTypeCode(text);
        if (code == 0) return kVSchemaBadKeyProperty;
        std::string_view rest = std::string_view(text).substr(text.empty() ? 0 : 1);
        uint16_t flags = 0;
        if (ContainsIgnoringCase(rest, "Unique")) flags |= kVKeyUnique;
        if (ContainsIgnoringCase(rest, "Reverse")) flags |= kVKeyReverse;
        if (ContainsIgnoringCase(rest, "NullOmit")) flags |= kVKeyNullOmit;
        if (ContainsIgnoringCase(rest, "IgnoreCase")) flags |= kVKeyIgnoreCase;
        if (ContainsIgnoringCase(rest, "IgnoreJCase")) flags |= kVKeyIgnoreJCase;
        auto* key = static_cast<VSch_DBKey*>(node);
        key->SetType(code);
        key->SetFlags(flags);
      }
    }
    if (r != kVOk) return r;
  }
}

VResult SchemaReader::Text(std::string* text) {
  while (p_ < end_ && !IsLetter(*p_) && *p_ != '"' && *p_ != '\'') Step();
  if (AtEnd()) return kVSchemaBadValue;
  if (IsLetter(*p_)) {
    *text = Letters();
    // The rest of the word (NAME = DD2 names "DD") is not a property of its own.
    while (p_<end_&& * p_> 0x20 && *p_ != ',' && *p_ != '[') Step();
    return kVOk;
  }
  // Quote characters are never the second byte of a double-byte character.
  uint8_t quote = *p_++;
  const uint8_t* start = p_;
  while (p_ < end_ && *p_ != quote) ++p_;
  if (AtEnd()) return kVSchemaBadValue;
  text->assign(reinterpret_cast<const char*>(start), static_cast<size_t>(p_ - start));
  ++p_;
  return kVOk;
}

VResult SchemaReader::Number(int32_t* value) {
  while (p_ < end_ && !VIsDigit(*p_)) Step();
  int64_t n = 0;
  if (!Digits(0x7FFFFFFF, &n)) return kVSchemaBadValue;
  *value = static_cast<int32_t>(n);
  return kVOk;
}

VResult SchemaReader::Pair(uint16_t* first, uint16_t* second) {
  while (p_ < end_ && *p_ != '(') Step();
  if (AtEnd()) return kVSchemaBadValue;
  ++p_;
  int64_t values[2] = {0, 0};
  for (int64_t& value : values) {
    while (p_ < end_ && !VIsDigit(*p_) && *p_ != ')') Step();
    if (!Digits(0xFFFF, &value)) return kVSchemaBadValue;
  }
  while (p_ < end_ && *p_ != ')') Step();
  if (AtEnd()) return kVSchemaBadValue;
  ++p_;
  *first = static_cast<uint16_t>(values[0]);
  *second = static_cast<uint16_t>(values[1]);
  return kVOk;
}

VResult SchemaReader::KeyParts(VSch_DBFile* file, VSch_DBKey* key) {
  SkipSeparators();
  if (AtEnd()) return kVSchemaBadValue;
  if (IsLetter(*p_)) {
    return EqualsIgnoringCase(Letters(), "NONE") ? kVOk : kVSchemaBadStatement;
  }
  for (;;) {
    if (AtEnd() || *p_ != '[') return kVSchemaBadStatement;
    ++p_;
    SkipSeparators();
    int64_t item = 0;
    if (!Digits(255, &item)) return kVSchemaBadStatement;
    // An occurrence number or range may follow; it is read and not kept.
    int runs = 1;
    while (p_ < end_ && *p_ != ']') {
      if (VIsDigit(*p_)) {
        int64_t ignored = 0;
        Digits(0xFFFF, &ignored);
        if (++runs > 3) return kVSchemaBadStatement;
      } else {
        Step();
      }
    }
    if (AtEnd()) return kVSchemaBadStatement;
    ++p_;                        // "]"
    if (item == 0) return kVOk;  // item 0 ends the list
    VSch_DBItem* part = file->ItemByNumber(static_cast<int>(item));
    if (!part) part = file->AddItem(static_cast<int16_t>(item));
    if (!key->AddPart(part)) return kVSchemaTooManyParts;
    SkipSeparators();
    if (AtEnd() || *p_ != '+') return kVOk;  // anything else is left for the next property
    ++p_;
    SkipSeparators();
  }
}

std::unique_ptr<VSchema> ReadText(const std::string& text, VResult* result) {
  SchemaReader reader(reinterpret_cast<const uint8_t*>(text.data()), text.size());
  VResult r = reader.Read();
  if (result) *result = r;
  if (r != kVOk) return nullptr;
  return reader.TakeResult();
}

}  // namespace

std::unique_ptr<VSchema> ReadSchema(VStream& input, VResult* result) {
  std::string text;
  char piece[4096];
  for (;;) {
    int32_t n = input.Read(piece, sizeof piece);
    if (n <= 0) break;
    text.append(piece, static_cast<size_t>(n));
  }
  return ReadText(text, result);
}

std::unique_ptr<VSchema> ReadSchema(const void* block, int64_t length, VResult* result) {
  if (!block) {
    if (result) *result = kVSchemaBadStatement;
    return nullptr;
  }
  VROMStream input(block, length);
  return ReadSchema(input, result);
}

std::unique_ptr<VSchema> ReadSchema(const char* const* strings, int32_t count, VResult* result) {
  VARGStream input(strings, count);
  return ReadSchema(input, result);
}

std::unique_ptr<VSchema> ReadSchema(VFile& file, VResult* result) {
  if (!file.IsOpen()) {
    VResult r = file.Open(true);
    if (r != kVOk) {
      if (result) *result = r;
      return nullptr;
    }
  }
  VFileStream* stream = file.ReadStream();
  std::unique_ptr<VSchema> schema;
  if (stream) {
    stream->SeekStart();
    schema = ReadSchema(*stream, result);
  } else if (result) {
    *result = kVOpenFailed;
  }
  (void)file.Close();  // only read from
  return schema;
}
