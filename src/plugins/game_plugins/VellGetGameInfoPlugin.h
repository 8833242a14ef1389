#pragma once

#include <QMetaType>
#include <QObject>
#include <functional>
#include <nlohmann/json.hpp>
#include <string>

#include "utils/VellJsonFieldReader.h"
#include "v8_api/VellV8ApiPluginAbstract.h"

namespace VellGetGameInfoPluginModel {

struct RequestModel {
  std::string appCode;
  friend void from_json(const nlohmann::json& json, RequestModel& model) {
    VellJsonFieldReader::Read(json, "appCode", model.appCode);
  }
};

struct ResponseModel {
  std::string strError;
  std::string strJson;
  friend void to_json(nlohmann::json& json, const ResponseModel& model) {
    json = {{"strError", model.strError}, {"strJson", model.strJson}};
  }
};

using FireGetGameInfoCallback = std::function<void(const VellGetGameInfoPluginModel::ResponseModel&)>;

}  // namespace VellGetGameInfoPluginModel

// "jssdk::gameModule:data:getGameInfo": a game's information.
class VellGetGameInfoPlugin : public QObject, public VellV8ApiPluginAbstract {
  Q_OBJECT

 public:
  explicit VellGetGameInfoPlugin(QObject* parent);
  void HandleFromCefProcessMessage(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                                   cef_process_id_t sourceProcess, const VellProcessMessage& message) override;

 signals:
  void FireGetGameInfo(VellGetGameInfoPluginModel::RequestModel requestModel,
                       const VellGetGameInfoPluginModel::FireGetGameInfoCallback& callback);
};

Q_DECLARE_METATYPE(VellGetGameInfoPluginModel::RequestModel)
Q_DECLARE_METATYPE(VellGetGameInfoPluginModel::ResponseModel)
Q_DECLARE_METATYPE(VellGetGameInfoPluginModel::FireGetGameInfoCallback)
