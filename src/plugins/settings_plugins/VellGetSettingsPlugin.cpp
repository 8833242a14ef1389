#include "plugins/settings_plugins/VellGetSettingsPlugin.h"

VellGetSettingsPlugin::VellGetSettingsPlugin(QObject* parent) : QObject(parent) {
  qRegisterMetaType<VellGetSettingsPluginModel::ResponseModel>("VellGetSettingsPluginModel::ResponseModel");
  qRegisterMetaType<VellGetSettingsPluginModel::FireGetSettingsCallback>(
      "VellGetSettingsPluginModel::FireGetSettingsCallback");
}

void VellGetSettingsPlugin::HandleFromCefProcessMessage(CefRefPtr<CefBrowser>, CefRefPtr<CefFrame> frame,
                                                        cef_process_id_t, const VellProcessMessage& message) {
  CallbackFlow<VellGetSettingsPluginModel::ResponseModel>(this, frame, message, &VellGetSettingsPlugin::FireGetSettings,
                                                          Answer::Direct);
}
