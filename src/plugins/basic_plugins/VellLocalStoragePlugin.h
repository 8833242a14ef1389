#pragma once

#include <QMetaType>
#include <QObject>
#include <functional>
#include <map>
#include <nlohmann/json.hpp>
#include <string>

#include "utils/VellJsonFieldReader.h"
#include "v8_api/VellV8ApiPluginAbstract.h"

namespace VellLocalStoragePluginModel {

struct FireLocalStorageModel {
  std::string url;
  nlohmann::json data;
  std::map<std::string, std::string> headers;
  std::string method;
  friend void from_json(const nlohmann::json& json, FireLocalStorageModel& model) {
    VellJsonFieldReader::Read(json, "url", model.url);
    VellJsonFieldReader::Read(json, "data", model.data);
    VellJsonFieldReader::Read(json, "headers", model.headers);
    VellJsonFieldReader::Read(json, "method", model.method);
  }
};

struct FireLocalStorageResponseModel {
  std::string strError;
  std::string strJson;
  friend void to_json(nlohmann::json& json, const FireLocalStorageResponseModel& model) {
    json = {{"strError", model.strError}, {"strJson", model.strJson}};
  }
};

using FireLocalStorageCallback = std::function<void(const VellLocalStoragePluginModel::FireLocalStorageResponseModel&)>;

}  // namespace VellLocalStoragePluginModel

// "jssdk::basicModule:localStorage": a key-value store kept by the host.
class VellLocalStoragePlugin : public QObject, public VellV8ApiPluginAbstract {
  Q_OBJECT

 public:
  explicit VellLocalStoragePlugin(QObject* parent);
  void HandleFromCefProcessMessage(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                                   cef_process_id_t sourceProcess, const VellProcessMessage& message) override;

 signals:
  void FireLocalStorage(VellLocalStoragePluginModel::FireLocalStorageModel fireLocalStorageModel,
                        const VellLocalStoragePluginModel::FireLocalStorageCallback& callback);
};

Q_DECLARE_METATYPE(VellLocalStoragePluginModel::FireLocalStorageModel)
Q_DECLARE_METATYPE(VellLocalStoragePluginModel::FireLocalStorageResponseModel)
Q_DECLARE_METATYPE(VellLocalStoragePluginModel::FireLocalStorageCallback)
