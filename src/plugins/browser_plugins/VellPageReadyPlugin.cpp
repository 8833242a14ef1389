#include "plugins/browser_plugins/VellPageReadyPlugin.h"

VellPageReadyPlugin::VellPageReadyPlugin(QObject* parent) : QObject(parent) {}

void VellPageReadyPlugin::HandleFromCefProcessMessage(CefRefPtr<CefBrowser>, CefRefPtr<CefFrame> frame,
                                                      cef_process_id_t, const VellProcessMessage& message) {
  EmitFlow(this, frame, message, &VellPageReadyPlugin::FirePageReady);
}
