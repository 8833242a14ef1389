#pragma once

#include <QMetaType>
#include <QObject>
#include <nlohmann/json.hpp>
#include <string>

#include "utils/VellJsonFieldReader.h"
#include "v8_api/VellV8ApiPluginAbstract.h"

namespace VellReportPluginModel {

struct FireReportModel {
  std::string key;
  std::string desc;
  std::string extJson;
  friend void from_json(const nlohmann::json& json, FireReportModel& model) {
    VellJsonFieldReader::Read(json, "key", model.key);
    VellJsonFieldReader::Read(json, "desc", model.desc);
    VellJsonFieldReader::Read(json, "extJson", model.extJson);
  }
};

}  // namespace VellReportPluginModel

// "jssdk::dataAnalysisModule:report": a reporting event.
class VellReportPlugin : public QObject, public VellV8ApiPluginAbstract {
  Q_OBJECT

 public:
  explicit VellReportPlugin(QObject* parent);
  void HandleFromCefProcessMessage(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                                   cef_process_id_t sourceProcess, const VellProcessMessage& message) override;

 signals:
  void FireReport(const VellReportPluginModel::FireReportModel& reportModel);
};

Q_DECLARE_METATYPE(VellReportPluginModel::FireReportModel)
