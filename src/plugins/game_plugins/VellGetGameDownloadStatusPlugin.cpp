#include "plugins/game_plugins/VellGetGameDownloadStatusPlugin.h"

#include "base/VellLoggerAgent.h"
#include "core/VellWidget.h"

VellGetGameDownloadStatusPlugin::VellGetGameDownloadStatusPlugin(QObject* parent) : QObject(parent) {
  qRegisterMetaType<VellGetGameDownloadStatusModel::RequestModel>("VellGetGameDownloadStatusModel::RequestModel");
  qRegisterMetaType<VellGetGameDownloadStatusModel::ResponseModel>("VellGetGameDownloadStatusModel::ResponseModel");
  qRegisterMetaType<VellGetGameDownloadStatusModel::FireGetGameDownloadStatusCallback>(
      "VellGetGameDownloadStatusModel::FireGetGameDownloadStatusCallback");
}

void VellGetGameDownloadStatusPlugin::HandleFromCefProcessMessage(CefRefPtr<CefBrowser>, CefRefPtr<CefFrame> frame,
                                                                  cef_process_id_t, const VellProcessMessage& message) {
  CallbackFlow<VellGetGameDownloadStatusModel::RequestModel, VellGetGameDownloadStatusModel::ResponseModel>(
      this, frame, message, &VellGetGameDownloadStatusPlugin::FireGetGameDownloadStatus, Answer::Direct);
}

std::shared_ptr<VellError> VellGetGameDownloadStatusPlugin::NotifyGameDownloadStatusChanged(QPointer<VellWidget> widget,
                                                                                            const std::string& text,
                                                                                            bool skipIfUnchanged,
                                                                                            bool logIt) {
  if (!widget) return nullptr;
  if (skipIfUnchanged && text == m_strLastPushed) return nullptr;
  if (logIt) VellLog(LOGSEVERITY_INFO, "$$notifyGameDownloadStatusChanged: " + text);
  m_strLastPushed = text;
  return _Notify(widget.data(), "window.vell.gameModule.$$notifyGameDownloadStatusChanged({});", text);
}

std::shared_ptr<VellError> VellGetGameDownloadStatusPlugin::NotifyGameDownloadStatusChanged(
    QPointer<VellWidget> widget, const VellGetGameDownloadStatusModel::ResponseModel& status, bool skipIfUnchanged,
    bool logIt) {
  return NotifyGameDownloadStatusChanged(widget, _ToResponseJson(status), skipIfUnchanged, logIt);
}
