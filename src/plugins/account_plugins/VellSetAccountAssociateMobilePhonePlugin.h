#pragma once

#include <QMetaType>
#include <QObject>
#include <nlohmann/json.hpp>
#include <string>

#include "utils/VellJsonFieldReader.h"
#include "v8_api/VellV8ApiPluginAbstract.h"

namespace VellSetAccountAssociateMobilePhonePluginModel {

struct FireSetAccountAssociateMobilePhoneModel {
  std::string accountOpenId;
  std::string hashedMobileNumber;
  std::string maskedMobileNumber;
  friend void from_json(const nlohmann::json& json, FireSetAccountAssociateMobilePhoneModel& model) {
    VellJsonFieldReader::Read(json, "accountOpenId", model.accountOpenId);
    VellJsonFieldReader::Read(json, "hashedMobileNumber", model.hashedMobileNumber);
    VellJsonFieldReader::Read(json, "maskedMobileNumber", model.maskedMobileNumber);
  }
};

}  // namespace VellSetAccountAssociateMobilePhonePluginModel

// "jssdk::accountModule:setAccountAssociateMobilePhone": a mobile phone was bound to an account.
class VellSetAccountAssociateMobilePhonePlugin : public QObject, public VellV8ApiPluginAbstract {
  Q_OBJECT

 public:
  explicit VellSetAccountAssociateMobilePhonePlugin(QObject* parent);
  void HandleFromCefProcessMessage(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                                   cef_process_id_t sourceProcess, const VellProcessMessage& message) override;

 signals:
  void FireSetAccountAssociateMobilePhone(
      VellSetAccountAssociateMobilePhonePluginModel::FireSetAccountAssociateMobilePhoneModel
          fireSetAccountAssociateMobilePhoneModel);
};

Q_DECLARE_METATYPE(VellSetAccountAssociateMobilePhonePluginModel::FireSetAccountAssociateMobilePhoneModel)
