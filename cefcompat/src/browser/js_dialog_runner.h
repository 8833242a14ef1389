#pragma once

#include "browser/page_session.h"
#include "include/cef_browser.h"
#include "include/cef_client.h"

namespace cefcompat {

// A page's JavaScript dialogs (alert, confirm, prompt, beforeunload). Each
// goes to the client's dialog handler, and the page waits until the
// handler's callback answers. Without a handler, or when the handler leaves
// the dialog to the default, the runtime shows its own (DefaultDialogs).
//
// Threads: TID_UI; a callback may answer from any thread, once.
class JsDialogRunner {
 public:
  JsDialogRunner(CefBrowser* browser, CefRefPtr<CefClient> client, PageSession& session);
  void Subscribe(PageSession& session);
  // The browser closes: every dialog the runtime shows for it closes
  // unanswered, and a handler that still shows one is told to close it.
  void Reset();
  // TID_UI: the answer to dialog number `serial`, unless another has come since.
  void Answer(int serial, bool success, const std::string& userInput);

 private:
  void OnOpening(const Json& params);
  void OnClosed();

  CefBrowser* const browser_;  // owns this
  const CefRefPtr<CefClient> client_;
  PageSession& session_;
  int serial_ = 0;    // of the last dialog opened
  bool open_ = false;  // a dialog waits for its answer
};

}  // namespace cefcompat
