#include "plugins/game_plugins/VellSeasonListPlugin.h"

VellSeasonListPlugin::VellSeasonListPlugin(QObject* parent) : QObject(parent) {
  qRegisterMetaType<VellSeasonListPluginModel::SeasonListResponseModel>(
      "VellSeasonListPluginModel::SeasonListResponseModel");
  qRegisterMetaType<VellSeasonListPluginModel::FireGetSeasonListCallback>(
      "VellSeasonListPluginModel::FireGetSeasonListCallback");
}

void VellSeasonListPlugin::HandleFromCefProcessMessage(CefRefPtr<CefBrowser>, CefRefPtr<CefFrame> frame,
                                                       cef_process_id_t, const VellProcessMessage& message) {
  CallbackFlow<VellSeasonListPluginModel::SeasonListResponseModel>(
      this, frame, message, &VellSeasonListPlugin::FireGetSeasonList, Answer::Direct);
}

std::shared_ptr<VellError> VellSeasonListPlugin::NotifySeasonListChanged(const VellWidget* widget,
                                                                         const std::string& text) {
  return _Notify(widget, "window.vell.gameModule.$$notifySeasonListChanged({});", text);
}
