// The resource manager and its providers on the runtime's IO thread, without Chromium.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#include <zip.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <condition_variable>
#include <future>
#include <set>
#include <gtest/gtest.h>

#include "LogCapture.h"
#include "TestFiles.h"
#include "include/wrapper/cef_resource_manager.h"
#include "include/wrapper/cef_stream_resource_handler.h"
#include "network/stream_server.h"
#include "base/task_thread.h"

namespace {

class Latch : public CefRequestCallback {
 public:
  void Continue(bool allow) override { Set(allow ? "continue" : "refuse"); }
  void Cancel() override { Set("cancel"); }
  std::string Wait() {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait_for(lock, std::chrono::seconds(10), [&] { return !result_.empty(); });
    return result_;
  }

 private:
  void Set(const std::string& result) {
    std::lock_guard<std::mutex> lock(mutex_);
    result_ = result;
    changed_.notify_all();
  }
  std::mutex mutex_;
  std::condition_variable changed_;
  std::string result_;
  IMPLEMENT_REFCOUNTING(Latch);
};

// A provider that records what it saw and answers as told.
class ScriptedProvider : public CefResourceManager::Provider {
 public:
  enum class Answer { Decline, Null, Content, Throw, Forget };
  ScriptedProvider(std::string name, Answer answer, std::vector<std::string>* seen)
      : name_(std::move(name)), answer_(answer), seen_(seen) {}
  bool OnRequest(CefRefPtr<CefResourceManager::Request> request) override {
    seen_->push_back(name_);
    switch (answer_) {
      case Answer::Decline:
        return false;
      case Answer::Null:
        request->Continue(nullptr);
        return true;
      case Answer::Content: {
        std::string body = "from " + name_;
        request->Continue(new CefStreamResourceHandler("text/plain", CefStreamReader::CreateForData(body.data(), body.size())));
        return true;
      }
      case Answer::Throw:
        throw std::runtime_error("provider failure");
      case Answer::Forget:
        return true;  // takes the request and drops it
    }
    return false;
  }

 private:
  std::string name_;
  Answer answer_;
  std::vector<std::string>* seen_;
};

std::string Body(CefRefPtr<CefResourceHandler> handler, std::string* mime = nullptr) {
  if (!handler) return "<network>";
  bool handle = false;
  handler->Open(CefRequest::Create(), handle, nullptr);
  CefRefPtr<CefResponse> response = CefResponse::Create();
  int64 length = 0;
  CefString redirect;
  handler->GetResponseHeaders(response, length, redirect);
  if (mime) *mime = response->GetMimeType().ToString();
  std::string body;
  char chunk[5];
  for (int got = 0; handler->Read(chunk, sizeof(chunk), got, nullptr);) body.append(chunk, static_cast<size_t>(got));
  EXPECT_EQ(length, static_cast<int64>(body.size()));
  return body;
}

class ResourceManagerTest : public ::testing::Test {
 protected:
  void SetUp() override { cefcompat::Threads::Start(); }
  void TearDown() override {
    manager = nullptr;
    cefcompat::Threads::Stop();
  }

  // Runs one request through the manager on the IO thread; returns the body served.
  std::string Load(const std::string& url, std::string* mime = nullptr) {
    CefRefPtr<CefRequest> request = CefRequest::Create();
    request->SetURL(url);
    CefRefPtr<Latch> latch(new Latch());
    auto manager_ = manager;
    cefcompat::Threads::Post(TID_IO, [manager_, request, latch] {
      EXPECT_EQ(manager_->OnBeforeResourceLoad(nullptr, nullptr, request, latch.get()), RV_CONTINUE_ASYNC);
    });
    EXPECT_EQ(latch->Wait(), "continue") << url;
    std::promise<CefRefPtr<CefResourceHandler>> handler;
    cefcompat::Threads::Post(TID_IO, [&] { handler.set_value(manager_->GetResourceHandler(nullptr, nullptr, request)); });
    return Body(handler.get_future().get(), mime);
  }

