#include "plugins/game_plugins/VellCreateGameTaskPlugin.h"

VellCreateGameTaskPlugin::VellCreateGameTaskPlugin(QObject* parent) : QObject(parent) {
  qRegisterMetaType<VellCreateGameTaskModel::RequestModel>("VellCreateGameTaskModel::RequestModel");
  qRegisterMetaType<VellCreateGameTaskModel::ResponseModel>("VellCreateGameTaskModel::ResponseModel");
  qRegisterMetaType<VellCreateGameTaskModel::FireCreateGameTaskCallback>(
      "VellCreateGameTaskModel::FireCreateGameTaskCallback");
}

void VellCreateGameTaskPlugin::HandleFromCefProcessMessage(CefRefPtr<CefBrowser>, CefRefPtr<CefFrame> frame,
                                                           cef_process_id_t, const VellProcessMessage& message) {
  CallbackFlow<VellCreateGameTaskModel::RequestModel, VellCreateGameTaskModel::ResponseModel>(
      this, frame, message, &VellCreateGameTaskPlugin::FireCreateGameTask, Answer::Direct);
}
