#pragma once

#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "RecordingClient.h"
#include "include/cef_app.h"

// One runtime per test process: initialised before the first test, shut
// down after the last.
class RuntimeEnvironment : public ::testing::Environment {
 public:
  explicit RuntimeEnvironment(CefRefPtr<CefApp> app = nullptr) : m_app(std::move(app)) {}
  void SetUp() override;
  void TearDown() override;

 private:
  CefRefPtr<CefApp> m_app;
};

// A fresh browser per test, with a recording client; closed at the end.
class BrowserTest : public ::testing::Test {
 protected:
  void TearDown() override;
  // Creates a browser on `url` and waits for OnAfterCreated.
  CefRefPtr<CefBrowser> Create(const std::string& url);
  // Waits for the main frame's OnLoadEnd number `count`.
  bool WaitForMainLoadEnd(size_t count = 1, int timeoutMs = 15000);
  // Runs `script` in the main frame; its console.log lines are recorded.
  void Run(const std::string& script);
  bool WaitForConsole(const std::string& message, int timeoutMs = 15000);

  EventRecorder recorder;
  CefRefPtr<RecordingClient> client{new RecordingClient(&recorder)};
  CefRefPtr<CefBrowser> browser;
};

// "data:text/html," + the percent-encoded HTML.
std::string DataUrl(const std::string& html);
