#include "plugins/ui_plugins/VellCloseCurrentWebDialogPlugin.h"

VellCloseCurrentWebDialogPlugin::VellCloseCurrentWebDialogPlugin(QObject* parent) : QObject(parent) {}

void VellCloseCurrentWebDialogPlugin::HandleFromCefProcessMessage(CefRefPtr<CefBrowser>, CefRefPtr<CefFrame> frame,
                                                                  cef_process_id_t, const VellProcessMessage& message) {
  EmitFlow(this, frame, message, &VellCloseCurrentWebDialogPlugin::FireCloseCurrentWebDialog);
}
