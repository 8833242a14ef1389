#include "plugins/game_plugins/VellGetGameInfoPlugin.h"

VellGetGameInfoPlugin::VellGetGameInfoPlugin(QObject* parent) : QObject(parent) {
  qRegisterMetaType<VellGetGameInfoPluginModel::RequestModel>("VellGetGameInfoPluginModel::RequestModel");
  qRegisterMetaType<VellGetGameInfoPluginModel::ResponseModel>("VellGetGameInfoPluginModel::ResponseModel");
  qRegisterMetaType<VellGetGameInfoPluginModel::FireGetGameInfoCallback>(
      "VellGetGameInfoPluginModel::FireGetGameInfoCallback");
}

void VellGetGameInfoPlugin::HandleFromCefProcessMessage(CefRefPtr<CefBrowser>, CefRefPtr<CefFrame> frame,
                                                        cef_process_id_t, const VellProcessMessage& message) {
  CallbackFlow<VellGetGameInfoPluginModel::RequestModel, VellGetGameInfoPluginModel::ResponseModel>(
      this, frame, message, &VellGetGameInfoPlugin::FireGetGameInfo, Answer::Direct);
}
