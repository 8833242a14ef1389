// An SDK call from a real page through the V8 handler, the process message and
// the callback registry, answered by the browser side.
#include "RuntimeEnvironment.h"
#include "TestApp.h"
#include "TestHttpServer.h"
#include "v8_api/VellJsCallbackPayloadManager.h"
#include "v8_api/VellProcessMessage.h"
#include "v8_api/VellV8Handler.h"

namespace {

// Tells the page how many callbacks its render process still holds.
class PendingCountHandler : public CefV8Handler {
 public:
  bool Execute(const CefString&, CefRefPtr<CefV8Value>, const CefV8ValueList&, CefRefPtr<CefV8Value>& retval,
               CefString&) override {
    retval = CefV8Value::CreateUInt(static_cast<uint32_t>(VellJsCallbackPayloadManager::Instance()->PendingCount()));
    return true;
  }

 private:
  IMPLEMENT_REFCOUNTING(PendingCountHandler);
};

// A render side as the application object will set it up: the SDK extension
// with the V8 handler, answers handed to the process message, released frames
// dropping their callbacks.
class BridgeRenderHandler : public CefRenderProcessHandler {
 public:
  void OnWebKitInitialized() override {
    CefRegisterExtension("v8/test-sdk",
                         "var sdk = {}; (function () { native function vellCall();"
                         " sdk.call = function (action, json, cb) {"
                         "   return vellCall(action, {json: json}, undefined, cb, undefined,"
                         "                   {host: location.host, hostname: location.hostname}); };"
                         " sdk.raw = vellCall; })();",
                         new VellV8Handler());
    CefRegisterExtension("v8/test-pending", "var pendingCallbacks = function () { native function vellPending(); return vellPending(); };",
                         new PendingCountHandler());
  }
  bool OnProcessMessageReceived(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame>, CefProcessId,
                                CefRefPtr<CefProcessMessage> message) override {
    std::vector<int64> ids;
    browser->GetFrameIdentifiers(ids);
    std::vector<CefRefPtr<CefFrame>> frames;
    for (int64 id : ids) frames.push_back(browser->GetFrame(id));
    return VellProcessMessage::HandleReceivedProcessMessage(message, frames);
  }
  void OnContextReleased(CefRefPtr<CefBrowser>, CefRefPtr<CefFrame> frame, CefRefPtr<CefV8Context>) override {
    VellJsCallbackPayloadManager::Instance()->EraseByFrameId(frame->GetIdentifier());
  }

