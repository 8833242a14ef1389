// Pages loaded as soon as their browser exists, as a launcher does from
// OnAfterCreated: the launcher's URL wins over the browser's initial page, and
// every native call such a page makes while it starts is answered with its own
// value. Built twice: render sub-processes, and the single-process switch.
#include <QCoreApplication>

#include "RuntimeEnvironment.h"
#include "TestApp.h"
#include "TestHttpServer.h"
#include "include/cef_v8.h"

namespace {

constexpr int kBrowsers = 12;
constexpr int kAtOnce = 4;

// The render side: one native function, `firstNative(value)`, that answers its
// argument. Like the framework's page-ready call, each of the launcher's own
// pages gets a DOMContentLoaded listener that calls it; other documents (the
// initial about:blank) get nothing.
class EchoRenderHandler : public CefRenderProcessHandler, public CefV8Handler {
 public:
  void OnWebKitInitialized() override {
    CefRegisterExtension("v8/first-load",
                         "var firstNative; (function () { native function echo(); firstNative = echo; })();", this);
  }

  void OnContextCreated(CefRefPtr<CefBrowser>, CefRefPtr<CefFrame> frame, CefRefPtr<CefV8Context>) override {
    if (frame->GetURL().ToString().rfind("http:", 0) != 0) return;
    frame->ExecuteJavaScript(
        "window.addEventListener('DOMContentLoaded', () => {"
        "  console.log('injected:' + location.search.slice(1) + ':' + firstNative('injected'));"
        "});",
        frame->GetURL(), 0);
  }

  bool Execute(const CefString&, CefRefPtr<CefV8Value>, const CefV8ValueList& arguments, CefRefPtr<CefV8Value>& retval,
               CefString&) override {
    retval = arguments.empty() ? CefV8Value::CreateUndefined() : arguments[0];
    return true;
  }

 private:
  IMPLEMENT_REFCOUNTING(EchoRenderHandler);
};

const bool g_factory = SetTestAppFactory([] { return CefRefPtr<CefApp>(new RenderHandlerApp<EchoRenderHandler>()); });
const auto* const g_environment = ::testing::AddGlobalTestEnvironment(new RuntimeEnvironment(MakeTestApp()));

// Calls the native function at top level and on DOMContentLoaded (after the
// injected listener), then says it is done; `?<tag>` tells the pages apart.
const char kPage[] = R"(<script>
const id = location.search.slice(1);
window.addEventListener('DOMContentLoaded', () => {
  try { console.log('ready:' + id + ':' + firstNative('ready')); } catch (e) { console.error('ready:' + id + ' threw ' + e.message); }
  console.log('settled:' + id);
});
console.log('top:' + id + ':' + firstNative('top'));
</script><p>first load</p>)";

// Loads the page of its browser from OnAfterCreated: right there on TID_UI,
// or from the Qt thread as a launcher reacting to a signal does (stopping the
// current load first, as the framework's browser wrapper does).
class LoadingClient : public RecordingClient {
 public:
  LoadingClient(EventRecorder* recorder, std::function<std::string(int)> urlFor, bool fromQtThread)
      : RecordingClient(recorder), urlFor_(std::move(urlFor)), fromQtThread_(fromQtThread) {}

  void OnAfterCreated(CefRefPtr<CefBrowser> created) override {
    RecordingClient::OnAfterCreated(created);
    const std::string url = urlFor_(created->GetIdentifier());
    if (!fromQtThread_) return created->GetMainFrame()->LoadURL(url);
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [created, url] {
          created->StopLoad();
          created->GetMainFrame()->LoadURL(url);
        },
        Qt::QueuedConnection);
  }

 private:
  std::function<std::string(int)> urlFor_;
  const bool fromQtThread_;
};

class FirstLoadTest : public BrowserTest {
 protected:
  FirstLoadTest() { server.Route("/page", {200, "text/html", kPage, 0}); }

  std::string PageUrl(int browserId) const { return server.Url("/page?" + std::to_string(browserId)); }

  // Creates the browsers a few at a time on about:blank; each loads its page from OnAfterCreated.
  void LoadPagesFromOnAfterCreated(bool fromQtThread) {
    client = new LoadingClient(&recorder, [this](int id) { return PageUrl(id); }, fromQtThread);
    for (int created = 0; created < kBrowsers; created += kAtOnce) {
      for (int i = 0; i < kAtOnce; ++i) {
        ASSERT_TRUE(CefBrowserHost::CreateBrowser(CefWindowInfo(), client.get(), "about:blank", CefBrowserSettings(),
                                                  nullptr, nullptr));
      }
      ASSERT_TRUE(recorder.WaitForKind("OnAfterCreated", static_cast<size_t>(created + kAtOnce)));
      ASSERT_TRUE(recorder.WaitFor([&] { return Every([&](int id) { return Settled(id) || LoadFailed(id); }); }));
    }
  }

