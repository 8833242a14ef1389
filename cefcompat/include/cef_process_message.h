#pragma once

#include "include/cef_values.h"

// A named message with a list of arguments, sent between the browser process
// and a render process.
class CefProcessMessage : public virtual CefBaseRefCounted {
 public:
  static CefRefPtr<CefProcessMessage> Create(const CefString& name);

  bool IsValid() { return true; }
  bool IsReadOnly() { return false; }
  CefRefPtr<CefProcessMessage> Copy();
  CefString GetName() { return name_; }
  CefRefPtr<CefListValue> GetArgumentList() { return arguments_; }

 private:
  explicit CefProcessMessage(const CefString& name);
  CefString name_;
  CefRefPtr<CefListValue> arguments_;
  IMPLEMENT_REFCOUNTING(CefProcessMessage);
};
