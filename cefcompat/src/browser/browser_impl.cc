#include "browser/browser_impl.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QImage>
#include <QUrl>
#include <set>

#include "network/fetch_interceptor.h"
#include "view/keys.h"
#include "base/log.h"
#include "network/net_errors.h"
#include "render/renderer_host.h"
#include "browser/runtime.h"
#include "view/surface_window.h"
#include "base/task_thread.h"

namespace cefcompat {

namespace {

constexpr char kContextMenuBinding[] = "__cefcompatContextMenu";
constexpr char kBlankUrl[] = "about:blank";
constexpr int kCloseRetryMs = 500;
constexpr int kCloseTimeoutMs = 5000;
constexpr int kScreencastRetryMs = 200;

// Reports a right click the page did not cancel, after every listener ran.
const char kContextMenuScript[] = R"JS((() => {
  const report = window.__cefcompatContextMenu;
  if (typeof report !== 'function') return;
  try { delete window.__cefcompatContextMenu; } catch (e) {}
  window.addEventListener('contextmenu', (event) => {
    setTimeout(() => {
      if (event.defaultPrevented) return;
      const target = event.target instanceof Element ? event.target : null;
      const link = target && target.closest('a[href]');
      const editable = !!target && (target.isContentEditable || /^(INPUT|TEXTAREA)$/.test(target.tagName));
      report(JSON.stringify({x: event.clientX, y: event.clientY, link: link ? link.href : '',
                             selection: String(getSelection ? getSelection() : ''), editable}));
    }, 0);
  });
})();
//# sourceURL=cefcompat://context-menu)JS";

cef_log_severity_t ConsoleLevel(const std::string& type) {
  if (type == "debug") return LOGSEVERITY_VERBOSE;
  if (type == "warning") return LOGSEVERITY_WARNING;
  if (type == "error" || type == "assert") return LOGSEVERITY_ERROR;
  return LOGSEVERITY_INFO;
}

std::string RemoteObjectText(const Json& arg) {
  if (arg.contains("value")) {
    const Json& value = arg["value"];
    return value.is_string() ? value.get<std::string>() : value.dump();
  }
  if (arg.contains("unserializableValue")) return arg["unserializableValue"].get<std::string>();
  if (arg.contains("description")) return arg["description"].get<std::string>();
  return arg.value("type", std::string("undefined"));
}

}  // namespace

BrowserImpl::BrowserImpl(int id, CefRefPtr<CefClient> client, const CefBrowserSettings& settings, bool isPopup)
    : id_(id), client_(std::move(client)), settings_(settings), isPopup_(isPopup) {}

BrowserImpl::~BrowserImpl() = default;

void BrowserImpl::PostToUi(std::function<void()> task) {
  CefRefPtr<BrowserImpl> self(this);
  Threads::Post(TID_UI, [self, task = std::move(task)]() { task(); });
}

void BrowserImpl::Send(const std::string& method, Json params, Connection::ReplyCallback callback) {
  Runtime* runtime = Runtime::Get();
  if (!runtime || sessionId_.empty()) {
    if (callback) callback({false, {}, method + ": browser has no session"});
    return;
  }
  runtime->GetConnection().Send(method, std::move(params), sessionId_, std::move(callback));
}

// ---- creation and close --------------------------------------------------