 private:
  IMPLEMENT_REFCOUNTING(BridgeRenderHandler);
};

const bool g_factory = SetTestAppFactory([] { return CefRefPtr<CefApp>(new RenderHandlerApp<BridgeRenderHandler>()); });
const auto* const g_environment = ::testing::AddGlobalTestEnvironment(new RuntimeEnvironment(MakeTestApp()));

// The browser side answers like a plugin would.
void Answer(CefRefPtr<CefFrame> frame, CefRefPtr<CefProcessMessage> message) {
  VellProcessMessage record;
  record.InterpretNativeProcessMessage(message);
  const std::string action = record.GetMessageName();
  if (action == "jssdk::test:value") record.SetResponseValue(R"({"ok":1})");
  if (action == "jssdk::test:echo") record.SetResponseValue(record.GetValue());
  if (action == "jssdk::test:error") {
    record.SetErrorCode("E1");
    record.SetErrorMessage("bad");
  }
  record.SendProcessMessage(PID_RENDERER, frame);
}

const char kLog[] = "const log = (tag) => (...a) => console.log(tag + ':' + a.map(x => x === null ? 'null' : x).join(','));";

class BridgeTest : public BrowserTest {
 protected:
  void SetUp() override { client->onMessage = &Answer; }
  TestHttpServer server;
  CefRefPtr<CefFrame> held;
  CefRefPtr<CefProcessMessage> heldMessage;
};

TEST_F(BridgeTest, AnswersReachThePagesCallback) {
  Create(DataUrl(std::string("<script>") + kLog +
                 "sdk.call('jssdk::test:value', '{}', log('value'));"
                 "sdk.call('jssdk::test:null', '{}', log('null'));"
                 "sdk.call('jssdk::test:error', '{}', log('error'));"
                 "sdk.call('jssdk::test:echo', '{\"a\":1}', log('echo'));"
                 "sdk.raw('jssdk::test:echo', {json: 5}, undefined, log('not a string'));"
                 "try { sdk.call('test:bad', '{}', log('never')); } catch (e) { console.log('threw:' + e.message); }"
                 "</script>"));
  EXPECT_TRUE(WaitForConsole("value:{\"ok\":1}"));
  EXPECT_TRUE(WaitForConsole("null:null"));
  EXPECT_TRUE(WaitForConsole("error:[E1]: bad,E1"));
  EXPECT_TRUE(WaitForConsole("echo:{\"a\":1}"));
  EXPECT_TRUE(WaitForConsole("not a string:null"));
  EXPECT_TRUE(WaitForConsole("threw:Validation error: message name is invalid. message name = test:bad"));
  // Every request travelled through the main frame, with consecutive ids.
  std::vector<int> ids;
  for (const auto& event : recorder.Of("OnProcessMessageReceived")) {
    EXPECT_TRUE(event.data["main"]);
    ids.push_back(event.data["args"][0]);
  }
  ASSERT_EQ(ids.size(), 5u);
  for (size_t i = 1; i < ids.size(); ++i) EXPECT_EQ(ids[i], ids[0] + static_cast<int>(i));
}

TEST_F(BridgeTest, MalformedCallsNeverBreakTheRenderSide) {
  Create(DataUrl(std::string("<script>") + kLog +
                 "const t = (tag, f) => { try { f(); } catch (e) { console.log(tag + ' threw:' + e.message); } };"
                 "t('no arguments', () => sdk.raw());"
                 "t('not an object', () => sdk.raw('jssdk::test:echo', 'text', undefined, log('not an object')));"
                 "t('no json', () => sdk.raw('jssdk::test:echo', {}, undefined, log('no json')));"
                 "t('no callback', () => sdk.raw('jssdk::test:echo', {json: '1'}, undefined, 'nope'));"
                 "sdk.call('jssdk::test:echo', '\\uD800', log('lone surrogate'));"
                 "sdk.call('jssdk::test:echo', 'x'.repeat(8 << 20), (v) => console.log('huge:' + v.length));"
                 "sdk.call('jssdk::test:value', '{}', () => { throw new Error('callback threw'); });"
                 "sdk.call('jssdk::test:value', '{}', (v) => { log('after')(v);"
                 "  setTimeout(() => console.log('pending:' + pendingCallbacks()), 0); });"
                 "</script>"));
  EXPECT_TRUE(WaitForConsole("no arguments threw:Validation error: message name is invalid. message name = "));
  EXPECT_TRUE(WaitForConsole("not an object:null"));
  EXPECT_TRUE(WaitForConsole("no json:null"));
  EXPECT_TRUE(WaitForConsole("lone surrogate:\xEF\xBF\xBD"));
  EXPECT_TRUE(WaitForConsole("huge:8388608", 60000));  // 8 MiB each way: slow on a loaded machine
  EXPECT_TRUE(WaitForConsole("after:{\"ok\":1}"));
  // Counted where the callbacks are kept: in the page's render process.
  EXPECT_TRUE(WaitForConsole("pending:0"));
}

TEST_F(BridgeTest, ACallFromASubFrameIsAnsweredInTheSubFrame) {
  server.Route("/child", {200, "text/html",
                          QByteArray("<script>") + kLog + "sdk.call('jssdk::test:value', '{}', log('sub'));</script>", 0});
  server.Route("/parent", {200, "text/html", "<iframe src='/child'></iframe>", 0});
  Create(server.Url("/parent"));
  EXPECT_TRUE(WaitForConsole("sub:{\"ok\":1}"));
}

TEST_F(BridgeTest, AnAnswerAfterTheFrameNavigatedAwayIsIgnored) {
  client->onMessage = [&](CefRefPtr<CefFrame> frame, CefRefPtr<CefProcessMessage> message) {
    if (message->GetName() != "jssdk::test:value") return;
    // Navigate first; answer once the next page has loaded.
    browser->GetMainFrame()->LoadURL(DataUrl("<script>console.log('next page')</script>"));
    held = frame;
    heldMessage = message;
  };
  Create(DataUrl(std::string("<script>") + kLog + "sdk.call('jssdk::test:value', '{}', log('late'));</script>"));
  ASSERT_TRUE(WaitForConsole("next page"));
  Answer(browser->GetMainFrame(), heldMessage);
  Run("console.log('after answer')");
  ASSERT_TRUE(WaitForConsole("after answer"));
  for (const auto& event : recorder.Of("OnConsoleMessage")) EXPECT_EQ(event.data["message"].get<std::string>().rfind("late:", 0), std::string::npos);
}

}  // namespace
