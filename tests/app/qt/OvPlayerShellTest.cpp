// The player's application object, main frame and menus on the Qt side, and the ovplayer
// executable's screenshot of the demo.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QImage>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProcess>
#include <QTest>
#include <QTimer>

#include "Sjis.h"
#include "TempDir.h"
#include "app/OvAEnv.h"
#include "app/OvARunAppList.h"
#include "app/OvARunner.h"
#include "app/OvApp.h"
#include "app/qt/OvPlayerApp.h"
#include "app/qt/OvPlayerMF.h"
#include "app/qt/OvPlayerOptions.h"
#include "gt/imp/qt/OGTQtImp.h"
#include "gt/imp/qt/OGTQtImpFactory.h"

namespace {

QString Q(const char* utf8) { return QString::fromUtf8(utf8); }

const char* kForms = R"([Application]
  Name = "受付";  Startup = 1;
  [Form]
    Name = "受付票";  FormType = 1;  Type = 0;  ID = 10;
    X = 10;  Y = 10;  Width = 300;  Height = 120;
    Visible = 1;  Active = 1;  Enable = 1;  Startup = 1;
    [Field]
      ID = 1;  X = 10;  Y = 10;  Width = 200;  Height = 22;
      Visible = 1;  Active = 1;  Enable = 1;
    [/Field]
  [/Form]
  [Form]
    Name = "受付一覧";  FormType = 1;  Type = 0;  ID = 11;
    X = 30;  Y = 30;  Width = 250;  Height = 100;  Visible = 1;  Active = 1;  Enable = 1;
  [/Form]
[/Application]
)";

class ShellTest : public ::testing::Test {
 protected:
  ShellTest() : dir_(true) { std::filesystem::create_directory(dir_ / "OVAFolder"); }

  void TearDown() override {
    App()->ExitInstance(0);
    EXPECT_EQ(App()->Runner(), nullptr);
    EXPECT_EQ(App()->MainFrame(), nullptr);
  }

  static OvPlayerApp* App() { return static_cast<OvPlayerApp*>(QCoreApplication::instance()); }
  OvPlayerMF* Frame() { return App()->MainFrame(); }
  QMdiArea* Area() { return Frame()->Area(); }

  void WriteDefinition(const char* utf8) {
    std::ofstream(dir_ / "OVAFolder/forms.ova", std::ios::binary) << Sj(utf8);
  }

  // Starts the player in the test's folder. A message box during start-up (the database of the
  // folder may not open) is answered and its text kept.
  void Start() {
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [this] {
      if (QWidget* modal = QApplication::activeModalWidget()) {
        for (QLabel* label : modal->findChildren<QLabel*>()) boxes_.push_back(label->text());
        QTest::keyClick(modal, Qt::Key_Return);
      }
    });
    answer.start(20);
    OvPlayerOptions options;
    ASSERT_TRUE(App()->InitInstance(options));
    ASSERT_TRUE(QTest::qWaitForWindowActive(Frame()));
    QApplication::processEvents();
  }

  // Runs the event loop until it ends; answers its exit code.
  static int RunLoop() { return QCoreApplication::exec(); }

  std::vector<QMdiSubWindow*> Visible() {
    std::vector<QMdiSubWindow*> shown;
    for (QMdiSubWindow* sub : Area()->subWindowList()) {
      if (sub->isVisible()) shown.push_back(sub);
    }
    return shown;
  }

  TempDir dir_;
  std::vector<QString> boxes_;
};

TEST_F(ShellTest, TheFrameCarriesTheMenusAndTheStartUpForm) {
  WriteDefinition(kForms);
  Start();
  EXPECT_EQ(Frame()->windowTitle(), Q("OvPlayer"));
  EXPECT_TRUE(Frame()->isVisible());
  QStringList menus;
  for (QAction* action : Frame()->menuBar()->actions()) {
    if (action->isVisible()) menus << action->text();
  }
  EXPECT_EQ(menus, QStringList({Q("ﾌｧｲﾙ(&F)"), Q("編集(&E)"), Q("ｳｨﾝﾄﾞｳ(&W)"), Q("ﾍﾙﾌﾟ(&H)")}));
  ASSERT_EQ(Visible().size(), 1u);
  EXPECT_EQ(Visible()[0]->windowTitle(), Q("受付票"));
  EXPECT_NE(Frame()->ActiveFormWindow(), nullptr);
  EXPECT_TRUE(Frame()->closeAction->isVisible());
}

