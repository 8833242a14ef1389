#pragma once

#include <vector>

#include "include/cef_base.h"
#include "include/cef_callback.h"

class CefCookieVisitor;
class CefSetCookieCallback;
class CefDeleteCookiesCallback;

// The cookies of a request context's storage (the global manager: the
// global context's). Methods may be called on any thread; visitors and
// callbacks run on TID_UI. The global context's cookies are kept in
// CefSettings::cache_path when it is set, and in memory only otherwise; other
// contexts keep theirs in memory.
class CefCookieManager : public virtual CefBaseRefCounted {
 public:
  // The global manager; `callback` (may be null) runs on TID_UI once the
  // storage is ready. Null before CefInitialize and after CefShutdown.
  static CefRefPtr<CefCookieManager> GetGlobalManager(CefRefPtr<CefCompletionCallback> callback);

  // Every cookie, longest path first. False when cookies cannot be accessed.
  virtual bool VisitAllCookies(CefRefPtr<CefCookieVisitor> visitor) = 0;
  // The cookies a request to `url` would send (with the HTTP-only ones when
  // `includeHttpOnly`). False when `url` is invalid or cookies cannot be accessed.
  virtual bool VisitUrlCookies(const CefString& url, bool includeHttpOnly, CefRefPtr<CefCookieVisitor> visitor) = 0;
  // Sets `cookie` as if `url` had sent it. False when `url` is invalid; a
  // cookie Chromium refuses (a domain `url` may not set, a ';' in the value)
  // is reported to `callback` as false.
  virtual bool SetCookie(const CefString& url, const CefCookie& cookie, CefRefPtr<CefSetCookieCallback> callback) = 0;
  // With `url` and `cookie_name`: the host and domain cookies of that name
  // `url` would send; with `url` only: its host's cookies, whatever their
  // path; with neither: every cookie. False when a non-empty `url` is invalid.
  virtual bool DeleteCookies(const CefString& url, const CefString& cookie_name,
                             CefRefPtr<CefDeleteCookiesCallback> callback) = 0;
  // `callback` runs once every change made before has reached the store.
  virtual bool FlushStore(CefRefPtr<CefCompletionCallback> callback) = 0;
};

class CefCookieVisitor : public virtual CefBaseRefCounted {
 public:
  // Once per cookie (`count` from 0 to `total` - 1); set `deleteCookie` to
  // delete this one, return false to stop. Never called when there is none.
  virtual bool Visit(const CefCookie& cookie, int count, int total, bool& deleteCookie) = 0;
};

class CefSetCookieCallback : public virtual CefBaseRefCounted {
 public:
  virtual void OnComplete(bool success) = 0;
};

class CefDeleteCookiesCallback : public virtual CefBaseRefCounted {
 public:
  virtual void OnComplete(int num_deleted) = 0;
};
