#include "plugins/account_plugins/VellSelectAccountPlugin.h"

VellSelectAccountPlugin::VellSelectAccountPlugin(QObject* parent) : QObject(parent) {
  qRegisterMetaType<VellSelectAccountPluginModel::FireSelectAccountModel>(
      "VellSelectAccountPluginModel::FireSelectAccountModel");
}

void VellSelectAccountPlugin::HandleFromCefProcessMessage(CefRefPtr<CefBrowser>, CefRefPtr<CefFrame> frame,
                                                          cef_process_id_t, const VellProcessMessage& message) {
  EmitFlow<VellSelectAccountPluginModel::FireSelectAccountModel>(this, frame, message,
                                                                 &VellSelectAccountPlugin::FireSelectAccount);
}
