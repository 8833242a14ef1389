#include "plugins/ui_plugins/VellCloseConfirmDialogPlugin.h"

VellCloseConfirmDialogPlugin::VellCloseConfirmDialogPlugin(QObject* parent) : QObject(parent) {
  qRegisterMetaType<VellCloseConfirmDialogPluginModel::RequestModel>("VellCloseConfirmDialogPluginModel::RequestModel");
}

void VellCloseConfirmDialogPlugin::HandleFromCefProcessMessage(CefRefPtr<CefBrowser>, CefRefPtr<CefFrame> frame,
                                                               cef_process_id_t, const VellProcessMessage& message) {
  EmitFlow<VellCloseConfirmDialogPluginModel::RequestModel>(this, frame, message,
                                                            &VellCloseConfirmDialogPlugin::FireCloseConfirmDialog);
}
