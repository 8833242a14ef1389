#include "plugins/account_plugins/VellGetLoginUserDataPlugin.h"

VellGetLoginUserDataPlugin::VellGetLoginUserDataPlugin(QObject* parent) : QObject(parent) {
  qRegisterMetaType<VellGetLoginUserDataPluginModel::FireGetLoginUserDataResponseModel>(
      "VellGetLoginUserDataPluginModel::FireGetLoginUserDataResponseModel");
  qRegisterMetaType<VellGetLoginUserDataPluginModel::FireGetLoginUserDataCallback>(
      "VellGetLoginUserDataPluginModel::FireGetLoginUserDataCallback");
}

void VellGetLoginUserDataPlugin::HandleFromCefProcessMessage(CefRefPtr<CefBrowser>, CefRefPtr<CefFrame> frame,
                                                             cef_process_id_t, const VellProcessMessage& message) {
  CallbackFlow<VellGetLoginUserDataPluginModel::FireGetLoginUserDataResponseModel>(
      this, frame, message, &VellGetLoginUserDataPlugin::FireGetLoginUserData, Answer::Direct);
}
