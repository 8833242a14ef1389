#include "plugins/basic_plugins/VellIsFirstLaunchPlugin.h"

VellIsFirstLaunchPlugin::VellIsFirstLaunchPlugin(QObject* parent) : QObject(parent) {
  qRegisterMetaType<VellIsFirstLaunchPluginModel::ResponseModel>("VellIsFirstLaunchPluginModel::ResponseModel");
  qRegisterMetaType<VellIsFirstLaunchPluginModel::FireIsFirstLaunchCallback>(
      "VellIsFirstLaunchPluginModel::FireIsFirstLaunchCallback");
}

void VellIsFirstLaunchPlugin::HandleFromCefProcessMessage(CefRefPtr<CefBrowser>, CefRefPtr<CefFrame> frame,
                                                          cef_process_id_t, const VellProcessMessage& message) {
  CallbackFlow<VellIsFirstLaunchPluginModel::ResponseModel>(
      this, frame, message, &VellIsFirstLaunchPlugin::FireIsFirstLaunch, Answer::Direct);
}
