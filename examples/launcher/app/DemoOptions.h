#pragma once

#include <QString>
#include <QStringList>

// What the launcher was asked to do on its command line. Paths are absolute.
class DemoOptions {
 public:
  // Empty on success, else the message for the user (the usage included).
  QString Parse(const QStringList& arguments, const QString& applicationDir);

  // Only the usage was asked for (Parse returned it).
  bool bHelp = false;
  // Set: write a picture of the window there once the home page has settled, then quit.
  QString strScreenshotPath;
  // Run the pages' self-test, print its checks, and quit (status 0 when none failed).
  bool bSelfTest = false;
  QString strPagesArchive;
  QString strDataFolder;
  QString strFeaturesFile;
  // The user's settings and library; empty: the system's config location.
  QString strConfigFolder;
};
