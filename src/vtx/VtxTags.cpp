#include "vtx/VtxTags.h"

#include "base/VSjis.h"
#include "gt/OGTGraphics.h"
#include "vtx/VtxStyleStack.h"

namespace {

std::unique_ptr<VtxTags>& Registry() {
  static std::unique_ptr<VtxTags> registry;
  return registry;
}

size_t SkipBlanks(std::string_view text, size_t i) {
  while (i < text.size() && VtxIsBlank(static_cast<uint8_t>(text[i]))) ++i;
  return i;
}

bool HasBlank(std::string_view text) {
  for (char c : text) {
    if (VtxIsBlank(static_cast<uint8_t>(c))) return true;
  }
  return false;
}

}  // namespace

VtxTagText VtxParseTagText(std::string_view text) {
  VtxTagText tag;
  size_t i = SkipBlanks(text, 0);
  if (i < text.size() && text[i] == '/') {
    tag.closing = true;
    i = SkipBlanks(text, i + 1);
  }
  const size_t start = i;
  while (i < text.size() && text[i] != '/' && !VtxIsBlank(static_cast<uint8_t>(text[i]))) ++i;
  tag.name = text.substr(start, i - start);
  if (tag.closing) return tag;
  if (i < text.size() && text[i] == '/') {
    tag.empty = true;
    return tag;
  }
  tag.rest = text.substr(i);
  return tag;
}

// ---- VtxTagBase ----

VtxTagBase::VtxTagBase(int16_t kind, const char* name) : kind_(kind), name_(name) {}

VtxTagBase::~VtxTagBase() = default;

bool VtxTagBase::NameMatches(std::string_view name) const {
  if (name.size() != name_.size()) return false;
  for (size_t i = 0; i < name.size(); ++i) {
    if (VToUpper(static_cast<uint8_t>(name[i])) != VToUpper(static_cast<uint8_t>(name_[i]))) {
      return false;
    }
  }
  return true;
}

int VtxTagBase::Match(const VtxTagText& tag, std::string* value) const {
  value->clear();
  if (!NameMatches(tag.name)) return kVtxNoMatch;
  if (tag.closing) return MatchClose(tag) ? kVtxClosing : kVtxNoMatch;
  if (tag.empty) return kVtxEmpty;
  return ReadValue(tag.rest, value) ? kVtxOpening : kVtxNoMatch;
}

bool VtxTagBase::ReadValue(std::string_view rest, std::string* value) const {
  value->clear();
  size_t i = SkipBlanks(rest, 0);
  if (i == rest.size()) return true;
  const char first = rest[i];
  if (first == '"' || first == '\'') {
    const size_t close = rest.find(first, i + 1);
    if (close == std::string_view::npos) return false;
    value->assign(rest.substr(i + 1, close - i - 1));
    return true;
  }
  size_t end = i;
  while (end < rest.size() && !VtxIsBlank(static_cast<uint8_t>(rest[end]))) ++end;
  value->assign(rest.substr(i, end - i));
  return true;
}

bool VtxTagBase::MatchClose(const VtxTagText& tag) const {
  return tag.closing && NameMatches(tag.name);
}

void VtxTagBase::WriteOpen(std::string_view value, std::string* out) const {
  out->push_back('<');
  out->append(name_);
  if (!value.empty()) {
    out->push_back(' ');
    // name, blank, two quotes and the value must fit the tag text that is read back.
    const bool fitsQuoted = name_.size() + 3 + value.size() <= kVtxMaxTagText;
    const bool bare = !HasBlank(value) && value[0] != '"' && value[0] != '\'';
    if (value.find('"') == std::string_view::npos && (fitsQuoted || !bare)) {
      out->push_back('"');
      out->append(value);
      out->push_back('"');
    } else if (bare) {
      out->append(value);
    } else {
      out->push_back('\'');
      out->append(value);
      out->push_back('\'');
    }
  }
  out->push_back('>');
}

void VtxTagBase::WriteClose(std::string* out) const {
  out->append("</");
  out->append(name_);
  out->push_back('>');
}

void VtxTagBase::Apply(std::string_view /*value*/, OGTFont* /*font*/) const {}

// ---- the tag classes ----

void VtxTagSize::Apply(std::string_view value, OGTFont* font) const {
  if (!value.empty()) font->SetSizeFromText(value.data(), value.size());
}

void VtxTagColor::Apply(std::string_view value, OGTFont* font) const {
  if (!value.empty()) font->SetColorFromText(value.data(), value.size());
}

