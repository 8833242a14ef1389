// Custom schemes and scheme handler factories on real pages: a site served
// from "launcher://app/", both forms of CefResourceHandler answering at once
// and later from another thread, handlers that fail, and factories removed.
#include <algorithm>
#include <atomic>
#include <map>
#include <set>

#include "LogCapture.h"
#include "RuntimeEnvironment.h"
#include "TestApp.h"
#include "TestHttpServer.h"
#include "include/cef_cookie.h"
#include "include/cef_scheme.h"
#include "include/cef_task.h"
#include "include/wrapper/cef_closure_task.h"
#include "testing_hooks.h"

namespace {

// Every line the runtime logs, from before it starts.
LogCapture& StartLog() {
  static LogCapture log;
  return log;
}

// What OnRegisterCustomSchemes was told for each call, in order.
std::vector<std::pair<std::string, bool>>& Added() {
  static std::vector<std::pair<std::string, bool>> added;
  return added;
}

class SchemeApp : public CefApp {
 public:
  void OnRegisterCustomSchemes(CefRawPtr<CefSchemeRegistrar> registrar) override {
    const std::pair<const char*, int> schemes[] = {
        {"launcher", CEF_SCHEME_OPTION_STANDARD | CEF_SCHEME_OPTION_SECURE | CEF_SCHEME_OPTION_CORS_ENABLED |
                         CEF_SCHEME_OPTION_FETCH_ENABLED},
        {"plainsite", CEF_SCHEME_OPTION_STANDARD},
        {"note", CEF_SCHEME_OPTION_NONE},
        {"launcher", CEF_SCHEME_OPTION_STANDARD},
        {"https", CEF_SCHEME_OPTION_STANDARD},
        {"9lives", CEF_SCHEME_OPTION_STANDARD},
    };
    for (const auto& [name, options] : schemes) Added().emplace_back(name, registrar->AddCustomScheme(name, options));
  }

 private:
  IMPLEMENT_REFCOUNTING(SchemeApp);
};

const bool g_started = (StartLog(), true);
const bool g_factory = SetTestAppFactory([] { return CefRefPtr<CefApp>(new SchemeApp()); });
const auto* const g_environment = ::testing::AddGlobalTestEnvironment(new RuntimeEnvironment(MakeTestApp()));

// Runs `task` later on another thread than the caller's.
void Later(std::function<void()> task) { CefPostTask(TID_FILE_USER_VISIBLE, CefCreateClosureTask(std::move(task))); }

// How a handler answers.
enum class Answer { kAtOnce, kLater };

// A body of `size` bytes that tells its offset: "abc...z" repeated.
std::string Pattern(size_t size) {
  std::string body(size, '\0');
  for (size_t i = 0; i < size; ++i) body[i] = static_cast<char>('a' + i % 26);
  return body;
}

// Serves `body` through Open, GetResponseHeaders, Skip and Read (CEF 89's
// form), at once or later; `failAfter` >= 0 fails the body after that many
// bytes; `knownLength` false leaves the length to the end of the body.
class NewHandler : public CefResourceHandler {
 public:
  NewHandler(std::string mime, std::string body, Answer answer, bool knownLength = true, long failAfter = -1)
      : mime_(std::move(mime)), body_(std::move(body)), answer_(answer), knownLength_(knownLength), failAfter_(failAfter) {}

