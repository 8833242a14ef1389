#pragma once

#include <QMetaType>
#include <QObject>
#include <nlohmann/json.hpp>
#include <string>

#include "utils/VellJsonFieldReader.h"
#include "v8_api/VellV8ApiPluginAbstract.h"

namespace VellUnbindAccountPluginModel {

struct FireUnbindAccountModel {
  std::string accountOpenId;
  friend void from_json(const nlohmann::json& json, FireUnbindAccountModel& model) {
    VellJsonFieldReader::Read(json, "accountOpenId", model.accountOpenId);
  }
};

}  // namespace VellUnbindAccountPluginModel

// "jssdk::accountModule:unbindAccount": an account was unbound.
class VellUnbindAccountPlugin : public QObject, public VellV8ApiPluginAbstract {
  Q_OBJECT

 public:
  explicit VellUnbindAccountPlugin(QObject* parent);
  void HandleFromCefProcessMessage(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                                   cef_process_id_t sourceProcess, const VellProcessMessage& message) override;

 signals:
  void FireUnbindAccount(VellUnbindAccountPluginModel::FireUnbindAccountModel fireUnbindAccountModel);
};

Q_DECLARE_METATYPE(VellUnbindAccountPluginModel::FireUnbindAccountModel)
