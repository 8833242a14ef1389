#pragma once

#include <QObject>
#include <string>

#include "v8_api/VellV8ApiPluginAbstract.h"

// "jssdk::uiModule:closeCurrentWebDialog": close the web dialog showing the page (registered by no module: a host
// registers it where it applies).
class VellCloseCurrentWebDialogPlugin : public QObject, public VellV8ApiPluginAbstract {
  Q_OBJECT

 public:
  explicit VellCloseCurrentWebDialogPlugin(QObject* parent);
  void HandleFromCefProcessMessage(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                                   cef_process_id_t sourceProcess, const VellProcessMessage& message) override;

 signals:
  void FireCloseCurrentWebDialog();
};
