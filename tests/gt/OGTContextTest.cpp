#include "gt/OGTContext.h"

#include <gtest/gtest.h>

#include <string>

#include "Sjis.h"
#include "gt/OGTRegion.h"
#include "gt/imp/OGTPlatformRules.h"
#include "gt/imp/headless/OGTHeadlessFactory.h"

namespace {

// The headless metrics: at p points a single-byte character is p / 2 wide, the ascent is p.
class ContextTest : public ::testing::Test {
 protected:
  const std::vector<OGTDrawCall>& Draws() { return factory_.Screen().Draws(); }

  OGTHeadlessFactory factory_;
  OGTContext context_;
};

TEST_F(ContextTest, PlainTextKeepsTheFontAndMapsFaceAndSize) {
  context_.SetFont(OGTFont("sys_mincho", 12, kOGTBold, 0, colorRed));
  context_.DrawText("abc", OGTPoint(5, 20));
  context_.SetFont(OGTFont("Helvetica", 9, 0, 0, colorBlue));
  context_.DrawText("xy", OGTRect(0, 0, 20, 100));
  ASSERT_EQ(Draws().size(), 2u);
  const OGTDrawCall& first = Draws()[0];
  EXPECT_EQ(first.op, OGTDrawCall::kText);
  EXPECT_TRUE(first.atPoint);
  EXPECT_EQ(first.from, OGTPoint(5, 20));
  EXPECT_EQ(first.face, Sj("ＭＳ Ｐ明朝"));
  EXPECT_EQ(first.points, 10);  // 12 points are drawn at 10
  EXPECT_EQ(first.textColor, colorRed);
  const OGTDrawCall& second = Draws()[1];
  EXPECT_FALSE(second.atPoint);
  EXPECT_EQ(second.face, Sj("ＭＳ Ｐゴシック"));  // unknown names take the default face
  EXPECT_EQ(second.points, 8);
  EXPECT_EQ(second.rect, OGTRect(0, 0, 20, 100));
}

TEST_F(ContextTest, SuperscriptRisesAndSubscriptDropsBySizeNine) {
  context_.SetFont(OGTFont("", 14, kOGTSuperscript, 0, colorBlack));
  context_.DrawText("2", OGTPoint(10, 30));
  context_.DrawText("2", OGTRect(10, 0, 30, 50));
  context_.SetFont(OGTFont("", 14, kOGTSubscript, 0, colorBlack));
  context_.DrawText("n", OGTPoint(10, 30));
  context_.DrawText("n", OGTRect(10, 0, 30, 50));
  ASSERT_EQ(Draws().size(), 4u);
  EXPECT_EQ(Draws()[0].from, OGTPoint(10, 23));  // half of 14 higher
  EXPECT_EQ(Draws()[1].rect, OGTRect(3, 0, 23, 50));
  EXPECT_EQ(Draws()[2].from, OGTPoint(10, 37));
  EXPECT_EQ(Draws()[3].rect, OGTRect(17, 0, 37, 50));
  for (const OGTDrawCall& call : Draws()) EXPECT_EQ(call.points, 8);  // size 9 draws at 8
  EXPECT_EQ(context_.Font().Size(), 14);  // the context's font is unchanged
}

TEST_F(ContextTest, UnderlineAndStrikeThroughFollowTheText) {
  context_.SetFont(OGTFont("", 14, kOGTUnderline | kOGTStrikeThrough, 0, colorBlack));
  context_.DrawText("abcd", OGTPoint(10, 30));  // 4 characters of 7: 28 wide; ascent 14
  ASSERT_EQ(Draws().size(), 4u);
  EXPECT_EQ(Draws()[0].op, OGTDrawCall::kText);
  EXPECT_EQ(Draws()[1].op, OGTDrawCall::kLine);
  EXPECT_EQ(Draws()[1].from, OGTPoint(10, 31));
  EXPECT_EQ(Draws()[1].to, OGTPoint(38, 31));
  EXPECT_EQ(Draws()[2].from, OGTPoint(10, 23));  // half the ascent above the baseline
  EXPECT_EQ(Draws()[2].to, OGTPoint(38, 23));
  EXPECT_EQ(Draws()[3].from, OGTPoint(10, 25));  // two pixels below the first
  factory_.Screen().ClearDraws();

  context_.SetFont(OGTFont("", 14, kOGTUnderline, 0, colorBlack));
  context_.DrawText("", OGTPoint(0, 0));
  ASSERT_EQ(Draws().size(), 2u);
  EXPECT_EQ(Draws()[1].to, OGTPoint(1, 1));  // at least one pixel wide
  factory_.Screen().ClearDraws();

  // In a rectangle the baseline is one ascent below the top; the line stops at the right edge.
  context_.DrawText(Sj("日本語"), OGTRect(100, 10, 130, 30));  // 42 wide, 20 allowed
  ASSERT_EQ(Draws().size(), 2u);
  EXPECT_EQ(Draws()[1].from, OGTPoint(10, 115));
  EXPECT_EQ(Draws()[1].to, OGTPoint(30, 115));
}

TEST_F(ContextTest, MeasuresSettingsAndClip) {
  context_.SetFont(OGTFont("", 20, 0, 0, colorBlack));
  EXPECT_EQ(context_.TextWidth("abcd", 1, 2), 20);
  std::string mixed = Sj("a日");
  EXPECT_EQ(context_.TextWidth(mixed.c_str(), 0, mixed.size()), 30);
  EXPECT_EQ(context_.CharWidth(0x93FA), 20);
  int32_t ascent, descent, leading;
  context_.FontMetrics(ascent, descent, leading);
  EXPECT_EQ(ascent, 20);
  EXPECT_EQ(descent, 5);

  context_.SetPenColor(colorRed);
  context_.SetFillColor(colorSkyBlue);
  context_.SetDrawMode(kOGTDrawInvert);
  context_.SetClip(OGTRegion(OGTRect(0, 0, 10, 10)));
  context_.FillRect(OGTRect(1, 1, 5, 5));
  context_.ClearClip();
  context_.DrawLine(OGTPoint(0, 0), OGTPoint(3, 3));
  ASSERT_EQ(Draws().size(), 2u);
  EXPECT_EQ(Draws()[0].fill, colorSkyBlue);
  EXPECT_EQ(Draws()[0].pen, colorRed);
  EXPECT_EQ(Draws()[0].mode, kOGTDrawInvert);
  EXPECT_TRUE(Draws()[0].clipped);
  EXPECT_EQ(Draws()[0].clip, OGTRect(0, 0, 10, 10));
  EXPECT_FALSE(Draws()[1].clipped);

  context_.SetClip(OGTRegion(OGTRect(2, 3, 4, 5)));
  OGTRegion clip(OGTRect(50, 50, 60, 60));
  context_.GetClip(clip);
  OGTRect bounds;
  clip.GetBounds(bounds);
  EXPECT_EQ(bounds, OGTRect(2, 3, 4, 5));
}

TEST(OGTPlatformRules, SizesFacesAndWeights) {
  EXPECT_EQ(OGTDrawingPointSize(0), 10);
  EXPECT_EQ(OGTDrawingPointSize(12), 10);
  EXPECT_EQ(OGTDrawingPointSize(11), 8);
  EXPECT_EQ(OGTDrawingPointSize(9), 8);
  EXPECT_EQ(OGTDrawingPointSize(13), 13);
  EXPECT_EQ(OGTControlPointSize(-3), 10);
  EXPECT_EQ(OGTControlPointSize(12), 10);
  EXPECT_EQ(OGTControlPointSize(1), 8);
  EXPECT_EQ(OGTControlPointSize(9), 9);
  EXPECT_EQ(OGTControlPointSize(11), 11);
  EXPECT_EQ(OGTControlPointSize(40), 40);
  EXPECT_EQ(OGTDrawingFace(OGTFont("sys_fixed", 0, 0, 0, colorBlack)), Sj("ＭＳ ゴシック"));
  EXPECT_EQ(OGTDrawingFace(OGTFont("sys_gothic", 0, 0, 0, colorBlack)), Sj("ＭＳ Ｐゴシック"));
  EXPECT_EQ(OGTDrawingFace(OGTFont()), Sj("ＭＳ Ｐゴシック"));
  EXPECT_EQ(OGTControlFace(OGTFont()), Sj("ＭＳ Ｐゴシック"));
  EXPECT_EQ(OGTControlFace(OGTFont("Mono", 0, 0, 0, colorBlack)), "Mono");
  EXPECT_EQ(OGTFontWeight(kOGTBold | kOGTUnderline), 700);  // bold stays bold when underlined
  EXPECT_EQ(OGTFontWeight(kOGTItalic), 400);
  EXPECT_TRUE(OGTFontItalic(kOGTBold | kOGTItalic));
}

TEST(OGTContextWithoutFactory, DrawsNothingAndMeasuresZero) {
  ASSERT_EQ(OGTImpFactory::Current(), nullptr);
  OGTContext context;
  EXPECT_EQ(context.Imp(), nullptr);
  context.DrawText("abc", OGTPoint(1, 1));
  EXPECT_EQ(context.TextWidth("abc", 0, 3), 0);
  int32_t ascent = -1, descent = -1, leading = -1;
  context.FontMetrics(ascent, descent, leading);
  EXPECT_EQ(ascent, 0);
  OGTRegion clip;
  context.GetClip(clip);
  EXPECT_TRUE(clip.IsEmpty());
}

}  // namespace
