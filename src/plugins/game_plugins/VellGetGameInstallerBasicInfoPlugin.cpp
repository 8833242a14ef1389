#include "plugins/game_plugins/VellGetGameInstallerBasicInfoPlugin.h"

VellGetGameInstallerBasicInfoPlugin::VellGetGameInstallerBasicInfoPlugin(QObject* parent) : QObject(parent) {
  qRegisterMetaType<VellGetGameInstallerBasicInfoPluginModel::RequestModel>(
      "VellGetGameInstallerBasicInfoPluginModel::RequestModel");
  qRegisterMetaType<VellGetGameInstallerBasicInfoPluginModel::ResponseModel>(
      "VellGetGameInstallerBasicInfoPluginModel::ResponseModel");
  qRegisterMetaType<VellGetGameInstallerBasicInfoPluginModel::FireGetGameInstallerBasicInfoCallback>(
      "VellGetGameInstallerBasicInfoPluginModel::FireGetGameInstallerBasicInfoCallback");
}

void VellGetGameInstallerBasicInfoPlugin::HandleFromCefProcessMessage(CefRefPtr<CefBrowser>, CefRefPtr<CefFrame> frame,
                                                                      cef_process_id_t,
                                                                      const VellProcessMessage& message) {
  CallbackFlow<VellGetGameInstallerBasicInfoPluginModel::RequestModel,
               VellGetGameInstallerBasicInfoPluginModel::ResponseModel>(
      this, frame, message, &VellGetGameInstallerBasicInfoPlugin::FireGetGameInstallerBasicInfo, Answer::Direct);
}
