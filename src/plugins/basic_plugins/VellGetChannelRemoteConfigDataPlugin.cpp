#include "plugins/basic_plugins/VellGetChannelRemoteConfigDataPlugin.h"

VellGetChannelRemoteConfigDataPlugin::VellGetChannelRemoteConfigDataPlugin(QObject* parent) : QObject(parent) {
  qRegisterMetaType<VellGetChannelRemoteConfigDataPluginModel::ResponseModel>(
      "VellGetChannelRemoteConfigDataPluginModel::ResponseModel");
  qRegisterMetaType<VellGetChannelRemoteConfigDataPluginModel::FireGetChannelRemoteConfigDataCallback>(
      "VellGetChannelRemoteConfigDataPluginModel::FireGetChannelRemoteConfigDataCallback");
}

void VellGetChannelRemoteConfigDataPlugin::HandleFromCefProcessMessage(CefRefPtr<CefBrowser>, CefRefPtr<CefFrame> frame,
                                                                       cef_process_id_t,
                                                                       const VellProcessMessage& message) {
  CallbackFlow<VellGetChannelRemoteConfigDataPluginModel::ResponseModel>(
      this, frame, message, &VellGetChannelRemoteConfigDataPlugin::FireGetChannelRemoteConfigData, Answer::Direct);
}
