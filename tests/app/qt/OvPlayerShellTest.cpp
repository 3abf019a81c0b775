// The player's application object, main frame and menus on the Qt side, and the ovplayer
// executable's screenshot of the demo.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include <algorithm>
#include <cstdio>
#include <map>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QImage>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QScrollBar>
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
#include "base/VCodePage.h"
#include "db/engine/VCodeTexts.h"
#include "gt/imp/qt/OGTQtImp.h"
#include "gt/imp/qt/OGTQtImpFactory.h"
#include "gt/imp/qt/QtScreens.h"

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
  Frame()->UpdateCommands();
  EXPECT_FALSE(Frame()->copyAction->isEnabled());  // nothing selected: nothing to copy
  EXPECT_TRUE(Frame()->pasteAction->isEnabled());
  Frame()->selectAllAction->trigger();
  Frame()->UpdateCommands();
  EXPECT_TRUE(Frame()->cutAction->isEnabled());
  EXPECT_TRUE(Frame()->copyAction->isEnabled());
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
  // Tiling changed the sizes; each form gets its own back first, as a user's would be.
  Visible()[0]->resize(320, 160);
  Visible()[1]->resize(270, 140);
  std::map<QMdiSubWindow*, QSize> sizes;
  for (QMdiSubWindow* sub : Visible()) sizes[sub] = sub->size();
  Area()->setActiveSubWindow(Visible()[0]);
  Frame()->cascadeAction->trigger();
  QApplication::processEvents();
  SaveScreen(Frame(), "cascade");
  for (QMdiSubWindow* sub : Visible())
    EXPECT_EQ(sub->size(), sizes[sub]) << sub->windowTitle().toStdString();
  // Stepped down and right, the active form last and on top: no caption hides behind another.
  QMdiSubWindow* active = Area()->activeSubWindow();
  QMdiSubWindow* other = Visible()[0] == active ? Visible()[1] : Visible()[0];
  QPoint step = active->pos() - other->pos();
  EXPECT_GT(step.x(), 0);
  EXPECT_GT(step.y(), 0);
  EXPECT_EQ(Area()->subWindowList(QMdiArea::StackingOrder).back(), active);
}

TEST_F(ShellTest, AFormBeyondTheVisibleAreaCanBeScrolledTo) {
  WriteDefinition(kForms);
  Start();
  OvApp* app = App()->Runner()->Env()->FindApp(Sj("受付").c_str());
  OGTItem* form = app->ChildAt(0);
  // Beyond the right edge (the bars, once shown, narrow what the area shows).
  const int32_t farX = Area()->viewport()->width() + 200;
  form->SetPosition(farX, 2000, true);
  QApplication::processEvents();
  EXPECT_TRUE(Area()->horizontalScrollBar()->isVisible());
  EXPECT_TRUE(Area()->verticalScrollBar()->isVisible());
  Area()->horizontalScrollBar()->setValue(Area()->horizontalScrollBar()->maximum());
  Area()->verticalScrollBar()->setValue(Area()->verticalScrollBar()->maximum());
  QApplication::processEvents();
  QMdiSubWindow* sub = Visible()[0];
  EXPECT_TRUE(Area()->viewport()->rect().contains(sub->geometry())) << sub->geometry().x();
  // Scrolling moves what is shown, not where the form stands.
  int32_t x = 0;
  int32_t y = 0;
  form->GetPosition(x, y);
  EXPECT_EQ(x, farX);
  EXPECT_EQ(y, 2000);
  form->SetPosition(10, 10, true);
  Area()->horizontalScrollBar()->setValue(0);
  Area()->verticalScrollBar()->setValue(0);
  QApplication::processEvents();
  EXPECT_EQ(sub->pos(), QPoint(10, 10));
  EXPECT_FALSE(Area()->horizontalScrollBar()->isVisible());
}

TEST_F(ShellTest, TheFileMenuShowsTheApplicationListWheneverItIsNotOpen) {
  WriteDefinition(kForms);
  Start();
  OvARunner* runner = App()->Runner();
  EXPECT_EQ(runner->AppList(), nullptr);
  EXPECT_TRUE(Frame()->appListAction->isEnabled());
  // The last form closes: the list is still one command away.
  Frame()->closeAction->trigger();
  OGTQtImpFactory::FlushDeletedWidgets();
  QApplication::processEvents();
  ASSERT_TRUE(Visible().empty());
  EXPECT_TRUE(Frame()->appListAction->isEnabled());
  Frame()->appListAction->trigger();
  QApplication::processEvents();
  ASSERT_NE(runner->AppList(), nullptr);
  ASSERT_EQ(Visible().size(), 1u);
  EXPECT_EQ(Visible()[0]->windowTitle(), Q("アプリケーションリスト"));
  EXPECT_FALSE(Frame()->appListAction->isEnabled());
  // Closed by its close box, the list can be shown again.
  Visible()[0]->close();
  OGTQtImpFactory::FlushDeletedWidgets();
  QApplication::processEvents();
  EXPECT_EQ(runner->AppList(), nullptr);
  EXPECT_TRUE(Frame()->appListAction->isEnabled());
}