  bool Open(CefRefPtr<CefRequest>, bool& handle_request, CefRefPtr<CefCallback> callback) override {
    handle_request = answer_ == Answer::kAtOnce;
    if (answer_ == Answer::kLater) Later([callback] { callback->Continue(); });
    return true;
  }
  void GetResponseHeaders(CefRefPtr<CefResponse> response, int64& response_length, CefString&) override {
    response->SetStatus(200);
    response->SetMimeType(mime_);
    response->SetHeaderByName("X-Served-By", "new", true);
    response_length = knownLength_ ? static_cast<int64>(body_.size()) : -1;
  }
  bool Skip(int64 bytes_to_skip, int64& bytes_skipped, CefRefPtr<CefResourceSkipCallback> callback) override {
    const int64 skip = std::min<int64>(bytes_to_skip, static_cast<int64>(body_.size() - offset_));
    offset_ += static_cast<size_t>(skip);
    bytes_skipped = answer_ == Answer::kAtOnce ? skip : 0;
    if (answer_ == Answer::kLater) Later([callback, skip] { callback->Continue(skip); });
    return true;
  }
  bool Read(void* data_out, int bytes_to_read, int& bytes_read, CefRefPtr<CefResourceReadCallback> callback) override {
    bytes_read = 0;
    if (failAfter_ >= 0 && offset_ >= static_cast<size_t>(failAfter_)) {
      bytes_read = ERR_FAILED;
      return false;
    }
    const size_t limit = failAfter_ >= 0 ? static_cast<size_t>(failAfter_) : body_.size();
    const int count = static_cast<int>(std::min<size_t>(static_cast<size_t>(bytes_to_read), limit - offset_));
    if (count == 0) return false;
    const char* from = body_.data() + offset_;
    offset_ += static_cast<size_t>(count);
    if (answer_ == Answer::kAtOnce) {
      memcpy(data_out, from, static_cast<size_t>(count));
      bytes_read = count;
      return true;
    }
    Later([data_out, from, count, callback] {
      memcpy(data_out, from, static_cast<size_t>(count));
      callback->Continue(count);
    });
    return true;
  }
  void Cancel() override { ++cancels; }

  static std::atomic<int> cancels;

 private:
  const std::string mime_;
  const std::string body_;
  const Answer answer_;
  const bool knownLength_;
  const long failAfter_;
  size_t offset_ = 0;
  IMPLEMENT_REFCOUNTING(NewHandler);
};
std::atomic<int> NewHandler::cancels{0};

// A handler that leaves Skip as CEF declares it: it cannot skip.
class NoSkipHandler : public NewHandler {
 public:
  using NewHandler::NewHandler;
  bool Skip(int64, int64& bytes_skipped, CefRefPtr<CefResourceSkipCallback>) override {
    bytes_skipped = -2;
    return false;
  }
};

// Serves `body` through ProcessRequest and ReadResponse (the older form),
// at once or later.
class OldHandler : public CefResourceHandler {
 public:
  OldHandler(std::string mime, std::string body, Answer answer) : mime_(std::move(mime)), body_(std::move(body)), answer_(answer) {}

  bool ProcessRequest(CefRefPtr<CefRequest>, CefRefPtr<CefCallback> callback) override {
    if (answer_ == Answer::kAtOnce) {
      callback->Continue();
    } else {
      Later([callback] { callback->Continue(); });
    }
    return true;
  }
  void GetResponseHeaders(CefRefPtr<CefResponse> response, int64& response_length, CefString&) override {
    response->SetStatus(200);
    response->SetMimeType(mime_);
    response_length = -1;
  }
  bool ReadResponse(void* data_out, int bytes_to_read, int& bytes_read, CefRefPtr<CefCallback> callback) override {
    bytes_read = 0;
    if (offset_ == body_.size()) return false;
    if (answer_ == Answer::kLater && !ready_) {
      // Data comes later: ReadResponse is asked again once the callback continues.
      Later([this, callback] {
        ready_ = true;
        callback->Continue();
      });
      return true;
    }
    ready_ = false;
    const size_t count = std::min(static_cast<size_t>(bytes_to_read), body_.size() - offset_);
    memcpy(data_out, body_.data() + offset_, count);
    offset_ += count;
    bytes_read = static_cast<int>(count);
    return true;
  }
  void Cancel() override {}

