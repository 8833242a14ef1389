#pragma once

#include <QMetaType>
#include <QObject>
#include <functional>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "utils/VellJsonFieldReader.h"
#include "v8_api/VellV8ApiPluginAbstract.h"

namespace VellGetGameToolInfoPluginModel {

struct ResponseModelItem {
  std::string action;
  std::string name;
  std::string desc;
  std::string relativePath;
  std::string executePath;
  std::string iconSrc;
  std::string url;
  friend void to_json(nlohmann::json& json, const ResponseModelItem& model) {
    json = {{"action", model.action},
            {"name", model.name},
            {"desc", model.desc},
            {"relativePath", model.relativePath},
            {"executePath", model.executePath},
            {"iconSrc", model.iconSrc},
            {"url", model.url}};
  }
};

struct RequestModel {
  std::string appCode;
  friend void from_json(const nlohmann::json& json, RequestModel& model) {
    VellJsonFieldReader::Read(json, "appCode", model.appCode);
  }
};

using FireGetGameToolInfoCallback =
    std::function<void(const std::vector<VellGetGameToolInfoPluginModel::ResponseModelItem>&)>;

}  // namespace VellGetGameToolInfoPluginModel

// "jssdk::gameModule:data:getGameToolInfo": a game's tools.
class VellGetGameToolInfoPlugin : public QObject, public VellV8ApiPluginAbstract {
  Q_OBJECT

 public:
  explicit VellGetGameToolInfoPlugin(QObject* parent);
  void HandleFromCefProcessMessage(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                                   cef_process_id_t sourceProcess, const VellProcessMessage& message) override;

 signals:
  void FireGetGameToolInfo(VellGetGameToolInfoPluginModel::RequestModel requestModel,
                           const VellGetGameToolInfoPluginModel::FireGetGameToolInfoCallback& callback);
};

Q_DECLARE_METATYPE(VellGetGameToolInfoPluginModel::RequestModel)
Q_DECLARE_METATYPE(VellGetGameToolInfoPluginModel::FireGetGameToolInfoCallback)
