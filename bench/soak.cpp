// A long run of what a launcher does all day, to see that nothing grows:
// browsers taken from the widget pool, each loading a page, then released
// (1,000 cycles by default), and SDK calls from one page
// (window.vell.basicModule.pingPong, 1,000,000 by default, a bounded number
// in flight). Prints the launcher's RSS after the first 100 cycles and at the
// end, the calls made and answered, and the time taken; exits non-zero when a
// figure misses its goal. Run from the build directory (the SDK is installed
// there), through scripts/soak.sh (a sanitizer build, so that leaks and
// memory errors fail the run at exit).
//
// Options (or the environment variables in brackets):
//   --cycles N     [VELL_SOAK_CYCLES]     pool cycles (default 1000)
//   --calls N      [VELL_SOAK_CALLS]      SDK calls (default 1000000)
//   --in-flight N  [VELL_SOAK_IN_FLIGHT]  calls in flight at most (default 100)
//   --single-process [VELL_SOAK_SINGLE_PROCESS] the render side in the launcher
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>

#include <QApplication>
#include <QElapsedTimer>
#include <QPointer>

#include "bench_support.h"
#include "core/VellBootstrap.h"
#include "core/VellBrowserLifeSpanMonitor.h"
#include "core/VellSettings.h"
#include "core/VellSignalsWidget.h"
#include "plugins/basic_plugins/VellPingPongPlugin.h"
#include "pool/VellWidgetPool.h"
#include "testing_hooks.h"
#include "utils/VellLeakSanitizerDefaults.h"
#include "v8_api/VellV8Handler.h"

