#include "browser/runtime.h"

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <future>
#include <thread>

#include <QCoreApplication>
#include <QGuiApplication>
#include <QThread>

#include "base/log.h"
#include "browser/chromium_switches.h"
#include "network/scheme_registrar_impl.h"
#include "network/scheme_registry.h"
#include "network/context_storage.h"
#include "network/stream_server.h"
#include "render/render_process.h"
#include "view/surface_window.h"
#include "base/task_thread.h"

namespace cefcompat {

namespace {

std::atomic<Runtime*> g_runtime{nullptr};
constexpr int kStartTimeoutMs = 20000;
constexpr int kShutdownStepMs = 5000;
// Chromium gone: started again after 0.25, 0.5, 1, 2 and 4 s, then given up,
// unless it ran this long since its last start.
constexpr int kRestartFirstDelayMs = 250;
constexpr int kRestartMaxDelayMs = 4000;
constexpr int kMaxRestartAttempts = 5;
constexpr int kSteadyRunMs = 30000;

// The last lines Chromium wrote, for start-up errors.
std::string Tail(const std::string& path, size_t maxBytes = 1500) {
  std::ifstream in(path, std::ios::binary);
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  return text.size() > maxBytes ? text.substr(text.size() - maxBytes) : text;
}

// Another Chromium holding the profile leaves "host-pid" in SingletonLock.
bool ProfileInUse(const std::string& profile, std::string& owner) {
  std::error_code ec;
  const auto target = std::filesystem::read_symlink(std::filesystem::path(profile) / "SingletonLock", ec);
  if (ec) return false;
  const std::string text = target.string();
  const size_t dash = text.rfind('-');
  if (dash == std::string::npos) return false;
  char host[256] = {};
  gethostname(host, sizeof(host) - 1);
  if (text.substr(0, dash) != host) return false;
  const pid_t pid = static_cast<pid_t>(std::atoi(text.c_str() + dash + 1));
  if (pid <= 0 || (kill(pid, 0) != 0 && errno != EPERM)) return false;
  owner = std::to_string(pid);
  return true;
}

// Settings a CEF application may set that this runtime does not act on.
void WarnAboutIgnoredSettings(const CefSettings& settings) {
  const std::pair<const char*, const cef_string_t*> ignored[] = {
      {"framework_dir_path", &settings.framework_dir_path},
      {"main_bundle_path", &settings.main_bundle_path},
      {"root_cache_path", &settings.root_cache_path},
      {"user_data_path", &settings.user_data_path},
      {"product_version", &settings.product_version},
      {"log_file", &settings.log_file},
      {"resources_dir_path", &settings.resources_dir_path},
      {"locales_dir_path", &settings.locales_dir_path},
      {"accept_language_list", &settings.accept_language_list},
      {"application_client_id_for_file_scanning", &settings.application_client_id_for_file_scanning},
  };
  for (const auto& [name, value] : ignored) {
    if (value->length) Log(LOGSEVERITY_WARNING, std::string("CefSettings::") + name + " is not used by this runtime");
  }
  if (settings.external_message_pump) {
    Log(LOGSEVERITY_WARNING, "CefSettings::external_message_pump is not used: the runtime's own threads do the work");
  }
}

}  // namespace

Runtime* Runtime::Get() { return g_runtime.load(); }

bool Runtime::Initialize(const CefMainArgs& args, const CefSettings& settings, CefRefPtr<CefApp> app) {
  if (g_runtime) {
    Log(LOGSEVERITY_ERROR, "CefInitialize: already initialised");
    return false;
  }
  auto* runtime = new Runtime();
  std::string error;
  if (!runtime->Start(args, settings, app, error)) {
    Log(LOGSEVERITY_ERROR, "CefInitialize failed: " + error);
    runtime->Stop();
    delete runtime;
    return false;
  }
  g_runtime = runtime;
  if (app) {
    if (auto handler = app->GetBrowserProcessHandler()) {
      Threads::Post(TID_UI, [handler]() { handler->OnContextInitialized(); });
    }
  }
  return true;
}

void Runtime::Shutdown() {
  Runtime* runtime = g_runtime.load();
  if (!runtime) return;
  runtime->Stop();
  g_runtime = nullptr;
  delete runtime;
}

bool Runtime::Start(const CefMainArgs& args, const CefSettings& settings, CefRefPtr<CefApp> app, std::string& error) {
  settings_ = settings;
  app_ = app;
  SetLogSeverity(settings.log_severity);
  WarnAboutIgnoredSettings(settings);
  // A write to a Chromium that has died must fail with EPIPE, not end the launcher.
  signal(SIGPIPE, SIG_IGN);

  CefRefPtr<CefCommandLine> commandLine = CefCommandLine::GetGlobalCommandLine();
  commandLine->InitFromArgv(args.argc, args.argv);
  if (app) app->OnBeforeCommandLineProcessing(CefString(), commandLine);
  RenderProcess::SetApp(app);
  SchemeRegistrarImpl::RegisterOnce(app);
  SchemeRegistry::Instance().SetOnFactoriesChanged([this] { OnSchemeFactoriesChanged(); });

  char pattern[] = "/tmp/cefcompat-XXXXXX";
  if (!mkdtemp(pattern)) {
    error = std::string("cannot create a temporary directory: ") + strerror(errno);
    return false;
  }
  tempDir_ = pattern;
  const CefString cachePath(&settings.cache_path);
  ownsProfile_ = cachePath.empty();
  profileDir_ = ownsProfile_ ? tempDir_ + "/profile" : cachePath.ToString();
  std::error_code ec;
  std::filesystem::create_directories(profileDir_, ec);
  if (ec) {
    error = "cannot create the profile directory " + profileDir_ + ": " + ec.message();
    return false;
  }
  std::string owner;
  if (ProfileInUse(profileDir_, owner)) {
    error = "the profile directory " + profileDir_ + " is in use by another Chromium (pid " + owner + ")";
    return false;
  }

  std::string windowless;
  windowed_ = WindowedMode::Create(settings, windowless);
  Log(LOGSEVERITY_INFO, windowed_ ? std::string("windowed mode: each page is Chromium's own window")
                                  : "windowless mode: " + windowless);
  // Frames come at Chromium's own pixel ratio: the sharpest screen's, so
  // that every surface gets as many pixels as it shows.
  if (!windowed_) chromiumScale_ = SurfaceWindow::LargestScreenScale();
  std::vector<std::string> chromiumArgs =
      ChromiumSwitches(settings, commandLine, profileDir_, windowed_.get(), chromiumScale_);

  chromiumArgs_ = std::move(chromiumArgs);
  logPath_ = tempDir_ + "/chromium.log";
  downloads_.SetStagingDir(tempDir_ + "/downloads");
  Threads::Start();
  if (!Launch(error)) return false;
  Log(LOGSEVERITY_INFO, "runtime started on " + product_ + " (pid " + std::to_string(pid_) + ", profile " +
                            profileDir_ + ")");
  return true;
}

bool Runtime::Launch(std::string& error) {
  auto process = std::make_unique<ChromiumProcess>();
  if (!process->Launch(ChromiumProcess::FindBinary(), chromiumArgs_, logPath_, error)) return false;
  if (windowed_) windowed_->OnLaunched(process->Pid());
  auto connection = std::make_unique<Connection>(
      std::make_unique<PipeTransport>(process->TakeWriteFd(), process->TakeReadFd()),
      [](std::function<void()> task) { Threads::Post(TID_UI, std::move(task)); });
  Connection* raw = connection.get();
  connection->SetFastPath([this](const Json& message) { return FastPath(message); });
  connection->SetSessionHandler("", [this](const std::string& method, const Json& params) { OnRootEvent(method, params); });
  connection->Start([this, raw](const std::string& reason) { OnConnectionClosed(raw, reason); });
  connections_.push_back(std::move(connection));

  const auto version = raw->Call("Browser.getVersion", Json::object(), "", kStartTimeoutMs);
  auto discover = version.ok ? raw->Call("Target.setDiscoverTargets", {{"discover", true}}, "", kStartTimeoutMs)
                             : version;
  if (discover.ok && windowed_ && !windowed_->AttachApplication(*raw, kStartTimeoutMs, discover.error)) {
    discover.ok = false;
  }
  if (!discover.ok) {
    std::string exit;
    const bool exited = process->WaitForExit(200, &exit);
    error = (version.ok ? "Target.setDiscoverTargets failed: " + discover.error
                        : "Chromium did not answer (" + version.error + ")") +
            (exited ? "; it " + exit : std::string()) + "; its last output:\n" + Tail(logPath_);
    raw->Close();
    return false;
  }
  std::string refused;
  if (!downloads_.EnableDefault(*raw, kStartTimeoutMs, refused)) Log(LOGSEVERITY_ERROR, "downloads are off: " + refused);
  product_ = version.result.value("product", std::string("Chromium"));
  process_ = std::move(process);
  pid_ = process_->Pid();
  launchedAt_ = std::chrono::steady_clock::now();
  connection_ = raw;
  return true;
}

void Runtime::Stop() {
  stopping_ = true;
  // A restart under way finishes first; none begins after this.
  auto idle = std::make_shared<std::promise<void>>();
  auto done = idle->get_future();
  if (Threads::Post(TID_UI, [this, idle] { FinishWaiting(false); idle->set_value(); })) {
    done.wait_for(std::chrono::milliseconds(2 * kStartTimeoutMs));
  }
  Connection* connection = connection_.load();
  if (connection && !connection->IsClosed()) {
    std::vector<CefRefPtr<BrowserImpl>> open;
    {
      std::lock_guard<std::mutex> lock(browsersMutex_);
      for (auto& entry : browsers_) open.push_back(entry.second);
    }
    for (auto& browser : open) browser->CloseBrowser(true);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kShutdownStepMs);
    for (;;) {
      {
        std::lock_guard<std::mutex> lock(browsersMutex_);
        if (browsers_.empty()) break;
      }
      if (std::chrono::steady_clock::now() > deadline) {
        Log(LOGSEVERITY_WARNING, "CefShutdown: browsers did not close in time");
        break;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    connection->Call("Browser.close", Json::object(), "", kShutdownStepMs);
  }
  if (process_ && !process_->WaitForExit(kShutdownStepMs)) {
    Log(LOGSEVERITY_WARNING, "CefShutdown: Chromium did not exit; killing it");
    process_->Kill();
    process_->WaitForExit(kShutdownStepMs);
  }
  for (auto& each : connections_) each->Close();
  // Factories belong to the runtime they were registered with, as to CEF's global context.
  SchemeRegistry::Instance().SetOnFactoriesChanged(nullptr);
  SchemeRegistry::Instance().ClearFactories();
  Threads::Stop();
  downloads_.DiscardAll();
  windowed_.reset();
  RenderProcess::ShutdownInProcess();
  StreamServer::Shutdown();
  connection_ = nullptr;
  connections_.clear();
  {
    std::lock_guard<std::mutex> lock(browsersMutex_);
    browsers_.clear();
    screencast_.clear();
  }
  if (!tempDir_.empty()) {
    std::error_code ec;
    std::filesystem::remove_all(tempDir_, ec);
  }
}

void Runtime::OnConnectionClosed(const Connection* connection, const std::string& reason) {
  if (connection != connection_.load()) return;  // a start that failed, already reported
  std::string exit;
  process_->WaitForExit(1000, &exit);
  if (!stopping_) Log(LOGSEVERITY_ERROR, "Chromium is gone (" + reason + (exit.empty() ? "" : "; it " + exit) +
                             "); closing every browser");
  std::vector<CefRefPtr<BrowserImpl>> open;
  {
    std::lock_guard<std::mutex> lock(browsersMutex_);
    for (auto& entry : browsers_) open.push_back(entry.second);
  }
  for (auto& browser : open) browser->OnTargetGone("Chromium is gone");
  if (windowed_) windowed_->OnChromiumGone();
  if (stopping_) return;
  // A Chromium that ran steadily before it died starts a new series of attempts.
  if (std::chrono::steady_clock::now() - launchedAt_ > std::chrono::milliseconds(kSteadyRunMs)) restartAttempts_ = 0;
  ScheduleRestart();
}

void Runtime::ScheduleRestart() {
  if (restartAttempts_ == kMaxRestartAttempts) {
    Log(LOGSEVERITY_ERROR, "Chromium did not stay up after " + std::to_string(kMaxRestartAttempts) +
                               " restarts; giving up: no browser can be created any more");
    gaveUp_ = true;
    FinishWaiting(false);
    return;
  }
  const int delayMs = std::min(kRestartFirstDelayMs << restartAttempts_, kRestartMaxDelayMs);
  ++restartAttempts_;
  Log(LOGSEVERITY_WARNING, "starting Chromium again in " + std::to_string(delayMs) + " ms (attempt " +
                               std::to_string(restartAttempts_) + " of " + std::to_string(kMaxRestartAttempts) + ")");
  Threads::Post(TID_UI, [this] { Restart(); }, delayMs);
}

void Runtime::Restart() {
  if (stopping_) return;
  std::string error;
  if (!Launch(error)) {
    Log(LOGSEVERITY_ERROR, "Chromium did not start again: " + error);
    return ScheduleRestart();
  }
  Log(LOGSEVERITY_WARNING, "Chromium started again (pid " + std::to_string(pid_) + ")");
  FinishWaiting(true);
}

void Runtime::WhenRunning(std::function<void(bool running)> task) {
  if (IsRunning()) return task(true);
  if (gaveUp_ || stopping_) return task(false);
  waiting_.push_back(std::move(task));
}

void Runtime::FinishWaiting(bool running) {
  std::vector<std::function<void(bool)>> waiting;
  waiting.swap(waiting_);
  for (auto& task : waiting) task(running);
}

void Runtime::Register(const std::string& targetId, CefRefPtr<BrowserImpl> browser) {
  std::lock_guard<std::mutex> lock(browsersMutex_);
  browsers_[targetId] = browser;
}

void Runtime::Unregister(const std::string& targetId) {
  std::lock_guard<std::mutex> lock(browsersMutex_);
  browsers_.erase(targetId);
}

// Browsers whose clients have no request handler pause only the requests of
// schemes the runtime serves: the set changed.
void Runtime::OnSchemeFactoriesChanged() {
  std::lock_guard<std::mutex> lock(browsersMutex_);
  for (const auto& entry : browsers_) {
    CefRefPtr<BrowserImpl> browser = entry.second;
    Threads::Post(TID_UI, [browser] { browser->InterceptRequests(); });
  }
}

void Runtime::SetScreencastSink(const std::string& sessionId, CefRefPtr<BrowserImpl> browser) {
  std::lock_guard<std::mutex> lock(browsersMutex_);
  if (browser) {
    screencast_[sessionId] = browser;
  } else {
    screencast_.erase(sessionId);
  }
}

// Screencast frames, and paused requests of frames already known, skip the
// UI thread: the page waits on both.
bool Runtime::FastPath(const Json& message) {
  const std::string method = message.value("method", std::string());
  const bool frame = method == "Page.screencastFrame";
  if (!frame && method != "Fetch.requestPaused") return false;
  CefRefPtr<BrowserImpl> browser;
  {
    std::lock_guard<std::mutex> lock(browsersMutex_);
    const auto it = screencast_.find(message.value("sessionId", std::string()));
    if (it != screencast_.end()) browser = it->second;
  }
  if (!frame) return browser && browser->DeliverRequestPaused(message.value("params", Json::object()));
  if (browser) browser->DeliverScreencastFrame(message.value("params", Json::object()));
  return true;
}

CefRefPtr<BrowserImpl> Runtime::BrowserOfFrame(const std::string& frameId) {
  std::lock_guard<std::mutex> lock(browsersMutex_);
  for (const auto& [targetId, browser] : browsers_) {
    if (targetId == frameId || browser->FrameByProtocolId(frameId)) return browser;
  }
  return nullptr;
}

void Runtime::OnRootEvent(const std::string& method, const Json& params) {
  auto browserOf = [this](const std::string& targetId) -> CefRefPtr<BrowserImpl> {
    std::lock_guard<std::mutex> lock(browsersMutex_);
    const auto it = browsers_.find(targetId);
    return it == browsers_.end() ? nullptr : it->second;
  };
  if (method.rfind("Browser.download", 0) == 0) return downloads_.OnEvent(method, params);
  if (method == "Target.targetCreated") {
    const Json info = params.value("targetInfo", Json::object());
    if (windowed_ && windowed_->OnTargetCreated(info)) return;
    if (strays_.OnTargetCreated(info)) return;
    if (info.value("type", std::string()) == "page" && info.contains("openerId")) OnPopupTarget(info);
    return;
  }
  if (method == "Target.targetInfoChanged") {
    const Json info = params.value("targetInfo", Json::object());
    if (auto browser = browserOf(info.value("targetId", std::string()))) browser->OnTitle(info.value("title", std::string()));
    return;
  }
  if (method == "Target.targetDestroyed") {
    if (auto browser = browserOf(params.value("targetId", std::string()))) browser->OnTargetGone("target destroyed");
    return;
  }
  if (method == "Target.detachedFromTarget") {
    if (auto browser = browserOf(params.value("targetId", std::string()))) {
      if (browser->SessionId() == params.value("sessionId", std::string())) browser->OnTargetGone("detached");
    }
    return;
  }
  if (method == "Target.targetCrashed") {
    auto browser = browserOf(params.value("targetId", std::string()));
    if (!browser) return;
    const std::string status = params.value("status", std::string());
    const cef_termination_status_t termination = status == "crashed" ? TS_PROCESS_CRASHED
                                                 : status == "killed"  ? TS_PROCESS_WAS_KILLED
                                                 : status == "oom"     ? TS_PROCESS_OOM
                                                                       : TS_ABNORMAL_TERMINATION;
    Log(LOGSEVERITY_WARNING, "browser " + std::to_string(browser->GetIdentifier()) + ": render process " +
                                 (status.empty() ? "terminated" : status) + " (code " +
                                 std::to_string(params.value("errorCode", 0)) + ")");
    auto client = browser->GetClient();
    auto handler = client ? client->GetRequestHandler() : nullptr;
    if (handler) handler->OnRenderProcessTerminated(browser.get(), termination);
  }
}

void Runtime::OnPopupTarget(const Json& targetInfo) {
  const std::string targetId = targetInfo.value("targetId", std::string());
  CefRefPtr<BrowserImpl> opener;
  {
    std::lock_guard<std::mutex> lock(browsersMutex_);
    const auto it = browsers_.find(targetInfo.value("openerId", std::string()));
    if (it != browsers_.end()) opener = it->second;
  }
  if (!opener) return;
  PopupBroker::Request request = opener->Popups().TakePending();
  if (request.url.empty()) request.url = targetInfo.value("url", std::string());
  if (!opener->Popups().Allow(request)) {
    GetConnection().Send("Target.closeTarget", {{"targetId", targetId}});
    return;
  }
  if (windowed_) return ReopenPopup(targetId, opener, request.url, request.name);
  AdoptTarget(targetId, opener->GetClient(), true, request.name, false, true, opener->Context());
}

// Windowed mode: Chromium puts a page's pop-up in a window of its own choice
// (a link's new tab goes to a browser window with tabs and an address bar).
// The page is opened again the way every browser is, as a pop-up of the
// application window, in a surface of its own that is shown; Chromium's
// window goes, unseen. The new page has no opener.
void Runtime::ReopenPopup(const std::string& targetId, CefRefPtr<BrowserImpl> opener, const std::string& url,
                          const std::string& windowName) {
  GetConnection().Send("Target.closeTarget", {{"targetId", targetId}});
  CefRefPtr<BrowserImpl> browser(
      new BrowserImpl(NextBrowserId(), opener->GetClient(), CefBrowserSettings(), true, opener->Context()));
  CreateSurfaceThen(browser, windowName, true, [browser, url]() {
    Threads::Post(TID_UI, [browser, url]() { browser->Attach(std::string(), url, true); });
  });
}

CefRefPtr<BrowserImpl> Runtime::AdoptTarget(const std::string& targetId, CefRefPtr<CefClient> client, bool isPopup,
                                            const std::string& windowName, bool showWindow, bool withRenderer,
                                            CefRefPtr<RequestContextImpl> context) {
  CefRefPtr<BrowserImpl> browser(new BrowserImpl(NextBrowserId(), client, CefBrowserSettings(), isPopup, context));
  browser->Attach(targetId, std::string(), true, withRenderer);
  CreateSurfaceThen(browser, windowName, showWindow, [] {});
  return browser;
}

bool Runtime::CreateBrowser(CefRefPtr<CefClient> client, const std::string& url, const CefBrowserSettings& settings,
                            const CefWindowInfo& windowInfo, CefRefPtr<RequestContextImpl> context) {
  if (gaveUp_) {
    Log(LOGSEVERITY_ERROR, "CreateBrowser: Chromium is gone for good");
    return false;
  }
  if (windowed_ && context && !context->Storage()->IsGlobal()) {
    Log(LOGSEVERITY_ERROR, "CreateBrowser: refused: a request context with a storage of its own needs windowless "
                           "mode (Chromium opens such a page in a window with its own bars)");
    return false;
  }
  CefRefPtr<BrowserImpl> browser(new BrowserImpl(NextBrowserId(), client, settings, false, std::move(context)));
  if (windowed_ && windowInfo.windowless_rendering_enabled) {
    Log(LOGSEVERITY_WARNING, "CreateBrowser: windowless rendering is not enabled in the settings; the browser is windowed");
  }
  if (windowed_ && windowInfo.parent_window) {
    // CEF's child window: Chromium's window goes straight into the given one.
    browser->SetForeignParent(windowInfo.parent_window, CefRect(windowInfo.x, windowInfo.y, windowInfo.width, windowInfo.height));
    Threads::Post(TID_UI, [browser, url]() { browser->Attach(std::string(), url, true); });
    return true;
  }
  if (windowInfo.width > 0 && windowInfo.height > 0) {
    browser->View().OnGeometry(windowInfo.width, windowInfo.height, chromiumScale_, false);
  }
  CreateSurfaceThen(browser, CefString(&windowInfo.window_name).ToString(), false, [browser, url]() {
    Threads::Post(TID_UI, [browser, url]() { browser->Attach(std::string(), url, true); });
  });
  return true;
}

void Runtime::CreateSurfaceThen(CefRefPtr<BrowserImpl> browser, const std::string& title, bool show,
                                std::function<void()> then) {
  auto make = [browser, title, show, then]() {
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
      auto* surface = new SurfaceWindow(browser, &browser->View(), &browser->Input());
      surface->setTitle(QString::fromStdString(title));
      surface->resize(800, 600);
      browser->View().SetSurface(surface, static_cast<CefWindowHandle>(surface->winId()));
      browser->View().OnGeometry(surface->width(), surface->height(), surface->devicePixelRatio(), false);
      if (show) surface->show();
    }
    then();
  };
  QCoreApplication* app = QCoreApplication::instance();
  if (!app || QThread::currentThread() == app->thread()) {
    make();
    return;
  }
  QMetaObject::invokeMethod(app, make, Qt::QueuedConnection);
}

}  // namespace cefcompat

#include "testing_hooks.h"

namespace cefcompat {

void CrashRendererForTesting(CefRefPtr<CefBrowser> browser) {
  auto* impl = static_cast<BrowserImpl*>(browser.get());
  CefRefPtr<BrowserImpl> self(impl);
  Threads::Post(TID_UI, [self]() { self->Send("Page.crash", Json::object()); });
}

pid_t RenderSubProcessPidForTesting(CefRefPtr<CefBrowser> browser) {
  CefRefPtr<BrowserImpl> impl(static_cast<BrowserImpl*>(browser.get()));
  auto pid = std::make_shared<std::promise<pid_t>>();
  auto future = pid->get_future();
  if (!Threads::Post(TID_UI, [impl, pid]() { pid->set_value(impl->RendererPid()); })) return -1;
  return future.wait_for(std::chrono::seconds(10)) == std::future_status::ready ? future.get() : -1;
}

pid_t ChromiumPidForTesting() {
  Runtime* runtime = Runtime::Get();
  return runtime ? runtime->ChromiumPid() : -1;
}

}  // namespace cefcompat
