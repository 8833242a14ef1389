// The render side with real pages: contexts, native functions, callbacks and
// process messages. Built twice: render sub-processes, and the single-process switch.
#include <QCoreApplication>
#include <filesystem>
#include <fstream>
#include <set>

#include "RuntimeEnvironment.h"
#include "TestApp.h"
#include "TestHttpServer.h"
#include "WaitUntil.h"
#include "include/cef_v8.h"
#include "testing_hooks.h"

#include <signal.h>

namespace {

CefRefPtr<CefProcessMessage> Message(const std::string& name, std::vector<std::string> args = {}) {
  auto message = CefProcessMessage::Create(name);
  for (size_t i = 0; i < args.size(); ++i) message->GetArgumentList()->SetString(i, args[i]);
  return message;
}

// The render side of the tests: one native function, `testNative(action, ...)`,
// and the same handler behind `testLater`, which answers later.
class TestRenderHandler : public CefRenderProcessHandler, public CefV8Handler {
 public:
  void OnWebKitInitialized() override {
    CefRegisterExtension("v8/test",
                         "var testNative, testLater;\n"
                         "(function () {\n"
                         "  native function call();\n"
                         "  native function later(); // async\n"
                         "  testNative = call; testLater = later;\n"
                         "})();",
                         this);
  }

  void OnContextCreated(CefRefPtr<CefBrowser>, CefRefPtr<CefFrame> frame, CefRefPtr<CefV8Context> context) override {
    ++liveContexts_;
    const bool current = CefV8Context::GetCurrentContext() && CefV8Context::GetCurrentContext()->IsSame(context);
    context->GetGlobal()->SetValue("__fromContextCreated",
                                   CefV8Value::CreateString(std::string(frame->IsMain() ? "main" : "sub") +
                                                            (current ? "+current" : "")),
                                   V8_PROPERTY_ATTRIBUTE_NONE);
    frame->ExecuteJavaScript("window.__fromExecute = 'early';", frame->GetURL(), 0);
  }

  void OnContextReleased(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame, CefRefPtr<CefV8Context>) override {
    --liveContexts_;
    if (kept_ && !kept_->IsValid()) kept_ = nullptr;
    if (auto main = browser->GetMainFrame(); main && main->IsValid()) {
      main->SendProcessMessage(PID_BROWSER, Message("released", {frame->IsMain() ? "main" : "sub"}));
    }
  }

  bool OnProcessMessageReceived(CefRefPtr<CefBrowser>, CefRefPtr<CefFrame> frame, CefProcessId,
                                CefRefPtr<CefProcessMessage> message) override {
    const std::string name = message->GetName().ToString();
    if (name == "answer" && kept_) {
      // A later call, in the callback's own context, with a string, null and a number.
      kept_->ExecuteFunctionWithContext(keptContext_, nullptr,
                                        {CefV8Value::CreateString(message->GetArgumentList()->GetString(0)),
                                         CefV8Value::CreateNull(), CefV8Value::CreateInt(42)});
      return true;
    }
    if (name == "flood") {
      for (int i = 0; i < 1000; ++i) {
        auto reply = CefProcessMessage::Create("n");
        reply->GetArgumentList()->SetInt(0, i);
        frame->SendProcessMessage(PID_BROWSER, reply);
      }
      return true;
    }
    if (name == "ping") {
      const int n = message->GetArgumentList()->GetInt(0);
      if (n != expectedPing_++) outOfOrder_ = true;
      if (n == 999) frame->SendProcessMessage(PID_BROWSER, Message("pings", {outOfOrder_ ? "out of order" : "in order"}));
      return true;
    }
    return false;
  }

