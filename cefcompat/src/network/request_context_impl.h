#pragma once

#include <memory>
#include <string>

#include "include/cef_request_context.h"

namespace cefcompat {

class ContextStorage;

// A request context: a storage of Chromium's (shared with the contexts made
// from it or with the same cache path) with the handler it was made with.
// Every CefRequestContext is one of these.
//
// Threads: immutable once made; any thread.
class RequestContextImpl : public CefRequestContext {
 public:
  RequestContextImpl(std::shared_ptr<ContextStorage> storage, std::string cachePath,
                     CefRefPtr<CefRequestContextHandler> handler);
  static CefRefPtr<RequestContextImpl> Global();
  // `context` as the runtime's own; the global context for null.
  static CefRefPtr<RequestContextImpl> Of(CefRefPtr<CefRequestContext> context);

  bool IsSame(CefRefPtr<CefRequestContext> other) override;
  bool IsSharingWith(CefRefPtr<CefRequestContext> other) override;
  bool IsGlobal() override;
  CefRefPtr<CefRequestContextHandler> GetHandler() override { return handler_; }
  CefString GetCachePath() override;
  CefRefPtr<CefCookieManager> GetCookieManager(CefRefPtr<CefCompletionCallback> callback) override;

  const std::shared_ptr<ContextStorage>& Storage() const { return storage_; }
  // Any thread: has the storage made now, and tells the handler once it is.
  void Initialize();

 private:
  const std::shared_ptr<ContextStorage> storage_;
  const std::string cachePath_;
  const CefRefPtr<CefRequestContextHandler> handler_;
  IMPLEMENT_REFCOUNTING(RequestContextImpl);
};

}  // namespace cefcompat
