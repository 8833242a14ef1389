#pragma once

#include <QMetaType>
#include <QObject>
#include <nlohmann/json.hpp>
#include <string>

#include "utils/VellJsonFieldReader.h"
#include "v8_api/VellV8ApiPluginAbstract.h"

namespace VellCloseConfirmDialogPluginModel {

struct RequestModel {
  bool isCheckBoxChecked = false;
  int action = 0;
  friend void from_json(const nlohmann::json& json, RequestModel& model) {
    VellJsonFieldReader::Read(json, "isCheckBoxChecked", model.isCheckBoxChecked);
    VellJsonFieldReader::Read(json, "action", model.action);
  }
};

}  // namespace VellCloseConfirmDialogPluginModel

// "jssdk::uiModule:closeConfirmDialog": close the confirmation dialog.
class VellCloseConfirmDialogPlugin : public QObject, public VellV8ApiPluginAbstract {
  Q_OBJECT

 public:
  explicit VellCloseConfirmDialogPlugin(QObject* parent);
  void HandleFromCefProcessMessage(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                                   cef_process_id_t sourceProcess, const VellProcessMessage& message) override;

 signals:
  void FireCloseConfirmDialog(VellCloseConfirmDialogPluginModel::RequestModel requestModel);
};

Q_DECLARE_METATYPE(VellCloseConfirmDialogPluginModel::RequestModel)