TEST_F(ShellTest, EscapeInAMenuGivesTheNextKeyToTheForm) {
  WriteDefinition(kForms);
  Start();
  OvApp* app = App()->Runner()->Env()->FindApp(Sj("受付").c_str());
  QWidget* edit = OGTQtNode::Of(app->ChildAt(0)->FindByID(1))->Widget();
  Area()->setActiveSubWindow(Visible()[0]);
  edit->setFocus();
  QApplication::processEvents();
  QMenuBar* bar = Frame()->menuBar();
  QMenu* file = bar->actions().first()->menu();
  // Opened from the keyboard, as Alt+F does; Escape closes it.
  QTest::keyClick(bar->window(), Qt::Key_F, Qt::AltModifier);
  QApplication::processEvents();
  ASSERT_TRUE(file->isVisible());
  QTest::keyClick(file, Qt::Key_Escape);
  QApplication::processEvents();
  QApplication::processEvents();
  EXPECT_FALSE(file->isVisible());
  ASSERT_NE(QApplication::focusWidget(), nullptr);
  QTest::keyClicks(QApplication::focusWidget(), "x");
  EXPECT_EQ(static_cast<QPlainTextEdit*>(edit)->toPlainText(), Q("x"));
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

TEST_F(ShellTest, TheAboutBoxNamesThePlayerAndAnswersLikeEveryBox) {
  Start();
  QString texts;
  QString buttons;
  bool fixed = false;
  bool plainCaption = false;
  bool iconless = true;
  QTimer::singleShot(0, [&] {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal == nullptr) return;
    for (QLabel* label : modal->findChildren<QLabel*>()) texts += label->text();
    for (QPushButton* button : modal->findChildren<QPushButton*>()) {
      buttons += button->text();
      iconless = iconless && button->icon().isNull();
    }
    fixed = modal->minimumSize() == modal->maximumSize();
    Qt::WindowFlags flags = modal->windowFlags();
    plainCaption = (flags & Qt::WindowCloseButtonHint) && !(flags & Qt::WindowMinimizeButtonHint) &&
                   !(flags & Qt::WindowMaximizeButtonHint);
    SaveScreen(modal, "about");
    QTest::keyClick(modal, Qt::Key_Return);
  });
  Frame()->aboutAction->trigger();
  EXPECT_TRUE(texts.contains(Q("OvPlayer")));
  EXPECT_EQ(buttons, Q("了解"));
  EXPECT_TRUE(iconless);
  EXPECT_TRUE(fixed);
  EXPECT_TRUE(plainCaption);
}

TEST_F(ShellTest, ThePlayersIconIsEveryWindowsIcon) {
  WriteDefinition(kForms);
  Start();
  QIcon icon = QApplication::windowIcon();
  ASSERT_FALSE(icon.isNull());
  EXPECT_GE(icon.availableSizes().size(), 5);
  EXPECT_EQ(icon.pixmap(32, 32).size(), QSize(32, 32));
  EXPECT_EQ(Frame()->windowIcon().cacheKey(), icon.cacheKey());
  ASSERT_FALSE(Visible().empty());
  EXPECT_EQ(Visible()[0]->windowIcon().cacheKey(), icon.cacheKey());
  // The desktop entry names the icon and the program.
  std::ifstream entry(OV_DESKTOP_ENTRY);
  std::string text(std::istreambuf_iterator<char>(entry), {});
  EXPECT_NE(text.find("\nIcon=ovplayer\n"), std::string::npos) << text;
  EXPECT_NE(text.find("\nExec=ovplayer"), std::string::npos) << text;
  EXPECT_NE(text.find("\nType=Application\n"), std::string::npos) << text;
}

