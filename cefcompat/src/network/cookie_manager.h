#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "include/cef_cookie.h"
#include "protocol/connection.h"

namespace cefcompat {

class ContextStorage;

// The cookies of one storage (Chromium's default context for the global
// manager, a request context's own otherwise) through the Storage domain of
// Chromium's own session: they are Chromium's, shared by every browser of
// that storage.
//
// Threads: the CEF methods run on any thread and hand their work to TID_UI,
// where the protocol's replies, the visitors and the callbacks run.
class CookieManager : public CefCookieManager {
 public:
  static CefRefPtr<CookieManager> Global();
  explicit CookieManager(std::shared_ptr<ContextStorage> storage) : storage_(std::move(storage)) {}

  bool VisitAllCookies(CefRefPtr<CefCookieVisitor> visitor) override;
  bool VisitUrlCookies(const CefString& url, bool includeHttpOnly, CefRefPtr<CefCookieVisitor> visitor) override;
  bool SetCookie(const CefString& url, const CefCookie& cookie, CefRefPtr<CefSetCookieCallback> callback) override;
  bool DeleteCookies(const CefString& url, const CefString& cookie_name,
                     CefRefPtr<CefDeleteCookiesCallback> callback) override;
  bool FlushStore(CefRefPtr<CefCompletionCallback> callback) override;

 private:
  using Filter = std::function<bool(const Json& cookie)>;
  using Deleted = std::function<void(int count)>;
  // TID_UI: a Storage command for this manager's storage, once it is ready.
  void Send(const std::string& method, Json params, Connection::ReplyCallback callback);
  // TID_UI: every cookie `keep` keeps (null: every cookie), longest path
  // first; `then` gets none when they cannot be read.
  void Read(Filter keep, std::function<void(std::vector<Json>)> then);
  void Visit(const std::vector<Json>& cookies, CefRefPtr<CefCookieVisitor> visitor);
  // TID_UI: removes `cookies`; `done` gets how many went.
  void Remove(const std::vector<Json>& cookies, Deleted done);
  void RemoveAll(Deleted done);
  // Any thread: runs `task` on TID_UI with this manager held; false when the
  // runtime is not running.
  bool OnUi(const char* what, std::function<void()> task);

  const std::shared_ptr<ContextStorage> storage_;
  IMPLEMENT_REFCOUNTING(CookieManager);
};

}  // namespace cefcompat
