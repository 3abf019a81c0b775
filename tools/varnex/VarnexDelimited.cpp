#include "VarnexDelimited.h"

#include <cctype>

#include "base/VSjis.h"

bool VarnexParseTerm(std::string_view text, std::string* out) {
  std::string upper;
  for (char c : text) upper += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  if (upper == "CRLF")
    *out = "\r\n";
  else if (upper == "CR")
    *out = "\r";
  else if (upper == "LF")
    *out = "\n";
  else if (upper == "TAB")
    *out = "\t";
  else {
    out->clear();
    for (size_t i = 0; i < text.size(); ++i) {
      if (text[i] == '\\' && i + 1 < text.size()) {
        const char e = text[++i];
        *out += e == 't' ? '\t' : e == 'r' ? '\r' : e == 'n' ? '\n' : e;
      } else {
        *out += text[i];
      }
    }
  }
  return !out->empty();
}

size_t VarnexDelimitedReader::TermAt(const std::string& term) const {
  if (term.empty() || data_.size() - pos_ < term.size()) return 0;
  return data_.compare(pos_, term.size(), term) == 0 ? term.size() : 0;
}

size_t VarnexDelimitedReader::RecordTermAt() const {
  if (!terms_.record.empty()) return TermAt(terms_.record);
  if (data_[pos_] == '\n') return 1;
  if (data_[pos_] == '\r' && pos_ + 1 < data_.size() && data_[pos_ + 1] == '\n') return 2;
  return 0;
}

void VarnexDelimitedReader::Step(std::string* text) {
  const auto c = static_cast<uint8_t>(data_[pos_]);
  const size_t n = VIsLeadByte(c) && pos_ + 1 < data_.size() ? 2 : 1;
  if (c == '\n') ++line_;
  text->append(data_.substr(pos_, n));
  pos_ += n;
}

void VarnexDelimitedReader::ReadQuoted(std::string* text) {
  ++pos_;  // the opening quote
  while (pos_ < data_.size()) {
    if (data_[pos_] == '"') {
      if (pos_ + 1 < data_.size() && data_[pos_ + 1] == '"') {
        *text += '"';
        pos_ += 2;
        continue;
      }
      ++pos_;
      return;
    }
    Step(text);
  }
}

bool VarnexDelimitedReader::Next(std::vector<Item>* items) {
  items->clear();
  if (pos_ >= data_.size()) return false;
  recordLine_ = line_;
  items->emplace_back();
  std::string text;
  bool quoted = false;
  size_t quotedEnd = 0;  // bytes of text that the quotes held
  auto finishValue = [&]() {
    if (quoted) {
      // Blanks after the closing quote are not part of the value.
      while (text.size() > quotedEnd && text.back() == ' ') text.pop_back();
    } else {
      size_t b = 0;
      size_t e = text.size();
      while (b < e && text[b] == ' ') ++b;
      while (e > b && text[e - 1] == ' ') --e;
      text = text.substr(b, e - b);
    }
    if (quoted || !text.empty()) items->back().push_back({text, quoted});
    text.clear();
    quoted = false;
  };
  while (pos_ < data_.size()) {
    if (data_[pos_] == '"' && !quoted && text.find_first_not_of(' ') == std::string::npos) {
      text.clear();
      quoted = true;
      ReadQuoted(&text);
      quotedEnd = text.size();
      continue;
    }
    if (size_t n = RecordTermAt()) {
      for (size_t i = 0; i < n; ++i) line_ += data_[pos_ + i] == '\n';
      pos_ += n;
      finishValue();
      return true;
    }
    if (size_t n = TermAt(terms_.item)) {
      pos_ += n;
      finishValue();
      items->emplace_back();
      continue;
    }
    if (size_t n = TermAt(terms_.repeat)) {
      pos_ += n;
      finishValue();
      continue;
    }
    Step(&text);
  }
  finishValue();
  return true;
}

namespace {

// Whether the term occurs in text at a character boundary.
bool Holds(std::string_view text, const std::string& term) {
  if (term.empty()) return false;
  for (size_t i = 0; i < text.size();) {
    if (text.compare(i, term.size(), term) == 0) return true;
    i += VIsLeadByte(static_cast<uint8_t>(text[i])) && i + 1 < text.size() ? 2 : 1;
  }
  return false;
}

}  // namespace

std::string VarnexDelimitedValue(std::string_view text, const VarnexTerms& terms) {
  const bool quote = text.empty() || text.front() == ' ' || text.back() == ' ' ||
                     Holds(text, "\"") || Holds(text, "\n") || Holds(text, "\r") ||
                     Holds(text, terms.item) || Holds(text, terms.repeat) ||
                     Holds(text, terms.record);
  if (!quote) return std::string(text);
  std::string out = "\"";
  for (char c : text) {
    if (c == '"') out += '"';
    out += c;
  }
  return out + "\"";
}
