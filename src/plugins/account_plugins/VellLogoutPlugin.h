#pragma once

#include <QObject>
#include <string>

#include "v8_api/VellV8ApiPluginAbstract.h"

// "jssdk::accountModule:logout": the user logged out.
class VellLogoutPlugin : public QObject, public VellV8ApiPluginAbstract {
  Q_OBJECT

 public:
  explicit VellLogoutPlugin(QObject* parent);
  void HandleFromCefProcessMessage(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                                   cef_process_id_t sourceProcess, const VellProcessMessage& message) override;

 signals:
  void FireLogout();
};