void BrowserImpl::Attach(const std::string& targetId, const std::string& url, bool notifyClient, bool withRenderer) {
  Runtime* runtime = Runtime::Get();
  if (!runtime) return;
  CefRefPtr<BrowserImpl> self(this);
  auto& connection = runtime->GetConnection();
  if (targetId.empty()) {
    // A window of its own, so that minimising it (ApplyWindowState) hides
    // this page only, and no page is a background tab of another's window.
    connection.Send("Target.createTarget", {{"url", kBlankUrl}, {"newWindow", true}}, "",
                    [self, url, notifyClient, withRenderer](const Connection::Reply& reply) {
                      if (reply.ok) {
                        return self->Attach(reply.result.value("targetId", std::string()), url, notifyClient,
                                            withRenderer);
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
    return;
  }
  targetId_ = targetId;
  runtime->Register(targetId, self);
  connection.Send("Target.attachToTarget", {{"targetId", targetId}, {"flatten", true}}, "",
                  [self, url, notifyClient, withRenderer](const Connection::Reply& reply) {
                    if (!reply.ok) {
                      Log(LOGSEVERITY_ERROR, "attaching to a browser target failed: " + reply.error);
                      self->OnTargetGone("attach failed");
                      return;
                    }
                    self->sessionId_ = reply.result.value("sessionId", std::string());
                    Runtime* rt = Runtime::Get();
                    if (!rt) return;
                    rt->GetConnection().SetSessionHandler(
                        self->sessionId_, [self](const std::string& method, const Json& params) {
                          self->OnSessionEvent(method, params);
                        });
                    rt->SetScreencastSink(self->sessionId_, self);
                    for (const char* domain : {"Page.enable", "Runtime.enable", "Network.enable", "Inspector.enable"}) {
                      self->Send(domain, Json::object());
                    }
                    self->Send("Runtime.addBinding", {{"name", kContextMenuBinding}});
                    if (self->client_ && self->client_->GetRequestHandler()) {
                      self->fetch_ = std::make_unique<FetchInterceptor>(self.get(), self->client_);
                      self->Send("Fetch.enable", {{"patterns", Json::array({{{"urlPattern", "*"}}})}});
                    }
                    self->Send("Page.addScriptToEvaluateOnNewDocument", {{"source", kContextMenuScript}});
                    const cef_color_t color = rt->Settings().background_color;
                    if (color != 0) {
                      const Json rgba = {{"r", (color >> 16) & 0xFF},
                                         {"g", (color >> 8) & 0xFF},
                                         {"b", color & 0xFF},
                                         {"a", ((color >> 24) & 0xFF) / 255.0}};
                      self->Send("Emulation.setDefaultBackgroundColorOverride", {{"color", rgba}});
                    }
                    self->ApplyScreencast();
                    self->Send("Page.getFrameTree", Json::object(),
                               [self, url, notifyClient, withRenderer](const Connection::Reply& tree) {
                                 if (self->closed_) return;
                                 const Json frame = tree.ok ? tree.result["frameTree"]["frame"] : Json::object();
                                 const std::string mainId = frame.value("id", self->targetId_);
                                 {
                                   std::lock_guard<std::mutex> lock(self->framesMutex_);
                                   self->mainFrame_ = new FrameImpl(self, mainId, "", true);
                                   self->mainFrame_->SetUrl(frame.value("url", std::string()), "");
                                   self->frames_[mainId] = self->mainFrame_;
                                 }
                                 if (!withRenderer) return self->FinishCreation(url, notifyClient);
                                 self->StartRenderer([self, url, notifyClient] { self->FinishCreation(url, notifyClient); });
                               });
                  });
}

void BrowserImpl::FinishCreation(const std::string& url, bool notifyClient) {
  if (closed_) return;
  if (url.empty()) return Announce(notifyClient);
  // The initial navigation reaches Chromium before the client hears of the
  // browser, so a URL the client loads in reaction comes later and replaces it.
  if (url != kBlankUrl) {
    Navigate(mainFrame_->ProtocolId(), url, nullptr);
    return Announce(notifyClient);
  }
  // A blank page Chromium has not yet taken up could still cancel that later
  // load: a browser created on about:blank is announced once Chromium answers
  // its navigation (it is committing by then). The client hears of nothing
  // before OnAfterCreated: the events of that wait are held until then.
  holdingEvents_ = true;
  CefRefPtr<BrowserImpl> self(this);
  Navigate(mainFrame_->ProtocolId(), url, [self, notifyClient] { self->Announce(notifyClient); });
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
      id_, targetId_,
      [self](const std::string& frameId, CefRefPtr<CefProcessMessage> message) { self->OnRendererMessage(frameId, message); },
      [self](const std::string& reason, bool killed) { self->OnRendererGone(reason, killed); });
  {
    std::lock_guard<std::mutex> lock(rendererMutex_);
    renderer_ = renderer;
  }
  renderer->Start([then](bool) { if (then) then(); });
}

void BrowserImpl::OnRendererMessage(const std::string& protocolFrameId, CefRefPtr<CefProcessMessage> message) {
  CefRefPtr<FrameImpl> frame = FrameByProtocolId(protocolFrameId);
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
  CefRefPtr<FrameImpl> frame = FrameByProtocolId(protocolFrameId);
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
    // A target closed in the middle of a navigation may stay: ask again, then give up.
    CefRefPtr<BrowserImpl> self(this);
    Threads::Post(TID_UI, [self]() { if (!self->closed_) self->SendCloseTarget(); }, kCloseRetryMs);
    Threads::Post(TID_UI, [self]() { self->OnTargetGone("close timed out"); }, kCloseTimeoutMs);
  });
}

