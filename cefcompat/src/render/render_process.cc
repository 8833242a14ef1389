#include "render/render_process.h"

#include <malloc.h>

#include <atomic>
#include <deque>
#include <regex>
#include <set>
#include <utility>

#include <unistd.h>

#include <cmath>

#include "include/cef_browser.h"
#include "protocol/link.h"
#include "base/live_count.h"
#include "base/log.h"
#include "testing_hooks.h"
#include "protocol/transport.h"

namespace cefcompat {

namespace {

constexpr char kBinding[] = "__cefcompatNative";
constexpr int kEvalTimeoutMs = 10000;
// The most times a new document pauses at its start waiting to be set up (see ScriptSource).
constexpr int kStartPauses = 8;
// Statements posted to a context are sent at the latest once they reach this size.
constexpr size_t kPostedFlushBytes = 256 * 1024;
// Statements nobody waits for (released handles, answers of undefined) are sent
// at the latest this long after they are posted.
constexpr int64_t kLazyFlushMs = 4;
constexpr char kUndefinedAnswer[] = "{value: undefined}";
// What the page's debugger may keep of scripts that are no longer in use.
constexpr double kDebuggerScriptCacheBytes = 4 * 1024 * 1024;

// Installed first in every context: keeps page values by handle, and turns a
// native call into a binding call followed by a pause in which the render
// side answers.
const char kPrelude[] = R"JS((() => {
  if (globalThis.__cefcompat) return;
  const bind = globalThis.__cefcompatNative;
  try { delete globalThis.__cefcompatNative; } catch (e) {}
  const handles = new Map([[0, globalThis]]);
  let next = 1;
  const keep = (v) => { const id = next++; handles.set(id, v); return id; };
  // Lone surrogates become U+FFFD, as a UTF-16 to UTF-8 conversion makes them:
  // the native side reads the call as JSON, which refuses them.
  const wellFormed = (s) => s.replace(/[\uD800-\uDBFF](?![\uDC00-\uDFFF])|(?<![\uD800-\uDBFF])[\uDC00-\uDFFF]/g, '\uFFFD');
  const describe = (v, deep) => {
    if (v === undefined) return {t: 'u'};
    if (v === null) return {t: 'n'};
    switch (typeof v) {
      case 'boolean': return {t: 'b', v};
      case 'number': return Number.isInteger(v) && v >= -2147483648 && v <= 2147483647 ? {t: 'i', v} : {t: 'd', v: Number.isFinite(v) ? v : null};
      case 'string': return {t: 's', v: wellFormed(v)};
      case 'function': return {t: 'f', h: keep(v)};
      case 'object': {
        const d = {t: Array.isArray(v) ? 'a' : 'o', h: keep(v), p: {}};
        if (!deep) return d;
        let keys = [];
        try { keys = Object.keys(v).slice(0, 64); } catch (e) {}
        for (const k of keys) {
          try { const x = v[k]; d.p[wellFormed(k)] = typeof x === 'object' && x !== null ? {t: Array.isArray(x) ? 'a' : 'o', h: keep(x), p: {}} : describe(x, false); } catch (e) {}
        }
        return d;
      }
      default: return {t: 'u'};
    }
  };
  const state = {result: null, started: false};
  const describeCall = (name, self, args, id) =>
    JSON.stringify({name, id, self: describe(self, false), args: Array.prototype.map.call(args, (a) => describe(a, true))});
  function call(name, self, args) {
    if (typeof bind !== 'function') throw new Error('native function ' + name + ' is not available');
    bind(describeCall(name, self, args, 0));
    debugger;  // the render side answers while the page is paused here
    const r = state.result;
    state.result = null;
    if (!r) throw new Error('native function ' + name + ' was not answered');
    if ('exception' in r) throw new Error(r.exception);
    return r.value;
  }
  // A native function that answers later: the page goes on at once and the
  // Promise settles with the handler's outcome.
  const waiting = new Map();
  let nextCall = 1;
  function post(name, self, args) {
    if (typeof bind !== 'function') throw new Error('native function ' + name + ' is not available');
    const id = nextCall++;
    const promise = new Promise((resolve, reject) => waiting.set(id, {resolve, reject}));
    bind(describeCall(name, self, args, id));
    return promise;
  }
  function settle(id, r) {
    const w = waiting.get(id);
    if (!w) return;
    waiting.delete(id);
    if ('exception' in r) w.reject(new Error(r.exception));
    else w.resolve(r.value);
  }
  Object.defineProperty(globalThis, '__cefcompat', {value: Object.freeze({handles, state, call, post, settle}), enumerable: false, configurable: false, writable: false});
})();
)JS";

std::mutex g_extensionsMutex;
std::vector<Extension>& Extensions() {
  static std::vector<Extension> extensions;
  return extensions;
}

RenderProcess* g_inProcess = nullptr;
std::mutex g_inProcessMutex;
CefRefPtr<CefApp>& App() {
  static CefRefPtr<CefApp> app;
  return app;
}

std::string JsString(const std::string& text) { return Json(text).dump(-1, ' ', false, Json::error_handler_t::replace); }

}  // namespace

std::vector<Extension> RegisteredExtensions() {
  std::lock_guard<std::mutex> lock(g_extensionsMutex);
  return Extensions();
}

// ---- frames, browsers and contexts of the render side --------------------

class RenderBrowser;

