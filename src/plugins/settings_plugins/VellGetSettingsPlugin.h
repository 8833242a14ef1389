#pragma once

#include <QMetaType>
#include <QObject>
#include <functional>
#include <nlohmann/json.hpp>
#include <string>

#include "v8_api/VellV8ApiPluginAbstract.h"

namespace VellGetSettingsPluginModel {

struct ResponseModel {
  std::string strError;
  std::string strJson;
  friend void to_json(nlohmann::json& json, const ResponseModel& model) {
    json = {{"strError", model.strError}, {"strJson", model.strJson}};
  }
};

using FireGetSettingsCallback = std::function<void(const VellGetSettingsPluginModel::ResponseModel&)>;

}  // namespace VellGetSettingsPluginModel

// "jssdk::settingsModule:data:getSettings": the launcher's settings.
class VellGetSettingsPlugin : public QObject, public VellV8ApiPluginAbstract {
  Q_OBJECT

 public:
  explicit VellGetSettingsPlugin(QObject* parent);
  void HandleFromCefProcessMessage(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                                   cef_process_id_t sourceProcess, const VellProcessMessage& message) override;

 signals:
  void FireGetSettings(const VellGetSettingsPluginModel::FireGetSettingsCallback& callback);
};

Q_DECLARE_METATYPE(VellGetSettingsPluginModel::ResponseModel)
Q_DECLARE_METATYPE(VellGetSettingsPluginModel::FireGetSettingsCallback)
