// VDelimited: the delimited text in which records travel between files and the database. It is the
// one reader and writer of that text: the varnex tool's import and export and the player's data
// input and output both go through it.
//
// The text. Records end at the record terminator, items at the item terminator, and several values
// of one item are separated by the repeat terminator. Each terminator is a byte string; where more
// than one matches at a position the longest wins (the record terminator first among equals, then
// the item terminator). Records may instead end at any line end (a line feed, with or without a
// carriage return before it), or not at all (the text of one value split into parts).
//
// Quoting. A value whose first byte (after blanks) is a double quote, or an apostrophe where the
// syntax allows it, is quoted: it runs to the matching quote, terminators included, and the quote
// written twice inside stands for one quote. Bytes between the closing quote and the next
// terminator are kept after the quoted text, without blanks at their end. An unquoted value loses
// blanks and control bytes (every byte up to 0x20) at both ends. An opening quote that no quote
// closes before the end of the text is an error (kVUnmatchedQuote): it would otherwise swallow
// every record after it.
//
// Shift-JIS. A lead byte and the byte after it are always taken together, so a terminator byte that
// is the second byte of a character never ends anything. Whether the bytes are valid Shift-JIS is
// the caller's question (VIsSjisText).
//
// The reader reads text in memory (which must outlive it) or a file in pieces, so that its memory
// does not grow with the file; a single value is limited to kVDelimitedMaxValue bytes.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/VBase.h"

class VFile;

// A quoted value that no quote closes before the end of the text.
constexpr VResult kVUnmatchedQuote = -215;
// Bytes that are not Shift-JIS text.
constexpr VResult kVNotSjisText = -216;
// A binary value's text that is not base64.
constexpr VResult kVNotBase64 = -217;
// A value longer than kVDelimitedMaxValue bytes.
constexpr VResult kVDelimitedValueTooLong = -218;
// A transfer that the person stopped.
constexpr VResult kVTransferCancelled = -219;

constexpr size_t kVDelimitedMaxValue = size_t{64} << 20;

struct VDelimitedSyntax {
  std::string record = "\r\n";  // empty: no record terminator (unless anyLineEnd)
  std::string item = ",";
  std::string repeat = "\t";
  bool anyLineEnd = false;   // with an empty record: LF, or CR LF, ends a record
  bool apostrophes = false;  // an apostrophe opens a quoted value as well
};

// Whether text can be written and read back under the syntax: the item and repeat terminators are
// not empty, and no terminator holds a quote that opens a quoted value (a terminator could not be
// told from the quote).
bool VDelimitedSyntaxUsable(const VDelimitedSyntax& syntax);

class VDelimitedReader {
 public:
  // What ended a value: the repeat terminator, the item terminator, the record terminator (which
  // ends the item too), or the end of the text.
  enum End : uint8_t { kValueEnd, kItemEnd, kRecordEnd, kInputEnd };

  VDelimitedReader(std::string_view text, VDelimitedSyntax syntax);
  // Reads an open file from its start, in pieces.
  VDelimitedReader(VFile& file, VDelimitedSyntax syntax);
  ~VDelimitedReader();
  VDelimitedReader(const VDelimitedReader&) = delete;
  VDelimitedReader& operator=(const VDelimitedReader&) = delete;

  // Reads the next value (text null: reads it and drops it). An empty unquoted value is what lies
  // between two terminators that follow each other. Answers kVOk, kVUnmatchedQuote,
  // kVDelimitedValueTooLong or the file's read error; after a failure the reader is spent.
  VResult NextValue(std::string* text, bool* quoted, End* end);
  // Reads and drops the rest of the record, up to and including its record terminator.
  VResult SkipRecord();

  // A whole record as items of values, where an empty unquoted value is no value (so a blank line
  // is one item without values) and a quoted empty one is an empty value. kVEnd at the end of the
  // text, else as NextValue.
  struct Value {
    std::string text;
    bool quoted = false;
  };
  using Item = std::vector<Value>;
  VResult NextRecord(std::vector<Item>* items);
  // Whether no byte is left (a record terminator at the very end leaves none).
  bool AtEnd();
  // Bytes read so far, and the size of the text (for a file, its size when the reader began).
  int64_t Consumed() const { return base_ + static_cast<int64_t>(pos_); }
  int64_t Size() const { return size_; }
  // The line (from 1; line feeds counted) at which the next byte stands.
  int64_t Line();

 private:
  void Prepare();
  // Makes at least n bytes available from pos_ when the text still has them; false on a read
  // error.
  bool Ensure(size_t n);
  // The terminator at pos_ (its length, 0 for none) and what it ends.
  size_t TermAt(End* end) const;
  VResult ReadQuoted(char quote, std::string* text);
  void CountLines();

  std::string_view data_;
  size_t pos_ = 0;
  VDelimitedSyntax syntax_;
  VFile* file_ = nullptr;
  std::string buffer_;
  int64_t base_ = 0;  // offset in the file of data_[0]
  int64_t size_ = 0;
  bool eof_ = true;
  VResult failed_ = kVOk;
  size_t lookahead_ = 2;
  // Bytes that may begin a terminator; bytes a value's plain run stops at.
  bool termStart_[256] = {};
  bool stop_[256] = {};
  int64_t lines_ = 1;
  size_t linesAt_ = 0;  // data_ position up to which lines_ has counted
};

// Writes values so that the reader gives them back.
class VDelimitedWriter {
 public:
  explicit VDelimitedWriter(VDelimitedSyntax syntax);

  // Appends one value: between double quotes, with its double quotes doubled, when quote is set or
  // when it has to be - it is empty, begins or ends with a byte up to 0x20, begins with a quote of
  // either kind or with a byte found inside a terminator, ends with a lone lead byte or with the
  // start of a terminator, or holds a double quote, a carriage return, a line feed or a terminator
  // at a character boundary.
  void Append(std::string* out, std::string_view value, bool quote = false) const;
  const VDelimitedSyntax& Syntax() const { return syntax_; }

 private:
  bool NeedsQuotes(std::string_view value) const;

  VDelimitedSyntax syntax_;
  std::string terms_[3];             // record (CR LF for any line end), item, repeat
  std::array<bool, 256> special_{};  // bytes of a terminator, the double quote, CR and LF
  std::array<bool, 256> later_{};    // bytes found in a terminator after its first byte
};

// Whether bytes are Shift-JIS text: single bytes other than 0x80, 0xA0 and 0xFD to 0xFF, and lead
// bytes followed by a trail byte (0x40 to 0x7E, 0x80 to 0xFC). badAt receives the offset of the
// first byte that is not.
bool VIsSjisText(std::string_view bytes, size_t* badAt = nullptr);

// Reads every value of untrusted bytes under a syntax taken from their first bytes, checking the
// reader's promises (each call consumes bytes or ends, values never grow past the text); a fuzzing
// target's entry point. Answers the number of values read.
size_t VDelimitedExercise(const uint8_t* data, size_t size);
