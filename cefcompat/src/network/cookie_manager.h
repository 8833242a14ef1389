#pragma once

#include <functional>
#include <vector>

#include "include/cef_cookie.h"
#include "protocol/connection.h"

namespace cefcompat {

// The profile's cookies through the Storage domain of Chromium's own
// session: they are Chromium's, in its profile, shared by every browser.
//
// Threads: the CEF methods run on any thread and hand their work to TID_UI,
// where the protocol's replies, the visitors and the callbacks run.
class CookieManager : public CefCookieManager {
 public:
  static CefRefPtr<CookieManager> Global();

  bool VisitAllCookies(CefRefPtr<CefCookieVisitor> visitor) override;
  bool VisitUrlCookies(const CefString& url, bool includeHttpOnly, CefRefPtr<CefCookieVisitor> visitor) override;
  bool SetCookie(const CefString& url, const CefCookie& cookie, CefRefPtr<CefSetCookieCallback> callback) override;
  bool DeleteCookies(const CefString& url, const CefString& cookie_name,
                     CefRefPtr<CefDeleteCookiesCallback> callback) override;
  bool FlushStore(CefRefPtr<CefCompletionCallback> callback) override;

 private:
  using Filter = std::function<bool(const Json& cookie)>;
  using Deleted = std::function<void(int count)>;
  // TID_UI: every cookie `keep` keeps (null: every cookie), longest path
  // first; `then` gets none when they cannot be read.
  static void Read(Filter keep, std::function<void(std::vector<Json>)> then);
  static void Visit(const std::vector<Json>& cookies, CefRefPtr<CefCookieVisitor> visitor);
  // TID_UI: removes `cookies`; `done` gets how many went.
  static void Remove(const std::vector<Json>& cookies, Deleted done);
  static void RemoveAll(Deleted done);
  // Any thread: runs `task` on TID_UI; false when the runtime is not running.
  static bool OnUi(const char* what, std::function<void()> task);

  IMPLEMENT_REFCOUNTING(CookieManager);
};

}  // namespace cefcompat
