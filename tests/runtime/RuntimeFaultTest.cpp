// Start-up faults, Chromium dying, and a clean shutdown. Each test brings its
// own runtime up and down.
#include <signal.h>
#include <unistd.h>

#include <QDir>
#include <QTemporaryDir>
#include <filesystem>
#include <set>

#include "LogCapture.h"
#include "RecordingClient.h"
#include "RuntimeEnvironment.h"
#include "testing_hooks.h"

namespace {

class RuntimeFaultTest : public ::testing::Test {
 protected:
  void TearDown() override {
    CefShutdown();
    unsetenv("CEFCOMPAT_CHROMIUM");
  }

  static bool Initialize(const std::string& cachePath = std::string()) {
    CefSettings settings;
    settings.no_sandbox = 1;
    CefString(&settings.cache_path) = cachePath;
    char* argv[] = {const_cast<char*>("vell_runtime_fault_tests"), nullptr};
    return CefInitialize(CefMainArgs(1, argv), settings, nullptr, nullptr);
  }

  static bool CreateBrowser(CefRefPtr<RecordingClient> client, const std::string& url) {
    return CefBrowserHost::CreateBrowser(CefWindowInfo(), client.get(), url, CefBrowserSettings(), nullptr, nullptr);
  }

  LogCapture capture;
};

TEST_F(RuntimeFaultTest, MissingChromiumIsAClearError) {
  setenv("CEFCOMPAT_CHROMIUM", "/nonexistent/chromium", 1);
  EXPECT_FALSE(Initialize());
  EXPECT_EQ(capture.Matching("Chromium binary not found or not executable: '/nonexistent/chromium'").size(), 1u);
  EventRecorder recorder;
  EXPECT_FALSE(CreateBrowser(new RecordingClient(&recorder), "about:blank"));
}

TEST_F(RuntimeFaultTest, ChromiumExitingAtStartIsAClearError) {
  setenv("CEFCOMPAT_CHROMIUM", "/bin/false", 1);
  EXPECT_FALSE(Initialize());
  EXPECT_EQ(capture.Matching("Chromium did not answer").size(), 1u);
}

TEST_F(RuntimeFaultTest, ProfileHeldByAnotherChromiumIsRefused) {
  QTemporaryDir cache;
  char host[256] = {};
  gethostname(host, sizeof(host) - 1);
  std::filesystem::create_symlink(std::string(host) + "-" + std::to_string(getpid()),
                                  cache.path().toStdString() + "/SingletonLock");
  EXPECT_FALSE(Initialize(cache.path().toStdString()));
  EXPECT_EQ(capture.Matching("is in use by another Chromium").size(), 1u);
}

TEST_F(RuntimeFaultTest, ChromiumKilledClosesEveryBrowserAndIsStartedAgain) {
  ASSERT_TRUE(Initialize());
  EventRecorder recorder;
  CefRefPtr<RecordingClient> client(new RecordingClient(&recorder));
  ASSERT_TRUE(CreateBrowser(client, "data:text/html,one"));
  ASSERT_TRUE(CreateBrowser(client, "data:text/html,two"));
  ASSERT_TRUE(recorder.WaitForKind("OnAfterCreated", 2));
  const pid_t first = cefcompat::ChromiumPidForTesting();
  kill(first, SIGKILL);
  ASSERT_TRUE(recorder.WaitForKind("OnBeforeClose", 2));
  EXPECT_FALSE(client->browser->IsValid());
  EXPECT_EQ(capture.Matching("[cefcompat] Chromium is gone (").size(), 1u);

  // Asked for before the new Chromium is up: created on it.
  EventRecorder later;
  CefRefPtr<RecordingClient> next(new RecordingClient(&later));
  ASSERT_TRUE(CreateBrowser(next, "data:text/html,<title>again</title>"));
  ASSERT_TRUE(later.WaitForKind("OnLoadEnd"));
  ASSERT_EQ(later.Count("OnAfterCreated"), 1u);
  EXPECT_TRUE(next->browser->IsValid());
  EXPECT_EQ(later.Count("OnBeforeClose"), 0u);
  EXPECT_EQ(capture.Matching("[cefcompat] starting Chromium again in 250 ms (attempt 1 of 5)").size(), 1u);
  EXPECT_EQ(capture.Matching("[cefcompat] Chromium started again (pid ").size(), 1u);
  const pid_t second = cefcompat::ChromiumPidForTesting();
  EXPECT_GT(second, 0);
  EXPECT_NE(second, first);
  CefShutdown();  // while the recorders live
  client->ForgetBrowsers();
  next->ForgetBrowsers();
}

TEST_F(RuntimeFaultTest, BrowsersBeingCreatedWhenChromiumDiesAreStillAnsweredOnce) {
  ASSERT_TRUE(Initialize());
  EventRecorder recorder;
  CefRefPtr<RecordingClient> client(new RecordingClient(&recorder));
  constexpr size_t kBrowsers = 6;
  for (size_t i = 0; i < kBrowsers; ++i) ASSERT_TRUE(CreateBrowser(client, "data:text/html,racing"));
  ASSERT_TRUE(recorder.WaitForKind("OnAfterCreated"));
  kill(cefcompat::ChromiumPidForTesting(), SIGKILL);
  // Each either comes up on one Chromium or the other, or is created and closed at once:
  // never left without an answer.
  ASSERT_TRUE(recorder.WaitFor([&] {
    return recorder.Count("OnAfterCreated") == kBrowsers && recorder.Count("OnBeforeClose") + recorder.Count("OnLoadEnd") >= kBrowsers;
  }, 30000)) << recorder.Count("OnAfterCreated") << " created, " << recorder.Count("OnBeforeClose") << " closed";
  std::set<int> ids;
  for (const auto& event : recorder.Of("OnAfterCreated")) ids.insert(event.data["id"].get<int>());
  EXPECT_EQ(ids.size(), kBrowsers);
  CefShutdown();
  client->ForgetBrowsers();
}

TEST_F(RuntimeFaultTest, ChromiumThatWillNotStartAgainIsGivenUpAfterBoundedAttempts) {
  ASSERT_TRUE(Initialize());
  setenv("CEFCOMPAT_CHROMIUM", "/bin/false", 1);
  kill(cefcompat::ChromiumPidForTesting(), SIGKILL);
  EventRecorder recorder;
  CefRefPtr<RecordingClient> client(new RecordingClient(&recorder));
  ASSERT_TRUE(CreateBrowser(client, "data:text/html,never"));
  // Attempts after 0.25 + 0.5 + 1 + 2 + 4 s.
  ASSERT_TRUE(recorder.WaitForKind("OnBeforeClose", 1, 30000));
  EXPECT_EQ(recorder.Count("OnAfterCreated"), 1u);
  EXPECT_EQ(capture.Matching("[cefcompat] starting Chromium again in").size(), 5u);
  EXPECT_EQ(capture.Matching("[cefcompat] Chromium did not start again: Chromium did not answer").size(), 5u);
  EXPECT_EQ(capture.Matching("Chromium did not stay up after 5 restarts; giving up").size(), 1u);
  EXPECT_FALSE(CreateBrowser(client, "data:text/html,refused"));
  client->ForgetBrowsers();
}

TEST_F(RuntimeFaultTest, ShutdownReapsChromiumAndRemovesTheTemporaryProfile) {
  ASSERT_TRUE(Initialize());
  const pid_t pid = cefcompat::ChromiumPidForTesting();
  const auto started = capture.Matching("runtime started on");
  ASSERT_EQ(started.size(), 1u);
  const std::string line = started[0].text;
  const auto at = line.find("profile ");
  ASSERT_NE(at, std::string::npos);
  const std::string profile = line.substr(at + 8, line.rfind(')') - at - 8);
  EXPECT_TRUE(std::filesystem::exists(profile));

  EventRecorder recorder;
  CefRefPtr<RecordingClient> client(new RecordingClient(&recorder));
  ASSERT_TRUE(CreateBrowser(client, "data:text/html,bye"));
  ASSERT_TRUE(recorder.WaitForKind("OnAfterCreated"));
  CefShutdown();
  EXPECT_EQ(recorder.Count("OnBeforeClose"), 1u);
  EXPECT_NE(kill(pid, 0), 0);  // reaped: no zombie left behind
  EXPECT_FALSE(std::filesystem::exists(std::filesystem::path(profile).parent_path()));
  EXPECT_FALSE(CreateBrowser(client, "about:blank"));
  client->ForgetBrowsers();
}

}  // namespace
