#pragma once

#include <QMetaType>
#include <QObject>
#include <functional>
#include <nlohmann/json.hpp>
#include <string>

#include "utils/VellJsonFieldReader.h"
#include "v8_api/VellV8ApiPluginAbstract.h"

namespace VellPingPongPluginModel {

struct RequestModel {
  std::string text;
  friend void from_json(const nlohmann::json& json, RequestModel& model) {
    VellJsonFieldReader::Read(json, "text", model.text);
  }
};

struct ResponseModel {
  std::string text;
  friend void to_json(nlohmann::json& json, const ResponseModel& model) { json = {{"text", model.text}}; }
};

using FirePingPongCallback = std::function<void(const VellPingPongPluginModel::ResponseModel&)>;

}  // namespace VellPingPongPluginModel

// "jssdk::basicModule:pingPong": an echo test; the host answers with a text.
class VellPingPongPlugin : public QObject, public VellV8ApiPluginAbstract {
  Q_OBJECT

 public:
  explicit VellPingPongPlugin(QObject* parent);
  void HandleFromCefProcessMessage(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                                   cef_process_id_t sourceProcess, const VellProcessMessage& message) override;

 signals:
  void FirePingPong(const VellPingPongPluginModel::RequestModel& requestModel,
                    VellPingPongPluginModel::FirePingPongCallback callback);
};

Q_DECLARE_METATYPE(VellPingPongPluginModel::RequestModel)
Q_DECLARE_METATYPE(VellPingPongPluginModel::ResponseModel)
Q_DECLARE_METATYPE(VellPingPongPluginModel::FirePingPongCallback)
