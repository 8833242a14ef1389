#pragma once

#include <QString>
#include <QStringList>

// The page shown when the launcher's own pages cannot be: built into the
// launcher, it needs nothing from disk. It names the problems, lets the user
// close the launcher, and tells the launcher when it has settled (the same
// "settled" event as the home page).
class DemoFallbackPage {
 public:
  // A data: URL of the page listing `problems`.
  static QString Url(const QStringList& problems);

 private:
  static QString _Html(const QStringList& problems);
};
