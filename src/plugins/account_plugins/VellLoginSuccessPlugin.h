#pragma once

#include <QMetaType>
#include <QObject>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>

#include "utils/VellJsonFieldReader.h"
#include "v8_api/VellV8ApiPluginAbstract.h"

class VellWidget;

namespace VellLoginSuccessPluginModel {

struct FireLoginSuccessModel {
  std::string account;
  std::string accountOpenId;
  std::string authToken;
  std::string refreshToken;
  int loginType = 0;
  bool isAuthRemember = false;
  friend void from_json(const nlohmann::json& json, FireLoginSuccessModel& model) {
    VellJsonFieldReader::Read(json, "account", model.account);
    VellJsonFieldReader::Read(json, "accountOpenId", model.accountOpenId);
    VellJsonFieldReader::Read(json, "authToken", model.authToken);
    VellJsonFieldReader::Read(json, "refreshToken", model.refreshToken);
    VellJsonFieldReader::Read(json, "loginType", model.loginType);
    VellJsonFieldReader::Read(json, "isAuthRemember", model.isAuthRemember);
  }
};

}  // namespace VellLoginSuccessPluginModel

// "jssdk::accountModule:loginSuccess": the user logged in.
class VellLoginSuccessPlugin : public QObject, public VellV8ApiPluginAbstract {
  Q_OBJECT

 public:
  explicit VellLoginSuccessPlugin(QObject* parent);
  void HandleFromCefProcessMessage(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                                   cef_process_id_t sourceProcess, const VellProcessMessage& message) override;

  // Pushes the current account into the page: `text` is inserted verbatim as a
  // JavaScript expression (normally a JSON object).
  std::shared_ptr<VellError> NotifyAccountChanged(const VellWidget* widget, const std::string& text);

 signals:
  void FireLoginSuccess(VellLoginSuccessPluginModel::FireLoginSuccessModel fireLoginSuccessModel);
};

Q_DECLARE_METATYPE(VellLoginSuccessPluginModel::FireLoginSuccessModel)
