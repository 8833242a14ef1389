#pragma once

#include <QMetaType>
#include <QObject>
#include <functional>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "utils/VellJsonFieldReader.h"
#include "v8_api/VellV8ApiPluginAbstract.h"

namespace VellGetRatingSystemInfoPluginModel {

struct ResponseItem {
  std::string id;
  std::string title;
  std::string content;
  friend void to_json(nlohmann::json& json, const ResponseItem& model) {
    json = {{"id", model.id}, {"title", model.title}, {"content", model.content}};
  }
};

struct RequestModel {
  std::string appCode;
  friend void from_json(const nlohmann::json& json, RequestModel& model) {
    VellJsonFieldReader::Read(json, "appCode", model.appCode);
  }
};

}  // namespace VellGetRatingSystemInfoPluginModel

// "jssdk::gameModule:data:getRatingSystemInfo": a game's age ratings.
class VellGetRatingSystemInfoPlugin : public QObject, public VellV8ApiPluginAbstract {
  Q_OBJECT

 public:
  using FireGetRatingSystemInfoCallback =
      std::function<void(std::vector<VellGetRatingSystemInfoPluginModel::ResponseItem>)>;

  explicit VellGetRatingSystemInfoPlugin(QObject* parent);
  void HandleFromCefProcessMessage(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                                   cef_process_id_t sourceProcess, const VellProcessMessage& message) override;

 signals:
  void FireGetRatingSystemInfo(const VellGetRatingSystemInfoPluginModel::RequestModel& requestModel,
                               const VellGetRatingSystemInfoPlugin::FireGetRatingSystemInfoCallback& callback);
};

Q_DECLARE_METATYPE(VellGetRatingSystemInfoPluginModel::RequestModel)
Q_DECLARE_METATYPE(VellGetRatingSystemInfoPlugin::FireGetRatingSystemInfoCallback)
