#include "network/fetch_interceptor.h"

#include <QByteArray>
#include <QDesktopServices>
#include <QUrl>
#include <atomic>
#include <set>

#include "include/wrapper/cef_stream_resource_handler.h"
#include "base/log.h"
#include "browser/runtime.h"
#include "network/stream_server.h"
#include "base/task_thread.h"
#include "network/net_errors.h"

namespace cefcompat {

namespace {

constexpr int64 kInlineBodyLimit = 256 * 1024;

// One paused request. Answered exactly once: the first answer wins, and a
// request nobody answered continues to the network when this goes.
class PendingFetch : public CefBaseRefCounted {
 public:
  PendingFetch(std::string requestId, std::string sessionId) : requestId_(std::move(requestId)), sessionId_(std::move(sessionId)) {}
  ~PendingFetch() override { Continue(); }

  void Continue(const std::string& url = std::string()) {
    Json params = {{"requestId", requestId_}};
    if (!url.empty()) params["url"] = url;
    Answer("Fetch.continueRequest", std::move(params));
  }
  void Fail(const std::string& reason) { Answer("Fetch.failRequest", {{"requestId", requestId_}, {"errorReason", reason}}); }
  void Fulfill(int status, const Json& headers, const std::string& body) {
    Answer("Fetch.fulfillRequest",
           {{"requestId", requestId_},
            {"responseCode", status},
            {"responseHeaders", headers},
            {"body", QByteArray::fromStdString(body).toBase64().toStdString()}});
  }

 private:
  void Answer(const std::string& method, Json params) {
    if (answered_.exchange(true)) return;
    // A request cancelled meanwhile (navigation, closed browser) makes this
    // fail on Chromium's side; nothing is left waiting either way.
    if (Runtime* runtime = Runtime::Get()) runtime->GetConnection().Send(method, std::move(params), sessionId_);
  }

  const std::string requestId_;
  const std::string sessionId_;
  std::atomic<bool> answered_{false};
  IMPLEMENT_REFCOUNTING(PendingFetch);
};

class FetchCallback : public CefRequestCallback {
 public:
  explicit FetchCallback(std::function<void(bool)> done) : done_(std::move(done)) {}
  void Continue(bool allow) override { Finish(allow); }
  void Cancel() override { Finish(false); }

