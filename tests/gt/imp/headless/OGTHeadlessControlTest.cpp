// The headless controls as a person meets them: presses, values, scroll bars, mouse events and
// what gets painted.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "gt/OGTButton.h"
#include "gt/OGTContext.h"
#include "gt/OGTEvent.h"
#include "gt/OGTLabel.h"
#include "gt/OGTWindow.h"
#include "gt/imp/headless/OGTHeadlessControlImp.h"
#include "gt/imp/headless/OGTHeadlessFactory.h"

namespace {

using Maker = std::unique_ptr<OGTItemImp> (*)(OGTImpFactory&, OGTItem*);

// An item on whichever implementation the maker gives; it keeps the mouse events it sees.
class ProbeItem : public OGTItem {
 public:
  explicit ProbeItem(Maker maker) : maker_(maker) {}
  OGTItemImp* Create(int32_t variant, OGTCompositItem* parent) override {
    return AdoptImp(variant, parent, maker_(*OGTImpFactory::Current(), parent));
  }
  void OnMouse(OGTEvent* event) override {
    mouse.push_back({event->Type(), event->Count(), event->Point(), event->Time()});
    contextSeen = event->Context() != nullptr;
  }
  void Draw(OGTContext* context) override {
    context->FrameRect(OGTRect(1, 2, 3, 4));
    OGTItem::Draw(context);  // and what the platform draws by itself
  }
  struct Mouse {
    int16_t type;
    int16_t count;
    OGTPoint point;
    uint32_t time;
  };
  std::vector<Mouse> mouse;
  bool contextSeen = false;

 private:
  Maker maker_;
};

std::unique_ptr<OGTItemImp> Radio(OGTImpFactory& f, OGTItem* p) { return f.MakeRadioBtnImp(p); }
std::unique_ptr<OGTItemImp> Check(OGTImpFactory& f, OGTItem* p) { return f.MakeCheckBoxImp(p); }
std::unique_ptr<OGTItemImp> Bar(OGTImpFactory& f, OGTItem* p) { return f.MakeScrollBarImp(p); }
std::unique_ptr<OGTItemImp> List(OGTImpFactory& f, OGTItem* p) { return f.MakeListImp(p); }
std::unique_ptr<OGTItemImp> Line(OGTImpFactory& f, OGTItem* p) { return f.MakeLineImp(p); }
std::unique_ptr<OGTItemImp> Plane(OGTImpFactory& f, OGTItem* p) { return f.MakePlaneImp(p); }
std::unique_ptr<OGTItemImp> Circle(OGTImpFactory& f, OGTItem* p) { return f.MakeCircleImp(p); }

// A window that keeps each event with the value its item holds when the event arrives.
class ValueWindow : public OGTWindow {
 public:
  void OnEvent(OGTItem* item, int32_t code) override {
    int32_t value;
    item->GetValue(value);
    events.push_back({code, value});
  }
  std::vector<std::pair<int32_t, int32_t>> events;
};

class ControlTest : public ::testing::Test {
 protected:
  ControlTest() {
    window_.Create(0, nullptr);
    window_.SetPosition(50, 60, false);
    window_.Show();
  }

  template <class T, class... Args>
  T* Add(int32_t x, int32_t y, int32_t width, int32_t height, Args... args) {
    auto* item = new T(args...);
    item->Create(0, &window_);
    window_.AddChild(std::unique_ptr<OGTItem>(item), -1);
    item->SetPosition(x, y, false);
    item->SetSize(width, height, false);
    item->Enable();
    item->Show();
    return item;
  }

