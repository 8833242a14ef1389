#include "plugins/game_plugins/VellGetGamePoliciesPlugin.h"

VellGetGamePoliciesPlugin::VellGetGamePoliciesPlugin(QObject* parent) : QObject(parent) {
  qRegisterMetaType<VellGetGamePoliciesPluginModel::RequestModel>("VellGetGamePoliciesPluginModel::RequestModel");
  qRegisterMetaType<VellGetGamePoliciesPlugin::FireGetGamePoliciesCallback>(
      "VellGetGamePoliciesPlugin::FireGetGamePoliciesCallback");
}

void VellGetGamePoliciesPlugin::HandleFromCefProcessMessage(CefRefPtr<CefBrowser>, CefRefPtr<CefFrame> frame,
                                                            cef_process_id_t, const VellProcessMessage& message) {
  CallbackFlow<VellGetGamePoliciesPluginModel::RequestModel, std::vector<VellGetGamePoliciesPluginModel::ResponseItem>>(
      this, frame, message, &VellGetGamePoliciesPlugin::FireGetGamePolicies, Answer::Posted);
}
