#include "plugins/game_plugins/VellSeasonDataPlugin.h"

VellSeasonDataPlugin::VellSeasonDataPlugin(QObject* parent) : QObject(parent) {
  qRegisterMetaType<VellSeasonDataPluginModel::FireGetSeasonDataModel>(
      "VellSeasonDataPluginModel::FireGetSeasonDataModel");
  qRegisterMetaType<VellSeasonDataPluginModel::SeasonDataResponseModel>(
      "VellSeasonDataPluginModel::SeasonDataResponseModel");
  qRegisterMetaType<VellSeasonDataPluginModel::FireGetSeasonDataCallback>(
      "VellSeasonDataPluginModel::FireGetSeasonDataCallback");
}

void VellSeasonDataPlugin::HandleFromCefProcessMessage(CefRefPtr<CefBrowser>, CefRefPtr<CefFrame> frame,
                                                       cef_process_id_t, const VellProcessMessage& message) {
  CallbackFlow<VellSeasonDataPluginModel::FireGetSeasonDataModel, VellSeasonDataPluginModel::SeasonDataResponseModel>(
      this, frame, message, &VellSeasonDataPlugin::FireGetSeasonData, Answer::Direct);
}

std::shared_ptr<VellError> VellSeasonDataPlugin::NotifySeasonDataChanged(const VellWidget* widget,
                                                                         const std::string& text) {
  return _Notify(widget, "window.vell.gameModule.$$notifySeasonDataChanged({});", text);
}