  CefRefPtr<CefResourceManager> manager{new CefResourceManager()};
  std::vector<std::string> seen;
};

TEST_F(ResourceManagerTest, ProvidersInOrderNullPassesOnAndNobodyMeansNetwork) {
  using A = ScriptedProvider::Answer;
  manager->AddProvider(new ScriptedProvider("late", A::Content, &seen), 10, "");
  manager->AddProvider(new ScriptedProvider("first", A::Decline, &seen), 0, "");
  manager->AddProvider(new ScriptedProvider("second", A::Null, &seen), 0, "x");
  EXPECT_EQ(Load("https://launcher.test/a"), "from late");
  EXPECT_EQ(seen, (std::vector<std::string>{"first", "second", "late"}));

  manager->RemoveProviders("");
  seen.clear();
  EXPECT_EQ(Load("https://launcher.test/a"), "<network>");
  EXPECT_EQ(seen, std::vector<std::string>{"second"});
}

TEST_F(ResourceManagerTest, ThrowingAndForgetfulProvidersDoNotHangTheRequest) {
  using A = ScriptedProvider::Answer;
  LogCapture capture;
  manager->AddProvider(new ScriptedProvider("thrower", A::Throw, &seen), 0, "");
  manager->AddProvider(new ScriptedProvider("forgetter", A::Forget, &seen), 1, "");
  manager->AddProvider(new ScriptedProvider("server", A::Content, &seen), 2, "");
  EXPECT_EQ(Load("https://launcher.test/a"), "from server");
  EXPECT_EQ(seen, (std::vector<std::string>{"thrower", "forgetter", "server"}));
  EXPECT_EQ(capture.Matching("resource provider threw: provider failure").size(), 1u);
}

TEST_F(ResourceManagerTest, DirectoryProviderServesItsRootOnly) {
  QTemporaryDir dir;
  QDir(dir.path()).mkpath("site/css");
  QFile index(dir.filePath("site/index.html"));
  ASSERT_TRUE(index.open(QIODevice::WriteOnly));
  index.write("<p>dir</p>");
  index.close();
  QFile secret(dir.filePath("secret.txt"));
  ASSERT_TRUE(secret.open(QIODevice::WriteOnly));
  secret.write("secret");
  secret.close();
  manager->AddDirectoryProvider("https://launcher.test/ui", dir.filePath("site").toStdString(), 0, "");
  std::string mime;
  EXPECT_EQ(Load("https://launcher.test/ui/index.html?v=1#top", &mime), "<p>dir</p>");
  EXPECT_EQ(mime, "text/html");
  EXPECT_EQ(Load("https://launcher.test/ui/../secret.txt"), "<network>");
  EXPECT_EQ(Load("https://launcher.test/ui/%2e%2e/secret.txt"), "<network>");
  EXPECT_EQ(Load("https://launcher.test/ui/missing.html"), "<network>");
  EXPECT_EQ(Load("https://launcher.test/other/index.html"), "<network>");
}

TEST_F(ResourceManagerTest, DirectoryProviderFollowsLinksOnlyWithinItsRoot) {
  QTemporaryDir dir;
  WriteFile(dir.filePath("site/index.html"), "<p>dir</p>");
  WriteFile(dir.filePath("secret.txt"), "secret");
  WriteFile(dir.filePath("private/key.txt"), "key");
  ASSERT_TRUE(QFile::link(dir.filePath("site/index.html"), dir.filePath("site/alias.html")));
  ASSERT_TRUE(QFile::link(dir.filePath("secret.txt"), dir.filePath("site/secret.txt")));
  ASSERT_TRUE(QFile::link(dir.filePath("private"), dir.filePath("site/private")));
  ASSERT_TRUE(QFile::link("../secret.txt", dir.filePath("site/relative.txt")));
  manager->AddDirectoryProvider("https://launcher.test/ui", dir.filePath("site").toStdString(), 0, "");
  LogCapture capture;
  EXPECT_EQ(Load("https://launcher.test/ui/alias.html"), "<p>dir</p>");
  EXPECT_EQ(Load("https://launcher.test/ui/secret.txt"), "<network>");
  EXPECT_EQ(Load("https://launcher.test/ui/private/key.txt"), "<network>");
  EXPECT_EQ(Load("https://launcher.test/ui/relative.txt"), "<network>");
  EXPECT_EQ(capture.Matching("directory provider: refused https://launcher.test/ui/").size(), 3u);
}

TEST_F(ResourceManagerTest, ArchiveProviderAnswersRequestsThatCameWhileLoading) {
  QTemporaryDir dir;
  const std::string path = dir.filePath("site.zip").toStdString();
  int error = 0;
  zip_t* archive = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
  const std::string css = "body{color:red}";
  zip_file_add(archive, "app.css", zip_source_buffer(archive, css.data(), css.size(), 0), 0);
  zip_file_set_encryption(archive, 0, ZIP_EM_AES_256, "pw");
  ASSERT_EQ(zip_close(archive), 0);
  manager->AddArchiveProvider("https://launcher.test/ui/", path, "pw", 0, "zip");
  manager->AddArchiveProvider("https://launcher.test/bad/", path, "wrong", 0, "zip");
  manager->AddArchiveProvider("https://launcher.test/none/", dir.filePath("none.zip").toStdString(), "", 0, "zip");
  manager->AddContentProvider("https://launcher.test/none/app.css", "fallback", "text/css", 5, "");

  // Several requests at once, before the archive has been read.
  std::vector<std::future<std::string>> bodies;
  for (int i = 0; i < 4; ++i) bodies.push_back(std::async(std::launch::async, [&] { return Load("https://launcher.test/ui/app.css"); }));
  for (auto& body : bodies) EXPECT_EQ(body.get(), css);
  std::string mime;
  Load("https://launcher.test/ui/app.css", &mime);
  EXPECT_EQ(mime, "text/css");
  EXPECT_EQ(Load("https://launcher.test/bad/app.css"), "<network>");
  EXPECT_EQ(Load("https://launcher.test/none/app.css"), "fallback");
}

TEST(MimeTypeTest, ByFileName) {
  EXPECT_EQ(CefResourceManager::MimeTypeForUrl("https://a.test/x/index.html?q"), "text/html");
  EXPECT_EQ(CefResourceManager::MimeTypeForUrl("https://a.test/app.js"), "application/javascript");
  EXPECT_EQ(CefResourceManager::MimeTypeForUrl("https://a.test/logo.png"), "image/png");
  EXPECT_EQ(CefResourceManager::MimeTypeForUrl("https://a.test/clip.mp4"), "video/mp4");
}

}  // namespace

