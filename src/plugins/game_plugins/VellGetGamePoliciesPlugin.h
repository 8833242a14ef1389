#pragma once

#include <QMetaType>
#include <QObject>
#include <functional>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "utils/VellJsonFieldReader.h"
#include "v8_api/VellV8ApiPluginAbstract.h"

namespace VellGetGamePoliciesPluginModel {

struct ResponseItem {
  bool isChecked = false;
  std::string title;
  std::string href;
  friend void to_json(nlohmann::json& json, const ResponseItem& model) {
    json = {{"isChecked", model.isChecked}, {"title", model.title}, {"href", model.href}};
  }
};

struct RequestModel {
  std::string appCode;
  friend void from_json(const nlohmann::json& json, RequestModel& model) {
    VellJsonFieldReader::Read(json, "appCode", model.appCode);
  }
};

}  // namespace VellGetGamePoliciesPluginModel

// "jssdk::gameModule:data:getGamePolicies": the policies a game's user agrees to.
class VellGetGamePoliciesPlugin : public QObject, public VellV8ApiPluginAbstract {
  Q_OBJECT

 public:
  using FireGetGamePoliciesCallback = std::function<void(std::vector<VellGetGamePoliciesPluginModel::ResponseItem>)>;

  explicit VellGetGamePoliciesPlugin(QObject* parent);
  void HandleFromCefProcessMessage(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                                   cef_process_id_t sourceProcess, const VellProcessMessage& message) override;

 signals:
  void FireGetGamePolicies(const VellGetGamePoliciesPluginModel::RequestModel& requestModel,
                           const VellGetGamePoliciesPlugin::FireGetGamePoliciesCallback& callback);
};

Q_DECLARE_METATYPE(VellGetGamePoliciesPluginModel::RequestModel)
Q_DECLARE_METATYPE(VellGetGamePoliciesPlugin::FireGetGamePoliciesCallback)
