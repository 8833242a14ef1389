// Two pages served from zip archives (with and without a password, kept open
// as the pool keeps them, and the plain one also opened with each page), a
// directory provider, file:// and a plain loopback HTTP server (cpp-httplib,
// keep-alive, a thread pool started once, validators and 304s):
// - the bulk page, 300 assets (1 KB to 2 MB of bytes that do not compress),
//   create -> load end, median of 5 runs (each run takes the sources in
//   turn), beside the plain server (archive and folder pages go through
//   Chromium's HTTP path as a served page does, so that server is their peer;
//   file:// is a reference), and the password archive beside the same archive
//   without one;
// - a launcher-shaped page (launcher_site.h, about 8 MB in 132 files): cold
//   (a new browser, the archive open) to its load event and its JSON, and
//   warm (the same browser goes to another page and back, LoadURL both
//   ways; median of 5 rounds), beside file://. Each cold run has URLs of its
//   own (a /r<N>/ segment the providers and the server drop), so that no
//   cache of Chromium's holds them.
//
// Where the time goes (perf over a run): every body an archive or folder
// serves crosses Chromium's HTTP path: small ones used to go inline in
// Fetch.fulfillRequest (base64 in the protocol pipe), larger ones from the
// loopback stream server. So the floor is what a plain loopback HTTP server
// costs. Chromium refuses to continue an intercepted request to a file:// URL,
// so there is no cheaper road. The load is bound by the CPU on two cores: a
// file:// page costs about 2.0 s of CPU, the directory provider's about 3.8 s,
// of which the stream server (kernel copies of the sends included) is about
// 0.35 s; the rest is Chromium's own HTTP work. Entries are read from the
// archive's file as they are sent, piece by piece; what is left of ours is
// inflating (zlib) and checking the CRC (libdeflate's), and with a password
// the authentication code (read over each entry before any byte is sent), the
// decryption, and deriving each entry's keys as the archive opens (about
// 0.5 ms an entry since the password's HMAC pads are hashed once).
//
// The warm visit, and Chromium's caches under interception (counted here:
// the requests the runtime saw on the warm visits and how many got 304):
// - Fetch interception at the request stage sits above Chromium's HTTP cache:
//   every request is paused, whether the cache holds it or not, and a
//   request from the cache's own revalidation is never seen there (its
//   If-None-Match is added below). Blink's memory cache did not serve a new
//   document of the same site here: every asset reached the runtime again.
// - A fulfilled response (Fetch.fulfillRequest) is never put in the HTTP
//   cache; a request continued to another URL is cached under that URL. So
//   before, each warm visit read, inflated and sent every entry again, and
//   the plain server was the only source whose warm visit got 304s.
// - Now archive and folder responses carry an ETag (the archive file's
//   identity and the entry's name; a file's size and modification time),
//   Last-Modified and `Cache-Control: no-cache`, and a response with an ETag
//   goes through the stream server whatever its size, under a path of its
//   URL's own (a keyed hash, the same for every request of the URL). The HTTP
//   cache keeps it there and revalidates it at the next visit; the stream
//   server answers 304 without reading the entry (about 96 % of the warm
//   visit's requests: all but the documents' own and the favicon). A long
//   max-age would spare the revalidation, but another archive can be put at
//   an archive's prefix, and Chromium's disk cache outlives the process.
// - The price is on the cold load: small bodies now take the stream server
//   instead of one protocol message, and Chromium writes each to its disk
//   cache. Measured back to back on the launcher page, bodies up to 256 KB
//   inline (as before) gave the zip 1.17x file:// cold and 0.60x warm, the
//   kept ones 1.50x and 0.74x: keeping what Chromium holds costs more here
//   than reading, inflating and sending it again. The cold load is not bound
//   by the CPU: over a run of the zip's launcher page the two cores were idle
//   half the time, the launcher's share about 3 %; what a kept body adds is
//   the wait of a second request (the one to the stream server) and
//   Chromium's cache writes.
// Run: build/bench/vell_resource_bench [VELL_BENCH_ONLY=<key>: file://, the
// plain server and that source; VELL_BENCH_LAUNCHER_ONLY=1: the launcher page]
#include <zip.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <functional>
#include <map>

#include "bench_support.h"
#include "include/cef_app.h"
#include "include/wrapper/cef_resource_manager.h"
#include "launcher_site.h"
#include "plain_server.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr char kPassword[] = "bench-password";
constexpr int kBulkRuns = 5;
constexpr int kLauncherRuns = 5;

