#include "gt/OGTItem.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include "Sjis.h"
#include "gt/OGTButton.h"
#include "gt/OGTCompositItem.h"
#include "gt/OGTEvent.h"
#include "gt/OGTField.h"
#include "gt/OGTGraphics.h"
#include "gt/OGTLabel.h"
#include "gt/OGTWindow.h"
#include "gt/imp/headless/OGTHeadlessFactory.h"

namespace {

using Event = std::pair<OGTItem*, int32_t>;

// A composite that keeps every event reaching it.
class RecordingComposite : public OGTCompositItem {
 public:
  void OnEvent(OGTItem* item, int32_t code) override { events.emplace_back(item, code); }
  std::vector<Event> events;
};

// A window that keeps the events it sees before handling them as windows do.
class RecordingWindow : public OGTWindow {
 public:
  void OnEvent(OGTItem* item, int32_t code) override {
    events.emplace_back(item, code);
    OGTWindow::OnEvent(item, code);
  }
  std::vector<Event> events;
};

template <class T>
T* Place(OGTCompositItem& parent, int32_t id, bool show = true) {
  auto* item = new T;
  item->Create(0, &parent);
  parent.AddChild(std::unique_ptr<OGTItem>(item), -1);
  item->SetID(id);
  item->SetPosition(10, 10 * id, true);
  item->SetSize(100, 20, true);
  item->Activate();
  item->Enable();
  if (show) item->Show();
  return item;
}

TEST(OGTCompositItem, AddChildPositionsAndRefusals) {
  OGTCompositItem parent;
  auto* a = new OGTItem;
  auto* b = new OGTItem;
  auto* c = new OGTItem;
  auto* d = new OGTItem;
  parent.AddChild(std::unique_ptr<OGTItem>(a), -1);
  parent.AddChild(std::unique_ptr<OGTItem>(b), 99);  // beyond the end appends
  parent.AddChild(std::unique_ptr<OGTItem>(c), -5);  // other negatives insert first
  parent.AddChild(std::unique_ptr<OGTItem>(d), 1);
  // Already present: it stays where it is, still owned once.
  EXPECT_EQ(parent.AddChild(std::unique_ptr<OGTItem>(a), 0), a);
  EXPECT_EQ(parent.AddChild(nullptr, 0), nullptr);
  ASSERT_EQ(parent.ChildCount(), 4);
  EXPECT_EQ(parent.ChildAt(0), c);
  EXPECT_EQ(parent.ChildAt(1), d);
  EXPECT_EQ(parent.ChildAt(2), a);
  EXPECT_EQ(parent.ChildAt(3), b);
  EXPECT_EQ(parent.ChildAt(4), nullptr);
  EXPECT_EQ(parent.ChildAt(-1), nullptr);
  EXPECT_EQ(a->Parent(), &parent);
  EXPECT_EQ(parent.IndexOf(nullptr), -2);
  OGTItem stranger;
  EXPECT_EQ(parent.IndexOf(&stranger), -2);

  // Itself: a cycle. Refused and left to its owner (deleting it would free a stack object).
  EXPECT_EQ(parent.AddChild(std::unique_ptr<OGTItem>(&parent), -1), nullptr);
  EXPECT_EQ(parent.ChildCount(), 4);

  parent.RemoveChild(b);
  EXPECT_EQ(b->Parent(), nullptr);
  EXPECT_EQ(parent.IndexOf(b), -2);
  delete b;  // removal does not delete
  parent.DeleteChildAt(0);
  EXPECT_EQ(parent.ChildAt(0), d);
}

TEST(OGTCompositItem, MoveChild) {
  OGTCompositItem parent;
  OGTItem* items[3];
  for (auto*& item : items) {
    item = new OGTItem;
    parent.AddChild(std::unique_ptr<OGTItem>(item), -1);
  }
  auto order = [&] {
    std::vector<int> seen;
    for (int32_t i = 0; i < parent.ChildCount(); ++i) {
      for (int k = 0; k < 3; ++k) {
        if (parent.ChildAt(i) == items[k]) seen.push_back(k);
      }
    }
    return seen;
  };
  parent.MoveChild(0, 2);
  EXPECT_EQ(order(), (std::vector<int>{1, 0, 2}));  // 2nd, 1st, 3rd
  parent.MoveChild(2, 0);
  EXPECT_EQ(order(), (std::vector<int>{2, 1, 0}));
  parent.MoveChild(0, -1);  // to the end
  EXPECT_EQ(order(), (std::vector<int>{1, 0, 2}));
  parent.MoveChild(1, 1);
  parent.MoveChild(3, 0);
  parent.MoveChild(0, 3);
  parent.MoveChild(-1, 0);
  EXPECT_EQ(order(), (std::vector<int>{1, 0, 2}));
}

TEST(OGTCompositItem, ChildMovesBetweenParentsAndDiesWithTheLast) {
  OGTCompositItem first;
  auto second = std::make_unique<OGTCompositItem>();
  auto* child = new OGTCompositItem;
  auto* grandchild = new OGTItem;
  child->AddChild(std::unique_ptr<OGTItem>(grandchild), -1);
  first.AddChild(std::unique_ptr<OGTItem>(child), -1);
  EXPECT_EQ(second->AddChild(first.TakeChild(child), -1), child);
  EXPECT_EQ(first.ChildCount(), 0);  // taken out of the first parent
  EXPECT_EQ(first.TakeChild(child), nullptr);
  EXPECT_EQ(child->Parent(), second.get());
  // An ancestor is refused and stays with its owner here.
  EXPECT_EQ(child->AddChild(std::unique_ptr<OGTItem>(second.get()), -1), nullptr);
  EXPECT_EQ(child->ChildCount(), 1);
  second.reset();  // deletes child and grandchild (a leak or double delete fails under ASan)
  EXPECT_EQ(first.ChildCount(), 0);
}

TEST(OGTCompositItem, SearchesAndFlagsCoverTheSubtree) {
  OGTCompositItem root;
  root.SetID(1);
  auto* group = new OGTCompositItem;
  group->SetID(2);
  auto* deep = new OGTItem;
  deep->SetID(3);
  auto* flat = new OGTItem;
  flat->SetID(3);
  group->AddChild(std::unique_ptr<OGTItem>(deep), -1);
  root.AddChild(std::unique_ptr<OGTItem>(group), -1);
  root.AddChild(std::unique_ptr<OGTItem>(flat), -1);
  EXPECT_EQ(root.FindByID(1), &root);
  EXPECT_EQ(root.FindByID(3), deep);  // depth first: the group's child comes before flat
  EXPECT_EQ(root.FindByID(4), nullptr);
  EXPECT_TRUE(flat->HasID(3));

  EXPECT_FALSE(root.IsModified());
  deep->SetModified(true);
  EXPECT_TRUE(root.IsModified());
  root.ClearModified();
  EXPECT_FALSE(deep->IsModified());

  EXPECT_EQ(root.FirstMarkedChild(), nullptr);
  flat->SetMarked(true);
  deep->SetMarked(true);
  EXPECT_EQ(root.FirstMarkedChild(), flat);  // direct children only
  root.ClearMarked(false);
  EXPECT_FALSE(flat->IsMarked());
  EXPECT_FALSE(deep->IsMarked());
}

TEST(OGTItem, ScriptsAreCutAtCharacterBoundaries) {
  OGTItem item;
  std::string script = Sj("@ShowForm(\"日本\");");
  item.SetScript(script.c_str());
  EXPECT_EQ(item.GetScriptLength(), script.size());
  char buffer[13];  // 12 bytes fit, but the 12th is the first half of 日
  item.GetScript(buffer, sizeof buffer);
  EXPECT_EQ(std::string(buffer), script.substr(0, 11));
  VString copy;
  item.GetScript(copy);
  EXPECT_EQ(copy.ToStdString(), script);
  item.SetScript(static_cast<const char*>(nullptr));
  EXPECT_EQ(item.GetScriptLength(), 0u);
}

// Everything without a factory: state is kept, the platform side is absent, queries are neutral.
TEST(OGTItem, WithoutAFactoryNothingShowsAndQueriesAreNeutral) {
  ASSERT_EQ(OGTImpFactory::Current(), nullptr);
  OGTWindow window;
  EXPECT_EQ(window.Create(0, nullptr), nullptr);
  auto* field = new OGTField;
  EXPECT_EQ(field->Create(0, &window), nullptr);
  window.AddChild(std::unique_ptr<OGTItem>(field), -1);
  field->SetID(7);
  field->SetPosition(5, 6, true);
  field->SetText("abc");
  field->SetValue(3);
  field->Show();
  window.Show();
  int32_t x = -1, y = -1, value = -1;
  field->GetPosition(x, y);
  field->GetValue(value);
  EXPECT_EQ(x, 0);
  EXPECT_EQ(y, 0);
  EXPECT_EQ(value, 0);
  char text[8] = "zzz";
  field->GetText(text, sizeof text);
  EXPECT_STREQ(text, "");
  OGTRect bounds(1, 2, 3, 4);
  field->GetBounds(bounds);
  EXPECT_EQ(bounds, OGTRect());
  EXPECT_FALSE(field->CanFocus());
  EXPECT_FALSE(field->IsVisible());
  EXPECT_EQ(field->TextLimit(), 0);
  EXPECT_FALSE(window.Cut());
  EXPECT_EQ(window.FocusedItem(), nullptr);
  EXPECT_FALSE(window.FocusFirst());
  EXPECT_EQ(window.FindByID(7), field);  // the identity still works
  EXPECT_EQ(field->Text(), "");
}

TEST(OGTImpFactory, TheLatestFactoryIsCurrentUntilItGoes) {
  ASSERT_EQ(OGTImpFactory::Current(), nullptr);
  auto first = std::make_unique<OGTImpFactory>();
  EXPECT_EQ(OGTImpFactory::Current(), first.get());
  auto second = std::make_unique<OGTHeadlessFactory>();
  EXPECT_EQ(OGTImpFactory::Current(), second.get());
  first.reset();  // not the current one: the second stays
  EXPECT_EQ(OGTImpFactory::Current(), second.get());
  OGTLabel label;
  EXPECT_NE(label.Create(0, nullptr), nullptr);
  second.reset();
  EXPECT_EQ(OGTImpFactory::Current(), nullptr);
  label.SetText("still safe");  // its implementation outlives the factory

  OGTImpFactory base;  // the base factory makes nothing
  OGTLabel bare;
  EXPECT_EQ(bare.Create(0, nullptr), nullptr);
}

TEST(OGTWindow, EventsTravelUpToTheFirstWindowOnly) {
  OGTHeadlessFactory factory;
  RecordingComposite application;
  auto* window = new RecordingWindow;
  window->Create(0, &application);
  application.AddChild(std::unique_ptr<OGTItem>(window), -1);
  auto* group = new OGTCompositItem;
  group->Create(0, window);
  window->AddChild(std::unique_ptr<OGTItem>(group), -1);
  auto* button = Place<OGTButton>(*group, 5);
  window->Show();

  EXPECT_TRUE(factory.User().Press(button));
  ASSERT_EQ(window->events.size(), 1u);
  EXPECT_EQ(window->events[0], Event(button, kOGTEventButtonPressed));
  EXPECT_TRUE(application.events.empty());  // a plain window passes nothing up

  button->Disable();
  EXPECT_FALSE(factory.User().Press(button));
  EXPECT_EQ(window->events.size(), 1u);

  auto address = reinterpret_cast<uintptr_t>(static_cast<OGTItem*>(window));
  delete window;  // tells its parent, which ignores it here but sees it
  ASSERT_EQ(application.events.size(), 1u);
  EXPECT_EQ(application.events[0].second, kOGTEventDestroyed);
  EXPECT_EQ(reinterpret_cast<uintptr_t>(application.events[0].first), address);
  EXPECT_EQ(application.ChildCount(), 0);
}

TEST(OGTWindow, ShowFocusesTheFirstFocusableChild) {
  OGTHeadlessFactory factory;
  OGTWindow empty;
  empty.Create(0, nullptr);
  Place<OGTLabel>(empty, 1);
  empty.Show();
  EXPECT_EQ(empty.FocusedItem(), nullptr);
  EXPECT_EQ(factory.Screen().Focus(), nullptr);

  OGTWindow window;
  window.Create(0, nullptr);
  Place<OGTLabel>(window, 1);
  Place<OGTField>(window, 2, false);  // hidden: cannot take the focus
  auto* second = Place<OGTField>(window, 3);
  window.Show();
  EXPECT_EQ(window.FocusedItem(), second);
  EXPECT_EQ(empty.FocusedItem(), nullptr);  // the focus lives in the other window
}

TEST(OGTWindow, TabAndShiftTabWrapRound) {
  OGTHeadlessFactory factory;
  OGTHeadlessUser& user = factory.User();
  OGTWindow window;
  window.Create(1, nullptr);
  auto* first = Place<OGTField>(window, 1);
  Place<OGTLabel>(window, 2);
  auto* middle = Place<OGTField>(window, 3);
  auto* last = Place<OGTField>(window, 4);
  auto* disabled = Place<OGTField>(window, 5);
  disabled->Disable();
  window.Show();
  ASSERT_EQ(window.FocusedItem(), first);

  user.Key(kOGTKeyTab);
  EXPECT_EQ(window.FocusedItem(), middle);
  user.Key(kOGTKeyTab);
  EXPECT_EQ(window.FocusedItem(), last);
  user.Key(kOGTKeyTab);  // from the last focusable child to the first
  EXPECT_EQ(window.FocusedItem(), first);
  user.Key(kOGTKeyTab, kOGTShift);  // from the first back to the last
  EXPECT_EQ(window.FocusedItem(), last);
  user.Key(kOGTKeyTab, kOGTShift);
  EXPECT_EQ(window.FocusedItem(), middle);

  // A lone focusable child keeps the focus either way; with none, backwards answers false.
  OGTWindow lone;
  lone.Create(1, nullptr);
  auto* only = Place<OGTField>(lone, 1);
  lone.Show();
  EXPECT_TRUE(lone.FocusNext(true));
  EXPECT_EQ(lone.FocusedItem(), only);
  only->Hide();
  EXPECT_FALSE(lone.FocusNext(true));
  EXPECT_EQ(lone.FocusedItem(), nullptr);
}

TEST(OGTWindow, CloseBoxAsksCanCloseAndDeletesTheWindow) {
  class Stubborn : public OGTWindow {
   public:
    bool CanClose() override { return allow; }
    bool allow = false;
  };
  OGTHeadlessFactory factory;
  RecordingComposite application;
  auto* window = new Stubborn;
  window->Create(0, &application);
  application.AddChild(std::unique_ptr<OGTItem>(window), -1);
  Place<OGTField>(*window, 1);
  window->Show();
  EXPECT_FALSE(factory.User().Close(window));
  EXPECT_EQ(application.ChildCount(), 1);
  window->allow = true;
  EXPECT_TRUE(factory.User().Close(window));
  EXPECT_EQ(application.ChildCount(), 0);
  ASSERT_EQ(application.events.size(), 1u);
  EXPECT_EQ(application.events[0].second, kOGTEventDestroyed);
  EXPECT_TRUE(factory.Screen().TopLevels().empty());
  EXPECT_EQ(factory.Screen().Focus(), nullptr);
}

}  // namespace
