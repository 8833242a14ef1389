#include "plugins/game_plugins/VellGetGameSelectionsPlugin.h"

VellGetGameSelectionsPlugin::VellGetGameSelectionsPlugin(QObject* parent) : QObject(parent) {
  qRegisterMetaType<VellGetGameSelectionsPlugin::FireGetGameSelectionsCallback>(
      "VellGetGameSelectionsPlugin::FireGetGameSelectionsCallback");
}

void VellGetGameSelectionsPlugin::HandleFromCefProcessMessage(CefRefPtr<CefBrowser>, CefRefPtr<CefFrame> frame,
                                                              cef_process_id_t, const VellProcessMessage& message) {
  CallbackFlow<std::vector<std::string>>(this, frame, message, &VellGetGameSelectionsPlugin::FireGetGameSelections,
                                         Answer::Direct);
}
