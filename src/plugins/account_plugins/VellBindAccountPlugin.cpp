#include "plugins/account_plugins/VellBindAccountPlugin.h"

VellBindAccountPlugin::VellBindAccountPlugin(QObject* parent) : QObject(parent) {
  qRegisterMetaType<VellBindAccountPluginModel::FireBindAccountModel>(
      "VellBindAccountPluginModel::FireBindAccountModel");
}

void VellBindAccountPlugin::HandleFromCefProcessMessage(CefRefPtr<CefBrowser>, CefRefPtr<CefFrame> frame,
                                                        cef_process_id_t, const VellProcessMessage& message) {
  EmitFlow<VellBindAccountPluginModel::FireBindAccountModel>(this, frame, message,
                                                             &VellBindAccountPlugin::FireBindAccount);
}
