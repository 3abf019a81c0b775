#include "app/qt/OvPlayerApp.h"

#include <cstdio>

#include <QAbstractEventDispatcher>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QLibraryInfo>
#include <QLocale>
#include <QMdiArea>
#include <QPainter>
#include <QScreen>
#include <QTimer>
#include <QTranslator>

#include "app/OvARunner.h"
#include "app/qt/OvPlayerMF.h"
#include "app/qt/OvPlayerOptions.h"
#include "base/VPath.h"
#include "gt/imp/qt/OGTQtImpFactory.h"

namespace {

// A path given on the command line as the portable path the engine and the toolkit take.
std::string PortablePath(const QString& path) {
  return VPortablePath(QFile::encodeName(path).toStdString());
}

}  // namespace

OvPlayerApp::OvPlayerApp(int& argc, char** argv) : QApplication(argc, argv) {
  setApplicationName(QStringLiteral("OvPlayer"));
  // Every window without an icon of its own (the frame, the forms, the boxes) shows this one.
  setWindowIcon(PlayerIcon());
  LoadTranslations();
  // The frame's close box ends the event loop itself (see OvPlayerMF); the toolkit's dialogs,
  // which are windows too, must not end it when they close.
  setQuitOnLastWindowClosed(false);
  connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock, this,
          [this] { OnIdle(); });
}

OvPlayerApp::~OvPlayerApp() { ExitInstance(0); }

bool OvPlayerApp::InitInstance(const OvPlayerOptions& options) {
  // The platform's settings key; nothing is stored under it.
  setOrganizationName(QStringLiteral("Quorel-Orvel-OvPlayer"));
  quitPosted_ = false;
  screenshotTaken_ = false;

  mainFrame_ = std::make_unique<OvPlayerMF>();
  QString caption = applicationName();
  if (caption.isEmpty()) caption = QFileInfo(applicationFilePath()).fileName();
  mainFrame_->setWindowTitle(caption);
  ShowFrame();

  screenshotPath_ = options.screenshotPath;
  if (!screenshotPath_.isEmpty()) {
    // A message box during start-up waits for a person; without one the screenshot shows it.
    screenshotWatch_ = new QTimer(this);
    connect(screenshotWatch_, &QTimer::timeout, this, [this] {
      if (activeModalWidget() != nullptr) SaveScreenshot();
    });
    screenshotWatch_->start(500);
  }

  std::string config = PortablePath(options.configPath);
  std::string folder = PortablePath(options.folderPath);
  runner_ = OvStartRunner(std::make_unique<OGTQtImpFactory>(mainFrame_->Area()), config.c_str(),
                          folder.c_str());
  if (runner_ == nullptr) return false;
  mainFrame_->SetRunner(runner_.get());

  if (!screenshotPath_.isEmpty()) {
    // Taken once the event loop has laid out and painted the windows start-up opened.
    QTimer::singleShot(100, this, [this] { SaveScreenshot(); });
  }
  return true;
}

void OvPlayerApp::LoadTranslations() {
  if (translationsLoaded_) return;
  auto* translator = new QTranslator(this);
  // The player's texts are Japanese whatever the locale; Qt's own must match them.
  if (translator->load(QLocale(QLocale::Japanese, QLocale::Japan), QStringLiteral("qtbase"),
                       QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)) &&
      installTranslator(translator)) {
    translationsLoaded_ = true;
  } else {
    delete translator;
  }
}

bool OvPlayerApp::FrameFits(const QRect& available) {
  QSize needed = kFrameSize + kDecoration;
  return available.width() >= needed.width() && available.height() >= needed.height();
}

void OvPlayerApp::ShowFrame() {
  QScreen* screen = mainFrame_->screen();
  if (screen == nullptr) screen = primaryScreen();
  QRect available = screen != nullptr ? screen->availableGeometry() : QRect();
  if (available.isEmpty() || FrameFits(available)) {
    mainFrame_->resize(kFrameSize);
    mainFrame_->show();
  } else {
    // A small screen: the frame fills what the screen offers, and its normal size fits in it too.
    mainFrame_->resize((available.size() - kDecoration).expandedTo(QSize(320, 240)));
    mainFrame_->showMaximized();
  }
  mainFrame_->activateWindow();
  mainFrame_->repaint();
}

QIcon OvPlayerApp::PlayerIcon() {
  QIcon icon;
  for (int size : {16, 24, 32, 48, 64, 128, 256}) {
    icon.addFile(QStringLiteral(":/ovplayer/icons/ovplayer-%1.png").arg(size), QSize(size, size));
  }
  return icon;
}

void OvPlayerApp::SaveScreenshot() {
  if (screenshotTaken_ || mainFrame_ == nullptr) return;
  screenshotTaken_ = true;
  if (screenshotWatch_ != nullptr) screenshotWatch_->stop();
  processEvents();
  QImage image = mainFrame_->grab().toImage().convertToFormat(QImage::Format_RGB32);
  if (QWidget* modal = activeModalWidget()) {
    QPainter painter(&image);
    painter.drawPixmap(modal->frameGeometry().topLeft() - mainFrame_->frameGeometry().topLeft(),
                       modal->grab());
    std::fprintf(stderr, "ovplayer: a message box is waiting for an answer; see the screenshot\n");
  }
  bool saved = image.save(screenshotPath_, "PNG");
  if (!saved) {
    std::fprintf(stderr, "ovplayer: cannot write the screenshot %s\n", qPrintable(screenshotPath_));
  }
  exit(saved ? 0 : 1);
}

void OvPlayerApp::OnIdle() {
  if (quitPosted_ || runner_ == nullptr || !runner_->IsQuitRequested()) return;
  quitPosted_ = true;
  exit(0);
}

int OvPlayerApp::ExitInstance(int exitCode) {
  if (mainFrame_ != nullptr) mainFrame_->SetRunner(nullptr);
  runner_.reset();
  OGTQtImpFactory::FlushDeletedWidgets();
  mainFrame_.reset();
  return exitCode;
}
