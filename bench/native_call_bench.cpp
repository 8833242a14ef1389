// Native-call round trip: page -> native function -> process message to the
// browser -> answer -> the page's callback. Printed beside the bare protocol
// echo (a binding call answered by an evaluate, no runtime layers) measured
// in the same run. Run: build/bench/vell_native_call_bench
#include <cstdio>
#include <cstring>

#include <QApplication>
#include <QByteArray>
#include <QEventLoop>
#include <QTimer>

#include "bench_support.h"
#include "include/cef_app.h"
#include "include/cef_task.h"
#include "runtime.h"

namespace {

// Measures in the page: sequential calls, then 100 in flight. `call(resolve)`
// starts one round trip; `report(text)` hands the figures out.
const char kMeasure[] = R"JS(
async function measure(call, report) {
  const one = () => new Promise((resolve) => call(resolve));
  const times = [];
  for (let i = 0; i < 2000; ++i) { const t = performance.now(); await one(); times.push(performance.now() - t); }
  times.sort((a, b) => a - b);
  const t = performance.now();
  let done = 0;
  await new Promise((resolve) => { for (let i = 0; i < 100; ++i) call(() => { if (++done === 100) resolve(); }); });
  const burst = performance.now() - t;
  report(JSON.stringify({median: times[1000], p99: times[1980], perSecond: 100 / (burst / 1000)}));
}
)JS";


class BenchRenderHandler : public CefRenderProcessHandler, public CefV8Handler {
 public:
  void OnWebKitInitialized() override {
    CefRegisterExtension("v8/bench", "var benchNative; (function () { native function call(); benchNative = call; })();", this);
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
    if (type.empty() && getenv("VELL_BENCH_SINGLE_PROCESS")) line->AppendSwitch("single-process");
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

std::string Wait(Waker& waker, const std::function<std::string()>& result, int timeoutMs) {
  WaitFor(waker, [&] { return !result().empty(); }, timeoutMs);
  return result();
}


std::string DataUrl(const std::string& script) {
  return "data:text/html," + QByteArray::fromStdString("<script>" + script + "</script>").toPercentEncoding().toStdString();
}

// The bare protocol echo: a binding call answered by Runtime.evaluate, on a
// session of our own, with no runtime layers in between.
std::string BareEcho(Waker& waker) {
  auto& connection = cefcompat::Runtime::Get()->GetConnection();
  auto created = connection.Call("Target.createTarget", {{"url", "about:blank"}}, "", 10000);
  const std::string target = created.result.value("targetId", std::string());
  const std::string session =
      connection.Call("Target.attachToTarget", {{"targetId", target}, {"flatten", true}}, "", 10000).result.value("sessionId", std::string());
  std::string result;
  std::mutex mutex;
  connection.SetSessionHandler(session, [&](const std::string& method, const cefcompat::Json& params) {
    if (method != "Runtime.bindingCalled") return;
    const std::string payload = params.value("payload", std::string());
    if (payload.rfind("done:", 0) == 0) {
      std::lock_guard<std::mutex> lock(mutex);
      result = payload.substr(5);
      emit waker.Wake();
      return;
    }
    connection.Send("Runtime.evaluate", {{"expression", "__answer()"}, {"contextId", params.value("executionContextId", 0)}}, session);
  });
  connection.Call("Runtime.enable", cefcompat::Json::object(), session, 10000);
  connection.Call("Runtime.addBinding", {{"name", "echo"}}, session, 10000);
  const std::string script = std::string(kMeasure) +
                             "const queue = []; window.__answer = () => queue.shift()();"
                             "measure((resolve) => { queue.push(resolve); echo('x'); }, (r) => echo('done:' + r));";
  connection.Send("Page.navigate", {{"url", DataUrl(script)}}, session);
  const std::string figures = Wait(waker, [&] { std::lock_guard<std::mutex> lock(mutex); return result; }, 120000);
  connection.Send("Target.closeTarget", {{"targetId", target}});
  return figures;
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
  const std::string bare = BareEcho(waker);

  CefRefPtr<BenchClient> client(new BenchClient(&waker));
  const std::string script = std::string(kMeasure) +
                             "measure((resolve) => benchNative('call', resolve), (r) => benchNative('report', r));";
  CefBrowserHost::CreateBrowser(CefWindowInfo(), client.get(), DataUrl(script), CefBrowserSettings(), nullptr, nullptr);
  const std::string layered = Wait(waker, [&] { return client->result; }, 120000);

  const auto parse = [](const std::string& text) { return nlohmann::json::parse(text.empty() ? "{}" : text, nullptr, false); };
  const auto b = parse(bare), l = parse(layered);
  const char* mode = getenv("VELL_BENCH_SINGLE_PROCESS") ? "single-process" : "render sub-process";
  std::printf("native-call round trip (%s), 2000 sequential calls and 100 in flight:\n", mode);
  std::printf("  bare protocol echo : median %.3f ms, p99 %.3f ms, %.0f calls/s\n", b.value("median", 0.0), b.value("p99", 0.0), b.value("perSecond", 0.0));
  std::printf("  runtime layers     : median %.3f ms, p99 %.3f ms, %.0f calls/s\n", l.value("median", 0.0), l.value("p99", 0.0), l.value("perSecond", 0.0));
  if (b.value("median", 0.0) > 0) {
    std::printf("  ratio (layers / bare): median %.1fx, p99 %.1fx, throughput %.2fx\n", l.value("median", 0.0) / b.value("median", 1.0),
                l.value("p99", 0.0) / b.value("p99", 1.0), l.value("perSecond", 0.0) / b.value("perSecond", 1.0));
  }
  CefShutdown();
  return 0;
}

