#pragma once

#include <QMetaType>
#include <QObject>
#include <nlohmann/json.hpp>
#include <string>

#include "utils/VellJsonFieldReader.h"
#include "v8_api/VellV8ApiPluginAbstract.h"

namespace VellBindAccountPluginModel {

struct FireBindAccountModel {
  std::string account;
  std::string accountOpenId;
  std::string authToken;
  std::string refreshToken;
  friend void from_json(const nlohmann::json& json, FireBindAccountModel& model) {
    VellJsonFieldReader::Read(json, "account", model.account);
    VellJsonFieldReader::Read(json, "accountOpenId", model.accountOpenId);
    VellJsonFieldReader::Read(json, "authToken", model.authToken);
    VellJsonFieldReader::Read(json, "refreshToken", model.refreshToken);
  }
};

}  // namespace VellBindAccountPluginModel

// "jssdk::accountModule:bindAccount": an account was bound.
class VellBindAccountPlugin : public QObject, public VellV8ApiPluginAbstract {
  Q_OBJECT

 public:
  explicit VellBindAccountPlugin(QObject* parent);
  void HandleFromCefProcessMessage(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                                   cef_process_id_t sourceProcess, const VellProcessMessage& message) override;

 signals:
  void FireBindAccount(VellBindAccountPluginModel::FireBindAccountModel fireBindAccountModel);
};

Q_DECLARE_METATYPE(VellBindAccountPluginModel::FireBindAccountModel)
