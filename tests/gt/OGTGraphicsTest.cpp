#include "gt/OGTGraphics.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "Sjis.h"

namespace {

OGTColor Parsed(const char* text, OGTColor start = OGTColor()) {
  start.Parse(text, std::strlen(text));
  return start;
}

TEST(OGTRect, FieldOrderCornersAndInclusiveEdges) {
  OGTRect r(OGTPoint(10, 20), OGTPoint(30, 40));  // (x, y) pairs
  EXPECT_EQ(r, OGTRect(20, 10, 40, 30));
  EXPECT_EQ(r.TopLeft(), OGTPoint(10, 20));
  EXPECT_EQ(r.BottomRight(), OGTPoint(30, 40));
  EXPECT_TRUE(r.Contains(OGTPoint(30, 40)));  // bottom right corner is inside
  EXPECT_TRUE(r.Contains(OGTPoint(10, 20)));
  EXPECT_FALSE(r.Contains(OGTPoint(31, 30)));
  EXPECT_FALSE(r.Contains(OGTPoint(20, 41)));
  r.Offset(-5, 5);
  EXPECT_EQ(r, OGTRect(25, 5, 45, 25));
  r.MoveLeftTo(100);
  EXPECT_EQ(r, OGTRect(25, 100, 45, 120));
  r.Clear();
  EXPECT_EQ(r, OGTRect());
}

TEST(OGTRect, InsetNeverLeavesANegativeSize) {
  OGTRect r(0, 0, 10, 20);
  r.Inset(15, 0);  // more than half the width
  EXPECT_EQ(r.Left(), 15);
  EXPECT_EQ(r.Right(), 15);
  EXPECT_EQ(r.Top(), 0);
  EXPECT_EQ(r.Bottom(), 10);
  OGTRect grow(10, 10, 20, 20);
  grow.Inset(-2, -3);
  EXPECT_EQ(grow, OGTRect(7, 8, 23, 22));
  OGTRect tall(0, 0, 5, 5);
  tall.Inset(0, 4);
  EXPECT_EQ(tall, OGTRect(4, 0, 4, 5));
}

TEST(OGTRect, CollapseHalvesTowardsMinusInfinity) {
  OGTRect r(0, 0, 9, 10);
  r.CollapseToCentre();
  EXPECT_EQ(r, OGTRect(4, 5, 4, 5));
  OGTRect inverted(0, 0, -3, -3);  // arithmetic shift: -3 >> 1 == -2
  inverted.CollapseToCentre();
  EXPECT_EQ(inverted, OGTRect(-2, -2, -2, -2));
  OGTRect huge(INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX);  // no overflow on the way
  huge.CollapseToCentre();
  EXPECT_EQ(huge.Top(), -1);
}

TEST(OGTRect, UnionIntersectionAndOverlap) {
  OGTRect a(0, 0, 10, 10);
  OGTRect b(5, 5, 20, 15);
  OGTRect u = a;
  u.Union(b);
  EXPECT_EQ(u, OGTRect(0, 0, 20, 15));
  OGTRect i = a;
  i.Intersect(b);
  EXPECT_EQ(i, OGTRect(5, 5, 10, 10));

  OGTRect far(50, 50, 60, 60);
  OGTRect none = a;
  none.Intersect(far);
  EXPECT_EQ(none, OGTRect(50, 50, 10, 10));  // left inverted, not normalised
  EXPECT_TRUE(none.IsEmpty(false));
  EXPECT_FALSE(a.Overlaps(far));

  OGTRect touching(10, 10, 20, 20);  // shares only the corner (10, 10)
  EXPECT_TRUE(a.Overlaps(touching));
  EXPECT_TRUE(touching.Overlaps(a));
  OGTRect sideBySide(0, 11, 10, 20);
  EXPECT_FALSE(a.Overlaps(sideBySide));
}

TEST(OGTRect, StrictAndLooseEmptiness) {
  OGTRect line(5, 0, 5, 10);  // no height
  EXPECT_TRUE(line.IsEmpty(true));
  EXPECT_FALSE(line.IsEmpty(false));
  EXPECT_TRUE(line.IsNotEmpty(false));
  OGTRect inverted(5, 0, 4, 10);
  EXPECT_TRUE(inverted.IsEmpty(false));
  EXPECT_TRUE(OGTRect(0, 0, 1, 1).IsNotEmpty(true));
}

TEST(OGTColor, ValuesComponentsAndPlatformOrder) {
  EXPECT_EQ(OGTColor().Value(), 0xFFFFFFFFu);
  OGTColor c(0x123456);
  EXPECT_EQ(c.Value(), 0xFF123456u);
  EXPECT_EQ(c.Red(), 0x12);
  EXPECT_EQ(c.Green(), 0x34);
  EXPECT_EQ(c.Blue(), 0x56);
  EXPECT_EQ(c.PlatformValue(), 0x00563412u);
  EXPECT_EQ(colorOrange.Value(), 0xFFFFC800u);
  EXPECT_EQ(colorBlack, OGTColor(0));
  EXPECT_FALSE(colorBlack == OGTColor());
}

TEST(OGTColor, HexadecimalText) {
  EXPECT_EQ(Parsed("#FF0000").Value(), 0xFFFF0000u);
  EXPECT_EQ(Parsed("#ff").Value(), 0xFF0000FFu);
  EXPECT_EQ(Parsed("#12aBzz99").Value(), 0xFF0012ABu);       // stops at the first non-digit
  EXPECT_EQ(Parsed("#xyz", colorRed).Value(), 0xFF000000u);  // no digit read: zero, opaque
  EXPECT_EQ(Parsed("#", colorRed), colorRed);                // "#" alone changes nothing
  EXPECT_EQ(Parsed("#123456789").Value(), 0xFF456789u);      // wraps at 32 bits
  OGTColor counted = colorRed;
  counted.Parse("#00ff00ff", 5);  // length-counted: only "#00ff" is read
  EXPECT_EQ(counted.Value(), 0xFF0000FFu);
}

TEST(OGTColor, NamesIgnoreCaseAndUnknownOnesChangeNothing) {
  EXPECT_EQ(Parsed("gray").Value(), 0xFF808080u);
  EXPECT_EQ(Parsed("GRAY").Value(), 0xFF808080u);
  EXPECT_EQ(Parsed("Grey", colorBlue), colorBlue);
  EXPECT_EQ(Parsed("DarkGray").Value(), 0xFFA9A9A9u);  // the name, not colorDarkGray
  EXPECT_EQ(Parsed("gainsboro").Value(), 0xFFDCDCDCu);
  EXPECT_EQ(Parsed("Lime").Value(), 0xFF00FF00u);
  EXPECT_EQ(Parsed("Whitesmoke", colorBlue), colorBlue);  // a longer text is no prefix match
  EXPECT_EQ(Parsed("Whit", colorBlue), colorBlue);
  EXPECT_EQ(Parsed("", colorBlue), colorBlue);
  OGTColor untouched = colorBlue;
  untouched.Parse(nullptr, 4);
  EXPECT_EQ(untouched, colorBlue);
  std::string kanji = Sj("赤");
  EXPECT_EQ(Parsed(kanji.c_str(), colorBlue), colorBlue);
}

TEST(OGTFont, SizeAndColourFromText) {
  OGTFont font;
  EXPECT_EQ(font.Size(), 12);
  EXPECT_EQ(font.Color(), colorBlack);
  font.SetSizeFromText("40000", 5);
  EXPECT_EQ(font.Size(), 12);
  font.SetSizeFromText("31999", 5);
  EXPECT_EQ(font.Size(), 31999);
  font.SetSizeFromText("", 0);
  EXPECT_EQ(font.Size(), 12);
  font.SetSizeFromText(" 9pt", 4);
  EXPECT_EQ(font.Size(), 9);
  font.SetSizeFromText("abc", 3);
  EXPECT_EQ(font.Size(), 0);

  font.SetColorFromText("navy", 4);
  EXPECT_EQ(font.Color().Value(), 0xFF000080u);
  font.SetColorFromText("no such colour", 14);  // a fresh default colour: white
  EXPECT_EQ(font.Color().Value(), 0xFFFFFFFFu);
}

TEST(OGTFont, StyleTestAndPredefinedFonts) {
  OGTFont font("sys_mincho", 14, kOGTBold | kOGTUnderline, 2, colorRed);
  EXPECT_TRUE(font.HasStyle(kOGTBold));
  EXPECT_TRUE(font.HasStyle(kOGTBold | kOGTUnderline));
  EXPECT_FALSE(font.HasStyle(kOGTBold | kOGTItalic));
  OGTFont copy = font;
  EXPECT_EQ(copy, font);
  EXPECT_EQ(copy.Attribute(), 2);

  for (int i = 0; i < 8; ++i) {
    const OGTFont& predefined = OGTPredefinedFont(i);
    EXPECT_EQ(predefined.Size(), i < 4 ? 0 : 9);
    EXPECT_EQ(predefined.Attribute(), i % 4);
    EXPECT_FALSE(predefined.HasFace());
    EXPECT_EQ(predefined.Style(), 0);
    EXPECT_EQ(predefined.Color(), colorBlack);
  }
  EXPECT_EQ(&OGTPredefinedFont(99), &OGTPredefinedFont(0));
}

}  // namespace
