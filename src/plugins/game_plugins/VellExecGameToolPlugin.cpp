#include "plugins/game_plugins/VellExecGameToolPlugin.h"

VellExecGameToolPlugin::VellExecGameToolPlugin(QObject* parent) : QObject(parent) {
  qRegisterMetaType<VellExecGameToolPluginModel::RequestModel>("VellExecGameToolPluginModel::RequestModel");
  qRegisterMetaType<VellExecGameToolPluginModel::ResponseModel>("VellExecGameToolPluginModel::ResponseModel");
  qRegisterMetaType<VellExecGameToolPluginModel::FireExecGameToolCallback>(
      "VellExecGameToolPluginModel::FireExecGameToolCallback");
}

void VellExecGameToolPlugin::HandleFromCefProcessMessage(CefRefPtr<CefBrowser>, CefRefPtr<CefFrame> frame,
                                                         cef_process_id_t, const VellProcessMessage& message) {
  CallbackFlow<VellExecGameToolPluginModel::RequestModel, VellExecGameToolPluginModel::ResponseModel>(
      this, frame, message, &VellExecGameToolPlugin::FireExecGameTool, Answer::Posted);
}
