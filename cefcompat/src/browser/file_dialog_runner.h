#pragma once

#include <string>
#include <vector>

#include "browser/page_session.h"
#include "include/cef_browser.h"
#include "include/cef_client.h"

namespace cefcompat {

// A page's file choosers (`<input type=file>`): Chromium hands each over
// instead of showing its own, and it goes to the client's dialog handler.
// The chosen files reach the input as a person's choice does (its input and
// change events). Without a handler, or when the handler leaves the chooser
// to the default, the runtime shows its own (DefaultDialogs).
//
// Threads: TID_UI; a callback may answer from any thread, once.
class FileDialogRunner {
 public:
  FileDialogRunner(CefBrowser* browser, CefRefPtr<CefClient> client, PageSession& session);
  // Subscribes, and asks Chromium to hand its file choosers over.
  void Install(PageSession& session);
  // TID_UI: the files chosen for the input `backendNodeId`.
  void Choose(int backendNodeId, const std::vector<std::string>& paths);

 private:
  void OnOpened(const Json& params);
  void Ask(const Json& params, const std::string& accept);

  CefBrowser* const browser_;  // owns this
  const CefRefPtr<CefClient> client_;
  PageSession& session_;
};

}  // namespace cefcompat
