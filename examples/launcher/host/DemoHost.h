#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include "host/DemoCatalogue.h"
#include "host/DemoLibraryState.h"
#include "host/DemoPages.h"
#include "host/DemoSettingsStore.h"

class DemoAccountActions;
class DemoDialogActions;
class DemoDownloadSimulator;
class DemoGameActions;
class DemoSettingsActions;

// The launcher's side of the pages: answers their calls from the sample
// catalogue and the user's files, and keeps every page told of downloads,
// sign-ins, server choices and settings. Qt thread.
class DemoHost : public QObject {
  Q_OBJECT

 public:
  static constexpr qint64 kLineBytesPerSecond = 1'600'000'000;
  static constexpr int kTickMs = 200;

  // `catalogue` has been loaded; the user's files live in `configFolder`.
  DemoHost(const DemoCatalogue& catalogue, const QString& configFolder, const QString& pagesUrl, QObject* parent);
  ~DemoHost() override;

  // Reads the user's settings and library. What could not be read or will
  // not be saved, one message each (the launcher goes on with defaults).
  QStringList Start();
  // Answers the calls of `widget`'s page; its browser exists.
  void Bind(VellWidget* widget, bool isMain);
  DemoDialogActions& Dialogs() { return *m_pDialogs; }

 private:
  QString _CheckFolderWritable() const;
  void _ApplySettings(const nlohmann::json& settings);

  const DemoCatalogue& m_catalogue;
  const QString m_strConfigFolder;
  DemoSettingsStore m_settings;
  DemoLibraryState m_library;
  DemoPages m_pages;
  DemoDownloadSimulator* m_pDownloads;
  DemoDialogActions* m_pDialogs;
  DemoSettingsActions* m_pSettingsActions;
  DemoAccountActions* m_pAccounts;
  DemoGameActions* m_pGames;
};
