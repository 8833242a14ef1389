#include "plugins/network_plugins/VellRequestPlugin.h"

VellRequestPlugin::VellRequestPlugin(QObject* parent) : QObject(parent) {
  qRegisterMetaType<VellRequestPluginModel::FireRequestModel>("VellRequestPluginModel::FireRequestModel");
  qRegisterMetaType<VellRequestPluginModel::FireRequestResponseModel>(
      "VellRequestPluginModel::FireRequestResponseModel");
  qRegisterMetaType<VellRequestPluginModel::FireRequestCallback>("VellRequestPluginModel::FireRequestCallback");
}

void VellRequestPlugin::HandleFromCefProcessMessage(CefRefPtr<CefBrowser>, CefRefPtr<CefFrame> frame, cef_process_id_t,
                                                    const VellProcessMessage& message) {
  CallbackFlow<VellRequestPluginModel::FireRequestModel, VellRequestPluginModel::FireRequestResponseModel>(
      this, frame, message, &VellRequestPlugin::FireRequest, Answer::Direct);
}
