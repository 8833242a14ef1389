#include "plugins/account_plugins/VellUnbindAccountPlugin.h"

VellUnbindAccountPlugin::VellUnbindAccountPlugin(QObject* parent) : QObject(parent) {
  qRegisterMetaType<VellUnbindAccountPluginModel::FireUnbindAccountModel>(
      "VellUnbindAccountPluginModel::FireUnbindAccountModel");
}

void VellUnbindAccountPlugin::HandleFromCefProcessMessage(CefRefPtr<CefBrowser>, CefRefPtr<CefFrame> frame,
                                                          cef_process_id_t, const VellProcessMessage& message) {
  EmitFlow<VellUnbindAccountPluginModel::FireUnbindAccountModel>(this, frame, message,
                                                                 &VellUnbindAccountPlugin::FireUnbindAccount);
}
