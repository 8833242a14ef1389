// The protocol connection and pipe transport, without Chromium.
#include <unistd.h>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <thread>

#include <gtest/gtest.h>

#include "LogCapture.h"
#include "protocol/connection.h"
#include "protocol/in_process_link.h"

namespace cefcompat {
namespace {

// A transport whose peer is the test: it sees what was sent and feeds messages in.
class FakeTransport : public Transport {
 public:
  void Start(MessageHandler onMessage, CloseHandler onClose) override {
    onMessage_ = std::move(onMessage);
    onClose_ = std::move(onClose);
  }
  bool Send(const std::string& message) override {
    if (closed_) return false;
    sent.push_back(Json::parse(message));
    return true;
  }
  void Close() override { PeerClose("closed by us"); }

  void Feed(const Json& message) { onMessage_(message.dump()); }
  void FeedText(const std::string& text) { onMessage_(text); }
  void PeerClose(const std::string& reason) {
    if (closed_) return;
    closed_ = true;
    onClose_(reason);
  }

  std::vector<Json> sent;

 private:
  MessageHandler onMessage_;
  CloseHandler onClose_;
  bool closed_ = false;
};

class ConnectionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    auto transport = std::make_unique<FakeTransport>();
    fake = transport.get();
    // Runs handed-over work inline, as if on the owner thread.
    connection = std::make_unique<Connection>(std::move(transport), [](std::function<void()> task) { task(); });
    connection->Start([this](const std::string& reason) { closedReason = reason; });
  }

  FakeTransport* fake = nullptr;
  std::unique_ptr<Connection> connection;
  std::string closedReason;
};

TEST_F(ConnectionTest, RepliesOutOfOrderReachTheirOwnCallbacks) {
  std::vector<std::string> results;
  connection->Send("A.first", {{"n", 1}}, "", [&](const Connection::Reply& r) { results.push_back("first:" + r.result.dump()); });
  connection->Send("B.second", Json::object(), "S1", [&](const Connection::Reply& r) { results.push_back("second:" + r.error); });
  ASSERT_EQ(fake->sent.size(), 2u);
  EXPECT_EQ(fake->sent[0]["method"], "A.first");
  EXPECT_FALSE(fake->sent[0].contains("sessionId"));
  EXPECT_EQ(fake->sent[1]["sessionId"], "S1");

  fake->Feed({{"id", fake->sent[1]["id"]}, {"error", {{"code", -32000}, {"message", "nope"}}}});
  fake->Feed({{"id", fake->sent[0]["id"]}, {"result", {{"v", true}}}});
  fake->Feed({{"id", 999}, {"result", {}}});  // nobody asked: ignored
  EXPECT_EQ(results, (std::vector<std::string>{"second:nope", "first:{\"v\":true}"}));
}

TEST_F(ConnectionTest, EventsAreRoutedBySessionAndUnknownSessionsDropped) {
  std::vector<std::string> root, page;
  connection->SetSessionHandler("", [&](const std::string& m, const Json&) { root.push_back(m); });
  connection->SetSessionHandler("P", [&](const std::string& m, const Json& p) { page.push_back(m + p.dump()); });
  fake->Feed({{"method", "Target.targetCreated"}, {"params", {}}});
  fake->Feed({{"method", "Page.loadEventFired"}, {"params", {{"t", 1}}}, {"sessionId", "P"}});
  fake->Feed({{"method", "Page.loadEventFired"}, {"params", {}}, {"sessionId", "unknown"}});
  connection->RemoveSession("P");
  fake->Feed({{"method", "Page.frameNavigated"}, {"params", {}}, {"sessionId", "P"}});
  EXPECT_EQ(root, std::vector<std::string>{"Target.targetCreated"});
  EXPECT_EQ(page, std::vector<std::string>{"Page.loadEventFired{\"t\":1}"});
}

TEST_F(ConnectionTest, AHandlerMayRemoveItsOwnSession) {
  int calls = 0;
  connection->SetSessionHandler("P", [&](const std::string&, const Json&) {
    ++calls;
    connection->RemoveSession("P");
  });
  fake->Feed({{"method", "Inspector.detached"}, {"params", {}}, {"sessionId", "P"}});
  fake->Feed({{"method", "Inspector.detached"}, {"params", {}}, {"sessionId", "P"}});
  EXPECT_EQ(calls, 1);
}

