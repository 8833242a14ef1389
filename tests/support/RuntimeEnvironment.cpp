#include "RuntimeEnvironment.h"

#include <QByteArray>
#include <QCoreApplication>

void RuntimeEnvironment::SetUp() {
  CefSettings settings;
  settings.no_sandbox = 1;
  settings.log_severity = LOGSEVERITY_WARNING;
  char* argv[] = {const_cast<char*>("vell_runtime_tests"), nullptr};
  CefMainArgs args(1, argv);
  ASSERT_EQ(CefExecuteProcess(args, m_app, nullptr), -1);
  ASSERT_TRUE(CefInitialize(args, settings, m_app, nullptr));
}

void RuntimeEnvironment::TearDown() { CefShutdown(); }

void BrowserTest::TearDown() {
  // Every browser of this test's client closes before the recorder goes.
  std::vector<CefRefPtr<CefBrowser>> open;
  {
    std::lock_guard<std::mutex> lock(client->browsersMutex);
    open = client->browsers;
  }
  for (auto& each : open) {
    if (each->IsValid() && each->GetHost()) each->GetHost()->CloseBrowser(true);
  }
  EXPECT_TRUE(recorder.WaitFor([&]() {
    for (auto& each : open) {
      if (each->IsValid()) return false;
    }
    return true;
  }));
  recorder.WaitFor([&]() { return recorder.Count("OnBeforeClose") >= open.size(); });
  client->ForgetBrowsers();
}

CefRefPtr<CefBrowser> BrowserTest::Create(const std::string& url) {
  CefWindowInfo windowInfo;
  EXPECT_TRUE(CefBrowserHost::CreateBrowser(windowInfo, client.get(), url, CefBrowserSettings(), nullptr, nullptr));
  EXPECT_TRUE(recorder.WaitForKind("OnAfterCreated"));
  browser = client->browser;
  return browser;
}

bool BrowserTest::WaitForMainLoadEnd(size_t count, int timeoutMs) {
  return recorder.WaitFor(
      [&]() {
        size_t ends = 0;
        for (const auto& event : recorder.Of("OnLoadEnd")) ends += event.data.value("main", false) ? 1 : 0;
        return ends >= count;
      },
      timeoutMs);
}

void BrowserTest::Run(const std::string& script) {
  browser->GetMainFrame()->ExecuteJavaScript(script, "test://run", 0);
}

bool BrowserTest::WaitForConsole(const std::string& message, int timeoutMs) {
  return recorder.WaitFor(
      [&]() {
        for (const auto& event : recorder.Of("OnConsoleMessage")) {
          if (event.data["message"] == message) return true;
        }
        return false;
      },
      timeoutMs);
}

std::string DataUrl(const std::string& html) {
  return "data:text/html," + QByteArray::fromStdString(html).toPercentEncoding().toStdString();
}
