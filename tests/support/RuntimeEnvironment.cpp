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
  if (!browser || !browser->IsValid()) return;
  const int id = browser->GetIdentifier();
  browser->GetHost()->CloseBrowser(true);
  EXPECT_TRUE(recorder.WaitFor([&]() {
    for (const auto& event : recorder.Of("OnBeforeClose")) {
      if (event.data["id"] == id) return true;
    }
    return false;
  }));
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
