#include "app/qt/OvPlayerOptions.h"

#include <QCommandLineParser>
#include <cstdio>

#ifndef OV_PLAYER_VERSION
#define OV_PLAYER_VERSION "0"
#endif

bool OvPlayerOptions::Parse(const QStringList& arguments, int& exitCode) {
  QCommandLineParser parser;
  parser.setApplicationDescription(
      QStringLiteral("Plays the form-based database applications of an application folder.\n"
                     "ovplayer --actions FILE runs an action file without a screen instead "
                     "(see ovplayer --actions --help)."));
  parser.addHelpOption();
  QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                             QStringLiteral("Shows the version."));
  QCommandLineOption config(
      QStringLiteral("config"),
      QStringLiteral("The database configuration file (default %1).").arg(configPath),
      QStringLiteral("PATH"));
  QCommandLineOption folder(QStringLiteral("folder"),
                            QStringLiteral("The application folder (default %1).").arg(folderPath),
                            QStringLiteral("DIR"));
  QCommandLineOption screenshot(
      QStringLiteral("screenshot"),
      QStringLiteral("Saves the main window as a PNG file once start-up is done, then quits."),
      QStringLiteral("FILE"));
  parser.addOptions({version, config, folder, screenshot});
  if (!parser.parse(arguments)) {
    std::fprintf(stderr, "ovplayer: %s\n%s", qPrintable(parser.errorText()),
                 qPrintable(parser.helpText()));
    exitCode = 2;
    return false;
  }
  if (parser.isSet(QStringLiteral("help"))) {
    std::fputs(qPrintable(parser.helpText()), stdout);
    exitCode = 0;
    return false;
  }
  if (parser.isSet(version)) {
    std::puts("ovplayer " OV_PLAYER_VERSION);
    exitCode = 0;
    return false;
  }
  if (!parser.positionalArguments().isEmpty()) {
    std::fprintf(stderr, "ovplayer: unexpected argument %s\n%s",
                 qPrintable(parser.positionalArguments().first()), qPrintable(parser.helpText()));
    exitCode = 2;
    return false;
  }
  if (parser.isSet(config)) configPath = parser.value(config);
  if (parser.isSet(folder)) folderPath = parser.value(folder);
  if (parser.isSet(screenshot)) screenshotPath = parser.value(screenshot);
  for (const QString* value : {&configPath, &folderPath}) {
    if (value->isEmpty()) {
      std::fprintf(stderr, "ovplayer: a path may not be empty\n");
      exitCode = 2;
      return false;
    }
  }
  return true;
}
