// VarnexDelimited: the delimited text that varnex imports and exports. Records end at the record
// terminator (by default a line feed, with or without a carriage return before it), items at the
// item terminator (","), and several values of one item are separated by the repeat terminator
// (a tab). A value that holds a terminator, a double quote, or blanks at either end, or that is
// empty, is written between double quotes with its double quotes doubled; on reading, a value
// that begins with a double quote runs to the closing one, terminators included, and unquoted
// values lose their blanks at either end; an empty unquoted value is no value.
//
// The reader refers to the text it is given, which must outlive it.
//
// The text is Shift-JIS: a double-byte character is read whole, so a terminator byte that is the
// second byte of a character never ends anything.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct VarnexTerms {
  std::string item = ",";
  std::string repeat = "\t";
  std::string record;  // empty: LF or CR LF
};

// A terminator as written on the command line: "CRLF", "CR", "LF", "TAB" (any case), or the text
// itself with the escapes \t, \r, \n and \\. False for an empty terminator.
bool VarnexParseTerm(std::string_view text, std::string* out);

class VarnexDelimitedReader {
 public:
  struct Value {
    std::string text;
    bool quoted = false;
  };
  using Item = std::vector<Value>;

  VarnexDelimitedReader(std::string_view data, VarnexTerms terms)
      : data_(data), terms_(std::move(terms)) {}

  // The next record's items; false at the end of the data.
  bool Next(std::vector<Item>* items);
  size_t Position() const { return pos_; }
  // The line on which the record read last began, from 1.
  int64_t RecordLine() const { return recordLine_; }

 private:
  // Length of the terminator at pos_, or 0.
  size_t RecordTermAt() const;
  size_t TermAt(const std::string& term) const;
  void ReadQuoted(std::string* text);
  void Step(std::string* text);

  std::string_view data_;
  VarnexTerms terms_;
  size_t pos_ = 0;
  int64_t line_ = 1;
  int64_t recordLine_ = 0;
};

// One value as written: quoted when it needs to be.
std::string VarnexDelimitedValue(std::string_view text, const VarnexTerms& terms);
// The record terminator written on export.
inline std::string VarnexRecordTerm(const VarnexTerms& terms) {
  return terms.record.empty() ? "\n" : terms.record;
}
