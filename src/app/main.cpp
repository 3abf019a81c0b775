// The ovplayer executable: the action mode without a screen, or the application object's start-up,
// event loop and shut-down.
#include <cstdio>
#include <string>
#include <vector>

#include <QString>

#include "app/OvActionMode.h"
#include "app/qt/OvPlayerApp.h"
#include "app/qt/OvPlayerOptions.h"

namespace {

// Qt's notices about what the off-screen platform cannot do mean nothing to the player's user.
void QuietHandler(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  if (message.contains(QStringLiteral("This plugin does not support")) ||
      message.contains(QStringLiteral("XDG_RUNTIME_DIR"))) {
    return;
  }
  std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, message)));
}

}  // namespace

int main(int argc, char** argv) {
  // The action mode runs without a screen: it is chosen before any Qt object exists.
  if (OvIsActionMode(argc, argv)) {
    return OvRunActionMode(std::vector<std::string>(argv + 1, argv + argc), stdout, stderr);
  }
  qInstallMessageHandler(QuietHandler);
  OvPlayerApp app(argc, argv);
  OvPlayerOptions options;
  int exitCode = 0;
  if (!options.Parse(app.arguments(), exitCode)) return exitCode;
  if (!app.InitInstance(options)) return app.ExitInstance(1);
  return app.ExitInstance(app.exec());
}
