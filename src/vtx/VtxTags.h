// The tags of the styled-text markup: their vocabulary, the syntax of a tag, and what each tag does
// to a font.
//
// A tag is "<", the tag text, and ">". In the tag text blanks are skipped, a leading "/" makes a
// closing tag, the name runs to the first blank or "/" (a "/" there makes an empty element such as
// "<BR/>"), and an opening tag may carry one value after its name: in double or single quotes (to
// the matching quote; blanks allowed) or bare (to the next blank). Names compare without regard to
// letter case and must have the same length ("B" does not match "BR"). A tag whose name no known
// tag has is an unknown tag: it matches as an opening tag without value, as a closing tag or as an
// empty element; with anything after its name it does not match at all.
//
// The tag text is scanned byte by byte: the bytes that delimit it (blanks, "/", quotes, ">") are
// never the second byte of a double-byte character, so a well-formed text reads the same as it
// would character by character, and a malformed one reads the same way each time.
//
// The registry VtxTags holds one object of each tag class, in matching order; it is made on first
// use and lives until Release (or the end of the process).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/VObj.h"

class OGTFont;

// The longest tag text read between "<" and ">".
constexpr size_t kVtxMaxTagText = 256;

// Tag kinds.
enum VtxTagKind : int16_t {
  kVtxTagSize = 1,
  kVtxTagColor = 2,
  kVtxTagFace = 3,
  kVtxTagReference = 4,
  kVtxTagBold = 5,
  kVtxTagItalic = 6,
  kVtxTagUline = 7,
  kVtxTagSline = 8,
  kVtxTagSUP = 9,
  kVtxTagSUB = 10,
  kVtxTagImage = 11,
  kVtxTagBreak = 12,
  kVtxTagUnknown = 31,
};

// What a tag text is.
enum VtxMatch : int { kVtxNoMatch = 0, kVtxOpening = 1, kVtxClosing = 2, kVtxEmpty = 3 };

// A tag text taken apart.
struct VtxTagText {
  bool closing = false;
  bool empty = false;
  std::string_view name;
  // What follows the name of a tag that is neither closing nor empty.
  std::string_view rest;
};

// Takes the text between "<" and ">" apart.
VtxTagText VtxParseTagText(std::string_view text);

// Blank bytes inside tags: space, tab, carriage return and line feed.
constexpr bool VtxIsBlank(uint8_t b) { return b == ' ' || b == '\t' || b == '\r' || b == '\n'; }

class VtxTagBase : public VObj {
 public:
  VtxTagBase(int16_t kind, const char* name);
  ~VtxTagBase() override;

  int16_t Kind() const { return kind_; }
  const std::string& Name() const { return name_; }

  // kVtxOpening (value set), kVtxClosing, kVtxEmpty or kVtxNoMatch.
  virtual int Match(const VtxTagText& tag, std::string* value) const;
  // The value after an opening tag's name; false for a quoted value without its closing quote.
  // Text of blanks only is no value (an empty one).
  virtual bool ReadValue(std::string_view rest, std::string* value) const;
  virtual bool MatchClose(const VtxTagText& tag) const;
  // "<" name, then the value when it is not empty, then ">". The value is written in double quotes
  // when it allows them and the tag text stays within kVtxMaxTagText bytes, else in the one form
  // that reads it back unchanged (bare, or in single quotes).
  virtual void WriteOpen(std::string_view value, std::string* out) const;
  // "</" name ">".
  virtual void WriteClose(std::string* out) const;
  // What the tag does to the font of the text inside it; the base does nothing.
  virtual void Apply(std::string_view value, OGTFont* font) const;

 protected:
  bool NameMatches(std::string_view name) const;

 private:
  int16_t kind_;
  std::string name_;
};

// "SIZE": the value sets the font size.
class VtxTagSize : public VtxTagBase {
 public:
  VtxTagSize() : VtxTagBase(kVtxTagSize, "SIZE") {}
  void Apply(std::string_view value, OGTFont* font) const override;
};

// "COLOR": the value sets the text colour (a name, or "#" and hexadecimal digits).
class VtxTagColor : public VtxTagBase {
 public:
  VtxTagColor() : VtxTagBase(kVtxTagColor, "COLOR") {}
  void Apply(std::string_view value, OGTFont* font) const override;
};

// "FACE": the value names the face.
class VtxTagFace : public VtxTagBase {
 public:
  VtxTagFace() : VtxTagBase(kVtxTagFace, "FACE") {}
  void Apply(std::string_view value, OGTFont* font) const override;
};

// "REF", "IMAGE" and "BR" used as an opening tag: kept in the style, no effect on the font.
class VtxTagReference : public VtxTagBase {
 public:
  VtxTagReference() : VtxTagBase(kVtxTagReference, "REF") {}
};

class VtxTagImage : public VtxTagBase {
 public:
  VtxTagImage() : VtxTagBase(kVtxTagImage, "IMAGE") {}
};

class VtxTagBreak : public VtxTagBase {
 public:
  VtxTagBreak() : VtxTagBase(kVtxTagBreak, "BR") {}
};

// The tags that add one style bit of the font.
class VtxTagStyleBit : public VtxTagBase {
 public:
  VtxTagStyleBit(int16_t kind, const char* name, uint16_t bit)
      : VtxTagBase(kind, name), bit_(bit) {}
  void Apply(std::string_view value, OGTFont* font) const override;

 private:
  uint16_t bit_;
};

class VtxTagBold : public VtxTagStyleBit {
 public:
  VtxTagBold();
};
class VtxTagItalic : public VtxTagStyleBit {
 public:
  VtxTagItalic();
};
class VtxTagUline : public VtxTagStyleBit {
 public:
  VtxTagUline();
};
class VtxTagSline : public VtxTagStyleBit {
 public:
  VtxTagSline();
};
class VtxTagSUP : public VtxTagStyleBit {
 public:
  VtxTagSUP();
};
class VtxTagSUB : public VtxTagStyleBit {
 public:
  VtxTagSUB();
};

// Any other name: an opening tag without value, a closing tag or an empty element.
class VtxTagUnknown : public VtxTagBase {
 public:
  VtxTagUnknown() : VtxTagBase(kVtxTagUnknown, "") {}
  int Match(const VtxTagText& tag, std::string* value) const override;
  bool ReadValue(std::string_view rest, std::string* value) const override;
};

class VtxTags {
 public:
  // The registry, made on first use.
  static VtxTags& Instance();
  // Destroys the registry; the next use makes it again.
  static void Release();

  // Tries the tags in order; the first that matches answers. kind and value receive the match.
  int Match(std::string_view tagText, int16_t* kind, std::string* value) const;
  // The tag of a kind, or null.
  const VtxTagBase* Find(int16_t kind) const;
  // Nothing for a kind without a tag.
  void WriteOpen(int16_t kind, std::string_view value, std::string* out) const;
  void WriteClose(int16_t kind, std::string* out) const;
  void Apply(int16_t kind, std::string_view value, OGTFont* font) const;
  // Every entry of a style applied in order.
  void ApplyStyle(std::string_view style, OGTFont* font) const;

  size_t Count() const { return tags_.size(); }
  const VtxTagBase& At(size_t index) const { return *tags_[index]; }

 private:
  VtxTags();

  std::vector<std::unique_ptr<VtxTagBase>> tags_;
};
