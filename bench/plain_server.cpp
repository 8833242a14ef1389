#include "plain_server.h"

#include <httplib.h>
#include <sys/stat.h>

#include <QMimeDatabase>
#include <QString>
#include <algorithm>
#include <atomic>
#include <memory>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <iterator>

namespace {

std::string HttpDate(time_t when) {
  char text[64];
  tm parts{};
  gmtime_r(&when, &parts);
  strftime(text, sizeof(text), "%a, %d %b %Y %H:%M:%S GMT", &parts);
  return text;
}

// The file a request path names below `root`; empty when it would leave it.
std::string FileFor(const std::string& root, std::string path) {
  if (path.rfind("/r", 0) == 0) {
    const size_t next = path.find('/', 1);
    if (next != std::string::npos) path = path.substr(next);
  }
  if (path.find("..") != std::string::npos) return {};
  return root + path;
}

std::string MimeOf(const std::string& file) {
  static const QMimeDatabase database;
  return database.mimeTypeForFile(QString::fromStdString(file), QMimeDatabase::MatchExtension).name().toStdString();
}

}  // namespace

struct PlainServer::Counts {
  std::atomic<int> sent{0};
  std::atomic<int> notModified{0};
};

PlainServer::PlainServer(std::string folder)
    : root_(std::move(folder)), server_(std::make_unique<httplib::Server>()), counts_(std::make_shared<Counts>()) {
  // A thread per open connection: Chromium keeps six per host and as many
  // again for requests without credentials (fonts), and keeps them open.
  server_->new_task_queue = [] { return new httplib::ThreadPool(32); };
  server_->set_keep_alive_max_count(100000);
  server_->set_keep_alive_timeout(30);
  const std::string root = root_;
  std::shared_ptr<Counts> counts = counts_;
  server_->Get(".*", [root, counts](const httplib::Request& request, httplib::Response& response) {
    const std::string file = FileFor(root, request.path);
    struct stat info {};
    if (file.empty() || stat(file.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
      response.status = 404;
      return;
    }
    char tag[64];
    std::snprintf(tag, sizeof(tag), "\"%llx-%llx\"", static_cast<unsigned long long>(info.st_size),
                  static_cast<unsigned long long>(info.st_mtim.tv_sec * 1000000000LL + info.st_mtim.tv_nsec));
    response.set_header("ETag", tag);
    response.set_header("Last-Modified", HttpDate(info.st_mtim.tv_sec));
    response.set_header("Cache-Control", "no-cache");
    if (request.get_header_value("If-None-Match") == tag) {
      response.status = 304;
      ++counts->notModified;
      return;
    }
    std::ifstream in(file, std::ios::binary);
    auto body = std::make_shared<std::string>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    // Sent as it is, as a static server sends files: httplib compresses a
    // body given whole, and brotli at its default level spent seconds on the scripts.
    response.set_content_provider(body->size(), MimeOf(file), [body](size_t offset, size_t length, httplib::DataSink& sink) {
      return sink.write(body->data() + offset, std::min(length, body->size() - offset));
    });
    ++counts->sent;
  });
  port_ = server_->bind_to_any_port("127.0.0.1");
  // Bound and listening already: connections wait in the backlog until the loop runs.
  thread_ = std::thread([this] { server_->listen_after_bind(); });
}

PlainServer::~PlainServer() {
  server_->stop();
  if (thread_.joinable()) thread_.join();
}

int PlainServer::Sent() const { return counts_->sent; }
int PlainServer::NotModified() const { return counts_->notModified; }
