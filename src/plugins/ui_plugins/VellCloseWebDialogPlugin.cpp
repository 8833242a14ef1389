#include "plugins/ui_plugins/VellCloseWebDialogPlugin.h"

#include <algorithm>

#include "plugins/VellActionNames.h"
#include "utils/VellNlohmannJsonEnhance.h"

namespace {

// What the dialog types read from "payload".
struct InstallerPayload {
  std::string appCode;
  friend void from_json(const nlohmann::json& json, InstallerPayload& model) {
    VellJsonFieldReader::Read(json, "appCode", model.appCode);
  }
};

struct TakeOverPayload {
  std::string appCode;
  bool isTakeOver = false;
  friend void from_json(const nlohmann::json& json, TakeOverPayload& model) {
    VellJsonFieldReader::Read(json, "appCode", model.appCode);
    VellJsonFieldReader::Read(json, "isTakeOver", model.isTakeOver);
  }
};

}  // namespace

const std::string VellCloseWebDialogPlugin::kCloseDialog = "CloseDialog";
const std::string VellCloseWebDialogPlugin::kCloseInstallerDialog = "CloseInstallerDialog";
const std::string VellCloseWebDialogPlugin::kCloseTakeOverDialog = "CloseTakeOverDialog";
const std::string VellCloseWebDialogPlugin::kInvalidType = "InvalidType";

VellCloseWebDialogPlugin::VellCloseWebDialogPlugin(QObject* parent) : QObject(parent) {
  qRegisterMetaType<VellCloseWebDialogPluginModel::RequestModel>("VellCloseWebDialogPluginModel::RequestModel");
  qRegisterMetaType<std::string>("std::string");
}

void VellCloseWebDialogPlugin::HandleFromCefProcessMessage(CefRefPtr<CefBrowser>, CefRefPtr<CefFrame> frame,
                                                           cef_process_id_t, const VellProcessMessage& message) {
  VellProcessMessage copy = message;
  VellCloseWebDialogPluginModel::RequestModel model;
  if (!_ParseRequest(copy, frame, model)) return;
  const std::string& type = model.type;
  const std::string types[] = {kCloseDialog, kCloseInstallerDialog, kCloseTakeOverDialog};
  if (std::find(std::begin(types), std::end(types), type) == std::end(types)) {
    copy.SetErrorCode(kInvalidType);
    copy.SetErrorMessage("Invalid type = " + type);
    copy.SendProcessMessage(PID_RENDERER, frame);
    return;
  }
  // The two dialog types that read the payload check it here, before the call
  // is accepted: a payload they cannot use is answered once, with the parse
  // error, and nothing is emitted.
  std::shared_ptr<VellError> error;
  InstallerPayload installer;
  TakeOverPayload takeOver;
  if (type == kCloseInstallerDialog)
    installer = VellNlohmannJsonEnhance::Convert<InstallerPayload>(model.payload, copy.GetValue(), error);
  if (type == kCloseTakeOverDialog)
    takeOver = VellNlohmannJsonEnhance::Convert<TakeOverPayload>(model.payload, copy.GetValue(), error);
  if (error) {
    copy.SetErrorCode(VellActionNames::kParseValue2JsonError);
    copy.SetErrorMessage(error->GetErrorString());
    copy.SendProcessMessage(PID_RENDERER, frame);
    return;
  }
  _RunOnPluginThread(this, [this, type, installer, takeOver, copy, frame] {
    if (type == kCloseDialog) emit FireCloseDialog();
    if (type == kCloseInstallerDialog) emit FireCloseInstallerDialog(installer.appCode);
    if (type == kCloseTakeOverDialog) emit FireCloseTakeOverDialog(takeOver.appCode, takeOver.isTakeOver);
    copy.SendProcessMessage(PID_RENDERER, frame);
  });
}
