#include "plugins/account_plugins/VellRiskLimitResultPlugin.h"

VellRiskLimitResultPlugin::VellRiskLimitResultPlugin(QObject* parent) : QObject(parent) {
  qRegisterMetaType<VellRiskLimitResultPluginModel::FireRiskLimitResultModel>(
      "VellRiskLimitResultPluginModel::FireRiskLimitResultModel");
}

void VellRiskLimitResultPlugin::HandleFromCefProcessMessage(CefRefPtr<CefBrowser>, CefRefPtr<CefFrame> frame,
                                                            cef_process_id_t, const VellProcessMessage& message) {
  EmitFlow<VellRiskLimitResultPluginModel::FireRiskLimitResultModel>(this, frame, message,
                                                                     &VellRiskLimitResultPlugin::FireRiskLimitResult);
}