// The requests the runtime saw and how many it answered 304 (TID_IO).
struct Seen {
  std::atomic<int> requests{0};
  std::atomic<int> notModified{0};
};

class Requests : public CefResourceRequestHandler {
 public:
  Requests(CefRefPtr<CefResourceManager> manager, Seen* seen) : manager_(manager), seen_(seen) {}
  cef_return_value_t OnBeforeResourceLoad(CefRefPtr<CefBrowser> b, CefRefPtr<CefFrame> f, CefRefPtr<CefRequest> r,
                                          CefRefPtr<CefRequestCallback> c) override {
    ++seen_->requests;
    return manager_->OnBeforeResourceLoad(b, f, r, c);
  }
  CefRefPtr<CefResourceHandler> GetResourceHandler(CefRefPtr<CefBrowser> b, CefRefPtr<CefFrame> f, CefRefPtr<CefRequest> r) override {
    return manager_->GetResourceHandler(b, f, r);
  }
  bool OnResourceResponse(CefRefPtr<CefBrowser>, CefRefPtr<CefFrame>, CefRefPtr<CefRequest>,
                          CefRefPtr<CefResponse> response) override {
    if (response->GetStatus() == 304) ++seen_->notModified;
    return false;
  }

 private:
  CefRefPtr<CefResourceManager> manager_;
  Seen* seen_;
  IMPLEMENT_REFCOUNTING(Requests);
};

// A browser's load end and what its page logs, for the Qt thread to wait on.
class Client : public CefClient, public CefLifeSpanHandler, public CefLoadHandler, public CefRequestHandler, public CefDisplayHandler {
 public:
  Client(Waker* waker, CefRefPtr<CefResourceManager> manager, Seen* seen)
      : waker_(waker), requests_(new Requests(manager, seen)) {}
  CefRefPtr<CefLifeSpanHandler> GetLifeSpanHandler() override { return this; }
  CefRefPtr<CefLoadHandler> GetLoadHandler() override { return this; }
  CefRefPtr<CefRequestHandler> GetRequestHandler() override { return this; }
  CefRefPtr<CefDisplayHandler> GetDisplayHandler() override { return this; }
  CefRefPtr<CefResourceRequestHandler> GetResourceRequestHandler(CefRefPtr<CefBrowser>, CefRefPtr<CefFrame>, CefRefPtr<CefRequest>,
                                                                 bool, bool, const CefString&, bool&) override {
    return requests_;
  }
  void OnAfterCreated(CefRefPtr<CefBrowser> b) override { browser = b; }
  void OnLoadEnd(CefRefPtr<CefBrowser>, CefRefPtr<CefFrame> frame, int) override {
    if (!frame->IsMain()) return;
    loadedAt = Clock::now();
    loaded = true;
    emit waker_->Wake();
  }
  // The page's word that it is ready, logged to the console (a title
  // changing twice in quick succession may be reported once).
  bool OnConsoleMessage(CefRefPtr<CefBrowser>, cef_log_severity_t, const CefString& message, const CefString&, int) override {
    std::lock_guard<std::mutex> lock(mutex_);
    said_ = message.ToString();
    saidAt_ = Clock::now();
    emit waker_->Wake();
    return false;
  }
  void OnBeforeClose(CefRefPtr<CefBrowser>) override {
    closed = true;
    emit waker_->Wake();
  }
  // Whether the page's last word was `word`, and when it came.
  bool Said(const std::string& word, Clock::time_point& at) {
    std::lock_guard<std::mutex> lock(mutex_);
    at = saidAt_;
    return said_ == word;
  }
  CefRefPtr<CefBrowser> browser;
  std::atomic<bool> loaded{false}, closed{false};
  Clock::time_point loadedAt;

 private:
  Waker* waker_;
  CefRefPtr<Requests> requests_;
  std::mutex mutex_;
  std::string said_;
  Clock::time_point saidAt_;
  IMPLEMENT_REFCOUNTING(Client);
};

// `https://launcher.test/r3/ui/x` as `https://launcher.test/ui/x`: each cold
// run has URLs of its own, which no cache of Chromium's holds, and the
// providers see one prefix.
std::string WithoutRun(const std::string& url) {
  const size_t host = url.find("://");
  const size_t path = host == std::string::npos ? host : url.find('/', host + 3);
  if (path == std::string::npos || url.compare(path, 2, "/r") != 0) return url;
  const size_t next = url.find('/', path + 1);
  return next == std::string::npos ? url : url.substr(0, path) + url.substr(next);
}

