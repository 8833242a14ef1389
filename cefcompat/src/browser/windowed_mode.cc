#include "browser/windowed_mode.h"

#include <chrono>
#include <thread>

#include <QCoreApplication>
#include <QGuiApplication>
#include <QScreen>

#include "base/log.h"
#include "base/task_thread.h"
#include "browser/runtime.h"
#include "view/focus_relay.h"
#include "x11/window_nursery.h"
#include "x11/x_connection.h"

namespace cefcompat {

namespace {

constexpr char kApplicationTitle[] = "cefcompat-application";
constexpr int kOpenTimeoutMs = 10000;
constexpr int kApplicationPollMs = 20;

}  // namespace

std::unique_ptr<WindowedMode> WindowedMode::Create(const CefSettings& settings, std::string& why) {
  if (settings.windowless_rendering_enabled) {
    why = "windowless rendering is enabled";
    return nullptr;
  }
  auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
  if (!app || QGuiApplication::platformName() != "xcb") {
    why = "Qt does not run on X11 (platform '" + (app ? QGuiApplication::platformName().toStdString() : "none") + "')";
    return nullptr;
  }
  std::unique_ptr<WindowedMode> mode(new WindowedMode());
  mode->x_ = XConnection::Open(why);
  if (!mode->x_) return nullptr;
  mode->nursery_ = std::make_unique<WindowNursery>(*mode->x_);
  WindowNursery* nursery = mode->nursery_.get();
  mode->x_->SetEventHandler([nursery](_XDisplay* display, const _XEvent& event) { nursery->OnEvent(display, event); });
  mode->x_->Start();
  unsigned long atoms[2] = {0, 0};
  if (!mode->x_->Run([&atoms, nursery](_XDisplay* display) { nursery->InternFocusAtoms(display, atoms); }, 5000) ||
      !nursery->CanTakeIn()) {
    why = "the X server lacks the X-Resource extension";
    return nullptr;
  }
  mode->focusRelay_ = std::make_unique<FocusRelay>(*nursery, atoms[0], atoms[1]);
  app->installNativeEventFilter(mode->focusRelay_.get());
  mode->scale_ = app->primaryScreen() ? app->primaryScreen()->devicePixelRatio() : 1.0;
  return mode;
}

WindowedMode::~WindowedMode() {
  if (focusRelay_ && QCoreApplication::instance()) {
    QCoreApplication::instance()->removeNativeEventFilter(focusRelay_.get());
  }
}

void WindowedMode::AddSwitches(std::vector<std::string>& args) const {
  args.push_back("--ozone-platform=x11");
  args.push_back(std::string("--app=data:text/html,<title>") + kApplicationTitle + "</title>");
  args.push_back("--force-device-scale-factor=" + std::to_string(scale_));
  // No keyring prompt, crash bubble or error dialog: nothing of Chromium's
  // own may appear.
  args.push_back("--password-store=basic");
  args.push_back("--noerrdialogs");
  args.push_back("--hide-crash-restore-bubble");
}

void WindowedMode::OnLaunched(pid_t pid) { nursery_->SetChromiumPid(pid); }

// The application window's target may be listed a moment after Chromium
// first answers.
std::string WindowedMode::FindApplicationTarget(Connection& connection, int timeoutMs, std::string& error) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (std::chrono::steady_clock::now() < deadline) {
    const auto targets = connection.Call("Target.getTargets", Json::object(), "", timeoutMs);
    if (!targets.ok) {
      error = "Target.getTargets failed: " + targets.error;
      return {};
    }
    for (const Json& info : targets.result.value("targetInfos", Json::array())) {
      if (info.value("type", std::string()) == "page" && info.value("title", std::string()) == kApplicationTitle) {
        return info.value("targetId", std::string());
      }
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(kApplicationPollMs));
  }
  error = "Chromium's application window did not appear";
  return {};
}

bool WindowedMode::AttachApplication(Connection& connection, int timeoutMs, std::string& error) {
  appTargetId_ = FindApplicationTarget(connection, timeoutMs, error);
  if (appTargetId_.empty()) return false;
  const auto attached =
      connection.Call("Target.attachToTarget", {{"targetId", appTargetId_}, {"flatten", true}}, "", timeoutMs);
  if (!attached.ok) {
    error = "attaching to the application window failed: " + attached.error;
    return false;
  }
  appSessionId_ = attached.result.value("sessionId", std::string());
  return true;
}

void WindowedMode::Open(int width, int height, Opened opened) {
  Runtime* runtime = Runtime::Get();
  if (!runtime || appSessionId_.empty()) return opened(std::string(), "Chromium is not running");
  const uint64_t sequence = ++lastSequence_;
  pending_.push_back({sequence, std::move(opened)});
  const std::string features = "popup,noopener,width=" + std::to_string(std::max(width, 100)) +
                               ",height=" + std::to_string(std::max(height, 100));
  const Json params = {{"expression", "window.open('about:blank', '_blank', '" + features + "'), 0"},
                       {"userGesture", true}};
  runtime->GetConnection().Send("Runtime.evaluate", params, appSessionId_, [this, sequence](const Connection::Reply& reply) {
    if (!reply.ok) Fail(sequence, "opening a window failed: " + reply.error);
  });
  Threads::Post(TID_UI, [this, sequence] { Fail(sequence, "Chromium did not open a window in time"); }, kOpenTimeoutMs);
}

void WindowedMode::Fail(uint64_t sequence, const std::string& error) {
  for (auto it = pending_.begin(); it != pending_.end(); ++it) {
    if (it->sequence != sequence) continue;
    Opened opened = std::move(it->opened);
    pending_.erase(it);
    return opened(std::string(), error);
  }
}

bool WindowedMode::OnTargetCreated(const Json& targetInfo) {
  if (targetInfo.value("openerId", std::string()) != appTargetId_ || appTargetId_.empty()) return false;
  const std::string targetId = targetInfo.value("targetId", std::string());
  if (pending_.empty()) {
    Log(LOGSEVERITY_WARNING, "a window nobody waits for any more was opened; closing it");
    Runtime::Get()->GetConnection().Send("Target.closeTarget", {{"targetId", targetId}});
    return true;
  }
  Opened opened = std::move(pending_.front().opened);
  pending_.pop_front();
  opened(targetId, std::string());
  return true;
}

void WindowedMode::OnChromiumGone() {
  appSessionId_.clear();
  std::deque<Pending> pending;
  pending.swap(pending_);
  for (auto& each : pending) each.opened(std::string(), "Chromium is gone");
}

}  // namespace cefcompat
