#include "network/cookie_manager.h"

#include <QUrl>
#include <algorithm>
#include <memory>

#include "base/log.h"
#include "base/task_thread.h"
#include "browser/page_session.h"
#include "browser/runtime.h"
#include "network/context_storage.h"
#include "network/cookie_codec.h"
#include "network/scheme_registry.h"

namespace cefcompat {

namespace {

// A custom scheme's cookies are its stand-in's.
QUrl CookieUrl(const CefString& url) {
  return QUrl(QString::fromStdString(SchemeRegistry::Instance().ToChromium(url.ToString())));
}

void TellSet(CefRefPtr<CefSetCookieCallback> callback, bool success) {
  if (callback) callback->OnComplete(success);
}

void TellDeleted(CefRefPtr<CefDeleteCookiesCallback> callback, int count) {
  if (callback) callback->OnComplete(count);
}

}  // namespace

CefRefPtr<CookieManager> CookieManager::Global() {
  static CefRefPtr<CookieManager> global(new CookieManager(ContextStorage::Global()));
  return global;
}

bool CookieManager::OnUi(const char* what, std::function<void()> task) {
  Runtime* runtime = Runtime::Get();
  if (!runtime || !runtime->IsRunning()) {
    Log(LOGSEVERITY_ERROR, std::string("CefCookieManager::") + what + ": the runtime is not running");
    return false;
  }
  CefRefPtr<CookieManager> self(this);
  return Threads::Post(TID_UI, [self, task = std::move(task)] { task(); });
}

void CookieManager::Send(const std::string& method, Json params, Connection::ReplyCallback callback) {
  CefRefPtr<CookieManager> self(this);
  storage_->WhenReady([self, method, params, callback](bool ok, const std::string& contextId) mutable {
    if (!ok) return callback({false, {}, "the request context's storage is gone"});
    if (!contextId.empty()) params["browserContextId"] = contextId;
    // The reply's work may use this manager: it is held until then.
    PageSession::SendToChromium(method, std::move(params),
                                [self, callback](const Connection::Reply& reply) { callback(reply); });
  });
}

bool CookieManager::VisitAllCookies(CefRefPtr<CefCookieVisitor> visitor) {
  if (!visitor) return false;
  return OnUi("VisitAllCookies",
              [this, visitor] { Read(nullptr, [this, visitor](std::vector<Json> all) { Visit(all, visitor); }); });
}

bool CookieManager::VisitUrlCookies(const CefString& url, bool includeHttpOnly, CefRefPtr<CefCookieVisitor> visitor) {
  const QUrl target = CookieUrl(url);
  if (!IsCookieUrl(target)) {
    Log(LOGSEVERITY_ERROR, "CefCookieManager::VisitUrlCookies: invalid URL '" + url.ToString() + "'");
    return false;
  }
  if (!visitor) return false;
  auto keep = [target, includeHttpOnly](const Json& cookie) { return UrlSendsCookie(target, cookie, includeHttpOnly); };
  return OnUi("VisitUrlCookies",
              [this, keep, visitor] { Read(keep, [this, visitor](std::vector<Json> sent) { Visit(sent, visitor); }); });
}

bool CookieManager::SetCookie(const CefString& url, const CefCookie& cookie, CefRefPtr<CefSetCookieCallback> callback) {
  const QUrl target = CookieUrl(url);
  const std::string refusal = CookieRefusal(target, cookie);
  if (!refusal.empty()) {
    Log(LOGSEVERITY_ERROR, "CefCookieManager::SetCookie(" + url.ToString() + ") refused: " + refusal);
    OnUi("SetCookie", [callback] { TellSet(callback, false); });
    return IsCookieUrl(target);
  }
  const Json param = CookieToProtocol(target, cookie);
  return OnUi("SetCookie", [this, param, callback] {
    Send("Storage.setCookies", {{"cookies", Json::array({param})}}, [param, callback](const Connection::Reply& reply) {
      if (!reply.ok) {
        Log(LOGSEVERITY_ERROR, "CefCookieManager::SetCookie(" + param.value("url", std::string()) +
                                   ") refused by Chromium: " + reply.error);
      }
      TellSet(callback, reply.ok);
    });
  });
}

bool CookieManager::DeleteCookies(const CefString& url, const CefString& cookie_name,
                                  CefRefPtr<CefDeleteCookiesCallback> callback) {
  auto tell = [callback](int count) { TellDeleted(callback, count); };
  if (url.empty()) return OnUi("DeleteCookies", [this, tell] { RemoveAll(tell); });
  const QUrl target = CookieUrl(url);
  if (!IsCookieUrl(target)) {
    Log(LOGSEVERITY_ERROR, "CefCookieManager::DeleteCookies: invalid URL '" + url.ToString() + "'");
    return false;
  }
  const std::string name = cookie_name.ToString();
  auto keep = [target, name](const Json& cookie) {
    if (name.empty()) return HostHasCookie(target, cookie, true);
    return cookie.value("name", std::string()) == name && HostHasCookie(target, cookie, false);
  };
  return OnUi("DeleteCookies",
              [this, keep, tell] { Read(keep, [this, tell](std::vector<Json> found) { Remove(found, tell); }); });
}

// Chromium writes its cookie store by itself (and when it closes); a reply
// to a read sent after every change means Chromium has them all.
bool CookieManager::FlushStore(CefRefPtr<CefCompletionCallback> callback) {
  return OnUi("FlushStore", [this, callback] {
    Read(nullptr, [callback](std::vector<Json>) {
      if (callback) callback->OnComplete();
    });
  });
}

void CookieManager::Read(Filter keep, std::function<void(std::vector<Json>)> then) {
  Send("Storage.getCookies", Json::object(), [keep, then](const Connection::Reply& reply) {
    if (!reply.ok) Log(LOGSEVERITY_ERROR, "reading the cookies failed: " + reply.error);
    std::vector<Json> cookies;
    for (const Json& cookie : reply.ok ? reply.result.value("cookies", Json::array()) : Json::array()) {
      if (!keep || keep(cookie)) cookies.push_back(cookie);
    }
    std::stable_sort(cookies.begin(), cookies.end(), [](const Json& a, const Json& b) {
      return a.value("path", std::string()).size() > b.value("path", std::string()).size();
    });
    then(std::move(cookies));
  });
}

void CookieManager::Visit(const std::vector<Json>& cookies, CefRefPtr<CefCookieVisitor> visitor) {
  std::vector<Json> doomed;
  const int total = static_cast<int>(cookies.size());
  for (int i = 0; i < total; ++i) {
    bool deleteCookie = false;
    const bool goOn = visitor->Visit(CookieFromProtocol(cookies[static_cast<size_t>(i)]), i, total, deleteCookie);
    if (deleteCookie) doomed.push_back(cookies[static_cast<size_t>(i)]);
    if (!goOn) break;
  }
  if (!doomed.empty()) Remove(doomed, nullptr);
}

void CookieManager::Remove(const std::vector<Json>& cookies, Deleted done) {
  if (cookies.empty()) {
    if (done) done(0);
    return;
  }
  Json removals = Json::array();
  for (const Json& cookie : cookies) removals.push_back(CookieRemoval(cookie));
  const int count = static_cast<int>(cookies.size());
  Send("Storage.setCookies", {{"cookies", removals}}, [count, done](const Connection::Reply& reply) {
    if (!reply.ok) Log(LOGSEVERITY_ERROR, "deleting cookies failed: " + reply.error);
    if (done) done(reply.ok ? count : 0);
  });
}

void CookieManager::RemoveAll(Deleted done) {
  CefRefPtr<CookieManager> self(this);
  Read(nullptr, [self, done](std::vector<Json> all) {
    const int count = static_cast<int>(all.size());
    self->Send("Storage.clearCookies", Json::object(), [count, done](const Connection::Reply& reply) {
      if (!reply.ok) Log(LOGSEVERITY_ERROR, "deleting every cookie failed: " + reply.error);
      done(reply.ok ? count : 0);
    });
  });
}

}  // namespace cefcompat

CefRefPtr<CefCookieManager> CefCookieManager::GetGlobalManager(CefRefPtr<CefCompletionCallback> callback) {
  if (!cefcompat::Runtime::Get()) {
    cefcompat::Log(LOGSEVERITY_ERROR, "CefCookieManager::GetGlobalManager: CefInitialize has not run");
    return nullptr;
  }
  if (callback) cefcompat::Threads::Post(TID_UI, [callback] { callback->OnComplete(); });
  return cefcompat::CookieManager::Global();
}