TEST_F(ShellTest, QtsOwnTextsAreJapanese) {
  WriteDefinition(kForms);
  Start();
  ASSERT_TRUE(App()->TranslationsLoaded());
  OvApp* app = App()->Runner()->Env()->FindApp(Sj("受付").c_str());
  auto* edit = dynamic_cast<QPlainTextEdit*>(OGTQtNode::Of(app->ChildAt(0)->FindByID(1))->Widget());
  ASSERT_NE(edit, nullptr);
  std::unique_ptr<QMenu> menu(edit->createStandardContextMenu());
  QStringList texts;
  for (QAction* action : menu->actions()) {
    if (!action->isSeparator()) texts << action->text();
  }
  ASSERT_FALSE(texts.isEmpty());
  for (const QString& text : texts) {
    EXPECT_TRUE(std::any_of(text.begin(), text.end(), [](QChar c) { return c.unicode() > 0x3000; }))
        << text.toStdString();
  }
}

TEST_F(ShellTest, StartUpSaysWhatTheDatabaseCodeMeansAndThatTheFolderIsEmpty) {
  Start();  // no configuration, no database, no definition
  ASSERT_EQ(boxes_.size(), 2u);
  QStringList lines = boxes_[0].split(QLatin1Char('\n'));
  ASSERT_EQ(lines.size(), 3) << boxes_[0].toStdString();
  EXPECT_TRUE(lines[0].startsWith(Q("エラー：-")));
  EXPECT_EQ(lines[1], Q("データベースを開けませんでした。"));
  VResult code = static_cast<VResult>(lines[0].mid(4).toInt());
  EXPECT_EQ(lines[2], QString::fromStdString(VSjisToUtf8(VJapaneseCodeText(code))));
  EXPECT_TRUE(boxes_[1].contains(Q("アプリケーション定義ファイル（.ova）がありません。")))
      << boxes_[1].toStdString();
}

TEST(PlayerOptions, PathsAndTheScreenshotComeFromTheCommandLine) {
  OvPlayerOptions defaults;
  int code = -1;
  ASSERT_TRUE(defaults.Parse({"ovplayer"}, code));
  EXPECT_EQ(defaults.configPath, Q("./Varnex.conf"));
  EXPECT_EQ(defaults.folderPath, Q("./OVAFolder"));
  EXPECT_TRUE(defaults.screenshotPath.isEmpty());

  // Paths given must exist.
  TempDir dir;
  std::filesystem::create_directory(dir / "apps");
  std::ofstream(dir / "V.conf") << "";
  const QString config = QString::fromStdString(dir / "V.conf");
  const QString folder = QString::fromStdString(dir / "apps");
  OvPlayerOptions given;
  ASSERT_TRUE(given.Parse(
      {"ovplayer", "--config", config, "--folder=" + folder, "--screenshot", "s.png"}, code));
  EXPECT_EQ(given.configPath, config);
  EXPECT_EQ(given.folderPath, folder);
  EXPECT_EQ(given.screenshotPath, Q("s.png"));

  OvPlayerOptions wrong;
  std::FILE* err = std::tmpfile();
  ASSERT_NE(err, nullptr);
  EXPECT_FALSE(wrong.Parse({"ovplayer", "--colour"}, code, err));
  EXPECT_EQ(code, 2);
  EXPECT_FALSE(wrong.Parse({"ovplayer", "extra"}, code, err));
  EXPECT_EQ(code, 2);
  EXPECT_FALSE(wrong.Parse({"ovplayer", "--folder="}, code, err));
  EXPECT_EQ(code, 2);
  std::fclose(err);
}

TEST(PlayerOptions, APathGivenThatDoesNotExistEndsThePlayerNamingIt) {
  TempDir dir;
  std::filesystem::create_directory(dir / "apps");
  std::ofstream(dir / "V.conf") << "";
  auto parse = [](QStringList arguments, int& code, std::string& said) {
    std::FILE* err = std::tmpfile();
    OvPlayerOptions options;
    bool parsed = options.Parse(arguments, code, err);
    std::rewind(err);
    said.clear();
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, err) != nullptr) said += buffer;
    std::fclose(err);
    return parsed;
  };
  int code = -1;
  std::string said;
  QString folder = QString::fromStdString(dir / "apps");
  QString config = QString::fromStdString(dir / "V.conf");
  EXPECT_TRUE(parse({"ovplayer", "--config", config, "--folder", folder}, code, said)) << said;
  EXPECT_FALSE(parse({"ovplayer", "--config", config + "x", "--folder", folder}, code, said));
  EXPECT_EQ(code, 2);
  EXPECT_EQ(said, "ovplayer: --config " + dir / "V.confx" + " does not exist\n");
  EXPECT_FALSE(parse({"ovplayer", "--folder=" + folder + "s"}, code, said));
  EXPECT_EQ(code, 2);
  EXPECT_EQ(said, "ovplayer: --folder " + dir / "apps" + "s does not exist\n");
  // Without the options the defaults are taken as they are, existing or not.
  EXPECT_TRUE(parse({"ovplayer"}, code, said));
}

