// The Qt progress window: a modal window over the frame that a person can watch - its text and bar
// follow the work, the form windows take no input meanwhile - and whose cancel button, Escape key
// and close box ask the work to stop, unless it offers no cancelling. A picture of it is kept.
#include "gt/imp/qt/OGTQtProgressImp.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

#include "QtScreens.h"
#include "QtSideFixture.h"
#include "gt/OGTButton.h"
#include "gt/OGTProgress.h"

namespace {

class ProgressTest : public QtSideTest {
 protected:
  std::unique_ptr<OGTQtProgressImp> MakeProgress() {
    std::unique_ptr<OGTProgressImp> made = factory_->MakeProgressImp();
    EXPECT_NE(dynamic_cast<OGTQtProgressImp*>(made.get()), nullptr);
    return std::unique_ptr<OGTQtProgressImp>(static_cast<OGTQtProgressImp*>(made.release()));
  }
};

TEST_F(ProgressTest, TheWindowShowsTheWorkAndItsButtonAsksItToStop) {
  auto window = MakeWindow(0, 200, 100);
  auto* button = Place<OGTButton>(*window, 10, 10, 80, 22, "OK");
  ShowAndSettle(*window);
  std::unique_ptr<OGTQtProgressImp> made = MakeProgress();
  OGTQtProgressImp& progress = *made;
  progress.Open(Sj("データ読み込み").c_str(), true);
  QWidget* shown = progress.Window();
  ASSERT_NE(shown, nullptr);
  EXPECT_TRUE(shown->isVisible());
  EXPECT_EQ(QApplication::activeModalWidget(), shown);
  EXPECT_EQ(shown->windowTitle(), Q("データ読み込み"));
  EXPECT_FALSE(button->CanFocus());  // the form takes no input while the work runs
  progress.Update(Sj("読み込んだレコード：1200件").c_str(), 400);
  auto* text = shown->findChild<QLabel*>(QStringLiteral("text"));
  auto* bar = shown->findChild<QProgressBar*>(QStringLiteral("share"));
  ASSERT_TRUE(text != nullptr && bar != nullptr);
  EXPECT_EQ(text->text(), Q("読み込んだレコード：1200件"));
  EXPECT_EQ(bar->value(), 400);
  SaveScreen(shown, "progress");
  progress.Update("", -1);  // a share not known: the bar moves on its own
  EXPECT_EQ(bar->maximum(), 0);
  EXPECT_FALSE(progress.CancelRequested());
  auto* cancel = shown->findChild<QPushButton*>(QStringLiteral("cancel"));
  ASSERT_NE(cancel, nullptr);
  QTest::mouseClick(cancel, Qt::LeftButton);
  EXPECT_TRUE(progress.CancelRequested());
  EXPECT_TRUE(shown->isVisible());  // the work closes it when it has stopped
  progress.Close();
  EXPECT_EQ(progress.Window(), nullptr);
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
  EXPECT_TRUE(button->CanFocus());
}

TEST_F(ProgressTest, WorkThatCannotStopIgnoresEscapeAndTheCloseBox) {
  std::unique_ptr<OGTQtProgressImp> made = MakeProgress();
  OGTQtProgressImp& progress = *made;
  progress.Open("fixed", false);
  QWidget* shown = progress.Window();
  ASSERT_NE(shown, nullptr);
  EXPECT_EQ(shown->findChild<QPushButton*>(QStringLiteral("cancel")), nullptr);
  QTest::keyClick(shown, Qt::Key_Escape);
  shown->close();
  QApplication::processEvents();
  EXPECT_FALSE(progress.CancelRequested());
  EXPECT_TRUE(shown->isVisible());
  // Stoppable work takes Escape as a cancel.
  progress.Close();
  std::unique_ptr<OGTQtProgressImp> stoppable = MakeProgress();
  stoppable->Open("stoppable", true);
  QTest::keyClick(stoppable->Window(), Qt::Key_Escape);
  EXPECT_TRUE(stoppable->CancelRequested());
}

TEST_F(ProgressTest, TheFactoryMakesIt) {
  OGTProgress progress("made", true);
  // The real clock: nothing shows before a second has passed.
  EXPECT_FALSE(progress.Due());
  progress.Show("now", 10);
  EXPECT_NE(QApplication::activeModalWidget(), nullptr);
}

}  // namespace
