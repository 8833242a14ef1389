#include "plugins/game_plugins/VellAddGamePlugin.h"

VellAddGamePlugin::VellAddGamePlugin(QObject* parent) : QObject(parent) {
  qRegisterMetaType<VellAddGamePluginModel::FireAddGameModel>("VellAddGamePluginModel::FireAddGameModel");
}

void VellAddGamePlugin::HandleFromCefProcessMessage(CefRefPtr<CefBrowser>, CefRefPtr<CefFrame> frame, cef_process_id_t,
                                                    const VellProcessMessage& message) {
  EmitFlow<VellAddGamePluginModel::FireAddGameModel>(this, frame, message, &VellAddGamePlugin::FireAddGame);
}
