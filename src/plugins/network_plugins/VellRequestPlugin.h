#pragma once

#include <QMetaType>
#include <QObject>
#include <functional>
#include <map>
#include <nlohmann/json.hpp>
#include <string>

#include "utils/VellJsonFieldReader.h"
#include "v8_api/VellV8ApiPluginAbstract.h"

namespace VellRequestPluginModel {

struct FireRequestModel {
  std::string url;
  nlohmann::json data;
  std::map<std::string, std::string> headers;
  std::string method;
  friend void from_json(const nlohmann::json& json, FireRequestModel& model) {
    VellJsonFieldReader::Read(json, "url", model.url);
    VellJsonFieldReader::Read(json, "data", model.data);
    VellJsonFieldReader::Read(json, "headers", model.headers);
    VellJsonFieldReader::Read(json, "method", model.method);
  }
};

struct FireRequestResponseModel {
  std::string strError;
  std::string strJson;
  friend void to_json(nlohmann::json& json, const FireRequestResponseModel& model) {
    json = {{"strError", model.strError}, {"strJson", model.strJson}};
  }
};

using FireRequestCallback = std::function<void(const VellRequestPluginModel::FireRequestResponseModel&)>;

}  // namespace VellRequestPluginModel

// "jssdk::networkModule:request": a request the host performs (the framework does no network access).
class VellRequestPlugin : public QObject, public VellV8ApiPluginAbstract {
  Q_OBJECT

 public:
  explicit VellRequestPlugin(QObject* parent);
  void HandleFromCefProcessMessage(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                                   cef_process_id_t sourceProcess, const VellProcessMessage& message) override;

 signals:
  void FireRequest(VellRequestPluginModel::FireRequestModel fireRequestModel,
                   const VellRequestPluginModel::FireRequestCallback& callback);
};

Q_DECLARE_METATYPE(VellRequestPluginModel::FireRequestModel)
Q_DECLARE_METATYPE(VellRequestPluginModel::FireRequestResponseModel)
Q_DECLARE_METATYPE(VellRequestPluginModel::FireRequestCallback)