namespace {

// A plain client of the loopback stream server: one connection, requests in turn.
class LoopbackClient {
 public:
  explicit LoopbackClient(const std::string& url) {
    const size_t colon = url.rfind(':');
    port_ = std::stoi(url.substr(colon + 1));
    socket_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port_));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    timeval timeout{10, 0};
    setsockopt(socket_, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof(timeout));
    connected_ = connect(socket_, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0;
  }
  ~LoopbackClient() { close(socket_); }
  bool Connected() const { return connected_; }

  // Sends a GET for `url` and reads its response, whose body has `bodyBytes` bytes.
  std::string Get(const std::string& url, size_t bodyBytes, const std::string& extra = std::string()) {
    const std::string path = url.substr(url.find('/', url.find("//") + 2));
    const std::string request = "GET " + path + " HTTP/1.1\r\nHost: 127.0.0.1\r\n" + extra + "\r\n";
    if (send(socket_, request.data(), request.size(), MSG_NOSIGNAL) != static_cast<ssize_t>(request.size())) return {};
    std::string response;
    char buffer[4096];
    for (;;) {
      const size_t end = response.find("\r\n\r\n");
      if (end != std::string::npos && response.size() >= end + 4 + bodyBytes) return response;
      const ssize_t got = recv(socket_, buffer, sizeof(buffer), 0);
      if (got <= 0) return response;
      response.append(buffer, static_cast<size_t>(got));
    }
  }

