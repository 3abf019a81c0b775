#include "VarnexOutput.h"

#include <algorithm>

#include "base/VCodePage.h"

namespace {

// Whether text is a number in JSON's grammar: -?(0|[1-9][0-9]*)(\.[0-9]+)?
bool IsJsonNumber(std::string_view text) {
  size_t i = 0;
  if (i < text.size() && text[i] == '-') ++i;
  if (i >= text.size() || text[i] < '0' || text[i] > '9') return false;
  if (text[i] == '0' && i + 1 < text.size() && text[i + 1] != '.') return false;
  while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i;
  if (i < text.size() && text[i] == '.') {
    ++i;
    if (i >= text.size()) return false;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i;
  }
  return i == text.size();
}

std::string Joined(const VarnexCell& cell) {
  std::string text;
  for (size_t i = 0; i < cell.size(); ++i) {
    if (i > 0) text += ", ";
    text += cell[i];
  }
  return text;
}

}  // namespace

std::string VarnexJsonString(std::string_view text) {
  std::string out = "\"";
  for (char ch : text) {
    const auto c = static_cast<unsigned char>(ch);
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        if (c < 0x20) {
          static const char* kHex = "0123456789abcdef";
          out += "\\u00";
          out += kHex[c >> 4];
          out += kHex[c & 15];
        } else {
          out += ch;
        }
    }
  }
  return out + "\"";
}

std::string VarnexOutput::Text(std::string_view sjis) const {
  return raw_ ? std::string(sjis) : VSjisToUtf8(sjis);
}

void VarnexOutput::Line(std::string_view sjis) { Put(Text(sjis) + "\n"); }

void VarnexOutput::Begin(std::vector<VarnexColumn> columns) {
  columns_ = std::move(columns);
  table_.clear();
  if (format_ != VarnexFormat::kTsv) return;
  std::string header;
  for (size_t i = 0; i < columns_.size(); ++i) {
    if (i > 0) header += '\t';
    header += TsvField({columns_[i].title});
  }
  Put(Text(header) + "\n");
}

std::string VarnexOutput::TsvField(const VarnexCell& cell) const {
  std::string text;
  for (size_t v = 0; v < cell.size(); ++v) {
    if (v > 0) text += ';';
    for (char c : cell[v]) {
      switch (c) {
        case '\t':
          text += "\\t";
          break;
        case '\n':
          text += "\\n";
          break;
        case '\r':
          text += "\\r";
          break;
        case '\\':
          text += "\\\\";
          break;
        case ';':
          text += "\\;";
          break;
        default:
          text += c;
      }
    }
  }
  return text;
}

std::string VarnexOutput::JsonValue(const std::string& sjis, bool numeric) const {
  if (numeric && IsJsonNumber(sjis)) return sjis;
  return VarnexJsonString(Text(sjis));
}

void VarnexOutput::Row(const std::vector<VarnexCell>& cells) {
  switch (format_) {
    case VarnexFormat::kTable: {
      std::vector<std::string> row;
      for (const VarnexCell& cell : cells) row.push_back(Joined(cell));
      table_.push_back(std::move(row));
      return;
    }
    case VarnexFormat::kTsv: {
      std::string line;
      for (size_t i = 0; i < cells.size(); ++i) {
        if (i > 0) line += '\t';
        line += TsvField(cells[i]);
      }
      Put(Text(line) + "\n");
      return;
    }
    case VarnexFormat::kJson: {
      std::string line = "{";
      bool first = true;
      for (size_t i = 0; i < cells.size() && i < columns_.size(); ++i) {
        const VarnexCell& cell = cells[i];
        if (cell.empty()) continue;
        if (!first) line += ", ";
        first = false;
        line += VarnexJsonString(columns_[i].key) + ": ";
        if (cell.size() == 1) {
          line += JsonValue(cell[0], columns_[i].numeric);
        } else {
          line += "[";
          for (size_t v = 0; v < cell.size(); ++v) {
            if (v > 0) line += ", ";
            line += JsonValue(cell[v], columns_[i].numeric);
          }
          line += "]";
        }
      }
      Put(line + "}\n");
      return;
    }
  }
}

void VarnexOutput::End() {
  if (format_ == VarnexFormat::kTable) {
    std::vector<size_t> widths(columns_.size(), 0);
    for (size_t i = 0; i < columns_.size(); ++i) widths[i] = columns_[i].title.size();
    for (const auto& row : table_) {
      for (size_t i = 0; i < row.size() && i < widths.size(); ++i) {
        widths[i] = std::max(widths[i], row[i].size());
      }
    }
    auto write = [&](const std::vector<std::string>& row) {
      std::string line;
      for (size_t i = 0; i < row.size() && i < widths.size(); ++i) {
        if (i > 0) line += "  ";
        const std::string pad(widths[i] - row[i].size(), ' ');
        line += columns_[i].numeric ? pad + row[i] : row[i] + pad;
      }
      while (!line.empty() && line.back() == ' ') line.pop_back();
      Line(line);
    };
    std::vector<std::string> titles;
    std::vector<std::string> rules;
    for (size_t i = 0; i < columns_.size(); ++i) {
      titles.push_back(columns_[i].title);
      rules.push_back(std::string(widths[i], '-'));
    }
    write(titles);
    write(rules);
    for (const auto& row : table_) write(row);
  }
  table_.clear();
  std::fflush(out_);
}
