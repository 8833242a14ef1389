#pragma once

#include <QMetaType>
#include <QObject>
#include <functional>
#include <string>
#include <vector>

#include "v8_api/VellV8ApiPluginAbstract.h"

// "jssdk::gameModule:data:getGameSelections": the selected games, as a list of strings.
class VellGetGameSelectionsPlugin : public QObject, public VellV8ApiPluginAbstract {
  Q_OBJECT

 public:
  using FireGetGameSelectionsCallback = std::function<void(const std::vector<std::string>&)>;

  explicit VellGetGameSelectionsPlugin(QObject* parent);
  void HandleFromCefProcessMessage(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                                   cef_process_id_t sourceProcess, const VellProcessMessage& message) override;

 signals:
  void FireGetGameSelections(
      const VellGetGameSelectionsPlugin::FireGetGameSelectionsCallback& fireGetGameSelectionsCallback);
};

Q_DECLARE_METATYPE(VellGetGameSelectionsPlugin::FireGetGameSelectionsCallback)
