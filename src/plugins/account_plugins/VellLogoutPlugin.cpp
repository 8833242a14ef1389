#include "plugins/account_plugins/VellLogoutPlugin.h"

VellLogoutPlugin::VellLogoutPlugin(QObject* parent) : QObject(parent) {}

void VellLogoutPlugin::HandleFromCefProcessMessage(CefRefPtr<CefBrowser>, CefRefPtr<CefFrame> frame, cef_process_id_t,
                                                   const VellProcessMessage& message) {
  EmitFlow(this, frame, message, &VellLogoutPlugin::FireLogout);
}
