#pragma once

#include "include/cef_request.h"

class CefResourceReadCallback : public virtual CefBaseRefCounted {
 public:
  // `bytes_read` > 0: that many bytes were written; 0: the end; < 0: an error.
  virtual void Continue(int bytes_read) = 0;
};

// Produces one response: headers, then the body in pieces. IO thread.
class CefResourceHandler : public virtual CefBaseRefCounted {
 public:
  // Set `handle_request` and return true to answer now (false cancels the request).
  virtual bool Open(CefRefPtr<CefRequest> request, bool& handle_request, CefRefPtr<CefCallback> callback) = 0;
  // `response_length` -1 when unknown.
  virtual void GetResponseHeaders(CefRefPtr<CefResponse> response, int64& response_length, CefString& redirectUrl) = 0;
  // Fill up to `bytes_to_read`; return false with `bytes_read` 0 at the end.
  virtual bool Read(void* data_out, int bytes_to_read, int& bytes_read, CefRefPtr<CefResourceReadCallback> callback) = 0;
  virtual void Cancel() = 0;
};
