#pragma once

#include <QObject>
#include <string>

#include "utils/VellMetaTypes.h"
#include "v8_api/VellV8ApiPluginAbstract.h"

// "jssdk::settingsModule:updateSettings": update settings with the payload as received.
class VellUpdateSettingsPlugin : public QObject, public VellV8ApiPluginAbstract {
  Q_OBJECT

 public:
  explicit VellUpdateSettingsPlugin(QObject* parent);
  void HandleFromCefProcessMessage(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                                   cef_process_id_t sourceProcess, const VellProcessMessage& message) override;

 signals:
  void FireUpdateSettings(const std::string& strJson);
};