std::string Run(const std::string& url, int run) {
  if (url.rfind("file://", 0) == 0) return url;
  const size_t path = url.find('/', url.find("://") + 3);
  return url.substr(0, path) + "/r" + std::to_string(run) + url.substr(path);
}

// One page source: a URL and the providers that serve it.
struct Source {
  std::string name, key;
  std::string url;
  std::function<void(CefRefPtr<CefResourceManager>)> setUp;
  bool opened = true;  // one provider for every run, as the pool keeps its archives
};

CefRefPtr<CefResourceManager> Manager(const Source& source) {
  CefRefPtr<CefResourceManager> manager(new CefResourceManager());
  manager->SetUrlFilter(&WithoutRun);
  source.setUp(manager);
  return manager;
}

void Close(Waker& waker, CefRefPtr<Client> client) {
  if (client->browser) client->browser->GetHost()->CloseBrowser(true);
  WaitFor(waker, [&] { return client->closed.load(); }, 10000);
}

// Milliseconds from CreateBrowser to the main frame's load end, or until the
// page says `word` when one is given; 0 when it did not come.
double ColdLoad(Waker& waker, CefRefPtr<CefResourceManager> manager, const std::string& url, const std::string& word) {
  Seen seen;
  CefRefPtr<Client> client(new Client(&waker, manager, &seen));
  const auto start = Clock::now();
  CefBrowserHost::CreateBrowser(CefWindowInfo(), client.get(), url, CefBrowserSettings(), nullptr, nullptr);
  Clock::time_point end;
  const bool done = word.empty() ? WaitFor(waker, [&] { return client->loaded.load(); }, 60000)
                                 : WaitFor(waker, [&] { return client->Said(word, end); }, 60000);
  if (word.empty()) end = client->loadedAt;
  Close(waker, client);
  return done ? std::chrono::duration<double, std::milli>(end - start).count() : 0;
}

bool Selected(const Source& source) {
  // VELL_BENCH_ONLY=<key>: only file://, the plain server and that source (for profiling one path).
  const QString only = qEnvironmentVariable("VELL_BENCH_ONLY");
  return only.isEmpty() || source.key == "file" || source.key == "loopback_http" || only.toStdString() == source.key;
}

// The median cold load of each selected source (0 for the others). Runs take
// the sources in turn, so that a machine that grows busier or quieter over
// the benchmark weighs on every source alike.
std::map<std::string, double> MedianColds(Waker& waker, const std::vector<Source>& sources, int runs,
                                          const std::string& word) {
  std::map<std::string, CefRefPtr<CefResourceManager>> shared;
  std::map<std::string, std::vector<double>> times;
  for (const auto& source : sources) {
    if (source.opened && Selected(source)) shared[source.key] = Manager(source);
  }
  for (int run = 0; run < runs; ++run) {
    for (const auto& source : sources) {
      if (!Selected(source)) continue;
      const auto kept = shared.find(source.key);
      const double ms =
          ColdLoad(waker, kept != shared.end() ? kept->second : Manager(source), Run(source.url, run), word);
      if (ms > 0) times[source.key].push_back(ms);
    }
  }
  std::map<std::string, double> medians;
  for (const auto& source : sources) medians[source.key] = Median(times[source.key]);
  return medians;
}

struct Warm {
  double ms = 0;
  int requests = 0;     // seen by the runtime over the warm visits
  int notModified = 0;  // of which answered 304
};