void VtxTagFace::Apply(std::string_view value, OGTFont* font) const {
  if (!value.empty()) font->SetFace(value);
}

void VtxTagStyleBit::Apply(std::string_view /*value*/, OGTFont* font) const {
  font->SetStyle(static_cast<uint16_t>(font->Style() | bit_));
}

VtxTagBold::VtxTagBold() : VtxTagStyleBit(kVtxTagBold, "B", kOGTBold) {}
VtxTagItalic::VtxTagItalic() : VtxTagStyleBit(kVtxTagItalic, "I", kOGTItalic) {}
VtxTagUline::VtxTagUline() : VtxTagStyleBit(kVtxTagUline, "U", kOGTUnderline) {}
VtxTagSline::VtxTagSline() : VtxTagStyleBit(kVtxTagSline, "S", kOGTStrikeThrough) {}
VtxTagSUP::VtxTagSUP() : VtxTagStyleBit(kVtxTagSUP, "SUP", kOGTSuperscript) {}
VtxTagSUB::VtxTagSUB() : VtxTagStyleBit(kVtxTagSUB, "SUB", kOGTSubscript) {}

int VtxTagUnknown::Match(const VtxTagText& tag, std::string* value) const {
  value->clear();
  // Every tag has a name; "<>" and "< />" are no tags.
  if (tag.name.empty()) return kVtxNoMatch;
  if (tag.closing) return kVtxClosing;
  if (tag.empty) return kVtxEmpty;
  return ReadValue(tag.rest, value) ? kVtxOpening : kVtxNoMatch;
}

bool VtxTagUnknown::ReadValue(std::string_view rest, std::string* value) const {
  value->clear();
  return SkipBlanks(rest, 0) == rest.size();
}

// ---- the registry ----

VtxTags::VtxTags() {
  tags_.push_back(std::make_unique<VtxTagSize>());
  tags_.push_back(std::make_unique<VtxTagColor>());
  tags_.push_back(std::make_unique<VtxTagFace>());
  tags_.push_back(std::make_unique<VtxTagReference>());
  tags_.push_back(std::make_unique<VtxTagBold>());
  tags_.push_back(std::make_unique<VtxTagItalic>());
  tags_.push_back(std::make_unique<VtxTagUline>());
  tags_.push_back(std::make_unique<VtxTagSline>());
  tags_.push_back(std::make_unique<VtxTagSUP>());
  tags_.push_back(std::make_unique<VtxTagSUB>());
  tags_.push_back(std::make_unique<VtxTagImage>());
  tags_.push_back(std::make_unique<VtxTagBreak>());
  tags_.push_back(std::make_unique<VtxTagUnknown>());
}

VtxTags& VtxTags::Instance() {
  std::unique_ptr<VtxTags>& registry = Registry();
  if (!registry) registry.reset(new VtxTags());
  return *registry;
}

void VtxTags::Release() { Registry().reset(); }

int VtxTags::Match(std::string_view tagText, int16_t* kind, std::string* value) const {
  const VtxTagText tag = VtxParseTagText(tagText);
  for (const auto& candidate : tags_) {
    const int match = candidate->Match(tag, value);
    if (match != kVtxNoMatch) {
      *kind = candidate->Kind();
      return match;
    }
  }
  *kind = 0;
  value->clear();
  return kVtxNoMatch;
}

const VtxTagBase* VtxTags::Find(int16_t kind) const {
  for (const auto& tag : tags_) {
    if (tag->Kind() == kind) return tag.get();
  }
  return nullptr;
}

void VtxTags::WriteOpen(int16_t kind, std::string_view value, std::string* out) const {
  const VtxTagBase* tag = Find(kind);
  if (tag != nullptr && !tag->Name().empty()) tag->WriteOpen(value, out);
}

void VtxTags::WriteClose(int16_t kind, std::string* out) const {
  const VtxTagBase* tag = Find(kind);
  if (tag != nullptr && !tag->Name().empty()) tag->WriteClose(out);
}

void VtxTags::Apply(int16_t kind, std::string_view value, OGTFont* font) const {
  if (const VtxTagBase* tag = Find(kind)) tag->Apply(value, font);
}

void VtxTags::ApplyStyle(std::string_view style, OGTFont* font) const {
  size_t pos = 0;
  int16_t kind = 0;
  std::string_view value;
  while (VtxNextEntry(style, &pos, &kind, &value)) Apply(kind, value, font);
}
