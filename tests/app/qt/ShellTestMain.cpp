// The shell tests run inside the player's own application object on the off-screen platform.
#include "QtTestMain.h"
#include "app/qt/OvPlayerApp.h"

int main(int argc, char** argv) { return RunQtTests<OvPlayerApp>(argc, argv); }