// One browser loads the page, then goes to another page and back, `rounds`
// times: the median of the visits back (LoadURL to the page's load event and
// its JSON), and what reached the runtime on them.
Warm MedianWarm(Waker& waker, const Source& source, const std::string& other, int rounds) {
  Seen seen;
  CefRefPtr<Client> client(new Client(&waker, Manager(source), &seen));
  CefBrowserHost::CreateBrowser(CefWindowInfo(), client.get(), source.url, CefBrowserSettings(), nullptr, nullptr);
  Clock::time_point end;
  Warm warm;
  if (!WaitFor(waker, [&] { return client->browser && client->Said("ready", end); }, 60000)) {
    Close(waker, client);
    return warm;
  }
  seen.requests = 0;
  seen.notModified = 0;
  std::vector<double> times;
  for (int round = 0; round < rounds; ++round) {
    client->browser->GetMainFrame()->LoadURL(other);
    if (!WaitFor(waker, [&] { return client->Said("other", end); }, 30000)) break;
    const auto start = Clock::now();
    client->browser->GetMainFrame()->LoadURL(source.url);
    if (!WaitFor(waker, [&] { return client->Said("ready", end); }, 60000)) break;
    times.push_back(std::chrono::duration<double, std::milli>(end - start).count());
  }
  Close(waker, client);
  warm.ms = Median(times);
  warm.requests = seen.requests;
  warm.notModified = seen.notModified;
  return warm;
}

// The bulk page: 300 assets from 1 KB to 2 MB of bytes that do not compress,
// as images and other media do, each referenced by an <img> (the load event
// waits for all); the zips store them.
struct BulkSite {
  std::string site, zip, lockedZip;
};

void AddAll(const std::string& path, const std::vector<std::pair<std::string, QByteArray>>& files, const char* password) {
  int error = 0;
  zip_t* archive = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
  for (const auto& [name, bytes] : files) {
    const zip_int64_t index = zip_file_add(archive, name.c_str(), zip_source_buffer(archive, bytes.constData(), bytes.size(), 0), 0);
    if (password) zip_file_set_encryption(archive, static_cast<zip_uint64_t>(index), ZIP_EM_AES_256, password);
  }
  zip_close(archive);
}

BulkSite WriteBulkSite(const QTemporaryDir& dir) {
  BulkSite bulk{dir.filePath("site").toStdString(), dir.filePath("site.zip").toStdString(),
                dir.filePath("locked.zip").toStdString()};
  QDir().mkpath(QString::fromStdString(bulk.site + "/assets"));
  std::vector<std::pair<std::string, QByteArray>> files;
  std::string html = "<body>";
  for (int i = 0; i < 300; ++i) {
    const int size = 1024 + static_cast<int>((static_cast<long long>(i) * i * 7919) % (2 * 1024 * 1024 - 1024));
    QByteArray bytes(size, '\0');
    std::uint32_t state = 2463534242u + static_cast<std::uint32_t>(i);
    for (char& byte : bytes) {
      state ^= state << 13;
      state ^= state >> 17;
      state ^= state << 5;
      byte = static_cast<char>(state);
    }
    const std::string name = "assets/a" + std::to_string(i) + ".bin";
    files.emplace_back(name, bytes);
    html += "<img src='" + name + "'>";
  }
  files.emplace_back("index.html", QByteArray::fromStdString(html + "</body>"));
  for (const auto& [name, bytes] : files) {
    QFile file(QString::fromStdString(bulk.site + "/" + name));
    file.open(QIODevice::WriteOnly);
    file.write(bytes);
  }
  AddAll(bulk.zip, files, nullptr);
  AddAll(bulk.lockedZip, files, kPassword);
  return bulk;
}

// The sources of one site: file://, its zips, its folder and the plain server.
std::vector<Source> SourcesOf(const std::string& site, const std::string& zip, const std::string& lockedZip, int port) {
  const std::string prefix = "https://launcher.test/ui/";
  return {
      {"file://", "file", "file://" + site + "/index.html", [](CefRefPtr<CefResourceManager>) {}},
      {"zip", "zip", prefix + "index.html", [=](CefRefPtr<CefResourceManager> m) { m->AddArchiveProvider(prefix, zip, "", 0, ""); }},
      {"zip with password", "zip_password", prefix + "index.html",
       [=](CefRefPtr<CefResourceManager> m) { m->AddArchiveProvider(prefix, lockedZip, kPassword, 0, ""); }},
      {"directory", "directory", prefix + "index.html",
       [=](CefRefPtr<CefResourceManager> m) { m->AddDirectoryProvider(prefix, site, 0, ""); }},
      {"plain server", "loopback_http", "http://127.0.0.1:" + std::to_string(port) + "/index.html",
       [](CefRefPtr<CefResourceManager>) {}},
  };
}

double Ratio(double value, double peer) { return peer > 0 ? value / peer : 0.0; }

