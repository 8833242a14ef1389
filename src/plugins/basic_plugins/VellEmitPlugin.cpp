#include "plugins/basic_plugins/VellEmitPlugin.h"

#include <fmt/format.h>

void VellEmitPlugin::HandleFromCefProcessMessage(CefRefPtr<CefBrowser>, CefRefPtr<CefFrame> frame, cef_process_id_t,
                                                 const VellProcessMessage& message) {
  EmitRawFlow(this, frame, message, &VellEmitPlugin::FireEmit);
}

std::string VellEmitPlugin::GetBroadcastJsCode(const std::string& text) {
  return fmt::format("window.vell.basicModule.registerEmitHandler({})", text);
}
