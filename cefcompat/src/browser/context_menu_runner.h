#pragma once

#include "browser/frame_tree.h"
#include "browser/page_session.h"
#include "include/cef_browser.h"
#include "include/cef_client.h"

namespace cefcompat {

// A right click the page does not cancel: the page reports it through a
// binding, and the client's context menu handler gets the menu's parameters
// and model. TID_UI.
class ContextMenuRunner {
 public:
  ContextMenuRunner(CefBrowser* browser, CefRefPtr<CefClient> client, FrameTree& frames);
  // Subscribes, and puts the reporting script into every document of the session.
  void Install(PageSession& session);

 private:
  void OnBinding(const Json& params);

  CefBrowser* const browser_;  // owns this
  const CefRefPtr<CefClient> client_;
  FrameTree& frames_;
};

}  // namespace cefcompat
