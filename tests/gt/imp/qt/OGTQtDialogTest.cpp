#include "gt/imp/qt/OGTQtWindowImp.h"

#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include "QtSideFixture.h"
#include "TempDir.h"
#include "base/VString.h"
#include "gt/OGTButton.h"
#include "gt/OGTMessageBox.h"
#include "gt/OGTUDlog.h"
#include "gt/imp/qt/OGTQtResourceImp.h"

namespace {

using DialogTest = QtSideTest;

QPushButton* ButtonNamed(QWidget* dialog, const QString& text) {
  for (QPushButton* button : dialog->findChildren<QPushButton*>()) {
    if (button->text() == text) return button;
  }
  ADD_FAILURE() << "no button " << text.toStdString();
  return nullptr;
}

QStringList LabelTexts(QWidget* dialog) {
  QStringList texts;
  for (QLabel* label : dialog->findChildren<QLabel*>()) texts << label->text();
  return texts;
}

TEST_F(DialogTest, AMessageBoxIsModalOverTheFrameUntilItsButtonIsPressed) {
  auto window = MakeWindow(0, 200, 100);
  auto* button = Place<OGTButton>(*window, 10, 10, 80, 22, "OK");
  ShowAndSettle(*window);
  bool checked = false;
  WhenModal([&](QWidget* modal) {
    EXPECT_EQ(modal->windowTitle(), Q("確認..."));
    EXPECT_EQ(modal->parentWidget(), frame_.get());
    EXPECT_EQ(modal->size(), QSize(350, 129));
    // The window manager is asked for a close box only, and a size it cannot change.
    Qt::WindowFlags flags = modal->windowFlags();
    EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(flags & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
    EXPECT_EQ(modal->minimumSize(), modal->maximumSize());
    // Centred over the frame (variant bit 1).
    QPoint offset = modal->frameGeometry().center() - frame_->frameGeometry().center();
    EXPECT_LE(offset.manhattanLength(), 4);
    EXPECT_EQ(LabelTexts(modal), QStringList{Q("保存しました。\n二行目")});
    EXPECT_FALSE(button->CanFocus());  // the form window takes no input meanwhile
    QPushButton* agree = ButtonNamed(modal, Q("了解"));
    ASSERT_NE(agree, nullptr);
    EXPECT_TRUE(agree->isDefault());
    EXPECT_EQ(agree->geometry(), QRect(257, 92, 80, 22));
    checked = true;
    QTest::mouseClick(agree, Qt::LeftButton);
  });
  ShowMessage(Sj("保存しました。\r二行目").c_str());
  EXPECT_TRUE(checked);
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
  EXPECT_TRUE(button->CanFocus());
  EXPECT_TRUE(window->events.empty());
}

TEST_F(DialogTest, AskYesNoAnswersByButtonReturnEscapeAndTheCloseBox) {
  WhenModal(
      [](QWidget* modal) { QTest::mouseClick(ButtonNamed(modal, Q("いいえ")), Qt::LeftButton); });
  EXPECT_FALSE(AskYesNo("?"));
  WhenModal(
      [](QWidget* modal) { QTest::mouseClick(ButtonNamed(modal, Q("はい")), Qt::LeftButton); });
  EXPECT_TRUE(AskYesNo("?"));
  WhenModal([](QWidget* modal) { QTest::keyClick(modal, Qt::Key_Return); });
  EXPECT_TRUE(AskYesNo("?"));
  WhenModal([](QWidget* modal) { QTest::keyClick(modal, Qt::Key_Escape); });
  EXPECT_FALSE(AskYesNo("?"));
  WhenModal([](QWidget* modal) { modal->close(); });
  EXPECT_FALSE(AskYesNo("?"));
  std::string yes = Sj("削除する");
  WhenModal(
      [](QWidget* modal) { QTest::mouseClick(ButtonNamed(modal, Q("削除する")), Qt::LeftButton); });
  EXPECT_TRUE(AskYesNo("?", yes.c_str(), nullptr));
}

TEST_F(DialogTest, AskTextTakesWhatTheUserTypedAndReturnStaysInTheField) {
  WhenModal([](QWidget* modal) {
    auto* field = modal->findChild<QPlainTextEdit*>();
    ASSERT_NE(field, nullptr);
    field->setFocus();
    QTest::keyClicks(field, "[1] = 5");
    QTest::keyClick(field, Qt::Key_Return);  // the field's own event; the dialog waits on
    QTest::mouseClick(ButtonNamed(modal, Q("実行")), Qt::LeftButton);
  });
  VString result;
  ASSERT_TRUE(AskText("Find", result, nullptr, false));
  EXPECT_EQ(result.ToStdString(), "[1] = 5");
}

TEST_F(DialogTest, QuittingDuringAModalWaitEndsItAndEveryLaterWait) {
  WhenModal([](QWidget*) { QCoreApplication::exit(7); });
  EXPECT_FALSE(AskYesNo("?"));
  EXPECT_TRUE(factory_->Quitting());
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
  ShowMessage("no wait any more");  // returns at once
  // The quit is posted again for the loop outside the wait: the application's loop ends with the
  // quit's code even when it starts afresh.
  QTimer::singleShot(5000, [] { QCoreApplication::exit(-1); });
  EXPECT_EQ(QApplication::exec(), 7);
}

TEST_F(DialogTest, ADialogWithoutBitOneStandsWhereItIsPut) {
  OGTDialog dialog;
  dialog.Create(1, nullptr);
  dialog.SetPosition(120, 80, true);
  dialog.SetSize(300, 150, true);
  dialog.SetText("Plain");
  dialog.Show();
  int32_t x, y, width, height;
  dialog.GetPosition(x, y);
  dialog.GetSize(width, height);
  EXPECT_EQ(std::make_pair(x, y), std::make_pair(120, 80));
  EXPECT_EQ(std::make_pair(width, height), std::make_pair(300, 150));
  QWidget* widget = WidgetOf(&dialog);
  EXPECT_TRUE(widget->isWindow());
  EXPECT_EQ(widget->minimumSize(), widget->maximumSize());
  EXPECT_EQ(ClientOf(&dialog)->size(), QSize(300, 150));
}

TEST_F(DialogTest, ANonModalDialogWithoutCancelButtonClosesLikeAWindow) {
  auto* dialog = new OGTDialog;
  dialog->Create(0, nullptr);
  dialog->SetSize(200, 100, true);
  dialog->Show();
  QPointer<QWidget> widget = WidgetOf(dialog);
  widget->close();  // deletes the toolkit dialog
  OGTQtImpFactory::FlushDeletedWidgets();
  EXPECT_TRUE(widget.isNull());
}

TEST_F(DialogTest, FileChoosersOfferTheToolkitsFiltersAndAnswerPortablePaths) {
  EXPECT_EQ(OGTQtChooserFilters(), (QStringList{Q("全て(*)"), Q("ﾃｷｽﾄ(*.txt)")}));
  TempDir dir;
  std::string existing = dir / "data.txt";
  QFile file(QString::fromStdString(existing));
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.close();

  WhenModal([&](QWidget* modal) {
    auto* chooser = qobject_cast<QFileDialog*>(modal);
    ASSERT_NE(chooser, nullptr);
    EXPECT_EQ(chooser->acceptMode(), QFileDialog::AcceptOpen);
    chooser->setDirectory(QString::fromStdString(dir.Path()));
    chooser->selectFile(QStringLiteral("data.txt"));
    static_cast<QDialog*>(chooser)->accept();
  });
  VString path;
  ASSERT_TRUE(ChooseOpenFile(path));
  EXPECT_EQ(path.ToStdString(), existing);

  std::string suggested = Sj("出力.txt");
  WhenModal([&](QWidget* modal) {
    auto* chooser = qobject_cast<QFileDialog*>(modal);
    ASSERT_NE(chooser, nullptr);
    EXPECT_EQ(chooser->acceptMode(), QFileDialog::AcceptSave);
    EXPECT_FALSE(chooser->testOption(QFileDialog::DontConfirmOverwrite));
    auto* name = chooser->findChild<QLineEdit*>();
    ASSERT_NE(name, nullptr);
    EXPECT_EQ(name->text(), Q("出力.txt"));
    chooser->reject();
  });
  VString unchanged("before");
  EXPECT_FALSE(ChooseSaveFile(unchanged, suggested.c_str()));
  EXPECT_EQ(unchanged.ToStdString(), "before");
}

}  // namespace
