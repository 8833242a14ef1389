#pragma once

#include <QMetaType>
#include <QObject>
#include <functional>
#include <nlohmann/json.hpp>
#include <string>

#include "v8_api/VellV8ApiPluginAbstract.h"

namespace VellGetChannelRemoteConfigDataPluginModel {

struct ResponseModel {
  std::string strError;
  std::string strJson;
  friend void to_json(nlohmann::json& json, const ResponseModel& model) {
    json = {{"strError", model.strError}, {"strJson", model.strJson}};
  }
};

using FireGetChannelRemoteConfigDataCallback =
    std::function<void(const VellGetChannelRemoteConfigDataPluginModel::ResponseModel&)>;

}  // namespace VellGetChannelRemoteConfigDataPluginModel

// "jssdk::basicModule:data:getChannelRemoteConfigData": the channel's remote configuration.
class VellGetChannelRemoteConfigDataPlugin : public QObject, public VellV8ApiPluginAbstract {
  Q_OBJECT

 public:
  explicit VellGetChannelRemoteConfigDataPlugin(QObject* parent);
  void HandleFromCefProcessMessage(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                                   cef_process_id_t sourceProcess, const VellProcessMessage& message) override;

 signals:
  void FireGetChannelRemoteConfigData(
      const VellGetChannelRemoteConfigDataPluginModel::FireGetChannelRemoteConfigDataCallback& callback);
};

Q_DECLARE_METATYPE(VellGetChannelRemoteConfigDataPluginModel::ResponseModel)
Q_DECLARE_METATYPE(VellGetChannelRemoteConfigDataPluginModel::FireGetChannelRemoteConfigDataCallback)
