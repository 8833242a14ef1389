#pragma once

#include <QMetaType>
#include <QObject>
#include <functional>
#include <nlohmann/json.hpp>
#include <string>

#include "v8_api/VellV8ApiPluginAbstract.h"

namespace VellGetLoginUserDataPluginModel {

struct FireGetLoginUserDataResponseModel {
  std::string strJson;
  std::string strError;
  friend void to_json(nlohmann::json& json, const FireGetLoginUserDataResponseModel& model) {
    json = {{"strJson", model.strJson}, {"strError", model.strError}};
  }
};

using FireGetLoginUserDataCallback =
    std::function<void(const VellGetLoginUserDataPluginModel::FireGetLoginUserDataResponseModel&)>;

}  // namespace VellGetLoginUserDataPluginModel

// "jssdk::accountModule:data:getLoginUserData": the logged-in user's data.
class VellGetLoginUserDataPlugin : public QObject, public VellV8ApiPluginAbstract {
  Q_OBJECT

 public:
  explicit VellGetLoginUserDataPlugin(QObject* parent);
  void HandleFromCefProcessMessage(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                                   cef_process_id_t sourceProcess, const VellProcessMessage& message) override;

 signals:
  void FireGetLoginUserData(const VellGetLoginUserDataPluginModel::FireGetLoginUserDataCallback& callback);
};

Q_DECLARE_METATYPE(VellGetLoginUserDataPluginModel::FireGetLoginUserDataResponseModel)
Q_DECLARE_METATYPE(VellGetLoginUserDataPluginModel::FireGetLoginUserDataCallback)
