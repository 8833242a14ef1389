// Pages with 300 assets (1 KB to 2 MB) served from a zip archive, a directory
// provider, file:// and a loopback HTTP server: time to the main frame's
// OnLoadEnd, median of 10 runs, printed as ratios to file://. Archives are
// measured opened with each page and, as the pool keeps them, opened once.
//
// Where the time goes (perf over a run): the page is 300 MB of bodies, and
// every body an archive or folder serves crosses Chromium's HTTP path — small
// ones inline in Fetch.fulfillRequest (base64 in the protocol pipe), larger
// ones from the loopback stream server — so the floor is what a plain
// loopback HTTP server costs, about 1.6x to 2.2x file:// in the same run.
// Chromium refuses to continue an intercepted request to a file:// URL, so
// there is no cheaper road for large bodies. The load is bound by the CPU on
// two cores: a file:// page costs about 2.0 s of CPU, the directory
// provider's about 3.8 s, of which the stream server (kernel copies of the
// sends included) is about 0.35 s; the rest is Chromium's own HTTP work, in
// its network process's main and IO threads and their socket reads. An
// archive used to be read whole into memory and each entry inflated into a
// buffer of its own: fresh memory (the kernel clearing pages) then led the
// profile, and opening the archive with its page cost 3.5x file://. Entries
// are now read from the archive's file as they are sent, piece by piece, so an
// archive opened with its page costs about what one kept open does; what is
// left of ours is inflating (zlib) and checking the CRC (libdeflate's, three
// to four times as fast as zlib's, which was the largest part), and with a
// password the authentication code (read over each entry before any byte is
// sent) and the decryption (its key stream applied eight bytes at a time:
// byte by byte, that cost more than the AES); and, as an archive with a
// password opens, deriving each entry's keys (a thousand rounds of
// HMAC-SHA1): 1.4 to 2 ms an entry through OpenSSL's PBKDF2, which held the
// page back by about 0.5 s, and about 0.5 ms now that the password's HMAC
// pads are hashed once.
// Run: build/bench/vell_resource_bench [VELL_BENCH_ONLY=directory]
#include <zip.h>

#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstring>

#include "bench_support.h"
#include "include/cef_app.h"
#include "include/wrapper/cef_resource_manager.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr char kPassword[] = "bench-password";


class Requests : public CefResourceRequestHandler {
 public:
  explicit Requests(CefRefPtr<CefResourceManager> manager) : manager_(manager) {}
  cef_return_value_t OnBeforeResourceLoad(CefRefPtr<CefBrowser> b, CefRefPtr<CefFrame> f, CefRefPtr<CefRequest> r,
                                          CefRefPtr<CefRequestCallback> c) override {
    return manager_->OnBeforeResourceLoad(b, f, r, c);
  }
  CefRefPtr<CefResourceHandler> GetResourceHandler(CefRefPtr<CefBrowser> b, CefRefPtr<CefFrame> f, CefRefPtr<CefRequest> r) override {
    return manager_->GetResourceHandler(b, f, r);
  }

 private:
  CefRefPtr<CefResourceManager> manager_;
  IMPLEMENT_REFCOUNTING(Requests);
};

class Client : public CefClient, public CefLifeSpanHandler, public CefLoadHandler, public CefRequestHandler {
 public:
  Client(Waker* waker, CefRefPtr<CefResourceManager> manager) : waker_(waker), requests_(new Requests(manager)) {}
  CefRefPtr<CefLifeSpanHandler> GetLifeSpanHandler() override { return this; }
  CefRefPtr<CefLoadHandler> GetLoadHandler() override { return this; }
  CefRefPtr<CefRequestHandler> GetRequestHandler() override { return this; }
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
  void OnBeforeClose(CefRefPtr<CefBrowser>) override {
    closed = true;
    emit waker_->Wake();
  }
  CefRefPtr<CefBrowser> browser;
  std::atomic<bool> loaded{false}, closed{false};
  Clock::time_point loadedAt;

 private:
  Waker* waker_;
  CefRefPtr<Requests> requests_;
  IMPLEMENT_REFCOUNTING(Client);
};