// A frame of the render side. It holds its browser only while valid: the
// browser holds its frames, and invalidating a frame (detached, or the link
// closed) lets the browser go; GetBrowser() is then null.
class RenderFrame : public CefFrame {
 public:
  RenderFrame(CefRefPtr<RenderBrowser> browser, std::string protocolId, bool isMain)
      : browser_(std::move(browser)), protocolId_(std::move(protocolId)), isMain_(isMain) {}
  bool IsValid() override { return valid_; }
  bool IsMain() override { return isMain_; }
  int64 GetIdentifier() override { return FrameIdentifierFor(protocolId_); }
  CefString GetName() override { return CefString(); }
  CefString GetURL() override {
    std::lock_guard<std::mutex> lock(mutex_);
    return url_;
  }
  CefRefPtr<CefFrame> GetParent() override { return nullptr; }
  CefRefPtr<CefBrowser> GetBrowser() override;
  CefRefPtr<CefV8Context> GetV8Context() override;
  void LoadURL(const CefString& url) override;
  void ExecuteJavaScript(const CefString& code, const CefString& script_url, int start_line) override;
  void SendProcessMessage(CefProcessId target_process, CefRefPtr<CefProcessMessage> message) override;

  void SetUrl(const std::string& url) {
    std::lock_guard<std::mutex> lock(mutex_);
    url_ = url;
  }
  void Invalidate() {
    CefRefPtr<RenderBrowser> browser;
    std::lock_guard<std::mutex> lock(mutex_);
    valid_ = false;
    browser.swap(browser_);
  }
  const std::string& ProtocolId() const { return protocolId_; }
  std::string sessionId;  // the session its documents live in

 private:
  // Null once invalidated.
  CefRefPtr<RenderBrowser> Browser() {
    std::lock_guard<std::mutex> lock(mutex_);
    return browser_;
  }

  CefRefPtr<RenderBrowser> browser_;  // under mutex_
  const std::string protocolId_;
  const bool isMain_;
  std::atomic<bool> valid_{true};
  std::mutex mutex_;
  std::string url_;
  IMPLEMENT_REFCOUNTING(RenderFrame);
};

class V8ContextImpl : public CefV8Context {
 public:
  V8ContextImpl(CefRefPtr<RenderBrowser> browser, std::string sessionId, int contextId, CefRefPtr<RenderFrame> frame)
      : browser_(std::move(browser)), sessionId_(std::move(sessionId)), contextId_(contextId), frame_(std::move(frame)) {}
  bool IsValid() override { return valid_; }
  CefRefPtr<CefBrowser> GetBrowser() override;
  CefRefPtr<CefFrame> GetFrame() override { return frame_.get(); }
  CefRefPtr<CefV8Value> GetGlobal() override {
    CefRefPtr<CefV8Value> global(new CefV8Value(CefV8Value::Kind::Object));
    global->BindHandle(this, 0);
    return global;
  }
  bool Enter() override;
  bool Exit() override;
  bool IsSame(CefRefPtr<CefV8Context> that) override {
    auto* other = static_cast<V8ContextImpl*>(that.get());
    return other && other->sessionId_ == sessionId_ && other->contextId_ == contextId_;
  }
  bool Eval(const CefString& code, const CefString& script_url, int start_line, CefRefPtr<CefV8Value>& retval,
            CefRefPtr<CefV8Exception>& exception) override;

  // Runs `expression` in this context, fire and forget, after what was posted.
  void Evaluate(const std::string& expression);
  // Like Evaluate, but gathered with the other statements posted to this
  // context into one evaluation, sent after the current task (`soon`) or
  // within kLazyFlushMs, and in any case before the next evaluation in the
  // context. Any thread.
  void Post(const std::string& statement, bool soon = true);
  // The posted statements not sent yet. TID_RENDERER.
  std::string TakePosted() { return std::exchange(posted_, std::string()); }
  void Invalidate() { valid_ = false; }
  const std::string& SessionId() const { return sessionId_; }
  int ContextId() const { return contextId_; }
  RenderBrowser* Browser() { return browser_.get(); }

 private:
  CefRefPtr<RenderBrowser> browser_;
  const std::string sessionId_;
  const int contextId_;
  CefRefPtr<RenderFrame> frame_;
  std::atomic<bool> valid_{true};
  std::string posted_;  // TID_RENDERER
  bool flushSoon_ = false;   // a flush is posted for now; TID_RENDERER
  bool flushLater_ = false;  // a flush is posted for kLazyFlushMs; TID_RENDERER
  IMPLEMENT_REFCOUNTING(V8ContextImpl);
};

namespace {
// The contexts entered on TID_RENDERER, innermost last.
thread_local std::vector<CefRefPtr<CefV8Context>> t_contexts;

struct ContextScope {
  explicit ContextScope(CefRefPtr<CefV8Context> context) { t_contexts.push_back(context); }
  ~ContextScope() { t_contexts.pop_back(); }
};
}  // namespace

bool V8ContextImpl::Enter() {
  t_contexts.push_back(this);
  return true;
}

bool V8ContextImpl::Exit() {
  if (t_contexts.empty() || !t_contexts.back()->IsSame(this)) return false;
  t_contexts.pop_back();
  return true;
}

}  // namespace cefcompat

CefRefPtr<CefV8Context> CefV8Context::GetCurrentContext() {
  return cefcompat::t_contexts.empty() ? nullptr : cefcompat::t_contexts.back();
}
CefRefPtr<CefV8Context> CefV8Context::GetEnteredContext() { return GetCurrentContext(); }
bool CefV8Context::InContext() { return !cefcompat::t_contexts.empty(); }

namespace cefcompat {

// One browser as its render side sees it: its sessions (the page and any
// cross-site frames), frames and live contexts. TID_RENDERER.
class RenderBrowser : public CefBrowser {
 public:
  RenderBrowser(RenderProcess* process, int linkId, std::unique_ptr<Transport> link, std::function<void(int)> onClosed)
      : process_(process), linkId_(linkId), onClosed_(std::move(onClosed)) {
    connection_ = std::make_unique<Connection>(std::move(link), [](std::function<void()> task) {
      RenderProcess::PostToRenderer(std::move(task));
    });
    connection_->SetFastPath([this](const Json& message) {
      if (!message.contains("link")) return false;
      CefRefPtr<RenderBrowser> self(this);
      RenderProcess::PostToRenderer([self, message] { self->OnLink(message); });
      return true;
    });
  }