TEST_F(ShellTest, EditCommandsActOnTheFieldOfTheActiveForm) {
  WriteDefinition(kForms);
  Start();
  OvApp* app = App()->Runner()->Env()->FindApp(Sj("受付").c_str());
  ASSERT_NE(app, nullptr);
  OGTItem* field = app->ChildAt(0)->FindByID(1);
  ASSERT_NE(field, nullptr);
  auto* edit = dynamic_cast<QPlainTextEdit*>(OGTQtNode::Of(field)->Widget());
  ASSERT_NE(edit, nullptr);
  Area()->setActiveSubWindow(Visible()[0]);
  edit->setFocus();
  QTest::keyClicks(edit, "abc");
  QApplication::processEvents();
  EXPECT_TRUE(Frame()->undoAction->isEnabled());
  Frame()->undoAction->trigger();
  EXPECT_EQ(edit->toPlainText(), QString());

  field->SetText(Sj("山田").c_str());
  Frame()->selectAllAction->trigger();
  Frame()->UpdateCommands();
  EXPECT_TRUE(Frame()->cutAction->isEnabled());
  Frame()->cutAction->trigger();
  EXPECT_EQ(QApplication::clipboard()->text(), Q("山田"));
  EXPECT_EQ(field->Text(), "");
  Frame()->UpdateCommands();
  EXPECT_FALSE(Frame()->cutAction->isEnabled());  // nothing selected any more
  Frame()->pasteAction->trigger();
  Frame()->pasteAction->trigger();
  EXPECT_EQ(field->Text(), Sj("山田山田"));
  Frame()->selectAllAction->trigger();
  Frame()->clearAction->trigger();
  EXPECT_EQ(field->Text(), "");
}

TEST_F(ShellTest, CloseClosesTheActiveFormWhichLeavesItsApplication) {
  WriteDefinition(kForms);
  Start();
  OvApp* app = App()->Runner()->Env()->FindApp(Sj("受付").c_str());
  ASSERT_EQ(app->ChildCount(), 1);
  Frame()->closeAction->trigger();
  OGTQtImpFactory::FlushDeletedWidgets();
  QApplication::processEvents();
  EXPECT_EQ(app->ChildCount(), 0);
  EXPECT_TRUE(Visible().empty());
  Frame()->UpdateCommands();
  EXPECT_FALSE(Frame()->ChildMenu()->menuAction()->isVisible());
  EXPECT_FALSE(Frame()->copyAction->isEnabled());
}

TEST_F(ShellTest, CascadeAndTileArrangeTheFormWindows) {
  WriteDefinition(kForms);
  Start();
  App()->Runner()->RunForm(Sj("受付").c_str(), Sj("受付一覧").c_str());
  QApplication::processEvents();
  ASSERT_EQ(Visible().size(), 2u);
  Frame()->tileAction->trigger();
  QApplication::processEvents();
  EXPECT_FALSE(Visible()[0]->geometry().intersects(Visible()[1]->geometry()));
  Frame()->cascadeAction->trigger();
  QApplication::processEvents();
  QPoint step = Visible()[1]->pos() - Visible()[0]->pos();
  EXPECT_GT(step.x(), 0);
  EXPECT_GT(step.y(), 0);
}

TEST_F(ShellTest, TheListWindowClosedThroughTheMenuIsForgottenAndBuiltAgain) {
  Start();  // no definition: the list shows
  OvARunner* runner = App()->Runner();
  ASSERT_NE(runner->AppList(), nullptr);
  ASSERT_EQ(Visible().size(), 1u);
  EXPECT_EQ(Visible()[0]->windowTitle(), Q("アプリケーションリスト"));
  Area()->setActiveSubWindow(Visible()[0]);
  Frame()->closeAction->trigger();
  OGTQtImpFactory::FlushDeletedWidgets();
  EXPECT_EQ(runner->AppList(), nullptr);
  EXPECT_TRUE(Visible().empty());
  runner->ShowAppList();
  QApplication::processEvents();
  ASSERT_NE(runner->AppList(), nullptr);
  EXPECT_EQ(Visible().size(), 1u);
}

TEST_F(ShellTest, ThePlayerQuitsAtIdleTimeOnceTheLastApplicationClosed) {
  WriteDefinition(kForms);
  Start();
  OvAEnv* env = App()->Runner()->Env();
  QTimer::singleShot(0, [env] { env->CloseApp(Sj("受付").c_str()); });
  EXPECT_EQ(RunLoop(), 0);
  EXPECT_TRUE(App()->Runner()->IsQuitRequested());
  EXPECT_EQ(env->AppCount(), 0);
}

