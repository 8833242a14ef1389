// Pages served from zip archives and directories through the resource manager.

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "RuntimeEnvironment.h"
#include "TestApp.h"
#include "TestFiles.h"
#include "TestHttpServer.h"
#include "include/cef_task.h"
#include "include/wrapper/cef_resource_manager.h"

namespace {

const bool g_factory = SetTestAppFactory([] { return CefRefPtr<CefApp>(); });
const auto* const g_environment = ::testing::AddGlobalTestEnvironment(new RuntimeEnvironment(MakeTestApp()));

// Serves every request through a resource manager and records the responses.
class ManagedRequests : public CefResourceRequestHandler {
 public:
  ManagedRequests(CefRefPtr<CefResourceManager> manager, EventRecorder* recorder) : manager_(manager), recorder_(recorder) {}
  cef_return_value_t OnBeforeResourceLoad(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                                          CefRefPtr<CefRequest> request, CefRefPtr<CefRequestCallback> callback) override {
    return manager_->OnBeforeResourceLoad(browser, frame, request, callback);
  }
  CefRefPtr<CefResourceHandler> GetResourceHandler(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame,
                                                   CefRefPtr<CefRequest> request) override {
    return manager_->GetResourceHandler(browser, frame, request);
  }
  bool OnResourceResponse(CefRefPtr<CefBrowser>, CefRefPtr<CefFrame>, CefRefPtr<CefRequest> request,
                          CefRefPtr<CefResponse> response) override {
    recorder_->Record("OnResourceResponse", {{"url", request->GetURL().ToString()},
                                             {"status", response->GetStatus()},
                                             {"error", static_cast<int>(response->GetError())},
                                             {"onIo", CefCurrentlyOn(TID_IO)}});
    return false;
  }
  void OnProtocolExecution(CefRefPtr<CefBrowser>, CefRefPtr<CefFrame>, CefRefPtr<CefRequest> request,
                           bool& allow_os_execution) override {
    recorder_->Record("OnProtocolExecution", {{"url", request->GetURL().ToString()}, {"allow", allow_os_execution}});
  }

 private:
  CefRefPtr<CefResourceManager> manager_;
  EventRecorder* recorder_;
  IMPLEMENT_REFCOUNTING(ManagedRequests);
};

class ResourceClient : public RecordingClient {
 public:
  ResourceClient(EventRecorder* recorder, CefRefPtr<CefResourceManager> manager)
      : RecordingClient(recorder), requests_(new ManagedRequests(manager, recorder)) {}
  CefRefPtr<CefResourceRequestHandler> GetResourceRequestHandler(CefRefPtr<CefBrowser>, CefRefPtr<CefFrame>,
                                                                 CefRefPtr<CefRequest>, bool, bool, const CefString&,
                                                                 bool&) override {
    return requests_;
  }

