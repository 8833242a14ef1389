#include "host/DemoGameActions.h"

#include <QDir>
#include <QStorageInfo>

#include "host/DemoCatalogue.h"
#include "host/DemoDialogActions.h"
#include "host/DemoDownloadSimulator.h"
#include "host/DemoLibraryState.h"
#include "host/DemoSettingsStore.h"
#include "plugins/game_plugins/VellAddGamePlugin.h"
#include "plugins/game_plugins/VellCreateGameTaskPlugin.h"
#include "plugins/game_plugins/VellGetGameCurrentSelectedServerPlugin.h"
#include "plugins/game_plugins/VellGetGameDownloadStatusPlugin.h"
#include "plugins/game_plugins/VellGetGameInfoPlugin.h"
#include "plugins/game_plugins/VellGetGameInstallerBasicInfoPlugin.h"
#include "plugins/game_plugins/VellGetGameLibrariesPlugin.h"
#include "plugins/game_plugins/VellGetGamePoliciesPlugin.h"
#include "plugins/game_plugins/VellGetGameRecentServerListPlugin.h"
#include "plugins/game_plugins/VellGetGameSelectionsPlugin.h"
#include "plugins/game_plugins/VellGetGameServerListPlugin.h"
#include "plugins/game_plugins/VellGetRatingSystemInfoPlugin.h"
#include "plugins/game_plugins/VellSaveGameServerSelectionPlugin.h"
#include "plugins/game_plugins/VellSeasonDataPlugin.h"
#include "plugins/game_plugins/VellSeasonListPlugin.h"
#include "plugins/game_plugins/VellSwitchGamePlugin.h"

namespace {

QString Unknown(const std::string& appCode) {
  return QString("there is no game \"%1\"").arg(QString::fromStdString(appCode));
}

// The nearest folder of `path` that exists: where a new one would be made.
QString ExistingFolderOf(QString path) {
  while (!QDir(path).exists() && path != QDir(path).absoluteFilePath("..")) path = QDir(path).absoluteFilePath("..");
  return QDir::cleanPath(path);
}

QString Bytes(qint64 bytes) { return QString::number(static_cast<double>(bytes) / 1e9, 'f', 1) + " GB"; }

VellGetGameServerListPluginModel::ZoneModel Zone(const nlohmann::json& zone) {
  VellGetGameServerListPluginModel::ZoneModel model;
  model.id = zone["id"].get<std::string>();
  model.name = zone["name"].get<std::string>();
  for (const auto& server : zone["servers"]) {
    model.serverModels.push_back({server["id"].get<std::string>(), server["name"].get<std::string>(),
                                  server["state"].get<int>()});
  }
  return model;
}

// The server and its zone, or nulls.
std::pair<const nlohmann::json*, const nlohmann::json*> FindServer(const nlohmann::json* entry,
                                                                   const std::string& serverId) {
  if (!entry) return {nullptr, nullptr};
  for (const auto& zone : (*entry)["zones"]) {
    for (const auto& server : zone["servers"]) {
      if (server["id"].get<std::string>() == serverId) return {&server, &zone};
    }
  }
  return {nullptr, nullptr};
}

}  // namespace

DemoGameActions::DemoGameActions(const DemoCatalogue& catalogue, DemoLibraryState& library,
                                 const DemoSettingsStore& settings, DemoDownloadSimulator& downloads,
                                 const DemoDialogActions& dialogs, DemoPages& pages, QObject* parent)
    : QObject(parent),
      m_catalogue(catalogue),
      m_library(library),
      m_settings(settings),
      m_downloads(downloads),
      m_dialogs(dialogs),
      m_pages(pages) {
  connect(&downloads, &DemoDownloadSimulator::StatusChanged, this,
          [this](const QString& appCode) { _PushStatus(appCode.toStdString()); });
  connect(&downloads, &DemoDownloadSimulator::Installed, this, [this](const QString& appCode, const QString& version) {
    _OnInstalled(appCode.toStdString(), version.toStdString());
  });
  connect(&downloads, &DemoDownloadSimulator::Uninstalled, this,
          [this](const QString& appCode) { _Keep(m_library.Uninstall(appCode.toStdString())); });
}

void DemoGameActions::Bind(VellWidget* widget) {
  _BindLibrary(widget);
  _BindDetails(widget);
  _BindServers(widget);
  _BindSeasons(widget);
  _BindTasks(widget);
}

