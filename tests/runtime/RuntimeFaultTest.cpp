// Start-up faults, Chromium dying, and a clean shutdown. Each test brings its
// own runtime up and down.
#include <signal.h>
#include <unistd.h>

#include <QDir>
#include <QTemporaryDir>
#include <filesystem>

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

TEST_F(RuntimeFaultTest, ChromiumDyingClosesEveryBrowser) {
  ASSERT_TRUE(Initialize());
  EventRecorder recorder;
  CefRefPtr<RecordingClient> client(new RecordingClient(&recorder));
  ASSERT_TRUE(CreateBrowser(client, "data:text/html,one"));
  ASSERT_TRUE(CreateBrowser(client, "data:text/html,two"));
  ASSERT_TRUE(recorder.WaitForKind("OnAfterCreated", 2));
  kill(cefcompat::ChromiumPidForTesting(), SIGKILL);
  ASSERT_TRUE(recorder.WaitForKind("OnBeforeClose", 2));
  EXPECT_FALSE(client->browser->IsValid());
  EXPECT_EQ(capture.Matching("[cefcompat] Chromium is gone (").size(), 1u);
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
}

}  // namespace
