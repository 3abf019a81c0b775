// The multi-column list driven as a person drives it: keys, clicks, drags and scroll bars, and
// what it draws through the headless screen.
#include "gt/OGTList.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "Sjis.h"
#include "gt/OGTContext.h"
#include "gt/OGTEvent.h"
#include "gt/OGTListData.h"
#include "gt/OGTRegion.h"
#include "gt/OGTScrollBar.h"
#include "gt/OGTWindow.h"
#include "gt/imp/headless/OGTHeadlessFactory.h"

namespace {

class EventWindow : public OGTWindow {
 public:
  void OnEvent(OGTItem* item, int32_t code) override {
    codes.push_back(code);
    OGTWindow::OnEvent(item, code);
  }
  std::vector<int32_t> codes;
};

// Row data that reports its deletion.
class CountedData : public OGTListData_String {
 public:
  explicit CountedData(int* deleted) : deleted_(deleted) {}
  ~CountedData() override { ++*deleted_; }

 private:
  int* deleted_;
};

OGTListData_String* Rows(int32_t count) {
  auto* data = new OGTListData_String;
  for (int32_t i = 0; i < count; ++i) data->AppendRow("row" + std::to_string(i));
  return data;
}

// The list stands at (10, 20), 200 x 184: a 20-unit header, 150 units of rows (10 visible rows
// of 15) and a 14-unit horizontal bar; the vertical bar takes the right 14 units.
class ListTest : public ::testing::Test {
 protected:
  static constexpr int32_t kLeft = 10;
  static constexpr int32_t kTop = 20;
  static constexpr int32_t kRowsTop = kTop + 20;

  ListTest() {
    window_.Create(0, nullptr);
    window_.Show();
    list_ = new OGTList;
    list_->Create(0, &window_);
    window_.AddChild(std::unique_ptr<OGTItem>(list_), -1);
    list_->SetPosition(kLeft, kTop, false);
    list_->SetSize(200, 184, false);
    list_->Enable();
    list_->Show();
    list_->SetHeaderHeight(20);
    list_->AddColumn(Sj("名前").c_str(), 80, 7);
    list_->AddColumn("Value", 100, 0);
  }

  void Fill(int32_t rows) { list_->SetRowData(Rows(rows), true); }

  std::vector<int32_t> Selected() const {
    std::vector<int32_t> rows;
    for (int32_t row = 0; row < list_->RowCount(); ++row) {
      if (list_->IsSelected(row)) rows.push_back(row);
    }
    return rows;
  }

  std::vector<int32_t> Marked() const {
    std::vector<int32_t> rows;
    for (int32_t row = 0; row < list_->RowCount(); ++row) {
      if (list_->IsMarked(row)) rows.push_back(row);
    }
    return rows;
  }

  // Texts drawn, in order.
  std::vector<std::string> Texts() {
    std::vector<std::string> texts;
    for (const OGTDrawCall& call : factory_.Screen().Draws()) {
      if (call.op == OGTDrawCall::kText) texts.push_back(call.text);
    }
    return texts;
  }

  const OGTDrawCall* FirstDraw(OGTDrawCall::Op op) {
    for (const OGTDrawCall& call : factory_.Screen().Draws()) {
      if (call.op == op) return &call;
    }
    return nullptr;
  }

  void Paint() {
    factory_.Screen().ClearDraws();
    factory_.Screen().Paint(list_, false);
  }

  OGTPoint RowPoint(int32_t row) const {
    return OGTPoint(kLeft + 120, kRowsTop + (row - list_->TopRow()) * 15 + 7);
  }

