// Cookies through CefCookieManager beside real pages: set, read and deleted
// from both sides, refused when bad, and kept in the profile only when it has
// a cache path. Each test brings its own runtime up and down.
#include <QTemporaryDir>
#include <atomic>
#include <ctime>
#include <mutex>
#include <set>

#include "LogCapture.h"
#include "RecordingClient.h"
#include "RuntimeEnvironment.h"
#include "TestHttpServer.h"
#include "WaitUntil.h"
#include "include/cef_cookie.h"
#include "include/cef_task.h"

namespace {

// Every callback's answer and whether it came on TID_UI.
class Answers : public CefSetCookieCallback, public CefDeleteCookiesCallback, public CefCompletionCallback {
 public:
  void OnComplete(bool success) override { Note(success ? 1 : 0); }
  void OnComplete(int num_deleted) override { Note(num_deleted); }
  void OnComplete() override { Note(0); }

  // Waits for the next answer; -1 on time-out.
  int Next() {
    const size_t wanted = ++taken_;
    if (!WaitUntil([&] { return count_ >= wanted; })) return -1;
    std::lock_guard<std::mutex> lock(mutex_);
    return values_[wanted - 1];
  }
  bool AllOnUi() const { return allOnUi_; }

 private:
  void Note(int value) {
    if (!CefCurrentlyOn(TID_UI)) allOnUi_ = false;
    std::lock_guard<std::mutex> lock(mutex_);
    values_.push_back(value);
    count_ = values_.size();
  }
  std::mutex mutex_;
  std::vector<int> values_;
  std::atomic<size_t> count_{0};
  size_t taken_ = 0;
  std::atomic<bool> allOnUi_{true};
  IMPLEMENT_REFCOUNTING(Answers);
};

// Copies the cookies it visits; deletes those named in `doomed`.
class Collector : public CefCookieVisitor {
 public:
  explicit Collector(std::set<std::string> doomed = {}) : doomed_(std::move(doomed)) {}
  bool Visit(const CefCookie& cookie, int count, int total, bool& deleteCookie) override {
    EXPECT_TRUE(CefCurrentlyOn(TID_UI));
    EXPECT_LT(count, total);
    deleteCookie = doomed_.count(CefString(&cookie.name).ToString()) > 0;
    std::lock_guard<std::mutex> lock(mutex_);
    cookies_.push_back(cookie);
    return true;
  }
  std::map<std::string, CefCookie> ByName() {
    std::lock_guard<std::mutex> lock(mutex_);
    std::map<std::string, CefCookie> byName;
    for (const auto& cookie : cookies_) byName[CefString(&cookie.name).ToString()] = cookie;
    return byName;
  }

 private:
  const std::set<std::string> doomed_;
  std::mutex mutex_;
  std::vector<CefCookie> cookies_;
  IMPLEMENT_REFCOUNTING(Collector);
};

CefCookie MakeCookie(const std::string& name, const std::string& value, bool httpOnly = false, time_t expires = 0) {
  CefCookie cookie;
  CefString(&cookie.name) = name;
  CefString(&cookie.value) = value;
  CefString(&cookie.path) = "/";
  cookie.httponly = httpOnly;
  cookie.has_expires = expires != 0;
  if (expires) cef_time_from_timet(expires, &cookie.expires);
  return cookie;
}

class CookieTest : public ::testing::Test {
 protected:
  void TearDown() override { CefShutdown(); }

  static bool Initialize(const std::string& cachePath = std::string()) {
    CefSettings settings;
    settings.no_sandbox = 1;
    CefString(&settings.cache_path) = cachePath;
    char* argv[] = {const_cast<char*>("vell_cookie_tests"), nullptr};
    return CefInitialize(CefMainArgs(1, argv), settings, nullptr, nullptr);
  }

  // The cookies a visit sees: FlushStore answers after the visit is over.
  std::map<std::string, CefCookie> Visit(const std::string& url = std::string(), bool includeHttpOnly = true,
                                         std::set<std::string> doomed = {}) {
    CefRefPtr<CefCookieManager> manager = CefCookieManager::GetGlobalManager(nullptr);
    CefRefPtr<Collector> collector(new Collector(std::move(doomed)));
    EXPECT_TRUE(url.empty() ? manager->VisitAllCookies(collector)
                            : manager->VisitUrlCookies(url, includeHttpOnly, collector));
    EXPECT_TRUE(manager->FlushStore(answers.get()));
    EXPECT_EQ(answers->Next(), 0);
    return collector->ByName();
  }

  bool Set(const std::string& url, const CefCookie& cookie) {
    EXPECT_TRUE(CefCookieManager::GetGlobalManager(nullptr)->SetCookie(url, cookie, answers.get()));
    return answers->Next() == 1;
  }

