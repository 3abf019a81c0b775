// The styled-text items on the headless side: markup in and out, keys and mouse as a person uses
// them, the scroll bar, what is drawn for each style, the window's editing commands, and the
// database-bound item showing, gathering and clearing a record's value.
#include "vtx/OGTStyleEdit.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "Sjis.h"
#include "db/schema/VRecord.h"
#include "db/schema/VValue.h"
#include "gt/OGTEvent.h"
#include "gt/OGTField.h"
#include "gt/OGTScrollBar.h"
#include "gt/OGTWindow.h"
#include "gt/imp/headless/OGTHeadlessFactory.h"
#include "gt/imp/headless/OGTHeadlessImp.h"
#include "vtx/OGTDBStyleEdit.h"
#include "vtx/VtxEdit.h"

namespace {

class EventWindow : public OGTWindow {
 public:
  void OnEvent(OGTItem* item, int32_t code) override {
    events.emplace_back(item, code);
    OGTWindow::OnEvent(item, code);
  }
  std::vector<std::pair<OGTItem*, int32_t>> events;
};

std::string MarkupOf(const OGTStyleEdit& item) {
  std::vector<char> buffer(item.MarkupLength() + 1);
  size_t length = 0;
  item.GetMarkup(buffer.data(), buffer.size(), &length);
  return std::string(buffer.data(), length);
}

// The item stands at (10, 20), 200 x 100, beside a plain field; its vertical bar (14 thick) makes
// the text area (12, 22) to (194, 118), and lines break at 178 units.
class StyleEditTest : public ::testing::Test {
 protected:
  StyleEditTest() {
    window_.Create(0, nullptr);
    window_.SetSize(400, 300, false);
    item_ = Add(std::make_unique<OGTStyleEdit>(), 10, 20, 200, 100);
    auto field = std::make_unique<OGTField>();
    field->Create(0, &window_);
    field_ = static_cast<OGTField*>(window_.AddChild(std::move(field), -1));
    field_->Show();
    field_->Enable();
    window_.Show();
  }

  template <class Item>
  Item* Add(std::unique_ptr<Item> made, int32_t x, int32_t y, int32_t width, int32_t height) {
    made->Create(0, &window_);
    Item* item = static_cast<Item*>(window_.AddChild(std::move(made), -1));
    item->SetPosition(x, y, false);
    item->SetSize(width, height, false);
    item->Enable();
    item->Show();
    return item;
  }

  // Text drawn since the draws were last cleared, in order.
  std::vector<OGTDrawCall> TextDraws() {
    std::vector<OGTDrawCall> texts;
    for (const OGTDrawCall& call : factory_.Screen().Draws()) {
      if (call.op == OGTDrawCall::kText) texts.push_back(call);
    }
    return texts;
  }

  std::vector<OGTDrawCall> Fills(const OGTColor& color) {
    std::vector<OGTDrawCall> fills;
    for (const OGTDrawCall& call : factory_.Screen().Draws()) {
      if (call.op == OGTDrawCall::kFillRect && call.fill == color) fills.push_back(call);
    }
    return fills;
  }

  void Paint() {
    factory_.Screen().ClearDraws();
    factory_.Screen().Paint(item_, false);
  }

