#pragma once

#include <QMetaType>
#include <QObject>
#include <nlohmann/json.hpp>
#include <string>

#include "utils/VellJsonFieldReader.h"
#include "v8_api/VellV8ApiPluginAbstract.h"

namespace VellOpenGameServerDialogPluginModel {

struct RequestModel {
  std::string appCode;
  friend void from_json(const nlohmann::json& json, RequestModel& model) {
    VellJsonFieldReader::Read(json, "appCode", model.appCode);
  }
};

}  // namespace VellOpenGameServerDialogPluginModel

// "jssdk::uiModule:openGameServerDialog": open a game's server dialog.
class VellOpenGameServerDialogPlugin : public QObject, public VellV8ApiPluginAbstract {
  Q_OBJECT

 public:
  explicit VellOpenGameServerDialogPlugin(QObject* parent);
  void HandleFromCefProcessMessage(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                                   cef_process_id_t sourceProcess, const VellProcessMessage& message) override;

 signals:
  void FireOpenGameServerDialog(const VellOpenGameServerDialogPluginModel::RequestModel& requestModel);
};

Q_DECLARE_METATYPE(VellOpenGameServerDialogPluginModel::RequestModel)