TEST(PlayerFrame, KeepsItsSizeWhereItFitsAndFillsASmallerScreen) {
  EXPECT_TRUE(OvPlayerApp::FrameFits(QRect(0, 0, 1280, 1024)));
  EXPECT_TRUE(OvPlayerApp::FrameFits(QRect(0, 0, 1920, 1050)));
  EXPECT_FALSE(OvPlayerApp::FrameFits(QRect(0, 0, 1024, 768)));  // no room for a caption
  EXPECT_FALSE(OvPlayerApp::FrameFits(QRect(0, 0, 1366, 740)));  // wide, but not tall enough
  EXPECT_FALSE(OvPlayerApp::FrameFits(QRect(0, 0, 800, 600)));
}

// How many pixels of the image have exactly this colour, and their bounding box; rows holding
// fewer than rowMinimum of them are left out.
int CountColour(const QImage& image, QRgb colour, QRect& box, int rowMinimum = 1) {
  int count = 0;
  box = QRect();
  for (int y = 0; y < image.height(); ++y) {
    int inRow = 0;
    int left = image.width();
    int right = -1;
    for (int x = 0; x < image.width(); ++x) {
      if ((image.pixel(x, y) & 0xFFFFFF) != (colour & 0xFFFFFF)) continue;
      ++inRow;
      left = std::min(left, x);
      right = x;
    }
    if (inRow < rowMinimum || inRow == 0) continue;
    count += inRow;
    box |= QRect(left, y, right - left + 1, 1);
  }
  return count;
}

// A copy of the demo (so that runs change nothing in the source tree), without the database a
// run of scripts/run may have made in the source tree.
class DemoRun : public ::testing::Test {
 protected:
  DemoRun() {
    std::filesystem::copy(OV_DEMO_DIR, demo_, std::filesystem::copy_options::recursive);
    for (const char* made : {"INDEX", "DATA", "WORK"}) std::filesystem::remove_all(demo_ + made);
  }

  // Runs a program in the demo's copy; false when it did not end in time. With a screen size, the
  // off-screen platform it runs on has one screen of that size.
  bool Run(const QString& program, const QStringList& arguments, int& exitCode, std::string& errors,
           std::string* output = nullptr, QSize screen = QSize()) {
    QProcess process;
    process.setWorkingDirectory(QString::fromStdString(demo_));
    if (screen.isValid()) {
      std::string config = dir_ / "screens.json";
      std::ofstream(config) << "{\"windowFrameMargins\": false, \"screens\": [{\"name\": \"s\", "
                            << "\"x\": 0, \"y\": 0, \"width\": " << screen.width()
                            << ", \"height\": " << screen.height()
                            << ", \"logicalDpiX\": 96, \"logicalDpiY\": 96, \"dpr\": 1}]}";
      QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
      environment.insert(QStringLiteral("QT_QPA_PLATFORM"),
                         QStringLiteral("offscreen:configfile=") + QString::fromStdString(config));
      process.setProcessEnvironment(environment);
    }
    process.start(program, arguments);
    // Making the demo's database (5,000 addresses) takes a while in the sanitizer build.
    if (!process.waitForFinished(300000)) return false;
    errors = QString::fromLocal8Bit(process.readAllStandardError()).toStdString();
    if (output != nullptr) *output = process.readAllStandardOutput().toStdString();
    exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    return true;
  }

  // Makes the demo's database as scripts/run does.
  void MakeDatabase() {
    int code = -1;
    std::string errors;
    ASSERT_TRUE(Run(QString::fromStdString(demo_ + "make-database"),
                    {QStringLiteral(OV_VARNEX_EXE)}, code, errors));
    ASSERT_EQ(code, 0) << errors;
  }

  // Starts the player on the demo for a screenshot, on a screen of 1280 x 1024 unless told; the
  // image, null when none was saved.
  QImage Screenshot(const char* name, std::string& errors, QSize screen = QSize(1280, 1024)) {
    std::string shot = dir_ / name;
    int code = -1;
    EXPECT_TRUE(Run(QStringLiteral(OV_PLAYER_EXE),
                    {QStringLiteral("--screenshot"), QString::fromStdString(shot)}, code, errors,
                    nullptr, screen))
        << "the player did not end";
    EXPECT_EQ(code, 0) << errors;
    // A sanitizer report, or any other complaint, fails the run even when the exit code is 0.
    EXPECT_EQ(errors.find("ERROR"), std::string::npos) << errors;
    EXPECT_EQ(errors.find("runtime error"), std::string::npos) << errors;
    QImage image(QString::fromStdString(shot));
    if (!image.isNull()) {
      std::filesystem::create_directories(OV_QT_SCREENS);
      image.save(QString::fromStdString(std::string(OV_QT_SCREENS "/") + name));
    }
    return image;
  }