  void Start() {
    CefRefPtr<RenderBrowser> self(this);
    connection_->Start([self](const std::string&) { self->OnClosed(); });
  }

  // CefBrowser
  CefRefPtr<CefBrowserHost> GetHost() override { return nullptr; }
  bool IsValid() override { return !closed_; }
  bool CanGoBack() override { return false; }
  void GoBack() override {}
  bool CanGoForward() override { return false; }
  void GoForward() override {}
  bool IsLoading() override { return false; }
  void Reload() override {}
  void ReloadIgnoreCache() override {}
  void StopLoad() override {}
  int GetIdentifier() override { return browserId_; }
  bool IsSame(CefRefPtr<CefBrowser> that) override { return that && that->GetIdentifier() == browserId_; }
  bool IsPopup() override { return false; }
  bool HasDocument() override { return true; }
  CefRefPtr<CefFrame> GetMainFrame() override { return Frame(targetId_).get(); }
  CefRefPtr<CefFrame> GetFrame(int64 identifier) override {
    for (auto& entry : frames_) {
      if (entry.second->GetIdentifier() == identifier) return entry.second.get();
    }
    return nullptr;
  }
  size_t GetFrameCount() override { return frames_.size(); }
  void GetFrameIdentifiers(std::vector<int64>& identifiers) override {
    identifiers.clear();
    for (auto& entry : frames_) identifiers.push_back(entry.second->GetIdentifier());
  }

  // Used by frames, contexts and values.
  void Evaluate(V8ContextImpl* context, const std::string& expression) {
    if (!context->IsValid()) return;
    const std::string posted = context->TakePosted();
    if (!posted.empty()) SendEvaluation(context, posted);
    if (!expression.empty()) SendEvaluation(context, expression);
  }

  Connection::Reply EvaluateAndWait(V8ContextImpl* context, const std::string& expression) {
    Evaluate(context, std::string());
    if (paused_.active && paused_.sessionId == context->SessionId() && paused_.contextId == context->ContextId()) {
      return connection_->Call("Debugger.evaluateOnCallFrame",
                               {{"callFrameId", paused_.callFrameId}, {"expression", expression}, {"returnByValue", true}},
                               context->SessionId(), kEvalTimeoutMs);
    }
    return connection_->Call("Runtime.evaluate",
                             {{"expression", expression}, {"contextId", context->ContextId()}, {"returnByValue", true}},
                             context->SessionId(), kEvalTimeoutMs);
  }

  CefRefPtr<CefV8Context> ContextOf(RenderFrame* frame) {
    for (auto& entry : contexts_) {
      if (entry.second->GetFrame().get() == frame) return entry.second.get();
    }
    return nullptr;
  }

  void ExecuteInFrame(RenderFrame* frame, const std::string& code) {
    if (auto context = ContextOf(frame)) return Evaluate(static_cast<V8ContextImpl*>(context.get()), code);
    Log(LOGSEVERITY_VERBOSE, "ExecuteJavaScript: the frame has no context yet; dropped");
  }

  void LoadInFrame(RenderFrame* frame, const std::string& url) {
    connection_->Send("Page.navigate", {{"url", url}, {"frameId", frame->ProtocolId()}}, frame->sessionId,
                      [url](const Connection::Reply& reply) {
                        if (!reply.ok) Log(LOGSEVERITY_WARNING, "LoadURL(" + url + ") failed: " + reply.error);
                      });
  }

  void SendToBrowser(RenderFrame* frame, CefRefPtr<CefProcessMessage> message) {
    connection_->SendRaw(EncodeProcessMessage(frame->ProtocolId(), message));
  }

 private:
  void SendEvaluation(V8ContextImpl* context, const std::string& expression) {
    if (paused_.active && paused_.sessionId == context->SessionId() && paused_.contextId == context->ContextId()) {
      // Chromium may run a resume before evaluations sent ahead of it: the
      // session resumes only once every evaluation of the pause has answered.
      const std::string sessionId = context->SessionId();
      ++pauseEvaluations_[sessionId].pending;
      CefRefPtr<RenderBrowser> self(this);
      connection_->Send("Debugger.evaluateOnCallFrame", {{"callFrameId", paused_.callFrameId}, {"expression", expression}},
                        sessionId, [self, sessionId](const Connection::Reply&) { self->OnPauseEvaluated(sessionId); });
      return;
    }
    connection_->Send("Runtime.evaluate", {{"expression", expression}, {"contextId", context->ContextId()}},
                      context->SessionId());
  }

  struct Pause {
    bool active = false;
    std::string sessionId;
    int contextId = 0;
    std::string callFrameId;
  };
  using ContextKey = std::pair<std::string, int>;

  CefRefPtr<RenderFrame> Frame(const std::string& protocolId) {
    const auto it = frames_.find(protocolId);
    return it == frames_.end() ? nullptr : it->second;
  }

  CefRefPtr<RenderFrame> EnsureFrame(const std::string& protocolId, const std::string& sessionId) {
    auto& frame = frames_[protocolId];
    if (!frame) frame = new RenderFrame(this, protocolId, protocolId == targetId_);
    frame->sessionId = sessionId;
    return frame;
  }

  void OnLink(const Json& message) {
    const std::string kind = message.value("link", std::string());
    if (kind == "hello") {
      browserId_ = message.value("browserId", 0);
      targetId_ = message.value("targetId", std::string());
      EnsureFrame(targetId_, message.value("sessionId", std::string()));
      SetUpSession(message.value("sessionId", std::string()), true);
      return;
    }
    if (kind != "message") return;
    CefRefPtr<RenderFrame> frame = Frame(message.value("frame", std::string()));
    if (!frame || !frame->IsValid()) {
      Log(LOGSEVERITY_VERBOSE, "process message for a frame that is gone; dropped");
      return;
    }
    if (auto handler = process_->Handler()) {
      handler->OnProcessMessageReceived(this, frame.get(), PID_BROWSER, DecodeProcessMessage(message));
    }
  }