 private:
  const std::string mime_;
  const std::string body_;
  const Answer answer_;
  size_t offset_ = 0;
  std::atomic<bool> ready_{false};
  IMPLEMENT_REFCOUNTING(OldHandler);
};

// Opens and never answers, or cancels at once.
class SilentHandler : public CefResourceHandler {
 public:
  explicit SilentHandler(bool cancelAtOnce) : cancelAtOnce_(cancelAtOnce) {}
  bool Open(CefRefPtr<CefRequest>, bool& handle_request, CefRefPtr<CefCallback> callback) override {
    kept_ = callback;
    handle_request = cancelAtOnce_;
    return !cancelAtOnce_;
  }
  void GetResponseHeaders(CefRefPtr<CefResponse>, int64&, CefString&) override {}
  void Cancel() override {
    kept_ = nullptr;
    ++NewHandler::cancels;
  }

 private:
  const bool cancelAtOnce_;
  CefRefPtr<CefCallback> kept_;
  IMPLEMENT_REFCOUNTING(SilentHandler);
};

// Answers that the page moved to another of the scheme's URLs.
class MovedHandler : public CefResourceHandler {
 public:
  bool Open(CefRefPtr<CefRequest>, bool& handle_request, CefRefPtr<CefCallback>) override {
    handle_request = true;
    return true;
  }
  void GetResponseHeaders(CefRefPtr<CefResponse> response, int64& response_length, CefString&) override {
    response->SetStatus(301);
    response->SetHeaderByName("Location", "launcher://app/second.html", true);
    response_length = 0;
  }
  void Cancel() override {}

 private:
  IMPLEMENT_REFCOUNTING(MovedHandler);
};

const char kIndex[] =
    "<title>index</title><img id=pic src='pic.svg'><script src='app.js'></script>";
const char kApp[] = R"JS(
document.cookie = 'visit=1';
localStorage.setItem('seen', 'yes');
const xhr = (url) => new Promise((resolve, reject) => {
  const request = new XMLHttpRequest();
  request.open('GET', url);
  request.onload = () => resolve(request.responseText);
  request.onerror = () => reject(new Error('xhr failed'));
  request.send();
});
const pic = document.getElementById('pic');
const drawn = pic.complete ? Promise.resolve() : new Promise(r => pic.onload = r);
Promise.all([fetch('data.json').then(r => r.json()), xhr('/data.json?by=xhr'), drawn]).then(([data, text]) =>
  console.log('site:' + location.origin + '|' + data.value + '|' + JSON.parse(text).value + '|' + pic.naturalWidth +
              '|' + isSecureContext + '|' + document.cookie + '|' + localStorage.getItem('seen')));
)JS";
const char kPicture[] = "<svg xmlns='http://www.w3.org/2000/svg' width='7' height='5'><rect width='7' height='5'/></svg>";

// Serves the launcher's site: each path names the handler that answers it.
// Records each Create (TID_IO, browser and frame given).
class SiteFactory : public CefSchemeHandlerFactory {
 public:
  explicit SiteFactory(EventRecorder* recorder) : recorder_(recorder) {}
  CefRefPtr<CefResourceHandler> Create(CefRefPtr<CefBrowser> browser, CefRefPtr<CefFrame> frame, const CefString& scheme_name,
                                       CefRefPtr<CefRequest> request) override {
    const std::string url = request->GetURL().ToString();
    recorder_->Record("Create", {{"scheme", scheme_name.ToString()},
                                 {"url", url},
                                 {"onIo", CefCurrentlyOn(TID_IO)},
                                 {"browser", browser != nullptr},
                                 {"frame", frame != nullptr}});
    // A scheme without hosts: its URLs are "note:<text>".
    if (scheme_name == "note") return new NewHandler("text/html", "<title>" + url.substr(5) + "</title>", Answer::kAtOnce);
    const std::string path = url.substr(url.find('/', url.find("//") + 2));
    const std::string file = path.substr(0, path.find('?'));
    if (file == "/index.html") return new NewHandler("text/html", kIndex, Answer::kAtOnce);
    if (file == "/second.html") return new OldHandler("text/html", "<title>second</title>", Answer::kLater);
    if (file == "/app.js") return new NewHandler("text/javascript", kApp, Answer::kLater);
    if (file == "/data.json") return new OldHandler("application/json", "{\"value\": 42}", Answer::kAtOnce);
    if (file == "/pic.svg") return new NewHandler("image/svg+xml", kPicture, Answer::kAtOnce);
    if (file.rfind("/body/", 0) == 0) return Body(file.substr(6));
    if (file == "/moved.html") return new MovedHandler();
    if (file == "/silent.html") return new SilentHandler(false);
    if (file == "/refused.html") return new SilentHandler(true);
    return nullptr;
  }