void BulkPage(Waker& waker, BenchReport& report, const QTemporaryDir& dir) {
  const BulkSite bulk = WriteBulkSite(dir);
  PlainServer server(bulk.site);
  std::vector<Source> sources = SourcesOf(bulk.site, bulk.zip, bulk.lockedZip, server.Port());
  Source closedZip = sources[1];
  closedZip.name = "zip, archive opened with the page";
  closedZip.key = "zip_closed";
  closedZip.opened = false;
  sources.push_back(closedZip);
  std::map<std::string, double> ms = MedianColds(waker, sources, kBulkRuns, "");
  const double plain = ms["loopback_http"];
  for (const auto& source : sources) {
    const double value = ms[source.key];
    const std::string measure = "300-asset page, " + source.name + ", create -> loaded";
    if (source.key == "zip_password") {
      report.Row(measure, Ms(value), "zip " + Ms(ms["zip"]), Ratio(value, ms["zip"]), "<= 1.15x zip without password");
    } else {
      const bool goal = source.key == "zip" || source.key == "directory";
      report.Row(measure, Ms(value), "plain server " + Ms(plain), Ratio(value, plain), goal ? "<= 1.0x plain server" : "(reference)");
    }
    report.Figure(source.key + "_ms", value);
    report.Figure(source.key + "_ratio", Ratio(value, ms["file"]));
    report.Figure(source.key + "_server_ratio", Ratio(value, plain));
  }
  report.Figure("zip_password_to_zip_ratio", Ratio(ms["zip_password"], ms["zip"]));
}

void LauncherPage(Waker& waker, BenchReport& report, const QTemporaryDir& dir) {
  LauncherSite site;
  std::string error;
  if (!site.Write(dir.filePath("launcher-page").toStdString(), kPassword, error)) {
    std::fprintf(stderr, "launcher page not made: %s\n", error.c_str());
    return;
  }
  std::printf("launcher page: %zu files, %.1f MB\n", site.Files(), static_cast<double>(site.Bytes()) / 1e6);
  PlainServer server(site.Site());
  const std::vector<Source> sources = SourcesOf(site.Site(), site.Zip(), site.LockedZip(), server.Port());
  std::map<std::string, double> colds = MedianColds(waker, sources, kLauncherRuns, "ready");
  const double coldFile = colds["file"];
  double warmFile = 0;
  for (const auto& source : sources) {
    if (!Selected(source)) continue;
    const double cold = colds[source.key];
    const std::string other = source.url.substr(0, source.url.rfind('/')) + "/other.html";
    const Warm warm = MedianWarm(waker, source, other, kLauncherRuns);
    if (source.key == "file") warmFile = warm.ms;
    const bool goal = source.key != "file" && source.key != "loopback_http";
    report.Row("launcher page, " + source.name + ", cold", Ms(cold), "file:// " + Ms(coldFile), Ratio(cold, coldFile),
               goal ? "<= 1.3x file://" : "(reference)");
    report.Row("launcher page, " + source.name + ", warm", Ms(warm.ms), "file:// " + Ms(warmFile), Ratio(warm.ms, warmFile),
               goal ? "<= 1.0x file://" : "(reference)");
    if (source.key != "file") {
      report.Row("launcher page, " + source.name + ", warm: requests to the runtime, 304s", std::to_string(warm.requests),
                 std::to_string(warm.notModified) + " answered 304", Ratio(warm.notModified, warm.requests), "(reference)");
    }
    report.Object(source.key, {{"cold_ms", cold}, {"warm_ms", warm.ms}, {"cold_ratio", Ratio(cold, coldFile)},
                           {"warm_ratio", Ratio(warm.ms, warmFile)}, {"warm_requests", warm.requests},
                           {"warm_not_modified", warm.notModified}});
  }
}

}  // namespace

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (std::strstr(argv[i], "--type=")) return CefExecuteProcess(CefMainArgs(argc, argv), nullptr, nullptr);
  }
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  QTemporaryDir dir;
  CefSettings settings;
  settings.no_sandbox = 1;
  settings.log_severity = LOGSEVERITY_ERROR;
  if (!CefInitialize(CefMainArgs(argc, argv), settings, nullptr, nullptr)) return 1;
  Waker waker;
  if (!EnvFlag("VELL_BENCH_LAUNCHER_ONLY")) {
    BenchReport report("archive_page");
    BulkPage(waker, report, dir);
  }
  {
    BenchReport report("launcher_page");
    LauncherPage(waker, report, dir);
  }
  CefShutdown();
  return 0;
}