  std::string ScriptSource() const {
    std::string source = kPrelude;
    for (const auto& extension : RegisteredExtensions()) {
      source += "try {\n" + extension.code + "\n} catch (e) { console.error('extension " + extension.name +
                " failed: ' + e); }\n";
    }
    // The document waits at its start until the render side has run
    // OnContextCreated, which sets state.started. Chromium holds the commands
    // sent to a page while it navigates and delivers them to the new document,
    // so a resume meant for a pause of the document left behind can end this
    // pause early: the document then pauses again. The bound lets a document go
    // on where `debugger;` does not pause (one made while another is paused).
    return source + "for (let pause = 0; pause < " + std::to_string(kStartPauses) +
           " && !__cefcompat.state.started; ++pause) debugger;\n//# sourceURL=" + kSetupScriptUrl;
  }

  // Everything the render side needs on one session, then (for a frame that
  // waits for us) lets it run.
  void SetUpSession(const std::string& sessionId, bool isRoot) {
    sessions_.insert(sessionId);
    CefRefPtr<RenderBrowser> self(this);
    connection_->SetSessionHandler(sessionId, [self, sessionId](const std::string& method, const Json& params) {
      self->OnEvent(sessionId, method, params);
    });
    connection_->Send("Runtime.enable", Json::object(), sessionId);
    connection_->Send("Page.enable", Json::object(), sessionId);
    // Without a bound the debugger keeps every script the page has run and no
    // longer uses, each evaluation of ours included: about 1 KB per native call.
    connection_->Send("Debugger.enable", {{"maxScriptsCacheSize", kDebuggerScriptCacheBytes}}, sessionId);
    connection_->Send("Runtime.addBinding", {{"name", kBinding}}, sessionId);
    connection_->Send("Page.addScriptToEvaluateOnNewDocument", {{"source", ScriptSource()}}, sessionId);
    connection_->Send("Target.setAutoAttach", {{"autoAttach", true}, {"waitForDebuggerOnStart", true}, {"flatten", true}},
                      sessionId, [self, sessionId, isRoot](const Connection::Reply&) {
                        self->connection_->Send("Runtime.runIfWaitingForDebugger", Json::object(), sessionId);
                        if (isRoot) self->connection_->SendRaw({{"link", "ready"}});
                      });
  }

  void OnEvent(const std::string& sessionId, const std::string& method, const Json& params) {
    if (method == "Debugger.scriptParsed") {
      if (params.value("url", std::string()) == kSetupScriptUrl) {
        states_[{sessionId, params.value("executionContextId", 0)}].scriptId = params.value("scriptId", std::string());
      }
      return;
    }
    if (method == "Runtime.executionContextCreated") {
      const Json context = params.value("context", Json::object());
      const Json aux = context.value("auxData", Json::object());
      if (aux.value("isDefault", false)) states_[{sessionId, context.value("id", 0)}].frameId = aux.value("frameId", std::string());
      return;
    }
    if (method == "Runtime.executionContextDestroyed") {
      return Release(ContextKey{sessionId, params.value("executionContextId", 0)});
    }
    if (method == "Runtime.executionContextsCleared") return ReleaseSession(sessionId);
    if (method == "Runtime.bindingCalled") {
      if (params.value("name", std::string()) != kBinding) return;
      const ContextKey key{sessionId, params.value("executionContextId", 0)};
      Json call = Json::parse(params.value("payload", std::string()), nullptr, false);
      if (call.is_object() && call.value("id", 0) > 0) return AnswerLater(ContextFor(key), call);
      states_[key].calls.push_back(std::move(call));
      return;
    }
    if (method == "Debugger.paused") return OnPaused(sessionId, params);
    if (method == "Page.frameNavigated") {
      const Json frame = params.value("frame", Json::object());
      EnsureFrame(frame.value("id", std::string()), sessionId)->SetUrl(frame.value("url", std::string()));
      return;
    }
    if (method == "Page.frameDetached") {
      if (params.value("reason", std::string()) == "swap") return;  // the frame lives on in its own renderer
      if (auto frame = Frame(params.value("frameId", std::string()))) frame->Invalidate();
      frames_.erase(params.value("frameId", std::string()));
      return;
    }
    if (method == "Target.attachedToTarget") {
      const Json info = params.value("targetInfo", Json::object());
      const std::string child = params.value("sessionId", std::string());
      if (info.value("type", std::string()) != "iframe") {
        connection_->Send("Runtime.runIfWaitingForDebugger", Json::object(), child);
        return;
      }
      EnsureFrame(info.value("targetId", std::string()), child)->SetUrl(info.value("url", std::string()));
      SetUpSession(child, false);
      return;
    }
    if (method == "Target.detachedFromTarget") {
      const std::string child = params.value("sessionId", std::string());
      ReleaseSession(child);
      sessions_.erase(child);
      connection_->RemoveSession(child);
    }
  }

  CefRefPtr<V8ContextImpl> ContextFor(const ContextKey& key) {
    auto& context = contexts_[key];
    if (context) return context;
    const auto state = states_.find(key);
    const bool hasFrame = state != states_.end() && !state->second.frameId.empty();
    CefRefPtr<RenderFrame> frame = EnsureFrame(hasFrame ? state->second.frameId : targetId_, key.first);
    context = new V8ContextImpl(this, key.first, key.second, frame);
    return context;
  }

