// Native-call round trip: page -> native function -> process message to the
// browser -> answer -> the page's callback, for a native function that
// answers later (`// async`) and, as a reference, one that waits. Printed
// beside the bare protocol echo (a binding call answered by an evaluate, no
// runtime layers) measured in the same run.
// Run: build/bench/vell_native_call_bench (VELL_BENCH_SINGLE_PROCESS=1 for
// the single-process mode).
//
// Where the time went (perf, whole machine, 2,000 waiting calls): over a third
// of all CPU in Chromium's renderer, which builds the call frames of every
// debugger pause; in the launcher, parsing the large Debugger.paused events;
// and per call four protocol messages in a row (binding call, pause, the
// evaluation of the answer on the paused frame, resume), each crossing the
// launcher's UI thread twice on its way to and from the render side, while
// the page can do nothing else: 100 calls in flight cost 100 pauses. A call
// that answers later needs one binding event and one evaluation (answers and
// handle releases of a context are sent together), and the relay of the
// render side's traffic now runs on the reader threads, so what remains is
// mostly the wake-ups of the threads a call passes through, and the page's
// debugger: while it is on (the runtime needs it for the pause at each
// document's start and for native calls that wait), Chromium reports every
// evaluation as a parsed script, which adds 0.1 to 0.2 ms to an evaluation:
// measured in pairs in one run, the echo with the debugger on is 1.2x to
// 1.45x the bare echo, most of the 1.5x the goal allows. Those script reports
// no longer cross to the render side, which follows only its own setup script.
// Timestamps at each step of ~1,900 answered-later calls (medians, a loaded
// 2-core machine): the launcher's own part of a call was about 0.32 ms in
// both modes, spread over six thread wake-ups of 30 to 80 us each (the link
// crossed four times, into TID_RENDERER twice, into TID_UI once); the rest,
// from our evaluation leaving to the next binding event, is Chromium's, and
// about what the echo with the debugger on costs. With the single-process
// switch the link now hands messages over on the sending thread, which took
// the launcher's part to about 0.19 ms. A render sub-process still reads its
// link on a thread of its own: reading it on TID_RENDERER would save two
// wake-ups, but a busy render side would then stop draining the link and the
// relay's writes would block the launcher's one protocol reader.
#include <cstdio>
#include <cstring>

#include <QApplication>
#include <QByteArray>
#include <QEventLoop>
#include <QTimer>

#include "bench_support.h"
#include "call_measure.h"
#include "include/cef_app.h"
#include "include/cef_task.h"
#include "browser/runtime.h"

namespace {

class BenchRenderHandler : public CefRenderProcessHandler, public CefV8Handler {
 public:
  void OnWebKitInitialized() override {
    CefRegisterExtension("v8/bench",
                         "var benchNative, benchLater;\n"
                         "(function () {\n"
                         "  native function call();\n"
                         "  native function later(); // async\n"
                         "  benchNative = call; benchLater = later;\n"
                         "})();",
                         this);
  }
  bool Execute(const CefString&, CefRefPtr<CefV8Value>, const CefV8ValueList& args, CefRefPtr<CefV8Value>&,
               CefString&) override {
    auto context = CefV8Context::GetCurrentContext();
    const std::string action = args[0]->GetStringValue();
    auto message = CefProcessMessage::Create(action);
    if (action == "call") {
      pending_[++next_] = {args[1], context};
      message->GetArgumentList()->SetInt(0, next_);
    } else {
      message->GetArgumentList()->SetString(0, args[1]->GetStringValue());
    }
    context->GetFrame()->SendProcessMessage(PID_BROWSER, message);
    return true;
  }
  bool OnProcessMessageReceived(CefRefPtr<CefBrowser>, CefRefPtr<CefFrame>, CefProcessId,
                                CefRefPtr<CefProcessMessage> message) override {
    auto it = pending_.find(message->GetArgumentList()->GetInt(0));
    if (it == pending_.end()) return false;
    it->second.first->ExecuteFunctionWithContext(it->second.second, nullptr, {CefV8Value::CreateString("pong")});
    pending_.erase(it);
    return true;
  }

