#pragma once

#include "include/cef_callback.h"
#include "include/cef_request.h"

// Continues a resource handler's Skip that answered later.
class CefResourceSkipCallback : public virtual CefBaseRefCounted {
 public:
  // `bytes_skipped` > 0: that many bytes were skipped (Skip is called again
  // while more are to go); <= 0: the request fails with
  // ERR_REQUEST_RANGE_NOT_SATISFIABLE.
  virtual void Continue(int64 bytes_skipped) = 0;
};

// Continues a resource handler's Read that answered later.
class CefResourceReadCallback : public virtual CefBaseRefCounted {
 public:
  // `bytes_read` > 0: that many bytes were written; 0: the end; < 0: the
  // request fails with that error code.
  virtual void Continue(int bytes_read) = 0;
};

// Produces one response: headers, then the body in pieces. Each step may
// answer at once or later through its callback, from any thread. Open, Skip
// and Read are called one after another, not always on the same thread;
// ProcessRequest, GetResponseHeaders, ReadResponse and Cancel on TID_IO.
class CefResourceHandler : public virtual CefBaseRefCounted {
 public:
  // Set `handle_request` and return true to answer now; leave it false,
  // return true and run `callback` to answer later; set it and return false
  // to cancel the request. Leaving it false and returning false calls
  // ProcessRequest instead.
  virtual bool Open(CefRefPtr<CefRequest> request, bool& handle_request, CefRefPtr<CefCallback> callback) {
    (void)request, (void)callback;
    handle_request = false;
    return false;
  }
  // The older form of Open: return true and run `callback->Continue()` once
  // the headers are known (also from within this call); false cancels.
  virtual bool ProcessRequest(CefRefPtr<CefRequest> request, CefRefPtr<CefCallback> callback) {
    (void)request, (void)callback;
    return false;
  }
  // `response_length` -1 when unknown; a redirect by `redirectUrl` or a 3xx
  // status with a Location header; `response->SetError` fails the request.
  virtual void GetResponseHeaders(CefRefPtr<CefResponse> response, int64& response_length, CefString& redirectUrl) = 0;
  // For a Range request: skips `bytes_to_skip` bytes, now (`bytes_skipped`
  // > 0, return true) or later (0, return true, run `callback`); a negative
  // `bytes_skipped` and false fails the request.
  virtual bool Skip(int64 bytes_to_skip, int64& bytes_skipped, CefRefPtr<CefResourceSkipCallback> callback) {
    (void)bytes_to_skip, (void)callback;
    bytes_skipped = -2;
    return false;
  }
  // Copies up to `bytes_to_read` bytes now (return true, `bytes_read` > 0),
  // or later into the same `data_out` (return true, `bytes_read` 0, run
  // `callback`). At the end: false with `bytes_read` 0; an error: false with
  // `bytes_read` < 0. False with -1 calls ReadResponse instead.
  virtual bool Read(void* data_out, int bytes_to_read, int& bytes_read, CefRefPtr<CefResourceReadCallback> callback) {
    (void)data_out, (void)bytes_to_read, (void)callback;
    bytes_read = -1;
    return false;
  }
  // The older form of Read: copies now (true, `bytes_read` > 0), or returns
  // true with `bytes_read` 0 and runs `callback->Continue()` once data is
  // there (ReadResponse is then called again); false at the end.
  virtual bool ReadResponse(void* data_out, int bytes_to_read, int& bytes_read, CefRefPtr<CefCallback> callback) {
    (void)data_out, (void)bytes_to_read, (void)callback;
    bytes_read = -2;
    return false;
  }
  // The request ended before the handler finished (cancelled, timed out, the page gone).
  virtual void Cancel() = 0;
};