  // The context in which our script has this id; a context id of 0 when there is none.
  ContextKey ContextOfScript(const std::string& sessionId, const std::string& scriptId) const {
    for (const auto& [key, state] : states_) {
      if (key.first == sessionId && state.scriptId == scriptId) return key;
    }
    return {sessionId, 0};
  }

  void OnPaused(const std::string& sessionId, const Json& params) {
    const Json frames = params.value("callFrames", Json::array());
    const Json top = frames.empty() ? Json::object() : frames[0];
    const ContextKey key = ContextOfScript(sessionId, top.value("location", Json::object()).value("scriptId", std::string()));
    if (key.second == 0) return Resume(sessionId);  // a pause that is not ours
    const bool isCall = top.value("functionName", std::string()) == "call";
    // The document start pausing again after its setup began: a resume of an
    // earlier document ended its first pause, and the setup's own resume,
    // still to come, ends this one.
    if (!isCall && states_[key].started) return;
    CefRefPtr<V8ContextImpl> context = ContextFor(key);
    paused_ = {true, sessionId, key.second, top.value("callFrameId", std::string())};
    if (isCall) {
      AnswerNativeCall(context);
    } else {
      StartContext(context);
    }
    paused_.active = false;
    auto& evaluations = pauseEvaluations_[sessionId];
    if (evaluations.pending > 0) {
      evaluations.resumeWanted = true;
      return;
    }
    Resume(sessionId);
  }

  void Resume(const std::string& sessionId) { connection_->Send("Debugger.resume", Json::object(), sessionId); }

  // While the document waits at its start: OnContextCreated, then the document may go on.
  void StartContext(CefRefPtr<V8ContextImpl> context) {
    states_[{context->SessionId(), context->ContextId()}].started = true;
    if (auto handler = process_->Handler()) {
      ContextScope scope(context.get());
      handler->OnContextCreated(this, context->GetFrame(), context.get());
    }
    Evaluate(context.get(), "__cefcompat.state.started = true");
  }

  void OnPauseEvaluated(const std::string& sessionId) {
    auto& evaluations = pauseEvaluations_[sessionId];
    if (--evaluations.pending > 0 || !evaluations.resumeWanted) return;
    evaluations.resumeWanted = false;
    Resume(sessionId);
  }

  CefRefPtr<CefV8Value> FromDescription(const Json& d, CefRefPtr<V8ContextImpl> context) {
    const std::string type = d.value("t", std::string("u"));
    if (type == "n") return CefV8Value::CreateNull();
    if (type == "b") return CefV8Value::CreateBool(d.value("v", false));
    if (type == "i") return CefV8Value::CreateInt(d.value("v", 0));
    if (type == "d") return CefV8Value::CreateDouble(d["v"].is_number() ? d["v"].get<double>() : std::nan(""));
    if (type == "s") return CefV8Value::CreateString(d.value("v", std::string()));
    if (type == "f" || type == "o" || type == "a") {
      CefRefPtr<CefV8Value> value(new CefV8Value(type == "f" ? CefV8Value::Kind::Function
                                                 : type == "a" ? CefV8Value::Kind::Array
                                                               : CefV8Value::Kind::Object));
      value->BindHandle(context.get(), d.value("h", static_cast<int64_t>(-1)));
      const Json properties = d.value("p", Json::object());
      for (const auto& [key, property] : properties.items()) {
        value->properties_[key] = FromDescription(property, context);
      }
      return value;
    }
    return CefV8Value::CreateUndefined();
  }

  // A call that waits paused: the answer is read where the page paused.
  void AnswerNativeCall(CefRefPtr<V8ContextImpl> context) {
    auto& calls = states_[{context->SessionId(), context->ContextId()}].calls;
    if (calls.empty()) return;  // the stub then throws "was not answered"
    const Json payload = std::move(calls.front());
    calls.pop_front();
    CefV8ValueList held;
    Evaluate(context.get(), "__cefcompat.state.result = " + RunNativeCall(context, payload, held));
  }

  // A call whose page went on: the answer settles its Promise.
  void AnswerLater(CefRefPtr<V8ContextImpl> context, const Json& payload) {
    CefV8ValueList held;
    const std::string answer = RunNativeCall(context, payload, held);
    context->Post("__cefcompat.settle(" + std::to_string(payload.value("id", 0)) + ", " + answer + ")", answer != kUndefinedAnswer);
  }

  // Runs the handler of a described call; returns the answer as a JavaScript
  // object: {value} or {exception}. The call's values go to `held`: the page
  // keeps them until the answer that may name them is on its way.
  std::string RunNativeCall(CefRefPtr<V8ContextImpl> context, const Json& payload, CefV8ValueList& held) {
    if (!payload.is_object() || !payload.value("args", Json()).is_array()) {
      return "{exception: 'the native call could not be decoded'}";
    }
    const std::string name = payload.value("name", std::string());
    CefRefPtr<CefV8Handler> handler;
    for (const auto& extension : RegisteredExtensions()) {
      if (std::find(extension.natives.begin(), extension.natives.end(), name) != extension.natives.end()) handler = extension.handler;
    }
    CefV8ValueList arguments;
    const Json args = payload.value("args", Json::array());
    for (const auto& argument : args) arguments.push_back(FromDescription(argument, context));
    CefRefPtr<CefV8Value> object = FromDescription(payload.value("self", Json::object()), context);
    CefRefPtr<CefV8Value> retval;
    CefString exception;
    bool handled = false;
    if (handler) {
      ContextScope scope(context.get());
      handled = handler->Execute(name, object, arguments, retval, exception);
    }
    held = arguments;
    held.push_back(object);
    if (retval) held.push_back(retval);
    if (!exception.empty()) return "{exception: " + JsString(exception.ToString()) + "}";
    if (!handler || !handled) return "{exception: " + JsString("native function " + name + " is not handled") + "}";
    return retval ? "{value: " + ToExpression(retval, context.get()) + "}" : kUndefinedAnswer;
  }

