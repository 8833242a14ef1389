// The widget pool and the resource providers with real pages: pooled
// browsers serving a password-protected archive on an https prefix, the
// archive provider's load, fall-through from archive to directory to a
// loopback server, the response report, and the pool's reserve, broadcast and
// release.
#include <signal.h>

#include <QCoreApplication>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <future>
#include <memory>

#include "HostHarness.h"
#include "LauncherEnvironment.h"
#include "ShownPage.h"
#include "TestFiles.h"
#include "TestHttpServer.h"
#include "core/VellBrowserLifeSpanMonitor.h"
#include "core/VellHandler.h"
#include "include/wrapper/cef_closure_task.h"
#include "inter/VellBrowserWrapper.h"
#include "pool/VellArchiveProvider.h"
#include "pool/VellWidgetPool.h"
#include "testing_hooks.h"

namespace {

LogCapture* const g_log = &HostLog();

const auto* const g_environment = ::testing::AddGlobalTestEnvironment(new LauncherEnvironment());

const char kLogScript[] =
    "<script>const log = (...a) => console.log(a.map(x => typeof x === 'string' ? x : JSON.stringify(x)).join('|'));"
    "</script>";

// Holds one of the runtime's threads until opened: what is posted to it
// after the gate waits.
class ThreadGate {
 public:
  explicit ThreadGate(CefThreadId thread) {
    CefPostTask(thread, CefCreateClosureTask([opened = m_opened.get_future().share()] { opened.wait(); }));
  }
  ~ThreadGate() { Open(); }
  void Open() {
    if (!m_bOpen) m_opened.set_value();
    m_bOpen = true;
  }

 private:
  std::promise<void> m_opened;
  bool m_bOpen = false;
};

// A resource-manager request for `url` whose answer is recorded.
struct RecordedRequest {
  explicit RecordedRequest(const std::string& url, std::vector<std::string>* order)
      : request(new CefResourceManager::Request(
            url, nullptr, [](const std::string& u) { return u; }, &CefResourceManager::MimeTypeForUrl,
            [this, url, order](CefRefPtr<CefResourceHandler> handler, bool) {
              answered = true;
              served = handler != nullptr;
              if (order) order->push_back(url);
            })) {}
  CefRefPtr<CefResourceManager::Request> request;
  std::atomic<bool> answered{false};
  std::atomic<bool> served{false};
};

void OnIo(std::function<void()> task) { CefPostTask(TID_IO, CefCreateClosureTask(std::move(task))); }

class PoolTest : public ::testing::Test {
 protected:
  void TearDown() override {
    bool released = false;
    pool->ReleaseAll([&](bool) { released = true; }, 0);
    EXPECT_TRUE(WaitUntil([&] { return released; }));
    EXPECT_TRUE(WaitUntil([] { return VellBrowserLifeSpanMonitor::Instance()->GetBrowserCount() == 0; }));
  }
  std::string Zip(const std::vector<std::pair<std::string, std::string>>& entries, const std::string& password) {
    return WriteZip(dir.filePath("pages.zip"), entries, password);
  }

