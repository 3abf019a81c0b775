// The simple controls through their toolkit items: what each asks of the factory, the events and
// values a person's presses produce, image names, scroll bars and how Tab walks a form.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "gt/OGTButton.h"
#include "gt/OGTCheckBox.h"
#include "gt/OGTCircle.h"
#include "gt/OGTEvent.h"
#include "gt/OGTField.h"
#include "gt/OGTLabel.h"
#include "gt/OGTLine.h"
#include "gt/OGTList.h"
#include "gt/OGTPlane.h"
#include "gt/OGTRadioBtn.h"
#include "gt/OGTScrollBar.h"
#include "gt/OGTWindow.h"
#include "gt/imp/OGTPlatformRules.h"
#include "gt/imp/headless/OGTHeadlessControlImp.h"
#include "gt/imp/headless/OGTHeadlessFactory.h"

namespace {

// Keeps each event with the value its item holds when the event arrives.
class EventWindow : public OGTWindow {
 public:
  void OnEvent(OGTItem* item, int32_t code) override {
    int32_t value = 0;
    item->GetValue(value);
    events.push_back({item, code, value});
    if (onEvent) onEvent();
    OGTWindow::OnEvent(item, code);
  }
  struct Seen {
    OGTItem* item;
    int32_t code;
    int32_t value;
    bool operator==(const Seen&) const = default;
  };
  std::vector<Seen> events;
  std::function<void()> onEvent;
};

class SimpleControlTest : public ::testing::Test {
 protected:
  SimpleControlTest() {
    window_.Create(0, nullptr);
    window_.Show();
  }

  template <class T>
  T* Add(int32_t x, int32_t y, int32_t width, int32_t height, int32_t variant = 0) {
    auto* item = new T;
    item->Create(variant, &window_);
    window_.AddChild(std::unique_ptr<OGTItem>(item), -1);
    item->SetPosition(x, y, false);
    item->SetSize(width, height, false);
    item->Enable();
    item->Show();
    return item;
  }

  std::vector<std::string> Images() {
    std::vector<std::string> names;
    for (const OGTDrawCall& call : factory_.Screen().Draws()) {
      if (call.op == OGTDrawCall::kImage) names.push_back(call.text);
    }
    return names;
  }