 public:
  static std::string ToExpression(CefRefPtr<CefV8Value> value, V8ContextImpl* context) {
    switch (value->GetKind()) {
      case CefV8Value::Kind::Null:
        return "null";
      case CefV8Value::Kind::Bool:
        return value->GetBoolValue() ? "true" : "false";
      case CefV8Value::Kind::Int:
        return std::to_string(value->GetIntValue());
      case CefV8Value::Kind::Double: {
        const double d = value->GetDoubleValue();
        return std::isnan(d) ? "NaN" : std::isinf(d) ? (d > 0 ? "Infinity" : "-Infinity") : Json(d).dump();
      }
      case CefV8Value::Kind::String:
        return JsString(value->GetStringValue().ToString());
      case CefV8Value::Kind::Object:
      case CefV8Value::Kind::Array:
      case CefV8Value::Kind::Function: {
        auto* owner = static_cast<V8ContextImpl*>(value->HandleContext().get());
        if (value->Handle() >= 0) {
          return owner && owner->IsSame(context) ? "__cefcompat.handles.get(" + std::to_string(value->Handle()) + ")"
                                                 : "undefined";
        }
        std::string object = "{";
        for (auto& [key, property] : value->properties_) {
          object += JsString(key.ToString()) + ": " + ToExpression(property, context) + ",";
        }
        return object + "}";
      }
      default:
        return "undefined";
    }
  }

 private:
  void Release(const ContextKey& key) {
    const auto it = contexts_.find(key);
    states_.erase(key);
    if (it == contexts_.end()) return;
    CefRefPtr<V8ContextImpl> context = it->second;
    contexts_.erase(it);
    context->Invalidate();
    if (auto handler = process_->Handler()) handler->OnContextReleased(this, context->GetFrame(), context.get());
    // What a page's calls took is free now: hand it back to the system rather
    // than keep a burst's peak for the life of the process.
    malloc_trim(0);
  }

  // Every context of the session is gone. Context and script ids are unique
  // only per renderer: nothing known of these may be taken for a later one's.
  void ReleaseSession(const std::string& sessionId) {
    std::vector<ContextKey> keys;
    for (auto& entry : contexts_) {
      if (entry.first.first == sessionId) keys.push_back(entry.first);
    }
    for (auto& key : keys) Release(key);
    for (auto it = states_.begin(); it != states_.end();) {
      it = it->first.first == sessionId ? states_.erase(it) : std::next(it);
    }
  }

  void OnClosed() {
    if (closed_) return;
    closed_ = true;
    std::vector<ContextKey> keys;
    for (auto& entry : contexts_) keys.push_back(entry.first);
    for (auto& key : keys) Release(key);
    for (auto& entry : frames_) entry.second->Invalidate();
    frames_.clear();
    // The connection's session handlers hold this browser.
    for (const auto& session : sessions_) connection_->RemoveSession(session);
    sessions_.clear();
    onClosed_(linkId_);
  }

  RenderProcess* process_;
  const int linkId_;
  std::function<void(int)> onClosed_;
  std::unique_ptr<Connection> connection_;
  int browserId_ = 0;
  std::string targetId_;
  bool closed_ = false;
  std::set<std::string> sessions_;
  std::map<std::string, CefRefPtr<RenderFrame>> frames_;
  std::map<ContextKey, CefRefPtr<V8ContextImpl>> contexts_;
  // What the protocol told of a context, from its creation to its release.
  struct ContextState {
    std::string frameId;     // its frame, when it is the frame's main world
    std::string scriptId;    // our script in it
    std::deque<Json> calls;  // calls (as described by the page) waiting for their pause
    bool started = false;    // its setup (OnContextCreated) has begun
  };
  std::map<ContextKey, ContextState> states_;
  Pause paused_;
  struct PauseEvaluations {
    int pending = 0;
    bool resumeWanted = false;
  };
  std::map<std::string, PauseEvaluations> pauseEvaluations_;
  LiveCount<RenderBrowser> live_;
  IMPLEMENT_REFCOUNTING(RenderBrowser);
};

int LiveRenderBrowsersForTesting() { return LiveCount<RenderBrowser>::Get(); }

CefRefPtr<CefBrowser> RenderFrame::GetBrowser() { return Browser().get(); }
CefRefPtr<CefV8Context> RenderFrame::GetV8Context() {
  CefRefPtr<RenderBrowser> browser = Browser();
  return browser ? browser->ContextOf(this) : nullptr;
}
void RenderFrame::LoadURL(const CefString& url) {
  if (CefRefPtr<RenderBrowser> browser = Browser()) browser->LoadInFrame(this, url.ToString());
}
void RenderFrame::ExecuteJavaScript(const CefString& code, const CefString& script_url, int) {
  CefRefPtr<RenderBrowser> browser = Browser();
  if (!browser) return;
  const std::string source = code.ToString();
  browser->ExecuteInFrame(this, script_url.empty() ? source : source + "\n//# sourceURL=" + script_url.ToString());
}
void RenderFrame::SendProcessMessage(CefProcessId target_process, CefRefPtr<CefProcessMessage> message) {
  if (target_process != PID_BROWSER || !message) return;
  if (CefRefPtr<RenderBrowser> browser = Browser()) browser->SendToBrowser(this, message);
}

CefRefPtr<CefBrowser> V8ContextImpl::GetBrowser() { return browser_.get(); }

void V8ContextImpl::Evaluate(const std::string& expression) { browser_->Evaluate(this, expression); }

void V8ContextImpl::Post(const std::string& statement, bool soon) {
  CefRefPtr<V8ContextImpl> self(this);
  if (!RenderProcess::OnRendererThread()) {
    RenderProcess::PostToRenderer([self, statement, soon] { self->Post(statement, soon); });
    return;
  }
  if (!valid_) return;
  posted_ += statement;
  posted_ += ";\n";
  if (posted_.size() >= kPostedFlushBytes) return Evaluate(std::string());
  bool& pending = soon ? flushSoon_ : flushLater_;
  if (pending) return;
  pending = true;
  RenderProcess::PostToRenderer(
      [self, soon] {
        (soon ? self->flushSoon_ : self->flushLater_) = false;
        self->Evaluate(std::string());
      },
      soon ? 0 : kLazyFlushMs);
}

bool V8ContextImpl::Eval(const CefString& code, const CefString&, int, CefRefPtr<CefV8Value>& retval,
                         CefRefPtr<CefV8Exception>& exception) {
  if (!valid_) {
    exception = new CefV8Exception("the context is gone");
    return false;
  }
  const auto reply = browser_->EvaluateAndWait(this, code.ToString());
  if (!reply.ok) {
    exception = new CefV8Exception(reply.error);
    return false;
  }
  if (reply.result.contains("exceptionDetails")) {
    const Json details = reply.result["exceptionDetails"];
    exception = new CefV8Exception(details.value("exception", Json::object()).value("description", details.value("text", std::string("exception"))));
    return false;
  }
  const Json result = reply.result.value("result", Json::object());
  std::function<CefRefPtr<CefV8Value>(const Json&)> convert = [&](const Json& value) -> CefRefPtr<CefV8Value> {
    if (value.is_null()) return CefV8Value::CreateNull();
    if (value.is_boolean()) return CefV8Value::CreateBool(value.get<bool>());
    if (value.is_number_integer() && value.get<int64_t>() >= INT32_MIN && value.get<int64_t>() <= INT32_MAX) return CefV8Value::CreateInt(value.get<int>());
    if (value.is_number()) return CefV8Value::CreateDouble(value.get<double>());
    if (value.is_string()) return CefV8Value::CreateString(value.get<std::string>());
    CefRefPtr<CefV8Value> object(new CefV8Value(value.is_array() ? CefV8Value::Kind::Array : CefV8Value::Kind::Object));
    for (const auto& [key, property] : value.items()) object->properties_[key] = convert(property);
    return object;
  };
  retval = result.value("type", std::string()) == "undefined" ? CefV8Value::CreateUndefined()
                                                              : convert(result.value("value", Json()));
  return true;
}

}  // namespace cefcompat

