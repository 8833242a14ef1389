#pragma once

#include <functional>

#include "browser/frame_tree.h"
#include "browser/page_session.h"
#include "include/cef_browser.h"
#include "include/cef_client.h"

namespace cefcompat {

// A right click the page does not cancel: the page reports it through a
// binding (and Chromium's own menu is never shown); the client's context
// menu handler gets the menu's parameters and model, and may show it itself.
// Otherwise the model is shown as a Qt menu at the click, and the chosen
// item's command runs: navigation on the browser, editing in the page. TID_UI.
class ContextMenuRunner {
 public:
  ContextMenuRunner(CefBrowser* browser, CefRefPtr<CefClient> client, FrameTree& frames);
  // Subscribes, and puts the reporting script into every document of the session.
  void Install(PageSession& session);
  // TID_UI: the command of a chosen item, unless the client carries it out.
  void Choose(CefRefPtr<CefFrame> frame, CefRefPtr<CefContextMenuParams> params, int commandId, int eventFlags);
  void Dismiss(CefRefPtr<CefFrame> frame);
  // TID_UI, before the first menu: Paste runs `paste` (the desktop's clipboard
  // is not Chromium's in windowless mode) instead of Chromium's own command.
  void PasteWith(std::function<void()> paste) { paste_ = std::move(paste); }

 private:
  void OnReport(const Json& info, const Json& params);
  void RunDefault(int commandId);

  CefBrowser* const browser_;  // owns this
  const CefRefPtr<CefClient> client_;
  FrameTree& frames_;
  PageSession* session_ = nullptr;
  std::function<void()> paste_;
};

}  // namespace cefcompat
