// The player's application object. It speaks Japanese: Qt's own texts (the fields' context menu,
// the standard dialogs) come from Qt's Japanese translations when they are installed, and stay
// English when they are not. The player's icon is every window's. InitInstance makes the main
// frame, sized to the screen, and the runner with the Qt platform factory, opens the configuration
// and the application folder and starts; while the event loop runs, the idle hook ends it once the
// runner reports a quit request; ExitInstance deletes the runner (the list window, the running
// applications, the database, the factory) before the frame goes.
#pragma once

#include <memory>

#include <QApplication>
#include <QIcon>
#include <QRect>
#include <QSize>
#include <QString>

class OvARunner;
class OvPlayerMF;
class QTimer;
struct OvPlayerOptions;

class OvPlayerApp : public QApplication {
 public:
  OvPlayerApp(int& argc, char** argv);
  ~OvPlayerApp() override;

  // False when the frame or the runner cannot be made; the player then ends.
  bool InitInstance(const OvPlayerOptions& options);
  // Deletes the runner and the frame; answers the exit code to end with.
  int ExitInstance(int exitCode);
  // Runs whenever the event loop is about to wait: quits when the runner asks for it.
  void OnIdle();

  OvARunner* Runner() const { return runner_.get(); }
  OvPlayerMF* MainFrame() const { return mainFrame_.get(); }
  // Whether Qt's Japanese translations were found and installed.
  bool TranslationsLoaded() const { return translationsLoaded_; }

  // The main frame's preferred size (its contents, without the window manager's frame).
  static constexpr QSize kFrameSize{1024, 768};
  // Room kept around the preferred size for the window manager's frame and caption.
  static constexpr QSize kDecoration{16, 48};
  // Whether the main frame keeps its preferred size on a screen with this available area; when
  // it does not, it fills the area instead (maximised).
  static bool FrameFits(const QRect& available);
  // The player's icon, in the sizes it is drawn at.
  static QIcon PlayerIcon();

 private:
  // Saves the frame (with any modal dialog over it) and ends the event loop.
  void SaveScreenshot();
  // Installs Qt's Japanese translations when they can be found.
  void LoadTranslations();
  // Sizes the frame to the screen it starts on and shows it.
  void ShowFrame();

  std::unique_ptr<OvPlayerMF> mainFrame_;
  std::unique_ptr<OvARunner> runner_;
  QString screenshotPath_;
  QTimer* screenshotWatch_ = nullptr;
  bool screenshotTaken_ = false;
  bool quitPosted_ = false;
  bool translationsLoaded_ = false;
};
