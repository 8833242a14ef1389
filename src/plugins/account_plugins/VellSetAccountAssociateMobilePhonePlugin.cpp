#include "plugins/account_plugins/VellSetAccountAssociateMobilePhonePlugin.h"

VellSetAccountAssociateMobilePhonePlugin::VellSetAccountAssociateMobilePhonePlugin(QObject* parent) : QObject(parent) {
  qRegisterMetaType<VellSetAccountAssociateMobilePhonePluginModel::FireSetAccountAssociateMobilePhoneModel>(
      "VellSetAccountAssociateMobilePhonePluginModel::FireSetAccountAssociateMobilePhoneModel");
}

void VellSetAccountAssociateMobilePhonePlugin::HandleFromCefProcessMessage(CefRefPtr<CefBrowser>,
                                                                           CefRefPtr<CefFrame> frame, cef_process_id_t,
                                                                           const VellProcessMessage& message) {
  EmitFlow<VellSetAccountAssociateMobilePhonePluginModel::FireSetAccountAssociateMobilePhoneModel>(
      this, frame, message, &VellSetAccountAssociateMobilePhonePlugin::FireSetAccountAssociateMobilePhone);
}
