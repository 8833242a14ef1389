#include "plugins/game_plugins/VellGetRatingSystemInfoPlugin.h"

VellGetRatingSystemInfoPlugin::VellGetRatingSystemInfoPlugin(QObject* parent) : QObject(parent) {
  qRegisterMetaType<VellGetRatingSystemInfoPluginModel::RequestModel>(
      "VellGetRatingSystemInfoPluginModel::RequestModel");
  qRegisterMetaType<VellGetRatingSystemInfoPlugin::FireGetRatingSystemInfoCallback>(
      "VellGetRatingSystemInfoPlugin::FireGetRatingSystemInfoCallback");
}

void VellGetRatingSystemInfoPlugin::HandleFromCefProcessMessage(CefRefPtr<CefBrowser>, CefRefPtr<CefFrame> frame,
                                                                cef_process_id_t, const VellProcessMessage& message) {
  CallbackFlow<VellGetRatingSystemInfoPluginModel::RequestModel,
               std::vector<VellGetRatingSystemInfoPluginModel::ResponseItem>>(
      this, frame, message, &VellGetRatingSystemInfoPlugin::FireGetRatingSystemInfo, Answer::Direct);
}
