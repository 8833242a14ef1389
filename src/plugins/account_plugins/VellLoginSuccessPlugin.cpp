#include "plugins/account_plugins/VellLoginSuccessPlugin.h"

VellLoginSuccessPlugin::VellLoginSuccessPlugin(QObject* parent) : QObject(parent) {
  qRegisterMetaType<VellLoginSuccessPluginModel::FireLoginSuccessModel>(
      "VellLoginSuccessPluginModel::FireLoginSuccessModel");
}

void VellLoginSuccessPlugin::HandleFromCefProcessMessage(CefRefPtr<CefBrowser>, CefRefPtr<CefFrame> frame,
                                                         cef_process_id_t, const VellProcessMessage& message) {
  EmitFlow<VellLoginSuccessPluginModel::FireLoginSuccessModel>(this, frame, message,
                                                               &VellLoginSuccessPlugin::FireLoginSuccess);
}

std::shared_ptr<VellError> VellLoginSuccessPlugin::NotifyAccountChanged(const VellWidget* widget,
                                                                        const std::string& text) {
  return _Notify(widget, "window.vell.accountModule.$$notifyAccountChanged({});", text);
}
