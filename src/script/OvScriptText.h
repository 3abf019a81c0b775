// The two readers under every script: the statement reader, which cuts a script into statements
// (dropping line breaks and "//" comments, keeping a ";" inside parentheses), and the token reader,
// which cuts one statement into command names, words, quoted strings and punctuation. Both walk
// Shift-JIS text a character at a time, so that the trail byte of a double-byte character is never
// taken for punctuation, and neither ever reads past the text it is given.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

class OvStatementReader {
 public:
  explicit OvStatementReader(std::string_view script) : text_(script) {}

  // The next statement, with its line breaks and comments removed; false when none is left (only
  // line breaks and comments remain). A statement ends after a ";" outside parentheses or at the
  // end of the script; an unclosed "(" runs to the end of the script.
  bool Next(std::string* statement);

 private:
  // Skips line breaks and comments (a comment runs to its line's end).
  void SkipBreaksAndComments();
  bool AtComment() const;
  // Appends the character at the position (both bytes of a double-byte one) and moves past it.
  void TakeChar(std::string* out);

  std::string_view text_;
  size_t pos_ = 0;
};

struct OvScriptToken {
  enum Kind : uint8_t {
    kEnd,     // nothing left in the statement
    kWord,    // letters, digits, "_" and double-byte characters, or "@", "#", "$" and such
    kQuoted,  // a quoted string, with its quotes (the closing one may be missing)
    kPunct,   // one of ( ) , ; = [ ]
    kNone,    // a character that no token takes; it is left unread
  };
  Kind kind = kEnd;
  std::string_view text;

  bool Is(char punct) const { return kind == kPunct && text.size() == 1 && text[0] == punct; }
  // Digits only: a numeric value of a parameter list.
  bool IsNumber() const;
};

class OvTokenReader {
 public:
  explicit OvTokenReader(std::string_view statement) : text_(statement) {}

  // Skips blanks and tabs and reads one token. A character that no token takes gives a kNone
  // token and stays unread: the caller decides whether to skip it (SkipChar) or stop.
  OvScriptToken Next();
  // Steps over one character (both bytes of a double-byte one).
  void SkipChar();
  // The unread rest of the statement.
  std::string_view Rest() const { return text_.substr(pos_); }
  size_t Position() const { return pos_; }

 private:
  std::string_view text_;
  size_t pos_ = 0;
};

// Trims blanks, tabs and control bytes from both ends, then, when at least two bytes are left and
// they begin and end with the same quote character, every such quote from both ends.
std::string OvTrimValue(std::string_view text);
// Whether two texts are equal ignoring ASCII letter case.
bool OvSameWord(std::string_view a, std::string_view b);
