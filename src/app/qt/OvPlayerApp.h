// The player's application object. InitInstance makes the main frame and the runner with the Qt
// platform factory, opens the configuration and the application folder and starts; while the
// event loop runs, the idle hook ends it once the runner reports a quit request; ExitInstance
// deletes the runner (the list window, the running applications, the database, the factory)
// before the frame goes.
#pragma once

#include <memory>

#include <QApplication>
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

 private:
  // Saves the frame (with any modal dialog over it) and ends the event loop.
  void SaveScreenshot();

  std::unique_ptr<OvPlayerMF> mainFrame_;
  std::unique_ptr<OvARunner> runner_;
  QString screenshotPath_;
  QTimer* screenshotWatch_ = nullptr;
  bool screenshotTaken_ = false;
  bool quitPosted_ = false;
};
