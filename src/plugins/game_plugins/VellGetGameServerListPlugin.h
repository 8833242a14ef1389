#pragma once

#include <QMetaType>
#include <QObject>
#include <functional>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "utils/VellJsonFieldReader.h"
#include "v8_api/VellV8ApiPluginAbstract.h"

namespace VellGetGameServerListPluginModel {

struct ServerModel {
  std::string id;
  std::string name;
  int state = 0;
  friend void to_json(nlohmann::json& json, const ServerModel& model) {
    json = {{"id", model.id}, {"name", model.name}, {"state", model.state}};
  }
};

struct ZoneModel {
  std::string id;
  std::string name;
  std::vector<ServerModel> serverModels;
  friend void to_json(nlohmann::json& json, const ZoneModel& model) {
    json = {{"id", model.id}, {"name", model.name}, {"serverModels", model.serverModels}};
  }
};

struct RequestModel {
  std::string appCode;
  friend void from_json(const nlohmann::json& json, RequestModel& model) {
    VellJsonFieldReader::Read(json, "appCode", model.appCode);
  }
};

struct ResponseModel {
  std::vector<ZoneModel> recommendedZoneModels;
  std::vector<ZoneModel> allZoneModels;
  friend void to_json(nlohmann::json& json, const ResponseModel& model) {
    json = {{"recommendedZoneModels", model.recommendedZoneModels}, {"allZoneModels", model.allZoneModels}};
  }
};

using FireGetGameServerListCallback = std::function<void(const VellGetGameServerListPluginModel::ResponseModel&)>;

}  // namespace VellGetGameServerListPluginModel

// "jssdk::gameModule:data:getGameServerList": a game's zones and servers.
class VellGetGameServerListPlugin : public QObject, public VellV8ApiPluginAbstract {
  Q_OBJECT

 public:
  explicit VellGetGameServerListPlugin(QObject* parent);
  void HandleFromCefProcessMessage(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                                   cef_process_id_t sourceProcess, const VellProcessMessage& message) override;

 signals:
  void FireGetGameServerList(VellGetGameServerListPluginModel::RequestModel requestModel,
                             const VellGetGameServerListPluginModel::FireGetGameServerListCallback& callback);
};

Q_DECLARE_METATYPE(VellGetGameServerListPluginModel::RequestModel)
Q_DECLARE_METATYPE(VellGetGameServerListPluginModel::ResponseModel)
Q_DECLARE_METATYPE(VellGetGameServerListPluginModel::FireGetGameServerListCallback)
