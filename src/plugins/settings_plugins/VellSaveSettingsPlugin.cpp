#include "plugins/settings_plugins/VellSaveSettingsPlugin.h"

VellSaveSettingsPlugin::VellSaveSettingsPlugin(QObject* parent) : QObject(parent) {
  qRegisterMetaType<VellSaveSettingsPluginModel::RequestModel>("VellSaveSettingsPluginModel::RequestModel");
}

void VellSaveSettingsPlugin::HandleFromCefProcessMessage(CefRefPtr<CefBrowser>, CefRefPtr<CefFrame> frame,
                                                         cef_process_id_t, const VellProcessMessage& message) {
  EmitFlow<VellSaveSettingsPluginModel::RequestModel>(this, frame, message, &VellSaveSettingsPlugin::FireSaveSettings);
}
