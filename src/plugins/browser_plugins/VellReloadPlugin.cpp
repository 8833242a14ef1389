#include "plugins/browser_plugins/VellReloadPlugin.h"

VellReloadPlugin::VellReloadPlugin(QObject* parent) : QObject(parent) {}

void VellReloadPlugin::HandleFromCefProcessMessage(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                                                   cef_process_id_t, const VellProcessMessage& message) {
  // On the receiving thread, on the browser that asked.
  if (browser) browser->Reload();
  message.SendProcessMessage(PID_RENDERER, frame);
}
