#include "plugins/ui_plugins/VellOpenGameServerDialogPlugin.h"

VellOpenGameServerDialogPlugin::VellOpenGameServerDialogPlugin(QObject* parent) : QObject(parent) {
  qRegisterMetaType<VellOpenGameServerDialogPluginModel::RequestModel>(
      "VellOpenGameServerDialogPluginModel::RequestModel");
}

void VellOpenGameServerDialogPlugin::HandleFromCefProcessMessage(CefRefPtr<CefBrowser>, CefRefPtr<CefFrame> frame,
                                                                 cef_process_id_t, const VellProcessMessage& message) {
  EmitFlow<VellOpenGameServerDialogPluginModel::RequestModel>(
      this, frame, message, &VellOpenGameServerDialogPlugin::FireOpenGameServerDialog);
}