  CefRefPtr<Answers> answers{new Answers()};
};

TEST_F(CookieTest, SetReadAndDeletedBesideAPage) {
  ASSERT_TRUE(Initialize());
  TestHttpServer server;
  server.Route("/", {200, "text/html", "<script>document.cookie = 'fromPage=1; path=/';"
                                       "console.log('cookies: ' + document.cookie);</script>"});
  const std::string url = server.Url("/");
  CefRefPtr<CefCookieManager> manager = CefCookieManager::GetGlobalManager(answers.get());
  ASSERT_TRUE(manager);
  EXPECT_EQ(answers->Next(), 0);

  const time_t tomorrow = time(nullptr) + 86400;
  ASSERT_TRUE(Set(url, MakeCookie("api", "v", false, tomorrow)));
  ASSERT_TRUE(Set(url, MakeCookie("secret", "s", true)));

  // The page sends and sees the API's cookies (not the HTTP-only one) and sets its own.
  EventRecorder recorder;
  CefRefPtr<RecordingClient> client(new RecordingClient(&recorder));
  ASSERT_TRUE(CefBrowserHost::CreateBrowser(CefWindowInfo(), client.get(), url, CefBrowserSettings(), nullptr, nullptr));
  ASSERT_TRUE(recorder.WaitFor([&] {
    for (const auto& event : recorder.Of("OnConsoleMessage")) {
      if (event.data["message"] == "cookies: api=v; fromPage=1") return true;
    }
    return false;
  }));

  auto sent = Visit(url, false);
  EXPECT_EQ(sent.size(), 2u);
  ASSERT_TRUE(sent.count("api") && sent.count("fromPage"));
  EXPECT_TRUE(sent["api"].has_expires);
  EXPECT_EQ(CefTime(sent["api"].expires).GetTimeT(), tomorrow);
  EXPECT_FALSE(sent["fromPage"].has_expires);
  EXPECT_EQ(CefString(&sent["api"].domain).ToString(), "127.0.0.1");
  EXPECT_EQ(CefString(&sent["api"].path).ToString(), "/");
  auto all = Visit(url, true);
  EXPECT_EQ(all.size(), 3u);
  EXPECT_TRUE(all["secret"].httponly);
  EXPECT_TRUE(Visit("http://localhost:1/").empty());

  // A visitor deletes, DeleteCookies counts.
  Visit(std::string(), true, {"fromPage"});
  EXPECT_FALSE(Visit().count("fromPage"));
  EXPECT_TRUE(manager->DeleteCookies(url, "api", answers.get()));
  EXPECT_EQ(answers->Next(), 1);
  EXPECT_TRUE(manager->DeleteCookies("", "", answers.get()));
  EXPECT_EQ(answers->Next(), 1);
  EXPECT_TRUE(Visit().empty());
  EXPECT_TRUE(answers->AllOnUi());

  client->browser->GetHost()->CloseBrowser(true);
  EXPECT_TRUE(recorder.WaitForKind("OnBeforeClose"));
  client->ForgetBrowsers();
}

TEST_F(CookieTest, BadCookiesAreRefusedWithALogLine) {
  ASSERT_TRUE(Initialize());
  LogCapture capture;
  CefRefPtr<CefCookieManager> manager = CefCookieManager::GetGlobalManager(nullptr);

  EXPECT_FALSE(manager->SetCookie("not a url", MakeCookie("a", "1"), answers.get()));
  EXPECT_EQ(answers->Next(), 0);
  CefCookie foreign = MakeCookie("b", "2");
  CefString(&foreign.domain) = "other.org";
  EXPECT_TRUE(manager->SetCookie("http://example.com/", foreign, answers.get()));
  EXPECT_EQ(answers->Next(), 0);
  EXPECT_TRUE(manager->SetCookie("http://example.com/", MakeCookie("c", "x;y"), answers.get()));
  EXPECT_EQ(answers->Next(), 0);
  EXPECT_FALSE(manager->VisitUrlCookies("file:///tmp", true, new Collector()));
  EXPECT_FALSE(manager->DeleteCookies("nothing", "a", answers.get()));

  EXPECT_EQ(capture.Matching("SetCookie").size(), 3u);
  EXPECT_EQ(capture.Matching("other.org").size(), 1u);
  EXPECT_TRUE(Visit().empty());
  EXPECT_TRUE(answers->AllOnUi());
}

TEST_F(CookieTest, KeptInTheProfileOnlyWithACachePath) {
  QTemporaryDir cache;
  ASSERT_TRUE(Initialize(cache.path().toStdString()));
  ASSERT_TRUE(Set("http://example.com/", MakeCookie("kept", "1", false, time(nullptr) + 86400)));
  CefShutdown();
  ASSERT_TRUE(Initialize(cache.path().toStdString()));
  EXPECT_TRUE(Visit("http://example.com/").count("kept"));
  CefShutdown();

  ASSERT_TRUE(Initialize());
  EXPECT_TRUE(Visit().empty());
  ASSERT_TRUE(Set("http://example.com/", MakeCookie("lost", "1", false, time(nullptr) + 86400)));
  CefShutdown();
  ASSERT_TRUE(Initialize());
  EXPECT_TRUE(Visit().empty());
}

}  // namespace
