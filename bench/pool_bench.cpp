// The widget pool against cold creation, with the framework brought up as a
// launcher does: a page shown from the pool (preloaded, or loaded after
// Acquire) beside a browser created for it; and the memory one idle pooled
// browser costs (Chromium's processes and the render sub-process, PSS, above
// the launcher's baseline). Prints each figure beside its peer or goal.
// Run from the build directory: bench/vell_pool_bench
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

#include <QApplication>
#include <QElapsedTimer>
#include <QPointer>

#include "bench_support.h"
#include "core/VellBootstrap.h"
#include "core/VellBrowserLifeSpanMonitor.h"
#include "core/VellIndependentBrowser.h"
#include "core/VellSettings.h"
#include "core/VellSignalsWidget.h"
#include "pool/VellWidgetPool.h"
#include "v8_api/VellV8Handler.h"

namespace {

constexpr int kRounds = 5;
constexpr int kTimeoutMs = 30000;
constexpr double kGoalRatio = 0.3;
constexpr double kGoalIdleMb = 60;

// A page with some weight: styles, a script and a few hundred elements.
std::string PageUrl() {
  std::string body = "<style>li{font:14px sans-serif;color:#345}</style><script>window.ready = true;</script><ul>";
  for (int i = 0; i < 300; ++i) body += "<li>item " + std::to_string(i) + "</li>";
  QByteArray encoded = QByteArray::fromStdString(body + "</ul>").toPercentEncoding();
  return "data:text/html," + encoded.toStdString();
}

bool Shown(VellSignalsWidget* signalsWidget, const std::string& url) {
  return !signalsWidget->IsLoading() && signalsWidget->GetUrl().toStdString() == url;
}

long TreePssKb(pid_t root) {
  long total = 0;
  for (pid_t pid : ProcessTree(root)) total += ProcessPssKb(pid);
  return total;
}


// Cold: a browser created for the page, until the page has loaded.
double ColdMs(const std::string& url) {
  QElapsedTimer timer;
  timer.start();
  auto browser = std::make_unique<VellIndependentBrowser>();
  browser->Init(url);
  VellSignalsWidget* signalsWidget = browser->GetVellSignalsWidget();
  RunUntil([&] { return Shown(signalsWidget, url) && browser->GetVellHandler()->GetBrowser(); }, kTimeoutMs);
  const double ms = static_cast<double>(timer.nsecsElapsed()) / 1e6;
  browser->GetVellHandler()->Cleanup();
  RunUntil([&] { return signalsWidget->IsBrowserClosed(); }, kTimeoutMs);
  delete signalsWidget;
  return ms;
}

// From the pool: Acquire, then (when `load`) the page loaded into it.
double PooledMs(VellWidgetPool& pool, const std::string& url, bool load) {
  // The reserve holds one browser with its page in (the last round's has gone).
  RunUntil([] { return VellBrowserLifeSpanMonitor::Instance()->GetBrowserCount() == 1; }, kTimeoutMs);
  RunFor(500);
  QElapsedTimer timer;
  timer.start();
  std::unique_ptr<VellWidget> widget(pool.Acquire());
  if (load) widget->LoadUrl(url);
  RunUntil([&] { return Shown(widget->GetVellSignalsWidget(), url); }, kTimeoutMs);
  const double ms = static_cast<double>(timer.nsecsElapsed()) / 1e6;
  QPointer<VellSignalsWidget> signalsWidget = widget->GetVellSignalsWidget();
  widget.reset();
  RunUntil([&] { return signalsWidget.isNull() || signalsWidget->IsBrowserClosed(); }, kTimeoutMs);
  return ms;
}

void MeasureShowing(BenchReport& report) {
  const std::string url = PageUrl();
  std::vector<double> cold, preloaded, loadedAfter;
  for (int i = 0; i < kRounds; ++i) cold.push_back(ColdMs(url));
  {
    VellWidgetPool pool(0, 1);
    pool.SetInitLoadUrl(url);
    pool.Init(nullptr);
    for (int i = 0; i < kRounds; ++i) preloaded.push_back(PooledMs(pool, url, false));
    pool.AwaitReleaseAll();
  }
  {
    VellWidgetPool pool(0, 1);
    pool.Init(nullptr);
    for (int i = 0; i < kRounds; ++i) loadedAfter.push_back(PooledMs(pool, url, true));
    pool.AwaitReleaseAll();
  }
  const double coldMs = Median(cold);
  char goal[32];
  std::snprintf(goal, sizeof(goal), "<= %.1fx cold", kGoalRatio);
  report.Row("pooled page preloaded: Acquire -> shown", Ms(Median(preloaded)), "cold " + Ms(coldMs), Median(preloaded) / coldMs, goal);
  report.Row("pooled: Acquire + LoadUrl -> loaded", Ms(Median(loadedAfter)), "cold " + Ms(coldMs), Median(loadedAfter) / coldMs, goal);
  report.Figure("cold_ms", coldMs);
  report.Figure("pooled_ms", Median(loadedAfter));
  report.Figure("ratio", Median(loadedAfter) / coldMs);
  report.Figure("preloaded_ms", Median(preloaded));
}

void MeasureIdleMemory(BenchReport& report) {
  const pid_t self = getpid();
  RunFor(1500);
  const long baseline = TreePssKb(self) - ProcessPssKb(self);
  VellWidgetPool pool(0, 4);
  pool.Init(nullptr);
  constexpr int kIdle = 4;
  RunUntil([] { return VellBrowserLifeSpanMonitor::Instance()->GetBrowserCount() == kIdle; }, 4 * 2000 + kTimeoutMs);
  RunFor(3000);
  const long withIdle = TreePssKb(self) - ProcessPssKb(self);
  const double perBrowserMb = static_cast<double>(withIdle - baseline) / kIdle / 1024.0;
  char value[32], goal[32];
  std::snprintf(value, sizeof(value), "%.1f MB", perBrowserMb);
  std::snprintf(goal, sizeof(goal), "<= %.0f MB", kGoalIdleMb);
  report.Row("one idle pooled browser, PSS", value, goal, perBrowserMb / kGoalIdleMb, goal);
  report.Figure("idle_browser_pss_mb", perBrowserMb);
  pool.AwaitReleaseAll();
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  VellSettings::Instance()->ModifyNativeCefSettings([](CefSettings& settings) {
    CefString(&settings.browser_subprocess_path) = VELL_SUBPROCESS_PATH;
    CefString(&settings.cache_path) = "";
    settings.log_severity = LOGSEVERITY_WARNING;
  });
  VellApp* vellApp = new VellApp(new VellV8Handler(), nullptr);
  VellBootstrap bootstrap;
  bootstrap.Initialize(vellApp, argc, argv);
  {
    BenchReport report("pool");
    MeasureShowing(report);
    MeasureIdleMemory(report);
  }
  VellBrowserLifeSpanMonitor::Instance()->Wait(kTimeoutMs);
  CefShutdown();
  return 0;
}
