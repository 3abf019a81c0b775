#include "app/qt/OvPlayerOptions.h"

#include <cstdio>

#include <QCommandLineParser>
#include <QFile>

#include "app/OvActionMode.h"

#ifndef OV_PLAYER_VERSION
#define OV_PLAYER_VERSION "0"
#endif

bool OvPlayerOptions::Parse(const QStringList& arguments, int& exitCode, std::FILE* err) {
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
  QCommandLineOption console(
      QStringLiteral("debug-console"),
      QStringLiteral("Writes the engine's debug log to the terminal as well as to its file (as the "
                     "environment variable OVPLAYER_DEBUG_CONSOLE=1 does)."));
  parser.addOptions({version, config, folder, screenshot, console});
  if (!parser.parse(arguments)) {
    std::fprintf(err, "ovplayer: %s\n%s", qPrintable(parser.errorText()),
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
    std::fprintf(err, "ovplayer: unexpected argument %s\n%s",
                 qPrintable(parser.positionalArguments().first()), qPrintable(parser.helpText()));
    exitCode = 2;
    return false;
  }
  if (parser.isSet(config)) configPath = parser.value(config);
  if (parser.isSet(folder)) folderPath = parser.value(folder);
  if (parser.isSet(screenshot)) screenshotPath = parser.value(screenshot);
  debugConsole = parser.isSet(console);
  for (const QString* value : {&configPath, &folderPath}) {
    if (value->isEmpty()) {
      std::fprintf(err, "ovplayer: a path may not be empty\n");
      exitCode = 2;
      return false;
    }
  }
  const struct {
    const QCommandLineOption& option;
    const QString& path;
    const char* name;
  } given[] = {{config, configPath, "config"}, {folder, folderPath, "folder"}};
  for (const auto& one : given) {
    if (parser.isSet(one.option) &&
        !OvGivenPathExists(one.name, QFile::encodeName(one.path).toStdString(), err)) {
      exitCode = 2;
      return false;
    }
  }
  return true;
}