  std::vector<int> BrowserIds() {
    std::vector<int> ids;
    std::lock_guard<std::mutex> lock(client->browsersMutex);
    for (auto& each : client->browsers) ids.push_back(each->GetIdentifier());
    return ids;
  }

  bool Every(const std::function<bool(int)>& holds) {
    for (int id : BrowserIds()) {
      if (!holds(id)) return false;
    }
    return true;
  }

  bool HasConsole(const std::string& message) const {
    for (const auto& event : recorder.Of("OnConsoleMessage")) {
      if (event.data["message"] == message) return true;
    }
    return false;
  }

  bool Settled(int browserId) const { return HasConsole("settled:" + std::to_string(browserId)); }

  bool LoadFailed(int browserId) const {
    for (const auto& event : recorder.Of("OnLoadError")) {
      if (event.data["failedUrl"] == PageUrl(browserId)) return true;
    }
    return false;
  }

  bool LoadEnded(const std::string& url) const {
    for (const auto& event : recorder.Of("OnLoadEnd")) {
      if (event.data["main"] == true && event.data["url"] == url && event.data["status"] == 200) return true;
    }
    return false;
  }

  // No load failed, and no call threw (an unanswered one would).
  void ExpectNoErrors() {
    for (const auto& event : recorder.Of("OnLoadError")) ADD_FAILURE() << "load error: " << event.data.dump();
    for (const auto& event : recorder.Of("OnConsoleMessage")) {
      EXPECT_LT(event.data["level"].get<int>(), LOGSEVERITY_ERROR) << event.data["message"];
    }
  }

  // Each native call of page `tag` answered its own value.
  void ExpectAnswered(const std::string& tag) {
    EXPECT_TRUE(HasConsole("top:" + tag + ":top")) << tag;
    EXPECT_TRUE(HasConsole("injected:" + tag + ":injected")) << tag;
    EXPECT_TRUE(HasConsole("ready:" + tag + ":ready")) << tag;
  }

  // Every browser loaded the URL it was asked for, and its page's calls were answered.
  void ExpectEveryPageLoadedAndAnswered() {
    recorder.WaitFor([&] { return Every([&](int id) { return LoadEnded(PageUrl(id)) || LoadFailed(id); }); });
    ExpectNoErrors();
    const std::vector<int> ids = BrowserIds();
    EXPECT_EQ(ids.size(), static_cast<size_t>(kBrowsers));
    for (int id : ids) {
      EXPECT_TRUE(LoadEnded(PageUrl(id))) << "browser " << id;
      ExpectAnswered(std::to_string(id));
    }
  }

  TestHttpServer server;
};

TEST_F(FirstLoadTest, PagesLoadedFromOnAfterCreatedOnTheUiThreadWinAndTheirNativeCallsAreAnswered) {
  LoadPagesFromOnAfterCreated(false);
  ExpectEveryPageLoadedAndAnswered();
}

TEST_F(FirstLoadTest, PagesLoadedFromTheQtThreadAfterOnAfterCreatedWinAndTheirNativeCallsAreAnswered) {
  LoadPagesFromOnAfterCreated(true);
  ExpectEveryPageLoadedAndAnswered();
}

TEST_F(FirstLoadTest, AnInitialPageKeepsItsLoadEventsAndItsNativeCallsAreAnswered) {
  const std::string url = server.Url("/page?initial");
  Create(url);
  ASSERT_TRUE(recorder.WaitFor([&] { return HasConsole("settled:initial") && LoadEnded(url); }));
  ExpectNoErrors();
  ExpectAnswered("initial");
  bool started = false;
  for (const auto& event : recorder.Of("OnLoadStart")) started = started || event.data["url"] == url;
  EXPECT_TRUE(started);
}

// A page that calls the native function as it leaves for another site: that
// call cannot be answered (Chromium no longer pauses a page that is leaving),
// and the context ids of the next site's renderer start again, so the call
// must not be taken for one of a later page's.
TEST_F(FirstLoadTest, ACallLeftBehindForAnotherSiteIsNotAnsweredInLaterPages) {
  TestHttpServer otherSite;  // reached as "localhost": another site than 127.0.0.1
  otherSite.Route("/page", {200, "text/html", kPage, 0});
  const std::string other = "http://localhost:" + std::to_string(otherSite.Port()) + "/page?";
  server.Route("/leave", {200, "text/html",
                          QByteArray::fromStdString("<script>location.replace('" + other +
                                                    "next'); try { firstNative('leaving'); } catch (e) {}</script>"),
                          0});
  Create(server.Url("/leave"));
  ASSERT_TRUE(recorder.WaitFor([&] { return HasConsole("settled:next"); }));
  browser->GetMainFrame()->LoadURL(other + "again");
  ASSERT_TRUE(recorder.WaitFor([&] { return HasConsole("settled:again"); }));
  ExpectNoErrors();
  ExpectAnswered("next");
  ExpectAnswered("again");
}

}  // namespace