 private:
  // "/body/<form>-<when>-<size>", e.g. "new-later-300000" or "old-now-10".
  static CefRefPtr<CefResourceHandler> Body(const std::string& name) {
    const size_t first = name.find('-');
    const size_t second = name.find('-', first + 1);
    const std::string form = name.substr(0, first);
    const Answer answer = name.substr(first + 1, second - first - 1) == "now" ? Answer::kAtOnce : Answer::kLater;
    const size_t size = std::stoul(name.substr(second + 1));
    if (form == "old") return new OldHandler("text/plain", Pattern(size), answer);
    if (form == "unsized") return new NewHandler("text/plain", Pattern(size), answer, false);
    if (form == "noskip") return new NoSkipHandler("text/plain", Pattern(size), answer);
    if (form == "broken") return new NewHandler("text/plain", Pattern(size), answer, true, 1000);
    if (form == "unsizedbroken") return new NewHandler("text/plain", Pattern(size), answer, false, 300000);
    return new NewHandler("text/plain", Pattern(size), answer);
  }

  EventRecorder* recorder_;
  IMPLEMENT_REFCOUNTING(SiteFactory);
};

// Records the name and domain of each cookie it visits.
class CookieNames : public CefCookieVisitor {
 public:
  explicit CookieNames(EventRecorder* recorder) : recorder_(recorder) {}
  bool Visit(const CefCookie& cookie, int, int, bool&) override {
    recorder_->Record("Cookie", {{"name", CefString(&cookie.name).ToString()}, {"domain", CefString(&cookie.domain).ToString()}});
    return true;
  }

 private:
  EventRecorder* recorder_;
  IMPLEMENT_REFCOUNTING(CookieNames);
};

// Records the address each main frame shows.
class AddressClient : public RecordingClient {
 public:
  explicit AddressClient(EventRecorder* recorder) : RecordingClient(recorder), recorder_(recorder) {}
  void OnAddressChange(CefRefPtr<CefBrowser>, CefRefPtr<CefFrame> frame, const CefString& url) override {
    recorder_->Record("OnAddressChange", {{"url", url.ToString()}, {"main", frame->IsMain()}});
  }

 private:
  EventRecorder* recorder_;
};

// A client with no request handler: only factories serve its requests.
class FactoryOnlyClient : public AddressClient {
 public:
  using AddressClient::AddressClient;
  CefRefPtr<CefRequestHandler> GetRequestHandler() override { return nullptr; }
};

