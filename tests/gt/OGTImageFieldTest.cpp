// The scrollable image field: loading, its bars and offsets, drawing on its window's surface, and
// mouse and key input.
#include "gt/OGTImageField.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "TempDir.h"
#include "gt/OGTContext.h"
#include "gt/OGTEvent.h"
#include "gt/OGTRegion.h"
#include "gt/OGTScrollBar.h"
#include "gt/OGTWindow.h"
#include "gt/imp/BmpBuilder.h"
#include "gt/imp/headless/OGTHeadlessFactory.h"
#include "gt/imp/headless/OGTHeadlessImp.h"

namespace {

class EventWindow : public OGTWindow {
 public:
  void OnEvent(OGTItem* item, int32_t code) override {
    codes.push_back(code);
    OGTWindow::OnEvent(item, code);
  }
  std::vector<int32_t> codes;
};

std::vector<uint8_t> Picture(int32_t width, int32_t height) {
  return BuildBmp(width, height, 24,
                  std::vector<uint32_t>(size_t(width) * size_t(height), 0x208040));
}

OGTRect BoundsOf(const OGTItem* item) {
  OGTRect rect;
  item->GetBounds(rect);
  return rect;
}

std::pair<int32_t, int32_t> RangeOf(const OGTScrollBar* bar) {
  int32_t min = -1;
  int32_t max = -1;
  bar->GetRange(min, max);
  return {min, max};
}

// The field stands at (10, 10), 100 x 80, with both bars (14 thick): its content rectangle is
// (11, 11) to (95, 75), 84 x 64.
class ImageFieldTest : public ::testing::Test {
 protected:
  ImageFieldTest() {
    window_.Create(0, nullptr);
    window_.Show();
    field_ = Make(0);
  }

  OGTImageField* Make(int32_t variant) {
    auto* field = new OGTImageField;
    field->Create(variant, &window_);
    window_.AddChild(std::unique_ptr<OGTItem>(field), -1);
    field->SetPosition(10, 10, false);
    field->SetSize(100, 80, false);
    field->Enable();
    field->Show();
    return field;
  }

  void Load(int32_t width, int32_t height) {
    std::vector<uint8_t> bmp = Picture(width, height);
    ASSERT_TRUE(field_->LoadFromMemory(bmp.data(), bmp.size(), kOGTImageFormatBmp));
  }

  int32_t WindowInvalidations() { return OGTHeadlessNode::Of(&window_)->invalidations_; }