void DemoGameActions::_BindLibrary(VellWidget* widget) {
  connect(DemoPages::Find<VellGetGameLibrariesPlugin>(widget), &VellGetGameLibrariesPlugin::FireGetGameLibraries, this,
          [this](const VellGetGameLibrariesPluginModel::FireGetGameLibrariesCallback& answer) {
            answer({"", _Library().dump()});
          });
  connect(DemoPages::Find<VellGetGameSelectionsPlugin>(widget), &VellGetGameSelectionsPlugin::FireGetGameSelections,
          this, [this](const VellGetGameSelectionsPlugin::FireGetGameSelectionsCallback& answer) {
            answer(m_library.Selections());
          });
  connect(DemoPages::Find<VellAddGamePlugin>(widget), &VellAddGamePlugin::FireAddGame, this,
          [this](const VellAddGamePluginModel::FireAddGameModel& request) {
            if (!m_catalogue.Game(request.appCode)) return;
            _Keep(m_library.SetSelected(request.appCode, request.isSelected));
          });
  connect(DemoPages::Find<VellSwitchGamePlugin>(widget), &VellSwitchGamePlugin::FireSwitchGame, this,
          [this](const VellSwitchGamePluginModel::FireSwitchGameModel& request,
                 const VellSwitchGamePluginModel::FireSwitchGameCallback& answer) {
            const nlohmann::json* game = m_catalogue.Game(request.appCode);
            if (!game) return answer({Unknown(request.appCode).toStdString(), ""});
            m_strCurrentGame = request.appCode;
            answer({"", _Summary(*game).dump()});
          });
}

void DemoGameActions::_BindDetails(VellWidget* widget) {
  connect(DemoPages::Find<VellGetGameInfoPlugin>(widget), &VellGetGameInfoPlugin::FireGetGameInfo, this,
          [this](const VellGetGameInfoPluginModel::RequestModel& request,
                 const VellGetGameInfoPluginModel::FireGetGameInfoCallback& answer) {
            const nlohmann::json* game = m_catalogue.Game(request.appCode);
            if (!game) return answer({Unknown(request.appCode).toStdString(), ""});
            nlohmann::json info = _Summary(*game);
            for (const char* key : {"description", "released", "features"}) info[key] = (*game)[key];
            answer({"", info.dump()});
          });
  connect(DemoPages::Find<VellGetRatingSystemInfoPlugin>(widget), &VellGetRatingSystemInfoPlugin::FireGetRatingSystemInfo,
          this, [this](const VellGetRatingSystemInfoPluginModel::RequestModel& request,
                       const VellGetRatingSystemInfoPlugin::FireGetRatingSystemInfoCallback& answer) {
            std::vector<VellGetRatingSystemInfoPluginModel::ResponseItem> items;
            if (const nlohmann::json* game = m_catalogue.Game(request.appCode)) {
              for (const auto& r : (*game)["ratings"]) items.push_back({r["id"], r["title"], r["content"]});
            }
            answer(items);
          });
  connect(DemoPages::Find<VellGetGamePoliciesPlugin>(widget), &VellGetGamePoliciesPlugin::FireGetGamePolicies, this,
          [this](const VellGetGamePoliciesPluginModel::RequestModel& request,
                 const VellGetGamePoliciesPlugin::FireGetGamePoliciesCallback& answer) {
            std::vector<VellGetGamePoliciesPluginModel::ResponseItem> items;
            if (const nlohmann::json* game = m_catalogue.Game(request.appCode)) {
              for (const auto& p : (*game)["policies"]) items.push_back({p["isChecked"], p["title"], p["href"]});
            }
            answer(items);
          });
  connect(DemoPages::Find<VellGetGameInstallerBasicInfoPlugin>(widget),
          &VellGetGameInstallerBasicInfoPlugin::FireGetGameInstallerBasicInfo, this,
          [this](const VellGetGameInstallerBasicInfoPluginModel::RequestModel& request,
                 const VellGetGameInstallerBasicInfoPluginModel::FireGetGameInstallerBasicInfoCallback& answer) {
            VellGetGameInstallerBasicInfoPluginModel::ResponseModel info;
            const nlohmann::json* game = m_catalogue.Game(request.appCode);
            if (!game) return answer(info);
            const QString folder = QString::fromStdString(m_settings.Settings()["installDirectory"].get<std::string>());
            const qint64 size = (*game)["sizeBytes"].get<qint64>();
            const qint64 free = QStorageInfo(ExistingFolderOf(folder)).bytesAvailable();
            info.appCode = request.appCode;
            info.appName = (*game)["name"].get<std::string>();
            info.installPath = (folder + "/" + QString::fromStdString(request.appCode)).toStdString();
            info.appSize = info.needSpaceSize = Bytes(size).toStdString();
            info.remainingSpaceSize = Bytes(free).toStdString();
            info.isSpaceEnough = free >= size;
            answer(info);
          });
}

