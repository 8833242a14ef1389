// Request contexts with real pages: browsers of two contexts keep their
// cookies, localStorage and cache apart from each other and from the global
// context; contexts made from another or with the same cache path share its
// storage; a context's storage goes once its last browser and reference are
// gone; bad input is refused with a log line.
#include <signal.h>

#include <QTemporaryDir>
#include <algorithm>
#include <atomic>
#include <memory>
#include <mutex>
#include <set>

#include "LogCapture.h"
#include "RecordingClient.h"
#include "RuntimeEnvironment.h"
#include "TestHttpServer.h"
#include "WaitUntil.h"
#include "include/cef_cookie.h"
#include "include/cef_request_context.h"
#include "include/cef_task.h"
#include "testing_hooks.h"

namespace {

const auto* const g_environment = ::testing::AddGlobalTestEnvironment(new RuntimeEnvironment());

// A browser of its own client, in a given request context.
class ContextPage {
 public:
  bool Open(const std::string& url, CefRefPtr<CefRequestContext> context) {
    if (!CefBrowserHost::CreateBrowser(CefWindowInfo(), client.get(), url, CefBrowserSettings(), nullptr, context)) {
      return false;
    }
    if (!recorder.WaitForKind("OnAfterCreated")) return false;
    browser = client->browser;
    return recorder.WaitFor([&] {
      for (const auto& event : recorder.Of("OnLoadEnd")) {
        if (event.data.value("main", false)) return true;
      }
      return false;
    });
  }
  // The page's value of `expression` (a Promise's once it settles), as text.
  std::string Eval(const std::string& expression) {
    const std::string tag = "answer" + std::to_string(++asked_) + ":";
    browser->GetMainFrame()->ExecuteJavaScript("Promise.resolve(" + expression + ").then(v => console.log('" + tag +
                                                   "' + v), e => console.log('" + tag + "!' + e))",
                                               "test://eval", 0);
    std::string answer = "(no answer)";
    recorder.WaitFor([&] {
      for (const auto& event : recorder.Of("OnConsoleMessage")) {
        const std::string message = event.data.value("message", std::string());
        if (message.rfind(tag, 0) == 0) {
          answer = message.substr(tag.size());
          return true;
        }
      }
      return false;
    });
    return answer;
  }
  void Close() {
    if (!browser) return;
    browser->GetHost()->CloseBrowser(true);
    EXPECT_TRUE(recorder.WaitForKind("OnBeforeClose"));
    client->ForgetBrowsers();
    browser = nullptr;
  }
  ~ContextPage() { Close(); }

  EventRecorder recorder;
  CefRefPtr<RecordingClient> client{new RecordingClient(&recorder)};
  CefRefPtr<CefBrowser> browser;

 private:
  int asked_ = 0;
};

// The cookies a manager holds, by name, as "name=value".
class CookieNames : public CefCookieVisitor, public CefCompletionCallback {
 public:
  bool Visit(const CefCookie& cookie, int, int, bool&) override {
    std::lock_guard<std::mutex> lock(mutex_);
    names_.insert(CefString(&cookie.name).ToString() + "=" + CefString(&cookie.value).ToString());
    return true;
  }
  void OnComplete() override { done_ = true; }
  // Visits every cookie of `manager`; FlushStore answers after the visit.
  static std::set<std::string> Of(CefRefPtr<CefCookieManager> manager) {
    CefRefPtr<CookieNames> names(new CookieNames());
    EXPECT_TRUE(manager->VisitAllCookies(names.get()));
    EXPECT_TRUE(manager->FlushStore(names.get()));
    EXPECT_TRUE(WaitUntil([&] { return names->done_.load(); }));
    std::lock_guard<std::mutex> lock(names->mutex_);
    return names->names_;
  }