 private:
  int socket_ = -1;
  int port_ = 0;
  bool connected_ = false;
};

std::string PublishText(const std::string& text, int64 length) {
  CefRefPtr<CefStreamReader> reader =
      CefStreamReader::CreateForData(const_cast<char*>(text.data()), text.size());
  CefRefPtr<CefResponse> response = CefResponse::Create();
  response->SetStatus(200);
  response->SetMimeType("text/plain");
  CefRefPtr<cefcompat::ResourceJob> job(new cefcompat::ResourceJob(new CefStreamResourceHandler("text/plain", reader), CefRequest::Create()));
  return cefcompat::StreamServer::Instance()->Publish(job, response, length,
                                                     cefcompat::StreamServer::Keepable(job, response, length));
}

// Streams are spread over several ports (Chromium opens at most six
// connections to one): every port's listener answers.
TEST(StreamServerTest, StreamsSpreadOverSeveralPortsAreEachServed) {
  std::set<std::string> ports;
  for (int i = 0; i < 12; ++i) {
    const std::string body = "body " + std::to_string(i);
    const std::string url = PublishText(body, static_cast<int64>(body.size()));
    ports.insert(url.substr(0, url.find('/', strlen("http://"))));
    LoopbackClient client(url);
    ASSERT_TRUE(client.Connected()) << url;
    const std::string response = client.Get(url, body.size());
    EXPECT_EQ(response.substr(response.size() - body.size()), body) << url;
  }
  EXPECT_GT(ports.size(), 1u);
}

TEST(StreamServerTest, AKeepAliveConnectionServesTheNextRequestsAlsoAfterABodyOfNoLength) {
  const std::string first = "first body", second = "second, ranged", third = "third, no length", fourth = "fourth";
  const std::string firstUrl = PublishText(first, static_cast<int64>(first.size()));
  const std::string secondUrl = PublishText(second, static_cast<int64>(second.size()));
  const std::string thirdUrl = PublishText(third, -1);
  const std::string fourthUrl = PublishText(fourth, static_cast<int64>(fourth.size()));
  LoopbackClient client(firstUrl);
  ASSERT_TRUE(client.Connected());

  const std::string one = client.Get(firstUrl, first.size());
  EXPECT_EQ(one.rfind("HTTP/1.1 200", 0), 0u) << one;
  EXPECT_NE(one.find("Connection: keep-alive"), std::string::npos);
  EXPECT_EQ(one.substr(one.size() - first.size()), first);

  const std::string two = client.Get(secondUrl, 6, "Range: bytes=8-13\r\n");  // the same connection
  EXPECT_EQ(two.rfind("HTTP/1.1 206", 0), 0u) << two;
  EXPECT_EQ(two.substr(two.size() - 6), "ranged");

  const std::string again = client.Get(firstUrl, 0);  // each stream answers once
  EXPECT_EQ(again.rfind("HTTP/1.1 404", 0), 0u) << again;

  // Without a length the body goes in chunks, ended by an empty one.
  const std::string chunked = "10\r\n" + third + "\r\n0\r\n\r\n";
  const std::string three = client.Get(thirdUrl, chunked.size());
  EXPECT_NE(three.find("Transfer-Encoding: chunked"), std::string::npos) << three;
  EXPECT_EQ(three.substr(three.size() - chunked.size()), chunked);

  const std::string four = client.Get(fourthUrl, fourth.size());
  EXPECT_EQ(four.substr(four.size() - fourth.size()), fourth);
}

}  // namespace