// ---- values ---------------------------------------------------------------

using cefcompat::JsString;
using cefcompat::RenderBrowser;
using cefcompat::V8ContextImpl;

CefRefPtr<CefV8Value> CefV8Value::CreateUndefined() { return new CefV8Value(Kind::Undefined); }
CefRefPtr<CefV8Value> CefV8Value::CreateNull() { return new CefV8Value(Kind::Null); }
CefRefPtr<CefV8Value> CefV8Value::CreateBool(bool value) {
  CefRefPtr<CefV8Value> v(new CefV8Value(Kind::Bool));
  v->bool_ = value;
  return v;
}
CefRefPtr<CefV8Value> CefV8Value::CreateInt(int32_t value) {
  CefRefPtr<CefV8Value> v(new CefV8Value(Kind::Int));
  v->int_ = value;
  return v;
}
CefRefPtr<CefV8Value> CefV8Value::CreateUInt(uint32_t value) {
  if (value <= static_cast<uint32_t>(INT32_MAX)) return CreateInt(static_cast<int32_t>(value));
  return CreateDouble(value);
}
CefRefPtr<CefV8Value> CefV8Value::CreateDouble(double value) {
  CefRefPtr<CefV8Value> v(new CefV8Value(Kind::Double));
  v->double_ = value;
  return v;
}
CefRefPtr<CefV8Value> CefV8Value::CreateString(const CefString& value) {
  CefRefPtr<CefV8Value> v(new CefV8Value(Kind::String));
  v->string_ = value;
  return v;
}
CefRefPtr<CefV8Value> CefV8Value::CreateObject(CefRefPtr<CefBaseRefCounted>, CefRefPtr<CefBaseRefCounted>) {
  return new CefV8Value(Kind::Object);
}

CefV8Value::~CefV8Value() {
  if (handle_ <= 0 || !context_ || !context_->IsValid()) return;
  static_cast<V8ContextImpl*>(context_.get())->Post("__cefcompat.handles.delete(" + std::to_string(handle_) + ")", false);
}

bool CefV8Value::IsValid() {
  return kind_ != Kind::Invalid && (handle_ < 0 || (context_ && context_->IsValid()));
}

bool CefV8Value::IsSame(CefRefPtr<CefV8Value> that) {
  if (!that) return false;
  if (handle_ >= 0) return that->handle_ == handle_ && context_ && that->context_ && context_->IsSame(that->context_);
  return that.get() == this;
}

bool CefV8Value::HasValue(const CefString& key) { return properties_.count(key) > 0; }

CefRefPtr<CefV8Value> CefV8Value::GetValue(const CefString& key) {
  const auto it = properties_.find(key);
  return it == properties_.end() ? CreateUndefined() : it->second;
}

bool CefV8Value::SetValue(const CefString& key, CefRefPtr<CefV8Value> value, cef_v8_propertyattribute_t attribute) {
  if (!IsObject() || !value) return false;
  properties_[key] = value;
  if (handle_ < 0 || !context_ || !context_->IsValid()) return true;
  auto* context = static_cast<V8ContextImpl*>(context_.get());
  const std::string target = "__cefcompat.handles.get(" + std::to_string(handle_) + ")";
  const std::string expression = RenderBrowser::ToExpression(value, context);
  context->Evaluate("Object.defineProperty(" + target + ", " + JsString(key.ToString()) + ", {value: " + expression +
                    ", writable: " + ((attribute & V8_PROPERTY_ATTRIBUTE_READONLY) ? "false" : "true") +
                    ", enumerable: " + ((attribute & V8_PROPERTY_ATTRIBUTE_DONTENUM) ? "false" : "true") +
                    ", configurable: " + ((attribute & V8_PROPERTY_ATTRIBUTE_DONTDELETE) ? "false" : "true") + "})");
  return true;
}

