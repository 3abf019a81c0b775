// The toolkit's plain graphic values: points, rectangles, colours and fonts. They compute without a
// platform side. Rectangles keep their edges in the order top, left, bottom, right and treat all
// four edges as inside; colours are 0xAARRGGBB words; every text is Shift-JIS bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

class OGTPoint {
 public:
  constexpr OGTPoint() = default;
  constexpr OGTPoint(int32_t x, int32_t y) : x_(x), y_(y) {}

  int32_t X() const { return x_; }
  int32_t Y() const { return y_; }
  void SetX(int32_t x) { x_ = x; }
  void SetY(int32_t y) { y_ = y; }
  void Set(int32_t x, int32_t y) {
    x_ = x;
    y_ = y;
  }
  void Offset(int32_t dx, int32_t dy);
  bool operator==(const OGTPoint& other) const = default;

 private:
  int32_t x_ = 0;
  int32_t y_ = 0;
};

// A rectangle whose four edges are inside it. Arithmetic wraps at 32 bits instead of overflowing.
class OGTRect {
 public:
  constexpr OGTRect() = default;
  constexpr OGTRect(int32_t top, int32_t left, int32_t bottom, int32_t right)
      : top_(top), left_(left), bottom_(bottom), right_(right) {}
  // p1 gives the top left corner, p2 the bottom right one.
  OGTRect(const OGTPoint& p1, const OGTPoint& p2);

  int32_t Top() const { return top_; }
  int32_t Left() const { return left_; }
  int32_t Bottom() const { return bottom_; }
  int32_t Right() const { return right_; }
  void SetTop(int32_t v) { top_ = v; }
  void SetLeft(int32_t v) { left_ = v; }
  void SetBottom(int32_t v) { bottom_ = v; }
  void SetRight(int32_t v) { right_ = v; }
  // Distances between opposite edges (right - left, bottom - top).
  int32_t Width() const;
  int32_t Height() const;

  void Set(int32_t top, int32_t left, int32_t bottom, int32_t right);
  void Clear() { Set(0, 0, 0, 0); }
  OGTPoint TopLeft() const { return OGTPoint(left_, top_); }
  OGTPoint BottomRight() const { return OGTPoint(right_, bottom_); }

  void Offset(int32_t dx, int32_t dy);
  // Moves each side inwards by dx (dy); a side pair that would cross meets at the near edge.
  void Inset(int32_t dx, int32_t dy);
  void CollapseToCentre();
  void MoveLeftTo(int32_t x) { Offset(static_cast<int32_t>(int64_t{x} - left_), 0); }
  void Union(const OGTRect& other);
  // The result of disjoint rectangles is left inverted (empty), not normalised.
  void Intersect(const OGTRect& other);
  // Rectangles that share only an edge overlap.
  bool Overlaps(const OGTRect& other) const;
  bool Contains(const OGTPoint& p) const;
  // Non-strict: bottom < top or right < left. Strict: no area at all.
  bool IsEmpty(bool strict) const;
  bool IsNotEmpty(bool strict) const { return !IsEmpty(strict); }

  bool operator==(const OGTRect& other) const = default;

 private:
  int32_t top_ = 0;
  int32_t left_ = 0;
  int32_t bottom_ = 0;
  int32_t right_ = 0;
};

// A colour as 0xAARRGGBB. Colours made from an RGB value are opaque (alpha 0xFF).
class OGTColor {
 public:
  constexpr OGTColor() = default;
  constexpr explicit OGTColor(uint32_t rgb) : value_(rgb | 0xFF000000u) {}

  void SetRGB(uint32_t rgb) { value_ = rgb | 0xFF000000u; }
  uint32_t Value() const { return value_; }
  uint8_t Red() const { return static_cast<uint8_t>(value_ >> 16); }
  uint8_t Green() const { return static_cast<uint8_t>(value_ >> 8); }
  uint8_t Blue() const { return static_cast<uint8_t>(value_); }
  // The colour as the platform takes it: 0x00BBGGRR.
  uint32_t PlatformValue() const {
    return (uint32_t{Blue()} << 16) | (uint32_t{Green()} << 8) | Red();
  }

