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
#include "network/resource_job.h"
#include "network/scheme_registry.h"

namespace cefcompat {

namespace {

constexpr int64 kInlineBodyLimit = 256 * 1024;
constexpr int kInlineChunk = 64 * 1024;
// Every right of a page but its own origin.
constexpr char kOpaqueOriginPolicy[] = "sandbox allow-scripts allow-forms allow-popups allow-modals allow-downloads";

// One paused request. Answered exactly once: the first answer wins, and a
// request nobody answered continues to the network when this goes (or fails,
// for a custom scheme's request, which has no network to go to).
class PendingFetch : public CefBaseRefCounted {
 public:
  PendingFetch(std::string requestId, std::string sessionId, std::string networkId,
               std::shared_ptr<FetchInterceptor::Failures> failures)
      : requestId_(std::move(requestId)), sessionId_(std::move(sessionId)), networkId_(std::move(networkId)),
        failures_(std::move(failures)) {}
  ~PendingFetch() override {
    if (unanswered_ != ERR_NONE) {
      Fail(unanswered_);
    } else {
      Continue();
    }
  }

  // What happens to the request when nobody answers it: ERR_NONE continues it.
  void FailWhenUnanswered(cef_errorcode_t error) { unanswered_ = error; }
  void Continue(const std::string& url = std::string()) {
    Json params = {{"requestId", requestId_}};
    if (!url.empty()) params["url"] = url;
    Answer("Fetch.continueRequest", std::move(params));
  }
  // Chromium names fewer errors than CEF: the exact one is kept for OnLoadError.
  void Fail(cef_errorcode_t error) {
    if (answered_) return;
    if (!networkId_.empty()) failures_->Note(networkId_, error);
    Answer("Fetch.failRequest", {{"requestId", requestId_}, {"errorReason", FetchErrorReason(error)}});
  }
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
  const std::string networkId_;
  const std::shared_ptr<FetchInterceptor::Failures> failures_;
  std::atomic<cef_errorcode_t> unanswered_{ERR_NONE};
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

// Reads the rest of a small body (TID_IO, or wherever the handler answers),
// then fulfils the request with it.
void ReadInline(CefRefPtr<ResourceJob> job, CefRefPtr<CefResponse> response, int64 length,
                std::shared_ptr<std::string> body, CefRefPtr<PendingFetch> pending) {
  const int64 left = length - static_cast<int64>(body->size());
  if (left == 0) {
    const int status = response->GetStatus() > 0 ? response->GetStatus() : 200;
    return pending->Fulfill(status, HeaderList(response, length), *body);
  }
  job->Read(static_cast<int>(std::min<int64>(left, kInlineChunk)), [job, response, length, body, pending](int64 got) {
    if (got > 0) {
      body->append(job->Data(), static_cast<size_t>(got));
      return ReadInline(job, response, length, body, pending);
    }
    // A body cut short (a damaged archive entry) is a failed load, not a page.
    const std::string url = job->Request()->GetURL().ToString();
    Log(LOGSEVERITY_ERROR, "resource " + url + ": the body " + (got == 0 ? "ended" : "failed (error " + std::to_string(got) + ")") +
                               " after " + std::to_string(body->size()) + " of " + std::to_string(length) + " bytes");
    job->Cancel();
    pending->Fail(got == 0 ? ERR_FAILED : static_cast<cef_errorcode_t>(got));
  });
}

// What Chromium must see of a response meant for a custom scheme's URLs: a
// redirect to one goes to its stand-in, and a page of a scheme without hosts
// has an opaque origin, as in CEF (the stand-in's origin is sandboxed away).
void ForChromium(CefRefPtr<CefResponse> response, const std::string& url) {
  const SchemeRegistry& schemes = SchemeRegistry::Instance();
  CefResponse::HeaderMap headers;
  response->GetHeaderMap(headers);
  for (auto& [name, value] : headers) {
    if (QByteArray::fromStdString(name.ToString()).toLower() == "location") value = schemes.ToChromium(value.ToString());
  }
  if (schemes.HasOpaqueOrigin(url)) headers.emplace("Content-Security-Policy", kOpaqueOriginPolicy);
  response->SetHeaderMap(headers);
}

// The handler has opened: its headers, then the body inline when small, from
// the loopback server otherwise.
void Respond(CefRefPtr<ResourceJob> job, CefRefPtr<PendingFetch> pending) {
  CefRefPtr<CefResponse> response = CefResponse::Create();
  response->SetStatus(200);
  int64 length = -1;
  CefString redirect;
  job->GetHeaders(response, length, redirect);
  CefRefPtr<CefRequest> request = job->Request();
  ForChromium(response, request->GetURL().ToString());
  if (response->GetError() != ERR_NONE) {
    Log(LOGSEVERITY_WARNING, "resource " + request->GetURL().ToString() + ": the handler answered with error " +
                                 std::to_string(response->GetError()));
    job->Cancel();
    return pending->Fail(response->GetError());
  }
  if (!redirect.empty()) {
    const std::string location = SchemeRegistry::Instance().ToChromium(redirect.ToString());
    pending->Fulfill(302, Json::array({{{"name", "Location"}, {"value", location}}}), std::string());
    return;
  }
  const bool ranged = !request->GetHeaderByName("Range").empty() || !request->GetHeaderByName("range").empty();
  // A body Chromium's HTTP cache may keep goes through the stream server
  // whatever its size: a fulfilled response is never cached.
  const bool keepable = StreamServer::Keepable(job, response, length);
  if (ranged || length < 0 || length > kInlineBodyLimit || keepable) {
    pending->Continue(StreamServer::Instance()->Publish(job, response, length, keepable));
    return;
  }
  ReadInline(job, response, length, std::make_shared<std::string>(), pending);
}

// Serves a request from a resource handler.
void Serve(CefRefPtr<CefResourceHandler> handler, CefRefPtr<CefRequest> request, CefRefPtr<PendingFetch> pending) {
  CefRefPtr<ResourceJob> job(new ResourceJob(handler, request));
  job->Open([job, pending](int64 opened) {
    if (opened == ERR_NONE) return Respond(job, pending);
    Log(LOGSEVERITY_INFO, "resource " + job->Request()->GetURL().ToString() + ": the handler " +
                              (opened == ERR_TIMED_OUT ? "did not open it in time" : "cancelled it"));
    job->Cancel();
    pending->Fail(static_cast<cef_errorcode_t>(opened));
  });
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
    if (scheme.empty() || kLoaded.count(scheme)) return;
    const std::string frameId = params.value("frameId", std::string());
    // Chromium gives up a custom scheme's URL as unknown: it is loaded at its stand-in instead.
    if (SchemeRegistry::Instance().IsCustom(scheme)) {
      const bool mapped = SchemeRegistry::Instance().ToChromium(url) != url;
      if (!mapped) Log(LOGSEVERITY_WARNING, "navigation to " + url + " refused: a standard scheme's URL needs a host");
      if (mapped && params.value("disposition", std::string()) == "currentTab") browser_->LoadInFrame(frameId, url);
      return;
    }
    OnExternalProtocol(url, frameId);
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
  const std::string networkId = params.value("networkId", std::string());
  CefRefPtr<PendingFetch> pending(
      new PendingFetch(params.value("requestId", std::string()), browser_->SessionId(), networkId, failures_));
  CefRefPtr<CefBrowser> browser = browser_->Browser();
  if (!browser->IsValid()) return;  // continues when `pending` goes
  const Json info = params.value("request", Json::object());
  // The client hears of a custom scheme's URL, not of its stand-in.
  const std::string chromiumUrl = info.value("url", std::string());
  const std::string url = SchemeRegistry::Instance().FromChromium(chromiumUrl);
  if (url != chromiumUrl) pending->FailWhenUnanswered(ERR_UNKNOWN_URL_SCHEME);
  CefRefPtr<CefRequest> request = CefRequest::Create();
  request->SetURL(url);
  request->SetMethod(info.value("method", std::string("GET")));
  CefRequest::HeaderMap headers;
  const Json requestHeaders = info.value("headers", Json::object());
  for (const auto& [name, value] : requestHeaders.items()) {
    if (value.is_string()) headers.emplace(name, value.get<std::string>());
  }
  request->SetHeaderMap(headers);
  CefRefPtr<CefFrame> frame = browser_->FrameByProtocolId(params.value("frameId", std::string()));
  const bool asksClient = client_ && client_->GetRequestHandler();
  if (!asksClient || params.value("resourceType", std::string()) != "Document") return Load(params, frame, request, pending);
  FetchInterceptor* self = this;
  Threads::Post(TID_UI, [self, browser, params, frame, request, pending] {
    if (!self->MayBrowse(params, frame, request)) return pending->Fail(ERR_ABORTED);
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

// The client's resource handler first, then a scheme handler factory's, as in CEF.
void FetchInterceptor::Load(const Json& params, CefRefPtr<CefFrame> frame, CefRefPtr<CefRequest> request,
                            CefRefPtr<CefBaseRefCounted> pendingBase) {
  CefRefPtr<PendingFetch> pending(static_cast<PendingFetch*>(pendingBase.get()));
  CefRefPtr<CefBrowser> browser = browser_->Browser();
  if (!browser->IsValid()) return;  // continues (or fails) when `pending` goes
  CefRefPtr<CefResourceRequestHandler> handler = RequestHandlerFor(params, frame, request);
  auto proceed = [browser, handler, frame, request, pending](bool allowed) {
    if (!allowed) return pending->Fail(ERR_ABORTED);
    CefRefPtr<CefResourceHandler> resource;
    try {
      if (handler) resource = handler->GetResourceHandler(browser.get(), frame, request);
      if (!resource) resource = FromFactory(browser, frame, request);
      if (resource) Serve(resource, request, pending);
    } catch (...) {
      Log(LOGSEVERITY_ERROR, "a resource handler threw; the request goes on unanswered by it");
    }
  };
  if (!handler) return proceed(true);
  cef_return_value_t result = RV_CONTINUE;
  try {
    result = handler->OnBeforeResourceLoad(browser, frame, request, new FetchCallback(proceed));
  } catch (...) {
    Log(LOGSEVERITY_ERROR, "OnBeforeResourceLoad threw; the request goes on unanswered by the client");
    return;
  }
  if (result == RV_CANCEL) return pending->Fail(ERR_ABORTED);
  if (result == RV_CONTINUE) proceed(true);
  // RV_CONTINUE_ASYNC: the callback proceeds; `pending` stays alive in it.
}

CefRefPtr<CefResourceRequestHandler> FetchInterceptor::RequestHandlerFor(const Json& params, CefRefPtr<CefFrame> frame,
                                                                         CefRefPtr<CefRequest> request) {
  auto requestHandler = client_ ? client_->GetRequestHandler() : nullptr;
  if (!requestHandler) return nullptr;
  const bool isNavigation = params.value("resourceType", std::string()) == "Document";
  bool disableDefault = false;
  CefRefPtr<CefResourceRequestHandler> handler;
  try {
    handler = requestHandler->GetResourceRequestHandler(browser_->Browser(), frame, request, isNavigation, false,
                                                        CefString(), disableDefault);
  } catch (...) {
    Log(LOGSEVERITY_ERROR, "GetResourceRequestHandler threw; the request goes on unanswered by the client");
  }
  const std::string networkId = params.value("networkId", std::string());
  if (handler && !networkId.empty()) {
    std::lock_guard<std::mutex> lock(mutex_);
    tracked_[networkId] = {handler, request, frame};
  }
  return handler;
}

CefRefPtr<CefResourceHandler> FetchInterceptor::FromFactory(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                                                            CefRefPtr<CefRequest> request) {
  const std::string url = request->GetURL().ToString();
  CefRefPtr<CefSchemeHandlerFactory> factory = SchemeRegistry::Instance().FactoryFor(url);
  if (!factory) return nullptr;
  const std::string scheme = QUrl(QString::fromStdString(url)).scheme().toLower().toStdString();
  CefRefPtr<CefResourceHandler> handler = factory->Create(browser, frame, scheme, request);
  if (!handler) Log(LOGSEVERITY_VERBOSE, "the " + scheme + " scheme's factory left " + url + " to the default");
  return handler;
}

cef_errorcode_t FetchInterceptor::TakeFailure(const std::string& networkId) { return failures_->Take(networkId); }

void FetchInterceptor::Failures::Note(const std::string& networkId, cef_errorcode_t error) {
  std::lock_guard<std::mutex> lock(mutex_);
  // Requests failed by the runtime but never reported (a page gone) are few; keep the newest.
  if (byRequest_.size() > 256) byRequest_.clear();
  byRequest_[networkId] = error;
}

cef_errorcode_t FetchInterceptor::Failures::Take(const std::string& networkId) {
  std::lock_guard<std::mutex> lock(mutex_);
  const auto it = byRequest_.find(networkId);
  if (it == byRequest_.end()) return ERR_NONE;
  const cef_errorcode_t error = it->second;
  byRequest_.erase(it);
  return error;
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
