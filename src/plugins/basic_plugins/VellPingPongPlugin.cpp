#include "plugins/basic_plugins/VellPingPongPlugin.h"

VellPingPongPlugin::VellPingPongPlugin(QObject* parent) : QObject(parent) {
  qRegisterMetaType<VellPingPongPluginModel::RequestModel>("VellPingPongPluginModel::RequestModel");
  qRegisterMetaType<VellPingPongPluginModel::ResponseModel>("VellPingPongPluginModel::ResponseModel");
  qRegisterMetaType<VellPingPongPluginModel::FirePingPongCallback>("VellPingPongPluginModel::FirePingPongCallback");
}

void VellPingPongPlugin::HandleFromCefProcessMessage(CefRefPtr<CefBrowser>, CefRefPtr<CefFrame> frame, cef_process_id_t,
                                                     const VellProcessMessage& message) {
  CallbackFlow<VellPingPongPluginModel::RequestModel, VellPingPongPluginModel::ResponseModel>(
      this, frame, message, &VellPingPongPlugin::FirePingPong, Answer::Direct);
}
