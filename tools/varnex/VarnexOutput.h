// VarnexOutput: how the varnex tool writes rows of values: aligned columns for a terminal
// ("table"), one tab-separated line per row ("tsv") or one JSON object per row ("json").
//
// Values arrive as the system's Shift-JIS bytes and leave as UTF-8 (or unchanged in raw mode).
// A cell holds any number of values: none (absent), one, or several (an item with several values).
// The table format keeps its rows until End to size the columns; a Shift-JIS double-byte character
// takes two columns on a terminal, as it takes two bytes, so widths are counted in those bytes.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

enum class VarnexFormat { kTable, kTsv, kJson };

struct VarnexColumn {
  std::string title;     // Shift-JIS, for table and tsv headers
  std::string key;       // the JSON member name (ASCII)
  bool numeric = false;  // right-aligned; a JSON number when the text is one
};

using VarnexCell = std::vector<std::string>;

class VarnexOutput {
 public:
  VarnexOutput(std::FILE* out, VarnexFormat format, bool raw)
      : out_(out), format_(format), raw_(raw) {}

  VarnexFormat Format() const { return format_; }
  bool Raw() const { return raw_; }
  // Shift-JIS text in the output's encoding.
  std::string Text(std::string_view sjis) const;
  // Writes Shift-JIS text and a line feed.
  void Line(std::string_view sjis);

  void Begin(std::vector<VarnexColumn> columns);
  void Row(const std::vector<VarnexCell>& cells);
  void End();

 private:
  void Put(const std::string& text) { std::fwrite(text.data(), 1, text.size(), out_); }
  std::string TsvField(const VarnexCell& cell) const;
  std::string JsonValue(const std::string& sjis, bool numeric) const;

  std::FILE* out_;
  VarnexFormat format_;
  bool raw_;
  std::vector<VarnexColumn> columns_;
  std::vector<std::vector<std::string>> table_;  // joined cells, Shift-JIS
};

// A JSON string literal of UTF-8 (or raw) text.
std::string VarnexJsonString(std::string_view text);
