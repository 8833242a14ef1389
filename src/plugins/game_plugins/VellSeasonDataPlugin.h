#pragma once

#include <QMetaType>
#include <QObject>
#include <functional>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>

#include "utils/VellJsonFieldReader.h"
#include "v8_api/VellV8ApiPluginAbstract.h"

class VellWidget;

namespace VellSeasonDataPluginModel {

struct FireGetSeasonDataModel {
  int seasonId = 0;
  int playType = 0;
  friend void from_json(const nlohmann::json& json, FireGetSeasonDataModel& model) {
    VellJsonFieldReader::Read(json, "seasonId", model.seasonId);
    VellJsonFieldReader::Read(json, "playType", model.playType);
  }
};

// The host's JSON text, sent to the page as it is.
struct SeasonDataResponseModel : VellRawStringResponse {};

using FireGetSeasonDataCallback = std::function<void(const VellSeasonDataPluginModel::SeasonDataResponseModel&)>;

}  // namespace VellSeasonDataPluginModel

// "jssdk::gameModule:data:getSeasonData": a season's data, as JSON text from the host.
class VellSeasonDataPlugin : public QObject, public VellV8ApiPluginAbstract {
  Q_OBJECT

 public:
  explicit VellSeasonDataPlugin(QObject* parent);
  void HandleFromCefProcessMessage(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                                   cef_process_id_t sourceProcess, const VellProcessMessage& message) override;

  // Pushes changed data into the page: `text` is inserted verbatim as a
  // JavaScript expression (normally the JSON the host answers with).
  static std::shared_ptr<VellError> NotifySeasonDataChanged(const VellWidget* widget, const std::string& text);

 signals:
  void FireGetSeasonData(VellSeasonDataPluginModel::FireGetSeasonDataModel fireGetSeasonDataModel,
                         const VellSeasonDataPluginModel::FireGetSeasonDataCallback& callback);
};

Q_DECLARE_METATYPE(VellSeasonDataPluginModel::FireGetSeasonDataModel)
Q_DECLARE_METATYPE(VellSeasonDataPluginModel::SeasonDataResponseModel)
Q_DECLARE_METATYPE(VellSeasonDataPluginModel::FireGetSeasonDataCallback)
