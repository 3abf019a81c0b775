// The Qt platform tests run inside one QApplication on the off-screen platform.
#include <QApplication>

#include "QtTestMain.h"

int main(int argc, char** argv) { return RunQtTests<QApplication>(argc, argv); }
