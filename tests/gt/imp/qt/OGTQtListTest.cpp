// The toolkit's drawn composites on the Qt side: lists on their own surface with native scroll
// bars, and image fields drawn on their window's surface.
#include <cstdlib>

#include <QScrollBar>

#include "QtScreens.h"
#include "QtSideFixture.h"
#include "TempDir.h"
#include "gt/OGTField.h"
#include "gt/OGTImageField.h"
#include "gt/OGTList.h"
#include "gt/OGTListData.h"
#include "gt/OGTScrollBar.h"
#include "gt/imp/BmpBuilder.h"

namespace {

class ListTest : public QtSideTest {
 protected:
  OGTList* PlaceList(OGTWindow& window, int32_t rows);
};

OGTList* ListTest::PlaceList(OGTWindow& window, int32_t rows) {
  auto* list = Place<OGTList>(window, 10, 10, 200, 150);
  list->SetHeaderHeight(18);
  list->SetRowHeight(18);
  list->AddColumn("", 10, 0);
  list->AddColumn(Sj("氏名").c_str(), 250, 0);
  auto* data = new OGTListData_String;
  for (int32_t i = 0; i < rows; ++i) data->AppendRow(Sj("行") + std::to_string(i));
  list->SetRowData(data, true);
  return list;
}

TEST_F(ListTest, AListDrawsItselfAndKeepsItsBarsInWindowCoordinates) {
  auto window = MakeWindow(0, 300, 200);
  OGTList* list = PlaceList(*window, 30);
  ShowAndSettle(*window);
  QWidget* surface = WidgetOf(list);
  QImage image = SaveScreen(ClientOf(window.get()), "list");

  OGTScrollBar* vertical = list->VerticalBar();
  ASSERT_NE(vertical, nullptr);
  auto* bar = As<QScrollBar>(vertical);
  EXPECT_EQ(bar->parentWidget(), surface);
  EXPECT_EQ(bar->orientation(), Qt::Vertical);
  OGTRect bounds;
  vertical->GetBounds(bounds);
  int32_t thickness = vertical->Thickness();
  EXPECT_EQ(bounds.Left(), 210 - thickness);  // window coordinates
  EXPECT_EQ(bounds.Top(), 10);
  EXPECT_EQ(bar->geometry().topLeft(), QPoint(200 - thickness, 0));  // inside the list
  EXPECT_EQ(As<QScrollBar>(list->HorizontalBar())->orientation(), Qt::Horizontal);

  EXPECT_GT(InkIn(image, QRect(25, 12, 60, 14)), 20);  // the heading
  EXPECT_GT(InkIn(image, QRect(25, 30, 60, 16)), 20);  // the first row

  QTest::mouseClick(surface, Qt::LeftButton, {}, QPoint(40, 18 + 18 * 2 + 5));
  EXPECT_EQ(list->FirstSelected(), 2);
  EXPECT_EQ(window->Codes(), (std::vector<int32_t>{41}));
  QTest::keyClick(surface, Qt::Key_Down);
  EXPECT_EQ(list->FirstSelected(), 3);
  QTest::mouseDClick(surface, Qt::LeftButton, {}, QPoint(40, 18 + 18 * 3 + 5));
  QTest::mouseRelease(surface, Qt::LeftButton, {}, QPoint(40, 18 + 18 * 3 + 5));
  EXPECT_EQ(window->Codes().back(), 42);

  bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
  EXPECT_EQ(list->TopRow(), 1);
  EXPECT_EQ(bar->value(), 1);
}

TEST_F(ListTest, AListShowsItsBarsOnlyWhileTheyHaveSomethingToScroll) {
  auto window = MakeWindow(0, 300, 200);
  OGTList* list = PlaceList(*window, 0);
  ShowAndSettle(*window);
  SaveScreen(ClientOf(window.get()), "list-empty");
  ASSERT_NE(list->VerticalBar(), nullptr);
  // The toolkit sees its bars shown; a person sees none on an empty list.
  EXPECT_TRUE(list->VerticalBar()->IsVisible());
  EXPECT_FALSE(WidgetOf(list->VerticalBar())->isVisible());
  EXPECT_FALSE(WidgetOf(list->HorizontalBar())->isVisible());

  auto* rows = new OGTListData_String;
  for (int32_t i = 0; i < 30; ++i) rows->AppendRow("row");
  list->SetRowData(rows, true);
  list->Layout();
  QApplication::processEvents();
  EXPECT_TRUE(WidgetOf(list->VerticalBar())->isVisible());
  // The columns are 260 wide in a list of 200: the horizontal bar has something to do as well.
  EXPECT_TRUE(WidgetOf(list->HorizontalBar())->isVisible());
  list->VerticalBar()->Hide();
  EXPECT_FALSE(WidgetOf(list->VerticalBar())->isVisible());
  EXPECT_FALSE(list->VerticalBar()->IsVisible());

  // A form's own scroll bar shows without a range, as it always did.
  auto* own = Place<OGTScrollBar>(*window, 250, 10, 16, 150);
  QApplication::processEvents();
  EXPECT_TRUE(WidgetOf(own)->isVisible());
}

TEST_F(ListTest, TheSelectedRowTakesThePalettesHighlightColours) {
  auto window = MakeWindow(0, 300, 200);
  OGTList* list = PlaceList(*window, 5);
  list->SelectRow(1, true, false);
  ShowAndSettle(*window);
  QWidget* surface = WidgetOf(list);
  QImage image = SaveScreen(surface, "list-selection");
  const QPalette& colours = surface->palette();
  QRgb highlight = colours.color(QPalette::Active, QPalette::Highlight).rgb();
  QRgb text = colours.color(QPalette::Active, QPalette::HighlightedText).rgb();
  // Row 1 lies from 36 to 54 under the 18 high heading; its background is the highlight, its
  // ink the highlighted text's colour (nearer to it than to the highlight, the edges of the
  // characters being smoothed), and nothing of it is black.
  auto distance = [](QRgb a, QRgb b) {
    return std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) +
           std::abs(qBlue(a) - qBlue(b));
  };
  QRect row(2, 37, 150, 16);
  int background = 0;
  int ink = 0;
  for (int y = row.top(); y <= row.bottom(); ++y) {
    for (int x = row.left(); x <= row.right(); ++x) {
      QRgb pixel = image.pixel(x, y) | 0xFF000000u;
      EXPECT_NE(pixel, qRgb(0, 0, 0)) << x << "," << y;
      if (pixel == highlight) ++background;
      if (distance(pixel, text) < distance(pixel, highlight) / 2) ++ink;
    }
  }
  EXPECT_GT(background, row.width() * row.height() / 2);
  EXPECT_GT(ink, 10);
  // The other rows keep their white background.
  EXPECT_EQ(image.pixel(100, 22) | 0xFF000000u, qRgb(255, 255, 255));
}

