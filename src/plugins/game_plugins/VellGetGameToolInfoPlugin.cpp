#include "plugins/game_plugins/VellGetGameToolInfoPlugin.h"

VellGetGameToolInfoPlugin::VellGetGameToolInfoPlugin(QObject* parent) : QObject(parent) {
  qRegisterMetaType<VellGetGameToolInfoPluginModel::RequestModel>("VellGetGameToolInfoPluginModel::RequestModel");
  qRegisterMetaType<VellGetGameToolInfoPluginModel::FireGetGameToolInfoCallback>(
      "VellGetGameToolInfoPluginModel::FireGetGameToolInfoCallback");
}

void VellGetGameToolInfoPlugin::HandleFromCefProcessMessage(CefRefPtr<CefBrowser>, CefRefPtr<CefFrame> frame,
                                                            cef_process_id_t, const VellProcessMessage& message) {
  CallbackFlow<VellGetGameToolInfoPluginModel::RequestModel,
               std::vector<VellGetGameToolInfoPluginModel::ResponseModelItem>>(
      this, frame, message, &VellGetGameToolInfoPlugin::FireGetGameToolInfo, Answer::Posted);
}
