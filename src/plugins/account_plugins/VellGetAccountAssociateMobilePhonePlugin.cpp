#include "plugins/account_plugins/VellGetAccountAssociateMobilePhonePlugin.h"

VellGetAccountAssociateMobilePhonePlugin::VellGetAccountAssociateMobilePhonePlugin(QObject* parent) : QObject(parent) {
  qRegisterMetaType<VellGetAccountAssociateMobilePhonePluginModel::FireGetAccountAssociateMobilePhoneModel>(
      "VellGetAccountAssociateMobilePhonePluginModel::FireGetAccountAssociateMobilePhoneModel");
  qRegisterMetaType<VellGetAccountAssociateMobilePhonePluginModel::FireGetAccountAssociateMobilePhoneResponseModel>(
      "VellGetAccountAssociateMobilePhonePluginModel::FireGetAccountAssociateMobilePhoneResponseModel");
  qRegisterMetaType<VellGetAccountAssociateMobilePhonePluginModel::FireGetAccountAssociateMobilePhoneCallback>(
      "VellGetAccountAssociateMobilePhonePluginModel::FireGetAccountAssociateMobilePhoneCallback");
}

void VellGetAccountAssociateMobilePhonePlugin::HandleFromCefProcessMessage(CefRefPtr<CefBrowser>,
                                                                           CefRefPtr<CefFrame> frame, cef_process_id_t,
                                                                           const VellProcessMessage& message) {
  CallbackFlow<VellGetAccountAssociateMobilePhonePluginModel::FireGetAccountAssociateMobilePhoneModel,
               VellGetAccountAssociateMobilePhonePluginModel::FireGetAccountAssociateMobilePhoneResponseModel>(
      this, frame, message, &VellGetAccountAssociateMobilePhonePlugin::FireGetAccountAssociateMobilePhone,
      Answer::Posted);
}
