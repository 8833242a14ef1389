#include "plugins/game_plugins/VellSaveGameServerSelectionPlugin.h"

VellSaveGameServerSelectionPlugin::VellSaveGameServerSelectionPlugin(QObject* parent) : QObject(parent) {
  qRegisterMetaType<VellSaveGameServerSelectionPluginModel::RequestModel>(
      "VellSaveGameServerSelectionPluginModel::RequestModel");
}

void VellSaveGameServerSelectionPlugin::HandleFromCefProcessMessage(CefRefPtr<CefBrowser>, CefRefPtr<CefFrame> frame,
                                                                    cef_process_id_t,
                                                                    const VellProcessMessage& message) {
  EmitFlow<VellSaveGameServerSelectionPluginModel::RequestModel>(
      this, frame, message, &VellSaveGameServerSelectionPlugin::FireSaveGameServerSelection);
}

std::shared_ptr<VellError> VellSaveGameServerSelectionPlugin::NotifyGameCurrentSelectedServerChanged(
    const VellWidget* widget, const std::string& appCode) {
  return _Notify(widget, "window.vell.gameModule.$$notifyGameCurrentSelectedServerChanged({{ appCode: '{}' }});",
                 appCode);
}
