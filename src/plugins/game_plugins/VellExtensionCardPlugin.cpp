#include "plugins/game_plugins/VellExtensionCardPlugin.h"

VellExtensionCardPlugin::VellExtensionCardPlugin(QObject* parent) : QObject(parent) {
  qRegisterMetaType<VellExtensionCardPluginModel::ExtensionCardResponseModel>(
      "VellExtensionCardPluginModel::ExtensionCardResponseModel");
  qRegisterMetaType<VellExtensionCardPluginModel::FireGetExtensionCardCallback>(
      "VellExtensionCardPluginModel::FireGetExtensionCardCallback");
}

void VellExtensionCardPlugin::HandleFromCefProcessMessage(CefRefPtr<CefBrowser>, CefRefPtr<CefFrame> frame,
                                                          cef_process_id_t, const VellProcessMessage& message) {
  CallbackFlow<VellExtensionCardPluginModel::ExtensionCardResponseModel>(
      this, frame, message, &VellExtensionCardPlugin::FireGetExtensionCard, Answer::Direct);
}

std::shared_ptr<VellError> VellExtensionCardPlugin::NotifyExtensionCardChanged(const VellWidget* widget,
                                                                               const std::string& text) {
  return _Notify(widget, "window.vell.gameModule.$$notifyExtensionCardChanged({});", text);
}
