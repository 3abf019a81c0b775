#include "gt/imp/qt/OGTQtControlImp.h"

#include <QCheckBox>
#include <QClipboard>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>

#include "QtProbe.h"
#include "QtScreens.h"
#include "QtSideFixture.h"
#include "gt/OGTButton.h"
#include "gt/OGTCursor.h"
#include "gt/OGTField.h"
#include "gt/OGTGraphics.h"
#include "gt/OGTLabel.h"
#include "gt/OGTRadioBtn.h"
#include "gt/imp/qt/OGTQtInput.h"

namespace {

using ControlTest = QtSideTest;

// Types characters the keyboard helpers of QTest cannot (they know ASCII only), as a keyboard
// with an input method would deliver them.
void TypeText(QWidget* widget, const QString& text) {
  for (QChar c : text) {
    QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
    QApplication::sendEvent(widget, &press);
    QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, QString(c));
    QApplication::sendEvent(widget, &release);
  }
}

// Presses a radio button or check box on its indicator.
void PressIndicator(QWidget* widget) {
  QTest::mouseClick(widget, Qt::LeftButton, {}, QPoint(6, 10));
}

TEST_F(ControlTest, AButtonPressSendsElevenOnlyWhileEnabled) {
  auto window = MakeWindow(0, 300, 200);
  auto* button = Place<OGTButton>(*window, 10, 10, 80, 22, Sj("登録"));
  ShowAndSettle(*window);
  EXPECT_EQ(As<QPushButton>(button)->text(), Q("登録"));
  QTest::mouseClick(WidgetOf(button), Qt::LeftButton);
  ASSERT_EQ(window->events.size(), 1u);
  EXPECT_EQ(window->events[0].item, button);
  EXPECT_EQ(window->events[0].code, 11);

  button->Disable();
  QTest::mouseClick(WidgetOf(button), Qt::LeftButton);
  EXPECT_EQ(window->events.size(), 1u);

  button->SetDefault(true);
  EXPECT_TRUE(button->IsDefault());
  EXPECT_TRUE(As<QPushButton>(button)->isDefault());
}

TEST_F(ControlTest, RadioButtonsAreSetByEveryPressAndNeverGrouped) {
  auto window = MakeWindow(0, 300, 200);
  auto* first = Place<RadioProbe>(*window, 10, 10, 100, 20, "A");
  auto* second = Place<RadioProbe>(*window, 10, 40, 100, 20, "B");
  ShowAndSettle(*window);
  PressIndicator(WidgetOf(first));
  PressIndicator(WidgetOf(first));
  PressIndicator(WidgetOf(second));
  ASSERT_EQ(window->events.size(), 3u);
  for (const RecordedEvent& e : window->events) {
    EXPECT_EQ(e.code, 12);
    EXPECT_EQ(e.value, 1);  // set before the event
  }
  int32_t value;
  first->GetValue(value);
  EXPECT_EQ(value, 1);  // the second press did not clear it, nor did its neighbour
  first->SetValue(0);
  first->GetValue(value);
  EXPECT_EQ(value, 0);
  first->SetValue(7);
  first->GetValue(value);
  EXPECT_EQ(value, 1);
}

TEST_F(ControlTest, RadioButtonsOfAGroupTurnEachOtherOffWhenPressed) {
  auto window = MakeWindow(0, 300, 200);
  auto* cash = Place<OGTRadioBtn>(*window, 10, 10, 100, 20, "A");
  auto* card = Place<OGTRadioBtn>(*window, 10, 40, 100, 20, "B");
  cash->SetGroup(1);
  card->SetGroup(1);
  cash->SetValue(1);
  ShowAndSettle(*window);
  PressIndicator(WidgetOf(card));
  EXPECT_FALSE(As<QRadioButton>(cash)->isChecked());
  EXPECT_TRUE(As<QRadioButton>(card)->isChecked());
  ASSERT_EQ(window->events.size(), 1u);  // only the pressed button speaks
  EXPECT_EQ(window->events[0].item, card);
  EXPECT_EQ(window->events[0].code, 12);
}

