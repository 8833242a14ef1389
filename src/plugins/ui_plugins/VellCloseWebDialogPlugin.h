#pragma once

#include <QMetaType>
#include <QObject>
#include <nlohmann/json.hpp>
#include <string>

#include "utils/VellJsonFieldReader.h"
#include "utils/VellMetaTypes.h"
#include "v8_api/VellV8ApiPluginAbstract.h"

namespace VellCloseWebDialogPluginModel {

struct RequestModel {
  std::string type;
  nlohmann::json payload;
  friend void from_json(const nlohmann::json& json, RequestModel& model) {
    VellJsonFieldReader::Read(json, "type", model.type);
    VellJsonFieldReader::Read(json, "payload", model.payload);
  }
};

}  // namespace VellCloseWebDialogPluginModel

// "jssdk::uiModule:closeWebDialog": close a web dialog, by type.
class VellCloseWebDialogPlugin : public QObject, public VellV8ApiPluginAbstract {
  Q_OBJECT

 public:
  static const std::string kCloseDialog;
  static const std::string kCloseInstallerDialog;
  static const std::string kCloseTakeOverDialog;
  static const std::string kInvalidType;

  explicit VellCloseWebDialogPlugin(QObject* parent);
  void HandleFromCefProcessMessage(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                                   cef_process_id_t sourceProcess, const VellProcessMessage& message) override;

 signals:
  void FireCloseDialog();
  void FireCloseInstallerDialog(const std::string& strAppCode);
  void FireCloseTakeOverDialog(const std::string& strAppCode, bool bTakeOver);
};

Q_DECLARE_METATYPE(VellCloseWebDialogPluginModel::RequestModel)
