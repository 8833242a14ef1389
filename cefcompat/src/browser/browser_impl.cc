#include "browser/browser_impl.h"

#include <QUrl>

#include "base/log.h"
#include "base/task_thread.h"
#include "browser/runtime.h"
#include "network/context_storage.h"
#include "network/fetch_interceptor.h"
#include "network/scheme_registry.h"
#include "render/renderer_host.h"
#include "x11/window_nursery.h"

namespace cefcompat {

namespace {

constexpr char kBlankUrl[] = "about:blank";
constexpr int kCloseRetryMs = 500;
constexpr int kCloseTimeoutMs = 5000;
constexpr int kWindowTimeoutMs = 10000;
constexpr int kTokenRewriteMs = 250;

}  // namespace

BrowserImpl::BrowserImpl(int id, CefRefPtr<CefClient> client, const CefBrowserSettings& settings, bool isPopup,
                         CefRefPtr<RequestContextImpl> context)
    : id_(id),
      client_(std::move(client)),
      settings_(settings),
      isPopup_(isPopup),
      context_(context ? std::move(context) : RequestContextImpl::Global()),
      frames_([this](const std::string& frameId, const std::string& parentId, bool isMain) {
        return CefRefPtr<FrameImpl>(new FrameImpl(this, frameId, parentId, isMain));
      }),
      navigation_(this, client_, session_, frames_),
      console_(this, client_),
      contextMenu_(this, client_, frames_),
      popups_(this, client_, settings_),
      openUrls_(this, client_),
      dialogs_(this, client_, session_),
      fileDialogs_(this, client_, session_),
      view_(this, session_),
      input_(this, client_, session_),
      display_(this, client_, frames_, view_),
      focus_(this, client_, view_),
      keys_(this, client_),
      fieldPopups_(this),
      clipboard_(this),
      caret_(this, view_),
      zoom_(session_),
      find_(this, client_, session_) {
  navigation_.SetOnMainFrameStopped([this] { RefreshTitle(); });
}

BrowserImpl::~BrowserImpl() = default;

void BrowserImpl::PostToUi(std::function<void()> task) {
  CefRefPtr<BrowserImpl> self(this);
  Threads::Post(TID_UI, [self, task = std::move(task)]() { task(); });
}

// ---- creation and close --------------------------------------------------

void BrowserImpl::Attach(const std::string& targetId, const std::string& url, bool notifyClient, bool withRenderer) {
  Runtime* runtime = Runtime::Get();
  if (!runtime) return;
  CefRefPtr<BrowserImpl> self(this);
  if (targetId.empty() && runtime->Windowed()) {
    view_.UseNativeWindow(&runtime->Windowed()->Nursery());
    runtime->Windowed()->Open(800, 600, [self, url, notifyClient, withRenderer](const std::string& id, const std::string& error) {
      self->OnWindowOpened(id, error, url, notifyClient, withRenderer);
    });
    return;
  }
  if (targetId.empty()) return CreateTarget(url, notifyClient, withRenderer);
  if (runtime->Windowed()) view_.UseNativeWindow(&runtime->Windowed()->Nursery());
  session_.SetIds(targetId, std::string());
  runtime->Register(targetId, self);
  PageSession::SendToChromium("Target.attachToTarget", {{"targetId", targetId}, {"flatten", true}},
                              [self, url, notifyClient, withRenderer](const Connection::Reply& reply) {
                                if (!reply.ok) {
                                  Log(LOGSEVERITY_ERROR, "attaching to a browser target failed: " + reply.error);
                                  return self->OnTargetGone("attach failed");
                                }
                                self->OnAttached(reply.result.value("sessionId", std::string()), url, notifyClient,
                                                 withRenderer);
                              });
}

// A window of its own, so that minimising it (see ScreencastView) hides this
// page only, and no page is a background tab of another's window.
void BrowserImpl::CreateTarget(const std::string& url, bool notifyClient, bool withRenderer) {
  CefRefPtr<BrowserImpl> self(this);
  context_->Storage()->WhenReady([self, url, notifyClient, withRenderer](bool ok, const std::string& contextId) {
    if (!ok) {
      Log(LOGSEVERITY_ERROR, "CreateBrowser failed: its request context's storage could not be made");
      return self->OnTargetGone("creation failed");
    }
    Json params = {{"url", kBlankUrl}, {"newWindow", true}};
    if (!contextId.empty()) params["browserContextId"] = contextId;
    PageSession::SendToChromium(
        "Target.createTarget", params, [self, url, notifyClient, withRenderer](const Connection::Reply& reply) {
          if (reply.ok) {
            return self->Attach(reply.result.value("targetId", std::string()), url, notifyClient, withRenderer);
          }
          Runtime* rt = Runtime::Get();
          if (!rt || rt->IsRunning()) {
            Log(LOGSEVERITY_ERROR, "CreateBrowser failed: " + reply.error);
            return self->OnTargetGone("creation failed");
          }
          // Chromium is gone: the browser is created on the next one.
          rt->WhenRunning([self, url, notifyClient, withRenderer](bool running) {
            if (!running) return self->OnTargetGone("Chromium is gone");
            self->Attach(std::string(), url, notifyClient, withRenderer);
          });
        });
  });
}

void BrowserImpl::OnWindowOpened(const std::string& targetId, const std::string& error, const std::string& url,
                                 bool notifyClient, bool withRenderer) {
  if (!targetId.empty()) return Attach(targetId, url, notifyClient, withRenderer);
  Runtime* runtime = Runtime::Get();
  if (!runtime || runtime->IsRunning()) {
    Log(LOGSEVERITY_ERROR, "CreateBrowser failed: " + error);
    return OnTargetGone("creation failed");
  }
  CefRefPtr<BrowserImpl> self(this);
  runtime->WhenRunning([self, url, notifyClient, withRenderer](bool running) {
    if (!running) return self->OnTargetGone("Chromium is gone");
    self->Attach(std::string(), url, notifyClient, withRenderer);
  });
}

// The window is known by a token put in its title, which Chromium passes on
// to the window's X title.
void BrowserImpl::FindWindowThen(std::function<void()> then) {
  Runtime* runtime = Runtime::Get();
  if (!runtime || !runtime->Windowed()) return then();
  WindowNursery& nursery = runtime->Windowed()->Nursery();
  const std::string token = "cefcompat-window-" + std::to_string(id_) + "-" + TargetId().substr(0, 8);
  CefRefPtr<BrowserImpl> self(this);
  auto done = std::make_shared<std::function<void()>>(std::move(then));
  nursery.Claim(token, [self, done](unsigned long window) {
    self->PostToUi([self, done, window]() {
      if (!*done) return;
      self->PlaceWindow(window);
      std::exchange(*done, nullptr)();
    });
  });
  WriteTokenUntilFound(token, done);
  Threads::Post(TID_UI, [self, done, token, &nursery]() {
    if (!*done) return;
    nursery.Cancel(token);
    Log(LOGSEVERITY_ERROR, "browser " + std::to_string(self->id_) + ": its Chromium window did not appear; the page is not shown");
    std::exchange(*done, nullptr)();
  }, kWindowTimeoutMs);
}

// The nursery reads a window's title as it is when the change is reported:
// a page that sets a title of its own meanwhile (the DevTools front end does
// as it starts) hides the token, which is written again until the window is
// found or the search given up.
void BrowserImpl::WriteTokenUntilFound(const std::string& token, std::shared_ptr<std::function<void()>> done) {
  if (!*done || closed_) return;
  Send("Runtime.evaluate", {{"expression", "document.title = '" + token + "', 0"}});
  CefRefPtr<BrowserImpl> self(this);
  Threads::Post(TID_UI, [self, token, done]() { self->WriteTokenUntilFound(token, done); }, kTokenRewriteMs);
}

void BrowserImpl::PlaceWindow(unsigned long window) {
  if (closed_) return;
  if (foreignParent_) {
    Runtime::Get()->Windowed()->Nursery().Place(window, foreignParent_, foreignBounds_.x, foreignBounds_.y,
                                                foreignBounds_.width, foreignBounds_.height);
  }
  view_.NativeWindowFound(window);
}

// The parts subscribe in the order they hear a shared event: the interceptor
// before the navigation, the navigation before the frame tree.
void BrowserImpl::Subscribe() {
  if (fetch_) fetch_->Subscribe(session_);
  responses_.Subscribe(session_);
  navigation_.Subscribe(session_);
  frames_.Subscribe(session_);
  console_.Subscribe(session_);
  popups_.Subscribe(session_);
  dialogs_.Subscribe(session_);
}

void BrowserImpl::OnAttached(const std::string& sessionId, const std::string& url, bool notifyClient,
                             bool withRenderer) {
  Runtime* runtime = Runtime::Get();
  if (!runtime) return;
  CefRefPtr<BrowserImpl> self(this);
  session_.SetIds(session_.TargetId(), sessionId);
  fetch_ = std::make_unique<FetchInterceptor>(this, client_);
  navigation_.SetFailureSource([this](const std::string& requestId) { return fetch_->TakeFailure(requestId); });
  Subscribe();
  runtime->GetConnection().SetSessionHandler(
      sessionId, [self](const std::string& method, const Json& params) { self->OnSessionEvent(method, params); });
  runtime->SetScreencastSink(sessionId, self);
  for (const char* domain : {"Page.enable", "Runtime.enable", "Network.enable", "Inspector.enable"}) {
    Send(domain, Json::object());
  }
  InterceptRequests();
  contextMenu_.Install(session_);
  display_.Install(session_);
  focus_.Install(session_);
  // A windowless page's keys come through SendKeyEvent, which tells the handler itself.
  // A windowless page's lists and clipboard are the runtime's: Chromium's
  // are never seen.
  if (view_.UsesNativeWindow()) {
    keys_.Install(session_);
    input_.LeaveKeysToPage();
  } else {
    fieldPopups_.Install(session_);
    clipboard_.Install(session_);
    caret_.Install(session_);
    input_.PasteThrough([this](std::function<void()> done) { clipboard_.Paste(std::move(done)); });
    contextMenu_.PasteWith([this]() { input_.Paste(); });
  }
  fileDialogs_.Install(session_);
  openUrls_.Install(session_);
  const cef_color_t color = runtime->Settings().background_color;
  if (color != 0) {
    const Json rgba = {{"r", (color >> 16) & 0xFF},
                       {"g", (color >> 8) & 0xFF},
                       {"b", color & 0xFF},
                       {"a", ((color >> 24) & 0xFF) / 255.0}};
    Send("Emulation.setDefaultBackgroundColorOverride", {{"color", rgba}});
  }
  view_.Apply();
  FindWindowThen([self, url, notifyClient, withRenderer] { self->DescribeFramesThen(url, notifyClient, withRenderer); });
}

void BrowserImpl::DescribeFramesThen(const std::string& url, bool notifyClient, bool withRenderer) {
  if (closed_) return;
  CefRefPtr<BrowserImpl> self(this);
  Send("Page.getFrameTree", Json::object(), [self, url, notifyClient, withRenderer](const Connection::Reply& tree) {
    if (self->closed_) return;
    const Json frame = tree.ok ? tree.result["frameTree"]["frame"] : Json::object();
    self->frames_.SetMain(frame.value("id", self->TargetId()), frame.value("url", std::string()));
    if (!withRenderer) return self->FinishCreation(url, notifyClient);
    self->StartRenderer([self, url, notifyClient] { self->FinishCreation(url, notifyClient); });
  });
}

void BrowserImpl::FinishCreation(const std::string& url, bool notifyClient) {
  if (closed_) return;
  if (url.empty()) return Announce(notifyClient);
  const std::string mainId = frames_.Main()->ProtocolId();
  // The initial navigation reaches Chromium before the client hears of the
  // browser, so a URL the client loads in reaction comes later and replaces it.
  if (url != kBlankUrl) {
    navigation_.Navigate(mainId, url, nullptr);
    return Announce(notifyClient);
  }
  // A blank page Chromium has not yet taken up could still cancel that later
  // load: a browser created on about:blank is announced once Chromium answers
  // its navigation (it is committing by then). The client hears of nothing
  // before OnAfterCreated: the events of that wait are held until then.
  holdingEvents_ = true;
  CefRefPtr<BrowserImpl> self(this);
  navigation_.Navigate(mainId, url, [self, notifyClient] { self->Announce(notifyClient); });
}

void BrowserImpl::Announce(bool notifyClient) {
  if (closed_) return;
  created_ = true;
  if (notifyClient && client_) {
    if (auto handler = client_->GetLifeSpanHandler()) handler->OnAfterCreated(this);
  }
  holdingEvents_ = false;
  std::deque<std::pair<std::string, Json>> held;
  held.swap(heldEvents_);
  for (const auto& [method, params] : held) OnSessionEvent(method, params);
  if (!closing_) return;
  closing_ = false;
  CloseBrowser(true);
}

void BrowserImpl::StartRenderer(std::function<void()> then) {
  CefRefPtr<BrowserImpl> self(this);
  auto renderer = std::make_shared<RendererHost>(
      id_, TargetId(),
      [self](const std::string& frameId, CefRefPtr<CefProcessMessage> message) { self->OnRendererMessage(frameId, message); },
      [self](const std::string& reason, bool killed) { self->OnRendererGone(reason, killed); });
  {
    std::lock_guard<std::mutex> lock(rendererMutex_);
    renderer_ = renderer;
  }
  renderer->Start([then](bool) { if (then) then(); });
}

void BrowserImpl::OnRendererMessage(const std::string& protocolFrameId, CefRefPtr<CefProcessMessage> message) {
  CefRefPtr<FrameImpl> frame = frames_.ByProtocolId(protocolFrameId);
  if (!frame || !frame->IsValid() || !client_ || closed_) {
    Log(LOGSEVERITY_VERBOSE, "process message from a frame that is gone; dropped");
    return;
  }
  client_->OnProcessMessageReceived(this, frame.get(), PID_RENDERER, message);
}

void BrowserImpl::OnRendererGone(const std::string& reason, bool killed) {
  if (closing_ || closed_) return;
  Log(LOGSEVERITY_WARNING, "browser " + std::to_string(id_) + ": render side ended (" + reason + "); starting a new one");
  if (client_) {
    if (auto handler = client_->GetRequestHandler()) {
      handler->OnRenderProcessTerminated(this, killed ? TS_PROCESS_WAS_KILLED : TS_ABNORMAL_TERMINATION);
    }
  }
  if (renderer_) renderer_->Stop();
  StartRenderer(nullptr);
}

pid_t BrowserImpl::RendererPid() const { return renderer_ ? renderer_->Pid() : -1; }

// Straight down the render side's link from the calling thread: an answer
// given on the Qt thread does not wait for TID_UI.
void BrowserImpl::SendToRenderer(const std::string& protocolFrameId, CefRefPtr<CefProcessMessage> message) {
  std::shared_ptr<RendererHost> renderer;
  {
    std::lock_guard<std::mutex> lock(rendererMutex_);
    renderer = renderer_;
  }
  CefRefPtr<FrameImpl> frame = frames_.ByProtocolId(protocolFrameId);
  if (!renderer || !frame || !frame->IsValid()) {
    Log(LOGSEVERITY_VERBOSE, "process message to a frame that is gone; dropped");
    return;
  }
  renderer->SendProcessMessage(protocolFrameId, message);
}

void BrowserImpl::CloseBrowser(bool /*force_close*/) {
  PostToUi([this]() {
    if (closing_ || closed_) return;
    closing_ = true;
    if (!created_) return;  // Attach finishes creation first, then closes
    if (client_) {
      if (auto handler = client_->GetLifeSpanHandler()) handler->DoClose(this);
    }
    SendCloseTarget();
    WatchClose(kCloseRetryMs);
  });
}

// A target closed in the middle of a navigation may stay: ask again, then
// give up. The browser is held only until it has closed (its request
// context's storage goes with its last browser).
void BrowserImpl::WatchClose(int elapsedMs) {
  CefRefPtr<BrowserImpl> self(this);
  Threads::Post(TID_UI, [self, elapsedMs]() {
    if (self->closed_) return;
    if (elapsedMs >= kCloseTimeoutMs) return self->OnTargetGone("close timed out");
    if (elapsedMs == kCloseRetryMs) self->SendCloseTarget();
    self->WatchClose(elapsedMs + kCloseRetryMs);
  }, kCloseRetryMs);
}

void BrowserImpl::SendCloseTarget() {
  CefRefPtr<BrowserImpl> self(this);
  PageSession::SendToChromium("Target.closeTarget", {{"targetId", TargetId()}}, [self](const Connection::Reply& reply) {
    if (!reply.ok) self->OnTargetGone("close failed: " + reply.error);
  });
}

void BrowserImpl::OnTargetGone(const std::string& reason) {
  if (closed_) return;
  closed_ = true;
  valid_ = false;
  if (!closing_) Log(LOGSEVERITY_WARNING, "browser " + std::to_string(id_) + " closed: " + reason);
  // A client hears of every browser it asked for, even one that never came
  // up: OnAfterCreated, then at once OnBeforeClose.
  if (!created_) {
    created_ = true;
    if (auto handler = client_ ? client_->GetLifeSpanHandler() : nullptr) handler->OnAfterCreated(this);
  }
  FinishClose();
}

void BrowserImpl::FinishClose() {
  if (Runtime* runtime = Runtime::Get()) {
    runtime->Downloads().OnBrowserClosed(id_);
    runtime->SetScreencastSink(SessionId(), nullptr);
    if (!SessionId().empty()) runtime->GetConnection().RemoveSession(SessionId());
    if (!TargetId().empty()) runtime->Unregister(TargetId());
  }
  devTools_.Close();
  std::shared_ptr<RendererHost> renderer;
  {
    std::lock_guard<std::mutex> lock(rendererMutex_);
    renderer.swap(renderer_);
  }
  if (renderer) renderer->Stop();
  frames_.InvalidateAll();
  dialogs_.Reset();
  if (created_ && client_) {
    if (auto handler = client_->GetLifeSpanHandler()) handler->OnBeforeClose(this);
  }
  view_.ReleaseSurface();
}

// ---- session events -----------------------------------------------------

void BrowserImpl::OnSessionEvent(const std::string& method, const Json& params) {
  if (closed_) return;
  if (holdingEvents_) {
    heldEvents_.emplace_back(method, params);
    return;
  }
  session_.Dispatch(method, params);
}

void BrowserImpl::InterceptRequests() {
  if (closed_ || SessionId().empty()) return;
  std::vector<std::string> patterns = {"*"};
  if (!client_ || !client_->GetRequestHandler()) patterns = SchemeRegistry::Instance().InterceptPatterns();
  if (patterns.empty()) {
    if (std::exchange(intercepting_, false)) Send("Fetch.disable", Json::object());
    return;
  }
  Json list = Json::array();
  for (const std::string& pattern : patterns) list.push_back({{"urlPattern", pattern}});
  intercepting_ = true;
  Send("Fetch.enable", {{"patterns", list}});
}

bool BrowserImpl::DeliverRequestPaused(const Json& params) {
  // The interceptor exists before the request stage is enabled, and lives as long as the browser.
  if (!fetch_ || !frames_.ByProtocolId(params.value("frameId", std::string()))) return false;
  fetch_->OnRequestPaused(params);
  return true;
}

void BrowserImpl::RefreshTitle() {
  if (TargetId().empty()) return;
  CefRefPtr<BrowserImpl> self(this);
  PageSession::SendToChromium("Target.getTargetInfo", {{"targetId", TargetId()}}, [self](const Connection::Reply& reply) {
    if (!reply.ok) return;
    self->OnTitle(reply.result.value("targetInfo", Json::object()).value("title", std::string()));
  });
}

void BrowserImpl::OnTitle(const std::string& title) {
  if (closed_ || title == title_) return;
  title_ = title;
  auto display = client_ ? client_->GetDisplayHandler() : nullptr;
  if (display) display->OnTitleChange(this, title);
}

// ---- navigation -----------------------------------------------------------

void BrowserImpl::NavigateHistory(int offset) {
  PostToUi([this, offset]() { navigation_.GoToOffset(offset); });
}

void BrowserImpl::ReloadPage(bool ignoreCache) {
  PostToUi([this, ignoreCache]() { navigation_.Reload(ignoreCache); });
}

void BrowserImpl::StopLoad() {
  PostToUi([this]() { navigation_.Stop(); });
}

void BrowserImpl::LoadInFrame(const std::string& protocolFrameId, const std::string& url) {
  PostToUi([this, protocolFrameId, url]() { navigation_.Navigate(protocolFrameId, url, nullptr); });
}

void BrowserImpl::ExecuteInFrame(const std::string& protocolFrameId, const std::string& code,
                                 const std::string& scriptUrl) {
  PostToUi([this, protocolFrameId, code, scriptUrl]() {
    Json params = {{"expression", scriptUrl.empty() ? code : code + "\n//# sourceURL=" + scriptUrl}};
    const int contextId = frames_.ContextOf(protocolFrameId);
    if (contextId != 0) {
      params["contextId"] = contextId;
    } else if (!frames_.IsMain(protocolFrameId)) {
      Log(LOGSEVERITY_VERBOSE, "ExecuteJavaScript: frame has no document yet; dropped");
      return;
    }
    // A context destroyed by a racing navigation fails the call: the script
    // had nowhere to run, which is not an error to report.
    Send("Runtime.evaluate", std::move(params));
  });
}

void BrowserImpl::StartDownload(const CefString& url) {
  PostToUi([this, url = url.ToString()]() {
    if (closed_) return Log(LOGSEVERITY_WARNING, "StartDownload(" + url + "): the browser is closed");
    if (Runtime* runtime = Runtime::Get()) runtime->Downloads().StartDownload(this, url);
  });
}

// ---- developer tools --------------------------------------------------------

void BrowserImpl::ShowDevTools(const CefWindowInfo& windowInfo, CefRefPtr<CefClient> client,
                               const CefBrowserSettings& /*settings*/, const CefPoint& /*inspect_element_at*/) {
  const CefString name(&windowInfo.window_name);
  const std::string title = name.empty() ? "DevTools" : name.ToString();
  PostToUi([this, client, title]() { devTools_.Show(this, TargetId(), client, title); });
}

}  // namespace cefcompat