TEST_F(ShellTest, ClosingTheFrameEndsTheEventLoop) {
  WriteDefinition(kForms);
  Start();
  QTimer::singleShot(0, [this] { Frame()->exitAction->trigger(); });
  EXPECT_EQ(RunLoop(), 0);
  EXPECT_FALSE(Frame()->isVisible());
  // The runner goes with the shut-down, the forms with it.
  App()->ExitInstance(0);
  EXPECT_EQ(App()->Runner(), nullptr);
}

TEST_F(ShellTest, TheAboutBoxNamesThePlayer) {
  Start();
  QString texts;
  QTimer::singleShot(0, [&texts] {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal == nullptr) return;
    for (QLabel* label : modal->findChildren<QLabel*>()) texts += label->text();
    static_cast<QDialog*>(modal)->accept();
  });
  Frame()->aboutAction->trigger();
  EXPECT_TRUE(texts.contains(Q("OvPlayer")));
}

TEST(PlayerOptions, PathsAndTheScreenshotComeFromTheCommandLine) {
  OvPlayerOptions defaults;
  int code = -1;
  ASSERT_TRUE(defaults.Parse({"ovplayer"}, code));
  EXPECT_EQ(defaults.configPath, Q("./Varnex.conf"));
  EXPECT_EQ(defaults.folderPath, Q("./OVAFolder"));
  EXPECT_TRUE(defaults.screenshotPath.isEmpty());

  OvPlayerOptions given;
  ASSERT_TRUE(given.Parse(
      {"ovplayer", "--config", "/x/V.conf", "--folder=apps", "--screenshot", "s.png"}, code));
  EXPECT_EQ(given.configPath, Q("/x/V.conf"));
  EXPECT_EQ(given.folderPath, Q("apps"));
  EXPECT_EQ(given.screenshotPath, Q("s.png"));

  OvPlayerOptions wrong;
  EXPECT_FALSE(wrong.Parse({"ovplayer", "--colour"}, code));
  EXPECT_EQ(code, 2);
  EXPECT_FALSE(wrong.Parse({"ovplayer", "extra"}, code));
  EXPECT_EQ(code, 2);
  EXPECT_FALSE(wrong.Parse({"ovplayer", "--folder="}, code));
  EXPECT_EQ(code, 2);
}

// How many pixels of the image have exactly this colour, and their bounding box.
int CountColour(const QImage& image, QRgb colour, QRect& box) {
  int count = 0;
  box = QRect();
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      if ((image.pixel(x, y) & 0xFFFFFF) != (colour & 0xFFFFFF)) continue;
      ++count;
      box |= QRect(x, y, 1, 1);
    }
  }
  return count;
}

TEST(PlayerScreenshot, TheDemoStartsWithItsWelcomeForm) {
  // The demo is copied, so that the run changes nothing in the source tree.
  TempDir dir;
  std::filesystem::copy(OV_DEMO_DIR, dir / "demo", std::filesystem::copy_options::recursive);
  std::string shot = dir / "demo.png";
  QProcess player;
  player.setWorkingDirectory(QString::fromStdString(dir / "demo"));
  player.start(QStringLiteral(OV_PLAYER_EXE),
               {QStringLiteral("--screenshot"), QString::fromStdString(shot)});
  ASSERT_TRUE(player.waitForFinished(60000)) << "the player did not end";
  QString errors = QString::fromLocal8Bit(player.readAllStandardError());
  EXPECT_EQ(player.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(player.exitCode(), 0) << errors.toStdString();
  EXPECT_FALSE(errors.contains(QStringLiteral("message box"))) << errors.toStdString();

  QImage image(QString::fromStdString(shot));
  ASSERT_FALSE(image.isNull());
  std::filesystem::create_directories(OV_QT_SCREENS);
  image.save(QStringLiteral(OV_QT_SCREENS "/demo.png"));
  EXPECT_EQ(image.size(), QSize(1024, 768));

  // The welcome form's banner: 400 x 40 pixels of deep blue (less its light squares and
  // stripe), whole, inside the frame's area below the menu bar.
  QRect banner;
  int blue = CountColour(image, qRgb(0x1E, 0x5A, 0x9C), banner);
  EXPECT_EQ(blue, 400 * 36 - 2 * 100);
  EXPECT_EQ(banner.size(), QSize(400, 36));
  EXPECT_GT(banner.top(), 20);
  EXPECT_GT(banner.left(), 10);
  // Under the banner the form's labels are written: dark ink on the form's light background.
  QRect text(banner.left(), banner.bottom() + 10, 400, 70);
  int ink = 0;
  for (int y = text.top(); y <= text.bottom(); ++y) {
    for (int x = text.left(); x <= text.right(); ++x) {
      if (qGray(image.pixel(x, y)) < 100) ++ink;
    }
  }
  EXPECT_GT(ink, 300);
}

}  // namespace
