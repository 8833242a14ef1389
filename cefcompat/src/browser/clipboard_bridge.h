#pragma once

#include <functional>

#include "browser/page_session.h"
#include "include/cef_browser.h"

namespace cefcompat {

// Windowless mode: headless Chromium keeps a clipboard of its own, which the
// desktop never sees. What the page copies or cuts (and what it writes through
// `navigator.clipboard`, under Chromium's own rules of permission and user
// gesture) goes to Qt's clipboard as well: text, and HTML where the page put
// some. A paste gives the page Qt's clipboard: a `paste` event carrying it,
// then, unless the page handled it, the text typed into the focused field.
//
// Threads: TID_UI, except that Qt's clipboard is read and written on the Qt
// thread.
class ClipboardBridge {
 public:
  explicit ClipboardBridge(CefBrowser* browser);
  // Subscribes, and puts the reporting script into every document of the session.
  void Install(PageSession& session);
  // TID_UI: pastes Qt's clipboard into the page's focused element, then runs `done` on TID_UI.
  void Paste(std::function<void()> done);

 private:
  void OnReport(const Json& report);
  void PasteNow(const std::string& text, const std::string& html, std::function<void()> done);

  CefBrowser* const browser_;  // owns this
  PageSession* session_ = nullptr;
};

}  // namespace cefcompat
