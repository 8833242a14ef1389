#pragma once

#include <QMetaType>
#include <QObject>
#include <nlohmann/json.hpp>
#include <string>

#include "utils/VellJsonFieldReader.h"
#include "v8_api/VellV8ApiPluginAbstract.h"

namespace VellOpenInExplorerPluginModel {

struct RequestModel {
  std::string path;
  friend void from_json(const nlohmann::json& json, RequestModel& model) {
    VellJsonFieldReader::Read(json, "path", model.path);
  }
};

}  // namespace VellOpenInExplorerPluginModel

// "jssdk::uiModule:openInExplorer": open a path in the file manager.
class VellOpenInExplorerPlugin : public QObject, public VellV8ApiPluginAbstract {
  Q_OBJECT

 public:
  explicit VellOpenInExplorerPlugin(QObject* parent);
  void HandleFromCefProcessMessage(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                                   cef_process_id_t sourceProcess, const VellProcessMessage& message) override;

 signals:
  void FireOpenInExplorer(VellOpenInExplorerPluginModel::RequestModel requestModel);
};

Q_DECLARE_METATYPE(VellOpenInExplorerPluginModel::RequestModel)
