#pragma once

#include <QMetaType>
#include <QObject>
#include <functional>
#include <nlohmann/json.hpp>
#include <string>

#include "utils/VellJsonFieldReader.h"
#include "v8_api/VellV8ApiPluginAbstract.h"

namespace VellGetGameZonePageConfigPluginModel {

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

using FireGetGameZonePageConfigCallback =
    std::function<void(const VellGetGameZonePageConfigPluginModel::ResponseModel&)>;

}  // namespace VellGetGameZonePageConfigPluginModel

// "jssdk::gameModule:data:getGameZonePageConfig": a game zone page's configuration.
class VellGetGameZonePageConfigPlugin : public QObject, public VellV8ApiPluginAbstract {
  Q_OBJECT

 public:
  explicit VellGetGameZonePageConfigPlugin(QObject* parent);
  void HandleFromCefProcessMessage(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                                   cef_process_id_t sourceProcess, const VellProcessMessage& message) override;

 signals:
  void FireGetGameZonePageConfig(
      VellGetGameZonePageConfigPluginModel::RequestModel requestModel,
      const VellGetGameZonePageConfigPluginModel::FireGetGameZonePageConfigCallback& callback);
};

Q_DECLARE_METATYPE(VellGetGameZonePageConfigPluginModel::RequestModel)
Q_DECLARE_METATYPE(VellGetGameZonePageConfigPluginModel::ResponseModel)
Q_DECLARE_METATYPE(VellGetGameZonePageConfigPluginModel::FireGetGameZonePageConfigCallback)
