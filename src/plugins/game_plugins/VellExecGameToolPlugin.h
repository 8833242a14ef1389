#pragma once

#include <QMetaType>
#include <QObject>
#include <functional>
#include <nlohmann/json.hpp>
#include <string>

#include "utils/VellJsonFieldReader.h"
#include "v8_api/VellV8ApiPluginAbstract.h"

namespace VellExecGameToolPluginModel {

struct RequestModel {
  std::string appCode;
  std::string executePath;
  friend void from_json(const nlohmann::json& json, RequestModel& model) {
    VellJsonFieldReader::Read(json, "appCode", model.appCode);
    VellJsonFieldReader::Read(json, "executePath", model.executePath);
  }
};

struct ResponseModel {
  std::string strError;
  friend void to_json(nlohmann::json& json, const ResponseModel& model) { json = {{"strError", model.strError}}; }
};

using FireExecGameToolCallback = std::function<void(const VellExecGameToolPluginModel::ResponseModel&)>;

}  // namespace VellExecGameToolPluginModel

// "jssdk::gameModule:execGameTool": run a game tool.
class VellExecGameToolPlugin : public QObject, public VellV8ApiPluginAbstract {
  Q_OBJECT

 public:
  explicit VellExecGameToolPlugin(QObject* parent);
  void HandleFromCefProcessMessage(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                                   cef_process_id_t sourceProcess, const VellProcessMessage& message) override;

 signals:
  void FireExecGameTool(VellExecGameToolPluginModel::RequestModel requestModel,
                        const VellExecGameToolPluginModel::FireExecGameToolCallback& callback);
};

Q_DECLARE_METATYPE(VellExecGameToolPluginModel::RequestModel)
Q_DECLARE_METATYPE(VellExecGameToolPluginModel::ResponseModel)
Q_DECLARE_METATYPE(VellExecGameToolPluginModel::FireExecGameToolCallback)