TEST_F(ListTest, AListWithTheFocusShowsTheFocusMark) {
  auto window = MakeWindow(0, 300, 200);
  OGTList* list = PlaceList(*window, 3);
  auto* field = Place<OGTField>(*window, 10, 170, 100, 22);
  ShowAndSettle(*window);
  field->TakeFocus();
  QApplication::processEvents();
  QImage without = WidgetOf(list)->grab().toImage();
  list->TakeFocus();
  QApplication::processEvents();
  ASSERT_TRUE(WidgetOf(list)->hasFocus());
  QImage with = SaveScreen(WidgetOf(list), "list-focus");
  EXPECT_NE(with, without.convertToFormat(QImage::Format_RGB32));
  // The mark runs along the list's left edge, where the item itself draws nothing but white; it
  // is the highlight colour, and it does not tint the rows.
  QRgb highlight = WidgetOf(list)->palette().color(QPalette::Active, QPalette::Highlight).rgb();
  EXPECT_EQ(with.pixel(0, 100) | 0xFF000000u, highlight | 0xFF000000u);
  EXPECT_EQ(with.pixel(100, 100) | 0xFF000000u, qRgb(255, 255, 255));
}

TEST_F(ListTest, AnImageFieldIsDrawnOnItsWindowAndScrollsWithItsBars) {
  TempDir dir;
  std::vector<uint32_t> pixels(60 * 60, 0xFF0000);
  for (int32_t i = 0; i < 60 * 30; ++i) pixels[static_cast<size_t>(i)] = 0x0000FF;  // top blue
  std::vector<uint8_t> bmp = BuildBmp(60, 60, 24, pixels);
  std::string path = dir / "picture.bmp";
  QFile file(QString::fromStdString(path));
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(reinterpret_cast<const char*>(bmp.data()), static_cast<qint64>(bmp.size()));
  file.close();

  auto window = MakeWindow(0, 300, 200);
  auto* field = Place<OGTImageField>(*window, 20, 20, 60, 50);
  ASSERT_TRUE(field->LoadFromFile(path.c_str()));
  ShowAndSettle(*window);
  ASSERT_NE(field->VerticalBar(), nullptr);
  auto* bar = As<QScrollBar>(field->VerticalBar());
  EXPECT_EQ(bar->parentWidget(), ClientOf(window.get()));
  QImage before = SaveScreen(ClientOf(window.get()), "image_field");
  EXPECT_EQ(QColor(before.pixel(25, 25)), QColor(Qt::blue));

  // Scrolling by two pages brings the red half up.
  bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
  QApplication::processEvents();
  EXPECT_GT(field->VerticalOffset(), 0);
  EXPECT_EQ(bar->value(), field->VerticalOffset());
  QImage after = ClientOf(window.get())->grab().toImage();
  EXPECT_EQ(QColor(after.pixel(25, 25)), QColor(Qt::red));
}

}  // namespace
