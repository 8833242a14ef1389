#pragma once

#include <QMetaType>
#include <QObject>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "utils/VellJsonFieldReader.h"
#include "v8_api/VellV8ApiPluginAbstract.h"

namespace VellSaveSettingsPluginModel {

struct AutoUpdateItem {
  std::string appCode;
  bool autoUpdate = false;
  friend void from_json(const nlohmann::json& json, AutoUpdateItem& model) {
    VellJsonFieldReader::Read(json, "appCode", model.appCode);
    VellJsonFieldReader::Read(json, "autoUpdate", model.autoUpdate);
  }
};

struct RequestModel {
  nlohmann::json settings;
  std::vector<AutoUpdateItem> autoUpdates;
  friend void from_json(const nlohmann::json& json, RequestModel& model) {
    VellJsonFieldReader::Read(json, "settings", model.settings);
    VellJsonFieldReader::Read(json, "autoUpdates", model.autoUpdates);
  }
};

}  // namespace VellSaveSettingsPluginModel

// "jssdk::settingsModule:saveSettings": save the settings.
class VellSaveSettingsPlugin : public QObject, public VellV8ApiPluginAbstract {
  Q_OBJECT

 public:
  explicit VellSaveSettingsPlugin(QObject* parent);
  void HandleFromCefProcessMessage(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                                   cef_process_id_t sourceProcess, const VellProcessMessage& message) override;

 signals:
  void FireSaveSettings(const VellSaveSettingsPluginModel::RequestModel& model);
};

Q_DECLARE_METATYPE(VellSaveSettingsPluginModel::RequestModel)