class SchemeHandlerTest : public BrowserTest {
 protected:
  void SetUp() override {
    client = new AddressClient(&recorder);
    ASSERT_TRUE(CefRegisterSchemeHandlerFactory("launcher", "app", factory));
  }
  void TearDown() override {
    BrowserTest::TearDown();
    CefClearSchemeHandlerFactories();
    cefcompat::SetResourceHandlerTimeoutForTesting(30000);
  }
  // Fetches each path in the page and logs "<tag>:<path>=<length>:<checksum>" or "<tag>:<path>=failed".
  void FetchAll(const std::string& tag, const std::vector<std::string>& paths) {
    std::string list;
    for (const auto& path : paths) list += (list.empty() ? "'" : ",'") + path + "'";
    Run("for (const path of [" + list + "]) fetch(path).then(r => r.text()).then(t => {"
        "  let sum = 0; for (let i = 0; i < t.length; ++i) sum = (sum * 31 + t.charCodeAt(i)) >>> 0;"
        "  console.log('" + tag + ":' + path + '=' + t.length + ':' + sum); },"
        "  () => console.log('" + tag + ":' + path + '=failed'));");
  }
  static std::string Expected(const std::string& tag, const std::string& path, size_t size) {
    const std::string body = Pattern(size);
    uint32_t sum = 0;
    for (char c : body) sum = sum * 31 + static_cast<uint32_t>(c);
    return tag + ":" + path + "=" + std::to_string(size) + ":" + std::to_string(sum);
  }
  std::vector<nlohmann::json> Creates() {
    std::vector<nlohmann::json> all;
    for (const auto& event : recorder.Of("Create")) all.push_back(event.data);
    return all;
  }

  CefRefPtr<SiteFactory> factory{new SiteFactory(&recorder)};
};

TEST_F(SchemeHandlerTest, CustomSchemesAreAddedOncePerNameAndNeverOverChromiumsOwn) {
  const std::vector<std::pair<std::string, bool>> expected = {
      {"launcher", true}, {"plainsite", true}, {"note", true}, {"launcher", false}, {"https", false}, {"9lives", false}};
  EXPECT_EQ(Added(), expected);
  EXPECT_FALSE(StartLog().Matching("'launcher' was already added; refused").empty());
  EXPECT_FALSE(StartLog().Matching("'https' is one of Chromium's own schemes; refused").empty());
  EXPECT_FALSE(StartLog().Matching("'9lives' is not a scheme name; refused").empty());
}

TEST_F(SchemeHandlerTest, ASiteFromACustomSchemeLoadsWithItsSubresourcesFetchAndXhr) {
  Create("launcher://app/index.html");
  ASSERT_TRUE(WaitForMainLoadEnd());
  EXPECT_TRUE(WaitForConsole("site:https://app.launcher.invalid|42|42|7|true|visit=1|yes"));
  EXPECT_EQ(browser->GetMainFrame()->GetURL().ToString(), "launcher://app/index.html");
  EXPECT_EQ(recorder.Of("OnLoadEnd")[0].data["status"], 200);
  ASSERT_FALSE(recorder.Of("OnAddressChange").empty());
  EXPECT_EQ(recorder.Of("OnAddressChange").back().data["url"], "launcher://app/index.html");
  std::set<std::string> urls;
  for (const auto& create : Creates()) {
    urls.insert(create["url"].get<std::string>());
    EXPECT_EQ(create["scheme"], "launcher");
    EXPECT_TRUE(create["onIo"].get<bool>());
    EXPECT_TRUE(create["browser"].get<bool>());
    EXPECT_TRUE(create["frame"].get<bool>());
  }
  for (const char* url : {"launcher://app/index.html", "launcher://app/app.js", "launcher://app/pic.svg",
                          "launcher://app/data.json", "launcher://app/data.json?by=xhr"}) {
    EXPECT_TRUE(urls.count(url)) << url;
  }
  // The cookie manager knows the page's cookies by the scheme's URL.
  ASSERT_TRUE(CefCookieManager::GetGlobalManager(nullptr)->VisitUrlCookies("launcher://app/index.html", true,
                                                                           new CookieNames(&recorder)));
  ASSERT_TRUE(recorder.WaitForKind("Cookie"));
  EXPECT_EQ(recorder.Of("Cookie")[0].data["name"], "visit");
  EXPECT_EQ(recorder.Of("Cookie")[0].data["domain"], "app.launcher.invalid");

  // The page names the scheme's URL itself: the runtime loads it at its stand-in.
  Run("location.href = 'launcher://app/second.html'");
  ASSERT_TRUE(WaitForMainLoadEnd(2));
  EXPECT_EQ(browser->GetMainFrame()->GetURL().ToString(), "launcher://app/second.html");
  EXPECT_EQ(recorder.Of("OnAddressChange").back().data["url"], "launcher://app/second.html");
  EXPECT_EQ(recorder.Count("OnLoadError"), 0u);
  Run("console.log('title:' + document.title)");
  EXPECT_TRUE(WaitForConsole("title:second"));

  // A redirect to the scheme's URL is followed to its stand-in.
  browser->GetMainFrame()->LoadURL("launcher://app/index.html");
  ASSERT_TRUE(WaitForMainLoadEnd(3));
  browser->GetMainFrame()->LoadURL("launcher://app/moved.html");
  ASSERT_TRUE(WaitForMainLoadEnd(4));
  EXPECT_EQ(browser->GetMainFrame()->GetURL().ToString(), "launcher://app/second.html");
  EXPECT_EQ(recorder.Count("OnLoadError"), 0u);
}

