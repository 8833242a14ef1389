#pragma once

#include <QObject>
#include <string>

#include "v8_api/VellV8ApiPluginAbstract.h"

// "jssdk::browserModule:browserForward": the page asks to go forward.
class VellBrowserForwardPlugin : public QObject, public VellV8ApiPluginAbstract {
  Q_OBJECT

 public:
  explicit VellBrowserForwardPlugin(QObject* parent);
  void HandleFromCefProcessMessage(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                                   cef_process_id_t sourceProcess, const VellProcessMessage& message) override;

 signals:
  void FireBrowserForward();
};
