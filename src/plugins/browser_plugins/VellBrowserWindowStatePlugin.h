#pragma once

#include <QMetaType>
#include <QObject>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>

#include "utils/VellJsonFieldReader.h"
#include "v8_api/VellV8ApiPluginAbstract.h"

class VellWidget;

namespace VellBrowserWindowStatePluginModel {

struct FireChangeWindowActionModel {
  int windowAction = 0;
  friend void from_json(const nlohmann::json& json, FireChangeWindowActionModel& model) {
    VellJsonFieldReader::Read(json, "windowAction", model.windowAction);
  }
};

}  // namespace VellBrowserWindowStatePluginModel

// "jssdk::browserModule:browserWindowState": a window action, coded as a number agreed with the host.
class VellBrowserWindowStatePlugin : public QObject, public VellV8ApiPluginAbstract {
  Q_OBJECT

 public:
  explicit VellBrowserWindowStatePlugin(QObject* parent);
  void HandleFromCefProcessMessage(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                                   cef_process_id_t sourceProcess, const VellProcessMessage& message) override;

  // Tells the page whether the window is at its normal size.
  static std::shared_ptr<VellError> NotifyWindowNormalSizeChanged(const VellWidget* widget, bool normal);

 signals:
  void FireChangeWindowAction(
      VellBrowserWindowStatePluginModel::FireChangeWindowActionModel fireChangeWindowActionModel);
};

Q_DECLARE_METATYPE(VellBrowserWindowStatePluginModel::FireChangeWindowActionModel)
