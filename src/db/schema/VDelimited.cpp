#include "db/schema/VDelimited.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "base/VFile.h"
#include "base/VSjis.h"

namespace {

// A file is read in pieces of this size.
constexpr int32_t kPiece = 1 << 16;

constexpr bool IsBlank(uint8_t b) { return b <= 0x20; }

}  // namespace

bool VDelimitedSyntaxUsable(const VDelimitedSyntax& syntax) {
  if (syntax.item.empty() || syntax.repeat.empty()) return false;
  for (const std::string* term : {&syntax.record, &syntax.item, &syntax.repeat}) {
    if (term->find('"') != std::string::npos) return false;
    if (syntax.apostrophes && term->find('\'') != std::string::npos) return false;
  }
  return true;
}

VDelimitedReader::VDelimitedReader(std::string_view text, VDelimitedSyntax syntax)
    : data_(text), syntax_(std::move(syntax)), size_(static_cast<int64_t>(text.size())) {
  Prepare();
}

VDelimitedReader::VDelimitedReader(VFile& file, VDelimitedSyntax syntax)
    : syntax_(std::move(syntax)), file_(&file), eof_(false) {
  Prepare();
  if (file.FileSize(&size_) != kVOk) size_ = 0;
  buffer_.reserve(static_cast<size_t>(kPiece) + lookahead_);
}

VDelimitedReader::~VDelimitedReader() = default;

void VDelimitedReader::Prepare() {
  auto mark = [this](const std::string& term) {
    if (term.empty()) return;
    termStart_[static_cast<uint8_t>(term[0])] = true;
    lookahead_ = std::max(lookahead_, term.size());
  };
  if (syntax_.record.empty() && syntax_.anyLineEnd) {
    termStart_[static_cast<uint8_t>('\n')] = true;
    termStart_[static_cast<uint8_t>('\r')] = true;
  } else {
    mark(syntax_.record);
  }
  mark(syntax_.item);
  mark(syntax_.repeat);
  for (int b = 0; b < 256; ++b) stop_[b] = termStart_[b] || VIsLeadByte(static_cast<uint8_t>(b));
}

bool VDelimitedReader::Ensure(size_t n) {
  if (data_.size() - pos_ >= n || eof_) return failed_ == kVOk;
  // The lines of the bytes about to go are counted first.
  CountLines();
  buffer_.erase(0, pos_);
  base_ += static_cast<int64_t>(pos_);
  pos_ = 0;
  linesAt_ = 0;
  while (buffer_.size() < n && !eof_) {
    const size_t old = buffer_.size();
    buffer_.resize(old + static_cast<size_t>(kPiece));
    int32_t got = 0;
    const VResult read =
        file_->ReadSome(base_ + static_cast<int64_t>(old), buffer_.data() + old, kPiece, &got);
    buffer_.resize(old + static_cast<size_t>(std::max(got, 0)));
    if (read != kVOk) {
      failed_ = read;
      eof_ = true;
    } else if (got < kPiece) {
      eof_ = true;
    }
  }
  data_ = buffer_;
  return failed_ == kVOk;
}

size_t VDelimitedReader::TermAt(End* end) const {
  const size_t available = data_.size() - pos_;
  const char* at = data_.data() + pos_;
  auto match = [&](const std::string& term) -> size_t {
    if (term.empty() || available < term.size()) return 0;
    return std::memcmp(at, term.data(), term.size()) == 0 ? term.size() : 0;
  };
  size_t best = 0;
  if (syntax_.record.empty() && syntax_.anyLineEnd) {
    if (at[0] == '\n') {
      best = 1;
    } else if (at[0] == '\r' && available >= 2 && at[1] == '\n') {
      best = 2;
    }
  } else {
    best = match(syntax_.record);
  }
  if (best > 0) *end = kRecordEnd;
  if (const size_t n = match(syntax_.item); n > best) {
    best = n;
    *end = kItemEnd;
  }
  if (const size_t n = match(syntax_.repeat); n > best) {
    best = n;
    *end = kValueEnd;
  }
  return best;
}

VResult VDelimitedReader::ReadQuoted(char quote, std::string* text) {
  ++pos_;  // the opening quote
  for (;;) {
    if (!Ensure(2)) return failed_;
    if (pos_ >= data_.size()) return failed_ = kVUnmatchedQuote;
    // A quote byte is never the second byte of a Shift-JIS character, so the run up to the next
    // one can be copied whole.
    const char* from = data_.data() + pos_;
    const void* found = std::memchr(from, quote, data_.size() - pos_);
    const size_t stop = found != nullptr
                            ? static_cast<size_t>(static_cast<const char*>(found) - data_.data())
                            : data_.size();
    if (text != nullptr) {
      text->append(from, stop - pos_);
      if (text->size() > kVDelimitedMaxValue) return failed_ = kVDelimitedValueTooLong;
    }
    pos_ = stop;
    if (found == nullptr) continue;
    if (!Ensure(2)) return failed_;
    if (pos_ + 1 < data_.size() && data_[pos_ + 1] == quote) {
      // A doubled quote stands for one.
      if (text != nullptr) text->push_back(quote);
      pos_ += 2;
      continue;
    }
    ++pos_;  // the closing quote
    return kVOk;
  }
}