TEST_F(ControlTest, ACheckBoxTogglesBeforeItSendsThirteen) {
  auto window = MakeWindow(0, 300, 200);
  auto* check = Place<CheckProbe>(*window, 10, 10, 100, 20, Sj("確認"));
  ShowAndSettle(*window);
  check->SetValue(1);
  PressIndicator(WidgetOf(check));
  PressIndicator(WidgetOf(check));
  ASSERT_EQ(window->events.size(), 2u);
  EXPECT_EQ(window->events[0].code, 13);
  EXPECT_EQ(window->events[0].value, 0);
  EXPECT_EQ(window->events[1].value, 1);
  EXPECT_EQ(As<QCheckBox>(check)->text(), Q("確認"));
}

TEST_F(ControlTest, ReturnInAFieldSendsTwentyOneAndInsertsNothingWhateverTheVariant) {
  auto window = MakeWindow(0, 300, 200);
  auto* plain = Place<OGTField>(*window, 10, 10, 200, 40);
  auto* multi = Place<OGTField>(*window, 10, 60, 200, 40, "", 1);
  ShowAndSettle(*window);
  for (OGTField* field : {plain, multi}) {
    field->TakeFocus();
    QTest::keyClicks(WidgetOf(field), "ab");
    QTest::keyClick(WidgetOf(field), Qt::Key_Return);
    QTest::keyClick(WidgetOf(field), Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_EQ(field->Text(), "ab");
  }
  std::vector<int32_t> codes = window->Codes();
  EXPECT_EQ(std::count(codes.begin(), codes.end(), 21), 4);
}

TEST_F(ControlTest, AReturnPassedToTheFieldFollowsVariantBitZero) {
  auto window = MakeWindow(0, 300, 200);
  auto* sends = Place<RawFieldProbe>(*window, 10, 10, 200, 40);
  auto* breaks = Place<RawFieldProbe>(*window, 10, 60, 200, 40, "", 1);
  ShowAndSettle(*window);
  breaks->TakeFocus();
  QTest::keyClicks(WidgetOf(breaks), "a");
  QTest::keyClick(WidgetOf(breaks), Qt::Key_Return);
  QTest::keyClicks(WidgetOf(breaks), "b");
  EXPECT_EQ(breaks->Text(), "a\r\nb");
  EXPECT_TRUE(window->events.empty());

  sends->TakeFocus();
  QTest::keyClicks(WidgetOf(sends), "a");
  QTest::keyClick(WidgetOf(sends), Qt::Key_Return);
  EXPECT_EQ(sends->Text(), "a");
  std::vector<int32_t> codes = window->Codes();
  EXPECT_EQ(codes, (std::vector<int32_t>{22, 21}));  // leaving the changed field, then Return
  QTest::keyClick(WidgetOf(sends), Qt::Key_Tab);
  EXPECT_EQ(window->Codes(), (std::vector<int32_t>{22, 21, 72, 22}));
}

TEST_F(ControlTest, AFieldSendsTwentyTwoWhenTheUserLeavesItChanged) {
  auto window = MakeWindow(0, 300, 200);
  auto* first = Place<OGTField>(*window, 10, 10, 200, 24);
  auto* second = Place<OGTField>(*window, 10, 40, 200, 24);
  ShowAndSettle(*window);
  first->SetText("set by the program");
  EXPECT_FALSE(first->IsModified());
  second->TakeFocus();
  EXPECT_TRUE(window->events.empty());  // a programmatic text is no change

  first->TakeFocus();
  QTest::keyClicks(WidgetOf(first), "x");
  EXPECT_TRUE(first->IsModified());
  second->TakeFocus();
  ASSERT_EQ(window->events.size(), 1u);
  EXPECT_EQ(window->events[0].item, first);
  EXPECT_EQ(window->events[0].code, 22);
  first->TakeFocus();
  second->TakeFocus();
  EXPECT_EQ(window->events.size(), 1u);  // unchanged since
}

TEST_F(ControlTest, FieldTextsCrossTheEdgeExactlyWithWindowsLineBreaks) {
  auto window = MakeWindow(0, 300, 200);
  auto* field = Place<OGTField>(*window, 10, 10, 200, 60);
  ShowAndSettle(*window);
  std::string text = Sj("漢字\r\n二行目");
  field->SetText(text.c_str());
  EXPECT_EQ(As<QPlainTextEdit>(field)->toPlainText(), Q("漢字\n二行目"));
  EXPECT_EQ(field->Text(), text);
  char small[4];
  field->GetText(small, sizeof small);
  EXPECT_EQ(std::string(small), Sj("漢"));  // 3 bytes would split the second character

  field->TakeFocus();
  QTextCursor end = As<QPlainTextEdit>(field)->textCursor();
  end.movePosition(QTextCursor::End);
  As<QPlainTextEdit>(field)->setTextCursor(end);
  TypeText(WidgetOf(field), Q("です"));
  EXPECT_EQ(field->Text(), Sj("漢字\r\n二行目です"));
}

TEST_F(ControlTest, TheTextLimitCountsShiftJisBytes) {
  auto window = MakeWindow(0, 300, 200);
  auto* field = Place<OGTField>(*window, 10, 10, 200, 24);
  ShowAndSettle(*window);
  EXPECT_EQ(field->TextLimit(), 32000);
  field->SetTextLimit(40000);
  EXPECT_EQ(field->TextLimit(), 32767);
  field->SetTextLimit(5);
  field->TakeFocus();
  QTest::keyClicks(WidgetOf(field), "abcdefg");
  EXPECT_EQ(field->Text(), "abcde");

  field->SetText("");
  field->SetTextLimit(5);
  TypeText(WidgetOf(field), Q("日本語"));
  EXPECT_EQ(field->Text(), Sj("日本"));
}

TEST_F(ControlTest, AOneLineFieldScrollsSidewaysAndKeepsTheStartOfItsTextReachable) {
  auto window = MakeWindow(0, 300, 200);
  auto* line = Place<OGTField>(*window, 10, 10, 120, 22);
  auto* box = Place<OGTField>(*window, 10, 40, 120, 60);
  ShowAndSettle(*window);
  auto* edit = static_cast<OGTQtEdit*>(WidgetOf(line));
  EXPECT_TRUE(edit->SingleLine());
  EXPECT_FALSE(static_cast<OGTQtEdit*>(WidgetOf(box))->SingleLine());

  line->TakeFocus();
  const char* text = "abcdefghijklmnopqrstuvwxyz0123456789";
  QTest::keyClicks(edit, text);
  EXPECT_EQ(line->Text(), text);  // the value was never in danger; its sight was
  EXPECT_EQ(edit->verticalScrollBar()->value(), 0);
  EXPECT_GT(edit->horizontalScrollBar()->value(), 0);
  QRect shown = edit->viewport()->rect();
  EXPECT_TRUE(shown.contains(edit->cursorRect()));  // the caret at the end is in sight
  QTest::keyClick(edit, Qt::Key_Home);
  EXPECT_EQ(edit->horizontalScrollBar()->value(), 0);
  QTextCursor start = edit->textCursor();
  start.setPosition(0);
  EXPECT_TRUE(shown.contains(edit->cursorRect(start)));
  SaveScreen(ClientOf(window.get()), "field-one-line-home");
  // Return and Tab still go to the form, and the field left changed says so.
  QTest::keyClick(edit, Qt::Key_Return);
  QTest::keyClick(edit, Qt::Key_Tab);
  EXPECT_EQ(window->Codes(), (std::vector<int32_t>{21, 72, 22}));
  EXPECT_EQ(line->Text(), text);

  // Grown to two lines, the field wraps again; shrunk, it scrolls sideways again.
  line->SetSize(120, 60, true);
  EXPECT_FALSE(edit->SingleLine());
  EXPECT_EQ(edit->horizontalScrollBar()->value(), 0);
  line->SetSize(120, 22, true);
  EXPECT_TRUE(edit->SingleLine());
}

TEST_F(ControlTest, APasteKeepsTheCharactersThatFitAndTheUndoHistory) {
  auto window = MakeWindow(0, 300, 200);
  auto* field = Place<OGTField>(*window, 10, 10, 200, 60, "", 1);
  ShowAndSettle(*window);
  auto* edit = static_cast<OGTQtEdit*>(WidgetOf(field));
  field->SetTextLimit(7);
  field->TakeFocus();
  QTest::keyClicks(edit, "ab");
  QApplication::clipboard()->setText(Q("日本語"));
  EXPECT_TRUE(field->Paste());
  EXPECT_EQ(field->Text(), Sj("ab日本"));  // 2 + 2 + 2 bytes; the third character would pass 7
  EXPECT_TRUE(field->Paste());             // nothing fits any more: nothing changes
  EXPECT_EQ(field->Text(), Sj("ab日本"));
  ASSERT_TRUE(edit->document()->isUndoAvailable());
  edit->undo();
  EXPECT_EQ(field->Text(), "ab");  // the paste was one step, and what came before is still there
  edit->undo();
  EXPECT_EQ(field->Text(), "");

  // A selection makes room; a line break counts two bytes, as the toolkit's text holds it.
  field->SetText("abcdefg");
  edit->selectAll();
  QApplication::clipboard()->setText(Q("x\r\ny\nz12345"));
  EXPECT_TRUE(field->Paste());
  EXPECT_EQ(field->Text(), "x\r\ny\r\nz");
  // Typing past the limit is refused key by key, the history kept too.
  field->SetText("abcde");
  QTextCursor end = edit->textCursor();
  end.movePosition(QTextCursor::End);
  edit->setTextCursor(end);
  QTest::keyClicks(edit, "fgh");
  EXPECT_EQ(field->Text(), "abcdefg");
  ASSERT_TRUE(edit->document()->isUndoAvailable());
  while (edit->document()->isUndoAvailable()) edit->undo();
  EXPECT_EQ(field->Text(), "abcde");

  // Whole characters only: a character outside the BMP is never cut in two.
  QString pair = QString::fromUcs4(U"\U0001F600");
  for (size_t room = 0; room < 4; ++room) {
    QString part = OGTQtEdit::FittingPart(Q("a") + pair + Q("b"), room);
    EXPECT_TRUE(part.isEmpty() || part == Q("a") || part.startsWith(Q("a") + pair)) << room;
  }
}

TEST_F(ControlTest, CheckBoxesShowTheFocusMarkWhateverBroughtTheFocus) {
  auto window = MakeWindow(0, 300, 200);
  auto* check = Place<CheckProbe>(*window, 10, 10, 120, 24, Sj("確認"));
  auto* field = Place<OGTField>(*window, 10, 40, 120, 22);
  ShowAndSettle(*window);
  field->TakeFocus();
  QImage without = WidgetOf(check)->grab().toImage();
  check->TakeFocus();
  ASSERT_TRUE(WidgetOf(check)->hasFocus());
  QImage with = WidgetOf(check)->grab().toImage();
  SaveScreen(WidgetOf(check), "check-box-focus");
  EXPECT_TRUE(WidgetOf(check)->window()->testAttribute(Qt::WA_KeyboardFocusChange));
  EXPECT_NE(with, without);
}

TEST_F(ControlTest, LabelsShowTheirTextPlainWithLineBreaks) {
  auto window = MakeWindow(0, 300, 200);
  auto* label = Place<OGTLabel>(*window, 10, 10, 200, 40, Sj("<b>見出し</b>\r二行目&"));
  EXPECT_EQ(As<QLabel>(label)->text(), Q("<b>見出し</b>\n二行目&"));
  EXPECT_EQ(As<QLabel>(label)->textFormat(), Qt::PlainText);
  EXPECT_EQ(label->Text(), Sj("<b>見出し</b>\r二行目&"));
}

TEST_F(ControlTest, ControlsUseTheControlFontUntilTheirItemSetsOne) {
  auto window = MakeWindow(0, 300, 200);
  auto* label = Place<OGTLabel>(*window, 10, 10, 200, 40, "x");
  QFont start = WidgetOf(label)->font();
  EXPECT_EQ(start.families().value(0), Q("IPAPGothic"));
  EXPECT_EQ(start.pixelSize(), 13);  // 10 points at 96 dots per inch
  label->SetFont(OGTFont("sys_mincho", 20, kOGTBold, 0, colorRed));
  QFont set = WidgetOf(label)->font();
  EXPECT_EQ(set.families().value(0), Q("IPAPMincho"));
  EXPECT_EQ(set.pixelSize(), 27);
  EXPECT_TRUE(set.bold());
  EXPECT_EQ(WidgetOf(label)->palette().color(QPalette::WindowText), QColor(Qt::red));
  OGTFont back;
  label->GetFont(back);
  EXPECT_EQ(back.Size(), 20);
}

TEST_F(ControlTest, ScrollBarsLeaveStepsToTheToolkitAndReportThumbMoves) {
  auto window = MakeWindow(0, 300, 200);
  auto* bar = Place<ScrollBarProbe>(*window, 10, 10, 200, 16);
  auto* qt = As<QScrollBar>(bar);
  auto* imp = dynamic_cast<OGTScrollBarImp*>(bar->Imp());
  EXPECT_EQ(qt->orientation(), Qt::Horizontal);
  EXPECT_GT(imp->Thickness(), 0);
  imp->SetRange(5, 5);
  int32_t min, max;
  imp->GetRange(min, max);
  EXPECT_EQ(std::make_pair(min, max), std::make_pair(0, 0));

  imp->SetRange(0, 100);
  imp->SetLineSteps(-5, 5);
  imp->SetPageSteps(-50, 50);
  imp->SetScrollPosition(150);
  EXPECT_EQ(imp->GetScrollPosition(), 100);
  imp->SetScrollPosition(10);
  qt->triggerAction(QAbstractSlider::SliderSingleStepAdd);
  qt->triggerAction(QAbstractSlider::SliderPageStepSub);
  EXPECT_EQ(imp->GetScrollPosition(), 10);  // nobody moved the content
  qt->triggerAction(QAbstractSlider::SliderToMaximum);
  EXPECT_EQ(window->Codes(), (std::vector<int32_t>{32, 33, 35}));
  EXPECT_EQ(window->events.back().value, 0);  // scroll bars have no item value
  EXPECT_EQ(imp->GetScrollPosition(), 100);
  int32_t back, forward;
  imp->GetPageSteps(back, forward);
  EXPECT_EQ(std::make_pair(back, forward), std::make_pair(-50, 50));
}

TEST_F(ControlTest, CursorShapesAndCountedWaits) {
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
  SetBusyCursor(52);
  ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
  EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
  {
    OGTCursor beam(2, true);
    EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);  // the wait wins
  }
  RestoreCursor();
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
  {
    OGTCursor resize(21, true);
    EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::SizeHorCursor);
    resize.SetShape(99);  // changes nothing
    EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::SizeHorCursor);
  }
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
  OGTReleaseGlobalCursor();
}