TEST_F(ConnectionTest, ClosingFailsEveryPendingCallAndEveryLaterOne) {
  std::vector<std::string> errors;
  auto record = [&](const Connection::Reply& r) {
    EXPECT_FALSE(r.ok);
    errors.push_back(r.error);
  };
  connection->Send("A.one", Json::object(), "", record);
  connection->Send("A.two", Json::object(), "", record);
  fake->PeerClose("Chromium closed the pipe");
  EXPECT_TRUE(connection->IsClosed());
  EXPECT_EQ(closedReason, "Chromium closed the pipe");
  ASSERT_EQ(errors.size(), 2u);
  EXPECT_EQ(errors[0], "connection closed: Chromium closed the pipe");
  connection->Send("A.three", Json::object(), "", record);
  ASSERT_EQ(errors.size(), 3u);
  EXPECT_EQ(errors[2], "A.three: connection closed");
}

TEST_F(ConnectionTest, MalformedMessagesAreLoggedAndDropped) {
  LogCapture capture;
  std::vector<std::string> root;
  connection->SetSessionHandler("", [&](const std::string& m, const Json&) { root.push_back(m); });
  fake->FeedText("{not json");
  fake->FeedText("[1,2]");
  fake->Feed({{"method", "Target.targetCreated"}, {"params", {}}});
  EXPECT_EQ(root, std::vector<std::string>{"Target.targetCreated"});
  EXPECT_EQ(capture.Matching("dropping malformed protocol message").size(), 2u);
}

TEST_F(ConnectionTest, FastPathConsumesMessagesBeforeRouting) {
  std::vector<std::string> routed, fast;
  connection->SetSessionHandler("", [&](const std::string& m, const Json&) { routed.push_back(m); });
  connection->SetFastPath([&](const Json& message) {
    if (message.value("method", "") != "Page.screencastFrame") return false;
    fast.push_back("frame");
    return true;
  });
  fake->Feed({{"method", "Page.screencastFrame"}, {"params", {}}});
  fake->Feed({{"method", "Page.loadEventFired"}, {"params", {}}});
  EXPECT_EQ(fast, std::vector<std::string>{"frame"});
  EXPECT_EQ(routed, std::vector<std::string>{"Page.loadEventFired"});
}

// The real pipe transport: framing across reads, the size cap, end of file.
class PipeTransportTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(pipe(toUs), 0);
    ASSERT_EQ(pipe(fromUs), 0);
    transport = std::make_unique<PipeTransport>(fromUs[1], toUs[0], 64);
    transport->Start(
        [this](std::string message) {
          std::lock_guard<std::mutex> lock(mutex);
          messages.push_back(std::move(message));
          changed.notify_all();
        },
        [this](const std::string& reason) {
          std::lock_guard<std::mutex> lock(mutex);
          closeReason = reason;
          changed.notify_all();
        });
  }
  void TearDown() override {
    if (toUs[1] >= 0) close(toUs[1]);
    transport.reset();
    close(fromUs[0]);
  }
  void Write(const std::string& bytes) { ASSERT_EQ(write(toUs[1], bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size())); }
  bool WaitFor(const std::function<bool()>& done) {
    std::unique_lock<std::mutex> lock(mutex);
    return changed.wait_for(lock, std::chrono::seconds(10), done);
  }

  int toUs[2] = {-1, -1};
  int fromUs[2] = {-1, -1};
  std::unique_ptr<PipeTransport> transport;
  std::mutex mutex;
  std::condition_variable changed;
  std::vector<std::string> messages;
  std::string closeReason;
};

TEST_F(PipeTransportTest, SplitsOnNulAcrossReadsAndDropsOversizedMessages) {
  LogCapture capture;
  Write(std::string("{\"a\":1}") + '\0' + "{\"b\":");
  Write(std::string("2}") + '\0' + std::string(100, 'x') + '\0' + "{\"c\":3}" + '\0');
  ASSERT_TRUE(WaitFor([&] { return messages.size() >= 3; }));
  EXPECT_EQ(messages, (std::vector<std::string>{"{\"a\":1}", "{\"b\":2}", "{\"c\":3}"}));
  EXPECT_EQ(capture.Matching("dropping a protocol message over 64 bytes").size(), 1u);
}