void CefV8Value::GetKeys(std::vector<CefString>& keys) {
  keys.clear();
  for (auto& entry : properties_) keys.push_back(entry.first);
}

CefRefPtr<CefV8Value> CefV8Value::ExecuteFunction(CefRefPtr<CefV8Value> object, const CefV8ValueList& arguments) {
  return ExecuteFunctionWithContext(context_, object, arguments);
}

CefRefPtr<CefV8Value> CefV8Value::ExecuteFunctionWithContext(CefRefPtr<CefV8Context> context,
                                                             CefRefPtr<CefV8Value> object,
                                                             const CefV8ValueList& arguments) {
  if (!IsFunction() || handle_ < 0 || !context_ || !context_->IsValid() || !context || !context->IsSame(context_)) {
    return nullptr;
  }
  auto* owner = static_cast<V8ContextImpl*>(context_.get());
  std::string args;
  for (const auto& argument : arguments) {
    args += (args.empty() ? "" : ", ") + (argument ? RenderBrowser::ToExpression(argument, owner) : std::string("undefined"));
  }
  const std::string self = object ? RenderBrowser::ToExpression(object, owner) : "undefined";
  // A throwing callback reports its error in the page, as an uncaught one would.
  owner->Post("(() => { const f = __cefcompat.handles.get(" + std::to_string(handle_) +
              "); try { f.apply(" + self + ", [" + args + "]); } catch (e) { setTimeout(() => { throw e; }); } })()");
  return CreateUndefined();
}

namespace cefcompat {

// ---- the render process -----------------------------------------------------

RenderProcess::RenderProcess() = default;

void RenderProcess::SetApp(CefRefPtr<CefApp> app) { App() = app; }

RenderProcess* RenderProcess::InProcess() {
  std::lock_guard<std::mutex> lock(g_inProcessMutex);
  if (!g_inProcess) {
    Threads::StartRenderer();
    g_inProcess = new RenderProcess();
  }
  return g_inProcess;
}

void RenderProcess::ShutdownInProcess() {
  std::lock_guard<std::mutex> lock(g_inProcessMutex);
  delete g_inProcess;
  g_inProcess = nullptr;
}

bool RenderProcess::PostToRenderer(std::function<void()> task, int64_t delayMs) {
  return Threads::Post(TID_RENDERER, std::move(task), delayMs);
}

bool RenderProcess::OnRendererThread() { return Threads::CurrentlyOn(TID_RENDERER); }

void RenderProcess::Initialize() {
  if (initialized_) return;
  initialized_ = true;
  if (CefRefPtr<CefApp> app = App()) handler_ = app->GetRenderProcessHandler();
  if (handler_) handler_->OnWebKitInitialized();
}

void RenderProcess::AddLink(std::unique_ptr<Transport> link) {
  auto held = std::make_shared<std::unique_ptr<Transport>>(std::move(link));
  PostToRenderer([this, held] {
    Initialize();
    const int linkId = ++nextLink_;
    CefRefPtr<RenderBrowser> browser(
        new RenderBrowser(this, linkId, std::move(*held), [this](int id) { OnLinkClosed(id); }));
    browsers_[linkId] = browser;
    browser->Start();
  });
}

void RenderProcess::OnLinkClosed(int linkId) {
  browsers_.erase(linkId);
  std::lock_guard<std::mutex> lock(doneMutex_);
  anyClosed_ = true;
  done_.notify_all();
}

int RenderProcess::RunSubProcess(CefRefPtr<CefApp> app, int fd) {
  SetApp(app);
  Threads::StartRenderer();
  RenderProcess process;
  process.AddLink(std::make_unique<PipeTransport>(fd, dup(fd)));
  {
    // The launcher closing the link (or dying) ends this process.
    std::unique_lock<std::mutex> lock(process.doneMutex_);
    process.done_.wait(lock, [&] { return process.anyClosed_; });
  }
  Threads::Stop();
  return 0;
}

}  // namespace cefcompat

bool CefRegisterExtension(const CefString& extension_name, const CefString& javascript_code,
                          CefRefPtr<CefV8Handler> handler) {
  const std::string name = extension_name.ToString();
  if (name.empty()) return false;
  std::lock_guard<std::mutex> lock(cefcompat::g_extensionsMutex);
  auto& extensions = cefcompat::Extensions();
  for (const auto& extension : extensions) {
    if (extension.name == name) return false;
  }
  // `native function f(); // async` declares a function that answers later.
  static const std::regex kNative(R"(native\s+function\s+([A-Za-z_$][\w$]*)\s*\(([^)]*)\)\s*;([ \t]*//[ \t]*async\b)?)");
  cefcompat::Extension extension{name, std::string(), handler, {}};
  const std::string code = javascript_code.ToString();
  size_t copied = 0;
  for (auto it = std::sregex_iterator(code.begin(), code.end(), kNative); it != std::sregex_iterator(); ++it) {
    const std::smatch& native = *it;
    const std::string function = native[1].str();
    extension.natives.push_back(function);
    extension.code += code.substr(copied, native.position() - copied);
    extension.code += "function " + function + "(" + native[2].str() + ") { return __cefcompat." +
                      (native[3].matched ? "post" : "call") + "('" + function + "', this, arguments); }";
    copied = native.position() + native.length();
  }
  extension.code += code.substr(copied);
  extensions.push_back(std::move(extension));
  return true;
}
