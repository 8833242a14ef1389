#pragma once

#include <QMetaType>
#include <QObject>
#include <functional>
#include <nlohmann/json.hpp>
#include <string>

#include "utils/VellJsonFieldReader.h"
#include "v8_api/VellV8ApiPluginAbstract.h"

namespace VellGetGameCurrentSelectedServerPluginModel {

struct RequestModel {
  std::string appCode;
  friend void from_json(const nlohmann::json& json, RequestModel& model) {
    VellJsonFieldReader::Read(json, "appCode", model.appCode);
  }
};

struct ResponseModel {
  std::string state;
  std::string serverId;
  std::string serverName;
  std::string zoneId;
  std::string zoneName;
  friend void to_json(nlohmann::json& json, const ResponseModel& model) {
    json = {{"state", model.state},
            {"serverId", model.serverId},
            {"serverName", model.serverName},
            {"zoneId", model.zoneId},
            {"zoneName", model.zoneName}};
  }
};

using FireGetGameCurrentSelectedServerCallback =
    std::function<void(const VellGetGameCurrentSelectedServerPluginModel::ResponseModel&)>;

}  // namespace VellGetGameCurrentSelectedServerPluginModel

// "jssdk::gameModule:data:getGameCurrentSelectedServer": the server selected for a game.
class VellGetGameCurrentSelectedServerPlugin : public QObject, public VellV8ApiPluginAbstract {
  Q_OBJECT

 public:
  explicit VellGetGameCurrentSelectedServerPlugin(QObject* parent);
  void HandleFromCefProcessMessage(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                                   cef_process_id_t sourceProcess, const VellProcessMessage& message) override;

 signals:
  void FireGetGameCurrentSelectedServer(
      VellGetGameCurrentSelectedServerPluginModel::RequestModel requestModel,
      const VellGetGameCurrentSelectedServerPluginModel::FireGetGameCurrentSelectedServerCallback& callback);
};

Q_DECLARE_METATYPE(VellGetGameCurrentSelectedServerPluginModel::RequestModel)
Q_DECLARE_METATYPE(VellGetGameCurrentSelectedServerPluginModel::ResponseModel)
Q_DECLARE_METATYPE(VellGetGameCurrentSelectedServerPluginModel::FireGetGameCurrentSelectedServerCallback)
