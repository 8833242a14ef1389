#pragma once

#include <QMetaType>
#include <QObject>
#include <functional>
#include <nlohmann/json.hpp>
#include <string>

#include "utils/VellJsonFieldReader.h"
#include "v8_api/VellV8ApiPluginAbstract.h"

namespace VellCreateGameTaskModel {

struct RequestModel {
  std::string appCode;
  std::string action;
  bool isPreDownload = false;
  friend void from_json(const nlohmann::json& json, RequestModel& model) {
    VellJsonFieldReader::Read(json, "appCode", model.appCode);
    VellJsonFieldReader::Read(json, "action", model.action);
    VellJsonFieldReader::Read(json, "isPreDownload", model.isPreDownload);
  }
};

struct ResponseModel {
  std::string strError;
  friend void to_json(nlohmann::json& json, const ResponseModel& model) { json = {{"strError", model.strError}}; }
};

using FireCreateGameTaskCallback = std::function<void(const VellCreateGameTaskModel::ResponseModel&)>;

}  // namespace VellCreateGameTaskModel

// "jssdk::gameModule:createGameTask": start a game task.
class VellCreateGameTaskPlugin : public QObject, public VellV8ApiPluginAbstract {
  Q_OBJECT

 public:
  explicit VellCreateGameTaskPlugin(QObject* parent);
  void HandleFromCefProcessMessage(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                                   cef_process_id_t sourceProcess, const VellProcessMessage& message) override;

 signals:
  void FireCreateGameTask(VellCreateGameTaskModel::RequestModel requestModel,
                          VellCreateGameTaskModel::FireCreateGameTaskCallback callback);
};

Q_DECLARE_METATYPE(VellCreateGameTaskModel::RequestModel)
Q_DECLARE_METATYPE(VellCreateGameTaskModel::ResponseModel)
Q_DECLARE_METATYPE(VellCreateGameTaskModel::FireCreateGameTaskCallback)
