#pragma once

#include <QMetaType>
#include <QObject>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>

#include "utils/VellJsonFieldReader.h"
#include "v8_api/VellV8ApiPluginAbstract.h"

class VellWidget;

namespace VellSaveGameServerSelectionPluginModel {

struct RequestModel {
  std::string appCode;
  std::string serverId;
  friend void from_json(const nlohmann::json& json, RequestModel& model) {
    VellJsonFieldReader::Read(json, "appCode", model.appCode);
    VellJsonFieldReader::Read(json, "serverId", model.serverId);
  }
};

}  // namespace VellSaveGameServerSelectionPluginModel

// "jssdk::gameModule:saveGameServerSelection": save the chosen game server.
class VellSaveGameServerSelectionPlugin : public QObject, public VellV8ApiPluginAbstract {
  Q_OBJECT

 public:
  explicit VellSaveGameServerSelectionPlugin(QObject* parent);
  void HandleFromCefProcessMessage(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                                   cef_process_id_t sourceProcess, const VellProcessMessage& message) override;

  // The app code goes between single quotes verbatim: pass a plain code.
  static std::shared_ptr<VellError> NotifyGameCurrentSelectedServerChanged(const VellWidget* widget,
                                                                           const std::string& appCode);

 signals:
  void FireSaveGameServerSelection(VellSaveGameServerSelectionPluginModel::RequestModel requestModel);
};

Q_DECLARE_METATYPE(VellSaveGameServerSelectionPluginModel::RequestModel)
