#include "plugins/game_plugins/VellSwitchGamePlugin.h"

VellSwitchGamePlugin::VellSwitchGamePlugin(QObject* parent) : QObject(parent) {
  qRegisterMetaType<VellSwitchGamePluginModel::FireSwitchGameModel>("VellSwitchGamePluginModel::FireSwitchGameModel");
  qRegisterMetaType<VellSwitchGamePluginModel::FireSwitchGameRspModel>(
      "VellSwitchGamePluginModel::FireSwitchGameRspModel");
  qRegisterMetaType<VellSwitchGamePluginModel::FireSwitchGameCallback>(
      "VellSwitchGamePluginModel::FireSwitchGameCallback");
}

void VellSwitchGamePlugin::HandleFromCefProcessMessage(CefRefPtr<CefBrowser>, CefRefPtr<CefFrame> frame,
                                                       cef_process_id_t, const VellProcessMessage& message) {
  CallbackFlow<VellSwitchGamePluginModel::FireSwitchGameModel, VellSwitchGamePluginModel::FireSwitchGameRspModel>(
      this, frame, message, &VellSwitchGamePlugin::FireSwitchGame, Answer::Direct);
}
