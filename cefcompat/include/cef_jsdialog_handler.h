#pragma once

#include "include/cef_browser.h"

// Answers a JavaScript dialog once, from any thread. The page waits until then.
class CefJSDialogCallback : public virtual CefBaseRefCounted {
 public:
  // `success` is OK (true) or Cancel; `user_input` is the prompt's text.
  virtual void Continue(bool success, const CefString& user_input) = 0;
};

// JavaScript dialogs (alert, confirm, prompt, beforeunload). Called on TID_UI.
class CefJSDialogHandler : public virtual CefBaseRefCounted {
 public:
  typedef cef_jsdialog_type_t JSDialogType;

  // Return true to answer through `callback` (now or later). Return false to
  // leave the dialog to the default; set `suppress_message` and return false
  // to dismiss it at once, as Cancel.
  virtual bool OnJSDialog(CefRefPtr<CefBrowser> browser, const CefString& origin_url, JSDialogType dialog_type,
                          const CefString& message_text, const CefString& default_prompt_text,
                          CefRefPtr<CefJSDialogCallback> callback, bool& suppress_message) {
    (void)browser, (void)origin_url, (void)dialog_type, (void)message_text, (void)default_prompt_text,
        (void)callback, (void)suppress_message;
    return false;
  }
  // The page asks whether it may be left. Return true to answer through `callback`.
  virtual bool OnBeforeUnloadDialog(CefRefPtr<CefBrowser> browser, const CefString& message_text, bool is_reload,
                                    CefRefPtr<CefJSDialogCallback> callback) {
    (void)browser, (void)message_text, (void)is_reload, (void)callback;
    return false;
  }
  // Any dialog still open is to be closed: its page navigated or its browser closes.
  virtual void OnResetDialogState(CefRefPtr<CefBrowser> browser) { (void)browser; }
  // The open dialog was answered.
  virtual void OnDialogClosed(CefRefPtr<CefBrowser> browser) { (void)browser; }
};