TEST_F(SchemeHandlerTest, BothHandlerFormsServeBodiesAtOnceAndLaterFromAnotherThread) {
  Create("launcher://app/index.html");
  ASSERT_TRUE(WaitForMainLoadEnd());
  // Small bodies go inline, large ones and those of unknown length from the loopback server.
  const std::vector<std::pair<std::string, size_t>> bodies = {
      {"/body/new-now-10", 10},           {"/body/new-later-5000", 5000},     {"/body/old-now-70000", 70000},
      {"/body/old-later-90000", 90000},   {"/body/new-later-600000", 600000}, {"/body/unsized-later-400000", 400000},
      {"/body/old-later-700000", 700000}, {"/body/new-now-0", 0}};
  std::vector<std::string> paths;
  for (const auto& body : bodies) paths.push_back(body.first);
  FetchAll("body", paths);
  for (const auto& [path, size] : bodies) EXPECT_TRUE(WaitForConsole(Expected("body", path, size))) << path;

  // A page whose every step answers later through the older form.
  browser->GetMainFrame()->LoadURL("launcher://app/second.html");
  ASSERT_TRUE(WaitForMainLoadEnd(2));
  Run("console.log('title:' + document.title)");
  EXPECT_TRUE(WaitForConsole("title:second"));
}

TEST_F(SchemeHandlerTest, RangesSkipThroughTheHandler) {
  Create("launcher://app/index.html");
  ASSERT_TRUE(WaitForMainLoadEnd());
  const std::string expected = Pattern(400000).substr(300000, 10);
  for (const char* when : {"now", "later"}) {
    const std::string path = std::string("/body/new-") + when + "-400000";
    Run("fetch('" + path + "', {headers: {Range: 'bytes=300000-300009'}}).then(r => r.text().then(t =>"
        " console.log('range:" + when + ":' + r.status + ':' + r.headers.get('Content-Range') + ':' + t)));");
    EXPECT_TRUE(WaitForConsole(std::string("range:") + when + ":206:bytes 300000-300009/400000:" + expected));
  }
  // A handler that cannot skip refuses the range.
  Run("fetch('/body/noskip-now-400000', {headers: {Range: 'bytes=5-9'}}).then(r => console.log('no skip:' + r.status))");
  EXPECT_TRUE(WaitForConsole("no skip:416"));
}

