#include "plugins/browser_plugins/VellPageReadyPlugin.h"

void VellPageReadyPlugin::HandleFromCefProcessMessage(CefRefPtr<CefBrowser>, CefRefPtr<CefFrame> frame,
                                                      cef_process_id_t, const VellProcessMessage& message) {
  EmitFlow(this, frame, message, &VellPageReadyPlugin::FirePageReady);
}