  bool Execute(const CefString&, CefRefPtr<CefV8Value>, const CefV8ValueList& arguments, CefRefPtr<CefV8Value>& retval,
               CefString& exception) override {
    const std::string action = arguments.empty() ? std::string() : arguments[0]->GetStringValue().ToString();
    CefRefPtr<CefV8Context> context = CefV8Context::GetCurrentContext();
    if (action == "echo" && arguments.size() > 1) {
      retval = arguments[1];
      return true;
    }
    if (action == "object" && arguments.size() > 1) {
      retval = CefV8Value::CreateString(arguments[1]->GetValue("json")->GetStringValue().ToString() + "/" +
                                        std::to_string(arguments.size()));
      return true;
    }
    if (action == "report" && arguments.size() > 1) {
      context->GetFrame()->SendProcessMessage(PID_BROWSER, Message("report", {arguments[1]->GetStringValue().ToString()}));
      return true;
    }
    if (action == "eval" && arguments.size() > 1) {
      CefRefPtr<CefV8Value> value;
      CefRefPtr<CefV8Exception> error;
      auto frameContext = context->GetFrame()->GetV8Context();
      const bool same = frameContext && frameContext->IsSame(context);
      if (!frameContext || !frameContext->Eval(arguments[1]->GetStringValue(), "", 0, value, error)) {
        retval = CefV8Value::CreateString("threw:" + (error ? error->GetMessage().ToString() : std::string()));
        return true;
      }
      retval = CefV8Value::CreateString(std::string(same ? "same:" : "other:") + std::to_string(value->GetIntValue()));
      return true;
    }
    if (action == "live") {  // contexts created and not yet released
      retval = CefV8Value::CreateInt(liveContexts_);
      return true;
    }
    if (action == "throw") {
      exception = "boom from native";
      return true;
    }
    if (action == "frame") {
      retval = CefV8Value::CreateString(std::string(context->GetFrame()->IsMain() ? "main" : "sub") + ":" +
                                        std::to_string(context->GetFrame()->GetIdentifier()));
      return true;
    }
    if (action == "keep" && arguments.size() > 1 && arguments[1]->IsFunction()) {
      kept_ = arguments[1];
      keptContext_ = context;
      context->GetFrame()->SendProcessMessage(PID_BROWSER, Message("kept"));
      retval = CefV8Value::CreateBool(true);
      return true;
    }
    exception = "unknown action " + action;
    return true;
  }

 private:
  CefRefPtr<CefV8Value> kept_;
  CefRefPtr<CefV8Context> keptContext_;
  int liveContexts_ = 0;
  int expectedPing_ = 0;
  bool outOfOrder_ = false;
  IMPLEMENT_REFCOUNTING(TestRenderHandler);
};

const bool g_factory = SetTestAppFactory([] { return CefRefPtr<CefApp>(new RenderHandlerApp<TestRenderHandler>()); });
const auto* const g_environment = ::testing::AddGlobalTestEnvironment(new RuntimeEnvironment(MakeTestApp()));

class RenderSideTest : public BrowserTest {
 protected:
  // Waits for a process message from the render side with this name and first argument.
  bool WaitForMessage(const std::string& name, const std::string& firstArgument) {
    return recorder.WaitFor([&] {
      for (const auto& event : recorder.Of("OnProcessMessageReceived")) {
        if (event.data["name"] == name && event.data["args"].size() > 0 && event.data["args"][0] == firstArgument) return true;
      }
      return false;
    });
  }

