// The styled-text item on the Qt side: a screenshot of a styled field with every style, checked
// pixel by pixel where a style shows (sizes, colours, faces, lines, raised and lowered text, the
// selection and the marked words), Japanese text wrapping and selected by whole characters, and
// keys and the mouse on the item's own surface. The screenshot is kept under screens/.
#include <QClipboard>
#include <QKeyEvent>
#include <QScrollBar>

#include "QtScreens.h"
#include "QtSideFixture.h"
#include "base/VSjis.h"
#include "gt/OGTScrollBar.h"
#include "vtx/OGTStyleEdit.h"
#include "vtx/VtxEdit.h"

namespace {

bool Reddish(QRgb p) { return qRed(p) > 160 && qGreen(p) < 110 && qBlue(p) < 110; }
bool Dark(QRgb p) { return qRed(p) < 110 && qGreen(p) < 110 && qBlue(p) < 110; }
// Any ink, also the grey of a thin smoothed line.
bool Inked(QRgb p) { return qGray(p) < 200; }

int Count(const QImage& image, const QRect& rect, bool (*test)(QRgb)) {
  int count = 0;
  QRect inside = rect.intersected(image.rect());
  for (int y = inside.top(); y <= inside.bottom(); ++y) {
    for (int x = inside.left(); x <= inside.right(); ++x) count += test(image.pixel(x, y)) ? 1 : 0;
  }
  return count;
}

int CountColour(const QImage& image, const QRect& rect, QRgb colour) {
  int count = 0;
  QRect inside = rect.intersected(image.rect());
  for (int y = inside.top(); y <= inside.bottom(); ++y) {
    for (int x = inside.left(); x <= inside.right(); ++x) {
      count += (image.pixel(x, y) & 0xFFFFFF) == (colour & 0xFFFFFF) ? 1 : 0;
    }
  }
  return count;
}

// The rows of a rectangle that hold dark ink: first and last, -1 when none.
std::pair<int, int> InkRows(const QImage& image, const QRect& rect) {
  int first = -1;
  int last = -1;
  for (int y = rect.top(); y <= rect.bottom(); ++y) {
    if (Count(image, QRect(rect.left(), y, rect.width(), 1), Dark) > 0) {
      if (first < 0) first = y;
      last = y;
    }
  }
  return {first, last};
}

class StyleEditQtTest : public QtSideTest {
 protected:
  // The x range of the text between two offsets, in client coordinates.
  static QRect Span(VtxEdit& edit, uint32_t from, uint32_t to) {
    const OGTPoint a = edit.PointOf(from);
    const OGTPoint b = edit.PointOf(to);
    const VtxLine& line = edit.Lines()[edit.LineOf(from)];
    return QRect(a.X(), a.Y() - line.height + 1, b.X() - a.X(), line.height);
  }
};

TEST_F(StyleEditQtTest, AStyledFieldDrawsEveryStyle) {
  auto window = MakeWindow(0, 460, 240);
  auto* field = Place<OGTStyleEdit>(*window, 10, 10, 440, 220);
  const std::string markup =
      "plain <SIZE 24>big</SIZE> <COLOR red>red</COLOR> <COLOR " + Sj("ＢＬＵＥ") +
      ">blue</COLOR> <FACE sys_mincho>" + Sj("明朝") + "</FACE> <B>bold</B> <I>italic</I>" +
      "<BR/><U>under</U> <S>struck</S> x<SUP>up</SUP> x<SUB>down</SUB> <COLOR #008000>" +
      Sj("緑の日本語") + "</COLOR><BR/>find the word, WORD and Word";
  field->SetMarkup(markup.c_str(), true);
  field->MarkWord("word");
  VtxEdit& edit = field->Engine();
  const std::string& text = edit.Text();
  auto at = [&](const std::string& piece) { return static_cast<uint32_t>(text.find(piece)); };
  field->SetSelection(at("find"), at("find") + 4);
  ShowAndSettle(*window);
  const QImage image = SaveScreen(ClientOf(window.get()), "styled_field");

  // A field taller than 32 units has its vertical bar on its own surface.
  ASSERT_NE(field->VerticalBar(), nullptr);
  EXPECT_EQ(As<QScrollBar>(field->VerticalBar())->parentWidget(), WidgetOf(field));

  // Sizes: the big word's ink is taller than the plain word's.
  const std::pair<int, int> plain = InkRows(image, Span(edit, 0, 5));
  const std::pair<int, int> big = InkRows(image, Span(edit, at("big"), at("big") + 3));
  ASSERT_GE(plain.first, 0);
  ASSERT_GE(big.first, 0);
  EXPECT_GT(big.second - big.first, (plain.second - plain.first) * 3 / 2);
  // Colours, by name (full-width names too) and by value.
  EXPECT_GT(Count(image, Span(edit, at("red"), at("red") + 3), Reddish), 10);
  EXPECT_EQ(Count(image, Span(edit, 0, 5), Reddish), 0);
  EXPECT_GT(Count(image, Span(edit, at("blue"), at("blue") + 4),
                  [](QRgb p) { return qBlue(p) > 160 && qRed(p) < 110 && qGreen(p) < 110; }),
            10);
  const uint32_t green = at(Sj("緑"));
  EXPECT_GT(Count(image, Span(edit, green, green + 10),
                  [](QRgb p) { return qGreen(p) > 90 && qRed(p) < 80 && qBlue(p) < 80; }),
            10);
  // Faces and weights reach the drawing: the mincho text and the bold word show.
  EXPECT_GT(Count(image, Span(edit, at(Sj("明朝")), at(Sj("明朝")) + 4), Dark), 10);
  EXPECT_GT(Count(image, Span(edit, at("bold"), at("bold") + 4), Dark), 10);
  // Underline and strike-through: full rows of ink as wide as the text.
  const QRect under = Span(edit, at("under"), at("under") + 5);
  const QRect struck = Span(edit, at("struck"), at("struck") + 6);
  auto fullRows = [&](const QRect& span) {
    int rows = 0;
    for (int y = span.top(); y <= span.bottom(); ++y) {
      if (Count(image, QRect(span.left(), y, span.width(), 1), Inked) >= span.width() - 1) ++rows;
    }
    return rows;
  };
  EXPECT_GE(fullRows(under), 1);
  EXPECT_GE(fullRows(struck), 2);
  EXPECT_EQ(fullRows(Span(edit, at("plain"), at("plain") + 5)), 0);
  // Raised and lowered text stands above and below the letters beside it.
  const std::pair<int, int> x = InkRows(image, Span(edit, at("up") - 1, at("up")));
  const std::pair<int, int> up = InkRows(image, Span(edit, at("up"), at("up") + 2));
  const std::pair<int, int> down = InkRows(image, Span(edit, at("down"), at("down") + 4));
  EXPECT_LT(up.first, x.first);
  EXPECT_LT(up.second, x.second);
  EXPECT_GT(down.second, x.second);
  // The selection and the marked words are highlighted.
  EXPECT_GT(CountColour(image, Span(edit, at("find"), at("find") + 4), 0x99CCFF), 20);
  const uint32_t word = at("word,");
  EXPECT_GT(CountColour(image, Span(edit, word, word + 4), 0xFFFF00), 20);
  EXPECT_GT(CountColour(image, Span(edit, at("WORD"), at("WORD") + 4), 0xFFFF00), 20);
  EXPECT_EQ(CountColour(image, Span(edit, 0, 5), 0xFFFF00), 0);
}

TEST_F(StyleEditQtTest, JapaneseTextWrapsAndSelectsByWholeCharacters) {
  auto window = MakeWindow(0, 300, 200);
  auto* field = Place<OGTStyleEdit>(*window, 10, 10, 120, 150);
  const std::string japanese =
      Sj("吾輩は猫である。名前はまだ無い。どこで生れたかとんと見当がつかぬ。");
  field->SetMarkup(japanese.c_str(), true);
  ShowAndSettle(*window);
  SaveScreen(ClientOf(window.get()), "styled_japanese");
  VtxEdit& edit = field->Engine();
  ASSERT_GT(edit.Lines().size(), 2u);
  const auto* bytes = reinterpret_cast<const uint8_t*>(edit.Text().data());
  for (const VtxLine& line : edit.Lines()) {
    EXPECT_TRUE(VIsCharBoundary(bytes, edit.TextLength(), line.start));
    int32_t width = 0;
    for (uint32_t i = line.start; i < line.start + line.length; ++i) width += edit.AdvanceAt(i);
    EXPECT_LE(width, edit.LayoutWidth());
  }
  // A click in the right half of a character puts the caret at its start; a drag selects whole
  // characters.
  QWidget* surface = WidgetOf(field);
  const OGTPoint second = edit.PointOf(2);
  const QPoint inside(second.X() - 10 + edit.AdvanceAt(2) - 2, second.Y() - 10 - 3);
  QTest::mouseClick(surface, Qt::LeftButton, {}, inside);
  uint32_t start = 0;
  uint32_t end = 0;
  field->GetSelection(&start, &end);
  EXPECT_EQ(start, 2u);
  EXPECT_EQ(end, 2u);
  QTest::keyClick(surface, Qt::Key_Right, Qt::ShiftModifier);
  QTest::keyClick(surface, Qt::Key_Right, Qt::ShiftModifier);
  field->GetSelection(&start, &end);
  EXPECT_EQ(end, 6u);
  std::string selected;
  ASSERT_TRUE(field->SelectedText(&selected));
  EXPECT_EQ(selected, Sj("輩は"));
}

TEST_F(StyleEditQtTest, KeysOnTheSurfaceTypeAndReturnGoesToTheForm) {
  auto window = MakeWindow(0, 300, 200);
  auto* field = Place<OGTStyleEdit>(*window, 10, 10, 200, 100);
  field->SetMarkup("<B>x</B>", true);
  field->SetSelection(1, 1);
  ShowAndSettle(*window);
  QWidget* surface = WidgetOf(field);
  surface->setFocus();
  QApplication::processEvents();
  // QTest types only ASCII: the characters go as the key events an input method would send.
  for (QChar c : QString::fromUtf8("yz漢")) {
    QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
    QApplication::sendEvent(surface, &press);
    QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, QString(c));
    QApplication::sendEvent(surface, &release);
  }
  EXPECT_EQ(field->Text(), "xyz" + Sj("漢"));
  EXPECT_EQ(field->Markup(), "<B>xyz" + Sj("漢") + "</B>");
  QTest::keyClick(surface, Qt::Key_Backspace);
  EXPECT_EQ(field->Text(), "xyz");
  window->events.clear();
  QTest::keyClick(surface, Qt::Key_Return);
  EXPECT_EQ(window->Codes(), (std::vector<int32_t>{21}));
  EXPECT_EQ(field->Text(), "xyz");
  // The window's copy takes the selected text to the clipboard.
  field->SelectAllText();
  EXPECT_TRUE(window->Copy());
  EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("xyz"));
}

}  // namespace
