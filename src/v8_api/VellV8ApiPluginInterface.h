#pragma once

#include "include/cef_browser.h"
#include "include/cef_frame.h"
#include "v8_api/VellProcessMessage.h"

// One SDK action served in the browser process.
class VellV8ApiPluginInterface {
 public:
  virtual ~VellV8ApiPluginInterface() = default;
  // CEF UI thread: the page's call, already converted from the process message.
  virtual void HandleFromCefProcessMessage(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                                           cef_process_id_t sourceProcess, const VellProcessMessage& message) = 0;
};
