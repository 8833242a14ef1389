#pragma once

#include <QMetaType>
#include <QObject>
#include <functional>
#include <nlohmann/json.hpp>
#include <string>

#include "v8_api/VellV8ApiPluginAbstract.h"

namespace VellGetRemoteConfigDataPluginModel {

struct ResponseModel {
  std::string strError;
  std::string strJson;
  friend void to_json(nlohmann::json& json, const ResponseModel& model) {
    json = {{"strError", model.strError}, {"strJson", model.strJson}};
  }
};

using FireGetRemoteConfigDataCallback = std::function<void(const VellGetRemoteConfigDataPluginModel::ResponseModel&)>;

}  // namespace VellGetRemoteConfigDataPluginModel

// "jssdk::basicModule:data:getRemoteConfigData": the remote configuration.
class VellGetRemoteConfigDataPlugin : public QObject, public VellV8ApiPluginAbstract {
  Q_OBJECT

 public:
  explicit VellGetRemoteConfigDataPlugin(QObject* parent);
  void HandleFromCefProcessMessage(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                                   cef_process_id_t sourceProcess, const VellProcessMessage& message) override;

 signals:
  void FireGetRemoteConfigData(const VellGetRemoteConfigDataPluginModel::FireGetRemoteConfigDataCallback& callback);
};

Q_DECLARE_METATYPE(VellGetRemoteConfigDataPluginModel::ResponseModel)
Q_DECLARE_METATYPE(VellGetRemoteConfigDataPluginModel::FireGetRemoteConfigDataCallback)
