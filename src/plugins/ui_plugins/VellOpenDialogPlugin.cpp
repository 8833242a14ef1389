#include "plugins/ui_plugins/VellOpenDialogPlugin.h"

VellOpenDialogPlugin::VellOpenDialogPlugin(QObject* parent) : QObject(parent) {
  qRegisterMetaType<VellOpenDialogPluginModel::FireOpenDialogModel>("VellOpenDialogPluginModel::FireOpenDialogModel");
}

void VellOpenDialogPlugin::HandleFromCefProcessMessage(CefRefPtr<CefBrowser>, CefRefPtr<CefFrame> frame,
                                                       cef_process_id_t, const VellProcessMessage& message) {
  EmitFlow<VellOpenDialogPluginModel::FireOpenDialogModel>(this, frame, message, &VellOpenDialogPlugin::FireOpenDialog);
}