namespace {

constexpr int kStepTimeoutMs = 60000;
constexpr long kBaselineCycles = 100;
constexpr double kGoalRssRatio = 1.10;

constexpr long kDefaultCalls = 1000000;

struct Options {
  long cycles = 1000;
  long calls = kDefaultCalls;
  long inFlight = 100;
  bool singleProcess = false;
};

long EnvNumber(const char* name, long fallback) {
  const char* value = std::getenv(name);
  return value && *value ? std::atol(value) : fallback;
}

Options ParseOptions(int argc, char** argv) {
  Options options;
  options.cycles = EnvNumber("VELL_SOAK_CYCLES", options.cycles);
  options.calls = EnvNumber("VELL_SOAK_CALLS", options.calls);
  options.inFlight = EnvNumber("VELL_SOAK_IN_FLIGHT", options.inFlight);
  options.singleProcess = EnvFlag("VELL_SOAK_SINGLE_PROCESS");
  for (int i = 1; i < argc; ++i) {
    const bool hasValue = i + 1 < argc;
    if (!std::strcmp(argv[i], "--cycles") && hasValue) options.cycles = std::atol(argv[++i]);
    else if (!std::strcmp(argv[i], "--calls") && hasValue) options.calls = std::atol(argv[++i]);
    else if (!std::strcmp(argv[i], "--in-flight") && hasValue) options.inFlight = std::atol(argv[++i]);
    else if (!std::strcmp(argv[i], "--single-process")) options.singleProcess = true;
  }
  return options;
}

// Resident set of this process in kB.
long SelfRssKb() {
  std::ifstream status("/proc/self/status");
  for (std::string key; status >> key;) {
    long value = 0;
    if (key == "VmRSS:" && status >> value) return value;
    status.ignore(1 << 12, '\n');
  }
  return 0;
}

long ChromiumPssKb() {
  const pid_t chromium = cefcompat::ChromiumPidForTesting();
  long total = 0;
  if (chromium > 0) {
    for (pid_t pid : ProcessTree(chromium)) total += ProcessPssKb(pid);
  }
  return total;
}

void PrintMemory(const char* when) {
  std::printf("  %-28s launcher RSS %7.1f MB, Chromium PSS %7.1f MB, live browsers %d\n", when, SelfRssKb() / 1024.0,
              ChromiumPssKb() / 1024.0, cefcompat::LiveBrowsersForTesting());
  std::fflush(stdout);
}

std::string PageUrl(long cycle) {
  const std::string html = "<title>cycle " + std::to_string(cycle) + "</title><p>cycle " + std::to_string(cycle) + "</p>";
  return "data:text/html," + QByteArray::fromStdString(html).toPercentEncoding().toStdString();
}

bool Shown(VellSignalsWidget* signalsWidget, const std::string& url) {
  return !signalsWidget->IsLoading() && signalsWidget->GetUrl().toStdString() == url;
}

// Qt thread: one pooled browser taken, its page loaded, released, and the
// browser freed by the pool once it has closed.
bool Cycle(VellWidgetPool& pool, Waker& waker, long cycle) {
  std::unique_ptr<VellWidget> widget(pool.Acquire());
  if (!widget) return false;
  QPointer<VellSignalsWidget> signalsWidget = widget->GetVellSignalsWidget();
  QObject::connect(signalsWidget, &VellSignalsWidget::OnLoadComplete, &waker, &Waker::Wake);
  QObject::connect(signalsWidget, &QObject::destroyed, &waker, &Waker::Wake);
  const std::string url = PageUrl(cycle);
  widget->LoadUrl(url);
  if (!WaitFor(waker, [&] { return !signalsWidget || Shown(signalsWidget, url); }, kStepTimeoutMs) || !signalsWidget) {
    std::fprintf(stderr, "soak: cycle %ld: the page did not load\n", cycle);
    return false;
  }
  widget.reset();  // closes the browser
  if (!WaitFor(waker, [&] { return signalsWidget.isNull(); }, kStepTimeoutMs)) {
    std::fprintf(stderr, "soak: cycle %ld: the released browser was not freed\n", cycle);
    return false;
  }
  return true;
}

struct CycleFigures {
  bool ok = false;
  long baselineRssKb = 0;
  double seconds = 0;
};

CycleFigures RunCycles(long cycles, Waker& waker) {
  CycleFigures figures;
  const long baselineAt = std::min(kBaselineCycles, std::max(1L, cycles / 2));
  QElapsedTimer timer;
  timer.start();
  VellWidgetPool pool(0, 1);
  pool.Init(nullptr);
  for (long cycle = 1; cycle <= cycles; ++cycle) {
    if (!Cycle(pool, waker, cycle)) return figures;
    if (cycle == baselineAt) {
      figures.baselineRssKb = SelfRssKb();
      PrintMemory(("after " + std::to_string(cycle) + " cycles").c_str());
    }
    if (cycle % 100 == 0) {
      std::printf("  %ld cycles, %.0f s, launcher RSS %.1f MB\n", cycle, timer.elapsed() / 1000.0, SelfRssKb() / 1024.0);
      std::fflush(stdout);
    }
  }
  pool.AwaitReleaseAll();
  figures.seconds = timer.elapsed() / 1000.0;
  figures.ok = true;
  return figures;
}

// Page side: `total` calls with at most `inFlight` unanswered; each answer
// must echo its call's text. Reports "done:<answered>:<wrong>:<failed>".
std::string CallsPage(long total, long inFlight) {
  const std::string script =
      "const total = " + std::to_string(total) + ", inFlight = " + std::to_string(inFlight) + ";"
      "let started = 0, answered = 0, wrong = 0, failed = 0;"
      "const settle = () => { ++answered; if (answered === total) finish(); else more(); };"
      "const finish = () => vell.basicModule.pingPong({text: 'done:' + answered + ':' + wrong + ':' + failed});"
      "const more = () => {"
      "  while (started < total && started - answered < inFlight) {"
      "    const text = String(started++);"
      "    vell.basicModule.pingPong({text}).then((r) => { if (!r || r.text !== text) ++wrong; settle(); },"
      "                                           () => { ++failed; settle(); });"
      "  }"
      "};"
      "if (total > 0) more(); else finish();";
  return "data:text/html," +
         QByteArray::fromStdString("<script>" + script + "</script>").toPercentEncoding().toStdString();
}

struct CallFigures {
  bool ok = false;
  long received = 0;  // by the host
  long answered = 0;  // as the page counted its settled calls
  long wrong = 0;
  long failed = 0;
  double seconds = 0;
};

// Qt thread: one page shown from the pool makes the calls; the host answers
// each at once and prints progress with the projected time of the whole run.
CallFigures RunCalls(const Options& options, Waker& waker) {
  CallFigures figures;
  VellWidgetPool pool(0, 0);
  pool.Init(nullptr);
  std::unique_ptr<VellWidget> widget(pool.Acquire());
  QPointer<VellSignalsWidget> signalsWidget = widget->GetVellSignalsWidget();
  QObject::connect(signalsWidget, &VellSignalsWidget::OnLoadComplete, &waker, &Waker::Wake);
  if (!WaitFor(waker, [&] { return signalsWidget->findChild<VellPingPongPlugin*>() && !signalsWidget->IsLoading(); },
               kStepTimeoutMs)) {
    std::fprintf(stderr, "soak: the calls' browser did not come up\n");
    return figures;
  }
  auto* pingPong = signalsWidget->findChild<VellPingPongPlugin*>();
  std::string done;
  QElapsedTimer timer;
  const long step = std::max(1L, options.calls / 10);
  QObject::connect(pingPong, &VellPingPongPlugin::FirePingPong,
                   [&](const VellPingPongPluginModel::RequestModel& request,
                       VellPingPongPluginModel::FirePingPongCallback callback) {
                     if (request.text.rfind("done:", 0) == 0) {
                       done = request.text.substr(5);
                       emit waker.Wake();
                     } else if (++figures.received % step == 0) {
                       const double seconds = timer.elapsed() / 1000.0;
                       std::printf("  %ld calls, %.0f s (the whole run projected at %.0f s), launcher RSS %.1f MB\n",
                                   figures.received, seconds, seconds * options.calls / figures.received,
                                   SelfRssKb() / 1024.0);
                       std::fflush(stdout);
                     }
                     callback({request.text});
                   });
  timer.start();
  widget->LoadUrl(CallsPage(options.calls, options.inFlight));
  // No overall limit: the run takes as long as the calls do; a stall ends it.
  long lastReceived = -1;
  while (done.empty() && figures.received != lastReceived) {
    lastReceived = figures.received;
    WaitFor(waker, [&] { return !done.empty(); }, kStepTimeoutMs);
  }
  figures.seconds = timer.elapsed() / 1000.0;
  std::sscanf(done.c_str(), "%ld:%ld:%ld", &figures.answered, &figures.wrong, &figures.failed);
  figures.ok = !done.empty();
  widget.reset();
  pool.AwaitReleaseAll();
  return figures;
}

int Report(const Options& options, const CycleFigures& cycles, const CallFigures& calls) {
  const long endRssKb = SelfRssKb();
  const double ratio = cycles.baselineRssKb > 0 ? static_cast<double>(endRssKb) / cycles.baselineRssKb : 0;
  const bool rssOk = cycles.ok && ratio <= kGoalRssRatio;
  const bool callsOk = calls.ok && calls.answered == options.calls && calls.received == options.calls &&
                       calls.wrong == 0 && calls.failed == 0;
  std::printf("\nsoak figures\n");
  std::printf("  pool cycles            %ld of %ld in %.0f s\n", cycles.ok ? options.cycles : 0, options.cycles,
              cycles.seconds);
  std::printf("  launcher RSS           %.1f MB after %ld cycles, %.1f MB at the end: ratio %.3f (goal <= %.2f) %s\n",
              cycles.baselineRssKb / 1024.0, std::min(kBaselineCycles, std::max(1L, options.cycles / 2)),
              endRssKb / 1024.0, ratio, kGoalRssRatio, rssOk ? "ok" : "MISSED");
  std::printf("  SDK calls              %ld made, %ld received by the host, %ld answered (%ld wrong, %ld failed) %s\n",
              options.calls, calls.received, calls.answered, calls.wrong, calls.failed, callsOk ? "ok" : "MISSED");
  std::printf("  calls' time            %.0f s (%.0f calls/s, %ld in flight at most)\n", calls.seconds,
              calls.seconds > 0 ? calls.received / calls.seconds : 0, options.inFlight);
  if (calls.received > 0 && options.calls != kDefaultCalls) {
    std::printf("  %ld calls projected at  %.0f s at this rate\n", kDefaultCalls,
                calls.seconds * kDefaultCalls / calls.received);
  }
  PrintMemory("at the end");
  return rssOk && callsOk ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  const Options options = ParseOptions(argc, argv);
  VellSettings::Instance()->ModifyNativeCefSettings([](CefSettings& settings) {
    CefString(&settings.browser_subprocess_path) = VELL_SUBPROCESS_PATH;
    CefString(&settings.cache_path) = "";
    settings.log_severity = LOGSEVERITY_ERROR;
  });
  const bool single = options.singleProcess;
  VellApp* vellApp = new VellApp(new VellV8Handler(), [single](const CefString& type, CefRefPtr<CefCommandLine> line) {
    if (single && type.empty()) line->AppendSwitch("single-process");
  });
  VellBootstrap bootstrap;
  bootstrap.Initialize(vellApp, argc, argv);
  std::printf("soak: %ld pool cycles, %ld SDK calls (%ld in flight at most), %s\n", options.cycles, options.calls,
              options.inFlight, single ? "single-process" : "render sub-processes");
  Waker waker;
  const CycleFigures cycles = RunCycles(options.cycles, waker);
  const CallFigures calls = cycles.ok ? RunCalls(options, waker) : CallFigures{};
  const int status = Report(options, cycles, calls);
  VellBrowserLifeSpanMonitor::Instance()->Wait(kStepTimeoutMs);
  CefShutdown();
  return status;
}
