#include "template/OFTStatement.h"

#include <cstring>
#include <limits>
#include <string>

#include "base/VSjis.h"
#include "base/VStream.h"

namespace {

// Buffered bytes of a stream. What it read ahead is given back to the stream when it goes away,
// so the stream's position ends just after the last byte taken.
class ByteSource {
 public:
  explicit ByteSource(VStream& stream) : stream_(stream) {}
  ~ByteSource() {
    if (end_ > pos_) stream_.StepBack(end_ - pos_);
  }
  ByteSource(const ByteSource&) = delete;
  ByteSource& operator=(const ByteSource&) = delete;

  // The next byte, or -1 at the end of the stream.
  int Get() {
    if (pos_ == end_ && !Fill()) return -1;
    return buffer_[pos_++];
  }
  int Peek() {
    if (pos_ == end_ && !Fill()) return -1;
    return buffer_[pos_];
  }
  // Reads a character's trail byte into out after a lead byte, unless the stream ended.
  void TakeTrail(std::string& out) {
    int trail = Get();
    if (trail >= 0) out.push_back(static_cast<char>(trail));
  }

 private:
  bool Fill() {
    if (ended_) return false;
    int32_t n = stream_.Read(buffer_, static_cast<int32_t>(sizeof buffer_));
    if (n <= 0) {
      ended_ = true;
      return false;
    }
    pos_ = 0;
    end_ = n;
    return true;
  }

  VStream& stream_;
  // Small, because each statement gives back what it read ahead.
  uint8_t buffer_[512];
  int32_t pos_ = 0;
  int32_t end_ = 0;
  bool ended_ = false;
};

bool IsBlank(int c) { return c == ' ' || c == '\t'; }
bool IsBlankOrBreak(int c) { return IsBlank(c) || c == '\r' || c == '\n'; }

void SkipBlanksAndBreaks(ByteSource& source) {
  while (IsBlankOrBreak(source.Peek())) source.Get();
}

// Appends everything up to and including the next close byte (double-byte characters whole).
void AppendThrough(ByteSource& source, std::string& raw, char close) {
  for (;;) {
    int c = source.Get();
    if (c < 0) return;
    raw.push_back(static_cast<char>(c));
    if (VIsLeadByte(static_cast<uint8_t>(c))) {
      source.TakeTrail(raw);
    } else if (c == close) {
      return;
    }
  }
}

// Appends a brace group's contents up to and including the brace that closes it.
void AppendBraceGroup(ByteSource& source, std::string& raw) {
  int32_t depth = 1;
  for (;;) {
    int c = source.Get();
    if (c < 0) return;
    raw.push_back(static_cast<char>(c));
    if (VIsLeadByte(static_cast<uint8_t>(c))) {
      source.TakeTrail(raw);
    } else if (c == '{') {
      ++depth;
    } else if (c == '}' && --depth == 0) {
      return;
    }
  }
}

// The raw text of one statement: it ends after a bracketed group, after a semicolon outside brace
// groups, or at the end of the stream.
std::string ReadRaw(VStream& stream) {
  ByteSource source(stream);
  std::string raw;
  SkipBlanksAndBreaks(source);
  for (;;) {
    int c = source.Get();
    if (c < 0) break;
    raw.push_back(static_cast<char>(c));
    if (VIsLeadByte(static_cast<uint8_t>(c))) {
      source.TakeTrail(raw);
    } else if (c == '[') {
      AppendThrough(source, raw, ']');
      SkipBlanksAndBreaks(source);
      break;
    } else if (c == ';') {
      while (source.Peek() == '\r' || source.Peek() == '\n') source.Get();
      break;
    } else if (c == '{') {
      SkipBlanksAndBreaks(source);
      AppendBraceGroup(source, raw);
      SkipBlanksAndBreaks(source);
    }
  }
  return raw;
}

// A part [begin, end) of a text whose begin lies on a character boundary.
struct Span {
  const uint8_t* data;
  size_t begin;
  size_t end;