  OGTHeadlessFactory factory_;
  EventWindow window_;
};

TEST_F(SimpleControlTest, EachControlAsksForItsOwnImplementation) {
  struct Case {
    OGTItem* item;
    int32_t kind;
  };
  std::vector<Case> cases = {
      {Add<OGTLabel>(0, 0, 1, 1), kOGTKindLabel},
      {Add<OGTField>(0, 0, 1, 1), kOGTKindField},
      {Add<OGTButton>(0, 0, 1, 1), kOGTKindButton},
      {Add<OGTRadioBtn>(0, 0, 1, 1), kOGTKindRadioBtn},
      {Add<OGTCheckBox>(0, 0, 1, 1), kOGTKindCheckBox},
      {Add<OGTScrollBar>(0, 0, 1, 1), kOGTKindScrollBar},
      {Add<OGTLine>(0, 0, 1, 1), kOGTKindLine},
      {Add<OGTPlane>(0, 0, 1, 1), kOGTKindPlane},
      {Add<OGTCircle>(0, 0, 1, 1), kOGTKindCircle},
      {Add<OGTList>(0, 0, 1, 1), kOGTKindList},
  };
  for (const Case& one : cases) {
    EXPECT_EQ(one.item->Kind(), one.kind);
    ASSERT_NE(one.item->Imp(), nullptr) << one.kind;
    EXPECT_EQ(one.item->Imp()->Kind(), one.kind);  // the implementation serves the same kind
  }
}

TEST_F(SimpleControlTest, PressesSetValuesBeforeTheFormHearsOfThem) {
  auto* check = Add<OGTCheckBox>(0, 0, 80, 16);
  auto* first = Add<OGTRadioBtn>(0, 20, 80, 16);
  auto* second = Add<OGTRadioBtn>(0, 40, 80, 16);
  auto* button = Add<OGTButton>(0, 60, 80, 22);
  auto& user = factory_.User();
  check->SetValue(1);
  ASSERT_TRUE(user.Press(check));  // 1 becomes 0 before 13 is sent
  ASSERT_TRUE(user.Press(check));
  second->SetValue(1);
  ASSERT_TRUE(user.Press(first));  // a radio button sets only itself
  ASSERT_TRUE(user.Press(button));
  using S = EventWindow::Seen;
  EXPECT_EQ(window_.events, (std::vector<S>{{check, kOGTEventCheckPressed, 0},
                                            {check, kOGTEventCheckPressed, 1},
                                            {first, kOGTEventRadioPressed, 1},
                                            {button, kOGTEventButtonPressed, 0}}));
  int32_t value = 0;
  second->GetValue(value);
  EXPECT_EQ(value, 1);

  button->Disable();
  EXPECT_FALSE(user.Press(button));  // out of a person's reach
  EXPECT_EQ(window_.events.size(), 4u);
}

TEST_F(SimpleControlTest, RadioButtonsOfOneGroupExcludeEachOtherAndNoOthers) {
  auto* cash = Add<OGTRadioBtn>(0, 0, 80, 16);
  auto* card = Add<OGTRadioBtn>(0, 20, 80, 16);
  auto* loose = Add<OGTRadioBtn>(0, 40, 80, 16);  // in no group
  auto* post = Add<OGTRadioBtn>(0, 60, 80, 16);   // another group
  cash->SetGroup(1);
  card->SetGroup(1);
  post->SetGroup(2);
  cash->SetValue(1);
  loose->SetValue(1);
  post->SetValue(1);
  auto value = [](OGTItem* item) {
    int32_t v = 0;
    item->GetValue(v);
    return v;
  };
  // The form hears of the press once the group is as the user left it; the button turned off
  // sends nothing.
  std::vector<int32_t> whenHeard;
  window_.onEvent = [&] { whenHeard = {value(cash), value(card)}; };
  auto& user = factory_.User();
  ASSERT_TRUE(user.Press(card));
  using S = EventWindow::Seen;
  EXPECT_EQ(window_.events, (std::vector<S>{{card, kOGTEventRadioPressed, 1}}));
  EXPECT_EQ(whenHeard, (std::vector<int32_t>{0, 1}));
  EXPECT_EQ(value(cash), 0);
  EXPECT_EQ(value(card), 1);
  EXPECT_EQ(value(loose), 1);
  EXPECT_EQ(value(post), 1);
  // Pressing the button that is on changes nothing but sends its event again.
  ASSERT_TRUE(user.Press(card));
  EXPECT_EQ(window_.events.size(), 2u);
  EXPECT_EQ(value(card), 1);
  // A button outside any group sets only itself, as before.
  ASSERT_TRUE(user.Press(loose));
  ASSERT_TRUE(user.Press(cash));
  EXPECT_EQ(value(card), 0);
  EXPECT_EQ(value(loose), 1);
  // Scripts still set any value: the group is a user's rule, not a check on values.
  card->SetValue(1);
  EXPECT_EQ(value(cash), 1);
}

TEST_F(SimpleControlTest, TabWalksFieldsListsAndButtons) {
  auto* name = Add<OGTField>(0, 0, 100, 20);
  Add<OGTLabel>(0, 25, 100, 20);  // labels take no focus
  auto* list = Add<OGTList>(0, 50, 100, 80);
  auto* ok = Add<OGTButton>(0, 140, 80, 22);
  auto* hidden = Add<OGTField>(0, 170, 100, 20);
  hidden->Hide();
  auto* check = Add<OGTCheckBox>(0, 200, 80, 16);
  auto* note = Add<OGTField>(0, 220, 100, 20);
  auto& user = factory_.User();

  std::vector<OGTItem*> visited;
  user.Focus(name);
  for (int i = 0; i < 6; ++i) {
    user.Key(kOGTKeyTab);
    visited.push_back(window_.FocusedItem());
  }
  EXPECT_EQ(visited, (std::vector<OGTItem*>{list, ok, check, note, name, list}));
  visited.clear();
  for (int i = 0; i < 3; ++i) {
    user.Key(kOGTKeyTab, kOGTShift);
    visited.push_back(window_.FocusedItem());
  }
  EXPECT_EQ(visited, (std::vector<OGTItem*>{name, note, check}));
  EXPECT_EQ(name->Text(), "");  // Tab never reached a field as text
}

TEST_F(SimpleControlTest, ReturnInAFieldIsAnEventNotText) {
  auto* field = Add<OGTField>(0, 0, 100, 40, 1);  // even a field that takes line breaks
  factory_.User().Type(field, "ab\rc");
  EXPECT_EQ(field->Text(), "abc");
  ASSERT_FALSE(window_.events.empty());
  EXPECT_EQ(window_.events[0].code, kOGTEventReturn);
  EXPECT_EQ(window_.events[0].item, field);
}

TEST_F(SimpleControlTest, ImageNamesReachImplementationsMadeLater) {
  // Names set before creation, as a form builder may set them.
  auto* plane = new OGTPlane;
  plane->SetImageName("/pictures/tile.bmp");
  auto* button = new OGTButton;
  button->SetImageNames("up.bmp", "down.bmp", "off.bmp");
  for (OGTItem* item : {static_cast<OGTItem*>(button), static_cast<OGTItem*>(plane)}) {
    item->Create(0, &window_);
    window_.AddChild(std::unique_ptr<OGTItem>(item), -1);
    item->SetSize(40, 20, false);
    item->Enable();
    item->Show();
  }
  window_.Update(true);
  EXPECT_EQ(Images(), (std::vector<std::string>{"up.bmp", "/pictures/tile.bmp"}));

  factory_.Screen().ClearDraws();
  button->Disable();  // a disabled button with a disabled image shows it
  plane->SetImageName("");
  EXPECT_EQ(plane->ImageName(), nullptr);
  window_.Update(true);
  EXPECT_EQ(Images(), std::vector<std::string>{"off.bmp"});

  factory_.Screen().ClearDraws();
  button->SetImageNames("up.bmp", "down.bmp", nullptr);  // none for disabled: the normal one
  window_.Update(true);
  EXPECT_EQ(Images(), std::vector<std::string>{"up.bmp"});
}

TEST_F(SimpleControlTest, ToggleButtonsShowThePressedImageWhileSet) {
  auto* toggle = Add<OGTButton>(0, 0, 40, 20, 1);
  auto* plain = Add<OGTButton>(50, 0, 40, 20, 0);
  toggle->SetImageNames("up.bmp", "down.bmp", "");
  plain->SetImageNames("up.bmp", "down.bmp", "");
  toggle->SetValue(1);
  plain->SetValue(1);  // the value means nothing to a plain button's look
  window_.Update(true);
  EXPECT_EQ(Images(), (std::vector<std::string>{"down.bmp", "up.bmp"}));
  // Held down, a set toggle button looks released: exactly one of the two must hold.
  EXPECT_EQ(OGTButtonImageIndex(1, true, true, 1, false), 0);
  EXPECT_EQ(OGTButtonImageIndex(2, true, true, 0, false), 1);
  EXPECT_EQ(OGTButtonImageIndex(0, true, true, 0, false), 1);
  EXPECT_EQ(OGTButtonImageIndex(0, false, false, 0, false), 0);
}

TEST_F(SimpleControlTest, ScrollBarItemsForwardToTheirImplementation) {
  auto* bar = Add<OGTScrollBar>(0, 0, 14, 100, OGTScrollBar::kVertical);
  EXPECT_EQ(bar->Thickness(), 14);
  bar->SetRange(0, 40);
  bar->SetScrollPosition(55);
  EXPECT_EQ(bar->GetScrollPosition(), 40);
  bar->SetLineSteps(-2, 3);
  bar->SetPageSteps(-20, 30);
  int32_t back = 0;
  int32_t forward = 0;
  bar->GetLineSteps(back, forward);
  EXPECT_EQ(std::make_pair(back, forward), std::make_pair(-2, 3));
  bar->GetPageSteps(back, forward);
  EXPECT_EQ(std::make_pair(back, forward), std::make_pair(-20, 30));
  ASSERT_TRUE(factory_.User().Scroll(bar, kOGTEventPageForward));
  EXPECT_EQ(window_.events.back().code, kOGTEventPageForward);  // a form's bar reports to it

  OGTScrollBar loose;  // without an implementation every answer is 0
  loose.SetRange(1, 9);
  int32_t min = 5;
  int32_t max = 5;
  loose.GetRange(min, max);
  EXPECT_EQ(std::make_pair(min, max), std::make_pair(0, 0));
  EXPECT_EQ(loose.Thickness(), 0);
}

}  // namespace
