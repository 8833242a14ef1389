#pragma once

#include <QMetaType>
#include <QObject>
#include <nlohmann/json.hpp>
#include <string>

#include "utils/VellJsonFieldReader.h"
#include "v8_api/VellV8ApiPluginAbstract.h"

namespace VellSelectAccountPluginModel {

struct FireSelectAccountModel {
  std::string accountOpenId;
  std::string accountHash;
  std::string account;
  int loginType = 0;
  bool isAuthRemember = false;
  friend void from_json(const nlohmann::json& json, FireSelectAccountModel& model) {
    VellJsonFieldReader::Read(json, "accountOpenId", model.accountOpenId);
    VellJsonFieldReader::Read(json, "accountHash", model.accountHash);
    VellJsonFieldReader::Read(json, "account", model.account);
    VellJsonFieldReader::Read(json, "loginType", model.loginType);
    VellJsonFieldReader::Read(json, "isAuthRemember", model.isAuthRemember);
  }
};

}  // namespace VellSelectAccountPluginModel

// "jssdk::accountModule:selectAccount": the user chose an account.
class VellSelectAccountPlugin : public QObject, public VellV8ApiPluginAbstract {
  Q_OBJECT

 public:
  explicit VellSelectAccountPlugin(QObject* parent);
  void HandleFromCefProcessMessage(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                                   cef_process_id_t sourceProcess, const VellProcessMessage& message) override;

 signals:
  void FireSelectAccount(VellSelectAccountPluginModel::FireSelectAccountModel fireSelectAccountModel);
};

Q_DECLARE_METATYPE(VellSelectAccountPluginModel::FireSelectAccountModel)
