#include "plugins/game_plugins/VellGetGameServerListPlugin.h"

VellGetGameServerListPlugin::VellGetGameServerListPlugin(QObject* parent) : QObject(parent) {
  qRegisterMetaType<VellGetGameServerListPluginModel::RequestModel>("VellGetGameServerListPluginModel::RequestModel");
  qRegisterMetaType<VellGetGameServerListPluginModel::ResponseModel>("VellGetGameServerListPluginModel::ResponseModel");
  qRegisterMetaType<VellGetGameServerListPluginModel::FireGetGameServerListCallback>(
      "VellGetGameServerListPluginModel::FireGetGameServerListCallback");
}

void VellGetGameServerListPlugin::HandleFromCefProcessMessage(CefRefPtr<CefBrowser>, CefRefPtr<CefFrame> frame,
                                                              cef_process_id_t, const VellProcessMessage& message) {
  CallbackFlow<VellGetGameServerListPluginModel::RequestModel, VellGetGameServerListPluginModel::ResponseModel>(
      this, frame, message, &VellGetGameServerListPlugin::FireGetGameServerList, Answer::Direct);
}
