#include "plugins/browser_plugins/VellReloadWithoutCachePlugin.h"

VellReloadWithoutCachePlugin::VellReloadWithoutCachePlugin(QObject* parent) : QObject(parent) {}

void VellReloadWithoutCachePlugin::HandleFromCefProcessMessage(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                                                               cef_process_id_t, const VellProcessMessage& message) {
  // On the receiving thread, on the browser that asked.
  if (browser) browser->ReloadIgnoreCache();
  message.SendProcessMessage(PID_RENDERER, frame);
}