  TempDir dir_;
  std::string demo_ = dir_ / "demo/";
};

// How many pixels of the rectangle are dark ink (grey below 100).
int CountInk(const QImage& image, const QRect& area) {
  int ink = 0;
  for (int y = area.top(); y <= area.bottom(); ++y) {
    for (int x = area.left(); x <= area.right(); ++x) {
      if (image.valid(x, y) && qGray(image.pixel(x, y)) < 100) ++ink;
    }
  }
  return ink;
}

TEST_F(DemoRun, TheDemoOpensItsDatabaseAndStartsWithItsWelcomeForm) {
  MakeDatabase();
  int code = -1;
  std::string errors;
  std::string output;
  ASSERT_TRUE(Run(QStringLiteral(OV_VARNEX_EXE), {QStringLiteral("info")}, code, errors, &output));
  EXPECT_EQ(code, 0) << errors;
  EXPECT_NE(output.find("database: デモ"), std::string::npos) << output;
  const std::string config = [this] {
    std::ifstream in(demo_ + "Varnex.conf", std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }();

  QImage image = Screenshot("demo.png", errors);
  ASSERT_FALSE(image.isNull());
  EXPECT_EQ(errors.find("message box"), std::string::npos) << errors;
  EXPECT_EQ(image.size(), QSize(1024, 768));

  // The welcome form's banner: 400 x 40 pixels of deep blue (less its three squares and
  // stripe), whole, inside the frame's area below the menu bar.
  QRect banner;
  // Rows with a few pixels of the colour (the active caption's shading) are not the banner's.
  int blue = CountColour(image, qRgb(0x1E, 0x5A, 0x9C), banner, 100);
  EXPECT_EQ(blue, 400 * 36 - 3 * 100);
  EXPECT_EQ(banner.size(), QSize(400, 36));
  EXPECT_GT(banner.top(), 20);
  EXPECT_GT(banner.left(), 10);
  // Under the banner the form's labels are written: dark ink on the form's light background.
  EXPECT_GT(CountInk(image, QRect(banner.left(), banner.bottom() + 10, 400, 70)), 300);

  // The engine's debug lines stay in their file: the terminal is the player's.
  EXPECT_EQ(errors.find("VDebug"), std::string::npos) << errors;

  // The player left the configuration as it found it, and its database still opens.
  std::ifstream in(demo_ + "Varnex.conf", std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), config);
  // The player closed the database: it opens again, as it was.
  output.clear();
  ASSERT_TRUE(Run(QStringLiteral(OV_VARNEX_EXE), {QStringLiteral("info")}, code, errors, &output));
  EXPECT_EQ(code, 0) << errors;
  EXPECT_NE(output.find("database: デモ"), std::string::npos) << output;
}

TEST_F(DemoRun, OnASmallScreenTheFrameFillsTheScreen) {
  MakeDatabase();
  std::string errors;
  QImage image = Screenshot("demo-small-screen.png", errors, QSize(1000, 700));
  ASSERT_FALSE(image.isNull());
  EXPECT_EQ(image.size(), QSize(1000, 700));
}

TEST_F(DemoRun, WithoutItsDatabaseThePlayerShowsTheErrorBoxAndGoesOn) {
  std::string errors;
  QImage image = Screenshot("demo-without-database.png", errors);
  ASSERT_FALSE(image.isNull());
  // The box waits for its answer over the frame; the screenshot shows it.
  EXPECT_NE(errors.find("message box"), std::string::npos) << errors;
  QRect banner;
  EXPECT_EQ(CountColour(image, qRgb(0x1E, 0x5A, 0x9C), banner), 0)
      << "the start-up form came before the box was answered";
  // The box: a light panel in the middle of the grey frame area, with its text in ink.
  QRect middle(image.width() / 2 - 100, image.height() / 2 - 40, 200, 80);
  EXPECT_GT(CountInk(image, middle), 100);
  // Nothing was made in the demo for a database that is not there.
  EXPECT_FALSE(std::filesystem::exists(demo_ + "INDEX"));
  EXPECT_FALSE(std::filesystem::exists(demo_ + "DATA"));
}

}  // namespace
