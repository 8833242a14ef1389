#include "plugins/game_plugins/VellGameRecordPlugin.h"

VellGameRecordPlugin::VellGameRecordPlugin(QObject* parent) : QObject(parent) {
  qRegisterMetaType<VellGameRecordPluginModel::FireGetGameRecordModel>(
      "VellGameRecordPluginModel::FireGetGameRecordModel");
  qRegisterMetaType<VellGameRecordPluginModel::GameRecordResponseModel>(
      "VellGameRecordPluginModel::GameRecordResponseModel");
  qRegisterMetaType<VellGameRecordPluginModel::FireGetGameRecordCallback>(
      "VellGameRecordPluginModel::FireGetGameRecordCallback");
}

void VellGameRecordPlugin::HandleFromCefProcessMessage(CefRefPtr<CefBrowser>, CefRefPtr<CefFrame> frame,
                                                       cef_process_id_t, const VellProcessMessage& message) {
  CallbackFlow<VellGameRecordPluginModel::FireGetGameRecordModel, VellGameRecordPluginModel::GameRecordResponseModel>(
      this, frame, message, &VellGameRecordPlugin::FireGetGameRecord, Answer::Direct);
}

std::shared_ptr<VellError> VellGameRecordPlugin::NotifyGameRecordChanged(const VellWidget* widget,
                                                                         const std::string& text) {
  return _Notify(widget, "window.vell.gameModule.$$notifyGameRecordChanged({});", text);
}
