#pragma once

#include <QMetaType>
#include <QObject>
#include <functional>
#include <nlohmann/json.hpp>
#include <string>

#include "utils/VellJsonFieldReader.h"
#include "v8_api/VellV8ApiPluginAbstract.h"

namespace VellGetAccountAssociateMobilePhonePluginModel {

struct FireGetAccountAssociateMobilePhoneModel {
  std::string accountOpenId;
  friend void from_json(const nlohmann::json& json, FireGetAccountAssociateMobilePhoneModel& model) {
    VellJsonFieldReader::Read(json, "accountOpenId", model.accountOpenId);
  }
};

struct FireGetAccountAssociateMobilePhoneResponseModel {
  std::string hashedMobileNumber;
  std::string maskedMobileNumber;
  friend void to_json(nlohmann::json& json, const FireGetAccountAssociateMobilePhoneResponseModel& model) {
    json = {{"hashedMobileNumber", model.hashedMobileNumber}, {"maskedMobileNumber", model.maskedMobileNumber}};
  }
};

using FireGetAccountAssociateMobilePhoneCallback = std::function<void(
    const VellGetAccountAssociateMobilePhonePluginModel::FireGetAccountAssociateMobilePhoneResponseModel&)>;

}  // namespace VellGetAccountAssociateMobilePhonePluginModel

// "jssdk::accountModule:getAccountAssociateMobilePhone": the mobile phone bound to an account.
class VellGetAccountAssociateMobilePhonePlugin : public QObject, public VellV8ApiPluginAbstract {
  Q_OBJECT

 public:
  explicit VellGetAccountAssociateMobilePhonePlugin(QObject* parent);
  void HandleFromCefProcessMessage(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                                   cef_process_id_t sourceProcess, const VellProcessMessage& message) override;

 signals:
  void FireGetAccountAssociateMobilePhone(
      VellGetAccountAssociateMobilePhonePluginModel::FireGetAccountAssociateMobilePhoneModel
          fireGetAccountAssociateMobilePhoneModel,
      const VellGetAccountAssociateMobilePhonePluginModel::FireGetAccountAssociateMobilePhoneCallback& callback);
};

Q_DECLARE_METATYPE(VellGetAccountAssociateMobilePhonePluginModel::FireGetAccountAssociateMobilePhoneModel)
Q_DECLARE_METATYPE(VellGetAccountAssociateMobilePhonePluginModel::FireGetAccountAssociateMobilePhoneResponseModel)
Q_DECLARE_METATYPE(VellGetAccountAssociateMobilePhonePluginModel::FireGetAccountAssociateMobilePhoneCallback)
