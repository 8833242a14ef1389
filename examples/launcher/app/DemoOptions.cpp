#include "app/DemoOptions.h"

#include <QCommandLineParser>
#include <QDir>

QString DemoOptions::Parse(const QStringList& arguments, const QString& applicationDir) {
  QCommandLineParser parser;
  parser.setApplicationDescription("The Vell demo launcher: a game launcher whose interface is web pages.");
  parser.addHelpOption();
  const QCommandLineOption screenshot("screenshot", "Write a PNG of the window to <path> once the home page has settled, then quit (status 3: a page had painted nothing).", "path");
  const QCommandLineOption selfTest("self-test", "Let the pages call every action the demo uses and check the answers; quit with status 0 when none failed.");
  const QCommandLineOption pages("pages", "The pages archive to serve.", "zip", applicationDir + "/pages.zip");
  const QCommandLineOption data("data", "The folder of the sample catalogue.", "folder", applicationDir + "/data");
  const QCommandLineOption features("features", "The feature settings (JSON).", "file", applicationDir + "/features.json");
  const QCommandLineOption config("config", "Keep the user's settings and library in <folder>.", "folder");
  parser.addOptions({screenshot, selfTest, pages, data, features, config});
  if (!parser.parse(arguments)) return parser.errorText() + "\n\n" + parser.helpText();
  bHelp = parser.isSet("help");
  if (bHelp) return parser.helpText();
  if (!parser.positionalArguments().isEmpty()) {
    return "unexpected arguments: " + parser.positionalArguments().join(' ') + "\n\n" + parser.helpText();
  }
  if (parser.isSet(screenshot) && parser.isSet(selfTest)) return "--screenshot and --self-test do not go together";
  strScreenshotPath = parser.isSet(screenshot) ? QDir::current().absoluteFilePath(parser.value(screenshot)) : QString();
  bSelfTest = parser.isSet(selfTest);
  strPagesArchive = QDir::current().absoluteFilePath(parser.value(pages));
  strDataFolder = QDir::current().absoluteFilePath(parser.value(data));
  strFeaturesFile = QDir::current().absoluteFilePath(parser.value(features));
  strConfigFolder = parser.isSet(config) ? QDir::current().absoluteFilePath(parser.value(config)) : QString();
  return {};
}
