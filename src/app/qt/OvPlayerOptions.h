// The player's command line: the configuration file and the application folder (by default
// "./Varnex.conf" and "./OVAFolder", relative to the working directory), and an optional PNG file
// to which the main window is saved once start-up is done, after which the player quits.
#pragma once

#include <QString>
#include <QStringList>

struct OvPlayerOptions {
  QString configPath = QStringLiteral("./Varnex.conf");
  QString folderPath = QStringLiteral("./OVAFolder");
  QString screenshotPath;

  // Reads the arguments (the program name first). False after printing a usage message for
  // arguments that cannot be used (or help or the version, which were asked for: exitCode 0).
  bool Parse(const QStringList& arguments, int& exitCode);
};
