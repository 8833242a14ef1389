#pragma once

#include <mutex>
#include <string>

#include "include/cef_browser.h"
#include "include/cef_client.h"

namespace cefcompat {

// A browser's developer tools: Chromium's DevTools front end for the page's
// target, itself a browser of the runtime in a window of its own.
// Show runs on TID_UI; Close and IsOpen from any thread.
class DevToolsHost {
 public:
  // `owner` (the inspected browser, which owns this host) is kept until Chromium answers.
  void Show(CefRefPtr<CefBrowser> owner, const std::string& targetId, CefRefPtr<CefClient> client,
            const std::string& title);
  void Close();
  bool IsOpen();

 private:
  std::mutex mutex_;
  CefRefPtr<CefBrowser> devTools_;  // written on TID_UI under mutex_
};

}  // namespace cefcompat
