#include "plugins/ui_plugins/VellOpenWebDialogPlugin.h"

VellOpenWebDialogPlugin::VellOpenWebDialogPlugin(QObject* parent) : QObject(parent) {
  qRegisterMetaType<VellOpenWebDialogPluginModel::FireOpenWebDialogModel>(
      "VellOpenWebDialogPluginModel::FireOpenWebDialogModel");
}

void VellOpenWebDialogPlugin::HandleFromCefProcessMessage(CefRefPtr<CefBrowser>, CefRefPtr<CefFrame> frame,
                                                          cef_process_id_t, const VellProcessMessage& message) {
  EmitFlow<VellOpenWebDialogPluginModel::FireOpenWebDialogModel>(this, frame, message,
                                                                 &VellOpenWebDialogPlugin::FireOpenWebDialog);
}
