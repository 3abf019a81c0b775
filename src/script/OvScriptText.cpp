#include "script/OvScriptText.h"

#include "base/VSjis.h"

namespace {

bool IsBreak(char c) { return c == '\r' || c == '\n'; }

bool IsWordByte(uint8_t b) { return VIsAlnum(b) || b == '_'; }

}  // namespace

// ---- statements ----

bool OvStatementReader::AtComment() const {
  return pos_ + 1 < text_.size() && text_[pos_] == '/' && text_[pos_ + 1] == '/';
}

void OvStatementReader::SkipBreaksAndComments() {
  while (pos_ < text_.size()) {
    if (IsBreak(text_[pos_])) {
      ++pos_;
    } else if (AtComment()) {
      // To the end of the line; the breaks themselves go with the loop. A double-byte character
      // inside the comment is stepped over whole, so its trail byte is never a line break.
      while (pos_ < text_.size() && !IsBreak(text_[pos_])) {
        pos_ += VCharLength(reinterpret_cast<const uint8_t*>(text_.data()), text_.size(), pos_);
      }
    } else {
      return;
    }
  }
}

void OvStatementReader::TakeChar(std::string* out) {
  const size_t n = VCharLength(reinterpret_cast<const uint8_t*>(text_.data()), text_.size(), pos_);
  out->append(text_.substr(pos_, n));
  pos_ += n;
}

bool OvStatementReader::Next(std::string* statement) {
  statement->clear();
  int depth = 0;
  for (;;) {
    SkipBreaksAndComments();
    if (pos_ >= text_.size()) break;
    const char c = text_[pos_];
    TakeChar(statement);
    if (c == '(') {
      ++depth;
    } else if (c == ')' && depth > 0) {
      --depth;
    } else if (c == ';' && depth == 0) {
      break;
    }
  }
  return !statement->empty();
}

// ---- tokens ----

bool OvScriptToken::IsNumber() const {
  if (kind != kWord || text.empty()) return false;
  for (char c : text) {
    if (!VIsDigit(static_cast<uint8_t>(c))) return false;
  }
  return true;
}

OvScriptToken OvTokenReader::Next() {
  const auto* bytes = reinterpret_cast<const uint8_t*>(text_.data());
  const size_t length = text_.size();
  while (pos_ < length && (text_[pos_] == ' ' || text_[pos_] == '\t')) ++pos_;
  OvScriptToken token;
  if (pos_ >= length) return token;
  const size_t start = pos_;
  const uint8_t b = bytes[pos_];
  if (VIsLeadByte(b) || IsWordByte(b) || b == '@' || b == '#' || b == '$') {
    // "@", "#" and "$" only begin a word; the rest of it is word characters.
    pos_ += VCharLength(bytes, length, pos_);
    while (pos_ < length && (VIsLeadByte(bytes[pos_]) || IsWordByte(bytes[pos_]))) {
      pos_ += VCharLength(bytes, length, pos_);
    }
    token.kind = OvScriptToken::kWord;
  } else if (b == '"' || b == '\'') {
    ++pos_;
    while (pos_ < length && bytes[pos_] != b) pos_ += VCharLength(bytes, length, pos_);
    if (pos_ < length) ++pos_;  // the closing quote
    token.kind = OvScriptToken::kQuoted;
  } else if (b == '(' || b == ')' || b == ',' || b == ';' || b == '=' || b == '[' || b == ']') {
    ++pos_;
    token.kind = OvScriptToken::kPunct;
  } else {
    token.kind = OvScriptToken::kNone;
    token.text = text_.substr(pos_, VCharLength(bytes, length, pos_));
    return token;
  }
  token.text = text_.substr(start, pos_ - start);
  return token;
}

void OvTokenReader::SkipChar() {
  pos_ += VCharLength(reinterpret_cast<const uint8_t*>(text_.data()), text_.size(), pos_);
}

// ---- values ----

std::string OvTrimValue(std::string_view text) {
  auto blank = [](char c) { return static_cast<uint8_t>(c) <= 0x20; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  // A trailing byte can be the trail byte of a double-byte character only when it is not a
  // control byte or blank, so trimming from the back never splits a character.
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  if (text.size() >= 2) {
    const char q = text.front();
    if ((q == '"' || q == '\'') && text.back() == q) {
      while (!text.empty() && text.front() == q) text.remove_prefix(1);
      // A quote byte (0x22, 0x27) is never a trail byte, so this too stays on character bounds.
      while (!text.empty() && text.back() == q) text.remove_suffix(1);
    }
  }
  return std::string(text);
}

bool OvSameWord(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (VToUpper(static_cast<uint8_t>(a[i])) != VToUpper(static_cast<uint8_t>(b[i]))) return false;
  }
  return true;
}
