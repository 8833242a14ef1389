// The SDK path end to end: window.vell.basicModule.pingPong (page -> native
// function -> VellV8Handler -> process message -> plugin -> the host's answer
// -> Promise), with the framework brought up as a launcher does, beside the
// bare protocol echo measured in the same run.
// Run: build/bench/vell_sdk_call_bench (VELL_BENCH_SINGLE_PROCESS=1 for the
// single-process mode).
#include <cstdlib>
#include <memory>
#include <mutex>
#include <string>

#include <QApplication>
#include <QPointer>

#include "bench_support.h"
#include "call_measure.h"
#include "core/VellBootstrap.h"
#include "core/VellBrowserLifeSpanMonitor.h"
#include "core/VellIndependentBrowser.h"
#include "core/VellSettings.h"
#include "core/VellSignalsWidget.h"
#include "core/VellWidget.h"
#include "plugins/basic_plugins/VellPingPongPlugin.h"
#include "v8_api/VellV8Handler.h"

namespace {

constexpr int kTimeoutMs = 30000;
constexpr int kMeasureTimeoutMs = 120000;

const char kSdkCalls[] =
    "measure((resolve) => vell.basicModule.pingPong({text: 'x'}).then(resolve),"
    "        (r) => vell.basicModule.pingPong({text: 'done:' + r}));";

// Runs the measure in a page shown as the launcher shows one; the host answers
// every pingPong at once.
CallFigures MeasureSdk(Waker& waker) {
  VellIndependentBrowser browser;
  browser.Init("about:blank");
  auto widget = std::make_unique<VellWidget>();
  widget->ConnectCefBrowser(&browser);
  QPointer<VellSignalsWidget> signalsWidget = browser.GetVellSignalsWidget();
  RunUntil([&] { return signalsWidget->findChild<VellPingPongPlugin*>() && !signalsWidget->IsLoading(); }, kTimeoutMs);
  auto* pingPong = signalsWidget->findChild<VellPingPongPlugin*>();
  if (!pingPong) return {};
  std::string result;
  QObject::connect(pingPong, &VellPingPongPlugin::FirePingPong,
                   [&](const VellPingPongPluginModel::RequestModel& request, VellPingPongPluginModel::FirePingPongCallback callback) {
                     if (request.text.rfind("done:", 0) == 0) {
                       result = request.text.substr(5);
                       emit waker.Wake();
                     }
                     callback({request.text});
                   });
  widget->LoadUrl(DataUrl(std::string(kMeasureCalls) + kSdkCalls));
  WaitFor(waker, [&] { return !result.empty(); }, kMeasureTimeoutMs);
  widget.reset();  // closes the browser
  RunUntil([&] { return signalsWidget.isNull() || signalsWidget->IsBrowserClosed(); }, kTimeoutMs);
  delete signalsWidget.data();
  return CallFigures::Parse(result);
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  const bool single = EnvFlag("VELL_BENCH_SINGLE_PROCESS");
  VellSettings::Instance()->ModifyNativeCefSettings([](CefSettings& settings) {
    CefString(&settings.browser_subprocess_path) = VELL_SUBPROCESS_PATH;
    CefString(&settings.cache_path) = "";
    settings.log_severity = LOGSEVERITY_ERROR;
  });
  VellApp* vellApp = new VellApp(new VellV8Handler(), [single](const CefString& type, CefRefPtr<CefCommandLine> line) {
    if (single && type.empty()) line->AppendSwitch("single-process");
  });
  VellBootstrap bootstrap;
  bootstrap.Initialize(vellApp, argc, argv);
  Waker waker;
  const CallFigures echo = BareEcho(waker);
  const CallFigures debuggerEcho = BareEcho(waker, true);
  const CallFigures sdk = MeasureSdk(waker);
  {
    BenchReport report(single ? "sdk_call_single_process" : "sdk_call");
    ReportCalls(report, std::string("SDK call, pingPong") + (single ? " (single-process)" : " (render sub-process)"), echo, debuggerEcho,
                sdk, "<= the native call's + 0.3 ms", 3000, 0.25);
  }
  VellBrowserLifeSpanMonitor::Instance()->Wait(kTimeoutMs);
  CefShutdown();
  return 0;
}