void DemoGameActions::_BindServers(VellWidget* widget) {
  connect(DemoPages::Find<VellGetGameServerListPlugin>(widget), &VellGetGameServerListPlugin::FireGetGameServerList, this,
          [this](const VellGetGameServerListPluginModel::RequestModel& request,
                 const VellGetGameServerListPluginModel::FireGetGameServerListCallback& answer) {
            VellGetGameServerListPluginModel::ResponseModel list;
            if (const nlohmann::json* entry = m_catalogue.ServersOf(request.appCode)) {
              for (const auto& zone : (*entry)["zones"]) {
                list.allZoneModels.push_back(Zone(zone));
                if (zone["recommended"].get<bool>()) list.recommendedZoneModels.push_back(Zone(zone));
              }
            }
            answer(list);
          });
  connect(DemoPages::Find<VellGetGameRecentServerListPlugin>(widget),
          &VellGetGameRecentServerListPlugin::FireGetGameRecentServerList, this,
          [this](const VellGetGameRecentServerListPluginModel::RequestModel& request,
                 const VellGetGameRecentServerListPluginModel::FireGetGameRecentServerListCallback& answer) {
            VellGetGameRecentServerListPluginModel::ResponseModel recent;
            const nlohmann::json* entry = m_catalogue.ServersOf(request.appCode);
            for (const std::string& id : m_library.RecentServers(request.appCode)) {
              const auto found = FindServer(entry, id);
              if (found.first) recent.serverModels.push_back({id, (*found.first)["name"], (*found.first)["state"]});
            }
            answer(recent);
          });
  connect(DemoPages::Find<VellGetGameCurrentSelectedServerPlugin>(widget),
          &VellGetGameCurrentSelectedServerPlugin::FireGetGameCurrentSelectedServer, this,
          [this](const VellGetGameCurrentSelectedServerPluginModel::RequestModel& request,
                 const VellGetGameCurrentSelectedServerPluginModel::FireGetGameCurrentSelectedServerCallback& answer) {
            const std::string id = m_library.SelectedServer(request.appCode);
            const auto found = FindServer(m_catalogue.ServersOf(request.appCode), id);
            if (!found.first) return answer({"none", "", "", "", ""});
            answer({"selected", id, (*found.first)["name"], (*found.second)["id"], (*found.second)["name"]});
          });
  connect(DemoPages::Find<VellSaveGameServerSelectionPlugin>(widget),
          &VellSaveGameServerSelectionPlugin::FireSaveGameServerSelection, this,
          [this](const VellSaveGameServerSelectionPluginModel::RequestModel& request) {
            _SelectServer(request.appCode, request.serverId);
          });
}

void DemoGameActions::_SelectServer(const std::string& appCode, const std::string& serverId) {
  if (!FindServer(m_catalogue.ServersOf(appCode), serverId).first) {
    m_dialogs.Toast(QString("There is no server \"%1\" for this game").arg(QString::fromStdString(serverId)));
    return;
  }
  _Keep(m_library.SelectServer(appCode, serverId));
  m_pages.ForEach([&appCode](VellWidget* page) {
    VellError::LogErrorChain(VellSaveGameServerSelectionPlugin::NotifyGameCurrentSelectedServerChanged(page, appCode));
  });
}

void DemoGameActions::_BindSeasons(VellWidget* widget) {
  connect(DemoPages::Find<VellSeasonListPlugin>(widget), &VellSeasonListPlugin::FireGetSeasonList, this,
          [this](const VellSeasonListPluginModel::FireGetSeasonListCallback& answer) {
            VellSeasonListPluginModel::SeasonListResponseModel list;
            list.strJson = _SeasonList().dump();
            answer(list);
          });
  connect(DemoPages::Find<VellSeasonDataPlugin>(widget), &VellSeasonDataPlugin::FireGetSeasonData, this,
          [this](const VellSeasonDataPluginModel::FireGetSeasonDataModel& request,
                 const VellSeasonDataPluginModel::FireGetSeasonDataCallback& answer) {
            VellSeasonDataPluginModel::SeasonDataResponseModel data;
            data.strJson = _SeasonData(request.seasonId, request.playType).dump();
            answer(data);
          });
}

// The seasons of the game the user switched to last.
nlohmann::json DemoGameActions::_SeasonList() const {
  nlohmann::json list = {{"appCode", m_strCurrentGame}, {"seasons", nlohmann::json::array()}};
  const nlohmann::json* game = m_catalogue.Game(m_strCurrentGame);
  if (!game) return list;
  for (const auto& season : (*game)["seasons"]) {
    list["seasons"].push_back({{"id", season["id"]}, {"name", season["name"]}, {"start", season["start"]},
                               {"end", season["end"]}});
  }
  return list;
}

