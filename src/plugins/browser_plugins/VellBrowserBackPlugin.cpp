#include "plugins/browser_plugins/VellBrowserBackPlugin.h"

VellBrowserBackPlugin::VellBrowserBackPlugin(QObject* parent) : QObject(parent) {}

void VellBrowserBackPlugin::HandleFromCefProcessMessage(CefRefPtr<CefBrowser>, CefRefPtr<CefFrame> frame,
                                                        cef_process_id_t, const VellProcessMessage& message) {
  EmitFlow(this, frame, message, &VellBrowserBackPlugin::FireBrowserBack);
}