TEST_F(SchemeHandlerTest, HandlersThatNeverAnswerOrFailMidwayFailTheirRequests) {
  cefcompat::SetResourceHandlerTimeoutForTesting(1500);
  LogCapture log;
  Create("launcher://app/index.html");
  ASSERT_TRUE(WaitForMainLoadEnd());
  const int cancelsBefore = NewHandler::cancels.load();
  FetchAll("bad", {"/silent.html", "/refused.html", "/body/broken-now-5000", "/body/broken-later-5000",
                   "/body/unsizedbroken-later-600000", "/body/broken-later-600000"});
  for (const char* path : {"/silent.html", "/refused.html", "/body/broken-now-5000", "/body/broken-later-5000",
                           "/body/unsizedbroken-later-600000", "/body/broken-later-600000"}) {
    EXPECT_TRUE(WaitForConsole(std::string("bad:") + path + "=failed")) << path;
  }
  EXPECT_FALSE(log.Matching("launcher://app/silent.html: the handler did not answer within 1500 ms").empty());
  EXPECT_FALSE(log.Matching("launcher://app/body/broken-now-5000: the body failed").empty());
  // The silent handler heard of its request's end.
  EXPECT_TRUE(recorder.WaitFor([&] { return NewHandler::cancels.load() > cancelsBefore; }));

  // Navigations to such handlers end in load errors, and the page stays usable.
  browser->GetMainFrame()->LoadURL("launcher://app/silent.html");
  ASSERT_TRUE(recorder.WaitForKind("OnLoadError"));
  EXPECT_EQ(recorder.Of("OnLoadError")[0].data["error"], ERR_TIMED_OUT);
  EXPECT_EQ(recorder.Of("OnLoadError")[0].data["failedUrl"], "launcher://app/silent.html");
  browser->GetMainFrame()->LoadURL("launcher://app/refused.html");
  ASSERT_TRUE(recorder.WaitForKind("OnLoadError", 2));
  EXPECT_EQ(recorder.Of("OnLoadError")[1].data["error"], ERR_ABORTED);
}

TEST_F(SchemeHandlerTest, SchemeOptionsDecideTheStandIn) {
  // Without SECURE the page is no secure context; cookies and storage still work.
  ASSERT_TRUE(CefRegisterSchemeHandlerFactory("plainsite", "", factory));
  Create("plainsite://app/index.html");
  ASSERT_TRUE(WaitForMainLoadEnd());
  EXPECT_TRUE(WaitForConsole("site:http://app.plainsite.invalid|42|42|7|false|visit=1|yes"));
  EXPECT_EQ(browser->GetMainFrame()->GetURL().ToString(), "plainsite://app/index.html");

  // Without STANDARD a URL has no host and its page an opaque origin; a
  // domain given with the factory is ignored.
  ASSERT_TRUE(CefRegisterSchemeHandlerFactory("note", "ignored", factory));
  browser->GetMainFrame()->LoadURL("note:hello");
  ASSERT_TRUE(WaitForMainLoadEnd(2));
  EXPECT_EQ(browser->GetMainFrame()->GetURL().ToString(), "note:hello");
  EXPECT_EQ(recorder.Of("OnAddressChange").back().data["url"], "note:hello");
  const auto creates = Creates();
  const auto note = std::find_if(creates.begin(), creates.end(), [](const nlohmann::json& c) { return c["url"] == "note:hello"; });
  ASSERT_NE(note, creates.end());
  EXPECT_EQ((*note)["scheme"], "note");
  Run("console.log('note:' + document.title + '|' + origin)");
  EXPECT_TRUE(WaitForConsole("note:hello|null"));
}