  OGTHeadlessFactory factory_;
  ValueWindow window_;
};

TEST_F(ControlTest, RadioButtonsAndCheckBoxesSetTheirValueBeforeTheEvent) {
  auto* radio = Add<ProbeItem>(0, 0, 10, 10, &Radio);
  auto* check = Add<ProbeItem>(0, 20, 10, 10, &Check);
  factory_.User().Press(radio);
  factory_.User().Press(radio);  // stays 1: grouping is left to scripts
  check->SetValue(1);
  factory_.User().Press(check);
  factory_.User().Press(check);
  check->SetValue(7);  // any non-zero value ticks the box, which then reads 1
  int32_t value = 0;
  check->GetValue(value);
  EXPECT_EQ(value, 1);
  factory_.User().Press(check);  // so a press clears it, as a person expects of a ticked box
  factory_.User().Key(' ');      // the space bar presses the focused control
  EXPECT_EQ(window_.events, (std::vector<std::pair<int32_t, int32_t>>{
                                {12, 1}, {12, 1}, {13, 0}, {13, 1}, {13, 0}, {13, 1}}));
}

TEST_F(ControlTest, ScrollBarRangePositionAndSteps) {
  auto* item = Add<ProbeItem>(0, 0, 14, 100, &Bar);
  auto* bar = dynamic_cast<OGTScrollBarImp*>(item->Imp());
  ASSERT_NE(bar, nullptr);
  EXPECT_EQ(bar->Thickness(), 14);
  bar->SetRange(0, 50);
  bar->SetScrollPosition(80);
  EXPECT_EQ(bar->GetScrollPosition(), 50);  // kept within the range
  bar->SetLineSteps(-5, 5);
  bar->SetPageSteps(-50, 50);
  int32_t back, forward;
  bar->GetPageSteps(back, forward);
  EXPECT_EQ(back, -50);
  EXPECT_EQ(forward, 50);
  EXPECT_TRUE(factory_.User().Scroll(item, kOGTEventThumb, 20));
  EXPECT_TRUE(factory_.User().Scroll(item, kOGTEventLineForward));
  EXPECT_EQ(window_.events, (std::vector<std::pair<int32_t, int32_t>>{{35, 0}, {32, 0}}));
  EXPECT_EQ(bar->GetScrollPosition(), 20);

  bar->SetRange(5, 5);  // equal ends disable the bar
  int32_t min, max;
  bar->GetRange(min, max);
  EXPECT_EQ(min, 0);
  EXPECT_EQ(max, 0);
  EXPECT_EQ(bar->GetScrollPosition(), 0);
  EXPECT_FALSE(factory_.User().Scroll(item, kOGTEventLineBack));
}

TEST_F(ControlTest, MouseEventsCarryCountsPointsAndAContext) {
  auto* list = Add<ProbeItem>(10, 10, 100, 100, &List);
  ASSERT_TRUE(factory_.User().Click(list, OGTPoint(30, 40), 2, kOGTShift));
  ASSERT_EQ(list->mouse.size(), 4u);
  EXPECT_EQ(list->mouse[0].type, kOGTMouseDown);
  EXPECT_EQ(list->mouse[0].count, 1);
  EXPECT_EQ(list->mouse[1].type, kOGTMouseUp);
  EXPECT_EQ(list->mouse[2].count, 2);  // the second press is the double click
  EXPECT_EQ(list->mouse[3].point, OGTPoint(30, 40));
  EXPECT_LT(list->mouse[0].time, list->mouse[3].time);
  EXPECT_TRUE(list->contextSeen);
  EXPECT_EQ(window_.FocusedItem(), list);  // a list takes the focus when clicked

  list->Disable();
  EXPECT_FALSE(factory_.User().Click(list, OGTPoint(30, 40)));
  EXPECT_EQ(list->mouse.size(), 4u);
}

TEST_F(ControlTest, PaintDrawsVisibleItemsInWindowCoordinates) {
  Add<ProbeItem>(10, 20, 100, 8, &Line);
  Add<ProbeItem>(0, 0, 30, 20, &Circle);
  auto* plane = Add<ProbeItem>(5, 5, 40, 40, &Plane);
  auto* hidden = Add<ProbeItem>(0, 0, 5, 5, &Line);
  hidden->Hide();
  window_.SetImageName("/pictures/back.bmp");
  window_.Update(true);
  const std::vector<OGTDrawCall>& draws = factory_.Screen().Draws();
  // The window's background, then per item the probe's frame and the native drawing.
  ASSERT_EQ(draws.size(), 7u);
  EXPECT_EQ(draws[0].op, OGTDrawCall::kImage);
  EXPECT_EQ(draws[0].text, "/pictures/back.bmp");
  EXPECT_EQ(draws[1].op, OGTDrawCall::kFrameRect);
  EXPECT_EQ(draws[2].op, OGTDrawCall::kLine);
  EXPECT_EQ(draws[2].from, OGTPoint(10, 24));  // across the middle of its height
  EXPECT_EQ(draws[2].to, OGTPoint(110, 24));
  EXPECT_EQ(draws[4].op, OGTDrawCall::kEllipse);
  EXPECT_EQ(draws[4].rect, OGTRect(0, 0, 20, 30));
  EXPECT_EQ(draws[6].op, OGTDrawCall::kFrameRect);  // a plane without image: its bounds
  EXPECT_EQ(draws[6].rect, OGTRect(5, 5, 45, 45));
  EXPECT_EQ(draws[6].item, plane);

  factory_.Screen().ClearDraws();
  dynamic_cast<OGTPlaneImp*>(plane->Imp())->SetImage("/pictures/tile.bmp");
  plane->Update(false);
  ASSERT_EQ(draws.size(), 2u);
  EXPECT_EQ(draws[1].op, OGTDrawCall::kImage);
  EXPECT_EQ(draws[1].text, "/pictures/tile.bmp");

  // A context made for an item outside a paint converts to screen coordinates by the window.
  OGTContext context;
  context.AttachItem(plane);
  OGTPoint point(1, 2);
  context.WindowToScreen(point);
  EXPECT_EQ(point, OGTPoint(51, 62));
  context.ScreenToWindow(point);
  EXPECT_EQ(point, OGTPoint(1, 2));
}

TEST_F(ControlTest, ButtonsKeepImagesAndTheDefaultFlag) {
  auto* button = Add<OGTButton>(0, 0, 80, 22);
  button->SetDefault(true);
  EXPECT_TRUE(button->IsDefault());
  button->SetImageNames("up.bmp", "down.bmp", nullptr);
  VString normal, pressed, disabled("stale");
  button->GetImageNames(normal, pressed, disabled);
  EXPECT_EQ(normal.ToStdString(), "up.bmp");
  EXPECT_EQ(pressed.ToStdString(), "down.bmp");
  EXPECT_TRUE(disabled.IsEmpty());  // emptied first
  auto* imp = dynamic_cast<OGTHeadlessButtonImp*>(button->Imp());
  EXPECT_EQ(imp->images_[1], "down.bmp");
  button->SetImageNames("", "", "");  // three empty names remove all three
  button->GetImageNames(normal, pressed, disabled);
  EXPECT_TRUE(normal.IsEmpty());
  EXPECT_TRUE(pressed.IsEmpty());
  EXPECT_EQ(imp->images_[0], "");

  OGTButton bare;  // no implementation: the names are still kept
  bare.SetImageNames("a.bmp", nullptr, nullptr);
  bare.GetImageNames(normal, pressed, disabled);
  EXPECT_EQ(normal.ToStdString(), "a.bmp");
  EXPECT_FALSE(bare.IsDefault());
}

TEST_F(ControlTest, ItemStateReachesTheImplementation) {
  auto* label = Add<OGTLabel>(3, 4, 50, 12);
  OGTRect bounds;
  label->GetBounds(bounds);
  EXPECT_EQ(bounds, OGTRect(4, 3, 16, 53));
  label->SetFont(OGTFont("sys_fixed", 9, kOGTItalic, 1, colorRed));
  OGTFont font;
  label->GetFont(font);
  EXPECT_EQ(font.Face(), "sys_fixed");
  EXPECT_EQ(font.Attribute(), 1);
  label->SetText(nullptr);
  EXPECT_EQ(label->Text(), "");
  EXPECT_FALSE(label->CanFocus());  // labels never take the focus
  label->Deactivate();
  EXPECT_FALSE(label->IsActive());
  label->SetMarked(true);
  auto* node = OGTHeadlessNode::Of(label);
  int32_t before = node->invalidations_;
  label->ClearMarked(true);
  EXPECT_EQ(node->invalidations_, before + 1);
  label->ClearMarked(true);  // no longer marked: no redraw
  EXPECT_EQ(node->invalidations_, before + 1);
  label->InvalidateUp();
  EXPECT_EQ(OGTHeadlessNode::Of(&window_)->invalidations_, 1);

  label->SetText("Name");
  label->SetID(9);
  OGTSeen seen = factory_.Screen().Snapshot(&window_);
  ASSERT_EQ(seen.items.size(), 1u);
  EXPECT_EQ(seen.items[0].id, 9);
  EXPECT_EQ(seen.items[0].text, "Name");
  EXPECT_EQ(seen.x, 50);
}

}  // namespace
