#include "plugins/game_plugins/VellGetGameZonePageConfigPlugin.h"

VellGetGameZonePageConfigPlugin::VellGetGameZonePageConfigPlugin(QObject* parent) : QObject(parent) {
  qRegisterMetaType<VellGetGameZonePageConfigPluginModel::RequestModel>(
      "VellGetGameZonePageConfigPluginModel::RequestModel");
  qRegisterMetaType<VellGetGameZonePageConfigPluginModel::ResponseModel>(
      "VellGetGameZonePageConfigPluginModel::ResponseModel");
  qRegisterMetaType<VellGetGameZonePageConfigPluginModel::FireGetGameZonePageConfigCallback>(
      "VellGetGameZonePageConfigPluginModel::FireGetGameZonePageConfigCallback");
}

void VellGetGameZonePageConfigPlugin::HandleFromCefProcessMessage(CefRefPtr<CefBrowser>, CefRefPtr<CefFrame> frame,
                                                                  cef_process_id_t, const VellProcessMessage& message) {
  CallbackFlow<VellGetGameZonePageConfigPluginModel::RequestModel, VellGetGameZonePageConfigPluginModel::ResponseModel>(
      this, frame, message, &VellGetGameZonePageConfigPlugin::FireGetGameZonePageConfig, Answer::Direct);
}
