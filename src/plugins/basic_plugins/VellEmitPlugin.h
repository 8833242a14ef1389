#pragma once

#include <QObject>
#include <string>

#include "utils/VellMetaTypes.h"
#include "v8_api/VellV8ApiPluginAbstract.h"

// "jssdk::basicModule:emit": a page's event reaches the host as raw text.
class VellEmitPlugin : public QObject, public VellV8ApiPluginAbstract {
  Q_OBJECT

 public:
  explicit VellEmitPlugin(QObject* parent) : QObject(parent) { qRegisterMetaType<std::string>("std::string"); }
  void HandleFromCefProcessMessage(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                                   cef_process_id_t sourceProcess, const VellProcessMessage& message) override;

  // "window.vell.basicModule.registerEmitHandler(<text>)": the host's event
  // for pages, `text` inserted verbatim (a JavaScript expression).
  static std::string GetBroadcastJsCode(const std::string& text);

 signals:
  void FireEmit(const std::string& strJson);
};
