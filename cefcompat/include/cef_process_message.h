#pragma once

#include "include/cef_values.h"

// A named message with a list of arguments, sent between the browser process
// and a render process. A message received is read-only (Copy() gives one
// that is not); its arguments arrive as they were sent, nested values and
// binary data included.
class CefProcessMessage : public virtual CefBaseRefCounted {
 public:
  static CefRefPtr<CefProcessMessage> Create(const CefString& name);

  virtual bool IsValid() = 0;
  virtual bool IsReadOnly() = 0;
  virtual CefRefPtr<CefProcessMessage> Copy() = 0;
  virtual CefString GetName() = 0;
  virtual CefRefPtr<CefListValue> GetArgumentList() = 0;
};
