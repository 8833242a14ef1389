#pragma once

#include <QMetaType>
#include <QObject>
#include <functional>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "plugins/game_plugins/VellGetGameServerListPlugin.h"
#include "utils/VellJsonFieldReader.h"
#include "v8_api/VellV8ApiPluginAbstract.h"

namespace VellGetGameRecentServerListPluginModel {

// A server object, as the server list writes it.
using ServerModel = VellGetGameServerListPluginModel::ServerModel;

struct RequestModel {
  std::string appCode;
  friend void from_json(const nlohmann::json& json, RequestModel& model) {
    VellJsonFieldReader::Read(json, "appCode", model.appCode);
  }
};

struct ResponseModel {
  std::vector<ServerModel> serverModels;
  friend void to_json(nlohmann::json& json, const ResponseModel& model) {
    json = {{"serverModels", model.serverModels}};
  }
};

using FireGetGameRecentServerListCallback =
    std::function<void(const VellGetGameRecentServerListPluginModel::ResponseModel&)>;

}  // namespace VellGetGameRecentServerListPluginModel

// "jssdk::gameModule:data:getGameRecentServerList": the servers of a game the user played on lately.
class VellGetGameRecentServerListPlugin : public QObject, public VellV8ApiPluginAbstract {
  Q_OBJECT

 public:
  explicit VellGetGameRecentServerListPlugin(QObject* parent);
  void HandleFromCefProcessMessage(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                                   cef_process_id_t sourceProcess, const VellProcessMessage& message) override;

 signals:
  void FireGetGameRecentServerList(
      VellGetGameRecentServerListPluginModel::RequestModel requestModel,
      const VellGetGameRecentServerListPluginModel::FireGetGameRecentServerListCallback& callback);
};

Q_DECLARE_METATYPE(VellGetGameRecentServerListPluginModel::RequestModel)
Q_DECLARE_METATYPE(VellGetGameRecentServerListPluginModel::ResponseModel)
Q_DECLARE_METATYPE(VellGetGameRecentServerListPluginModel::FireGetGameRecentServerListCallback)