const nlohmann::json* DemoGameActions::_Season(int seasonId) const {
  for (const auto& game : m_catalogue.Games()) {
    for (const auto& season : game["seasons"]) {
      if (season["id"].get<int>() == seasonId) return &season;
    }
  }
  return nullptr;
}

nlohmann::json DemoGameActions::_SeasonData(int seasonId, int playType) const {
  const nlohmann::json* season = _Season(seasonId);
  if (!season) return {{"seasonId", seasonId}, {"playType", playType}, {"error", "no such season"}};
  for (const auto& stats : (*season)["stats"]) {
    if (stats["playType"].get<int>() != playType) continue;
    nlohmann::json data = stats;
    data["seasonId"] = seasonId;
    data["name"] = (*season)["name"];
    return data;
  }
  return {{"seasonId", seasonId}, {"playType", playType}, {"error", "no games of this kind this season"}};
}

void DemoGameActions::_BindTasks(VellWidget* widget) {
  connect(DemoPages::Find<VellGetGameDownloadStatusPlugin>(widget),
          &VellGetGameDownloadStatusPlugin::FireGetGameDownloadStatus, this,
          [this](const VellGetGameDownloadStatusModel::RequestModel& request,
                 const VellGetGameDownloadStatusModel::FireGetGameDownloadStatusCallback& answer) {
            answer(m_downloads.StatusOf(request.appCode));
          });
  connect(DemoPages::Find<VellCreateGameTaskPlugin>(widget), &VellCreateGameTaskPlugin::FireCreateGameTask, this,
          [this](const VellCreateGameTaskModel::RequestModel& request,
                 const VellCreateGameTaskModel::FireCreateGameTaskCallback& answer) {
            answer({_RunTask(request.appCode, request.action).toStdString()});
          });
}

QString DemoGameActions::_RunTask(const std::string& appCode, const std::string& action) {
  if (!m_catalogue.Game(appCode)) return Unknown(appCode);
  if (action == "install" || action == "update") return m_downloads.Install(appCode);
  if (action == "pause") return m_downloads.Pause(appCode);
  if (action == "resume") return m_downloads.Resume(appCode);
  if (action == "cancel") return m_downloads.Cancel(appCode);
  if (action == "uninstall") return m_downloads.Uninstall(appCode);
  if (action == "launch") return _Launch(appCode);
  return QString("there is no game task \"%1\"").arg(QString::fromStdString(action));
}

QString DemoGameActions::_Launch(const std::string& appCode) const {
  const auto status = m_downloads.StatusOf(appCode);
  if (status.uiStage != DemoDownloadSimulator::kReady && status.uiStage != DemoDownloadSimulator::kUpdateAvailable) {
    return "install the game first";
  }
  const QString name = QString::fromStdString((*m_catalogue.Game(appCode))["name"].get<std::string>());
  m_dialogs.Toast(QString("%1 would start now: this demo ships no games").arg(name), 4000);
  return {};
}

void DemoGameActions::_PushStatus(const std::string& appCode) {
  const auto status = m_downloads.StatusOf(appCode);
  m_pages.ForEach([&status](VellWidget* page) {
    auto* plugin = DemoPages::Find<VellGetGameDownloadStatusPlugin>(page);
    VellError::LogErrorChain(plugin->NotifyGameDownloadStatusChanged(page, status, true, false));
  });
}

void DemoGameActions::_OnInstalled(const std::string& appCode, const std::string& version) {
  _Keep(m_library.SetInstalled(appCode, version));
  const QString name = QString::fromStdString((*m_catalogue.Game(appCode))["name"].get<std::string>());
  if (m_settings.Settings()["showToasts"].get<bool>()) m_dialogs.Toast(name + " is ready to play");
}

void DemoGameActions::_Keep(const QString& saveError) const {
  if (saveError.isEmpty()) return;
  m_dialogs.Toast("This change is not kept after a restart: " + saveError, 6000);
}

nlohmann::json DemoGameActions::_Summary(const nlohmann::json& game) const {
  const std::string appCode = game["appCode"].get<std::string>();
  const auto status = m_downloads.StatusOf(appCode);
  nlohmann::json summary;
  for (const char* key : {"appCode", "name", "genre", "developer", "tagline", "version", "sizeBytes", "palette", "glyph"}) {
    summary[key] = game[key];
  }
  summary["installedVersion"] = status.currentVersion;
  summary["uiStage"] = status.uiStage;
  summary["hasServers"] = m_catalogue.ServersOf(appCode) != nullptr;
  summary["hasSeasons"] = !game["seasons"].empty();
  return summary;
}

nlohmann::json DemoGameActions::_Library() const {
  nlohmann::json games = nlohmann::json::array();
  for (const auto& game : m_catalogue.Games()) games.push_back(_Summary(game));
  return {{"games", games}, {"selections", m_library.Selections()}};
}