 private:
  void Finish(bool proceed) {
    if (called_.exchange(true)) return;
    auto done = done_;
    if (!Threads::Post(TID_IO, [done, proceed] { done(proceed); })) done(proceed);
  }
  std::function<void(bool)> done_;
  std::atomic<bool> called_{false};
  IMPLEMENT_REFCOUNTING(FetchCallback);
};

Json HeaderList(CefRefPtr<CefResponse> response, int64 length) {
  Json headers = Json::array();
  CefResponse::HeaderMap map;
  response->GetHeaderMap(map);
  bool hasType = false;
  for (const auto& [name, value] : map) {
    hasType = hasType || QByteArray::fromStdString(name.ToString()).toLower() == "content-type";
    headers.push_back({{"name", name.ToString()}, {"value", value.ToString()}});
  }
  if (!hasType && !response->GetMimeType().empty()) headers.push_back({{"name", "Content-Type"}, {"value", response->GetMimeType().ToString()}});
  if (length >= 0) headers.push_back({{"name", "Content-Length"}, {"value", std::to_string(length)}});
  return headers;
}

// Serves a handler's response: inline when small, from the loopback server otherwise.
void Serve(CefRefPtr<CefResourceHandler> handler, CefRefPtr<CefRequest> request, CefRefPtr<PendingFetch> pending) {
  bool handle = false;
  if (!handler->Open(request, handle, nullptr) || !handle) {
    pending->Fail("Aborted");
    return;
  }
  CefRefPtr<CefResponse> response = CefResponse::Create();
  response->SetStatus(200);
  int64 length = -1;
  CefString redirect;
  handler->GetResponseHeaders(response, length, redirect);
  if (!redirect.empty()) {
    pending->Fulfill(302, Json::array({{{"name", "Location"}, {"value", redirect.ToString()}}}), std::string());
    return;
  }
  const bool ranged = !request->GetHeaderByName("Range").empty() || !request->GetHeaderByName("range").empty();
  if (ranged || length < 0 || length > kInlineBodyLimit) {
    pending->Continue(StreamServer::Instance()->Publish(handler, response, length));
    return;
  }
  std::string body;
  body.reserve(static_cast<size_t>(length));
  char chunk[64 * 1024];
  for (int got = 0; handler->Read(chunk, sizeof(chunk), got, nullptr) && got > 0;) body.append(chunk, static_cast<size_t>(got));
  // A body cut short (a damaged archive entry) is a failed load, not a page.
  if (body.size() < static_cast<size_t>(length)) {
    Log(LOGSEVERITY_ERROR, "resource " + request->GetURL().ToString() + ": the body ended after " + std::to_string(body.size()) +
                               " of " + std::to_string(length) + " bytes");
    pending->Fail("Failed");
    return;
  }
  const int status = response->GetStatus() > 0 ? response->GetStatus() : 200;
  pending->Fulfill(status, HeaderList(response, static_cast<int64>(body.size())), body);
}

}  // namespace

FetchInterceptor::FetchInterceptor(InterceptedBrowser* browser, CefRefPtr<CefClient> client)
    : browser_(browser), client_(std::move(client)) {}

void FetchInterceptor::Subscribe(PageSession& session) {
  session.On("Fetch.requestPaused", [this](const Json& params) { OnRequestPaused(params); });
  session.On("Network.responseReceived", [this](const Json& params) {
    const Json response = params.value("response", Json::object());
    CefRefPtr<CefResponse> reported = CefResponse::Create();
    reported->SetStatus(response.value("status", 0));
    reported->SetStatusText(response.value("statusText", std::string()));
    reported->SetMimeType(response.value("mimeType", std::string()));
    gestures_.erase(params.value("requestId", std::string()));
    OnResponse(params.value("requestId", std::string()), reported);
  });
  session.On("Network.loadingFailed", [this](const Json& params) {
    CefRefPtr<CefResponse> reported = CefResponse::Create();
    reported->SetError(NetErrorFromText(params.value("errorText", std::string())));
    reported->SetStatusText(params.value("errorText", std::string()));
    gestures_.erase(params.value("requestId", std::string()));
    OnResponse(params.value("requestId", std::string()), reported);
  });
  session.On("Page.frameRequestedNavigation", [this](const Json& params) {
    const std::string url = params.value("url", std::string());
    const std::string scheme = QUrl(QString::fromStdString(url)).scheme().toLower().toStdString();
    static const std::set<std::string> kLoaded = {"http", "https", "file", "data", "about", "blob", "javascript",
                                                  "chrome", "devtools", "filesystem", "ws", "wss"};
    if (!scheme.empty() && !kLoaded.count(scheme)) OnExternalProtocol(url, params.value("frameId", std::string()));
  });
  session.On("Network.requestWillBeSent", [this](const Json& params) {
    if (params.value("type", std::string()) != "Document" || !client_ || !client_->GetRequestHandler()) return;
    gestures_[params.value("requestId", std::string())] = params.value("hasUserGesture", false);
  });
}

void FetchInterceptor::OnRequestPaused(const Json& params) {
  CefRefPtr<CefBrowser> browser = browser_->Browser();
  FetchInterceptor* self = this;
  // The interceptor lives as long as its browser; the browser is kept alive by the task.
  Threads::Post(TID_IO, [browser, self, params] { self->Handle(params); });
}

void FetchInterceptor::Handle(const Json& params) {
  CefRefPtr<PendingFetch> pending(new PendingFetch(params.value("requestId", std::string()), browser_->SessionId()));
  auto requestHandler = client_ ? client_->GetRequestHandler() : nullptr;
  CefRefPtr<CefBrowser> browser = browser_->Browser();
  if (!requestHandler || !browser->IsValid()) return;  // continues when `pending` goes
  const Json info = params.value("request", Json::object());
  CefRefPtr<CefRequest> request = CefRequest::Create();
  request->SetURL(info.value("url", std::string()));
  request->SetMethod(info.value("method", std::string("GET")));
  CefRequest::HeaderMap headers;
  const Json requestHeaders = info.value("headers", Json::object());
  for (const auto& [name, value] : requestHeaders.items()) {
    if (value.is_string()) headers.emplace(name, value.get<std::string>());
  }
  request->SetHeaderMap(headers);
  CefRefPtr<CefFrame> frame = browser_->FrameByProtocolId(params.value("frameId", std::string()));
  if (params.value("resourceType", std::string()) != "Document") return Load(params, frame, request, pending);
  FetchInterceptor* self = this;
  Threads::Post(TID_UI, [self, browser, params, frame, request, pending] {
    if (!self->MayBrowse(params, frame, request)) return pending->Fail("Aborted");
    Threads::Post(TID_IO, [self, browser, params, frame, request, pending] { self->Load(params, frame, request, pending); });
  });
}

bool FetchInterceptor::MayBrowse(const Json& params, CefRefPtr<CefFrame> frame, CefRefPtr<CefRequest> request) {
  auto requestHandler = client_ ? client_->GetRequestHandler() : nullptr;
  CefRefPtr<CefBrowser> browser = browser_->Browser();
  if (!requestHandler || !browser->IsValid()) return true;
  const bool gesture = GestureOf(params.value("networkId", std::string()));
  const bool redirect = params.contains("redirectedRequestId");
  if (!requestHandler->OnBeforeBrowse(browser, frame, request, gesture, redirect)) return true;
  Log(LOGSEVERITY_INFO, "navigation to " + request->GetURL().ToString() + " cancelled by OnBeforeBrowse");
  return false;
}

bool FetchInterceptor::GestureOf(const std::string& networkId) const {
  const auto known = gestures_.find(networkId);
  return known != gestures_.end() && known->second;
}

void FetchInterceptor::Load(const Json& params, CefRefPtr<CefFrame> frame, CefRefPtr<CefRequest> request,
                            CefRefPtr<CefBaseRefCounted> pendingBase) {
  CefRefPtr<PendingFetch> pending(static_cast<PendingFetch*>(pendingBase.get()));
  auto requestHandler = client_ ? client_->GetRequestHandler() : nullptr;
  CefRefPtr<CefBrowser> browser = browser_->Browser();
  if (!requestHandler || !browser->IsValid()) return;  // continues when `pending` goes
  const bool isNavigation = params.value("resourceType", std::string()) == "Document";
  bool disableDefault = false;
  CefRefPtr<CefResourceRequestHandler> handler;
  try {
    handler = requestHandler->GetResourceRequestHandler(browser, frame, request, isNavigation, false, CefString(), disableDefault);
  } catch (...) {
    Log(LOGSEVERITY_ERROR, "GetResourceRequestHandler threw; the request goes to the network");
  }
  if (!handler) return;
  const std::string networkId = params.value("networkId", std::string());
  if (!networkId.empty()) {
    std::lock_guard<std::mutex> lock(mutex_);
    tracked_[networkId] = {handler, request, frame};
  }
  auto proceed = [browser, handler, frame, request, pending](bool allowed) {
    if (!allowed) return pending->Fail("Aborted");
    CefRefPtr<CefResourceHandler> resource;
    try {
      resource = handler->GetResourceHandler(browser.get(), frame, request);
      if (resource) Serve(resource, request, pending);
    } catch (...) {
      Log(LOGSEVERITY_ERROR, "a resource handler threw; the request goes to the network");
    }
  };
  cef_return_value_t result = RV_CONTINUE;
  try {
    result = handler->OnBeforeResourceLoad(browser, frame, request, new FetchCallback(proceed));
  } catch (...) {
    Log(LOGSEVERITY_ERROR, "OnBeforeResourceLoad threw; the request goes to the network");
    return;
  }
  if (result == RV_CANCEL) return pending->Fail("Aborted");
  if (result == RV_CONTINUE) proceed(true);
  // RV_CONTINUE_ASYNC: the callback proceeds; `pending` stays alive in it.
}

void FetchInterceptor::OnResponse(const std::string& networkId, CefRefPtr<CefResponse> response) {
  Tracked tracked;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    const auto it = tracked_.find(networkId);
    if (it == tracked_.end()) return;
    tracked = it->second;
    tracked_.erase(it);
  }
  CefRefPtr<CefBrowser> browser = browser_->Browser();
  Threads::Post(TID_IO, [browser, tracked, response] {
    tracked.handler->OnResourceResponse(browser.get(), tracked.frame, tracked.request, response);
  });
}

void FetchInterceptor::OnExternalProtocol(const std::string& url, const std::string& frameId) {
  CefRefPtr<CefBrowser> browser = browser_->Browser();
  InterceptedBrowser* intercepted = browser_;
  CefRefPtr<CefClient> client = client_;
  Threads::Post(TID_IO, [browser, intercepted, client, url, frameId] {
    auto requestHandler = client ? client->GetRequestHandler() : nullptr;
    if (!requestHandler) return;
    CefRefPtr<CefRequest> request = CefRequest::Create();
    request->SetURL(url);
    CefRefPtr<CefFrame> frame = intercepted->FrameByProtocolId(frameId);
    bool disableDefault = false;
    auto handler = requestHandler->GetResourceRequestHandler(browser.get(), frame, request, true, false, CefString(), disableDefault);
    bool allow = false;
    if (handler) handler->OnProtocolExecution(browser.get(), frame, request, allow);
    Log(LOGSEVERITY_INFO, "external protocol " + url + (allow ? ": handed to the operating system" : ": not opened"));
    if (!allow) return;
    Threads::PostToQt([url] { QDesktopServices::openUrl(QUrl(QString::fromStdString(url))); });
  });
}

}  // namespace cefcompat
