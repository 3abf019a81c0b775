// The general tokenizer for bracketed texts (configuration lines and other engine texts).
//
// A text is cut into a tree of tokens: "(", "[" and "{" open a group that ends at the matching
// closing bracket; a double quote or an apostrophe starts a string that ends at the same quote;
// each of "*", "+", "-", "/", ":" and "=" is an operator token of one character; anything else is
// a word. Words end at a space or control byte, a comma, a bracket, a quote or an operator
// character. Spaces, control bytes and commas only separate tokens. A Shift-JIS double-byte
// character is never split, so a trail byte that looks like "[" or "}" belongs to its character.
//
// Any bytes tokenize without failing: a string or group left open ends at the end of the text, and
// a closing bracket that does not match the innermost open group is ignored.
//
// Tokens are also numbered in one flat order: a group takes a position for its opening bracket,
// its members, and one for its closing bracket (members plus 2), so every token can be fetched by
// position in constant time.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/VObj.h"

enum VTTKind : int16_t {
  kVTTWord = 1,
  kVTTString = 2,
  kVTTGroupStart = 3,
  kVTTGroupEnd = 4,
  kVTTOperator = 5,
};

// One token. Its text lies in the owning VTT's copy of the source and lives as long as the VTT.
class VTTToken : public VObj {
 public:
  VTTToken(const std::string& source, uint32_t start, uint32_t length)
      : source_(source), start_(start), length_(length) {}

  virtual VTTKind Kind() const { return kVTTWord; }
  // Positions the token takes in the flat order.
  virtual int32_t Count() const { return 1; }
  // A word or operator as written; a string without its quotes; a group's inside without its
  // brackets.
  std::string_view Text() const { return std::string_view(source_).substr(start_, length_); }
  // Appends the token as it is written: a string with its quotes, a group with its brackets.
  virtual void WriteBack(std::string* out) const { out->append(Text()); }
  // Offset of Text() in the source.
  uint32_t Start() const { return start_; }

 protected:
  friend class VTT;
  const std::string& source_;
  uint32_t start_;
  uint32_t length_;
};

class VTTOpr : public VTTToken {
 public:
  using VTTToken::VTTToken;
  VTTKind Kind() const override { return kVTTOperator; }
  uint8_t Operator() const { return static_cast<uint8_t>(source_[start_]); }
};

class VTTString : public VTTToken {
 public:
  VTTString(const std::string& source, uint32_t start, uint32_t length, uint8_t quote, bool closed)
      : VTTToken(source, start, length), quote_(quote), closed_(closed) {}
  VTTKind Kind() const override { return kVTTString; }
  void WriteBack(std::string* out) const override;
  uint8_t Quote() const { return quote_; }
  // False when the text ended before the closing quote.
  bool IsClosed() const { return closed_; }

 private:
  uint8_t quote_;
  bool closed_;
};

class VTTGroup : public VTTToken {
 public:
  VTTGroup(const std::string& source, uint32_t start, uint8_t opener, uint8_t closer)
      : VTTToken(source, start, 0), opener_(opener), closer_(closer) {}
  VTTKind Kind() const override { return kVTTGroupStart; }
  int32_t Count() const override { return count_ + 2; }
  void WriteBack(std::string* out) const override;

  uint8_t Opener() const { return opener_; }
  uint8_t Closer() const { return closer_; }
  // False when the text ended before the closing bracket.
  bool IsClosed() const { return closed_; }
  int32_t MemberCount() const { return static_cast<int32_t>(members_.size()); }
  const VTTToken* Member(int32_t index) const { return members_[index].get(); }

 private:
  friend class VTT;
  uint8_t opener_;
  uint8_t closer_;
  bool closed_ = false;
  int32_t count_ = 0;  // flat positions of the members, nested groups included
  std::vector<std::unique_ptr<VTTToken>> members_;
};

class VTT {
 public:
  VTT(const void* text, uint32_t length);
  explicit VTT(std::string_view text) : VTT(text.data(), static_cast<uint32_t>(text.size())) {}
  VTT(const VTT&) = delete;
  VTT& operator=(const VTT&) = delete;

  // Positions in the flat order.
  int32_t Count() const { return static_cast<int32_t>(flat_.size()); }
  // Kind at a position; 0 outside 0..Count()-1.
  VTTKind KindAt(int32_t position) const;
  // The token at a position (a group for both its start and its end), or null.
  const VTTToken* TokenAt(int32_t position) const;
  // The text at a position: a group's start and end give their bracket.
  std::string_view TextAt(int32_t position) const;
  // The position that closes the group opened at position (or opens the group closed there);
  // -1 for other kinds.
  int32_t MatchAt(int32_t position) const;

  // The top-level tokens.
  int32_t MemberCount() const { return static_cast<int32_t>(members_.size()); }
  const VTTToken* Member(int32_t index) const { return members_[index].get(); }

 private:
  struct Entry {
    VTTKind kind;
    int32_t match;
    VTTToken* token;
  };
  void Parse();

  std::string text_;
  std::vector<std::unique_ptr<VTTToken>> members_;
  std::vector<Entry> flat_;
};
