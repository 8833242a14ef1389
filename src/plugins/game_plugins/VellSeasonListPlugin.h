#pragma once

#include <QMetaType>
#include <QObject>
#include <functional>
#include <memory>
#include <string>

#include "v8_api/VellV8ApiPluginAbstract.h"

class VellWidget;

namespace VellSeasonListPluginModel {

// The host's JSON text, sent to the page as it is.
struct SeasonListResponseModel : VellRawStringResponse {};

using FireGetSeasonListCallback = std::function<void(const VellSeasonListPluginModel::SeasonListResponseModel&)>;

}  // namespace VellSeasonListPluginModel

// "jssdk::gameModule:data:getSeasonList": the season list, as JSON text from the host.
class VellSeasonListPlugin : public QObject, public VellV8ApiPluginAbstract {
  Q_OBJECT

 public:
  explicit VellSeasonListPlugin(QObject* parent);
  void HandleFromCefProcessMessage(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                                   cef_process_id_t sourceProcess, const VellProcessMessage& message) override;

  // Pushes changed data into the page: `text` is inserted verbatim as a
  // JavaScript expression (normally the JSON the host answers with).
  static std::shared_ptr<VellError> NotifySeasonListChanged(const VellWidget* widget, const std::string& text);

 signals:
  void FireGetSeasonList(const VellSeasonListPluginModel::FireGetSeasonListCallback& callback);
};

Q_DECLARE_METATYPE(VellSeasonListPluginModel::SeasonListResponseModel)
Q_DECLARE_METATYPE(VellSeasonListPluginModel::FireGetSeasonListCallback)
