#pragma once

#include <QMetaType>
#include <QObject>
#include <functional>
#include <nlohmann/json.hpp>
#include <string>

#include "utils/VellJsonFieldReader.h"
#include "v8_api/VellV8ApiPluginAbstract.h"

namespace VellGetGameInstallerBasicInfoPluginModel {

struct RequestModel {
  std::string appCode;
  friend void from_json(const nlohmann::json& json, RequestModel& model) {
    VellJsonFieldReader::Read(json, "appCode", model.appCode);
  }
};

struct ResponseModel {
  std::string posterUrl;
  std::string appCode;
  std::string appName;
  std::string installPath;
  std::string needSpaceSize;
  std::string remainingSpaceSize;
  std::string appSize;
  bool isSpaceEnough = false;
  friend void to_json(nlohmann::json& json, const ResponseModel& model) {
    json = {{"posterUrl", model.posterUrl},
            {"appCode", model.appCode},
            {"appName", model.appName},
            {"installPath", model.installPath},
            {"needSpaceSize", model.needSpaceSize},
            {"remainingSpaceSize", model.remainingSpaceSize},
            {"appSize", model.appSize},
            {"isSpaceEnough", model.isSpaceEnough}};
  }
};

using FireGetGameInstallerBasicInfoCallback =
    std::function<void(const VellGetGameInstallerBasicInfoPluginModel::ResponseModel&)>;

}  // namespace VellGetGameInstallerBasicInfoPluginModel

// "jssdk::gameModule:data:getGameInstallerBasicInfo": what the installer shows about a game.
class VellGetGameInstallerBasicInfoPlugin : public QObject, public VellV8ApiPluginAbstract {
  Q_OBJECT

 public:
  explicit VellGetGameInstallerBasicInfoPlugin(QObject* parent);
  void HandleFromCefProcessMessage(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                                   cef_process_id_t sourceProcess, const VellProcessMessage& message) override;

 signals:
  void FireGetGameInstallerBasicInfo(
      const VellGetGameInstallerBasicInfoPluginModel::RequestModel& requestModel,
      VellGetGameInstallerBasicInfoPluginModel::FireGetGameInstallerBasicInfoCallback callback);
};

Q_DECLARE_METATYPE(VellGetGameInstallerBasicInfoPluginModel::RequestModel)
Q_DECLARE_METATYPE(VellGetGameInstallerBasicInfoPluginModel::ResponseModel)
Q_DECLARE_METATYPE(VellGetGameInstallerBasicInfoPluginModel::FireGetGameInstallerBasicInfoCallback)
