#pragma once

#include <QMetaType>
#include <QObject>
#include <functional>
#include <nlohmann/json.hpp>
#include <string>

#include "v8_api/VellV8ApiPluginAbstract.h"

namespace VellGetGameLibrariesPluginModel {

struct FireGetGameLibrariesResponseModel {
  std::string strError;
  std::string strJson;
  friend void to_json(nlohmann::json& json, const FireGetGameLibrariesResponseModel& model) {
    json = {{"strError", model.strError}, {"strJson", model.strJson}};
  }
};

using FireGetGameLibrariesCallback =
    std::function<void(const VellGetGameLibrariesPluginModel::FireGetGameLibrariesResponseModel&)>;

}  // namespace VellGetGameLibrariesPluginModel

// "jssdk::gameModule:data:getGameLibraries": the game libraries.
class VellGetGameLibrariesPlugin : public QObject, public VellV8ApiPluginAbstract {
  Q_OBJECT

 public:
  explicit VellGetGameLibrariesPlugin(QObject* parent);
  void HandleFromCefProcessMessage(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                                   cef_process_id_t sourceProcess, const VellProcessMessage& message) override;

 signals:
  void FireGetGameLibraries(const VellGetGameLibrariesPluginModel::FireGetGameLibrariesCallback& callback);
};

Q_DECLARE_METATYPE(VellGetGameLibrariesPluginModel::FireGetGameLibrariesResponseModel)
Q_DECLARE_METATYPE(VellGetGameLibrariesPluginModel::FireGetGameLibrariesCallback)