 private:
  std::map<int, std::pair<CefRefPtr<CefV8Value>, CefRefPtr<CefV8Context>>> pending_;
  int next_ = 0;
  IMPLEMENT_REFCOUNTING(BenchRenderHandler);
};

class BenchApp : public CefApp {
 public:
  CefRefPtr<CefRenderProcessHandler> GetRenderProcessHandler() override { return new BenchRenderHandler(); }
  void OnBeforeCommandLineProcessing(const CefString& type, CefRefPtr<CefCommandLine> line) override {
    if (type.empty() && EnvFlag("VELL_BENCH_SINGLE_PROCESS")) line->AppendSwitch("single-process");
  }

 private:
  IMPLEMENT_REFCOUNTING(BenchApp);
};

class BenchClient : public CefClient {
 public:
  explicit BenchClient(Waker* waker) : waker_(waker) {}
  bool OnProcessMessageReceived(CefRefPtr<CefBrowser>, CefRefPtr<CefFrame> frame, CefProcessId,
                                CefRefPtr<CefProcessMessage> message) override {
    if (message->GetName() == "call") {
      auto answer = CefProcessMessage::Create("answer");
      answer->GetArgumentList()->SetInt(0, message->GetArgumentList()->GetInt(0));
      frame->SendProcessMessage(PID_RENDERER, answer);
      return true;
    }
    result = message->GetArgumentList()->GetString(0).ToString();
    emit waker_->Wake();
    return true;
  }
  std::string result;

 private:
  Waker* waker_;
  IMPLEMENT_REFCOUNTING(BenchClient);
};

// One browser running the measure with `native` ("benchLater" or "benchNative").
CallFigures MeasureNative(Waker& waker, const std::string& native) {
  CefRefPtr<BenchClient> client(new BenchClient(&waker));
  const std::string script =
      std::string(kMeasureCalls) + "measure((resolve) => " + native + "('call', resolve), (r) => " + native + "('report', r));";
  CefBrowserHost::CreateBrowser(CefWindowInfo(), client.get(), DataUrl(script), CefBrowserSettings(), nullptr, nullptr);
  WaitFor(waker, [&] { return !client->result.empty(); }, 120000);
  return CallFigures::Parse(client->result);
}

}  // namespace

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (std::strstr(argv[i], "--type=")) return CefExecuteProcess(CefMainArgs(argc, argv), new BenchApp(), nullptr);
  }
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  CefSettings settings;
  settings.no_sandbox = 1;
  settings.log_severity = LOGSEVERITY_ERROR;
  if (!CefInitialize(CefMainArgs(argc, argv), settings, new BenchApp(), nullptr)) return 1;
  Waker waker;
  const bool single = EnvFlag("VELL_BENCH_SINGLE_PROCESS");
  const CallFigures echo = BareEcho(waker);
  const CallFigures debuggerEcho = BareEcho(waker, true);
  const CallFigures later = MeasureNative(waker, "benchLater");
  const CallFigures pausing = MeasureNative(waker, "benchNative");
  {
    BenchReport report(single ? "native_call_single_process" : "native_call");
    const std::string mode = single ? " (single-process)" : " (render sub-process)";
    ReportCalls(report, "native call" + mode, echo, debuggerEcho, later, "<= 1.3x", 3000, 0.25);
    report.Row("native call that waits (pauses)" + mode + ", median", Ms(pausing.median), "echo " + Ms(echo.median),
               echo.median > 0 ? pausing.median / echo.median : 0, "(reference)");
    report.Figure("pausing_median_ms", pausing.median);
    report.Figure("pausing_calls_per_s_100", pausing.perSecond);
  }
  CefShutdown();
  return 0;
}