TEST(KeyCodeTest, QtKeysBecomeTheToolkitsCodes) {
  struct Case {
    int key;
    Qt::KeyboardModifiers modifiers;
    QString text;
    uint16_t code;
  } cases[] = {
      {Qt::Key_Return, Qt::NoModifier, "\r", 13},
      {Qt::Key_Enter, Qt::KeypadModifier, "\r", 3},
      {Qt::Key_Tab, Qt::NoModifier, "\t", 9},
      {Qt::Key_Backtab, Qt::ShiftModifier, "", 9},
      {Qt::Key_Backspace, Qt::NoModifier, "\b", 8},
      {Qt::Key_Delete, Qt::NoModifier, "", 127},
      {Qt::Key_Home, Qt::NoModifier, "", 1},
      {Qt::Key_End, Qt::NoModifier, "", 4},
      {Qt::Key_PageUp, Qt::NoModifier, "", 11},
      {Qt::Key_PageDown, Qt::NoModifier, "", 12},
      {Qt::Key_Left, Qt::NoModifier, "", 28},
      {Qt::Key_Right, Qt::NoModifier, "", 29},
      {Qt::Key_Up, Qt::NoModifier, "", 30},
      {Qt::Key_Down, Qt::NoModifier, "", 31},
      {Qt::Key_A, Qt::NoModifier, "a", 'a'},
      {0, Qt::NoModifier, Q("日"), 0x93FA},
      {0, Qt::NoModifier, Q("ｱ"), 0xB1},
      {Qt::Key_F5, Qt::NoModifier, "", 0},
  };
  for (const Case& c : cases) {
    QKeyEvent event(QEvent::KeyPress, c.key, c.modifiers, c.text);
    EXPECT_EQ(OGTQtKeyCode(event), c.code) << c.key;
  }
  QKeyEvent backtab(QEvent::KeyPress, Qt::Key_Backtab, Qt::NoModifier);
  OGTEvent out;
  OGTQtKeyEvent(out, backtab, QPoint(3, 4));
  EXPECT_EQ(out.Type(), kOGTKeyDown);
  EXPECT_EQ(out.Modifiers(), kOGTShift);
  EXPECT_EQ(out.Point(), OGTPoint(3, 4));
  EXPECT_EQ(OGTQtModifiers(Qt::ControlModifier | Qt::AltModifier), kOGTControl | kOGTAlt);
}

}  // namespace
