#include "plugins/game_plugins/VellGetGameLibrariesPlugin.h"

VellGetGameLibrariesPlugin::VellGetGameLibrariesPlugin(QObject* parent) : QObject(parent) {
  qRegisterMetaType<VellGetGameLibrariesPluginModel::FireGetGameLibrariesResponseModel>(
      "VellGetGameLibrariesPluginModel::FireGetGameLibrariesResponseModel");
  qRegisterMetaType<VellGetGameLibrariesPluginModel::FireGetGameLibrariesCallback>(
      "VellGetGameLibrariesPluginModel::FireGetGameLibrariesCallback");
}

void VellGetGameLibrariesPlugin::HandleFromCefProcessMessage(CefRefPtr<CefBrowser>, CefRefPtr<CefFrame> frame,
                                                             cef_process_id_t, const VellProcessMessage& message) {
  CallbackFlow<VellGetGameLibrariesPluginModel::FireGetGameLibrariesResponseModel>(
      this, frame, message, &VellGetGameLibrariesPlugin::FireGetGameLibraries, Answer::Direct);
}
