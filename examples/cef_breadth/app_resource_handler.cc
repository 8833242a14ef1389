#include "app_resource_handler.h"

#include <algorithm>
#include <cstring>

#include "include/cef_scheme.h"

namespace {

const char kPage[] = "<!doctype html><title>Launcher home</title><p>Served by the application.</p>";

class AppSchemeFactory : public CefSchemeHandlerFactory {
 public:
  AppSchemeFactory() = default;

  CefRefPtr<CefResourceHandler> Create(CefRefPtr<CefBrowser>, CefRefPtr<CefFrame>, const CefString&,
                                       CefRefPtr<CefRequest>) OVERRIDE {
    return new AppResourceHandler();
  }

 private:
  IMPLEMENT_REFCOUNTING(AppSchemeFactory);
  DISALLOW_COPY_AND_ASSIGN(AppSchemeFactory);
};

}  // namespace

void AppResourceHandler::RegisterFactory() {
  CefRegisterSchemeHandlerFactory("launcher", "app", new AppSchemeFactory());
}

bool AppResourceHandler::Open(CefRefPtr<CefRequest> request, bool& handle_request, CefRefPtr<CefCallback> callback) {
  (void)callback;
  handle_request = true;  // answered here and now
  if (request->GetURL().ToString() == "launcher://app/index.html") {
    status_ = 200;
    body_ = kPage;
  }
  return true;
}

void AppResourceHandler::GetResponseHeaders(CefRefPtr<CefResponse> response, int64& response_length,
                                            CefString& redirectUrl) {
  (void)redirectUrl;
  response->SetStatus(status_);
  response->SetStatusText(status_ == 200 ? "OK" : "Not Found");
  response->SetMimeType("text/html");
  response_length = static_cast<int64>(body_.size());
}

bool AppResourceHandler::Read(void* data_out, int bytes_to_read, int& bytes_read,
                              CefRefPtr<CefResourceReadCallback> callback) {
  (void)callback;
  bytes_read = static_cast<int>(std::min(body_.size() - offset_, static_cast<size_t>(bytes_to_read)));
  if (bytes_read == 0) return false;  // the end
  std::memcpy(data_out, body_.data() + offset_, static_cast<size_t>(bytes_read));
  offset_ += static_cast<size_t>(bytes_read);
  return true;
}
