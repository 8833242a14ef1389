#pragma once

#include <QObject>
#include <string>

#include "v8_api/VellV8ApiPluginAbstract.h"

// "jssdk::browserModule:reload": reloads the calling browser.
class VellReloadPlugin : public QObject, public VellV8ApiPluginAbstract {
  Q_OBJECT

 public:
  explicit VellReloadPlugin(QObject* parent);
  void HandleFromCefProcessMessage(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                                   cef_process_id_t sourceProcess, const VellProcessMessage& message) override;

 signals:
  // Declared for hosts; the plugin reloads by itself and never emits it.
  void FireReload();
};
