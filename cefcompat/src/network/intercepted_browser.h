#pragma once

#include <string>

#include "include/cef_browser.h"

namespace cefcompat {

// What the network interception needs of the browser whose requests it
// answers. Any thread.
class InterceptedBrowser {
 public:
  // The browser the client's handlers hear of; holding it keeps the browser.
  virtual CefRefPtr<CefBrowser> Browser() = 0;
  virtual CefRefPtr<CefFrame> FrameByProtocolId(const std::string& id) = 0;
  // The page's protocol session, which the paused requests belong to.
  virtual const std::string& SessionId() const = 0;
  // Navigates a frame (by protocol id) to `url`.
  virtual void LoadInFrame(const std::string& protocolFrameId, const std::string& url) = 0;

 protected:
  ~InterceptedBrowser() = default;
};

}  // namespace cefcompat
