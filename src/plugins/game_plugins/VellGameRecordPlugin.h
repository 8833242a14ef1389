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

namespace VellGameRecordPluginModel {

struct FireGetGameRecordModel {
  int cursor = 0;
  int size = 0;
  int seasonId = 0;
  int playType = 0;
  friend void from_json(const nlohmann::json& json, FireGetGameRecordModel& model) {
    VellJsonFieldReader::Read(json, "cursor", model.cursor);
    VellJsonFieldReader::Read(json, "size", model.size);
    VellJsonFieldReader::Read(json, "seasonId", model.seasonId);
    VellJsonFieldReader::Read(json, "playType", model.playType);
  }
};

// The host's JSON text, sent to the page as it is.
struct GameRecordResponseModel : VellRawStringResponse {};

using FireGetGameRecordCallback = std::function<void(const VellGameRecordPluginModel::GameRecordResponseModel&)>;

}  // namespace VellGameRecordPluginModel

// "jssdk::gameModule:data:getGameRecord": a page of the user's game records, as JSON text from the host.
class VellGameRecordPlugin : public QObject, public VellV8ApiPluginAbstract {
  Q_OBJECT

 public:
  explicit VellGameRecordPlugin(QObject* parent);
  void HandleFromCefProcessMessage(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                                   cef_process_id_t sourceProcess, const VellProcessMessage& message) override;

  // Pushes changed data into the page: `text` is inserted verbatim as a
  // JavaScript expression (normally the JSON the host answers with).
  static std::shared_ptr<VellError> NotifyGameRecordChanged(const VellWidget* widget, const std::string& text);

 signals:
  void FireGetGameRecord(VellGameRecordPluginModel::FireGetGameRecordModel fireGetGameRecordModel,
                         const VellGameRecordPluginModel::FireGetGameRecordCallback& callback);
};

Q_DECLARE_METATYPE(VellGameRecordPluginModel::FireGetGameRecordModel)
Q_DECLARE_METATYPE(VellGameRecordPluginModel::GameRecordResponseModel)
Q_DECLARE_METATYPE(VellGameRecordPluginModel::FireGetGameRecordCallback)
