#pragma once

#include <string>

#include "include/cef_resource_handler.h"

// Serves launcher://app/...: index.html is the application's page, anything
// else a 404. Its factory is registered for the scheme and the "app" domain.
class AppResourceHandler : public CefResourceHandler {
 public:
  AppResourceHandler() = default;

  // After CefInitialize, in the browser process.
  static void RegisterFactory();

  bool Open(CefRefPtr<CefRequest> request, bool& handle_request, CefRefPtr<CefCallback> callback) OVERRIDE;
  void GetResponseHeaders(CefRefPtr<CefResponse> response, int64& response_length, CefString& redirectUrl) OVERRIDE;
  bool Read(void* data_out, int bytes_to_read, int& bytes_read, CefRefPtr<CefResourceReadCallback> callback) OVERRIDE;
  void Cancel() OVERRIDE {}

 private:
  int status_ = 404;
  std::string body_;
  size_t offset_ = 0;

  IMPLEMENT_REFCOUNTING(AppResourceHandler);
  DISALLOW_COPY_AND_ASSIGN(AppResourceHandler);
};
