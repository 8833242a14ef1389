#include <gtest/gtest.h>

#include "LogCapture.h"
#include "include/cef_browser.h"
#include "include/cef_v8.h"
#include "utils/VellBrowserHelper.h"

namespace {

class RecordingFrame : public CefFrame {
 public:
  explicit RecordingFrame(bool valid) : valid_(valid) {}
  bool IsValid() override { return valid_; }
  bool IsMain() override { return true; }
  int64 GetIdentifier() override { return 1; }
  CefString GetURL() override { return "https://launcher.test/index.html"; }
  CefString GetName() override { return ""; }
  CefRefPtr<CefFrame> GetParent() override { return nullptr; }
  CefRefPtr<CefBrowser> GetBrowser() override { return nullptr; }
  CefRefPtr<CefV8Context> GetV8Context() override { return nullptr; }
  void SendProcessMessage(CefProcessId, CefRefPtr<CefProcessMessage>) override {}
  void LoadURL(const CefString&) override {}
  void ExecuteJavaScript(const CefString& code, const CefString& url, int line) override {
    calls.push_back(code.ToString() + "|" + url.ToString() + "|" + std::to_string(line));
  }
  std::vector<std::string> calls;

 private:
  bool valid_;
  IMPLEMENT_REFCOUNTING(RecordingFrame);
};

TEST(VellBrowserHelperTest, RunsInAValidFrameWithItsUrl) {
  CefRefPtr<RecordingFrame> frame(new RecordingFrame(true));
  LogCapture capture;
  EXPECT_TRUE(VellBrowserHelper::ExecuteJavaScript(frame.get(), "x=1", true));
  EXPECT_EQ(frame->calls, std::vector<std::string>{"x=1|https://launcher.test/index.html|0"});
  EXPECT_TRUE(capture.Lines().empty());
}

TEST(VellBrowserHelperTest, RefusesNullAndInvalidFrames) {
  LogCapture capture;
  EXPECT_FALSE(VellBrowserHelper::ExecuteJavaScript(nullptr, "x=1", false));
  EXPECT_TRUE(capture.Lines().empty());

  EXPECT_FALSE(VellBrowserHelper::ExecuteJavaScript(nullptr, "x=1", true));
  CefRefPtr<RecordingFrame> invalid(new RecordingFrame(false));
  EXPECT_FALSE(VellBrowserHelper::ExecuteJavaScript(invalid.get(), "y=2", true));
  EXPECT_TRUE(invalid->calls.empty());
  const auto lines = capture.Lines();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].type, QtCriticalMsg);
  EXPECT_EQ(lines[0].text, "[VELL] unable execute js code = x=1");
  EXPECT_EQ(lines[1].text, "[VELL] unable execute js code = y=2");
}

}  // namespace