  OGTHeadlessFactory factory_;
  EventWindow window_;
  OGTImageField* field_ = nullptr;
};

TEST_F(ImageFieldTest, OffsetsClampToTheBarRange) {
  Load(200, 150);
  OGTScrollBar* vertical = field_->VerticalBar();
  OGTScrollBar* horizontal = field_->HorizontalBar();
  ASSERT_NE(vertical, nullptr);
  ASSERT_NE(horizontal, nullptr);
  EXPECT_EQ(RangeOf(vertical), std::make_pair(0, 86));
  EXPECT_EQ(RangeOf(horizontal), std::make_pair(0, 116));
  field_->SetVerticalOffset(500, false);
  EXPECT_EQ(field_->VerticalOffset(), 86);
  EXPECT_EQ(vertical->GetScrollPosition(), 86);  // the bar follows the offset
  field_->SetVerticalOffset(-3, false);
  EXPECT_EQ(field_->VerticalOffset(), 0);
  field_->SetHorizontalOffset(50, false);

  auto& user = factory_.User();
  int32_t before = WindowInvalidations();
  ASSERT_TRUE(user.Scroll(vertical, kOGTEventLineForward));
  EXPECT_EQ(field_->VerticalOffset(), 5);
  user.Scroll(vertical, kOGTEventPageForward);
  EXPECT_EQ(field_->VerticalOffset(), 55);
  user.Scroll(vertical, kOGTEventPageForward);  // 105 lies beyond the range
  EXPECT_EQ(field_->VerticalOffset(), 86);
  EXPECT_EQ(vertical->GetScrollPosition(), 86);
  user.Scroll(vertical, kOGTEventThumb, 40);
  EXPECT_EQ(field_->VerticalOffset(), 40);
  user.Scroll(horizontal, kOGTEventPageBack);
  EXPECT_EQ(field_->HorizontalOffset(), 0);
  // Each move scrolled the window's surface; nothing reached the form.
  EXPECT_EQ(WindowInvalidations(), before + 5);
  user.Scroll(horizontal, kOGTEventLineBack);  // already at 0: nothing moves
  EXPECT_EQ(field_->HorizontalOffset(), 0);
  EXPECT_EQ(WindowInvalidations(), before + 5);
  EXPECT_TRUE(window_.codes.empty());

  Load(90, 60);  // a smaller image pulls the offsets back within its own overhang
  EXPECT_EQ(RangeOf(vertical), std::make_pair(0, 0));
  EXPECT_EQ(RangeOf(horizontal), std::make_pair(0, 6));
  EXPECT_EQ(field_->VerticalOffset(), 0);
  field_->SetHorizontalOffset(9, false);
  EXPECT_EQ(field_->HorizontalOffset(), 6);
  int32_t steps[2];
  horizontal->GetPageSteps(steps[0], steps[1]);
  EXPECT_EQ(std::make_pair(steps[0], steps[1]), std::make_pair(-50, 50));
  horizontal->GetLineSteps(steps[0], steps[1]);
  EXPECT_EQ(std::make_pair(steps[0], steps[1]), std::make_pair(-5, 5));
}

TEST_F(ImageFieldTest, AFailedLoadShowsNoImageAndKeepsTheBarsReset) {
  Load(200, 150);
  field_->SetVerticalOffset(30, false);
  std::vector<uint8_t> broken = {'B', 'M', 1, 2, 3};
  EXPECT_FALSE(field_->LoadFromMemory(broken.data(), broken.size(), kOGTImageFormatBmp));
  EXPECT_FALSE(field_->IsLoaded());
  EXPECT_EQ(field_->VerticalOffset(), 0);
  EXPECT_EQ(RangeOf(field_->VerticalBar()), std::make_pair(0, 0));
  EXPECT_FALSE(factory_.User().Scroll(field_->VerticalBar(), kOGTEventLineForward));
  EXPECT_FALSE(field_->LoadFromFile("/no/such/picture.bmp"));
  EXPECT_FALSE(field_->LoadFromFile(nullptr));
  window_.Update(true);
  for (const OGTDrawCall& call : factory_.Screen().Draws()) {
    EXPECT_NE(call.op, OGTDrawCall::kImage);
  }
  ASSERT_FALSE(factory_.Screen().Draws().empty());  // the background is still drawn
}

TEST_F(ImageFieldTest, BarsStandAtTheEdgesAndOverlapAtTheCorner) {
  EXPECT_EQ(BoundsOf(field_->VerticalBar()), OGTRect(10, 96, 77, 110));
  EXPECT_EQ(BoundsOf(field_->HorizontalBar()), OGTRect(76, 10, 90, 97));
  OGTRect content;
  field_->ContentRect(content, true);
  EXPECT_EQ(content, OGTRect(11, 11, 75, 95));
  field_->ContentRect(content, false);
  EXPECT_EQ(content, OGTRect(10, 10, 76, 96));
  field_->SetPosition(30, 40, false);  // the bars move with the field
  EXPECT_EQ(BoundsOf(field_->VerticalBar()), OGTRect(40, 116, 107, 130));

  OGTImageField* noVertical = Make(1);
  EXPECT_FALSE(noVertical->WantsVerticalBar());
  EXPECT_TRUE(noVertical->WantsHorizontalBar());
  EXPECT_EQ(noVertical->VerticalBar(), nullptr);
  EXPECT_EQ(BoundsOf(noVertical->HorizontalBar()), OGTRect(76, 10, 90, 110));
  OGTImageField* bare = Make(3);
  EXPECT_EQ(bare->ChildCount(), 0);
  bare->ContentRect(content, true);
  EXPECT_EQ(content, OGTRect(11, 11, 89, 109));
  bare->SetSize(2, 2, false);  // nothing left inside: the empty rectangle
  bare->ContentRect(content, true);
  EXPECT_EQ(content, OGTRect());

  noVertical->ShowBars(true, false);  // bars can be swapped afterwards
  EXPECT_NE(noVertical->VerticalBar(), nullptr);
  EXPECT_EQ(noVertical->HorizontalBar(), nullptr);
  EXPECT_EQ(noVertical->ChildCount(), 1);
}

TEST_F(ImageFieldTest, DrawsOnItsWindowWithinItsOwnClip) {
  Load(200, 150);
  field_->SetHorizontalOffset(20, false);
  field_->SetVerticalOffset(7, false);
  factory_.Screen().ClearDraws();
  window_.Update(false);  // painting the window draws the field, which has no surface of its own
  const auto& draws = factory_.Screen().Draws();
  ASSERT_EQ(draws.size(), 3u);
  EXPECT_EQ(draws[0].op, OGTDrawCall::kFillRect);
  EXPECT_EQ(draws[0].clip, OGTRect(10, 10, 90, 110));
  EXPECT_EQ(draws[0].item, &window_);
  EXPECT_EQ(draws[1].op, OGTDrawCall::kFrameRect);
  EXPECT_EQ(draws[2].op, OGTDrawCall::kImage);
  EXPECT_EQ(draws[2].rect, OGTRect(11 - 7, 11 - 20, 75, 95));  // shifted by the offsets
  EXPECT_EQ(draws[2].clip, OGTRect(11, 11, 75, 95));           // and cut to the content

  // The caller's clip comes back afterwards.
  OGTContext context;
  context.AttachItem(&window_);
  context.SetClip(OGTRegion(OGTRect(0, 0, 50, 50)));
  field_->Draw(&context);
  OGTRegion after;
  context.GetClip(after);
  OGTRect box;
  after.GetBounds(box);
  EXPECT_EQ(box, OGTRect(0, 0, 50, 50));
  EXPECT_EQ(draws.back().clip, OGTRect(11, 11, 50, 50));

  factory_.Screen().ClearDraws();
  EXPECT_TRUE(field_->IsVisible());
  field_->Hide();
  // Without a native object the field itself tells whether it is shown (scripts that hide and
  // show it, and the action mode's checks, ask this).
  EXPECT_FALSE(field_->IsVisible());
  window_.Update(true);
  EXPECT_TRUE(draws.empty());
  field_->Show();
  EXPECT_TRUE(field_->IsVisible());
}

TEST_F(ImageFieldTest, PressesOutsideTheBarsAreRemembered) {
  auto& user = factory_.User();
  ASSERT_TRUE(user.Click(field_, OGTPoint(40, 40)));
  EXPECT_TRUE(field_->Pressed());
  EXPECT_EQ(field_->HitTest(OGTPoint(100, 30)), OGTImageField::kHitVerticalBar);
  user.Click(field_, OGTPoint(100, 30));
  EXPECT_FALSE(field_->Pressed());
  user.Click(field_, OGTPoint(40, 80));
  EXPECT_FALSE(field_->Pressed());  // the horizontal bar
  user.Drag(field_, OGTPoint(40, 40), OGTPoint(50, 50));
  EXPECT_FALSE(field_->Pressed());  // the move in between cleared it
  EXPECT_EQ(field_->HitTest(OGTPoint(5, 5)), OGTImageField::kHitOutside);

  OGTEvent key;
  key.SetType(kOGTKeyDown);
  bool handled = false;
  for (uint16_t code : {kOGTKeyArrowLeft, kOGTKeyArrowRight, kOGTKeyArrowUp, kOGTKeyArrowDown}) {
    key.SetKey(code);
    field_->OnKey(&key, handled);
    EXPECT_TRUE(handled) << code;
  }
  key.SetKey('a');
  field_->OnKey(&key, handled);
  EXPECT_FALSE(handled);
}

TEST_F(ImageFieldTest, ChoosesAFileAndLoadsIt) {
  TempDir dir;
  std::vector<uint8_t> bmp = Picture(30, 20);
  std::string path = dir / "photo.bmp";
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bmp.data()), static_cast<std::streamsize>(bmp.size()));
  factory_.User().ThenChooseFile(path).ThenCancelChooser();
  EXPECT_TRUE(field_->ChooseAndLoad());
  EXPECT_TRUE(field_->IsLoaded());
  EXPECT_FALSE(field_->ChooseAndLoad());  // cancelled: the image stays
  EXPECT_TRUE(field_->IsLoaded());
  field_->ClearImage();
  EXPECT_FALSE(field_->IsLoaded());
}

}  // namespace