void BrowserImpl::SendCloseTarget() {
  Runtime* runtime = Runtime::Get();
  if (!runtime) return;
  CefRefPtr<BrowserImpl> self(this);
  runtime->GetConnection().Send("Target.closeTarget", {{"targetId", targetId_}}, "",
                                [self](const Connection::Reply& reply) {
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
  CefRefPtr<BrowserImpl> self(this);
  if (Runtime* runtime = Runtime::Get()) {
    runtime->SetScreencastSink(sessionId_, nullptr);
    if (!sessionId_.empty()) runtime->GetConnection().RemoveSession(sessionId_);
    if (!targetId_.empty()) runtime->Unregister(targetId_);
  }
  CefRefPtr<BrowserImpl> devTools;
  {
    std::lock_guard<std::mutex> lock(devToolsMutex_);
    devTools.swap(devTools_);
  }
  if (devTools) devTools->CloseBrowser(true);
  std::shared_ptr<RendererHost> renderer;
  {
    std::lock_guard<std::mutex> lock(rendererMutex_);
    renderer.swap(renderer_);
  }
  if (renderer) renderer->Stop();
  std::map<std::string, CefRefPtr<FrameImpl>> frames;
  {
    std::lock_guard<std::mutex> lock(framesMutex_);
    frames.swap(frames_);
  }
  for (auto& entry : frames) entry.second->Invalidate();
  if (created_ && client_) {
    if (auto handler = client_->GetLifeSpanHandler()) handler->OnBeforeClose(this);
  }
  if (auto* app = QCoreApplication::instance()) {
    QMetaObject::invokeMethod(app, [self]() {
      if (!self->surface_) return;
      self->surface_->Detach();
      self->surface_->deleteLater();
    });
  }
}

// ---- session events -----------------------------------------------------

void BrowserImpl::OnSessionEvent(const std::string& method, const Json& params) {
  if (closed_) return;
  if (holdingEvents_) {
    heldEvents_.emplace_back(method, params);
    return;
  }
  if (method == "Page.frameAttached") return OnFrameAttached(params);
  if (method == "Page.frameDetached") return OnFrameDetached(params);
  if (method == "Page.frameStartedNavigating") {
    loaders_[params.value("loaderId", std::string())] = {params.value("frameId", std::string()),
                                                         params.value("url", std::string())};
    return;
  }
  if (method == "Network.requestWillBeSent" && params.value("type", std::string()) == "Document") {
    loaders_[params.value("requestId", std::string())] = {
        params.value("frameId", std::string()), params.value("request", Json::object()).value("url", std::string())};
    return;
  }
  if (method == "Page.frameStartedLoading") {
    if (mainFrame_ && params.value("frameId", std::string()) == mainFrame_->ProtocolId()) SetLoading(true);
    return;
  }
  if (method == "Page.frameNavigated") return OnFrameNavigated(params.value("frame", Json::object()));
  if (method == "Page.frameStoppedLoading") return OnFrameStoppedLoading(params.value("frameId", std::string()));
  if (method == "Page.frameRequestedNavigation") {
    const std::string url = params.value("url", std::string());
    const std::string scheme = QUrl(QString::fromStdString(url)).scheme().toLower().toStdString();
    static const std::set<std::string> kLoaded = {"http", "https", "file", "data", "about", "blob", "javascript", "chrome", "devtools", "filesystem", "ws", "wss"};
    if (fetch_ && !scheme.empty() && !kLoaded.count(scheme)) fetch_->OnExternalProtocol(url, params.value("frameId", std::string()));
    return;
  }
  if (method == "Fetch.requestPaused") {
    if (fetch_) fetch_->OnRequestPaused(params);
    return;
  }
  if (method == "Network.responseReceived") {
    if (fetch_) {
      const Json response = params.value("response", Json::object());
      CefRefPtr<CefResponse> reported = CefResponse::Create();
      reported->SetStatus(response.value("status", 0));
      reported->SetStatusText(response.value("statusText", std::string()));
      reported->SetMimeType(response.value("mimeType", std::string()));
      fetch_->OnResponse(params.value("requestId", std::string()), reported);
    }
    return OnResponseReceived(params);
  }
  if (method == "Network.loadingFailed") {
    if (fetch_) {
      CefRefPtr<CefResponse> reported = CefResponse::Create();
      reported->SetError(NetErrorFromText(params.value("errorText", std::string())));
      reported->SetStatusText(params.value("errorText", std::string()));
      fetch_->OnResponse(params.value("requestId", std::string()), reported);
    }
    return OnLoadingFailed(params);
  }
  if (method == "Runtime.executionContextCreated") {
    const Json& context = params["context"];
    const Json aux = context.value("auxData", Json::object());
    if (aux.value("isDefault", false)) contextFrames_[context.value("id", 0)] = aux.value("frameId", std::string());
    return;
  }
  if (method == "Runtime.executionContextDestroyed") {
    contextFrames_.erase(params.value("executionContextId", 0));
    return;
  }
  if (method == "Runtime.executionContextsCleared") {
    contextFrames_.clear();
    return;
  }
  if (method == "Runtime.consoleAPICalled") return OnConsole(params);
  if (method == "Runtime.exceptionThrown") return OnException(params);
  if (method == "Runtime.bindingCalled" && params.value("name", std::string()) == kContextMenuBinding) {
    return OnContextMenuBinding(params);
  }
  if (method == "Page.windowOpen") return OnWindowOpen(params);
  if (method == "Page.javascriptDialogOpening") {
    // No dialog can be shown here; a dialog left open would block the page.
    Log(LOGSEVERITY_INFO, "browser " + std::to_string(id_) + ": accepting a " + params.value("type", std::string()) +
                              " dialog: " + params.value("message", std::string()));
    Send("Page.handleJavaScriptDialog", {{"accept", true}});
    return;
  }
  if (method == "Inspector.targetCrashed") {
    // Chromium swaps in a new renderer on the next navigation or reload.
    contextFrames_.clear();
    SetLoading(false);
    std::lock_guard<std::mutex> lock(framesMutex_);
    for (auto it = frames_.begin(); it != frames_.end();) {
      if (it->second->IsMain()) {
        ++it;
        continue;
      }
      it->second->Invalidate();
      it = frames_.erase(it);
    }
    return;
  }
}

bool BrowserImpl::DeliverRequestPaused(const Json& params) {
  // The interceptor exists before the request stage is enabled, and lives as long as the browser.
  if (!fetch_ || !FrameByProtocolId(params.value("frameId", std::string()))) return false;
  fetch_->OnRequestPaused(params);
  return true;
}

CefRefPtr<FrameImpl> BrowserImpl::FrameByProtocolId(const std::string& id) {
  std::lock_guard<std::mutex> lock(framesMutex_);
  const auto it = frames_.find(id);
  return it == frames_.end() ? nullptr : it->second;
}

CefRefPtr<FrameImpl> BrowserImpl::EnsureFrame(const std::string& id, const std::string& parentId) {
  std::lock_guard<std::mutex> lock(framesMutex_);
  auto& frame = frames_[id];
  if (!frame) frame = new FrameImpl(this, id, parentId, false);
  return frame;
}

void BrowserImpl::OnFrameAttached(const Json& params) {
  EnsureFrame(params.value("frameId", std::string()), params.value("parentFrameId", std::string()));
}

void BrowserImpl::OnFrameDetached(const Json& params) {
  // A cross-site frame moving to its own renderer keeps its identity.
  if (params.value("reason", std::string()) == "swap") return;
  const std::string id = params.value("frameId", std::string());
  std::lock_guard<std::mutex> lock(framesMutex_);
  const auto it = frames_.find(id);
  if (it == frames_.end() || it->second->IsMain()) return;
  it->second->Invalidate();
  frames_.erase(it);
}

void BrowserImpl::RefreshTitle() {
  Runtime* runtime = Runtime::Get();
  if (!runtime || targetId_.empty()) return;
  CefRefPtr<BrowserImpl> self(this);
  runtime->GetConnection().Send("Target.getTargetInfo", {{"targetId", targetId_}}, "",
                                [self](const Connection::Reply& reply) {
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

void BrowserImpl::OnFrameNavigated(const Json& frameInfo) {
  const std::string id = frameInfo.value("id", std::string());
  const bool isMain = mainFrame_ && id == mainFrame_->ProtocolId();
  CefRefPtr<FrameImpl> frame = isMain ? mainFrame_ : EnsureFrame(id, frameInfo.value("parentId", std::string()));
  const bool isErrorPage = frameInfo.contains("unreachableUrl");
  // The protocol gives a document's fragment apart from its URL; a frame's URL has it.
  const std::string url = frameInfo.value("url", std::string()) + frameInfo.value("urlFragment", std::string());
  frame->SetUrl(isErrorPage ? frameInfo["unreachableUrl"].get<std::string>() : url, frameInfo.value("name", std::string()));
  errorPage_[id] = isErrorPage;
  if (isErrorPage || !client_) return;
  if (isMain) {
    if (auto display = client_->GetDisplayHandler()) display->OnAddressChange(this, frame.get(), frame->GetURL());
  }
  if (auto load = client_->GetLoadHandler()) load->OnLoadStart(this, frame.get(), isMain ? TT_EXPLICIT : TT_AUTO_SUBFRAME);
}

void BrowserImpl::OnFrameStoppedLoading(const std::string& frameId) {
  CefRefPtr<FrameImpl> frame = FrameByProtocolId(frameId);
  const auto pending = errorPage_.find(frameId);
  // Only a frame that committed a document since it last stopped reports an end.
  if (frame && pending != errorPage_.end()) {
    const bool isErrorPage = pending->second;
    errorPage_.erase(pending);
    // Each document's status is reported once: a later document without a
    // response of its own (about:blank) has none.
    const auto status = documentStatus_.find(frameId);
    const int httpStatus = status == documentStatus_.end() ? 0 : status->second;
    if (status != documentStatus_.end()) documentStatus_.erase(status);
    if (!isErrorPage && client_) {
      if (auto load = client_->GetLoadHandler()) load->OnLoadEnd(this, frame.get(), httpStatus);
    }
  }
  if (!mainFrame_ || frameId != mainFrame_->ProtocolId()) return;
  RefreshTitle();
  // The loading state is reported with the history as it is after this load.
  CefRefPtr<BrowserImpl> self(this);
  RefreshHistory([self]() { self->SetLoading(false); });
}

void BrowserImpl::OnResponseReceived(const Json& params) {
  if (params.value("type", std::string()) != "Document") return;
  documentStatus_[params.value("frameId", std::string())] = params["response"].value("status", 0);
}

void BrowserImpl::OnLoadingFailed(const Json& params) {
  if (params.value("type", std::string()) != "Document") return;
  const auto loader = loaders_.find(params.value("requestId", std::string()));
  const std::string frameId =
      loader != loaders_.end() ? loader->second.frameId : (mainFrame_ ? mainFrame_->ProtocolId() : std::string());
  CefRefPtr<FrameImpl> frame = FrameByProtocolId(frameId);
  if (!frame || !client_) return;
  const std::string errorText = params.value("errorText", std::string());
  auto load = client_->GetLoadHandler();
  if (!load) return;
  // The URL that failed is the navigation's, which the frame never committed.
  const std::string failedUrl = loader != loaders_.end() ? loader->second.url : frame->GetURL().ToString();
  load->OnLoadError(this, frame.get(), NetErrorFromText(errorText), errorText, failedUrl);
}

void BrowserImpl::OnConsole(const Json& params) {
  std::string message;
  for (const auto& arg : params.value("args", Json::array())) {
    message += (message.empty() ? "" : " ") + RemoteObjectText(arg);
  }
  std::string source;
  int line = 0;
  const Json frames = params.value("stackTrace", Json::object()).value("callFrames", Json::array());
  if (!frames.empty()) {
    source = frames[0].value("url", std::string());
    line = frames[0].value("lineNumber", 0) + 1;
  }
  const cef_log_severity_t level = ConsoleLevel(params.value("type", std::string()));
  auto display = client_ ? client_->GetDisplayHandler() : nullptr;
  if (display && display->OnConsoleMessage(this, level, message, source, line)) return;
  Log(LOGSEVERITY_INFO, "CONSOLE(" + std::to_string(line) + ") \"" + message + "\", source: " + source);
}

void BrowserImpl::OnException(const Json& params) {
  const Json details = params.value("exceptionDetails", Json::object());
  std::string description = details.value("exception", Json::object()).value("description", std::string());
  description = description.substr(0, description.find('\n'));
  const std::string text = details.value("text", std::string("Uncaught"));
  const std::string message = description.empty() ? text : text + " " + description;
  const std::string source = details.value("url", std::string());
  const int line = details.value("lineNumber", 0) + 1;
  auto display = client_ ? client_->GetDisplayHandler() : nullptr;
  if (display && display->OnConsoleMessage(this, LOGSEVERITY_ERROR, message, source, line)) return;
  Log(LOGSEVERITY_INFO, "CONSOLE(" + std::to_string(line) + ") \"" + message + "\", source: " + source);
}

void BrowserImpl::OnContextMenuBinding(const Json& params) {
  auto handler = client_ ? client_->GetContextMenuHandler() : nullptr;
  if (!handler) return;
  const auto context = contextFrames_.find(params.value("executionContextId", 0));
  CefRefPtr<FrameImpl> frame =
      context == contextFrames_.end() ? mainFrame_ : FrameByProtocolId(context->second);
  if (!frame) frame = mainFrame_;
  const Json info = Json::parse(params.value("payload", std::string("{}")), nullptr, false);
  if (!info.is_object()) return;
  CefRefPtr<CefContextMenuParams> menuParams(
      new CefContextMenuParams(info.value("x", 0), info.value("y", 0), info.value("link", std::string()),
                               info.value("selection", std::string()), info.value("editable", false),
                               mainFrame_ ? mainFrame_->GetURL() : CefString()));
  CefRefPtr<CefMenuModel> model = CefMenuModel::Create();
  model->AddItem(100, "&Back");
  model->AddItem(101, "&Forward");
  model->AddSeparator();
  model->AddItem(102, "Re&load");
  handler->OnBeforeContextMenu(this, frame.get(), menuParams, model);
  // No menu is shown on this runtime, whatever the model holds now.
}

// ---- popups ---------------------------------------------------------------

void BrowserImpl::OnWindowOpen(const Json& params) { pendingPopups_.push_back(params); }

std::string BrowserImpl::TakePendingPopupUrl(std::string& name, bool& userGesture) {
  if (pendingPopups_.empty()) return {};
  const Json info = pendingPopups_.front();
  pendingPopups_.pop_front();
  name = info.value("windowName", std::string());
  userGesture = info.value("userGesture", false);
  return info.value("url", std::string());
}

bool BrowserImpl::AllowPopup(const std::string& url, const std::string& name, bool userGesture) {
  auto handler = client_ ? client_->GetLifeSpanHandler() : nullptr;
  if (!handler) return true;
  CefPopupFeatures features;
  CefWindowInfo windowInfo;
  CefRefPtr<CefClient> client = client_;
  CefBrowserSettings settings = settings_;
  CefRefPtr<CefDictionaryValue> extra;
  bool noJavascriptAccess = false;
  const bool refused = handler->OnBeforePopup(this, GetMainFrame(), url, name, WOD_NEW_POPUP, userGesture, features,
                                              windowInfo, client, settings, extra, &noJavascriptAccess);
  return !refused;
}

// ---- navigation -----------------------------------------------------------

void BrowserImpl::SetLoading(bool loading) {
  if (loading_.exchange(loading) == loading || !client_ || closed_) return;
  if (auto load = client_->GetLoadHandler()) load->OnLoadingStateChange(this, loading, canGoBack_, canGoForward_);
}

void BrowserImpl::RefreshHistory(std::function<void()> then) {
  CefRefPtr<BrowserImpl> self(this);
  // The blank document a target starts with is not part of the browser's history.
  if (!historyReset_) {
    historyReset_ = true;
    Send("Page.resetNavigationHistory", Json::object());
  }
  Send("Page.getNavigationHistory", Json::object(), [self, then](const Connection::Reply& reply) {
    if (reply.ok) {
      const int index = reply.result.value("currentIndex", 0);
      const int count = static_cast<int>(reply.result.value("entries", Json::array()).size());
      self->canGoBack_ = index > 0;
      self->canGoForward_ = index + 1 < count;
    }
    then();
  });
}

void BrowserImpl::NavigateHistory(int offset) {
  // Reads the history afresh: the cached copy may predate the last navigation.
  PostToUi([this, offset]() {
    CefRefPtr<BrowserImpl> self(this);
    Send("Page.getNavigationHistory", Json::object(), [self, offset](const Connection::Reply& reply) {
      if (!reply.ok) return;
      const Json entries = reply.result.value("entries", Json::array());
      const int index = reply.result.value("currentIndex", 0) + offset;
      if (index < 0 || index >= static_cast<int>(entries.size())) return;
      self->Send("Page.navigateToHistoryEntry", {{"entryId", entries[static_cast<size_t>(index)].value("id", 0)}});
    });
  });
}

void BrowserImpl::ReloadPage(bool ignoreCache) {
  PostToUi([this, ignoreCache]() { Send("Page.reload", {{"ignoreCache", ignoreCache}}); });
}

void BrowserImpl::StopLoad() {
  PostToUi([this]() { Send("Page.stopLoading", Json::object()); });
}

bool BrowserImpl::HasDocument() {
  std::lock_guard<std::mutex> lock(framesMutex_);
  return mainFrame_ && !mainFrame_->GetURL().empty();
}

CefRefPtr<CefFrame> BrowserImpl::GetMainFrame() {
  std::lock_guard<std::mutex> lock(framesMutex_);
  return mainFrame_.get();
}

CefRefPtr<CefFrame> BrowserImpl::GetFrame(int64 identifier) {
  std::lock_guard<std::mutex> lock(framesMutex_);
  for (auto& entry : frames_) {
    if (entry.second->GetIdentifier() == identifier) return entry.second.get();
  }
  return nullptr;
}

size_t BrowserImpl::GetFrameCount() {
  std::lock_guard<std::mutex> lock(framesMutex_);
  return frames_.size();
}

void BrowserImpl::GetFrameIdentifiers(std::vector<int64>& identifiers) {
  std::lock_guard<std::mutex> lock(framesMutex_);
  identifiers.clear();
  for (auto& entry : frames_) identifiers.push_back(entry.second->GetIdentifier());
}

void BrowserImpl::LoadInFrame(const std::string& protocolFrameId, const std::string& url) {
  PostToUi([this, protocolFrameId, url]() { Navigate(protocolFrameId, url, nullptr); });
}

void BrowserImpl::Navigate(const std::string& protocolFrameId, const std::string& url, std::function<void()> then) {
  Send("Page.navigate", {{"url", url}, {"frameId", protocolFrameId}}, [url, then](const Connection::Reply& reply) {
    if (!reply.ok) Log(LOGSEVERITY_WARNING, "LoadURL(" + url + ") failed: " + reply.error);
    if (then) then();
  });
}

void BrowserImpl::ExecuteInFrame(const std::string& protocolFrameId, const std::string& code,
                                 const std::string& scriptUrl) {
  PostToUi([this, protocolFrameId, code, scriptUrl]() {
    Json params = {{"expression", scriptUrl.empty() ? code : code + "\n//# sourceURL=" + scriptUrl}};
    int contextId = 0;
    for (const auto& [id, frameId] : contextFrames_) {
      if (frameId == protocolFrameId) contextId = id;
    }
    const bool isMain = mainFrame_ && protocolFrameId == mainFrame_->ProtocolId();
    if (contextId != 0) {
      params["contextId"] = contextId;
    } else if (!isMain) {
      Log(LOGSEVERITY_VERBOSE, "ExecuteJavaScript: frame has no document yet; dropped");
      return;
    }
    // A context destroyed by a racing navigation fails the call: the script
    // had nowhere to run, which is not an error to report.
    Send("Runtime.evaluate", std::move(params));
  });
}

// ---- surface, screencast and input ----------------------------------------

void BrowserImpl::SetSurface(SurfaceWindow* surface, CefWindowHandle handle) {
  surface_ = surface;
  windowHandle_ = handle;
}

void BrowserImpl::OnSurfaceGeometry(int width, int height, bool visible) {
  PostToUi([this, width, height, visible]() {
    surfaceWidth_ = width;
    surfaceHeight_ = height;
    surfaceVisible_ = visible;
    ApplyScreencast();
  });
}

void BrowserImpl::WasResized() {}

void BrowserImpl::WasHidden(bool hidden) {
  PostToUi([this, hidden]() {
    hidden_ = hidden;
    ApplyScreencast();
  });
}

void BrowserImpl::ApplyScreencast() {
  if (sessionId_.empty() || closed_) return;
  const bool hasSize = surfaceWidth_ > 0 && surfaceHeight_ > 0;
  if (hasSize) {
    Send("Emulation.setDeviceMetricsOverride",
         {{"width", surfaceWidth_}, {"height", surfaceHeight_}, {"deviceScaleFactor", 1}, {"mobile", false}});
  }
  ApplyWindowState(!hasSize && windowHandle_ != 0);
  const bool wanted = hasSize && surfaceVisible_ && !hidden_;
  if (wanted == screencasting_) return;
  screencasting_ = wanted;
  if (wanted) {
    CefRefPtr<BrowserImpl> self(this);
    Send("Page.startScreencast", {{"format", "jpeg"}, {"quality", 90}, {"everyNthFrame", 1}},
         [self](const Connection::Reply& reply) {
           if (reply.ok || !self->screencasting_) return;
           // A page between two documents (a navigation that swaps renderers)
           // has no screencast to start yet: ask again shortly.
           self->screencasting_ = false;
           Threads::Post(TID_UI, [self]() { self->ApplyScreencast(); }, kScreencastRetryMs);
         });
  } else {
    Send("Page.stopScreencast", Json::object());
  }
}

// A surface shrunk to nothing parks the page: headless Chromium keeps running
// a visible page's animation frames whether or not a screencast runs, so the
// page's own Chromium window is minimised, which hides the page (no animation
// frames, no painting) until the surface has a size again.
void BrowserImpl::ApplyWindowState(bool minimized) {
  if (minimized == minimized_) return;
  minimized_ = minimized;
  Runtime* runtime = Runtime::Get();
  if (!runtime) return;
  runtime->GetConnection().Send(
      "Browser.getWindowForTarget", {{"targetId", targetId_}}, "", [minimized](const Connection::Reply& reply) {
        Runtime* rt = Runtime::Get();
        if (!reply.ok || !rt) return;
        const Json bounds = {{"windowState", minimized ? "minimized" : "normal"}};
        rt->GetConnection().Send("Browser.setWindowBounds",
                                 {{"windowId", reply.result.value("windowId", 0)}, {"bounds", bounds}});
      });
}

void BrowserImpl::DeliverScreencastFrame(const Json& params) {
  // Reader thread: acknowledge first so Chromium keeps at most two in flight.
  if (Runtime* runtime = Runtime::Get()) {
    runtime->GetConnection().Send("Page.screencastFrameAck", {{"sessionId", params.value("sessionId", 0)}},
                                  sessionId_);
  }
  const QByteArray bytes = QByteArray::fromBase64(QByteArray::fromStdString(params.value("data", std::string())));
  QImage image = QImage::fromData(bytes);
  if (image.isNull()) return;
  CefRefPtr<BrowserImpl> self(this);
  if (auto* app = QCoreApplication::instance()) {
    QMetaObject::invokeMethod(app, [self, image = std::move(image)]() {
      if (self->surface_) self->surface_->ShowFrame(image);
    });
  }
}

void BrowserImpl::SendKeyEvent(const CefKeyEvent& event) {
  PostToUi([this, event]() {
    auto handler = client_ ? client_->GetKeyboardHandler() : nullptr;
    bool isShortcut = false;
    if (handler && handler->OnPreKeyEvent(this, event, nullptr, &isShortcut)) return;
    CefRefPtr<BrowserImpl> self(this);
    Send("Input.dispatchKeyEvent", KeyEventToProtocol(event), [self, handler, event](const Connection::Reply&) {
      if (handler && self->valid_) handler->OnKeyEvent(self.get(), event, nullptr);
    });
  });
}

void BrowserImpl::SendMouseClickEvent(const CefMouseEvent& event, cef_mouse_button_type_t type, bool mouseUp,
                                      int clickCount) {
  static const char* kButtons[] = {"left", "middle", "right"};
  PostToUi([this, event, type, mouseUp, clickCount]() {
    Send("Input.dispatchMouseEvent", {{"type", mouseUp ? "mouseReleased" : "mousePressed"},
                                      {"x", event.x},
                                      {"y", event.y},
                                      {"button", kButtons[type]},
                                      {"clickCount", clickCount},
                                      {"modifiers", ProtocolModifiers(event.modifiers)}});
  });
}

void BrowserImpl::SendMouseMoveEvent(const CefMouseEvent& event, bool /*mouseLeave*/) {
  PostToUi([this, event]() {
    Send("Input.dispatchMouseEvent",
         {{"type", "mouseMoved"}, {"x", event.x}, {"y", event.y}, {"modifiers", ProtocolModifiers(event.modifiers)}});
  });
}

void BrowserImpl::SendMouseWheelEvent(const CefMouseEvent& event, int deltaX, int deltaY) {
  // CEF's positive delta scrolls up/left, the protocol's down/right.
  PostToUi([this, event, deltaX, deltaY]() {
    Send("Input.dispatchMouseEvent", {{"type", "mouseWheel"},
                                      {"x", event.x},
                                      {"y", event.y},
                                      {"deltaX", -deltaX},
                                      {"deltaY", -deltaY},
                                      {"modifiers", ProtocolModifiers(event.modifiers)}});
  });
}

bool BrowserImpl::Drag(DragStage stage, CefRefPtr<CefDragData> data, int x, int y) {
  if (stage == DragStage::Enter) dragRefused_ = false;
  if (dragRefused_) return false;
  static const char* kTypes[] = {"dragEnter", "dragOver", "drop", "dragCancel"};
  Json items = Json::array();
  if (data->IsFragment()) items.push_back({{"mimeType", "text/plain"}, {"data", data->GetFragmentText().ToString()}});
  if (data->IsLink()) items.push_back({{"mimeType", "text/uri-list"}, {"data", data->GetLinkURL().ToString()}});
  std::vector<CefString> names;
  data->GetFileNames(names);
  Json files = Json::array();
  for (const auto& name : names) files.push_back(name.ToString());
  Json params = {{"type", kTypes[static_cast<int>(stage)]},
                 {"x", x},
                 {"y", y},
                 {"data", {{"items", items}, {"files", files}, {"dragOperationsMask", DRAG_OPERATION_COPY | DRAG_OPERATION_LINK | DRAG_OPERATION_MOVE}}}};
  PostToUi([this, stage, data, params = std::move(params)]() {
    if (stage == DragStage::Enter && client_) {
      if (auto handler = client_->GetDragHandler()) {
        dragRefused_ = handler->OnDragEnter(
            this, data, static_cast<cef_drag_operations_mask_t>(DRAG_OPERATION_COPY | DRAG_OPERATION_LINK | DRAG_OPERATION_MOVE));
      }
    }
    if (!dragRefused_) Send("Input.dispatchDragEvent", params);
  });
  return true;
}

// ---- developer tools --------------------------------------------------------

void BrowserImpl::ShowDevTools(const CefWindowInfo& windowInfo, CefRefPtr<CefClient> client,
                               const CefBrowserSettings& /*settings*/, const CefPoint& /*inspect_element_at*/) {
  const CefString name(&windowInfo.window_name);
  const std::string title = name.empty() ? "DevTools" : name.ToString();
  PostToUi([this, client, title]() {
    if (HasDevTools()) return;
    CefRefPtr<BrowserImpl> self(this);
    Runtime* runtime = Runtime::Get();
    if (!runtime) return;
    runtime->GetConnection().Send(
        "Target.openDevTools", {{"targetId", targetId_}}, "", [self, client, title](const Connection::Reply& reply) {
          if (!reply.ok) {
            Log(LOGSEVERITY_ERROR, "ShowDevTools failed: " + reply.error +
                                       "; start with --remote-debugging-port to inspect from a browser instead");
            return;
          }
          Runtime* rt = Runtime::Get();
          if (!rt) return;
          auto devTools = rt->AdoptTarget(reply.result.value("targetId", std::string()), client, false, title, true, false);
          std::lock_guard<std::mutex> lock(self->devToolsMutex_);
          self->devTools_ = devTools;
        });
  });
}

void BrowserImpl::CloseDevTools() {
  CefRefPtr<BrowserImpl> devTools;
  {
    std::lock_guard<std::mutex> lock(devToolsMutex_);
    devTools.swap(devTools_);
  }
  if (devTools) devTools->CloseBrowser(true);
}

bool BrowserImpl::HasDevTools() {
  std::lock_guard<std::mutex> lock(devToolsMutex_);
  return devTools_ && devTools_->IsValid();
}

}  // namespace cefcompat
