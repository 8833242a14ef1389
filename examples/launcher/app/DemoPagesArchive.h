#pragma once

#include <QString>

struct zip;

// The zip archive the pages are served from, checked before the launcher
// relies on it: it must exist, be a zip archive, open with the password and
// hold an index page whose content reads back intact.
class DemoPagesArchive {
 public:
  static constexpr char kIndexPage[] = "index.html";

  // Empty when the archive can serve the pages, else what is wrong with it.
  static QString Check(const QString& path, const QString& password);

 private:
  static QString _CheckIndex(zip* archive, const QString& path);
};
