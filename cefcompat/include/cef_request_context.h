#pragma once

#include "include/cef_base.h"
#include "include/cef_callback.h"
#include "include/cef_cookie.h"
#include "include/cef_request_context_handler.h"

// The storage a browser loads pages with: cookies, localStorage, the cache.
// The global context is Chromium's own profile (on disk in
// CefSettings::cache_path when it is set); every other context is a storage
// of its own, kept in memory, that no other context sees. Browsers created
// with a context (CefBrowserHost::CreateBrowser's `request_context`) and
// their pop-ups use it. A context's storage goes once the last context
// sharing it and the last browser in it are gone. Methods may be called on
// any thread.
class CefRequestContext : public virtual CefBaseRefCounted {
 public:
  // The same object each time while the runtime runs.
  static CefRefPtr<CefRequestContext> GetGlobalContext();
  // A new context. An empty `settings.cache_path` gives a storage of its
  // own; the global context's cache path shares the global storage; any
  // other path is shared by every context made with it, but kept in memory
  // only (Chromium holds one on-disk profile per process; a warning says
  // so). `handler` (may be null) hears OnRequestContextInitialized.
  static CefRefPtr<CefRequestContext> CreateContext(const CefRequestContextSettings& settings,
                                                    CefRefPtr<CefRequestContextHandler> handler);
  // A new context sharing `other`'s storage.
  static CefRefPtr<CefRequestContext> CreateContext(CefRefPtr<CefRequestContext> other,
                                                    CefRefPtr<CefRequestContextHandler> handler);

  // This very context (the global one is always the same).
  virtual bool IsSame(CefRefPtr<CefRequestContext> other) = 0;
  // This context and `other` use the same storage.
  virtual bool IsSharingWith(CefRefPtr<CefRequestContext> other) = 0;
  virtual bool IsGlobal() = 0;
  virtual CefRefPtr<CefRequestContextHandler> GetHandler() = 0;
  // The cache path it was made with; the global context's is
  // CefSettings::cache_path.
  virtual CefString GetCachePath() = 0;
  // The cookies of this context's storage; `callback` (may be null) runs on
  // TID_UI once the storage is ready. Null after CefShutdown.
  virtual CefRefPtr<CefCookieManager> GetCookieManager(CefRefPtr<CefCompletionCallback> callback) = 0;
};
