#pragma once

#include <QObject>
#include <string>

#include "v8_api/VellV8ApiPluginAbstract.h"

// "jssdk::browserModule:reloadWithoutCache": reloads the calling browser, bypassing the cache.
class VellReloadWithoutCachePlugin : public QObject, public VellV8ApiPluginAbstract {
  Q_OBJECT

 public:
  explicit VellReloadWithoutCachePlugin(QObject* parent);
  void HandleFromCefProcessMessage(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                                   cef_process_id_t sourceProcess, const VellProcessMessage& message) override;

 signals:
  // Declared for hosts; the plugin reloads by itself and never emits it.
  void FireReloadWithoutCache();
};
