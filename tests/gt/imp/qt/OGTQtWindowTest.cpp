#include "gt/imp/qt/OGTQtWindowImp.h"

#include <QMdiSubWindow>

#include "QtSideFixture.h"
#include "gt/OGTButton.h"
#include "gt/OGTField.h"
#include "gt/OGTLabel.h"

namespace {

using WindowTest = QtSideTest;

// A window that counts its deletions and answers CanClose as told.
class ClosableWindow : public OGTWindow {
 public:
  ~ClosableWindow() override { ++deleted; }
  bool CanClose() override {
    ++asked;
    return allow;
  }
  static inline int deleted = 0;
  int asked = 0;
  bool allow = false;
};

TEST_F(WindowTest, FormWindowIsASubWindowWhoseClientAreaHasTheSizeGiven) {
  std::string title = Sj("顧客一覧");
  auto window = MakeWindow(0, 320, 200, title);
  ShowAndSettle(*window);

  auto* sub = As<QMdiSubWindow>(window.get());
  ASSERT_NE(sub, nullptr);
  EXPECT_TRUE(area_->subWindowList().contains(sub));
  EXPECT_EQ(sub->windowTitle(), Q("顧客一覧"));
  EXPECT_EQ(ClientOf(window.get())->size(), QSize(320, 200));
  EXPECT_GT(sub->height(), 200);  // the caption lies outside the client area

  int32_t x, y, width, height;
  window->GetPosition(x, y);
  window->GetSize(width, height);
  EXPECT_EQ(std::make_pair(x, y), std::make_pair(20, 10));
  EXPECT_EQ(std::make_pair(width, height), std::make_pair(320, 200));
  EXPECT_EQ(window->Text(), title);
  EXPECT_TRUE(window->IsVisible());
  EXPECT_TRUE(window->IsEnabled());

  window->SetSize(150, 90, true);
  QApplication::processEvents();
  EXPECT_EQ(ClientOf(window.get())->size(), QSize(150, 90));
}

TEST_F(WindowTest, VariantsChooseTheFrame) {
  auto resizable = MakeWindow(0, 200, 100);
  auto fixed = MakeWindow(1, 200, 100);
  auto captionOnly = MakeWindow(2, 200, 100);
  auto* resizableSub = As<QMdiSubWindow>(resizable.get());
  auto* fixedSub = As<QMdiSubWindow>(fixed.get());
  auto* captionSub = As<QMdiSubWindow>(captionOnly.get());

  EXPECT_NE(resizableSub->minimumSize(), resizableSub->maximumSize());
  EXPECT_TRUE(resizableSub->windowFlags() & Qt::WindowMaximizeButtonHint);
  EXPECT_EQ(fixedSub->minimumSize(), fixedSub->maximumSize());
  EXPECT_FALSE(fixedSub->windowFlags() & Qt::WindowMaximizeButtonHint);
  EXPECT_TRUE(fixedSub->windowFlags() & Qt::WindowCloseButtonHint);
  EXPECT_EQ(captionSub->minimumSize(), captionSub->maximumSize());
  EXPECT_FALSE(captionSub->windowFlags() & Qt::WindowCloseButtonHint);
  EXPECT_FALSE(captionSub->windowFlags() & Qt::WindowSystemMenuHint);
}

TEST_F(WindowTest, ControlsStartHiddenAndDisabledAndUseWindowCoordinates) {
  auto window = MakeWindow(0, 300, 200);
  auto label = std::make_unique<OGTLabel>();
  label->Create(0, window.get());
  EXPECT_EQ(WidgetOf(label.get())->parentWidget(), ClientOf(window.get()));
  EXPECT_FALSE(label->IsVisible());
  EXPECT_FALSE(label->IsEnabled());
  OGTLabel* placed = label.get();
  window->AddChild(std::move(label), -1);
  placed->SetPosition(12, 34, true);
  placed->SetSize(100, 20, true);
  placed->Enable();
  placed->Show();
  EXPECT_TRUE(placed->IsVisible());
  EXPECT_TRUE(placed->IsEnabled());
  EXPECT_EQ(WidgetOf(placed)->geometry(), QRect(12, 34, 100, 20));
  OGTRect bounds;
  placed->GetBounds(bounds);
  EXPECT_EQ(bounds, OGTRect(34, 12, 54, 112));
}

TEST_F(WindowTest, LaterChildrenLieAboveEarlierOnesAndInsertionsKeepTheOrder) {
  auto window = MakeWindow(0, 300, 200);
  OGTLabel* first = Place<OGTLabel>(*window, 0, 0, 50, 20, "first");
  OGTLabel* last = Place<OGTLabel>(*window, 0, 0, 50, 20, "last");
  auto made = std::make_unique<OGTLabel>();
  OGTLabel* middle = made.get();
  middle->Create(0, window.get());
  window->AddChild(std::move(made), 1);
  QWidget* client = ClientOf(window.get());
  QObjectList order = client->children();
  EXPECT_LT(order.indexOf(WidgetOf(first)), order.indexOf(WidgetOf(middle)));
  EXPECT_LT(order.indexOf(WidgetOf(middle)), order.indexOf(WidgetOf(last)));
}

TEST_F(WindowTest, TheCloseBoxAsksTheWindowAndDeletesItWhenAllowed) {
  ClosableWindow::deleted = 0;
  auto window = MakeWindow<ClosableWindow>(0, 200, 100);
  Place<OGTButton>(*window, 10, 10, 80, 22, "OK");
  ShowAndSettle(*window);
  auto* sub = As<QMdiSubWindow>(window.get());

  sub->close();
  EXPECT_EQ(window->asked, 1);
  EXPECT_EQ(ClosableWindow::deleted, 0);
  EXPECT_TRUE(sub->isVisible());

  window->allow = true;
  QPointer<QMdiSubWindow> gone = sub;
  sub->close();
  window.release();  // deleted by the close
  EXPECT_EQ(ClosableWindow::deleted, 1);
  OGTQtImpFactory::FlushDeletedWidgets();
  EXPECT_TRUE(gone.isNull());
}

TEST_F(WindowTest, FocusFollowsTabThroughTheWindowsFieldsAndReportsTheFocusedItem) {
  auto window = MakeWindow(0, 300, 200);
  auto* first = Place<OGTField>(*window, 10, 10, 100, 24);
  Place<OGTLabel>(*window, 10, 40, 100, 24, "label");
  auto* second = Place<OGTField>(*window, 10, 70, 100, 24);
  ShowAndSettle(*window);
  EXPECT_EQ(window->FocusedItem(), first);  // Show focuses the first focusable child

  QTest::keyClick(WidgetOf(first), Qt::Key_Tab);
  EXPECT_EQ(window->FocusedItem(), second);
  QTest::keyClick(WidgetOf(second), Qt::Key_Tab);
  EXPECT_EQ(window->FocusedItem(), first);  // wraps round
  QTest::keyClick(WidgetOf(first), Qt::Key_Backtab, Qt::ShiftModifier);
  EXPECT_EQ(window->FocusedItem(), second);
  EXPECT_EQ(window->Codes(), (std::vector<int32_t>{72, 72, 71}));
}

TEST_F(WindowTest, ClipboardCommandsActOnTheFocusedField) {
  auto window = MakeWindow(0, 300, 200);
  auto* field = Place<OGTField>(*window, 10, 10, 200, 24);
  auto* other = Place<OGTField>(*window, 10, 40, 200, 24);
  ShowAndSettle(*window);
  field->SetText(Sj("日本語").c_str());
  field->TakeFocus();
  EXPECT_FALSE(window->Copy());  // nothing selected
  EXPECT_TRUE(window->SelectAll());
  EXPECT_TRUE(window->Cut());
  EXPECT_EQ(field->Text(), "");
  other->TakeFocus();
  EXPECT_TRUE(window->Paste());
  EXPECT_EQ(other->Text(), Sj("日本語"));
  EXPECT_TRUE(window->SelectAll());
  EXPECT_TRUE(window->Clear());
  EXPECT_EQ(other->Text(), "");
}

TEST_F(WindowTest, ItemsOutliveTheirWidgetsWhenTheFrameGoesFirst) {
  auto window = MakeWindow(0, 200, 100);
  auto* label = Place<OGTLabel>(*window, 1, 1, 50, 20, "x");
  auto* field = Place<OGTField>(*window, 1, 30, 50, 20, "x");
  frame_.reset();  // the area goes, and every sub-window and control with it
  label->SetText("y");
  label->SetPosition(5, 5, true);
  field->SetText("z");
  field->TakeFocus();
  EXPECT_FALSE(field->Cut());
  window->SetSize(10, 10, true);
  window->Show();
  window->Update(true);
  EXPECT_EQ(label->Text(), "y");
  EXPECT_FALSE(label->IsVisible());
  window.reset();
}

TEST(WindowWithoutFrameTest, WindowsAreTopLevelWithoutAnArea) {
  OGTQtImpFactory factory(nullptr);
  {
    OGTWindow window;
    window.Create(1, nullptr);
    window.SetPosition(40, 30, true);
    window.SetSize(200, 120, true);
    window.Show();
    QWidget* widget = OGTQtNode::Of(&window)->Widget();
    EXPECT_TRUE(widget->isWindow());
    EXPECT_EQ(widget->size(), QSize(200, 120));
    int32_t width, height;
    window.GetSize(width, height);
    EXPECT_EQ(std::make_pair(width, height), std::make_pair(200, 120));
  }
  OGTQtImpFactory::FlushDeletedWidgets();
}

}  // namespace