// A minimal static server for the site directory.
class StaticServer : public QObject {
 public:
  explicit StaticServer(QString root) : root_(std::move(root)) {
    server_.listen(QHostAddress::LocalHost, 0);
    connect(&server_, &QTcpServer::newConnection, this, [this] {
      while (QTcpSocket* socket = server_.nextPendingConnection()) {
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
          const QByteArray request = socket->readAll();
          QFile file(root_ + QString::fromUtf8(request.split(' ').value(1)));
          const QByteArray body = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
          socket->write("HTTP/1.1 " + QByteArray(body.isEmpty() ? "404" : "200") + " X\r\nContent-Length: " +
                        QByteArray::number(body.size()) + "\r\nCache-Control: no-store\r\nConnection: close\r\n\r\n" + body);
          socket->disconnectFromHost();
        });
      }
    });
  }
  int Port() const { return server_.serverPort(); }

 private:
  QString root_;
  QTcpServer server_;
};

}  // namespace

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (std::strstr(argv[i], "--type=")) return CefExecuteProcess(CefMainArgs(argc, argv), nullptr, nullptr);
  }
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);

  // The site: 300 assets from 1 KB to 2 MB of bytes that do not compress, each referenced by an <img> (the load event waits for all).
  QTemporaryDir dir;
  const QString site = dir.filePath("site");
  QDir().mkpath(site + "/assets");
  std::string html = "<body>";
  const std::string zipPath = dir.filePath("site.zip").toStdString();
  int error = 0;
  zip_t* archive = zip_open(zipPath.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
  std::vector<QByteArray> contents;
  for (int i = 0; i < 300; ++i) {
    const int size = 1024 + static_cast<int>((static_cast<long long>(i) * i * 7919) % (2 * 1024 * 1024 - 1024));
    // Bytes that do not compress, as images and other media do.
    contents.emplace_back(size, '\0');
    std::uint32_t state = 2463534242u + static_cast<std::uint32_t>(i);
    for (char& byte : contents.back()) {
      state ^= state << 13;
      state ^= state >> 17;
      state ^= state << 5;
      byte = static_cast<char>(state);
    }
    const QString name = QString("assets/a%1.bin").arg(i);
    QFile file(site + "/" + name);
    file.open(QIODevice::WriteOnly);
    file.write(contents.back());
    zip_file_add(archive, name.toStdString().c_str(), zip_source_buffer(archive, contents.back().constData(), contents.back().size(), 0), 0);
    html += "<img src='" + name.toStdString() + "'>";  // every source loads images, file:// included
  }
  html += "</body>";
  {
    QFile index(site + "/index.html");
    index.open(QIODevice::WriteOnly);
    index.write(QByteArray::fromStdString(html));
  }
  zip_file_add(archive, "index.html", zip_source_buffer(archive, html.data(), html.size(), 0), 0);
  zip_close(archive);
  const std::string lockedPath = dir.filePath("locked.zip").toStdString();
  zip_t* locked = zip_open(lockedPath.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
  for (int i = 0; i < 300; ++i) {
    const zip_int64_t index = zip_file_add(locked, QString("assets/a%1.bin").arg(i).toStdString().c_str(),
                                           zip_source_buffer(locked, contents[i].constData(), contents[i].size(), 0), 0);
    zip_file_set_encryption(locked, static_cast<zip_uint64_t>(index), ZIP_EM_AES_256, kPassword);
  }
  const zip_int64_t lockedIndex = zip_file_add(locked, "index.html", zip_source_buffer(locked, html.data(), html.size(), 0), 0);
  zip_file_set_encryption(locked, static_cast<zip_uint64_t>(lockedIndex), ZIP_EM_AES_256, kPassword);
  zip_close(locked);
  StaticServer server(site);

  CefSettings settings;
  settings.no_sandbox = 1;
  settings.log_severity = LOGSEVERITY_ERROR;
  if (!CefInitialize(CefMainArgs(argc, argv), settings, nullptr, nullptr)) return 1;
  Waker waker;
  // `opened`: the provider is added once and every run's browser shares it,
  // as pooled browsers share the pool's archives; otherwise each run opens
  // the archive with its page.
  struct Source {
    const char* name;
    std::string url;
    std::function<void(CefRefPtr<CefResourceManager>)> setUp;
    bool opened = false;
  };
  const std::vector<Source> sources = {
      {"file://", "file://" + site.toStdString() + "/index.html", [](CefRefPtr<CefResourceManager>) {}},
      {"zip", "https://launcher.test/ui/index.html",
       [&](CefRefPtr<CefResourceManager> m) { m->AddArchiveProvider("https://launcher.test/ui/", zipPath, "", 0, ""); }},
      {"zip with password", "https://launcher.test/ui/index.html",
       [&](CefRefPtr<CefResourceManager> m) { m->AddArchiveProvider("https://launcher.test/ui/", lockedPath, kPassword, 0, ""); }},
      {"directory", "https://launcher.test/ui/index.html",
       [&](CefRefPtr<CefResourceManager> m) { m->AddDirectoryProvider("https://launcher.test/ui/", site.toStdString(), 0, ""); }},
      {"loopback http", "http://127.0.0.1:" + std::to_string(server.Port()) + "/index.html", [](CefRefPtr<CefResourceManager>) {}},
      {"zip, archive open", "https://launcher.test/ui/index.html",
       [&](CefRefPtr<CefResourceManager> m) { m->AddArchiveProvider("https://launcher.test/ui/", zipPath, "", 0, ""); }, true},
      {"zip with password, archive open", "https://launcher.test/ui/index.html",
       [&](CefRefPtr<CefResourceManager> m) { m->AddArchiveProvider("https://launcher.test/ui/", lockedPath, kPassword, 0, ""); },
       true},
  };
  // VELL_BENCH_ONLY=<name>: only file:// and that source (for profiling one path).
  const QString only = qEnvironmentVariable("VELL_BENCH_ONLY");
  std::vector<double> medians;
  for (const auto& source : sources) {
    std::vector<double> times;
    if (!only.isEmpty() && &source != &sources[0] && only != source.name) {
      medians.push_back(0);
      continue;
    }
    CefRefPtr<CefResourceManager> opened(new CefResourceManager());
    if (source.opened) source.setUp(opened);
    for (int run = 0; run < 10; ++run) {
      CefRefPtr<CefResourceManager> manager = source.opened ? opened : CefRefPtr<CefResourceManager>(new CefResourceManager());
      if (!source.opened) source.setUp(manager);
      CefRefPtr<Client> client(new Client(&waker, manager));
      const auto start = Clock::now();
      CefBrowserHost::CreateBrowser(CefWindowInfo(), client.get(), source.url, CefBrowserSettings(), nullptr, nullptr);
      if (WaitFor(waker, [&] { return client->loaded.load(); }, 60000)) {
        times.push_back(std::chrono::duration<double, std::milli>(client->loadedAt - start).count());
      }
      if (client->browser) client->browser->GetHost()->CloseBrowser(true);
      WaitFor(waker, [&] { return client->closed.load(); }, 10000);
    }
    std::sort(times.begin(), times.end());
    medians.push_back(times.empty() ? 0 : times[times.size() / 2]);
  }
  BenchReport report("archive_page");
  const char* keys[] = {"file", "zip", "zip_password", "directory", "loopback_http", "zip_open", "zip_password_open"};
  for (size_t i = 0; i < sources.size(); ++i) {
    const double ratio = medians[0] > 0 ? medians[i] / medians[0] : 0.0;
    report.Row(std::string("300-asset page, ") + sources[i].name + ", create -> loaded", Ms(medians[i]),
               "file:// " + Ms(medians[0]), ratio, i == 0 ? "" : i == 4 ? "(reference)" : "<= 1.3x file://");
    report.Figure(std::string(keys[i]) + "_ms", medians[i]);
    if (i > 0 && i != 4) report.Figure(std::string(keys[i]) + "_ratio", ratio);
  }
  CefShutdown();
  return 0;
}