  // "#" followed by hexadecimal digits, or one of the colour names, ignoring letter case and width
  // (full-width letters read as their ASCII ones). Text that is absent, empty, "#" alone or an
  // unknown name leaves the colour unchanged.
  void Parse(const char* text, size_t length);
  void Parse(std::string_view text) { Parse(text.data(), text.size()); }

  bool operator==(const OGTColor& other) const = default;

 private:
  uint32_t value_ = 0xFFFFFFFFu;
};

inline constexpr OGTColor colorBlack{0x000000};
inline constexpr OGTColor colorWhite{0xFFFFFF};
inline constexpr OGTColor colorRed{0xFF0000};
inline constexpr OGTColor colorGreen{0x00FF00};
inline constexpr OGTColor colorBlue{0x0000FF};
inline constexpr OGTColor colorCyan{0x00FFFF};
inline constexpr OGTColor colorMagenta{0xFF00FF};
inline constexpr OGTColor colorYellow{0xFFFF00};
inline constexpr OGTColor colorLightGray{0xC0C0C0};
inline constexpr OGTColor colorGray{0x808080};
inline constexpr OGTColor colorDarkGray{0x404040};
inline constexpr OGTColor colorOrange{0xFFC800};
inline constexpr OGTColor colorPink{0xFFAFAF};
inline constexpr OGTColor colorSkyBlue{0x99CCFF};
inline constexpr OGTColor colorPaleGray{0xDEDEDE};
inline constexpr OGTColor colorMidGray{0x999999};
inline constexpr OGTColor colorFaintGray{0xEEEEEE};

// Font style bits. The last four are honoured when text is drawn through a context.
enum OGTFontStyle : uint16_t {
  kOGTBold = 1,
  kOGTItalic = 2,
  kOGTUnderline = 4,
  kOGTStrikeThrough = 8,
  kOGTSuperscript = 16,
  kOGTSubscript = 32,
};

// A font description. An empty face name stands for the default face. The attribute is carried
// and copied but read by no drawing operation.
class OGTFont {
 public:
  OGTFont() = default;
  OGTFont(std::string_view face, int16_t size, uint16_t style, int16_t attribute,
          const OGTColor& color);

  const std::string& Face() const { return face_; }
  bool HasFace() const { return !face_.empty(); }
  int16_t Size() const { return size_; }
  uint16_t Style() const { return style_; }
  int16_t Attribute() const { return attribute_; }
  const OGTColor& Color() const { return color_; }
  void SetFace(std::string_view face) { face_.assign(face); }
  void SetSize(int16_t size) { size_ = size; }
  void SetStyle(uint16_t style) { style_ = style; }
  void SetAttribute(int16_t attribute) { attribute_ = attribute; }
  void SetColor(const OGTColor& color) { color_ = color; }

  // Empty text, and values above 31999 (or below the 16-bit range), give the default size 12.
  void SetSizeFromText(const char* text, size_t length);
  // A fresh default colour parsed from the text: text that does not parse gives 0xFFFFFFFF.
  void SetColorFromText(const char* text, size_t length);
  // True when every bit of the given style is set.
  bool HasStyle(uint16_t style) const { return (style_ & style) == style; }

  bool operator==(const OGTFont& other) const = default;

  static constexpr int16_t kDefaultSize = 12;

 private:
  std::string face_;
  int16_t size_ = kDefaultSize;
  uint16_t style_ = 0;
  int16_t attribute_ = 0;
  OGTColor color_ = colorBlack;
};

// The eight predefined fonts: index 0 to 3 have size 0 and attribute 0 to 3, index 4 to 7 size 9
// and attribute 0 to 3; all use the default face, style 0 and black. Index 0 is the font of all
// controls. Indices outside 0..7 answer font 0.
const OGTFont& OGTPredefinedFont(int index);
