#include "plugins/basic_plugins/VellGetRemoteConfigDataPlugin.h"

VellGetRemoteConfigDataPlugin::VellGetRemoteConfigDataPlugin(QObject* parent) : QObject(parent) {
  qRegisterMetaType<VellGetRemoteConfigDataPluginModel::ResponseModel>(
      "VellGetRemoteConfigDataPluginModel::ResponseModel");
  qRegisterMetaType<VellGetRemoteConfigDataPluginModel::FireGetRemoteConfigDataCallback>(
      "VellGetRemoteConfigDataPluginModel::FireGetRemoteConfigDataCallback");
}

void VellGetRemoteConfigDataPlugin::HandleFromCefProcessMessage(CefRefPtr<CefBrowser>, CefRefPtr<CefFrame> frame,
                                                                cef_process_id_t, const VellProcessMessage& message) {
  CallbackFlow<VellGetRemoteConfigDataPluginModel::ResponseModel>(
      this, frame, message, &VellGetRemoteConfigDataPlugin::FireGetRemoteConfigData, Answer::Direct);
}
