#include "plugins/game_plugins/VellGetGameRecentServerListPlugin.h"

VellGetGameRecentServerListPlugin::VellGetGameRecentServerListPlugin(QObject* parent) : QObject(parent) {
  qRegisterMetaType<VellGetGameRecentServerListPluginModel::RequestModel>(
      "VellGetGameRecentServerListPluginModel::RequestModel");
  qRegisterMetaType<VellGetGameRecentServerListPluginModel::ResponseModel>(
      "VellGetGameRecentServerListPluginModel::ResponseModel");
  qRegisterMetaType<VellGetGameRecentServerListPluginModel::FireGetGameRecentServerListCallback>(
      "VellGetGameRecentServerListPluginModel::FireGetGameRecentServerListCallback");
}

void VellGetGameRecentServerListPlugin::HandleFromCefProcessMessage(CefRefPtr<CefBrowser>, CefRefPtr<CefFrame> frame,
                                                                    cef_process_id_t,
                                                                    const VellProcessMessage& message) {
  CallbackFlow<VellGetGameRecentServerListPluginModel::RequestModel,
               VellGetGameRecentServerListPluginModel::ResponseModel>(
      this, frame, message, &VellGetGameRecentServerListPlugin::FireGetGameRecentServerList, Answer::Direct);
}
