// The ovplayer executable: the application object's start-up, event loop and shut-down.
#include "app/qt/OvPlayerApp.h"
#include "app/qt/OvPlayerOptions.h"

int main(int argc, char** argv) {
  OvPlayerApp app(argc, argv);
  OvPlayerOptions options;
  int exitCode = 0;
  if (!options.Parse(app.arguments(), exitCode)) return exitCode;
  if (!app.InitInstance(options)) return app.ExitInstance(1);
  return app.ExitInstance(app.exec());
}
