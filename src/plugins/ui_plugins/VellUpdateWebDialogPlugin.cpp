#include "plugins/ui_plugins/VellUpdateWebDialogPlugin.h"

VellUpdateWebDialogPlugin::VellUpdateWebDialogPlugin(QObject* parent) : QObject(parent) {
  qRegisterMetaType<VellUpdateWebDialogPluginModel::FireUpdateWebDialogModel>(
      "VellUpdateWebDialogPluginModel::FireUpdateWebDialogModel");
}

void VellUpdateWebDialogPlugin::HandleFromCefProcessMessage(CefRefPtr<CefBrowser>, CefRefPtr<CefFrame> frame,
                                                            cef_process_id_t, const VellProcessMessage& message) {
  EmitFlow<VellUpdateWebDialogPluginModel::FireUpdateWebDialogModel>(this, frame, message,
                                                                     &VellUpdateWebDialogPlugin::FireUpdateWebDialog);
}
