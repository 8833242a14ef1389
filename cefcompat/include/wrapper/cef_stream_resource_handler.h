#pragma once

#include "include/cef_resource_handler.h"
#include "include/cef_stream.h"

// Answers a request with the bytes of a stream.
class CefStreamResourceHandler : public CefResourceHandler {
 public:
  CefStreamResourceHandler(const CefString& mime_type, CefRefPtr<CefStreamReader> stream);
  CefStreamResourceHandler(int status_code, const CefString& status_text, const CefString& mime_type,
                           CefResponse::HeaderMap header_map, CefRefPtr<CefStreamReader> stream);

  bool Open(CefRefPtr<CefRequest> request, bool& handle_request, CefRefPtr<CefCallback> callback) override;
  void GetResponseHeaders(CefRefPtr<CefResponse> response, int64& response_length, CefString& redirectUrl) override;
  bool Skip(int64 bytes_to_skip, int64& bytes_skipped, CefRefPtr<CefResourceSkipCallback> callback) override;
  bool Read(void* data_out, int bytes_to_read, int& bytes_read, CefRefPtr<CefResourceReadCallback> callback) override;
  void Cancel() override {}

  CefRefPtr<CefStreamReader> Stream() const { return stream_; }

 private:
  const int status_code_;
  const CefString status_text_;
  const CefString mime_type_;
  const CefResponse::HeaderMap header_map_;
  CefRefPtr<CefStreamReader> stream_;
  IMPLEMENT_REFCOUNTING(CefStreamResourceHandler);
};
