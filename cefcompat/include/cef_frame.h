#pragma once
// A frame of a browser: the main frame or a sub-frame.

#include "include/cef_base.h"
#include "include/cef_process_message.h"

class CefBrowser;
class CefV8Context;

class CefFrame : public virtual CefBaseRefCounted {
 public:
  // False once the frame has been removed or its browser closed.
  virtual bool IsValid() = 0;
  virtual bool IsMain() = 0;
  // Stable for the life of the frame and equal in every process.
  virtual int64 GetIdentifier() = 0;
  virtual CefString GetName() = 0;
  virtual CefString GetURL() = 0;
  virtual CefRefPtr<CefFrame> GetParent() = 0;
  virtual CefRefPtr<CefBrowser> GetBrowser() = 0;
  // The frame's current JavaScript context: on the render side only (null in
  // the browser process).
  virtual CefRefPtr<CefV8Context> GetV8Context() = 0;
  virtual void LoadURL(const CefString& url) = 0;
  // Runs `code` in the frame's current document, fire and forget. `script_url`
  // and `start_line` label the script in stack traces.
  virtual void ExecuteJavaScript(const CefString& code, const CefString& script_url,
                                 int start_line) = 0;
  // Sends `message` to the other side of this frame; dropped when the frame is gone.
  virtual void SendProcessMessage(CefProcessId target_process,
                                  CefRefPtr<CefProcessMessage> message) = 0;
};
