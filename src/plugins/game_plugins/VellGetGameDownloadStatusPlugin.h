#pragma once

#include <QMetaType>
#include <QObject>
#include <QPointer>
#include <functional>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>

#include "utils/VellJsonFieldReader.h"
#include "utils/VellMetaTypes.h"
#include "v8_api/VellV8ApiPluginAbstract.h"

class VellWidget;

namespace VellGetGameDownloadStatusModel {

struct RequestModel {
  std::string appCode;
  friend void from_json(const nlohmann::json& json, RequestModel& model) {
    VellJsonFieldReader::Read(json, "appCode", model.appCode);
  }
};

struct ResponseModel {
  std::string appCode;
  int uiStage = 0;
  std::string currentVersion;
  std::string nextVersion;
  double progress = 0.0;
  std::string msg;
  std::string errMsg;
  std::string speed;
  std::string time;
  bool isPreDownloadVisible = false;
  int downloadType = 0;
  bool isPreUpdateFormat = false;
  friend void to_json(nlohmann::json& json, const ResponseModel& model) {
    json = {{"appCode", model.appCode},
            {"uiStage", model.uiStage},
            {"currentVersion", model.currentVersion},
            {"nextVersion", model.nextVersion},
            {"progress", model.progress},
            {"msg", model.msg},
            {"errMsg", model.errMsg},
            {"speed", model.speed},
            {"time", model.time},
            {"isPreDownloadVisible", model.isPreDownloadVisible},
            {"downloadType", model.downloadType},
            {"isPreUpdateFormat", model.isPreUpdateFormat}};
  }
};

using FireGetGameDownloadStatusCallback = std::function<void(const VellGetGameDownloadStatusModel::ResponseModel&)>;

}  // namespace VellGetGameDownloadStatusModel

// "jssdk::gameModule:data:getGameDownloadStatus": a game's download status.
class VellGetGameDownloadStatusPlugin : public QObject, public VellV8ApiPluginAbstract {
  Q_OBJECT

 public:
  explicit VellGetGameDownloadStatusPlugin(QObject* parent);
  void HandleFromCefProcessMessage(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                                   cef_process_id_t sourceProcess, const VellProcessMessage& message) override;

  // Pushes a download status into the page (`text` verbatim, normally the
  // JSON object of a ResponseModel). Skipped for a destroyed widget, and with
  // skipIfUnchanged when it equals the last text this plugin pushed.
  std::shared_ptr<VellError> NotifyGameDownloadStatusChanged(QPointer<VellWidget> widget, const std::string& text,
                                                             bool skipIfUnchanged, bool logIt);
  std::shared_ptr<VellError> NotifyGameDownloadStatusChanged(
      QPointer<VellWidget> widget, const VellGetGameDownloadStatusModel::ResponseModel& status, bool skipIfUnchanged,
      bool logIt);

 signals:
  void FireGetGameDownloadStatus(VellGetGameDownloadStatusModel::RequestModel requestModel,
                                 VellGetGameDownloadStatusModel::FireGetGameDownloadStatusCallback callback);

 private:
  std::string m_strLastPushed;  // Qt thread
};

Q_DECLARE_METATYPE(VellGetGameDownloadStatusModel::RequestModel)
Q_DECLARE_METATYPE(VellGetGameDownloadStatusModel::ResponseModel)
Q_DECLARE_METATYPE(VellGetGameDownloadStatusModel::FireGetGameDownloadStatusCallback)
