#pragma once

#include <string>

#include <QObject>
#include <nlohmann/json.hpp>

#include "host/DemoPages.h"

class DemoCatalogue;
class DemoDialogActions;
class DemoDownloadSimulator;
class DemoLibraryState;
class DemoSettingsStore;

// The game module: the library and each game's details, servers, seasons,
// ratings and policies, the installer's figures, and game tasks (install,
// update, pause, resume, cancel, uninstall, launch) run by the download
// simulator, whose every status change reaches every page as
// onGameDownloadStatusChanged.
class DemoGameActions : public QObject {
  Q_OBJECT

 public:
  DemoGameActions(const DemoCatalogue& catalogue, DemoLibraryState& library, const DemoSettingsStore& settings,
                  DemoDownloadSimulator& downloads, const DemoDialogActions& dialogs, DemoPages& pages,
                  QObject* parent);
  void Bind(VellWidget* widget);

 private:
  void _BindLibrary(VellWidget* widget);
  void _BindDetails(VellWidget* widget);
  void _BindServers(VellWidget* widget);
  void _BindSeasons(VellWidget* widget);
  void _BindTasks(VellWidget* widget);

  nlohmann::json _Summary(const nlohmann::json& game) const;
  nlohmann::json _Library() const;
  // The season of any game, null when none has this id.
  const nlohmann::json* _Season(int seasonId) const;
  nlohmann::json _SeasonList() const;
  nlohmann::json _SeasonData(int seasonId, int playType) const;
  QString _RunTask(const std::string& appCode, const std::string& action);
  QString _Launch(const std::string& appCode) const;
  void _SelectServer(const std::string& appCode, const std::string& serverId);
  void _PushStatus(const std::string& appCode);
  void _OnInstalled(const std::string& appCode, const std::string& version);
  void _Keep(const QString& saveError) const;

  const DemoCatalogue& m_catalogue;
  DemoLibraryState& m_library;
  const DemoSettingsStore& m_settings;
  DemoDownloadSimulator& m_downloads;
  const DemoDialogActions& m_dialogs;
  DemoPages& m_pages;
  std::string m_strCurrentGame;
};
