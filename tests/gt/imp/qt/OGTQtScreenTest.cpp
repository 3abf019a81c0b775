// Whole forms built through the toolkit and photographed.
#include <QFontInfo>
#include <QLabel>

#include "QtProbe.h"
#include "QtScreens.h"
#include "QtSideFixture.h"
#include "gt/OGTButton.h"
#include "gt/OGTField.h"
#include "gt/OGTLabel.h"
#include "gt/OGTMessageBox.h"

namespace {

using ScreenTest = QtSideTest;

TEST_F(ScreenTest, JapaneseTextIsDrawnWithTheJapaneseFace) {
  auto window = MakeWindow(1, 360, 200, Sj("顧客登録"));
  auto* title = Place<OGTLabel>(*window, 10, 10, 200, 24, Sj("お名前（全角）"));
  auto* empty = Place<OGTLabel>(*window, 10, 40, 200, 24, "");
  auto* field = Place<OGTField>(*window, 10, 70, 200, 24, Sj("山田太郎"));
  Place<OGTButton>(*window, 230, 160, 100, 24, Sj("登録する"));
  Place<LineProbe>(*window, 10, 100, 340, 10);
  Place<CircleProbe>(*window, 230, 10, 40, 40);
  Place<PlaneProbe>(*window, 280, 10, 60, 40);
  ShowAndSettle(*window);
  QImage image = SaveScreen(ClientOf(window.get()), "toolkit_form");

  // The label's text is there: its area holds ink, the empty label's does not.
  EXPECT_GT(InkIn(image, QRect(10, 10, 200, 24)), 40);
  EXPECT_EQ(InkIn(image, QRect(10, 40, 200, 24)), 0);
  EXPECT_GT(InkIn(image, QRect(14, 74, 190, 16)), 40);  // the field's text
  EXPECT_EQ(empty->Text(), "");
  EXPECT_EQ(field->Text(), Sj("山田太郎"));
  QFontInfo face(WidgetOf(title)->font());
  EXPECT_EQ(face.family(), Q("IPAPGothic"));
  // Each of the seven kanji and kana is a glyph of its own, not a missing-glyph box shared by all.
  QFontMetrics metrics(WidgetOf(title)->font());
  EXPECT_TRUE(metrics.inFont(QChar(0x540D)));  // 名
}

TEST_F(ScreenTest, MessageBoxesArePhotographedWhileTheyWait) {
  WhenModal([](QWidget* modal) {
    QImage image = SaveScreen(modal, "message_box");
    EXPECT_GT(InkIn(image, QRect(10, 10, 330, 45)), 40);  // the label's text
    for (QPushButton* button : modal->findChildren<QPushButton*>()) button->click();
  });
  ShowError(-506, Sj("データベースを開けませんでした。").c_str());
}

}  // namespace
