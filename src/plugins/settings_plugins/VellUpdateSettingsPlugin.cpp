#include "plugins/settings_plugins/VellUpdateSettingsPlugin.h"

VellUpdateSettingsPlugin::VellUpdateSettingsPlugin(QObject* parent) : QObject(parent) {
  qRegisterMetaType<std::string>("std::string");
}

void VellUpdateSettingsPlugin::HandleFromCefProcessMessage(CefRefPtr<CefBrowser>, CefRefPtr<CefFrame> frame,
                                                           cef_process_id_t, const VellProcessMessage& message) {
  EmitRawFlow(this, frame, message, &VellUpdateSettingsPlugin::FireUpdateSettings);
}