  TestHttpServer server;
  TestHttpServer otherSite;  // reached as "localhost": another site than 127.0.0.1
};

TEST_F(RenderSideTest, ContextCreatedRunsBeforeThePagesFirstScript) {
  Create(DataUrl("<script>console.log('saw:' + window.__fromContextCreated + '|' + window.__fromExecute)</script>"));
  EXPECT_TRUE(WaitForConsole("saw:main+current|early"));
}

TEST_F(RenderSideTest, NativeCallsReturnValuesAndThrowAtTheCallSite) {
  Create(DataUrl("<script>"
                 "console.log('echo:' + testNative('echo', 'hi') + ',' + testNative('echo', {k: 'v'}).k);"
                 "console.log('object:' + testNative('object', {json: '{\"a\":1}'}, undefined, () => 0, null, {host: 'h'}));"
                 "try { testNative('throw'); } catch (e) { console.log('caught:' + e.message); }"
                 "console.log('eval:' + testNative('eval', '6 * 7') + ',' + testNative('eval', 'nope()'));"
                 "const keep = testNative; delete window.testNative; console.log('still:' + keep('echo', 7));"
                 "</script>"));
  EXPECT_TRUE(WaitForConsole("echo:hi,v"));
  EXPECT_TRUE(WaitForConsole("object:{\"a\":1}/6"));
  EXPECT_TRUE(WaitForConsole("caught:boom from native"));
  EXPECT_TRUE(recorder.WaitFor([&] {
    for (const auto& event : recorder.Of("OnConsoleMessage")) {
      const std::string message = event.data["message"];
      if (message.rfind("eval:same:42,threw:Uncaught ReferenceError: nope is not defined", 0) == 0) return true;
    }
    return false;
  }));
  EXPECT_TRUE(WaitForConsole("still:7"));
}

TEST_F(RenderSideTest, CallbackKeptAndCalledAfterARoundTrip) {
  client->onMessage = [](CefRefPtr<CefFrame> frame, CefRefPtr<CefProcessMessage> message) {
    if (message->GetName() == "kept") frame->SendProcessMessage(PID_RENDERER, Message("answer", {"answer"}));
  };
  Create(DataUrl("<script>testNative('keep', (a, b, c) => console.log('cb:' + a + ',' + b + ',' + c));</script>"));
  EXPECT_TRUE(WaitForConsole("cb:answer,null,42"));
  const auto kept = recorder.Of("OnProcessMessageReceived");
  ASSERT_FALSE(kept.empty());
  EXPECT_EQ(kept[0].data["name"], "kept");
  EXPECT_EQ(kept[0].data["source"], PID_RENDERER);
  EXPECT_TRUE(kept[0].data["main"]);
}

TEST_F(RenderSideTest, SubFramesSameSiteAndCrossSiteGetContextsAndNativeCalls) {
  // Each frame reports what its first script saw, through its own frame.
  const std::string frameScript =
      "<script>testNative('report', location.host + '|' + window.__fromContextCreated + '|' + testNative('frame'))</script>";
  server.Route("/child", {200, "text/html", QByteArray::fromStdString(frameScript), 0});
  otherSite.Route("/child", {200, "text/html", QByteArray::fromStdString(frameScript), 0});
  const std::string crossSite = "http://localhost:" + std::to_string(otherSite.Port()) + "/child";
  server.Route("/parent", {200, "text/html",
                           QByteArray::fromStdString(frameScript + "<iframe src='/child'></iframe><iframe src='" +
                                                     crossSite + "'></iframe>"),
                           0});
  Create(server.Url("/parent"));
  ASSERT_TRUE(recorder.WaitFor([&] { return recorder.Count("OnProcessMessageReceived") >= 3; }));
  std::multiset<std::string> seen;
  for (const auto& event : recorder.Of("OnProcessMessageReceived")) {
    const std::string text = event.data["args"][0];
    // The frame id the render side reports is the one the browser side delivers the message from.
    EXPECT_EQ(std::to_string(event.data["frameId"].get<int64>()), text.substr(text.rfind(':') + 1)) << text;
    seen.insert(text.substr(0, text.rfind(':')));
  }
  const std::string sameHost = "127.0.0.1:" + std::to_string(server.Port());
  const std::string otherHost = "localhost:" + std::to_string(otherSite.Port());
  EXPECT_EQ(seen, (std::multiset<std::string>{sameHost + "|main+current|main", sameHost + "|sub+current|sub",
                                              otherHost + "|sub+current|sub"}));
}

TEST_F(RenderSideTest, NavigationReleasesContextsAndLateCallbacksAreNoOps) {
  client->onMessage = [&](CefRefPtr<CefFrame>, CefRefPtr<CefProcessMessage> message) {
    if (message->GetName() == "kept") browser->GetMainFrame()->LoadURL(DataUrl("<p>next</p>"));
  };
  Create(DataUrl("<script>testNative('keep', () => console.log('late callback ran'));</script>"));
  ASSERT_TRUE(WaitForMessage("released", "main"));
  ASSERT_TRUE(recorder.WaitFor([&] {
    for (const auto& event : recorder.Of("OnLoadEnd")) {
      if (event.data["url"] == DataUrl("<p>next</p>")) return true;
    }
    return false;
  }));
  browser->GetMainFrame()->SendProcessMessage(PID_RENDERER, Message("answer", {"late"}));
  Run("console.log('after')");
  ASSERT_TRUE(WaitForConsole("after"));
  for (const auto& event : recorder.Of("OnConsoleMessage")) EXPECT_NE(event.data["message"], "late callback ran");
}

TEST_F(RenderSideTest, RemovingAnIframeReleasesItsContext) {
  server.Route("/child", {200, "text/html", "<p>child</p>", 0});
  server.Route("/parent", {200, "text/html", "<iframe id=f src='/child'></iframe>", 0});
  Create(server.Url("/parent"));
  ASSERT_TRUE(recorder.WaitFor([&] { return recorder.Count("OnLoadEnd") >= 2; }));
  Run("document.getElementById('f').remove()");
  ASSERT_TRUE(WaitForMessage("released", "sub"));
  // The main frame's context is untouched.
  Run("console.log('main alive:' + testNative('echo', 'yes'))");
  EXPECT_TRUE(WaitForConsole("main alive:yes"));
}

TEST_F(RenderSideTest, ThousandMessagesEachWayArriveInOrder) {
  Create(DataUrl("<p>messages</p>"));
  ASSERT_TRUE(WaitForMainLoadEnd());
  for (int i = 0; i < 1000; ++i) {
    auto ping = CefProcessMessage::Create("ping");
    ping->GetArgumentList()->SetInt(0, i);
    browser->GetMainFrame()->SendProcessMessage(PID_RENDERER, ping);
  }
  browser->GetMainFrame()->SendProcessMessage(PID_RENDERER, Message("flood"));
  ASSERT_TRUE(recorder.WaitFor([&] { return recorder.Count("OnProcessMessageReceived") >= 1001; }));
  std::vector<int> numbers;
  std::string pings;
  for (const auto& event : recorder.Of("OnProcessMessageReceived")) {
    if (event.data["name"] == "n") numbers.push_back(event.data["args"][0]);
    if (event.data["name"] == "pings") pings = event.data["args"][0];
  }
  ASSERT_EQ(numbers.size(), 1000u);
  for (int i = 0; i < 1000; ++i) ASSERT_EQ(numbers[i], i);
  EXPECT_EQ(pings, "in order");
}

TEST_F(RenderSideTest, HostilePagesDoNotBreakTheRenderSide) {
  Create(DataUrl("<script>"
                 "try { testNative(); } catch (e) { console.log('no args:' + e.message); }"
                 "const cyclic = {}; cyclic.self = cyclic; console.log('cyclic:' + testNative('object', cyclic));"
                 "console.log('huge:' + testNative('echo', 'x'.repeat(1 << 20)).length);"
                 "testNative('keep', () => { throw new Error('callback threw'); });"
                 "</script>"));
  EXPECT_TRUE(WaitForConsole("no args:unknown action "));
  EXPECT_TRUE(WaitForConsole("cyclic:/2"));
  EXPECT_TRUE(WaitForConsole("huge:1048576"));
}

TEST_F(RenderSideTest, CallsThatAnswerLaterSettleWithTheHandlersOutcome) {
  client->onMessage = [](CefRefPtr<CefFrame> frame, CefRefPtr<CefProcessMessage> message) {
    if (message->GetName() == "kept") frame->SendProcessMessage(PID_RENDERER, Message("answer", {"later"}));
  };
  Create(DataUrl("<script>"
                 "let ran = false; const p = testLater('echo', {a: [1, 'two']}); ran = true;"
                 "console.log('returned:' + (p instanceof Promise) + ',' + ran);"
                 "p.then((v) => console.log('echo:' + v.a[1]), (e) => console.log('echo failed:' + e));"
                 "testLater('throw').catch((e) => console.log('rejected:' + e.message));"
                 "testLater('nonsense').catch((e) => console.log('unknown:' + e.message));"
                 "testLater('report', 'x').then((v) => console.log('nothing:' + v));"
                 "testLater('keep', (a, b, c) => console.log('cb:' + a + ',' + b + ',' + c));"
                 "</script>"));
  EXPECT_TRUE(WaitForConsole("returned:true,true"));
  EXPECT_TRUE(WaitForConsole("echo:two"));
  EXPECT_TRUE(WaitForConsole("rejected:boom from native"));
  EXPECT_TRUE(WaitForConsole("unknown:unknown action nonsense"));
  EXPECT_TRUE(WaitForConsole("nothing:undefined"));
  EXPECT_TRUE(WaitForConsole("cb:later,null,42"));
}

TEST_F(RenderSideTest, CallsThatAnswerLaterKeepTheirOrderAmongCallsThatWait) {
  Create(DataUrl("<script>"
                 "for (let i = 0; i < 300; ++i) { (i % 3 ? testLater : testNative)('report', String(i)); }"
                 "</script>"));
  ASSERT_TRUE(recorder.WaitFor([&] { return recorder.Count("OnProcessMessageReceived") >= 300; }));
  std::vector<std::string> reported;
  for (const auto& event : recorder.Of("OnProcessMessageReceived")) reported.push_back(event.data["args"][0]);
  ASSERT_EQ(reported.size(), 300u);
  for (int i = 0; i < 300; ++i) ASSERT_EQ(reported[i], std::to_string(i));
}

// 100,000 calls nobody awaits, and a 5 MB argument: every call settles once,
// and the render side goes on serving.
TEST_F(RenderSideTest, FloodsOfCallsThatAnswerLaterAllSettle) {
  const std::string calls = std::to_string(100000 / kHeavyLoadDivisor);
  const std::string bytes = std::to_string((5 << 20) / kHeavyLoadDivisor);
  Create(DataUrl("<script>"
                 "const all = [], calls = " + calls + ";"
                 "for (let i = 0; i < calls; ++i) all.push(testLater('echo', i));"
                 "Promise.all(all).then((v) => console.log('all:' + v.length + ':' + v[calls - 1] + ':' + v.every((x, i) => x === i)));"
                 "testLater('echo', 'x'.repeat(" + bytes + ")).then((v) => console.log('big:' + v.length));"
                 "</script>"));
  EXPECT_TRUE(WaitForConsole("big:" + bytes, 120000));
  EXPECT_TRUE(WaitForConsole("all:" + calls + ":" + std::to_string(100000 / kHeavyLoadDivisor - 1) + ":true", 120000));
  Run("console.log('after:' + testNative('echo', 'yes'))");
  EXPECT_TRUE(WaitForConsole("after:yes"));
}

// A page that leaves with 1,000 calls in flight: those that reach the handler
// run once, none twice; the next document is served.
TEST_F(RenderSideTest, LeavingWithCallsInFlight) {
  client->onMessage = [&](CefRefPtr<CefFrame> frame, CefRefPtr<CefProcessMessage> message) {
    if (message->GetName() == "kept") frame->SendProcessMessage(PID_RENDERER, Message("answer", {"late"}));
  };
  server.Route("/next", {200, "text/html", "<script>testLater('echo', 2).then((v) => console.log('next:' + v))</script>", 0});
  server.Route("/leaving", {200, "text/html",
                            "<script>"
                            "for (let i = 0; i < 1000; ++i) { testLater('report', String(i)); testLater('keep', () => 0); }"
                            "location.href = '/next';"
                            "</script>",
                            0});
  Create(server.Url("/leaving"));
  EXPECT_TRUE(WaitForConsole("next:2"));
  std::set<std::string> reported;
  for (const auto& event : recorder.Of("OnProcessMessageReceived")) {
    if (event.data["name"] != "report") continue;
    EXPECT_TRUE(reported.insert(event.data["args"][0].get<std::string>()).second) << "reported twice";
  }
}

// Render sub-processes of this process (the launcher's own executable).
size_t RenderSubProcesses() {
  const std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
  size_t count = 0;
  for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
    std::ifstream stat(entry.path() / "stat");
    std::string pid, name, state;
    pid_t parent = 0;
    if (!(stat >> pid >> name >> state >> parent) || parent != getpid()) continue;
    std::error_code ec;
    if (std::filesystem::read_symlink(entry.path() / "exe", ec).string() == self) ++count;
  }
  return count;
}