 private:
  CefRefPtr<ManagedRequests> requests_;
};

class ResourceTest : public BrowserTest {
 protected:
  void SetUp() override { client = new ResourceClient(&recorder, manager); }
  CefRefPtr<CefResourceManager> manager{new CefResourceManager()};
  QTemporaryDir dir;
  TestHttpServer server;
};

TEST_F(ResourceTest, ArchiveSiteKeepsItsOriginAndBehavesAsAServedSite) {
  const std::string index =
      "<link rel=stylesheet href='css/app.css'><p id=p>styled</p>"
      "<script type=module src='js/main.js'></script>";
  const std::string main =
      "import {answer} from './lib.js';"
      "const data = await (await fetch('data.json')).json();"
      "localStorage.setItem('k', 'ok'); document.cookie = 'a=1';"
      "console.log('site:' + location.host + '|' + getComputedStyle(document.getElementById('p')).color + '|' +"
      " data.value + '|' + answer + '|' + localStorage.getItem('k') + '|' + document.cookie);";
  const std::string path = WriteZip(dir.filePath("site.zip"), {{"index.html", index},
                                                              {"css/app.css", "#p { color: rgb(255, 0, 0); }"},
                                                              {"js/main.js", main},
                                                              {"js/lib.js", "export const answer = 'module';"},
                                                              {"data.json", "{\"value\": 42}"}},
                                    "pw");
  manager->AddArchiveProvider("https://launcher.test/ui/", path, "pw", 0, "site");
  Create("https://launcher.test/ui/index.html");
  EXPECT_TRUE(WaitForConsole("site:launcher.test|rgb(255, 0, 0)|42|module|ok|a=1"));
  ASSERT_TRUE(WaitForMainLoadEnd());
  EXPECT_EQ(recorder.Of("OnLoadEnd")[0].data["status"], 200);
}

TEST_F(ResourceTest, MissingFilesFallThroughToADirectoryThenToTheServer) {
  const std::string prefix = server.Url("/ui/");
  WriteFile(dir.filePath("static/extra.txt"), "from the directory");
  WriteFile(dir.filePath("outside.txt"), "must not be served");
  manager->AddArchiveProvider(prefix, WriteZip(dir.filePath("a.zip"), {{"index.html", "<p>zip</p>"}}), "", 0, "zip");
  manager->AddDirectoryProvider(prefix, dir.filePath("static").toStdString(), 1, "dir");
  Create(prefix + "index.html");
  ASSERT_TRUE(WaitForMainLoadEnd());
  Run("Promise.all(['extra.txt', 'missing.txt', '..%2Foutside.txt'].map(u => fetch(u).then(r => r.status + ':' + (r.status === 200 ? '' : ''))"
      ".then(s => s))).then(all => console.log('statuses:' + all.join(',')));"
      "fetch('extra.txt').then(r => r.text()).then(t => console.log('extra:' + t));");
  EXPECT_TRUE(WaitForConsole("extra:from the directory"));
  EXPECT_TRUE(WaitForConsole("statuses:200:,404:,404:"));
  ASSERT_TRUE(recorder.WaitFor([&] {
    for (const auto& event : recorder.Of("OnResourceResponse")) {
      if (event.data["url"] == prefix + "missing.txt" && event.data["status"] == 404) return event.data["onIo"].get<bool>();
    }
    return false;
  }));
}

TEST_F(ResourceTest, LargeFilesAreStreamedAndRangesAnswered) {
  QByteArray big(20 * 1024 * 1024, '\0');
  for (int i = 0; i < big.size(); ++i) big[i] = static_cast<char>('a' + (i % 26));
  WriteFile(dir.filePath("media/big.bin"), big);
  manager->AddDirectoryProvider("https://launcher.test/media", dir.filePath("media").toStdString(), 0, "");
  manager->AddContentProvider("https://launcher.test/media/page.html", "<p>media</p>", "text/html", 0, "");
  Create("https://launcher.test/media/page.html");
  ASSERT_TRUE(WaitForMainLoadEnd());
  Run("fetch('big.bin').then(r => r.arrayBuffer()).then(b => console.log('whole:' + b.byteLength));"
      "fetch('big.bin', {headers: {Range: 'bytes=27-31'}}).then(async r => console.log('range:' + r.status + ':' +"
      " await r.text() + ':' + r.headers.get('content-range')));");
  EXPECT_TRUE(WaitForConsole("whole:20971520", 30000));
  EXPECT_TRUE(WaitForConsole("range:206:bcdef:bytes 27-31/20971520"));
}

// An archive altered after it was written: an entry served inline (small) and
// one streamed from the loopback server (large) both fail to load; neither is
// given to the page as a whole body.
TEST_F(ResourceTest, DamagedArchiveEntriesFailTheirRequests) {
  for (const auto& [name, size] : {std::pair<std::string, int>{"inline", 100 * 1024}, {"streamed", 1024 * 1024}}) {
    std::string content(static_cast<size_t>(size), '\0');
    for (size_t i = 0; i < content.size(); ++i) content[i] = static_cast<char>('a' + ((i * 2654435761u) >> 13) % 7);
    const QString path = dir.filePath(QString::fromStdString(name + ".zip"));
    WriteZip(path, {{name + ".bin", content}});
    AlterMiddleByte(path);
    manager->AddArchiveProvider("https://launcher.test/" + name + "/", path.toStdString(), "", 0, name);
  }
  manager->AddContentProvider("https://launcher.test/page.html", "<p>page</p>", "text/html", 0, "");
  Create("https://launcher.test/page.html");
  ASSERT_TRUE(WaitForMainLoadEnd());
  Run("for (const name of ['inline', 'streamed']) fetch(name + '/' + name + '.bin').then(r => r.arrayBuffer())"
      ".then(b => console.log(name + ':whole:' + b.byteLength), () => console.log(name + ':failed'));");
  EXPECT_TRUE(WaitForConsole("inline:failed", 30000));
  EXPECT_TRUE(WaitForConsole("streamed:failed", 30000));
}

TEST_F(ResourceTest, ExternalProtocolsAskTheHandlerAndAreNotOpenedByDefault) {
  manager->AddContentProvider("https://launcher.test/p.html", "<a id=a href='x-vell-test://open/game'>go</a>", "text/html", 0, "");
  Create("https://launcher.test/p.html");
  ASSERT_TRUE(WaitForMainLoadEnd());
  Run("document.getElementById('a').click()");
  ASSERT_TRUE(recorder.WaitForKind("OnProtocolExecution"));
  EXPECT_EQ(recorder.Of("OnProtocolExecution")[0].data["url"], "x-vell-test://open/game");
  EXPECT_FALSE(recorder.Of("OnProtocolExecution")[0].data["allow"]);
}

// A provider that answers only when told: its request may outlive its page.
class HeldProvider : public CefResourceManager::Provider {
 public:
  explicit HeldProvider(std::function<void(CefRefPtr<CefResourceManager::Request>)> hold) : hold_(std::move(hold)) {}
  bool OnRequest(CefRefPtr<CefResourceManager::Request> request) override {
    if (request->url().find("/held/") == std::string::npos) return false;
    hold_(request);
    return true;
  }