TEST_F(PipeTransportTest, SendAppendsNulAndEndOfFileCloses) {
  ASSERT_TRUE(transport->Send("{\"id\":1}"));
  char buffer[16] = {};
  ASSERT_EQ(read(fromUs[0], buffer, sizeof(buffer)), 9);
  EXPECT_EQ(std::string(buffer, 9), std::string("{\"id\":1}") + '\0');
  close(toUs[1]);
  toUs[1] = -1;
  ASSERT_TRUE(WaitFor([&] { return !closeReason.empty(); }));
  EXPECT_EQ(closeReason, "Chromium closed the pipe");
  EXPECT_FALSE(transport->Send("{}"));
}

// The link to a render side inside the launcher: messages are handed over on
// the sending thread.
struct LinkEnd {
  std::vector<std::string> messages;
  std::vector<std::string> closes;
  void Start(InProcessLink& link) {
    link.Start([this](std::string message) { messages.push_back(std::move(message)); },
               [this](const std::string& reason) { closes.push_back(reason); });
  }
};

TEST(InProcessLinkTest, MessagesSentBeforeTheOtherEndStartsWaitAndEachDirectionKeepsItsOrder) {
  LinkEnd browserEnd, renderEnd;  // outlive the link, whose close they hear
  auto [browser, render] = InProcessLink::CreatePair();
  browserEnd.Start(*browser);
  ASSERT_TRUE(browser->Send("hello"));
  ASSERT_TRUE(browser->Send("second"));
  EXPECT_TRUE(renderEnd.messages.empty());
  renderEnd.Start(*render);
  EXPECT_EQ(renderEnd.messages, (std::vector<std::string>{"hello", "second"}));
  ASSERT_TRUE(render->Send("answer"));
  ASSERT_TRUE(browser->Send("third"));
  EXPECT_EQ(browserEnd.messages, (std::vector<std::string>{"answer"}));
  EXPECT_EQ(renderEnd.messages.back(), "third");
}

TEST(InProcessLinkTest, ClosingEitherEndClosesBothOnceEvenAnEndNotYetStarted) {
  LinkEnd browserEnd, renderEnd;  // outlive the link, whose close they hear
  auto [browser, render] = InProcessLink::CreatePair();
  browserEnd.Start(*browser);
  ASSERT_TRUE(browser->Send("lost"));
  render->Close();
  render->Close();
  EXPECT_EQ(browserEnd.closes.size(), 1u);
  EXPECT_FALSE(browser->Send("after"));
  EXPECT_FALSE(render->Send("after"));
  renderEnd.Start(*render);
  EXPECT_TRUE(renderEnd.messages.empty());
  EXPECT_EQ(renderEnd.closes.size(), 1u);
  browser.reset();
  EXPECT_EQ(browserEnd.closes.size(), 1u);
}

// Senders on several threads reach a handler one at a time; the handler may
// answer on the same link while it is called.
TEST(InProcessLinkTest, ConcurrentSendersAreHandedOverOneAtATimeAndMayBeAnsweredAtOnce) {
  auto [browser, render] = InProcessLink::CreatePair();
  InProcessLink* back = render.get();
  std::atomic<bool> inside{false};
  std::atomic<bool> overlapped{false};
  int received = 0;  // only touched inside the handler
  render->Start(
      [&](std::string message) {
        if (inside.exchange(true)) overlapped = true;
        ++received;
        back->Send("ack " + message);
        inside = false;
      },
      [](const std::string&) {});
  std::atomic<int> acks{0};
  browser->Start([&](std::string) { ++acks; }, [](const std::string&) {});
  constexpr int kPerThread = 2000;
  std::vector<std::thread> senders;
  for (int t = 0; t < 3; ++t) {
    senders.emplace_back([&browser] {
      for (int i = 0; i < kPerThread; ++i) browser->Send(std::to_string(i));
    });
  }
  for (auto& sender : senders) sender.join();
  EXPECT_FALSE(overlapped);
  EXPECT_EQ(received, 3 * kPerThread);
  EXPECT_EQ(acks, 3 * kPerThread);
}

}  // namespace
}  // namespace cefcompat
