#pragma once

#include "include/cef_v8.h"

// Every native call of the SDK script lands here (render process, its main
// thread): the call becomes a process message to the browser process, and the
// page's callback waits in the payload registry for the answer.
// Arguments: 0 action name, 1 {json}, 3 callback, 5 {host, hostname}.
class VellV8Handler : public CefV8Handler {
 public:
  bool Execute(const CefString& name, CefRefPtr<CefV8Value> object, const CefV8ValueList& arguments,
               CefRefPtr<CefV8Value>& retval, CefString& exception) override;

 private:
  IMPLEMENT_REFCOUNTING(VellV8Handler);
};
