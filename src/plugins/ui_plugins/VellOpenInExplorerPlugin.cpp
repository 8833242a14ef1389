#include "plugins/ui_plugins/VellOpenInExplorerPlugin.h"

VellOpenInExplorerPlugin::VellOpenInExplorerPlugin(QObject* parent) : QObject(parent) {
  qRegisterMetaType<VellOpenInExplorerPluginModel::RequestModel>("VellOpenInExplorerPluginModel::RequestModel");
}

void VellOpenInExplorerPlugin::HandleFromCefProcessMessage(CefRefPtr<CefBrowser>, CefRefPtr<CefFrame> frame,
                                                           cef_process_id_t, const VellProcessMessage& message) {
  EmitFlow<VellOpenInExplorerPluginModel::RequestModel>(this, frame, message,
                                                        &VellOpenInExplorerPlugin::FireOpenInExplorer);
}
