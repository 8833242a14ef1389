#include "plugins/game_plugins/VellGetGameCurrentSelectedServerPlugin.h"

VellGetGameCurrentSelectedServerPlugin::VellGetGameCurrentSelectedServerPlugin(QObject* parent) : QObject(parent) {
  qRegisterMetaType<VellGetGameCurrentSelectedServerPluginModel::RequestModel>(
      "VellGetGameCurrentSelectedServerPluginModel::RequestModel");
  qRegisterMetaType<VellGetGameCurrentSelectedServerPluginModel::ResponseModel>(
      "VellGetGameCurrentSelectedServerPluginModel::ResponseModel");
  qRegisterMetaType<VellGetGameCurrentSelectedServerPluginModel::FireGetGameCurrentSelectedServerCallback>(
      "VellGetGameCurrentSelectedServerPluginModel::FireGetGameCurrentSelectedServerCallback");
}

void VellGetGameCurrentSelectedServerPlugin::HandleFromCefProcessMessage(CefRefPtr<CefBrowser>,
                                                                         CefRefPtr<CefFrame> frame, cef_process_id_t,
                                                                         const VellProcessMessage& message) {
  CallbackFlow<VellGetGameCurrentSelectedServerPluginModel::RequestModel,
               VellGetGameCurrentSelectedServerPluginModel::ResponseModel>(
      this, frame, message, &VellGetGameCurrentSelectedServerPlugin::FireGetGameCurrentSelectedServer, Answer::Direct);
}
