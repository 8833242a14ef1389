#pragma once

#include <QMetaType>
#include <QObject>
#include <functional>
#include <nlohmann/json.hpp>
#include <string>

#include "utils/VellJsonFieldReader.h"
#include "v8_api/VellV8ApiPluginAbstract.h"

namespace VellSelectInstallDirectoryPluginModelModel {

struct RequestModel {
  std::string appCode;
  friend void from_json(const nlohmann::json& json, RequestModel& model) {
    VellJsonFieldReader::Read(json, "appCode", model.appCode);
  }
};

using FireSelectInstallDirectoryCallback = std::function<void()>;

}  // namespace VellSelectInstallDirectoryPluginModelModel

// "jssdk::gameModule:selectInstallDirectory": choose an install directory; the host calls back to end the call.
class VellSelectInstallDirectoryPlugin : public QObject, public VellV8ApiPluginAbstract {
  Q_OBJECT

 public:
  explicit VellSelectInstallDirectoryPlugin(QObject* parent);
  void HandleFromCefProcessMessage(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                                   cef_process_id_t sourceProcess, const VellProcessMessage& message) override;

 signals:
  void FireSelectInstallDirectory(
      VellSelectInstallDirectoryPluginModelModel::RequestModel requestModel,
      VellSelectInstallDirectoryPluginModelModel::FireSelectInstallDirectoryCallback callback);
};

Q_DECLARE_METATYPE(VellSelectInstallDirectoryPluginModelModel::RequestModel)
Q_DECLARE_METATYPE(VellSelectInstallDirectoryPluginModelModel::FireSelectInstallDirectoryCallback)