 private:
  std::mutex mutex_;
  std::set<std::string> names_;
  std::atomic<bool> done_{false};
  IMPLEMENT_REFCOUNTING(CookieNames);
};

// Tells of each context initialised, and whether that was on TID_UI.
class InitialisedContexts : public CefRequestContextHandler {
 public:
  void OnRequestContextInitialized(CefRefPtr<CefRequestContext> context) override {
    std::lock_guard<std::mutex> lock(mutex_);
    contexts_.push_back(context);
    if (!CefCurrentlyOn(TID_UI)) offUi_ = true;
  }
  size_t Count() {
    std::lock_guard<std::mutex> lock(mutex_);
    return contexts_.size();
  }
  CefRefPtr<CefRequestContext> At(size_t index) {
    std::lock_guard<std::mutex> lock(mutex_);
    return index < contexts_.size() ? contexts_[index] : nullptr;
  }
  void Forget() {
    std::lock_guard<std::mutex> lock(mutex_);
    contexts_.clear();
  }
  bool OffUi() const { return offUi_; }

 private:
  std::mutex mutex_;
  std::vector<CefRefPtr<CefRequestContext>> contexts_;
  std::atomic<bool> offUi_{false};
  IMPLEMENT_REFCOUNTING(InitialisedContexts);
};

class RequestContextTest : public ::testing::Test {
 protected:
  void SetUp() override {
    server.Route("/page", {200, "text/html", "<title>page</title>"});
    server.Route("/cached.txt", {200, "text/plain", "cached", 0, "Cache-Control: max-age=3600\r\n"});
  }
  static CefRefPtr<CefRequestContext> NewContext(const std::string& cachePath = std::string(),
                                                 CefRefPtr<CefRequestContextHandler> handler = nullptr) {
    CefRequestContextSettings settings;
    CefString(&settings.cache_path) = cachePath;
    return CefRequestContext::CreateContext(settings, handler);
  }
  // The cookie and localStorage entry "who" the page sees.
  static std::string Who(ContextPage& page) {
    return page.Eval("(document.cookie.match(/who=(\\w+)/) || [, ''])[1] + '|' + (localStorage.getItem('who') || '')");
  }
  static void SetWho(ContextPage& page, const std::string& who) {
    EXPECT_EQ(page.Eval("(document.cookie = 'who=" + who + "; max-age=3600', localStorage.setItem('who', '" + who +
                        "'), 'set')"),
              "set");
  }

