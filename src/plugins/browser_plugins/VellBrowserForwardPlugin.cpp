#include "plugins/browser_plugins/VellBrowserForwardPlugin.h"

VellBrowserForwardPlugin::VellBrowserForwardPlugin(QObject* parent) : QObject(parent) {}

void VellBrowserForwardPlugin::HandleFromCefProcessMessage(CefRefPtr<CefBrowser>, CefRefPtr<CefFrame> frame,
                                                           cef_process_id_t, const VellProcessMessage& message) {
  EmitFlow(this, frame, message, &VellBrowserForwardPlugin::FireBrowserForward);
}
