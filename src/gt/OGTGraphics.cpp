#include "gt/OGTGraphics.h"

#include <algorithm>
#include <array>
#include <memory>
#include <vector>

#include "base/OvNamedObj.h"
#include "base/VSjis.h"
#include "base/VString.h"

namespace {

int32_t Wrap(int64_t value) { return static_cast<int32_t>(static_cast<uint32_t>(value)); }

struct NamedColor {
  const char* name;
  uint32_t rgb;
};

// Searched in this order; the first name that matches wins.
constexpr NamedColor kColorNames[] = {
    {"White", 0xFFFFFF},   {"Black", 0x000000},     {"Red", 0xFF0000},      {"Green", 0x00FF00},
    {"Blue", 0x0000FF},    {"Yellow", 0xFFFF00},    {"Purple", 0x800080},   {"Aqua", 0x00FFFF},
    {"Maroon", 0x800000},  {"Navy", 0x000080},      {"Olive", 0x808000},    {"Teal", 0x008080},
    {"Gray", 0x808080},    {"Silver", 0xC0C0C0},    {"Lime", 0x00FF00},     {"Fuchsia", 0xFF00FF},
    {"DimGray", 0x696969}, {"SlateGray", 0x708090}, {"DarkGray", 0xA9A9A9}, {"Gainsboro", 0xDCDCDC},
};

// The colour names as named objects, so that a name compares with case and width folding.
const std::vector<std::unique_ptr<OvNamedObj>>& ColorNames() {
  static const std::vector<std::unique_ptr<OvNamedObj>> names = [] {
    std::vector<std::unique_ptr<OvNamedObj>> made;
    for (const NamedColor& named : kColorNames)
      made.push_back(std::make_unique<OvNamedObj>(named.name));
    return made;
  }();
  return names;
}

bool IsHexDigit(uint8_t b) {
  return VIsDigit(b) || (b >= 'a' && b <= 'f') || (b >= 'A' && b <= 'F');
}

}  // namespace

void OGTPoint::Offset(int32_t dx, int32_t dy) {
  x_ = Wrap(int64_t{x_} + dx);
  y_ = Wrap(int64_t{y_} + dy);
}

OGTRect::OGTRect(const OGTPoint& p1, const OGTPoint& p2)
    : top_(p1.Y()), left_(p1.X()), bottom_(p2.Y()), right_(p2.X()) {}

int32_t OGTRect::Width() const { return Wrap(int64_t{right_} - left_); }
int32_t OGTRect::Height() const { return Wrap(int64_t{bottom_} - top_); }

void OGTRect::Set(int32_t top, int32_t left, int32_t bottom, int32_t right) {
  top_ = top;
  left_ = left;
  bottom_ = bottom;
  right_ = right;
}

void OGTRect::Offset(int32_t dx, int32_t dy) {
  top_ = Wrap(int64_t{top_} + dy);
  bottom_ = Wrap(int64_t{bottom_} + dy);
  left_ = Wrap(int64_t{left_} + dx);
  right_ = Wrap(int64_t{right_} + dx);
}

void OGTRect::Inset(int32_t dx, int32_t dy) {
  if (dx != 0) {
    left_ = Wrap(int64_t{left_} + dx);
    right_ = Wrap(int64_t{right_} - dx);
    if (right_ < left_) right_ = left_;
  }
  if (dy != 0) {
    top_ = Wrap(int64_t{top_} + dy);
    bottom_ = Wrap(int64_t{bottom_} - dy);
    if (bottom_ < top_) bottom_ = top_;
  }
}

void OGTRect::CollapseToCentre() {
  top_ = bottom_ = Wrap(top_ + ((int64_t{bottom_} - top_) >> 1));
  left_ = right_ = Wrap(left_ + ((int64_t{right_} - left_) >> 1));
}

void OGTRect::Union(const OGTRect& other) {
  top_ = std::min(top_, other.top_);
  left_ = std::min(left_, other.left_);
  bottom_ = std::max(bottom_, other.bottom_);
  right_ = std::max(right_, other.right_);
}

void OGTRect::Intersect(const OGTRect& other) {
  top_ = std::max(top_, other.top_);
  left_ = std::max(left_, other.left_);
  bottom_ = std::min(bottom_, other.bottom_);
  right_ = std::min(right_, other.right_);
}

bool OGTRect::Overlaps(const OGTRect& r) const {
  return !(r.bottom_ < top_ || bottom_ < r.top_ || r.right_ < left_ || right_ < r.left_);
}

bool OGTRect::Contains(const OGTPoint& p) const {
  return top_ <= p.Y() && p.Y() <= bottom_ && left_ <= p.X() && p.X() <= right_;
}

bool OGTRect::IsEmpty(bool strict) const {
  if (strict) return top_ >= bottom_ || left_ >= right_;
  return bottom_ < top_ || right_ < left_;
}

void OGTColor::Parse(const char* text, size_t length) {
  if (text == nullptr || length == 0) return;
  const auto* bytes = reinterpret_cast<const uint8_t*>(text);
  if (bytes[0] == '#') {
    if (length < 2) return;
    uint32_t value = 0;
    for (size_t i = 1; i < length && IsHexDigit(bytes[i]); ++i) {
      value = value * 16 + static_cast<uint32_t>(VHexDigit(bytes[i]));
    }
    value_ = value | 0xFF000000u;
    return;
  }
  if (length > INT32_MAX) return;
  // Letter case and width are both folded: "red", "RED" and the full-width "ＲＥＤ" are red.
  const auto& names = ColorNames();
  for (size_t i = 0; i < names.size(); ++i) {
    if (names[i]->EqualsCountedName(text, static_cast<int32_t>(length), true, true)) {
      SetRGB(kColorNames[i].rgb);
      return;
    }
  }
}

OGTFont::OGTFont(std::string_view face, int16_t size, uint16_t style, int16_t attribute,
                 const OGTColor& color)
    : face_(face), size_(size), style_(style), attribute_(attribute), color_(color) {}

void OGTFont::SetSizeFromText(const char* text, size_t length) {
  if (text == nullptr || length == 0) {
    size_ = kDefaultSize;
    return;
  }
  int32_t value = VString(text, static_cast<uint32_t>(length)).ToInteger();
  size_ = (value > 31999 || value < INT16_MIN) ? kDefaultSize : static_cast<int16_t>(value);
}

void OGTFont::SetColorFromText(const char* text, size_t length) {
  OGTColor color;
  color.Parse(text, length);
  color_ = color;
}

const OGTFont& OGTPredefinedFont(int index) {
  static const std::array<OGTFont, 8> fonts = {
      OGTFont("", 0, 0, 0, colorBlack), OGTFont("", 0, 0, 1, colorBlack),
      OGTFont("", 0, 0, 2, colorBlack), OGTFont("", 0, 0, 3, colorBlack),
      OGTFont("", 9, 0, 0, colorBlack), OGTFont("", 9, 0, 1, colorBlack),
      OGTFont("", 9, 0, 2, colorBlack), OGTFont("", 9, 0, 3, colorBlack),
  };
  return fonts[(index >= 0 && index < 8) ? index : 0];
}