  OGTHeadlessFactory factory_;
  EventWindow window_;
  OGTStyleEdit* item_ = nullptr;
  OGTField* field_ = nullptr;
};

TEST_F(StyleEditTest, MarkupGoesInAndComesOutWithItsText) {
  EXPECT_EQ(item_->Kind(), kOGTKindStyleEdit);
  std::string markup = "a<B>bold</B><BR/>" + Sj("漢字");
  item_->SetMarkup(markup.c_str(), true);
  EXPECT_EQ(MarkupOf(*item_), markup);
  EXPECT_EQ(item_->MarkupLength(), markup.size());
  EXPECT_EQ(item_->TextLength(), 10u);
  EXPECT_EQ(item_->Text(), "abold\r" + Sj("漢字"));
  // Buffers are filled with whole characters only.
  char small[9];
  item_->GetText(small, sizeof small);
  EXPECT_EQ(std::string(small), "abold\r" + Sj("漢"));
  item_->GetTextRange(9, 1, small, sizeof small);
  EXPECT_EQ(std::string(small), "bold\r" + Sj("漢"));
  item_->GetTextRange(20, 30, small, sizeof small);
  EXPECT_EQ(std::string(small), "");
  item_->GetTextRange(3, 3, small, sizeof small);
  EXPECT_EQ(std::string(small), "");
  // The item's text is its markup.
  item_->SetText("<I>x</I>");
  EXPECT_EQ(item_->Text(), "x");
  // Empty markup clears everything.
  item_->MarkWord("x");
  item_->SetMarkup("", true);
  EXPECT_EQ(item_->TextLength(), 0u);
  EXPECT_EQ(item_->MarkupLength(), 0u);
  EXPECT_EQ(item_->MarkCount(), 0);
}

TEST_F(StyleEditTest, SelectionsAndMarksThroughTheItem) {
  item_->SetMarkup(("abAB" + Sj("かな")).c_str(), true);
  item_->SetSelection(1, 100);
  uint32_t start = 0;
  uint32_t end = 0;
  item_->GetSelection(&start, &end);
  EXPECT_EQ(start, 1u);
  EXPECT_EQ(end, 8u);
  EXPECT_EQ(item_->SelectionLength(), 7u);
  item_->SetSelection(7, 5);
  item_->GetSelection(&start, &end);
  EXPECT_EQ(start, 6u);
  EXPECT_EQ(end, 4u);
  std::string selected;
  ASSERT_TRUE(item_->SelectedText(&selected));
  EXPECT_EQ(selected, Sj("か"));
  item_->SetSelection(3, 3);
  EXPECT_FALSE(item_->SelectedText(&selected));
  item_->MarkWord("ab");
  EXPECT_EQ(item_->MarkCount(), 2);
  ASSERT_TRUE(item_->GetMark(1, &start, &end));
  EXPECT_EQ(start, 2u);
  EXPECT_EQ(end, 4u);
  EXPECT_FALSE(item_->GetMark(2, &start, &end));
  EXPECT_FALSE(item_->GetMark(-1, &start, &end));
  item_->ClearWordMarks();
  EXPECT_EQ(item_->MarkCount(), 0);
}

TEST_F(StyleEditTest, APersonTypesEditsAndMovesThroughTheText) {
  item_->SetMarkup("<B>ab</B>", true);
  item_->SetSelection(2, 2);
  OGTHeadlessUser& user = factory_.User();
  ASSERT_TRUE(user.Type(item_, "c" + Sj("漢") + "d"));
  EXPECT_EQ(item_->Text(), "abc" + Sj("漢") + "d");
  // Typed text takes the style of the text before it.
  EXPECT_EQ(MarkupOf(*item_), "<B>abc" + Sj("漢") + "d</B>");
  EXPECT_TRUE(item_->IsModified());
  user.Key(kOGTKeyArrowLeft);
  user.Key(kOGTKeyBackspace);
  EXPECT_EQ(item_->Text(), "abcd");
  user.Key(kOGTKeyArrowLeft, kOGTShift);
  user.Key(kOGTKeyArrowLeft, kOGTShift);
  uint32_t start = 0;
  uint32_t end = 0;
  item_->GetSelection(&start, &end);
  EXPECT_EQ(start, 3u);
  EXPECT_EQ(end, 1u);
  ASSERT_TRUE(user.Type(item_, "X"));
  EXPECT_EQ(item_->Text(), "aXd");
  user.Key(kOGTKeyDelete);
  EXPECT_EQ(item_->Text(), "aX");
  // "<" cannot be kept as text in markup: it is refused with the alert sound.
  const int32_t beeps = factory_.Screen().Beeps();
  ASSERT_TRUE(user.Type(item_, "<"));
  EXPECT_EQ(item_->Text(), "aX");
  EXPECT_EQ(factory_.Screen().Beeps(), beeps + 1);
  // Control keys are no characters.
  user.Key(kOGTKeyEscape);
  user.Key(kOGTKeyHome);
  user.Key('c', kOGTControl);
  EXPECT_EQ(item_->Text(), "aX");
}

TEST_F(StyleEditTest, ReturnGoesToTheFormAndTabMovesTheFocus) {
  OGTHeadlessUser& user = factory_.User();
  ASSERT_TRUE(user.Focus(item_));
  window_.events.clear();
  user.Key(kOGTKeyReturn);
  user.Key(kOGTKeyEnter);
  ASSERT_EQ(window_.events.size(), 2u);
  EXPECT_EQ(window_.events[0], std::make_pair(static_cast<OGTItem*>(item_), 21));
  EXPECT_EQ(window_.events[1].second, 21);
  EXPECT_EQ(item_->TextLength(), 0u);
  user.Key(kOGTKeyTab);
  EXPECT_EQ(window_.events.back(), std::make_pair(static_cast<OGTItem*>(item_), 72));
  EXPECT_EQ(window_.FocusedItem(), field_);
  ASSERT_TRUE(user.Focus(item_));
  user.Key(kOGTKeyTab, kOGTShift);
  EXPECT_EQ(window_.events.back().second, 71);
}

TEST_F(StyleEditTest, TheMouseSelectsFromPressToRelease) {
  // Text starts at x 14 (the text area's left edge and the margin); letters are 5 wide.
  item_->SetMarkup("0123456789<BR/>abcdefghij", true);
  OGTHeadlessUser& user = factory_.User();
  ASSERT_TRUE(user.Drag(item_, OGTPoint(14 + 12, 25), OGTPoint(14 + 33, 40)));
  uint32_t start = 0;
  uint32_t end = 0;
  item_->GetSelection(&start, &end);
  EXPECT_EQ(start, 2u);
  EXPECT_EQ(end, 17u);
  ASSERT_TRUE(user.Click(item_, OGTPoint(14 + 1, 25), 1, kOGTShift));
  item_->GetSelection(&start, &end);
  EXPECT_EQ(start, 17u);
  EXPECT_EQ(end, 0u);
  // Below the text: the end of the text.
  ASSERT_TRUE(user.Click(item_, OGTPoint(30, 100)));
  item_->GetSelection(&start, &end);
  EXPECT_EQ(start, 21u);
  EXPECT_EQ(end, 21u);
  // A press on the bar is the bar's: the selection stays.
  ASSERT_TRUE(user.Click(item_, OGTPoint(203, 50)));
  item_->GetSelection(&start, &end);
  EXPECT_EQ(end, 21u);
}

TEST_F(StyleEditTest, ATallItemHasAScrollBarThatScrollsTheText) {
  ASSERT_NE(item_->VerticalBar(), nullptr);
  OGTRect bar;
  item_->VerticalBar()->GetBounds(bar);
  EXPECT_EQ(bar, OGTRect(20, 196, 120, 210));
  OGTRect area;
  item_->TextArea(area);
  EXPECT_EQ(area, OGTRect(22, 12, 118, 194));
  auto* low = Add(std::make_unique<OGTStyleEdit>(), 10, 150, 200, 32);
  EXPECT_EQ(low->VerticalBar(), nullptr);
  low->TextArea(area);
  EXPECT_EQ(area, OGTRect(152, 12, 180, 208));
  // Twenty lines of 13 units: 260 high in a text area 96 high.
  std::string markup;
  for (int i = 0; i < 20; ++i) markup += "line<BR/>";
  item_->SetMarkup(markup.c_str(), true);
  int32_t min = 0;
  int32_t max = 0;
  item_->VerticalBar()->GetRange(min, max);
  EXPECT_EQ(max, 273 - 96);  // the empty last line counts too
  ASSERT_TRUE(factory_.User().Scroll(item_->VerticalBar(), kOGTEventLineForward));
  EXPECT_EQ(item_->ScrollPosition(), OGTStyleEdit::kLineStep);
  Paint();
  std::vector<OGTDrawCall> texts = TextDraws();
  ASSERT_FALSE(texts.empty());
  EXPECT_EQ(texts[0].text, "line");
  // The first line lies wholly above the view; the second begins 2 units above it.
  EXPECT_EQ(texts[0].from, OGTPoint(14, 22 - 15 + 13 + 10));
  // The caret moved below the view scrolls it into sight: the empty last line at the bottom.
  item_->SetSelection(0, 0);
  EXPECT_EQ(item_->ScrollPosition(), 0);
  item_->SetSelection(100, 100);
  EXPECT_EQ(item_->ScrollPosition(), 273 - 96);
  EXPECT_EQ(item_->VerticalBar()->GetScrollPosition(), 273 - 96);
}

TEST_F(StyleEditTest, EveryStyleIsDrawnWithItsFont) {
  item_->SetMarkup(
      "p<SIZE 20>s</SIZE><COLOR red>c</COLOR><FACE sys_mincho>f</FACE><B>b</B><I>i</I><U>u</U>"
      "<S>k</S><SUP>h</SUP><SUB>l</SUB>",
      true);
  ASSERT_TRUE(factory_.User().Focus(field_));
  Paint();
  const std::vector<OGTDrawCall> texts = TextDraws();
  std::string order;
  for (const OGTDrawCall& call : texts) order += call.text;
  EXPECT_EQ(order, "pscfbiukhl");
  auto find = [&](const std::string& text) {
    for (const OGTDrawCall& call : texts) {
      if (call.text == text) return call;
    }
    ADD_FAILURE() << "no text " << text;
    return OGTDrawCall();
  };
  EXPECT_EQ(find("p").points, 10);
  EXPECT_EQ(find("s").points, 20);
  EXPECT_EQ(find("c").textColor, colorRed);
  EXPECT_EQ(find("p").textColor, colorBlack);
  EXPECT_EQ(find("f").face, Sj("ＭＳ Ｐ明朝"));
  EXPECT_EQ(find("b").style & kOGTBold, kOGTBold);
  EXPECT_EQ(find("i").style & kOGTItalic, kOGTItalic);
  // Sub- and superscript text is drawn small and shifted; underline and strike-through add lines.
  EXPECT_EQ(find("h").points, 8);
  EXPECT_EQ(find("l").points, 8);
  const int32_t baseline = find("p").from.Y();
  EXPECT_EQ(find("h").from.Y(), baseline - 6);
  EXPECT_EQ(find("l").from.Y(), baseline + 6);
  int32_t lines = 0;
  for (const OGTDrawCall& call : factory_.Screen().Draws()) {
    if (call.op == OGTDrawCall::kLine) ++lines;
  }
  EXPECT_EQ(lines, 3);  // one under "u", two through "k"; no caret without the focus
  // Each piece starts where the one before it ended.
  EXPECT_EQ(find("s").from.X(), find("p").from.X() + 5);
  EXPECT_EQ(find("c").from.X(), find("s").from.X() + 10);
  // Everything is drawn inside the item.
  for (const OGTDrawCall& call : factory_.Screen().Draws()) {
    EXPECT_TRUE(call.clipped);
  }
}

TEST_F(StyleEditTest, TheSelectionTheMarksAndTheCaretAreDrawn) {
  item_->SetMarkup("find the word<BR/>and WORD again", true);
  item_->MarkWord("word");
  item_->SetSelection(0, 4);
  Paint();
  const std::vector<OGTDrawCall> selection = Fills(VtxEdit::kSelectionColor);
  ASSERT_EQ(selection.size(), 1u);
  EXPECT_EQ(selection[0].rect, OGTRect(22, 14, 35, 34));
  const std::vector<OGTDrawCall> marks = Fills(VtxEdit::kMarkColor);
  ASSERT_EQ(marks.size(), 2u);
  EXPECT_EQ(marks[0].rect, OGTRect(22, 14 + 45, 35, 14 + 65));
  EXPECT_EQ(marks[1].rect, OGTRect(35, 14 + 20, 48, 14 + 40));
  // With the focus and nothing selected the caret shows as a line through its line.
  ASSERT_TRUE(factory_.User().Focus(item_));
  item_->SetSelection(14, 14);
  Paint();
  bool caret = false;
  for (const OGTDrawCall& call : factory_.Screen().Draws()) {
    if (call.op == OGTDrawCall::kLine && call.from == OGTPoint(14, 35) &&
        call.to == OGTPoint(14, 47)) {
      caret = true;
    }
  }
  EXPECT_TRUE(caret);
}

TEST_F(StyleEditTest, TheWindowsEditingCommandsUseTheClipboard) {
  item_->SetMarkup("<B>abc</B>def", true);
  ASSERT_TRUE(factory_.User().Focus(item_));
  item_->SetSelection(1, 4);
  EXPECT_TRUE(window_.Copy());
  EXPECT_EQ(factory_.Screen().Clipboard(), "bcd");
  EXPECT_TRUE(window_.Cut());
  EXPECT_EQ(item_->Text(), "aef");
  item_->SetSelection(3, 3);
  EXPECT_TRUE(window_.Paste());
  EXPECT_EQ(item_->Text(), "aefbcd");
  EXPECT_TRUE(window_.SelectAll());
  EXPECT_EQ(item_->SelectionLength(), 6u);
  EXPECT_TRUE(window_.Clear());
  EXPECT_EQ(item_->TextLength(), 0u);
  EXPECT_FALSE(window_.Clear());
  EXPECT_FALSE(window_.Copy());
  // A paste with a "<" would be lost on writing the markup: it is refused.
  factory_.Screen().Clipboard() = "a<b";
  EXPECT_FALSE(window_.Paste());
  EXPECT_EQ(item_->TextLength(), 0u);
}

// ---- the database-bound item ----

VRecord RecordWith(int32_t item, const std::string& text) {
  VRecord record;
  std::vector<uint8_t> value = {kVTypeString, static_cast<uint8_t>(text.size())};
  value.insert(value.end(), text.begin(), text.end());
  EXPECT_EQ(record.AddValue(item, value.data(), static_cast<int32_t>(value.size())), kVOk);
  return record;
}

TEST_F(StyleEditTest, ABoundItemShowsAValueAsMarkupAndGivesItsMarkupBack) {
  auto* bound = Add(std::make_unique<OGTDBStyleEdit>(), 10, 200, 200, 60);
  EXPECT_EQ(bound->Kind(), kOGTKindDBStyleEdit);
  bound->SetItemNumber(3);
  bound->SetOccurrence(0);
  EXPECT_EQ(bound->Occurrence(), 1);
  const std::string markup = "<COLOR \"red\">" + Sj("赤") + "</COLOR> text";
  VRecord record = RecordWith(3, markup);
  ASSERT_EQ(bound->ShowValue(nullptr, record), kVOk);
  EXPECT_EQ(bound->Text(), Sj("赤") + " text");
  EXPECT_EQ(bound->ShownType(), kVTypeString);
  EXPECT_FALSE(bound->Changed());
  int32_t item = 0;
  int32_t occurrence = 0;
  ASSERT_TRUE(bound->GatherTarget(&item, &occurrence));
  EXPECT_EQ(item, 3);
  EXPECT_EQ(occurrence, 1);

  // What it gives back is its markup, styles and all.
  bound->SetSelection(bound->TextLength(), bound->TextLength());
  ASSERT_TRUE(bound->TypeText("!"));
  EXPECT_TRUE(bound->Changed());
  VRecord gathered;
  ASSERT_TRUE(bound->GatherValue(nullptr, &gathered));
  VValueRef ref;
  ASSERT_EQ(gathered.ValueRef(3, 1, &ref), kVOk);
  EXPECT_EQ(ref.type, kVTypeString);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(ref.bytes), ref.length), markup + "!");

  // An absent value clears it; an emptied item gives nothing.
  VRecord other = RecordWith(4, "x");
  EXPECT_EQ(bound->ShowValue(nullptr, other), kVOk);
  EXPECT_EQ(bound->TextLength(), 0u);
  EXPECT_TRUE(bound->ValueEmpty());
  VRecord none;
  EXPECT_FALSE(bound->GatherValue(nullptr, &none));
  // Unbound, it neither shows nor gives.
  bound->SetItemNumber(0);
  EXPECT_EQ(bound->ShowValue(nullptr, record), kVOk);
  EXPECT_EQ(bound->TextLength(), 0u);
  EXPECT_FALSE(bound->GatherTarget(&item, &occurrence));
  bound->SetMarkup("x", true);
  EXPECT_FALSE(bound->GatherValue(nullptr, &none));
  bound->ClearValue();
  EXPECT_EQ(bound->Text(), "x");
}

}  // namespace
