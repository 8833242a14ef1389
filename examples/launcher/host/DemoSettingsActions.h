#pragma once

#include <QObject>
#include <QString>
#include <nlohmann/json.hpp>

class DemoCatalogue;
class DemoDialogActions;
class DemoSettingsStore;
class VellWidget;

// Settings and start-up information: getSettings, saveSettings,
// isFirstLaunch, and the news as the remote configuration
// (getRemoteConfigData). Saved settings reach every page as a
// "settingsChanged" emit event.
class DemoSettingsActions : public QObject {
  Q_OBJECT

 public:
  DemoSettingsActions(const DemoCatalogue& catalogue, DemoSettingsStore& store, const DemoDialogActions& dialogs,
                      QObject* parent);
  // Why the saved settings could not be read, told to the page that asks for them.
  void SetLoadError(const QString& error) { m_strLoadError = error; }
  void Bind(VellWidget* widget);

 signals:
  void SettingsChanged(const nlohmann::json& settings);

 private:
  void _Save(const nlohmann::json& changes, const std::map<std::string, bool>& autoUpdates);

  const DemoCatalogue& m_catalogue;
  DemoSettingsStore& m_store;
  const DemoDialogActions& m_dialogs;
  QString m_strLoadError;
};
