#include "plugins/basic_plugins/VellPingPongPlugin.h"

VellPingPongPlugin::VellPingPongPlugin(QObject* parent) : QObject(parent) {
  qRegisterMetaType<VellPingPongPluginModel::RequestModel>("VellPingPongPluginModel::RequestModel");
  qRegisterMetaType<FirePingPongCallback>("FirePingPongCallback");
}

void VellPingPongPlugin::HandleFromCefProcessMessage(CefRefPtr<CefBrowser>, CefRefPtr<CefFrame> frame,
                                                     cef_process_id_t, const VellProcessMessage& message) {
  CallbackFlow<RequestModel, ResponseModel>(this, frame, message, &VellPingPongPlugin::FirePingPong, Answer::Direct);
}
