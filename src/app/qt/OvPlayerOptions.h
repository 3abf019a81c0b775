// The player's command line: the configuration file and the application folder (by default
// "./Varnex.conf" and "./OVAFolder", relative to the working directory), an optional PNG file
// to which the main window is saved once start-up is done, after which the player quits, and
// whether the engine's debug log also goes to the terminal.
//
// A configuration or folder named on the command line must exist: a mistyped one would otherwise
// start the player on a new configuration or an empty folder. Without the options the defaults
// are used as they are, existing or not.
#pragma once

#include <cstdio>

#include <QString>
#include <QStringList>

struct OvPlayerOptions {
  QString configPath = QStringLiteral("./Varnex.conf");
  QString folderPath = QStringLiteral("./OVAFolder");
  QString screenshotPath;
  bool debugConsole = false;

  // Reads the arguments (the program name first). False after printing to err why the arguments
  // cannot be used (exitCode 2), or help or the version, which were asked for (to the standard
  // output; exitCode 0).
  bool Parse(const QStringList& arguments, int& exitCode, std::FILE* err = stderr);
};
