// Runtime figures: browser creation and first load, and screencast throughput.
// Prints what it measures; asserts nothing. Run: build/bench/vell_runtime_bench
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <mutex>
#include <sstream>
#include <vector>

#include <QApplication>
#include <QByteArray>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include "bench_support.h"
#include "include/cef_app.h"
#include "view/surface_window.h"
#include "testing_hooks.h"

namespace {

using Clock = std::chrono::steady_clock;


class BenchClient : public CefClient, public CefLifeSpanHandler, public CefLoadHandler {
 public:
  explicit BenchClient(Waker* waker) : waker_(waker) {}
  CefRefPtr<CefLifeSpanHandler> GetLifeSpanHandler() override { return this; }
  CefRefPtr<CefLoadHandler> GetLoadHandler() override { return this; }
  void OnAfterCreated(CefRefPtr<CefBrowser> created) override {
    std::lock_guard<std::mutex> lock(mutex);
    browser = created;
    createdAt = Clock::now();
    emit waker_->Wake();
  }
  void OnLoadEnd(CefRefPtr<CefBrowser>, CefRefPtr<CefFrame> frame, int) override {
    if (!frame->IsMain()) return;
    std::lock_guard<std::mutex> lock(mutex);
    if (loadedAt == Clock::time_point()) loadedAt = Clock::now();
    emit waker_->Wake();
  }
  void OnBeforeClose(CefRefPtr<CefBrowser>) override {
    closed = true;
    emit waker_->Wake();
  }

  std::mutex mutex;
  CefRefPtr<CefBrowser> browser;
  Clock::time_point createdAt;
  Clock::time_point loadedAt;
  std::atomic<bool> closed{false};

 private:
  Waker* waker_;
  IMPLEMENT_REFCOUNTING(BenchClient);
};


double OwnCpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

}  // namespace

int main(int argc, char** argv) {
  // This executable is also the render sub-process of its browsers.
  const int exitCode = CefExecuteProcess(CefMainArgs(argc, argv), nullptr, nullptr);
  if (exitCode >= 0) return exitCode;
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  CefSettings settings;
  settings.no_sandbox = 1;
  settings.log_severity = LOGSEVERITY_ERROR;
  if (!CefInitialize(CefMainArgs(argc, argv), settings, nullptr, nullptr)) return 1;
  Waker waker;
  const std::string smallPage = "data:text/html," + QByteArray("<title>t</title><p>small page</p>").toPercentEncoding().toStdString();

  std::vector<double> toCreated, toLoaded;
  for (int i = 0; i < 20; ++i) {
    CefRefPtr<BenchClient> client(new BenchClient(&waker));
    const auto start = Clock::now();
    CefBrowserHost::CreateBrowser(CefWindowInfo(), client.get(), smallPage, CefBrowserSettings(), nullptr, nullptr);
    if (!WaitFor(waker, [&] { std::lock_guard<std::mutex> l(client->mutex); return client->loadedAt != Clock::time_point(); }, 15000)) {
      std::printf("browser %d did not load\n", i);
      continue;
    }
    toCreated.push_back(std::chrono::duration<double, std::milli>(client->createdAt - start).count());
    toLoaded.push_back(std::chrono::duration<double, std::milli>(client->loadedAt - start).count());
    client->browser->GetHost()->CloseBrowser(true);
    WaitFor(waker, [&] { return client->closed.load(); }, 10000);
  }
  std::printf("create -> OnAfterCreated: median %.1f ms (n=%zu)\n", Median(toCreated), toCreated.size());
  std::printf("create -> first OnLoadEnd: median %.1f ms (n=%zu)\n", Median(toLoaded), toLoaded.size());

  // Screencast of an animating 1280x720 page for 5 s.
  const std::string animated =
      "data:text/html," +
      QByteArray("<body style='margin:0'><canvas id=c width=1280 height=720></canvas><script>"
                 "const x=c.getContext('2d');let n=0;(function f(){n++;x.fillStyle='hsl('+(n%360)+',80%,50%)';"
                 "x.fillRect(0,0,1280,720);x.fillStyle='#fff';x.fillRect(n%1280,300,80,80);requestAnimationFrame(f);})();"
                 "</script></body>")
          .toPercentEncoding()
          .toStdString();
  CefRefPtr<BenchClient> client(new BenchClient(&waker));
  CefBrowserHost::CreateBrowser(CefWindowInfo(), client.get(), animated, CefBrowserSettings(), nullptr, nullptr);
  WaitFor(waker, [&] { std::lock_guard<std::mutex> l(client->mutex); return client->loadedAt != Clock::time_point(); }, 15000);
  auto* surface = static_cast<cefcompat::SurfaceWindow*>(
      cefcompat::SurfaceForHandle(client->browser->GetHost()->GetWindowHandle()));
  int frames = 0;
  QObject::connect(surface, &cefcompat::SurfaceWindow::FramePainted, [&] { ++frames; });
  surface->resize(1280, 720);
  surface->show();
  QEventLoop warmUp;
  QTimer::singleShot(1000, &warmUp, &QEventLoop::quit);
  warmUp.exec();
  frames = 0;
  const pid_t chromium = cefcompat::ChromiumPidForTesting();
  const double ownBefore = OwnCpuSeconds();
  const double chromiumBefore = ChromiumTreeCpuSeconds(chromium);
  QElapsedTimer elapsed;
  elapsed.start();
  QEventLoop run;
  QTimer::singleShot(5000, &run, &QEventLoop::quit);
  run.exec();
  const double seconds = elapsed.elapsed() / 1000.0;
  const double fps = frames / seconds;
  const double launcherCpu = OwnCpuSeconds() - ownBefore;
  const double chromiumCpu = ChromiumTreeCpuSeconds(chromium) - chromiumBefore;
  {
    BenchReport report("screencast");
    char value[64];
    std::snprintf(value, sizeof(value), "%.1f frames/s", fps);
    report.Row("screencast 1280x720 animating, 5 s", value, "60 frames/s (display rate)", fps / 60.0, "(reference)");
    std::snprintf(value, sizeof(value), "%.2f s launcher", launcherCpu);
    char peer[64];
    std::snprintf(peer, sizeof(peer), "%.2f s Chromium", chromiumCpu);
    report.Row("screencast CPU over the 5 s", value, peer, chromiumCpu > 0 ? launcherCpu / chromiumCpu : 0, "(reference)");
    report.Figure("fps", fps);
    report.Figure("chromium_cpu_s", chromiumCpu);
    report.Figure("launcher_cpu_s", launcherCpu);
  }
  client->browser->GetHost()->CloseBrowser(true);
  WaitFor(waker, [&] { return client->closed.load(); }, 10000);
  CefShutdown();
  return 0;
}