VResult VDelimitedReader::NextValue(std::string* text, bool* quoted, End* end) {
  if (text != nullptr) text->clear();
  *quoted = false;
  *end = kInputEnd;
  if (failed_ != kVOk) return failed_;
  // Blanks before the value (unless they are a terminator) are not part of it.
  for (;;) {
    if (!Ensure(lookahead_)) return failed_;
    if (pos_ >= data_.size()) return kVOk;
    const auto c = static_cast<uint8_t>(data_[pos_]);
    if (termStart_[c]) {
      if (const size_t n = TermAt(end)) {
        pos_ += n;
        return kVOk;
      }
    }
    if (!IsBlank(c)) break;
    ++pos_;
  }
  size_t kept = 0;  // the quoted text, which the trimming below never touches
  const char first = data_[pos_];
  if (first == '"' || (first == '\'' && syntax_.apostrophes)) {
    *quoted = true;
    if (VResult result = ReadQuoted(first, text); result != kVOk) return result;
    kept = text != nullptr ? text->size() : 0;
  }
  for (;;) {
    if (!Ensure(lookahead_)) return failed_;
    if (pos_ >= data_.size()) {
      *end = kInputEnd;
      break;
    }
    const auto c = static_cast<uint8_t>(data_[pos_]);
    if (termStart_[c]) {
      if (const size_t n = TermAt(end)) {
        pos_ += n;
        break;
      }
    }
    // A character, then the run of bytes that can neither begin a terminator nor a character of
    // two bytes.
    const size_t start = pos_;
    pos_ += VIsLeadByte(c) && pos_ + 1 < data_.size() ? 2 : 1;
    while (pos_ < data_.size() && !stop_[static_cast<uint8_t>(data_[pos_])]) ++pos_;
    if (text != nullptr) {
      text->append(data_.data() + start, pos_ - start);
      if (text->size() > kVDelimitedMaxValue) return failed_ = kVDelimitedValueTooLong;
    }
  }
  if (text != nullptr) {
    while (text->size() > kept && IsBlank(static_cast<uint8_t>(text->back()))) text->pop_back();
  }
  return kVOk;
}

VResult VDelimitedReader::SkipRecord() {
  bool quoted = false;
  End end = kValueEnd;
  do {
    if (VResult result = NextValue(nullptr, &quoted, &end); result != kVOk) return result;
  } while (end != kRecordEnd && end != kInputEnd);
  return kVOk;
}

VResult VDelimitedReader::NextRecord(std::vector<Item>* items) {
  items->clear();
  if (AtEnd()) return kVEnd;
  items->emplace_back();
  std::string text;
  bool quoted = false;
  End end = kValueEnd;
  for (;;) {
    if (VResult result = NextValue(&text, &quoted, &end); result != kVOk) return result;
    if (quoted || !text.empty()) items->back().push_back({std::move(text), quoted});
    if (end == kRecordEnd || end == kInputEnd) return kVOk;
    if (end == kItemEnd) items->emplace_back();
  }
}

bool VDelimitedReader::AtEnd() {
  // A read error is not the end: the next value answers it.
  if (!Ensure(1)) return false;
  return pos_ >= data_.size();
}

void VDelimitedReader::CountLines() {
  if (pos_ <= linesAt_) return;
  lines_ += std::count(data_.begin() + static_cast<std::ptrdiff_t>(linesAt_),
                       data_.begin() + static_cast<std::ptrdiff_t>(pos_), '\n');
  linesAt_ = pos_;
}

int64_t VDelimitedReader::Line() {
  CountLines();
  return lines_;
}

// ---- writing ----

namespace {

// Whether term occurs in text at a character boundary.
bool Holds(std::string_view text, const std::string& term) {
  if (term.empty() || text.find(term[0]) == std::string_view::npos) return false;
  for (size_t i = 0; i < text.size();) {
    if (text.compare(i, term.size(), term) == 0) return true;
    i += VIsLeadByte(static_cast<uint8_t>(text[i])) && i + 1 < text.size() ? 2 : 1;
  }
  return false;
}

// Whether the last byte is a lead byte without its second byte, which would take the byte that
// follows the value (a terminator) for its own.
bool EndsInsideCharacter(std::string_view text) {
  if (!VIsLeadByte(static_cast<uint8_t>(text.back()))) return false;
  size_t i = 0;
  while (i + 1 < text.size()) i += VIsLeadByte(static_cast<uint8_t>(text[i])) ? 2 : 1;
  return i + 1 == text.size();
}

// Whether text ends, at a character boundary, with the first k bytes of the term (0 < k < its
// length).
bool EndsWithStartOf(std::string_view text, const std::string& term) {
  for (size_t k = 1; k < term.size() && k <= text.size(); ++k) {
    if (text.compare(text.size() - k, k, term, 0, k) != 0) continue;
    if (VIsCharBoundary(reinterpret_cast<const uint8_t*>(text.data()), text.size(),
                        text.size() - k)) {
      return true;
    }
  }
  return false;
}

}  // namespace