  QTemporaryDir dir;
  std::unique_ptr<VellWidgetPool> pool = std::make_unique<VellWidgetPool>(1, 1);
};

TEST_F(PoolTest, PooledBrowsersServeAPasswordArchiveOnAnHttpsPrefixKeepingTheOrigin) {
  const std::string index = std::string(kLogScript) +
                            "<script>document.cookie = 'seen=1; path=/';"
                            "fetch('data/catalogue.json').then(r => r.json()).then(d => log('index', location.origin, "
                            "document.cookie, d.games));</script>"
                            // The entry's validators: 304 for its tag, the whole entry for another.
                            "<script>(async () => { const a = await fetch('data/catalogue.json', {cache: 'no-store'});"
                            " const ask = tag => fetch('data/catalogue.json', {cache: 'no-store', headers: {'If-None-Match': tag}});"
                            " const b = await ask(a.headers.get('etag')), c = await ask('\"old\"');"
                            " log('validators', a.headers.get('cache-control'), b.status, c.status, (await c.json()).games); })()</script>";
  const std::string path = Zip({{"index.html", index}, {"data/catalogue.json", R"({"games":3})"}}, "secret");
  pool->InitArchiveProviders([&] {
    return std::vector<VellWidgetPool::ArchiveProviderParam>{{path, "https://launcher.test", "secret"},
                                                             {"", "https://skipped.test/", ""}};
  });
  EXPECT_EQ(g_log->Matching("InitArchiveProviders warn! strArchivePath is empty. strUrl = https://skipped.test/").size(), 1u);
  pool->SetInitLoadUrl("https://launcher.test/index.html");
  bool initialised = false;
  pool->Init([&] { initialised = true; });
  EXPECT_TRUE(initialised);

  // The pre-created browser has loaded its page before it is handed out.
  ASSERT_TRUE(WaitForConsole("index|https://launcher.test|seen=1|3"));
  EXPECT_TRUE(WaitForConsole("validators|no-cache|304|200|3"));
  std::unique_ptr<VellWidget> widget(pool->Acquire());
  ASSERT_NE(widget, nullptr);
  ASSERT_TRUE(WaitUntil([&] { return !widget->GetVellSignalsWidget()->IsLoading(); }));
  EXPECT_EQ(widget->GetVellSignalsWidget()->GetUrl(), "https://launcher.test/index.html");
  EXPECT_EQ(pool->GetVecInUse().size(), 1u);
  for (const char* served : {"index.html", "data/catalogue.json"}) {  // (the missing favicon is reported)
    EXPECT_TRUE(g_log->Matching(std::string(R"("strRequestUrl":"https://launcher.test/)") + served).empty());
  }

  // A second browser comes from the reserve and serves the same archive.
  std::unique_ptr<VellWidget> second(pool->Acquire());
  ASSERT_NE(second, nullptr);
  ASSERT_TRUE(WaitUntil([&] { return ConsoleLines("index|https://launcher.test|seen=1|3").size() == 2; }));
  second.reset();
  EXPECT_EQ(pool->GetVecInUse().size(), 1u);  // a destroyed widget leaves the list
}

// Archives given after Init reach every widget handed out afterwards,
// whenever its browser was created; a widget already handed out keeps what it
// had; released archives leave the idle browsers too.
TEST_F(PoolTest, ArchivesGivenAfterInitAreServedByEveryWidgetHandedOutAfterwards) {
  auto* monitor = VellBrowserLifeSpanMonitor::Instance();
  const auto page = [](const char* text) { return std::string(kLogScript) + "<script>log('" + text + "');</script>"; };
  // Port 1 refuses at once: what no archive serves fails quickly there.
  const std::string late = "http://127.0.0.1:1/late/";
  pool->Init(nullptr);
  ASSERT_TRUE(WaitUntil([&] { return monitor->GetBrowserCount() == 1; }));

  pool->InitArchiveProviders({{WriteZip(dir.filePath("app.zip"), {{"index.html", page("app served")}}, ""),
                               "https://big.test/app/", ""}});
  std::unique_ptr<VellWidget> first(pool->Acquire());
  first->LoadUrl("https://big.test/app/index.html");
  ASSERT_TRUE(WaitForConsole("app served"));

  // Given between two Acquires: to an idle browser created before it.
  ASSERT_TRUE(WaitUntil([&] { return monitor->GetBrowserCount() == 2; }));  // the reserve refilled
  pool->InitArchiveProviders({{WriteZip(dir.filePath("late.zip"), {{"index.html", page("late served")}}, ""), late, ""}});
  std::unique_ptr<VellWidget> second(pool->Acquire());
  second->LoadUrl(late + "index.html");
  ASSERT_TRUE(WaitForConsole("late served"));
  second->LoadUrl("https://big.test/app/index.html");
  ASSERT_TRUE(WaitUntil([] { return ConsoleLines("app served").size() == 2; }));
  QSignalSpy firstFailed(first->GetVellSignalsWidget(), &VellSignalsWidget::OnLoadError);
  first->LoadUrl(late + "index.html");
  ASSERT_TRUE(WaitUntil([&] { return firstFailed.count() == 1; }));
  EXPECT_EQ(ConsoleLines("late served").size(), 1u);

  // Released, and the app's archive given again with another password.
  ASSERT_TRUE(WaitUntil([&] { return monitor->GetBrowserCount() == 3; }));
  pool->ReleaseArchiveProviders();
  pool->InitArchiveProviders({{WriteZip(dir.filePath("app2.zip"), {{"index.html", page("app again")}}, "two"),
                               "https://big.test/app/", "two"}});
  std::unique_ptr<VellWidget> third(pool->Acquire());
  QSignalSpy thirdFailed(third->GetVellSignalsWidget(), &VellSignalsWidget::OnLoadError);
  third->LoadUrl(late + "index.html");
  ASSERT_TRUE(WaitUntil([&] { return thirdFailed.count() == 1; }));
  third->LoadUrl("https://big.test/app/index.html");
  ASSERT_TRUE(WaitForConsole("app again"));
  EXPECT_EQ(ConsoleLines("late served").size(), 1u);
  EXPECT_EQ(ConsoleLines("app served").size(), 2u);
}

TEST_F(PoolTest, ArchiveRequestsWaitForTheLoadAndAreAnsweredInArrivalOrder) {
  const std::string path = Zip({{"a.css", "a"}, {"b.js", "b"}}, "pw");
  auto provider = std::make_shared<VellArchiveProvider>("https://launcher.test/ui", path, "pw");
  EXPECT_EQ(provider->GetUrlPrefix(), "https://launcher.test/ui/");
  std::vector<std::string> order;
  RecordedRequest first("https://launcher.test/ui/b.js", &order);
  RecordedRequest second("https://launcher.test/ui/a.css?v=2", &order);
  RecordedRequest missing("https://launcher.test/ui/none.png", &order);
  std::atomic<int> taken{0};
  {
    ThreadGate file(TID_FILE_BACKGROUND);  // the read cannot end before the requests came
    provider->StartLoad();
    for (auto* request : {&first, &second, &missing}) {
      OnIo([&, request] { taken += provider->OnRequest(request->request) ? 1 : 0; });
    }
    ASSERT_TRUE(WaitUntil([&] { return taken == 3; }));
    EXPECT_FALSE(first.answered);
  }
  ASSERT_TRUE(WaitUntil([&] { return missing.answered.load(); }));
  EXPECT_EQ(order, (std::vector<std::string>{"https://launcher.test/ui/b.js", "https://launcher.test/ui/a.css?v=2",
                                             "https://launcher.test/ui/none.png"}));
  EXPECT_TRUE(first.served);
  EXPECT_TRUE(second.served);
  EXPECT_FALSE(missing.served);  // the next provider's turn
  RecordedRequest other("https://other.test/a.css", nullptr);
  std::atomic<int> outside{-1};
  OnIo([&] { outside = provider->OnRequest(other.request) ? 1 : 0; });
  ASSERT_TRUE(WaitUntil([&] { return outside != -1; }));
  EXPECT_EQ(outside, 0);
  other.request->Discard();
}

TEST_F(PoolTest, AProviderGoneBeforeItsLoadEndsSkipsTheResultAndLetsItsRequestsGo) {
  const std::string path = Zip({{"a.css", "a"}}, "");
  auto provider = std::make_shared<VellArchiveProvider>("https://launcher.test/", path, "");
  RecordedRequest waiting("https://launcher.test/a.css", nullptr);
  {
    ThreadGate file(TID_FILE_BACKGROUND);
    provider->StartLoad();
    std::atomic<bool> taken{false};
    OnIo([&] { taken = provider->OnRequest(waiting.request); });
    ASSERT_TRUE(WaitUntil([&] { return taken.load(); }));
    std::atomic<bool> dropped{false};
    OnIo([&] {
      provider.reset();
      dropped = true;
    });
    ASSERT_TRUE(WaitUntil([&] { return dropped.load(); }));
  }
  waiting.request = nullptr;  // the provider's own reference went with it
  EXPECT_TRUE(WaitUntil([&] { return waiting.answered.load(); }));
  EXPECT_FALSE(waiting.served);
}

TEST_F(PoolTest, BadArchivesFallThroughAndAreLogged) {
  WriteFile(dir.filePath("fake.zip"), "not a zip at all");
  const std::string good = Zip({{"index.html", "<p>"}}, "right");
  QFile truncated(dir.filePath("truncated.zip"));
  QFile::copy(QString::fromStdString(good), truncated.fileName());
  ASSERT_TRUE(truncated.resize(truncated.size() / 2));
  pool->InitArchiveProviders({{dir.filePath("fake.zip").toStdString(), "https://a.test/", ""},
                              {good, "https://b.test/", "wrong"},
                              {truncated.fileName().toStdString(), "https://c.test/", "right"},
                              {dir.filePath("none.zip").toStdString(), "https://d.test/", ""}});
  for (const char* prefix : {"https://a.test/", "https://b.test/", "https://c.test/", "https://d.test/"}) {
    EXPECT_TRUE(WaitForLog(std::string(prefix) + " falls through")) << prefix;
  }
}

// Served under http://127.0.0.1:<port>/: the archive first, then the
// directory, then the loopback server itself.
TEST_F(ShownPage, MissingFilesFallThroughFromArchiveToDirectoryToTheServerAndFailuresAreReported) {
  TestHttpServer server;
  server.Route("/server.txt", {200, "text/plain", "from the server"});
  server.Route("/missing.txt", {404, "text/plain", "nothing"});
  server.Route("/cached.txt", {304, "text/plain", ""});
  // Chromium asks for the icon once the page has loaded: not a report to count.
  server.Route("/favicon.ico", {200, "image/x-icon", ""});
  QTemporaryDir dir;
  const std::string page = std::string(kLogScript) + R"(<script>
    const read = (p) => fetch(p).then(r => r.status + ':' + (r.status === 200 ? '' : 'x')).catch(e => 'failed');
    const text = (p) => fetch(p).then(r => r.text());
    Promise.all([text('archive.txt'), text('dir.txt'), text('server.txt'), read('missing.txt'), read('cached.txt'),
                 read('escape.txt'), read('%2e%2e/outside.txt')])
        .then(all => log('served', ...all));
  </script>)";
  const std::string zip = WriteZip(dir.filePath("site.zip"), {{"index.html", page}, {"archive.txt", "from the archive"}});
  WriteFile(dir.filePath("site/dir.txt"), "from the directory");
  WriteFile(dir.filePath("outside.txt"), "secret");
  ASSERT_TRUE(QFile::link(dir.filePath("outside.txt"), dir.filePath("site/escape.txt")));
  const std::string prefix = server.Url("/");
  CefRefPtr<VellHandler> handler = browser.GetVellHandler();
  ASSERT_EQ(handler->AddArchiveResourceProvider(zip, prefix, "", 0), nullptr);
  ASSERT_EQ(handler->AddLocalDirectoryResourceProvider(dir.filePath("site").toStdString(), prefix, 1), nullptr);

  widget->LoadUrl(prefix + "index.html");
  ASSERT_TRUE(WaitForConsole("served|from the archive|from the directory|from the server|404:x|304:x|404:x|404:x"));
  // A response's report comes from its own event, which may follow the page's line.
  const auto reportCount = [] { return g_log->Matching("OnResourceResponse: Load resource error. ").size(); };
  ASSERT_TRUE(WaitUntil([&] { return reportCount() >= 3; }));
  ASSERT_EQ(reportCount(), 3u);  // missing, and the two refused by the directory that the server lacks
  const auto missing = g_log->Matching(R"("strRequestUrl":")" + prefix + "missing.txt\"");
  ASSERT_EQ(missing.size(), 1u);
  EXPECT_NE(missing[0].text.find("\"nHttpStatus\":404"), std::string::npos);
  EXPECT_TRUE(g_log->Matching("cached.txt\"").empty());
  EXPECT_TRUE(ConsoleLines("secret").empty());
}

TEST_F(PoolTest, TheReserveIsRefilledByTheTimerAndAcquireTakesTheOldestFirst) {
  auto* monitor = VellBrowserLifeSpanMonitor::Instance();
  pool = std::make_unique<VellWidgetPool>(0, 1);
  pool->Init(nullptr);
  EXPECT_EQ(monitor->GetBrowserCount(), 0);
  ASSERT_TRUE(WaitUntil([&] { return monitor->GetBrowserCount() == 1; }));  // the timer's first tick
  std::unique_ptr<VellWidget> first(pool->Acquire());
  EXPECT_EQ(monitor->GetBrowserCount(), 1);  // the idle one was handed out
  VellBrowserWrapper* pooled = first->GetVellIndependentBrowser()->GetVellHandler()->GetBrowser();
  ASSERT_NE(pooled, nullptr);
  EXPECT_TRUE(pooled->GetHost()->GetRequestContext()->IsGlobal());  // pooled browsers use the global context
  ASSERT_TRUE(WaitUntil([&] { return monitor->GetBrowserCount() == 2; }));  // and replaced

  // With no reserve, Acquire creates what it hands out.
  auto empty = std::make_unique<VellWidgetPool>(0, 0);
  std::unique_ptr<VellWidget> fresh(empty->Acquire());
  ASSERT_NE(fresh, nullptr);
  EXPECT_TRUE(WaitUntil([&] { return monitor->GetBrowserCount() == 3; }));
  fresh.reset();
  bool released = false;
  empty->ReleaseAll([&](bool) { released = true; }, 0);
  EXPECT_TRUE(released);  // nothing left to release
}

TEST_F(PoolTest, AfterChromiumIsKilledThePoolRefillsItsReserveOnTheNewOne) {
  auto* monitor = VellBrowserLifeSpanMonitor::Instance();
  pool = std::make_unique<VellWidgetPool>(2, 2);
  pool->SetInitLoadUrl(Page("log('pooled page');"));
  pool->Init(nullptr);
  std::unique_ptr<VellWidget> shown(pool->Acquire());
  ASSERT_TRUE(WaitUntil([&] { return monitor->GetBrowserCount() == 3; }));
  ASSERT_TRUE(WaitUntil([&] { return ConsoleLines("pooled page").size() == 3; }));
  QSignalSpy closed(shown->GetVellSignalsWidget(), &VellSignalsWidget::OnBeforeClose);

  kill(cefcompat::ChromiumPidForTesting(), SIGKILL);
  ASSERT_TRUE(WaitUntil([&] { return closed.count() == 1 && monitor->GetBrowserCount() == 0; }));
  EXPECT_TRUE(WaitUntil([] { return g_log->Matching("an idle browser closed; it leaves the reserve").size() == 2; }));
  // The timer makes one a tick.
  ASSERT_TRUE(WaitUntil([&] { return monitor->GetBrowserCount() == 2; }, 30000));
  std::unique_ptr<VellWidget> next(pool->Acquire());
  ASSERT_TRUE(WaitUntil([&] { return ConsoleLines("pooled page").size() >= 5; }));
  EXPECT_TRUE(WaitUntil([&] { return !next->GetVellSignalsWidget()->IsLoading(); }));
  EXPECT_FALSE(next->GetVellSignalsWidget()->IsBrowserClosed());
  EXPECT_EQ(g_log->Matching("[cefcompat] Chromium started again").size(), 1u);
}

TEST_F(PoolTest, BroadcastReachesEveryWidgetInUse) {
  pool->SetInitLoadUrl(Page("window.NAME = 'pooled';"));
  pool->Init(nullptr);
  std::unique_ptr<VellWidget> first(pool->Acquire());
  std::unique_ptr<VellWidget> second(pool->Acquire());
  for (auto* widget : {first.get(), second.get()}) {
    ASSERT_TRUE(WaitUntil([&] { return widget->GetVellSignalsWidget()->GetUrl().startsWith("data:") &&
                                       !widget->GetVellSignalsWidget()->IsLoading(); }));
  }
  EXPECT_EQ(pool->BroadcastExecuteJavascript("console.log('broadcast ' + window.NAME)"), nullptr);
  EXPECT_TRUE(WaitUntil([] { return ConsoleLines("broadcast pooled").size() == 2; }));
  EXPECT_NE(pool->BroadcastExecuteJavascript(""), nullptr);  // each failure reported, chained
}

TEST_F(PoolTest, ReleaseAllCompletesOnceWhenTheLastBrowserHasClosed) {
  pool->Init(nullptr);
  std::unique_ptr<VellWidget> kept(pool->Acquire());
  QPointer<VellWidget> handedOut(pool->Acquire());
  VellWidget* deletedByLauncher = pool->Acquire();
  ASSERT_TRUE(WaitUntil([] { return VellBrowserLifeSpanMonitor::Instance()->GetBrowserCount() == 4; }));
  delete deletedByLauncher;
  kept.release();  // the pool deletes what it releases

  int calls = 0;
  bool timedOut = true;
  pool->ReleaseAll([&](bool byTimeout) {
    ++calls;
    timedOut = byTimeout;
  }, 30000);
  ASSERT_TRUE(WaitUntil([&] { return calls == 1; }));
  EXPECT_FALSE(timedOut);
  EXPECT_FALSE(pool->HasInvokeOnReleaseAllDoneTimeout());
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);  // back in the main loop
  EXPECT_TRUE(handedOut.isNull());
  EXPECT_TRUE(WaitUntil([] { return VellBrowserLifeSpanMonitor::Instance()->GetBrowserCount() == 0; }));
  EXPECT_TRUE(pool->GetVecInUse().empty());

  EXPECT_EQ(pool->Acquire(), nullptr);  // released: Init first
  EXPECT_FALSE(g_log->Matching("the pool has been released; call Init first").empty());
  int second = 0;
  pool->ReleaseAll([&](bool) { ++second; }, 0);  // nothing left: at once
  EXPECT_EQ(second, 1);
  pool->Init(nullptr);
  std::unique_ptr<VellWidget> again(pool->Acquire());
  EXPECT_NE(again, nullptr);
  again.release();
  EXPECT_EQ(pool->AwaitReleaseAll(), nullptr);
  EXPECT_EQ(calls, 1);
}

TEST_F(PoolTest, ReleaseAllCompletesOnceByTimeOutWhenBrowsersDoNotClose) {
  pool->Init(nullptr);
  VellWidget* widget = pool->Acquire();
  ASSERT_TRUE(WaitUntil([] { return VellBrowserLifeSpanMonitor::Instance()->GetBrowserCount() == 2; }));
  (void)widget;
  int calls = 0;
  bool timedOut = false;
  {
    ThreadGate ui(TID_UI);  // no browser can close meanwhile
    pool->ReleaseAll([&](bool byTimeout) {
      ++calls;
      timedOut = byTimeout;
    }, 50);
    ASSERT_TRUE(WaitUntil([&] { return calls == 1; }));
    EXPECT_TRUE(timedOut);
    EXPECT_TRUE(pool->HasInvokeOnReleaseAllDoneTimeout());
  }
  EXPECT_TRUE(WaitUntil([] { return VellBrowserLifeSpanMonitor::Instance()->GetBrowserCount() == 0; }));
  QCoreApplication::processEvents();
  EXPECT_EQ(calls, 1);
}

}  // namespace
