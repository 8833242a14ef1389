#include "host/DemoHost.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryFile>

#include "host/DemoAccountActions.h"
#include "host/DemoDialogActions.h"
#include "host/DemoDownloadSimulator.h"
#include "host/DemoGameActions.h"
#include "host/DemoSettingsActions.h"

DemoHost::DemoHost(const DemoCatalogue& catalogue, const QString& configFolder, const QString& pagesUrl,
                   QObject* parent)
    : QObject(parent),
      m_catalogue(catalogue),
      m_strConfigFolder(configFolder),
      m_settings(configFolder),
      m_library(configFolder),
      m_pDownloads(new DemoDownloadSimulator(kLineBytesPerSecond, kTickMs, this)),
      m_pDialogs(new DemoDialogActions(m_pages, pagesUrl, this)),
      m_pSettingsActions(new DemoSettingsActions(catalogue, m_settings, *m_pDialogs, this)),
      m_pAccounts(new DemoAccountActions(catalogue, m_library, m_pages, *m_pDialogs, this)),
      m_pGames(new DemoGameActions(catalogue, m_library, m_settings, *m_pDownloads, *m_pDialogs, m_pages, this)) {
  connect(m_pSettingsActions, &DemoSettingsActions::SettingsChanged, this, &DemoHost::_ApplySettings);
}

DemoHost::~DemoHost() = default;

QStringList DemoHost::Start() {
  QStringList problems;
  const QString settingsError = m_settings.Load();
  if (!settingsError.isEmpty()) problems << settingsError + "; the default settings are used";
  m_pSettingsActions->SetLoadError(settingsError);
  const QString libraryError = m_library.Load(m_catalogue);
  if (!libraryError.isEmpty()) problems << libraryError + "; the sample library is used";
  const QString folderError = _CheckFolderWritable();
  if (!folderError.isEmpty()) problems << folderError;
  for (const auto& game : m_catalogue.Games()) {
    const std::string appCode = game["appCode"].get<std::string>();
    m_pDownloads->AddGame(appCode, game["sizeBytes"].get<qint64>(), game["version"].get<std::string>(),
                          m_library.InstalledVersion(appCode));
  }
  _ApplySettings(m_settings.Settings());
  return problems;
}

// Tried with a real file: permissions alone do not tell (a read-only file
// system, or a path through a file).
QString DemoHost::_CheckFolderWritable() const {
  const QString problem = QString("Settings and library changes will not be kept: %1 is not writable")
                              .arg(QDir::toNativeSeparators(m_strConfigFolder));
  if (!QDir().mkpath(m_strConfigFolder)) return problem;
  QTemporaryFile probe(m_strConfigFolder + "/.write-test-XXXXXX");
  return probe.open() ? QString() : problem;
}

void DemoHost::_ApplySettings(const nlohmann::json& settings) {
  m_pDownloads->SetLimit(settings["downloadLimitMBps"].get<qint64>() * 1'000'000);
}

void DemoHost::Bind(VellWidget* widget, bool isMain) {
  m_pages.Add(widget, isMain);
  m_pDialogs->Bind(widget);
  m_pSettingsActions->Bind(widget);
  m_pAccounts->Bind(widget);
  m_pGames->Bind(widget);
}