VDelimitedWriter::VDelimitedWriter(VDelimitedSyntax syntax) : syntax_(std::move(syntax)) {
  terms_[0] = syntax_.record.empty() && syntax_.anyLineEnd ? std::string("\r\n") : syntax_.record;
  terms_[1] = syntax_.item;
  terms_[2] = syntax_.repeat;
  for (const std::string& term : terms_) {
    for (size_t i = 0; i < term.size(); ++i) {
      special_[static_cast<uint8_t>(term[i])] = true;
      if (i > 0) later_[static_cast<uint8_t>(term[i])] = true;
    }
  }
  for (char c : {'"', '\r', '\n'}) special_[static_cast<uint8_t>(c)] = true;
}

bool VDelimitedWriter::NeedsQuotes(std::string_view value) const {
  if (value.empty()) return true;
  const auto front = static_cast<uint8_t>(value.front());
  // A value that begins with a byte from inside a terminator is quoted: with the terminator
  // written before it, its first bytes could make a longer terminator.
  if (IsBlank(front) || IsBlank(static_cast<uint8_t>(value.back())) || front == '\'' ||
      later_[front] || EndsInsideCharacter(value)) {
    return true;
  }
  bool termByte = false;
  for (char c : value) {
    if (!special_[static_cast<uint8_t>(c)]) continue;
    if (c == '"' || c == '\r' || c == '\n') return true;
    termByte = true;
  }
  if (!termByte) return false;
  for (const std::string& term : terms_) {
    // A terminator inside, or the start of one at the end, which the terminator written after
    // the value would complete.
    if (Holds(value, term) || EndsWithStartOf(value, term)) return true;
  }
  return false;
}

void VDelimitedWriter::Append(std::string* out, std::string_view value, bool quote) const {
  if (!quote && !NeedsQuotes(value)) {
    out->append(value);
    return;
  }
  out->push_back('"');
  size_t from = 0;
  for (size_t at = value.find('"'); at != std::string_view::npos; at = value.find('"', from)) {
    out->append(value.substr(from, at + 1 - from));
    out->push_back('"');
    from = at + 1;
  }
  out->append(value.substr(from));
  out->push_back('"');
}

bool VIsSjisText(std::string_view bytes, size_t* badAt) {
  for (size_t i = 0; i < bytes.size();) {
    const auto b = static_cast<uint8_t>(bytes[i]);
    if (b < 0x80 || (b >= 0xA1 && b <= 0xDF)) {
      ++i;
      continue;
    }
    if (VIsLeadByte(b) && i + 1 < bytes.size()) {
      const auto t = static_cast<uint8_t>(bytes[i + 1]);
      if ((t >= 0x40 && t <= 0x7E) || (t >= 0x80 && t <= 0xFC)) {
        i += 2;
        continue;
      }
    }
    if (badAt != nullptr) *badAt = i;
    return false;
  }
  return true;
}

size_t VDelimitedExercise(const uint8_t* data, size_t size) {
  // The first byte chooses the terminators and the quotes; the next three are terminator bytes.
  VDelimitedSyntax syntax;
  if (size >= 4) {
    const uint8_t choice = data[0];
    syntax.record = (choice & 1) != 0 ? std::string() : std::string(1, static_cast<char>(data[1]));
    if ((choice & 2) != 0) syntax.record += "\n";
    syntax.anyLineEnd = (choice & 16) != 0;
    syntax.item = std::string(1, static_cast<char>(data[2]));
    syntax.repeat = (choice & 4) != 0 ? syntax.item + static_cast<char>(data[3])
                                      : std::string(1, static_cast<char>(data[3]));
    syntax.apostrophes = (choice & 8) != 0;
    // A terminator that holds a quote cannot be told from one; such a syntax is not offered.
    for (std::string* term : {&syntax.record, &syntax.item, &syntax.repeat}) {
      std::replace(term->begin(), term->end(), '"', '|');
      std::replace(term->begin(), term->end(), '\'', '|');
    }
    data += 4;
    size -= 4;
  }
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  VDelimitedReader reader(text, syntax);
  const VDelimitedWriter writer(syntax);
  std::string value;
  std::string written;
  bool quoted = false;
  VDelimitedReader::End end = VDelimitedReader::kValueEnd;
  size_t values = 0;
  int64_t before = reader.Consumed();
  // Every value read is written back, followed by a terminator, and read again: it must come back
  // as it was.
  while (!reader.AtEnd()) {
    if (reader.NextValue(&value, &quoted, &end) != kVOk) break;
    ++values;
    const int64_t after = reader.Consumed();
    if (after <= before || value.size() > size || after > static_cast<int64_t>(size)) std::abort();
    before = after;
    written.clear();
    writer.Append(&written, value, quoted);
    written += syntax.item;
    VDelimitedReader again(written, syntax);
    std::string back;
    bool backQuoted = false;
    VDelimitedReader::End backEnd = VDelimitedReader::kValueEnd;
    if (again.NextValue(&back, &backQuoted, &backEnd) != kVOk || back != value ||
        backEnd == VDelimitedReader::kInputEnd || !again.AtEnd()) {
      std::abort();
    }
  }
  return values;
}
