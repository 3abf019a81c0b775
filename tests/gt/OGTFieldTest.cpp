#include "gt/OGTField.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "Sjis.h"
#include "gt/OGTEvent.h"
#include "gt/OGTWindow.h"
#include "gt/imp/headless/OGTHeadlessControlImp.h"
#include "gt/imp/headless/OGTHeadlessFactory.h"

namespace {

class RecordingWindow : public OGTWindow {
 public:
  void OnEvent(OGTItem* item, int32_t code) override {
    events.emplace_back(item, code);
    OGTWindow::OnEvent(item, code);
  }
  std::vector<std::pair<OGTItem*, int32_t>> events;
};

// An item on a field implementation that lets every key through to the platform.
class PassThroughField : public OGTItem {
 public:
  OGTItemImp* Create(int32_t variant, OGTCompositItem* parent) override {
    return AdoptImp(variant, parent, OGTImpFactory::Current()->MakeFieldImp(parent));
  }
};

class FieldTest : public ::testing::Test {
 protected:
  FieldTest() {
    window_.Create(0, nullptr);
    window_.Show();
  }

  template <class T = OGTField>
  T* AddField(int32_t variant) {
    auto* field = new T;
    field->Create(variant, &window_);
    window_.AddChild(std::unique_ptr<OGTItem>(field), -1);
    field->Enable();
    field->Show();
    return field;
  }

  std::vector<int32_t> Codes() const {
    std::vector<int32_t> codes;
    for (const auto& event : window_.events) codes.push_back(event.second);
    return codes;
  }

  OGTHeadlessFactory factory_;
  RecordingWindow window_;
};

TEST_F(FieldTest, ReturnSendsEventAndNeverBreaksTheLine) {
  OGTField* single = AddField(0);
  OGTField* multi = AddField(1);
  factory_.User().Type(single, "ab\r");
  factory_.User().Type(multi, "cd\r");
  EXPECT_EQ(single->Text(), "ab");
  EXPECT_EQ(multi->Text(), "cd");  // the field item consumes Return whatever its variant
  factory_.User().Key(kOGTKeyEnter);
  // 22 comes when the first field loses the focus to the second.
  EXPECT_EQ(Codes(), (std::vector<int32_t>{kOGTEventReturn, kOGTEventChanged, kOGTEventReturn,
                                           kOGTEventReturn}));
  EXPECT_EQ(window_.events[0].first, single);
  EXPECT_EQ(window_.events[2].first, multi);
}

TEST_F(FieldTest, UnconsumedReturnDependsOnTheVariant) {
  auto* single = AddField<PassThroughField>(0);
  auto* multi = AddField<PassThroughField>(1);
  factory_.User().Type(single, "a\rb");
  factory_.User().Type(multi, "a\rb");
  EXPECT_EQ(single->Text(), "ab");
  EXPECT_EQ(multi->Text(), "a\r\nb");
  ASSERT_FALSE(window_.events.empty());
  EXPECT_EQ(window_.events[0], std::make_pair(static_cast<OGTItem*>(single), 21));
}

TEST_F(FieldTest, TypingModifiesAndLosingTheFocusReportsItOnce) {
  OGTField* name = AddField(0);
  OGTField* other = AddField(0);
  name->SetText("preset");  // a program's change is no user change
  EXPECT_FALSE(name->IsModified());
  factory_.User().Focus(name);
  factory_.User().Focus(other);
  EXPECT_TRUE(window_.events.empty());

  factory_.User().Type(name, "x");
  EXPECT_TRUE(name->IsModified());
  factory_.User().Focus(other);
  factory_.User().Focus(name);
  factory_.User().Focus(other);
  EXPECT_EQ(Codes(), std::vector<int32_t>{kOGTEventChanged});
  EXPECT_EQ(window_.events[0].first, name);
}

TEST_F(FieldTest, DoubleByteCharactersAreTypedAndErasedWhole) {
  OGTField* field = AddField(0);
  std::string text = Sj("日本ｱ語");  // ｱ is a single-byte half-width character
  factory_.User().Type(field, text);
  EXPECT_EQ(field->Text(), text);
  factory_.User().Key(kOGTKeyBackspace);
  factory_.User().Key(kOGTKeyBackspace);
  EXPECT_EQ(field->Text(), Sj("日本"));
  factory_.User().Key(kOGTKeyArrowLeft);
  factory_.User().Key(kOGTKeyDelete);
  EXPECT_EQ(field->Text(), Sj("日"));
}

TEST_F(FieldTest, TextLimitStopsTypingButNotPrograms) {
  OGTField* field = AddField(0);
  EXPECT_EQ(field->TextLimit(), 32000);
  field->SetTextLimit(100000);
  EXPECT_EQ(field->TextLimit(), 32767);
  field->SetTextLimit(3);
  factory_.User().Type(field, Sj("ab日"));  // 日 would make four bytes
  EXPECT_EQ(field->Text(), "ab");
  field->SetText("longer than three");
  EXPECT_EQ(field->Text(), "longer than three");
}

TEST_F(FieldTest, ClipboardCommandsActOnTheFocusedField) {
  OGTField* field = AddField(0);
  OGTField* other = AddField(0);
  factory_.User().Type(field, "hello");
  EXPECT_FALSE(window_.Copy());  // nothing selected
  EXPECT_TRUE(window_.SelectAll());
  EXPECT_TRUE(window_.Cut());
  EXPECT_EQ(field->Text(), "");
  factory_.User().Focus(other);
  EXPECT_TRUE(window_.Paste());
  EXPECT_TRUE(window_.Paste());
  EXPECT_EQ(other->Text(), "hellohello");
  EXPECT_TRUE(other->IsModified());
  EXPECT_EQ(window_.FocusedItem(), other);

  OGTField detached;  // without a field implementation the operations answer false
  EXPECT_FALSE(detached.Cut());
  EXPECT_FALSE(detached.SelectAll());
}

TEST_F(FieldTest, TabAndShiftTabMoveTheFocus) {
  OGTField* first = AddField(0);
  OGTField* second = AddField(0);
  factory_.User().Type(first, "a\tb");
  EXPECT_EQ(first->Text(), "a");
  EXPECT_EQ(second->Text(), "b");
  factory_.User().Key(kOGTKeyTab, kOGTShift);
  EXPECT_EQ(window_.FocusedItem(), first);
  EXPECT_EQ(Codes(), (std::vector<int32_t>{kOGTEventFocusNext, kOGTEventChanged,
                                           kOGTEventFocusPrevious, kOGTEventChanged}));
}

}  // namespace
