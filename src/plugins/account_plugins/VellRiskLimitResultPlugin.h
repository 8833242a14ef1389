#pragma once

#include <QMetaType>
#include <QObject>
#include <nlohmann/json.hpp>
#include <string>

#include "utils/VellJsonFieldReader.h"
#include "v8_api/VellV8ApiPluginAbstract.h"

namespace VellRiskLimitResultPluginModel {

struct FireRiskLimitResultModel {
  std::string accountOpenId;
  std::string serialNumber;
  int loginType = 0;
  bool isAuthRemember = false;
  friend void from_json(const nlohmann::json& json, FireRiskLimitResultModel& model) {
    VellJsonFieldReader::Read(json, "accountOpenId", model.accountOpenId);
    VellJsonFieldReader::Read(json, "serialNumber", model.serialNumber);
    VellJsonFieldReader::Read(json, "loginType", model.loginType);
    VellJsonFieldReader::Read(json, "isAuthRemember", model.isAuthRemember);
  }
};

}  // namespace VellRiskLimitResultPluginModel

// "jssdk::accountModule:riskLimitResult": the outcome of a risk check.
class VellRiskLimitResultPlugin : public QObject, public VellV8ApiPluginAbstract {
  Q_OBJECT

 public:
  explicit VellRiskLimitResultPlugin(QObject* parent);
  void HandleFromCefProcessMessage(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                                   cef_process_id_t sourceProcess, const VellProcessMessage& message) override;

 signals:
  void FireRiskLimitResult(VellRiskLimitResultPluginModel::FireRiskLimitResultModel fireRiskLimitResultModel);
};

Q_DECLARE_METATYPE(VellRiskLimitResultPluginModel::FireRiskLimitResultModel)
