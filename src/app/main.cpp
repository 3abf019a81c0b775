// The ovplayer executable: the action mode without a screen, or the application object's start-up,
// event loop and shut-down.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <QString>

#include "app/OvActionMode.h"
#include "app/qt/OvPlayerApp.h"
#include "app/qt/OvPlayerOptions.h"
#include "base/VDebug.h"

namespace {

// Qt's notices about what the off-screen platform cannot do mean nothing to the player's user.
void QuietHandler(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  if (message.contains(QStringLiteral("This plugin does not support")) ||
      message.contains(QStringLiteral("XDG_RUNTIME_DIR"))) {
    return;
  }
  std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, message)));
}

// Whether the environment asks for the engine's debug log on the terminal.
bool DebugConsoleWanted() {
  const char* wanted = std::getenv("OVPLAYER_DEBUG_CONSOLE");
  return wanted != nullptr && wanted[0] != 0 && std::strcmp(wanted, "0") != 0;
}

}  // namespace

int main(int argc, char** argv) {
  // The terminal belongs to the player's own messages: the engine's debug log goes to its file
  // unless asked for (OVPLAYER_DEBUG_CONSOLE=1, or --debug-console in the normal mode).
  VSetLogConsoleAllowed(DebugConsoleWanted());
  // The action mode runs without a screen: it is chosen before any Qt object exists.
  if (OvIsActionMode(argc, argv)) {
    return OvRunActionMode(std::vector<std::string>(argv + 1, argv + argc), stdout, stderr);
  }
  qInstallMessageHandler(QuietHandler);
  OvPlayerApp app(argc, argv);
  OvPlayerOptions options;
  int exitCode = 0;
  if (!options.Parse(app.arguments(), exitCode)) return exitCode;
  if (options.debugConsole) VSetLogConsoleAllowed(true);
  if (!app.InitInstance(options)) return app.ExitInstance(1);
  return app.ExitInstance(app.exec());
}
