// The application object and the page-side SDK with real pages, brought up
// the way a launcher does it (VellBootstrap). Built three times:
//   subprocess   - render sub-processes are the framework's own sub-process executable;
//   single       - the single-process feature (render side in this process), remote debugging port 9222;
//   noextension  - single process with the SDK extension switched off.
#include <QCoreApplication>

#include "LauncherEnvironment.h"
#include "LogCapture.h"
#include "RuntimeEnvironment.h"
#include "TestHttpServer.h"
#include "WaitUntil.h"
#include "core/VellApp.h"
#include "core/VellFeatureSettings.h"
#include "v8_api/VellJsCallbackPayloadManager.h"
#include "v8_api/VellProcessMessage.h"

namespace {

#if defined(VELL_APP_MODE_SINGLE)
const VellFeatureSettings::ModuleTable kFeatures = {
    {"class VellApp", {{"IsSingleProcessEnable", "ON"}, {"RemoteDebuggingPort", "9222"}, {"IsLogEnable", "ON"}}}};
constexpr bool kInProcess = true;
#elif defined(VELL_APP_MODE_NOEXTENSION)
const VellFeatureSettings::ModuleTable kFeatures = {
    {"class VellApp", {{"IsSingleProcessEnable", "ON"}, {"IsCefExtensionEnable", "OFF"}}}};
constexpr bool kInProcess = true;
#else
const VellFeatureSettings::ModuleTable kFeatures = {};
constexpr bool kInProcess = false;
#endif

LogCapture* g_log = new LogCapture();

const auto* const g_environment = ::testing::AddGlobalTestEnvironment(new LauncherEnvironment(kFeatures));

// The browser side answers as plugins will: pingPong echoes its text (or
// refuses what it cannot parse), addGame fails, the rest answer null.
void Answer(CefRefPtr<CefFrame> frame, CefRefPtr<CefProcessMessage> message) {
  VellProcessMessage record;
  record.InterpretNativeProcessMessage(message);
  const std::string action = record.GetMessageName();
  if (action == "jssdk::basicModule:pingPong") {
    const auto payload = nlohmann::json::parse(record.GetValue(), nullptr, false);
    if (payload.is_object() && payload.contains("text") && payload["text"].is_string()) {
      record.SetResponseValue(nlohmann::json{{"text", payload["text"]}}.dump());
    } else {
      record.SetErrorCode("#ParseValue2JsonError");
      record.SetErrorMessage("not a pingPong payload");
    }
  }
  if (action == "jssdk::gameModule:addGame") {
    record.SetErrorCode("E42");
    record.SetErrorMessage("no such game");
  }
  record.SendProcessMessage(PID_RENDERER, frame);
}

const char kLog[] =
    "const log = (...a) => console.log(a.map(x => typeof x === 'string' ? x : JSON.stringify(x)).join('|'));";

std::string Page(const std::string& script) { return DataUrl(std::string("<script>") + kLog + script + "</script>"); }

class VellAppTest : public BrowserTest {
 protected:
  void SetUp() override {
    client->onMessage = &Answer;
  }
  size_t PageReadyCount() {
    size_t count = 0;
    for (const auto& event : recorder.Of("OnProcessMessageReceived")) {
      count += event.data["name"] == "jssdk::browserModule:pageReady" ? 1 : 0;
    }
    return count;
  }
  TestHttpServer server;
};

TEST(VellAppCommandLineTest, SwitchesReachTheRuntime) {
  CefRefPtr<CefCommandLine> commandLine = CefCommandLine::GetGlobalCommandLine();
  EXPECT_EQ(commandLine->GetSwitchValue("autoplay-policy").ToString(), "no-user-gesture-required");
  EXPECT_NE(commandLine->GetSwitchValue("user-agent").ToString().find("Chrome/89.0.4389.114 Safari/537.36 [DrevanLauncher/test/en/1.2.3/1]"),
            std::string::npos);
  EXPECT_EQ(commandLine->HasSwitch("single-process"), kInProcess);
#if defined(VELL_APP_MODE_SINGLE)
  EXPECT_EQ(commandLine->GetSwitchValue("remote-debugging-port").ToString(), "9222");
  EXPECT_FALSE(g_log->Matching("cef is now running in single process mode").empty());
  EXPECT_FALSE(g_log->Matching("cef is enable remote debugging port = 9222").empty());
#else
  EXPECT_FALSE(commandLine->HasSwitch("remote-debugging-port"));
#endif
  // The hook runs last, for the launcher's own process.
  EXPECT_EQ(LauncherEnvironment::HookedProcessTypes(), std::vector<std::string>{""});
}

TEST_F(BrowserTest, UserAgentGlobalsAreSetBeforeThePagesScripts) {
  Create(Page("log('globals', __VELL_ENV__, __VELL_LANG__, __VELL_LAUNCHER_VERSION__, __VELL_IS_GP__,"
              " navigator.userAgent.endsWith('[DrevanLauncher/test/en/1.2.3/1]'))"));
  EXPECT_TRUE(WaitForConsole("globals|test|en|1.2.3|true|true"));
}

#if defined(VELL_APP_MODE_NOEXTENSION)
TEST_F(BrowserTest, WithoutTheExtensionPagesHaveNoSdk) {
  Create(Page("log('vell', typeof window.vell)"));
  EXPECT_TRUE(WaitForConsole("vell|undefined"));
  EXPECT_TRUE(g_log->Matching("unable to get cef jssdk code").empty());
}
#else

TEST_F(VellAppTest, ScrollStyleAndPageReadyOnSmallAndLargePages) {
  const std::string check =
      "window.addEventListener('load', () => log('style', document.head.firstElementChild.tagName,"
      " document.head.firstElementChild.innerHTML.includes('::-webkit-scrollbar-thumb:hover')));";
  Create(Page(check));
  EXPECT_TRUE(WaitForConsole("style|STYLE|true"));
  EXPECT_TRUE(recorder.WaitFor([&] { return PageReadyCount() == 1; }));

  // A few megabytes of document, arriving in many chunks.
  QByteArray large = "<html><head><title>large</title><script>" + QByteArray(kLog) + check.c_str() + "</script></head><body>";
  while (large.size() < 3 * 1024 * 1024) large += "<p>Lorem ipsum dolor sit amet, consectetur adipiscing elit.</p>\n";
  server.Route("/large", {200, "text/html", large + "</body></html>", 0});
  browser->GetMainFrame()->LoadURL(server.Url("/large"));
  EXPECT_TRUE(recorder.WaitFor([&] { return recorder.Count("OnConsoleMessage") >= 2; }));
  EXPECT_EQ(recorder.Of("OnConsoleMessage").back().data["message"], "style|STYLE|true");
  EXPECT_TRUE(recorder.WaitFor([&] { return PageReadyCount() == 2; }));
}

TEST_F(VellAppTest, SdkCallsSettleTheirPromises) {
  Create(Page(
      "vell.basicModule.pingPong({text: 'h\\u00e9llo'}).then(v => log('value', v));"
      "vell.accountModule.logout().then(v => log('null', v));"
      "vell.gameModule.addGame({appCode: 'x'}).catch(e => log('error', e instanceof Error, e.message, e.code));"
      "vell.invoke('jssdk::basicModule:pingPong', {text: 'by name'}).then(v => log('invoke', v));"
      "vell.invoke('basicModule:pingPong', {}).catch(e => log('refused', e.code, e.message));"
      "try { const a = {}; a.a = a; vell.basicModule.pingPong(a); } catch (e) { log('cyclic', e.name); }"));
  EXPECT_TRUE(WaitForConsole("value|{\"text\":\"héllo\"}"));
  EXPECT_TRUE(WaitForConsole("null|null"));
  EXPECT_TRUE(WaitForConsole("error|true|[E42]: no such game|E42"));
  EXPECT_TRUE(WaitForConsole("invoke|{\"text\":\"by name\"}"));
  EXPECT_TRUE(WaitForConsole("refused|#ActionNotFound|Validation error: message name is invalid. message name = basicModule:pingPong"));
  EXPECT_TRUE(WaitForConsole("cyclic|TypeError"));
}

TEST_F(VellAppTest, ACallFromASubFrameSettlesInTheSubFrame) {
  server.Route("/child", {200, "text/html",
                          QByteArray("<script>") + kLog +
                              "vell.basicModule.pingPong({text: 'sub'}).then(v => log(window.name, v));</script>",
                          0});
  server.Route("/parent", {200, "text/html", "<iframe name='child' src='/child'></iframe>", 0});
  Create(server.Url("/parent"));
  EXPECT_TRUE(WaitForConsole("child|{\"text\":\"sub\"}"));
}

TEST_F(VellAppTest, ACallPendingWhileItsFrameNavigatesAwayIsDropped) {
  CefRefPtr<CefFrame> heldFrame;
  CefRefPtr<CefProcessMessage> held;
  client->onMessage = [&](CefRefPtr<CefFrame> frame, CefRefPtr<CefProcessMessage> message) {
    if (message->GetName() != "jssdk::basicModule:pingPong") return Answer(frame, message);
    heldFrame = frame;
    held = message;
  };
  Create(Page("vell.basicModule.pingPong({text: 'late'}).then(v => log('late', v), e => log('late error', e.message));"));
  ASSERT_TRUE(recorder.WaitFor([&] { return held != nullptr; }));
  browser->GetMainFrame()->LoadURL(Page("log('next page')"));
  ASSERT_TRUE(WaitForConsole("next page"));
  if (kInProcess) {
    EXPECT_TRUE(recorder.WaitFor([] { return VellJsCallbackPayloadManager::Instance()->PendingCount() == 0; }));
  }
  Answer(browser->GetMainFrame(), held);
  Run("log('after answer')");
  ASSERT_TRUE(WaitForConsole("after answer"));
  for (const auto& event : recorder.Of("OnConsoleMessage")) {
    EXPECT_EQ(event.data["message"].get<std::string>().rfind("late", 0), std::string::npos);
  }
}

TEST_F(VellAppTest, NotificationsReachThePagesHandlers) {
  Create(Page(
      "const off = vell.gameModule.onGameRecordChanged(v => log('record', v));"
      "vell.gameModule.onGameRecordChanged(() => { throw new Error('a broken handler'); });"
      "vell.gameModule.onGameRecordChanged(v => { log('record again', v); off(); });"
      "vell.uiModule.onToast(v => log('toast', v));"
      "vell.basicModule.onEmit(v => log('emit', v));"
      "log('subscribed');"));
  ASSERT_TRUE(WaitForConsole("subscribed"));
  Run("window.vell.gameModule.$$notifyGameRecordChanged({\"season\":3});");
  Run("window.vell.gameModule.$$notifyGameRecordChanged({\"season\":4});");
  Run("window.vell.uiModule.$$notifyToast({\"message\":\"hi\",\"ms\":1500,\"position\":1});");
  Run("window.vell.basicModule.registerEmitHandler({\"event\":\"x\"})");
  EXPECT_TRUE(WaitForConsole("record|{\"season\":3}"));
  EXPECT_TRUE(WaitForConsole("record again|{\"season\":4}"));
  EXPECT_TRUE(WaitForConsole("toast|{\"message\":\"hi\",\"ms\":1500,\"position\":1}"));
  EXPECT_TRUE(WaitForConsole("emit|{\"event\":\"x\"}"));
  // The first handler unsubscribed after the first notification.
  for (const auto& event : recorder.Of("OnConsoleMessage")) EXPECT_NE(event.data["message"], "record|{\"season\":4}");
}

TEST_F(VellAppTest, BadPayloadsAreAnsweredAndTheRenderSideKeepsWorking) {
  const std::string hugeBytes = std::to_string(4 * 1024 * 1024 / kHeavyLoadDivisor);
  Create(Page(
      "const huge = 'x'.repeat(" + hugeBytes + ");"
      "vell.basicModule.pingPong({text: huge}).then(v => log('huge', v.text.length));"
      "vell.basicModule.pingPong({text: 'a\\uD800b'}).catch(e => log('lone surrogate', e.code));"
      "vell.basicModule.pingPong(5).catch(e => log('not an object', e.code));"
      "vell.basicModule.pingPong({text: 'ok'}).then(() => { throw new Error('a throwing callback'); })"
      "  .catch(e => log('rejected', e.message));"
      "vell.basicModule.pingPong({text: 'still'}).then(v => log('after', v.text));"));
  EXPECT_TRUE(WaitForConsole("huge|" + hugeBytes));
  // JSON text with an unpaired surrogate escape cannot be parsed natively.
  EXPECT_TRUE(WaitForConsole("lone surrogate|#ParseValue2JsonError"));
  EXPECT_TRUE(WaitForConsole("not an object|#ParseValue2JsonError"));
  EXPECT_TRUE(WaitForConsole("rejected|a throwing callback"));
  EXPECT_TRUE(WaitForConsole("after|still"));
}
#endif

}  // namespace