  size_t Length() const { return end - begin; }
  std::string_view View() const {
    return std::string_view(reinterpret_cast<const char*>(data) + begin, end - begin);
  }
  // The byte at i when a single-byte character starts there, else -1.
  int SingleAt(size_t i) const {
    if (i >= end) return -1;
    if (VIsLeadByte(data[i]) && i + 1 < end) return -1;
    return data[i];
  }
  size_t Step(size_t i) const { return (VIsLeadByte(data[i]) && i + 1 < end) ? 2 : 1; }
  // The single-byte character that ends the span, or -1.
  int LastSingle() const {
    size_t last = end;
    for (size_t i = begin; i < end; i += Step(i)) last = i;
    return last == end ? -1 : SingleAt(last);
  }
};

bool Removable(int c, uint8_t target) { return c >= 0 && (c == target || c < 32); }

void TrimSpan(Span& span, std::string_view set) {
  for (char s : set) {
    uint8_t target = static_cast<uint8_t>(s);
    while (span.begin < span.end && Removable(span.SingleAt(span.begin), target)) ++span.begin;
    // The back is found walking forward, since a trail byte may look like the target.
    size_t keepEnd = span.begin;
    for (size_t i = span.begin; i < span.end;) {
      size_t next = i + span.Step(i);
      if (!Removable(span.SingleAt(i), target)) keepEnd = next;
      i = next;
    }
    span.end = keepEnd;
  }
}

bool IsDelimiter(int c, std::string_view delimiters) {
  if (c < 0) return false;
  if (c < 32) return true;
  return delimiters.find(static_cast<char>(c)) != std::string_view::npos;
}

Span NextTokenSpan(Span& span, std::string_view delimiters) {
  // Every leading delimiter goes, whatever its order in the set: a heading entry such as
  // "Name", 120, 0 must give 120 after the heading, with the quote, comma and blank between.
  while (span.begin < span.end && IsDelimiter(span.SingleAt(span.begin), delimiters)) ++span.begin;
  size_t pos = span.begin;
  while (pos < span.end && !IsDelimiter(span.SingleAt(pos), delimiters)) pos += span.Step(pos);
  Span token{span.data, span.begin, pos};
  span.begin = pos;
  return token;
}

VString ToVString(const Span& span) {
  return VString(span.data + span.begin, static_cast<uint32_t>(span.Length()));
}

}  // namespace

int ReadStatement(VStream& stream, VString& name, VString& value) {
  name.Reset();
  value.Reset();
  std::string raw = ReadRaw(stream);
  Span text{reinterpret_cast<const uint8_t*>(raw.data()), 0, raw.size()};
  TrimSpan(text, " \t");
  if (text.Length() == 0) return kOFTEndOfFile;

  bool closed = text.LastSingle() == ']';
  int kind = kOFTProperty;
  if (text.Length() > 2 && text.data[text.begin] == '[' && text.data[text.begin + 1] == '/' &&
      closed) {
    kind = kOFTEndTag;
  } else if (text.Length() > 1 && text.data[text.begin] == '[' && closed) {
    kind = kOFTBeginTag;
  }

  if (kind != kOFTProperty) {
    TrimSpan(text, " \t[]");
    name = ToVString(NextTokenSpan(text, "\", \t[]"));
    return kind;
  }

  name = ToVString(NextTokenSpan(text, " \t"));
  if (NextTokenSpan(text, " \t").View() != "=") return kind;
  TrimSpan(text, " \t");
  if (text.LastSingle() == ';') {
    TrimSpan(text, ";");
    TrimSpan(text, " \t");
  }
  TrimSpan(text, "{}");
  TrimSpan(text, " \t");
  value = ToVString(text);
  return kind;
}

void Trim(VString& text, std::string_view set) {
  Span span{text.Data(), 0, text.Length()};
  TrimSpan(span, set);
  if (span.begin == 0 && span.end == text.Length()) return;
  text = ToVString(span);
}

VString NextToken(VString& text, std::string_view delimiters) {
  Span span{text.Data(), 0, text.Length()};
  VString token = ToVString(NextTokenSpan(span, delimiters));
  text = ToVString(span);
  return token;
}

VString TextValue(const VString& value) {
  VString text(value);
  Trim(text, " \t\"");
  return text;
}

bool NumberValue(std::string_view value, int32_t& out) {
  if (!VIsNumber(value.data(), value.size())) return false;
  size_t i = 0;
  while (i < value.size() && value[i] == ' ') ++i;
  bool negative = false;
  if (i < value.size() && (value[i] == '-' || value[i] == '+')) negative = value[i++] == '-';
  int64_t magnitude = 0;
  constexpr int64_t kLimit = int64_t{std::numeric_limits<int32_t>::max()} + 1;
  for (; i < value.size() && VIsDigit(static_cast<uint8_t>(value[i])); ++i) {
    magnitude = magnitude * 10 + (value[i] - '0');
    if (magnitude > kLimit) magnitude = kLimit;
  }
  int64_t number = negative ? -magnitude : magnitude;
  if (number > std::numeric_limits<int32_t>::max()) number = std::numeric_limits<int32_t>::max();
  out = static_cast<int32_t>(number);
  return true;
}

bool NumberValue(const VString& value, int32_t& out) { return NumberValue(value.View(), out); }

VString ReadRestOfLine(VStream& stream) {
  ByteSource source(stream);
  std::string line;
  for (;;) {
    int c = source.Peek();
    if (c < 0 || c == '\r' || c == '\n') break;
    source.Get();
    line.push_back(static_cast<char>(c));
    if (VIsLeadByte(static_cast<uint8_t>(c))) {
      // A lead byte before a line break is a broken character; the break still ends the line.
      int trail = source.Peek();
      if (trail >= 0 && trail != '\r' && trail != '\n')
        line.push_back(static_cast<char>(source.Get()));
    }
  }
  if (source.Peek() == '\r') source.Get();
  if (source.Peek() == '\n') source.Get();
  return VString(line.data(), static_cast<uint32_t>(line.size()));
}