 private:
  std::function<void(CefRefPtr<CefResourceManager::Request>)> hold_;
};

TEST_F(ResourceTest, ARequestAnsweredAfterItsPageNavigatedAwayHarmsNothing) {
  std::mutex mutex;
  CefRefPtr<CefResourceManager::Request> held;
  manager->AddProvider(new HeldProvider([&](CefRefPtr<CefResourceManager::Request> r) {
    std::lock_guard<std::mutex> lock(mutex);
    held = r;
    recorder.Record("held", {});
  }), 0, "");
  manager->AddContentProvider("https://launcher.test/one.html", "<img src='/held/a.png'>", "text/html", 1, "");
  manager->AddContentProvider("https://launcher.test/two.html", "<script>console.log('two loaded')</script>", "text/html", 1, "");
  Create("https://launcher.test/one.html");
  ASSERT_TRUE(recorder.WaitForKind("held"));
  browser->GetMainFrame()->LoadURL("https://launcher.test/two.html");
  EXPECT_TRUE(WaitForConsole("two loaded"));
  {
    std::lock_guard<std::mutex> lock(mutex);
    held->Continue(nullptr);  // too late: answered once, dropped by Chromium
    held = nullptr;
  }
  Run("console.log('still fine')");
  EXPECT_TRUE(WaitForConsole("still fine"));
}


// Pages whose entries Chromium keeps: each visit logs "<name>:<value>:<visit>"
// (the visit from the URL's fragment); other.html is the page between visits.
class ResourceCacheTest : public ResourceTest {
 protected:
  static std::vector<std::pair<std::string, std::string>> Site(const std::string& value) {
    // Above 64 KB, so that an archive reads it when it is asked for, not as it
    // loads; letters in no order, so that it stays most of the archive deflated.
    std::string padding = "/*" + std::string(100 * 1024, 'p') + "*/";
    uint32_t state = 2463534242u;
    for (size_t i = 2; i + 2 < padding.size(); ++i) {
      state ^= state << 13, state ^= state >> 17, state ^= state << 5;
      padding[i] = static_cast<char>('a' + state % 26);
    }
    return {{"index.html", "<script src=app.js></script><script>console.log('index:' + window.v + ':' + location.hash)</script>"},
            {"app.js", padding + "window.v = '" + value + "';"},
            {"other.html", "<script>console.log('other:' + location.hash)</script>"}};
  }
  // Goes to other.html and back to index.html (#visit); true when the page ran with `value`.
  bool Revisit(const std::string& prefix, int visit, const std::string& value) {
    const std::string mark = "#" + std::to_string(visit);
    client->browser->GetMainFrame()->LoadURL(prefix + "other.html" + mark);
    if (!WaitForConsole("other:" + mark)) return false;
    client->browser->GetMainFrame()->LoadURL(prefix + "index.html" + mark);
    return WaitForConsole("index:" + value + ":" + mark);
  }
  // The statuses Chromium reported for `url`, in order.
  std::vector<int> Statuses(const std::string& url) {
    std::vector<int> statuses;
    for (const auto& event : recorder.Of("OnResourceResponse")) {
      if (event.data["url"] == url) statuses.push_back(event.data["status"].get<int>());
    }
    return statuses;
  }
};

// The second visit revalidates the script and gets 304: the archive, altered
// in place meanwhile, is not read again (a read would fail its checks, as the
// uncached fetch shows), and a password archive does not authenticate an
// entry it does not send.
TEST_F(ResourceCacheTest, ArchiveEntriesAreRevalidatedNotReadAgain) {
  for (const std::string password : {"", "pw"}) {
    SCOPED_TRACE("password: " + password);
    const std::string prefix = "https://launcher.test/" + std::string(password.empty() ? "plain" : "locked") + "/";
    const QString path = dir.filePath(QString::fromStdString(password + "site.zip"));
    manager->AddArchiveProvider(prefix, WriteZip(path, Site("one"), password), password, 0, "");
    const int visit = password.empty() ? 0 : 10;  // each visit logs what no other did
    const std::string first = prefix + "index.html#" + std::to_string(visit);
    if (!client->browser) {
      Create(first);
    } else {
      client->browser->GetMainFrame()->LoadURL(first);
    }
    ASSERT_TRUE(WaitForConsole("index:one:#" + std::to_string(visit)));
    AlterMiddleByte(path);
    ASSERT_TRUE(Revisit(prefix, visit + 1, "one"));
    ASSERT_TRUE(recorder.WaitFor([&] { return Statuses(prefix + "app.js").size() >= 2; }));
    EXPECT_EQ(Statuses(prefix + "app.js"), (std::vector<int>{200, 304}));
    Run("fetch('app.js', {cache: 'no-store'}).then(r => r.text()).then(() => console.log('reread:" + password +
        ":read'), () => console.log('reread:" + password + ":failed'))");
    EXPECT_TRUE(WaitForConsole("reread:" + password + ":failed"));
  }
}

// A folder's file is revalidated by size and modification time: unchanged it
// gets 304, rewritten it is sent again.
TEST_F(ResourceCacheTest, FolderFilesAreRevalidatedAndAChangedOneServedFresh) {
  const std::string prefix = "https://launcher.test/folder/";
  for (const auto& [name, content] : Site("one")) WriteFile(dir.filePath("site/" + QString::fromStdString(name)), QByteArray::fromStdString(content));
  manager->AddDirectoryProvider(prefix, dir.filePath("site").toStdString(), 0, "");
  Create(prefix + "index.html#0");
  ASSERT_TRUE(WaitForConsole("index:one:#0"));
  ASSERT_TRUE(Revisit(prefix, 1, "one"));
  WriteFile(dir.filePath("site/app.js"), QByteArray::fromStdString(Site("two")[1].second));
  ASSERT_TRUE(Revisit(prefix, 2, "two"));
  ASSERT_TRUE(recorder.WaitFor([&] { return Statuses(prefix + "app.js").size() >= 3; }));
  EXPECT_EQ(Statuses(prefix + "app.js"), (std::vector<int>{200, 304, 200}));
}

// A page's own conditional request: 304 for the version the provider has,
// the whole body for any other tag (a stale or made-up one), from an archive
// and a folder alike.
TEST_F(ResourceCacheTest, ConditionalRequestsGet304OnlyForTheCurrentVersion) {
  manager->AddArchiveProvider("https://launcher.test/zip/", WriteZip(dir.filePath("c.zip"), Site("one"), "pw"), "pw", 0, "");
  for (const auto& [name, content] : Site("one")) WriteFile(dir.filePath("c/" + QString::fromStdString(name)), QByteArray::fromStdString(content));
  manager->AddDirectoryProvider("https://launcher.test/dir/", dir.filePath("c").toStdString(), 0, "");
  Create("https://launcher.test/zip/index.html#0");
  ASSERT_TRUE(WaitForConsole("index:one:#0"));
  Run("(async () => { const out = [];"
      " for (const base of ['/zip/app.js', '/dir/app.js']) {"
      "  const first = await fetch(base, {cache: 'no-store'}); const tag = first.headers.get('etag');"
      "  out.push(first.status + (tag ? ':tagged' : ':untagged') + ':' + first.headers.get('cache-control'));"
      "  for (const asked of [tag, '\"made-up\"', 'W/' + tag]) {"
      "   const r = await fetch(base, {cache: 'no-store', headers: {'If-None-Match': asked}});"
      "   out.push(r.status + ':' + (await r.text()).length); } }"
      " console.log('conditional:' + out.join(',')); })()");
  const std::string whole = std::to_string(Site("one")[1].second.size());
  const std::string each = "200:tagged:no-cache,304:0,200:" + whole + ",200:" + whole;
  EXPECT_TRUE(WaitForConsole("conditional:" + each + "," + each));
}

}  // namespace
