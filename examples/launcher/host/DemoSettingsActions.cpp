#include "host/DemoSettingsActions.h"

#include "host/DemoCatalogue.h"
#include "host/DemoDialogActions.h"
#include "host/DemoPages.h"
#include "host/DemoSettingsStore.h"
#include "plugins/basic_plugins/VellGetRemoteConfigDataPlugin.h"
#include "plugins/basic_plugins/VellIsFirstLaunchPlugin.h"
#include "plugins/settings_plugins/VellGetSettingsPlugin.h"
#include "plugins/settings_plugins/VellSaveSettingsPlugin.h"

DemoSettingsActions::DemoSettingsActions(const DemoCatalogue& catalogue, DemoSettingsStore& store,
                                         const DemoDialogActions& dialogs, QObject* parent)
    : QObject(parent), m_catalogue(catalogue), m_store(store), m_dialogs(dialogs) {}

void DemoSettingsActions::Bind(VellWidget* widget) {
  connect(DemoPages::Find<VellGetSettingsPlugin>(widget), &VellGetSettingsPlugin::FireGetSettings, this,
          [this](const VellGetSettingsPluginModel::FireGetSettingsCallback& answer) {
            answer({m_strLoadError.toStdString(), m_store.Settings().dump()});
          });
  connect(DemoPages::Find<VellSaveSettingsPlugin>(widget), &VellSaveSettingsPlugin::FireSaveSettings, this,
          [this](const VellSaveSettingsPluginModel::RequestModel& request) {
            std::map<std::string, bool> autoUpdates;
            for (const auto& item : request.autoUpdates) autoUpdates[item.appCode] = item.autoUpdate;
            _Save(request.settings, autoUpdates);
          });
  connect(DemoPages::Find<VellIsFirstLaunchPlugin>(widget), &VellIsFirstLaunchPlugin::FireIsFirstLaunch, this,
          [this](const VellIsFirstLaunchPluginModel::FireIsFirstLaunchCallback& answer) {
            answer({m_store.IsFirstLaunch()});
          });
  connect(DemoPages::Find<VellGetRemoteConfigDataPlugin>(widget), &VellGetRemoteConfigDataPlugin::FireGetRemoteConfigData,
          this, [this](const VellGetRemoteConfigDataPluginModel::FireGetRemoteConfigDataCallback& answer) {
            answer({"", m_catalogue.News().dump()});
          });
}

void DemoSettingsActions::_Save(const nlohmann::json& changes, const std::map<std::string, bool>& autoUpdates) {
  const QString error = m_store.Save(changes, autoUpdates);
  emit SettingsChanged(m_store.Settings());
  DemoPages::Broadcast({{"type", "settingsChanged"}, {"settings", m_store.Settings()}, {"error", error.toStdString()}});
  if (!error.isEmpty()) {
    m_dialogs.Toast("Settings apply until you quit but could not be saved: " + error, 8000);
    return;
  }
  m_strLoadError.clear();
  if (m_store.Settings()["showToasts"].get<bool>()) m_dialogs.Toast("Settings saved");
}
