#pragma once

#include <QMetaType>
#include <QObject>
#include <functional>
#include <nlohmann/json.hpp>
#include <string>

#include "v8_api/VellV8ApiPluginAbstract.h"

namespace VellIsFirstLaunchPluginModel {

struct ResponseModel {
  bool isFirstLaunch = false;
  friend void to_json(nlohmann::json& json, const ResponseModel& model) {
    json = {{"isFirstLaunch", model.isFirstLaunch}};
  }
};

using FireIsFirstLaunchCallback = std::function<void(const VellIsFirstLaunchPluginModel::ResponseModel&)>;

}  // namespace VellIsFirstLaunchPluginModel

// "jssdk::basicModule:data:isFirstLaunch": whether this is the launcher's first start.
class VellIsFirstLaunchPlugin : public QObject, public VellV8ApiPluginAbstract {
  Q_OBJECT

 public:
  explicit VellIsFirstLaunchPlugin(QObject* parent);
  void HandleFromCefProcessMessage(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                                   cef_process_id_t sourceProcess, const VellProcessMessage& message) override;

 signals:
  void FireIsFirstLaunch(const VellIsFirstLaunchPluginModel::FireIsFirstLaunchCallback& callback);
};

Q_DECLARE_METATYPE(VellIsFirstLaunchPluginModel::ResponseModel)
Q_DECLARE_METATYPE(VellIsFirstLaunchPluginModel::FireIsFirstLaunchCallback)
