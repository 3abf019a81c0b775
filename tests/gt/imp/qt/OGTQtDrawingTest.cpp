#include "gt/imp/qt/OGTQtContextImp.h"

#include <QDir>
#include <QImage>
#include <QMouseEvent>
#include <QPushButton>

#include "QtProbe.h"
#include "QtSideFixture.h"
#include "TempDir.h"
#include "gt/OGTButton.h"
#include "gt/OGTImage.h"
#include "gt/OGTLabel.h"
#include "gt/OGTRegion.h"
#include "gt/imp/BmpBuilder.h"
#include "gt/imp/qt/OGTQtResourceImp.h"

namespace {

using DrawingTest = QtSideTest;

const QRgb kWhite = qRgb(255, 255, 255);
const QRgb kRed = qRgb(255, 0, 0);
const QRgb kBlue = qRgb(0, 0, 255);
const QRgb kBlack = qRgb(0, 0, 0);

// What the widget shows now, in its own coordinates.
QImage Grab(QWidget* widget) {
  return widget->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

QRgb At(const QImage& image, int x, int y) { return image.pixel(x, y) | 0xFF000000u; }

// Whether the rectangle of the image holds more than one colour.
// A one-colour BMP file of the given size.
std::string WriteBmp(const TempDir& dir, const std::string& name, int32_t size, uint32_t rgb) {
  std::vector<uint8_t> bmp = BuildBmp(size, size, 24, std::vector<uint32_t>(size * size, rgb));
  std::string path = dir / name;
  QFile file(QString::fromStdString(path));
  if (file.open(QIODevice::WriteOnly)) {
    file.write(reinterpret_cast<const char*>(bmp.data()), static_cast<qint64>(bmp.size()));
  }
  return path;
}

void SendMouse(QWidget* widget, QEvent::Type type, QPoint at, quint64 time) {
  Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
  QMouseEvent event(type, at, widget->mapToGlobal(at), Qt::LeftButton, held, Qt::NoModifier);
  event.setTimestamp(time);
  QApplication::sendEvent(widget, &event);
}

bool Varied(const QImage& image, const QRect& rect) {
  QRgb first = image.pixel(rect.topLeft());
  for (int y = rect.top(); y <= rect.bottom(); ++y) {
    for (int x = rect.left(); x <= rect.right(); ++x) {
      if (image.pixel(x, y) != first) return true;
    }
  }
  return false;
}

// A window with a list surface at (50, 40), 120 x 80, that draws what the test asks.
struct Surface {
  std::unique_ptr<RecordingWindow> window;
  ListProbe* probe = nullptr;
};

class SurfaceTest : public DrawingTest {
 protected:
  Surface Make(std::function<void(OGTContext*)> draw) {
    Surface s;
    s.window = MakeWindow(0, 300, 200);
    s.probe = Place<ListProbe>(*s.window, 50, 40, 120, 80);
    s.probe->draw = std::move(draw);
    ShowAndSettle(*s.window);
    return s;
  }
};

TEST_F(SurfaceTest, ItemsDrawInWindowCoordinatesWithThePenAndFillGiven) {
  Surface s = Make([](OGTContext* context) {
    context->SetFillColor(OGTColor(0xFF0000));
    context->FillRect(OGTRect(40, 50, 70, 80));  // the surface's top left 30 x 30
    context->SetPenColor(OGTColor(0x0000FF));
    context->DrawLine(OGTPoint(50, 100), OGTPoint(169, 100));
    context->FrameRect(OGTRect(90, 140, 110, 160));
  });
  QImage image = Grab(WidgetOf(s.probe));
  EXPECT_EQ(At(image, 0, 0), kRed);
  EXPECT_EQ(At(image, 29, 29), kRed);
  EXPECT_EQ(At(image, 30, 30), kWhite);   // the right and bottom edges stay outside
  EXPECT_EQ(At(image, 60, 60), kBlue);    // the line at window y 100
  EXPECT_EQ(At(image, 90, 50), kBlue);    // the frame's corner
  EXPECT_EQ(At(image, 100, 55), kWhite);  // a frame does not fill
  EXPECT_GE(s.probe->draws, 1);
}

TEST_F(SurfaceTest, ThePaintsClipIsTheSurfaceAndAClipLimitsDrawing) {
  OGTRect clipSeen;
  Surface s = Make([&](OGTContext* context) {
    OGTRegion clip;
    context->GetClip(clip);
    clip.GetBounds(clipSeen);
    context->SetClip(OGTRegion(OGTRect(40, 110, 120, 170)));  // the right half
    context->SetFillColor(OGTColor(0xFF0000));
    context->FillRect(OGTRect(40, 50, 120, 170));
    context->ClearClip();
  });
  EXPECT_EQ(clipSeen, OGTRect(40, 50, 120, 170));
  QImage image = Grab(WidgetOf(s.probe));
  EXPECT_EQ(At(image, 10, 10), kWhite);
  EXPECT_EQ(At(image, 70, 10), kRed);
}

TEST_F(SurfaceTest, InvertingTwiceRestoresAndInvertModeAppliesToLines) {
  Surface s = Make([](OGTContext* context) {
    context->InvertRect(OGTRect(40, 50, 60, 70));  // white becomes black
    context->InvertRect(OGTRect(40, 60, 60, 80));  // half of it back to white
    context->SetDrawMode(kOGTDrawInvert);
    context->DrawLine(OGTPoint(50, 100), OGTPoint(169, 100));
    context->DrawLine(OGTPoint(50, 101), OGTPoint(169, 101));
    context->DrawLine(OGTPoint(50, 101), OGTPoint(169, 101));
  });
  QImage image = Grab(WidgetOf(s.probe));
  EXPECT_EQ(At(image, 2, 2), kBlack);
  EXPECT_EQ(At(image, 15, 2), kWhite);
  EXPECT_EQ(At(image, 25, 2), kBlack);
  EXPECT_EQ(At(image, 40, 60), kBlack);  // one inverted line
  EXPECT_EQ(At(image, 40, 61), kWhite);  // two cancel out
}

TEST_F(SurfaceTest, DrawingOutsideAPaintShowsAtOnceUntilTheItemIsRedrawn) {
  Surface s = Make([](OGTContext* context) {
    context->SetFillColor(OGTColor(0xFF0000));
    context->FillRect(OGTRect(40, 50, 120, 170));
  });
  OGTContext context;
  context.AttachItem(s.probe);
  context.SetFillColor(OGTColor(0x0000FF));
  context.FillRect(OGTRect(40, 50, 50, 60));
  QApplication::processEvents();
  QImage drawn = Grab(WidgetOf(s.probe));
  EXPECT_EQ(At(drawn, 5, 5), kBlue);
  EXPECT_EQ(At(drawn, 15, 15), kRed);

  s.probe->Invalidate();
  QApplication::processEvents();
  EXPECT_EQ(At(Grab(WidgetOf(s.probe)), 5, 5), kRed);
}

TEST_F(SurfaceTest, TextIsDrawnInTheFontsColourAndMeasuredByItsFace) {
  int32_t narrow = 0, wide = 0, big = 0, kanji = 0, ascent = 0, descent = 0, leading = 0;
  Surface s = Make([&](OGTContext* context) {
    context->SetFont(OGTFont("", 12, 0, 0, colorRed));
    std::string text = Sj("日本語 text");
    context->DrawText(text, OGTRect(40, 50, 60, 170));
    narrow = context->TextWidth("ab", 0, 2);
    std::string two = Sj("日本");
    wide = context->TextWidth(two.data(), 0, two.size());
    kanji = context->CharWidth(0x93FA);  // 日
    context->FontMetrics(ascent, descent, leading);
    context->SetFont(OGTFont("", 24, 0, 0, colorBlack));
    big = context->TextWidth(two.data(), 0, two.size());
  });
  QImage image = Grab(WidgetOf(s.probe));
  EXPECT_TRUE(Varied(image, QRect(0, 0, 119, 19)));
  bool reddish = false;
  for (int y = 0; y < 20; ++y) {
    for (int x = 0; x < 119; ++x) {
      QRgb p = image.pixel(x, y);
      reddish = reddish || (qRed(p) > 200 && qGreen(p) < 100 && qBlue(p) < 100);
    }
  }
  EXPECT_TRUE(reddish);
  EXPECT_FALSE(Varied(image, QRect(0, 25, 119, 50)));  // nothing below the text's rectangle
  EXPECT_GT(narrow, 0);
  EXPECT_GT(wide, narrow);
  EXPECT_EQ(kanji * 2, wide);
  EXPECT_GT(big, wide);
  EXPECT_GT(ascent, descent);
  EXPECT_GT(descent, 0);
}

TEST_F(SurfaceTest, MouseEventsReachTheItemInWindowCoordinates) {
  Surface s = Make(nullptr);
  QWidget* widget = WidgetOf(s.probe);
  QTest::mousePress(widget, Qt::LeftButton, Qt::ShiftModifier, QPoint(5, 6));
  QTest::mouseMove(widget, QPoint(9, 9));
  QTest::mouseRelease(widget, Qt::LeftButton, {}, QPoint(9, 9));
  QTest::mouseMove(widget, QPoint(12, 12));  // no button held: not passed on
  ASSERT_EQ(s.probe->mice.size(), 3u);
  const OGTEvent& down = s.probe->mice[0];
  EXPECT_EQ(down.Type(), kOGTMouseDown);
  EXPECT_EQ(down.Count(), 1);
  EXPECT_EQ(down.Point(), OGTPoint(55, 46));
  EXPECT_EQ(down.Modifiers(), kOGTShift);
  EXPECT_EQ(s.probe->mice[1].Type(), kOGTMouseMoved);
  EXPECT_EQ(s.probe->mice[2].Type(), kOGTMouseUp);
  EXPECT_EQ(s.probe->mice[2].Point(), OGTPoint(59, 49));
  EXPECT_TRUE(s.probe->hadContext);
  EXPECT_EQ(s.window->FocusedItem(), s.probe);  // the press gave the list the focus

  // A double click as the window system delivers it: the second press, then Qt's double-click
  // event for it. The toolkit sees one second press.
  s.probe->mice.clear();
  SendMouse(widget, QEvent::MouseButtonPress, QPoint(20, 20), 10000);
  SendMouse(widget, QEvent::MouseButtonRelease, QPoint(20, 20), 10010);
  SendMouse(widget, QEvent::MouseButtonPress, QPoint(21, 20), 10100);
  SendMouse(widget, QEvent::MouseButtonDblClick, QPoint(21, 20), 10100);
  SendMouse(widget, QEvent::MouseButtonRelease, QPoint(21, 20), 10120);
  SendMouse(widget, QEvent::MouseButtonPress, QPoint(21, 20), 10200);  // a third press is single
  std::vector<std::pair<int16_t, int16_t>> seen;
  for (const OGTEvent& e : s.probe->mice) seen.emplace_back(e.Type(), e.Count());
  EXPECT_EQ(seen,
            (std::vector<std::pair<int16_t, int16_t>>{{1, 1}, {2, 1}, {1, 2}, {2, 2}, {1, 1}}));
  EXPECT_EQ(s.probe->mice[2].Point(), OGTPoint(71, 60));

  // A double-click event alone (as programs make them) stands for the second press.
  s.probe->mice.clear();
  QTest::mouseDClick(widget, Qt::LeftButton, {}, QPoint(30, 30));
  ASSERT_EQ(s.probe->mice.size(), 1u);
  EXPECT_EQ(s.probe->mice[0].Count(), 2);
  EXPECT_EQ(s.probe->mice[0].Point(), OGTPoint(80, 70));
}

TEST_F(SurfaceTest, KeysReachTheFocusedListWithTheToolkitsCodes) {
  Surface s = Make(nullptr);
  s.probe->TakeFocus();
  QWidget* widget = WidgetOf(s.probe);
  QTest::keyClick(widget, Qt::Key_Down);
  QTest::keyClick(widget, Qt::Key_Backtab, Qt::ShiftModifier);
  QTest::keyClick(widget, Qt::Key_C, Qt::ControlModifier);
  ASSERT_EQ(s.probe->keys.size(), 3u);  // Shift and Control alone are no keys for the toolkit
  EXPECT_EQ(s.probe->keys[0].Key(), kOGTKeyArrowDown);
  EXPECT_EQ(s.probe->keys[0].Type(), kOGTKeyDown);
  EXPECT_EQ(s.probe->keys[0].Count(), 0);
  EXPECT_EQ(s.probe->keys[1].Key(), kOGTKeyTab);
  EXPECT_TRUE(s.probe->keys[1].HasModifier(kOGTShift));
  EXPECT_TRUE(s.probe->keys[2].HasModifier(kOGTControl));
  // Tab that the item passes on moves the focus through the window.
  EXPECT_EQ(s.window->Codes(), (std::vector<int32_t>{71}));
}

TEST_F(DrawingTest, LinesCirclesAndPlanesDrawThemselves) {
  TempDir dir;
  std::string path = WriteBmp(dir, "green.bmp", 4, 0x00FF00);

  auto window = MakeWindow(0, 300, 200);
  Place<LineProbe>(*window, 10, 10, 100, 20);
  Place<CircleProbe>(*window, 10, 40, 60, 40);
  Place<PlaneProbe>(*window, 120, 10, 50, 50);
  auto* pictured = Place<PlaneProbe>(*window, 180, 10, 50, 50);
  dynamic_cast<OGTPlaneImp*>(pictured->Imp())->SetImage(path.c_str());
  ShowAndSettle(*window);
  QImage client = Grab(ClientOf(window.get()));
  QRgb background = At(client, 5, 5);
  EXPECT_EQ(At(client, 50, 20), kBlack);      // the line at half height
  EXPECT_EQ(At(client, 50, 15), background);  // transparent around it
  EXPECT_EQ(At(client, 10, 60), kBlack);      // the circle's left end
  EXPECT_EQ(At(client, 40, 60), kWhite);      // filled inside
  EXPECT_EQ(At(client, 120, 30), kBlack);     // the plane's frame
  EXPECT_EQ(At(client, 140, 30), background);
  EXPECT_EQ(At(client, 181, 11), qRgb(0, 255, 0));  // the image at the plane's top left
  EXPECT_EQ(At(client, 186, 16), background);       // in its natural size
}

TEST_F(DrawingTest, ImagesLoadBmpFromMemoryAndOtherFormatsFromFiles) {
  std::vector<uint8_t> bmp = BuildBmp(2, 2, 24, {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF});
  OGTImage image;
  EXPECT_FALSE(image.LoadFromMemory(bmp.data(), bmp.size(), 4));
  EXPECT_FALSE(image.IsLoaded());
  ASSERT_TRUE(image.LoadFromMemory(bmp.data(), bmp.size(), kOGTImageFormatBmp));
  int32_t width, height;
  image.GetSize(width, height);
  EXPECT_EQ(std::make_pair(width, height), std::make_pair(2, 2));

  auto window = MakeWindow(0, 300, 200);
  auto* probe = Place<ListProbe>(*window, 10, 10, 20, 20);
  probe->draw = [&](OGTContext* context) { image.Draw(context, OGTRect(10, 10, 11, 30)); };
  ShowAndSettle(*window);
  QImage shown = Grab(WidgetOf(probe));
  EXPECT_EQ(At(shown, 0, 0), kRed);
  EXPECT_EQ(At(shown, 1, 0), qRgb(0, 255, 0));
  EXPECT_EQ(At(shown, 0, 1), kWhite);  // cut to the rectangle's one row

  TempDir dir;
  QImage png(3, 5, QImage::Format_RGB32);
  png.fill(Qt::blue);
  std::string pngPath = dir / "picture.png";
  ASSERT_TRUE(png.save(QString::fromStdString(pngPath)));
  OGTImage fromFile;
  ASSERT_TRUE(fromFile.LoadFromFile(pngPath.c_str()));
  fromFile.GetSize(width, height);
  EXPECT_EQ(std::make_pair(width, height), std::make_pair(3, 5));
  EXPECT_FALSE(fromFile.LoadFromFile((dir / "missing.bmp").c_str()));
  std::string broken = dir / "broken.bmp";
  QFile file(QString::fromStdString(broken));
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write("BM not really a bitmap");
  file.close();
  EXPECT_FALSE(fromFile.LoadFromFile(broken.c_str()));
  EXPECT_EQ(QColor(OGTQtLoadImage(pngPath.c_str()).pixel(0, 0)), QColor(Qt::blue));
}

TEST_F(DrawingTest, AWindowsBackgroundImageLiesUnderItsItems) {
  TempDir dir;
  std::string path = WriteBmp(dir, "back.bmp", 8, 0x0000FF);
  auto window = MakeWindow(0, 100, 100);
  window->SetImageName(path.c_str());
  ShowAndSettle(*window);
  QImage client = Grab(ClientOf(window.get()));
  EXPECT_EQ(At(client, 0, 0), kBlue);
  EXPECT_EQ(At(client, 7, 7), kBlue);
  EXPECT_NE(At(client, 8, 8), kBlue);
  window->SetImageName(nullptr);
  QApplication::processEvents();
  EXPECT_NE(At(Grab(ClientOf(window.get())), 0, 0), kBlue);
}

TEST_F(DrawingTest, ButtonsWithImagesShowTheImageOfTheirState) {
  TempDir dir;
  std::string normal = WriteBmp(dir, "normal.bmp", 30, 0xFF0000);
  std::string pressed = WriteBmp(dir, "pressed.bmp", 30, 0x00FF00);
  std::string disabled = WriteBmp(dir, "disabled.bmp", 30, 0x0000FF);
  auto window = MakeWindow(0, 300, 200);
  auto* button = Place<OGTButton>(*window, 10, 10, 30, 30, "x");
  button->SetImageNames(normal.c_str(), pressed.c_str(), disabled.c_str());
  ShowAndSettle(*window);
  auto* native = As<QPushButton>(button);
  EXPECT_EQ(At(Grab(native), 5, 5), kRed);
  native->setDown(true);
  EXPECT_EQ(At(Grab(native), 5, 5), qRgb(0, 255, 0));
  native->setDown(false);
  button->Disable();
  EXPECT_EQ(At(Grab(native), 5, 5), kBlue);
  button->Enable();
  button->SetImageNames(nullptr, nullptr, nullptr);
  EXPECT_NE(At(Grab(native), 5, 5), kRed);  // the native look again
}

TEST(QtRegionTest, RegionsAreExactPixelSets) {
  OGTQtRegionImp a, b, c;
  a.SetRect(OGTRect(0, 0, 10, 10));
  b.SetRect(OGTRect(5, 5, 15, 15));
  c.CopyFrom(a);
  c.UnionWith(b);
  OGTRect box;
  c.GetBoundingBox(box);
  EXPECT_EQ(box, OGTRect(0, 0, 15, 15));
  EXPECT_FALSE(c.ContainsPoint(OGTPoint(12, 2)));
  EXPECT_TRUE(c.ContainsPoint(OGTPoint(12, 12)));
  EXPECT_FALSE(c.ContainsPoint(OGTPoint(15, 15)));  // right and bottom edges lie outside

  OGTQtRegionImp d;
  d.CopyFrom(a);
  d.IntersectWith(b);
  d.GetBoundingBox(box);
  EXPECT_EQ(box, OGTRect(5, 5, 10, 10));
  d.CopyFrom(a);
  d.Subtract(b);
  EXPECT_TRUE(d.ContainsPoint(OGTPoint(4, 9)));
  EXPECT_FALSE(d.ContainsPoint(OGTPoint(6, 6)));
  EXPECT_TRUE(d.OverlapsRect(OGTRect(0, 0, 1, 1)));
  EXPECT_FALSE(d.OverlapsRect(OGTRect(6, 6, 9, 9)));

  // Shrinking an L shape by one pixel keeps only what lies a full pixel inside.
  OGTQtRegionImp shape;
  shape.CopyFrom(c);
  shape.Inset(1, 1);
  EXPECT_TRUE(shape.ContainsPoint(OGTPoint(1, 1)));
  EXPECT_FALSE(shape.ContainsPoint(OGTPoint(0, 0)));
  EXPECT_FALSE(shape.ContainsPoint(OGTPoint(9, 1)));  // next to the notch above (10, 0)
  shape.Inset(-1, -1);
  shape.GetBoundingBox(box);
  EXPECT_EQ(box, OGTRect(0, 0, 15, 15));

  OGTQtRegionImp same;
  same.SetRect(OGTRect(0, 0, 10, 5));
  OGTQtRegionImp other;
  other.SetRect(OGTRect(0, 5, 10, 10));
  same.UnionWith(other);
  EXPECT_TRUE(same.Equals(a));
  same.Offset(1, 0);
  EXPECT_FALSE(same.Equals(a));
  same.MakeEmpty();
  EXPECT_TRUE(same.IsEmpty());
  same.GetBoundingBox(box);
  EXPECT_EQ(box, OGTRect());
}

}  // namespace