  OGTHeadlessFactory factory_;
  EventWindow window_;
  OGTList* list_ = nullptr;
};

TEST_F(ListTest, KeysMoveTheSelectionAndTellTheForm) {
  Fill(25);
  factory_.User().Focus(list_);
  auto& user = factory_.User();

  user.Key(kOGTKeyArrowDown);  // nothing selected: row 0
  EXPECT_EQ(Selected(), std::vector<int32_t>{0});
  user.Key(kOGTKeyArrowUp);  // on row 0: nothing at all, not even an event
  EXPECT_EQ(Selected(), std::vector<int32_t>{0});
  EXPECT_EQ(window_.codes, std::vector<int32_t>{kOGTEventSelection});

  user.Key(kOGTKeyPageDown);
  EXPECT_EQ(Selected(), std::vector<int32_t>{10});
  EXPECT_EQ(list_->TopRow(), 1);  // scrolled just enough to show row 10
  user.Key(kOGTKeyEnd);
  EXPECT_EQ(Selected(), std::vector<int32_t>{24});
  EXPECT_EQ(list_->TopRow(), 15);
  user.Key(kOGTKeyArrowDown);  // on the last row: nothing
  user.Key(kOGTKeyPageUp);
  EXPECT_EQ(Selected(), std::vector<int32_t>{14});
  user.Key(kOGTKeyArrowUp);
  user.Key(kOGTKeyPageDown);  // 13 + 10 exists
  EXPECT_EQ(Selected(), std::vector<int32_t>{23});
  user.Key(kOGTKeyPageDown);  // 33 does not: the last row
  EXPECT_EQ(Selected(), std::vector<int32_t>{24});
  user.Key(kOGTKeyHome);
  EXPECT_EQ(Selected(), std::vector<int32_t>{0});
  EXPECT_EQ(list_->TopRow(), 0);
  user.Key(kOGTKeyArrowDown);
  user.Key(kOGTKeyArrowDown);
  user.Key(kOGTKeyPageUp);  // 2 - 10 is above the top: row 0
  EXPECT_EQ(Selected(), std::vector<int32_t>{0});

  list_->ClearSelection();
  user.Key(kOGTKeyPageUp);  // nothing selected: the last row
  EXPECT_EQ(Selected(), std::vector<int32_t>{24});
  list_->ClearSelection();
  user.Key(kOGTKeyArrowUp);
  EXPECT_EQ(Selected(), std::vector<int32_t>{24});

  window_.codes.clear();
  user.Key(kOGTKeyReturn);
  user.Key(kOGTKeyEnter);
  user.Key(kOGTKeyBackspace);  // left to the platform: no event
  EXPECT_EQ(window_.codes, (std::vector<int32_t>{kOGTEventDoubleClick, kOGTEventDoubleClick}));
}

TEST_F(ListTest, AKeyMoveInAMultipleSelectionSelectsOnlyTheNewRow) {
  Fill(5);
  list_->SetMultipleSelection(true);
  list_->SelectAll();
  EXPECT_EQ(list_->SelectedCount(), 5);
  factory_.User().Focus(list_);
  factory_.User().Key(kOGTKeyArrowDown);
  EXPECT_EQ(Selected(), std::vector<int32_t>{1});
  Fill(0);  // keys in an empty list do nothing
  window_.codes.clear();
  factory_.User().Key(kOGTKeyEnd);
  factory_.User().Key(kOGTKeyArrowDown);
  EXPECT_TRUE(window_.codes.empty());
}

TEST_F(ListTest, TopRowStaysWithinTheRows) {
  Fill(25);
  list_->SetTopRow(100, true);  // beyond the end: the last page, not an empty area
  EXPECT_EQ(list_->TopRow(), 15);
  Paint();
  std::vector<std::string> texts = Texts();
  ASSERT_FALSE(texts.empty());
  EXPECT_EQ(texts.back(), "row24");
  EXPECT_EQ(texts[2], "row15");  // after the two headings
  list_->SetTopRow(-4, true);
  EXPECT_EQ(list_->TopRow(), 0);

  list_->ScrollToRow(20, false);  // below: becomes the last visible row
  EXPECT_EQ(list_->TopRow(), 11);
  list_->ScrollToRow(15, false);  // visible: nothing
  EXPECT_EQ(list_->TopRow(), 11);
  list_->ScrollToRow(3, false);  // above: becomes the top row
  EXPECT_EQ(list_->TopRow(), 3);
  list_->ScrollToRow(99, false);  // no such row
  EXPECT_EQ(list_->TopRow(), 3);

  Fill(4);  // fewer rows than fit: the top stays at 0
  EXPECT_EQ(list_->TopRow(), 0);
  list_->SetTopRow(2, false);
  EXPECT_EQ(list_->TopRow(), 0);
  list_->SetSize(200, 60, false);  // a smaller list shows fewer rows and scrolls further
  EXPECT_EQ(list_->VisibleRows(), 1);
  list_->SetTopRow(10, false);
  EXPECT_EQ(list_->TopRow(), 3);
}

TEST_F(ListTest, DraggingAColumnBorderResizesTheColumn) {
  Fill(3);
  int32_t border = kLeft + 80;
  ASSERT_TRUE(
      factory_.User().Drag(list_, OGTPoint(border, kTop + 5), OGTPoint(border + 20, kTop + 8)));
  VString text;
  int16_t width = 0;
  int32_t binding = 0;
  ASSERT_TRUE(list_->GetColumn(0, text, width, binding));
  EXPECT_EQ(width, 100);
  EXPECT_EQ(binding, 7);
  EXPECT_TRUE(window_.codes.empty());  // a resize is no selection change

  // The resize cursor showed while dragging and the arrow came back.
  std::vector<int32_t> shapes;
  for (const OGTSeen& seen : factory_.Screen().Seen()) {
    if (seen.what == OGTSeen::kCursor) shapes.push_back(seen.shape);
  }
  EXPECT_EQ(shapes, (std::vector<int32_t>{OGTList::kResizeCursor, 0}));
  // The line followed the mouse inverted: drawn, erased, drawn, erased.
  std::vector<int32_t> lines;
  for (const OGTDrawCall& call : factory_.Screen().Draws()) {
    if (call.op != OGTDrawCall::kLine) continue;
    EXPECT_EQ(call.mode, kOGTDrawInvert);
    EXPECT_EQ(call.from.Y(), kTop);
    EXPECT_EQ(call.to.Y(), kTop + 184 - 14);
    lines.push_back(call.from.X());
  }
  EXPECT_EQ(lines, (std::vector<int32_t>{border, border, border + 20, border + 20}));

  // Dragging a border far to the left closes the column without going negative, and its border
  // can still be grabbed at the list's edge to open it again.
  ASSERT_TRUE(
      factory_.User().Drag(list_, OGTPoint(border + 21, kTop + 5), OGTPoint(kLeft - 30, kTop + 5)));
  list_->GetColumn(0, text, width, binding);
  EXPECT_EQ(width, 0);
  ASSERT_TRUE(
      factory_.User().Drag(list_, OGTPoint(kLeft + 1, kTop + 5), OGTPoint(kLeft + 31, kTop + 5)));
  list_->GetColumn(0, text, width, binding);
  EXPECT_EQ(width, 30);
  list_->GetColumn(1, text, width, binding);
  EXPECT_EQ(width, 100);
}

TEST_F(ListTest, DrawsHeaderCornerBackgroundAndRowsInOrder) {
  Fill(3);
  list_->SetCornerWidth(60);
  list_->SelectRow(1, true, false);
  Paint();
  const auto& draws = factory_.Screen().Draws();
  std::vector<OGTDrawCall::Op> ops;
  for (const OGTDrawCall& call : draws) ops.push_back(call.op);
  using D = OGTDrawCall;
  std::vector<OGTDrawCall::Op> expected = {
      D::kFillRect,                 // header background
      D::kText,     D::kLine,       // first column: heading and separator
      D::kText,     D::kLine,       // second column
      D::kFillRect,                 // the header right of the last column
      D::kFillRect, D::kFrameRect,  // the corner
      D::kFillRect,                 // the row area
      D::kText,     D::kText,      D::kInvertRect, D::kText};  // rows 0, 1 (selected), 2
  ASSERT_EQ(ops, expected);

  OGTRect header(kTop, kLeft, kTop + 20, kLeft + 186);
  EXPECT_EQ(draws[0].rect, header);
  EXPECT_EQ(draws[0].fill, OGTList::kHeaderColor);
  EXPECT_EQ(draws[0].clip, header);
  // The heading cell is one unit wider than the column; its text is inset and moved 3 right.
  EXPECT_EQ(draws[1].text, Sj("名前"));
  EXPECT_EQ(draws[1].rect, OGTRect(kTop + 1, kLeft + 4, kTop + 19, kLeft + 80));
  EXPECT_EQ(draws[2].from, OGTPoint(kLeft + 80, kTop));
  EXPECT_EQ(draws[4].from, OGTPoint(kLeft + 180, kTop));
  EXPECT_EQ(draws[5].rect, OGTRect(kTop, kLeft + 181, kTop + 20, kLeft + 186));
  EXPECT_EQ(draws[5].fill, OGTList::kEmptyColor);
  EXPECT_EQ(draws[6].rect, OGTRect(kTop + 170, kLeft, kTop + 184, kLeft + 60));
  OGTRect area(kRowsTop, kLeft, kTop + 170, kLeft + 186);
  EXPECT_EQ(draws[8].rect, area);
  EXPECT_EQ(draws[8].fill, OGTList::kBackColor);
  // Two columns: the text goes in column 1, each row clipped to itself.
  EXPECT_EQ(draws[9].text, "row0");
  EXPECT_EQ(draws[9].rect, OGTRect(kRowsTop + 1, kLeft + 84, kRowsTop + 14, kLeft + 182));
  EXPECT_EQ(draws[9].clip, OGTRect(kRowsTop, kLeft, kRowsTop + 15, kLeft + 186));
  EXPECT_EQ(draws[11].rect, OGTRect(kRowsTop + 15, kLeft, kRowsTop + 30, kLeft + 186));

  // A partial update draws only what meets it.
  factory_.Screen().ClearDraws();
  OGTContext context;
  context.AttachItem(list_);
  context.SetClip(OGTRegion(OGTRect(kRowsTop + 16, kLeft, kRowsTop + 20, kLeft + 50)));
  list_->Draw(&context);
  EXPECT_EQ(Texts(), std::vector<std::string>{});           // column 1 lies outside the update
  ASSERT_NE(FirstDraw(OGTDrawCall::kInvertRect), nullptr);  // but row 1 is still highlighted
  EXPECT_EQ(FirstDraw(OGTDrawCall::kFillRect)->clip,
            OGTRect(kRowsTop + 16, kLeft, kRowsTop + 20, kLeft + 50));
}

TEST_F(ListTest, ListsWithoutColumnsOrRowsDrawWhatTheyHave) {
  list_->RemoveAllColumns();
  Paint();  // no columns, no data: the header in the empty-area colour, then the row area
  ASSERT_EQ(factory_.Screen().Draws().size(), 2u);
  EXPECT_EQ(factory_.Screen().Draws()[0].fill, OGTList::kEmptyColor);
  EXPECT_EQ(factory_.Screen().Draws()[0].rect, OGTRect(kTop, kLeft, kTop + 20, kLeft + 186));
  EXPECT_EQ(factory_.Screen().Draws()[1].fill, OGTList::kBackColor);

  list_->AddColumn("Only", 90, 0);
  Paint();  // columns without data: the header and an empty row area
  EXPECT_EQ(Texts(), std::vector<std::string>{"Only"});

  Fill(2);                 // one column holds the text itself
  list_->SetRowHeight(0);  // rows without height are not drawn
  Paint();
  EXPECT_EQ(Texts(), std::vector<std::string>{"Only"});
  list_->SetRowHeight(15);
  Paint();
  EXPECT_EQ(Texts(), (std::vector<std::string>{"Only", "row0", "row1"}));
  const auto& draws = factory_.Screen().Draws();
  EXPECT_EQ(draws.back().rect, OGTRect(kRowsTop + 16, kLeft + 4, kRowsTop + 29, kLeft + 92));

  list_->Hide();
  Paint();
  EXPECT_TRUE(factory_.Screen().Draws().empty());
}

TEST_F(ListTest, HeadingsAreCutOnACharacterBoundary) {
  std::string wide;
  for (int i = 0; i < 100; ++i) wide += Sj("表");  // 200 bytes of double-byte characters
  list_->SetColumn(0, wide.c_str(), 50, 1);
  VString text;
  int16_t width = 0;
  int32_t binding = 0;
  list_->GetColumn(0, text, width, binding);
  EXPECT_EQ(text.Length(), 126u);  // 127 would end in half a character
  EXPECT_EQ(text.ToStdString(), wide.substr(0, 126));
  std::string mixed = "a" + wide;
  list_->AddColumn(mixed.c_str(), -5, 2);
  list_->GetColumn(2, text, width, binding);
  EXPECT_EQ(text.ToStdString(), mixed.substr(0, 127));
  EXPECT_EQ(width, 0);  // widths never go below 0
  EXPECT_EQ(list_->ColumnCount(), 3);
  EXPECT_FALSE(list_->GetColumn(3, text, width, binding));
  EXPECT_TRUE(text.IsEmpty());
  list_->RemoveColumn(0);
  list_->GetColumn(0, text, width, binding);
  EXPECT_EQ(text.ToStdString(), "Value");
  list_->WidenColumn(0, 40000);
  list_->GetColumn(0, text, width, binding);
  EXPECT_EQ(width, 32767);
}

TEST_F(ListTest, ClicksSelectAndMarkRows) {
  Fill(30);
  auto& user = factory_.User();
  ASSERT_TRUE(user.ChooseRow(list_, 2));
  ASSERT_TRUE(user.ChooseRow(list_, 5));
  EXPECT_EQ(Selected(), std::vector<int32_t>{5});
  EXPECT_EQ(Marked(), std::vector<int32_t>{5});  // mark mode 0: only the pressed row
  EXPECT_EQ(window_.codes, (std::vector<int32_t>{kOGTEventSelection, kOGTEventSelection}));
  EXPECT_EQ(window_.FocusedItem(), list_);
  EXPECT_EQ(list_->RowData()->CurrentRow(), 5);

  ASSERT_TRUE(user.ChooseRow(list_, 25));  // a person scrolls a row into view before clicking it
  EXPECT_EQ(Selected(), std::vector<int32_t>{25});
  EXPECT_EQ(list_->TopRow(), 16);

  window_.codes.clear();
  ASSERT_TRUE(user.ChooseRow(list_, 20, 0, 2));  // a double click: 41, then 42
  EXPECT_EQ(Selected(), std::vector<int32_t>{20});
  EXPECT_EQ(window_.codes, (std::vector<int32_t>{kOGTEventSelection, kOGTEventDoubleClick}));

  // Multiple selection with marks that accumulate: Shift toggles, a plain click keeps one row.
  list_->SetMultipleSelection(true);
  list_->SetMarkMode(OGTList::kMarkMany);
  list_->ClearMarks();
  user.ChooseRow(list_, 17);
  user.ChooseRow(list_, 18, kOGTShift);
  user.ChooseRow(list_, 19, kOGTShift);
  EXPECT_EQ(Selected(), (std::vector<int32_t>{17, 18, 19}));
  EXPECT_EQ(Marked(), (std::vector<int32_t>{17, 18, 19}));
  user.ChooseRow(list_, 18, kOGTShift);  // the mark follows the row's new selection state
  EXPECT_EQ(Selected(), (std::vector<int32_t>{17, 19}));
  EXPECT_EQ(Marked(), (std::vector<int32_t>{17, 19}));
  user.ChooseRow(list_, 21);
  EXPECT_EQ(Selected(), std::vector<int32_t>{21});
  EXPECT_EQ(Marked(), (std::vector<int32_t>{17, 19, 21}));
  EXPECT_EQ(list_->FirstMarked(), 17);
  EXPECT_EQ(list_->MarkedCount(), 3);

  // With a mark column a press there toggles that row's mark alone.
  list_->SetMarkMode(OGTList::kMarkColumnMany);
  OGTPoint inMarkColumn(kLeft + 10, RowPoint(22).Y());
  user.Click(list_, inMarkColumn);
  EXPECT_EQ(Selected(), std::vector<int32_t>{22});
  EXPECT_EQ(Marked(), (std::vector<int32_t>{17, 19, 21, 22}));
  user.Click(list_, OGTPoint(kLeft + 10, RowPoint(17).Y()));
  EXPECT_EQ(Marked(), (std::vector<int32_t>{19, 21, 22}));
}

TEST_F(ListTest, APressBelowTheRowsClearsTheSelection) {
  Fill(3);
  list_->SelectRow(1, true, false);
  window_.codes.clear();
  factory_.User().Click(list_, OGTPoint(kLeft + 20, kRowsTop + 100));
  EXPECT_FALSE(list_->HasSelection());
  EXPECT_EQ(window_.codes, std::vector<int32_t>{kOGTEventSelection});
  factory_.User().Click(list_, OGTPoint(kLeft + 40, kTop + 5));    // a heading: nothing
  factory_.User().Click(list_, OGTPoint(kLeft + 40, kTop + 177));  // the corner and bar
  EXPECT_EQ(window_.codes, std::vector<int32_t>{kOGTEventSelection});
}

TEST_F(ListTest, SelectionAndMarkOperationsRespectTheirModes) {
  Fill(70);
  list_->SelectAll();  // single selection: nothing
  EXPECT_EQ(list_->SelectedCount(), 0);
  EXPECT_EQ(list_->FirstSelected(), -1);
  list_->SetMultipleSelection(true);
  list_->SelectAll();
  EXPECT_EQ(list_->SelectedCount(), 70);
  list_->SelectRow(0, false, false);
  list_->SelectRow(65, false, false);
  EXPECT_EQ(list_->SelectedCount(), 68);
  EXPECT_EQ(list_->FirstSelected(), 1);
  list_->SetMultipleSelection(false);
  list_->SelectRow(66, true, true);  // single selection: only that row; notify scrolls to it
  EXPECT_EQ(Selected(), std::vector<int32_t>{66});
  EXPECT_EQ(list_->TopRow(), 57);
  list_->SelectRow(70, true, false);  // no such row
  list_->SelectRow(-1, true, false);
  EXPECT_EQ(Selected(), std::vector<int32_t>{66});

  list_->MarkAll();  // mark mode 0: nothing
  EXPECT_FALSE(list_->HasMarks());
  list_->MarkRow(3, true);
  list_->MarkRow(4, true);
  EXPECT_EQ(Marked(), std::vector<int32_t>{4});
  list_->SetMarkMode(OGTList::kMarkColumnMany);
  list_->MarkRow(9, true);
  EXPECT_EQ(Marked(), (std::vector<int32_t>{4, 9}));
  list_->MarkRow(4, false);
  EXPECT_EQ(Marked(), std::vector<int32_t>{9});
  list_->MarkAll();
  EXPECT_EQ(list_->MarkedCount(), 70);
  list_->SetMarkMode(OGTList::kMarkColumnSingle);
  list_->MarkRow(2, true);
  EXPECT_EQ(Marked(), std::vector<int32_t>{2});

  list_->SetRowData(Rows(2), true);  // new rows: neither selection nor marks carry over
  EXPECT_FALSE(list_->HasSelection());
  EXPECT_FALSE(list_->HasMarks());
}

TEST_F(ListTest, StringRowsShowTheirMarksInColumnZero) {
  Fill(3);
  list_->MarkRow(1, true);
  Paint();  // mark mode 0 draws no marks
  int squares = 0;
  for (const OGTDrawCall& call : factory_.Screen().Draws()) {
    squares += call.op == OGTDrawCall::kFillRect && call.fill == OGTList::kMarkColor;
  }
  EXPECT_EQ(squares, 0);
  list_->SetMarkMode(OGTList::kMarkMany);
  list_->MarkRow(1, true);
  Paint();
  const OGTDrawCall* square = nullptr;
  for (const OGTDrawCall& call : factory_.Screen().Draws()) {
    if (call.op == OGTDrawCall::kFillRect && call.fill == OGTList::kMarkColor) square = &call;
  }
  ASSERT_NE(square, nullptr);
  EXPECT_EQ(square->rect, OGTRect(kRowsTop + 18, kLeft + 3, kRowsTop + 27, kLeft + 8));
}

TEST_F(ListTest, ScrollBarsFollowTheListAndScrollIt) {
  Fill(25);
  OGTScrollBar* vertical = list_->VerticalBar();
  OGTScrollBar* horizontal = list_->HorizontalBar();
  ASSERT_NE(vertical, nullptr);
  ASSERT_NE(horizontal, nullptr);
  int32_t x, y, width, height;
  vertical->GetPosition(x, y);
  vertical->GetSize(width, height);
  EXPECT_EQ(OGTRect(y, x, y + height, x + width),
            OGTRect(kTop, kLeft + 186, kTop + 170, kLeft + 200));
  horizontal->GetPosition(x, y);
  horizontal->GetSize(width, height);
  EXPECT_EQ(OGTRect(y, x, y + height, x + width),
            OGTRect(kTop + 170, kLeft, kTop + 184, kLeft + 186));

  int32_t min, max, back, forward;
  vertical->GetRange(min, max);
  EXPECT_EQ(max, 15);
  vertical->GetPageSteps(back, forward);
  EXPECT_EQ(forward, 10);
  auto& user = factory_.User();
  ASSERT_TRUE(user.Scroll(vertical, kOGTEventPageForward));
  EXPECT_EQ(list_->TopRow(), 10);
  user.Scroll(vertical, kOGTEventPageForward);  // clamped, and the thumb shows where it stopped
  EXPECT_EQ(list_->TopRow(), 15);
  EXPECT_EQ(vertical->GetScrollPosition(), 15);
  user.Scroll(vertical, kOGTEventThumb, 4);
  user.Scroll(vertical, kOGTEventLineBack);
  EXPECT_EQ(list_->TopRow(), 3);
  list_->SetTopRow(9, false);
  EXPECT_EQ(vertical->GetScrollPosition(), 9);
  EXPECT_TRUE(window_.codes.empty());  // scrolling is the list's own business

  // Columns 180 wide fit the 186-unit row area: no horizontal scrolling.
  EXPECT_FALSE(user.Scroll(horizontal, kOGTEventLineForward));
  list_->AddColumn("More", 100, 0);
  horizontal->GetRange(min, max);
  EXPECT_EQ(max, 94);
  user.Scroll(horizontal, kOGTEventLineForward);
  EXPECT_EQ(list_->LeftOffset(), OGTList::kColumnStep);
  user.Scroll(horizontal, kOGTEventPageForward);
  EXPECT_EQ(list_->LeftOffset(), 94);
  Paint();  // the headings move left with the offset; the first is scrolled out of sight
  EXPECT_EQ(Texts()[0], "Value");
  EXPECT_EQ(FirstDraw(OGTDrawCall::kText)->rect.Left(), kLeft - 94 + 80 + 4);
  list_->RemoveColumn(2);  // the offset comes back within what the columns allow
  EXPECT_EQ(list_->LeftOffset(), 0);

  list_->ShowScrollBars(false, false);
  EXPECT_EQ(list_->ChildCount(), 0);
  EXPECT_EQ(list_->VisibleRows(), 10);  // 164 units of rows hold ten whole rows
  OGTRect area;
  list_->RowAreaRect(area);
  EXPECT_EQ(area, OGTRect(kRowsTop, kLeft, kTop + 184, kLeft + 200));
}

TEST_F(ListTest, RowDataIsDeletedOnlyWhenOwned) {
  int deleted = 0;
  auto* owned = new CountedData(&deleted);
  owned->AppendRow("x");
  list_->SetRowData(owned, true);
  EXPECT_EQ(owned->Owner(), list_);
  list_->SetRowData(owned, true);  // the same data again is not deleted
  EXPECT_EQ(deleted, 0);
  auto* kept = new CountedData(&deleted);
  list_->SetRowData(kept, false);
  EXPECT_EQ(deleted, 1);
  list_->SetRowData(nullptr, false);
  EXPECT_EQ(deleted, 1);
  EXPECT_EQ(kept->Owner(), nullptr);
  EXPECT_EQ(list_->RowCount(), 0);

  // Data deleted by its keeper while the list still shows it is forgotten, not used.
  kept->AppendRow("a");
  list_->SetRowData(kept, false);
  list_->SelectRow(0, true, false);
  delete kept;
  EXPECT_EQ(list_->RowData(), nullptr);
  EXPECT_FALSE(list_->HasSelection());
  Paint();
  EXPECT_EQ(Texts().size(), 2u);  // the headings only

  auto* last = new CountedData(&deleted);
  list_->SetRowData(last, true);
  window_.DeleteAllChildren();  // the list goes, and its data with it
  EXPECT_EQ(deleted, 3);
}

TEST(OGTListWithoutPlatform, KeepsItsStateWithoutAScreen) {
  OGTList list;
  EXPECT_EQ(list.Create(0, nullptr), nullptr);
  EXPECT_EQ(list.Kind(), kOGTKindList);
  EXPECT_EQ(list.VerticalBar(), nullptr);
  EXPECT_EQ(list.RowHeight(), 15);
  list.SetRowData(Rows(40), true);
  EXPECT_EQ(list.VisibleRows(), 1);  // no size: one row at a time
  list.SetTopRow(100, false);
  EXPECT_EQ(list.TopRow(), 39);
  list.SelectRow(12, true, true);
  EXPECT_EQ(list.FirstSelected(), 12);
  EXPECT_EQ(list.TopRow(), 12);
  list.SetDoubleClickScript("@ShowForm(\"x\");");
  EXPECT_EQ(list.DoubleClickScript().ToStdString(), "@ShowForm(\"x\");");
}

}  // namespace