TEST_F(RenderSideTest, RenderCrashesInALoopLeaveNoContextsOrSubProcessesBehind) {
  Create(DataUrl("<iframe srcdoc='<p>sub</p>'></iframe><p>main</p>"));
  ASSERT_TRUE(WaitForMainLoadEnd());
  Run("console.log('live before:' + testNative('live'))");
  ASSERT_TRUE(WaitForConsole("live before:2"));
  const size_t processes = RenderSubProcesses();
#ifndef VELL_TEST_SINGLE_PROCESS
  EXPECT_EQ(processes, 1u);
#endif
  for (size_t crash = 1; crash <= 6; ++crash) {
    cefcompat::CrashRendererForTesting(browser);
    ASSERT_TRUE(recorder.WaitForKind("OnRenderProcessTerminated", crash));
    browser->Reload();
    ASSERT_TRUE(WaitForMainLoadEnd(crash + 1));
  }
  Run("console.log('live after:' + testNative('live'))");
  EXPECT_TRUE(WaitForConsole("live after:2"));
  EXPECT_EQ(RenderSubProcesses(), processes);
}

// A launcher recycles browsers for hours: each one closed is freed, on both
// sides, with the links it used. Freeing follows the close by a few tasks
// (and the close's own time-out, which holds the browser): waited for.
TEST_F(RenderSideTest, ClosedBrowsersAreFreedWithTheirLinks) {
  const int browsers = cefcompat::LiveBrowsersForTesting();
  const int renderBrowsers = cefcompat::LiveRenderBrowsersForTesting();
  const int transports = cefcompat::LiveTransportsForTesting();
  constexpr size_t kBrowsers = 4;
  for (size_t i = 0; i < kBrowsers; ++i) {
    ASSERT_TRUE(CefBrowserHost::CreateBrowser(CefWindowInfo(), client.get(),
                                              DataUrl("<script>console.log('up:' + testNative('echo', 1))</script>"),
                                              CefBrowserSettings(), nullptr, nullptr));
  }
  ASSERT_TRUE(recorder.WaitFor([&] { return recorder.Count("OnAfterCreated") == kBrowsers; }));
  ASSERT_TRUE(recorder.WaitFor([&] {
    size_t up = 0;
    for (const auto& event : recorder.Of("OnConsoleMessage")) up += event.data["message"] == "up:1" ? 1 : 0;
    return up == kBrowsers;
  }));
  EXPECT_GT(cefcompat::LiveBrowsersForTesting(), browsers);
  std::vector<CefRefPtr<CefBrowser>> open;
  {
    std::lock_guard<std::mutex> lock(client->browsersMutex);
    open = client->browsers;
  }
  client->ForgetBrowsers();
  for (auto& each : open) each->GetHost()->CloseBrowser(true);
  ASSERT_TRUE(recorder.WaitFor([&] { return recorder.Count("OnBeforeClose") == kBrowsers; }));
  open.clear();
  EXPECT_TRUE(WaitUntil([&] {
    return cefcompat::LiveBrowsersForTesting() <= browsers &&
           cefcompat::LiveRenderBrowsersForTesting() <= renderBrowsers &&
           cefcompat::LiveTransportsForTesting() <= transports;
  }));
  EXPECT_LE(cefcompat::LiveBrowsersForTesting(), browsers);
  EXPECT_LE(cefcompat::LiveRenderBrowsersForTesting(), renderBrowsers);
  EXPECT_LE(cefcompat::LiveTransportsForTesting(), transports);
}

#ifndef VELL_TEST_SINGLE_PROCESS
TEST_F(RenderSideTest, AKilledRenderSubProcessIsReportedAndReplaced) {
  Create(DataUrl("<script>console.log('first:' + testNative('echo', 1))</script>"));
  ASSERT_TRUE(WaitForConsole("first:1"));
  const pid_t pid = cefcompat::RenderSubProcessPidForTesting(browser);
  ASSERT_GT(pid, 0);
  kill(pid, SIGKILL);
  ASSERT_TRUE(recorder.WaitForKind("OnRenderProcessTerminated"));
  EXPECT_EQ(recorder.Of("OnRenderProcessTerminated")[0].data["status"], TS_PROCESS_WAS_KILLED);
  // The replacement serves the next document.
  browser->GetMainFrame()->LoadURL(DataUrl("<script>console.log('again:' + testNative('echo', 2))</script>"));
  EXPECT_TRUE(WaitForConsole("again:2"));
  EXPECT_NE(cefcompat::RenderSubProcessPidForTesting(browser), pid);
}
#endif

}  // namespace