  TestHttpServer server;
};

TEST_F(RequestContextTest, TwoContextsKeepCookiesStorageAndCacheApart) {
  CefRefPtr<InitialisedContexts> initialised(new InitialisedContexts());
  CefRefPtr<CefRequestContext> first = NewContext(std::string(), initialised.get());
  CefRefPtr<CefRequestContext> second = NewContext(std::string(), initialised.get());
  ASSERT_TRUE(first && second);
  EXPECT_FALSE(first->IsGlobal());
  EXPECT_FALSE(first->IsSame(second));
  EXPECT_FALSE(first->IsSharingWith(second));
  EXPECT_FALSE(first->IsSharingWith(CefRequestContext::GetGlobalContext()));
  EXPECT_TRUE(first->IsSame(first));
  EXPECT_EQ(first->GetHandler().get(), initialised.get());
  EXPECT_TRUE(first->GetCachePath().empty());
  EXPECT_TRUE(CefRequestContext::GetGlobalContext()->IsGlobal());
  EXPECT_TRUE(CefRequestContext::GetGlobalContext()->IsSame(CefRequestContext::GetGlobalContext()));

  ContextPage a, b, global;
  ASSERT_TRUE(a.Open(server.Url("/page"), first));
  ASSERT_TRUE(b.Open(server.Url("/page"), second));
  ASSERT_TRUE(global.Open(server.Url("/page"), nullptr));
  EXPECT_TRUE(a.browser->GetHost()->GetRequestContext()->IsSame(first));
  EXPECT_TRUE(global.browser->GetHost()->GetRequestContext()->IsGlobal());
  ASSERT_TRUE(WaitUntil([&] { return initialised->Count() == 2; }));
  EXPECT_FALSE(initialised->OffUi());
  EXPECT_TRUE(initialised->At(0)->IsSame(first) || initialised->At(0)->IsSame(second));
  initialised->Forget();

  SetWho(a, "alpha");
  SetWho(b, "beta");
  EXPECT_EQ(Who(a), "alpha|alpha");
  EXPECT_EQ(Who(b), "beta|beta");
  EXPECT_EQ(Who(global), "|");

  // Each context's cookie manager holds its own cookies only.
  EXPECT_TRUE(CookieNames::Of(first->GetCookieManager(nullptr)).count("who=alpha"));
  EXPECT_FALSE(CookieNames::Of(first->GetCookieManager(nullptr)).count("who=beta"));
  EXPECT_TRUE(CookieNames::Of(second->GetCookieManager(nullptr)).count("who=beta"));
  const auto globalCookies = CookieNames::Of(CefCookieManager::GetGlobalManager(nullptr));
  EXPECT_FALSE(globalCookies.count("who=alpha") || globalCookies.count("who=beta"));

  // The HTTP cache too: a response kept by one context is fetched again by the others.
  const std::string fetch = "fetch('/cached.txt').then(r => r.text())";
  EXPECT_EQ(a.Eval(fetch), "cached");
  EXPECT_EQ(a.Eval(fetch), "cached");
  EXPECT_EQ(server.RequestsFor("/cached.txt").size(), 1u);
  EXPECT_EQ(b.Eval(fetch), "cached");
  EXPECT_EQ(server.RequestsFor("/cached.txt").size(), 2u);
  EXPECT_EQ(global.Eval(fetch), "cached");
  EXPECT_EQ(server.RequestsFor("/cached.txt").size(), 3u);
}

TEST_F(RequestContextTest, ContextsMadeFromAnotherOrFromOnePathShareItsStorage) {
  LogCapture capture;
  QTemporaryDir cache;
  CefRefPtr<CefRequestContext> original = NewContext();
  CefRefPtr<CefRequestContext> sharing = CefRequestContext::CreateContext(original, nullptr);
  ASSERT_TRUE(sharing);
  EXPECT_TRUE(sharing->IsSharingWith(original));
  EXPECT_TRUE(original->IsSharingWith(sharing));
  EXPECT_FALSE(sharing->IsSame(original));

  ContextPage first, second;
  ASSERT_TRUE(first.Open(server.Url("/page"), original));
  SetWho(first, "shared");
  ASSERT_TRUE(second.Open(server.Url("/page"), sharing));
  EXPECT_EQ(Who(second), "shared|shared");

  // Two contexts of one cache path (not the global one's) share a storage
  // kept in memory, and say so once.
  const std::string path = cache.filePath("profile").toStdString();
  CefRefPtr<CefRequestContext> one = NewContext(path);
  CefRefPtr<CefRequestContext> other = NewContext(path);
  EXPECT_TRUE(one->IsSharingWith(other));
  EXPECT_FALSE(one->IsSharingWith(original));
  EXPECT_EQ(one->GetCachePath().ToString(), path);
  EXPECT_EQ(capture.Matching("request context cache path " + path + ": kept in memory").size(), 1u);
  ContextPage third, fourth;
  ASSERT_TRUE(third.Open(server.Url("/page"), one));
  SetWho(third, "pathed");
  ASSERT_TRUE(fourth.Open(server.Url("/page"), other));
  EXPECT_EQ(Who(fourth), "pathed|pathed");
  EXPECT_EQ(Who(first), "shared|shared");
}

// The storages Chromium holds that were not in `before`.
std::set<std::string> NewStorages(const std::set<std::string>& before) {
  std::set<std::string> added;
  for (const std::string& id : cefcompat::BrowserContextsForTesting()) {
    if (!before.count(id)) added.insert(id);
  }
  return added;
}

TEST_F(RequestContextTest, StorageGoesWithTheLastBrowserAndReference) {
  const auto listed = cefcompat::BrowserContextsForTesting();
  const std::set<std::string> before(listed.begin(), listed.end());
  CefRefPtr<CefRequestContext> context = NewContext();
  auto page = std::make_unique<ContextPage>();
  ASSERT_TRUE(page->Open(server.Url("/page"), context));
  const std::set<std::string> made = NewStorages(before);
  ASSERT_EQ(made.size(), 1u);
  const std::string id = *made.begin();
  auto held = [&] {
    const auto now = cefcompat::BrowserContextsForTesting();
    return std::find(now.begin(), now.end(), id) != now.end();
  };

  // The browser alone keeps it.
  CefRefPtr<CefCookieManager> cookies = context->GetCookieManager(nullptr);
  context = nullptr;
  cookies = nullptr;
  SetWho(*page, "kept");
  EXPECT_EQ(Who(*page), "kept|kept");
  EXPECT_TRUE(held());
  page.reset();
  EXPECT_TRUE(WaitUntil([&] { return !held(); }));

  // So does the context alone, and a global browser never makes one.
  context = NewContext();
  ContextPage other;
  ASSERT_TRUE(other.Open(server.Url("/page"), context));
  const std::set<std::string> second = NewStorages(before);
  ASSERT_EQ(second.size(), 1u);
  other.Close();
  ContextPage global;
  ASSERT_TRUE(global.Open(server.Url("/page"), CefRequestContext::GetGlobalContext()));
  EXPECT_EQ(NewStorages(before), second);
  context = nullptr;
  EXPECT_TRUE(WaitUntil([&] { return NewStorages(before).empty(); }));
}

TEST_F(RequestContextTest, BadInputIsRefusedWithALogLine) {
  LogCapture capture;
  EXPECT_FALSE(CefRequestContext::CreateContext(CefRefPtr<CefRequestContext>(), nullptr));
  EXPECT_EQ(capture.Matching("CreateContext: no context to share with").size(), 1u);

  CefRequestContextSettings settings;
  settings.persist_session_cookies = 1;
  CefString(&settings.accept_language_list) = "de";
  CefRefPtr<CefRequestContext> context = CefRequestContext::CreateContext(settings, nullptr);
  ASSERT_TRUE(context);
  EXPECT_EQ(capture.Matching("CefRequestContextSettings::persist_session_cookies is not used").size(), 1u);
  EXPECT_EQ(capture.Matching("CefRequestContextSettings::accept_language_list is not used").size(), 1u);
  EXPECT_FALSE(context->IsSame(nullptr));
  EXPECT_FALSE(context->IsSharingWith(nullptr));

  // Its cookie manager refuses bad cookies as the global one does.
  ContextPage page;
  ASSERT_TRUE(page.Open(server.Url("/page"), context));
  CefCookie cookie;
  CefString(&cookie.name) = "bad";
  CefString(&cookie.value) = "a;b";
  EXPECT_FALSE(context->GetCookieManager(nullptr)->SetCookie("not a url", cookie, nullptr));
  EXPECT_EQ(page.Eval("document.cookie"), "");
}

// Chromium's storages die with it: a context's is made anew, empty, on the next one.
TEST_F(RequestContextTest, AfterChromiumIsStartedAgainAContextHasAFreshStorage) {
  CefRefPtr<CefRequestContext> context = NewContext();
  auto before = std::make_unique<ContextPage>();
  ASSERT_TRUE(before->Open(server.Url("/page"), context));
  SetWho(*before, "lost");
  kill(cefcompat::ChromiumPidForTesting(), SIGKILL);
  ASSERT_TRUE(before->recorder.WaitForKind("OnBeforeClose"));
  before->client->ForgetBrowsers();
  before->browser = nullptr;

  ContextPage after;
  ASSERT_TRUE(after.Open(server.Url("/page"), context));
  EXPECT_EQ(Who(after), "|");
  SetWho(after, "fresh");
  EXPECT_EQ(Who(after), "fresh|fresh");
  const auto cookies = CookieNames::Of(context->GetCookieManager(nullptr));
  EXPECT_TRUE(cookies.count("who=fresh"));
  EXPECT_FALSE(cookies.count("who=lost"));
}

}  // namespace
