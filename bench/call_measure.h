#pragma once
// Call round trips measured in a page: 2,000 sequential calls (timed in
// tens), then 100 in flight (seven times); and the bare protocol echo they
// are compared with, measured the same way in the same run.
#include <mutex>
#include <string>

#include <QByteArray>

#include <nlohmann/json.hpp>

#include "bench_support.h"
#include "browser/runtime.h"

// Page side: `call(resolve)` starts one round trip; `report(text)` hands the
// figures out as JSON.
inline const char kMeasureCalls[] = R"JS(
async function measure(call, report) {
  const one = () => new Promise((resolve) => call(resolve));
  // Timed ten at a time: the page's clock ticks in 0.1 ms.
  const times = [];
  for (let i = 0; i < 200; ++i) {
    const t = performance.now();
    for (let j = 0; j < 10; ++j) await one();
    const each = (performance.now() - t) / 10;
    for (let j = 0; j < 10; ++j) times.push(each);
  }
  times.sort((a, b) => a - b);
  // One burst lasts a few tens of ms, less than the machine's hiccups: the
  // median of seven.
  const rates = [];
  for (let b = 0; b < 7; ++b) {
    const t = performance.now();
    let done = 0;
    await new Promise((resolve) => { for (let i = 0; i < 100; ++i) call(() => { if (++done === 100) resolve(); }); });
    rates.push(100 / ((performance.now() - t) / 1000));
  }
  rates.sort((a, b) => a - b);
  report(JSON.stringify({median: times[1000], p99: times[1980], perSecond: rates[3]}));
}
)JS";

struct CallFigures {
  double median = 0;
  double p99 = 0;
  double perSecond = 0;

  static CallFigures Parse(const std::string& text) {
    const auto json = nlohmann::json::parse(text.empty() ? "{}" : text, nullptr, false);
    if (!json.is_object()) return {};
    return {json.value("median", 0.0), json.value("p99", 0.0), json.value("perSecond", 0.0)};
  }
};

inline std::string DataUrl(const std::string& script) {
  return "data:text/html," + QByteArray::fromStdString("<script>" + script + "</script>").toPercentEncoding().toStdString();
}

// The bare protocol echo: a binding call answered by Runtime.evaluate, on a
// session of our own, with no runtime layers in between. With `pageDebugger`
// the session enables the page's debugger first, as the runtime must (for the
// pause at each document's start and for native calls that wait): Chromium
// then reports every evaluation as a parsed script, which costs an
// evaluation 0.1 to 0.2 ms here.
inline CallFigures BareEcho(Waker& waker, bool pageDebugger = false) {
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
  if (pageDebugger) connection.Call("Debugger.enable", cefcompat::Json::object(), session, 10000);
  const std::string script = std::string(kMeasureCalls) +
                             "const queue = []; window.__answer = () => queue.shift()();"
                             "measure((resolve) => { queue.push(resolve); echo('x'); }, (r) => echo('done:' + r));";
  connection.Send("Page.navigate", {{"url", DataUrl(script)}}, session);
  WaitFor(waker, [&] { std::lock_guard<std::mutex> lock(mutex); return !result.empty(); }, 120000);
  connection.Send("Target.closeTarget", {{"targetId", target}});
  std::lock_guard<std::mutex> lock(mutex);
  return CallFigures::Parse(result);
}

// The rows and figures of a call measured against the echo with the page's
// debugger on (its peer: the runtime needs the debugger), and the bare echo
// beside it for reference.
inline void ReportCalls(BenchReport& report, const std::string& what, const CallFigures& echo, const CallFigures& debuggerEcho,
                        const CallFigures& calls, const std::string& medianGoal, double rateGoal, double rateShareGoal) {
  const double medianRatio = echo.median > 0 ? calls.median / echo.median : 0;
  const double rateRatio = echo.perSecond > 0 ? calls.perSecond / echo.perSecond : 0;
  report.Row(what + ", median, against the echo with the debugger on", Ms(calls.median),
             "echo, debugger on " + Ms(debuggerEcho.median),
             debuggerEcho.median > 0 ? calls.median / debuggerEcho.median : 0, medianGoal);
  report.Row(what + ", median", Ms(calls.median), "echo " + Ms(echo.median), medianRatio, "(reference)");
  char goal[64];
  std::snprintf(goal, sizeof(goal), ">= %.0f/s and >= %.2fx", rateGoal, rateShareGoal);
  report.Row(what + ", calls/s with 100 in flight", std::to_string(static_cast<int>(calls.perSecond)),
             "echo " + std::to_string(static_cast<int>(echo.perSecond)), rateRatio, goal);
  report.Figure("median_ms", calls.median);
  report.Figure("echo_debugger_median_ms", debuggerEcho.median);
  report.Figure("echo_median_ms", echo.median);
  report.Figure("median_ratio", medianRatio);
  report.Figure("calls_per_s_100", calls.perSecond);
  report.Figure("echo_calls_per_s_100", echo.perSecond);
}