TEST_F(SchemeHandlerTest, UnservedRequestsFailOrGoOnAsCefs) {
  LogCapture log;
  // Only http, https and added custom schemes take factories.
  EXPECT_FALSE(CefRegisterSchemeHandlerFactory("unknown", "", factory));
  EXPECT_FALSE(log.Matching("'unknown' is neither http, https nor a scheme added in OnRegisterCustomSchemes").empty());
  EXPECT_FALSE(CefRegisterSchemeHandlerFactory("file", "", factory));

  // A factory of an http domain serves what it makes and leaves the rest to the server.
  TestHttpServer server;
  server.Route("/", {200, "text/html", "<title>served by the server</title>"});
  server.Route("/data.json", {200, "application/json", "{\"value\": 0}"});
  server.Route("/elsewhere.json", {200, "application/json", "{\"value\": 1}"});
  ASSERT_TRUE(CefRegisterSchemeHandlerFactory("http", "127.0.0.1", factory));
  Create(server.Url("/"));
  ASSERT_TRUE(WaitForMainLoadEnd());
  Run("Promise.all(['/data.json', '/elsewhere.json'].map(u => fetch(u).then(r => r.text())))"
      ".then(all => console.log('http:' + all.join(',')))");
  // data.json from the factory's handler; the path it leaves from the server.
  EXPECT_TRUE(WaitForConsole("http:{\"value\": 42},{\"value\": 1}"));

  // A custom scheme's request nobody serves fails as an unknown scheme.
  browser->GetMainFrame()->LoadURL("launcher://app/nothing-here.html");
  ASSERT_TRUE(recorder.WaitForKind("OnLoadError"));
  EXPECT_EQ(recorder.Of("OnLoadError")[0].data["error"], ERR_UNKNOWN_URL_SCHEME);
  EXPECT_EQ(recorder.Of("OnLoadError")[0].data["failedUrl"], "launcher://app/nothing-here.html");
  // So does one of an added scheme without a factory, and one of another domain.
  browser->GetMainFrame()->LoadURL("plainsite://app/index.html");
  ASSERT_TRUE(recorder.WaitForKind("OnLoadError", 2));
  EXPECT_EQ(recorder.Of("OnLoadError")[1].data["error"], ERR_UNKNOWN_URL_SCHEME);
  browser->GetMainFrame()->LoadURL("launcher://other/index.html");
  ASSERT_TRUE(recorder.WaitForKind("OnLoadError", 3));
  EXPECT_EQ(recorder.Of("OnLoadError")[2].data["error"], ERR_UNKNOWN_URL_SCHEME);
}

TEST_F(SchemeHandlerTest, FactoriesRemovedOrClearedServeNoMore) {
  Create("launcher://app/index.html");
  ASSERT_TRUE(WaitForMainLoadEnd());
  ASSERT_TRUE(CefRegisterSchemeHandlerFactory("launcher", "app", nullptr));
  browser->GetMainFrame()->LoadURL("launcher://app/second.html");
  ASSERT_TRUE(recorder.WaitForKind("OnLoadError"));
  EXPECT_EQ(recorder.Of("OnLoadError")[0].data["error"], ERR_UNKNOWN_URL_SCHEME);

  // One factory for every domain of the scheme, then none at all.
  ASSERT_TRUE(CefRegisterSchemeHandlerFactory("launcher", "", factory));
  browser->GetMainFrame()->LoadURL("launcher://anywhere/second.html");
  ASSERT_TRUE(WaitForMainLoadEnd(2));
  EXPECT_EQ(browser->GetMainFrame()->GetURL().ToString(), "launcher://anywhere/second.html");
  ASSERT_TRUE(CefClearSchemeHandlerFactories());
  browser->GetMainFrame()->LoadURL("launcher://anywhere/index.html");
  ASSERT_TRUE(recorder.WaitForKind("OnLoadError", 2));
  EXPECT_EQ(recorder.Of("OnLoadError")[1].data["error"], ERR_UNKNOWN_URL_SCHEME);
}

TEST_F(SchemeHandlerTest, ClientsWithoutARequestHandlerAreServedByFactories) {
  client = new FactoryOnlyClient(&recorder);
  Create("launcher://app/index.html");
  ASSERT_TRUE(WaitForMainLoadEnd());
  EXPECT_TRUE(WaitForConsole("site:https://app.launcher.invalid|42|42|7|true|visit=1|yes"));
  EXPECT_EQ(browser->GetMainFrame()->GetURL().ToString(), "launcher://app/index.html");
  // A factory registered while the page is shown serves it too.
  ASSERT_TRUE(CefRegisterSchemeHandlerFactory("launcher", "late", factory));
  browser->GetMainFrame()->LoadURL("launcher://late/second.html");
  ASSERT_TRUE(WaitForMainLoadEnd(2));
  EXPECT_EQ(browser->GetMainFrame()->GetURL().ToString(), "launcher://late/second.html");
}

}  // namespace
